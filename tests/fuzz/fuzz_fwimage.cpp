// The firmware image: downloaded from the update server (or put in the
// program's folder by anyone), its header decides how much is sent to the mouse.
#include "device/fwimage.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(fwimage::kMaxFileSize)) return 0;
    // No copy: a read past the file is a read past libFuzzer's exact buffer.
    const QByteArray file =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    fwimage::Image img;
    if (fwimage::parse(file, &img) != fwimage::Parse::Ok) return 0;
    if (img.mcu_address + img.mcu_length > size) std::abort();
    // Nothing is flashed that the mouse could not hold or could not confirm.
    if (img.mcu_length > fwimage::kAppAreaSize ||
        img.mcu_length < quint32(fwimage::kLeadingBlock) || img.version[0] == 0xFF ||
        std::memcmp(img.version, img.mcu + fwimage::kVersionAt, 3) != 0)
        std::abort();

    // What the flashing then does with it: every chunk packet, the percentage
    // and the CRC over the whole body.
    unsigned char packet[64];
    const quint32 length = img.mcu_length;
    quint32 sent = 0;
    unsigned last = 0;
    while (length - sent > quint32(fwimage::kChunk)) {
        fwimage::put_chunk(packet, img.mcu + sent, sent, fwimage::kChunk);
        sent += fwimage::kChunk;
        const unsigned pct = fwimage::percent(sent, length);
        if (pct > 100 || pct < last) std::abort();
        last = pct;
    }
    fwimage::put_chunk(packet, img.mcu + sent, sent, int(length - sent));
    fwimage::put_crc(packet, length, fwimage::crc_bytes(img.mcu, length, 0xFFFFFFFFu));
    return 0;
}
