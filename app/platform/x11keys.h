// Windows virtual-key codes for key events seen on X11, so that the key
// editors get the same codes as the Windows keyboard hook gives them.
#ifndef X11KEYS_H
#define X11KEYS_H

#include <QtGlobal>
#include <qnamespace.h>

class QKeyEvent;

namespace x11keys
{

// The virtual key of an X11 key code (evdev code + 8), by key position as a
// US keyboard names it, whatever layout is loaded. Keypad keys follow Num
// Lock as Windows reports them: digits and "." with it on, the navigation
// keys (and Clear for 5) with it off. 0 for a key code without one.
quint8 vkey_from_keycode(quint8 keycode, bool numLock);

// For events without a key code: the virtual key of a Qt::Key, 0 if none.
quint8 vkey_from_qt(int qtKey, Qt::KeyboardModifiers modifiers);

struct KeyMessage {
    unsigned message; // 0x100 key down, 0x101 key up, 0x104 / 0x105 with Alt
    quint8 vkey;
};

// The message and virtual key of a key press or release. False for other
// events, for keys without a virtual key, and for the release half of an
// auto-repeat (Windows repeats only the key-down).
bool translate(const QKeyEvent *event, KeyMessage *out);

} // namespace x11keys

#endif
