// Talking to the virtual mouse the way the program does: 31-byte control frames,
// 63-byte configuration frames, whole replies, and the flashing sequence.
#ifndef MOUSETALK_H
#define MOUSETALK_H

#include "stm32crc.h"
#include "vmouse.h"

#include <QByteArray>
#include <QtGlobal>

#include <initializer_list>

namespace talk
{

constexpr unsigned short kVid = 0x2717;
constexpr unsigned short kPid = 0x5009;
constexpr quint32 kFlashBase = 0x08018000u;

inline QByteArray frame(std::initializer_list<int> bytes, int size)
{
    QByteArray f(size, '\0');
    int i = 0;
    for (int b : bytes)
        f[i++] = char(b);
    return f;
}

inline void putBe32(QByteArray &f, int at, quint32 v)
{
    f[at] = char(v >> 24);
    f[at + 1] = char(v >> 16);
    f[at + 2] = char(v >> 8);
    f[at + 3] = char(v);
}

inline quint32 be32(const QByteArray &a, int at)
{
    return (quint32(quint8(a[at])) << 24) | (quint32(quint8(a[at + 1])) << 16) |
           (quint32(quint8(a[at + 2])) << 8) | quint32(quint8(a[at + 3]));
}

inline unsigned control(QByteArray f)
{
    f.resize(31);
    return WrtieControl(31, reinterpret_cast<unsigned char *>(f.data()));
}

inline unsigned config(QByteArray f)
{
    f.resize(63);
    return WrtieConfig(63, reinterpret_cast<unsigned char *>(f.data()));
}

// The reply, or an empty array when none came.
inline QByteArray controlReply()
{
    QByteArray r(32, '\0');
    return ReadData(32, reinterpret_cast<unsigned char *>(r.data())) ? r : QByteArray();
}

inline QByteArray configReply()
{
    QByteArray r(64, '\0');
    return ReadConfigData(64, reinterpret_cast<unsigned char *>(r.data())) ? r : QByteArray();
}

inline QByteArray askControl(std::initializer_list<int> bytes)
{
    return control(frame(bytes, 31)) == 0 ? controlReply() : QByteArray();
}

inline QByteArray askConfig(std::initializer_list<int> bytes)
{
    return config(frame(bytes, 63)) == 0 ? configReply() : QByteArray();
}

inline bool openBoth()
{
    return OpenDevice(kVid, kPid) != nullptr && OpenConfigDevice(kVid, kPid);
}

struct FlashOptions {
    bool erase = true;
    bool lock = true;
    quint32 crcFlip = 0;    // XORed into the CRC sent
    qint64 lengthExtra = 0; // added to the length the check packet names
};

// The program's flashing run over an open configuration channel: suspend,
// unlock, erase, 56-byte chunks padded with 0xFF, lock, CRC check, restart.
// Returns false as soon as a chunk is refused, the program's cue to give up.
inline bool flash(const QByteArray &mcu, const FlashOptions &o = FlashOptions())
{
    config(frame({0xDE}, 63));
    config(frame({0xD1}, 63));
    if (o.erase) {
        QByteArray erase = frame({0xD2, 0xFF, 0x10}, 63);
        putBe32(erase, 3, kFlashBase);
        config(erase);
    }
    int sent = 0;
    do {
        const int n = qMin(56, mcu.size() - sent);
        QByteArray w(63, char(0xFF));
        w[0] = char(0xD3);
        w[1] = 0;
        w[2] = char(n);
        putBe32(w, 3, kFlashBase + quint32(sent));
        w.replace(7, n, mcu.mid(sent, n));
        if (config(w) != 0) return false;
        sent += n;
    } while (sent < mcu.size());
    if (o.lock) config(frame({0xD6}, 63));
    QByteArray crc = frame({0xD5, 0x00, 0x01}, 63);
    putBe32(crc, 3, kFlashBase);
    putBe32(crc, 7, quint32(mcu.size() + o.lengthExtra));
    const quint32 value = stm32crc32_bytes(reinterpret_cast<const quint8 *>(mcu.constData()),
                                           std::size_t(mcu.size()), 0xFFFFFFFFu);
    putBe32(crc, 11, value ^ o.crcFlip);
    config(crc);
    config(frame({0xD7, 0x00, 0x00, 0x00, 0x80, 0x00, 0x08}, 63));
    return true;
}

} // namespace talk

#endif
