// What the update check reads from strangers, apart from any network or file:
// the manifest the server sends and the names of downloaded programs found in
// the current directory at start.
#ifndef UPDATERULES_H
#define UPDATERULES_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace updaterules
{

// Versions are the unsigned numbers the manifest and the mouse carry.
struct Offer {
    bool understood = false; // a manifest of four lines or more: it says what is on offer
    bool app = false;        // a newer program is on the server
    quint32 app_major = 0, app_minor = 0, app_revision = 0;
    bool firmware = false; // newer firmware (or any, for a mouse in its loader)
    quint8 fw_major = 0, fw_minor = 0, fw_patch = 0;
};

// Reads a manifest body (up to its first zero byte). installed: the mouse's
// firmware major, minor and patch when the check was made.
Offer read_manifest(const QByteArray &body, const unsigned char installed[3]);

// The version value of a downloaded program's file name such as
// "KIVOMouse-PC-V1.0.32.exe": major (its last digit) * 10000 + minor * 100 +
// revision, minor an unsigned 8-bit and revision an unsigned 16-bit number.
// False for a name that carries no version.
bool program_version(const QString &name, int *value);

} // namespace updaterules

#endif
