#include "kivoctl/kivoctl_request.h"

#include "device/fwimage.h"
#include "device/kivomouse.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

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

bool valid_effect(int zone, int effect)
{
    if (zone == 1) return effect == 0 || effect == 1 || effect == 2;
    return effect == 0 || effect == 1 || effect == 2 || effect == 3 || effect == 6;
}

QString zone_key(int zone)
{
    return zone == 1 ? QStringLiteral("front") : QStringLiteral("rear");
}

bool parse_int(const QString &s, int *v)
{
    // Digits only: no sign, no blanks, no hex, nothing toInt() would forgive.
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(s).hasMatch()) return false;
    *v = s.toInt();
    return true;
}

QString check_dpi(const QString &key, const QString &text, int *value)
{
    int v = 0;
    if (!parse_int(text, &v) || v < kMinDpi || v > kMaxDpi || v % 50 != 0)
        return QStringLiteral("%1: %2 is not a DPI value (50 to 7200 in steps of 50)")
            .arg(key, text);
    *value = v;
    return QString();
}

QString check_rate(const QString &text, int *rate)
{
    int v = 0;
    if (!parse_int(text, &v) || (v != 125 && v != 250 && v != 500 && v != 1000))
        return QStringLiteral("rate: %1 is not a report rate (125, 250, 500 or 1000)").arg(text);
    *rate = v;
    return QString();
}

QString check_speed(const QString &key, const QString &text, int *speed)
{
    int v = 0;
    if (!parse_int(text, &v) || v < 1 || v > 8)
        return QStringLiteral("%1: speed %2 is not a speed (1 to 8)").arg(key, text);
    *speed = v;
    return QString();
}

QString check_colour(const QString &key, const QString &text, quint8 *rgb)
{
    static const QRegularExpression hex(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!hex.match(text).hasMatch())
        return QStringLiteral("%1: %2 is not a colour (#rrggbb)").arg(key, text);
    const uint v = text.midRef(1).toUInt(nullptr, 16);
    rgb[0] = quint8(v >> 16);
    rgb[1] = quint8(v >> 8);
    rgb[2] = quint8(v);
    return QString();
}

// What the page lets a user combine: the speed slider works for breath, run
// and magic; the colour presets for on, breath and run.
QString check_zone_combination(const QString &key, const ZoneRequest &z)
{
    if (z.effect < 0) return QString();
    if (z.speed != 0 && (z.effect == 0 || z.effect == 1))
        return QStringLiteral("%1: %2 has no speed").arg(key, effect_name(z.effect));
    if (z.hasColour && (z.effect == 0 || z.effect == 6))
        return QStringLiteral("%1: %2 takes no colour").arg(key, effect_name(z.effect));
    return QString();
}

QString parse_zone(int zone, const QString &value, ZoneRequest *z)
{
    const QString key = zone_key(zone);
    if (value.isEmpty()) return QStringLiteral("%1: no effect, colour or speed given").arg(key);
    bool effectSeen = false, speedSeen = false, colourSeen = false;
    for (const QString &part : value.split(QLatin1Char(','))) {
        if (part.startsWith(QLatin1String("speed="))) {
            if (speedSeen) return QStringLiteral("%1: speed given twice").arg(key);
            speedSeen = true;
            const QString e = check_speed(key, part.mid(6), &z->speed);
            if (!e.isEmpty()) return e;
        } else if (part.startsWith(QLatin1Char('#'))) {
            if (colourSeen) return QStringLiteral("%1: colour given twice").arg(key);
            colourSeen = true;
            const QString e = check_colour(key, part, z->rgb);
            if (!e.isEmpty()) return e;
            z->hasColour = true;
        } else {
            const int effect = code_of(kEffects, part);
            if (effect < 0 || !valid_effect(zone, effect))
                return QStringLiteral("%1: %2 is not an effect of this zone (%3)")
                    .arg(key, part,
                         zone == 1 ? QStringLiteral("on, breath, off")
                                   : QStringLiteral("on, breath, run, magic, off"));
            if (effectSeen) return QStringLiteral("%1: effect given twice").arg(key);
            effectSeen = true;
            z->effect = effect;
        }
    }
    z->given = true;
    return check_zone_combination(key, *z);
}

QString parse_keys(const QString &key, const QString &names, ButtonRequest *b)
{
    if (names.isEmpty()) return QStringLiteral("%1: keys: names no key").arg(key);
    quint8 modifiers = 0;
    int usage = 0;
    for (const QString &name : names.split(QLatin1Char('+'))) {
        const int u = key_usage(name);
        if (u < 0) return QStringLiteral("%1: %2 is not a key name").arg(key, name);
        if (u >= 0xe0 && u <= 0xe7) {
            modifiers |= quint8(1u << (u - 0xe0));
            continue;
        }
        if (usage != 0)
            return QStringLiteral("%1: keys: more than one key besides the modifiers").arg(key);
        // The editor keeps the key as a desktop key code: only keys that come
        // back as the same usage can be stored.
        if (vkeytohid(hidtovkey(quint8(u))) != u)
            return QStringLiteral("%1: %2 cannot be part of a key combination").arg(key, name);
        usage = u;
    }
    b->kind = 3;
    b->modifiers = modifiers;
    b->usage = quint8(usage);
    return QString();
}

QString read_text_file(const QString &key, const QString &path, const QString &cwd, qint64 limit,
                       QByteArray *data)
{
    QFile f(QDir(cwd).filePath(path));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("%1: cannot read %2").arg(key, path);
    if (f.size() > limit) return QStringLiteral("%1: %2 is too large").arg(key, path);
    *data = f.read(limit + 1);
    if (data->size() > limit) return QStringLiteral("%1: %2 is too large").arg(key, path);
    return QString();
}

QString parse_assignment(const QString &key, const QString &value, const QString &cwd,
                         ButtonRequest *b)
{
    int code = code_of(kFunctions, value);
    if (code > 0) {
        b->kind = 0;
        b->code = code;
    } else if ((code = code_of(kMedia, value)) > 0) {
        b->kind = 1;
        b->code = code;
    } else if (value.startsWith(QLatin1String("combo:"))) {
        code = code_of(kCombos, value.mid(6));
        if (code < 0)
            return QStringLiteral("%1: %2 is not a preset combination").arg(key, value.mid(6));
        b->kind = 1;
        b->code = code;
    } else if (value.startsWith(QLatin1String("keys:"))) {
        const QString e = parse_keys(key, value.mid(5), b);
        if (!e.isEmpty()) return e;
    } else if (value.startsWith(QLatin1String("macro:"))) {
        QByteArray data;
        QString e = read_text_file(key, value.mid(6), cwd, 64 * 1024, &data);
        if (!e.isEmpty()) return e;
        e = parse_macro_text(QString::fromUtf8(data), &b->events, &b->delays);
        if (!e.isEmpty()) return QStringLiteral("%1: %2: %3").arg(key, value.mid(6), e);
        if (b->events.isEmpty())
            return QStringLiteral("%1: %2 holds no events").arg(key, value.mid(6));
        b->kind = 2;
    } else {
        return QStringLiteral("%1: %2 is not a function, media key, combo:NAME, keys:KEYS or "
                              "macro:FILE")
            .arg(key, value);
    }
    b->given = true;
    return QString();
}

QString parse_set(const QStringList &pairs, const QString &cwd, Request *r)
{
    if (pairs.isEmpty()) return QStringLiteral("set: nothing to set (KEY=VALUE ...)");
    QStringList seen;
    for (const QString &pair : pairs) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0) return QStringLiteral("set: %1 is not KEY=VALUE").arg(pair);
        const QString key = pair.left(eq), value = pair.mid(eq + 1);
        if (seen.contains(key)) return QStringLiteral("%1: given twice").arg(key);
        seen << key;
        QString e;
        if (key == QLatin1String("dpi")) {
            const QStringList values = value.split(QLatin1Char(','));
            if (values.size() != 5)
                return QStringLiteral("dpi: %1 is not five levels (a,b,c,d,e)").arg(value);
            for (int i = 0; i < 5 && e.isEmpty(); ++i)
                e = check_dpi(key, values.at(i), &r->dpi[i]);
            r->hasDpi = true;
        } else if (key == QLatin1String("dpi-active")) {
            if (!parse_int(value, &r->dpiActive) || r->dpiActive < 1 || r->dpiActive > 5) {
                r->dpiActive = 0;
                e = QStringLiteral("dpi-active: %1 is not a level (1 to 5)").arg(value);
            }
        } else if (key == QLatin1String("rate")) {
            e = check_rate(value, &r->rate);
        } else if (key == QLatin1String("front") || key == QLatin1String("rear")) {
            const int zone = key == QLatin1String("front") ? 1 : 0;
            e = parse_zone(zone, value, &r->zone[zone]);
        } else if (key.startsWith(QLatin1String("button"))) {
            int id = 0;
            if (!parse_int(key.mid(6), &id) || id < kFirstButton || id >= kFirstButton + kButtons)
                return QStringLiteral("%1: not a button (button2 to button7)").arg(key);
            e = parse_assignment(key, value, cwd, &r->button[id - kFirstButton]);
        } else {
            return QStringLiteral("set: %1 is not a setting (dpi, dpi-active, rate, front, rear, "
                                  "button2 ... button7)")
                .arg(key);
        }
        if (!e.isEmpty()) return e;
    }
    return QString();
}

// ---- the backup file ------------------------------------------------------------

QByteArray hex_field(const QJsonObject &o, const char *key, int size, bool *ok)
{
    const QJsonValue v = o.value(QLatin1String(key));
    const QString s = v.toString();
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]*$"));
    if (!v.isString() || s.size() != 2 * size || !hex.match(s).hasMatch()) {
        *ok = false;
        return QByteArray();
    }
    return QByteArray::fromHex(s.toLatin1());
}

bool int_field(const QJsonObject &o, const char *key, int *v)
{
    const QJsonValue j = o.value(QLatin1String(key));
    if (!j.isDouble()) return false;
    const double d = j.toDouble();
    // Range first: converting a huge double to an integer is undefined.
    if (!(d >= -1e9 && d <= 1e9) || d != double(qint64(d))) return false;
    *v = int(d);
    return true;
}

QString backup_zone(const QJsonObject &root, int zone, ZoneRequest *z)
{
    const QString key = zone_key(zone);
    const QJsonValue v = root.value(key);
    if (!v.isObject()) return QStringLiteral("no %1 zone").arg(key);
    const QJsonObject o = v.toObject();
    const int effect = code_of(kEffects, o.value(QLatin1String("effect")).toString());
    if (effect < 0 || !valid_effect(zone, effect))
        return QStringLiteral("%1: effect %2 is not an effect of this zone")
            .arg(key, o.value(QLatin1String("effect")).toVariant().toString());
    // On and off never send a speed: the mouse keeps what an earlier frame left.
    const bool hasSpeed = effect == 2 || effect == 3 || effect == 6;
    int speed = 0;
    if (!int_field(o, "speed", &speed) || speed < (hasSpeed ? 1 : 0) ||
        speed > (hasSpeed ? 8 : 255))
        return QStringLiteral("%1: speed is not 1 to 8").arg(key);
    QString e = check_colour(key, o.value(QLatin1String("colour")).toString(), z->rgb);
    if (!e.isEmpty()) return e;
    bool ok = true;
    const QByteArray record = hex_field(o, "record", 7, &ok);
    if (!ok) return QStringLiteral("%1: record is not 7 bytes in hex").arg(key);
    z->given = true;
    z->effect = effect;
    z->speed = speed;
    z->hasColour = true;
    z->hasRecord = true;
    memcpy(z->record, record.constData(), 7);
    return QString();
}

QString backup_button(const QJsonObject &buttons, int id, ButtonRequest *b)
{
    const QString key = QStringLiteral("button%1").arg(id);
    const QJsonValue v = buttons.value(key);
    if (!v.isObject()) return QStringLiteral("no %1").arg(key);
    const QJsonObject o = v.toObject();
    bool ok = true;
    const QByteArray record = hex_field(o, "record", 4, &ok);
    if (!ok) return QStringLiteral("%1: record is not 4 bytes in hex").arg(key);
    const QString assign = o.value(QLatin1String("assign")).toString();
    if (assign == QLatin1String("macro")) {
        const QJsonValue ev = o.value(QLatin1String("events"));
        const QJsonValue delays = o.value(QLatin1String("delays"));
        if (!ev.isArray() || !delays.isBool())
            return QStringLiteral("%1: a macro needs events and delays").arg(key);
        QStringList lines;
        for (const QJsonValue &l : ev.toArray()) {
            if (!l.isString()) return QStringLiteral("%1: an event is not text").arg(key);
            lines << l.toString();
        }
        bool anyWait = false;
        const QString e = parse_macro_text(lines.join(QLatin1Char('\n')), &b->events, &anyWait);
        if (!e.isEmpty()) return QStringLiteral("%1: %2").arg(key, e);
        b->kind = 2;
        b->delays = delays.toBool();
        b->given = true;
    } else {
        // A backup carries its macros inline; it never names files to read.
        if (assign.startsWith(QLatin1String("macro:")))
            return QStringLiteral("%1: a macro file has no place in a backup").arg(key);
        const QString e = parse_assignment(key, assign, QString(), b);
        if (!e.isEmpty()) return e;
    }
    b->hasRecord = true;
    memcpy(b->record, record.constData(), 4);
    return QString();
}

QJsonArray int_array(const int *v, int n)
{
    QJsonArray a;
    for (int i = 0; i < n; ++i)
        a.append(v[i]);
    return a;
}

QString hex(const quint8 *p, int n)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(p), n).toHex());
}

} // namespace

bool Request::changesSomething() const
{
    if (hasDpi || dpiActive || rate) return true;
    for (const ZoneRequest &z : zone)
        if (z.given) return true;
    for (const ButtonRequest &b : button)
        if (b.given) return true;
    return false;
}

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

QString keys_text(quint8 modifiers, quint8 usage)
{
    QStringList parts;
    for (int bit = 0; bit < 8; ++bit)
        if (modifiers & (1u << bit)) parts << QString::fromLatin1(kModifierNames[bit]);
    if (usage != 0) parts << key_name(usage);
    return parts.join(QLatin1Char('+'));
}

QString assignment_text(const quint8 *record)
{
    const int kind = record[0], code = record[1];
    if (kind == 0) return function_name(code);
    if (kind == 1) {
        if (code == 0) {
            const QString keys = keys_text(record[2], record[3]);
            return keys.isEmpty() ? QString() : QStringLiteral("keys:") + keys;
        }
        if (code >= 10) return media_name(code);
        const QString combo = combo_name(code);
        return combo.isEmpty() ? QString() : QStringLiteral("combo:") + combo;
    }
    if (kind == 2) return QStringLiteral("macro");
    return QString();
}

QString parse_macro_text(const QString &text, QVector<MacroEvent> *events, bool *delays)
{
    events->clear();
    *delays = false;
    quint32 pending = 0;
    bool waiting = false;
    int lineNo = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0) line.truncate(hash);
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        const QString what = words.at(0).toLower();
        if (words.size() != 2)
            return QStringLiteral("line %1: not \"down KEY\", \"up KEY\" or \"wait MS\"")
                .arg(lineNo);
        if (what == QLatin1String("wait")) {
            int ms = 0;
            if (!parse_int(words.at(1), &ms) || pending + quint32(ms) > 0xffff)
                return QStringLiteral("line %1: %2 is not a wait (0 to 65535 ms before the next "
                                      "event)")
                    .arg(lineNo)
                    .arg(words.at(1));
            pending += quint32(ms);
            waiting = true;
            continue;
        }
        if (what != QLatin1String("down") && what != QLatin1String("up"))
            return QStringLiteral("line %1: %2 is not down, up or wait")
                .arg(lineNo)
                .arg(words.at(0));
        const int usage = key_usage(words.at(1));
        if (usage < 0 || usage > 0xff)
            return QStringLiteral("line %1: %2 is not a key name").arg(lineNo).arg(words.at(1));
        if (events->size() >= kMaxMacroEvents)
            return QStringLiteral("more than %1 events").arg(kMaxMacroEvents);
        MacroEvent e;
        e.usage = quint8(usage);
        e.release = what == QLatin1String("up");
        e.wait = quint16(pending);
        if (waiting) *delays = true;
        pending = 0;
        waiting = false;
        events->append(e);
    }
    if (waiting) return QStringLiteral("a wait after the last event");
    return QString();
}

QStringList macro_lines(const QVector<MacroEvent> &events)
{
    QStringList out;
    for (const MacroEvent &e : events) {
        if (e.wait) out << QStringLiteral("wait %1").arg(e.wait);
        out << QStringLiteral("%1 %2").arg(
            e.release ? QStringLiteral("up") : QStringLiteral("down"), key_name(e.usage));
    }
    return out;
}

QString parse_arguments(const QStringList &argsIn, const QString &cwd, Request *r)
{
    *r = Request();
    QStringList args;
    for (const QString &a : argsIn) {
        if (a == QLatin1String("--json"))
            r->json = true;
        else if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return QString(); // help wins over everything else
        else
            args << a;
    }
    if (args.isEmpty() || args.at(0) == QLatin1String("help")) return QString();
    const QString command = args.takeFirst();
    if (command.startsWith(QLatin1Char('-')))
        return QStringLiteral("%1 is not an option (--json, --help)").arg(command);
    if (command == QLatin1String("show")) {
        r->command = Request::Show;
        if (!args.isEmpty()) return QStringLiteral("show: %1 is not understood").arg(args.at(0));
    } else if (command == QLatin1String("set")) {
        r->command = Request::Set;
        return parse_set(args, cwd, r);
    } else if (command == QLatin1String("reset")) {
        r->command = Request::Reset;
        if (!args.isEmpty()) return QStringLiteral("reset: %1 is not understood").arg(args.at(0));
    } else if (command == QLatin1String("restore")) {
        if (args.size() != 1) return QStringLiteral("restore: give one backup file");
        QByteArray data;
        const QString e =
            read_text_file(QStringLiteral("restore"), args.at(0), cwd, 1 << 20, &data);
        if (!e.isEmpty()) return e;
        const QString b = parse_backup(data, r);
        if (!b.isEmpty()) return QStringLiteral("restore: %1: %2").arg(args.at(0), b);
    } else if (command == QLatin1String("flash")) {
        r->command = Request::Flash;
        if (args.size() != 1) return QStringLiteral("flash: give one firmware image");
        const QString path = QDir(cwd).absoluteFilePath(args.at(0));
        QFile f(path);
        if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
            return QStringLiteral("flash: cannot read %1").arg(args.at(0));
        if (f.size() > fwimage::kMaxFileSize)
            return QStringLiteral("flash: %1 is not a firmware image (too large)").arg(args.at(0));
        const QByteArray data = f.readAll();
        fwimage::Image img;
        const fwimage::Parse p = fwimage::parse(data, &img);
        if (p != fwimage::Parse::Ok || img.mcu_length == 0)
            return QStringLiteral("flash: %1 is not a firmware image (%2)")
                .arg(args.at(0), p == fwimage::Parse::NoHeader ? QStringLiteral("no header")
                                                               : QStringLiteral("cut short"));
        r->flashFile = path;
    } else {
        return QStringLiteral("%1 is not a command (show, set, reset, restore, flash)")
            .arg(command);
    }
    return QString();
}

QString parse_backup(const QByteArray &json, Request *r)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("not a backup (%1 at byte %2)")
            .arg(error.errorString())
            .arg(error.offset);
    if (!doc.isObject()) return QStringLiteral("not a backup");
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("kivoctl")).toInt() != 1)
        return QStringLiteral("not a backup of kivoctl (no \"kivoctl\": 1)");
    Request out;
    out.command = Request::Restore;

    const QJsonObject dpi = root.value(QLatin1String("dpi")).toObject();
    const QJsonArray levels = dpi.value(QLatin1String("levels")).toArray();
    if (levels.size() != 5) return QStringLiteral("dpi: not five levels");
    for (int i = 0; i < 5; ++i) {
        const QString e =
            check_dpi(QStringLiteral("dpi"), levels.at(i).toVariant().toString(), &out.dpi[i]);
        if (!e.isEmpty() || !levels.at(i).isDouble())
            return QStringLiteral("dpi: level %1 is not a DPI value").arg(i + 1);
    }
    if (!int_field(dpi, "active", &out.dpiActive) || out.dpiActive < 1 || out.dpiActive > 5)
        return QStringLiteral("dpi: active is not a level (1 to 5)");
    bool ok = true;
    const QByteArray dpiRecord = hex_field(dpi, "record", 8, &ok);
    if (!ok) return QStringLiteral("dpi: record is not 8 bytes in hex");
    out.hasDpi = true;
    out.hasDpiRecord = true;
    memcpy(out.dpiRecord, dpiRecord.constData(), 8);

    int rate = 0;
    if (!int_field(root, "rate", &rate) || check_rate(QString::number(rate), &out.rate).size())
        return QStringLiteral("rate: not 125, 250, 500 or 1000");

    for (int zone = 0; zone < 2; ++zone) {
        const QString e = backup_zone(root, zone, &out.zone[zone]);
        if (!e.isEmpty()) return e;
    }
    const QJsonValue buttons = root.value(QLatin1String("buttons"));
    if (!buttons.isObject()) return QStringLiteral("no buttons");
    for (int i = 0; i < kButtons; ++i) {
        const QString e = backup_button(buttons.toObject(), kFirstButton + i, &out.button[i]);
        if (!e.isEmpty()) return e;
    }
    *r = out;
    return QString();
}

// ---- the request on its way to the running program ------------------------------

QJsonObject to_message(const Request &r)
{
    QJsonObject o;
    o[QStringLiteral("command")] = int(r.command);
    o[QStringLiteral("json")] = r.json;
    o[QStringLiteral("hasDpi")] = r.hasDpi;
    o[QStringLiteral("dpi")] = int_array(r.dpi, 5);
    o[QStringLiteral("dpiActive")] = r.dpiActive;
    o[QStringLiteral("hasDpiRecord")] = r.hasDpiRecord;
    o[QStringLiteral("dpiRecord")] = hex(r.dpiRecord, 8);
    o[QStringLiteral("rate")] = r.rate;
    QJsonArray zones;
    for (const ZoneRequest &z : r.zone) {
        QJsonObject zo;
        zo[QStringLiteral("given")] = z.given;
        zo[QStringLiteral("effect")] = z.effect;
        zo[QStringLiteral("speed")] = z.speed;
        zo[QStringLiteral("hasColour")] = z.hasColour;
        zo[QStringLiteral("rgb")] = hex(z.rgb, 3);
        zo[QStringLiteral("hasRecord")] = z.hasRecord;
        zo[QStringLiteral("record")] = hex(z.record, 7);
        zones.append(zo);
    }
    o[QStringLiteral("zones")] = zones;
    QJsonArray buttons;
    for (const ButtonRequest &b : r.button) {
        QJsonObject bo;
        bo[QStringLiteral("given")] = b.given;
        bo[QStringLiteral("kind")] = b.kind;
        bo[QStringLiteral("code")] = b.code;
        bo[QStringLiteral("modifiers")] = b.modifiers;
        bo[QStringLiteral("usage")] = b.usage;
        bo[QStringLiteral("delays")] = b.delays;
        QByteArray events;
        for (const MacroEvent &e : b.events)
            events += QByteArray(1, char(e.usage)) + char(e.release ? 1 : 0) + char(e.wait >> 8) +
                      char(e.wait & 0xff);
        bo[QStringLiteral("events")] = QString::fromLatin1(events.toHex());
        bo[QStringLiteral("hasRecord")] = b.hasRecord;
        bo[QStringLiteral("record")] = hex(b.record, 4);
        buttons.append(bo);
    }
    o[QStringLiteral("buttons")] = buttons;
    o[QStringLiteral("flashFile")] = r.flashFile;
    return o;
}

bool from_message(const QJsonObject &o, Request *out)
{
    // Written by kivoctl itself; still checked again, as anything from a socket.
    Request r;
    const int command = o.value(QLatin1String("command")).toInt(-1);
    if (command < Request::Show || command > Request::Flash) return false;
    r.command = Request::Command(command);
    r.json = o.value(QLatin1String("json")).toBool();
    r.hasDpi = o.value(QLatin1String("hasDpi")).toBool();
    const QJsonArray dpi = o.value(QLatin1String("dpi")).toArray();
    if (dpi.size() != 5) return false;
    for (int i = 0; i < 5; ++i) {
        r.dpi[i] = dpi.at(i).toInt();
        if (r.hasDpi && (r.dpi[i] < kMinDpi || r.dpi[i] > kMaxDpi || r.dpi[i] % 50)) return false;
    }
    r.dpiActive = o.value(QLatin1String("dpiActive")).toInt();
    if (r.dpiActive < 0 || r.dpiActive > 5) return false;
    r.hasDpiRecord = o.value(QLatin1String("hasDpiRecord")).toBool();
    auto unhex = [](const QJsonValue &v, quint8 *dst, int n) {
        const QByteArray b = QByteArray::fromHex(v.toString().toLatin1());
        if (b.size() != n) return false;
        memcpy(dst, b.constData(), n);
        return true;
    };
    if (!unhex(o.value(QLatin1String("dpiRecord")), r.dpiRecord, 8)) return false;
    r.rate = o.value(QLatin1String("rate")).toInt();
    if (r.rate != 0 && r.rate != 125 && r.rate != 250 && r.rate != 500 && r.rate != 1000)
        return false;
    const QJsonArray zones = o.value(QLatin1String("zones")).toArray();
    if (zones.size() != 2) return false;
    for (int i = 0; i < 2; ++i) {
        const QJsonObject zo = zones.at(i).toObject();
        ZoneRequest &z = r.zone[i];
        z.given = zo.value(QLatin1String("given")).toBool();
        z.effect = zo.value(QLatin1String("effect")).toInt(-1);
        z.speed = zo.value(QLatin1String("speed")).toInt();
        z.hasColour = zo.value(QLatin1String("hasColour")).toBool();
        z.hasRecord = zo.value(QLatin1String("hasRecord")).toBool();
        if (!unhex(zo.value(QLatin1String("rgb")), z.rgb, 3)) return false;
        if (!unhex(zo.value(QLatin1String("record")), z.record, 7)) return false;
        if (z.effect != -1 && !valid_effect(i, z.effect)) return false;
        if (z.speed < 0 || z.speed > (r.command == Request::Set ? 8 : 255)) return false;
    }
    const QJsonArray buttons = o.value(QLatin1String("buttons")).toArray();
    if (buttons.size() != kButtons) return false;
    for (int i = 0; i < kButtons; ++i) {
        const QJsonObject bo = buttons.at(i).toObject();
        ButtonRequest &b = r.button[i];
        b.given = bo.value(QLatin1String("given")).toBool();
        b.kind = bo.value(QLatin1String("kind")).toInt();
        b.code = bo.value(QLatin1String("code")).toInt();
        b.modifiers = quint8(bo.value(QLatin1String("modifiers")).toInt());
        b.usage = quint8(bo.value(QLatin1String("usage")).toInt());
        b.delays = bo.value(QLatin1String("delays")).toBool();
        b.hasRecord = bo.value(QLatin1String("hasRecord")).toBool();
        if (!unhex(bo.value(QLatin1String("record")), b.record, 4)) return false;
        const QByteArray events =
            QByteArray::fromHex(bo.value(QLatin1String("events")).toString().toLatin1());
        if (events.size() % 4 || events.size() / 4 > kMaxMacroEvents) return false;
        for (int k = 0; k < events.size(); k += 4) {
            MacroEvent e;
            e.usage = quint8(events[k]);
            e.release = events[k + 1] != 0;
            e.wait = quint16((quint8(events[k + 2]) << 8) | quint8(events[k + 3]));
            b.events.append(e);
        }
        if (b.given) {
            const bool fine = (b.kind == 0 && b.code >= 1 && b.code <= 8) ||
                              (b.kind == 1 && b.code >= 1 && b.code <= 12) || b.kind == 2 ||
                              b.kind == 3;
            if (!fine) return false;
        }
    }
    r.flashFile = o.value(QLatin1String("flashFile")).toString();
    *out = r;
    return true;
}

QString help_text()
{
    return QStringLiteral(
        "Usage: kivoctl [--json] COMMAND ...\n"
        "Sets the Kivo Z9K mouse from the command line, through the pages of the\n"
        "Kivo Gaming Mouse App: a running program applies the request in its window;\n"
        "otherwise kivoctl does it on its own (a window started meanwhile refuses).\n"
        "\n"
        "Commands:\n"
        "  show [--json]          battery, firmware, DPI levels, report rate, lighting,\n"
        "                         the six buttons (--json: a backup for restore)\n"
        "  set KEY=VALUE ...      change settings; every value is checked first:\n"
        "      dpi=A,B,C,D,E      the five levels, 50 to 7200 in steps of 50\n"
        "      dpi-active=N       the active level, 1 to 5\n"
        "      rate=HZ            125, 250, 500 or 1000\n"
        "      front=PARTS        on | breath | off, #rrggbb, speed=1..8\n"
        "      rear=PARTS         on | breath | run | magic | off, #rrggbb, speed=1..8\n"
        "                         (e.g. front=breath,#ff0000,speed=4  rear=magic,speed=6;\n"
        "                         breath, run and magic have a speed; on, breath and\n"
        "                         run a colour, taken from the colour presets and added\n"
        "                         to them when it is not there yet)\n"
        "      buttonN=ASSIGN     N 2 to 7; ASSIGN one of\n"
        "                         left-click right-click middle-click back forward\n"
        "                         dpi-up dpi-down dpi-switch volume-up volume-down mute\n"
        "                         combo:close-window|show-desktop|next-tab|prev-tab|cut|\n"
        "                               paste|undo|redo|copy\n"
        "                         keys:MOD+...+KEY  e.g. keys:ctrl+alt+c\n"
        "                         macro:FILE  at most 128 events, one a line:\n"
        "                               down KEY | up KEY | wait MS  (# comments)\n"
        "  reset                  restore the mouse's factory settings\n"
        "  restore FILE           put back every setting of a show --json backup\n"
        "  flash FILE             flash a firmware image\n"
        "\n"
        "Keys: a-z 0-9 f1-f12 enter esc backspace tab space minus equal leftbracket\n"
        "  rightbracket backslash semicolon apostrophe grave comma dot slash capslock\n"
        "  printscreen scrolllock pause insert home pageup delete end pagedown right\n"
        "  left down up numlock kp0-kp9 kp-slash kp-asterisk kp-minus kp-plus kp-enter\n"
        "  kp-dot menu ctrl shift alt win rctrl rshift ralt rwin, or a code as 0x2a\n"
        "\n"
        "Exit codes:\n"
        "  0  done\n"
        "  1  failed: the device library could not be loaded, or a flash did not\n"
        "     complete\n"
        "  2  a bad value, named on one line; nothing was sent\n"
        "  3  no mouse\n"
        "  4  busy: a firmware flash is running, or another kivoctl is at work\n");
}

} // namespace kivoctl
