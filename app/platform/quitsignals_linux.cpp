#include "platform/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int g_pipe[2] = {-1, -1};

void on_signal(int)
{
    // Only async-signal-safe work here: wake the event loop through the pipe.
    const char c = 1;
    ssize_t n = ::write(g_pipe[1], &c, 1);
    (void)n;
}
} // namespace

void quit_on_termination_signals()
{
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char buf[16];
        ssize_t n = ::read(g_pipe[0], buf, sizeof buf);
        (void)n;
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
}
