#include "platform/mouseaccess.h"

#include "hidraw_scan.h"
#include "device/kivomouse.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace
{
const char kRuleName[] = "70-kivo-z9k.rules";
const unsigned int kControlReportId = 0x4D;

std::string root(const char *name, const char *fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? std::string(value) : std::string(fallback);
}
} // namespace

namespace mouseaccess
{

bool present_but_locked()
{
    const std::string node = velqa_hidraw::findChannelNode(root("VELQA_SYSFS_ROOT", "/sys"),
                                                           root("VELQA_DEV_ROOT", "/dev"), USB_VID,
                                                           USB_PID, kControlReportId);
    if (node.empty()) return false;
    // The effective ids decide, as they do for the library's open().
    if (faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) == 0) return false;
    return errno == EACCES || errno == EPERM;
}

QString rule_file()
{
    // Installed: <prefix>/lib/kivomouse/kivomouse beside <prefix>/lib/udev/rules.d.
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../udev/rules.d/") + QLatin1String(kRuleName);
    if (QFileInfo::exists(installed)) return QFileInfo(installed).canonicalFilePath();
    return QLatin1String(kRuleName);
}

} // namespace mouseaccess
