/* Windows backend of velqa: SetupAPI to find the mouse's HID collections, the HID
 * class driver's control-pipe calls to move reports, overlapped reads for replies. */
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}

#include "velqa.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace
{

constexpr DWORD kPathChars = 260; // MAX_PATH: 259 characters plus the terminator

struct Channel {
    HANDLE handle;
    unsigned char reportId;
    DWORD reportSize;
    const wchar_t *collection; // system interface paths are lower case; matched case-sensitively
};

Channel g_control = {INVALID_HANDLE_VALUE, VELQA_CONTROL_REPORT_ID, VELQA_CONTROL_REPORT_SIZE,
                     L"&col03"};
Channel g_config = {INVALID_HANDLE_VALUE, VELQA_CONFIG_REPORT_ID, VELQA_CONFIG_REPORT_SIZE,
                    L"&col02"};
wchar_t g_controlPath[kPathChars];

bool isOpen(const Channel &ch)
{
    return ch.handle != INVALID_HANDLE_VALUE && ch.handle != nullptr;
}

// Some HID calls fail without setting a code; a failure must never read as 0 (success).
unsigned int lastError()
{
    const DWORD err = GetLastError();
    return err != ERROR_SUCCESS ? static_cast<unsigned int>(err)
                                : static_cast<unsigned int>(ERROR_GEN_FAILURE);
}

// Copies the interface path into out (kPathChars); false when it does not fit whole,
// since a cut path would name another interface or none.
bool copyDetailPath(const SP_DEVICE_INTERFACE_DETAIL_DATA_W *detail, DWORD detailBytes,
                    wchar_t *out)
{
    const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    if (detailBytes <= offset) return false;
    const size_t available = (detailBytes - offset) / sizeof(wchar_t);
    size_t n = 0;
    while (n < available && detail->DevicePath[n] != L'\0')
        ++n;
    if (n == available || n >= kPathChars) // unterminated, or too long for the buffer
        return false;
    std::wmemcpy(out, detail->DevicePath, n);
    out[n] = L'\0';
    return true;
}

bool openChannel(Channel &ch, USHORT vid, USHORT pid, wchar_t *pathOut)
{
    // A reopen closes the earlier handle rather than leaking it.
    if (isOpen(ch)) CloseHandle(ch.handle);
    ch.handle = INVALID_HANDLE_VALUE;

    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;

    wchar_t path[kPathChars];
    bool opened = false;
    SP_DEVICE_INTERFACE_DATA iface;
    iface.cbSize = sizeof iface;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &iface);
         ++index) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        auto *detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(std::malloc(required));
        if (!detail) break; // out of memory: give up as if nothing matched
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        const bool filled =
            SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, nullptr, nullptr);
        const bool fits = filled && copyDetailPath(detail, required, path);
        std::free(detail);
        if (!fits) continue;

        // A query-only probe reads the ids without needing access to the device.
        HANDLE probe = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) continue;
        HIDD_ATTRIBUTES attrs;
        attrs.Size = sizeof attrs;
        const bool haveAttrs = HidD_GetAttributes(probe, &attrs) != FALSE;
        CloseHandle(probe);
        if (!haveAttrs || attrs.VendorID != vid || attrs.ProductID != pid ||
            !std::wcsstr(path, ch.collection))
            continue;

        // First match wins, whether or not it opens.
        HANDLE h =
            CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ch.handle = h;
            opened = true;
            if (pathOut) std::wcscpy(pathOut, path);
        }
        break;
    }
    SetupDiDestroyDeviceInfoList(set);
    return opened;
}

velqa_bool closeChannel(Channel &ch)
{
    // Never hand a stale or invalid value to CloseHandle: it may belong to someone else now.
    if (!isOpen(ch)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const BOOL ok = CloseHandle(ch.handle);
    ch.handle = INVALID_HANDLE_VALUE;
    return ok;
}

unsigned int writeReport(Channel &ch, int len, const unsigned char *buf)
{
    if (!isOpen(ch)) return ERROR_INVALID_HANDLE;
    if (!buf || len < 1 || static_cast<DWORD>(len) > ch.reportSize - 1)
        return ERROR_INVALID_PARAMETER;
    // Older queued reports would otherwise be taken for the reply to this command.
    HidD_FlushQueue(ch.handle);
    unsigned char report[VELQA_CONFIG_REPORT_SIZE] = {};
    report[0] = ch.reportId;
    std::memcpy(report + 1, buf, static_cast<size_t>(len));
    if (!HidD_SetOutputReport(ch.handle, report, ch.reportSize)) return lastError();
    return 0;
}

velqa_bool readReport(Channel &ch, int len, unsigned char *buf)
{
    if (!buf || len <= 0) return FALSE;
    std::memset(buf, 0, static_cast<size_t>(len));
    if (!isOpen(ch)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event) return FALSE;

    // The read lands in a report-sized buffer of our own: the HID driver wants whole
    // reports, and the caller's len may be smaller than one.
    unsigned char report[VELQA_CONFIG_REPORT_SIZE] = {};
    OVERLAPPED ov = {};
    ov.hEvent = event;
    DWORD received = 0;
    bool ok = false;
    // A read that completes with an error (the mouse pulled mid-read) is a failure,
    // not a reply of zeros: the caller's retry then reopens the device.
    if (ReadFile(ch.handle, report, ch.reportSize, nullptr, &ov)) {
        ok = GetOverlappedResult(ch.handle, &ov, &received, FALSE) != FALSE;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(event, VELQA_READ_TIMEOUT_MS) == WAIT_OBJECT_0) {
            ok = GetOverlappedResult(ch.handle, &ov, &received, FALSE) != FALSE;
        } else {
            // Late completion must not write into ov or report once we have returned:
            // cancel, then wait until the driver is done with both.
            CancelIoEx(ch.handle, &ov);
            GetOverlappedResult(ch.handle, &ov, &received, TRUE);
        }
    }
    CloseHandle(event);
    if (!ok) return FALSE;
    const size_t n = received < static_cast<DWORD>(len) ? received : static_cast<size_t>(len);
    std::memcpy(buf, report, n);
    return TRUE;
}

unsigned int requestInputReport(Channel &ch, int len, const unsigned char *buf)
{
    if (!isOpen(ch)) return ERROR_INVALID_HANDLE;
    if (!buf || len < 1 || static_cast<DWORD>(len) > ch.reportSize - 1)
        return ERROR_INVALID_PARAMETER;
    unsigned char report[VELQA_CONFIG_REPORT_SIZE] = {};
    report[0] = ch.reportId;
    std::memcpy(report + 1, buf, static_cast<size_t>(len));
    if (!HidD_GetInputReport(ch.handle, report, static_cast<ULONG>(len) + 1)) return lastError();
    return 0;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

wchar_t *OpenDevice(unsigned short vid, unsigned short pid)
{
    if (!openChannel(g_control, vid, pid, g_controlPath)) {
        g_controlPath[0] = L'\0';
        return nullptr;
    }
    return g_controlPath;
}

velqa_bool CloseDevice(void)
{
    return closeChannel(g_control);
}
unsigned int WrtieControl(int len, unsigned char *buf)
{
    return writeReport(g_control, len, buf);
}
unsigned int ReadControl(int len, unsigned char *buf)
{
    return requestInputReport(g_control, len, buf);
}
velqa_bool ReadData(int len, unsigned char *buf)
{
    return readReport(g_control, len, buf);
}

velqa_bool OpenConfigDevice(unsigned short vid, unsigned short pid)
{
    return openChannel(g_config, vid, pid, nullptr) ? TRUE : FALSE;
}
velqa_bool CloseConfigDevice(void)
{
    return closeChannel(g_config);
}
unsigned int WrtieConfig(int len, unsigned char *buf)
{
    return writeReport(g_config, len, buf);
}
unsigned int ReadConfig(int len, unsigned char *buf)
{
    return requestInputReport(g_config, len, buf);
}
velqa_bool ReadConfigData(int len, unsigned char *buf)
{
    return readReport(g_config, len, buf);
}

} // extern "C"
