#include "device/flasher.h"

#include "device/kivomouse.h"

namespace flasher
{

int BoundChannel::write(unsigned char *packet)
{
    return m_WriteConfig(63, packet);
}

void BoundChannel::close()
{
    m_CloseConfigDevice();
}

Result flash(const fwimage::Image &img, Channel &channel, Progress &progress)
{
    const quint32 length = img.mcu_length;
    progress.started(length);

    // A refused step leaves the mouse short of what the next steps assume
    // (a refused erase, say, and the old image would come back "updated"):
    // stop as for a refused chunk.
    if (channel.write(disable_mouse) != 0 || channel.write(unlock) != 0 ||
        channel.write(erase) != 0) {
        channel.close();
        return Result::CutOff;
    }
    fwimage::put_be32(crc + 3, fwimage::kFlashBase);
    write_mcu[2] = fwimage::kChunk;

    quint32 sent = 0;
    unsigned shown = 0;
    while (length - sent > quint32(fwimage::kChunk)) {
        fwimage::put_chunk(write_mcu, img.mcu + sent, sent, fwimage::kChunk);
        if (channel.write(write_mcu) != 0) {
            channel.close();
            return Result::CutOff;
        }
        sent += fwimage::kChunk;
        const unsigned pct = fwimage::percent(sent, length);
        progress.advanced(sent, pct, pct != shown);
        shown = pct;
    }
    fwimage::put_chunk(write_mcu, img.mcu + sent, sent, int(length - sent));
    if (channel.write(write_mcu) != 0) {
        channel.close();
        return Result::CutOff;
    }
    progress.written(length);

    bool checked = channel.write(lock) == 0;
    if (checked) {
        fwimage::put_crc(crc, length, fwimage::crc_bytes(img.mcu, length, 0xFFFFFFFFu));
        // Without the check the restarted mouse runs its loader: no success to report.
        checked = channel.write(crc) == 0;
    }
    if (checked) progress.checked();
    channel.write(reset_cmd);
    channel.close();
    return checked ? Result::Checked : Result::Unchecked;
}

} // namespace flasher
