// kivoctl: the mouse from the command line. A running program is asked over
// its local server; otherwise the window is built hidden on the offscreen
// platform, holding the single-instance marker, and does the work itself.
#include "kivoctl/kivoctl_apply.h"
#include "kivoctl/kivoctl_message.h"
#include "kivoctl/kivoctl_request.h"
#include "kivoctl/kivoctl_server.h"
#include "device/kivomouse.h"
#include "i18n/language.h"
#include "startup.h"
#include "window/z9ktool.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QSharedMemory>
#include <QThread>
#include <cstdio>

namespace
{

using namespace kivoctl;

// How long a program that holds the marker may take to start answering: its
// first reads of a silent mouse run the retry rule (seconds).
const int kStartupWaitMs = 15000;

void quiet_messages(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    // The pages' debug lines and the toolkit's warnings are the program's
    // diagnostics, not kivoctl's output.
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) {
        if (!qEnvironmentVariableIsSet("KIVOCTL_DEBUG")) return;
    }
    fprintf(stderr, "%s\n", qPrintable(msg));
}

int finish(const Outcome &o)
{
    fwrite(o.out.constData(), 1, size_t(o.out.size()), stdout);
    fwrite(o.err.constData(), 1, size_t(o.err.size()), stderr);
    fflush(stdout);
    return o.code;
}

Outcome line(int code, const char *text)
{
    Outcome o;
    o.code = code;
    o.err = QByteArray("kivoctl: ") + text + '\n';
    return o;
}

// 1: answered into *o; 0: nobody listens; -1: the connection broke.
int ask_running_program(const Request &r, Outcome *o)
{
    QLocalSocket socket;
    socket.connectToServer(server_name());
    if (!socket.waitForConnected(1000)) return 0;
    socket.write(frame_message(QJsonDocument(to_message(r)).toJson(QJsonDocument::Compact)));
    if (!socket.waitForBytesWritten(5000)) return -1;
    QByteArray buffer, json;
    bool bad = false;
    // No time limit: a request may wait behind a flash the window is running.
    while (!take_message(&buffer, &json, &bad)) {
        if (bad) return -1;
        if (!socket.waitForReadyRead(-1) && socket.bytesAvailable() == 0) return -1;
        buffer += socket.readAll();
    }
    const QJsonObject reply = QJsonDocument::fromJson(json).object();
    o->code = reply.value(QLatin1String("code")).toInt(Failed);
    o->out = reply.value(QLatin1String("out")).toString().toUtf8();
    o->err = reply.value(QLatin1String("err")).toString().toUtf8();
    return 1;
}

Outcome run_here(const Request &r)
{
    unsigned long error = 0;
    if (!bind_velqa(&error)) return line(Failed, "cannot load the device library (velqa)");
    // The window tidies and looks for downloads in its working folder: for
    // kivoctl that is the folder a login start of the program uses, never the
    // folder the user happens to be in (every file named on the command line
    // has been read already, the firmware image's path made absolute).
    enter_data_folder();
    Outcome o;
    {
        z9ktool window;
        attach_at_start(window);
        o = execute(window, r);
    }
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    // Never a window of its own on the screen: the pages are built hidden.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet_messages);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // The program's folders (presets of an installed copy, downloads), not ones of its own.
    QCoreApplication::setApplicationName(QStringLiteral("kivomouse"));
    // The pages it builds are the program's own, in the same language.
    install_translation(&app);

    Request request;
    const QString bad = parse_arguments(app.arguments().mid(1), QDir::currentPath(), &request);
    if (!bad.isEmpty()) return finish(line(BadValue, qPrintable(bad)));
    if (request.command == Request::Help) {
        const QByteArray help = help_text().toUtf8();
        fwrite(help.constData(), 1, size_t(help.size()), stdout);
        return Ok;
    }

    QElapsedTimer waited;
    waited.start();
    for (;;) {
        // A holder that cannot answer: a flash keeps the program from its event
        // loop, or another kivoctl is at work. Asked first, the program would
        // take the request only once the flash is over.
        {
            QSharedMemory peek(QStringLiteral("VELQA_Z9K_Tool"));
            if (peek.attach(QSharedMemory::ReadOnly)) {
                const char state = marker_state(peek);
                peek.detach();
                if (state == MarkerFlashing)
                    return finish(line(Busy, "busy: a firmware flash is running"));
                if (state == MarkerHeadless)
                    return finish(line(Busy, "busy: another kivoctl is at work"));
            }
        }
        Outcome o;
        const int asked = ask_running_program(request, &o);
        if (asked == 1) return finish(o);
        if (asked < 0) return finish(line(Failed, "the running program broke off the request"));

        QSharedMemory marker(QStringLiteral("VELQA_Z9K_Tool"));
        if (claim_single_instance(marker)) {
            instance_marker = &marker;
            set_marker_state(MarkerHeadless);
            const Outcome here = run_here(request);
            instance_marker = nullptr;
            return finish(here);
        }
        // Held, and no server yet: the program is still starting.
        if (waited.elapsed() > kStartupWaitMs)
            return finish(line(Busy, "busy: the running program does not answer"));
        QThread::msleep(200);
    }
}
