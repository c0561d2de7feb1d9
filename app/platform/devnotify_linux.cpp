#include "platform/devnotify.h"
#include "platform/devbroadcast.h"

#include <QSocketNotifier>
#include <cerrno>
#include <libudev.h>

struct DeviceNotifier::Impl {
    struct udev *udev = nullptr;
    struct udev_monitor *monitor = nullptr;
    QSocketNotifier *notifier = nullptr;

    void release()
    {
        delete notifier;
        notifier = nullptr;
        if (monitor) udev_monitor_unref(monitor);
        monitor = nullptr;
        if (udev) udev_unref(udev);
        udev = nullptr;
    }
};

DeviceNotifier::DeviceNotifier(QObject *parent) : QObject(parent), d(new Impl) {}

DeviceNotifier::~DeviceNotifier()
{
    d->release();
}

bool DeviceNotifier::start(QWidget *window, unsigned long *errorCode)
{
    Q_UNUSED(window) // udev needs no recipient window
    if (errorCode) *errorCode = 0;
    if (d->notifier) return true;

    // libudev reports failure through errno or a negative return; keep a
    // non-zero code even when neither says why.
    auto fail = [&](int code) {
        if (errorCode) *errorCode = static_cast<unsigned long>(code > 0 ? code : EIO);
        d->release();
        return false;
    };

    errno = 0;
    d->udev = udev_new();
    if (!d->udev) return fail(errno ? errno : ENOMEM);

    // "udev" rather than "kernel": events come after udev has created the
    // node, so an arrival can be opened straight away.
    errno = 0;
    d->monitor = udev_monitor_new_from_netlink(d->udev, "udev");
    if (!d->monitor) return fail(errno);
    int rc = udev_monitor_filter_add_match_subsystem_devtype(d->monitor, "hidraw", nullptr);
    if (rc < 0) return fail(-rc);
    rc = udev_monitor_enable_receiving(d->monitor);
    if (rc < 0) return fail(-rc);
    const int fd = udev_monitor_get_fd(d->monitor);
    if (fd < 0) return fail(-fd);

    d->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] {
        // The socket is non-blocking: drain whatever is queued.
        while (struct udev_device *dev = udev_monitor_receive_device(d->monitor)) {
            const devbroadcast::Change change =
                devbroadcast::change_from_udev_action(udev_device_get_action(dev));
            const QString name = devbroadcast::udev_interface_name(udev_device_get_devnode(dev),
                                                                   udev_device_get_sysname(dev));
            udev_device_unref(dev);
            if (name.isEmpty()) continue;
            if (change == devbroadcast::Change::Arrival)
                emit arrival(name);
            else if (change == devbroadcast::Change::Removal)
                emit removal(name);
        }
    });
    return true;
}

bool DeviceNotifier::handleNativeMessage(void *message)
{
    Q_UNUSED(message)
    return false;
}
