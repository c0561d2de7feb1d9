// The soak's speed: unplug/plug cycles per second (each entering the attached
// state with its full re-read and update check start) and actions per second
// of the chaos soak's seeded user, so that a slowdown shows.
#include "chaosdriver.h"

#include "pages/lighting/led_widget.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No server: the checks end at a closed local port.
    qputenv("KIVO_UPDATE_URL", "http://127.0.0.1:9/gaming-mouse/");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    if (!bindVirtualMouse()) return 1;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    freshMouse();
    vmouse_set_read_timeout(1);
    {
        z9ktool w;
        w.ledpage->init_user_color(dir.path());
        w.battery_timer->stop();
        attach_at_start(w);
        const int cycles = 500;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < cycles; ++i) {
            vmouse_plug(0);
            w.device_removal(QStringLiteral("/dev/hidraw3"));
            vmouse_plug(1);
            w.device_arrival(QStringLiteral("/dev/hidraw3"));
            QCoreApplication::processEvents();
        }
        const qint64 ms = t.elapsed();
        printf("unplug/plug cycles: %d in %lld ms = %.1f cycles/s\n", cycles, ms,
               cycles * 1000.0 / qMax<qint64>(1, ms));
    }
    freshMouse();
    vmouse_set_read_timeout(1);
    {
        z9ktool w;
        w.ledpage->init_user_color(dir.path());
        w.battery_timer->stop();
        attach_at_start(w);
        w.show();
        QTest::qWaitForWindowExposed(&w);
        vmouse_chaos(20261207u, 40);
        chaos::Driver d(w, 20261207u);
        const int actions = 2000;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < actions; ++i) {
            d.step();
            d.check();
        }
        const qint64 ms = t.elapsed();
        vmouse_chaos(0, 0);
        printf("chaos soak actions: %d in %lld ms = %.1f actions/s (seed 20261207, 40 per 1000 "
               "calls)\n",
               actions, ms, actions * 1000.0 / qMax<qint64>(1, ms));
    }
    return 0;
}
