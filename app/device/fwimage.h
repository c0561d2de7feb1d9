// The firmware image file and the packets that flash it, apart from any window:
// reading the file once, checking the bytes that will be flashed, the seven
// program-wide configuration-channel packets, the chunk and CRC fields, the
// percentage, and the CRC of the mouse's microcontroller.
#ifndef FWIMAGE_H
#define FWIMAGE_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The packets of a flash and the version request, 64 bytes each, of which 63
// go out. Their fixed bytes are set by fw_packets_init() once at start.
extern unsigned char disable_mouse[64];
extern unsigned char unlock[64];
extern unsigned char erase[64];
extern unsigned char write_mcu[64];
extern unsigned char lock[64];
extern unsigned char crc[64];
extern unsigned char reset_cmd[64];
extern unsigned char get_version[64];

void fw_packets_init();

// The 256-entry table of the polynomial 0x04C11DB7, most significant bit first.
extern const quint32 Crc32Table[256];

namespace fwimage
{

constexpr quint32 kFlashBase = 0x08018000u;
constexpr int kChunk = 56;       // data bytes per write packet
constexpr int kHeaderSize = 50;  // up to the end of the last length field
constexpr int kBodiesStart = 59; // the LED body starts here
// Far beyond anything the mouse's flash holds; a larger file is not an image.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
// The mouse's application area: 256 KiB from kFlashBase up to 0x08058000 (the
// loader sits below kFlashBase). A body past its end cannot be written whole,
// so the mouse's check of it fails and it is left in its loader.
constexpr quint32 kAppAreaSize = 256 * 1024;
// The MCU body starts with a leading block of its own ("KIVO", major, minor,
// patch, seven zeros); the mouse reports the version it finds there once it
// runs the body, and that is how a flash is confirmed.
constexpr int kLeadingBlock = 14;
constexpr int kVersionAt = 4;

struct Image {
    quint32 led_length = 0;
    quint32 wireless_length = 0;
    quint32 mcu_length = 0;
    quint64 mcu_address = 0; // 59 + led + wireless, without wrapping
    const uchar *mcu = nullptr;
    quint8 version[3] = {0, 0, 0}; // what the mouse reports once it runs the body
};

enum class Parse {
    Ok,
    NoHeader,  // shorter than the three length fields
    Truncated, // the bodies the header declares do not fit in the file
    TooLarge,  // a file over kMaxFileSize, or a body past the application area
    NoProgram, // a body without its leading block (an empty one too), or one
               // carrying the loader's major 0xFF: no flash of it could be confirmed
};

// Every check an image passes before anything goes to the mouse, made on the
// bytes that are then flashed. On Ok, img->mcu points into file's data; the
// lengths are filled whenever the header is there.
Parse parse(const QByteArray &file, Image *img);
// Why parse refused, in a few English words (kivoctl's message).
const char *refusal_text(Parse p);

enum class Read { Ok, Missing, Unreadable, TooLarge };
// The whole file, read once into *data (a file over kMaxFileSize is not read).
// *error gets the system's text when the file cannot be opened or read.
Read read_file(const QString &path, QByteArray *data, QString *error = nullptr);

// Chunk n bytes (0..56) for image offset `offset` into write_mcu: length, the
// big-endian address, the data, then 0xFF to the end of the packet.
void put_chunk(unsigned char *packet, const uchar *data, quint32 offset, int n);
// The CRC packet's length and CRC fields (bytes 7-10, 11-14, big-endian).
void put_crc(unsigned char *packet, quint32 length, quint32 value);
void put_be32(unsigned char *p, quint32 v);

// bytes sent * 100 / total, truncated; computed without overflow.
unsigned percent(quint64 sent, quint64 total);

// A version's three parts as shown: "major.minor.patch", unsigned.
QByteArray version_text(const quint8 v[3]);

// The STM32 CRC unit over nWords words in memory order: each word read
// little-endian and fed most significant byte first.
quint32 stm32crc32(const quint32 *message, quint32 nWords, quint32 remainder);
// The same over bytes: only len / 4 whole words are covered.
quint32 crc_bytes(const uchar *data, quint64 len, quint32 remainder);

} // namespace fwimage

#endif
