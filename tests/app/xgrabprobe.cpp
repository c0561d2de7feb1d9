// Asks the X server, as another client would, whether it may take the keyboard.
// Kept apart from the Qt code: the X11 headers define words Qt uses.
#include "xgrabprobe.h"

#include <X11/Xlib.h>

int probe_keyboard_grab()
{
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) return -1;
    const int status = XGrabKeyboard(dpy, DefaultRootWindow(dpy), False, GrabModeAsync,
                                     GrabModeAsync, CurrentTime);
    if (status == GrabSuccess) XUngrabKeyboard(dpy, CurrentTime);
    XCloseDisplay(dpy);
    return status == GrabSuccess      ? ProbeGrabbed
           : status == AlreadyGrabbed ? ProbeRefused
                                      : ProbeOther;
}
