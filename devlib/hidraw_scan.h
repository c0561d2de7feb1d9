/* Finding the mouse's channels among the hidraw nodes, kept free of any open
 * file descriptor so that it runs unchanged on a fake sysfs tree in the tests.
 * Internal to velqa; nothing here is exported from the shared library. */
#ifndef VELQA_HIDRAW_SCAN_H
#define VELQA_HIDRAW_SCAN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velqa_hidraw
{

/* True when the report descriptor declares a Report ID item with this id.
 * A descriptor cut off inside an item is read no further than its end. */
bool descriptorDeclaresReportId(const unsigned char *desc, size_t len, unsigned int reportId);

/* Vendor and product from the "HID_ID=bbbb:vvvvvvvv:pppppppp" line of a HID
 * device's uevent text (hex; the bus is ignored). False when there is no such
 * line or it is malformed. */
bool parseUeventHidId(const std::string &uevent, uint32_t *vendor, uint32_t *product);

/* Names of the entries "hidrawN" under <sysRoot>/class/hidraw, ordered by N. */
std::vector<std::string> listHidrawNodes(const std::string &sysRoot);

/* Device path "<devRoot>/hidrawN" of the first node in numeric order whose HID
 * device has this vendor and product and whose descriptor declares the report
 * id; empty when none does. */
std::string findChannelNode(const std::string &sysRoot, const std::string &devRoot, uint16_t vendor,
                            uint16_t product, unsigned int reportId);

} // namespace velqa_hidraw

#endif
