// startup_floor: the framework's floor for bench_startup. A bare frameless
// 1100 x 750 window with one label, the program's font and platform set-up,
// timed the same way as the program: main() entered, window painted, resident
// memory after three idle seconds. Run by bench_startup, one process per round.
#include "startup_probe.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QLabel>
#include <QTimer>

int main(int argc, char **argv)
{
    const qint64 mainEntered = probe::nowNs();
#ifdef Q_OS_LINUX
    // As the program does before its application exists.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
#endif
    QApplication a(argc, argv);
    const double cpuApp = probe::cpuMs();
    const qint64 appMade = probe::nowNs();
    a.setQuitOnLastWindowClosed(false);
    a.setFont(QFont(QStringLiteral("微软雅黑")));

    QWidget window;
    window.setFixedSize(1100, 750);
    window.setWindowFlags(Qt::FramelessWindowHint);
    QLabel label(QStringLiteral("Kivo游戏鼠标"), &window);
    label.setGeometry(70, 32, 200, 20);
    const qint64 shown = probe::showAndWait(window);
    probe::print("wall_app_ms", (appMade - mainEntered) / 1e6);
    probe::print("wall_show_ms", (shown - appMade) / 1e6);

    probe::print("main_ns", mainEntered);
    probe::print("cpu_app_ms", cpuApp);
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    probe::printIdleMemory();
    return 0;
}
