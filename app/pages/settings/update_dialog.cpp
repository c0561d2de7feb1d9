#include "pages/settings/update_dialog.h"
#include "pages/settings/dialog_common.h"
#include "device/kivomouse.h"
#include "view/pictures.h"

#include <QProgressBar>

QString Update_Dialog::warning()
{
    return tr("<p style=\"margin:4px\">升级过程中，请勿开关鼠标或断开USB数据线的连接。"
              "中断升级可能会导致鼠标无法</p>"
              "<p style=\"margin:4px\">使用。固件升级约需要1分钟，在此期间，"
              "鼠标将无法使用。</p>");
}

Update_Dialog::Update_Dialog(QWidget *parent) : QWidget(parent)
{
    using namespace dialog_common;
    decorate(this, QStringLiteral(":/img/update_bg"), tr("固件更新"));
    dg_icon = new QLabel(this);
    dg_icon->setGeometry(487, 250, 122, 122);
    pictures::set_when_shown(dg_icon, QStringLiteral(":/img/update_icon"));
    text_1 = text(this, QStringLiteral("Version:"), QRect(165, 407, 770, 18),
                  QStringLiteral("font-size:18px;color:rgba(255,255,255,0.9)"));
    // The warning is rich text, whose first layout alone costs as much as the
    // rest of the window's building; it is set where the dialog is shown
    // (show_dialog), the one way it ever is.
    text_2 = text(this, QString(), QRect(165, 438, 770, 48),
                  QStringLiteral("font-size:14px;color:rgba(255,255,255,0.3)"));
    start_btn = new QPushButton(tr("开始更新"), this);
    start_btn->setGeometry(450, 507, 200, 36);
    start_btn->setStyleSheet(qss_click_btn);
    close_btn = closeButton(this);
    prog_bar = new QProgressBar(this);
    prog_bar->setGeometry(300, 530, 500, 4);
    prog_bar->setRange(0, 100);
    prog_bar->setValue(0);
    prog_bar->setTextVisible(false);
    prog_bar->setStyleSheet(QStringLiteral("QProgressBar {background-color: #21262c;border: none;}"
                                           "QProgressBar::chunk {background-color: #00e39b}"));
    prog_bar->hide();

    connect(start_btn, &QPushButton::clicked, this, &Update_Dialog::start_update);
    connect(close_btn, &QPushButton::clicked, this, &QWidget::hide);
}

void Update_Dialog::show_dialog()
{
    show();
    close_btn->setEnabled(true);
    dg_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update_icon")));
    text_2->setText(warning());
    start_btn->show();
    prog_bar->hide();
}

void Update_Dialog::start_update()
{
    close_btn->setEnabled(false);
    start_btn->hide();
    prog_bar->show();
    text_1->setText(tr("正在升级固件...0%"));
    emit update_clicked();
}
