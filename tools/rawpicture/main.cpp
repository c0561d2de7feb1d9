// rawpicture <in.png> <out>: writes the picture as the program's pixmaps hold
// it (32-bit, premultiplied when it has alpha) behind a small header; the
// program takes the pixels from its own file instead of decoding the PNG.
#include "rawpicture.h" // app/

#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: rawpicture <in.png> <out>\n");
        return 2;
    }
    QImage img(QString::fromLocal8Bit(argv[1]), "PNG");
    if (img.isNull()) {
        std::fprintf(stderr, "rawpicture: cannot read %s\n", argv[1]);
        return 1;
    }
    img = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32);
    rawpicture::Header h;
    h.width = quint32(img.width());
    h.height = quint32(img.height());
    h.bytesPerLine = quint32(img.bytesPerLine());
    h.format = quint32(img.format());
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char *>(&h), sizeof h) != qint64(sizeof h) ||
        out.write(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes()) !=
            img.sizeInBytes() ||
        !out.flush()) {
        std::fprintf(stderr, "rawpicture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
