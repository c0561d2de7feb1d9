// The lighting page's colour presets: the row of swatches kept in
// user_color.ini, adding and changing them through the picker, and the manage
// mode that deletes them.
#include "pages/lighting/col_btn.h"
#include "pages/lighting/colorpicker.h"
#include "device/kivomouse.h"
#include "pages/lighting/led_widget.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>

quint8 color_num = 0;
quint8 current_color = 0;
QSettings *settings = nullptr;

namespace
{
const int builtin[4][3] = {{255, 0, 0}, {0, 135, 255}, {0, 255, 20}, {255, 170, 0}};

QString colour_key(int k, const char *channel)
{
    return QStringLiteral("COLOR%1/%2").arg(k).arg(QLatin1String(channel));
}

int stored(const char *channel, int k)
{
    // toInt() gives 0 for a missing or non-numeric value.
    return settings->value(colour_key(k, channel)).toInt();
}

} // namespace

QString user_color_path(const QString &program_dir)
{
    const QString local = QDir(program_dir).filePath(QStringLiteral("user_color.ini"));
#ifdef Q_OS_WIN
    return local;
#else
    const QFileInfo file(local);
    // Only a writable regular file (or room for one) takes the presets: a
    // folder or a file not ours in its place would lose every change.
    const bool usable = file.exists() ? file.isFile() && file.isWritable() : !file.isSymLink();
    // Installed, the program lives in <prefix>/lib/kivomouse, a folder that
    // belongs to the installation even where the user may write to it (root,
    // a prefix in the home folder): a file left there outlives uninstalling.
    QDir parent(program_dir);
    const bool installed = parent.dirName() == QLatin1String("kivomouse") && parent.cdUp() &&
                           parent.dirName() == QLatin1String("lib");
    if (!installed && QFileInfo(program_dir).isWritable() && usable) return local;
    // An installed program does not write beside itself: keep the presets per
    // user, starting from the ones shipped beside the program if there are any.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(dir);
    const QString user = QDir(dir).filePath(QStringLiteral("user_color.ini"));
    if (!QFileInfo::exists(user) && file.isFile() && file.isReadable()) QFile::copy(local, user);
    return user;
#endif
}

void led_Widget::write_preset(int k)
{
    const Col_Btn *b = swatch(k);
    if (!b || !settings) return;
    settings->setValue(colour_key(k, "Red"), b->rgb_r);
    settings->setValue(colour_key(k, "Green"), b->rgb_g);
    settings->setValue(colour_key(k, "Blue"), b->rgb_b);
}

bool led_Widget::save_presets()
{
    if (!settings) return false;
    settings->sync();
    if (settings->status() == QSettings::NoError) return true;
    qDebug() << "presets not saved:" << settings->fileName();
    return false;
}

void led_Widget::create_preset_controls()
{
    add_cl_btn = new QPushButton(this);
    add_cl_btn->setGeometry(185, 577, 20, 20);
    add_cl_btn->setStyleSheet(QStringLiteral(
        "QPushButton{border-width:1px;border-radius:10px;border-style:solid;border-color:rgba("
        "255,255,255,0.15);background-color:transparent;image: url(:/img/add.png)}"
        "QPushButton:hover {background-color:#00e39b;border:none}"));
    add_cl_btn->setCursor(Qt::PointingHandCursor);

    del_btn = new QPushButton(tr("管理颜色"), this);
    del_btn->setGeometry(458, 577, 82, 26);
    del_btn->setStyleSheet(qss_click_btn);
    del_btn->setCursor(Qt::PointingHandCursor);

    del_btn_g = new QButtonGroup(this);
    for (int k = 1; k <= 8; ++k) {
        auto *b = new QPushButton(this);
        b->setObjectName(QStringLiteral("del_%1").arg(k));
        b->setGeometry(188 + 30 * (k - 1), 602, 14, 14);
        b->setStyleSheet(qss_del_btn);
        b->setCursor(Qt::PointingHandCursor);
        b->hide();
        del_btn_g->addButton(b, k);
    }

    connect(add_cl_btn, &QPushButton::clicked, this, &led_Widget::show_cp);
    connect(del_btn, &QPushButton::clicked, this, &led_Widget::show_del_btn);
    connect(del_btn_g, &QButtonGroup::idClicked, this, &led_Widget::del_color);
}

void led_Widget::connect_presets()
{
    for (int k = 1; k <= 8; ++k)
        connect(swatch(k), &Col_Btn::doubleclick, this, &led_Widget::double_show_cp);
    connect(picker, &ColorPicker::add_btn, this, &led_Widget::add_color);
    connect(picker, &ColorPicker::picked, this, &led_Widget::color_picked);
    connect(picker, &ColorPicker::picker_close, mask_btn, &QWidget::hide);
    // Closing the picker without a result ends a pending add, so that a later
    // double click changes that swatch instead of adding one.
    connect(picker, &ColorPicker::picker_close, this, [] { new_btn = false; });
}

void led_Widget::init_user_color(const QString &program_dir)
{
    delete settings;
    const QString dir =
        program_dir.isEmpty() ? QCoreApplication::applicationDirPath() : program_dir;
    settings = new QSettings(user_color_path(dir), QSettings::IniFormat);

    // Kept in 8 bits as the count is stored: 256 reads as 0, -1 as 255.
    color_num = quint8(settings->value(QStringLiteral("USER_COLOR/Num")).toInt());
    if (color_num >= 1 && color_num <= 8) {
        for (int i = 1; i <= color_num; ++i) {
            if (Col_Btn *b = swatch(i)) {
                // Out-of-range values keep the swatch's white of a fresh start.
                b->setColor(255, 255, 255);
                b->setColor(stored("Red", i), stored("Green", i), stored("Blue", i));
                b->show();
            }
        }
    } else {
        color_num = 4;
        settings->setValue(QStringLiteral("USER_COLOR/Num"), 4);
        for (int i = 1; i <= 4; ++i) {
            if (Col_Btn *b = swatch(i)) {
                b->setColor(builtin[i - 1][0], builtin[i - 1][1], builtin[i - 1][2]);
                b->show();
            }
            write_preset(i);
        }
        save_presets();
    }
    for (int i = color_num + 1; i <= 8; ++i)
        if (Col_Btn *b = swatch(i)) b->hide();
    add_cl_btn->move(185 + 30 * color_num, 577);
    add_cl_btn->setVisible(color_num < 8 && !manage_state);
}

void led_Widget::show_cp()
{
    new_btn = true;
    picker->move(add_cl_btn->x() + 32, add_cl_btn->y() - 50);
    picker->show();
    emit mask_show();
    mask_btn->show();
}

void led_Widget::double_show_cp()
{
    current_color = quint8(qMax(0, color_btn_g->checkedId()));
    const Col_Btn *b = swatch(current_color);
    if (!b) return;
    const QColor c(b->rgb_r, b->rgb_g, b->rgb_b);
    picker->setColor(c.hsvHue(), c.hsvSaturation(), c.value());
    picker->move(b->x() + 32, b->y() - 50);
    picker->show();
    emit mask_show();
    mask_btn->show();
}

void led_Widget::add_color()
{
    const QSignalBlocker blocker(picker);
    add_preset(QColor::fromHsv(picker->hue, picker->saturation, picker->bright));
}

bool led_Widget::add_preset(const QColor &c)
{
    if (color_num >= 8) return false; // no room: the add button is hidden then
    add_cl_btn->move(add_cl_btn->x() + 30, add_cl_btn->y());
    color_num += 1;
    current_color = color_num;
    qDebug() << "num:" << color_num;
    Col_Btn *b = swatch(color_num);
    if (b) {
        b->setColor(c.red(), c.green(), c.blue());
        // Checking it applies the colour to the current zone at once.
        b->setChecked(true);
        b->show();
    }
    if (color_num == 8) add_cl_btn->hide();
    if (color_num == 1) {
        del_btn->setEnabled(true);
        manage_state = false;
    }
    settings->setValue(QStringLiteral("USER_COLOR/Num"), color_num);
    write_preset(color_num);
    return save_presets();
}

void led_Widget::color_picked()
{
    Col_Btn *b = swatch(current_color);
    if (!b || current_color > color_num) return;
    {
        const QSignalBlocker blocker(picker);
        const QColor c = QColor::fromHsv(picker->hue, picker->saturation, picker->bright);
        b->setColor(c.red(), c.green(), c.blue());
        write_preset(current_color);
        save_presets();
    }
    const int zone = ledzone_switch->checkedId();
    change_color(zone == 1 ? front_selected_color : rear_selected_color, true);
}

void led_Widget::show_del_btn()
{
    if (!manage_state) {
        del_btn->setText(tr("完成"));
        add_cl_btn->hide();
        for (int k = 1; k <= color_num; ++k)
            del_btn_g->button(k)->show();
        manage_state = true;
    } else {
        del_btn->setText(tr("管理颜色"));
        for (int k = 1; k <= 8; ++k)
            del_btn_g->button(k)->hide();
        if (color_num <= 7) add_cl_btn->show();
        add_cl_btn->setEnabled(true);
        manage_state = false;
    }
}

void led_Widget::del_color(int number)
{
    if (number < 1 || number > color_num) return;
    qDebug() << "del color";
    add_cl_btn->move(add_cl_btn->x() - 30, add_cl_btn->y());
    Col_Btn *last = swatch(color_num);
    if (last) last->hide();
    del_btn_g->button(color_num)->hide();

    // The checks move with the colours; done quietly so that nothing is sent.
    {
        const QSignalBlocker blocker(color_btn_g);
        color_btn_g->setExclusive(false);
        for (int i = number; i < color_num; ++i) {
            Col_Btn *b = swatch(i);
            Col_Btn *next = swatch(i + 1);
            if (!b || !next) continue;
            if (b->isChecked()) b->setChecked(false);
            if (next->isChecked()) {
                b->setChecked(true);
                next->setChecked(false);
            }
            b->setColor(next->rgb_r, next->rgb_g, next->rgb_b);
        }
        // A hidden swatch must not stay checked: a preset added in its place
        // would then be checked already and checking it would send nothing.
        if (last) last->setChecked(false);
        color_btn_g->setExclusive(true);
    }

    color_num -= 1;
    settings->setValue(QStringLiteral("USER_COLOR/Num"), color_num);
    for (int i = number; i <= color_num; ++i)
        write_preset(i);
    save_presets();

    for (int *selected : {&rear_selected_color, &front_selected_color}) {
        if (*selected > number)
            *selected -= 1;
        else if (*selected == number)
            *selected = 0;
    }

    if (color_num == 0) {
        del_btn->setText(tr("管理颜色"));
        del_btn->setEnabled(false);
        add_cl_btn->show();
    }
}
