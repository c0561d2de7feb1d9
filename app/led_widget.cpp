#include "led_widget.h"
#include "colorpicker.h"
#include "kivomouse.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>

namespace
{
QPushButton *tab(QWidget *parent, const QString &text, int x)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(x, 440, 100, 14);
    b->setCheckable(true);
    b->setStyleSheet(nav_text);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QPushButton *effect(QWidget *row, const QString &text, int x, QButtonGroup *group, int id)
{
    auto *b = new QPushButton(text, row);
    b->setGeometry(x, 0, 80, 26);
    b->setCheckable(true);
    b->setStyleSheet(qss_checkable_btn);
    b->setCursor(Qt::PointingHandCursor);
    group->addButton(b, id);
    return b;
}
} // namespace

led_Widget::led_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    front = tab(this, QStringLiteral("前灯设置"), 360);
    rear = tab(this, QStringLiteral("尾灯设置"), 460);
    front->setChecked(true);
    ledzone_switch = new QButtonGroup(this);
    ledzone_switch->addButton(rear, 0);
    ledzone_switch->addButton(front, 1);

    led_mode = new QStackedWidget(this);
    led_mode->setGeometry(188, 522, 920, 26);
    rear_mode = new QWidget;
    front_mode = new QWidget;
    rear_mode_btn = new QButtonGroup(this);
    front_mode_btn = new QButtonGroup(this);
    rear_on = effect(rear_mode, QStringLiteral("常亮"), 0, rear_mode_btn, 1);
    rear_breath = effect(rear_mode, QStringLiteral("呼吸"), 90, rear_mode_btn, 2);
    rear_run = effect(rear_mode, QStringLiteral("流光"), 180, rear_mode_btn, 3);
    rear_magic = effect(rear_mode, QStringLiteral("幻彩"), 270, rear_mode_btn, 6);
    rear_off = effect(rear_mode, QStringLiteral("关闭"), 360, rear_mode_btn, 0);
    front_on = effect(front_mode, QStringLiteral("常亮"), 0, front_mode_btn, 1);
    front_breath = effect(front_mode, QStringLiteral("呼吸"), 90, front_mode_btn, 2);
    front_off = effect(front_mode, QStringLiteral("关闭"), 180, front_mode_btn, 0);
    led_mode->addWidget(rear_mode);
    led_mode->addWidget(front_mode);
    led_mode->setCurrentIndex(0);

    color_btn_g = new QButtonGroup(this);

    speed_level = new QSlider(Qt::Horizontal, this);
    speed_level->setGeometry(182, 630, 362, 15);
    speed_level->setRange(1, 8);
    speed_level->setPageStep(1);
    speed_level->setTracking(false);
    speed_level->setValue(4);

    mask = new QLabel(this);
    mask->setGeometry(0, 560, 920, 50);
    mask->hide();
    mask_btn = new QPushButton(this);
    mask_btn->setGeometry(0, 0, 920, 750);
    mask_btn->setFlat(true);
    mask_btn->setStyleSheet(QStringLiteral("border:none;background-color:transparent"));
    mask_btn->hide();
    picker = new ColorPicker(this);
    connect(mask_btn, &QPushButton::clicked, picker, &QWidget::hide);
    connect(mask_btn, &QPushButton::clicked, mask_btn, &QWidget::hide);

    connect(ledzone_switch, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked) return;
        after_status = id == 0 ? 3 : 0;
        led_mode->setCurrentIndex(id);
    });
    // Forwarded after the zone is switched, so the picture animates to the new view.
    connect(ledzone_switch, &QButtonGroup::idToggled, this, &led_Widget::ledZoneChanged);
}

int led_Widget::find_color(int)
{
    return 0;
}

void led_Widget::widgets_disable()
{
    speed_level->setEnabled(false);
    mask->show();
}

void led_Widget::widgets_enable()
{
    speed_level->setEnabled(true);
    mask->hide();
}

void led_Widget::init_user_color() {}
