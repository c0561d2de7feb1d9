// The checks a value passes before it can go to the mouse, whether it comes
// from the command line, a backup or the socket. A QString result is the one
// line that names the bad value, or empty.
#ifndef KIVOCTL_CHECKS_H
#define KIVOCTL_CHECKS_H

#include <QString>
#include <QtGlobal>

namespace kivoctl
{

// The effects a zone has: the front (1) on, breath, off; the rear (0) also run and magic.
bool valid_effect(int zone, int effect);
// Digits only: no sign, no blanks, no hex.
bool parse_int(const QString &s, int *v);
QString check_dpi(const QString &key, const QString &text, int *value);
QString check_rate(const QString &text, int *rate);
QString check_speed(const QString &key, const QString &text, int *speed);
QString check_colour(const QString &key, const QString &text, quint8 *rgb); // "#rrggbb"

} // namespace kivoctl

#endif
