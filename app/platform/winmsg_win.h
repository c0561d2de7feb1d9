// Windows only: how the platform files read what the system hands them (a
// low-level keyboard hook's arguments, a device-change message). Free of Qt,
// so that a console test built with mingw-w64 runs the same code under wine.
#ifndef WINMSG_WIN_H
#define WINMSG_WIN_H

#include <windows.h>
#include <dbt.h>

namespace winmsg
{

// One call of a WH_KEYBOARD_LL hook as the shared key procedures take it.
struct HookKey {
    int code;         // hook code as given (0 = an action)
    unsigned message; // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
    unsigned vkey;    // virtual-key code of the record; 0 without one
};

inline HookKey hook_key(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *record = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
    return HookKey{code, unsigned(wParam), record ? unsigned(record->vkCode) : 0u};
}

enum class DeviceChange { None, Arrival, Removal };

// Whether `msg` announces that a device arrived or was removed, and its
// broadcast record (the header; the record's own size says how far it goes).
// Every other message or event, and one without a record, is None.
inline DeviceChange device_change(const MSG *msg, const DEV_BROADCAST_HDR **record)
{
    if (record) *record = nullptr;
    if (!msg || msg->message != WM_DEVICECHANGE) return DeviceChange::None;
    if (msg->wParam != DBT_DEVICEARRIVAL && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
        return DeviceChange::None;
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
    if (!header) return DeviceChange::None;
    if (record) *record = header;
    return msg->wParam == DBT_DEVICEARRIVAL ? DeviceChange::Arrival : DeviceChange::Removal;
}

} // namespace winmsg

#endif // WINMSG_WIN_H
