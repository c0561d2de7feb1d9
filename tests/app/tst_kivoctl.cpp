// kivoctl against the virtual mouse: each change sends what the same clicks in
// the window send, show reads it back, restore after a factory reset brings the
// mouse back byte for byte, bad values are refused with nothing sent, a running
// program carries requests out in its own window (and refuses while the user
// is busy in it), and writes the mouse or the preset file did not take are
// reported.
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/lighting/col_btn.h"
#include "pages/buttons/combo_widget.h"
#include "pages/pointer/dpi_widget.h"
#include "pages/buttons/func_widget.h"
#include "kivoctl/kivoctl_apply.h"
#include "kivoctl/kivoctl_marker.h"
#include "kivoctl/kivoctl_message.h"
#include "kivoctl/kivoctl_names.h"
#include "kivoctl/kivoctl_request.h"
#include "kivoctl/kivoctl_server.h"
#include "pages/lighting/led_widget.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"
#include "platform/keycapture.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSharedMemory>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace kivoctl;

namespace
{

QStringList traceHex()
{
    QStringList out;
    for (const SentReport &r : sentReports())
        out << QString::fromLatin1(r.bytes.toHex());
    return out;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Offset of the memory in the virtual mouse's state file (magic, length).
const int kStateMemory = 12;
const int kStateRate = kStateMemory + 3;

// What the mouse holds, as its replies give it: both zones, the DPI record,
// the rate and the six buttons.
QByteArray readMemory()
{
    QByteArray out;
    unsigned char reply[32];
    auto read = [&](std::initializer_list<int> f, int from, int n) {
        unsigned char frame[31] = {0};
        int i = 0;
        for (int b : f)
            frame[i++] = quint8(b);
        control_read(frame, reply);
        out += QByteArray(reinterpret_cast<char *>(reply) + from, n);
    };
    read({0xA0, 0}, 4, 7);
    read({0xA0, 1}, 4, 7);
    read({0xC2}, 3, 8);
    read({0xC4}, 3, 1);
    for (int id = 2; id <= 7; ++id)
        read({0xB0, id}, 4, 4);
    return out;
}

// A key event as the X server delivers it: X key code (evdev + 8), Num Lock on.
void sendKey(QWidget *to, QEvent::Type type, quint32 keycode)
{
    QKeyEvent ev(type, Qt::Key_unknown, Qt::NoModifier, keycode, 0, 0x10, QString());
    QApplication::sendEvent(to, &ev);
}

struct Run {
    int code = -1;
    QByteArray out, err;
};

} // namespace

class Kivoctl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void setSendsWhatClicksSend();
    void showReadsBackWhatWasSet();
    void badValuesAreRefusedBeforeSending();
    void refusalsThatNeedTheMouseSendNothing();
    void headlessSetShowRestoreAfterReset();
    void damagedBackupsAreRefused();
    void busyAndNoMouse();
    void flashHeadless();
    void unconfirmedFlashExitsOne_data();
    void unconfirmedFlashExitsOne();
    void runningWindowCarriesTheRequestOut();
    void runningProgramTakesRequestsOverItsSocket();
    void failedWritesAreReported();
    void unnamedAssignmentsRestoreByteForByte();
    void busyWindowRefuses();
    void presetsThatCannotBeSaved();

private:
    QTemporaryDir m_tmp; // TMPDIR of everything started here: marker and socket
    QTemporaryDir m_presets;
    QString m_kivoctl, m_kivomouse;
    std::unique_ptr<z9ktool> w;

    void openWindow();
    QPoint inWindow(QWidget *child, QPoint p) const { return child->mapTo(w.get(), p); }
    void click(QWidget *child);
    void openPage(int nav);
    bool drag(QSlider *s, int target);
    Outcome request(const QStringList &args);
    QProcessEnvironment env(const QString &state) const;
    Run kivoctl(const QStringList &args, const QString &state, const QString &cwd = QString());
    QString writeMacro(const char *name);
};

void Kivoctl::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    // The marker and the server's socket live in the temporary folder, so that
    // no other test's program is taken for ours.
    qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
    QVERIFY(bindVirtualMouse());
    // Copies of the programs, so that the presets beside them are this test's own.
    QVERIFY(QDir(m_tmp.path()).mkpath(QStringLiteral("bin")));
    m_kivoctl = m_tmp.filePath(QStringLiteral("bin/kivoctl"));
    m_kivomouse = m_tmp.filePath(QStringLiteral("bin/kivomouse"));
    QVERIFY(QFile::copy(QStringLiteral(KIVOCTL_EXECUTABLE), m_kivoctl));
    QVERIFY(QFile::copy(QStringLiteral(KIVO_EXECUTABLE), m_kivomouse));
}

void Kivoctl::init()
{
    freshMouse();
}

void Kivoctl::cleanup()
{
    w.reset();
}

void Kivoctl::openWindow()
{
    w.reset();
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    // Both runs of a comparison start from the same leftovers in the shared frame.
    memset(send_cmd, 0, sizeof send_cmd);
    w.reset(new z9ktool);
    // The built-in presets in a file of this test's own.
    QFile::remove(m_presets.filePath(QStringLiteral("user_color.ini")));
    w->ledpage->init_user_color(m_presets.path());
    attach_at_start(*w);
    QVERIFY(device_attached);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    vmouse_trace_clear();
}

void Kivoctl::click(QWidget *child)
{
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                      inWindow(child, child->rect().center()));
}

void Kivoctl::openPage(int nav)
{
    click(w->nav_btns->button(nav));
    QTRY_VERIFY(!w->animation_timer->isActive());
}

bool Kivoctl::drag(QSlider *s, int target)
{
    QWindow *win = w->windowHandle();
    QPoint at = slider_handle_rect(s).center();
    QTest::mousePress(win, Qt::LeftButton, {}, inWindow(s, at));
    if (!s->isSliderDown()) return false;
    bool found = s->value() == target;
    for (int x = -10; x < s->width() + 10 && !found; ++x) {
        at = QPoint(x, s->height() / 2);
        QTest::mouseMove(win, inWindow(s, at));
        found = s->sliderPosition() == target;
    }
    QTest::mouseRelease(win, Qt::LeftButton, {}, inWindow(s, at));
    return found;
}

Outcome Kivoctl::request(const QStringList &args)
{
    Request r;
    const QString bad = parse_arguments(args, m_tmp.path(), &r);
    if (!bad.isEmpty()) {
        Outcome o;
        o.code = BadValue;
        o.err = bad.toUtf8();
        return o;
    }
    return execute(*w, r);
}

QProcessEnvironment Kivoctl::env(const QString &state) const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("TMPDIR"), m_tmp.path());
    e.insert(QStringLiteral("XDG_DATA_HOME"), m_tmp.filePath(QStringLiteral("data")));
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), m_tmp.filePath(QStringLiteral("config")));
    e.insert(QStringLiteral("VELQA_LIBRARY"), QStringLiteral(VMOUSE_LIBRARY));
    e.insert(QStringLiteral("VMOUSE_STATE"), state);
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("KIVO_AUTOCLOSE_BOXES"), QStringLiteral("1"));
    return e;
}

Run Kivoctl::kivoctl(const QStringList &args, const QString &state, const QString &cwd)
{
    QProcess p;
    p.setProcessEnvironment(env(state));
    p.setWorkingDirectory(cwd.isEmpty() ? m_tmp.path() : cwd);
    p.start(m_kivoctl, args);
    Run r;
    // The event loop runs meanwhile: a window of this process answers from it.
    QElapsedTimer waited;
    waited.start();
    while (p.state() != QProcess::NotRunning && waited.elapsed() < 60000)
        QTest::qWait(10);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString Kivoctl::writeMacro(const char *name)
{
    QFile macro(m_tmp.filePath(QString::fromLatin1(name)));
    if (!macro.open(QIODevice::WriteOnly)) return QString();
    macro.write("down ctrl\ndown c\nup c\nup ctrl\n");
    return QString::fromLatin1(name);
}

// ---- the reports on the wire --------------------------------------------------------

void Kivoctl::setSendsWhatClicksSend()
{
    QFile macro(m_tmp.filePath(QStringLiteral("keys.macro")));
    QVERIFY(macro.open(QIODevice::WriteOnly));
    macro.write("down ctrl\ndown c\nup c\nup ctrl\n");
    macro.close();
    struct Case {
        QStringList args;
        std::function<void()> clicks;
        int tail; // compare only the clicks' last reports (0: all of them)
    };
    const QVector<Case> cases = {
        {{"set", "rate=500"},
         [this] {
             openPage(4);
             click(w->pointerpage->report_area->report_500);
         },
         0},
        {{"set", "rate=1000"},
         [this] { // the checked button: kivoctl sends it all the same
             openPage(4);
             click(w->pointerpage->report_area->report_1000);
             vmouse_trace_clear();
             click(w->pointerpage->report_area->report_125);
             click(w->pointerpage->report_area->report_1000);
         },
         1},
        {{"set", "dpi-active=3"},
         [this] {
             openPage(4);
             click(w->pointerpage->nav_dpi);
             QSlider *s = w->pointerpage->dpi_area->dpi_level3;
             QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                               inWindow(s, slider_handle_rect(s).center()));
         },
         0},
        {{"set", "dpi=400,800,1600,3200,6400", "dpi-active=2"},
         [this] {
             openPage(4);
             click(w->pointerpage->nav_dpi);
             dpi_Widget *d = w->pointerpage->dpi_area;
             const int values[5] = {8, 16, 32, 64, 128};
             for (int level : {1, 3, 4, 5, 2})
                 QVERIFY2(drag(d->slider(level), values[level - 1]), "slider value not reachable");
         },
         1},
        {{"set", "front=breath,#ff0000,speed=6"},
         [this] {
             openPage(3);
             click(w->ledpage->front_breath);
             click(w->ledpage->color_1);
             QVERIFY(drag(w->ledpage->speed_level, 6));
         },
         0},
        {{"set", "rear=magic,speed=7"},
         [this] {
             openPage(3);
             click(w->ledpage->rear);
             QTRY_VERIFY(!w->animation_timer->isActive());
             click(w->ledpage->rear_magic);
             QVERIFY(drag(w->ledpage->speed_level, 7));
         },
         0},
        {{"set", "rear=run,#0087ff"},
         [this] {
             openPage(3);
             click(w->ledpage->rear);
             QTRY_VERIFY(!w->animation_timer->isActive());
             click(w->ledpage->rear_run);
             click(w->ledpage->color_2);
         },
         0},
        {{"set", "button5=dpi-switch"},
         [this] {
             openPage(2);
             click(w->btnpage->m_top_button4);
             click(w->btnpage->func_area->function8);
         },
         0},
        {{"set", "button2=combo:copy"},
         [this] {
             openPage(2);
             click(w->btnpage->nav_combo);
             click(w->btnpage->combo_area->combo9);
         },
         0},
        {{"set", "button6=mute"},
         [this] {
             openPage(2);
             click(w->btnpage->m_top_button5);
             click(w->btnpage->func_area->volmute);
         },
         0},
        {{"set", "button7=keys:ctrl+alt+c"},
         [this] {
             openPage(2);
             click(w->btnpage->sideViewButton);
             QTRY_VERIFY(!w->animation_timer->isActive());
             click(w->btnpage->m_side_button3);
             click(w->btnpage->nav_combo);
             mkey_Edit *editor = w->btnpage->combo_area->mkey_editor;
             click(editor->mkey_line);
             QVERIFY(editor->key_hook->isCapturing());
             for (quint32 code : {37u, 64u, 54u}) // Control_L, Alt_L, c
                 sendKey(editor->mkey_line, QEvent::KeyPress, code);
             for (quint32 code : {54u, 64u, 37u})
                 sendKey(editor->mkey_line, QEvent::KeyRelease, code);
             click(editor->save_btn);
         },
         0},
        {{"set", "button6=macro:keys.macro"},
         [this] {
             openPage(2);
             click(w->btnpage->m_top_button5);
             click(w->btnpage->nav_micro);
             micro_Widget *rec = w->btnpage->micro_area;
             click(rec->record_btn);
             QVERIFY(rec->recording);
             QWidget *focus = QApplication::focusWidget();
             QVERIFY(focus);
             sendKey(focus, QEvent::KeyPress, 37);
             sendKey(focus, QEvent::KeyPress, 54);
             sendKey(focus, QEvent::KeyRelease, 54);
             sendKey(focus, QEvent::KeyRelease, 37);
             click(rec->record_btn);
             QVERIFY(!rec->recording);
             click(rec->save_micro);
         },
         0},
        {{"set", "button4=left-click"},
         [this] {
             openPage(2);
             click(w->btnpage->sideViewButton);
             QTRY_VERIFY(!w->animation_timer->isActive());
             click(w->btnpage->m_side_button2);
             click(w->btnpage->func_area->function1);
         },
         0},
    };
    for (const Case &c : cases) {
        const QString name = c.args.join(QLatin1Char(' '));
        openWindow();
        c.clicks();
        QStringList clicked = traceHex();
        QVERIFY2(!clicked.isEmpty(), qPrintable(name));
        if (c.tail) clicked = clicked.mid(clicked.size() - c.tail);
        const QByteArray mouseAfterClicks = readMemory();

        openWindow();
        const Outcome o = request(c.args);
        QVERIFY2(o.code == Ok, qPrintable(name + ": " + o.err));
        QStringList sent = traceHex();
        if (c.tail) sent = sent.mid(sent.size() - c.tail);
        QCOMPARE(sent.join(' ') + " <- " + name, clicked.join(' ') + " <- " + name);
        QCOMPARE(readMemory().toHex(), mouseAfterClicks.toHex());
    }
}

void Kivoctl::showReadsBackWhatWasSet()
{
    openWindow();
    QFile macro(m_tmp.filePath(QStringLiteral("copy.macro")));
    QVERIFY(macro.open(QIODevice::WriteOnly));
    macro.write("# ctrl+c, held a little\ndown ctrl\ndown c\nwait 30\nup c\nup ctrl\n");
    macro.close();
    const Outcome set =
        request({"set", "dpi=400,800,1600,3200,6400", "dpi-active=3", "rate=250",
                 "front=breath,#ffaa00,speed=4", "rear=magic,speed=6", "button5=dpi-switch",
                 "button2=combo:copy", "button7=keys:ctrl+alt+c", "button3=macro:copy.macro",
                 "button6=volume-down"});
    QVERIFY2(set.code == Ok, set.err.constData());

    // The custom keys and the macro as the button page sends them.
    bool sawKeys = false, sawMacroBinding = false;
    QStringList b1;
    for (const QString &r : traceHex()) {
        if (r.startsWith(QLatin1String("4db1"))) b1 << r.left(16);
        sawKeys |= r.startsWith(QLatin1String("4db10701000506"));
        sawMacroBinding |= r.startsWith(QLatin1String("4db10302010010"));
    }
    QVERIFY2(sawKeys, qPrintable(b1.join(' ')));
    QVERIFY2(sawMacroBinding, qPrintable(b1.join(QLatin1Char(' '))));

    const Outcome shown = request({"show", "--json"});
    QCOMPARE(shown.code, int(Ok));
    const QJsonObject o = QJsonDocument::fromJson(shown.out).object();
    QCOMPARE(o["kivoctl"].toInt(), 1);
    QCOMPARE(o["firmware"].toString(), QStringLiteral("1.1.22"));
    QCOMPARE(o["battery"].toInt(), 85);
    QCOMPARE(o["rate"].toInt(), 250);
    const QJsonObject dpi = o["dpi"].toObject();
    QCOMPARE(dpi["levels"].toArray(), QJsonArray({400, 800, 1600, 3200, 6400}));
    QCOMPARE(dpi["active"].toInt(), 3);
    QCOMPARE(o["front"].toObject()["effect"].toString(), QStringLiteral("breath"));
    QCOMPARE(o["front"].toObject()["colour"].toString(), QStringLiteral("#ffaa00"));
    QCOMPARE(o["front"].toObject()["speed"].toInt(), 4);
    QCOMPARE(o["rear"].toObject()["effect"].toString(), QStringLiteral("magic"));
    QCOMPARE(o["rear"].toObject()["speed"].toInt(), 6);
    const QJsonObject b = o["buttons"].toObject();
    QCOMPARE(b["button5"].toObject()["assign"].toString(), QStringLiteral("dpi-switch"));
    QCOMPARE(b["button2"].toObject()["assign"].toString(), QStringLiteral("combo:copy"));
    QCOMPARE(b["button7"].toObject()["assign"].toString(), QStringLiteral("keys:ctrl+alt+c"));
    QCOMPARE(b["button6"].toObject()["assign"].toString(), QStringLiteral("volume-down"));
    QCOMPARE(b["button4"].toObject()["assign"].toString(), QStringLiteral("back"));
    const QJsonObject m = b["button3"].toObject();
    QCOMPARE(m["assign"].toString(), QStringLiteral("macro"));
    QCOMPARE(m["delays"].toBool(), true);
    QCOMPARE(m["events"].toArray(),
             QJsonArray({"down ctrl", "down c", "wait 30", "up c", "up ctrl"}));

    // The pages show what was set, as if it had been clicked.
    QCOMPARE(w->pointerpage->report_area->report_button->checkedId(), 4);
    QCOMPARE(w->pointerpage->dpi_area->dpi_level5->value(), 128);
    QCOMPARE(w->ledpage->rear_mode_btn->checkedId(), 6);
    QCOMPARE(w->btnpage->micro_area->btn_records.size(), 4);

    const Outcome text = request({"show"});
    QCOMPARE(text.code, int(Ok));
    QVERIFY(text.out.contains("dpi        400 800 [1600] 3200 6400\n"));
    QVERIFY(text.out.contains("rear       magic"));
    QVERIFY(text.out.contains(
        "button3    macro (with delays): down ctrl, down c, wait 30, up c, up ctrl\n"));
}

// ---- refusals ------------------------------------------------------------------------------

void Kivoctl::badValuesAreRefusedBeforeSending()
{
    QFile longMacro(m_tmp.filePath(QStringLiteral("long.macro")));
    QVERIFY(longMacro.open(QIODevice::WriteOnly));
    for (int i = 0; i < 65; ++i)
        longMacro.write("down a\nup a\n");
    longMacro.close();
    QFile badKey(m_tmp.filePath(QStringLiteral("badkey.macro")));
    QVERIFY(badKey.open(QIODevice::WriteOnly));
    badKey.write("down a\nup notakey\n");
    badKey.close();

    const struct {
        QStringList args;
        const char *named; // what the one line must name
    } cases[] = {
        {{"set", "dpi=400,800,1600,3200,7250"}, "7250"},
        {{"set", "dpi=400,800,1600,3200,6410"}, "6410"},
        {{"set", "dpi=0,800,1600,3200,6400"}, "dpi: 0"},
        {{"set", "dpi=400,800,1600,3200"}, "five levels"},
        {{"set", "dpi=400,800,1600,3200,-50"}, "-50"},
        {{"set", "dpi-active=6"}, "dpi-active: 6"},
        {{"set", "rate=300"}, "rate: 300"},
        {{"set", "rate=0x1f4"}, "0x1f4"},
        {{"set", "front=run"}, "front: run"},
        {{"set", "front=magic,speed=2"}, "front: magic"},
        {{"set", "rear=breath,speed=9"}, "speed 9"},
        {{"set", "rear=breath,speed=0"}, "speed 0"},
        {{"set", "front=on,speed=3"}, "on has no speed"},
        {{"set", "rear=magic,#112233"}, "magic takes no colour"},
        {{"set", "front=breath,#12345"}, "#12345"},
        {{"set", "front=breath,#gg0000"}, "#gg0000"},
        {{"set", "button8=copy"}, "button8"},
        {{"set", "button2=jump"}, "jump"},
        {{"set", "button2=combo:print"}, "print"},
        {{"set", "button2=keys:ctrl+hyper+c"}, "hyper"},
        {{"set", "button2=keys:ctrl+a+b"}, "more than one key"},
        {{"set", "button2=macro:long.macro"}, "more than 128 events"},
        {{"set", "button2=macro:badkey.macro"}, "notakey"},
        {{"set", "button2=macro:missing.macro"}, "cannot read missing.macro"},
        {{"set", "rate=500", "rate=250"}, "given twice"},
        {{"set", "volume=3"}, "volume"},
        {{"set"}, "nothing to set"},
        {{"frobnicate"}, "frobnicate"},
        {{"show", "--colour"}, "--colour"},
    };
    for (const auto &c : cases) {
        Request r;
        const QString line = parse_arguments(c.args, m_tmp.path(), &r);
        QVERIFY2(line.contains(QLatin1String(c.named)),
                 qPrintable(c.args.join(' ') + " -> '" + line + "'"));
        QVERIFY2(!line.contains('\n'), qPrintable(line));
    }

    // The program itself: exit code 2, the one line, and the mouse untouched.
    const QString state = m_tmp.filePath(QStringLiteral("refused.state"));
    QVERIFY(kivoctl({"set", "rate=500"}, state).code == 0);
    const QByteArray before = readFile(state);
    const Run r = kivoctl({"set", "rate=500", "dpi=400,800,1600,3200,7250"}, state);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.err,
             QByteArray("kivoctl: dpi: 7250 is not a DPI value (50 to 7200 in steps of 50)\n"));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(readFile(state), before);
}

void Kivoctl::refusalsThatNeedTheMouseSendNothing()
{
    openWindow();
    QCOMPARE(request({"set", "front=off"}).code, int(Ok));
    vmouse_trace_clear();
    // Off takes neither colour nor speed: the page would not let them be chosen.
    Outcome o = request({"set", "rate=500", "front=#ff0000"});
    QCOMPARE(o.code, int(BadValue));
    QVERIFY(o.err.contains("front: off takes no colour"));
    o = request({"set", "front=speed=3"});
    QCOMPARE(o.code, int(BadValue));
    QVERIFY(o.err.contains("off has no speed"));
    QVERIFY(traceHex().isEmpty());

    // Colours beyond the presets are added to them, up to the row's eight.
    QCOMPARE(request({"set", "front=on,#010203", "rear=on,#040506"}).code, int(Ok));
    QCOMPARE(int(color_num), 6);
    QCOMPARE(w->ledpage->color_6->rgb_b, 6);
    QCOMPARE(request({"set", "front=on,#070809", "rear=on,#0a0b0c"}).code, int(Ok));
    QCOMPARE(int(color_num), 8);
    vmouse_trace_clear();
    o = request({"set", "rate=125", "front=on,#0d0e0f"});
    QCOMPARE(o.code, int(BadValue));
    QVERIFY2(o.err.contains("#0d0e0f is not among the colour presets"), o.err.constData());
    QVERIFY(traceHex().isEmpty());
    QCOMPARE(request({"set", "front=on,#070809"}).code, int(Ok)); // one that is there
}

// ---- the program on its own -------------------------------------------------------------

void Kivoctl::headlessSetShowRestoreAfterReset()
{
    const QString state = m_tmp.filePath(QStringLiteral("restore.state"));
    QFile::remove(state);
    QFile macro(m_tmp.filePath(QStringLiteral("r.macro")));
    QVERIFY(macro.open(QIODevice::WriteOnly));
    macro.write("down shift\ndown 0x32\nwait 5\nup 0x32\nwait 300\nup shift\n");
    macro.close();
    Run r =
        kivoctl({"set", "dpi=100,200,3000,4000,5000", "dpi-active=4", "rate=125", "front=off",
                 "rear=magic,speed=2", "button2=keys:rctrl+f5", "button3=macro:r.macro",
                 "button4=combo:undo", "button5=mute", "button6=right-click", "button7=forward"},
                state);
    QVERIFY2(r.code == 0, r.err.constData());
    // The rear zone, now on in a colour of the presets, keeps a speed the frame never names.
    r = kivoctl({"set", "front=breath,#00ff14,speed=8", "front=off"}, state);
    QCOMPARE(r.code, 2); // given twice
    r = kivoctl({"set", "front=breath,#00ff14,speed=8"}, state);
    QCOMPARE(r.code, 0);
    r = kivoctl({"set", "front=off"}, state);
    QCOMPARE(r.code, 0);

    r = kivoctl({"show", "--json"}, state);
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty()); // the pages' debug lines stay out of the output
    const QByteArray backup = r.out;
    QFile f(m_tmp.filePath(QStringLiteral("backup.json")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(backup);
    f.close();
    const QByteArray before = readFile(state);
    QVERIFY(before.size() > kStateMemory);

    QCOMPARE(kivoctl({"reset"}, state).code, 0);
    QVERIFY(readFile(state) != before);
    r = kivoctl({"restore", "backup.json"}, state);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(readFile(state).toHex(), before.toHex());
    QCOMPARE(kivoctl({"show", "--json"}, state).out, backup);
}

void Kivoctl::damagedBackupsAreRefused()
{
    const QString state = m_tmp.filePath(QStringLiteral("damaged.state"));
    QFile::remove(state);
    QCOMPARE(kivoctl({"set", "rate=500"}, state).code, 0);
    const Run shown = kivoctl({"show", "--json"}, state);
    QCOMPARE(shown.code, 0);
    const QByteArray good = shown.out;
    const QByteArray before = readFile(state);

    const QList<QPair<QByteArray, const char *>> damaged = {
        {good.left(good.size() / 2), "not a backup"},
        {good.left(good.size() - 2), "not a backup"},
        {QByteArray(), "not a backup"},
        {QByteArray(good).replace("\"rate\": 500", "\"rate\": 501"), "rate"},
        {QByteArray(good).replace("\"rate\": 500", "\"rate\": \"500\""), "rate"},
        {QByteArray(good).replace("\"rate\": 500", "\"rate\": 1e300"), "rate"},
        {QByteArray(good).replace("800,", "810,"), "level 1"},
        {QByteArray(good).replace("\"effect\": \"on\"", "\"effect\": \"run\""),
         "front: effect run"},
        {QByteArray(good).replace("\"speed\": 4", "\"speed\": 12"), "speed"},
        {QByteArray(good).replace("#00e39b", "#00e39"), "#00e39"},
        {QByteArray(good).replace("\"assign\": \"back\"", "\"assign\": \"backflip\""), "backflip"},
        {QByteArray(good).replace("\"assign\": \"back\"", "\"assign\": \"macro:/etc/passwd\""),
         "macro file"},
        {QByteArray(good).replace("\"button4\"", "\"button9\""), "no button4"},
        {QByteArray(good).replace("\"kivoctl\": 1", "\"kivoctl\": 2"), "not a backup of kivoctl"},
        {QByteArray(good).replace("\"record\": \"00040000\"", "\"record\": \"0004\""), "record"},
    };
    int n = 0;
    for (const auto &d : damaged) {
        QVERIFY2(d.first != good || d.first.isEmpty(), d.second);
        const QString name = QStringLiteral("damaged%1.json").arg(n++);
        QFile f(m_tmp.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(d.first);
        f.close();
        const Run r = kivoctl({"restore", name}, state);
        QVERIFY2(r.code == 2, qPrintable(name + ": " + r.err));
        QVERIFY2(r.err.contains(d.second), qPrintable(name + ": " + r.err));
        QCOMPARE(r.err.count('\n'), 1);
        QCOMPARE(readFile(state), before);
    }
}

void Kivoctl::busyAndNoMouse()
{
    // A holder of the marker that cannot answer: a flash in the window, or
    // another kivoctl at work.
    QSharedMemory marker(QStringLiteral("VELQA_Z9K_Tool"));
    QVERIFY(claim_single_instance(marker));
    QVERIFY(marker.isAttached());
    instance_marker = &marker;
    // A failed comparison returns early: the later cases must not meet a dangling marker.
    struct Forget {
        ~Forget() { instance_marker = nullptr; }
    } forget;
    {
        const FlashMark flashing;
        const Run r = kivoctl({"set", "rate=500"}, QString());
        QCOMPARE(r.code, 4);
        QCOMPARE(r.err, QByteArray("kivoctl: busy: a firmware flash is running\n"));
    }
    set_marker_state(MarkerHeadless);
    QCOMPARE(kivoctl({"show"}, QString()).code, 4);
    set_marker_state(MarkerIdle);
    instance_marker = nullptr;
    marker.detach();

    // A bad value is refused before anything looks for the program or the mouse.
    QCOMPARE(kivoctl({"set", "rate=5"}, QString()).code, 2);

    // No mouse: the state file of a mouse that is unplugged is not there to
    // help; the virtual mouse is pulled out in a program of its own.
    QProcessEnvironment e = env(QString());
    e.insert(QStringLiteral("VELQA_LIBRARY"), m_tmp.filePath(QStringLiteral("nothing.so")));
    QProcess p;
    p.setProcessEnvironment(e);
    p.start(m_kivoctl, {"show"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1); // no device library at all

    QCOMPARE(kivoctl({"--help"}, QString()).code, 0);
    const QByteArray help = kivoctl({"--help"}, QString()).out;
    QVERIFY(help.contains("Exit codes:"));
    QVERIFY(help.contains("3  no mouse"));
}

void Kivoctl::flashHeadless()
{
    const QString state = m_tmp.filePath(QStringLiteral("flash.state"));
    QFile::remove(state);
    const QString image = m_tmp.filePath(QStringLiteral("fw.bin"));
    QCOMPARE(QProcess::execute(QStringLiteral(MKFWIMAGE),
                               {"--version", "1.2.3", "--body-size", "3000", "-o", image}),
             0);
    Run r = kivoctl({"flash", "fw.bin"}, state);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(r.out, QByteArray("firmware 1.2.3\n"));
    QVERIFY(kivoctl({"show"}, state).out.contains("firmware   1.2.3\n"));

    // An image cut short goes nowhere.
    QFile cut(m_tmp.filePath(QStringLiteral("cut.bin")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(readFile(image).left(1000));
    cut.close();
    const QByteArray before = readFile(state);
    r = kivoctl({"flash", "cut.bin"}, state);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("cut.bin is not a firmware image (cut short)"));
    QCOMPARE(readFile(state), before);
    // The 59-byte image with an empty program: the mouse is never erased for it.
    QFile empty(m_tmp.filePath(QStringLiteral("empty.bin")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    QByteArray header = readFile(image).left(59);
    header.replace(46, 4, QByteArray(4, '\0'));
    empty.write(header);
    empty.close();
    r = kivoctl({"flash", "empty.bin"}, state);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("empty.bin is not a firmware image (no program"), r.err.constData());
    QCOMPARE(readFile(state), before);

    // A flash the mouse checks but does not come back running: its loader answers.
    QByteArray notStarted = readFile(image);
    notStarted[59] = 'X'; // the program's own leading block, which the loader looks for
    QFile loader(m_tmp.filePath(QStringLiteral("loader.bin")));
    QVERIFY(loader.open(QIODevice::WriteOnly));
    loader.write(notStarted);
    loader.close();
    r = kivoctl({"flash", "loader.bin"}, state);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, QByteArray("kivoctl: the flash failed: the mouse came back in its loader "
                               "(255.0.22), flash again\n"));
    QVERIFY(kivoctl({"show"}, state).out.contains("firmware   255.0.22\n"));
    // A second flash brings it back.
    r = kivoctl({"flash", "fw.bin"}, state);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(r.out, QByteArray("firmware 1.2.3\n"));
}

void Kivoctl::unconfirmedFlashExitsOne_data()
{
    QTest::addColumn<int>(
        "rejected"); // the configuration write refused (DE D1 D2 D3 D3 D3 D6 D5 D7)
    QTest::addColumn<bool>("silent"); // the mouse answers nothing after the restart
    QTest::addColumn<QByteArray>("why");
    QTest::newRow("a chunk refused") << 5 << false << QByteArray("stopped taking the image");
    QTest::newRow("the lock refused") << 7 << false << QByteArray("did not take the check");
    QTest::newRow("the restart refused") << 9 << false << QByteArray("came back in its loader");
    QTest::newRow("no answer after the restart") << 0 << true << QByteArray("did not answer");
}

void Kivoctl::unconfirmedFlashExitsOne()
{
    QFETCH(int, rejected);
    QFETCH(bool, silent);
    QFETCH(QByteArray, why);
    const QString image = m_tmp.filePath(QStringLiteral("three-chunks.bin"));
    QCOMPARE(QProcess::execute(QStringLiteral(MKFWIMAGE),
                               {"--version", "1.2.5", "--body-size", "100", "-o", image}),
             0);
    openWindow();
    w->fw_confirm_wait_ms = 200;
    vmouse_reject_config_write(rejected);
    vmouse_set_silent(silent);
    const Outcome o = request({"flash", image});
    vmouse_set_silent(0);
    QCOMPARE(o.code, 1);
    QVERIFY2(o.err.startsWith("kivoctl: the flash failed: the mouse " + why), o.err.constData());
    QCOMPARE(o.err.count('\n'), 1);
    QVERIFY(o.out.isEmpty());
    // The window says so too: a cut-off flash hides the dialog, every other one fails in it.
    if (rejected == 5)
        QVERIFY(w->update_confirm->isHidden());
    else
        QCOMPARE(w->update_confirm->text_1->text(), QStringLiteral("固件升级失败，请重新更新"));
}

// ---- a running program -------------------------------------------------------------------

void Kivoctl::runningWindowCarriesTheRequestOut()
{
    openWindow();
    ControlServer server(w.get());
    QVERIFY(server.listen());
    QCOMPARE(w->pointerpage->report_area->report_button->checkedId(), 1);

    QProcess p;
    p.setProcessEnvironment(env(QString()));
    p.start(m_kivoctl, {"set", "rate=500"});
    QVERIFY(p.waitForStarted());
    // The window answers from its event loop, which the wait below keeps running.
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 30000);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(w->pointerpage->report_area->report_button->checkedId(), 2);
    // Once, and the frame's other bytes as earlier commands left them.
    QCOMPARE(traceHex().size(), 1);
    QVERIFY(traceHex().at(0).startsWith(QLatin1String("4dc302")));

    // show over the socket reads this process's mouse.
    p.start(m_kivoctl, {"show"});
    QVERIFY(p.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 30000);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("rate       500\n"));

    // A flash runs through the window's firmware dialog.
    const QString image = m_tmp.filePath(QStringLiteral("socket-fw.bin"));
    QCOMPARE(QProcess::execute(QStringLiteral(MKFWIMAGE),
                               {"--version", "1.2.4", "--body-size", "2000", "-o", image}),
             0);
    vmouse_trace_clear();
    p.start(m_kivoctl, {"flash", image});
    QVERIFY(p.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 30000);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardOutput(), QByteArray("firmware 1.2.4\n"));
    QVERIFY(traceHex().filter(QRegularExpression("^57d3")).size() > 30);
    QVERIFY(!w->update_confirm->isHidden());
    QVERIFY(w->update_confirm->close_btn->isEnabled());

    // The program checks what it reads itself: a request over its socket for
    // an image with an empty program never erases the mouse.
    QByteArray empty = readFile(image).left(59);
    empty.replace(46, 4, QByteArray(4, '\0'));
    const QString emptyImage = m_tmp.filePath(QStringLiteral("socket-empty.bin"));
    QFile emptyFile(emptyImage);
    QVERIFY(emptyFile.open(QIODevice::WriteOnly));
    emptyFile.write(empty);
    emptyFile.close();
    // The dialog still shows the last flash's result: that waits for nobody.
    vmouse_trace_clear();
    p.start(m_kivoctl, {"flash", emptyImage});
    QVERIFY(p.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 30000);
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("is not a firmware image (no program"));
    QCOMPARE(traceHex().filter(QRegularExpression("^57(de|d2)")), QStringList());
    QCOMPARE(w->update_confirm->text_1->text(), QStringLiteral("固件文件已损坏"));
    QVERIFY(w->update_confirm->close_btn->isEnabled());
    click(w->update_confirm->close_btn);
    QVERIFY(w->update_confirm->isHidden());

    // Without a mouse the window says so.
    vmouse_plug(0);
    w->device_removal(QString::fromLatin1(dev_path));
    QVERIFY(!device_attached);
    p.start(m_kivoctl, {"set", "rate=250"});
    QVERIFY(p.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 30000);
    QCOMPARE(p.exitCode(), 3);
    QCOMPARE(p.readAllStandardError(), QByteArray("kivoctl: no mouse\n"));
}

void Kivoctl::runningProgramTakesRequestsOverItsSocket()
{
    const QString state = m_tmp.filePath(QStringLiteral("running.state"));
    QFile::remove(state);
    QProcess program;
    program.setProcessEnvironment(env(state));
    program.setWorkingDirectory(m_tmp.path());
    program.start(m_kivomouse, QStringList());
    QVERIFY(program.waitForStarted());
    const QString socket = QDir(m_tmp.path()).filePath(server_name());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 30000);

    Run r = kivoctl({"set", "rate=500"}, state);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(int(quint8(readFile(state).at(kStateRate))), 2);
    r = kivoctl({"show"}, state);
    QVERIFY(r.out.contains("rate       500\n"));

    // A backup, a factory reset and the restore, all carried out by the program.
    QCOMPARE(kivoctl({"set", "dpi=50,100,150,200,7200", "front=breath,#0087ff,speed=2",
                      "button4=combo:redo", "button7=keys:shift+tab"},
                     state)
                 .code,
             0);
    const Run backup = kivoctl({"show", "--json"}, state);
    QCOMPARE(backup.code, 0);
    QFile f(m_tmp.filePath(QStringLiteral("running-backup.json")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(backup.out);
    f.close();
    const QByteArray before = readFile(state);
    QCOMPARE(kivoctl({"reset"}, state).code, 0);
    QVERIFY(readFile(state) != before);
    QCOMPARE(kivoctl({"restore", f.fileName()}, state).code, 0);
    QCOMPARE(readFile(state).toHex(), before.toHex());

    // The program holds the marker: a second window refuses as usual.
    QProcess second;
    second.setProcessEnvironment(env(state));
    second.start(m_kivomouse, QStringList());
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardError().contains("Kivo游戏鼠标客户端已运行!"));

    program.terminate();
    QVERIFY(program.waitForFinished(30000));
}

// ---- what did not happen is said ---------------------------------------------------------

void Kivoctl::failedWritesAreReported()
{
    const QString macro = writeMacro("fail.macro");
    QVERIFY(!macro.isEmpty());
    const struct {
        const char *name;
        std::function<void()> trouble;
        QStringList args;
        int code;
        QByteArray err;
    } cases[] = {
        {"unplugged after attach",
         [] { vmouse_plug(0); },
         {"set", "dpi=100,200,300,400,500", "rate=125", "front=off"},
         3,
         "kivoctl: not applied: rate, dpi, front (the mouse went away)\n"},
        {"macro upload, unplugged",
         [] { vmouse_plug(0); },
         {"set", "button3=macro:" + macro},
         3,
         "kivoctl: not applied: button3 (the mouse went away)\n"},
        {"macro packet rejected",
         [] { vmouse_reject_config_write(1); },
         {"set", "rate=500", "button3=macro:" + macro, "button5=mute"},
         1,
         "kivoctl: not applied: button3 (the mouse refused a write)\n"},
    };
    for (const auto &c : cases) {
        openWindow();
        ControlServer server(w.get());
        QVERIFY(server.listen());
        c.trouble();
        const Run r = kivoctl(c.args, QString());
        QVERIFY2(r.code == c.code, c.name);
        QCOMPARE(r.err, c.err);
    }
    // The settings around the refused one went out all the same.
    vmouse_reject_config_write(0);
    const QByteArray memory = readMemory();
    QCOMPARE(memory.mid(22, 1).toHex(), QByteArray("02"));   // rate 500
    QCOMPARE(memory.mid(35, 2).toHex(), QByteArray("010c")); // button5 mute
}

void Kivoctl::unnamedAssignmentsRestoreByteForByte()
{
    const struct {
        int button;
        quint8 record[4];
    } cases[] = {
        {2, {0, 0, 0, 0}},             // what a zeroed reply gives
        {3, {0, 9, 0x12, 0x34}},       // a function past the eight
        {4, {1, 13, 0, 0}},            // past the media keys
        {5, {3, 7, 0xab, 0xcd}},       // a kind the page does not know
        {6, {1, 0, 0, 0}},             // keys without a key
        {7, {1, 0, 0x01, 0xe1}},       // a modifier's usage in the key's place
        {2, {1, 0, 0x02, 0x64}},       // a key the editor would keep as another
        {3, {0xff, 0xff, 0xff, 0xff}}, //
    };
    openWindow();
    for (const auto &c : cases) {
        const QString name = QStringLiteral("button%1 %2").arg(c.button).arg(hex(c.record, 4));
        unsigned char frame[31] = {0xb1, quint8(c.button)};
        memcpy(frame + 2, c.record, 4);
        QCOMPARE(m_WriteControl(31, frame), 0u);
        const QByteArray before = readMemory();

        const Outcome shown = request({"show", "--json"});
        QCOMPARE(shown.code, int(Ok));
        const QJsonObject b = QJsonDocument::fromJson(shown.out)
                                  .object()["buttons"]
                                  .toObject()[QStringLiteral("button%1").arg(c.button)]
                                  .toObject();
        QCOMPARE(b["assign"].toString(), "unknown:" + hex(c.record, 4));
        QFile f(m_tmp.filePath(QStringLiteral("unnamed.json")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(shown.out);
        f.close();

        QCOMPARE(request({"reset"}).code, int(Ok));
        QVERIFY2(readMemory() != before, qPrintable(name));
        // As a running program gets it: through the socket's message.
        Request restore, received;
        QVERIFY2(parse_arguments({"restore", "unnamed.json"}, m_tmp.path(), &restore).isEmpty(),
                 qPrintable(name));
        QVERIFY(from_message(to_message(restore), &received));
        const Outcome o = execute(*w, received);
        QVERIFY2(o.code == Ok, qPrintable(name + ": " + o.err));
        QCOMPARE(readMemory().toHex() + " <- " + name.toLatin1(),
                 before.toHex() + " <- " + name.toLatin1());
    }
}

void Kivoctl::busyWindowRefuses()
{
    const QString macro = writeMacro("busy.macro");
    QVERIFY(!macro.isEmpty());
    const struct {
        std::function<void()> enter, leave;
        QByteArray err;
    } cases[] = {
        {[this] {
             openPage(2);
             click(w->btnpage->nav_micro);
             click(w->btnpage->micro_area->record_btn);
             QVERIFY(w->btnpage->micro_area->recording);
         },
         [this] {
             click(w->btnpage->micro_area->record_btn);
             QVERIFY(!w->btnpage->micro_area->recording);
         },
         "kivoctl: busy: the window is recording a macro\n"},
        {[this] {
             openPage(2);
             click(w->btnpage->nav_combo);
             click(w->btnpage->combo_area->mkey_editor->mkey_line);
             QVERIFY(w->btnpage->combo_area->mkey_editor->key_hook->isCapturing());
         },
         [this] {
             w->btnpage->combo_area->mkey_editor->mkey_line->clearFocus();
             QVERIFY(!w->btnpage->combo_area->mkey_editor->key_hook->isCapturing());
         },
         "kivoctl: busy: the window is capturing a custom key\n"},
        {[this] {
             click(w->reset_btn);
             QVERIFY(w->reset_confirm->isVisible());
         },
         [this] {
             click(w->reset_confirm->cancel_btn);
             QVERIFY(!w->reset_confirm->isVisible());
         },
         "kivoctl: busy: the window asks to confirm a factory reset\n"},
        {[this] {
             w->update_confirm->show_dialog(); // as the offer on the settings page opens it
             QVERIFY(w->update_confirm->isVisible());
         },
         [this] {
             click(w->update_confirm->close_btn);
             QVERIFY(!w->update_confirm->isVisible());
         },
         "kivoctl: busy: the window shows the firmware update dialog\n"},
    };
    openWindow();
    ControlServer server(w.get());
    QVERIFY(server.listen());
    const QByteArray before = readMemory();
    for (const auto &c : cases) {
        c.enter();
        vmouse_trace_clear();
        const Run r = kivoctl({"set", "rate=500", "button3=macro:" + macro}, QString());
        QCOMPARE(r.code, 4);
        QCOMPARE(r.err, c.err);
        QVERIFY2(traceHex().isEmpty(), c.err.constData());
        c.leave();
    }
    QCOMPARE(readMemory(), before);
    QCOMPARE(w->btnpage->micro_area->btn_records.size(), 0);
    const Run r = kivoctl({"set", "rate=500", "button3=macro:" + macro}, QString());
    QVERIFY2(r.code == 0, r.err.constData());
}

void Kivoctl::presetsThatCannotBeSaved()
{
    const QString state = m_tmp.filePath(QStringLiteral("presets.state"));
    QFile::remove(state);
    const QString beside = m_tmp.filePath(QStringLiteral("bin/user_color.ini"));
    const QString fallback = m_tmp.filePath(QStringLiteral("config/kivomouse/user_color.ini"));
    struct Tidy {
        QStringList paths;
        ~Tidy()
        {
            for (const QString &p : paths) {
                QDir(p).removeRecursively();
                QFile::remove(p);
            }
        }
    } tidy{{beside, fallback}};
    QFile::remove(beside);
    QFile::remove(fallback);
    QVERIFY(QDir().mkpath(beside)); // a folder where the file belongs

    Run r = kivoctl({"set", "front=on,#abcdef"}, state);
    QVERIFY2(r.code == 0, r.err.constData());
    {
        QSettings kept(fallback, QSettings::IniFormat);
        QCOMPARE(kept.value("USER_COLOR/Num").toInt(), 5);
        QCOMPARE(QColor(kept.value("COLOR5/Red").toInt(), kept.value("COLOR5/Green").toInt(),
                        kept.value("COLOR5/Blue").toInt()),
                 QColor(0xab, 0xcd, 0xef));
    }

    // Nowhere to write: the mouse takes the colour, and kivoctl says the preset is lost.
    QFile::remove(fallback);
    QVERIFY(QDir().mkpath(fallback));
    r = kivoctl({"set", "front=on,#123456"}, state);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, "kivoctl: the colour preset #123456 was not saved (" + fallback.toUtf8() +
                        " cannot be written)\n");
    QVERIFY(kivoctl({"show"}, state).out.contains("front      on #123456"));
}

QTEST_MAIN(Kivoctl)
#include "tst_kivoctl.moc"
