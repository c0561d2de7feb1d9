#include "device/kivomouse.h"

#include <windows.h>

#include <cstring>
#include <vector>

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
    // Too long for the destination: keep what fits, still terminated. A short
    // buffer makes the call fail outright, so convert whole and cut the copy.
    std::vector<char> whole(size_t(need), '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, tchar, -1, whole.data(), need, nullptr, nullptr);
    if (n <= 0) return;
    std::memcpy(out, whole.data(), size - 1);
    out[size - 1] = '\0';
}
