// Tinting of the lighting-zone masks laid over the mouse picture, redone on
// every view change. A palette mask is tinted in its colour table; any other
// image is walked by scan lines (a mask has 234 000 pixels).
#ifndef RECOLOR_H
#define RECOLOR_H

#include <QImage>

// Every pixel whose ARGB value is not 0 becomes `colour` (opaque); the others
// stay fully transparent.
void recolor_nonzero(QImage &img, QRgb colour);
// Every pixel whose red, green and blue are all 255 (whatever its alpha) becomes
// `colour` (opaque); every other pixel becomes fully transparent.
void recolor_white(QImage &img, QRgb colour);
// The colour a zone record shows: grey when its effect (byte 4) is 0, light
// off, else the record's red, green, blue (bytes 8, 9, 10), opaque.
QRgb zone_colour(const unsigned char *record, int grey);

#endif
