#ifndef DEVNOTIFY_H
#define DEVNOTIFY_H

// Tells the main window when a HID interface comes or goes. On Windows the
// system posts WM_DEVICECHANGE to the registered window, which forwards each
// native message to handleNativeMessage(); on Linux a udev monitor on the
// hidraw subsystem delivers the same two events by itself.

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

class DeviceNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DeviceNotifier(QObject *parent = nullptr);
    ~DeviceNotifier() override;

    // Registers for HID interface arrivals and removals, addressed to
    // `window` on Windows. On failure returns false and stores the system
    // error code (GetLastError() / errno) in *errorCode when it is given.
    // Calling it again once registered does nothing and returns true.
    bool start(QWidget *window, unsigned long *errorCode);

    // Feed every native message of the window here (from nativeEvent).
    // Device-interface arrivals and removals are emitted; the return value is
    // what nativeEvent should return: always false, so the toolkit goes on
    // with its own processing. Does nothing on Linux.
    bool handleNativeMessage(void *message);

signals:
    void arrival(const QString &interfaceName);
    void removal(const QString &interfaceName);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

#endif // DEVNOTIFY_H
