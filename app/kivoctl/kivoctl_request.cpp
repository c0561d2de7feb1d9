#include "kivoctl/kivoctl_request.h"

#include "device/kivomouse.h"
#include "kivoctl/kivoctl_backup.h"
#include "kivoctl/kivoctl_checks.h"
#include "kivoctl/kivoctl_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kivoctl
{

namespace
{

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
            const int effect = effect_code(part);
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

} // namespace

QString parse_assignment(const QString &key, const QString &value, const QString &cwd,
                         ButtonRequest *b)
{
    int code = function_code(value);
    if (code > 0) {
        b->kind = 0;
        b->code = code;
    } else if ((code = media_code(value)) > 0) {
        b->kind = 1;
        b->code = code;
    } else if (value.startsWith(QLatin1String("combo:"))) {
        code = combo_code(value.mid(6));
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

bool Request::changesSomething() const
{
    if (hasDpi || dpiActive || rate) return true;
    for (const ZoneRequest &z : zone)
        if (z.given) return true;
    for (const ButtonRequest &b : button)
        if (b.given) return true;
    return false;
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
        // Only named here: the program reads the image once and checks what it
        // then flashes, whoever asks for the flash.
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable())
            return QStringLiteral("flash: cannot read %1").arg(args.at(0));
        r->flashFile = path;
    } else {
        return QStringLiteral("%1 is not a command (show, set, reset, restore, flash)")
            .arg(command);
    }
    return QString();
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
        "  1  failed: the device library could not be loaded, a flash did not\n"
        "     complete (the restarted mouse did not report the image's version),\n"
        "     the mouse refused a setting, or a colour preset was not saved (each\n"
        "     named on a line)\n"
        "  2  a bad value, named on one line; nothing was sent\n"
        "  3  no mouse, or it went away before every setting was applied (named\n"
        "     on a line)\n"
        "  4  busy: a firmware flash is running, another kivoctl is at work, or\n"
        "     the window is recording a macro, capturing a custom key or showing\n"
        "     the factory reset or firmware update dialog; nothing was sent\n");
}

} // namespace kivoctl
