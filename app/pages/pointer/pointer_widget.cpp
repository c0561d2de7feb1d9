#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/dpi_widget.h"
#include "device/kivomouse.h"
#include "pages/pointer/report_widget.h"

#include <QButtonGroup>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>

pointer_Widget::pointer_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);
    nav_basic = page_tab(this, tr("基本设置"), 360);
    nav_dpi = page_tab(this, tr("DPI设置"), 460);
    nav_basic->setChecked(true);
    pointer_nav = new QButtonGroup(this);
    pointer_nav->addButton(nav_basic, 0);
    pointer_nav->addButton(nav_dpi, 1);

    pointer_cfg_area = new QStackedWidget(this);
    pointer_cfg_area->setGeometry(0, 500, 920, 200);
    report_area = new report_Widget;
    dpi_area = new dpi_Widget;
    pointer_cfg_area->addWidget(report_area);
    pointer_cfg_area->addWidget(dpi_area);
    pointer_cfg_area->setCurrentIndex(0);
    connect(pointer_nav, &QButtonGroup::idToggled, pointer_cfg_area, [this](int id, bool checked) {
        if (checked) pointer_cfg_area->setCurrentIndex(id);
    });
}

void pointer_Widget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(255, 255, 255, 15));
    p.drawLine(110, 470, 810, 470);
    p.setPen(QColor(255, 255, 255, 77));
    p.drawLine(460, 442, 460, 452);
}
