#ifndef SYSTEM_TRAY_H
#define SYSTEM_TRAY_H

#include <QSystemTrayIcon>

class QAction;
class QMenu;

// The notification-area icon: brings the window back, switches autorun and
// ends the program. The window acts on the two signals.
class SystemTray : public QSystemTrayIcon
{
    Q_OBJECT
public:
    explicit SystemTray(QObject *parent = nullptr);
    ~SystemTray() override;

    // Each battery level read from the mouse (a failed read is not one). At 15 %
    // or less the user is told once, until a level above 20 % has been read.
    void battery_level(int percent);

signals:
    void sys_openClicked();
    void sys_setAutorun(bool Autorun);
    void low_battery_shown(int percent); // after the notification went out

private:
    void createAction();
    void translateLanguage();

    QMenu *tray_menu = nullptr; // no parent: a menu cannot be a child of a non-widget
    QAction *action_open = nullptr;
    QAction *action_autorun = nullptr;
    QAction *action_logout = nullptr;
    bool low_battery_told = false;
};

#endif // SYSTEM_TRAY_H
