#include "window/navbtn.h"
#include "view/pictures.h"

#include <QPainter>

Navbtn::Navbtn(const QString &iconName, const QString &text, QWidget *parent)
    : QPushButton(parent), iconName(iconName), btntext(text)
{
    setCheckable(true);
    setFixedSize(130, 20);
    setCursor(Qt::PointingHandCursor);
}

QString Navbtn::iconPath() const
{
    const bool lit = isEnabled() && (isChecked() || m_state == HOVER);
    return QStringLiteral(":/img/") + iconName + (lit ? QStringLiteral("_s") : QString());
}

QColor Navbtn::textColor() const
{
    if (!isEnabled()) return QColor(255, 255, 255, 178);
    if (isChecked()) return QColor(0, 236, 155);
    if (m_state == HOVER) return QColor(0, 227, 155);
    return QColor(255, 255, 255, 178);
}

void Navbtn::enterEvent(QEvent *event)
{
    if (isEnabled()) {
        m_state = HOVER;
        update();
    }
    QPushButton::enterEvent(event);
}

void Navbtn::leaveEvent(QEvent *event)
{
    if (isEnabled()) {
        m_state = NORMAL;
        update();
    }
    QPushButton::leaveEvent(event);
}

void Navbtn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(0, 2, 16, 16), pictures::pixmap(iconPath()));
    QFont f = font();
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(textColor());
    p.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, btntext);
}
