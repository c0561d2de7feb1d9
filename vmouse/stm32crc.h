/* The CRC of the mouse's microcontroller (its STM32 CRC unit): CRC-32 with the
 * polynomial 0x04C11DB7, most significant bit first, nothing reflected, no final
 * XOR, the starting value chosen by the caller. The unit eats 32-bit words; a
 * word is read little-endian from the image and fed most significant byte
 * first, so its four bytes go in as byte 3, 2, 1, 0 of their file position.
 *
 * Header-only and free of any state, so that both the virtual mouse (which checks
 * a flashed image) and the program (which computes the value it sends) use the
 * very same routine. */
#ifndef STM32CRC_H
#define STM32CRC_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace stm32crc_detail
{

constexpr std::uint32_t kPolynomial = 0x04C11DB7u;

constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ kPolynomial : (r << 1);
        table[i] = r;
    }
    return table;
}

inline constexpr std::array<std::uint32_t, 256> kTable = makeTable();

} // namespace stm32crc_detail

/* Entry i of the 256-entry table: the register after shifting i * 2^24 through
 * eight steps. */
inline std::uint32_t stm32crc_table(std::uint8_t i)
{
    return stm32crc_detail::kTable[i];
}

/* One byte through the register, most significant bit first (plain table-driven
 * CRC-32/MPEG-2 step). */
inline std::uint32_t stm32crc_step(std::uint32_t r, std::uint8_t b)
{
    return stm32crc_detail::kTable[((r >> 24) ^ b) & 0xFFu] ^ (r << 8);
}

/* nWords words of the image in memory order. The words are taken byte by byte
 * so that neither alignment nor the host's byte order matters. */
inline std::uint32_t stm32crc32(const std::uint32_t *words, std::uint32_t nWords,
                                std::uint32_t remainder)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(words);
    for (std::uint32_t w = 0; w < nWords; ++w, p += 4) {
        remainder = stm32crc_step(remainder, p[3]);
        remainder = stm32crc_step(remainder, p[2]);
        remainder = stm32crc_step(remainder, p[1]);
        remainder = stm32crc_step(remainder, p[0]);
    }
    return remainder;
}

/* The same over a byte buffer: only the len / 4 whole words are covered, and
 * nothing at or past data + len is read. */
inline std::uint32_t stm32crc32_bytes(const std::uint8_t *data, std::size_t len,
                                      std::uint32_t start)
{
    std::uint32_t r = start;
    if (!data) return r;
    const std::size_t whole = len - len % 4;
    for (std::size_t i = 0; i < whole; i += 4) {
        r = stm32crc_step(r, data[i + 3]);
        r = stm32crc_step(r, data[i + 2]);
        r = stm32crc_step(r, data[i + 1]);
        r = stm32crc_step(r, data[i]);
    }
    return r;
}

#endif
