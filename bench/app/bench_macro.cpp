// bench_macro: the macro recorder's two costs. Listing: 128 events recorded
// with delays, the whole list rebuilt per event, in ms per event (aim: under
// 1 ms). Transfer: a 128-event upload plus its download through the library on
// the virtual mouse, in ms per round trip (aim: under 5 ms).
// Uses the platform the environment names (offscreen when there is no display).
#include "device/kivomouse.h"
#include "pages/buttons/micro_widget.h"
#include "startup.h"
#include "vmouse.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void record128(micro_Widget &w)
{
    w.start_record();
    for (int i = 0; i < 64; ++i) {
        micro_keyboard_proc(0, 0x100, 0x41 + i % 26);
        micro_keyboard_proc(0, 0x101, 0x41 + i % 26);
    }
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELQA_LIBRARY", VMOUSE_LIBRARY);
    qputenv("VMOUSE_STATE", "");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QApplication a(argc, argv);
    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        std::fprintf(stderr, "cannot bind the virtual mouse\n");
        return 1;
    }
    m_OpenDevice(USB_VID, USB_PID);
    m_OpenConfigDevice(USB_VID, USB_PID);

    micro_Widget w;
    w.show();
    a.processEvents();
    w.rec_delay_btn->setChecked(true);

    const int rounds = 20;
    std::vector<double> listing, trip;
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = Clock::now();
        record128(w);
        listing.push_back(msSince(t0) / 128);
        if (w.recording || w.btn_records.size() != 128 || w.records_list->count() != 255) {
            std::fprintf(stderr, "recording did not end at 128 events\n");
            return 1;
        }
    }
    micro_Widget reader;
    for (int r = 0; r < rounds; ++r) {
        vmouse_trace_clear();
        const auto t0 = Clock::now();
        w.upload_macro(2);
        const bool ok = reader.download_macro(2, true, 4 * w.btn_records.size());
        trip.push_back(msSince(t0));
        if (!ok || reader.btn_records.size() != 128) {
            std::fprintf(stderr, "round trip lost events\n");
            return 1;
        }
    }
    std::printf(
        "list 128 events with delays, rebuilt per event: %.3f ms per event (median of %d)\n",
        median(listing), rounds);
    std::printf("upload + download of 128 events on the virtual mouse: %.3f ms (median of %d)\n",
                median(trip), rounds);
    return 0;
}
