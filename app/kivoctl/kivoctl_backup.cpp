#include "kivoctl/kivoctl_backup.h"

#include "kivoctl/kivoctl_checks.h"
#include "kivoctl/kivoctl_names.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstring>

namespace kivoctl
{

namespace
{

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
    const int effect = effect_code(o.value(QLatin1String("effect")).toString());
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
    } else if (assign.startsWith(QLatin1String("unknown:"))) {
        // What no name covers goes back as the mouse reported it.
        if (assign.mid(8) != o.value(QLatin1String("record")).toString())
            return QStringLiteral("%1: %2 is not its record").arg(key, assign);
        b->kind = ButtonRequest::Record;
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

} // namespace

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

QByteArray snapshot_json(const Snapshot &s)
{
    QJsonObject root;
    root[QStringLiteral("kivoctl")] = 1;
    root[QStringLiteral("battery")] = s.batteryRead ? QJsonValue(s.battery) : QJsonValue();
    root[QStringLiteral("firmware")] =
        QStringLiteral("%1.%2.%3").arg(s.version[0]).arg(s.version[1]).arg(s.version[2]);
    QJsonObject dpi;
    QJsonArray levels;
    for (int i = 0; i < 5; ++i)
        levels.append(s.dpi[i] * 50);
    dpi[QStringLiteral("levels")] = levels;
    dpi[QStringLiteral("active")] = s.dpi[5] + 1;
    dpi[QStringLiteral("count")] = s.dpi[7];
    dpi[QStringLiteral("record")] = hex(s.dpi, 8);
    root[QStringLiteral("dpi")] = dpi;
    root[QStringLiteral("rate")] = rate_hz(s.rate) ? QJsonValue(rate_hz(s.rate)) : QJsonValue();
    for (int zone : {1, 0}) {
        const quint8 *z = s.zone[zone];
        QJsonObject o;
        o[QStringLiteral("effect")] =
            effect_name(z[0]).isEmpty() ? QJsonValue() : effect_name(z[0]);
        o[QStringLiteral("speed")] = z[1];
        o[QStringLiteral("colour")] = colour_text(z + 4);
        o[QStringLiteral("record")] = hex(z, 7);
        root[zone_key(zone)] = o;
    }
    QJsonObject buttons;
    for (int i = 0; i < kButtons; ++i) {
        QJsonObject o;
        o[QStringLiteral("assign")] = assignment_or_raw(s.button[i]);
        if (s.button[i][0] == 2) {
            o[QStringLiteral("delays")] = s.button[i][1] != 0;
            o[QStringLiteral("events")] = QJsonArray::fromStringList(macro_lines(s.macro[i]));
        }
        o[QStringLiteral("record")] = hex(s.button[i], 4);
        buttons[QStringLiteral("button%1").arg(kFirstButton + i)] = o;
    }
    root[QStringLiteral("buttons")] = buttons;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace kivoctl
