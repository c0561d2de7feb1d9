#include "mouse.h"

#include "stm32crc.h"

#include <algorithm>
#include <cstring>

namespace vmouse
{

namespace
{

std::uint32_t be32(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

Report newReply(std::uint8_t id, int size, std::uint8_t code)
{
    Report r(size, 0);
    r[0] = id;
    r[1] = code;
    return r;
}

int buttonIndex(std::uint8_t id)
{
    const int i = int(id) - kFirstButton;
    return (i >= 0 && i < kButtons) ? i : -1;
}

int slotIndex(std::uint8_t slot)
{
    return buttonIndex(std::uint8_t(slot - kSlotOffset));
}

// Start and size of a piece of a slot, cut to the slot's end.
bool clipToSlot(std::uint32_t offset, std::uint32_t wanted, std::uint32_t *count)
{
    if (offset >= std::uint32_t(kSlotSize)) return false;
    *count = std::min<std::uint32_t>({wanted, std::uint32_t(kMaxChunk), kSlotSize - offset});
    return true;
}

const std::uint8_t kImageMagic[4] = {'K', 'I', 'V', 'O'};
constexpr std::uint32_t kLeadingBlock = 14;

} // namespace

Memory factoryMemory()
{
    Memory m;
    std::memset(&m, 0, sizeof m);
    m.version[0] = 1;
    m.version[1] = 1;
    m.version[2] = 22;
    restoreSettings(m);
    return m;
}

void restoreSettings(Memory &m)
{
    m.rate = 1; // 1000 Hz
    // 800, 1600, 2400, 3200 and 7200 DPI; the second level active; all five in use.
    const std::uint8_t dpi[8] = {16, 32, 48, 64, 144, 1, 0, 5};
    std::memcpy(m.dpi, dpi, sizeof dpi);
    // Rear: breathing red; front: steady in the house accent colour.
    const std::uint8_t rear[7] = {2, 4, 8, 8, 0xFF, 0x3C, 0x3C};
    const std::uint8_t front[7] = {1, 4, 8, 8, 0x00, 0xE3, 0x9B};
    std::memcpy(m.zone[0], rear, 7);
    std::memcpy(m.zone[1], front, 7);
    // Buttons 2..7: middle click, forward, back, DPI up, DPI down, DPI switch.
    const std::uint8_t codes[kButtons] = {3, 5, 4, 6, 7, 8};
    for (int i = 0; i < kButtons; ++i) {
        m.button[i][0] = 0;
        m.button[i][1] = codes[i];
        m.button[i][2] = 0;
        m.button[i][3] = 0;
    }
    std::memset(m.macro, 0, sizeof m.macro);
}

Mouse::Mouse() : memory(factoryMemory()) {}

bool Mouse::controlReport(const std::uint8_t *report, Report *reply, bool *changed)
{
    // Frame byte k sits at report byte k + 1; reply byte n answers frame byte n - 2.
    const std::uint8_t *f = report + 1;
    Memory &m = memory;
    switch (f[0]) {
    case 0x90:
        *reply = newReply(kControlId, kControlSize, f[0]);
        (*reply)[3] = std::uint8_t(battery);
        return true;
    case 0xA0:
        if (f[1] >= kZones) return false;
        *reply = newReply(kControlId, kControlSize, f[0]);
        (*reply)[3] = f[1];
        std::memcpy(reply->data() + 4, m.zone[f[1]], 7);
        return true;
    case 0xA1:
        if (f[1] >= kZones) return false;
        *changed = std::memcmp(m.zone[f[1]], f + 2, 7) != 0;
        std::memcpy(m.zone[f[1]], f + 2, 7);
        return false;
    case 0xB0: {
        const int i = buttonIndex(f[1]);
        if (i < 0) return false;
        *reply = newReply(kControlId, kControlSize, f[0]);
        (*reply)[3] = f[1];
        std::memcpy(reply->data() + 4, m.button[i], 4);
        return true;
    }
    case 0xB1: {
        const int i = buttonIndex(f[1]);
        if (i < 0) return false;
        *changed = std::memcmp(m.button[i], f + 2, 4) != 0;
        std::memcpy(m.button[i], f + 2, 4);
        return false;
    }
    case 0xC1:
        *changed = std::memcmp(m.dpi, f + 1, 8) != 0;
        std::memcpy(m.dpi, f + 1, 8);
        return false;
    case 0xC2:
        *reply = newReply(kControlId, kControlSize, f[0]);
        std::memcpy(reply->data() + 3, m.dpi, 8);
        return true;
    case 0xC3:
        *changed = m.rate != f[1];
        m.rate = f[1];
        return false;
    case 0xC4:
        *reply = newReply(kControlId, kControlSize, f[0]);
        (*reply)[3] = m.rate;
        return true;
    case 0xEE: {
        const Memory before = m;
        restoreSettings(m);
        *changed = std::memcmp(&before, &m, sizeof m) != 0;
        return false;
    }
    default:
        return false;
    }
}

bool Mouse::configReport(const std::uint8_t *report, Report *reply, bool *changed)
{
    const std::uint8_t *f = report + 1;
    Memory &m = memory;
    switch (f[0]) {
    case 0xD0:
        *reply = newReply(kConfigId, kConfigSize, f[0]);
        std::memcpy(reply->data() + 3, m.version, 3);
        return true;
    case 0xF0: {
        const int s = slotIndex(f[1]);
        if (s < 0) return false;
        *reply = newReply(kConfigId, kConfigSize, f[0]);
        std::uint32_t n = 0;
        const std::uint32_t offset = be32(f + 3);
        if (clipToSlot(offset, f[2], &n)) std::memcpy(reply->data() + 8, m.macro[s] + offset, n);
        (*reply)[3] = f[1];
        (*reply)[4] = std::uint8_t(n);
        return true;
    }
    case 0xF1: {
        const int s = slotIndex(f[1]);
        std::uint32_t n = 0;
        const std::uint32_t offset = be32(f + 3);
        if (s < 0 || !clipToSlot(offset, f[2], &n)) return false;
        *changed = std::memcmp(m.macro[s] + offset, f + 7, n) != 0;
        std::memcpy(m.macro[s] + offset, f + 7, n);
        return false;
    }
    case 0xDE:
        // A new flash always starts from here, whatever an earlier one left.
        abortFlash();
        flash_ = Flash::Suspended;
        return false;
    case 0xD1:
        if (flash_ == Flash::Suspended) flash_ = Flash::Unlocked;
        return false;
    case 0xD2:
        if (flash_ == Flash::Unlocked && be32(f + 3) == kFlashBase) {
            image_.assign(kFlashSize, 0xFF);
            received_ = 0;
            flash_ = Flash::Erased;
            // The old image is gone for good: whatever happens from here on, the
            // mouse comes back as its loader until a verified image is restarted.
            *changed = std::memcmp(m.version, kLoaderVersion, 3) != 0;
            std::memcpy(m.version, kLoaderVersion, 3);
        }
        return false;
    case 0xD3: {
        if (flash_ != Flash::Erased) return false;
        const std::uint32_t address = be32(f + 3);
        if (address < kFlashBase || address - kFlashBase >= kFlashSize) return false;
        const std::uint32_t at = address - kFlashBase;
        const std::uint32_t n =
            std::min<std::uint32_t>({f[2], std::uint32_t(kMaxChunk), kFlashSize - at});
        std::memcpy(image_.data() + at, f + 7, n);
        received_ = std::max(received_, at + n);
        return false;
    }
    case 0xD6:
        if (flash_ == Flash::Erased) flash_ = Flash::Locked;
        return false;
    case 0xD5: {
        if (flash_ != Flash::Locked) return false;
        const std::uint32_t length = be32(f + 7);
        // A length past what arrived cannot describe the image just sent.
        if (be32(f + 3) != kFlashBase || length > received_) return false;
        if (stm32crc32_bytes(image_.data(), length, 0xFFFFFFFFu) == be32(f + 11)) {
            checkedLength_ = length;
            flash_ = Flash::Verified;
        }
        return false;
    }
    default:
        return false;
    }
}

bool Mouse::restart()
{
    bool changed = false;
    // A verified image without the leading block is no program the loader can
    // start: it stays in the loader then.
    if (flash_ == Flash::Verified && checkedLength_ >= kLeadingBlock &&
        std::memcmp(image_.data(), kImageMagic, 4) == 0) {
        changed = std::memcmp(memory.version, image_.data() + 4, 3) != 0;
        std::memcpy(memory.version, image_.data() + 4, 3);
    }
    abortFlash();
    return changed;
}

void Mouse::abortFlash()
{
    flash_ = Flash::Idle;
    image_.clear();
    image_.shrink_to_fit();
    received_ = 0;
    checkedLength_ = 0;
}

} // namespace vmouse
