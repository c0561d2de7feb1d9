#include "kivoctl/kivoctl_macrotext.h"

#include "kivoctl/kivoctl_checks.h"
#include "kivoctl/kivoctl_names.h"

#include <QStringList>

namespace kivoctl
{

QString parse_macro_text(const QString &text, QVector<MacroEvent> *events, bool *delays)
{
    events->clear();
    *delays = false;
    quint32 pending = 0;
    bool waiting = false;
    int lineNo = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0) line.truncate(hash);
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        const QString what = words.at(0).toLower();
        if (words.size() != 2)
            return QStringLiteral("line %1: not \"down KEY\", \"up KEY\" or \"wait MS\"")
                .arg(lineNo);
        if (what == QLatin1String("wait")) {
            int ms = 0;
            if (!parse_int(words.at(1), &ms) || pending + quint32(ms) > 0xffff)
                return QStringLiteral("line %1: %2 is not a wait (0 to 65535 ms before the next "
                                      "event)")
                    .arg(lineNo)
                    .arg(words.at(1));
            pending += quint32(ms);
            waiting = true;
            continue;
        }
        if (what != QLatin1String("down") && what != QLatin1String("up"))
            return QStringLiteral("line %1: %2 is not down, up or wait")
                .arg(lineNo)
                .arg(words.at(0));
        const int usage = key_usage(words.at(1));
        if (usage < 0 || usage > 0xff)
            return QStringLiteral("line %1: %2 is not a key name").arg(lineNo).arg(words.at(1));
        if (events->size() >= kMaxMacroEvents)
            return QStringLiteral("more than %1 events").arg(kMaxMacroEvents);
        MacroEvent e;
        e.usage = quint8(usage);
        e.release = what == QLatin1String("up");
        e.wait = quint16(pending);
        if (waiting) *delays = true;
        pending = 0;
        waiting = false;
        events->append(e);
    }
    if (waiting) return QStringLiteral("a wait after the last event");
    return QString();
}

QStringList macro_lines(const QVector<MacroEvent> &events)
{
    QStringList out;
    for (const MacroEvent &e : events) {
        if (e.wait) out << QStringLiteral("wait %1").arg(e.wait);
        out << QStringLiteral("%1 %2").arg(
            e.release ? QStringLiteral("up") : QStringLiteral("down"), key_name(e.usage));
    }
    return out;
}

} // namespace kivoctl
