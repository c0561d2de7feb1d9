// The lighting page against the virtual mouse: what each click, key and drag
// sends as 0xA1, what the zone records and the mouse picture then hold, and the
// zone switch with its animation.
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/lighting/col_btn.h"
#include "pages/lighting/colorpicker.h"
#include "pages/lighting/led_widget.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QtTest>

class Lighting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void pageLayout();
    void swatchWhileRearRuns();
    void magicSendsTheHeldColour();
    void onAndOffLeaveTheSpeedByte();
    void noSelectedColourAsksTheMouse();
    void silentMouseGivesBlackAfterOneRetry();
    void zoneSwitchSendsNothingAndAnimates();
    void lightingPageFromSideView();
    void effectChosenWhileThePictureMoves();
    void colourMatchingTwoPresetsSelectsTheHigher();
    void sliderByKeyboardAndByDrag();
    void unknownEffectCodeFromTheMouse();

private:
    // Window shown on the lighting page with the virtual mouse read; trace empty.
    void openPage(z9ktool &w);
    static void runAnimation(z9ktool &w, QStringList *shown = nullptr);
    static void clickAt(led_Widget *page, QPoint p);
    static QPoint swatchPos(int k) { return QPoint(185 + 30 * (k - 1) + 10, 587); }
};

namespace
{
// Bytes 0-8 of every 0xA1 frame sent, as hex: "a1 00 03 05 08 08 rr gg bb".
QStringList sentA1()
{
    QStringList out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONTROL && quint8(r.bytes.at(1)) == 0xA1)
            out << QString::fromLatin1(r.bytes.mid(1, 9).toHex(' '));
    return out;
}

QSet<QRgb> opaqueColours(const QImage &img)
{
    QSet<QRgb> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != 0) out.insert(img.pixel(x, y));
    return out;
}

int countPixels(const QImage &img, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += test(img.pixel(x, y));
    return n;
}

// A key press and release as the X server delivers them: X11 key code and keysym.
void typeKey(QWidget *w, Qt::Key key, quint32 x11code, quint32 keysym)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, x11code, keysym, 0);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, x11code, keysym, 0);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}
void typeRight(QWidget *w)
{
    typeKey(w, Qt::Key_Right, 114, 0xff53);
}
} // namespace

void Lighting::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Lighting::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
}

void Lighting::runAnimation(z9ktool &w, QStringList *shown)
{
    for (int guard = 0; w.animation_timer->isActive() && guard < 40; ++guard) {
        w.onTimeout();
        if (shown) *shown << w.picture_path;
    }
}

void Lighting::clickAt(led_Widget *page, QPoint p)
{
    QWidget *target = page->childAt(p);
    if (!target) target = page;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(page, p));
}

void Lighting::openPage(z9ktool &w)
{
    attach_at_start(w);
    QVERIFY(device_attached);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.nav_btns->button(3), Qt::LeftButton);
    QCOMPARE(w.side_stack->currentWidget(), static_cast<QWidget *>(w.ledpage));
    runAnimation(w);
    vmouse_trace_clear();
}

void Lighting::pageLayout()
{
    z9ktool w;
    led_Widget *p = w.ledpage;
    // Before any mouse is read nothing is chosen.
    QCOMPARE(p->rear_mode_btn->checkedId(), -1);
    QCOMPARE(p->front_mode_btn->checkedId(), -1);
    QCOMPARE(p->color_btn_g->checkedId(), -1);
    QCOMPARE(p->ledzone_switch->checkedId(), 1);
    QCOMPARE(p->led_mode->currentIndex(), 0);

    QStringList rear, front;
    for (QAbstractButton *b : p->rear_mode->findChildren<QPushButton *>())
        rear << QStringLiteral("%1=%2").arg(p->rear_mode_btn->id(b)).arg(b->text());
    for (QAbstractButton *b : p->front_mode->findChildren<QPushButton *>())
        front << QStringLiteral("%1=%2").arg(p->front_mode_btn->id(b)).arg(b->text());
    QCOMPARE(rear, (QStringList{"1= 常亮", "2= 呼吸", "3= 跑马", "6= 炫彩", "0= 关闭"}));
    QCOMPARE(front, (QStringList{"1= 常亮", "2= 呼吸", "0= 关闭"}));
    QVERIFY(!p->rear_magic->icon().isNull());

    // Built-in presets until the preset file is read: four shown.
    const int colours[4][3] = {{255, 0, 0}, {0, 135, 255}, {0, 255, 20}, {255, 170, 0}};
    for (int k = 1; k <= 8; ++k) {
        Col_Btn *c = p->findChild<Col_Btn *>(QStringLiteral("c_%1").arg(k));
        QVERIFY(c);
        QCOMPARE(p->color_btn_g->id(c), k);
        QCOMPARE(c->isVisibleTo(p), k <= 4);
        if (k <= 4)
            QCOMPARE(QColor(c->rgb_r, c->rgb_g, c->rgb_b),
                     QColor(colours[k - 1][0], colours[k - 1][1], colours[k - 1][2]));
    }

    QCOMPARE(p->speed_level->minimum(), 1);
    QCOMPARE(p->speed_level->maximum(), 8);
    QCOMPARE(p->speed_level->pageStep(), 1);
    QCOMPARE(p->speed_level->value(), 4);
    QVERIFY(!p->speed_level->hasTracking());

    // Stacking: the mask lies over the swatches, the picker over mask_btn.
    const QObjectList &kids = p->children();
    QVERIFY(kids.indexOf(p->color_8) < kids.indexOf(p->speed_level));
    QVERIFY(kids.indexOf(p->speed_level) < kids.indexOf(p->mask));
    QVERIFY(kids.indexOf(p->mask) < kids.indexOf(p->mask_btn));
    QVERIFY(kids.indexOf(p->mask_btn) < kids.indexOf(p->picker));
}

void Lighting::swatchWhileRearRuns()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    QCOMPARE(mouse_status, 3);
    QTest::mouseClick(p->rear_run, Qt::LeftButton);
    p->speed_level->setFocus();
    typeRight(p->speed_level); // 4, the mouse's rear speed, becomes 5
    vmouse_trace_clear();

    clickAt(p, swatchPos(2));
    QCOMPARE(sentA1(), QStringList{"a1 00 03 05 08 08 00 87 ff"});
    QCOMPARE(sentCommands(), QStringList{"a100"}); // a swatch needs no read
    QCOMPARE(rear_selected_color, 2);
    QCOMPARE(QByteArray((char *)rear_led_status + 4, 7).toHex(' '),
             QByteArray("03 05 08 08 00 87 ff"));
    QCOMPARE(opaqueColours(rear_image), QSet<QRgb>{qRgb(0, 135, 255)});
}

void Lighting::magicSendsTheHeldColour()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    clickAt(p, swatchPos(1)); // rear red
    QTest::mouseClick(p->front, Qt::LeftButton);
    runAnimation(w);
    clickAt(p, swatchPos(3)); // front green: the frame now holds 00 ff 14
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    QVERIFY(p->color_1->isChecked());
    vmouse_trace_clear();

    QTest::mouseClick(p->rear_magic, Qt::LeftButton);
    QCOMPARE(sentA1(), QStringList{"a1 00 06 04 08 08 00 ff 14"});
    QCOMPARE(QByteArray((char *)rear_led_status + 8, 3).toHex(' '), QByteArray("ff 00 00"));
    QVERIFY(!p->mask->isHidden());
    QVERIFY(p->color_1->gray && p->color_4->gray);
    QVERIFY(p->speed_level->isEnabled());
    QCOMPARE(rear_image, QImage(":/img/rear_rear_magic"));
    QVERIFY(!w.rear_mask->isHidden());

    vmouse_trace_clear();
    clickAt(p, swatchPos(2)); // swallowed by the mask
    QVERIFY(sentA1().isEmpty());
    QVERIFY(p->color_1->isChecked());

    // Back to a steady light: the zone's own shape in red, not the magic picture's.
    QTest::mouseClick(p->rear_on, Qt::LeftButton);
    QCOMPARE(sentA1(), QStringList{"a1 00 01 04 08 08 ff 00 00"});
    QVERIFY(p->mask->isHidden());
    QVERIFY(!p->speed_level->isEnabled());
    QCOMPARE(opaqueColours(rear_image), QSet<QRgb>{qRgb(255, 0, 0)});
    const auto white = [](QRgb c) { return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255; };
    QCOMPARE(countPixels(rear_image, [](QRgb c) { return c != 0; }),
             countPixels(QImage(":/img/rear_rear"), white));
}

void Lighting::onAndOffLeaveTheSpeedByte()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    clickAt(p, swatchPos(2));
    QTest::mouseClick(p->front_breath, Qt::LeftButton);
    p->speed_level->setFocus();
    for (int i = 0; i < 3; ++i)
        typeRight(p->speed_level); // front speed 7
    QCOMPARE(front_led_status[5], 7);
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    QTest::mouseClick(p->rear_run, Qt::LeftButton); // the frame's speed becomes the rear's 4
    QTest::mouseClick(p->front, Qt::LeftButton);
    runAnimation(w);
    QCOMPARE(p->speed_level->value(), 7);
    vmouse_trace_clear();

    QTest::mouseClick(p->front_off, Qt::LeftButton);
    QCOMPARE(sentA1(), QStringList{"a1 01 00 04 08 08 00 87 ff"});
    QCOMPARE(front_led_status[4], 0);
    QCOMPARE(front_led_status[5], 7);
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(127, 127, 127)});
    QVERIFY(!p->speed_level->isEnabled());
    QVERIFY(!p->mask->isHidden() && p->color_2->gray);

    QTest::mouseClick(p->front_on, Qt::LeftButton);
    QCOMPARE(sentA1().last(), QStringLiteral("a1 01 01 04 08 08 00 87 ff"));
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(0, 135, 255)});
    QVERIFY(p->mask->isHidden() && !p->color_2->gray);
    QVERIFY(!p->speed_level->isEnabled());
}

void Lighting::noSelectedColourAsksTheMouse()
{
    z9ktool w;
    openPage(w); // the mouse's colours match no preset
    led_Widget *p = w.ledpage;
    QCOMPARE(front_selected_color, 0);
    QCOMPARE(p->color_btn_g->checkedId(), -1);

    QTest::ignoreMessage(QtDebugMsg, "get color id: -1");
    QTest::ignoreMessage(QtDebugMsg, "get color");
    QTest::mouseClick(p->front_breath, Qt::LeftButton);
    QCOMPARE(sentCommands(), (QStringList{"a001", "a101"}));
    QCOMPARE(sentA1(), QStringList{"a1 01 02 04 08 08 00 e3 9b"});

    // The rear zone, reached through a front preset: the check is cleared on the switch.
    clickAt(p, swatchPos(4));
    QTest::ignoreMessage(QtDebugMsg, "ID: 0");
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    QCOMPARE(p->color_btn_g->checkedId(), -1);
    vmouse_trace_clear();
    p->speed_level->setFocus();
    typeRight(p->speed_level);
    QCOMPARE(sentCommands(), (QStringList{"a000", "a100"}));
    QCOMPARE(sentA1(), QStringList{"a1 00 02 05 08 08 ff 3c 3c"});
}

void Lighting::silentMouseGivesBlackAfterOneRetry()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    vmouse_set_silent(1);
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    QTest::mouseClick(p->front_breath, Qt::LeftButton);
    QCOMPARE(sentCommands(), (QStringList{"a001", "a001", "a101"}));
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL), opens + 1);
    QCOMPARE(sentA1(), QStringList{"a1 01 02 04 08 08 00 00 00"});
    QCOMPARE(QByteArray((char *)front_led_status + 8, 3), QByteArray(3, '\0'));
}

void Lighting::zoneSwitchSendsNothingAndAnimates()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    QCOMPARE(mouse_status, 0);
    // What the page has done by the time each tab's signal arrives.
    QStringList seen;
    connect(p, &led_Widget::ledZoneChanged, this, [&](int id, bool checked) {
        seen << QStringLiteral("%1 %2 row%3 view%4")
                    .arg(id)
                    .arg(checked)
                    .arg(p->led_mode->currentIndex())
                    .arg(after_status);
    });

    QTest::mouseClick(p->rear, Qt::LeftButton);
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.contains("0 1 row0 view3"));
    QVERIFY(sentReports().isEmpty());
    QStringList shown;
    runAnimation(w, &shown);
    QCOMPARE(shown.first(), QStringLiteral(":/img/r_a/14"));
    QCOMPARE(shown.at(13), QStringLiteral(":/img/r_a/1"));
    QCOMPARE(shown.last(), QStringLiteral(":/img/rear"));
    // The rear zone's own state: the mouse's breathing speed, all controls on.
    QCOMPARE(p->speed_level->value(), 4);
    QVERIFY(p->speed_level->isEnabled());

    seen.clear();
    shown.clear();
    QTest::mouseClick(p->front, Qt::LeftButton);
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.contains("1 1 row1 view0"));
    runAnimation(w, &shown);
    QCOMPARE(shown.first(), QStringLiteral(":/img/r_a/1"));
    QCOMPARE(shown.last(), QStringLiteral(":/img/axis"));
    QVERIFY(!p->speed_level->isEnabled()); // the front zone is steady
    QVERIFY(sentReports().isEmpty());
}

void Lighting::lightingPageFromSideView()
{
    z9ktool w;
    openPage(w);
    QTest::mouseClick(w.ledpage->rear, Qt::LeftButton);
    runAnimation(w);
    QTest::mouseClick(w.nav_btns->button(2), Qt::LeftButton);
    QTest::mouseClick(w.btnpage->viewBtn->button(2), Qt::LeftButton);
    runAnimation(w);
    QCOMPARE(mouse_status, 2);

    QStringList shown;
    QTest::mouseClick(w.nav_btns->button(3), Qt::LeftButton);
    QCOMPARE(w.animation_no, 0);
    runAnimation(w, &shown);
    QCOMPARE(shown.first(), QStringLiteral(":/img/s_r/1"));
    QCOMPARE(shown.at(13), QStringLiteral(":/img/s_r/14"));
    QCOMPARE(shown.last(), QStringLiteral(":/img/rear"));
}

void Lighting::effectChosenWhileThePictureMoves()
{
    z9ktool w;
    openPage(w);
    QTest::mouseClick(w.ledpage->rear, Qt::LeftButton);
    w.onTimeout(); // first in-between frame: the masks are off
    QTest::mouseClick(w.ledpage->rear_magic, Qt::LeftButton);
    QVERIFY(w.rear_mask->isHidden() && w.wheel_mask->isHidden());
    QCOMPARE(w.picture_path, QStringLiteral(":/img/r_a/14"));
    runAnimation(w); // the view arrived at shows the change
    QCOMPARE(rear_image, QImage(":/img/rear_rear_magic"));
    QVERIFY(!w.rear_mask->isHidden());
}

void Lighting::colourMatchingTwoPresetsSelectsTheHigher()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    p->color_4->setColor(0, 135, 255); // the same as preset 2
    p->color_5->setColor(0, 135, 255); // not in use: hidden
    clickAt(p, swatchPos(2));
    QCOMPARE(front_selected_color, 2);

    // A new full read matches the mouse's colour to the presets.
    w.update_mouse_status();
    w.update_ui();
    QCOMPARE(front_selected_color, 4);
    QVERIFY(p->color_4->isChecked());
    QCOMPARE(rear_selected_color, 0);
}

void Lighting::sliderByKeyboardAndByDrag()
{
    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    clickAt(p, swatchPos(1));
    QTest::mouseClick(p->front_breath, Qt::LeftButton);
    vmouse_trace_clear();

    p->speed_level->setFocus();
    typeRight(p->speed_level);
    typeRight(p->speed_level);
    typeKey(p->speed_level, Qt::Key_PageDown, 117, 0xff56);
    QCOMPARE(sentA1(), (QStringList{"a1 01 02 05 08 08 ff 00 00", "a1 01 02 06 08 08 ff 00 00",
                                    "a1 01 02 05 08 08 ff 00 00"}));

    // Drag the handle to the far end: one command, on release.
    vmouse_trace_clear();
    QSlider *s = p->speed_level;
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = Qt::Horizontal;
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = opt.sliderValue = s->value();
    opt.subControls = QStyle::SC_All;
    const QPoint handle =
        s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
    QTest::mousePress(s, Qt::LeftButton, {}, handle);
    for (int x = handle.x() + 10; x <= s->width(); x += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, handle.y()),
                         s->mapToGlobal(QPoint(x, handle.y())), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(s, &move);
    }
    QVERIFY(s->isSliderDown());
    QVERIFY(sentA1().isEmpty());
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(s->width() - 1, handle.y()));
    QCOMPARE(sentA1(), QStringList{"a1 01 02 08 08 08 ff 00 00"});
    QCOMPARE(front_led_status[5], 8);
}

void Lighting::unknownEffectCodeFromTheMouse()
{
    // The mouse reports rear effect 5 at speed 9, neither of which the page offers.
    bindVirtualMouse();
    unsigned char frame[31] = {0xA1, 0, 5, 9, 8, 8, 10, 20, 30};
    m_OpenDevice(USB_VID, USB_PID);
    m_WriteControl(31, frame);
    m_CloseDevice();

    z9ktool w;
    openPage(w);
    led_Widget *p = w.ledpage;
    QCOMPARE(p->rear_mode_btn->checkedId(), -1);
    const bool enabledBefore = p->speed_level->isEnabled();
    QTest::mouseClick(p->rear, Qt::LeftButton);
    runAnimation(w);
    QCOMPARE(p->speed_level->value(), 8);                 // held to the scale
    QCOMPARE(p->speed_level->isEnabled(), enabledBefore); // no state for an unknown effect
    QVERIFY(sentReports().isEmpty());

    clickAt(p, swatchPos(1)); // the row is open from the front zone's steady light
    QCOMPARE(sentA1(), QStringList{"a1 00 ff 08 08 08 ff 00 00"});
    QCOMPARE(opaqueColours(rear_image), QSet<QRgb>{qRgb(255, 0, 0)});
}

QTEST_MAIN(Lighting)
#include "tst_lighting.moc"
