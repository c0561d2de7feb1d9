// Windows: a low-level keyboard hook for all threads of the desktop. The
// system calls it on the thread that installed it (the GUI thread) through its
// message loop; the capture started last gets each key.
#include "platform/keycapture.h"
#include "platform/winmsg_win.h"

#include <windows.h>

namespace
{

// The shared procedures are written against these message codes.
static_assert(keymsg::KeyDown == WM_KEYDOWN && keymsg::KeyUp == WM_KEYUP, "key messages");
static_assert(keymsg::SysKeyDown == WM_SYSKEYDOWN && keymsg::SysKeyUp == WM_SYSKEYUP,
              "system key messages");

LRESULT CALLBACK low_level_keyboard(int code, WPARAM wParam, LPARAM lParam)
{
    KeyCapture *capture = KeyCapture::current();
    if (!capture) return CallNextHookEx(nullptr, code, wParam, lParam);
    const winmsg::HookKey key = winmsg::hook_key(code, wParam, lParam);
    return LRESULT(capture->procedure()(key.code, key.message, key.vkey));
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
