// The reopen-and-retry rules against the virtual mouse.
#include "virtualmouse.h"

#include <QtTest>
#include <cstring>

class Protocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void answeredReadIsOneRoundTrip();
    void silentMouseGetsTenReopenRounds();
    void configurationChannelVariant();
    void singleRetryDoesOneRound();
    void retryStopsAtTheFirstAnswer();
};

void Protocol::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Protocol::init()
{
    freshMouse();
    QVERIFY(m_OpenDevice(USB_VID, USB_PID));
    QVERIFY(m_OpenConfigDevice(USB_VID, USB_PID));
    vmouse_trace_clear();
}

void Protocol::answeredReadIsOneRoundTrip()
{
    unsigned char frame[31] = {0xC4};
    unsigned char reply[32];
    memset(reply, 0xAA, sizeof reply);
    QVERIFY(control_read(frame, reply));
    QCOMPARE(sentCommands(), QStringList{"c400"});
    QCOMPARE(int(reply[0]), 0x4D);
    QCOMPARE(int(reply[3]), 1); // the mouse's 1000 Hz
}

void Protocol::silentMouseGetsTenReopenRounds()
{
    vmouse_set_silent(1);
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    const int closes = vmouse_close_count(VMOUSE_CONTROL);
    unsigned char frame[31] = {0xA0, 0x00};
    // The rear record starts as "effect 0, speed 1, white"; a read that fails
    // to the end leaves zeros in its place.
    QCOMPARE(int(rear_led_status[8]), 0xFF);
    QVERIFY(!control_read(frame, rear_led_status));
    QCOMPARE(vmouse_close_count(VMOUSE_CONTROL) - closes, 10);
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL) - opens, 10);
    const QVector<SentReport> sent = sentReports();
    QCOMPARE(sent.size(), 11); // the first write and ten resends
    for (const SentReport &r : sent) {
        QCOMPARE(r.channel, int(VMOUSE_CONTROL));
        QCOMPARE(r.bytes.size(), 32);
        QCOMPARE(r.bytes.left(3), QByteArray::fromHex("4da000"));
    }
    for (unsigned char b : rear_led_status)
        QCOMPARE(int(b), 0);
}

void Protocol::configurationChannelVariant()
{
    vmouse_set_silent(1);
    const int opens = vmouse_open_count(VMOUSE_CONFIG);
    unsigned char frame[63] = {0xD0};
    unsigned char reply[64];
    memset(reply, 0xAA, sizeof reply);
    QVERIFY(!config_read(1, frame, reply));
    QCOMPARE(vmouse_open_count(VMOUSE_CONFIG) - opens, 10);
    const QVector<SentReport> sent = sentReports();
    QCOMPARE(sent.size(), 11);
    QByteArray expected(64, '\0');
    expected[0] = char(0x57);
    expected[1] = char(0xD0);
    for (const SentReport &r : sent) {
        QCOMPARE(r.channel, int(VMOUSE_CONFIG));
        QCOMPARE(r.bytes, expected); // 0x57, 0xD0 and zeros
    }
    for (unsigned char b : reply)
        QCOMPARE(int(b), 0);
}

void Protocol::singleRetryDoesOneRound()
{
    vmouse_set_silent(1);
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    unsigned char frame[31] = {0xA0, 0x01};
    unsigned char reply[32];
    memset(reply, 0xAA, sizeof reply);
    QVERIFY(!control_read_once_more(frame, reply));
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL) - opens, 1);
    QCOMPARE(sentReports().size(), 2);
    for (unsigned char b : reply)
        QCOMPARE(int(b), 0);
}

void Protocol::retryStopsAtTheFirstAnswer()
{
    // A channel left dead by an unplug answers again once reopened: one round suffices.
    vmouse_plug(0);
    vmouse_plug(1);
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    unsigned char frame[31] = {0x90};
    unsigned char reply[32] = {0};
    QVERIFY(control_read(frame, reply));
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL) - opens, 1);
    QCOMPARE(int(reply[3]), 85);
}

QTEST_APPLESS_MAIN(Protocol)
#include "tst_protocol.moc"
