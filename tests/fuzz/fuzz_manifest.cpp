// The update manifest: text from the update server (or whoever answers in its
// place), read for the program's and the firmware's versions.
#include "quiet.h"
#include "device/kivomouse.h"
#include "update/updaterules.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    // A mouse with current firmware, one in its loader, and one too old to be
    // offered firmware at all.
    const unsigned char current[3] = {1, 1, 22};
    const unsigned char loader[3] = {0xFF, 0, 22};
    const unsigned char old[3] = {1, 1, 21};
    const updaterules::Offer fromCurrent = updaterules::read_manifest(body, current);
    // A program on offer is newer than this one, its parts as line 2 gives them.
    if (fromCurrent.app &&
        (fromCurrent.app_minor > 99 || fromCurrent.app_revision > 99 ||
         quint64(fromCurrent.app_major) * 10000 + fromCurrent.app_minor * 100 +
                 fromCurrent.app_revision <=
             quint64(APP_VERSION_MAJOR * 10000 + APP_VERSION_MINOR * 100 + APP_VERSION_REVISION)))
        std::abort();
    if ((fromCurrent.app || fromCurrent.firmware) && !fromCurrent.understood) std::abort();
    const updaterules::Offer fromLoader = updaterules::read_manifest(body, loader);
    const updaterules::Offer fromOld = updaterules::read_manifest(body, old);
    if (fromOld.firmware) std::abort();
    if (fromLoader.app != fromOld.app) std::abort(); // the program's offer ignores the mouse
    return 0;
}
