// The colour picker popup through real presses at popup coordinates: the hue
// and saturation of a click, the marker placed for a given colour, the
// brightness slider, hiding, and the wheel's colours.
#include "pages/lighting/colorpicker.h"
#include "pages/lighting/colorwheel.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

class Picker : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void clickPicksHueAndSaturation_data();
    void clickPicksHueAndSaturation();
    void clickOnOrOutsideTheCircleIsIgnored();
    void pickConsumesThePendingAdd();
    void setColorPlacesTheMarker_data();
    void setColorPlacesTheMarker();
    void brightnessDragReportsWithTheLastHue();
    void closeButtonAndDeactivationHide();
    void wheelHuesAtTheCompassPoints();

private:
    QScopedPointer<QWidget> window;
    ColorPicker *picker = nullptr;
};

// A press as the user makes it: delivered to whatever child lies under the
// point, in that child's coordinates.
static void pressAt(ColorPicker *picker, QPoint pos)
{
    QWidget *target = picker->childAt(pos);
    if (!target) target = picker;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(picker, pos));
}

void Picker::init()
{
    new_btn = false;
    window.reset(new QWidget);
    window->resize(400, 300);
    picker = new ColorPicker(window.data());
    picker->move(20, 20);
    window->show();
    picker->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
}

void Picker::clickPicksHueAndSaturation_data()
{
    QTest::addColumn<QPoint>("wheel");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("hue");
    QTest::newRow("centre") << QPoint(65, 65) << 0 << 270;
    QTest::newRow("right end") << QPoint(129, 65) << 251 << 359;
    QTest::newRow("just above right end") << QPoint(129, 64) << 251 << 0;
    QTest::newRow("top") << QPoint(65, 1) << 251 << 90;
    QTest::newRow("left end") << QPoint(1, 65) << 251 << 179;
    QTest::newRow("bottom") << QPoint(65, 129) << 251 << 270;
    QTest::newRow("upper right") << QPoint(105, 25) << 221 << 44;
    QTest::newRow("lower left") << QPoint(25, 105) << 221 << 224;
}

void Picker::clickPicksHueAndSaturation()
{
    QFETCH(QPoint, wheel);
    QFETCH(int, saturation);
    QFETCH(int, hue);
    QSignalSpy picked(picker, &ColorPicker::picked);
    QSignalSpy added(picker, &ColorPicker::add_btn);
    const QPoint pos = wheel + QPoint(ColorPicker::c_x, ColorPicker::c_y);
    pressAt(picker, pos);
    QCOMPARE(picker->saturation, saturation);
    QCOMPARE(picker->hue, hue);
    QCOMPARE(picker->bright, 200);
    QCOMPARE(picker->pointer->pos(), pos - QPoint(10, 10));
    QCOMPARE(picked.count(), 1);
    QCOMPARE(added.count(), 0);
}

void Picker::clickOnOrOutsideTheCircleIsIgnored()
{
    pressAt(picker, QPoint(53 + 100, 30 + 100)); // a pick inside first
    const int hue = picker->hue, saturation = picker->saturation;
    const QPoint marker = picker->pointer->pos();
    new_btn = true;
    QSignalSpy picked(picker, &ColorPicker::picked);
    QSignalSpy added(picker, &ColorPicker::add_btn);
    for (QPoint wheel : {QPoint(65, 0), QPoint(130, 65), QPoint(2, 2), QPoint(-20, 65)})
        pressAt(picker, wheel + QPoint(53, 30));
    QCOMPARE(picked.count() + added.count(), 0);
    QVERIFY(new_btn);
    QCOMPARE(picker->hue, hue);
    QCOMPARE(picker->saturation, saturation);
    QCOMPARE(picker->pointer->pos(), marker);
}

void Picker::pickConsumesThePendingAdd()
{
    QSignalSpy picked(picker, &ColorPicker::picked);
    QSignalSpy added(picker, &ColorPicker::add_btn);
    new_btn = true;
    pressAt(picker, QPoint(53 + 105, 30 + 25));
    QCOMPARE(added.count(), 1);
    QCOMPARE(picked.count(), 0);
    QVERIFY(!new_btn);
    pressAt(picker, QPoint(53 + 25, 30 + 105));
    QCOMPARE(added.count(), 1);
    QCOMPARE(picked.count(), 1);
}

void Picker::setColorPlacesTheMarker_data()
{
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QPoint>("marker");
    QTest::newRow("red") << 0 << 255 << QPoint(173, 85);
    QTest::newRow("90") << 90 << 255 << QPoint(108, 20);
    QTest::newRow("180") << 180 << 255 << QPoint(43, 84);
    QTest::newRow("270") << 270 << 255 << QPoint(107, 149);
    QTest::newRow("grey") << -1 << 0 << QPoint(108, 85);
}

void Picker::setColorPlacesTheMarker()
{
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(QPoint, marker);
    QSignalSpy picked(picker, &ColorPicker::picked);
    QSignalSpy added(picker, &ColorPicker::add_btn);
    new_btn = true;
    picker->setColor(hue, saturation, 77);
    QCOMPARE(picker->pointer->pos(), marker);
    QCOMPARE(picker->bright_level->value(), 77);
    QCOMPARE(picker->hue, hue);
    QCOMPARE(picker->saturation, saturation);
    QCOMPARE(picker->bright, 77);
    // Putting the popup on a colour is not a pick.
    QCOMPARE(picked.count() + added.count(), 0);
    QVERIFY(new_btn);
}

void Picker::brightnessDragReportsWithTheLastHue()
{
    pressAt(picker, QPoint(53 + 105, 30 + 25));
    QCOMPARE(picker->hue, 44);
    QSignalSpy picked(picker, &ColorPicker::picked);
    QSignalSpy added(picker, &ColorPicker::add_btn);
    new_btn = true;

    // Drag the handle to the left end: one value, delivered on release.
    QSlider *s = picker->bright_level;
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = Qt::Horizontal;
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = opt.sliderValue = s->value();
    const QPoint handle =
        s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
    QTest::mousePress(s, Qt::LeftButton, {}, handle);
    QMouseEvent move(QEvent::MouseMove, QPointF(-40, handle.y()), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(s, &move);
    QCOMPARE(added.count(), 0); // tracking is off
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(-40, handle.y()));

    QCOMPARE(added.count(), 1);
    QCOMPARE(picked.count(), 0);
    QVERIFY(!new_btn);
    QCOMPARE(picker->bright, 0);
    QCOMPARE(picker->hue, 44);
    QCOMPARE(picker->saturation, 221);

    // The next delivered value is a change, not another add.
    s->setFocus();
    QTest::keyClick(s, Qt::Key_Right);
    QCOMPARE(picker->bright, 1);
    QCOMPARE(picked.count(), 1);
    QCOMPARE(added.count(), 1);
}

void Picker::closeButtonAndDeactivationHide()
{
    QSignalSpy closed(picker, &ColorPicker::picker_close);
    QTest::mouseClick(picker->close, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(picker->isHidden());
    QCOMPARE(closed.count(), 1);

    // The window losing activation to another one hides an open popup.
    picker->show();
    QApplication::setActiveWindow(window.data());
    QVERIFY(window->isActiveWindow());
    QVERIFY(picker->isVisible());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(picker->isHidden());
    QCOMPARE(closed.count(), 2);
}

void Picker::wheelHuesAtTheCompassPoints()
{
    ColorWheel *wheel = picker->colorwheel;
    const QImage shot = wheel->grab().toImage();
    const qint64 key = wheel->hue_ring.cacheKey();
    QVERIFY(!wheel->hue_ring.isNull() && !wheel->white_veil.isNull());
    struct Point {
        QPoint at;
        int hue;
    };
    for (const Point &p : {Point{{114, 64}, 0}, Point{{64, 14}, 90}, Point{{14, 64}, 180},
                           Point{{64, 114}, 270}, Point{{99, 29}, 45}}) {
        const QColor c = shot.pixelColor(p.at);
        const int diff = qAbs(c.hsvHue() - p.hue);
        QVERIFY2(
            qMin(diff, 360 - diff) <= 2,
            qPrintable(
                QStringLiteral("hue %1 at (%2,%3)").arg(c.hsvHue()).arg(p.at.x()).arg(p.at.y())));
        QVERIFY(c.hsvSaturation() > 100); // the veil pales the rim only slightly
    }
    // White in the middle, nothing outside the disc.
    QVERIFY(shot.pixelColor(64, 64).hsvSaturation() <= 8);
    QImage ring = wheel->hue_ring.toImage();
    QCOMPARE(qAlpha(ring.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(ring.pixel(129, 129)), 0);
    // Made once: a second paint keeps the same pictures.
    wheel->grab();
    QCOMPARE(wheel->hue_ring.cacheKey(), key);
}

QTEST_MAIN(Picker)
#include "tst_colorpicker.moc"
