// The keyboard capture on a real X server (Xvfb, started by the test command):
// the grab is one that other clients run into, keys typed by xdotool reach the
// procedure with their Windows virtual keys, and every way out releases it.
#include "platform/keycapture.h"
#include "pages/buttons/mkey_edit.h"
#include "xgrabprobe.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace
{
struct Call {
    unsigned message;
    unsigned vkey;
};
QVector<Call> calls;

qintptr record(int code, unsigned message, unsigned vkey)
{
    if (code == 0) calls.push_back({message & ~4u, vkey});
    return 1;
}

bool xdotool(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

QString describe(const QVector<Call> &list)
{
    QStringList out;
    for (const Call &c : list)
        out << QStringLiteral("%1:%2").arg(c.message == 0x100 ? "down" : "up").arg(c.vkey, 0, 16);
    return out.join(' ');
}
} // namespace

class KeyGrab : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void grabIsHeldAgainstOtherClients();
    void typedKeysReachTheProcedure_data();
    void typedKeysReachTheProcedure();
    void hidingTheWindowReleases();
    void anotherWindowTakingTheFocusReleases();
    void stopAllReleasesAndKeysReturnToWidgets();
    void customKeyEditorCapturesWhileFocused();

private:
    QWidget *window = nullptr;
    QLineEdit *field = nullptr;
    QPushButton *button = nullptr;
    bool activate();
};

void KeyGrab::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(probe_keyboard_grab() == ProbeGrabbed, "the X server's keyboard is not free");
}

void KeyGrab::init()
{
    calls.clear();
    window = new QWidget;
    window->setGeometry(100, 100, 400, 200);
    field = new QLineEdit(window);
    field->setGeometry(10, 10, 200, 30);
    button = new QPushButton(QStringLiteral("x"), window);
    button->setGeometry(10, 60, 60, 30);
    QVERIFY(activate());
}

void KeyGrab::cleanup()
{
    KeyCapture::stopAll();
    delete window;
    window = nullptr;
    QTRY_COMPARE(probe_keyboard_grab(), int(ProbeGrabbed));
}

bool KeyGrab::activate()
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return false;
    window->activateWindow();
    return QTest::qWaitForWindowActive(window) && window->isActiveWindow();
}

void KeyGrab::grabIsHeldAgainstOtherClients()
{
    KeyCapture capture(record);
    QVERIFY(capture.start(field));
    QVERIFY(capture.holdsGrab());
    QVERIFY(KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeRefused));
    // Taking the grab does not count as the window losing its activation.
    QTest::qWait(100);
    QVERIFY(capture.isCapturing());
    QCOMPARE(probe_keyboard_grab(), int(ProbeRefused));
    capture.stop();
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeGrabbed));
}

void KeyGrab::typedKeysReachTheProcedure_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("left Ctrl + C")
        << QStringList{"keydown", "Control_L", "key", "c", "keyup", "Control_L"}
        << "down:a2 down:43 up:43 up:a2";
    QTest::newRow("right Alt") << QStringList{"key", "108"} << "down:a5 up:a5";
    QTest::newRow("right Ctrl") << QStringList{"key", "105"} << "down:a3 up:a3";
    QTest::newRow("left Super") << QStringList{"key", "Super_L"} << "down:5b up:5b";
    QTest::newRow("comma") << QStringList{"key", "comma"} << "down:bc up:bc";
    QTest::newRow("F13 by key code") << QStringList{"key", "191"} << "down:7c up:7c";
    QTest::newRow("F24 by key code") << QStringList{"key", "202"} << "down:87 up:87";
    QTest::newRow("keypad 1, Num Lock off") << QStringList{"key", "87"} << "down:23 up:23";
    QTest::newRow("keypad Enter") << QStringList{"key", "KP_Enter"} << "down:d up:d";
    QTest::newRow("Tab stays in") << QStringList{"key", "Tab"} << "down:9 up:9";
}

void KeyGrab::typedKeysReachTheProcedure()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    KeyCapture capture(record);
    QVERIFY(capture.start(field));
    QVERIFY(xdotool(args));
    const int want = expected.count(' ') + 1;
    QTRY_VERIFY2(calls.size() >= want, qPrintable(describe(calls)));
    QTest::qWait(50); // nothing more follows
    QCOMPARE(describe(calls), expected);
    QVERIFY(field->text().isEmpty());
    QVERIFY(field->hasFocus() || !button->hasFocus()); // Tab moved no focus
}

void KeyGrab::hidingTheWindowReleases()
{
    KeyCapture capture(record);
    QSignalSpy ended(&capture, &KeyCapture::ended);
    QVERIFY(capture.start(field));
    window->hide();
    QVERIFY(!capture.isCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeGrabbed));
    QCOMPARE(ended.count(), 1);
}

void KeyGrab::anotherWindowTakingTheFocusReleases()
{
    KeyCapture capture(record);
    QSignalSpy ended(&capture, &KeyCapture::ended);
    QVERIFY(capture.start(field));
    QWidget other;
    other.setGeometry(600, 100, 200, 100);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    QTRY_VERIFY(!capture.isCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeGrabbed));
    QCOMPARE(ended.count(), 1);
}

void KeyGrab::stopAllReleasesAndKeysReturnToWidgets()
{
    // What the window does when the mouse goes away and on quitting.
    KeyCapture capture(record);
    QVERIFY(capture.start(field));
    KeyCapture::stopAll();
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeGrabbed));

    field->setFocus();
    QVERIFY(xdotool({"type", "ab"}));
    QTRY_COMPARE(field->text(), QStringLiteral("ab"));
    QVERIFY(calls.isEmpty());
}

void KeyGrab::customKeyEditorCapturesWhileFocused()
{
    auto *editor = new mkey_Edit(window);
    editor->setGeometry(10, 110, 500, 30);
    editor->show();
    QTest::mouseClick(editor->mkey_line, Qt::LeftButton);
    QVERIFY(editor->mkey_line->hasFocus());
    QVERIFY(KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeRefused));

    QVERIFY(xdotool({"keydown", "Control_L", "key", "c", "keyup", "Control_L"}));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+C"));
    QVERIFY(xdotool({"key", "v"}));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+V"));
    QVERIFY(xdotool({"key", "108"})); // right Alt joins the modifiers
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+RIGHT ALT+V"));

    QTest::mouseClick(editor->clear_btn, Qt::LeftButton);
    QVERIFY(editor->mkey_line->text().isEmpty());
    QVERIFY(KeyCapture::grabHeld()); // still capturing
    QVERIFY(xdotool({"key", "191", "comma"}));
    QTRY_COMPARE(editor->mkey_line->text(), QStringLiteral("<"));
    QCOMPARE(int(editor->key_ascii), 0xbc);

    // Focus leaves the field: the keyboard is free again.
    field->setFocus();
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(probe_keyboard_grab(), int(ProbeGrabbed));
    QVERIFY(xdotool({"type", "z"}));
    QTRY_COMPARE(field->text(), QStringLiteral("z"));
    QCOMPARE(editor->mkey_line->text(), QStringLiteral("<"));
}

QTEST_MAIN(KeyGrab)
#include "tst_keygrab.moc"
