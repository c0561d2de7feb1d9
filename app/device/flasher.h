// The flashing sequence: disable, unlock, erase, the image's microcontroller
// body in 56-byte chunks, lock, the CRC check and the restart, over the
// configuration channel, and then the mouse's word that it runs the image.
// Apart from any window: the caller hands it the checked image, the channel
// and something that shows the progress.
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
    // Opens the channel anew and asks the firmware version: true, with major,
    // minor and patch in v, when the mouse answered.
    virtual bool read_version(quint8 v[3]) = 0;
    // Lets about ms pass while the mouse restarts; the program stays responsive.
    virtual void pause(int ms) = 0;
};

// The channel the program has bound (m_WriteConfig, m_CloseConfigDevice ...).
// The version read goes into fw_version, as every version read does; pause
// runs the event loop without user input and without socket notifications
// (no device change or kivoctl request is taken in the middle of a flash).
class BoundChannel : public Channel
{
public:
    int write(unsigned char *packet) override;
    void close() override;
    bool read_version(quint8 v[3]) override;
    void pause(int ms) override;
};

class Progress
{
public:
    virtual ~Progress() = default;
    virtual void started(quint32 length) = 0;
    // sent of length bytes are on the mouse; percent as shown.
    virtual void advanced(quint32 sent, unsigned percent, bool percentMoved) = 0;
    virtual void written(quint32 length) = 0; // every chunk is on the mouse
};

enum class Result {
    CutOff,    // a step was refused before the last chunk: the channel is closed, no restart
    Unchecked, // written, but the lock or the CRC check was refused; restarted all the same
    Checked,   // written, checked and restarted: only the mouse can say whether it took it
};

// img must parse as Ok. Sends the whole sequence and closes the channel.
Result flash(const fwimage::Image &img, Channel &channel, Progress &progress);

// What the mouse says after the restart of a Checked flash.
enum class Confirm {
    Running,      // back, running the image's version
    Loader,       // back in its loader (major 0xFF)
    OtherVersion, // back, running another version
    NoAnswer,     // not back within the wait
};

// Asks the restarted mouse its version until it answers or waitMs have passed;
// *reported gets what it said. One answer decides: a mouse that answers is back.
Confirm confirm(const fwimage::Image &img, Channel &channel, int waitMs, quint8 reported[3]);

// How a whole run ended, file to confirmation, for whoever started it.
struct Run {
    enum End {
        Missing,    // no such file
        Unreadable, // it could not be read
        Refused,    // its bytes failed a check (refusal says which): nothing was sent
        CutOff,     // Result::CutOff
        Unchecked,  // Result::Unchecked: the mouse is left in its loader
        Loader,     // the Confirm values after a Checked flash
        OtherVersion,
        NoAnswer,
        Running, // the only success
    } end = Missing;
    fwimage::Parse refusal = fwimage::Parse::Ok;
    QString error;                  // Unreadable: the system's text
    quint8 version[3] = {0, 0, 0};  // the image's
    quint8 reported[3] = {0, 0, 0}; // the restarted mouse's
};

} // namespace flasher

#endif
