// Macro text, as "set buttonN=macro:FILE" reads it and "show" prints it: one
// event a line, "down KEY" / "up KEY", "wait MS" before the event it delays;
// '#' starts a comment.
#ifndef KIVOCTL_MACROTEXT_H
#define KIVOCTL_MACROTEXT_H

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

namespace kivoctl
{

constexpr int kMaxMacroEvents = 128;

// One macro event as the mouse stores it.
struct MacroEvent {
    quint8 usage = 0;     // HID usage
    bool release = false; // false press, true release
    quint16 wait = 0;     // ms since the previous event
};

// Error: the one line that names the bad line; *delays: whether any wait was given.
QString parse_macro_text(const QString &text, QVector<MacroEvent> *events, bool *delays);
QStringList macro_lines(const QVector<MacroEvent> &events);

} // namespace kivoctl

#endif
