#ifndef XGRABPROBE_H
#define XGRABPROBE_H

enum { ProbeGrabbed = 0, ProbeRefused = 1, ProbeOther = 2 };

// ProbeGrabbed when another client could grab the keyboard (and let it go at
// once), ProbeRefused when some client holds it, -1 without a display.
int probe_keyboard_grab();

#endif
