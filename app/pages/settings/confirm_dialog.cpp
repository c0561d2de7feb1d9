#include "pages/settings/confirm_dialog.h"
#include "pages/settings/dialog_common.h"
#include "device/kivomouse.h"

Confirm_Dialog::Confirm_Dialog(QWidget *parent) : QWidget(parent)
{
    using namespace dialog_common;
    decorate(this, QStringLiteral(":/img/reset_confirm"), tr("恢复出厂设置"));
    text(this, tr("鼠标将恢复出厂设置"), QRect(165, 407, 770, 18),
         QStringLiteral("font-size:18px;color:rgba(255,255,255,0.9)"));
    text(this, tr("此操作不可逆转，是否进行操作"), QRect(165, 438, 770, 14),
         QStringLiteral("font-size:14px;color:rgba(255,255,255,0.3)"));
    confirm_btn = new QPushButton(tr("确认"), this);
    confirm_btn->setGeometry(450, 507, 94, 36);
    confirm_btn->setStyleSheet(qss_click_btn);
    cancel_btn = new QPushButton(tr("取消"), this);
    cancel_btn->setGeometry(556, 507, 94, 36);
    cancel_btn->setStyleSheet(qss_click_btn);
    close_btn = closeButton(this);

    connect(confirm_btn, &QPushButton::clicked, this, [this] {
        emit confirm_clicked();
        hide();
    });
    connect(cancel_btn, &QPushButton::clicked, this, &QWidget::hide);
    connect(close_btn, &QPushButton::clicked, this, &QWidget::hide);
}
