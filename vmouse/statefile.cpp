#include "statefile.h"

#include "stm32crc.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace vmouse
{

namespace
{

// File: magic (8 bytes, format version in the last), payload length (4 bytes,
// big-endian), payload, CRC of the payload (4 bytes, big-endian). The payload is
// Memory's fields in declaration order; every field is bytes, so there is no
// padding or byte order to worry about.
const char kMagic[8] = {'K', 'Z', '9', 'K', 'V', 'M', 'S', '1'};
constexpr std::size_t kPayload = sizeof(Memory);
constexpr std::size_t kFileSize = sizeof kMagic + 4 + kPayload + 4;
static_assert(kPayload == 3 + 1 + 8 + kZones * 7 + kButtons * 4 + kButtons * kSlotSize,
              "Memory must stay a plain run of bytes");

void putBe32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

std::uint32_t getBe32(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// Every byte counted, the odd tail too (the word-wise routine skips it).
std::uint32_t checksum(const std::uint8_t *p, std::size_t n)
{
    std::uint32_t r = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i)
        r = stm32crc_step(r, p[i]);
    return r;
}

} // namespace

bool parseMemory(const std::uint8_t *data, std::size_t size, Memory *m)
{
    if (!data || size != kFileSize || std::memcmp(data, kMagic, sizeof kMagic) != 0) return false;
    const std::uint8_t *payload = data + sizeof kMagic + 4;
    if (getBe32(data + sizeof kMagic) != kPayload) return false;
    if (getBe32(payload + kPayload) != checksum(payload, kPayload)) return false;
    std::memcpy(m, payload, kPayload);
    return true;
}

bool loadMemory(const std::string &path, Memory *m)
{
    if (path.empty()) return false;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // One byte more than expected tells a longer (foreign) file from ours.
    std::vector<std::uint8_t> buf(kFileSize + 1);
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    return parseMemory(buf.data(), got, m);
}

bool saveMemory(const std::string &path, const Memory &m)
{
    if (path.empty()) return false;
    std::vector<std::uint8_t> buf(kFileSize);
    std::memcpy(buf.data(), kMagic, sizeof kMagic);
    putBe32(buf.data() + sizeof kMagic, kPayload);
    std::uint8_t *payload = buf.data() + sizeof kMagic + 4;
    std::memcpy(payload, &m, kPayload);
    putBe32(payload + kPayload, checksum(payload, kPayload));

    const std::string tmp = path + ".tmp";
    std::FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(buf.data(), 1, buf.size(), f) == buf.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(tmp.c_str());
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        // Windows does not rename over an existing file.
        std::remove(path.c_str());
        if (std::rename(tmp.c_str(), path.c_str()) != 0) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    return true;
}

} // namespace vmouse
