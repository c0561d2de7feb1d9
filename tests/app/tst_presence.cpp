// Plugging and unplugging the virtual mouse while the window runs, the battery
// and version refresh and the factory reset.
#include "virtualmouse.h"

#include "pages/lighting/colorpicker.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/pointer/dpi_widget.h"
#include "pages/lighting/led_widget.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

class Presence : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void unplugShowsTheNoDevicePage();
    void plugInRereadsEverything();
    void otherInterfacesAreIgnored();
    void upperCaseRemovalMatchesAndReopens();
    void secondArrivalIsIgnored();
    void batteryAndVersion();
    void factoryResetRereadsAtOnce();
    void silentMouseLeavesZeros();

private:
    void startAttached(z9ktool &w);
};

void Presence::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Presence::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    memset(dev_path, 0, sizeof dev_path);
}

void Presence::startAttached(z9ktool &w)
{
    attach_at_start(w);
    QVERIFY(device_attached);
    vmouse_trace_clear();
}

void Presence::unplugShowsTheNoDevicePage()
{
    z9ktool w;
    startAttached(w);
    w.nav_btns->button(3)->setChecked(true);
    w.reset_confirm->show();
    w.update_confirm->show();
    w.ledpage->picker->show();
    w.mask_side->show();
    w.configpage->fw_update_icon->show();

    vmouse_plug(0);
    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QVERIFY(!device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 0);
    QVERIFY(w.battery_label->isHidden());
    QVERIFY(!w.reset_btn->isEnabled());
    for (int id = 1; id <= 5; ++id)
        QVERIFY(!w.nav_btns->button(id)->isEnabled());
    QVERIFY(w.reset_confirm->isHidden());
    QVERIFY(w.update_confirm->isHidden());
    QVERIFY(w.ledpage->picker->isHidden());
    QVERIFY(w.mask_side->isHidden());
    QVERIFY(w.configpage->fw_update_icon->isHidden());
    QCOMPARE(QByteArray(dev_path), QByteArray("/dev/hidraw3")); // kept for the next match
}

void Presence::plugInRereadsEverything()
{
    vmouse_plug(0);
    z9ktool w;
    attach_at_start(w);
    QVERIFY(!device_attached);

    vmouse_plug(1);
    vmouse_trace_clear();
    w.device_arrival(QStringLiteral("/dev/hidraw3"));
    QVERIFY(device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 1);
    QVERIFY(w.nav_btns->button(1)->isChecked());
    for (int id = 1; id <= 5; ++id)
        QVERIFY(w.nav_btns->button(id)->isEnabled());
    QVERIFY(!w.battery_label->isHidden());
    const QStringList sent = sentCommands();
    QCOMPARE(sent.mid(0, 4), (QStringList{"a000", "a001", "c201", "c401"}));
    for (const char *cmd : {"b002", "d000", "9000"})
        QVERIFY2(sent.contains(cmd), cmd);
    // The pages show what the mouse holds: 1000 Hz.
    QVERIFY(w.pointerpage->report_area->report_1000->isChecked());
}

void Presence::otherInterfacesAreIgnored()
{
    z9ktool w;
    startAttached(w);
    // Another node, one whose name merely starts like ours, and the same node
    // of a different root: none is the opened interface.
    for (const char *name : {"/dev/hidraw4", "/dev/hidraw31", "/dev/hidraw"}) {
        w.device_removal(QString::fromLatin1(name));
        QVERIFY2(device_attached, name);
    }
    QVERIFY(sentReports().isEmpty());
    QCOMPARE(w.side_stack->currentIndex(), 1);
}

void Presence::upperCaseRemovalMatchesAndReopens()
{
    z9ktool w;
    startAttached(w);
    w.nav_btns->button(4)->setChecked(true);
    const int closes = vmouse_close_count(VMOUSE_CONTROL);
    // The mouse is still reachable: the removal closes, reopens and stays attached.
    w.device_removal(QStringLiteral("/DEV/HIDRAW3"));
    QCOMPARE(vmouse_close_count(VMOUSE_CONTROL) - closes, 1);
    QVERIFY(device_attached);
    QCOMPARE(w.side_stack->currentIndex(), 1);
    QVERIFY(w.nav_btns->button(1)->isChecked());
    QCOMPARE(sentCommands().mid(0, 4), (QStringList{"a000", "a001", "c201", "c401"}));
}

void Presence::secondArrivalIsIgnored()
{
    z9ktool w;
    startAttached(w);
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    w.device_arrival(QStringLiteral("/dev/hidraw4"));
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL), opens);
    QVERIFY(sentReports().isEmpty());
}

void Presence::batteryAndVersion()
{
    vmouse_set_version(1, 1, 22);
    z9ktool w;
    startAttached(w);
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V1.1.22"));
    vmouse_set_battery(57);
    w.update_battery_info();
    QCOMPARE(w.battery_label->text(), QStringLiteral("鼠标电量 57%"));
    QCOMPARE(sentCommands(), QStringList{"9000"});

    // Without a mouse the timer's refresh sends nothing.
    device_attached = 0;
    vmouse_trace_clear();
    w.update_battery_info();
    QVERIFY(sentReports().isEmpty());
}

void Presence::factoryResetRereadsAtOnce()
{
    z9ktool w;
    startAttached(w);
    w.pointerpage->report_area->report_125->click(); // 0xC3 8
    QCOMPARE(sentCommands(), QStringList{"c308"});
    w.nav_btns->button(5)->setChecked(true);
    w.configpage->fw_update_icon->show();
    vmouse_trace_clear();

    w.reset_confirm->confirm_btn->click();
    const QStringList sent = sentCommands();
    QCOMPARE(sent.mid(0, 5), (QStringList{"ee00", "a000", "a001", "c201", "c401"}));
    QVERIFY(w.pointerpage->report_area->report_1000->isChecked());
    QCOMPARE(w.side_stack->currentIndex(), 1);
    QVERIFY(w.nav_btns->button(1)->isChecked());
    QVERIFY(w.configpage->fw_update_icon->isHidden());
    QVERIFY(w.reset_confirm->isHidden());
}

void Presence::silentMouseLeavesZeros()
{
    // Slow on purpose: every read runs its ten reopen rounds of 50 ms.
    z9ktool w;
    startAttached(w);
    QVERIFY(w.pointerpage->report_area->report_1000->isChecked());
    vmouse_set_silent(1);
    w.reset_to_factory();
    QVERIFY(device_attached); // no message, no state change
    QCOMPARE(w.battery_label->text(), QStringLiteral("鼠标电量 0%"));
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V0.0.0"));
    // A rate code of 0 leaves the rate button as it was; the levels become 0.
    QVERIFY(w.pointerpage->report_area->report_1000->isChecked());
    QCOMPARE(w.pointerpage->dpi_area->value1->text(), QStringLiteral("0"));
    QCOMPARE(w.pointerpage->dpi_area->value1->x(), 177 - 25);
}

QTEST_MAIN(Presence)
#include "tst_presence.moc"
