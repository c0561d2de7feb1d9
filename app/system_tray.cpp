#include "system_tray.h"
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
    setIcon(QIcon(QStringLiteral(":/img/SysTrayIcon")));

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

void SystemTray::translateLanguage()
{
    setToolTip(tr("Kivo游戏鼠标"));
    action_open->setText(tr("显示"));
    action_autorun->setText(tr("开机自启动"));
    action_logout->setText(tr("退出"));
}
