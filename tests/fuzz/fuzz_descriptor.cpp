// The Linux backend's reading of what sysfs says about a hidraw node: the
// report descriptor (does it declare the control or the configuration report
// id?) and the HID_ID line of the uevent text. Both come from whatever device
// is plugged in.
#include "hidraw_scan.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace velqa_hidraw;
    // libFuzzer's buffer is exactly size bytes long: a read past it is caught.
    const bool control = descriptorDeclaresReportId(data, size, 0x4D);
    const bool config = descriptorDeclaresReportId(data, size, 0x57);
    // A descriptor that declares an id keeps declaring it when more items follow.
    if (size > 0 && (control || config)) {
        std::string longer(reinterpret_cast<const char *>(data), size);
        longer += "\x85\x01";
        const auto *p = reinterpret_cast<const unsigned char *>(longer.data());
        if (control && !descriptorDeclaresReportId(p, longer.size(), 0x4D)) std::abort();
        if (config && !descriptorDeclaresReportId(p, longer.size(), 0x57)) std::abort();
    }

    const std::string uevent(reinterpret_cast<const char *>(data), size);
    uint32_t vendor = 0, product = 0;
    if (parseUeventHidId(uevent, &vendor, &product)) {
        // Only a HID_ID line can give ids.
        if (uevent.find("HID_ID=") == std::string::npos) std::abort();
    }
    return 0;
}
