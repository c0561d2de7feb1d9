#include "pages/pointer/report_widget.h"
#include "device/kivomouse.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>

report_Widget::report_Widget(QWidget *parent) : QWidget(parent)
{
    auto *title = new QLabel(tr("选择鼠标报告速率（每秒报告数量）"), this);
    title->setGeometry(110, 8, 210, 16); // the 12-pixel line at y 10, descenders below it
    title->setStyleSheet(QStringLiteral("font-size:12px;color:rgba(255,255,255,0.7)"));

    report_button = new QButtonGroup(this);
    auto make = [this](const QString &text, int x, int code) {
        auto *b = new QPushButton(text, this);
        b->setGeometry(x, 42, 90, 30);
        b->setCheckable(true);
        b->setStyleSheet(qss_checkable_btn);
        b->setCursor(Qt::PointingHandCursor);
        report_button->addButton(b, code);
        return b;
    };
    report_125 = make(QStringLiteral("125"), 110, 8);
    report_250 = make(QStringLiteral("250"), 210, 4);
    report_500 = make(QStringLiteral("500"), 310, 2);
    report_1000 = make(QStringLiteral("1000"), 410, 1);

    connect(report_button, &QButtonGroup::idToggled, this, &report_Widget::set_report_rate);
}

void report_Widget::set_report_rate(int ID, bool checked)
{
    if (!checked) return; // the button losing its check sends nothing
    send_cmd[0] = 0xc3;
    send_cmd[1] = quint8(ID);
    m_WriteControl(31, send_cmd);
}

void report_Widget::fill(int rate)
{
    // Only the four codes the mouse knows; anything else keeps what is shown.
    if (rate != 1 && rate != 2 && rate != 4 && rate != 8) return;
    QSignalBlocker blocker(report_button);
    report_button->button(rate)->setChecked(true);
}
