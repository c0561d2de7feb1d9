// The cheaper forms of the pictures paint what the PNGs hold: the built-in
// pixels of the background and the first view, the transition frames, and the zone masks tinted in
// their colour table.
#include "pictures.h"
#include "rawpicture.h"
#include "recolor.h"

#include <QtTest>

class Pictures : public QObject
{
    Q_OBJECT
private slots:
    void builtInPixelsAreThePngs();
    void paletteTintPaintsAsThePixelTint();
    void framesDecodeAsTheirPixmaps();
};

void Pictures::builtInPixelsAreThePngs()
{
    for (const char *n : {":/img/background", ":/img/axis"}) {
        const QString name = QString::fromLatin1(n);
        const QImage raw = rawpicture::image(name);
#ifdef __ELF__
        QVERIFY(!raw.isNull());
#endif
        const QImage shown = pictures::pixmap(name).toImage();
        if (!raw.isNull()) // used in place, not copied
            QCOMPARE(shown.constBits(), raw.constBits());
        // What the pixmap of the decoded PNG holds.
        QCOMPARE(shown, QPixmap::fromImage(QImage(name, "PNG")).toImage());
    }
    QVERIFY(rawpicture::image(QStringLiteral(":/img/top")).isNull());
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

void Pictures::framesDecodeAsTheirPixmaps()
{
    QImage scratch, frame;
    // One after the other into the same memory, as a transition runs; the
    // last is not a palette picture.
    for (const char *n : {":/img/t_a/14", ":/img/s_r/1", ":/img/t_a/3", ":/img/sys_config"}) {
        const QString name = QString::fromLatin1(n);
        QVERIFY(pictures::decode_frame(name, &scratch, &frame));
        QCOMPARE(frame, QPixmap::fromImage(QImage(name, "PNG")).toImage());
    }
    const QImage kept = frame;
    QVERIFY(!pictures::decode_frame(QStringLiteral(":/img/t_a/99"), &scratch, &frame));
    QCOMPARE(frame, kept);
}

QTEST_MAIN(Pictures)
#include "tst_pictures.moc"
