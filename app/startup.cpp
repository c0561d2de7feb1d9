#include "startup.h"

#include "kivoctl/kivoctl_marker.h"
#include "kivoctl/kivoctl_server.h"
#include "device/kivomouse.h"
#include "i18n/language.h"
#include "platform/autorun.h"
#include "platform/loaderror.h"
#include "platform/quitsignals.h"
#include "update/updateprocess.h"
#include "window/z9ktool.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSharedMemory>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <cstring>
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#include <fontconfig/fontconfig.h>
#include <thread>
#endif

QString velqa_library_file()
{
    const QString overridden = qEnvironmentVariable("VELQA_LIBRARY");
    if (!overridden.isEmpty()) return overridden;
#ifdef Q_OS_WIN
    return QStringLiteral("velqa.dll");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvelqa.so");
#endif
}

namespace
{
template <typename Fn> bool bind(Fn &slot, const char *name)
{
    slot = reinterpret_cast<Fn>(m_hidlib.resolve(name));
    return slot != nullptr;
}

void unbind_all()
{
    m_OpenDevice = nullptr;
    m_CloseDevice = nullptr;
    m_ReadControl = nullptr;
    m_WriteControl = nullptr;
    m_ReadData = nullptr;
    m_OpenConfigDevice = nullptr;
    m_CloseConfigDevice = nullptr;
    m_ReadConfig = nullptr;
    m_WriteConfig = nullptr;
    m_ReadConfigData = nullptr;
}

unsigned long system_last_error()
{
#ifdef Q_OS_WIN
    return GetLastError();
#else
    return 0; // dlopen reports in text only
#endif
}

unsigned long last_error(unsigned long fallback)
{
#ifdef Q_OS_WIN
    Q_UNUSED(fallback);
    return GetLastError();
#else
    return fallback;
#endif
}
} // namespace

bool bind_velqa(unsigned long *errorCode)
{
    m_hidlib.setFileName(velqa_library_file());
    if (!m_hidlib.load()) {
        // The load's own code before the file check, which would overwrite it on Windows.
        *errorCode = failed_load_code(system_last_error,
                                      [] { return QFileInfo::exists(m_hidlib.fileName()); });
        qDebug() << "velqa:" << m_hidlib.errorString();
        return false;
    }
    // Every entry point is called unconditionally later on, so a library
    // missing any of them is refused here rather than crashing there.
    const bool all = bind(m_OpenDevice, "OpenDevice") & bind(m_CloseDevice, "CloseDevice") &
                     bind(m_ReadControl, "ReadControl") & bind(m_WriteControl, "WrtieControl") &
                     bind(m_ReadData, "ReadData") & bind(m_OpenConfigDevice, "OpenConfigDevice") &
                     bind(m_CloseConfigDevice, "CloseConfigDevice") &
                     bind(m_ReadConfig, "ReadConfig") & bind(m_WriteConfig, "WrtieConfig") &
                     bind(m_ReadConfigData, "ReadConfigData");
    if (!all) {
        *errorCode = last_error(ENOSYS);
        qDebug() << "velqa: missing export:" << m_hidlib.errorString();
        unbind_all();
        return false;
    }
    return true;
}

bool claim_single_instance(QSharedMemory &marker)
{
    // System V keys come from the key file's inode. When the temporary folder
    // was emptied while a killed copy's segment lived on, a new key file can
    // get that inode back: attach finds no file, create then meets the old
    // segment. Attaching once more (the file is there now) clears it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (marker.attach()) {
            // Where segments outlive their process (System V), a crashed copy
            // leaves one behind with nobody attached: our detach, being the
            // last, removes it. A running copy keeps it alive, so the second
            // attach tells the two apart.
            marker.detach();
            if (marker.attach()) return false;
        }
        if (marker.create(1)) return true;
        if (marker.error() != QSharedMemory::AlreadyExists) break;
    }
    // No marker to be had (no temporary folder, no IPC): run rather than refuse.
    qDebug() << "single instance marker:" << marker.errorString();
    return true;
}

void show_startup_box(const QString &title, const QString &text)
{
    wait_for_fonts();
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    // Lets scripted runs see the box and go on without a person to press OK.
    if (qEnvironmentVariableIsSet("KIVO_AUTOCLOSE_BOXES")) {
        fprintf(stderr, "box: %s | %s\n", qPrintable(title), qPrintable(text));
        QTimer::singleShot(0, &box, &QMessageBox::accept);
    }
    box.exec();
}

bool runs_installed(const QString &programFile)
{
#ifdef Q_OS_WIN
    Q_UNUSED(programFile);
    return false;
#else
    return autorun::xdg::launch_path(programFile) != programFile;
#endif
}

bool enter_data_folder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data) || !QDir::setCurrent(data)) {
        qDebug() << "cannot work in the data folder:" << data;
        return false;
    }
    return true;
}

void attach_at_start(z9ktool &window)
{
    if (window.open_mouse()) {
        qDebug() << "PATH:" << dev_path;
        device_attached = 1;
        window.side_stack->setCurrentIndex(1);
        window.update_mouse_status();
        window.update_ui();
    } else {
        window.enter_detached_state(); // the battery label is hidden already
    }
}

#ifdef Q_OS_LINUX
namespace
{
// Reading fontconfig's configuration is about a sixth of start-up's work,
// and nothing needs it until the first text is laid out: it is read on a
// second core while the window is built. Not while the application object is
// made: that waits on the display server, which needs the second core then.
// Waited for before any text is laid out, so that it is never read twice at
// once (a second reader would not break it, only read it all again); and
// when the program ends.
struct FontSetUp {
    std::thread thread;
    bool started = false;
    void wait()
    {
        if (thread.joinable()) thread.join();
    }
    ~FontSetUp() { wait(); }
};

FontSetUp &font_set_up()
{
    static FontSetUp f;
    return f;
}
} // namespace
#endif

void prepare_platform()
{
#ifdef Q_OS_LINUX
    // The window is painted in software; without this the X11 platform loads
    // the OpenGL driver stack (with LLVM, some 50 MB resident) for nothing.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
#endif
}

void start_font_set_up()
{
#ifdef Q_OS_LINUX
    FontSetUp &fonts = font_set_up();
    if (fonts.started) return;
    fonts.started = true;
    fonts.thread = std::thread([] { FcInit(); });
#endif
}

void wait_for_fonts()
{
#ifdef Q_OS_LINUX
    font_set_up().wait();
#endif
}

int kivo_main(int argc, char **argv)
{
    // Started by itself to check for updates: no window, no mouse, no fonts.
    if (argc > 1 && std::strcmp(argv[1], UpdateProcess::kOption) == 0)
        return UpdateProcess::run_helper(argc, argv);
    prepare_platform();
    QApplication a(argc, argv);
    // Before the first text: the start-up's boxes speak the desktop's language too.
    install_translation(&a);
    // The window's close button only hides it; the program lives in the tray.
    a.setQuitOnLastWindowClosed(false);

    // Declared in this order so that leaving the scope releases the marker,
    // the font, the parser, the option and the application, in that order.
    QCommandLineOption hidden(QStringLiteral("h"));
    QCommandLineParser parser;
    parser.addOption(hidden);
    parser.process(a); // an unknown option ends the process with code 1

    QFont font(QStringLiteral("微软雅黑"));
    a.setFont(font);
    // From here on nothing ends the process before the fonts are waited for.
    start_font_set_up();

    QSharedMemory marker(QStringLiteral("VELQA_Z9K_Tool"));
    if (!claim_single_instance(marker)) {
        show_startup_box(QCoreApplication::translate("startup", "WARNING"),
                         QCoreApplication::translate("startup", "Kivo游戏鼠标客户端已运行!"));
        return 0;
    }

    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        show_startup_box(QString::number(error),
                         QCoreApplication::translate("startup", "Load VELQA.dll fail!"));
        return 0;
    }

    // Started from the menu an installed program would work in the home
    // folder; it shares the folder autostart and kivoctl use. Run from where
    // it was built it keeps the folder it is started in.
    if (runs_installed(QCoreApplication::applicationFilePath())) enter_data_folder();

    int code;
    {
        z9ktool window;
        attach_at_start(window);
        // Building the window lays out no text; its first paint does.
        wait_for_fonts();
        // kivoctl's requests are carried out by this window from now on.
        kivoctl::instance_marker = &marker;
        (new kivoctl::ControlServer(&window))->listen();
        // Before the window can be seen: the platform may map it, and the
        // desktop hand it the focus, while show() is still running, and a
        // logout from then on must end the program as a logout does.
        quit_on_termination_signals();
        if (!parser.isSet(hidden)) window.show();
        code = a.exec();
    }
    return code;
}
