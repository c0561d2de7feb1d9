#include "platform/windrag.h"

#include <QWidget>
#include <windows.h>

bool start_window_drag(QWidget *window)
{
    if (!ReleaseCapture()) return false;
    // SC_MOVE + HTCAPTION: move the window as if its caption were dragged.
    SendMessageW(reinterpret_cast<HWND>(window->winId()), WM_SYSCOMMAND, 0xF012, 0);
    return true;
}
