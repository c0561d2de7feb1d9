#include "view/recolor.h"

#include <QtTest>

class Recolor : public QObject
{
    Q_OBJECT
private slots:
    void nonzeroPixelsTakeTheColour();
    void whiteTestInTheRearView();
    void otherFormatsAreConverted();
    void nullImageIsLeftAlone();
    void zoneColourFollowsTheEffect();
};

static QImage crafted()
{
    QImage img(4, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, 0x00000000); // fully transparent, black
    img.setPixel(1, 0, 0x00ffffff); // transparent white
    img.setPixel(2, 0, 0x80ffffff); // half-opaque white
    img.setPixel(3, 0, 0xff10fe20); // opaque colour
    return img;
}

void Recolor::nonzeroPixelsTakeTheColour()
{
    QImage img = crafted();
    recolor_nonzero(img, qRgb(1, 2, 3));
    QCOMPARE(img.pixel(0, 0), QRgb(0));             // transparent stays transparent
    QCOMPARE(img.pixel(1, 0), qRgba(1, 2, 3, 255)); // not 0 as a whole: coloured, opaque
    QCOMPARE(img.pixel(2, 0), qRgba(1, 2, 3, 255));
    QCOMPARE(img.pixel(3, 0), qRgba(1, 2, 3, 255));
}

void Recolor::whiteTestInTheRearView()
{
    QImage img = crafted();
    img.setPixel(0, 0, 0xfffffffe); // almost white: not lit
    recolor_white(img, qRgb(200, 0, 9));
    QCOMPARE(img.pixel(0, 0), QRgb(0));
    QCOMPARE(img.pixel(1, 0), qRgba(200, 0, 9, 255)); // white whatever its alpha
    QCOMPARE(img.pixel(2, 0), qRgba(200, 0, 9, 255));
    QCOMPARE(img.pixel(3, 0), QRgb(0)); // coloured, not white: cleared
}

void Recolor::otherFormatsAreConverted()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    recolor_white(img, qRgb(5, 6, 7));
    QCOMPARE(img.format(), QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            QCOMPARE(img.pixel(x, y), qRgba(5, 6, 7, 255));
}

void Recolor::nullImageIsLeftAlone()
{
    QImage none; // the top view has no rear mask
    recolor_nonzero(none, qRgb(1, 1, 1));
    recolor_white(none, qRgb(1, 1, 1));
    QVERIFY(none.isNull());
}

void Recolor::zoneColourFollowsTheEffect()
{
    unsigned char rec[32] = {0x4D, 0xA0, 0, 1, 0, 4, 8, 8, 10, 20, 30};
    QCOMPARE(zone_colour(rec, 116), qRgb(116, 116, 116)); // effect 0: light off
    QCOMPARE(zone_colour(rec, 127), qRgb(127, 127, 127));
    rec[4] = 2;
    QCOMPARE(zone_colour(rec, 116), qRgb(10, 20, 30));
    rec[4] = 6;
    QCOMPARE(zone_colour(rec, 116), qRgb(10, 20, 30));
}

QTEST_APPLESS_MAIN(Recolor)
#include "tst_recolor.moc"
