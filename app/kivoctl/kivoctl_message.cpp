#include "kivoctl/kivoctl_message.h"

#include "kivoctl/kivoctl_checks.h"
#include "kivoctl/kivoctl_names.h"

#include <QDir>
#include <QJsonArray>
#include <QtEndian>
#include <cstring>

namespace kivoctl
{

namespace
{

QJsonArray int_array(const int *v, int n)
{
    QJsonArray a;
    for (int i = 0; i < n; ++i)
        a.append(v[i]);
    return a;
}

} // namespace

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
            const bool fine =
                (b.kind == 0 && b.code >= 1 && b.code <= 8) ||
                (b.kind == 1 && b.code >= 1 && b.code <= 12) || b.kind == 2 || b.kind == 3 ||
                (b.kind == ButtonRequest::Record && b.hasRecord && r.command == Request::Restore);
            if (!fine) return false;
        }
    }
    r.flashFile = o.value(QLatin1String("flashFile")).toString();
    // kivoctl names the image by its absolute path; the program's own folder is no default.
    if (r.command == Request::Flash && !QDir::isAbsolutePath(r.flashFile)) return false;
    *out = r;
    return true;
}

// ---- the frame on the socket ------------------------------------------------------

QByteArray frame_message(const QByteArray &json)
{
    QByteArray out(4, '\0');
    qToBigEndian(quint32(json.size()), out.data());
    return out + json;
}

bool take_message(QByteArray *buffer, QByteArray *json, bool *bad)
{
    *bad = false;
    if (buffer->size() < 4) return false;
    const quint32 n = qFromBigEndian<quint32>(buffer->constData());
    if (n > quint32(kMaxMessage)) {
        *bad = true;
        return false;
    }
    if (quint32(buffer->size()) - 4 < n) return false;
    *json = buffer->mid(4, int(n));
    buffer->remove(0, int(4 + n));
    return true;
}

} // namespace kivoctl
