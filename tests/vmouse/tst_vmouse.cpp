// The virtual mouse through the library's ten exports and its control calls.
#include "mousetalk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace talk;

namespace
{

QByteArray traced(int i, int *channel = nullptr)
{
    unsigned char buf[64];
    const int n = vmouse_trace_get(i, buf, sizeof buf, channel);
    return n < 0 ? QByteArray() : QByteArray(reinterpret_cast<char *>(buf), n);
}

// The four status reads of a full refresh plus the buttons: the mouse's settings
// as the program sees them.
QList<QByteArray> settingsSnapshot()
{
    QList<QByteArray> all{askControl({0xA0, 0}), askControl({0xA0, 1}), askControl({0xC2}),
                          askControl({0xC4})};
    for (int id = 2; id <= 7; ++id)
        all << askControl({0xB0, id});
    return all;
}

QByteArray macroRead(int slot, int offset, int wanted)
{
    QByteArray f = frame({0xF0, slot, wanted}, 63);
    putBe32(f, 3, quint32(offset));
    return config(f) == 0 ? configReply() : QByteArray();
}

void macroWrite(int slot, quint32 offset, const QByteArray &data, int declared = -1)
{
    QByteArray f = frame({0xF1, slot, declared < 0 ? data.size() : declared}, 63);
    putBe32(f, 3, offset);
    f.replace(7, qMin(data.size(), 56), data.left(56));
    config(f);
}

QByteArray leadingBlock(int major, int minor, int patch)
{
    QByteArray b(14, '\0');
    b.replace(0, 4, "KIVO");
    b[4] = char(major);
    b[5] = char(minor);
    b[6] = char(patch);
    return b;
}

QByteArray pattern(int n, int seed)
{
    QByteArray a(n, '\0');
    for (int i = 0; i < n; ++i)
        a[i] = char((i * 37 + seed * 11 + (i >> 3)) & 0xFF);
    return a;
}

QByteArray version()
{
    const QByteArray r = askConfig({0xD0});
    return r.isEmpty() ? QByteArray() : r.mid(3, 3);
}

} // namespace

class TestVMouse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void setThenReadEchoesTheFrame_data();
    void setThenReadEchoesTheFrame();
    void factoryState_data();
    void factoryState();
    void batteryAndVersionReplies();
    void restoreDefaultsKeepsVersionAndBattery();
    void unknownCommandsAreIgnored_data();
    void unknownCommandsAreIgnored();

    void reportsAreFramedAndTraced();
    void badLengthsAreRefused();
    void writeDropsQueuedInput();
    void silentReadWaitsAndZeroes();
    void shortReadBufferGetsOnlyItsBytes();

    void macroAcrossChunks();
    void macroClippedToSlot_data();
    void macroClippedToSlot();

    void goodFlashChangesVersionAfterRestart();
    void badFlashLeavesTheLoader_data();
    void badFlashLeavesTheLoader();
    void rejectedConfigWrite();

    void pathAndIds();
    void unplugAndReplug();
    void neverOpenedChannelsFailAtOnce();

    void stateSurvivesRestart();
    void damagedStateFileIsIgnored_data();
    void damagedStateFileIsIgnored();
};

void TestVMouse::initTestCase()
{
    qunsetenv("VMOUSE_STATE");
    vmouse_reload_state();
}

void TestVMouse::init()
{
    vmouse_reset();
    QVERIFY(openBoth());
}

// Reply byte n holds what set-command byte n - 2 set; id, code and a zero lead.
void TestVMouse::setThenReadEchoesTheFrame_data()
{
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QByteArray>("get");
    QTest::addColumn<QList<int>>("setBytes");

    const QList<int> zoneBytes{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("rear zone") << frame({0xA1, 0, 3, 5, 8, 8, 0x12, 0x34, 0x56}, 31)
                               << frame({0xA0, 0}, 31) << zoneBytes;
    QTest::newRow("front zone") << frame({0xA1, 1, 6, 8, 8, 8, 0xAB, 0xCD, 0xEF}, 31)
                                << frame({0xA0, 1}, 31) << zoneBytes;
    // Every kind: function, preset and custom combinations, macro with its length.
    const int assignments[6][4] = {{0, 8, 0, 0},       {1, 11, 0, 0}, {1, 0, 0x05, 0x06},
                                   {2, 1, 0x00, 0x78}, {0, 1, 0, 0},  {1, 12, 0, 0}};
    for (int id = 2; id <= 7; ++id) {
        const int *a = assignments[id - 2];
        QTest::addRow("button %d", id) << frame({0xB1, id, a[0], a[1], a[2], a[3]}, 31)
                                       << frame({0xB0, id}, 31) << QList<int>{1, 2, 3, 4, 5};
    }
    QTest::newRow("dpi levels") << frame({0xC1, 10, 20, 30, 40, 50, 3, 0, 5}, 31)
                                << frame({0xC2, 1}, 31) << QList<int>{1, 2, 3, 4, 5, 6, 8};
    QTest::newRow("report rate") << frame({0xC3, 8}, 31) << frame({0xC4, 1}, 31) << QList<int>{1};
}

void TestVMouse::setThenReadEchoesTheFrame()
{
    QFETCH(QByteArray, set);
    QFETCH(QByteArray, get);
    QFETCH(QList<int>, setBytes);

    QCOMPARE(control(set), 0u);
    QVERIFY2(controlReply().isEmpty(), "a set command must not be answered");
    QCOMPARE(control(get), 0u);
    const QByteArray r = controlReply();
    QCOMPARE(r.size(), 32);
    QCOMPARE(quint8(r[0]), quint8(0x4D));
    QCOMPARE(r[1], get[0]);
    QCOMPARE(int(r[2]), 0);
    for (int k : setBytes)
        QVERIFY2(r[k + 2] == set[k], qPrintable(QStringLiteral("frame byte %1").arg(k)));
}

void TestVMouse::factoryState_data()
{
    QTest::addColumn<QByteArray>("get");
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("rear zone") << frame({0xA0, 0}, 31) << 3
                               << frame({0, 2, 4, 8, 8, 0xFF, 0x3C, 0x3C}, 8);
    QTest::newRow("front zone") << frame({0xA0, 1}, 31) << 3
                                << frame({1, 1, 4, 8, 8, 0x00, 0xE3, 0x9B}, 8);
    QTest::newRow("dpi") << frame({0xC2}, 31) << 3 << frame({16, 32, 48, 64, 144, 1, 0, 5}, 8);
    QTest::newRow("rate 1000 Hz") << frame({0xC4}, 31) << 3 << frame({1}, 1);
    QTest::newRow("battery") << frame({0x90}, 31) << 3 << frame({85}, 1);
    const int codes[6] = {3, 5, 4, 6, 7, 8};
    for (int id = 2; id <= 7; ++id)
        QTest::addRow("button %d", id)
            << frame({0xB0, id}, 31) << 3 << frame({id, 0, codes[id - 2], 0, 0}, 5);
}

void TestVMouse::factoryState()
{
    QFETCH(QByteArray, get);
    QFETCH(int, at);
    QFETCH(QByteArray, expected);
    QCOMPARE(control(get), 0u);
    QCOMPARE(controlReply().mid(at, expected.size()), expected);
}

void TestVMouse::batteryAndVersionReplies()
{
    vmouse_set_battery(42);
    QCOMPARE(int(askControl({0x90})[3]), 42);
    vmouse_set_battery(250);
    QCOMPARE(int(askControl({0x90})[3]), 100);

    QCOMPARE(version(), frame({1, 1, 22}, 3));
    vmouse_set_version(3, 0, 255);
    const QByteArray r = askConfig({0xD0});
    QCOMPARE(r.size(), 64);
    QCOMPARE(quint8(r[0]), quint8(0x57));
    QCOMPARE(quint8(r[1]), quint8(0xD0));
    QCOMPARE(r.mid(3, 3), frame({3, 0, 255}, 3));
    QCOMPARE(r.mid(6), QByteArray(58, '\0'));
}

void TestVMouse::restoreDefaultsKeepsVersionAndBattery()
{
    const QList<QByteArray> factory = settingsSnapshot();
    macroWrite(13, 0, pattern(40, 1));

    control(frame({0xA1, 0, 6, 7, 8, 8, 1, 2, 3}, 31));
    control(frame({0xA1, 1, 0, 1, 8, 8, 4, 5, 6}, 31));
    control(frame({0xC1, 1, 2, 3, 4, 5, 4, 0, 5}, 31));
    control(frame({0xC3, 4}, 31));
    for (int id = 2; id <= 7; ++id)
        control(frame({0xB1, id, 1, id, 0, 0}, 31));
    vmouse_set_version(2, 0, 1);
    vmouse_set_battery(17);
    QVERIFY(settingsSnapshot() != factory);

    QCOMPARE(control(frame({0xEE}, 31)), 0u);
    QVERIFY(controlReply().isEmpty());
    QCOMPARE(settingsSnapshot(), factory);
    QCOMPARE(macroRead(13, 0, 40).mid(8, 40), QByteArray(40, '\0'));
    QCOMPARE(version(), frame({2, 0, 1}, 3));
    QCOMPARE(int(askControl({0x90})[3]), 17);
}

void TestVMouse::unknownCommandsAreIgnored_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("f");

    QTest::newRow("unknown control code") << int(VMOUSE_CONTROL) << frame({0x42, 1, 2}, 31);
    QTest::newRow("zone 2") << int(VMOUSE_CONTROL) << frame({0xA0, 2}, 31);
    QTest::newRow("zone 255") << int(VMOUSE_CONTROL) << frame({0xA0, 255}, 31);
    QTest::newRow("button 1") << int(VMOUSE_CONTROL) << frame({0xB0, 1}, 31);
    QTest::newRow("button 8") << int(VMOUSE_CONTROL) << frame({0xB0, 8}, 31);
    QTest::newRow("config code on control") << int(VMOUSE_CONTROL) << frame({0xD0}, 31);
    QTest::newRow("control code on config") << int(VMOUSE_CONFIG) << frame({0xC4}, 63);
    QTest::newRow("macro slot 11") << int(VMOUSE_CONFIG) << frame({0xF0, 11, 8}, 63);
    QTest::newRow("macro slot 18") << int(VMOUSE_CONFIG) << frame({0xF0, 18, 8}, 63);
}

void TestVMouse::unknownCommandsAreIgnored()
{
    QFETCH(int, channel);
    QFETCH(QByteArray, f);
    const QList<QByteArray> before = settingsSnapshot();
    // Sets aimed at ids that do not exist must not land anywhere either.
    control(frame({0xA1, 2, 6, 8, 8, 8, 1, 1, 1}, 31));
    control(frame({0xB1, 8, 1, 1, 0, 0}, 31));
    control(frame({0xB1, 1, 1, 1, 0, 0}, 31));
    macroWrite(18, 0, pattern(8, 2));

    QCOMPARE(channel == VMOUSE_CONTROL ? control(f) : config(f), 0u);
    QVERIFY(channel == VMOUSE_CONTROL ? controlReply().isEmpty() : configReply().isEmpty());
    QCOMPARE(settingsSnapshot(), before);
}

void TestVMouse::reportsAreFramedAndTraced()
{
    vmouse_trace_clear();
    unsigned char c = 0xC4;
    QCOMPARE(WrtieControl(1, &c), 0u);
    unsigned char d = 0xD0;
    QCOMPARE(WrtieConfig(1, &d), 0u);
    QByteArray full = pattern(31, 3);
    QCOMPARE(WrtieControl(31, reinterpret_cast<unsigned char *>(full.data())), 0u);

    QCOMPARE(vmouse_trace_count(), 3);
    int channel = -1;
    QCOMPARE(traced(0, &channel), QByteArray("\x4D\xC4", 2) + QByteArray(30, '\0'));
    QCOMPARE(channel, int(VMOUSE_CONTROL));
    QCOMPARE(traced(1, &channel), QByteArray("\x57\xD0", 2) + QByteArray(62, '\0'));
    QCOMPARE(channel, int(VMOUSE_CONFIG));
    QCOMPARE(traced(2), QByteArray("\x4D", 1) + full);

    // A small buffer receives the head only; out-of-range indices give -1.
    unsigned char head[4] = {0, 0, 0, 0xEE};
    QCOMPARE(vmouse_trace_get(1, head, 3, nullptr), 64);
    QCOMPARE(int(head[3]), 0xEE);
    QCOMPARE(vmouse_trace_get(3, head, 4, nullptr), -1);
    QCOMPARE(vmouse_trace_get(-1, head, 4, nullptr), -1);
}

void TestVMouse::badLengthsAreRefused()
{
    vmouse_trace_clear();
    unsigned char buf[64] = {0xC4};
    QVERIFY(WrtieControl(0, buf) != 0);
    QVERIFY(WrtieControl(32, buf) != 0);
    QVERIFY(WrtieControl(-5, buf) != 0);
    QVERIFY(WrtieControl(1, nullptr) != 0);
    QVERIFY(WrtieConfig(0, buf) != 0);
    QVERIFY(WrtieConfig(64, buf) != 0);
    QVERIFY(ReadControl(32, buf) != 0);
    QVERIFY(ReadConfig(64, buf) != 0);
    QCOMPARE(ReadControl(31, buf), 0u);
    QCOMPARE(ReadConfig(63, buf), 0u);
    QCOMPARE(vmouse_trace_count(), 0);
    QCOMPARE(ReadData(0, buf), 0);
    QCOMPARE(ReadConfigData(-1, nullptr), 0);
}

void TestVMouse::writeDropsQueuedInput()
{
    const QByteArray stray = QByteArray("\x4D\x77", 2) + QByteArray(30, '\x11');
    vmouse_queue_input(VMOUSE_CONTROL, reinterpret_cast<const unsigned char *>(stray.data()), 32);
    vmouse_queue_input(VMOUSE_CONTROL, reinterpret_cast<const unsigned char *>(stray.data()), 32);
    QCOMPARE(control(frame({0xC4}, 31)), 0u);
    const QByteArray r = controlReply();
    QCOMPARE(quint8(r[1]), quint8(0xC4));
    QCOMPARE(int(r[3]), 1);

    // The same on the configuration channel; and without a write the stray report is read.
    const QByteArray strayCfg = QByteArray("\x57\x99", 2) + QByteArray(62, '\x22');
    vmouse_queue_input(VMOUSE_CONFIG, reinterpret_cast<const unsigned char *>(strayCfg.data()), 64);
    QCOMPARE(configReply(), strayCfg);
    vmouse_queue_input(VMOUSE_CONFIG, reinterpret_cast<const unsigned char *>(strayCfg.data()), 64);
    QCOMPARE(version(), frame({1, 1, 22}, 3));
}

void TestVMouse::silentReadWaitsAndZeroes()
{
    vmouse_set_silent(1);
    QCOMPARE(control(frame({0xC4}, 31)), 0u);
    unsigned char buf[32];
    std::memset(buf, 0xAA, sizeof buf);
    QElapsedTimer t;
    t.start();
    QCOMPARE(ReadData(32, buf), 0);
    const qint64 ms = t.elapsed();
    QVERIFY2(ms >= 45 && ms < 1000, qPrintable(QString::number(ms)));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 32), QByteArray(32, '\0'));

    // Silent, yet it still takes what it is told.
    control(frame({0xC3, 2}, 31));
    vmouse_set_silent(0);
    QCOMPARE(int(askControl({0xC4})[3]), 2);
    // Each reply is read once; the next read has nothing and waits too.
    t.restart();
    QVERIFY(configReply().isEmpty());
    QVERIFY(t.elapsed() >= 45);
}

void TestVMouse::shortReadBufferGetsOnlyItsBytes()
{
    control(frame({0xC2}, 31));
    unsigned char buf[16];
    std::memset(buf, 0xAA, sizeof buf);
    QCOMPARE(ReadData(5, buf), 1);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 5), frame({0x4D, 0xC2, 0, 16, 32}, 5));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf) + 5, 11), QByteArray(11, '\xAA'));
}

void TestVMouse::macroAcrossChunks()
{
    const QByteArray events = pattern(120, 4); // 30 events of 4 bytes
    macroWrite(13, 0, events.mid(0, 56));
    macroWrite(13, 56, events.mid(56, 56));
    macroWrite(13, 112, events.mid(112, 8));
    macroWrite(14, 0, pattern(56, 5));

    QByteArray back;
    for (int offset = 0, left = 120; left > 0; offset += 56, left -= 56) {
        const QByteArray r = macroRead(13, offset, qMin(left, 56));
        QCOMPARE(r.size(), 64);
        QCOMPARE(quint8(r[0]), quint8(0x57));
        QCOMPARE(quint8(r[1]), quint8(0xF0));
        back += r.mid(8, qMin(left, 56));
        // Nothing beyond what was asked for.
        QCOMPARE(r.mid(8 + qMin(left, 56)), QByteArray(56 - qMin(left, 56), '\0'));
    }
    QCOMPARE(back, events);
    QCOMPARE(macroRead(14, 0, 56).mid(8), pattern(56, 5));
    QCOMPARE(macroRead(12, 0, 56).mid(8), QByteArray(56, '\0'));
}

void TestVMouse::macroClippedToSlot_data()
{
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<int>("declared");
    QTest::addColumn<int>("kept");

    QTest::newRow("last 12 bytes") << quint32(500) << 56 << 12;
    QTest::newRow("last byte") << quint32(511) << 56 << 1;
    QTest::newRow("at the end") << quint32(512) << 56 << 0;
    QTest::newRow("huge offset") << quint32(0xFFFFFFF0u) << 56 << 0;
    QTest::newRow("length over 56") << quint32(0) << 255 << 56;
}

void TestVMouse::macroClippedToSlot()
{
    QFETCH(quint32, offset);
    QFETCH(int, declared);
    QFETCH(int, kept);
    const QByteArray data = pattern(56, 6);
    macroWrite(16, offset, data, declared);

    const QByteArray r = macroRead(16, int(offset), declared);
    QCOMPARE(r.size(), 64);
    QCOMPARE(r.mid(8), data.left(kept) + QByteArray(56 - kept, '\0'));
    // The next slot, where a write past the end would land, and the slot's start
    // are untouched.
    QCOMPARE(macroRead(17, 0, 56).mid(8), QByteArray(56, '\0'));
    if (offset != 0) QCOMPARE(macroRead(16, 0, 56).mid(8), QByteArray(56, '\0'));
}

void TestVMouse::goodFlashChangesVersionAfterRestart()
{
    // 1000 body bytes: many full chunks and a short last one; odd length too.
    const QByteArray mcu = leadingBlock(1, 2, 3) + pattern(1001, 7);
    QVERIFY(flash(mcu));
    QCOMPARE(vmouse_plugged(), 1);

    // The restart killed both handles, as a re-plug does.
    QVERIFY(control(frame({0xC4}, 31)) != 0);
    QVERIFY(config(frame({0xD0}, 63)) != 0);
    QVERIFY(configReply().isEmpty());
    QVERIFY(openBoth());
    QCOMPARE(version(), frame({1, 2, 3}, 3));
    // Settings survive a firmware update.
    QCOMPARE(int(askControl({0xC4})[3]), 1);

    // Every chunk went out whole on the configuration channel.
    int chunks = 0;
    for (int i = 0; i < vmouse_trace_count(); ++i) {
        int ch = -1;
        const QByteArray r = traced(i, &ch);
        if (quint8(r[1]) == 0xD3) {
            QCOMPARE(ch, int(VMOUSE_CONFIG));
            QCOMPARE(r.size(), 64);
            ++chunks;
        }
    }
    QCOMPARE(chunks, (mcu.size() + 55) / 56);
}

void TestVMouse::badFlashLeavesTheLoader_data()
{
    QTest::addColumn<QByteArray>("mcu");
    QTest::addColumn<bool>("erase");
    QTest::addColumn<bool>("lock");
    QTest::addColumn<quint32>("crcFlip");
    QTest::addColumn<qint64>("lengthExtra");

    const QByteArray good = leadingBlock(4, 5, 6) + pattern(300, 8);
    QTest::newRow("wrong crc") << good << true << true << quint32(1) << qint64(0);
    QTest::newRow("no erase") << good << false << true << quint32(0) << qint64(0);
    QTest::newRow("no lock") << good << true << false << quint32(0) << qint64(0);
    QTest::newRow("length past the image") << good << true << true << quint32(0) << qint64(4);
    QTest::newRow("length beyond flash")
        << good << true << true << quint32(0) << qint64(0xFFFFFFF0u);
    QByteArray foreign = good;
    foreign[0] = 'X';
    QTest::newRow("no leading block") << foreign << true << true << quint32(0) << qint64(0);
    QTest::newRow("shorter than the block")
        << QByteArray("KIVO\x04\x05", 6) << true << true << quint32(0) << qint64(0);
    QTest::newRow("empty image") << QByteArray() << true << true << quint32(0) << qint64(0);
}

void TestVMouse::badFlashLeavesTheLoader()
{
    QFETCH(QByteArray, mcu);
    QFETCH(bool, erase);
    QFETCH(bool, lock);
    QFETCH(quint32, crcFlip);
    QFETCH(qint64, lengthExtra);

    FlashOptions o;
    o.erase = erase;
    o.lock = lock;
    o.crcFlip = crcFlip;
    o.lengthExtra = lengthExtra;
    QVERIFY(flash(mcu, o));
    QVERIFY(openBoth());
    // Once erased, the old image is gone: the loader answers until a good flash.
    QCOMPARE(version(), erase ? frame({0xFF, 0, 22}, 3) : frame({1, 1, 22}, 3));
    if (erase) {
        QVERIFY(flash(leadingBlock(4, 5, 6) + pattern(300, 8)));
        QVERIFY(openBoth());
        QCOMPARE(version(), frame({4, 5, 6}, 3));
    }
}

void TestVMouse::rejectedConfigWrite()
{
    vmouse_trace_clear();
    vmouse_reject_config_write(3);
    QCOMPARE(config(frame({0xDE}, 63)), 0u);
    QCOMPARE(config(frame({0xD1}, 63)), 0u);
    QVERIFY(config(frame({0xD2}, 63)) != 0);
    QCOMPARE(config(frame({0xD0}, 63)), 0u);
    // Control writes do not count, and only the one write is refused.
    QCOMPARE(control(frame({0xC4}, 31)), 0u);
    QCOMPARE(vmouse_trace_count(), 4);
    QCOMPARE(quint8(traced(2)[1]), quint8(0xD0));

    // A chunk refused halfway: the run stops after the erase, and the mouse
    // comes back from a power cycle as its loader.
    vmouse_reject_config_write(6);
    QVERIFY(!flash(leadingBlock(9, 9, 9) + pattern(400, 9)));
    vmouse_plug(0);
    vmouse_plug(1);
    QVERIFY(openBoth());
    QCOMPARE(version(), frame({0xFF, 0, 22}, 3));

    // The same image goes through once nothing is refused.
    vmouse_reject_config_write(0);
    QVERIFY(flash(leadingBlock(9, 9, 9) + pattern(400, 9)));
    QVERIFY(openBoth());
    QCOMPARE(version(), frame({9, 9, 9}, 3));
}

void TestVMouse::pathAndIds()
{
    const wchar_t *p = OpenDevice(kVid, kPid);
    QVERIFY(p);
    QCOMPARE(QString::fromWCharArray(p), QStringLiteral("/dev/hidraw3"));
    vmouse_set_path("/dev/hidraw12");
    QCOMPARE(QString::fromWCharArray(p), QStringLiteral("/dev/hidraw3")); // until the next open
    QCOMPARE(QString::fromWCharArray(OpenDevice(kVid, kPid)), QStringLiteral("/dev/hidraw12"));
    vmouse_set_path("\\\\?\\hid#vid_2717&pid_5009&mi_01&col03#\xc3\xa9");
    QCOMPARE(QString::fromWCharArray(OpenDevice(kVid, kPid)),
             QString::fromUtf8("\\\\?\\hid#vid_2717&pid_5009&mi_01&col03#\xc3\xa9"));
    vmouse_set_path(QByteArray(400, 'a').constData());
    QCOMPARE(int(std::wcslen(OpenDevice(kVid, kPid))), 259);
    vmouse_set_path(nullptr);
    QCOMPARE(QString::fromWCharArray(OpenDevice(kVid, kPid)), QStringLiteral("/dev/hidraw3"));

    // Another device's ids find nothing, and the channel is then closed.
    QVERIFY(!OpenDevice(0x2717, 0x5008));
    QVERIFY(control(frame({0xC4}, 31)) != 0);
    QVERIFY(!OpenConfigDevice(0x1234, 0x5009));
    QVERIFY(config(frame({0xD0}, 63)) != 0);

    vmouse_reset();
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL), 0);
    OpenDevice(kVid, kPid);
    OpenDevice(1, 2);
    CloseDevice();
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL), 2);
    QCOMPARE(vmouse_close_count(VMOUSE_CONTROL), 1);
    QCOMPARE(vmouse_open_count(VMOUSE_CONFIG), 0);
    QCOMPARE(vmouse_open_count(7), 0);
}

void TestVMouse::unplugAndReplug()
{
    vmouse_plug(0);
    QCOMPARE(vmouse_plugged(), 0);
    QVERIFY(control(frame({0xC4}, 31)) != 0);
    QVERIFY(config(frame({0xD0}, 63)) != 0);
    QElapsedTimer t;
    t.start();
    QVERIFY(controlReply().isEmpty());
    QVERIFY2(t.elapsed() < 40, "a dead handle fails at once");

    vmouse_plug(1);
    // The old handles stay dead after the mouse is back.
    QVERIFY(control(frame({0xC4}, 31)) != 0);
    QVERIFY(config(frame({0xD0}, 63)) != 0);
    QVERIFY(OpenDevice(kVid, kPid));
    QCOMPARE(int(askControl({0xC4})[3]), 1);
    QVERIFY(config(frame({0xD0}, 63)) != 0);
    QVERIFY(OpenConfigDevice(kVid, kPid));
    QCOMPARE(version(), frame({1, 1, 22}, 3));

    vmouse_plug(0);
    QVERIFY(!OpenDevice(kVid, kPid));
    QVERIFY(!OpenConfigDevice(kVid, kPid));
    vmouse_plug(1);
    QVERIFY(openBoth());
    QCOMPARE(CloseDevice(), 1);
    QCOMPARE(CloseDevice(), 0);
    QVERIFY(control(frame({0xC4}, 31)) != 0);
}

void TestVMouse::neverOpenedChannelsFailAtOnce()
{
    vmouse_reset();
    unsigned char buf[64];
    std::memset(buf, 0x55, sizeof buf);
    QElapsedTimer t;
    t.start();
    QVERIFY(WrtieControl(31, buf) != 0);
    QVERIFY(WrtieConfig(63, buf) != 0);
    QVERIFY(ReadControl(31, buf) != 0);
    QVERIFY(ReadConfig(63, buf) != 0);
    QCOMPARE(ReadData(32, buf), 0);
    QCOMPARE(ReadConfigData(64, buf), 0);
    QVERIFY(t.elapsed() < 40);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 64), QByteArray(64, '\0'));
    QCOMPARE(vmouse_trace_count(), 0);
}

void TestVMouse::stateSurvivesRestart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("mouse.state"));
    qputenv("VMOUSE_STATE", QFile::encodeName(file));
    QCOMPARE(vmouse_reload_state(), 0); // no file yet: factory memory
    QVERIFY(openBoth());

    control(frame({0xA1, 0, 3, 2, 8, 8, 9, 8, 7}, 31));
    control(frame({0xB1, 4, 2, 1, 0, 0x78}, 31));
    control(frame({0xC1, 1, 2, 3, 4, 5, 4, 0, 5}, 31));
    control(frame({0xC3, 8}, 31));
    macroWrite(14, 500, pattern(20, 10));
    vmouse_set_battery(33);
    QVERIFY(flash(leadingBlock(7, 8, 9) + pattern(100, 11)));
    QVERIFY(openBoth());
    const QList<QByteArray> before = settingsSnapshot();
    const QByteArray macro = macroRead(14, 500, 12);

    QCOMPARE(vmouse_reload_state(), 1);
    QVERIFY(openBoth());
    QCOMPARE(settingsSnapshot(), before);
    QCOMPARE(macroRead(14, 500, 12), macro);
    QCOMPARE(version(), frame({7, 8, 9}, 3));
    QCOMPARE(int(askControl({0x90})[3]), 85); // the battery is not memory

    // A reset leaves the file alone until the next change.
    vmouse_reset();
    QCOMPARE(vmouse_reload_state(), 1);
    QVERIFY(openBoth());
    QCOMPARE(int(askControl({0xC4})[3]), 8);

    qunsetenv("VMOUSE_STATE");
    QCOMPARE(vmouse_reload_state(), 0);
}

void TestVMouse::damagedStateFileIsIgnored_data()
{
    QTest::addColumn<int>("cutTo");
    QTest::addColumn<int>("flipAt");
    QTest::addColumn<QByteArray>("append");

    QTest::newRow("empty") << 0 << -1 << QByteArray();
    QTest::newRow("magic only") << 8 << -1 << QByteArray();
    QTest::newRow("one byte short") << -2 << -1 << QByteArray();
    QTest::newRow("one byte long") << -1 << -1 << QByteArray("x");
    QTest::newRow("magic damaged") << -1 << 2 << QByteArray();
    QTest::newRow("length damaged") << -1 << 10 << QByteArray();
    QTest::newRow("payload damaged") << -1 << 40 << QByteArray();
    QTest::newRow("last payload byte") << -1 << -3 << QByteArray();
    QTest::newRow("checksum damaged") << -1 << -2 << QByteArray();
}

void TestVMouse::damagedStateFileIsIgnored()
{
    QFETCH(int, cutTo);
    QFETCH(int, flipAt);
    QFETCH(QByteArray, append);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mouse.state"));
    qputenv("VMOUSE_STATE", QFile::encodeName(file));
    vmouse_reload_state();
    QVERIFY(openBoth());
    control(frame({0xC3, 4}, 31));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    f.close();
    QVERIFY(bytes.size() > 100);
    QCOMPARE(vmouse_reload_state(), 1); // intact, as a control

    if (cutTo == -2)
        bytes.chop(1);
    else if (cutTo >= 0)
        bytes.truncate(cutTo);
    if (flipAt == -2)
        bytes[bytes.size() - 1] = char(bytes[bytes.size() - 1] ^ 0x01);
    else if (flipAt == -3)
        bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 0x80);
    else if (flipAt >= 0)
        bytes[flipAt] = char(bytes[flipAt] ^ 0x01);
    bytes += append;
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();

    QCOMPARE(vmouse_reload_state(), 0);
    QVERIFY(openBoth());
    QCOMPARE(int(askControl({0xC4})[3]), 1);
    QCOMPARE(version(), frame({1, 1, 22}, 3));
    qunsetenv("VMOUSE_STATE");
    vmouse_reload_state();
}

QTEST_GUILESS_MAIN(TestVMouse)
#include "tst_vmouse.moc"
