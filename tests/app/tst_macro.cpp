// The macro recorder: recording through the keyboard procedure, stopping, the
// list it shows, and the macro's way to and from the virtual mouse's memory.
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "platform/keycapture.h"
#include "window/navbtn.h"
#include "window/z9ktool.h"
#include "pages/buttons/micro_widget.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QTimer>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace
{
const unsigned kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;

void press(int vkey)
{
    micro_keyboard_proc(0, kDown, vkey);
}
void release(int vkey)
{
    micro_keyboard_proc(0, kUp, vkey);
}
void tap(int vkey)
{
    press(vkey);
    release(vkey);
}

QStringList rows(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Which of the three pictures each row carries: d(own), u(p), t(imer).
QString icons(const QListWidget *list)
{
    const QImage d = QIcon(":/img/keydown.png").pixmap(16).toImage();
    const QImage u = QIcon(":/img/keyup.png").pixmap(16).toImage();
    const QImage t = QIcon(":/img/timer.png").pixmap(16).toImage();
    QString out;
    for (int i = 0; i < list->count(); ++i) {
        const QImage img = list->item(i)->icon().pixmap(16).toImage();
        out += img == d ? 'd' : img == u ? 'u' : img == t ? 't' : '?';
    }
    return out;
}

// A key event as the X server delivers it: X key code (evdev + 8), Num Lock on.
void sendKey(QWidget *to, QEvent::Type type, quint32 keycode, int qtKey, bool repeat = false)
{
    QKeyEvent ev(type, qtKey, Qt::NoModifier, keycode, 0, 0x10, QString(), repeat);
    QApplication::sendEvent(to, &ev);
}

QVector<SentReport> configReports(quint8 code)
{
    QVector<SentReport> out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONFIG && quint8(r.bytes[1]) == code) out << r;
    return out;
}

QVector<SentReport> controlReports(quint8 code)
{
    QVector<SentReport> out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONTROL && quint8(r.bytes[1]) == code) out << r;
    return out;
}

quint32 offsetOf(const SentReport &r)
{
    const auto *p = reinterpret_cast<const quint8 *>(r.bytes.constData()) + 4;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// Records n events: presses and releases of letters, as a typist would.
void recordEvents(micro_Widget &w, int n, bool delays)
{
    w.rec_delay_btn->setChecked(delays);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(w.recording);
    for (int i = 0; i < n; ++i) {
        const int vkey = 0x41 + (i / 2) % 26;
        if (i % 2 == 0) {
            press(vkey);
        } else {
            if (delays) QTest::qWait(2);
            release(vkey);
        }
    }
    if (w.recording) QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(!w.recording);
}
} // namespace

class Macro : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void panelLayout();
    void recordingWithDelays();
    void recordingWithoutDelays();
    void heldKeyAndStrayRelease();
    void recordingThroughKeyEvents();
    void stopsByItselfAt128();
    void focusLossStopsExceptToTheRecordButton();
    void uploadPacketsInTheTrace();
    void emptyMacroSendsNoPacket();
    void roundTripThroughTheMouse();
    void downloadEdges();
    void silentMouseEndsAfterOneRequest();
    void onTheButtonPage();
};

void Macro::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Macro::init()
{
    freshMouse();
    m_OpenDevice(USB_VID, USB_PID);
    m_OpenConfigDevice(USB_VID, USB_PID);
}

void Macro::panelLayout()
{
    micro_Widget w;
    QCOMPARE(w.size(), QSize(920, 250));
    QCOMPARE(w.records_list->geometry(), QRect(110, 0, 420, 220));
    QCOMPARE(w.record_btn->geometry(), QRect(610, 60, 130, 30));
    QCOMPARE(w.save_micro->geometry(), QRect(610, 100, 130, 30));
    QCOMPARE(w.rec_delay_btn->geometry(), QRect(610, 140, 130, 16));
    QCOMPARE(w.record_btn->text(), QStringLiteral("开始录制"));
    QCOMPARE(w.save_micro->text(), QStringLiteral("保存"));
    QCOMPARE(w.rec_delay_btn->text(), QStringLiteral("记录事件之间延迟"));
    QCOMPARE(w.records_list->styleSheet(), qss_listwidget);
    QCOMPARE(w.save_micro->styleSheet(), qss_click_btn);
    QCOMPARE(micro_instance, &w);
    // The only radio of the panel: a second click does not uncheck it.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.rec_delay_btn, Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(w.rec_delay_btn->isChecked());
    QTest::mouseClick(w.rec_delay_btn, Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(w.rec_delay_btn->isChecked());
}

void Macro::recordingWithDelays()
{
    micro_Widget w;
    w.rec_delay_btn->setChecked(true);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(w.recording);
    QCOMPARE(w.record_btn->text(), QStringLiteral("停止录制"));
    QVERIFY(!w.save_micro->isEnabled());
    QVERIFY(!w.rec_delay_btn->isEnabled());
    QTest::qWait(30); // the stopwatch runs from the start, yet the first event carries no delay
    press(0x41);
    QTest::qWait(30);
    release(0x41);
    QCOMPARE(w.btn_records.size(), 2);
    QCOMPARE(w.btn_records[0].interval_time, quint16(0));
    QVERIFY(w.btn_records[1].interval_time >= 30);
    QCOMPARE(w.btn_records[0].keyCode, quint8(HID_A));
    QCOMPARE(w.btn_records[0].press, quint8(KEY_DOWN));
    QCOMPARE(w.btn_records[1].press, quint8(KEY_UP));
    const QStringList list = rows(w.records_list);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0], QStringLiteral("A"));
    QCOMPARE(list[1], QString::number(w.btn_records[1].interval_time) + " 毫秒延迟");
    QCOMPARE(list[2], QStringLiteral("A"));
    QCOMPARE(icons(w.records_list), QStringLiteral("dtu"));
    QCOMPARE(w.records_list->currentRow(), 2);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(!w.recording);
    QVERIFY(w.save_micro->isEnabled());
    QVERIFY(w.rec_delay_btn->isEnabled());
}

void Macro::recordingWithoutDelays()
{
    micro_Widget w;
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    press(0xa2); // left Ctrl
    QTest::qWait(15);
    tap(0x43);
    QTest::qWait(15);
    release(0xa2);
    press(0xbc); // comma, named by its shifted symbol
    QCOMPARE(rows(w.records_list), (QStringList{"CTRL", "C", "C", "CTRL", "<"}));
    QCOMPARE(icons(w.records_list), QStringLiteral("dduud"));
    for (const key_record &r : w.btn_records)
        QCOMPARE(r.interval_time, quint16(0));
    QCOMPARE(w.btn_records[0].keyCode, quint8(HID_LEFTCTRL));

    // A new recording starts from an empty macro.
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(w.btn_records.isEmpty());
    QCOMPARE(w.records_list->count(), 0);
    // The comma was held when the last recording stopped: its flag is gone.
    release(0xbc);
    QVERIFY(w.btn_records.isEmpty());
}

void Macro::heldKeyAndStrayRelease()
{
    micro_Widget w;
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    release(0x42); // pressed before the recording began
    for (int i = 0; i < 20; ++i)
        press(0x41); // auto-repeat
    release(0x41);
    release(0x41);
    QCOMPARE(w.btn_records.size(), 2);
    // Alt held with another key arrives as system key messages.
    micro_keyboard_proc(0, kSysDown, 0xa4);
    micro_keyboard_proc(0, kSysDown, 0xa4);
    micro_keyboard_proc(0, kSysUp, 0xa4);
    QCOMPARE(w.btn_records.size(), 4);
    QCOMPARE(w.btn_records[2].keyCode, quint8(HID_LEFTALT));
    // Not an action, and the untracked code 255: nothing recorded, still consumed.
    QCOMPARE(micro_keyboard_proc(1, kDown, 0x44), 1);
    QCOMPARE(micro_keyboard_proc(0, kDown, 0xff), 1);
    QCOMPARE(micro_keyboard_proc(0, kDown, 0x45), 1);
    QCOMPARE(w.btn_records.size(), 5);
    // Nothing is recorded once stopped.
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    tap(0x46);
    QCOMPARE(w.btn_records.size(), 5);
}

void Macro::recordingThroughKeyEvents()
{
    micro_Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.rec_delay_btn->setChecked(true);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(KeyCapture::anyCapturing());
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : w.records_list;
    sendKey(focus, QEvent::KeyPress, 38, Qt::Key_A);
    for (int i = 0; i < 5; ++i) { // auto-repeat
        sendKey(focus, QEvent::KeyRelease, 38, Qt::Key_A, true);
        sendKey(focus, QEvent::KeyPress, 38, Qt::Key_A, true);
    }
    QTest::qWait(20);
    sendKey(focus, QEvent::KeyRelease, 38, Qt::Key_A);
    sendKey(focus, QEvent::KeyPress, 111, Qt::Key_Up); // arrows would move the list
    sendKey(focus, QEvent::KeyRelease, 111, Qt::Key_Up);
    const QStringList list = rows(w.records_list);
    QCOMPARE(list.size(), 7);
    QCOMPARE(list[0], QStringLiteral("A"));
    QVERIFY(list[1].endsWith(QStringLiteral(" 毫秒延迟")));
    QCOMPARE(list[2], QStringLiteral("A"));
    QCOMPARE(list[4], QStringLiteral("UP"));
    QCOMPARE(icons(w.records_list), QStringLiteral("dtutdtu"));
    QCOMPARE(w.btn_records[0].interval_time, quint16(0));
    QCOMPARE(w.btn_records[3].keyCode, quint8(HID_UP));
    QCOMPARE(w.records_list->currentRow(), 6); // the keys went to the recorder, not the list
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(!KeyCapture::anyCapturing());
    // Idle, keys are the list's own again and nothing is recorded.
    sendKey(w.records_list, QEvent::KeyPress, 38, Qt::Key_A);
    QCOMPARE(w.btn_records.size(), 4);
}

void Macro::stopsByItselfAt128()
{
    micro_Widget w;
    w.rec_delay_btn->setChecked(true);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    for (int i = 0; i < 63; ++i)
        tap(0x41 + i % 26);
    press(0x31);
    QVERIFY(w.recording);
    release(0x31); // the 128th event
    QVERIFY(!w.recording);
    QVERIFY(!KeyCapture::anyCapturing());
    QCOMPARE(w.btn_records.size(), 128);
    QCOMPARE(w.records_list->count(), 255);
    QCOMPARE(w.records_list->currentRow(), 254);
    QCOMPARE(w.record_btn->text(), QStringLiteral("开始录制"));
    QVERIFY(w.save_micro->isEnabled());
    QVERIFY(w.rec_delay_btn->isEnabled());
    tap(0x32);
    QCOMPARE(w.btn_records.size(), 128);
    // Stopping a record_keys call by hand past the end appends nothing either.
    w.record_keys(0x33, KEY_DOWN);
    QCOMPARE(w.btn_records.size(), 128);
}

void Macro::focusLossStopsExceptToTheRecordButton()
{
    QWidget window;
    window.resize(920, 300);
    auto *w = new micro_Widget(&window);
    auto *other = new QLineEdit(&window);
    other->setGeometry(0, 260, 200, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // A click on the record button while recording stops exactly once: the
    // focus it takes first does not stop, so its click does not start anew.
    QTest::mouseClick(w->record_btn, Qt::LeftButton);
    QVERIFY(w->recording);
    QVERIFY(w->records_list->hasFocus());
    tap(0x41);
    QTest::mouseClick(w->record_btn, Qt::LeftButton);
    QVERIFY(!w->recording);
    QCOMPARE(w->record_btn->text(), QStringLiteral("开始录制"));
    QCOMPARE(w->btn_records.size(), 2);

    // A click elsewhere ends it.
    QTest::mouseClick(w->record_btn, Qt::LeftButton);
    QVERIFY(w->recording);
    QTest::mouseClick(other, Qt::LeftButton);
    QVERIFY(other->hasFocus());
    QVERIFY(!w->recording);
    QVERIFY(!KeyCapture::anyCapturing());
    QVERIFY(w->save_micro->isEnabled());

    // So does hiding the window.
    QTest::mouseClick(w->record_btn, Qt::LeftButton);
    QVERIFY(w->recording);
    window.hide();
    QVERIFY(!w->recording);
    QVERIFY(!KeyCapture::anyCapturing());
}

void Macro::uploadPacketsInTheTrace()
{
    micro_Widget w;
    recordEvents(w, 30, false);
    QCOMPARE(w.btn_records.size(), 30);
    vmouse_trace_clear();
    const int opens = vmouse_open_count(VMOUSE_CONFIG), closes = vmouse_close_count(VMOUSE_CONFIG);
    w.upload_macro(2);

    const QVector<SentReport> bind = controlReports(0xb1);
    QCOMPARE(bind.size(), 1);
    QCOMPARE(bind[0].bytes.mid(1, 6).toHex(), QByteArray("b10202000078"));
    const QVector<SentReport> packets = configReports(0xf1);
    QCOMPARE(packets.size(), 3);
    const int sizes[3] = {56, 56, 8};
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(packets[p].bytes.size(), 64);
        QCOMPARE(quint8(packets[p].bytes[2]), quint8(12)); // slot: button 2 + 10
        QCOMPARE(int(quint8(packets[p].bytes[3])), sizes[p]);
        QCOMPARE(offsetOf(packets[p]), quint32(56 * p));
        for (int j = 0; j < sizes[p] / 4; ++j) {
            const key_record &r = w.btn_records[14 * p + j];
            const QByteArray e = packets[p].bytes.mid(8 + 4 * j, 4);
            QCOMPARE(quint8(e[0]), r.keyCode);
            QCOMPARE(quint8(e[1]), r.press);
            QCOMPARE(e.mid(2).toHex(), QByteArray("0000"));
        }
    }
    // The short last packet carries on what the packet before it held.
    QCOMPARE(packets[2].bytes.mid(16), packets[1].bytes.mid(16));
    QCOMPARE(vmouse_open_count(VMOUSE_CONFIG), opens + 1);
    QCOMPARE(vmouse_close_count(VMOUSE_CONFIG), closes + 1);
}

void Macro::emptyMacroSendsNoPacket()
{
    micro_Widget w;
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    vmouse_trace_clear();
    const int opens = vmouse_open_count(VMOUSE_CONFIG), closes = vmouse_close_count(VMOUSE_CONFIG);
    w.upload_macro(5);
    QCOMPARE(controlReports(0xb1).size(), 1);
    QCOMPARE(controlReports(0xb1)[0].bytes.mid(1, 6).toHex(), QByteArray("b10502000000"));
    QVERIFY(configReports(0xf1).isEmpty());
    QCOMPARE(vmouse_open_count(VMOUSE_CONFIG), opens + 1);
    QCOMPARE(vmouse_close_count(VMOUSE_CONFIG), closes + 1);
}

void Macro::roundTripThroughTheMouse()
{
    micro_Widget w;
    recordEvents(w, 30, true);
    const QStringList recorded = rows(w.records_list);
    const QVector<key_record> events = w.btn_records;
    QCOMPARE(recorded.size(), 59);
    w.upload_macro(3);

    // Another recorder, as after a restart, reads button 3 back.
    micro_Widget r;
    send_cmd[0] = 0xb0;
    send_cmd[1] = 3;
    QVERIFY(control_read(send_cmd, button_status));
    QCOMPARE(button_status[4], quint8(2));
    QCOMPARE(button_status[5], quint8(1));
    const int length = button_status[6] * 256 + button_status[7];
    QCOMPARE(length, 0x78);
    vmouse_trace_clear();
    QVERIFY(r.download_macro(3, button_status[5] != 0, length));
    const QVector<SentReport> requests = configReports(0xf0);
    QCOMPARE(requests.size(), 3);
    const int sizes[3] = {56, 56, 8};
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(quint8(requests[p].bytes[2]), quint8(13));
        QCOMPARE(int(quint8(requests[p].bytes[3])), sizes[p]);
        QCOMPARE(offsetOf(requests[p]), quint32(56 * p));
    }
    QVERIFY(r.rec_delay);
    QCOMPARE(r.btn_records.size(), 30);
    for (int i = 0; i < 30; ++i) {
        QCOMPARE(r.btn_records[i].keyCode, events[i].keyCode);
        QCOMPARE(r.btn_records[i].press, events[i].press);
        QCOMPARE(r.btn_records[i].interval_time, events[i].interval_time);
    }
    QCOMPARE(rows(r.records_list), recorded);
    QCOMPARE(icons(r.records_list), icons(w.records_list));
}

void Macro::downloadEdges()
{
    micro_Widget w;
    recordEvents(w, 30, false);
    w.upload_macro(4);
    micro_Widget r;

    // A length that is not a multiple of four drops the incomplete last event.
    vmouse_trace_clear();
    QVERIFY(r.download_macro(4, false, 0x7a));
    QCOMPARE(configReports(0xf0).size(), 3);
    QCOMPARE(int(quint8(configReports(0xf0)[2].bytes[3])), 10);
    QCOMPARE(r.btn_records.size(), 30);
    QCOMPARE(r.records_list->count(), 30);

    // A length past the slot (a garbled reply) is read to the slot's end only:
    // nothing is asked, nor later written back, outside the button's 512 bytes.
    vmouse_trace_clear();
    QVERIFY(r.download_macro(4, true, 0x400));
    QCOMPARE(configReports(0xf0).size(), 10);
    QCOMPARE(r.btn_records.size(), 128);
    QCOMPARE(r.records_list->count(), 255);
    QCOMPARE(r.btn_records[29].keyCode, w.btn_records[29].keyCode);
    QCOMPARE(r.records_list->currentRow(), 254);

    // Length 0 asks for nothing and lists nothing.
    vmouse_trace_clear();
    QVERIFY(r.download_macro(4, false, 0));
    QVERIFY(configReports(0xf0).isEmpty());
    QCOMPARE(r.records_list->count(), 0);

    // A downloaded macro saved again goes back whole.
    QVERIFY(r.download_macro(4, false, 0x78));
    vmouse_trace_clear();
    r.upload_macro(6);
    QCOMPARE(controlReports(0xb1)[0].bytes.mid(1, 6).toHex(), QByteArray("b10602000078"));
    QCOMPARE(configReports(0xf1).size(), 3);
}

void Macro::silentMouseEndsAfterOneRequest()
{
    micro_Widget w;
    recordEvents(w, 6, false);
    vmouse_set_silent(1);
    vmouse_trace_clear();
    QVERIFY(!w.download_macro(2, false, 0xffff));
    // The request and its ten retries, all for the first piece; nothing after.
    const QVector<SentReport> requests = configReports(0xf0);
    QCOMPARE(requests.size(), 11);
    for (const SentReport &q : requests)
        QCOMPARE(offsetOf(q), quint32(0));
    QVERIFY(w.btn_records.isEmpty());
    QCOMPARE(w.records_list->count(), 0);
}

// The recorder on the button page of the whole window: saved with "保存",
// shown again when its button is read, ended when the mouse goes away.
void Macro::onTheButtonPage()
{
    z9ktool w;
    attach_at_start(w);
    QVERIFY(device_attached);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    button_Widget *page = w.btnpage;
    QTest::mouseClick(w.nav_btns->button(2), Qt::LeftButton);
    for (int guard = 0; w.animation_timer->isActive() && guard < 40; ++guard)
        w.onTimeout();
    QVERIFY(page->m_top_button3->isVisible());
    QTest::mouseClick(page->m_top_button3, Qt::LeftButton); // button 2
    QTest::mouseClick(page->nav_micro, Qt::LeftButton);
    micro_Widget *rec = page->micro_area;
    QVERIFY(rec->isVisible());
    QTest::mouseClick(rec->rec_delay_btn, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseClick(rec->record_btn, Qt::LeftButton);
    QVERIFY(rec->recording);
    for (int i = 0; i < 15; ++i) {
        press(0x41 + i);
        QTest::qWait(1);
        release(0x41 + i);
    }
    QTest::mouseClick(rec->record_btn, Qt::LeftButton);
    QVERIFY(!rec->recording);
    const QStringList recorded = rows(rec->records_list);
    vmouse_trace_clear();
    QTest::mouseClick(rec->save_micro, Qt::LeftButton);
    QCOMPARE(controlReports(0xb1).size(), 1);
    QCOMPARE(controlReports(0xb1)[0].bytes.mid(1, 6).toHex(), QByteArray("b10202010078"));
    QCOMPARE(configReports(0xf1).size(), 3);

    // Another button clears the list; button 2 again lists the macro from the mouse.
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QCOMPARE(rec->records_list->count(), 0);
    QVERIFY(page->nav_func->isChecked());
    vmouse_trace_clear();
    QTest::mouseClick(page->m_top_button3, Qt::LeftButton);
    QVERIFY(page->nav_micro->isChecked());
    QCOMPARE(configReports(0xf0).size(), 3);
    QCOMPARE(quint8(configReports(0xf0)[0].bytes[2]), quint8(12));
    QCOMPARE(rows(rec->records_list), recorded);
    QVERIFY(!page->func_btn_grp->checkedButton());
    QVERIFY(!page->combo_btn_grp->checkedButton());

    // Unplugged while recording: the recording and its capture end.
    QTest::mouseClick(rec->record_btn, Qt::LeftButton);
    QVERIFY(rec->recording);
    vmouse_plug(0);
    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QVERIFY(!rec->recording);
    QVERIFY(!KeyCapture::anyCapturing());
    QCOMPARE(rec->record_btn->text(), QStringLiteral("开始录制"));
}

QTEST_MAIN(Macro)
#include "tst_macro.moc"
