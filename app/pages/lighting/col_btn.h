// A round colour swatch of the lighting page's preset row. It paints itself
// entirely (no button frame or text): a disc when unchecked, a dot inside a
// ring when checked, white at low alpha when the zone's effect has no colour.
#ifndef COL_BTN_H
#define COL_BTN_H

#include <QPushButton>

class Col_Btn : public QPushButton
{
    Q_OBJECT
public:
    explicit Col_Btn(QWidget *parent = nullptr);

    int rgb_r = 255;
    int rgb_g = 255;
    int rgb_b = 255;
    bool gray = false;
    int dot_radius = 5;
    int ring_radius = 9;
    int plain_radius = 7;

    // Each channel is replaced only when it lies in 0-255.
    void setColor(int r, int g, int b);
    void setGray(bool g);

signals:
    void doubleclick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

#endif
