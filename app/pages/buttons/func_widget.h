// "功能键" panel of the button page: the eight single functions and the three
// media keys. The radios carry no logic; the button page groups them and sends.
#ifndef FUNC_WIDGET_H
#define FUNC_WIDGET_H

#include <QWidget>

class QRadioButton;

class func_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit func_Widget(QWidget *parent = nullptr);

    QRadioButton *function1;
    QRadioButton *function2;
    QRadioButton *function3;
    QRadioButton *function4;
    QRadioButton *function5;
    QRadioButton *function6;
    QRadioButton *function7;
    QRadioButton *function8;
    // Media keys: shown here, sent as combinations 10-12.
    QRadioButton *volup;
    QRadioButton *voldown;
    QRadioButton *volmute;
};

#endif
