// Translation between Windows virtual-key codes (what the keyboard capture
// sees) and HID usages (what the mouse stores), and the names shown for keys.
#include "device/kivomouse.h"

namespace
{

struct KeyPair {
    quint8 vkey;
    quint8 hid;
};

// Keys outside the letter, digit, F-key and keypad-digit ranges.
const KeyPair kSingles[] = {
    {0x30, 0x27}, {0x0d, 0x28}, {0x1b, 0x29}, {0x08, 0x2a}, {0x09, 0x2b}, {0x20, 0x2c},
    {0xbd, 0x2d}, {0xbb, 0x2e}, {0xdb, 0x2f}, {0xdd, 0x30}, {0xdc, 0x31}, {0xba, 0x33},
    {0xde, 0x34}, {0xc0, 0x35}, {0xbc, 0x36}, {0xbe, 0x37}, {0xbf, 0x38}, {0x14, 0x39},
    {0x2c, 0x46}, {0x91, 0x47}, {0x13, 0x48}, {0x2d, 0x49}, {0x24, 0x4a}, {0x21, 0x4b},
    {0x2e, 0x4c}, {0x23, 0x4d}, {0x22, 0x4e}, {0x27, 0x4f}, {0x25, 0x50}, {0x28, 0x51},
    {0x26, 0x52}, {0x90, 0x53}, {0x6f, 0x54}, {0x6a, 0x55}, {0x6d, 0x56}, {0x6b, 0x57},
    {0x60, 0x62}, {0x6e, 0x63}, {0x5d, 0x65}, {0xa2, 0xe0}, {0xa0, 0xe1}, {0xa4, 0xe2},
    {0x5b, 0xe3}, {0xa3, 0xe4}, {0xa1, 0xe5}, {0xa5, 0xe6}, {0x5c, 0xe7},
};

struct Tables {
    quint8 toHid[256];
    quint8 toVkey[256];
    Tables()
    {
        for (int i = 0; i < 256; ++i)
            toHid[i] = toVkey[i] = quint8(i); // unlisted codes pass through
        auto add = [this](int vkey, int hid) {
            toHid[vkey] = quint8(hid);
            toVkey[hid] = quint8(vkey);
        };
        for (int v = 0x41; v <= 0x5a; ++v)
            add(v, v - 0x3d); // A-Z
        for (int v = 0x31; v <= 0x39; ++v)
            add(v, v - 0x13); // 1-9
        for (int v = 0x70; v <= 0x7b; ++v)
            add(v, v - 0x36); // F1-F12
        for (int v = 0x61; v <= 0x69; ++v)
            add(v, v - 8); // keypad 1-9
        for (const KeyPair &p : kSingles)
            add(p.vkey, p.hid);
        toVkey[0x32] = 0xdc; // the non-US "#" key reads back as backslash
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

quint8 vkeytohid(quint8 vkey)
{
    return tables().toHid[vkey];
}

quint8 hidtovkey(quint8 hid)
{
    return tables().toVkey[hid];
}

QString vkeytostring(quint8 vkey)
{
    if (vkey >= 0x60 && vkey <= 0x69)
        return QStringLiteral("NUMPAD") + QString::number(vkey - 0x60);
    if (vkey >= 0x70 && vkey <= 0x87) return QStringLiteral("F") + QString::number(vkey - 0x6f);
    switch (vkey) {
    case 0x00:
    case 0x6c:
    case 0xff:
        return QString();
    case 0x08:
        return QStringLiteral("BACKSPACE");
    case 0x09:
        return QStringLiteral("TAB");
    case 0x0d:
        return QStringLiteral("Enter");
    case 0x13:
        return QStringLiteral("Pause");
    case 0x14:
        return QStringLiteral("CAPSLOCK");
    case 0x1b:
        return QStringLiteral("ESC");
    case 0x20:
        return QStringLiteral("SPACE");
    case 0x21:
        return QStringLiteral("PageUp");
    case 0x22:
        return QStringLiteral("PageDown");
    case 0x23:
        return QStringLiteral("END");
    case 0x24:
        return QStringLiteral("HOME");
    case 0x25:
        return QStringLiteral("LEFT");
    case 0x26:
        return QStringLiteral("UP");
    case 0x27:
        return QStringLiteral("RIGHT");
    case 0x28:
        return QStringLiteral("DOWN");
    case 0x2c:
        return QStringLiteral("PrtSc");
    case 0x2d:
        return QStringLiteral("INSERT");
    case 0x2e:
        return QStringLiteral("DELETE");
    case 0x5b:
        return QStringLiteral("WIN");
    case 0x5c:
        return QStringLiteral("RIGHT WIN");
    case 0x5d:
        return QStringLiteral("APPS");
    case 0x6a:
        return QStringLiteral("*");
    case 0x6b:
        return QStringLiteral("+");
    case 0x6d:
    case 0xbd:
        return QStringLiteral("-");
    case 0x6e:
        return QStringLiteral(".");
    case 0x6f:
    case 0xbf:
        return QStringLiteral("/");
    case 0x90:
        return QStringLiteral("NUMLOCK");
    case 0x91:
        return QStringLiteral("ScrollLock");
    case 0xa0:
        return QStringLiteral("SHIFT");
    case 0xa1:
        return QStringLiteral("RIGHT SHIFT");
    case 0xa2:
        return QStringLiteral("CTRL");
    case 0xa3:
        return QStringLiteral("RIGHT CTRL");
    case 0xa4:
        return QStringLiteral("ALT");
    case 0xa5:
        return QStringLiteral("RIGHT ALT");
    case 0xba:
        return QStringLiteral(";");
    case 0xbb:
        return QStringLiteral("=");
    case 0xbc:
        return QStringLiteral("<"); // named by its shifted symbol
    case 0xbe:
        return QStringLiteral(">");
    case 0xc0:
        return QStringLiteral("`");
    case 0xdb:
        return QStringLiteral("[");
    case 0xdc:
        return QStringLiteral("\\");
    case 0xdd:
        return QStringLiteral("]");
    case 0xde:
        return QStringLiteral("'");
    default:
        return QString(QChar(ushort(vkey)));
    }
}
