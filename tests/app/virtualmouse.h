// Binds the program's entry points to the virtual mouse and reads what it was sent.
#ifndef VIRTUALMOUSE_H
#define VIRTUALMOUSE_H

#include "device/kivomouse.h"
#include "startup.h"
#include "vmouse.h"

#include <QByteArray>
#include <QVector>

struct SentReport {
    int channel;
    QByteArray bytes;
};

inline bool bindVirtualMouse()
{
    if (m_WriteControl) return true;
    qputenv("VELQA_LIBRARY", VMOUSE_LIBRARY);
    unsigned long error = 0;
    return bind_velqa(&error);
}

inline QVector<SentReport> sentReports()
{
    QVector<SentReport> out;
    for (int i = 0; i < vmouse_trace_count(); ++i) {
        unsigned char buf[64];
        int channel = 0;
        const int n = vmouse_trace_get(i, buf, sizeof buf, &channel);
        if (n > 0) out.push_back({channel, QByteArray(reinterpret_cast<char *>(buf), n)});
    }
    return out;
}

// The first two bytes after the report id of each report, e.g. "a000 a001 c201".
inline QStringList sentCommands()
{
    QStringList out;
    for (const SentReport &r : sentReports())
        out << QString::fromLatin1(r.bytes.mid(1, 2).toHex());
    return out;
}

// Puts the mouse back into its factory state with nothing traced or open.
inline void freshMouse()
{
    vmouse_reset();
    vmouse_set_path("/dev/hidraw3");
}

#endif
