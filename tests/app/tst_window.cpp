// The main window against the virtual mouse: start-up state, navigation, the
// view animation and the tinted lighting zones.
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/buttons/micro_widget.h"
#include "pages/lighting/led_widget.h"
#include "window/navbtn.h"
#include "view/pictures.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

class Window : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstRefreshReadsInOrder();
    void noMouseAtStart();
    void everyViewPairAnimates_data();
    void everyViewPairAnimates();
    void newRequestRestartsFromTheCurrentView();
    void buttonPageStopsAnAnimationLeavingItsView();
    void pageChangeTargets_data();
    void pageChangeTargets();
    void settingsKeepsTheView();
    void zonesAreTintedPerView();
    void timedTransitionShowsEachFrameAndTheViewAsItIsNow();
    void navigationButtonLooks();
    void imageButtonLooksAsItsStyleSheetDid();
    void pagesMadeLaterShowWhatTheRefreshRead();
    void pagesAreMadeWithoutAPaint();

private:
    // Runs the animation step by step, returning every picture shown.
    QStringList runAnimation(z9ktool &w);
};

void Window::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Window::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
}

QStringList Window::runAnimation(z9ktool &w)
{
    QStringList shown;
    for (int guard = 0; w.animation_timer->isActive() && guard < 40; ++guard) {
        w.onTimeout();
        shown << w.picture_path;
    }
    return shown;
}

void Window::firstRefreshReadsInOrder()
{
    z9ktool w;
    vmouse_trace_clear();
    attach_at_start(w);
    QVERIFY(device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 1);
    const QStringList sent = sentCommands();
    QVERIFY(sent.size() >= 4);
    // One local frame for all four: byte 1 stays 1 after the front-zone read.
    QCOMPARE(sent.mid(0, 4), (QStringList{"a000", "a001", "c201", "c401"}));
    QVERIFY(sent.contains("b002")); // the button page opens on button 2
    QVERIFY(sent.contains("d000")); // firmware version
    QVERIFY(sent.contains("9000")); // battery
    QCOMPARE(QString::fromLatin1(dev_path), QStringLiteral("/dev/hidraw3"));
    QVERIFY(!w.battery_label->isHidden());
    QVERIFY(w.reset_btn->isEnabled());
}

void Window::noMouseAtStart()
{
    vmouse_plug(0);
    z9ktool w;
    attach_at_start(w);
    QVERIFY(!device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 0);
    for (int id = 1; id <= 5; ++id)
        QVERIFY(!w.nav_btns->button(id)->isEnabled());
    QVERIFY(w.nav_btns->button(1)->isChecked());
    QVERIFY(!w.reset_btn->isEnabled());
    QVERIFY(w.battery_label->isHidden());
}

void Window::everyViewPairAnimates_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("start");
    const struct {
        int a, b;
        const char *folder;
    } pairs[] = {{1, 0, "t_a"}, {2, 0, "s_a"}, {2, 1, "s_t"},
                 {3, 0, "r_a"}, {3, 1, "r_t"}, {2, 3, "s_r"}};
    for (const auto &p : pairs) {
        QTest::addRow("%s forward", p.folder) << p.a << p.b << p.folder << 0;
        QTest::addRow("%s backward", p.folder) << p.b << p.a << p.folder << 15;
    }
}

void Window::everyViewPairAnimates()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, folder);
    QFETCH(int, start);
    z9ktool w;
    w.btnpage->hideAllMarkers();
    mouse_status = from;
    after_status = to;
    w.anim_start(0, true);
    QCOMPARE(w.animation_no, start);
    QVERIFY(w.animation_timer->isActive());

    const QStringList shown = runAnimation(w);
    QStringList expected;
    for (int i = 1; i <= 14; ++i)
        expected << QStringLiteral(":/img/%1/%2").arg(folder).arg(start == 0 ? i : 15 - i);
    const char *const bases[4] = {":/img/axis", ":/img/top", ":/img/side", ":/img/rear"};
    expected << QString::fromLatin1(bases[to]);
    QCOMPARE(shown, expected);
    QCOMPARE(mouse_status, to);
    QVERIFY(!w.animation_timer->isActive());
    // The markers of the view arrived at are shown only now.
    QCOMPARE(!w.btnpage->m_top_button3->isHidden(), to == 1);
    QCOMPARE(!w.btnpage->m_side_button1->isHidden(), to == 2);
}

void Window::newRequestRestartsFromTheCurrentView()
{
    z9ktool w;
    mouse_status = 0;
    after_status = 1;
    w.anim_start(0, true); // axis -> top through t_a, from 15 down
    for (int i = 0; i < 5; ++i)
        w.onTimeout();
    QCOMPARE(w.picture_path, QStringLiteral(":/img/t_a/10"));
    after_status = 2; // now side is asked for; the picture still counts as axis
    w.anim_start(0, true);
    QCOMPARE(w.animation_no, 15);
    const QStringList shown = runAnimation(w);
    QCOMPARE(shown.first(), QStringLiteral(":/img/s_a/14"));
    QCOMPARE(shown.at(13), QStringLiteral(":/img/s_a/1"));
    QCOMPARE(shown.last(), QStringLiteral(":/img/side"));
    QCOMPARE(mouse_status, 2);
}

void Window::buttonPageStopsAnAnimationLeavingItsView()
{
    z9ktool w;
    {
        QSignalBlocker b(w.btnpage->viewBtn);
        w.btnpage->viewBtn->button(1)->setChecked(true);
    }
    mouse_status = 1; // top, on its way to axis for the welcome page
    w.page_changed(1, true);
    w.onTimeout();
    w.onTimeout();
    w.page_changed(2, true); // back to the buttons: top is wanted again
    QCOMPARE(after_status, 1);
    const QStringList shown = runAnimation(w);
    QCOMPARE(shown, QStringList{QStringLiteral(":/img/top")});
    QCOMPARE(mouse_status, 1);
}

void Window::pageChangeTargets_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("buttonView"); // view chosen on the button page
    QTest::addColumn<int>("ledZone");    // zone tab of the lighting page
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("start");
    QTest::newRow("welcome from top") << 1 << 1 << 1 << 1 << 0 << 0;
    QTest::newRow("pointer from rear") << 4 << 3 << 1 << 1 << 0 << 0;
    QTest::newRow("buttons: top from axis") << 2 << 0 << 1 << 1 << 1 << 15;
    QTest::newRow("buttons: top from side") << 2 << 2 << 1 << 1 << 1 << 0;
    QTest::newRow("buttons: top from rear") << 2 << 3 << 1 << 1 << 1 << 0;
    QTest::newRow("buttons: side from axis") << 2 << 0 << 2 << 1 << 2 << 15;
    QTest::newRow("buttons: side from top") << 2 << 1 << 2 << 1 << 2 << 15;
    QTest::newRow("lighting rear from side") << 3 << 2 << 1 << 0 << 3 << 0;
    QTest::newRow("lighting rear from top") << 3 << 1 << 1 << 0 << 3 << 15;
    QTest::newRow("lighting rear from axis") << 3 << 0 << 1 << 0 << 3 << 15;
    QTest::newRow("lighting front from rear") << 3 << 3 << 1 << 1 << 0 << 0;
}

void Window::pageChangeTargets()
{
    QFETCH(int, page);
    QFETCH(int, current);
    QFETCH(int, buttonView);
    QFETCH(int, ledZone);
    QFETCH(int, target);
    QFETCH(int, start);
    z9ktool w;
    {
        QSignalBlocker b1(w.btnpage->viewBtn), b2(w.ledpage->ledzone_switch);
        w.btnpage->viewBtn->button(buttonView)->setChecked(true);
        w.ledpage->ledzone_switch->button(ledZone)->setChecked(true);
    }
    mouse_status = current;
    w.page_changed(page, true);
    QCOMPARE(after_status, target);
    QCOMPARE(w.animation_no, start);
    QVERIFY(w.animation_timer->isActive());
    if (page == 2) QVERIFY(w.btnpage->m_top_button3->isHidden());
    const QStringList shown = runAnimation(w);
    QCOMPARE(mouse_status, target);
    QCOMPARE(shown.size(), 15); // 14 frames and the view arrived at
}

void Window::settingsKeepsTheView()
{
    z9ktool w;
    mouse_status = after_status = 2;
    w.page_changed(5, true);
    QVERIFY(!w.animation_timer->isActive());
    QCOMPARE(after_status, 2);
    // The button page asking for the view already shown starts nothing either.
    {
        QSignalBlocker b(w.btnpage->viewBtn);
        w.btnpage->viewBtn->button(2)->setChecked(true);
    }
    w.page_changed(2, true);
    QVERIFY(!w.animation_timer->isActive());
    // Unchecking a navigation button does nothing.
    mouse_status = 0;
    w.page_changed(4, false);
    QVERIFY(!w.animation_timer->isActive());
}

static QSet<QRgb> opaqueColours(const QImage &img)
{
    QSet<QRgb> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != 0) out.insert(img.pixel(x, y));
    return out;
}

void Window::zonesAreTintedPerView()
{
    z9ktool w;
    unsigned char front[32] = {0x4D, 0xA0, 0, 1, 0, 4, 8, 8, 0x11, 0x22, 0x33};
    unsigned char rear[32] = {0x4D, 0xA0, 0, 0, 1, 4, 8, 8, 0xAA, 0xBB, 0xCC};
    memcpy(front_led_status, front, 32);
    memcpy(rear_led_status, rear, 32);

    w.showAxis(); // front off: grey 116 in the three-quarter view
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(116, 116, 116)});
    QCOMPARE(opaqueColours(rear_image), QSet<QRgb>{qRgb(0xAA, 0xBB, 0xCC)});
    QVERIFY(!w.wheel_mask->isHidden() && !w.rear_mask->isHidden());

    w.showTop(); // grey 127 elsewhere; the top view has no rear mask
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(127, 127, 127)});
    QVERIFY(rear_image.isNull());
    QVERIFY(w.rear_mask->isHidden());

    front_led_status[4] = 2;
    w.showRear(); // rear view: only the white pixels of its mask are lit
    QVERIFY(w.wheel_mask->isHidden());
    QCOMPARE(opaqueColours(rear_image), QSet<QRgb>{qRgb(0xAA, 0xBB, 0xCC)});

    rear_led_status[4] = 6; // "magic": the prepared picture instead of a tint
    w.showSide();
    QCOMPARE(rear_image, QImage(":/img/side_rear_magic"));
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(0x11, 0x22, 0x33)});
    w.updateImageRearLedMode();
    QCOMPARE(rear_image, QImage(":/img/rear_rear_magic"));

    // The lighting page's colour change tints the zone of its checked tab.
    rear_led_status[4] = 1;
    w.showAxis();
    front_led_status[8] = 0x01;
    w.updateImageColor(); // front tab checked at start
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(0x01, 0x22, 0x33)});
}

// The transition under its own timer, as a user sees it: each step's picture
// is decoded in the gap before it, and the view at the end is made ready in
// the last gap. A colour changed after that still shows.
void Window::timedTransitionShowsEachFrameAndTheViewAsItIsNow()
{
    z9ktool w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    unsigned char front[32] = {0x4D, 0xA0, 0, 1, 1, 4, 8, 8, 0x11, 0x22, 0x33};
    memcpy(front_led_status, front, 32);
    w.showSide();
    const QImage oldMask = w.wheel_mask->pixmap(Qt::ReturnByValue).toImage();
    w.showAxis();

    QStringList paths;
    QList<QImage> frames;
    // After the window's own handler, which was connected first.
    connect(w.animation_timer, &QTimer::timeout, &w, [&] {
        paths << w.picture_path;
        frames << w.mouselabel->frame().toImage();
        if (w.picture_path == QLatin1String(":/img/s_a/1")) // the view is made ready next
            QTimer::singleShot(20, &w, [] { front_led_status[8] = 0x99; });
    });
    mouse_status = 0;
    after_status = 2;
    w.anim_start(0, true);
    QTRY_VERIFY_WITH_TIMEOUT(!w.animation_timer->isActive(), 3000);

    QCOMPARE(paths.size(), 15);
    QCOMPARE(paths.last(), QStringLiteral(":/img/side"));
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(paths[i], QStringLiteral(":/img/s_a/%1").arg(14 - i));
        const QImage png = QPixmap::fromImage(QImage(paths[i], "PNG")).toImage();
        QVERIFY2(frames[i].convertToFormat(png.format()) == png, qPrintable(paths[i]));
    }
    QCOMPARE(frames.last(), QPixmap::fromImage(QImage(":/img/side", "PNG")).toImage());
    QCOMPARE(opaqueColours(wheel_image), QSet<QRgb>{qRgb(0x99, 0x22, 0x33)});
    const QImage shownMask = w.wheel_mask->pixmap(Qt::ReturnByValue).toImage();
    const QRect shownRect = w.wheel_mask->geometry();
    QVERIFY(shownMask != oldMask);
    w.showSide(); // made afresh
    QCOMPARE(w.wheel_mask->pixmap(Qt::ReturnByValue).toImage(), shownMask);
    QCOMPARE(w.wheel_mask->geometry(), shownRect);
    QVERIFY(!w.wheel_mask->isHidden() && !w.rear_mask->isHidden());
}

void Window::navigationButtonLooks()
{
    // The pictures keep their Chinese names whatever the label's language.
    Navbtn b(QStringLiteral("主页"), QStringLiteral("Home"));
    QCOMPARE(b.iconPath(), QStringLiteral(":/img/主页"));
    QCOMPARE(b.textColor(), QColor(255, 255, 255, 178));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&b, &enter);
    QCOMPARE(b.iconPath(), QStringLiteral(":/img/主页_s"));
    QCOMPARE(b.textColor(), QColor(0, 227, 155));
    b.setChecked(true);
    QCOMPARE(b.textColor(), QColor(0, 236, 155));
    b.setEnabled(false); // no mouse: plain icon and dim text, hovered or checked
    QCOMPARE(b.iconPath(), QStringLiteral(":/img/主页"));
    QCOMPARE(b.textColor(), QColor(255, 255, 255, 178));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&b, &leave);
    QCOMPARE(b.state(), Navbtn::HOVER); // a disabled button keeps its state
}

void Window::imageButtonLooksAsItsStyleSheetDid()
{
    // The minimise and close buttons were drawn by a style sheet's image.
    QPushButton sheet;
    sheet.setStyleSheet(QStringLiteral(
        "QPushButton{border:none;background-color:transparent;image:url(:/img/close.png);}"
        "QPushButton:hover{image:url(:/img/close_hover.png);}"));
    ImageButton painted(nullptr, QStringLiteral(":/img/close.png"),
                        QStringLiteral(":/img/close_hover.png"));
    // At rest, then with the pointer over it.
    auto looks = [](QPushButton &b) {
        b.setGeometry(100, 100, 12, 12);
        b.show();
        QList<QImage> out;
        if (!QTest::qWaitForWindowExposed(&b)) return out;
        QTest::mouseMove(&b, QPoint(60, 60));
        out << b.grab().toImage();
        QTest::mouseMove(&b, QPoint(6, 6));
        out << b.grab().toImage();
        QTest::mouseMove(&b, QPoint(60, 60));
        b.hide();
        return out;
    };
    const QList<QImage> expected = looks(sheet);
    QCOMPARE(expected.size(), 2);
    QVERIFY(expected[0] != expected[1]); // the hover was seen
    QCOMPARE(looks(painted), expected);
}

QTEST_MAIN(Window)
#include "tst_window.moc"

namespace
{
void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

// The buttons, lighting and pointer pages as they look.
QList<QImage> pageLooks(z9ktool &w)
{
    return {w.btnpage->grab().toImage(), w.ledpage->grab().toImage(),
            w.pointerpage->grab().toImage()};
}
} // namespace

void Window::pagesMadeLaterShowWhatTheRefreshRead()
{
    // A mouse set away from what the pages show before any read: button 2
    // runs a macro, which the refresh reads over the configuration channel.
    {
        z9ktool w;
        attach_at_start(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        click(w.nav_btns->button(2));
        QTRY_VERIFY(!w.animation_timer->isActive());
        click(w.btnpage->m_top_button3);
        click(w.btnpage->nav_micro);
        micro_Widget *rec = w.btnpage->micro_area;
        for (quint8 key : {quint8(HID_A), quint8(HID_A + 1)})
            for (bool up : {false, true}) {
                key_record r;
                r.keyCode = key;
                r.press = up;
                r.interval_time = 40;
                rec->btn_records << r;
            }
        click(rec->save_micro);
        click(w.nav_btns->button(3));
        click(w.ledpage->front_mode_btn->button(2));
        click(w.ledpage->rear_mode_btn->button(3));
        click(w.nav_btns->button(4));
        click(w.pointerpage->report_area->report_button->button(2));
        device_attached = 0;
    }

    // Made before the refresh, then filled by it.
    QList<QImage> early;
    {
        z9ktool w;
        w.btnpage.get();
        w.ledpage.get();
        w.pointerpage.get();
        attach_at_start(w);
        QCOMPARE(w.pointerpage->report_area->report_button->checkedId(), 2);
        early = pageLooks(w);
        device_attached = 0;
    }

    z9ktool w;
    attach_at_start(w);
    w.show();
    QVERIFY(!w.btnpage.isBuilt());
    QVERIFY(!w.ledpage.isBuilt());
    QVERIFY(!w.pointerpage.isBuilt());
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Made after the first paint, one per turn of the event loop, in their places.
    QTRY_VERIFY(w.btnpage.isBuilt() && w.ledpage.isBuilt() && w.pointerpage.isBuilt());
    QCOMPARE(w.side_stack->count(), 6);
    QCOMPARE(w.side_stack->indexOf(w.btnpage), 2);
    QCOMPARE(w.side_stack->indexOf(w.ledpage), 3);
    QCOMPARE(w.side_stack->indexOf(w.pointerpage), 4);
    QCOMPARE(w.side_stack->currentIndex(), 1);
    QVERIFY(w.btnpage->nav_micro->isChecked());
    QCOMPARE(w.btnpage->micro_area->btn_records.size(), 4);
    const QList<QImage> late = pageLooks(w);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(late[i], early[i]);
    // And they answer as they did: the lighting page's effect tints the picture.
    click(w.nav_btns->button(3));
    QCOMPARE(w.side_stack->currentWidget(), static_cast<QWidget *>(w.ledpage));
    QTRY_VERIFY(!w.animation_timer->isActive());
    click(w.ledpage->front_mode_btn->button(0)); // off: the wheel shows grey
    QVERIFY(w.wheel_mask->isVisible());
    const QImage wheel = w.wheel_mask->pixmap()->toImage().convertToFormat(QImage::Format_ARGB32);
    int lit = 0;
    for (int y = 0; y < wheel.height(); ++y)
        for (int x = 0; x < wheel.width(); ++x)
            if (qAlpha(wheel.pixel(x, y)) == 255) {
                QCOMPARE(wheel.pixel(x, y), qRgb(127, 127, 127));
                ++lit;
            }
    QVERIFY(lit > 100);
}

void Window::pagesAreMadeWithoutAPaint()
{
    // Started hidden (in the tray): made all the same, once the event loop runs.
    z9ktool w;
    attach_at_start(w);
    QTRY_VERIFY(w.btnpage.isBuilt() && w.ledpage.isBuilt() && w.pointerpage.isBuilt());
    QVERIFY(w.isHidden());

    // A page asked for while its stand-in is on show takes its place on show.
    z9ktool v;
    attach_at_start(v);
    v.side_stack->setCurrentIndex(4);
    pointer_Widget *page = v.pointerpage;
    QCOMPARE(v.side_stack->currentWidget(), static_cast<QWidget *>(page));
    QCOMPARE(v.side_stack->count(), 6);
}
