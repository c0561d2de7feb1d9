#include "platform/x11keys.h"

#include <QKeyEvent>

namespace
{

struct CodePair {
    quint8 keycode; // X11 key code: evdev code + 8
    quint8 vkey;
};

// By key position; letters and digits on a US keyboard. Keypad entries are the
// Num Lock on values.
const CodePair kKeycodes[] = {
    {9, 0x1b}, // Esc
    {10, 0x31},  {11, 0x32},  {12, 0x33},  {13, 0x34},  {14, 0x35},  {15, 0x36},
    {16, 0x37},  {17, 0x38},  {18, 0x39},  {19, 0x30}, // 1 ... 0
    {20, 0xbd},                                        // minus
    {21, 0xbb},                                        // equals
    {22, 0x08},                                        // Backspace
    {23, 0x09},                                        // Tab
    {24, 0x51},  {25, 0x57},  {26, 0x45},  {27, 0x52},  {28, 0x54},  {29, 0x59},
    {30, 0x55},  {31, 0x49},  {32, 0x4f},  {33, 0x50}, // Q W E R T Y U I O P
    {34, 0xdb},                                        // [
    {35, 0xdd},                                        // ]
    {36, 0x0d},                                        // Enter
    {37, 0xa2},                                        // left Ctrl
    {38, 0x41},  {39, 0x53},  {40, 0x44},  {41, 0x46},  {42, 0x47},  {43, 0x48},
    {44, 0x4a},  {45, 0x4b},  {46, 0x4c}, // A S D F G H J K L
    {47, 0xba},                           // ;
    {48, 0xde},                           // '
    {49, 0xc0},                           // `
    {50, 0xa0},                           // left Shift
    {51, 0xdc},                           // backslash (the "#" key of ISO keyboards)
    {52, 0x5a},  {53, 0x58},  {54, 0x43},  {55, 0x56},  {56, 0x42},  {57, 0x4e},
    {58, 0x4d}, // Z X C V B N M
    {59, 0xbc}, // ,
    {60, 0xbe}, // .
    {61, 0xbf}, // /
    {62, 0xa1}, // right Shift
    {63, 0x6a}, // keypad *
    {64, 0xa4}, // left Alt
    {65, 0x20}, // Space
    {66, 0x14}, // Caps Lock
    {67, 0x70},  {68, 0x71},  {69, 0x72},  {70, 0x73},  {71, 0x74},  {72, 0x75},
    {73, 0x76},  {74, 0x77},  {75, 0x78},  {76, 0x79}, // F1 ... F10
    {77, 0x90},                                        // Num Lock
    {78, 0x91},                                        // Scroll Lock
    {79, 0x67},  {80, 0x68},  {81, 0x69},              // keypad 7 8 9
    {82, 0x6d},                                        // keypad -
    {83, 0x64},  {84, 0x65},  {85, 0x66},              // keypad 4 5 6
    {86, 0x6b},                                        // keypad +
    {87, 0x61},  {88, 0x62},  {89, 0x63},              // keypad 1 2 3
    {90, 0x60},                                        // keypad 0
    {91, 0x6e},                                        // keypad .
    {94, 0xe2},                                        // the extra key of ISO keyboards, left of Z
    {95, 0x7a},  {96, 0x7b},                           // F11 F12
    {104, 0x0d},                                       // keypad Enter: Windows names it as Enter
    {105, 0xa3},                                       // right Ctrl
    {106, 0x6f},                                       // keypad /
    {107, 0x2c},                                       // Print Screen
    {108, 0xa5},                                       // right Alt (AltGr)
    {110, 0x24},                                       // Home
    {111, 0x26},                                       // Up
    {112, 0x21},                                       // Page Up
    {113, 0x25},                                       // Left
    {114, 0x27},                                       // Right
    {115, 0x23},                                       // End
    {116, 0x28},                                       // Down
    {117, 0x22},                                       // Page Down
    {118, 0x2d},                                       // Insert
    {119, 0x2e},                                       // Delete
    {121, 0xad},                                       // Mute
    {122, 0xae},                                       // Volume Down
    {123, 0xaf},                                       // Volume Up
    {127, 0x13},                                       // Pause
    {129, 0x6e}, // keypad comma of some layouts: the keypad decimal key
    {133, 0x5b}, // left Windows
    {134, 0x5c}, // right Windows
    {135, 0x5d}, // Menu (Applications)
    {150, 0x5f}, // Sleep
    {163, 0xb4}, // Mail
    {164, 0xab}, // Bookmarks
    {166, 0xa6}, // Browser Back
    {167, 0xa7}, // Browser Forward
    {171, 0xb0}, // Next Track
    {172, 0xb3}, // Play/Pause
    {173, 0xb1}, // Previous Track
    {174, 0xb2}, // Stop
    {180, 0xac}, // Browser Home
    {181, 0xa8}, // Browser Refresh
    {191, 0x7c}, {192, 0x7d}, {193, 0x7e}, {194, 0x7f}, {195, 0x80}, {196, 0x81},
    {197, 0x82}, {198, 0x83}, {199, 0x84}, {200, 0x85}, {201, 0x86}, {202, 0x87}, // F13 ... F24
    {225, 0xaa},                                                                  // Browser Search
};

struct KeycodeTable {
    quint8 vkey[256] = {};
    KeycodeTable()
    {
        for (const CodePair &p : kKeycodes)
            vkey[p.keycode] = p.vkey;
    }
};

// With Num Lock off Windows reports the keypad's second meanings.
quint8 keypadWithoutNumLock(quint8 vkey)
{
    switch (vkey) {
    case 0x60:
        return 0x2d; // Insert
    case 0x61:
        return 0x23; // End
    case 0x62:
        return 0x28; // Down
    case 0x63:
        return 0x22; // Page Down
    case 0x64:
        return 0x25; // Left
    case 0x65:
        return 0x0c; // Clear
    case 0x66:
        return 0x27; // Right
    case 0x67:
        return 0x24; // Home
    case 0x68:
        return 0x26; // Up
    case 0x69:
        return 0x21; // Page Up
    case 0x6e:
        return 0x2e; // Delete
    default:
        return vkey;
    }
}

// X11 modifier mask of Num Lock in the usual server setup (Mod2).
constexpr quint32 kNumLockMask = 0x10;

} // namespace

namespace x11keys
{

quint8 vkey_from_keycode(quint8 keycode, bool numLock)
{
    static const KeycodeTable table;
    const quint8 v = table.vkey[keycode];
    const bool keypad =
        (keycode >= 79 && keycode <= 91 && keycode != 82 && keycode != 86) || keycode == 129;
    return keypad && !numLock ? keypadWithoutNumLock(v) : v;
}

quint8 vkey_from_qt(int key, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return quint8(0x41 + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return quint8((keypad ? 0x60 : 0x30) + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return quint8(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape:
        return 0x1b;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0d;
    case Qt::Key_Insert:
        return 0x2d;
    case Qt::Key_Delete:
        return 0x2e;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_Print:
        return 0x2c;
    case Qt::Key_Clear:
        return 0x0c;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_Shift:
        return 0xa0;
    case Qt::Key_Control:
        return 0xa2;
    case Qt::Key_Alt:
        return 0xa4;
    case Qt::Key_AltGr:
        return 0xa5;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return 0x5b;
    case Qt::Key_Super_R:
        return 0x5c;
    case Qt::Key_Menu:
        return 0x5d;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Plus:
        return keypad ? 0x6b : 0xbb;
    case Qt::Key_Equal:
        return 0xbb;
    case Qt::Key_Minus:
        return keypad ? 0x6d : 0xbd;
    case Qt::Key_Underscore:
        return 0xbd;
    case Qt::Key_Asterisk:
        return keypad ? 0x6a : 0x38;
    case Qt::Key_Slash:
        return keypad ? 0x6f : 0xbf;
    case Qt::Key_Question:
        return 0xbf;
    case Qt::Key_Period:
        return keypad ? 0x6e : 0xbe;
    case Qt::Key_Comma:
        return keypad ? 0x6e : 0xbc;
    case Qt::Key_Greater:
        return 0xbe;
    case Qt::Key_Less:
        return 0xbc;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 0xdb;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 0xdd;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 0xdc;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 0xba;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 0xde;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 0xc0;
    case Qt::Key_Exclam:
        return 0x31;
    case Qt::Key_At:
        return 0x32;
    case Qt::Key_NumberSign:
        return 0x33;
    case Qt::Key_Dollar:
        return 0x34;
    case Qt::Key_Percent:
        return 0x35;
    case Qt::Key_AsciiCircum:
        return 0x36;
    case Qt::Key_Ampersand:
        return 0x37;
    case Qt::Key_ParenLeft:
        return 0x39;
    case Qt::Key_ParenRight:
        return 0x30;
    case Qt::Key_VolumeMute:
        return 0xad;
    case Qt::Key_VolumeDown:
        return 0xae;
    case Qt::Key_VolumeUp:
        return 0xaf;
    case Qt::Key_MediaNext:
        return 0xb0;
    case Qt::Key_MediaPrevious:
        return 0xb1;
    case Qt::Key_MediaStop:
        return 0xb2;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
        return 0xb3;
    default:
        return 0;
    }
}

bool translate(const QKeyEvent *event, KeyMessage *out)
{
    if (!event) return false;
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease) return false;
    if (!press && event->isAutoRepeat()) return false;

    quint8 vkey = 0;
    const quint32 keycode = event->nativeScanCode();
    if (keycode > 0 && keycode < 256)
        vkey = vkey_from_keycode(quint8(keycode), event->nativeModifiers() & kNumLockMask);
    else
        vkey = vkey_from_qt(event->key(), event->modifiers());
    if (vkey == 0) return false;

    // Windows sends the "system" messages for Alt itself, F10, and keys
    // pressed with Alt held but not Ctrl.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool sys = vkey == 0xa4 || vkey == 0xa5 || vkey == 0x79 ||
                     ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier));
    out->vkey = vkey;
    out->message = press ? (sys ? 0x104u : 0x100u) : (sys ? 0x105u : 0x101u);
    return true;
}

} // namespace x11keys
