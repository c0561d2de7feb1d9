#include "button_widget.h"
#include "kivomouse.h"

#include <QButtonGroup>
#include <QDebug>
#include <QPushButton>
#include <QRadioButton>

namespace
{
QRadioButton *marker(QWidget *parent, int x, int y)
{
    auto *b = new QRadioButton(parent);
    b->setGeometry(x, y, 20, 20);
    b->setStyleSheet(qss_radiobutton_20x20);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QPushButton *roundButton(QWidget *parent, const QString &text, int y)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(768, y, 42, 42);
    b->setCheckable(true);
    b->setStyleSheet(qss_radiobutton_42x42);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
} // namespace

button_Widget::button_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    topViewButton = roundButton(this, QStringLiteral("正"), 193);
    sideViewButton = roundButton(this, QStringLiteral("侧"), 255);
    topViewButton->setChecked(true);
    viewBtn = new QButtonGroup(this);
    viewBtn->addButton(topViewButton, 1);
    viewBtn->addButton(sideViewButton, 2);

    m_top_button3 = marker(this, 460, 210);
    m_top_button4 = marker(this, 460, 305);
    m_top_button5 = marker(this, 460, 340);
    m_side_button1 = marker(this, 408, 198);
    m_side_button2 = marker(this, 493, 188);
    m_side_button3 = marker(this, 395, 242);
    m_top_button = new QButtonGroup(this);
    m_top_button->addButton(m_top_button3, 2);
    m_top_button->addButton(m_top_button4, 5);
    m_top_button->addButton(m_top_button5, 6);
    m_side_button = new QButtonGroup(this);
    m_side_button->addButton(m_side_button1, 3);
    m_side_button->addButton(m_side_button2, 4);
    m_side_button->addButton(m_side_button3, 7);
    m_side_button1->hide();
    m_side_button2->hide();
    m_side_button3->hide();

    connect(viewBtn, &QButtonGroup::idToggled, this, &button_Widget::hideMouseButton);
    connect(viewBtn, &QButtonGroup::idToggled, this, &button_Widget::mouseStatusChange);
    connect(viewBtn, &QButtonGroup::idToggled, this, &button_Widget::read_btn_when_switch);
    connect(m_top_button, &QButtonGroup::idToggled, this, &button_Widget::read_button_function);
    connect(m_side_button, &QButtonGroup::idToggled, this, &button_Widget::read_button_function);
}

int button_Widget::current_button() const
{
    return viewBtn->checkedId() == 1 ? m_top_button->checkedId() : m_side_button->checkedId();
}

void button_Widget::showButtons()
{
    const bool side = mouse_status == 2, top = mouse_status == 1;
    if (side) {
        m_side_button1->show();
        m_side_button2->show();
        m_side_button3->show();
    }
    if (top) {
        m_top_button3->show();
        m_top_button4->show();
        m_top_button5->show();
    }
}

void button_Widget::hideAllMarkers()
{
    for (QAbstractButton *b : m_top_button->buttons())
        b->hide();
    for (QAbstractButton *b : m_side_button->buttons())
        b->hide();
}

void button_Widget::hideMouseButton(int ID, bool checked)
{
    if (ID != 1) return;
    QButtonGroup *leaving = checked ? m_side_button : m_top_button;
    after_status = checked ? 1 : 2;
    for (QAbstractButton *b : leaving->buttons())
        b->hide();
}

void button_Widget::read_button_function(int ID, bool checked)
{
    if (!checked) return;
    send_cmd[0] = 0xb0;
    send_cmd[1] = quint8(ID);
    control_read(send_cmd, button_status);
    qDebug() << "ID:" << ID << ";[4]:" << button_status[4] << ";[5]:" << button_status[5];
}

void button_Widget::read_btn_when_switch(int ID, bool checked)
{
    if (!checked) return;
    const int button = ID == 1 ? m_top_button->checkedId() : m_side_button->checkedId();
    if (button >= 0) // no marker of that view chosen yet: nothing to read
        read_button_function(button, true);
}
