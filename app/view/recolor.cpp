#include "view/recolor.h"

namespace
{
// Paints `colour` (opaque) on every pixel `lit` accepts and clears the others
// when `clearOthers`. Palette images keep their format; anything else is
// drawn as 32-bit ARGB, converted once so the scan can read whole pixels.
template <typename Lit> void tint(QImage &img, QRgb colour, bool clearOthers, Lit lit)
{
    if (img.isNull()) return;
    const QRgb c = colour | 0xff000000u;
    if (img.format() == QImage::Format_Indexed8) {
        // A palette mask (the masks are stored so) is tinted in its colour
        // table: a pixel reads as its entry, so the result is the same as
        // pixel by pixel, for 256 entries instead of 234 000 pixels, and the
        // image stays a quarter of the size. An index past the table reads
        // as 0, as it would converted: not lit, and clear already.
        QVector<QRgb> table = img.colorTable();
        for (QRgb &entry : table)
            if (lit(entry))
                entry = c;
            else if (clearOthers)
                entry = 0;
        img.setColorTable(table);
        return;
    }
    if (img.format() != QImage::Format_ARGB32) img = img.convertToFormat(QImage::Format_ARGB32);
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
