#include "platform/devnotify.h"
#include "platform/devbroadcast.h"
#include "platform/winmsg_win.h"

#include <QWidget>

#include <windows.h>
#include <dbt.h>

struct DeviceNotifier::Impl {
    HDEVNOTIFY handle = nullptr;
};

// The filter record registered below is the 32-byte form the system expects.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "unexpected broadcast record size");
static_assert(devbroadcast::wm_devicechange == WM_DEVICECHANGE, "message code");
static_assert(devbroadcast::dbt_devicearrival == DBT_DEVICEARRIVAL, "arrival code");
static_assert(devbroadcast::dbt_deviceremovecomplete == DBT_DEVICEREMOVECOMPLETE, "removal code");
static_assert(devbroadcast::dbt_devtyp_deviceinterface == DBT_DEVTYP_DEVICEINTERFACE,
              "device type");
static_assert(devbroadcast::name_offset == offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name),
              "name offset");

DeviceNotifier::DeviceNotifier(QObject *parent) : QObject(parent), d(new Impl) {}

DeviceNotifier::~DeviceNotifier()
{
    if (d->handle) UnregisterDeviceNotification(d->handle);
}

bool DeviceNotifier::start(QWidget *window, unsigned long *errorCode)
{
    if (errorCode) *errorCode = 0;
    if (d->handle) return true;
    if (!window) {
        if (errorCode) *errorCode = ERROR_INVALID_WINDOW_HANDLE;
        return false;
    }

    // The HID interface class, the value HidD_GetHidGuid returns; written out
    // so that registering needs no HID library.
    static const GUID hidClass = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = hidClass;
    filter.dbcc_name[0] = L'\0';

    const HWND hwnd = reinterpret_cast<HWND>(window->winId());
    d->handle = RegisterDeviceNotificationW(hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!d->handle) {
        if (errorCode) *errorCode = GetLastError();
        return false;
    }
    return true;
}

bool DeviceNotifier::handleNativeMessage(void *message)
{
    const DEV_BROADCAST_HDR *header = nullptr;
    const winmsg::DeviceChange change =
        winmsg::device_change(static_cast<const MSG *>(message), &header);
    if (change == winmsg::DeviceChange::None) return false;

    // The record says how long it is; the reader stays inside that length.
    devbroadcast::DeviceInterface info;
    if (!devbroadcast::read_device_interface(header, header->dbch_size, &info)) return false;

    if (change == winmsg::DeviceChange::Arrival)
        emit arrival(info.name);
    else
        emit removal(info.name);
    return false;
}
