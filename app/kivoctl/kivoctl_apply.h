// kivoctl's requests carried out on the program's window: every change goes
// through the slots the window's own controls use, so the mouse receives
// exactly the reports a click would send and the pages show the change.
#ifndef KIVOCTL_APPLY_H
#define KIVOCTL_APPLY_H

#include "kivoctl/kivoctl_request.h"

#include <QByteArray>

class QSharedMemory;
class z9ktool;

namespace kivoctl
{

struct Outcome {
    int code = Ok;
    QByteArray out; // for stdout
    QByteArray err; // for stderr, one line a problem
};

// Carries out a checked request on a window whose mouse is attached (NoMouse
// otherwise). Values that only the mouse's present state can refuse (a colour
// for a zone that is switched off, a full preset row) are refused before
// anything is sent.
Outcome execute(z9ktool &window, const Request &request);

// What "show" prints, read from the mouse without touching the pages or the
// shared command frame.
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
QByteArray snapshot_json(const Snapshot &s);

// The single-instance marker's byte says what its holder is doing, so that a
// kivoctl finding the program unable to answer can tell why.
enum MarkerState : char { MarkerIdle = 0, MarkerFlashing = 1, MarkerHeadless = 2 };
extern QSharedMemory *instance_marker;
void set_marker_state(char state);
char marker_state(QSharedMemory &attached);

// Marks a flash in progress for its lifetime.
class FlashMark
{
public:
    FlashMark();
    ~FlashMark();

private:
    char m_before;
};

} // namespace kivoctl

#endif
