#include "disconnect_widget.h"

#include <QLabel>
#include <QPixmap>

disconnect_Widget::disconnect_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    // The page sits right of the 180-pixel navigation column, so it shows
    // that part of the window's background.
    const QPixmap background = QPixmap(QStringLiteral(":/img/background")).copy(180, 0, 920, 750);
    QLabel *backgroundLabel = new QLabel(this);
    backgroundLabel->setPixmap(background);
    backgroundLabel->setGeometry(0, 0, background.width(), background.height());

    QLabel *status = new QLabel(QStringLiteral("未检测到设备"), this);
    status->setGeometry(0, 0, 920, 375);
    status->setStyleSheet(QStringLiteral("font-size:24px;color:rgba(255,255,255,0.9)"));
    status->setAlignment(Qt::AlignBottom | Qt::AlignHCenter);

    QLabel *instruction = new QLabel(QStringLiteral("请检查Kivo鼠标是否插入"), this);
    instruction->setGeometry(0, 376, 920, 750);
    instruction->setStyleSheet(QStringLiteral("font-size:16px;color:rgba(255,255,255,0.3)"));
    instruction->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
}
