#include "pages/buttons/func_widget.h"
#include "device/kivomouse.h"

#include <QRadioButton>

namespace
{
QRadioButton *gridRadio(QWidget *parent, const QString &text, int column, int row)
{
    auto *b = new QRadioButton(text, parent);
    b->setGeometry(151 + 132 * column, 36 * row, 100, 16);
    b->setStyleSheet(qss_radiobutton_16x16);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
} // namespace

func_Widget::func_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 250);
    function1 = gridRadio(this, tr("单击左键"), 0, 0);
    function2 = gridRadio(this, tr("单击右键"), 1, 0);
    function3 = gridRadio(this, tr("单击中键"), 2, 0);
    function4 = gridRadio(this, tr("鼠标后退"), 3, 0);
    function5 = gridRadio(this, tr("鼠标前进"), 4, 0);
    function6 = gridRadio(this, tr("提高DPI"), 0, 1);
    function7 = gridRadio(this, tr("降低DPI"), 1, 1);
    function8 = gridRadio(this, tr("切换DPI"), 2, 1);
    volup = gridRadio(this, tr("音量增大"), 3, 1);
    voldown = gridRadio(this, tr("音量减小"), 4, 1);
    volmute = gridRadio(this, tr("静音切换"), 0, 2);
}
