// bench_startup: the program's start-up on the virtual mouse, timed to the
// window shown and exposed, then its resident memory after a few idle seconds.
// It runs the same steps as the program: application and font, binding the
// library, the window with its first refresh, show. Aims: window shown within
// 300 ms of the process starting, idle resident memory at most 60 MB.
// Uses the platform the environment names (offscreen when there is no display).
#include "kivomouse.h"
#include "startup.h"
#include "z9ktool.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace
{

// Seconds since this process was started by the system (10 ms ticks).
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat")), uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) return -1;
    const QByteArray s = stat.readAll();
    // Fields after the command name, which may itself hold spaces.
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 20) return -1;
    const double started = f[19].toDouble() / sysconf(_SC_CLK_TCK);
    return uptime.readAll().split(' ').value(0).toDouble() - started;
}

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    using Clock = std::chrono::steady_clock;
    const auto mainEntered = Clock::now();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VELQA_LIBRARY")) qputenv("VELQA_LIBRARY", VMOUSE_LIBRARY);
    qputenv("VMOUSE_STATE", ""); // factory state, never a developer's saved mouse
    qputenv("QT_LOGGING_RULES", "default.debug=false");

    prepare_platform();
    QApplication a(argc, argv);
    a.setQuitOnLastWindowClosed(false);
    a.setFont(QFont(QStringLiteral("微软雅黑")));
    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        std::fprintf(stderr, "cannot bind the virtual mouse (%lu)\n", error);
        return 1;
    }
    int code = 0;
    {
        z9ktool window;
        attach_at_start(window);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            std::fprintf(stderr, "the window was not exposed\n");
            return 1;
        }
        const double fromMain =
            std::chrono::duration<double, std::milli>(Clock::now() - mainEntered).count();
        const double fromStart = sinceProcessStart() * 1000;
        std::printf("platform                        %s\n",
                    qPrintable(QGuiApplication::platformName()));
        std::printf("main() to window shown          %6.1f ms\n", fromMain);
        std::printf("process start to window shown   %6.0f ms (10 ms ticks; aim: <= 300 ms)\n",
                    fromStart);

        QTest::qWait(3000); // idle: the timers run, nothing happens
        std::printf("idle resident memory            %6.1f MB (aim: <= 60 MB)\n",
                    statusKb("VmRSS:") / 1024.0);
        std::printf("peak resident memory            %6.1f MB\n", statusKb("VmHWM:") / 1024.0);
        code = device_attached ? 0 : 1;
    }
    return code;
}
