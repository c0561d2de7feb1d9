#include "kivoctl/kivoctl_snapshot.h"

#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "kivoctl/kivoctl_names.h"
#include "pages/buttons/micro_widget.h"

#include <cstring>

namespace kivoctl
{

namespace
{

QVector<MacroEvent> read_macro(int id, int length)
{
    QVector<MacroEvent> out;
    length = qMin(length, kMaxMacroEvents * 4) / 4 * 4;
    for (int offset = 0; offset < length; offset += micro_Widget::kChunkBytes) {
        const int wanted = qMin(length - offset, int(micro_Widget::kChunkBytes));
        unsigned char request[63] = {0};
        unsigned char reply[64] = {0};
        request[0] = 0xf0;
        request[1] = quint8(id + 10);
        request[2] = quint8(wanted);
        fwimage::put_be32(request + 3, quint32(offset));
        if (!config_read(63, request, reply)) break;
        for (int j = 0; j < wanted / 4; ++j) {
            const unsigned char *e = reply + 8 + 4 * j;
            MacroEvent m;
            m.usage = e[0];
            m.release = e[1] != 0;
            m.wait = quint16((e[2] << 8) | e[3]);
            out.append(m);
        }
    }
    return out;
}

} // namespace

Snapshot read_snapshot()
{
    Snapshot s;
    unsigned char frame[31] = {0};
    unsigned char reply[32] = {0};
    frame[0] = 0x90;
    s.batteryRead = control_read(frame, reply);
    s.battery = reply[3];
    unsigned char version[64] = {0};
    config_read(1, get_version, version);
    memcpy(s.version, version + 3, 3);
    for (int zone = 0; zone < 2; ++zone) {
        frame[0] = 0xA0;
        frame[1] = quint8(zone);
        control_read(frame, reply);
        memcpy(s.zone[zone], reply + 4, 7);
    }
    frame[0] = 0xC2;
    control_read(frame, reply);
    memcpy(s.dpi, reply + 3, 8);
    frame[0] = 0xC4;
    control_read(frame, reply);
    s.rate = reply[3];
    for (int i = 0; i < kButtons; ++i) {
        const int id = kFirstButton + i;
        frame[0] = 0xB0;
        frame[1] = quint8(id);
        control_read(frame, reply);
        memcpy(s.button[i], reply + 4, 4);
        if (s.button[i][0] == 2) s.macro[i] = read_macro(id, s.button[i][2] * 256 + s.button[i][3]);
    }
    return s;
}

QByteArray snapshot_text(const Snapshot &s)
{
    QString t;
    auto line = [&t](const QString &key, const QString &value) {
        t += key.leftJustified(11) + value + QLatin1Char('\n');
    };
    line(QStringLiteral("battery"),
         s.batteryRead ? QStringLiteral("%1%").arg(s.battery) : QStringLiteral("unknown"));
    line(QStringLiteral("firmware"),
         QStringLiteral("%1.%2.%3").arg(s.version[0]).arg(s.version[1]).arg(s.version[2]));
    QStringList levels;
    for (int i = 0; i < 5; ++i) {
        const QString v = QString::number(s.dpi[i] * 50);
        levels << (i == s.dpi[5] ? QStringLiteral("[%1]").arg(v) : v);
    }
    line(QStringLiteral("dpi"), levels.join(QLatin1Char(' ')));
    line(QStringLiteral("rate"), rate_hz(s.rate) ? QString::number(rate_hz(s.rate))
                                                 : QStringLiteral("unknown (%1)").arg(s.rate));
    for (int zone : {1, 0}) {
        const quint8 *z = s.zone[zone];
        const QString effect = effect_name(z[0]).isEmpty() ? QStringLiteral("unknown(%1)").arg(z[0])
                                                           : effect_name(z[0]);
        line(zone_key(zone),
             QStringLiteral("%1 %2 speed=%3").arg(effect, colour_text(z + 4)).arg(z[1]));
    }
    for (int i = 0; i < kButtons; ++i) {
        QString a = assignment_or_raw(s.button[i]);
        if (s.button[i][0] == 2) {
            a += s.button[i][1] ? QStringLiteral(" (with delays)") : QString();
            a += QStringLiteral(": ") + macro_lines(s.macro[i]).join(QStringLiteral(", "));
        }
        line(QStringLiteral("button%1").arg(kFirstButton + i), a);
    }
    return t.toUtf8();
}

} // namespace kivoctl
