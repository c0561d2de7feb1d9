// kivoctl's requests carried out on the program's window: every change goes
// through the slots the window's own controls use, so the mouse receives
// exactly the reports a click would send and the pages show the change.
#ifndef KIVOCTL_APPLY_H
#define KIVOCTL_APPLY_H

#include "kivoctl/kivoctl_marker.h"
#include "kivoctl/kivoctl_request.h"

#include <QByteArray>

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

} // namespace kivoctl

#endif
