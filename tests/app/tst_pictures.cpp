// The cheaper forms of the pictures paint what the PNGs hold: the built-in
// pixels of the background and the first view, its masks' lit parts, the transition frames, and the
// zone masks tinted in their colour table.
#include "view/pictures.h"
#include "view/rawpicture.h"
#include "view/recolor.h"

#include <QDirIterator>
#include <QImageReader>
#include <QtTest>

class Pictures : public QObject
{
    Q_OBJECT
private slots:
    void builtInPixelsAreThePngs();
    void everyPictureDecodesAsQtsReaderDoes();
    void builtInMasksAreThePngs();
    void maskBytesAreCheckedBeforeUse();
    void paletteTintPaintsAsThePixelTint();
    void framesDecodeAsTheirPixmaps();
    void frameLabelPaintsAsALabel();
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

// The pictures read without an image reader hold what the reader gives, in
// its format; the others (palette pictures) still go to the reader.
void Pictures::everyPictureDecodesAsQtsReaderDoes()
{
    int rgb = 0, palette = 0;
    QDirIterator it(QStringLiteral(":/img"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = it.next();
        QImageReader reader(name, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage want = reader.read();
        if (want.isNull() || !rawpicture::image(name).isNull()) continue; // not a PNG, built in
        const QImage got = pictures::image(name);
        QVERIFY2(got.format() == want.format() && got == want, qPrintable(name));
        ++(want.format() == QImage::Format_Indexed8 ? palette : rgb);
    }
    QVERIFY(rgb > 30 && palette > 10);
}

void Pictures::builtInMasksAreThePngs()
{
    for (const char *n : {":/img/axis_wheel", ":/img/axis_rear", ":/img/axis_rear_magic"}) {
        const QString name = QString::fromLatin1(n);
#ifdef __ELF__
        QVERIFY(!rawpicture::image(name).isNull());
#endif
        QImage mask = pictures::image(name);
        QImage png(name, "PNG");
        // A palette image still (tinted in its table), reading as the PNG does.
        QCOMPARE(mask.format(), QImage::Format_Indexed8);
        QCOMPARE(mask.convertToFormat(QImage::Format_ARGB32),
                 png.convertToFormat(QImage::Format_ARGB32));
        recolor_nonzero(mask, qRgb(0, 135, 255));
        recolor_nonzero(png, qRgb(0, 135, 255));
        QCOMPARE(mask.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 png.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void Pictures::maskBytesAreCheckedBeforeUse()
{
    // A 6 x 4 mask lit in the 2 x 2 part at (3, 1); index 1 reads 0 outside it.
    rawpicture::MaskHeader h;
    h.width = 6;
    h.height = 4;
    h.x = 3;
    h.y = 1;
    h.partWidth = 2;
    h.partHeight = 2;
    h.colours = 3;
    h.fill = 1;
    const quint32 table[3] = {0xff0000ffu, 0u, 0xffff0000u};
    const uchar part[4] = {0, 2, 1, 0};
    auto bytes = [&](const rawpicture::MaskHeader &head) {
        QByteArray b(reinterpret_cast<const char *>(&head), int(sizeof head));
        b.append(reinterpret_cast<const char *>(table), int(sizeof table));
        b.append(reinterpret_cast<const char *>(part), int(sizeof part));
        return b;
    };
    auto read = [](const QByteArray &b) {
        const auto *p = reinterpret_cast<const unsigned char *>(b.constData());
        return rawpicture::read(p, p + b.size());
    };
    const QByteArray good = bytes(h);
    const QImage img = read(good);
    QCOMPARE(img.size(), QSize(6, 4));
    QCOMPARE(img.pixelIndex(0, 0), 1);
    QCOMPARE(img.pixelIndex(5, 3), 1);
    QCOMPARE(img.pixel(3, 1), 0xff0000ffu);
    QCOMPARE(img.pixel(4, 1), 0xffff0000u);
    QCOMPARE(img.pixelIndex(3, 2), 1);

    // Every length but the right one, and fields that point past the picture
    // or the table, give no picture.
    for (int n = 0; n < good.size(); ++n)
        QVERIFY2(read(good.left(n)).isNull(), qPrintable(QString::number(n)));
    QVERIFY(read(good + '\0').isNull());
    auto broken = [&](auto change) {
        rawpicture::MaskHeader b = h;
        change(b);
        return read(bytes(b)).isNull();
    };
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.x = 5; }));
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.y = 0xffffffffu; }));
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.width = 4; }));
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.fill = 3; }));
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.colours = 0; }));
    QVERIFY(broken([](rawpicture::MaskHeader &b) { b.height = 0; }));
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

// The mouse picture's label paints its frame where and as a label given it
// would, over the window's background: without a backdrop, with one (painted
// as it is or composed in advance), enabled or not, and again after a paint.
void Pictures::frameLabelPaintsAsALabel()
{
    const QPixmap pic = QPixmap::fromImage(QImage(QStringLiteral(":/img/s_a/7"), "PNG"));
    const QPixmap background = pictures::pixmap(QStringLiteral(":/img/background"));
    QVERIFY(!pic.isNull() && pic.hasAlpha() && background.size() == QSize(1100, 750));
    const QRect area(180, 20, 920, 390);
    enum Mode { Plain, Backdrop, Composed };
    for (bool enabled : {true, false}) {
        for (Mode mode : {Plain, Backdrop, Composed}) {
            const QByteArray what = QByteArray::number(mode) + (enabled ? " enabled" : " disabled");
            QWidget window;
            window.resize(background.size());
            QPalette pal = window.palette();
            pal.setBrush(QPalette::Window, background);
            window.setPalette(pal);
            window.setAutoFillBackground(true);
            auto *plain = new QLabel(&window);
            auto *frame = new FrameLabel(&window);
            for (QLabel *l : {plain, static_cast<QLabel *>(frame)}) {
                l->setGeometry(area);
                l->setAlignment(Qt::AlignCenter);
                l->setEnabled(enabled);
            }
            plain->setPixmap(pic);
            if (mode != Plain) frame->setBackdrop(background, area.topLeft());
            frame->setFrame(pic, mode == Composed ? frame->compose(pic.toImage()) : QImage());
            QCOMPARE(frame->compose(pic.toImage()).isNull(), mode == Plain);
            frame->hide();
            const QImage asLabel = window.grab(area).toImage();
            plain->hide();
            frame->show();
            QVERIFY2(window.grab(area).toImage() == asLabel, what);
            QVERIFY2(window.grab(area).toImage() == asLabel, what + " again");
            QCOMPARE(frame->frameRect(),
                     QRect(QPoint((920 - pic.width()) / 2, (390 - pic.height()) / 2), pic.size()));
            frame->setFrame(QPixmap()); // no picture: what lies under it shows
            const QImage cleared = window.grab(area).toImage();
            frame->hide();
            QVERIFY2(cleared == window.grab(area).toImage(), what + " cleared");
            QVERIFY(frame->frameRect().isEmpty());
        }
    }
}

QTEST_MAIN(Pictures)
#include "tst_pictures.moc"
