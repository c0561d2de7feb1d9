#include "window/disconnect_widget.h"
#include "view/pictures.h"

#include <QFileInfo>
#include <QLabel>

disconnect_Widget::disconnect_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    // The page sits right of the 180-pixel navigation column, so it shows
    // that part of the window's background.
    auto *backdrop = new Backdrop(this, QPoint(180, 0));
    backdrop->setGeometry(0, 0, 920, 750);

    QLabel *status = new QLabel(tr("未检测到设备"), this);
    status->setGeometry(0, 0, 920, 375);
    status->setStyleSheet(QStringLiteral("font-size:24px;color:rgba(255,255,255,0.9)"));
    status->setAlignment(Qt::AlignBottom | Qt::AlignHCenter);

    instruction = new QLabel(tr("请检查Kivo鼠标是否插入"), this);
    instruction->setGeometry(0, 376, 920, 750);
    instruction->setStyleSheet(QStringLiteral("font-size:16px;color:rgba(255,255,255,0.3)"));
    instruction->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
}

void disconnect_Widget::show_plug_instruction()
{
    instruction->setText(tr("请检查Kivo鼠标是否插入"));
}

void disconnect_Widget::show_access_hint(const QString &ruleFile)
{
    const QString name = QFileInfo(ruleFile).fileName();
    instruction->setText(tr("已检测到Kivo鼠标，但当前用户无权访问：缺少udev规则 %1\n"
                            "安装规则后重新插入鼠标：\n"
                            "sudo cp %2 /etc/udev/rules.d/\n"
                            "sudo udevadm control --reload && sudo udevadm trigger")
                             .arg(name, ruleFile));
}
