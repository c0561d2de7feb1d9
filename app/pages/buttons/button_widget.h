// app/pages/buttons: the button page with its function, combination and custom-key editors and the
// macro recorder.
//
// The button page: markers over the mouse picture for the six reassignable
// buttons, in the top and side views, and below them three tabs with the
// function, combination and macro panels. Selecting a button reads its
// assignment from the mouse; choosing anything on a panel sends it at once.
#ifndef BUTTON_WIDGET_H
#define BUTTON_WIDGET_H

#include "pages/buttons/micro_widget.h"

#include <QVector>
#include <QWidget>

class QButtonGroup;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class func_Widget;
class combo_Widget;

class button_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit button_Widget(QWidget *parent = nullptr);

    QPushButton *topViewButton;
    QPushButton *sideViewButton;
    QButtonGroup *viewBtn;

    QRadioButton *m_top_button3;
    QRadioButton *m_top_button4;
    QRadioButton *m_top_button5;
    QRadioButton *m_side_button1;
    QRadioButton *m_side_button2;
    QRadioButton *m_side_button3;
    QButtonGroup *m_top_button;
    QButtonGroup *m_side_button;

    QPushButton *nav_func;
    QPushButton *nav_combo;
    QPushButton *nav_micro;
    QButtonGroup *nav_btn_grp; // tab ids 0, 1, 2 = pages of btn_cfg_area
    QStackedWidget *btn_cfg_area;
    func_Widget *func_area;
    combo_Widget *combo_area;
    micro_Widget *micro_area;
    QButtonGroup *func_btn_grp;  // function1-8, ids = function codes 1-8
    QButtonGroup *combo_btn_grp; // combo1-9 and the media keys, ids = codes 1-12

    // The button the page works on: the checked marker of the selected view.
    int current_button() const;
    // Shows the markers of the view the picture now displays.
    void showButtons();
    // Hides all six markers (while the picture animates).
    void hideAllMarkers();

    // What the mouse says a button does: its reply, and the macro's events
    // when it runs one. Reading it and showing it are apart so that the
    // status refresh can read before the page is made.
    struct ButtonReading {
        unsigned char status[32] = {0};
        QVector<key_record> macro;
    };
    static ButtonReading fetch_button_function(int ID);
    void show_button_function(const ButtonReading &r);

signals:
    void mouseStatusChange(int, bool);

public slots:
    void hideMouseButton(int ID, bool checked);
    void read_button_function(int ID, bool checked);
    void read_btn_when_switch(int ID, bool checked);
    void set_button_function(int ID, bool checked);
    void set_mkey_function();
    void set_micro_function();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Unchecks every radio of an exclusive group (by making it non-exclusive
    // for the moment).
    static void uncheckAll(QButtonGroup *group);
};

#endif
