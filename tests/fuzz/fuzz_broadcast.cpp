// The device-change broadcast record: on Windows any program can send the
// window a WM_DEVICECHANGE with a record of its choosing, and the record's own
// size field says how long it claims to be.
#include "platform/devbroadcast.h"
#include "quiet.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace devbroadcast;
    DeviceInterface iface;
    if (read_device_interface(data, size, &iface)) {
        // The name holds at most the UTF-16 units between the header and the
        // end of the record.
        const size_t end = qMin<size_t>(iface.size, size);
        if (end < name_offset || size_t(iface.name.size()) > (end - name_offset) / 2) std::abort();
        // What the removal handler then does with the name.
        removal_matches_node(iface.name, QByteArray("/dev/hidraw3"));
        removal_matches_interface(iface.name, QByteArray("\\\\?\\hid#vid_2717&pid_5009&col03"));
    }
    // The record handed over shorter than it says: still nothing beyond it.
    if (size > name_offset) read_device_interface(data, size - 1, &iface);

    // udev hands over C strings: the action and the node or system name.
    const std::string text(reinterpret_cast<const char *>(data), size);
    const size_t cut = text.find('\0');
    const std::string first = text.substr(0, cut);
    const std::string second = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    change_from_udev_action(first.c_str());
    const QString name = udev_interface_name(first.c_str(), second.c_str());
    removal_matches_node(name, QByteArray::fromRawData(second.data(), int(second.size())));
    return 0;
}
