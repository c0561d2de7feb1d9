// The virtual mouse's state file (VMOUSE_STATE): read at load, it fills the
// mouse's whole memory, which every reply is then made from.
#include "mouse.h"
#include "statefile.h"
#include "stm32crc.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

// Everything the mouse answers from its memory.
void askEverything(vmouse::Mouse &mouse)
{
    using namespace vmouse;
    std::uint8_t report[kConfigSize];
    Report reply;
    bool changed = false;
    auto control = [&](std::uint8_t cmd, std::uint8_t arg) {
        std::memset(report, 0, sizeof report);
        report[0] = kControlId;
        report[1] = cmd;
        report[2] = arg;
        if (mouse.controlReport(report, &reply, &changed) && reply.size() != kControlSize)
            std::abort();
    };
    control(0x90, 0);
    control(0xA0, 0);
    control(0xA0, 1);
    control(0xC2, 0);
    control(0xC4, 0);
    for (int b = kFirstButton; b < kFirstButton + kButtons; ++b)
        control(0xB0, std::uint8_t(b));
    std::memset(report, 0, sizeof report);
    report[0] = kConfigId;
    report[1] = 0xD0;
    mouse.configReport(report, &reply, &changed);
    for (int b = kFirstButton; b < kFirstButton + kButtons; ++b) {
        for (std::uint32_t offset = 0; offset < std::uint32_t(kSlotSize); offset += kMaxChunk) {
            std::memset(report, 0, sizeof report);
            report[0] = kConfigId;
            report[1] = 0xF0;
            report[2] = std::uint8_t(b + kSlotOffset);
            report[3] = kMaxChunk;
            report[4] = std::uint8_t(offset >> 24);
            report[5] = std::uint8_t(offset >> 16);
            report[6] = std::uint8_t(offset >> 8);
            report[7] = std::uint8_t(offset);
            if (mouse.configReport(report, &reply, &changed) && reply.size() != kConfigSize)
                std::abort();
        }
    }
}

void load(const std::uint8_t *data, std::size_t size)
{
    vmouse::Mouse mouse;
    const vmouse::Memory before = mouse.memory;
    if (vmouse::parseMemory(data, size, &mouse.memory)) {
        askEverything(mouse);
    } else if (std::memcmp(&before, &mouse.memory, sizeof before) != 0) {
        std::abort(); // a refused file must leave the memory as it was
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    load(data, size);
    // The same bytes made into a file that passes the checks (magic, payload
    // length, CRC), so that its contents, not only its framing, are fuzzed.
    constexpr std::size_t kPayload = sizeof(vmouse::Memory);
    constexpr std::size_t kFile = 8 + 4 + kPayload + 4;
    std::vector<std::uint8_t> file(kFile, 0);
    std::memcpy(file.data(), "KZ9KVMS1", 8);
    file[8] = std::uint8_t(kPayload >> 24);
    file[9] = std::uint8_t(kPayload >> 16);
    file[10] = std::uint8_t(kPayload >> 8);
    file[11] = std::uint8_t(kPayload);
    // A whole file gives its own payload; anything else is taken as a payload.
    const bool whole = size >= 12 && std::memcmp(data, "KZ9KVMS1", 8) == 0;
    const std::uint8_t *payload = whole ? data + 12 : data;
    const std::size_t payloadSize = whole ? size - 12 : size;
    std::memcpy(file.data() + 12, payload, std::min(payloadSize, kPayload));
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < kPayload; ++i)
        crc = stm32crc_step(crc, file[12 + i]);
    for (int i = 0; i < 4; ++i)
        file[12 + kPayload + i] = std::uint8_t(crc >> (24 - 8 * i));
    load(file.data(), file.size());
    return 0;
}
