#include "pages/buttons/button_widget.h"
#include "pages/buttons/combo_widget.h"
#include "pages/buttons/func_widget.h"
#include "device/kivomouse.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"

#include <cstring>

#include <QButtonGroup>
#include <QDebug>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

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

    topViewButton = roundButton(this, tr("正"), 193);
    sideViewButton = roundButton(this, tr("侧"), 255);
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

    nav_func = page_tab(this, tr("功能键"), 310);
    nav_combo = page_tab(this, tr("组合键"), 410);
    nav_micro = page_tab(this, tr("按键宏"), 510);
    nav_func->setChecked(true);
    nav_btn_grp = new QButtonGroup(this);
    nav_btn_grp->addButton(nav_func, 0);
    nav_btn_grp->addButton(nav_combo, 1);
    nav_btn_grp->addButton(nav_micro, 2);

    btn_cfg_area = new QStackedWidget(this);
    btn_cfg_area->setGeometry(0, 500, 920, 250);
    func_area = new func_Widget;
    combo_area = new combo_Widget;
    micro_area = new micro_Widget;
    btn_cfg_area->addWidget(func_area);
    btn_cfg_area->addWidget(combo_area);
    btn_cfg_area->addWidget(micro_area);
    btn_cfg_area->setCurrentIndex(0);
    connect(nav_btn_grp, &QButtonGroup::idToggled, btn_cfg_area, &QStackedWidget::setCurrentIndex);

    func_btn_grp = new QButtonGroup(this);
    func_btn_grp->addButton(func_area->function1, 1);
    func_btn_grp->addButton(func_area->function2, 2);
    func_btn_grp->addButton(func_area->function3, 3);
    func_btn_grp->addButton(func_area->function4, 4);
    func_btn_grp->addButton(func_area->function5, 5);
    func_btn_grp->addButton(func_area->function6, 6);
    func_btn_grp->addButton(func_area->function7, 7);
    func_btn_grp->addButton(func_area->function8, 8);
    combo_btn_grp = new QButtonGroup(this);
    combo_btn_grp->addButton(combo_area->combo1, 1);
    combo_btn_grp->addButton(combo_area->combo2, 2);
    combo_btn_grp->addButton(combo_area->combo3, 3);
    combo_btn_grp->addButton(combo_area->combo4, 4);
    combo_btn_grp->addButton(combo_area->combo5, 5);
    combo_btn_grp->addButton(combo_area->combo6, 6);
    combo_btn_grp->addButton(combo_area->combo7, 7);
    combo_btn_grp->addButton(combo_area->combo8, 8);
    combo_btn_grp->addButton(combo_area->combo9, 9);
    combo_btn_grp->addButton(func_area->volup, 10);
    combo_btn_grp->addButton(func_area->voldown, 11);
    combo_btn_grp->addButton(func_area->volmute, 12);
    connect(func_btn_grp, &QButtonGroup::idToggled, this, &button_Widget::set_button_function);
    connect(combo_btn_grp, &QButtonGroup::idToggled, this, &button_Widget::set_button_function);
    connect(combo_area->mkey_editor, &mkey_Edit::mkey_save_clicked, this,
            &button_Widget::set_mkey_function);
    connect(micro_area->save_micro, &QPushButton::clicked, this,
            &button_Widget::set_micro_function);

    // The window's view animation first hides the markers, then runs.
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
    show_button_function(fetch_button_function(ID));
}

button_Widget::ButtonReading button_Widget::fetch_button_function(int ID)
{
    ButtonReading r;
    send_cmd[0] = 0xb0;
    send_cmd[1] = quint8(ID);
    control_read(send_cmd, button_status);
    std::memcpy(r.status, button_status, sizeof r.status);
    qDebug() << "ID:" << ID << ";[4]:" << int(r.status[4]) << ";[5]:" << int(r.status[5]);
    // Kind 2: the macro bound to the button, over the configuration channel.
    if (r.status[4] == 2) micro_Widget::fetch_macro(ID, r.status[6] * 256 + r.status[7], &r.macro);
    return r;
}

void button_Widget::show_button_function(const ButtonReading &r)
{
    const int kind = r.status[4], code = r.status[5];
    QSignalBlocker blockFunc(func_btn_grp), blockCombo(combo_btn_grp);
    switch (kind) {
    case 0:
        // Code 0 is what a silent mouse leaves (a zeroed reply): no function.
        // A code the page does not know changes nothing.
        if (code > 8) break;
        if (code == 0)
            uncheckAll(func_btn_grp);
        else
            func_btn_grp->button(code)->setChecked(true);
        uncheckAll(combo_btn_grp);
        nav_func->setChecked(true);
        micro_area->records_list->clear();
        break;
    case 1:
        if (code > 12) break;
        if (code == 0) {
            mkey_Edit *editor = combo_area->mkey_editor;
            editor->control_key = r.status[6];
            editor->key_ascii = hidtovkey(r.status[7]);
            editor->show_mkey();
            uncheckAll(func_btn_grp);
            uncheckAll(combo_btn_grp);
            nav_combo->setChecked(true);
        } else {
            combo_btn_grp->button(code)->setChecked(true);
            uncheckAll(func_btn_grp);
            (code >= 10 ? nav_func : nav_combo)->setChecked(true);
        }
        micro_area->records_list->clear();
        break;
    case 2:
        nav_micro->setChecked(true);
        micro_area->show_macro(r.status[5] != 0, r.macro);
        uncheckAll(func_btn_grp);
        uncheckAll(combo_btn_grp);
        break;
    default:
        break; // an assignment this page cannot show: leave everything as it is
    }
}

void button_Widget::read_btn_when_switch(int ID, bool checked)
{
    if (!checked) return;
    const int button = ID == 1 ? m_top_button->checkedId() : m_side_button->checkedId();
    if (button >= 0) // no marker of that view chosen yet: nothing to read
        read_button_function(button, true);
}

void button_Widget::uncheckAll(QButtonGroup *group)
{
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

void button_Widget::set_button_function(int ID, bool checked)
{
    if (!checked) return;
    const int button = current_button();
    if (button < 0) return; // no button chosen yet: nothing to assign to
    QSignalBlocker blockFunc(func_btn_grp), blockCombo(combo_btn_grp);
    send_cmd[0] = 0xb1;
    send_cmd[1] = quint8(button);
    send_cmd[3] = quint8(ID);
    if (sender() == func_btn_grp) {
        uncheckAll(combo_btn_grp);
        send_cmd[2] = 0;
    } else {
        uncheckAll(func_btn_grp);
        send_cmd[2] = 1;
    }
    m_WriteControl(31, send_cmd);
}

void button_Widget::set_mkey_function()
{
    const int button = current_button();
    if (button < 0) return;
    const mkey_Edit *editor = combo_area->mkey_editor;
    // Not validated: an empty editor sends modifier 0 and usage 0.
    send_cmd[0] = 0xb1;
    send_cmd[1] = quint8(button);
    send_cmd[2] = 1;
    send_cmd[3] = 0;
    send_cmd[4] = editor->control_key;
    send_cmd[5] = vkeytohid(editor->key_ascii);
    {
        QSignalBlocker blockFunc(func_btn_grp), blockCombo(combo_btn_grp);
        uncheckAll(func_btn_grp);
        uncheckAll(combo_btn_grp);
    }
    m_WriteControl(31, send_cmd);
}

void button_Widget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(255, 255, 255, 15));
    p.drawLine(110, 470, 810, 470);
    p.setPen(QColor(255, 255, 255, 77));
    p.drawLine(410, 442, 410, 452);
    p.drawLine(510, 442, 510, 452);
}

// ---- macro assignment --------------------------------------------------------
// Reading and binding a recorded macro; the recorder (micro_Widget) carries
// the transfers over the configuration channel.

void button_Widget::set_micro_function()
{
    const int button = current_button();
    if (button < 0) return;
    {
        QSignalBlocker blockFunc(func_btn_grp), blockCombo(combo_btn_grp);
        uncheckAll(func_btn_grp);
        uncheckAll(combo_btn_grp);
    }
    micro_area->upload_macro(button);
}
