#ifndef AUTORUN_H
#define AUTORUN_H

// Start with the system: on Windows the value "kivomouse" under the current
// user's Run key, on Linux the XDG autostart entry "kivomouse.desktop". Both
// start this program with the option "-h" so that it comes up hidden.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace autorun
{

// The command the autostart record must hold for this installation: the
// program's path (native separators on Windows, desktop-entry quoting on
// Linux) followed by " -h".
QString expected_command();

// True only when the stored command is exactly expected_command(). Reading
// never writes; anything unreadable counts as off.
bool is_enabled();

// On: store expected_command(). Off: keep the record but empty (Windows) or
// disable (Linux) it.
void set_enabled(bool on);

// The exact-match rule: case-sensitive, whole text. The same path without
// "-h", or the path of another installation, is not a match.
inline bool command_matches(const QString &stored, const QString &expected)
{
    return !expected.isEmpty() && stored.compare(expected, Qt::CaseSensitive) == 0;
}

#ifndef Q_OS_WIN
namespace xdg
{

// The autostart entry's full path: $XDG_CONFIG_HOME/autostart/kivomouse.desktop,
// with ~/.config when XDG_CONFIG_HOME is unset or not absolute.
QString entry_path();

// One program path as an Exec argument: double-quoted, with the quote,
// backtick, dollar and backslash escaped, when it holds a reserved character
// (a space, for one); '%' is always doubled.
QString exec_argument(const QString &path);

// The file contents of an enabled entry running `exec` (an unescaped Exec
// value such as expected_command() returns).
QByteArray entry_text(const QString &exec);

// Whether file contents describe an enabled entry whose Exec is exactly
// `expected`. Garbled contents are not enabled.
bool entry_enabled(const QByteArray &contents, const QString &expected);

// The path autostart runs for the program file `programFile`: for an installed
// <prefix>/lib/kivomouse/kivomouse the <prefix>/bin link that resolves to it,
// otherwise the file itself.
QString launch_path(const QString &programFile);

} // namespace xdg
#endif

} // namespace autorun

#endif // AUTORUN_H
