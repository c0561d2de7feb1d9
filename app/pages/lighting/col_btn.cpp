#include "pages/lighting/col_btn.h"

#include <QPainter>

Col_Btn::Col_Btn(QWidget *parent) : QPushButton(parent) {}

void Col_Btn::setColor(int r, int g, int b)
{
    if (r >= 0 && r <= 255) rgb_r = r;
    if (g >= 0 && g <= 255) rgb_g = g;
    if (b >= 0 && b <= 255) rgb_b = b;
    update();
}

void Col_Btn::setGray(bool g)
{
    gray = g;
    update();
}

// Only the signal: the first click of the pair has already checked the swatch,
// and the second press must not press it again.
void Col_Btn::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleclick();
}

void Col_Btn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour(rgb_r, rgb_g, rgb_b);
    const QColor faint(255, 255, 255, 26);
    auto circle = [&](int r) { return QRect(width() / 2 - r, height() / 2 - r, 2 * r, 2 * r); };
    if (isChecked()) {
        p.setPen(Qt::NoPen);
        p.setBrush(gray ? faint : colour);
        p.drawEllipse(circle(dot_radius));
        p.setPen(gray ? faint : colour);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(circle(ring_radius));
    } else if (gray) {
        p.setPen(Qt::NoPen);
        p.setBrush(faint);
        p.drawEllipse(circle(plain_radius));
    } else {
        p.setPen(colour);
        p.setBrush(colour);
        p.drawEllipse(circle(plain_radius));
    }
}
