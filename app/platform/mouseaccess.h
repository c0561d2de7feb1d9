#ifndef MOUSEACCESS_H
#define MOUSEACCESS_H

// Why the mouse could not be opened. On Linux the usual reason is not a
// missing mouse but a /dev/hidraw node that belongs to root because the udev
// rule is not installed (or was installed after the mouse was plugged in).
// Windows has no such state.

#include <QString>

namespace mouseaccess
{

// True when the mouse's control node exists (the same sysfs matching the
// library does, under VELQA_SYSFS_ROOT / VELQA_DEV_ROOT when set) but this user
// may not open it for reading and writing. One sysfs walk; no node is opened.
bool present_but_locked();

// The udev rule's file to copy: the installed one when the program runs from
// its install prefix, else just the rule's file name.
QString rule_file();

} // namespace mouseaccess

#endif
