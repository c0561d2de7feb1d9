// "组合键" panel of the button page: nine preset key combinations and the
// custom-key editor. The button page groups the radios and sends.
#ifndef COMBO_WIDGET_H
#define COMBO_WIDGET_H

#include <QWidget>

class QLabel;
class QRadioButton;
class mkey_Edit;

class combo_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit combo_Widget(QWidget *parent = nullptr);

    // Named by their codes; on screen they stand in another order.
    QRadioButton *combo1;
    QRadioButton *combo2;
    QRadioButton *combo3;
    QRadioButton *combo4;
    QRadioButton *combo5;
    QRadioButton *combo6;
    QRadioButton *combo7;
    QRadioButton *combo8;
    QRadioButton *combo9;
    QLabel *mkey_title;
    mkey_Edit *mkey_editor;
};

#endif
