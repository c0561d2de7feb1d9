#include "platform/mouseaccess.h"

namespace mouseaccess
{

bool present_but_locked()
{
    return false; // HID interfaces are open to every user
}

QString rule_file()
{
    return QString();
}

} // namespace mouseaccess
