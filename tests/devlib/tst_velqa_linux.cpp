// libvelqa.so through its ten exports, on a fake sysfs tree whose device node is a FIFO:
// what a write puts on the wire, what a read hands back, and how closed channels fail.
#include "velqa.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const unsigned short kVid = 0x2717, kPid = 0x5009;

QByteArray filled(int size, char value = char(0xAA))
{
    return QByteArray(size, value);
}
unsigned char *bytes(QByteArray &a)
{
    return reinterpret_cast<unsigned char *>(a.data());
}

QByteArray report(unsigned char id, const QByteArray &payload, int size)
{
    QByteArray r(size, '\0');
    r[0] = char(id);
    return r.replace(1, payload.size(), payload);
}

int openFdCount()
{
    return QDir("/proc/self/fd").entryList(QDir::System | QDir::NoDotAndDotDot).size();
}

} // namespace

class TestVelqaLinux : public QObject
{
    Q_OBJECT
private slots:
    void neverOpenedChannelsFailAtOnce(); // first: nothing may have been opened yet
    void openFailsWithoutTheMouse();
    void writeSendsWholeReportAfterDroppingQueuedInput_data();
    void writeSendsWholeReportAfterDroppingQueuedInput();
    void writeRejectsLengthsOutsideTheReport();
    void readReturnsTheChannelsReportOrFalseZeroed();
    void reopenAndCloseReleaseDescriptors();
    void pathLongerThanBufferIsSkipped();
    void cleanup();

private:
    void makeTree(const QString &devRoot);
    void checkClosed();
    void queue(const QByteArray &data)
    {
        QCOMPARE(::write(m_fifoFd, data.constData(), size_t(data.size())), ssize_t(data.size()));
    }
    QByteArray drainFifo();

    QTemporaryDir m_dir;
    QString m_node;
    int m_fifoFd = -1; // the device's side of the node
};

// hidraw3 of the mouse, carrying both channels' report ids; its node is a FIFO.
void TestVelqaLinux::makeTree(const QString &devRoot)
{
    const QString device = m_dir.path() + "/sys/class/hidraw/hidraw3/device/";
    QVERIFY(QDir().mkpath(device) && QDir().mkpath(devRoot));
    QFile uevent(device + "uevent"), desc(device + "report_descriptor");
    QVERIFY(uevent.open(QIODevice::WriteOnly) && desc.open(QIODevice::WriteOnly));
    uevent.write("DRIVER=hid-generic\nHID_ID=0003:00002717:00005009\n");
    desc.write(QByteArray::fromHex("06 00 ff 09 01 a1 01 85 57 75 08 95 3f 81 02 91 02 c0"
                                   "06 00 ff 09 02 a1 01 85 4d 75 08 95 1f 81 02 91 02 c0"));

    if (m_fifoFd >= 0) ::close(m_fifoFd);
    m_node = devRoot + "/hidraw3";
    const QByteArray node = QFile::encodeName(m_node);
    ::unlink(node.constData());
    QCOMPARE(::mkfifo(node.constData(), 0600), 0);
    m_fifoFd = ::open(node.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(m_fifoFd >= 0);
    qputenv("VELQA_SYSFS_ROOT", QFile::encodeName(m_dir.path() + "/sys"));
    qputenv("VELQA_DEV_ROOT", QFile::encodeName(devRoot));
}

QByteArray TestVelqaLinux::drainFifo()
{
    QByteArray all;
    char chunk[512];
    for (ssize_t n; (n = ::read(m_fifoFd, chunk, sizeof chunk)) > 0;)
        all.append(chunk, int(n));
    return all;
}

void TestVelqaLinux::cleanup()
{
    CloseDevice();
    CloseConfigDevice();
    if (m_fifoFd >= 0) drainFifo();
}

void TestVelqaLinux::checkClosed()
{
    QByteArray cmd = filled(64);
    QCOMPARE(WrtieControl(1, bytes(cmd)), unsigned(EBADF));
    QCOMPARE(WrtieConfig(1, bytes(cmd)), unsigned(EBADF));
    QCOMPARE(ReadControl(1, bytes(cmd)), unsigned(EBADF));
    QCOMPARE(ReadConfig(1, bytes(cmd)), unsigned(EBADF));

    // Exactly len bytes are zeroed; the rest of the caller's buffer is not touched.
    QByteArray buf = filled(80);
    QVERIFY(!ReadData(32, bytes(buf)));
    QCOMPARE(buf, filled(32, 0) + filled(48));
    buf = filled(80);
    QVERIFY(!ReadConfigData(64, bytes(buf)));
    QCOMPARE(buf, filled(64, 0) + filled(16));
    buf = filled(80);
    QVERIFY(!ReadData(0, bytes(buf)));
    QVERIFY(!ReadConfigData(-5, bytes(buf)));
    QCOMPARE(buf, filled(80));

    QVERIFY(!CloseDevice());
    QVERIFY(!CloseConfigDevice());
}

void TestVelqaLinux::neverOpenedChannelsFailAtOnce()
{
    checkClosed();
}

void TestVelqaLinux::openFailsWithoutTheMouse()
{
    qputenv("VELQA_SYSFS_ROOT", QFile::encodeName(m_dir.path() + "/no-sys"));
    QVERIFY(OpenDevice(kVid, kPid) == nullptr);
    QVERIFY(!OpenConfigDevice(kVid, kPid));
    checkClosed();

    // The node matches but its device file is not there.
    makeTree(m_dir.path() + "/dev");
    QVERIFY(OpenDevice(kVid, kPid));
    qputenv("VELQA_DEV_ROOT", QFile::encodeName(m_dir.path() + "/elsewhere"));
    QVERIFY(OpenDevice(kVid, kPid) == nullptr); // and the earlier handle is gone with it
    QVERIFY(!OpenConfigDevice(kVid, kPid));
    checkClosed();
}

void TestVelqaLinux::writeSendsWholeReportAfterDroppingQueuedInput_data()
{
    QTest::addColumn<bool>("config");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("control, 1 byte") << false << QByteArray("\xC3") << report(0x4D, "\xC3", 32);
    QTest::newRow("control, 31 bytes") << false << filled(31, 1) << report(0x4D, filled(31, 1), 32);
    QTest::newRow("config, 1 byte") << true << QByteArray("\xD0") << report(0x57, "\xD0", 64);
    QTest::newRow("config, 63 bytes") << true << filled(63, 2) << report(0x57, filled(63, 2), 64);
}

void TestVelqaLinux::writeSendsWholeReportAfterDroppingQueuedInput()
{
    QFETCH(bool, config);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);
    makeTree(m_dir.path() + "/dev");
    if (config) {
        QVERIFY(OpenConfigDevice(kVid, kPid));
    } else {
        const wchar_t *path = OpenDevice(kVid, kPid);
        QVERIFY(path);
        QCOMPARE(QString::fromWCharArray(path), m_node);
    }
    // An unsolicited report already waiting must be gone once the command is out.
    queue(report(config ? 0x57 : 0x4D, "\x99", expected.size()));

    QByteArray buf = command + filled(8, 0x55); // bytes past len must not reach the report
    const unsigned rc =
        config ? WrtieConfig(command.size(), bytes(buf)) : WrtieControl(command.size(), bytes(buf));
    QCOMPARE(rc, 0u);
    QCOMPARE(drainFifo().toHex(' '), expected.toHex(' '));
}

void TestVelqaLinux::writeRejectsLengthsOutsideTheReport()
{
    makeTree(m_dir.path() + "/dev");
    QVERIFY(OpenDevice(kVid, kPid) && OpenConfigDevice(kVid, kPid));
    QByteArray buf = filled(128);
    for (int len : {0, -1, 32, 1000})
        QCOMPARE(WrtieControl(len, bytes(buf)), unsigned(EINVAL));
    for (int len : {0, 64})
        QCOMPARE(WrtieConfig(len, bytes(buf)), unsigned(EINVAL));
    QCOMPARE(WrtieControl(1, nullptr), unsigned(EINVAL));
    QCOMPARE(ReadControl(32, bytes(buf)), unsigned(EINVAL));
    QCOMPARE(ReadConfig(0, bytes(buf)), unsigned(EINVAL));
    QCOMPARE(drainFifo(), QByteArray());
    // A node that is no hidraw device cannot give an input report: an error, never 0.
    QVERIFY(ReadControl(1, bytes(buf)) != 0);
}

void TestVelqaLinux::readReturnsTheChannelsReportOrFalseZeroed()
{
    makeTree(m_dir.path() + "/dev");
    QVERIFY(OpenDevice(kVid, kPid) && OpenConfigDevice(kVid, kPid));
    const QByteArray reply = report(0x4D, "\xC4\x00\x02\x07", 32);

    // A report of another id comes first and is passed over.
    queue(report(0x01, "\x01\x02", 32) + reply);
    QByteArray buf = filled(40);
    QVERIFY(ReadData(32, bytes(buf)));
    QCOMPARE(buf.toHex(' '), (reply + filled(8)).toHex(' '));

    // A caller asking for less than a report gets just that much.
    queue(reply);
    buf = filled(40);
    QVERIFY(ReadData(3, bytes(buf)));
    QCOMPARE(buf.toHex(' '), (reply.left(3) + filled(37)).toHex(' '));

    const QByteArray version = report(0x57, "\xD1\x01\x01\x16", 64);
    queue(version);
    buf = filled(64);
    QVERIFY(ReadConfigData(64, bytes(buf)));
    QCOMPARE(buf.toHex(' '), version.toHex(' '));

    // Nothing arrives, or only reports of another id: false, with the buffer zeroed.
    buf = filled(32);
    QVERIFY(!ReadData(32, bytes(buf)));
    QCOMPARE(buf, filled(32, 0));
    queue(report(0x57, "\xD1", 32));
    buf = filled(32);
    QVERIFY(!ReadData(32, bytes(buf)));
    QCOMPARE(buf, filled(32, 0));
}

void TestVelqaLinux::reopenAndCloseReleaseDescriptors()
{
    makeTree(m_dir.path() + "/dev");
    const int before = openFdCount();
    for (int i = 0; i < 5; ++i)
        QVERIFY(OpenDevice(kVid, kPid) && OpenConfigDevice(kVid, kPid));
    QCOMPARE(openFdCount(), before + 2);
    QVERIFY(CloseDevice() && CloseConfigDevice());
    QCOMPARE(openFdCount(), before);

    // The freed descriptor number most likely goes to the next file opened; the closed
    // channel must neither write to it nor close it.
    const QByteArray other = QFile::encodeName(m_dir.path() + "/someone-elses-file");
    const int fd = ::open(other.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    checkClosed();
    struct stat st;
    QCOMPARE(::fstat(fd, &st), 0);
    QCOMPARE(st.st_size, off_t(0));
    ::close(fd);
}

void TestVelqaLinux::pathLongerThanBufferIsSkipped()
{
    // The returned path must fit 259 characters plus the terminator.
    auto devRootFor = [this](int pathLength) {
        const QString base = m_dir.path() + "/";
        return base + QString(pathLength - base.size() - 8, QLatin1Char('d')); // 8: "/hidraw3"
    };
    QVERIFY(m_dir.path().size() < 200);
    makeTree(devRootFor(259));
    const wchar_t *path = OpenDevice(kVid, kPid);
    QVERIFY(path);
    QCOMPARE(QString::fromWCharArray(path), m_node);
    QCOMPARE(m_node.size(), 259);

    makeTree(devRootFor(260));
    QCOMPARE(m_node.size(), 260);
    QVERIFY(OpenDevice(kVid, kPid) == nullptr);
    QVERIFY(!OpenConfigDevice(kVid, kPid));
}

QTEST_GUILESS_MAIN(TestVelqaLinux)
#include "tst_velqa_linux.moc"
