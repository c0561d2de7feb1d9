// The keyboard capture seam without a display server: the key-code table, the
// event translation, and which capture gets the keys and when captures end.
#include "platform/keycapture.h"
#include "platform/x11keys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace
{
struct Call {
    int client;
    int code;
    unsigned message;
    unsigned vkey;
};
QVector<Call> calls;

qintptr clientA(int code, unsigned message, unsigned vkey)
{
    calls.push_back({1, code, message, vkey});
    return 1;
}
qintptr clientB(int code, unsigned message, unsigned vkey)
{
    calls.push_back({2, code, message, vkey});
    return 1;
}
// A procedure that lets keys through to the program.
qintptr passThrough(int code, unsigned message, unsigned vkey)
{
    calls.push_back({3, code, message, vkey});
    return 0;
}

const quint32 kNumLock = 0x10; // X11 Mod2

void sendKey(QWidget *to, QEvent::Type type, quint32 keycode, int qtKey = 0,
             Qt::KeyboardModifiers mods = Qt::NoModifier, quint32 nativeMods = kNumLock,
             bool repeat = false, const QString &text = QString())
{
    QKeyEvent ev(type, qtKey, mods, keycode, 0, nativeMods, text, repeat);
    QApplication::sendEvent(to, &ev);
}
} // namespace

class KeyCaptureTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { calls.clear(); }
    void cleanup() { KeyCapture::stopAll(); }

    void keycodeTable_data();
    void keycodeTable();
    void keypadWithoutNumLock_data();
    void keypadWithoutNumLock();
    void unknownKeycodes();
    void translation();
    void fallbackToQtKey_data();
    void fallbackToQtKey();

    void capturedKeysReachOnlyTheProcedure();
    void lastStartedCaptureGetsTheKeys();
    void endsWhenWindowHiddenOrDeactivated();
    void stopAllEndsEveryCapture();
    void startAndStopAreIdempotent();
};

void KeyCaptureTest::keycodeTable_data()
{
    QTest::addColumn<int>("keycode");
    QTest::addColumn<int>("vkey");
    // The 105 keys of an ISO keyboard, row by row: X11 key code and the
    // virtual key Windows reports for the same key.
    struct Row {
        const char *name;
        int keycode, vkey;
    };
    const Row rows[] = {
        {"Esc", 9, 0x1b},
        {"F1", 67, 0x70},
        {"F2", 68, 0x71},
        {"F3", 69, 0x72},
        {"F4", 70, 0x73},
        {"F5", 71, 0x74},
        {"F6", 72, 0x75},
        {"F7", 73, 0x76},
        {"F8", 74, 0x77},
        {"F9", 75, 0x78},
        {"F10", 76, 0x79},
        {"F11", 95, 0x7a},
        {"F12", 96, 0x7b},
        {"PrintScreen", 107, 0x2c},
        {"ScrollLock", 78, 0x91},
        {"Pause", 127, 0x13},
        {"grave", 49, 0xc0},
        {"1", 10, 0x31},
        {"2", 11, 0x32},
        {"3", 12, 0x33},
        {"4", 13, 0x34},
        {"5", 14, 0x35},
        {"6", 15, 0x36},
        {"7", 16, 0x37},
        {"8", 17, 0x38},
        {"9", 18, 0x39},
        {"0", 19, 0x30},
        {"minus", 20, 0xbd},
        {"equal", 21, 0xbb},
        {"Backspace", 22, 0x08},
        {"Insert", 118, 0x2d},
        {"Home", 110, 0x24},
        {"PageUp", 112, 0x21},
        {"NumLock", 77, 0x90},
        {"KP divide", 106, 0x6f},
        {"KP multiply", 63, 0x6a},
        {"KP subtract", 82, 0x6d},
        {"Tab", 23, 0x09},
        {"Q", 24, 0x51},
        {"W", 25, 0x57},
        {"E", 26, 0x45},
        {"R", 27, 0x52},
        {"T", 28, 0x54},
        {"Y", 29, 0x59},
        {"U", 30, 0x55},
        {"I", 31, 0x49},
        {"O", 32, 0x4f},
        {"P", 33, 0x50},
        {"bracketleft", 34, 0xdb},
        {"bracketright", 35, 0xdd},
        {"Enter", 36, 0x0d},
        {"Delete", 119, 0x2e},
        {"End", 115, 0x23},
        {"PageDown", 117, 0x22},
        {"KP7", 79, 0x67},
        {"KP8", 80, 0x68},
        {"KP9", 81, 0x69},
        {"KP add", 86, 0x6b},
        {"CapsLock", 66, 0x14},
        {"A", 38, 0x41},
        {"S", 39, 0x53},
        {"D", 40, 0x44},
        {"F", 41, 0x46},
        {"G", 42, 0x47},
        {"H", 43, 0x48},
        {"J", 44, 0x4a},
        {"K", 45, 0x4b},
        {"L", 46, 0x4c},
        {"semicolon", 47, 0xba},
        {"apostrophe", 48, 0xde},
        {"numbersign (ISO)", 51, 0xdc},
        {"KP4", 83, 0x64},
        {"KP5", 84, 0x65},
        {"KP6", 85, 0x66},
        {"left Shift", 50, 0xa0},
        {"less (ISO)", 94, 0xe2},
        {"Z", 52, 0x5a},
        {"X", 53, 0x58},
        {"C", 54, 0x43},
        {"V", 55, 0x56},
        {"B", 56, 0x42},
        {"N", 57, 0x4e},
        {"M", 58, 0x4d},
        {"comma", 59, 0xbc},
        {"period", 60, 0xbe},
        {"slash", 61, 0xbf},
        {"right Shift", 62, 0xa1},
        {"Up", 111, 0x26},
        {"KP1", 87, 0x61},
        {"KP2", 88, 0x62},
        {"KP3", 89, 0x63},
        {"KP Enter", 104, 0x0d},
        {"left Ctrl", 37, 0xa2},
        {"left Win", 133, 0x5b},
        {"left Alt", 64, 0xa4},
        {"Space", 65, 0x20},
        {"right Alt", 108, 0xa5},
        {"right Win", 134, 0x5c},
        {"Menu", 135, 0x5d},
        {"right Ctrl", 105, 0xa3},
        {"Left", 113, 0x25},
        {"Down", 116, 0x28},
        {"Right", 114, 0x27},
        {"KP0", 90, 0x60},
        {"KP decimal", 91, 0x6e},
    };
    QCOMPARE(int(sizeof rows / sizeof rows[0]), 105);
    QSet<int> seen;
    for (const Row &r : rows) {
        QVERIFY2(!seen.contains(r.keycode), r.name); // each key once
        seen.insert(r.keycode);
        QTest::newRow(r.name) << r.keycode << r.vkey;
    }
    // Beyond the 105 keys: F13-F24 and the media keys of many keyboards.
    for (int n = 13; n <= 24; ++n)
        QTest::addRow("F%d", n) << 191 + (n - 13) << 0x7c + (n - 13);
    QTest::newRow("Mute") << 121 << 0xad;
    QTest::newRow("VolumeDown") << 122 << 0xae;
    QTest::newRow("VolumeUp") << 123 << 0xaf;
}

void KeyCaptureTest::keycodeTable()
{
    QFETCH(int, keycode);
    QFETCH(int, vkey);
    QCOMPARE(int(x11keys::vkey_from_keycode(quint8(keycode), true)), vkey);
    // Num Lock only changes the keypad's digits and decimal key.
    const bool keypadDigit = (vkey >= 0x60 && vkey <= 0x69) || vkey == 0x6e;
    if (!keypadDigit) QCOMPARE(int(x11keys::vkey_from_keycode(quint8(keycode), false)), vkey);
}

void KeyCaptureTest::keypadWithoutNumLock_data()
{
    QTest::addColumn<int>("keycode");
    QTest::addColumn<int>("vkey");
    QTest::newRow("KP0 Insert") << 90 << 0x2d;
    QTest::newRow("KP1 End") << 87 << 0x23;
    QTest::newRow("KP2 Down") << 88 << 0x28;
    QTest::newRow("KP3 PageDown") << 89 << 0x22;
    QTest::newRow("KP4 Left") << 83 << 0x25;
    QTest::newRow("KP5 Clear") << 84 << 0x0c;
    QTest::newRow("KP6 Right") << 85 << 0x27;
    QTest::newRow("KP7 Home") << 79 << 0x24;
    QTest::newRow("KP8 Up") << 80 << 0x26;
    QTest::newRow("KP9 PageUp") << 81 << 0x21;
    QTest::newRow("KP decimal Delete") << 91 << 0x2e;
}

void KeyCaptureTest::keypadWithoutNumLock()
{
    QFETCH(int, keycode);
    QFETCH(int, vkey);
    QCOMPARE(int(x11keys::vkey_from_keycode(quint8(keycode), false)), vkey);
}

void KeyCaptureTest::unknownKeycodes()
{
    // Codes below the X11 range and unused ones have no virtual key; none of
    // the 256 codes reads outside the table.
    for (int k : {0, 1, 8, 92, 93, 255})
        QCOMPARE(int(x11keys::vkey_from_keycode(quint8(k), true)), 0);
    for (int k = 0; k < 256; ++k)
        x11keys::vkey_from_keycode(quint8(k), k & 1);
}

void KeyCaptureTest::translation()
{
    x11keys::KeyMessage m{};
    QKeyEvent pressC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, 54, 0, kNumLock);
    QVERIFY(x11keys::translate(&pressC, &m));
    QCOMPARE(m.message, 0x100u);
    QCOMPARE(int(m.vkey), 0x43);
    QKeyEvent releaseC(QEvent::KeyRelease, Qt::Key_C, Qt::NoModifier, 54, 0, kNumLock);
    QVERIFY(x11keys::translate(&releaseC, &m));
    QCOMPARE(m.message, 0x101u);

    // Alt and keys with Alt held come as system messages, as on Windows.
    QKeyEvent pressAlt(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, 64, 0, kNumLock);
    QVERIFY(x11keys::translate(&pressAlt, &m));
    QCOMPARE(m.message, 0x104u);
    QCOMPARE(int(m.vkey), 0xa4);
    QKeyEvent altF4(QEvent::KeyRelease, Qt::Key_F4, Qt::AltModifier, 70, 0, kNumLock);
    QVERIFY(x11keys::translate(&altF4, &m));
    QCOMPARE(m.message, 0x105u);

    // A right-hand modifier stays right-hand, whatever Qt::Key says.
    QKeyEvent rctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 105, 0, kNumLock);
    QVERIFY(x11keys::translate(&rctrl, &m));
    QCOMPARE(int(m.vkey), 0xa3);

    // Auto-repeat: the repeated press counts, its release does not.
    QKeyEvent repPress(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0, "a", true);
    QVERIFY(x11keys::translate(&repPress, &m));
    QKeyEvent repRelease(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, 38, 0, 0, "a", true);
    QVERIFY(!x11keys::translate(&repRelease, &m));

    // Nothing for a key the table lacks, or for other events.
    QKeyEvent unknown(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 93, 0, 0);
    QVERIFY(!x11keys::translate(&unknown, &m));
    QVERIFY(!x11keys::translate(static_cast<QKeyEvent *>(nullptr), &m));
}

void KeyCaptureTest::fallbackToQtKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<int>("vkey");
    QTest::newRow("A") << int(Qt::Key_A) << 0 << 0x41;
    QTest::newRow("7") << int(Qt::Key_7) << 0 << 0x37;
    QTest::newRow("keypad 7") << int(Qt::Key_7) << int(Qt::KeypadModifier) << 0x67;
    QTest::newRow("F13") << int(Qt::Key_F13) << 0 << 0x7c;
    QTest::newRow("F24") << int(Qt::Key_F24) << 0 << 0x87;
    QTest::newRow("Control") << int(Qt::Key_Control) << 0 << 0xa2;
    QTest::newRow("comma") << int(Qt::Key_Comma) << 0 << 0xbc;
    QTest::newRow("less") << int(Qt::Key_Less) << 0 << 0xbc;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 0x6b;
    QTest::newRow("plus") << int(Qt::Key_Plus) << 0 << 0xbb;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0 << 0x0d;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << 0 << 0;
}

void KeyCaptureTest::fallbackToQtKey()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(int, vkey);
    QCOMPARE(int(x11keys::vkey_from_qt(key, Qt::KeyboardModifiers(mods))), vkey);
    // An event without a key code takes this way.
    QKeyEvent ev(QEvent::KeyPress, key, Qt::KeyboardModifiers(mods), 0, 0, 0);
    x11keys::KeyMessage m{};
    QCOMPARE(x11keys::translate(&ev, &m), vkey != 0);
    if (vkey) QCOMPARE(int(m.vkey), vkey);
}

void KeyCaptureTest::capturedKeysReachOnlyTheProcedure()
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    KeyCapture capture(clientA);
    capture.start(field);
    QVERIFY(capture.isCapturing());
    QVERIFY(KeyCapture::anyCapturing());
    sendKey(field, QEvent::KeyPress, 37, Qt::Key_Control); // left Ctrl
    sendKey(field, QEvent::KeyPress, 54, Qt::Key_C, Qt::ControlModifier, kNumLock, false, "c");
    sendKey(field, QEvent::KeyRelease, 54, Qt::Key_C, Qt::ControlModifier);
    sendKey(field, QEvent::KeyPress, 191, Qt::Key_F13); // F13
    QCOMPARE(calls.size(), 4);
    QCOMPARE(calls[0].vkey, 0xa2u);
    QCOMPARE(calls[1].vkey, 0x43u);
    QCOMPARE(calls[1].message, 0x100u);
    QCOMPARE(calls[2].message, 0x101u);
    QCOMPARE(calls[3].vkey, 0x7cu);
    for (const Call &c : calls) {
        QCOMPARE(c.client, 1);
        QCOMPARE(c.code, 0);
    }
    QVERIFY(field->text().isEmpty()); // consumed

    // A procedure returning 0 lets the key through.
    capture.stop();
    KeyCapture open(passThrough);
    open.start(field);
    sendKey(field, QEvent::KeyPress, 38, Qt::Key_A, Qt::NoModifier, kNumLock, false, "a");
    QCOMPARE(calls.constLast().client, 3);
    QCOMPARE(field->text(), QStringLiteral("a"));
    open.stop();

    calls.clear();
    sendKey(field, QEvent::KeyPress, 56, Qt::Key_B, Qt::NoModifier, kNumLock, false, "b");
    QVERIFY(calls.isEmpty()); // no capture, no procedure
    QCOMPARE(field->text(), QStringLiteral("ab"));
}

void KeyCaptureTest::lastStartedCaptureGetsTheKeys()
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    KeyCapture a(clientA), b(clientB);
    a.start(field);
    b.start(field);
    QCOMPARE(KeyCapture::current(), &b);
    sendKey(field, QEvent::KeyPress, 38, Qt::Key_A);
    b.stop();
    QCOMPARE(KeyCapture::current(), &a);
    sendKey(field, QEvent::KeyRelease, 38, Qt::Key_A);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].client, 2);
    QCOMPARE(calls[1].client, 1);
    a.stop();
    QVERIFY(!KeyCapture::anyCapturing());
}

void KeyCaptureTest::endsWhenWindowHiddenOrDeactivated()
{
    QWidget window, other;
    auto *field = new QLineEdit(&window);
    window.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    KeyCapture capture(clientA);
    QSignalSpy ended(&capture, &KeyCapture::ended);

    capture.start(field);
    window.hide();
    QVERIFY(!capture.isCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    QCOMPARE(ended.count(), 1);
    sendKey(field, QEvent::KeyPress, 38, Qt::Key_A);
    QVERIFY(calls.isEmpty());

    window.show();
    QApplication::setActiveWindow(&window);
    QTRY_VERIFY(window.isActiveWindow());
    capture.start(field);
    QVERIFY(capture.isCapturing());
    QApplication::setActiveWindow(&other);
    QTRY_VERIFY(!capture.isCapturing());
    QCOMPARE(ended.count(), 2);
    QVERIFY(!KeyCapture::grabHeld());

    // stop() by the client is not reported back to it.
    capture.start(field);
    capture.stop();
    QCOMPARE(ended.count(), 2);
}

void KeyCaptureTest::stopAllEndsEveryCapture()
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    window.show();
    KeyCapture a(clientA), b(clientB);
    QSignalSpy endedA(&a, &KeyCapture::ended), endedB(&b, &KeyCapture::ended);
    a.start(field);
    b.start(field);
    KeyCapture::stopAll();
    QVERIFY(!a.isCapturing());
    QVERIFY(!b.isCapturing());
    QVERIFY(!KeyCapture::anyCapturing());
    QCOMPARE(endedA.count(), 1);
    QCOMPARE(endedB.count(), 1);
    KeyCapture::stopAll(); // nothing left to end
    QCOMPARE(endedA.count(), 1);
}

void KeyCaptureTest::startAndStopAreIdempotent()
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    window.show();
    {
        KeyCapture capture(clientA);
        capture.stop();
        QVERIFY(!capture.start(nullptr));
        QVERIFY(!capture.isCapturing());
        const bool first = capture.start(field);
        QCOMPARE(capture.start(field), first);
        QCOMPARE(KeyCapture::current(), &capture);
    } // destroyed while running
    QVERIFY(!KeyCapture::anyCapturing());
    QCOMPARE(KeyCapture::current(), nullptr);
    sendKey(field, QEvent::KeyPress, 38, Qt::Key_A);
    QVERIFY(calls.isEmpty());
}

QTEST_MAIN(KeyCaptureTest)
#include "tst_keycapture.moc"
