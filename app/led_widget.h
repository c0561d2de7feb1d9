// The lighting page: zone tabs (front wheel light, rear light), the effect rows,
// the colour presets and the speed slider.
#ifndef LED_WIDGET_H
#define LED_WIDGET_H

#include <QWidget>

class ColorPicker;
class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;
class QStackedWidget;

class led_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit led_Widget(QWidget *parent = nullptr);

    QPushButton *front;
    QPushButton *rear;
    QButtonGroup *ledzone_switch; // rear 0, front 1
    QStackedWidget *led_mode;     // page 0 rear row, page 1 front row
    QWidget *rear_mode;
    QWidget *front_mode;
    QPushButton *rear_on, *rear_breath, *rear_run, *rear_magic, *rear_off;
    QPushButton *front_on, *front_breath, *front_off;
    QButtonGroup *rear_mode_btn;  // ids 1, 2, 3, 6, 0
    QButtonGroup *front_mode_btn; // ids 1, 2, 0
    QButtonGroup *color_btn_g;    // preset swatches, ids 1 ... 8
    QSlider *speed_level;
    QLabel *mask;
    QPushButton *mask_btn;
    ColorPicker *picker;

    int find_color(int ledzone);
    void widgets_disable();
    void widgets_enable();
    void init_user_color();

signals:
    void ledZoneChanged(int ID, bool checked);
    void mask_show();
    void color_changed();
    void front_mode_changed();
    void rear_mode_changed();
};

#endif
