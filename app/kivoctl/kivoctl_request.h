// The command-line tool kivoctl: its requests and file formats, and the program's end of it.
//
// kivoctl's requests: the command line read into a request, every value
// checked before anything goes to the mouse.
#ifndef KIVOCTL_REQUEST_H
#define KIVOCTL_REQUEST_H

#include "kivoctl/kivoctl_macrotext.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

namespace kivoctl
{

enum Exit { Ok = 0, Failed = 1, BadValue = 2, NoMouse = 3, Busy = 4 };

constexpr int kMinDpi = 50;
constexpr int kMaxDpi = 7200;
constexpr int kFirstButton = 2;
constexpr int kButtons = 6;

struct ZoneRequest {
    bool given = false;
    int effect = -1; // protocol code; -1 keeps the zone's effect
    int speed = 0;   // 1-8; 0 keeps the speed
    bool hasColour = false;
    quint8 rgb[3] = {0, 0, 0};
    // restore: the zone's record as it was read (effect, speed, 8, 8, R, G, B)
    bool hasRecord = false;
    quint8 record[7] = {0};
};

struct ButtonRequest {
    // A backup's assignment that no name covers: restored from its record.
    static constexpr int Record = 4;

    bool given = false;
    // 0 function, 1 preset combination or media key, 2 macro, 3 custom keys,
    // Record the four record bytes as they are
    int kind = 0;
    int code = 0;         // function or combination code
    quint8 modifiers = 0; // custom keys: HID modifier bits
    quint8 usage = 0;     // custom keys: HID usage of the one other key
    bool delays = false;  // macro: with the waits between its events
    QVector<MacroEvent> events;
    bool hasRecord = false; // restore: the four bytes the mouse reported
    quint8 record[4] = {0};
};

struct Request {
    enum Command { Help, Show, Set, Reset, Restore, Flash } command = Help;
    bool json = false;
    bool hasDpi = false;
    int dpi[5] = {0, 0, 0, 0, 0}; // DPI values
    int dpiActive = 0;            // 1-5; 0 keeps the active level
    bool hasDpiRecord = false;    // restore: the eight bytes of the DPI record
    quint8 dpiRecord[8] = {0};
    int rate = 0;                   // Hz; 0 keeps the rate
    ZoneRequest zone[2];            // 0 rear, 1 front, as the mouse numbers them
    ButtonRequest button[kButtons]; // button ids 2-7
    QString flashFile;              // absolute path

    bool changesSomething() const;
};

// Reads the command line (without the program name). Files named in it are
// read here, relative to cwd, so that the request carries their contents.
// Returns the one line that names a bad value, or an empty string.
QString parse_arguments(const QStringList &args, const QString &cwd, Request *out);

// A button's assignment in the words "set" takes, into *b: a function, a
// media key, combo:NAME, keys:KEYS, or macro:FILE (read relative to cwd).
// Returns the one line that names a bad value, or an empty string.
QString parse_assignment(const QString &key, const QString &value, const QString &cwd,
                         ButtonRequest *b);

QString help_text();

} // namespace kivoctl

#endif
