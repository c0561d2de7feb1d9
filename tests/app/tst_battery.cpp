// The minute's battery refresh against the virtual mouse, and the one
// low-battery notification the tray shows for it.
#include "virtualmouse.h"

#include "window/system_tray.h"
#include "window/z9ktool.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class Battery : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void lowBatteryNotifiesOnce();
    void failedAndNonsenseReadsNeverNotify();
};

void Battery::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Battery::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
}

void Battery::lowBatteryNotifiesOnce()
{
    z9ktool w; // hidden, as after a start with -h
    attach_at_start(w);
    QVERIFY(device_attached);
    QSignalSpy shown(w.system_tray, &SystemTray::low_battery_shown);
    QCOMPARE(w.battery_timer->interval(), 60000);

    struct Step {
        int level;
        int notified; // total so far
    };
    const Step steps[] = {{16, 0}, {15, 1}, {14, 1}, {12, 1}, {21, 1}, {10, 2}, {15, 2}, {20, 2}};
    for (const Step &s : steps) {
        vmouse_set_battery(s.level);
        w.update_battery_info();
        QCOMPARE(w.battery_label->text(), QStringLiteral("鼠标电量 %1%").arg(s.level));
        QVERIFY2(shown.count() == s.notified, qPrintable(QString::number(s.level)));
    }
    QCOMPARE(shown.at(0).at(0).toInt(), 15);
    QCOMPARE(shown.at(1).at(0).toInt(), 10);

    // Shown or minimised makes no difference; the tray keeps its tool tip.
    w.show();
    vmouse_set_battery(80);
    w.update_battery_info();
    vmouse_set_battery(9);
    w.update_battery_info();
    QCOMPARE(shown.count(), 3);
    w.showMinimized();
    vmouse_set_battery(90);
    w.update_battery_info();
    vmouse_set_battery(5);
    w.update_battery_info();
    QCOMPARE(shown.count(), 4);
    QCOMPARE(w.system_tray->toolTip(), QStringLiteral("Kivo游戏鼠标"));
}

void Battery::failedAndNonsenseReadsNeverNotify()
{
    z9ktool w;
    attach_at_start(w);
    QVERIFY(device_attached);
    QSignalSpy shown(w.system_tray, &SystemTray::low_battery_shown);

    // A silent mouse leaves the zero of its failed read: shown, not notified.
    vmouse_set_silent(1);
    w.update_battery_info();
    QCOMPARE(w.battery_label->text(), QStringLiteral("鼠标电量 0%"));
    vmouse_set_silent(0);
    // 0xFF is no charge at all: the label shows it as read, the tray says nothing.
    vmouse_set_battery_byte(0xFF);
    w.update_battery_info();
    QCOMPARE(w.battery_label->text(), QStringLiteral("鼠标电量 255%"));
    QCOMPARE(shown.count(), 0);

    // Neither counted as a level: a real low level still notifies once.
    vmouse_set_battery(12);
    w.update_battery_info();
    QCOMPARE(shown.count(), 1);
    vmouse_set_battery_byte(0xFF);
    w.update_battery_info();
    vmouse_set_battery(12);
    w.update_battery_info();
    QCOMPARE(shown.count(), 1);

    // Without a mouse nothing is read.
    vmouse_plug(0);
    w.device_removal(QString::fromLatin1(dev_path));
    QVERIFY(!device_attached);
    vmouse_trace_clear();
    w.update_battery_info();
    QCOMPARE(sentCommands().size(), 0);
}

QTEST_MAIN(Battery)
#include "tst_battery.moc"
