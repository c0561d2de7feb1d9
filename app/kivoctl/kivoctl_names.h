// The words kivoctl reads and prints for what the mouse stores as codes: keys,
// functions, media keys, preset combinations, effects, zones and report rates,
// and a record's bytes as hex.
#ifndef KIVOCTL_NAMES_H
#define KIVOCTL_NAMES_H

#include <QString>
#include <QtGlobal>

namespace kivoctl
{

QString key_name(quint8 usage);         // "a", "ctrl", "f5" ... or "0x32"
int key_usage(const QString &name);     // -1 for an unknown name
QString function_name(int code);        // 1-8
QString media_name(int code);           // 10-12
QString combo_name(int code);           // 1-9
QString effect_name(int code);          // 0, 1, 2, 3, 6
int function_code(const QString &name); // these four: -1 for an unknown name
int media_code(const QString &name);
int combo_code(const QString &name);
int effect_code(const QString &name);
QString keys_text(quint8 modifiers, quint8 usage); // "ctrl+alt+c"
// The assignment a button's four record bytes (kind, code, byte 6, byte 7)
// describe, in the words "set" takes; "macro" for a macro; empty when no
// words bring these bytes back.
QString assignment_text(const quint8 *record);
// The same, or "unknown:" and the record in hex, which a restore writes back
// as it is.
QString assignment_or_raw(const quint8 *record);

QString zone_key(int zone);             // 0 "rear", 1 "front", as the mouse numbers them
int rate_code(int hz);                  // the mouse's code for 125-1000 Hz; 0 for another rate
int rate_hz(int code);                  // 0 for an unknown code
QString colour_text(const quint8 *rgb); // "#rrggbb"
QString hex(const quint8 *p, int n);    // lowercase, as backups and messages keep records

} // namespace kivoctl

#endif
