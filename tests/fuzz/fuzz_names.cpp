// The names of downloaded programs in the current directory, read at start:
// anyone who can put a file there chooses the name, and an old-looking one gets
// deleted.
#include "quiet.h"
#include "update/updaterules.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // File names reach the program through the local 8-bit encoding (UTF-8 here).
    const QString raw = QString::fromLocal8Bit(reinterpret_cast<const char *>(data), int(size));
    int value = 0;
    updaterules::program_version(raw, &value);
    // As the directory listing hands them over: only names of this pattern.
    const QString name = QStringLiteral("KIVOMouse-PC") + raw + QStringLiteral(".exe");
    if (updaterules::program_version(name, &value)) {
        // major is one digit, minor and revision unsigned 8- and 16-bit numbers.
        if (value < 0 || value > 9 * 10000 + 255 * 100 + 65535) std::abort();
    }
    return 0;
}
