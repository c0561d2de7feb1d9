#include "device/fwimage.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

unsigned char disable_mouse[64] = {0};
unsigned char unlock[64] = {0};
unsigned char erase[64] = {0};
unsigned char write_mcu[64] = {0};
unsigned char lock[64] = {0};
unsigned char crc[64] = {0};
unsigned char reset_cmd[64] = {0};
unsigned char get_version[64] = {0};

namespace
{

constexpr quint32 kPolynomial = 0x04C11DB7u;

struct Tables {
    // t[0] is Crc32Table; t[k][i] is i * 2^24 shifted through 8 (k + 1) steps,
    // so that one lookup per byte of a word does all four bytes at once.
    quint32 t[4][256];
    constexpr Tables() : t()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ kPolynomial : (r << 1);
            t[0][i] = r;
        }
        for (int k = 1; k < 4; ++k)
            for (int i = 0; i < 256; ++i)
                t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
    }
};

constexpr Tables kTables;

quint32 be32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

} // namespace

const quint32 Crc32Table[256] = {
#define ROW(i) kTables.t[0][i]
#define R8(i)                                                                                      \
    ROW(i), ROW(i + 1), ROW(i + 2), ROW(i + 3), ROW(i + 4), ROW(i + 5), ROW(i + 6), ROW(i + 7)
#define R64(i)                                                                                     \
    R8(i), R8(i + 8), R8(i + 16), R8(i + 24), R8(i + 32), R8(i + 40), R8(i + 48), R8(i + 56)
    R64(0), R64(64), R64(128), R64(192)
#undef R64
#undef R8
#undef ROW
};

void fw_packets_init()
{
    std::memset(disable_mouse, 0, sizeof disable_mouse);
    disable_mouse[0] = 0xDE;
    std::memset(unlock, 0, sizeof unlock);
    unlock[0] = 0xD1;
    std::memset(erase, 0, sizeof erase);
    erase[0] = 0xD2;
    erase[1] = 0xFF;
    erase[2] = 0x10;
    fwimage::put_be32(erase + 3, fwimage::kFlashBase);
    std::memset(write_mcu, 0, sizeof write_mcu);
    write_mcu[0] = 0xD3;
    std::memset(lock, 0, sizeof lock);
    lock[0] = 0xD6;
    std::memset(crc, 0, sizeof crc);
    crc[0] = 0xD5;
    crc[1] = 0x00;
    crc[2] = 0x01;
    std::memset(reset_cmd, 0, sizeof reset_cmd);
    const unsigned char reset[7] = {0xD7, 0x00, 0x00, 0x00, 0x80, 0x00, 0x08};
    std::memcpy(reset_cmd, reset, sizeof reset);
    std::memset(get_version, 0, sizeof get_version);
    get_version[0] = 0xD0;
}

namespace fwimage
{

void put_be32(unsigned char *p, quint32 v)
{
    p[0] = uchar(v >> 24);
    p[1] = uchar(v >> 16);
    p[2] = uchar(v >> 8);
    p[3] = uchar(v);
}

Parse parse(const QByteArray &file, Image *img)
{
    *img = Image();
    if (file.size() > kMaxFileSize) return Parse::TooLarge;
    if (file.size() < kHeaderSize) return Parse::NoHeader;
    const auto *p = reinterpret_cast<const uchar *>(file.constData());
    img->led_length = be32(p + 16);
    img->wireless_length = be32(p + 31);
    img->mcu_length = be32(p + 46);
    img->mcu_address = quint64(kBodiesStart) + img->led_length + img->wireless_length;
    // 64-bit sums: three lengths near 2^32 cannot wrap to something that fits.
    if (img->mcu_address + img->mcu_length > quint64(file.size())) return Parse::Truncated;
    // Refused before the erase: after it, the mouse would be left in its loader.
    if (img->mcu_length > kAppAreaSize) return Parse::TooLarge;
    if (img->mcu_length < quint32(kLeadingBlock)) return Parse::NoProgram;
    const uchar *body = p + img->mcu_address;
    std::memcpy(img->version, body + kVersionAt, 3);
    if (img->version[0] == 0xFF) return Parse::NoProgram;
    img->mcu = body;
    return Parse::Ok;
}

const char *refusal_text(Parse p)
{
    switch (p) {
    case Parse::Ok:
        return "fine";
    case Parse::NoHeader:
        return "no header";
    case Parse::Truncated:
        return "cut short";
    case Parse::TooLarge:
        return "larger than the mouse's application area";
    case Parse::NoProgram:
        return "no program with a version in it";
    }
    return "damaged";
}

Read read_file(const QString &path, QByteArray *data, QString *error)
{
    data->clear();
    if (!QFileInfo(path).isFile()) return Read::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return Read::Unreadable;
    }
    if (file.size() > kMaxFileSize) return Read::TooLarge;
    // One read: a file that grows meanwhile is taken as far as it was, and only
    // what was read is checked and flashed.
    *data = file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        data->clear();
        return Read::Unreadable;
    }
    return Read::Ok;
}

void put_chunk(unsigned char *packet, const uchar *data, quint32 offset, int n)
{
    n = qBound(0, n, kChunk);
    packet[1] = 0x00;
    packet[2] = uchar(n);
    put_be32(packet + 3, kFlashBase + offset);
    if (n > 0) std::memcpy(packet + 7, data, size_t(n));
    std::memset(packet + 7 + n, 0xFF, size_t(kChunk - n));
}

void put_crc(unsigned char *packet, quint32 length, quint32 value)
{
    put_be32(packet + 7, length);
    put_be32(packet + 11, value);
}

QByteArray version_text(const quint8 v[3])
{
    return QByteArray::number(uint(v[0])) + '.' + QByteArray::number(uint(v[1])) + '.' +
           QByteArray::number(uint(v[2]));
}

unsigned percent(quint64 sent, quint64 total)
{
    return total ? unsigned(sent * 100 / total) : 100u;
}

quint32 crc_bytes(const uchar *data, quint64 len, quint32 remainder)
{
    if (!data) return remainder;
    const auto &t = kTables.t;
    const uchar *end = data + (len - len % 4);
    for (const uchar *p = data; p < end; p += 4) {
        // The word read little-endian, fed most significant byte first: for a
        // non-reflected CRC that is the register XOR the word, shifted 32 steps.
        const quint32 r = remainder ^ (quint32(p[0]) | (quint32(p[1]) << 8) |
                                       (quint32(p[2]) << 16) | (quint32(p[3]) << 24));
        remainder = t[3][r >> 24] ^ t[2][(r >> 16) & 0xFF] ^ t[1][(r >> 8) & 0xFF] ^ t[0][r & 0xFF];
    }
    return remainder;
}

quint32 stm32crc32(const quint32 *message, quint32 nWords, quint32 remainder)
{
    return crc_bytes(reinterpret_cast<const uchar *>(message), quint64(nWords) * 4, remainder);
}

} // namespace fwimage
