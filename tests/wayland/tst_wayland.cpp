// The program as a Wayland client of weston's headless backend (started by
// run_weston.sh). Clicks and keys come from the compositor's own seat
// (weston_input.c), so they reach the window as a real pointer's and
// keyboard's do: through focus, key map and serials of the compositor.
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/buttons/combo_widget.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"
#include "platform/keycapture.h"
#include "window/z9ktool.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace
{
// Every message as "category: text"; those of warning level or above also
// in `warnings`.
QStringList messages, warnings;
QtMessageHandler forward = nullptr;

void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QString line = QStringLiteral("%1: %2").arg(QLatin1String(context.category), text);
    messages << line;
    if (type != QtDebugMsg && type != QtInfoMsg) warnings << line;
    if (forward) forward(type, context, text);
}

// QSystemTrayIcon's own fallback where no StatusNotifier host answers (no
// session bus here) asks the platform for an X11 tray signal: the window
// shows its tray icon without asking whether there is a tray, and the toolkit
// (not the platform plugin) says this once. Checked apart, as a known fault.
const char kTrayFallback[] =
    "QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)";

bool isTrayFallback(const QString &line)
{
    return line.endsWith(QLatin1String(kTrayFallback));
}

QStringList withoutTrayFallback(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        if (!isTrayFallback(l)) out << l;
    return out;
}

// Expected to fail until the window shows its tray icon only where a tray is.
void expectTrayFallback(const QStringList &lines)
{
    QEXPECT_FAIL("", "the window shows its tray icon where there is no tray", Continue);
    QVERIFY(std::none_of(lines.begin(), lines.end(), isTrayFallback));
}

// Linux input event codes, as a keyboard sends them.
enum Key {
    KeyEnter = 28,
    KeyLeftCtrl = 29,
    KeyA = 30,
    KeyLeftShift = 42,
    KeyC = 46,
    KeyV = 47,
    KeyB = 48,
    KeyComma = 51,
    KeyRightAlt = 100,
    KeyF13 = 183
};
const int kLeftButton = 0x110;
} // namespace

// The compositor's seat, through its request socket.
class Seat
{
public:
    bool open()
    {
        socket.connectToServer(qEnvironmentVariable("KIVO_WESTON_INPUT"));
        return socket.waitForConnected(5000);
    }
    QString ask(const QString &request)
    {
        socket.write(request.toUtf8() + '\n');
        socket.waitForBytesWritten(5000);
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(5000)) return QStringLiteral("no answer");
        return QString::fromUtf8(socket.readLine()).trimmed();
    }
    // The pointer to `at` of `widget` (its middle by default).
    bool point(QWidget *widget, QPoint at = QPoint(-1, -1))
    {
        QWidget *top = widget->window();
        const QPoint p = widget->mapTo(top, at.x() < 0 ? widget->rect().center() : at);
        return ask(QStringLiteral("point %1 %2 %3")
                       .arg(p.x())
                       .arg(p.y())
                       .arg(top->windowTitle())) == QLatin1String("ok");
    }
    bool button(bool down)
    {
        return ask(QStringLiteral("button %1 %2").arg(kLeftButton).arg(down ? "down" : "up")) ==
               QLatin1String("ok");
    }
    bool click(QWidget *widget)
    {
        return widget->isVisible() && point(widget) && button(true) && button(false);
    }
    bool key(int code, bool down)
    {
        return ask(QStringLiteral("key %1 %2").arg(code).arg(down ? "down" : "up")) ==
               QLatin1String("ok");
    }
    bool tap(int code) { return key(code, true) && key(code, false); }
    QRect where(const QString &title)
    {
        const QStringList v = ask(QStringLiteral("where ") + title).split(' ');
        if (v.size() != 4) return QRect();
        return QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt());
    }

private:
    QLocalSocket socket;
};

class Wayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void navigationSwitchesPages_data();
    void navigationSwitchesPages();
    void customKeyFieldTakesTypedKeys();
    void macroRecorderTakesTypedKeys();
    void windowDragAsksTheCompositor();
    void shownAgainFromTheTray();
    void theProgramRunsAsAWaylandClient();
    void noWarningFromThePlatform();

private:
    Seat seat;
    z9ktool *w = nullptr;
    bool toPage(int id);
};

void Wayland::initTestCase()
{
    forward = qInstallMessageHandler(record); // after the test log's own handler
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QVERIFY2(seat.open(), "no seat socket: run under run_weston.sh");
    QVERIFY(bindVirtualMouse());
    freshMouse();
    w = new z9ktool;
    attach_at_start(*w);
    QVERIFY(device_attached);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTRY_VERIFY(seat.where(w->windowTitle()).isValid());
    // The shell gives a new window the keyboard; nothing has to ask for it.
    QTRY_COMPARE(seat.ask(QStringLiteral("focus")), w->windowTitle());
    QTRY_VERIFY(w->isActiveWindow());
}

bool Wayland::toPage(int id)
{
    if (!seat.click(w->nav_btns->button(id))) return false;
    // The view animation that the page asks for ends before its controls are clicked.
    return QTest::qWaitFor(
        [&] { return w->side_stack->currentIndex() == id && !w->animation_timer->isActive(); });
}

void Wayland::navigationSwitchesPages_data()
{
    QTest::addColumn<int>("id");
    for (int id : {2, 3, 4, 5, 1})
        QTest::addRow("%d", id) << id;
}

void Wayland::navigationSwitchesPages()
{
    QFETCH(int, id);
    QVERIFY(toPage(id));
    QCOMPARE(w->nav_btns->checkedId(), id);
}

void Wayland::customKeyFieldTakesTypedKeys()
{
    QVERIFY(toPage(2));
    button_Widget *page = w->btnpage;
    mkey_Edit *editor = page->combo_area->mkey_editor;
    QVERIFY(seat.click(page->nav_combo));
    QTRY_VERIFY(editor->mkey_line->isVisible());
    QVERIFY(seat.click(editor->mkey_line));
    QTRY_VERIFY(editor->key_hook->isCapturing());
    // Keys come to the focused window only: no keyboard grab is tried.
    QVERIFY(!editor->key_hook->holdsGrab());
    QVERIFY(!KeyCapture::grabHeld());
    QVERIFY(messages.filter(QStringLiteral("grab")).isEmpty());

    QVERIFY(seat.key(KeyLeftCtrl, true) && seat.tap(KeyC) && seat.key(KeyLeftCtrl, false));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+C"));
    QVERIFY(seat.tap(KeyV));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+V"));
    QVERIFY(seat.tap(KeyRightAlt)); // joins the modifiers
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+RIGHT ALT+V"));

    QVERIFY(seat.click(editor->clear_btn));
    QTRY_VERIFY(editor->mkey_line->text().isEmpty());
    QTRY_VERIFY(editor->key_hook->isCapturing()); // the field has the focus again
    QVERIFY(seat.tap(KeyF13) && seat.tap(KeyComma));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("<"));
    QCOMPARE(int(editor->key_ascii), 0xbc);

    // Another page: the field loses the focus and the capture ends.
    QVERIFY(toPage(1));
    QTRY_VERIFY(!editor->key_hook->isCapturing());
    QVERIFY(!KeyCapture::anyCapturing());
}

void Wayland::macroRecorderTakesTypedKeys()
{
    QVERIFY(toPage(2));
    micro_Widget *recorder = w->btnpage->micro_area;
    QVERIFY(seat.click(w->btnpage->nav_micro));
    QTRY_VERIFY(recorder->record_btn->isVisible());
    recorder->btn_records.clear();
    recorder->records_list->clear();
    QVERIFY(seat.click(recorder->record_btn));
    QTRY_VERIFY(recorder->recording);
    QVERIFY(!KeyCapture::grabHeld());

    QVERIFY(seat.tap(KeyA) && seat.key(KeyLeftShift, true) && seat.tap(KeyB) &&
            seat.key(KeyLeftShift, false) && seat.tap(KeyEnter));
    QTRY_COMPARE(recorder->btn_records.size(), 8);
    QStringList rows;
    for (int i = 0; i < recorder->records_list->count(); ++i)
        rows << recorder->records_list->item(i)->text();
    QCOMPARE(rows, (QStringList{"A", "A", "SHIFT", "B", "B", "SHIFT", "Enter", "Enter"}));

    QVERIFY(seat.click(recorder->record_btn));
    QTRY_VERIFY(!recorder->recording);
    QVERIFY(!KeyCapture::anyCapturing());
}

void Wayland::windowDragAsksTheCompositor()
{
    QVERIFY(toPage(1));
    // A spot above the mouse picture that no control takes: the press goes
    // to the window, which asks the compositor to move it.
    const QPoint at(640, 12);
    for (QWidget *c = w->childAt(at); c && c != w; c = c->parentWidget())
        QVERIFY2(!qobject_cast<QAbstractButton *>(c), qPrintable(c->objectName()));
    const QRect before = seat.where(w->windowTitle());
    QVERIFY(before.isValid());
    QVERIFY(seat.point(w, at));
    QVERIFY(seat.button(true));
    QTRY_COMPARE(seat.ask(QStringLiteral("grab")), QStringLiteral("shell"));
    QVERIFY(seat.point(w, at + QPoint(120, 60)));
    QVERIFY(seat.button(false));
    QCOMPARE(seat.ask(QStringLiteral("grab")), QStringLiteral("default"));
    QCOMPARE(seat.where(w->windowTitle()), before.translated(120, 60));
    // Still the program's window, taking clicks where it now is.
    QVERIFY(toPage(3));
}

void Wayland::shownAgainFromTheTray()
{
    // What the tray's "显示" and a click on the icon do to the hidden window.
    w->hide();
    QTRY_VERIFY(!seat.where(w->windowTitle()).isValid());
    const int mark = warnings.size();
    w->showWidget();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTRY_COMPARE(seat.ask(QStringLiteral("focus")), w->windowTitle());
    const QStringList said = warnings.mid(mark);
    warnings = warnings.mid(0, mark); // the check below holds for the rest
    QVERIFY2(said.isEmpty(), qPrintable(said.join('\n')));
}

void Wayland::theProgramRunsAsAWaylandClient()
{
    // The window above has the same title: it goes first.
    const QString title = w->windowTitle();
    delete w;
    w = nullptr;
    QTRY_VERIFY(!seat.where(title).isValid());

    QTemporaryDir dir;
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELQA_LIBRARY", VMOUSE_LIBRARY);
    env.insert("VMOUSE_STATE", QString());
    env.insert("TMPDIR", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("QT_LOGGING_TO_CONSOLE", "1");
    env.insert("QT_MESSAGE_PATTERN", "%{type} %{category}: %{message}");
    program.setProcessEnvironment(env);
    program.start(KIVO_EXECUTABLE, QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(seat.where(title).isValid(), 20000);
    QTRY_COMPARE(seat.ask(QStringLiteral("focus")), title);
    program.terminate(); // ends as the desktop's logout does
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);

    const QStringList lines = QString::fromUtf8(program.readAll()).split('\n');
    QVERIFY2(lines.join('\n').contains("PATH: "), qPrintable(lines.join('\n')));
    QStringList bad;
    for (const QString &l : lines)
        if (!l.startsWith(QLatin1String("debug ")) && !l.startsWith(QLatin1String("info ")) &&
            !l.isEmpty())
            bad << l;
    QVERIFY2(withoutTrayFallback(bad).isEmpty(), qPrintable(bad.join('\n')));
    expectTrayFallback(bad);
}

void Wayland::noWarningFromThePlatform()
{
    const QStringList left = withoutTrayFallback(warnings);
    QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    expectTrayFallback(warnings);
}

int main(int argc, char **argv)
{
    // From the start: the platform plugin speaks while the application is made.
    forward = qInstallMessageHandler(record);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    Wayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
