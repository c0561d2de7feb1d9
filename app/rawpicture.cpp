#include "rawpicture.h"

#include <cstring>

#if defined(__ELF__)
// Weak: an executable built without the pixels (or a platform without them)
// decodes the PNG.
extern "C" {
extern const unsigned char kivo_raw_background[] __attribute__((weak));
extern const unsigned char kivo_raw_background_end[] __attribute__((weak));
}
#endif

namespace rawpicture
{

namespace
{
// The pixels behind a header, when the header describes exactly the bytes there.
QImage wrap(const unsigned char *begin, const unsigned char *end)
{
    if (!begin || !end || end - begin < qint64(sizeof(Header))) return QImage();
    Header h;
    std::memcpy(&h, begin, sizeof h);
    const bool known =
        h.format == QImage::Format_RGB32 || h.format == QImage::Format_ARGB32_Premultiplied;
    if (std::memcmp(h.magic, "KRAW", 4) != 0 || !known || h.width == 0 || h.height == 0 ||
        h.width > 16384 || h.height > 16384 || h.bytesPerLine < h.width * 4 ||
        h.bytesPerLine % 4 != 0 ||
        quint64(end - begin) - sizeof h != quint64(h.bytesPerLine) * h.height)
        return QImage();
    return QImage(begin + sizeof h, int(h.width), int(h.height), int(h.bytesPerLine),
                  QImage::Format(h.format));
}
} // namespace

QImage image(const QString &path)
{
#if defined(__ELF__)
    if (path == QLatin1String(":/img/background"))
        return wrap(kivo_raw_background, kivo_raw_background_end);
#else
    Q_UNUSED(path);
#endif
    return QImage();
}

} // namespace rawpicture
