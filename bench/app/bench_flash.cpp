// Figures of a flash: a 64 KiB MCU body through the window's RunFWUpdate on the
// virtual mouse (packets per second, total time, the library's share of it),
// and the CRC's throughput. Prints; never fails on a time.
#include "pages/settings/config_widget.h"
#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "startup.h"
#include "pages/settings/update_dialog.h"
#include "vmouse.h"
#include "window/z9ktool.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace
{

qint64 libraryNs = 0;
int packets = 0;

unsigned timedWrite(int len, unsigned char *buf)
{
    QElapsedTimer t;
    t.start();
    const unsigned r = WrtieConfig(len, buf);
    libraryNs += t.nsecsElapsed();
    ++packets;
    return r;
}

QByteArray imageOf(int mcuSize)
{
    QByteArray mcu(mcuSize, '\0');
    const char lead[7] = {'K', 'I', 'V', 'O', 9, 9, 9};
    for (int i = 0; i < mcuSize; ++i)
        mcu[i] = i < 7 ? lead[i] : char((i * 131) >> 3);
    QByteArray f(59, '\0');
    f[46] = char(mcuSize >> 24);
    f[47] = char(mcuSize >> 16);
    f[48] = char(mcuSize >> 8);
    f[49] = char(mcuSize);
    return f + mcu;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("VELQA_LIBRARY", VMOUSE_LIBRARY);
    qputenv("VMOUSE_STATE", "");
    QApplication app(argc, argv);
    unsigned long error = 0;
    if (!bind_velqa(&error)) {
        std::fprintf(stderr, "cannot bind the virtual mouse\n");
        return 1;
    }
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        QFile f(QStringLiteral("KIVOMouse_USB.bin"));
        if (!f.open(QIODevice::WriteOnly) || f.write(imageOf(65536)) != 65536 + 59) return 1;
    }
    // The diagnostic lines are not part of the figure.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    z9ktool w;
    attach_at_start(w);
    w.fwfile = QStringLiteral("KIVOMouse_USB.bin");
    w.fw_version_str = QStringLiteral("9.9.9");
    w.show();
    app.processEvents();
    m_WriteConfig = timedWrite;

    QTextStream out(stdout);
    const int runs = 5;
    for (int run = 0; run < runs; ++run) {
        vmouse_reset();
        OpenDevice(USB_VID, USB_PID);
        OpenConfigDevice(USB_VID, USB_PID);
        w.update_confirm->show_dialog();
        libraryNs = 0;
        packets = 0;
        QElapsedTimer t;
        t.start();
        w.update_confirm->start_update(); // emits update_clicked: RunFWUpdate
        const qint64 totalNs = t.nsecsElapsed() - 500 * 1000000LL; // less the fixed 500 ms pause
        const double ms = totalNs / 1e6, libMs = libraryNs / 1e6;
        out << QStringLiteral("flash 64 KiB: %1 packets, %2 ms without the 500 ms pause, "
                              "%3 packets/s; library %4 ms (%5 %), program %6 ms = %7 % of "
                              "1171 x 1 ms\n")
                   .arg(packets)
                   .arg(ms, 0, 'f', 2)
                   .arg(packets / (ms / 1000.0), 0, 'f', 0)
                   .arg(libMs, 0, 'f', 2)
                   .arg(100.0 * libMs / ms, 0, 'f', 1)
                   .arg(ms - libMs, 0, 'f', 2)
                   .arg(100.0 * (ms - libMs) / 1171.0, 0, 'f', 2);
        out.flush();
    }

    QByteArray body(16 * 1024 * 1024, '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 2654435761u >> 24);
    const auto *p = reinterpret_cast<const uchar *>(body.constData());
    quint32 sink = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        for (int k = 0; k < 8; ++k)
            sink ^= fwimage::crc_bytes(p, quint64(body.size()), 0xFFFFFFFFu);
        const double s = t.nsecsElapsed() / 1e9;
        out << QStringLiteral("crc: %1 MB/s over 8 x 16 MiB (%2)\n")
                   .arg(8.0 * body.size() / 1e6 / s, 0, 'f', 0)
                   .arg(sink, 8, 16, QLatin1Char('0'));
    }
    return 0;
}
