#include "pages/lighting/led_widget.h"
#include "pages/lighting/col_btn.h"
#include "pages/lighting/colorpicker.h"
#include "device/kivomouse.h"
#include "view/pictures.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDebug>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>

bool manage_state = false;

namespace
{
// Until the preset file is read, the row holds the four colours a new
// installation starts with.
const int kBuiltinColours[4][3] = {{255, 0, 0}, {0, 135, 255}, {0, 255, 20}, {255, 170, 0}};

const QString kSliderStyle = QStringLiteral(
    "QSlider::groove:horizontal {background:transparent;height:6px;}"
    "QSlider::handle:horizontal {background:#afafaf;width:12px;height:12px;margin:-3px 0;"
    "border-radius:6px;}"
    "QSlider::handle:horizontal:disabled {background:#2f333c;}");

void label(QWidget *parent, const QString &text, int y)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(110, y, 50, 12);
    l->setStyleSheet(text_11px);
}

QPushButton *effect(QWidget *row, const char *text, const char *icon, int x, QButtonGroup *group,
                    int id)
{
    auto *b = new QPushButton(QCoreApplication::translate("led_Widget", text), row);
    b->setGeometry(x, 0, 80, 26);
    b->setCheckable(true);
    b->setStyleSheet(qss_checkable_btn);
    b->setCursor(Qt::PointingHandCursor);
    QIcon i;
    i.addFile(QStringLiteral(":/img/%1.png").arg(QLatin1String(icon)), QSize(), QIcon::Normal,
              QIcon::Off);
    i.addFile(QStringLiteral(":/img/%1_s.png").arg(QLatin1String(icon)), QSize(), QIcon::Normal,
              QIcon::On);
    b->setIcon(i);
    b->setIconSize(QSize(14, 14));
    group->addButton(b, id);
    return b;
}

unsigned char *zone_record(int zone)
{
    return zone == 1 ? front_led_status : rear_led_status;
}

int &zone_selected_color(int zone)
{
    return zone == 1 ? front_selected_color : rear_selected_color;
}

void send_frame()
{
    m_WriteControl(31, send_cmd);
}

// The colour the frame carries becomes the record's colour.
void copy_colour(unsigned char *record)
{
    record[8] = send_cmd[6];
    record[9] = send_cmd[7];
    record[10] = send_cmd[8];
}
} // namespace

led_Widget::led_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    label(this, tr("灯光效果"), 530);
    label(this, tr("颜色预设"), 581);
    label(this, tr("灯光速度"), 632);

    front = page_tab(this, tr("前灯设置"), 360);
    rear = page_tab(this, tr("尾灯设置"), 460);
    front->setChecked(true);
    ledzone_switch = new QButtonGroup(this);
    ledzone_switch->addButton(rear, 0);
    ledzone_switch->addButton(front, 1);

    rear_mode = new QWidget;
    rear_mode->setGeometry(0, 0, 920, 26);
    front_mode = new QWidget;
    front_mode->setGeometry(0, 0, 920, 26);
    rear_mode_btn = new QButtonGroup(this);
    front_mode_btn = new QButtonGroup(this);
    rear_on = effect(rear_mode, QT_TR_NOOP(" 常亮"), "on", 0, rear_mode_btn, 1);
    rear_breath = effect(rear_mode, QT_TR_NOOP(" 呼吸"), "breath", 90, rear_mode_btn, 2);
    rear_run = effect(rear_mode, QT_TR_NOOP(" 跑马"), "run", 180, rear_mode_btn, 3);
    rear_magic = effect(rear_mode, QT_TR_NOOP(" 炫彩"), "magic", 270, rear_mode_btn, 6);
    rear_off = effect(rear_mode, QT_TR_NOOP(" 关闭"), "off", 360, rear_mode_btn, 0);
    front_on = effect(front_mode, QT_TR_NOOP(" 常亮"), "on", 0, front_mode_btn, 1);
    front_breath = effect(front_mode, QT_TR_NOOP(" 呼吸"), "breath", 90, front_mode_btn, 2);
    front_off = effect(front_mode, QT_TR_NOOP(" 关闭"), "off", 180, front_mode_btn, 0);
    led_mode = new QStackedWidget(this);
    led_mode->setGeometry(188, 522, 920, 26);
    led_mode->addWidget(rear_mode);
    led_mode->addWidget(front_mode);
    led_mode->setCurrentIndex(0);

    // The preset row's add and manage buttons and its delete badges lie
    // below the swatches.
    create_preset_controls();

    color_btn_g = new QButtonGroup(this);
    Col_Btn **swatches[8] = {&color_1, &color_2, &color_3, &color_4,
                             &color_5, &color_6, &color_7, &color_8};
    for (int k = 1; k <= 8; ++k) {
        auto *c = new Col_Btn(this);
        c->setObjectName(QStringLiteral("c_%1").arg(k));
        c->setGeometry(185 + 30 * (k - 1), 577, 20, 20);
        c->setCheckable(true);
        c->setCursor(Qt::PointingHandCursor);
        // The mask stops clicks on a greyed row; without focus the keyboard
        // cannot reach it either.
        c->setFocusPolicy(Qt::NoFocus);
        if (k <= 4)
            c->setColor(kBuiltinColours[k - 1][0], kBuiltinColours[k - 1][1],
                        kBuiltinColours[k - 1][2]);
        else
            c->hide();
        color_btn_g->addButton(c, k);
        *swatches[k - 1] = c;
    }

    speed_scale = new QLabel(this);
    speed_scale->setGeometry(188, 633, 350, 9);
    speed_scale->setPixmap(pictures::pixmap(QStringLiteral(":/img/light_speed")));

    speed_level = new QSlider(Qt::Horizontal, this);
    speed_level->setGeometry(182, 630, 362, 15);
    speed_level->setRange(1, 8);
    speed_level->setPageStep(1);
    speed_level->setTracking(false);
    speed_level->setValue(4);
    speed_level->setStyleSheet(kSliderStyle);
    speed_level->setCursor(Qt::PointingHandCursor);

    mask = new QLabel(this);
    mask->setGeometry(0, 560, 920, 50);
    mask->hide();
    mask_btn = new QPushButton(this);
    mask_btn->setGeometry(0, 0, 920, 750);
    mask_btn->setFlat(true);
    mask_btn->setStyleSheet(QStringLiteral("border:none;background-color:transparent"));
    mask_btn->hide();
    picker = new ColorPicker(this);
    picker->hide();
    connect(mask_btn, &QPushButton::clicked, picker, &QWidget::hide);
    connect(mask_btn, &QPushButton::clicked, mask_btn, &QWidget::hide);

    connect(ledzone_switch, &QButtonGroup::idToggled, this, &led_Widget::zone_switched);
    // Forwarded after zone_switched has run for the same tab, so the picture
    // animates to the view that tab asked for.
    connect(ledzone_switch, &QButtonGroup::idToggled, this, &led_Widget::ledZoneChanged);
    connect(rear_mode_btn, &QButtonGroup::idToggled, this, &led_Widget::rear_update);
    connect(front_mode_btn, &QButtonGroup::idToggled, this, &led_Widget::front_update);
    connect(color_btn_g, &QButtonGroup::idToggled, this, &led_Widget::change_color);
    connect(speed_level, &QSlider::valueChanged, this, &led_Widget::change_speed);
    connect_presets();
}

Col_Btn *led_Widget::swatch(int k) const
{
    if (k < 1 || k > 8) return nullptr;
    return findChild<Col_Btn *>(QStringLiteral("c_%1").arg(k), Qt::FindDirectChildrenOnly);
}

// The presets in use are the swatches shown from the first on.
int led_Widget::preset_count() const
{
    int n = 0;
    while (n < 8 && swatch(n + 1) && swatch(n + 1)->isVisibleTo(this))
        ++n;
    return n;
}

void led_Widget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(255, 255, 255, 77));
    p.drawLine(460, 442, 460, 451);
    p.setPen(QColor(255, 255, 255, 15));
    p.drawLine(110, 470, 810, 470);
}

// ---- control states -----------------------------------------------------------

void led_Widget::widgets_disable()
{
    speed_level->setEnabled(false);
    if (del_btn) del_btn->setText(tr("管理颜色"));
    manage_state = false;
    if (del_btn) del_btn->setEnabled(false);
    mask->show();
    for (int k = 1; k <= 8; ++k)
        if (Col_Btn *c = swatch(k)) c->setGray(true);
    if (del_btn_g)
        for (int k = 1; k <= 8; ++k)
            if (QAbstractButton *b = del_btn_g->button(k)) b->hide();
    // Manage mode ends here, so the add button is back (greyed) when there is room.
    if (add_cl_btn) add_cl_btn->setVisible(color_num <= 7);
    if (add_cl_btn) add_cl_btn->setEnabled(false);
}

void led_Widget::widgets_enable()
{
    speed_level->setEnabled(true);
    if (del_btn) del_btn->setEnabled(true);
    mask->hide();
    for (int k = 1; k <= 8; ++k)
        if (Col_Btn *c = swatch(k)) c->setGray(false);
    if (add_cl_btn) add_cl_btn->setEnabled(true);
}

void led_Widget::apply_effect_state(int code)
{
    switch (code) {
    case 0:
        widgets_disable();
        break;
    case 1:
        widgets_enable();
        speed_level->setEnabled(false);
        break;
    case 2:
    case 3:
        widgets_enable();
        break;
    case 6:
        widgets_disable();
        speed_level->setEnabled(true);
        break;
    default:
        break;
    }
}

// ---- the colour bytes of the frame ----------------------------------------------

bool led_Widget::get_selected_color()
{
    const int id = color_btn_g->checkedId();
    qDebug() << "get color id:" << id;
    if (const Col_Btn *c =
            findChild<Col_Btn *>(QStringLiteral("c_%1").arg(id), Qt::FindDirectChildrenOnly)) {
        send_cmd[6] = static_cast<unsigned char>(c->rgb_r);
        send_cmd[7] = static_cast<unsigned char>(c->rgb_g);
        send_cmd[8] = static_cast<unsigned char>(c->rgb_b);
        return true;
    }
    // No preset chosen for this zone: send back what the mouse holds. The
    // read gets one reopen only; after that the reply stands as it is.
    unsigned char frame[31] = {0};
    frame[0] = 0xA0;
    frame[1] = static_cast<unsigned char>(ledzone_switch->checkedId());
    control_read_once_more(frame, read_data);
    send_cmd[6] = read_data[8];
    send_cmd[7] = read_data[9];
    send_cmd[8] = read_data[10];
    return true;
}

int led_Widget::find_color(int ledzone)
{
    if (ledzone != 0 && ledzone != 1) return 0;
    const unsigned char *record = zone_record(ledzone);
    const int n = preset_count();
    for (int i = 1; i <= n; ++i) {
        const Col_Btn *c = swatch(i);
        if (c->rgb_r == record[8] && c->rgb_g == record[9] && c->rgb_b == record[10])
            zone_selected_color(ledzone) = i; // a later match wins
    }
    return 0;
}

// ---- handlers -------------------------------------------------------------------

void led_Widget::zone_switched(int ID, bool checked)
{
    if (!checked) return;
    qDebug() << "ID:" << ID;
    const int zone = ID == 1 ? 1 : 0;
    after_status = zone == 1 ? 0 : 3;
    led_mode->setCurrentIndex(zone);
    QButtonGroup *effects = zone == 1 ? front_mode_btn : rear_mode_btn;

    const QSignalBlocker b1(speed_level);
    const QSignalBlocker b2(effects);
    const QSignalBlocker b3(color_btn_g);
    speed_level->setValue(zone_record(zone)[5]); // the slider keeps it within 1-8
    const int selected = zone_selected_color(zone);
    if (selected != 0 && color_btn_g->button(selected)) {
        color_btn_g->button(selected)->setChecked(true);
    } else if (QAbstractButton *c = color_btn_g->checkedButton()) {
        color_btn_g->setExclusive(false);
        c->setChecked(false);
        color_btn_g->setExclusive(true);
    }
    apply_effect_state(effects->checkedId());
}

void led_Widget::front_update(int ID, bool checked)
{
    if (!checked) return;
    {
        const QSignalBlocker blocker(front_mode_btn);
        send_cmd[0] = 0xA1;
        send_cmd[1] = 1;
        send_cmd[2] = static_cast<unsigned char>(ID);
        send_cmd[4] = 8;
        send_cmd[5] = 8;
        front_led_status[4] = static_cast<unsigned char>(ID);
        switch (ID) {
        case 0:
            get_selected_color();
            send_frame();
            copy_colour(front_led_status);
            front_led_status[4] = 0;
            widgets_disable();
            break;
        case 1:
            widgets_enable();
            get_selected_color();
            qDebug() << "get color";
            send_frame();
            copy_colour(front_led_status);
            speed_level->setEnabled(false);
            break;
        case 2:
            send_cmd[3] = static_cast<unsigned char>(speed_level->value());
            front_led_status[5] = send_cmd[3];
            get_selected_color();
            qDebug() << "get color";
            send_frame();
            copy_colour(front_led_status);
            widgets_enable();
            break;
        default:
            break;
        }
    }
    emit front_mode_changed();
}

void led_Widget::rear_update(int ID, bool checked)
{
    if (!checked) return;
    {
        const QSignalBlocker blocker(rear_mode_btn);
        send_cmd[0] = 0xA1;
        send_cmd[1] = 0;
        send_cmd[2] = static_cast<unsigned char>(ID);
        send_cmd[4] = 8;
        send_cmd[5] = 8;
        rear_led_status[4] = static_cast<unsigned char>(ID);
        switch (ID) {
        case 0:
            get_selected_color();
            send_frame();
            copy_colour(rear_led_status);
            rear_led_status[4] = 0;
            widgets_disable();
            break;
        case 1:
            widgets_enable();
            get_selected_color();
            send_frame();
            copy_colour(rear_led_status);
            speed_level->setEnabled(false);
            break;
        case 2:
        case 3:
            widgets_enable();
            send_cmd[3] = static_cast<unsigned char>(speed_level->value());
            rear_led_status[5] = send_cmd[3];
            get_selected_color();
            send_frame();
            copy_colour(rear_led_status);
            break;
        case 6:
            // The mouse cycles its own colours: the frame's colour bytes go
            // out as they are and the record keeps its colour.
            widgets_disable();
            mask->show();
            speed_level->setEnabled(true);
            send_cmd[3] = static_cast<unsigned char>(speed_level->value());
            rear_led_status[5] = send_cmd[3];
            send_frame();
            break;
        default:
            break;
        }
    }
    emit rear_mode_changed();
}

void led_Widget::change_color(int ID, bool checked)
{
    if (!checked) return;
    {
        const QSignalBlocker blocker(color_btn_g);
        send_cmd[4] = 8;
        send_cmd[5] = 8;
        get_selected_color();
        const int zone = ledzone_switch->checkedId() == 1 ? 1 : 0;
        QButtonGroup *effects = zone == 1 ? front_mode_btn : rear_mode_btn;
        send_cmd[0] = 0xA1;
        send_cmd[1] = static_cast<unsigned char>(zone);
        // No effect read yet for this zone: -1 goes out as 0xFF.
        send_cmd[2] = static_cast<unsigned char>(effects->checkedId());
        send_cmd[3] = static_cast<unsigned char>(speed_level->value());
        send_frame();
        unsigned char *record = zone_record(zone);
        record[4] = send_cmd[2];
        record[5] = send_cmd[3];
        copy_colour(record);
        zone_selected_color(zone) = ID;
    }
    emit color_changed();
}

void led_Widget::change_speed(int)
{
    const QSignalBlocker blocker(speed_level);
    send_cmd[4] = 8;
    send_cmd[5] = 8;
    send_cmd[0] = 0xA1;
    get_selected_color();
    const int zone = ledzone_switch->checkedId() == 1 ? 1 : 0;
    QButtonGroup *effects = zone == 1 ? front_mode_btn : rear_mode_btn;
    send_cmd[1] = static_cast<unsigned char>(zone);
    send_cmd[2] = static_cast<unsigned char>(effects->checkedId());
    send_cmd[3] = static_cast<unsigned char>(speed_level->value());
    send_frame();
    zone_record(zone)[5] = send_cmd[3];
}
