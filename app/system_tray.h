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

signals:
    void sys_openClicked();
    void sys_setAutorun(bool Autorun);

private:
    void createAction();
    void translateLanguage();

    QMenu *tray_menu = nullptr; // no parent: a menu cannot be a child of a non-widget
    QAction *action_open = nullptr;
    QAction *action_autorun = nullptr;
    QAction *action_logout = nullptr;
};

#endif // SYSTEM_TRAY_H
