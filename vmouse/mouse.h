// The emulated mouse itself: what it remembers and how it answers each report.
// Knows nothing of channels, handles or timing; vmouse.cpp puts the library's
// behaviour around it.
#ifndef VMOUSE_MOUSE_H
#define VMOUSE_MOUSE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vmouse
{

constexpr int kControlSize = 32;
constexpr int kConfigSize = 64;
constexpr std::uint8_t kControlId = 0x4D;
constexpr std::uint8_t kConfigId = 0x57;

constexpr int kZones = 2;       // 0 rear, 1 front
constexpr int kFirstButton = 2; // reassignable buttons 2..7
constexpr int kButtons = 6;
constexpr int kSlotOffset = 10; // macro slot = button id + 10
constexpr int kSlotSize = 512;  // bytes of macro memory per slot
constexpr int kMaxChunk = 56;   // data bytes in one macro or flash packet
constexpr std::uint32_t kFlashBase = 0x08018000u;
constexpr std::uint32_t kFlashSize = 256u * 1024u;
// What the mouse's loader reports as its version once the application image is
// gone (erased and not replaced by a verified one): major 0xFF marks "no firmware".
constexpr std::uint8_t kLoaderVersion[3] = {0xFF, 0x00, 0x16};

// Everything the mouse keeps across a power cycle (and in VMOUSE_STATE's file).
struct Memory {
    std::uint8_t version[3];
    std::uint8_t rate;
    // Bytes 1..8 of the last 0xC1: five levels, active index, one spare, count.
    std::uint8_t dpi[8];
    // Bytes 2..8 of the last 0xA1 per zone: effect, speed, two fixed bytes, R, G, B.
    std::uint8_t zone[kZones][7];
    // Bytes 2..5 of the last 0xB1 per button: kind, code, two further bytes.
    std::uint8_t button[kButtons][4];
    std::uint8_t macro[kButtons][kSlotSize];
};

Memory factoryMemory();
// Factory settings over the settings of m; firmware version kept.
void restoreSettings(Memory &m);

// A whole report as it travels, report id first.
using Report = std::vector<std::uint8_t>;

class Mouse
{
public:
    Mouse();

    Memory memory;
    int battery = 85;

    // Handles one whole output report (id in byte 0). When the command asks for
    // an answer, *reply receives the whole input report and true is returned.
    // *changed becomes true when remembered memory changed.
    bool controlReport(const std::uint8_t *report, Report *reply, bool *changed);
    bool configReport(const std::uint8_t *report, Report *reply, bool *changed);

    // The mouse restarts (0xD7): true when the version it reports changed. After
    // a verified image it runs that image; after an erase without one it stays
    // in its loader.
    bool restart();
    // Forget any flashing in progress (power loss, reset).
    void abortFlash();

private:
    enum class Flash { Idle, Suspended, Unlocked, Erased, Locked, Verified };
    Flash flash_ = Flash::Idle;
    std::vector<std::uint8_t> image_; // erased flash reads 0xFF
    std::uint32_t received_ = 0;      // highest image byte written + 1
    std::uint32_t checkedLength_ = 0; // length the last good CRC check covered
};

} // namespace vmouse

#endif
