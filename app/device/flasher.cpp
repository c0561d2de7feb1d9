#include "device/flasher.h"

#include "device/kivomouse.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstring>

namespace flasher
{

namespace
{
const int kPollMs = 100; // between two tries to reach a restarting mouse
}

int BoundChannel::write(unsigned char *packet)
{
    return m_WriteConfig(63, packet);
}

void BoundChannel::close()
{
    m_CloseConfigDevice();
}

bool BoundChannel::read_version(quint8 v[3])
{
    // Not back on the bus yet: no use running the retry rule on it.
    if (!m_OpenConfigDevice(USB_VID, USB_PID)) return false;
    unsigned char reply[64] = {0};
    if (!config_read(1, get_version, reply)) return false;
    std::memcpy(fw_version, reply, sizeof reply);
    std::memcpy(v, reply + 3, 3);
    return true;
}

void BoundChannel::pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
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
    // The restart's own result says nothing: a mouse that drops off the bus
    // as it takes the packet may report it refused. Its answer afterwards decides.
    channel.write(reset_cmd);
    channel.close();
    return checked ? Result::Checked : Result::Unchecked;
}

Confirm confirm(const fwimage::Image &img, Channel &channel, int waitMs, quint8 reported[3])
{
    std::memset(reported, 0, 3);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (channel.read_version(reported)) {
            if (reported[0] == 0xFF) return Confirm::Loader;
            return std::memcmp(reported, img.version, 3) == 0 ? Confirm::Running
                                                              : Confirm::OtherVersion;
        }
        const qint64 left = waitMs - waited.elapsed();
        if (left <= 0) return Confirm::NoAnswer;
        channel.pause(int(qMin<qint64>(left, kPollMs)));
    }
}

} // namespace flasher
