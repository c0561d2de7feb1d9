// rawpicture <in.png> <out>: writes the picture as the program's pixmaps hold
// it (32-bit, premultiplied when it has alpha) behind a small header; the
// program takes the pixels from its own file instead of decoding the PNG.
// rawpicture --mask <in.png> <out>: writes a palette mask as its colour table
// and the part of it that holds every pixel not reading 0.
#include "view/rawpicture.h" // app/

#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstring>

namespace
{
bool write(const char *path, const QByteArray &bytes)
{
    QFile out(QString::fromLocal8Bit(path));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        std::fprintf(stderr, "rawpicture: cannot write %s\n", path);
        return false;
    }
    return true;
}

template <class H> void append(QByteArray &bytes, const H &h)
{
    bytes.append(reinterpret_cast<const char *>(&h), int(sizeof h));
}

QByteArray picture(QImage img)
{
    img = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32);
    rawpicture::Header h;
    h.width = quint32(img.width());
    h.height = quint32(img.height());
    h.bytesPerLine = quint32(img.bytesPerLine());
    h.format = quint32(img.format());
    QByteArray bytes;
    append(bytes, h);
    bytes.append(reinterpret_cast<const char *>(img.constBits()), int(img.sizeInBytes()));
    return bytes;
}

QByteArray mask(const QImage &img)
{
    if (img.format() != QImage::Format_Indexed8) return QByteArray();
    const QVector<QRgb> table = img.colorTable();
    rawpicture::MaskHeader h;
    h.width = quint32(img.width());
    h.height = quint32(img.height());
    h.colours = quint32(table.size());
    // The part holds every pixel but those of one index that reads 0: its
    // pixels outside the part are that index again when the mask is made.
    int fill = -1;
    for (int i = 0; i < table.size() && fill < 0; ++i)
        if (table[i] == 0) fill = i;
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const uchar *line = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            if (line[x] == fill) continue;
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
    }
    h.fill = quint32(qMax(fill, 0));
    if (right >= left) {
        h.x = quint32(left);
        h.y = quint32(top);
        h.partWidth = quint32(right - left + 1);
        h.partHeight = quint32(bottom - top + 1);
    }
    QByteArray bytes;
    append(bytes, h);
    bytes.append(reinterpret_cast<const char *>(table.constData()), table.size() * 4);
    for (quint32 y = 0; y < h.partHeight; ++y)
        bytes.append(reinterpret_cast<const char *>(img.constScanLine(int(h.y + y)) + h.x),
                     int(h.partWidth));
    return bytes;
}
} // namespace

int main(int argc, char **argv)
{
    const bool isMask = argc == 4 && std::strcmp(argv[1], "--mask") == 0;
    if (argc != 3 && !isMask) {
        std::fprintf(stderr, "usage: rawpicture [--mask] <in.png> <out>\n");
        return 2;
    }
    const char *in = argv[argc - 2], *out = argv[argc - 1];
    const QImage img(QString::fromLocal8Bit(in), "PNG");
    if (img.isNull()) {
        std::fprintf(stderr, "rawpicture: cannot read %s\n", in);
        return 1;
    }
    const QByteArray bytes = isMask ? mask(img) : picture(img);
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "rawpicture: %s is not a palette picture\n", in);
        return 1;
    }
    return write(out, bytes) ? 0 : 1;
}
