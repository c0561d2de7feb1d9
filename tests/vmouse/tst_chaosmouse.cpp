// The virtual mouse's chaos mode: the same seed gives the same faults, each kind
// of fault happens and behaves as it says, and a pulled-out mouse comes back.
#include "mousetalk.h"

#include <QtTest>

using namespace talk;

namespace
{

// What a fixed round of calls saw, one letter or byte per call.
QByteArray run(int calls)
{
    QByteArray log;
    for (int i = 0; i < calls; ++i) {
        if (!vmouse_plugged() || !openBoth()) {
            log += 'u';
            continue;
        }
        const QByteArray r = askControl({0xC4});
        log += r.isEmpty() ? QByteArray("-") : r.mid(0, 4);
        log += char('0' + config(frame({0xF1, 12, 4}, 63)));
    }
    return log;
}

} // namespace

class ChaosMouse : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        vmouse_reset();
        vmouse_set_read_timeout(0);
    }
    void sameSeedSameFaults();
    void everyKindHappens();
    void pulledOutComesBack();
    void offAndResetEndChaos();
};

void ChaosMouse::sameSeedSameFaults()
{
    vmouse_chaos(77, 100);
    const QByteArray first = run(400);
    vmouse_reset();
    vmouse_set_read_timeout(0);
    vmouse_chaos(77, 100);
    QCOMPARE(run(400), first);
    vmouse_reset();
    vmouse_set_read_timeout(0);
    vmouse_chaos(78, 100);
    QVERIFY(run(400) != first);
}

void ChaosMouse::everyKindHappens()
{
    vmouse_chaos(5, 150);
    int wrong = 0, rejected = 0;
    for (int i = 0; i < 600; ++i) {
        if (!vmouse_plugged()) vmouse_chaos_tick();
        if (!openBoth()) continue;
        const QByteArray r = askControl({0xC4});
        // The healthy answer: 4D C4, rate 1 (1000 Hz) in byte 3.
        if (!r.isEmpty() && (quint8(r[0]) != 0x4D || quint8(r[1]) != 0xC4 || r[3] != 1)) ++wrong;
        if (config(frame({0xF1, 12, 4}, 63)) == 31) ++rejected;
    }
    QVERIFY(wrong > 0);
    QCOMPARE(rejected, vmouse_chaos_count(VMOUSE_CHAOS_REJECT));
    for (int kind = VMOUSE_CHAOS_GARBLE; kind <= VMOUSE_CHAOS_UNPLUG; ++kind)
        QVERIFY2(vmouse_chaos_count(kind) > 0, qPrintable(QString::number(kind)));
    QCOMPARE(vmouse_chaos_count(VMOUSE_CHAOS_UNPLUG), vmouse_departures());
    QCOMPARE(vmouse_chaos_count(99), 0);
}

void ChaosMouse::pulledOutComesBack()
{
    QVERIFY(openBoth());
    vmouse_chaos(9, 1000); // every open and write fails
    QVERIFY(!OpenDevice(kVid, kPid));
    QCOMPARE(vmouse_plugged(), 0);
    QCOMPARE(vmouse_departures(), 1);
    QCOMPARE(vmouse_chaos_count(VMOUSE_CHAOS_UNPLUG), 1);
    // Back within four ticks of time passing.
    int ticks = 0;
    while (!vmouse_plugged() && ticks < 10) {
        vmouse_chaos_tick();
        ++ticks;
    }
    QVERIFY(ticks >= 1 && ticks <= 4);
    vmouse_chaos(0, 0);
    // The handles from before it left are dead; new opens work.
    QVERIFY(askControl({0xC4}).isEmpty());
    QVERIFY(openBoth());
    QCOMPARE(askControl({0xC4}).mid(0, 4), QByteArray("\x4d\xc4\x00\x01", 4));
    // Pulled out by hand, it stays out until plugged in by hand.
    vmouse_chaos(9, 0);
    vmouse_plug(0);
    for (int i = 0; i < 10; ++i)
        vmouse_chaos_tick();
    QCOMPARE(vmouse_plugged(), 0);
}

void ChaosMouse::offAndResetEndChaos()
{
    vmouse_chaos(3, 1000);
    vmouse_reset();
    QCOMPARE(vmouse_departures(), 0);
    QVERIFY(openBoth());
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(askControl({0xC4}).mid(0, 4), QByteArray("\x4d\xc4\x00\x01", 4));
        QCOMPARE(config(frame({0xF1, 12, 4}, 63)), 0u);
    }
    for (int kind = VMOUSE_CHAOS_GARBLE; kind <= VMOUSE_CHAOS_UNPLUG; ++kind)
        QCOMPARE(vmouse_chaos_count(kind), 0);
}

QTEST_GUILESS_MAIN(ChaosMouse)
#include "tst_chaosmouse.moc"
