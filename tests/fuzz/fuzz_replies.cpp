// The mouse's replies: whatever is plugged in with the mouse's ids answers the
// program's requests with bytes of its own choosing. The window is built once
// over the fuzzing library; each input is the run of reply reports it hands out
// while the program refreshes its status, fills every page (every button read,
// macro downloads included), reads a zone's colour and the firmware version.
#include "quiet.h"
#include "velqa_fuzz.h"

#include "pages/buttons/button_widget.h"
#include "device/kivomouse.h"
#include "pages/lighting/led_widget.h"
#include "startup.h"
#include "window/z9ktool.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QSignalBlocker>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define KIVO_HAVE_LSAN 1
#endif
#endif

namespace
{

z9ktool *g_window = nullptr;

void checkLeaksNow()
{
#ifdef KIVO_HAVE_LSAN
    __lsan_do_leak_check(); // also stands in for the check at exit
#endif
}

void setDefault(const char *name, const char *value)
{
    if (qEnvironmentVariableIsEmpty(name)) qputenv(name, value);
}

// The lighting page with no preset chosen reads the zone's colour back.
void readZoneColour(led_Widget *page, int zone)
{
    QSignalBlocker zones(page->ledzone_switch), colours(page->color_btn_g);
    if (QAbstractButton *b = page->ledzone_switch->button(zone)) b->setChecked(true);
    if (QAbstractButton *checked = page->color_btn_g->checkedButton()) {
        page->color_btn_g->setExclusive(false);
        checked->setChecked(false);
        page->color_btn_g->setExclusive(true);
    }
    page->get_selected_color();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    quietQt();
    setDefault("QT_QPA_PLATFORM", "offscreen");
    // No check reaches the internet: the update server is a closed local port.
    setDefault("KIVO_UPDATE_URL", "http://127.0.0.1:9/gaming-mouse/");
    qputenv("VELQA_LIBRARY", VELQA_FUZZ_LIBRARY);
    static int qargc = 1;
    static char *qargv[] = {(*argc > 0 ? (*argv)[0] : const_cast<char *>("fuzz_replies")), nullptr};
    static QApplication app(qargc, qargv);
    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        std::fprintf(stderr, "fuzz_replies: cannot bind %s\n", VELQA_FUZZ_LIBRARY);
        std::exit(1);
    }
    velqa_fuzz_feed(nullptr, 0);
    g_window = new z9ktool; // built once; every input runs over the same window
    // Registered after the application, so run before its destruction: the
    // window goes while the application it needs is still there.
    std::atexit([] {
        delete g_window;
        g_window = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Leaks are looked for now, with the window gone and the application
        // still alive: what Qt keeps until its own teardown (font caches,
        // the platform plugin) is then still reachable, whatever the window
        // left behind is not.
        checkLeaksNow();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    z9ktool &w = *g_window;
    velqa_fuzz_feed(data, size);
    device_attached = 1;
    // The status refresh and the filling of every page, as an attach does.
    w.update_mouse_status();
    w.update_ui();
    // Every button of both views, macro downloads included.
    for (int id = 2; id <= 7; ++id)
        w.btnpage->read_button_function(id, true);
    readZoneColour(w.ledpage, 0);
    readZoneColour(w.ledpage, 1);
    w.update_fw_version();
    w.update_battery_info();
    // What the pages dropped goes now, not at an event loop that never runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
