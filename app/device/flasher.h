// The flashing sequence: disable, unlock, erase, the image's microcontroller
// body in 56-byte chunks, lock, the CRC check and the restart, over the
// configuration channel. Apart from any window: the caller hands it the
// parsed image, the channel and something that shows the progress.
#ifndef FLASHER_H
#define FLASHER_H

#include "device/fwimage.h"

namespace flasher
{

// The mouse's configuration channel: 63 of a packet's 64 bytes go out.
class Channel
{
public:
    virtual ~Channel() = default;
    virtual int write(unsigned char *packet) = 0; // 0 when sent
    virtual void close() = 0;
};

// The channel the program has bound (m_WriteConfig, m_CloseConfigDevice).
class BoundChannel : public Channel
{
public:
    int write(unsigned char *packet) override;
    void close() override;
};

class Progress
{
public:
    virtual ~Progress() = default;
    virtual void started(quint32 length) = 0;
    // sent of length bytes are on the mouse; percent as shown.
    virtual void advanced(quint32 sent, unsigned percent, bool percentMoved) = 0;
    virtual void written(quint32 length) = 0; // every chunk is on the mouse
    // The mouse has checked the image; called before the restart.
    virtual void checked() = 0;
};

enum class Result {
    CutOff,    // a step was refused before the last chunk: the channel is closed, no restart
    Unchecked, // written, but the lock or the CRC check was refused; restarted all the same
    Checked,   // written, checked and restarted
};

// img must parse as Ok. Sends the whole sequence and closes the channel.
Result flash(const fwimage::Image &img, Channel &channel, Progress &progress);

} // namespace flasher

#endif
