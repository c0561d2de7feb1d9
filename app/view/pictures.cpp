#include "view/pictures.h"

#include "view/rawpicture.h"

#include <cstring>

#include <QEvent>
#include <QImageReader>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QResource>
#include <QStyle>
#include <QStyleOption>

// Qt's 32-bit pixels are B, G, R, A in memory only on little-endian machines.
#if defined(KIVO_HAVE_LIBPNG) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
#define KIVO_DECODE_WITH_LIBPNG
#include <png.h>
#endif

#if defined(__ELF__)
// Weak: an executable built without the pixels (or a platform without them)
// decodes the PNG.
extern "C" {
extern const unsigned char kivo_raw_background[] __attribute__((weak));
extern const unsigned char kivo_raw_background_end[] __attribute__((weak));
extern const unsigned char kivo_raw_axis[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_end[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_wheel[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_wheel_end[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_rear[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_rear_end[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_rear_magic[] __attribute__((weak));
extern const unsigned char kivo_raw_axis_rear_magic_end[] __attribute__((weak));
}
#endif

namespace rawpicture
{

namespace
{
QImage mask(const unsigned char *begin, const unsigned char *end)
{
    MaskHeader h;
    if (end - begin < qint64(sizeof h)) return QImage();
    std::memcpy(&h, begin, sizeof h);
    const quint64 size = quint64(end - begin) - sizeof h;
    if (h.width == 0 || h.height == 0 || h.width > 16384 || h.height > 16384 || h.colours == 0 ||
        h.colours > 256 || h.fill >= h.colours || h.x > h.width || h.y > h.height ||
        h.partWidth > h.width - h.x || h.partHeight > h.height - h.y ||
        size != quint64(h.colours) * 4 + quint64(h.partWidth) * h.partHeight)
        return QImage();
    QImage img(int(h.width), int(h.height), QImage::Format_Indexed8);
    if (img.isNull()) return img;
    QVector<QRgb> table(int(h.colours));
    std::memcpy(table.data(), begin + sizeof h, h.colours * 4);
    img.setColorTable(table);
    img.fill(uint(h.fill));
    const unsigned char *row = begin + sizeof h + h.colours * 4;
    for (quint32 y = 0; y < h.partHeight; ++y, row += h.partWidth)
        std::memcpy(img.scanLine(int(h.y + y)) + h.x, row, h.partWidth);
    return img;
}
} // namespace

// The pixels behind a header, when the header describes exactly the bytes there.
QImage read(const unsigned char *begin, const unsigned char *end)
{
    if (!begin || !end || end - begin < 4) return QImage();
    if (std::memcmp(begin, "KMSK", 4) == 0) return mask(begin, end);
    if (end - begin < qint64(sizeof(Header))) return QImage();
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

QImage image(const QString &path)
{
#if defined(__ELF__)
    if (path == QLatin1String(":/img/background"))
        return read(kivo_raw_background, kivo_raw_background_end);
    if (path == QLatin1String(":/img/axis")) return read(kivo_raw_axis, kivo_raw_axis_end);
    if (path == QLatin1String(":/img/axis_wheel"))
        return read(kivo_raw_axis_wheel, kivo_raw_axis_wheel_end);
    if (path == QLatin1String(":/img/axis_rear"))
        return read(kivo_raw_axis_rear, kivo_raw_axis_rear_end);
    if (path == QLatin1String(":/img/axis_rear_magic"))
        return read(kivo_raw_axis_rear_magic, kivo_raw_axis_rear_magic_end);
#else
    Q_UNUSED(path);
#endif
    return QImage();
}

} // namespace rawpicture

namespace pictures
{

namespace
{
// A format named is not enough: a reader that may detect the format still
// loads every image plugin to ask each whether it reads PNG. Told to take the
// named one only, it goes to Qt's own PNG reader.
void png_only(QImageReader &reader)
{
    reader.setFormat("png");
    reader.setAutoDetectImageFormat(false);
}

#ifdef KIVO_DECODE_WITH_LIBPNG
// Any image reader, even one told the format, first lists the image plugins,
// opening each one's file: that took longer than decoding every picture the
// first paint shows. Those (8-bit RGB and RGBA, not interlaced) are decoded
// here as Qt's PNG reader decodes them, with the same library and the same
// steps: ARGB32 or RGB32, no gamma applied. Anything else goes to the reader.
struct PngBytes {
    const uchar *data;
    size_t size;
    size_t at;
};

void read_png_bytes(png_structp png, png_bytep out, png_size_t n)
{
    auto *in = static_cast<PngBytes *>(png_get_io_ptr(png));
    if (n > in->size - in->at) png_error(png, "truncated");
    std::memcpy(out, in->data + in->at, n);
    in->at += n;
}

// libpng's own handlers print; a picture it cannot read goes to Qt's reader.
void png_failed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void png_warned(png_structp, png_const_charp) {}

// Between setjmp and the return only the C library's state and *image (which
// outlives a jump) change, so a jump from libpng skips no destructor. Every
// refusal is a jump, so the structures are let go in one place.
bool decode_rgb_png(PngBytes *in, QImage *image)
{
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, in, read_png_bytes);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    const bool rgb = colour == PNG_COLOR_TYPE_RGB, rgba = colour == PNG_COLOR_TYPE_RGB_ALPHA;
    if (depth != 8 || (!rgb && !rgba) || interlace != PNG_INTERLACE_NONE ||
        png_get_valid(png, info, PNG_INFO_tRNS) || width > 16384 || height > 16384)
        png_error(png, "not a kind decoded here");
    if (rgb) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_read_update_info(png, info);
    *image = QImage(int(width), int(height), rgb ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (image->isNull() || png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "no memory for the pixels");
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, image->scanLine(int(y)), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
#endif

QImage read_png(const QString &path)
{
#ifdef KIVO_DECODE_WITH_LIBPNG
    const QResource resource(path);
    if (resource.isValid()) {
        const QByteArray bytes = resource.uncompressedData();
        PngBytes in{reinterpret_cast<const uchar *>(bytes.constData()), size_t(bytes.size()), 0};
        QImage image;
        if (decode_rgb_png(&in, &image)) return image;
    }
#endif
    QImageReader reader(path);
    png_only(reader);
    return reader.read();
}
} // namespace

QPixmap pixmap(const QString &path)
{
    // Built-in pixels are used where they lie: no decoding, no copy.
    const QImage raw = rawpicture::image(path);
    if (!raw.isNull()) return QPixmap::fromImage(raw);
    // Through the pixmap cache, as QPixmap(path) goes: the same name is decoded
    // once while its pixmap is in use or cached.
    const QString key = QStringLiteral("kivo:") + path;
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    const QPixmap decoded = QPixmap::fromImage(read_png(path));
    if (!decoded.isNull()) QPixmapCache::insert(key, decoded);
    return decoded;
}

QImage image(const QString &path)
{
    const QImage raw = rawpicture::image(path);
    if (!raw.isNull()) return raw;
    return read_png(path);
}

bool decode_frame(const QString &path, QImage *scratch, QImage *frame)
{
    QImageReader reader(path); // reads into *scratch's memory when it fits
    png_only(reader);
    if (!reader.read(scratch)) return false;
    if (scratch->format() != QImage::Format_Indexed8) {
        *frame = QPixmap::fromImage(*scratch).toImage();
        return true;
    }
    // As the pixmap's conversion does: the colour table premultiplied (or
    // made opaque), an index past it transparent (or opaque black).
    const bool alpha = scratch->hasAlphaChannel();
    const QImage::Format format =
        alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QVector<QRgb> table = scratch->colorTable();
    QRgb lut[256];
    for (int i = 0; i < 256; ++i) {
        if (i >= table.size())
            lut[i] = alpha ? 0 : 0xff000000u;
        else
            lut[i] = alpha ? qPremultiply(table[i]) : (table[i] | 0xff000000u);
    }
    if (frame->size() != scratch->size() || frame->format() != format)
        *frame = QImage(scratch->size(), format);
    const int w = scratch->width();
    for (int y = 0; y < scratch->height(); ++y) {
        const uchar *src = scratch->constScanLine(y);
        QRgb *dst = reinterpret_cast<QRgb *>(frame->scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = lut[src[x]];
    }
    return true;
}

QIcon icon(const QString &path)
{
    return QIcon(pixmap(path));
}

namespace
{
class SetWhenShown : public QObject
{
public:
    SetWhenShown(QLabel *label, const QString &path) : QObject(label), m_path(path) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *label = static_cast<QLabel *>(watched);
            if (label->pixmap(Qt::ReturnByValue).isNull()) label->setPixmap(pixmap(m_path));
            label->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QString m_path;
};
} // namespace

void set_when_shown(QLabel *label, const QString &path)
{
    label->installEventFilter(new SetWhenShown(label, path));
}

} // namespace pictures

Backdrop::Backdrop(QWidget *parent, const QPoint &windowOffset)
    : QLabel(parent), m_offset(windowOffset),
      m_background(pictures::pixmap(QStringLiteral(":/img/background")))
{
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.drawPixmap(r.topLeft(), m_background, r.translated(m_offset));
}

QRect FrameLabel::frameRect(const QSize &size) const
{
    if (size.isEmpty()) return QRect();
    return QStyle::alignedRect(layoutDirection(),
                               QStyle::visualAlignment(layoutDirection(), alignment()), size,
                               contentsRect());
}

QRect FrameLabel::frameRect() const
{
    return m_frame.isNull() ? QRect() : frameRect(m_frame.size() / m_frame.devicePixelRatio());
}

ImageButton::ImageButton(QWidget *parent, const QString &picture, const QString &hover)
    : QPushButton(parent), m_picture(pictures::icon(picture)), m_hover(pictures::icon(hover))
{
    setAttribute(Qt::WA_Hover);
    setStyleSheet(QStringLiteral("QPushButton{border:none;background-color:transparent}"));
}

void ImageButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    QPainter p(this);
    (underMouse() ? m_hover : m_picture).paint(&p, rect(), Qt::AlignCenter);
}

void ImageButton::enterEvent(QEvent *event)
{
    QPushButton::enterEvent(event);
    update();
}

void ImageButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    update();
}

void FrameLabel::setBackdrop(const QPixmap &backdrop, const QPoint &offset)
{
    m_backdrop = backdrop;
    m_offset = offset;
    m_composed = QImage();
    // Everything under it is painted here: the window need not paint there first.
    setAttribute(Qt::WA_OpaquePaintEvent, !backdrop.isNull());
    update();
}

QImage FrameLabel::compose(const QImage &frame) const
{
    if (m_backdrop.isNull() || frame.isNull() || frame.devicePixelRatio() != 1) return QImage();
    const QRect r = frameRect(frame.size());
    QImage out(r.size(), QImage::Format_RGB32);
    QPainter p(&out);
    p.drawPixmap(QPoint(0, 0), m_backdrop, r.translated(m_offset));
    p.drawImage(QPoint(0, 0), frame);
    return out;
}

void FrameLabel::setFrame(const QPixmap &frame, const QImage &composed)
{
    const QRect old = frameRect();
    m_frame = frame;
    m_composed = composed;
    const QRect dirty = old | frameRect();
    if (!dirty.isEmpty()) update(dirty);
}

void FrameLabel::paintEvent(QPaintEvent *event)
{
    QPixmap pix = m_frame;
    if (!pix.isNull() && !isEnabled()) {
        QStyleOption opt;
        opt.initFrom(this);
        pix = style()->generatedIconPixmap(QIcon::Disabled, pix, &opt);
    }
    if (m_backdrop.isNull()) {
        QLabel::paintEvent(event); // the frame and any text, as for any label
        if (pix.isNull()) return;
        QPainter p(this);
        style()->drawItemPixmap(&p, contentsRect(), alignment(), pix);
        return;
    }
    QPainter p(this);
    const QRect fr = frameRect();
    const bool composed = isEnabled() && !m_composed.isNull() && m_composed.size() == fr.size();
    QRegion under = event->region();
    if (composed) under -= fr;
    for (const QRect &r : under)
        p.drawPixmap(r.topLeft(), m_backdrop, r.translated(m_offset));
    if (composed) {
        p.drawImage(fr.topLeft(), m_composed);
        // Painted once: a picture that stays (a view) is repainted as it is,
        // rather than kept twice.
        m_composed = QImage();
    } else if (!pix.isNull())
        style()->drawItemPixmap(&p, contentsRect(), alignment(), pix);
}
