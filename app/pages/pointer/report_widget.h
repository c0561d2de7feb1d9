// Report-rate panel of the pointer page.
#ifndef REPORT_WIDGET_H
#define REPORT_WIDGET_H

#include <QWidget>

class QButtonGroup;
class QPushButton;

class report_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit report_Widget(QWidget *parent = nullptr);

    QPushButton *report_125;
    QPushButton *report_250;
    QPushButton *report_500;
    QPushButton *report_1000;
    QButtonGroup *report_button; // ids are the rate codes 8, 4, 2, 1

    // Shows a rate code read from the mouse (0xC4 reply byte 3) without sending it.
    void fill(int rate);

public slots:
    void set_report_rate(int ID, bool checked);
};

#endif
