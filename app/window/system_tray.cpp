#include "window/system_tray.h"
#include "view/pictures.h"
#include "platform/autorun.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>

SystemTray::SystemTray(QObject *parent) : QSystemTrayIcon(parent)
{
    createAction();
    translateLanguage();
}

SystemTray::~SystemTray()
{
    delete tray_menu;
}

void SystemTray::createAction()
{
    setIcon(pictures::icon(QStringLiteral(":/img/SysTrayIcon")));

    tray_menu = new QMenu();
    action_open = new QAction(this);
    action_autorun = new QAction(this);
    action_autorun->setCheckable(true);
    action_logout = new QAction(this);
    tray_menu->addAction(action_open);
    tray_menu->addAction(action_autorun);
    tray_menu->addAction(action_logout);
    setContextMenu(tray_menu);

    // Mirror the stored state before anything listens, so that showing it
    // writes nothing back.
    action_autorun->setChecked(autorun::is_enabled());

    connect(action_open, &QAction::triggered, this, &SystemTray::sys_openClicked);
    connect(action_logout, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(action_autorun, &QAction::toggled, this, &SystemTray::sys_setAutorun);
}

void SystemTray::battery_level(int percent)
{
    if (percent < 0 || percent > 100) return; // not a charge; changes nothing
    if (percent > 20) {
        low_battery_told = false;
        return;
    }
    // The gap between 15 and 20 keeps a level wobbling at the threshold from
    // notifying again and again.
    if (percent > 15 || low_battery_told) return;
    low_battery_told = true;
    showMessage(tr("Kivo游戏鼠标"), tr("鼠标电量低：%1%，请及时充电").arg(percent),
                QSystemTrayIcon::Information);
    emit low_battery_shown(percent);
}

void SystemTray::translateLanguage()
{
    setToolTip(tr("Kivo游戏鼠标"));
    action_open->setText(tr("显示"));
    action_autorun->setText(tr("开机自启动"));
    action_logout->setText(tr("退出"));
}
