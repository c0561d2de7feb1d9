// The colour picker popup of the lighting page: a hue/saturation wheel and a
// brightness slider. Every pick is reported at once; the popup stays open
// until it is closed, and every hiding is reported with picker_close().
#ifndef COLORPICKER_H
#define COLORPICKER_H

#include <QWidget>

class ColorWheel;
class QLabel;
class QPushButton;
class QSlider;

// Set by the lighting page when the next pick adds a preset; a pick clears it.
extern bool new_btn;

class ColorPicker : public QWidget
{
    Q_OBJECT
public:
    explicit ColorPicker(QWidget *parent = nullptr);

    // Wheel radius and the wheel's top-left corner inside the popup.
    static constexpr int R = 65;
    static constexpr int c_x = 53;
    static constexpr int c_y = 30;

    ColorWheel *colorwheel;
    QLabel *pointer;
    QPushButton *close;
    QSlider *bright_level;
    int hue = 0;
    int saturation = 0;
    int bright = 0;

    // Shows a colour (hue -1 for a grey) without reporting a pick.
    void setColor(int s_hue, int s_saturation, int s_bright);

signals:
    void picked();
    void add_btn();
    void picker_close();

public slots:
    void bright_changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void report();
};

#endif
