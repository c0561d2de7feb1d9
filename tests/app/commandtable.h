// What the program may send the mouse, written from the command table and the
// page layouts of each command: a report outside it is a fault of the program,
// whatever the mouse answered before.
#ifndef COMMANDTABLE_H
#define COMMANDTABLE_H

#include "vmouse.h"

#include <QString>

#include <cstring>
#include <QtGlobal>

class CommandTable
{
public:
    // Empty when the whole report (id first, 32 or 64 bytes) may be sent; else
    // what is wrong with it. Flash packets are also checked against the
    // flash they belong to, so reports must be given in the order sent.
    QString check(int channel, const unsigned char *r, int len)
    {
        if (channel == VMOUSE_CONTROL) {
            if (len != 32 || r[0] != 0x4D)
                return QStringLiteral("control report of %1 bytes").arg(len);
            return control(r + 1);
        }
        if (channel != VMOUSE_CONFIG) return QStringLiteral("unknown channel");
        if (len != 64 || r[0] != 0x57) return QStringLiteral("config report of %1 bytes").arg(len);
        return config(r + 1);
    }

private:
    static quint32 be32(const unsigned char *b)
    {
        return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
    }
    static bool zeros(const unsigned char *b, int from, int to)
    {
        for (int i = from; i < to; ++i)
            if (b[i]) return false;
        return true;
    }
    static QString bad(const char *what, const unsigned char *f)
    {
        QString hex;
        for (int i = 0; i < 12; ++i)
            hex += QString::asprintf("%02x", f[i]);
        return QString::fromLatin1(what) + QStringLiteral(": ") + hex;
    }

    // f: the 31-byte frame, code in byte 0.
    QString control(const unsigned char *f)
    {
        switch (f[0]) {
        case 0x90:
        case 0xC2:
        case 0xC4:
        case 0xEE:
            return {};
        case 0xA0:
            return f[1] <= 1 ? QString() : bad("0xA0 zone", f);
        case 0xA1: {
            const bool rear = f[1] == 0;
            if (f[1] > 1) return bad("0xA1 zone", f);
            const int e = f[2];
            const bool effect = rear ? (e <= 3 || e == 6) : e <= 2;
            if (!effect) return bad("0xA1 effect", f);
            // Off and steady carry no speed: the shared frame's byte goes out as it is.
            if ((e == 2 || e == 3 || e == 6) && (f[3] < 1 || f[3] > 8)) return bad("0xA1 speed", f);
            if (f[4] != 8 || f[5] != 8) return bad("0xA1 fixed bytes", f);
            return {};
        }
        case 0xB0:
            return f[1] >= 2 && f[1] <= 7 ? QString() : bad("0xB0 button", f);
        case 0xB1: {
            if (f[1] < 2 || f[1] > 7) return bad("0xB1 button", f);
            switch (f[2]) {
            case 0:
                return f[3] >= 1 && f[3] <= 8 ? QString() : bad("0xB1 function code", f);
            case 1:
                return f[3] <= 12 ? QString() : bad("0xB1 combination code", f);
            case 2: {
                const int length = f[4] << 8 | f[5];
                if (f[3] > 1) return bad("0xB1 macro delay flag", f);
                return length <= 512 && length % 4 == 0 ? QString() : bad("0xB1 macro length", f);
            }
            default:
                return bad("0xB1 kind", f);
            }
        }
        case 0xC1:
            for (int i = 1; i <= 5; ++i)
                if (f[i] < 1 || f[i] > 144) return bad("0xC1 level value", f);
            if (f[8] < 1 || f[8] > 5 || f[6] >= f[8]) return bad("0xC1 level index or count", f);
            return {};
        case 0xC3:
            return f[1] == 1 || f[1] == 2 || f[1] == 4 || f[1] == 8 ? QString()
                                                                    : bad("0xC3 rate", f);
        default:
            return bad("control code", f);
        }
    }

    // f: the 63-byte packet, code in byte 0.
    QString config(const unsigned char *f)
    {
        const int code = f[0];
        const bool flashPacket = code == 0xDE || code == 0xD1 || code == 0xD2 || code == 0xD3 ||
                                 code == 0xD6 || code == 0xD5 || code == 0xD7;
        if (!flashPacket) m_flashing = false; // a flash never has other packets inside it
        switch (code) {
        case 0xD0:
            return zeros(f, 1, 63) ? QString() : bad("0xD0 not alone", f);
        case 0xF0:
        case 0xF1: {
            const int n = f[2];
            const quint32 offset = be32(f + 3);
            if (f[1] < 12 || f[1] > 17) return bad("macro slot", f);
            if (n < 1 || n > 56 || (code == 0xF1 && n % 4)) return bad("macro chunk length", f);
            if (offset % 56 || offset + quint32(n) > 512) return bad("macro offset", f);
            return {};
        }
        case 0xDE:
            m_flashing = true;
            m_chunks = 0;
            return zeros(f, 1, 63) ? QString() : bad("0xDE", f);
        case 0xD1:
        case 0xD6:
            if (!m_flashing) return bad("flash packet outside a flash", f);
            return zeros(f, 1, 63) ? QString() : bad("0xD1/0xD6", f);
        case 0xD2: {
            static const unsigned char erase[7] = {0xD2, 0xFF, 0x10, 0x08, 0x01, 0x80, 0x00};
            if (!m_flashing) return bad("erase outside a flash", f);
            return memcmp(f, erase, 7) == 0 && zeros(f, 7, 63) ? QString() : bad("0xD2", f);
        }
        case 0xD3: {
            if (!m_flashing) return bad("flash chunk outside a flash", f);
            const quint32 address = be32(f + 3);
            if (f[1] != 0 || f[2] > 56) return bad("0xD3 length", f);
            if (address != 0x08018000u + 56u * m_chunks) return bad("0xD3 address", f);
            ++m_chunks;
            return {};
        }
        case 0xD5:
            if (!m_flashing) return bad("CRC check outside a flash", f);
            if (f[1] != 0 || f[2] != 1 || be32(f + 3) != 0x08018000u) return bad("0xD5", f);
            return {};
        case 0xD7: {
            static const unsigned char reset[7] = {0xD7, 0, 0, 0, 0x80, 0, 0x08};
            m_flashing = false;
            return memcmp(f, reset, 7) == 0 ? QString() : bad("0xD7", f);
        }
        default:
            return bad("config code", f);
        }
    }

    bool m_flashing = false;
    quint32 m_chunks = 0;
};

#endif
