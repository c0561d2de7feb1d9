// The button page: markers over the mouse picture for the six reassignable
// buttons, in the top and side views. Reading a marker's button asks the mouse
// for its assignment.
#ifndef BUTTON_WIDGET_H
#define BUTTON_WIDGET_H

#include <QWidget>

class QButtonGroup;
class QPushButton;
class QRadioButton;

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

    // The button the page works on: the checked marker of the selected view.
    int current_button() const;
    // Shows the markers of the view the picture now displays.
    void showButtons();
    // Hides all six markers (while the picture animates).
    void hideAllMarkers();

signals:
    void mouseStatusChange(int, bool);

public slots:
    void hideMouseButton(int ID, bool checked);
    void read_button_function(int ID, bool checked);
    void read_btn_when_switch(int ID, bool checked);
};

#endif
