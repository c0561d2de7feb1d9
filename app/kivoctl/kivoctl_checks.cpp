#include "kivoctl/kivoctl_checks.h"

#include "kivoctl/kivoctl_request.h"

#include <QRegularExpression>

namespace kivoctl
{

bool valid_effect(int zone, int effect)
{
    if (zone == 1) return effect == 0 || effect == 1 || effect == 2;
    return effect == 0 || effect == 1 || effect == 2 || effect == 3 || effect == 6;
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

} // namespace kivoctl
