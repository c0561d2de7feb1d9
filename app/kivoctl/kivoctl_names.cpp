#include "kivoctl/kivoctl_names.h"

#include "device/kivomouse.h"

#include <QByteArray>
#include <QColor>
#include <QRegularExpression>
#include <QStringList>

namespace kivoctl
{

namespace
{

struct Name {
    const char *name;
    int code;
};

const Name kFunctions[] = {{"left-click", 1}, {"right-click", 2}, {"middle-click", 3},
                           {"back", 4},       {"forward", 5},     {"dpi-up", 6},
                           {"dpi-down", 7},   {"dpi-switch", 8}};
const Name kMedia[] = {{"volume-up", 10}, {"volume-down", 11}, {"mute", 12}};
const Name kCombos[] = {{"close-window", 1}, {"show-desktop", 2}, {"next-tab", 3},
                        {"prev-tab", 4},     {"cut", 5},          {"paste", 6},
                        {"undo", 7},         {"redo", 8},         {"copy", 9}};
const Name kEffects[] = {{"off", 0}, {"on", 1}, {"breath", 2}, {"run", 3}, {"magic", 6}};

// Keys by HID usage; the first name of a usage is the one shown.
const Name kKeys[] = {
    {"enter", 0x28},      {"return", 0x28},      {"esc", 0x29},          {"escape", 0x29},
    {"backspace", 0x2a},  {"tab", 0x2b},         {"space", 0x2c},        {"minus", 0x2d},
    {"equal", 0x2e},      {"leftbracket", 0x2f}, {"rightbracket", 0x30}, {"backslash", 0x31},
    {"semicolon", 0x33},  {"apostrophe", 0x34},  {"grave", 0x35},        {"comma", 0x36},
    {"dot", 0x37},        {"slash", 0x38},       {"capslock", 0x39},     {"printscreen", 0x46},
    {"scrolllock", 0x47}, {"pause", 0x48},       {"insert", 0x49},       {"home", 0x4a},
    {"pageup", 0x4b},     {"delete", 0x4c},      {"end", 0x4d},          {"pagedown", 0x4e},
    {"right", 0x4f},      {"left", 0x50},        {"down", 0x51},         {"up", 0x52},
    {"numlock", 0x53},    {"kp-slash", 0x54},    {"kp-asterisk", 0x55},  {"kp-minus", 0x56},
    {"kp-plus", 0x57},    {"kp-enter", 0x58},    {"kp-dot", 0x63},       {"menu", 0x65},
    {"ctrl", 0xe0},       {"shift", 0xe1},       {"alt", 0xe2},          {"win", 0xe3},
    {"rctrl", 0xe4},      {"rshift", 0xe5},      {"ralt", 0xe6},         {"rwin", 0xe7},
};

const char *const kModifierNames[8] = {"ctrl",  "shift",  "alt",  "win",
                                       "rctrl", "rshift", "ralt", "rwin"};

QString name_of(const Name *table, int n, int code)
{
    for (int i = 0; i < n; ++i)
        if (table[i].code == code) return QString::fromLatin1(table[i].name);
    return QString();
}

int code_of(const Name *table, int n, const QString &name)
{
    for (int i = 0; i < n; ++i)
        if (name == QLatin1String(table[i].name)) return table[i].code;
    return -1;
}

template <int N> QString name_of(const Name (&t)[N], int code)
{
    return name_of(t, N, code);
}
template <int N> int code_of(const Name (&t)[N], const QString &name)
{
    return code_of(t, N, name);
}

const int kRateCodes[4][2] = {{125, 8}, {250, 4}, {500, 2}, {1000, 1}};

} // namespace

QString key_name(quint8 usage)
{
    if (usage >= 0x04 && usage <= 0x1d) return QString(QChar('a' + usage - 0x04));
    if (usage >= 0x1e && usage <= 0x26) return QString::number(usage - 0x1d);
    if (usage == 0x27) return QStringLiteral("0");
    if (usage >= 0x3a && usage <= 0x45) return QStringLiteral("f%1").arg(usage - 0x39);
    if (usage >= 0x59 && usage <= 0x61) return QStringLiteral("kp%1").arg(usage - 0x58);
    if (usage == 0x62) return QStringLiteral("kp0");
    const QString n = name_of(kKeys, usage);
    if (!n.isEmpty()) return n;
    return QStringLiteral("0x%1").arg(usage, 2, 16, QLatin1Char('0'));
}

int key_usage(const QString &nameIn)
{
    const QString name = nameIn.toLower();
    if (name.size() == 1) {
        const char c = name.at(0).toLatin1();
        if (c >= 'a' && c <= 'z') return 0x04 + (c - 'a');
        if (c >= '1' && c <= '9') return 0x1e + (c - '1');
        if (c == '0') return 0x27;
    }
    static const QRegularExpression fkey(QStringLiteral("^f([1-9]|1[0-2])$"));
    static const QRegularExpression kp(QStringLiteral("^kp([0-9])$"));
    static const QRegularExpression raw(QStringLiteral("^0x[0-9a-f]{2}$"));
    QRegularExpressionMatch m = fkey.match(name);
    if (m.hasMatch()) return 0x39 + m.captured(1).toInt();
    m = kp.match(name);
    if (m.hasMatch()) {
        const int d = m.captured(1).toInt();
        return d == 0 ? 0x62 : 0x58 + d;
    }
    // A code without a name, as "show" prints one; 0 is no key at all.
    if (raw.match(name).hasMatch()) {
        const int u = name.midRef(2).toInt(nullptr, 16);
        return u == 0 ? -1 : u;
    }
    return code_of(kKeys, name);
}

QString function_name(int code)
{
    return name_of(kFunctions, code);
}
QString media_name(int code)
{
    return name_of(kMedia, code);
}
QString combo_name(int code)
{
    return name_of(kCombos, code);
}
QString effect_name(int code)
{
    return name_of(kEffects, code);
}

int function_code(const QString &name)
{
    return code_of(kFunctions, name);
}
int media_code(const QString &name)
{
    return code_of(kMedia, name);
}
int combo_code(const QString &name)
{
    return code_of(kCombos, name);
}
int effect_code(const QString &name)
{
    return code_of(kEffects, name);
}

QString keys_text(quint8 modifiers, quint8 usage)
{
    QStringList parts;
    for (int bit = 0; bit < 8; ++bit)
        if (modifiers & (1u << bit)) parts << QString::fromLatin1(kModifierNames[bit]);
    if (usage != 0) parts << key_name(usage);
    return parts.join(QLatin1Char('+'));
}

namespace
{
// Whether keys:... brings these very bytes back: the editor keeps the key as a
// desktop key code, and a modifier's usage in the key's place would come back
// as a modifier bit.
bool keys_restorable(quint8 modifiers, quint8 usage)
{
    if (usage == 0) return modifiers != 0;
    if (usage >= 0xe0 && usage <= 0xe7) return false;
    return key_usage(key_name(usage)) == usage && vkeytohid(hidtovkey(usage)) == usage;
}
} // namespace

QString assignment_text(const quint8 *record)
{
    const int kind = record[0], code = record[1];
    if (kind == 0) return function_name(code);
    if (kind == 1) {
        if (code == 0) {
            if (!keys_restorable(record[2], record[3])) return QString();
            return QStringLiteral("keys:") + keys_text(record[2], record[3]);
        }
        if (code >= 10) return media_name(code);
        const QString combo = combo_name(code);
        return combo.isEmpty() ? QString() : QStringLiteral("combo:") + combo;
    }
    if (kind == 2) return QStringLiteral("macro");
    return QString();
}

QString assignment_or_raw(const quint8 *record)
{
    const QString a = assignment_text(record);
    return a.isEmpty() ? QStringLiteral("unknown:") + hex(record, 4) : a;
}

QString zone_key(int zone)
{
    return zone == 1 ? QStringLiteral("front") : QStringLiteral("rear");
}

int rate_code(int hz)
{
    for (const auto &r : kRateCodes)
        if (r[0] == hz) return r[1];
    return 0;
}

int rate_hz(int code)
{
    for (const auto &r : kRateCodes)
        if (r[1] == code) return r[0];
    return 0;
}

QString colour_text(const quint8 *rgb)
{
    return QColor(rgb[0], rgb[1], rgb[2]).name();
}

QString hex(const quint8 *p, int n)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(p), n).toHex());
}

} // namespace kivoctl
