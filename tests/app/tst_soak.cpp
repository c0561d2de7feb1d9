// Long runs of what a user does to the window over days: a thousand unplugs
// and plug-ins, each with an update check against a real nginx, leaving no
// descriptor, thread or memory behind; and a flash pulled out at every one of
// its packets, each recovered by a second flash.
#include "nginx_server.h"
#include "virtualmouse.h"

#include "pages/settings/config_widget.h"
#include "pages/lighting/led_widget.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <malloc.h>
#include <memory>

namespace
{

#if defined(__SANITIZE_ADDRESS__)
const bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const bool kSanitized = true;
#else
const bool kSanitized = false;
#endif
#else
const bool kSanitized = false;
#endif

const QString kImage = QStringLiteral("KIVOMouse_USB.bin");

struct Resources {
    int descriptors = 0;
    int threads = 0;
    qint64 residentKb = 0;
    qint64 anonKb = 0; // resident and not a mapped file: what a leak grows
    qint64 heapKb = 0; // in use by malloc: tells a leak from pages the allocator keeps
};

int entries(const char *dir)
{
    return QDir(QString::fromLatin1(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
}

Resources resources()
{
    // Pages malloc holds free are not the program's: handed back first, so that
    // resident memory moves with what is kept, not with where frees fell.
    malloc_trim(0);
    Resources r;
    r.descriptors = entries("/proc/self/fd");
    r.threads = entries("/proc/self/task");
    QFile status(QStringLiteral("/proc/self/status"));
    const auto kb = [](const QByteArray &line) {
        return line.mid(line.indexOf(':') + 1).trimmed().split(' ')[0].toLongLong();
    };
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) r.residentKb = kb(line);
            if (line.startsWith("RssAnon:")) r.anonKb = kb(line);
        }
    }
    r.heapKb = qint64(mallinfo2().uordblks / 1024);
    return r;
}

// Packets of the flash so far; the mouse is pulled out as packet cutAt goes out.
int packetsSent = 0;
int cutAt = 0;

unsigned cuttingWrite(int len, unsigned char *buf)
{
    if (cutAt > 0 && len == 63) {
        if (buf[0] == 0xDE) packetsSent = 0;
        const bool flashPacket = buf[0] == 0xDE || buf[0] == 0xD1 || buf[0] == 0xD2 ||
                                 buf[0] == 0xD3 || buf[0] == 0xD6 || buf[0] == 0xD5 ||
                                 buf[0] == 0xD7;
        if (flashPacket && ++packetsSent == cutAt) vmouse_plug(0);
    }
    return WrtieConfig(len, buf);
}

} // namespace

class Soak : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void thousandReplugsLeaveNothingBehind();
    void flashCutOffAtEveryPacketRecovers();

private:
    // Until the check has ended and its thread and worker are deleted.
    bool waitIdle(z9ktool &w)
    {
        QElapsedTimer t;
        t.start();
        while (!w.m_updateThread.isNull() && t.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return w.m_updateThread.isNull();
    }
    void replug(z9ktool &w)
    {
        // The virtual mouse keeps every report for the tests (100 000 of them):
        // kept here, it would pass for the program's own growth.
        vmouse_trace_clear();
        vmouse_plug(0);
        w.device_removal(QStringLiteral("/dev/hidraw3"));
        vmouse_plug(1);
        w.device_arrival(QStringLiteral("/dev/hidraw3"));
    }
    void flash(z9ktool &w)
    {
        w.nav_btns->button(5)->click();
        QTest::mouseClick(w.configpage->firmware_version, Qt::LeftButton);
        QTest::mouseClick(w.update_confirm->start_btn, Qt::LeftButton);
    }

    NginxServer server;
    QTemporaryDir work;
    QByteArray image;
    int imagePackets = 0;
};

void Soak::initTestCase()
{
    QVERIFY(bindVirtualMouse());
    QVERIFY(work.isValid());
    const QString imagePath = work.filePath(QStringLiteral("fw.bin"));
    // 14 + 500 bytes of program: ten chunks, the last one short.
    QCOMPARE(QProcess::execute(QStringLiteral(MKFWIMAGE),
                               {QStringLiteral("--version"), QStringLiteral("1.1.23"),
                                QStringLiteral("--body-size"), QStringLiteral("500"),
                                QStringLiteral("-o"), imagePath}),
             0);
    QFile f(imagePath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    image = f.readAll();
    imagePackets = 3 + (514 + 55) / 56 + 3; // DE D1 D2, the chunks, D6 D5 D7
    QVERIFY(server.start());
    qputenv("KIVO_UPDATE_URL", server.url().toUtf8());
    // A firmware newer than the mouse's: every check fetches the manifest and the image.
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), "KIVO\n2026-12-07\n10031\n1.1.23\n");
    server.put(kImage, image);
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("cwd")));
    QVERIFY(QDir::setCurrent(work.filePath(QStringLiteral("cwd"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
}

void Soak::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    memset(dev_path, 0, sizeof dev_path);
    QFile::remove(kImage);
}

void Soak::cleanup()
{
    m_WriteConfig = WrtieConfig;
    cutAt = 0;
}

void Soak::thousandReplugsLeaveNothingBehind()
{
    const int asked = qEnvironmentVariableIntValue("KIVO_SOAK_CYCLES");
    const int cycles = asked > 0 ? asked : 1000;
    z9ktool w;
    w.ledpage->init_user_color(work.path());
    w.battery_timer->stop();
    attach_at_start(w);
    QVERIFY(device_attached);
    QCoreApplication::processEvents(); // the first check starts from the event loop
    QVERIFY(waitIdle(w));
    QVERIFY(!w.configpage->fw_update_icon->isHidden());

    // The program's twenty debug lines per cycle would only fill the log.
    static QtMessageHandler shown = nullptr;
    shown = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext &c, const QString &m) {
        if (t != QtDebugMsg) shown(t, c, m);
    });
    struct Restore {
        ~Restore() { qInstallMessageHandler(shown); }
    } restore;

    // Warm up: what is made once (network manager, fonts, caches) is not a leak.
    for (int i = 0; i < 50; ++i) {
        replug(w);
        QVERIFY(waitIdle(w));
    }
    const Resources before = resources();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < cycles; ++i) {
        replug(w);
        QVERIFY2(device_attached, qPrintable(QString::number(i)));
        QVERIFY2(waitIdle(w), qPrintable(QString::number(i)));
    }
    const qint64 ms = clock.elapsed();
    // A thread object deleted may still be ending in the system for a moment.
    QTRY_VERIFY_WITH_TIMEOUT(resources().threads <= before.threads, 5000);
    const Resources after = resources();
    qInfo("%d unplug/plug cycles with an update check each in %lld ms (%.1f cycles/s)", cycles, ms,
          cycles * 1000.0 / qMax<qint64>(1, ms));
    qInfo("descriptors %d -> %d, threads %d -> %d, resident %lld kB -> %lld kB (anonymous %lld kB "
          "-> %lld kB), heap in use %lld kB -> %lld kB",
          before.descriptors, after.descriptors, before.threads, after.threads, before.residentKb,
          after.residentKb, before.anonKb, after.anonKb, before.heapKb, after.heapKb);
    QVERIFY(after.descriptors <= before.descriptors);
    QVERIFY(after.threads <= before.threads);
    // Under the sanitizer freed memory stays in quarantine: no bound there.
    if (!kSanitized) QVERIFY(after.residentKb - before.residentKb < 1024);
    QVERIFY(!w.configpage->fw_update_icon->isHidden());
}

void Soak::flashCutOffAtEveryPacketRecovers()
{
    m_WriteConfig = cuttingWrite;
    z9ktool w;
    w.ledpage->init_user_color(work.path());
    w.battery_timer->stop();
    w.fw_confirm_wait_ms = 200; // a mouse pulled out as it restarts does not come back
    attach_at_start(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    QVERIFY(waitIdle(w));
    for (int k = 1; k <= imagePackets; ++k) {
        const QByteArray at = "cut at packet " + QByteArray::number(k);
        QVERIFY2(!w.configpage->fw_update_icon->isHidden(), at); // the check offers the image
        cutAt = k;
        flash(w);
        cutAt = 0;
        // Success is shown only once the restarted mouse runs the image: never when cut.
        const bool claimed = w.update_confirm->isVisible() &&
                             w.update_confirm->text_1->text() == QStringLiteral("固件升级已完成");
        QVERIFY2(!claimed, at);

        // The system reports it gone; it is plugged in again.
        w.device_removal(QStringLiteral("/dev/hidraw3"));
        QVERIFY2(!device_attached, at);
        QVERIFY2(w.update_confirm->isHidden(), at);
        vmouse_plug(1);
        w.device_arrival(QStringLiteral("/dev/hidraw3"));
        QVERIFY2(device_attached, at);
        // Cut before the erase went through, the old image runs; after it, the loader.
        QCOMPARE(w.configpage->firmware_version->text(),
                 k <= 3 ? QStringLiteral("V1.1.22") : QStringLiteral("V255.0.22"));

        // The check after the arrival offers the image again, and a second flash recovers.
        QVERIFY2(waitIdle(w), at);
        QVERIFY2(!w.configpage->fw_update_icon->isHidden(), at);
        flash(w);
        QCOMPARE(w.update_confirm->text_1->text(), QStringLiteral("固件升级已完成"));
        w.device_removal(QStringLiteral("/dev/hidraw3")); // the restart
        QVERIFY2(device_attached, at);
        QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V1.1.23"));
        QVERIFY2(waitIdle(w), at);
        QVERIFY2(w.configpage->fw_update_icon->isHidden(), at); // nothing newer now

        // Back to the older image for the next round, as a mouse from the shelf.
        vmouse_set_version(1, 1, 22);
        replug(w);
        QVERIFY2(waitIdle(w), at);
    }
}

QTEST_MAIN(Soak)
#include "tst_soak.moc"
