#include "device/kivomouse.h"

#include <windows.h>

void TcharToChar(const wchar_t *tchar, char *out, size_t size)
{
    if (!out || size == 0) return;
    out[0] = '\0';
    if (!tchar) return;
    int need = WideCharToMultiByte(CP_ACP, 0, tchar, -1, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return;
    if (size_t(need) <= size) {
        WideCharToMultiByte(CP_ACP, 0, tchar, -1, out, need, nullptr, nullptr);
        return;
    }
    // Too long for the destination: keep what fits, still terminated.
    int n = WideCharToMultiByte(CP_ACP, 0, tchar, -1, out, int(size - 1), nullptr, nullptr);
    out[n > 0 ? n : 0] = '\0';
    out[size - 1] = '\0';
}
