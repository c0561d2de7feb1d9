// Windows: a low-level keyboard hook for all threads of the desktop. The
// system calls it on the thread that installed it (the GUI thread) through its
// message loop; the capture started last gets each key.
#include "platform/keycapture.h"

#include <windows.h>

namespace
{

LRESULT CALLBACK low_level_keyboard(int code, WPARAM wParam, LPARAM lParam)
{
    KeyCapture *capture = KeyCapture::current();
    if (!capture) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto *record = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
    const unsigned vkey = record ? unsigned(record->vkCode) : 0u;
    return LRESULT(capture->procedure()(code, unsigned(wParam), vkey));
}

} // namespace

bool KeyCapture::platformStart()
{
    // Type 13 is WH_KEYBOARD_LL; thread 0 means every thread of the desktop.
    HHOOK hook = SetWindowsHookExW(13, low_level_keyboard, GetModuleHandleW(nullptr), 0);
    m_hook = hook;
    return hook != nullptr;
}

void KeyCapture::platformStop()
{
    if (m_hook) UnhookWindowsHookEx(static_cast<HHOOK>(m_hook));
    m_hook = nullptr;
}
