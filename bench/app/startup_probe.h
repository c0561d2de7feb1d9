// What the two start-up children (the program and the bare window) share: the
// clock, the resident memory, and waiting for a window's first expose to be
// painted and flushed. Each child prints "key value" lines for bench_startup.
#ifndef STARTUP_PROBE_H
#define STARTUP_PROBE_H

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <time.h>

namespace probe
{

// CLOCK_MONOTONIC is one clock for every process, so the parent can subtract
// the moment it started a child from the moments the child prints.
inline qint64 nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// CPU time this process has used so far (user and system, all threads),
// dynamic linking included: less shaken by a busy machine than the wall clock.
inline double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A "key: n kB" line of a /proc file of this process (or of the process pid).
inline long procKb(const char *file, const char *key, qint64 pid = 0)
{
    QFile f(pid ? QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file))
                : QStringLiteral("/proc/self/%1").arg(QLatin1String(file)));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long statusKb(const char *key)
{
    return procKb("status", key);
}

// The idle memory, split: all resident, its anonymous part (heap, stacks) and
// the file-backed rest (libraries, fonts, resources mapped).
inline void printIdleMemory()
{
    std::printf("idle_rss_kb %ld\nidle_anon_kb %ld\nidle_threads %ld\n", procKb("status", "VmRSS:"),
                procKb("smaps_rollup", "Anonymous:"), procKb("status", "Threads:"));
    std::fflush(stdout);
}

// Marks the end of the first exposure of a top-level window: the expose is
// handled here (the widget paints and flushes its backing store inside it), so
// the moment is taken after the pixels went to the display.
class ExposeProbe : public QObject
{
public:
    qint64 shownAt = 0;
    double cpuAtShown = 0;
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        if (e->type() != QEvent::Expose || shownAt) return false;
        auto *w = qobject_cast<QWindow *>(obj);
        if (!w || !w->isExposed()) return false;
        obj->event(e);
        shownAt = nowNs();
        cpuAtShown = cpuMs();
        return true;
    }
};

// Shows the window and waits (events only, no sleeping) until it was painted;
// prints the moment and the CPU time used until then.
inline qint64 showAndWait(QWidget &window)
{
    ExposeProbe probe;
    QCoreApplication::instance()->installEventFilter(&probe);
    window.show();
    while (!probe.shownAt)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::instance()->removeEventFilter(&probe);
    std::printf("shown_ns %lld\ncpu_ms %.3f\n", probe.shownAt, probe.cpuAtShown);
    std::fflush(stdout);
    return probe.shownAt;
}

inline void print(const char *key, double value)
{
    std::printf("%s %.3f\n", key, value);
    std::fflush(stdout);
}

} // namespace probe

#endif
