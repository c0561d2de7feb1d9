#include "pages/lighting/colorwheel.h"

#include <QImage>
#include <QPainter>
#include <QRadialGradient>

ColorWheel::ColorWheel(QWidget *parent) : QWidget(parent)
{
    for (int i = 0; i < 360; ++i)
        hue_gradient.setColorAt(i / 360.0, QColor::fromHsv(i, 255, wheel_value));
    hue_gradient.setColorAt(1.0, QColor::fromHsv(359, 255, wheel_value));
}

void ColorWheel::paintEvent(QPaintEvent *)
{
    const int w = width();
    const int h = height();
    if (hue_ring.isNull()) {
        // Angle 0 at 3 o'clock, growing counter-clockwise: the hue the picker
        // computes from a click position.
        hue_gradient.setCenter((w - 1) / 2, (h - 1) / 2);
        hue_gradient.setAngle(0);
        QImage ring(w, h, QImage::Format_ARGB32);
        ring.fill(Qt::transparent);
        {
            QPainter p(&ring);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(hue_gradient);
            p.drawEllipse(1, 1, w - 2, h - 2);
        }
        hue_ring = QPixmap::fromImage(ring);

        const QPointF centre((w - 1) / 2, (h - 1) / 2);
        QRadialGradient veil(centre, w / 2 - 2, centre);
        float q = 1.0f;
        for (int i = 0; i < 10; ++i) {
            veil.setColorAt(q, QColor(255, 255, 255, int((1 - q) * 256)));
            q -= 0.1f;
        }
        veil.setColorAt(0, QColor(255, 255, 255, 255));
        QImage white(w, h, QImage::Format_ARGB32);
        white.fill(Qt::transparent);
        {
            QPainter p(&white);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(veil);
            p.drawEllipse(1, 1, w - 2, h - 2);
        }
        white_veil = QPixmap::fromImage(white);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, hue_ring);
    p.drawPixmap(0, 0, white_veil);
}
