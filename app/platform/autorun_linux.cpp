#include "platform/autorun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextCodec>

namespace
{

// An autostart entry is a few hundred bytes; anything far larger is not ours.
constexpr qint64 max_entry_size = 64 * 1024;

bool is_reserved(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// Key-file escaping of a string value; applied after the Exec quoting.
QString escape_value(const QString &value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QLatin1String("\\s"); // a leading space would be trimmed away
        else
            out += c;
    }
    return out;
}

QString unescape_value(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value.at(++i);
        switch (n.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += n;
            break; // not a key-file escape: kept as written
        }
    }
    return out;
}

// Reads the keys of the [Desktop Entry] group. False when the contents are
// not a well-formed key file (bad encoding, stray lines, repeated keys).
bool read_entry(const QByteArray &contents, QHash<QString, QString> *keys)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QString text = utf8->toUnicode(contents.constData(), contents.size(), &state);
    if (state.invalidChars > 0 || text.contains(QChar(0))) return false;

    bool inEntry = false;
    bool sawEntry = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']'))) return false;
            const QString group = trimmed.mid(1, trimmed.size() - 2);
            if (group == QLatin1String("Desktop Entry")) {
                if (sawEntry) return false;
                sawEntry = true;
                inEntry = true;
            } else {
                inEntry = false;
            }
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) return false;
        if (!inEntry) continue;
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1);
        // Only the white space next to '=' goes; trailing blanks are part of
        // the value.
        int lead = 0;
        while (lead < value.size() &&
               (value.at(lead) == QLatin1Char(' ') || value.at(lead) == QLatin1Char('\t')))
            ++lead;
        value.remove(0, lead);
        if (key.isEmpty() || keys->contains(key)) return false;
        keys->insert(key, unescape_value(value));
    }
    return sawEntry;
}

void write_entry(const QByteArray &contents)
{
    const QString path = autorun::xdg::entry_path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return; // not reported: the check box simply stays what the user chose
    file.write(contents);
    file.commit();
}

// The folder a login start runs in: the program downloads its updates into
// its working directory, which would otherwise be the home folder.
QString working_folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QByteArray entry_contents(const QString &exec, bool enabled)
{
    const QString flag = enabled ? QStringLiteral("true") : QStringLiteral("false");
    const QString hidden = enabled ? QStringLiteral("false") : QStringLiteral("true");
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Version=1.0\n"
                                        "Name=Kivo游戏鼠标\n"
                                        "Exec=") +
                         escape_value(exec) + QStringLiteral("\nPath=") +
                         escape_value(working_folder()) +
                         QStringLiteral("\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=") +
                         flag + QStringLiteral("\nHidden=") + hidden + QLatin1Char('\n');
    return text.toUtf8();
}

} // namespace

namespace autorun
{

namespace xdg
{

QString entry_path()
{
    QString base = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart/kivomouse.desktop");
}

QString exec_argument(const QString &path)
{
    bool quote = false;
    for (const QChar c : path)
        quote = quote || is_reserved(c);

    QString out;
    if (quote) out += QLatin1Char('"');
    for (const QChar c : path) {
        if (c == QLatin1Char('%')) {
            out += QLatin1String("%%");
            continue;
        }
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
    }
    if (quote) out += QLatin1Char('"');
    return out;
}

QByteArray entry_text(const QString &exec)
{
    return entry_contents(exec, true);
}

bool entry_enabled(const QByteArray &contents, const QString &expected)
{
    QHash<QString, QString> keys;
    if (!read_entry(contents, &keys)) return false;
    if (keys.value(QStringLiteral("Type")) != QLatin1String("Application")) return false;
    if (keys.value(QStringLiteral("Hidden")) == QLatin1String("true")) return false;
    if (keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false"))
        return false;
    const auto exec = keys.constFind(QStringLiteral("Exec"));
    return exec != keys.constEnd() && command_matches(*exec, expected);
}

QString launch_path(const QString &programFile)
{
    // Installed, the program lives in <prefix>/lib/kivomouse and <prefix>/bin
    // links to it: the link is the name that stays when the prefix is updated.
    const QFileInfo program(programFile);
    const QDir dir = program.absoluteDir();
    if (dir.dirName() != QLatin1String("kivomouse")) return programFile;
    QDir prefix = dir;
    if (!prefix.cdUp() || prefix.dirName() != QLatin1String("lib") || !prefix.cdUp())
        return programFile;
    const QString link = prefix.absoluteFilePath(QStringLiteral("bin/") + program.fileName());
    const QString target = QFileInfo(link).canonicalFilePath();
    if (!target.isEmpty() && target == program.canonicalFilePath()) return link;
    return programFile;
}

} // namespace xdg

QString expected_command()
{
    return xdg::exec_argument(xdg::launch_path(QCoreApplication::applicationFilePath())) +
           QStringLiteral(" -h");
}

bool is_enabled()
{
    QFile file(xdg::entry_path());
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray contents = file.read(max_entry_size + 1);
    if (contents.size() > max_entry_size) return false;
    return xdg::entry_enabled(contents, expected_command());
}

void set_enabled(bool on)
{
    // Off rewrites the entry disabled rather than deleting it, as the Windows
    // value is emptied rather than removed.
    if (on) QDir().mkpath(working_folder());
    write_entry(entry_contents(expected_command(), on));
}

} // namespace autorun
