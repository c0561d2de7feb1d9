#ifndef DEVBROADCAST_H
#define DEVBROADCAST_H

// Platform-neutral pieces of device-change handling: reading the broadcast
// record Windows hands over with WM_DEVICECHANGE, and deciding whether a
// removed interface is the one the program has open. Kept free of system
// headers so that both are exercised on every platform.

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <cstddef>

namespace devbroadcast
{

// Message and event codes of the Windows device-change broadcast. Named in
// lower case so they never collide with the macros of <windows.h>/<dbt.h>.
constexpr unsigned int wm_devicechange = 0x0219;
constexpr unsigned int dbt_devicearrival = 0x8000;
constexpr unsigned int dbt_deviceremovecomplete = 0x8004;
constexpr unsigned int dbt_devtyp_deviceinterface = 5;

// Byte offset of dbcc_name in DEV_BROADCAST_DEVICEINTERFACE_W: size, device
// type and reserved (three u32) followed by the 16-byte class GUID.
constexpr std::size_t name_offset = 28;

struct DeviceInterface {
    quint32 size = 0; // dbcc_size as sent
    QUuid classGuid;  // dbcc_classguid
    QString name;     // dbcc_name up to its terminator or the record end
};

// Reads a device-interface broadcast from `data`, of which `available` bytes
// may be read. The record ends at the smaller of dbcc_size and `available`;
// nothing beyond it is touched. Returns false for null data, records shorter
// than the header, and any device type other than a device interface.
bool read_device_interface(const void *data, std::size_t available, DeviceInterface *out);

// Removal rule for Windows interface paths: the lower-cased removed name
// contains the opened path (each collection has its own path, so a substring
// is specific enough there).
bool removal_matches_interface(const QString &removedName, const QByteArray &devPath);

// Removal rule for Linux device nodes: the lower-cased removed node equals the
// opened node, so that "/dev/hidraw31" going away leaves "/dev/hidraw3" alone.
bool removal_matches_node(const QString &removedName, const QByteArray &devPath);

// The rule of the platform the program runs on. An empty path never matches.
bool removal_matches(const QString &removedName, const QByteArray &devPath);

// How a udev action reads for the program.
enum class Change { None, Arrival, Removal };
Change change_from_udev_action(const char *action);

// Interface name reported for a udev device: its node, or "/dev/" + sysname
// when the node is not known (the node may already be gone on removal).
QString udev_interface_name(const char *devnode, const char *sysname);

} // namespace devbroadcast

#endif // DEVBROADCAST_H
