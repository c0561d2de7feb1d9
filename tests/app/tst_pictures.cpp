// The cheaper forms of the pictures paint what the PNGs hold: the built-in
// background pixels, and the zone masks tinted in their colour table.
#include "pictures.h"
#include "rawpicture.h"
#include "recolor.h"

#include <QtTest>

class Pictures : public QObject
{
    Q_OBJECT
private slots:
    void builtInBackgroundIsItsPng();
    void paletteTintPaintsAsThePixelTint();
};

void Pictures::builtInBackgroundIsItsPng()
{
    const QString name = QStringLiteral(":/img/background");
    const QImage raw = rawpicture::image(name);
#ifdef __ELF__
    QVERIFY(!raw.isNull());
#endif
    const QPixmap shown = pictures::pixmap(name);
    if (!raw.isNull()) // used in place, not copied
        QCOMPARE(shown.toImage().constBits(), raw.constBits());
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_RGB32),
             QImage(name, "PNG").convertToFormat(QImage::Format_RGB32));
    QVERIFY(rawpicture::image(QStringLiteral(":/img/axis")).isNull());
}

void Pictures::paletteTintPaintsAsThePixelTint()
{
    const struct {
        const char *mask;
        bool white;
    } cases[] = {
        {":/img/axis_wheel", false}, {":/img/side_rear", false}, {":/img/rear_rear", true}};
    for (const auto &c : cases) {
        QImage palette(QString::fromLatin1(c.mask), "PNG");
        QCOMPARE(palette.format(), QImage::Format_Indexed8);
        QImage pixels = palette.convertToFormat(QImage::Format_ARGB32);
        for (QRgb colour : {qRgb(0, 135, 255), qRgb(127, 127, 127)}) {
            if (c.white) {
                recolor_white(palette, colour);
                recolor_white(pixels, colour);
            } else {
                recolor_nonzero(palette, colour);
                recolor_nonzero(pixels, colour);
            }
            QCOMPARE(palette.format(), QImage::Format_Indexed8);
            // As the mask's pixmap holds it.
            QCOMPARE(palette.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }
}

QTEST_MAIN(Pictures)
#include "tst_pictures.moc"
