// The window's device logic: opening the mouse, plug and unplug, the status
// refresh that fills the pages, the battery, the firmware version and the
// factory reset.
#include "window/z9ktool.h"

#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "pages/lighting/colorpicker.h"
#include "pages/lighting/led_widget.h"
#include "pages/pointer/dpi_widget.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/settings/update_dialog.h"
#include "platform/devbroadcast.h"
#include "platform/keycapture.h"
#include "platform/mouseaccess.h"
#include "window/disconnect_widget.h"
#include "window/navbtn.h"
#include "window/system_tray.h"

#include <QButtonGroup>
#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>

void z9ktool::update_mouse_status()
{
    // One frame for all four reads; byte 1 keeps the 1 of the front-zone read.
    unsigned char frame[31] = {0};
    frame[0] = 0xA0;
    frame[1] = 0;
    control_read(frame, rear_led_status);
    frame[1] = 1;
    control_read(frame, front_led_status);
    frame[0] = 0xC2;
    control_read(frame, dpi_status);
    frame[0] = 0xC4;
    control_read(frame, report_status);
}

void z9ktool::update_ui()
{
    // Pages not made yet are filled when they are; the buttons page's
    // read is made now all the same, in its place among the refresh's reads.
    m_pagesFilled = true;
    if (btnpage.isBuilt())
        fill_button_page();
    else
        m_buttonReading = button_Widget::fetch_button_function(2);
    if (ledpage.isBuilt()) fill_led_page();
    if (pointerpage.isBuilt()) fill_pointer_page();

    update_fw_version();
    update_battery_info();
    showAxis();
    battery_label->show();
    reset_btn->setEnabled(true);
}

void z9ktool::fill_button_page(const button_Widget::ButtonReading *read)
{
    // Top view, side marker 3, then button 2: read now, or shown as read.
    {
        QSignalBlocker b1(btnpage->viewBtn), b2(btnpage->m_side_button), b3(btnpage->m_top_button);
        btnpage->viewBtn->button(1)->setChecked(true);
        btnpage->m_side_button->button(3)->setChecked(true);
        if (read) btnpage->m_top_button->button(2)->setChecked(true);
    }
    if (read)
        btnpage->show_button_function(*read);
    else if (btnpage->m_top_button->button(2)->isChecked())
        btnpage->read_button_function(2, true);
    else
        btnpage->m_top_button->button(2)->setChecked(true);
}

void z9ktool::fill_led_page()
{
    QSignalBlocker b1(ledpage->ledzone_switch), b2(ledpage->front_mode_btn),
        b3(ledpage->rear_mode_btn), b4(ledpage->speed_level), b5(ledpage->color_btn_g);
    ledpage->ledzone_switch->button(1)->setChecked(true);
    front_selected_color = 0;
    rear_selected_color = 0;
    ledpage->find_color(0);
    ledpage->find_color(1);
    if (front_selected_color != 0 && ledpage->color_btn_g->button(front_selected_color)) {
        ledpage->color_btn_g->button(front_selected_color)->setChecked(true);
    } else if (QAbstractButton *checked = ledpage->color_btn_g->checkedButton()) {
        ledpage->color_btn_g->setExclusive(false);
        checked->setChecked(false);
        ledpage->color_btn_g->setExclusive(true);
    }
    ledpage->led_mode->setCurrentIndex(1);
    switch (front_led_status[4]) {
    case 0:
        ledpage->front_mode_btn->button(0)->setChecked(true);
        ledpage->widgets_disable();
        break;
    case 1:
        ledpage->front_mode_btn->button(1)->setChecked(true);
        ledpage->widgets_enable();
        ledpage->speed_level->setEnabled(false);
        break;
    case 2:
        ledpage->front_mode_btn->button(2)->setChecked(true);
        ledpage->widgets_enable();
        break;
    default:
        break;
    }
    const int rearEffect = rear_led_status[4];
    if (rearEffect <= 3 || rearEffect == 6)
        ledpage->rear_mode_btn->button(rearEffect)->setChecked(true);
    if (front_led_status[5] >= 1 && front_led_status[5] <= 8)
        ledpage->speed_level->setValue(front_led_status[5]);
}

void z9ktool::fill_pointer_page()
{
    pointerpage->pointer_nav->button(0)->setChecked(true);
    pointerpage->report_area->fill(report_status[3]);
    pointerpage->dpi_area->fill(dpi_status);
}

void z9ktool::update_battery_info()
{
    if (!device_attached) return;
    unsigned char frame[31] = {0x90};
    unsigned char reply[32] = {0};
    const bool read = control_read(frame, reply);
    battery_label->setText(tr("鼠标电量 %1%").arg(reply[3]));
    if (read) system_tray->battery_level(reply[3]); // the zeros of a failed read are no level
}

void z9ktool::update_fw_version()
{
    qDebug() << "get fw version";
    m_OpenConfigDevice(USB_VID, USB_PID);
    config_read(1, get_version, fw_version);
    // The channel stays open: the macro download and the flashing use it.
    configpage->firmware_version->setText(
        QStringLiteral("V") + QString::fromLatin1(fwimage::version_text(fw_version + 3)));
}

void z9ktool::reset_to_factory()
{
    unsigned char frame[31] = {0xEE};
    m_WriteControl(31, frame);
    configpage->fw_update_icon->hide();
    side_stack->setCurrentIndex(1);
    nav_btns->button(1)->setChecked(true);
    setPicture(QStringLiteral(":/img/axis"));
    mouse_status = 0;
    startUpdateThread();
    update_mouse_status();
    update_ui();
}

bool z9ktool::open_mouse()
{
    openresult = m_OpenDevice(USB_VID, USB_PID);
    if (!openresult) {
        // A mouse that is there but locked away needs the udev rule, not a replug.
        if (mouseaccess::present_but_locked())
            disconnectpage->show_access_hint(mouseaccess::rule_file());
        else
            disconnectpage->show_plug_instruction();
        return false;
    }
    TcharToChar(openresult, dev_path, sizeof dev_path);
    return true;
}

void z9ktool::enter_attached_state()
{
    device_attached = 1;
    side_stack->setCurrentIndex(1);
    nav_btns->button(1)->setChecked(true);
    setNavigationEnabled(true);
    animation_timer->stop();
    setPicture(QStringLiteral(":/img/axis"));
    mouse_status = 0;
    after_status = 0;
    update_mouse_status();
    update_ui();
    startUpdateThread();
}

void z9ktool::enter_detached_state()
{
    side_stack->setCurrentIndex(0);
    setNavigationEnabled(false);
    battery_label->hide();
    reset_btn->setEnabled(false);
}

void z9ktool::hideForRemoval()
{
    // A key editor capturing for a mouse that has gone must not keep the keyboard.
    KeyCapture::stopAll();
    closePicker();
    reset_confirm->hide();
    update_confirm->hide();
    configpage->fw_update_icon->hide();
    disconnect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
               &Update_Dialog::show_dialog);
}

void z9ktool::device_arrival(const QString &interfaceName)
{
    // A flash awaiting the restarted mouse opens it itself; the arrival follows it.
    if (defer_device_change(true, interfaceName)) return;
    if (device_attached) return; // another collection of a mouse already open
    qDebug() << "mouse plug in";
    if (!open_mouse()) return;
    qDebug() << "PATH:" << dev_path;
    enter_attached_state();
}

void z9ktool::device_removal(const QString &interfaceName)
{
    if (defer_device_change(false, interfaceName)) return;
    if (!devbroadcast::removal_matches(interfaceName, QByteArray(dev_path))) return;
    device_attached = 0;
    hideForRemoval();
    m_CloseDevice();
    if (open_mouse()) {
        // Still reachable through another matching interface.
        enter_attached_state();
    } else {
        enter_detached_state(); // dev_path keeps the old path
    }
}
