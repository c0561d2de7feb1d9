// Pictures built into the program as the pixels their pixmaps hold (made from
// the PNG by tools/rawpicture when the program is built), for the ones every
// start would otherwise decode: the pixmap uses the bytes in place.
#ifndef RAWPICTURE_H
#define RAWPICTURE_H

#include <QImage>
#include <QString>

namespace rawpicture
{

// What precedes the pixels, rows of bytesPerLine bytes in QImage::Format format.
struct Header {
    char magic[4] = {'K', 'R', 'A', 'W'};
    quint32 width = 0;
    quint32 height = 0;
    quint32 bytesPerLine = 0;
    quint32 format = 0;
    quint32 reserved[3] = {0, 0, 0}; // keeps the pixels 16-byte aligned
};

// The built-in pixels of the picture at path, read-only and shared; a null
// image when the program has none for it (then the PNG is decoded as usual).
QImage image(const QString &path);

} // namespace rawpicture

#endif
