// bench_startup [rounds]: the program's start-up on the virtual mouse against
// the framework's floor (startup_floor: a bare frameless window with one label,
// same font and platform set-up), one fresh process each, alternating, and the
// medians of the rounds. Per process: main() entered to the window painted,
// the exec() by this driver to the window painted, resident memory after three
// idle seconds (for the program: once its update check has ended). The
// program's children check for updates as a user's does, over https, with a
// local nginx whose certificate comes from an authority made for the run
// (trusted through KIVO_UPDATE_CA) and whose manifest offers nothing. On X11
// the real kivomouse executable is started too, and the exec to the window
// mapped (seen on the root window) is timed for it and for the floor.
// It is started once more with its check over plain http to a closed port,
// which the program makes on a thread of its own (an https one runs in a
// helper process): the difference of the two idle memories is what a check
// made in the program would leave there.
// The program's child then also times the pages it makes after
// the paint, the full status refresh, navigation clicks to the page painted
// (each page's first click and again),
// and every step of the view animation (show and paint one frame, which was
// decoded in the 40 ms gap before it; that decoding is timed too), the first
// time a transition runs and again.
// Aims: start-up at most 1.2 x the floor, idle memory at most the floor + 15 MB,
// an animation frame at most 2 ms (its rhythm is 40 ms), a click under 16 ms.
// Uses the platform the environment names (offscreen when there is no display).
// BENCH_STEPS=1 prints each animation step of the children on stderr;
// BENCH_GAP_MS=n waits n ms between the steps instead of the program's 40;
// BENCH_SMAPS=file copies the real program's idle /proc/PID/smaps there.
#include "device/kivomouse.h"
#include "startup.h"
#include "startup_probe.h"
#include "pages/buttons/button_widget.h"
#include "window/z9ktool.h"

#include "nginx_server.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#ifdef BENCH_HAVE_XCB
#include <poll.h>
#include <xcb/xcb.h>
#endif

namespace
{

double median(QVector<double> v)
{
    if (v.isEmpty()) return -1;
    std::sort(v.begin(), v.end());
    const int n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double maximum(const QVector<double> &v)
{
    return v.isEmpty() ? -1 : *std::max_element(v.begin(), v.end());
}

// Ends when the top-level window has repainted (its posted update request
// handled: widgets painted, backing store flushed) or its expose was handled,
// and notes when and the CPU time used by then (the events queued behind the
// paint are not the step's).
class RepaintProbe : public QObject
{
public:
    explicit RepaintProbe(QWidget *window) : m_window(window) {}
    bool painted = false;
    qint64 paintedNs = 0;
    double paintedCpuMs = 0;
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        const bool ours = obj == m_window || obj == m_window->windowHandle();
        if (!ours || (e->type() != QEvent::UpdateRequest && e->type() != QEvent::Expose))
            return false;
        obj->event(e);
        if (!painted) {
            paintedNs = probe::nowNs();
            paintedCpuMs = probe::cpuMs();
        }
        painted = true;
        return true;
    }

private:
    QWidget *m_window;
};

// Milliseconds from the start of action to the window repainted, or -1 when
// nothing was repainted within a second; *cpuMs the CPU time in them.
double msToRepaint(QWidget *window, const std::function<void()> &action, double *cpuMs = nullptr)
{
    RepaintProbe probe(window);
    qApp->installEventFilter(&probe);
    const double cpu0 = probe::cpuMs();
    const qint64 t0 = probe::nowNs();
    action();
    while (!probe.painted && probe::nowNs() - t0 < 1000000000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    qApp->removeEventFilter(&probe);
    if (cpuMs) *cpuMs = probe.paintedCpuMs - cpu0;
    return probe.painted ? (probe.paintedNs - t0) / 1e6 : -1;
}

// Times the work the window's view does in the gaps between two steps of a
// transition (decoding the next step's picture), posted to the view itself.
class GapProbe : public QObject
{
public:
    QVector<double> ms;
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        if (e->type() < QEvent::User || !obj->inherits("MouseView")) return false;
        const qint64 t0 = probe::nowNs();
        obj->event(e);
        ms << (probe::nowNs() - t0) / 1e6;
        return true;
    }
};

// Steps a transition that a click has started, by hand and timed: the frame
// steps into frames, the last step (the view with its zones) into lastSteps,
// the work in the gaps into gaps. The gaps keep the transition's rhythm and
// the timer stays running (so the window sees a transition), but too far off
// to fire.
void stepAnimation(z9ktool &w, QVector<double> &frames, QVector<double> &lastSteps,
                   QVector<double> &gaps)
{
    const int rhythm = w.animation_timer->interval();
    const int gapMs = qEnvironmentVariableIsSet("BENCH_GAP_MS")
                          ? qEnvironmentVariableIntValue("BENCH_GAP_MS")
                          : rhythm;
    w.animation_timer->setInterval(24 * 3600 * 1000);
    GapProbe gapProbe;
    QCoreApplication::instance()->installEventFilter(&gapProbe);
    for (int guard = 0; guard < 20 && mouse_status != after_status; ++guard) {
        QEventLoop gap;
        QTimer end;
        end.setTimerType(Qt::PreciseTimer);
        end.setSingleShot(true);
        QObject::connect(&end, &QTimer::timeout, &gap, &QEventLoop::quit);
        end.start(gapMs);
        gap.exec();
        double cpu = 0;
        const double ms = msToRepaint(
            &w, [&w] { w.onTimeout(); }, &cpu);
        (mouse_status == after_status ? lastSteps : frames) << ms;
        if (qEnvironmentVariableIsSet("BENCH_STEPS"))
            std::fprintf(stderr, "step %s %.2f ms (CPU %.2f ms)\n", qPrintable(w.picture_path), ms,
                         cpu);
    }
    if (mouse_status == after_status) w.onTimeout(); // a view already reached: shown
    QCoreApplication::instance()->removeEventFilter(&gapProbe);
    gaps << gapProbe.ms;
    w.animation_timer->setInterval(rhythm);
    w.animation_timer->stop();
}

// Image plugins mapped into this process: the program's pictures are all PNG,
// which Qt reads itself, so none needs loading before the first paint.
int imagePluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) return -1;
    QSet<QByteArray> files;
    for (const QByteArray &line : maps.readAll().split('\n'))
        if (line.contains("/imageformats/")) files.insert(line.mid(line.indexOf('/')));
    return files.size();
}

int runProgram(int argc, char **argv)
{
    const qint64 mainEntered = probe::nowNs();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VELQA_LIBRARY")) qputenv("VELQA_LIBRARY", VMOUSE_LIBRARY);
    qputenv("VMOUSE_STATE", ""); // factory state, never a developer's saved mouse
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    // Run alone, the update check goes to a closed local port; the driver
    // names its https server.
    if (qEnvironmentVariableIsEmpty("KIVO_UPDATE_URL"))
        qputenv("KIVO_UPDATE_URL", "http://127.0.0.1:9/gaming-mouse/");

    // The program's own steps (kivo_main), but for the single-instance marker,
    // which would make rounds depend on each other.
    prepare_platform();
    QApplication a(argc, argv);
    const double cpuApp = probe::cpuMs();
    const qint64 appMade = probe::nowNs();
    a.setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("child")));
    parser.addOption(QCommandLineOption(QStringLiteral("startup-only")));
    parser.process(a);
    a.setFont(QFont(QStringLiteral("微软雅黑")));
    start_font_set_up();
    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        std::fprintf(stderr, "cannot bind the virtual mouse (%lu)\n", error);
        return 1;
    }
    const double cpuBound = probe::cpuMs();
    const qint64 bound = probe::nowNs();
    z9ktool w;
    const double cpuBuilt = probe::cpuMs();
    const qint64 built = probe::nowNs();
    attach_at_start(w);
    wait_for_fonts();
    const double cpuAttached = probe::cpuMs();
    const qint64 attached = probe::nowNs();
    const qint64 shown = probe::showAndWait(w);
    probe::print("image_plugins", imagePluginsLoaded());
    probe::print("wall_app_ms", (appMade - mainEntered) / 1e6);
    probe::print("wall_window_ms", (built - bound) / 1e6);
    probe::print("wall_attach_ms", (attached - built) / 1e6); // the fonts' wait included
    probe::print("wall_show_ms", (shown - attached) / 1e6);
    probe::print("cpu_app_ms", cpuApp);
    probe::print("cpu_window_ms", cpuBuilt - cpuBound);
    probe::print("cpu_attach_ms", cpuAttached - cpuBuilt);
    probe::print("cpu_attached_at_ms", cpuAttached);
    probe::print("main_ns", mainEntered);
    if (parser.isSet(QStringLiteral("startup-only"))) return 0; // for profiling
    if (!device_attached) {
        std::fprintf(stderr, "the virtual mouse was not attached\n");
        return 1;
    }
    // The pages made after the paint, one per turn of the event loop: until
    // the window has them all, a click may wait for one.
    const qint64 pagesFrom = probe::nowNs();
    const double pagesCpu = probe::cpuMs();
    double longestTurn = 0;
    auto made = [&w] {
        return w.btnpage.isBuilt() + w.ledpage.isBuilt() + w.pointerpage.isBuilt();
    };
    while (made() < 3) {
        const qint64 t0 = probe::nowNs();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longestTurn = qMax(longestTurn, (probe::nowNs() - t0) / 1e6);
    }
    probe::print("pages_ms", (probe::nowNs() - pagesFrom) / 1e6);
    probe::print("pages_cpu_ms", probe::cpuMs() - pagesCpu);
    probe::print("pages_turn_ms", longestTurn);
    // The update check started after the paint, to its thread's end.
    while (w.m_updateThread && probe::nowNs() - shown < 60 * qint64(1000000000))
        QTest::qWait(5);
    probe::print("check_done_ms", (probe::nowNs() - shown) / 1e6);
    probe::print("worker_left", !w.m_update.isNull());
    QTest::qWait(3000); // idle: the timers run, nothing happens
    probe::printIdleMemory();

    QVector<double> refresh;
    for (int i = 0; i < 5; ++i) {
        const qint64 t0 = probe::nowNs();
        w.update_mouse_status();
        w.update_ui();
        refresh << (probe::nowNs() - t0) / 1e6;
    }
    probe::print("refresh_ms", median(refresh));
    QTest::qWait(50);

    // Two passes over the navigation: the first click of each page, then again.
    const int order[5] = {2, 3, 4, 5, 1};
    for (int pass = 0; pass < 2; ++pass) {
        QVector<double> clicks, frames, lastSteps, gaps;
        for (int id : order) {
            QAbstractButton *b = w.nav_btns->button(id);
            const double ms = msToRepaint(&w, [b] { QTest::mouseClick(b, Qt::LeftButton); });
            clicks << ms;
            if (pass == 0)
                probe::print(qPrintable(QStringLiteral("click_first_%1_ms").arg(id)), ms);
            if (w.animation_timer->isActive()) stepAnimation(w, frames, lastSteps, gaps);
        }
        const char *tag = pass == 0 ? "first" : "again";
        probe::print(qPrintable(QStringLiteral("click_%1_max_ms").arg(tag)), maximum(clicks));
        probe::print(qPrintable(QStringLiteral("frame_%1_med_ms").arg(tag)), median(frames));
        probe::print(qPrintable(QStringLiteral("frame_%1_max_ms").arg(tag)), maximum(frames));
        probe::print(qPrintable(QStringLiteral("frame_%1_count").arg(tag)), frames.size());
        probe::print(qPrintable(QStringLiteral("view_%1_max_ms").arg(tag)), maximum(lastSteps));
        probe::print(qPrintable(QStringLiteral("gap_%1_med_ms").arg(tag)), median(gaps));
        probe::print(qPrintable(QStringLiteral("gap_%1_max_ms").arg(tag)), maximum(gaps));
    }
    return 0;
}

// The update server of the children: nginx on 127.0.0.1 serving https with a
// certificate signed by an authority made for this run, as a real server's is
// signed by a system one, reached by name. Its manifest offers nothing.
class UpdateServer
{
public:
    bool start()
    {
        const QString d = m_dir.path();
        QFile ext(d + QStringLiteral("/leaf.ext"));
        if (!ext.open(QIODevice::WriteOnly)) return false;
        ext.write("basicConstraints=CA:FALSE\nsubjectAltName=DNS:localhost,IP:127.0.0.1\n"
                  "extendedKeyUsage=serverAuth\n");
        ext.close();
        const QString subjCa = QStringLiteral("/CN=Kivo bench authority");
        if (!openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                      subjCa, "-keyout", d + "/ca.key", "-out", caFile()}) ||
            !openssl({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout",
                      d + "/leaf.key", "-out", d + "/leaf.csr"}) ||
            !openssl({"x509", "-req", "-in", d + "/leaf.csr", "-CA", caFile(), "-CAkey",
                      d + "/ca.key", "-CAcreateserial", "-days", "2", "-extfile", d + "/leaf.ext",
                      "-out", d + "/leaf.pem"}))
            return false;
        NginxServer::Options o;
        o.tls = true;
        o.certificateFile = d + QStringLiteral("/leaf.pem");
        o.keyFile = d + QStringLiteral("/leaf.key");
        if (!m_nginx.start(o)) {
            std::fprintf(stderr, "nginx: %s\n", qPrintable(m_nginx.errorLog()));
            return false;
        }
        m_nginx.put(QStringLiteral("KIVOMouseUpdate.txt"), "KIVO\n2026-12-07\n1\n0.0.0\n");
        return QDir(d).mkpath(QStringLiteral("work")) && QDir(d).mkpath(QStringLiteral("tmp"));
    }
    // By name, so that the name lookup of a real server's address runs too.
    QString url() const
    {
        return m_nginx.url().replace(QStringLiteral("//127.0.0.1:"),
                                     QStringLiteral("//localhost:"));
    }
    QString caFile() const { return m_dir.path() + QStringLiteral("/ca.pem"); }
    // The real program's working folder and temporary folder (its
    // single-instance marker and control socket, apart from a user's copy).
    QString workFolder() const { return m_dir.path() + QStringLiteral("/work"); }
    QString tempFolder() const { return m_dir.path() + QStringLiteral("/tmp"); }
    // Manifests sent whole so far: update checks that went through TLS.
    int manifestsServed() const
    {
        int n = 0;
        for (const QString &line : m_nginx.accessLog())
            n += line.startsWith(QLatin1String("/gaming-mouse/KIVOMouseUpdate.txt 200 "));
        return n;
    }

private:
    static bool openssl(const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), args);
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return true;
        std::fprintf(stderr, "openssl %s failed: %s\n", qPrintable(args.join(' ')),
                     p.readAll().constData());
        return false;
    }

    QTemporaryDir m_dir;
    NginxServer m_nginx;
};

// On X11: the moment a process's top-level window is mapped, from the root
// window's MapNotify events (no window manager under Xvfb, so the window is
// mapped when the program asks for it).
class MapWatcher
{
public:
    MapWatcher()
    {
#ifdef BENCH_HAVE_XCB
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        if ((!platform.isEmpty() && platform != "xcb") || qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c)) {
            xcb_disconnect(m_c);
            m_c = nullptr;
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, root, XCB_CW_EVENT_MASK, &mask);
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 11, "_NET_WM_PID"), nullptr);
        m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(atom);
        xcb_flush(m_c);
#endif
    }
    ~MapWatcher()
    {
#ifdef BENCH_HAVE_XCB
        if (m_c) xcb_disconnect(m_c);
#endif
    }
    bool active() const
    {
        return m_c != nullptr;
    }
    void drain()
    {
#ifdef BENCH_HAVE_XCB
        if (!m_c) return;
        while (xcb_generic_event_t *e = xcb_poll_for_event(m_c))
            free(e);
#endif
    }
    // When a window of at least 600 pixels' width of process pid was mapped,
    // or 0 when none was within timeoutMs.
    qint64 waitMapped(qint64 pid, int timeoutMs)
    {
#ifdef BENCH_HAVE_XCB
        if (!m_c) return 0;
        const qint64 end = probe::nowNs() + qint64(timeoutMs) * 1000000;
        pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
        while (probe::nowNs() < end && !xcb_connection_has_error(m_c)) {
            xcb_generic_event_t *e = xcb_poll_for_event(m_c);
            if (!e) {
                poll(&fd, 1, 5);
                continue;
            }
            const qint64 at = probe::nowNs();
            const bool map = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t win =
                map ? reinterpret_cast<xcb_map_notify_event_t *>(e)->window : 0;
            free(e);
            if (map && ownerOf(win) == pid && widthOf(win) >= 600) return at;
        }
#else
        Q_UNUSED(pid);
        Q_UNUSED(timeoutMs);
#endif
        return 0;
    }

private:
#ifdef BENCH_HAVE_XCB
    qint64 ownerOf(xcb_window_t w)
    {
        xcb_get_property_reply_t *r = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, w, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        qint64 pid = -1;
        if (r && xcb_get_property_value_length(r) == 4)
            pid = *static_cast<const uint32_t *>(xcb_get_property_value(r));
        free(r);
        return pid;
    }
    int widthOf(xcb_window_t w)
    {
        xcb_get_geometry_reply_t *r =
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr);
        const int width = r ? r->width : 0;
        free(r);
        return width;
    }
    xcb_connection_t *m_c = nullptr;
    xcb_atom_t m_pidAtom = 0;
#else
    void *m_c = nullptr;
#endif
};

struct Child {
    QString program;
    QStringList args;
    // The real program: it runs until ended, its figures are read from outside.
    bool real = false;
    // Its check against a closed local port over plain http, made in the
    // program: what that leaves in the idle program, against the helper.
    bool plain = false;
};

// One child process; its "key value" lines into values, plus the time from
// this process's exec of it to its window painted, and to its window mapped
// when the watcher sees the display. The real program is ended once its update
// check was served and three idle seconds have passed.
bool runChild(const Child &c, QMap<QString, QVector<double>> &values, MapWatcher &watcher,
              const UpdateServer &server)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (c.real) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELQA_LIBRARY"), QStringLiteral(VMOUSE_LIBRARY));
        env.insert(QStringLiteral("VMOUSE_STATE"), QString());
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("default.debug=false"));
        env.insert(QStringLiteral("KIVO_AUTOCLOSE_BOXES"), QStringLiteral("1"));
        env.insert(QStringLiteral("TMPDIR"), server.tempFolder());
        if (c.plain) {
            env.insert(QStringLiteral("KIVO_UPDATE_URL"), QStringLiteral("http://127.0.0.1:9/"));
            env.remove(QStringLiteral("KIVO_UPDATE_CA"));
        }
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(server.workFolder());
    }
    const int servedBefore = server.manifestsServed();
    watcher.drain();
    const qint64 started = probe::nowNs();
    p.start(c.program, c.args);
    if (!p.waitForStarted(10000)) {
        std::fprintf(stderr, "%s did not start\n", qPrintable(c.program));
        return false;
    }
    QMap<QString, double> got;
    const qint64 mapped = watcher.waitMapped(p.processId(), 30000);
    if (watcher.active() && !mapped) {
        std::fprintf(stderr, "%s: no window mapped\n", qPrintable(c.program));
        return false;
    }
    if (mapped) got["mapped_ms"] = (mapped - started) / 1e6;
    if (c.real) {
        for (int i = 0; !c.plain && i < 3000 && server.manifestsServed() == servedBefore &&
                        p.state() == QProcess::Running;
             ++i)
            QThread::msleep(10);
        QThread::msleep(3000);
        if (p.state() != QProcess::Running) {
            std::fprintf(stderr, "%s ended early\n", qPrintable(c.program));
            return false;
        }
        got["idle_rss_kb"] = probe::procKb("status", "VmRSS:", p.processId());
        got["idle_anon_kb"] = probe::procKb("smaps_rollup", "Anonymous:", p.processId());
        got["idle_threads"] = probe::procKb("status", "Threads:", p.processId());
        if (qEnvironmentVariableIsSet("BENCH_SMAPS")) { // where the memory is, for a look
            QFile from(QStringLiteral("/proc/%1/smaps").arg(p.processId()));
            QFile to(qEnvironmentVariable("BENCH_SMAPS"));
            if (from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly))
                to.write(from.readAll());
        }
        p.terminate();
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    } else {
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(c.program));
            return false;
        }
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> kv = line.trimmed().split(' ');
            if (kv.size() == 2) got[QString::fromLatin1(kv[0])] = kv[1].toDouble();
        }
        got["main_ms"] = (got.value("shown_ns") - got.value("main_ns")) / 1e6;
        got["exec_ms"] = (got.value("shown_ns") - started) / 1e6;
        if (got.contains("cpu_attached_at_ms"))
            got["cpu_show_ms"] = got.value("cpu_ms") - got.value("cpu_attached_at_ms");
    }
    got["served"] = server.manifestsServed() - servedBefore;
    got["idle_rss_mb"] = got.value("idle_rss_kb") / 1024;
    got["idle_anon_mb"] = got.value("idle_anon_kb") / 1024;
    for (auto it = got.cbegin(); it != got.cend(); ++it)
        values[it.key()] << it.value();
    return true;
}

void row(const char *label, const QVector<double> &v, const char *unit, const char *aim = "")
{
    if (v.isEmpty()) return;
    std::printf("%-38s %7.1f %-2s (%.1f-%.1f)%s\n", label, median(v), unit,
                *std::min_element(v.begin(), v.end()), maximum(v), aim);
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--child") == 0) return runProgram(argc, argv);

    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // for both children
    QCoreApplication a(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    UpdateServer server;
    if (!server.start()) return 1;
    // For every child: the check goes to the local https server.
    qputenv("KIVO_UPDATE_URL", server.url().toUtf8());
    qputenv("KIVO_UPDATE_CA", server.caFile().toUtf8());
    MapWatcher watcher;
    const Child children[4] = {
        {QStringLiteral(STARTUP_FLOOR), {}},
        {QCoreApplication::applicationFilePath(), {QStringLiteral("--child")}},
        {QStringLiteral(KIVOMOUSE_PROGRAM), {}, true},
        {QStringLiteral(KIVOMOUSE_PROGRAM), {}, true, true}};
    QMap<QString, QVector<double>> results[4];
    const int kinds = watcher.active() ? 4 : 2; // the real program only where its window is seen
    for (int r = 0; r < rounds; ++r) {
        // Alternating, and each round's order turned, so that a busy moment
        // of the machine falls on all alike.
        for (int k = 0; k < kinds; ++k) {
            const int kind = (k + r) % kinds;
            if (!runChild(children[kind], results[kind], watcher, server)) return 1;
        }
    }
    QMap<QString, QVector<double>> &floor = results[0], &app = results[1], &real = results[2],
                                   &plain = results[3];
    const double fm = median(floor["main_ms"]), am = median(app["main_ms"]);
    const double fe = median(floor["exec_ms"]), ae = median(app["exec_ms"]);
    const double fr = median(floor["idle_rss_mb"]), ar = median(app["idle_rss_mb"]);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    std::printf("platform %s, %d rounds; median (min-max)\n",
                platform.isEmpty() ? "xcb" : platform.constData(), rounds);
    row("floor: main() to window painted", floor["main_ms"], "ms");
    row("floor: exec to window painted", floor["exec_ms"], "ms");
    row("floor: idle resident memory", floor["idle_rss_mb"], "MB");
    row("  of it anonymous (heap, stacks)", floor["idle_anon_mb"], "MB");
    row("  threads", floor["idle_threads"], "");
    row("  floor, wall: to QApplication made", floor["wall_app_ms"], "ms");
    row("  floor, wall: then to window painted", floor["wall_show_ms"], "ms");
    row("program: main() to window painted", app["main_ms"], "ms");
    row("  program, wall: to QApplication made", app["wall_app_ms"], "ms");
    row("  program, wall: building the window", app["wall_window_ms"], "ms");
    row("  program, wall: open, fonts waited", app["wall_attach_ms"], "ms");
    row("  program, wall: show to painted", app["wall_show_ms"], "ms");
    row("  image plugins loaded by the paint", app["image_plugins"], "");
    row("program: exec to window painted", app["exec_ms"], "ms");
    row("program: update check ended after paint", app["check_done_ms"], "ms");
    row("program: idle resident memory", app["idle_rss_mb"], "MB", " (after the check)");
    row("  of it anonymous (heap, stacks)", app["idle_anon_mb"], "MB");
    row("  threads", app["idle_threads"], "");
    row("  update workers left after the check", app["worker_left"], "");
    row("floor: CPU time to window painted", floor["cpu_ms"], "ms");
    row("program: CPU time to window painted", app["cpu_ms"], "ms");
    row("  floor: until QApplication made", floor["cpu_app_ms"], "ms");
    row("  program: until QApplication made", app["cpu_app_ms"], "ms");
    row("  program: building the window", app["cpu_window_ms"], "ms");
    row("  program: open, fonts waited", app["cpu_attach_ms"], "ms");
    row("  program: show to painted", app["cpu_show_ms"], "ms");
    std::printf("%-38s %7.2f x  (aim: <= 1.2)\n", "start-up ratio, main() (medians)", am / fm);
    std::printf("%-38s %7.2f x  (aim: <= 1.2)\n", "start-up ratio, exec (medians)", ae / fe);
    std::printf("%-38s %7.2f x\n", "CPU time ratio (medians)",
                median(app["cpu_ms"]) / median(floor["cpu_ms"]));
    std::printf("%-38s %7.1f MB (aim: <= 15)\n", "idle memory above the floor", ar - fr);
    if (kinds == 4) {
        row("floor: exec to window mapped", floor["mapped_ms"], "ms");
        row("program child: exec to window mapped", app["mapped_ms"], "ms");
        row("kivomouse: exec to window mapped", real["mapped_ms"], "ms");
        row("kivomouse: idle resident memory", real["idle_rss_mb"], "MB", " (after the check)");
        row("  of it anonymous (heap, stacks)", real["idle_anon_mb"], "MB");
        row("  threads", real["idle_threads"], "");
        std::printf("%-38s %7.2f x  (aim: <= 1.2)\n", "kivomouse ratio, exec to mapped",
                    median(real["mapped_ms"]) / median(floor["mapped_ms"]));
        std::printf("%-38s %7.1f MB (aim: <= 15)\n", "kivomouse idle memory above the floor",
                    median(real["idle_rss_mb"]) - fr);
        row("kivomouse, its check over plain http", plain["idle_rss_mb"], "MB", " (made in it)");
        std::printf("%-38s %7.1f MB\n", "  a check made in it leaves (difference)",
                    median(plain["idle_rss_mb"]) - median(real["idle_rss_mb"]));
    } else {
        std::printf("(no X11 display: the real kivomouse and the window mapping are not timed)\n");
    }
    const auto sum = [](const QVector<double> &v) {
        return int(std::accumulate(v.begin(), v.end(), 0.0));
    };
    std::printf("update checks served over https: program %d of %d", sum(app["served"]), rounds);
    if (kinds == 4) std::printf(", kivomouse %d of %d", sum(real["served"]), rounds);
    std::printf("\n");
    row("pages made after the paint, all three", app["pages_ms"], "ms");
    row("  their CPU time", app["pages_cpu_ms"], "ms");
    row("  longest turn of the loop meanwhile", app["pages_turn_ms"], "ms",
        " (a click waits that)");
    row("full status refresh", app["refresh_ms"], "ms");
    for (int id : {2, 3, 4, 5, 1})
        row(qPrintable(QStringLiteral("nav click %1 to painted, first").arg(id)),
            app[QStringLiteral("click_first_%1_ms").arg(id)], "ms");
    row("nav click to painted, again (max)", app["click_again_max_ms"], "ms", " (aim: < 16)");
    row("animation frame, first run (median)", app["frame_first_med_ms"], "ms");
    row("animation frame, first run (max)", app["frame_first_max_ms"], "ms", " (aim: <= 2)");
    row("animation frame, again (median)", app["frame_again_med_ms"], "ms");
    row("animation frame, again (max)", app["frame_again_max_ms"], "ms", " (aim: <= 2)");
    row("animation frames timed per pass", app["frame_first_count"], "");
    row("last step, view with zones, first", app["view_first_max_ms"], "ms");
    row("last step, view with zones, again", app["view_again_max_ms"], "ms");
    row("next step decoded in the gap, first (med)", app["gap_first_med_ms"], "ms");
    row("next step decoded in the gap, first (max)", app["gap_first_max_ms"], "ms");
    row("next step decoded in the gap, again (med)", app["gap_again_med_ms"], "ms");
    row("next step decoded in the gap, again (max)", app["gap_again_max_ms"], "ms");
    return 0;
}
