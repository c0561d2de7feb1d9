// The program's Windows-only logic that needs no Qt, run under wine: a low-level
// keyboard hook's arguments as the shared key procedures take them, which
// device-change messages reach the broadcast reader, and TcharToChar
// (platform/textconv_win.cpp itself, linked in). Prints one line per check; the
// exit code is the number of failed checks.
#include "platform/winmsg_win.h"

#include <windows.h>
#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>

void TcharToChar(const wchar_t *tchar, char *out, size_t size);

namespace
{

int failures = 0;

void check(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok) ++failures;
}

void hook_arguments()
{
    struct Case {
        const char *what;
        int code;
        WPARAM message;
        DWORD vk; // 0xFFFFFFFF: no record at all
        unsigned expectedVkey;
    };
    const Case cases[] = {
        {"key down of A", HC_ACTION, WM_KEYDOWN, 'A', 'A'},
        {"key up of A", HC_ACTION, WM_KEYUP, 'A', 'A'},
        {"system key down of Alt", HC_ACTION, WM_SYSKEYDOWN, VK_LMENU, VK_LMENU},
        {"system key up of F10", HC_ACTION, WM_SYSKEYUP, VK_F10, VK_F10},
        {"a negative hook code is handed on as it is", -1, WM_KEYDOWN, VK_RETURN, VK_RETURN},
        {"a code past the table reaches the procedure, which bounds it", HC_ACTION, WM_KEYDOWN,
         0x1FF, 0x1FF},
        {"no record gives virtual key 0", HC_ACTION, WM_KEYDOWN, 0xFFFFFFFF, 0},
    };
    for (const Case &c : cases) {
        KBDLLHOOKSTRUCT record;
        std::memset(&record, 0xA5, sizeof record); // scan code, flags, time: not read
        record.vkCode = c.vk;
        const LPARAM lParam = c.vk == 0xFFFFFFFF ? 0 : reinterpret_cast<LPARAM>(&record);
        const winmsg::HookKey key = winmsg::hook_key(c.code, c.message, lParam);
        check(key.code == c.code && key.message == unsigned(c.message) &&
                  key.vkey == c.expectedVkey,
              c.what);
    }
}

void device_change_messages()
{
    // A HID interface record as the system builds it: the fixed part, then the
    // interface name up to its terminator.
    const wchar_t name[] = L"\\\\?\\HID#VID_2717&PID_5009&Col03#7&1a2b3c&0&0002#"
                           L"{4d1e55b2-f16f-11cf-88cb-001111000030}";
    alignas(DEV_BROADCAST_DEVICEINTERFACE_W) unsigned char
        buffer[offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + sizeof name];
    std::memset(buffer, 0, sizeof buffer);
    auto *iface = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W *>(buffer);
    iface->dbcc_size = sizeof buffer;
    iface->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(iface->dbcc_name, name, sizeof name);
    const LPARAM record = reinterpret_cast<LPARAM>(buffer);

    struct Case {
        const char *what;
        UINT message;
        WPARAM event;
        LPARAM lParam;
        winmsg::DeviceChange expected;
    };
    const Case cases[] = {
        {"arrival is read", WM_DEVICECHANGE, DBT_DEVICEARRIVAL, record,
         winmsg::DeviceChange::Arrival},
        {"removal is read", WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, record,
         winmsg::DeviceChange::Removal},
        {"a query before removal is not a removal", WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, record,
         winmsg::DeviceChange::None},
        {"a pending removal is not a removal", WM_DEVICECHANGE, DBT_DEVICEREMOVEPENDING, record,
         winmsg::DeviceChange::None},
        {"nodes changed, which carries no record, is ignored", WM_DEVICECHANGE,
         DBT_DEVNODES_CHANGED, 0, winmsg::DeviceChange::None},
        {"an arrival without a record is ignored", WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0,
         winmsg::DeviceChange::None},
        {"another message with the arrival code is ignored", WM_PAINT, DBT_DEVICEARRIVAL, record,
         winmsg::DeviceChange::None},
    };
    for (const Case &c : cases) {
        MSG msg;
        std::memset(&msg, 0, sizeof msg);
        msg.message = c.message;
        msg.wParam = c.event;
        msg.lParam = c.lParam;
        const DEV_BROADCAST_HDR *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(1);
        const winmsg::DeviceChange change = winmsg::device_change(&msg, &header);
        const bool recordOk = c.expected == winmsg::DeviceChange::None
                                  ? header == nullptr
                                  : header == reinterpret_cast<const DEV_BROADCAST_HDR *>(buffer) &&
                                        header->dbch_size == sizeof buffer &&
                                        header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
        check(change == c.expected && recordOk, c.what);
    }
    const DEV_BROADCAST_HDR *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(1);
    check(winmsg::device_change(nullptr, &header) == winmsg::DeviceChange::None &&
              header == nullptr,
          "no message at all is ignored");
}

void text_conversion()
{
    const wchar_t *path = L"\\\\?\\hid#vid_2717&pid_5009&col03#7&1a2b3c&0&0002";
    const size_t length = std::wcslen(path);
    char expected[128];
    for (size_t i = 0; i <= length; ++i)
        expected[i] = char(path[i]);

    struct Case {
        const char *what;
        const wchar_t *source;
        size_t size;  // destination size handed over
        size_t kept;  // bytes of the path expected before the terminator
        bool touched; // whether the destination changes at all
    };
    const Case cases[] = {
        {"a path converts whole", path, 512, length, true},
        {"a path that just fits converts whole", path, length + 1, length, true},
        {"a path one byte too long keeps what fits", path, length, length - 1, true},
        {"a short destination keeps what fits, terminated", path, 8, 7, true},
        {"a one-byte destination gets the empty text", path, 1, 0, true},
        {"no source gives the empty text", nullptr, 16, 0, true},
        {"a destination of size 0 is not written", path, 0, 0, false},
    };
    for (const Case &c : cases) {
        char out[600];
        std::memset(out, '#', sizeof out);
        TcharToChar(c.source, out, c.size);
        bool ok;
        if (!c.touched) {
            ok = out[0] == '#';
        } else {
            ok = std::memcmp(out, expected, c.kept) == 0 && out[c.kept] == '\0';
        }
        // Nothing past the destination.
        ok = ok && out[c.size] == '#';
        check(ok, c.what);
    }
}

} // namespace

int main()
{
    hook_arguments();
    device_change_messages();
    text_conversion();
    std::printf("%d failed\n", failures);
    return failures;
}
