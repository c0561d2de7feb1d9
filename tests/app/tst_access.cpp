// A mouse that is plugged in but whose hidraw node this user may not open,
// on a fake sysfs and /dev tree with the real libvelqa.so; and the path the
// autostart entry runs for an installed program.
#include "platform/autorun.h"
#include "window/disconnect_widget.h"
#include "device/kivomouse.h"
#include "startup.h"
#include "window/z9ktool.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

class Access : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void lockedNodeShowsTheHintUntilItOpens();
    void otherDevicesShowThePlugInstruction();
    void readableNodeAttachesAtStart();
    void autostartRunsTheInstalledLink();

private:
    // hidraw0 of a HID device with this product id, its node a FIFO with `mode`.
    void makeNode(int index, quint32 product, mode_t mode);
    QString node(int index) const { return m_root + QStringLiteral("/dev/hidraw%1").arg(index); }
    QStringList labelTexts(QWidget *page) const;
    QString m_root;
};

void Access::initTestCase()
{
    qputenv("VELQA_LIBRARY", VELQA_REAL_LIBRARY);
    unsigned long error = 0;
    QVERIFY(bind_velqa(&error));
    // Mode bits mean nothing to root: run as nobody, as a user would.
    if (geteuid() == 0) {
        QCOMPARE(setgroups(0, nullptr), 0);
        QCOMPARE(setgid(65534), 0);
        QCOMPARE(setuid(65534), 0);
    }
    QVERIFY(geteuid() != 0);
}

void Access::init()
{
    // Lower case throughout: the removal match lower-cases the node's name, as
    // real /dev/hidrawN names are.
    static int round = 0;
    m_root = QDir::tempPath() + QStringLiteral("/kivo-access-%1-%2").arg(getpid()).arg(++round);
    QVERIFY(QDir().mkpath(m_root));
    QVERIFY(QDir().mkpath(m_root + "/dev"));
    qputenv("VELQA_SYSFS_ROOT", QFile::encodeName(m_root + "/sys"));
    qputenv("VELQA_DEV_ROOT", QFile::encodeName(m_root + "/dev"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root + "/config"));
    device_attached = 0;
    mouse_status = after_status = 0;
}

void Access::cleanup()
{
    m_CloseDevice();
    m_CloseConfigDevice();
    QDir(m_root).removeRecursively();
}

void Access::makeNode(int index, quint32 product, mode_t mode)
{
    const QString device = m_root + QStringLiteral("/sys/class/hidraw/hidraw%1/device/").arg(index);
    QVERIFY(QDir().mkpath(device));
    QFile uevent(device + "uevent"), desc(device + "report_descriptor");
    QVERIFY(uevent.open(QIODevice::WriteOnly) && desc.open(QIODevice::WriteOnly));
    uevent.write(QStringLiteral("DRIVER=hid-generic\nHID_ID=0003:00002717:%1\n")
                     .arg(product, 8, 16, QLatin1Char('0'))
                     .toLatin1());
    // The control channel only (report id 0x4D).
    desc.write(QByteArray::fromHex("06 00 ff 09 02 a1 01 85 4d 75 08 95 1f 81 02 91 02 c0"));
    const QByteArray path = QFile::encodeName(node(index));
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    QCOMPARE(::chmod(path.constData(), mode), 0);
}

QStringList Access::labelTexts(QWidget *page) const
{
    QStringList out;
    for (QLabel *l : page->findChildren<QLabel *>())
        if (!l->text().isEmpty()) out << l->text();
    return out;
}

void Access::lockedNodeShowsTheHintUntilItOpens()
{
    makeNode(0, 0x5009, 0000);
    z9ktool w;
    attach_at_start(w);
    QVERIFY(!device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 0);
    const QStringList texts = labelTexts(w.disconnectpage);
    QVERIFY(texts.contains(QStringLiteral("未检测到设备")));
    const QString hint = w.disconnectpage->instruction->text();
    QVERIFY2(hint.contains(QStringLiteral("无权访问")), qPrintable(hint));
    QVERIFY(hint.contains(QStringLiteral("70-kivo-z9k.rules")));
    QVERIFY(hint.contains(QStringLiteral("/etc/udev/rules.d/")));
    QVERIFY(hint.contains(QStringLiteral("sudo udevadm control --reload && sudo udevadm trigger")));
    QVERIFY(!hint.contains(QStringLiteral("请检查Kivo鼠标是否插入")));

    // The rule gives the node to the user and udev says so: attach, no restart.
    QCOMPARE(::chmod(QFile::encodeName(node(0)).constData(), 0600), 0);
    w.device_arrival(QStringLiteral("/dev/hidraw0"));
    QVERIFY(device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 1);
    QCOMPARE(QString::fromLatin1(dev_path), node(0));

    // Gone altogether: the page asks for the plug again.
    QVERIFY(QFile::remove(node(0)));
    w.device_removal(node(0));
    QVERIFY(!device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 0);
    QCOMPARE(w.disconnectpage->instruction->text(), QStringLiteral("请检查Kivo鼠标是否插入"));
}

void Access::otherDevicesShowThePlugInstruction()
{
    // Another product of the same vendor, locked away: not our mouse.
    makeNode(0, 0x5010, 0000);
    z9ktool w;
    attach_at_start(w);
    QVERIFY(!device_attached);
    QCOMPARE(w.disconnectpage->instruction->text(), QStringLiteral("请检查Kivo鼠标是否插入"));
}

void Access::readableNodeAttachesAtStart()
{
    makeNode(0, 0x5010, 0000);
    makeNode(1, 0x5009, 0600);
    z9ktool w;
    attach_at_start(w);
    QVERIFY(device_attached);
    QCOMPARE(QString::fromLatin1(dev_path), node(1));
    QCOMPARE(w.side_stack->currentIndex(), 1);
}

void Access::autostartRunsTheInstalledLink()
{
    const QString prefix = m_root + "/prefix";
    QVERIFY(QDir().mkpath(prefix + "/lib/kivomouse") && QDir().mkpath(prefix + "/bin"));
    const QString program = prefix + "/lib/kivomouse/kivomouse";
    QFile f(program);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    // Not installed yet (no link): the file itself.
    QCOMPARE(autorun::xdg::launch_path(program), program);
    QVERIFY(QFile::link("../lib/kivomouse/kivomouse", prefix + "/bin/kivomouse"));
    QCOMPARE(autorun::xdg::launch_path(program), prefix + "/bin/kivomouse");

    // A link to another program, or a program outside lib/kivomouse, is left alone.
    const QString other = prefix + "/lib/kivomouse/other";
    QVERIFY(QFile::copy(program, other));
    QCOMPARE(autorun::xdg::launch_path(other), other);
    const QString build = m_root + "/build/bin/kivomouse";
    QCOMPARE(autorun::xdg::launch_path(build), build);
}

QTEST_MAIN(Access)
#include "tst_access.moc"
