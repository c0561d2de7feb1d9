#include "recolor.h"

namespace {
// Masks are drawn as 32-bit ARGB; anything else is converted once so the scan
// below can read whole pixels.
bool prepare(QImage &img)
{
    if (img.isNull()) return false;
    if (img.format() != QImage::Format_ARGB32) img = img.convertToFormat(QImage::Format_ARGB32);
    return true;
}
} // namespace

void recolor_nonzero(QImage &img, QRgb colour)
{
    if (!prepare(img)) return;
    const QRgb c = colour | 0xff000000u;
    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (line[x] != 0) line[x] = c;
    }
}

void recolor_white(QImage &img, QRgb colour)
{
    if (!prepare(img)) return;
    const QRgb c = colour | 0xff000000u;
    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = (line[x] & 0x00ffffffu) == 0x00ffffffu ? c : 0;
    }
}

QRgb zone_colour(const unsigned char *record, int grey)
{
    if (record[4] == 0) return qRgb(grey, grey, grey);
    return qRgb(record[8], record[9], record[10]);
}
