#include "platform/devbroadcast.h"

#include <QtGlobal>
#include <cstring>

namespace devbroadcast
{

namespace
{

quint32 u32le(const unsigned char *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 u16le(const unsigned char *p)
{
    return quint16(p[0] | p[1] << 8);
}

// The path as handed over may come from a fixed char buffer; only the part
// before the first NUL is the path.
QString path_text(const QByteArray &devPath)
{
    const int nul = devPath.indexOf('\0');
    return QString::fromLocal8Bit(nul < 0 ? devPath : devPath.left(nul));
}

} // namespace

bool read_device_interface(const void *data, std::size_t available, DeviceInterface *out)
{
    if (!data || available < name_offset) return false;
    const auto *bytes = static_cast<const unsigned char *>(data);

    const quint32 size = u32le(bytes);
    if (size < name_offset) return false;
    if (u32le(bytes + 4) != dbt_devtyp_deviceinterface) return false;

    const std::size_t end = qMin<std::size_t>(size, available);

    // A GUID is stored as one u32, two u16 and eight single bytes, the
    // numbers little-endian.
    const unsigned char *g = bytes + 12;
    const QUuid guid(u32le(g), u16le(g + 4), u16le(g + 6), g[8], g[9], g[10], g[11], g[12], g[13],
                     g[14], g[15]);

    QString name;
    // Whole UTF-16 units only; an odd trailing byte is not part of the name.
    for (std::size_t pos = name_offset; pos + 2 <= end; pos += 2) {
        const quint16 unit = u16le(bytes + pos);
        if (unit == 0) break;
        name.append(QChar(unit));
    }

    if (out) {
        out->size = size;
        out->classGuid = guid;
        out->name = name;
    }
    return true;
}

bool removal_matches_interface(const QString &removedName, const QByteArray &devPath)
{
    const QString path = path_text(devPath);
    if (path.isEmpty()) return false;
    return removedName.toLower().contains(path, Qt::CaseSensitive);
}

bool removal_matches_node(const QString &removedName, const QByteArray &devPath)
{
    const QString path = path_text(devPath);
    if (path.isEmpty()) return false;
    return removedName.toLower() == path;
}

bool removal_matches(const QString &removedName, const QByteArray &devPath)
{
#ifdef Q_OS_WIN
    return removal_matches_interface(removedName, devPath);
#else
    return removal_matches_node(removedName, devPath);
#endif
}

Change change_from_udev_action(const char *action)
{
    if (!action) return Change::None;
    // "change" too: udevadm trigger after the rule is installed hands the node
    // to the user without a new "add", and the mouse must then attach.
    if (std::strcmp(action, "add") == 0 || std::strcmp(action, "change") == 0)
        return Change::Arrival;
    if (std::strcmp(action, "remove") == 0) return Change::Removal;
    return Change::None;
}

QString udev_interface_name(const char *devnode, const char *sysname)
{
    if (devnode && *devnode) return QString::fromLocal8Bit(devnode);
    if (sysname && *sysname) return QStringLiteral("/dev/") + QString::fromLocal8Bit(sysname);
    return QString();
}

} // namespace devbroadcast
