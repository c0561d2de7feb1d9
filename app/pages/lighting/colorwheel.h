// The hue/saturation disc of the colour picker: hue around the centre, a white
// veil growing towards the middle. Both pictures are made once, at the first
// paint, because the wheel never changes its value.
#ifndef COLORWHEEL_H
#define COLORWHEEL_H

#include <QConicalGradient>
#include <QPixmap>
#include <QWidget>

class ColorWheel : public QWidget
{
    Q_OBJECT
public:
    explicit ColorWheel(QWidget *parent = nullptr);

    QPixmap hue_ring;
    QPixmap white_veil;
    QConicalGradient hue_gradient;
    int wheel_value = 255;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#endif
