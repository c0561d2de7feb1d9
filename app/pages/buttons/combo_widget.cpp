#include "pages/buttons/combo_widget.h"
#include "device/kivomouse.h"
#include "pages/buttons/mkey_edit.h"

#include <QLabel>
#include <QRadioButton>

namespace
{
QRadioButton *comboRadio(QWidget *parent, const QString &text, int x, int y)
{
    auto *b = new QRadioButton(text, parent);
    b->setGeometry(x, y, 250, 16);
    b->setStyleSheet(qss_radiobutton_16x16);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
} // namespace

combo_Widget::combo_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 250);
    combo1 = comboRadio(this, tr("关闭窗口(ALT+F4)"), 110, 0);
    combo2 = comboRadio(this, tr("显示桌面(WIN+D)"), 110, 36);
    combo7 = comboRadio(this, tr("撤销(Ctrl+Z)"), 110, 72);
    combo4 = comboRadio(this, tr("浏览器中的上一个标签(Ctrl+Shift+Tab)"), 360, 0);
    combo3 = comboRadio(this, tr("浏览器中的下一个标签(Ctrl+Tab)"), 360, 36);
    combo8 = comboRadio(this, tr("重做(Ctrl+Y)"), 360, 72);
    combo5 = comboRadio(this, tr("剪切(Ctrl+X)"), 690, 0);
    combo9 = comboRadio(this, tr("复制(Ctrl+C)"), 690, 36);
    combo6 = comboRadio(this, tr("粘贴(Ctrl+V)"), 690, 72);

    mkey_title = new QLabel(tr("自定义组合键"), this);
    mkey_title->setGeometry(110, 110, 100, 20);
    mkey_title->setStyleSheet(text_12px);

    mkey_editor = new mkey_Edit(this);
    mkey_editor->setGeometry(110, 140, 500, 30);
}
