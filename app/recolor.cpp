#include "recolor.h"

namespace
{
// Paints `colour` (opaque) on every pixel `lit` accepts and clears the others
// when `clearOthers`. Masks are drawn as 32-bit ARGB; anything else is
// converted once so the scan can read whole pixels.
template <typename Lit> void tint(QImage &img, QRgb colour, bool clearOthers, Lit lit)
{
    if (img.isNull()) return;
    if (img.format() != QImage::Format_ARGB32) img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb c = colour | 0xff000000u;
    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (lit(line[x]))
                line[x] = c;
            else if (clearOthers)
                line[x] = 0;
    }
}
} // namespace

void recolor_nonzero(QImage &img, QRgb colour)
{
    // The others are 0 already: nothing to clear.
    tint(img, colour, false, [](QRgb p) { return p != 0; });
}

void recolor_white(QImage &img, QRgb colour)
{
    tint(img, colour, true, [](QRgb p) { return (p & 0x00ffffffu) == 0x00ffffffu; });
}

QRgb zone_colour(const unsigned char *record, int grey)
{
    if (record[4] == 0) return qRgb(grey, grey, grey);
    return qRgb(record[8], record[9], record[10]);
}
