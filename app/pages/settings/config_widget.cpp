#include "pages/settings/config_widget.h"
#include "device/kivomouse.h"
#include "view/pictures.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

namespace
{
const QString kCaptionStyle = QStringLiteral("font-size:12px;color:rgba(255,255,255,0.7)");
const QString kVersionStyle = QStringLiteral(
    "background-color:transparent;padding-right:20px;text-align:right;font-size:12px;"
    "color:rgba(255,255,255,0.7)");

QLabel *picture(QWidget *parent, const QString &path, const QRect &r)
{
    auto *l = new QLabel(parent);
    l->setGeometry(r);
    pictures::set_when_shown(l, path);
    l->setAlignment(Qt::AlignHCenter);
    // The arrows and dots sit on the version buttons; clicks go through to them.
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}
} // namespace

QString config_Widget::program_version_text()
{
    return QStringLiteral("Version: ") + QString::number(APP_VERSION_MAJOR) + "." +
           QString::number(APP_VERSION_MINOR) + "." + QString::number(APP_VERSION_REVISION);
}

config_Widget::config_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);
    // The page sits right of the 180-pixel navigation column and covers the
    // mouse picture with that part of the window's background (paintEvent).
    m_background = pictures::pixmap(QStringLiteral(":/img/background"));

    picture(this, QStringLiteral(":/img/sys_config"), QRect(0, 115, 920, 100));
    auto *title = new QLabel(QStringLiteral("KIVO GAMING MOUSE"), this);
    title->setGeometry(0, 235, 920, 20);
    title->setAlignment(Qt::AlignHCenter);
    title->setStyleSheet(QStringLiteral("font-size:18px;color:rgba(255,255,255,0.10)"));

    auto *fwCaption = new QLabel(tr("固件版本号"), this);
    fwCaption->setGeometry(140, 390, 100, 20);
    fwCaption->setStyleSheet(kCaptionStyle);
    fw_update_icon = new QLabel(this);
    fw_update_icon->setGeometry(754, 398, 6, 6);
    fw_update_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update")));
    fw_update_icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    fw_update_icon->hide();
    firmware_version = new QPushButton(QStringLiteral("Version: 1.1.19"), this);
    firmware_version->setGeometry(580, 390, 200, 20);
    firmware_version->setStyleSheet(kVersionStyle);
    // The style sheet names no border, so the platform style would draw its own
    // (a black bevel on the dark page under X11); a flat button draws none.
    firmware_version->setFlat(true);
    firmware_version->setCursor(Qt::PointingHandCursor);
    picture(this, QStringLiteral(":/img/right_arrow"), QRect(772, 392, 9, 14));

    auto *swCaption = new QLabel(tr("软件版本号"), this);
    swCaption->setGeometry(140, 440, 100, 20);
    swCaption->setStyleSheet(kCaptionStyle);
    soft_update_icon = new QLabel(this);
    soft_update_icon->setGeometry(754, 448, 6, 6);
    soft_update_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update")));
    soft_update_icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    soft_update_icon->hide();
    version = new QPushButton(program_version_text(), this);
    version->setGeometry(580, 440, 200, 20);
    version->setStyleSheet(kVersionStyle);
    version->setFlat(true);
    version->setCursor(Qt::PointingHandCursor);
    picture(this, QStringLiteral(":/img/right_arrow"), QRect(772, 442, 9, 14));

    // The dots go over the buttons, like the arrows.
    fw_update_icon->raise();
    soft_update_icon->raise();
}

void config_Widget::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.drawPixmap(r.topLeft(), m_background, r.translated(180, 0));
    p.setPen(QColor(255, 255, 255, 26));
    p.drawLine(140, 375, 780, 375);
    p.drawLine(140, 425, 780, 425);
    p.drawLine(140, 475, 780, 475);
}
