#include "pages/lighting/colorpicker.h"
#include "pages/lighting/colorwheel.h"
#include "view/pictures.h"

#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QtMath>

bool new_btn = false;

ColorPicker::ColorPicker(QWidget *parent) : QWidget(parent)
{
    setFixedSize(230, 220);
    setAttribute(Qt::WA_TranslucentBackground);
    installEventFilter(this);

    auto *background = new QLabel(this);
    background->setGeometry(0, 0, 230, 220);
    pictures::set_when_shown(background, QStringLiteral(":/img/picker_bg"));

    close = new QPushButton(this);
    close->setGeometry(202, 15, 10, 10);
    close->setStyleSheet(
        QStringLiteral("QPushButton {border:none;background-color:transparent;image: "
                       "url(:/img/picker_close.png)}"
                       "QPushButton:hover {border:none;background-color:transparent;image: "
                       "url(:/img/picker_close_hover.png)}"));
    close->setCursor(Qt::PointingHandCursor);

    colorwheel = new ColorWheel(this);
    colorwheel->setGeometry(c_x, c_y, 2 * R, 2 * R);

    auto *label = new QLabel(tr("亮度"), this);
    label->setGeometry(27, 183, 24, 16);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral(
        "background-color:transparent;margin:0px;font:11px;color:rgba(255,255,255,0.7)"));

    // Made after the wheel so that it lies above it; clicks on it reach the popup.
    pointer = new QLabel(this);
    pointer->setPixmap(pictures::pixmap(QStringLiteral(":/img/color_select")));
    pointer->resize(21, 21);
    pointer->move(108, 85);

    bright_level = new QSlider(Qt::Horizontal, this);
    bright_level->setGeometry(57, 185, 150, 14);
    bright_level->setRange(0, 255);
    bright_level->setTracking(false);
    bright_level->setValue(200);
    bright_level->setStyleSheet(QStringLiteral(
        "QSlider::groove:horizontal {height:4px;border-radius:1px;"
        "background:qlineargradient(x1:0,y1:0,x2:1,y2:0,stop:0 #000000,stop:1 #ffffff);}"
        "QSlider::handle:horizontal {background:#ffffff;width:10px;border-radius:5px;"
        "margin:-3px 0px -3px 0px;}"));

    connect(bright_level, &QSlider::valueChanged, this, &ColorPicker::bright_changed);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void ColorPicker::report()
{
    if (new_btn) {
        new_btn = false;
        emit add_btn();
    } else {
        emit picked();
    }
}

void ColorPicker::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->pos();
    const int x = pos.x() - c_x;
    const int y = pos.y() - c_y;
    const int d = (x - R) * (x - R) + (y - R) * (y - R);
    if (d < R * R) {
        pointer->move(pos.x() - 10, pos.y() - 10);
        saturation = int(std::sqrt(double(d)) / R * 255);
        const double k = 360 / (2 * 3.14);
        double h;
        if (x > R && y < R)
            h = 90 - std::atan2(double(x - R), double(R - y)) * k;
        else if (x > R)
            h = 270 + std::atan2(double(x - R), double(y - R)) * k;
        else if (y < R)
            h = 90 + std::atan2(double(R - x), double(R - y)) * k;
        else
            h = 270 - std::atan2(double(R - x), double(y - R)) * k;
        // With pi taken as 3.14 the formulas reach a little past 0 and 359.
        hue = qBound(0, int(h), 359);
        bright = bright_level->value();
        report();
    }
    qDebug() << saturation;
    qDebug() << hue;
}

void ColorPicker::bright_changed()
{
    const QSignalBlocker blocker(bright_level);
    bright = bright_level->value();
    report();
}

void ColorPicker::setColor(int s_hue, int s_saturation, int s_bright)
{
    hue = s_hue;
    saturation = s_saturation;
    bright = s_bright;
    {
        const QSignalBlocker blocker(bright_level);
        bright_level->setValue(s_bright);
    }
    const int r = s_saturation * R / 255;
    const double theta = s_hue * 3.14 / 180;
    const int p_x = int(r * std::cos(theta) + (c_x + R) - 10);
    const int p_y = int((c_y + R) - r * std::sin(theta) - 10);
    pointer->move(p_x, p_y);
    qDebug() << "d=" << r << ";p_x=" << p_x << ";p_y" << p_y;
}

bool ColorPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        hide();
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void ColorPicker::focusOutEvent(QFocusEvent *event)
{
    qDebug() << "foucusOut";
    QWidget::focusOutEvent(event);
    hide();
}

void ColorPicker::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit picker_close();
}
