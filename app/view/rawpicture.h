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

// A zone mask (a palette picture, lit in a small part): its colour table and
// the rows of the part that holds every pixel not reading 0, the rest of the
// picture being one index that reads 0. Some 1 kB where its PNG decodes into
// 234 000 bytes pixel by pixel.
struct MaskHeader {
    char magic[4] = {'K', 'M', 'S', 'K'};
    quint32 width = 0; // the whole picture
    quint32 height = 0;
    quint32 x = 0; // the part stored: rows of partWidth bytes
    quint32 y = 0;
    quint32 partWidth = 0;
    quint32 partHeight = 0;
    quint32 colours = 0; // entries of the table that follows, before the rows
    quint32 fill = 0;    // the index of every pixel outside the part
};

// The built-in pixels of the picture at path: read-only and shared for a
// picture, a palette image of its own for a mask. A null image when the
// program has none for it (then the PNG is decoded as usual).
QImage image(const QString &path);

// The picture or mask the bytes from begin to end hold, or a null image when
// they are not exactly one.
QImage read(const unsigned char *begin, const unsigned char *end);

} // namespace rawpicture

#endif
