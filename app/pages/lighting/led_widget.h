// app/pages/lighting: the lighting page, its colour presets and swatches, and the colour picker.
//
// The lighting page: zone tabs (front wheel light, rear light), the effect rows,
// the colour presets and the speed slider. Every change goes to the mouse at
// once as 0xA1 and is mirrored into the zone's status record for the picture.
#ifndef LED_WIDGET_H
#define LED_WIDGET_H

#include <QWidget>

class ColorPicker;
class QColor;
class Col_Btn;
class QButtonGroup;
class QLabel;
class QPushButton;
class QSettings;
class QSlider;
class QStackedWidget;

// Manage mode of the preset row (deleting presets); an effect without a
// colour ends it.
extern bool manage_state;

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
    // The preset row's add and manage buttons and delete badges; null until
    // the row builds them, and the control states skip what is not there.
    QPushButton *add_cl_btn = nullptr;
    QPushButton *del_btn = nullptr;
    QButtonGroup *del_btn_g = nullptr; // ids 1 ... 8
    Col_Btn *color_1, *color_2, *color_3, *color_4, *color_5, *color_6, *color_7, *color_8;
    QButtonGroup *color_btn_g; // preset swatches "c_1" ... "c_8", ids 1 ... 8
    QLabel *speed_scale;
    QSlider *speed_level;
    QLabel *mask;
    QPushButton *mask_btn;
    ColorPicker *picker;

    // Swatch k (object name "c_k"), null outside 1-8.
    Col_Btn *swatch(int k) const;
    // The preset row and user_color.ini (led_presets.cpp). The file lies in
    // program_dir (empty: the program's own folder).
    void create_preset_controls(); // before the swatches, which lie above
    void connect_presets();        // once the swatches and the picker exist
    void init_user_color(const QString &program_dir = QString());
    void write_preset(int k);
    // Writes what is pending to the file; false (and a debug line) when the
    // file could not be written.
    bool save_presets();
    // Adds c as the next preset and chooses it, which applies it to the zone;
    // the picker's "+" and kivoctl both come here. Returns whether the preset
    // was added and saved to the file.
    bool add_preset(const QColor &c);

public slots:
    void zone_switched(int ID, bool checked);
    void rear_update(int ID, bool checked);
    void front_update(int ID, bool checked);
    void change_color(int ID, bool checked);
    void change_speed(int value);
    void widgets_disable();
    void widgets_enable();
    bool get_selected_color();
    int find_color(int ledzone);
    void show_cp();
    void double_show_cp();
    void add_color();
    void color_picked();
    void show_del_btn();
    void del_color(int number);

signals:
    void ledZoneChanged(int ID, bool checked);
    void mask_show();
    void color_changed();
    void front_mode_changed();
    void rear_mode_changed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The control state an effect code asks for; codes the page does not
    // offer (and none checked, -1) leave the controls as they are.
    void apply_effect_state(int code);
    int preset_count() const;
};

// Preset state shared with the picker (new_btn, colorpicker.h).
extern quint8 color_num;
extern quint8 current_color;
extern QSettings *settings;

// Where user_color.ini lives for a program in program_dir: there when the
// folder is writable and is not an installation's <prefix>/lib/kivomouse, and
// the file, if present, is a writable regular file; otherwise, on Linux, under
// the user's configuration folder.
QString user_color_path(const QString &program_dir);

#endif
