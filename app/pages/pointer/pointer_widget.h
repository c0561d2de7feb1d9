// app/pages/pointer: the pointer page (report rate and DPI levels).
//
// The pointer page: report rate ("基本设置") and DPI levels ("DPI设置").
#ifndef POINTER_WIDGET_H
#define POINTER_WIDGET_H

#include <QWidget>

class QButtonGroup;
class QPushButton;
class QStackedWidget;
class report_Widget;
class dpi_Widget;

class pointer_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit pointer_Widget(QWidget *parent = nullptr);

    QPushButton *nav_basic;
    QPushButton *nav_dpi;
    QButtonGroup *pointer_nav;
    QStackedWidget *pointer_cfg_area;
    report_Widget *report_area;
    dpi_Widget *dpi_area;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#endif
