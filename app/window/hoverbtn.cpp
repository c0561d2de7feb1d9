#include "window/hoverbtn.h"
#include "view/pictures.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QVariantAnimation>

namespace
{
constexpr int max_lift = 10;
}

hoverbtn::hoverbtn(QWidget *parent) : QWidget(parent), animation(new QVariantAnimation(this))
{
    setFixedSize(90, 110);
    animation->setDuration(200);
    animation->setStartValue(0);
    animation->setEndValue(max_lift);
    connect(animation, &QVariantAnimation::valueChanged, this, &hoverbtn::on_height_changed);
}

void hoverbtn::on_height_changed(QVariant value)
{
    move_h = value.toInt();
    update();
}

void hoverbtn::run(bool rise)
{
    // Turning a running animation round continues from where it is, so a
    // tile left halfway sinks from that height. A stopped one would restart
    // from the far end, which is only right when the tile is not there yet.
    animation->setDirection(rise ? QAbstractAnimation::Forward : QAbstractAnimation::Backward);
    const int target = rise ? max_lift : 0;
    if (animation->state() != QAbstractAnimation::Running && move_h != target) animation->start();
}

void hoverbtn::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    emit in();
    run(true);
    update();
}

void hoverbtn::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    emit out();
    run(false);
    update();
}

void hoverbtn::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(12);
    painter.setFont(font);

    const QPixmap icon = pictures::pixmap(iconpath);
    const int top = space - move_h;
    if (move_h != 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0xE3, 0x9B));
    } else {
        painter.setPen(QColor(2, 188, 107, 10));
        painter.setBrush(QColor(255, 255, 255, 10));
    }
    painter.drawEllipse(QRect(15, top, 60, 60));
    if (!icon.isNull()) painter.drawPixmap(QRect(33, 18 + top, 24, 24), icon);
    painter.setPen(QColor(255, 255, 255, 125));
    painter.drawText(captionRect(), Qt::AlignCenter, text);
}
