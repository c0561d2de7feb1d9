#include "platform/autorun.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QVariant>

namespace
{

const QString &run_key()
{
    static const QString key =
        QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    return key;
}

const QString &value_name()
{
    static const QString name = QStringLiteral("kivomouse");
    return name;
}

} // namespace

namespace autorun
{

QString expected_command()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()) +
           QStringLiteral(" -h");
}

bool is_enabled()
{
    const QSettings reg(run_key(), QSettings::NativeFormat);
    const QVariant stored = reg.value(value_name());
    // Only a string value can hold the command; a missing value, or a
    // multi-string or number someone put there, counts as off.
    if (stored.userType() != QMetaType::QString) return false;
    return command_matches(stored.toString(), expected_command());
}

void set_enabled(bool on)
{
    QSettings reg(run_key(), QSettings::NativeFormat);
    // Off empties the value rather than removing it.
    reg.setValue(value_name(), on ? expected_command() : QString());
    reg.sync();
}

} // namespace autorun
