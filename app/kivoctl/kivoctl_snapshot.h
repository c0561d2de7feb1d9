// What "show" prints, read from the mouse without touching the pages or the
// shared command frame.
#ifndef KIVOCTL_SNAPSHOT_H
#define KIVOCTL_SNAPSHOT_H

#include "kivoctl/kivoctl_request.h"

#include <QByteArray>
#include <QVector>

namespace kivoctl
{

struct Snapshot {
    bool batteryRead = false;
    int battery = 0;
    quint8 version[3] = {0, 0, 0};
    quint8 dpi[8] = {0};    // levels (x 50), active index, spare, count
    int rate = 0;           // code 1, 2, 4, 8
    quint8 zone[2][7] = {}; // effect, speed, 8, 8, R, G, B
    quint8 button[kButtons][4] = {};
    QVector<MacroEvent> macro[kButtons];
};
Snapshot read_snapshot();
QByteArray snapshot_text(const Snapshot &s);

} // namespace kivoctl

#endif
