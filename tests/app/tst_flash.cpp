// Firmware flashing through the update dialog against the virtual mouse: the
// packets, the progress, the refusals, the restarted mouse's confirmation, a
// flash cut off and recovered, the CRC, and the factory-reset confirmation.
#include "virtualmouse.h"

#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "device/fwimage.h"
#include "stm32crc.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <utility>

namespace
{

QByteArray be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray pattern(int n, int seed)
{
    QByteArray a(n, '\0');
    for (int i = 0; i < n; ++i)
        a[i] = char((i * 37 + seed * 11 + (i >> 8)) & 0xFF);
    return a;
}

// The MCU body the virtual mouse runs: "KIVO", the version, 7 zero bytes, then code.
QByteArray mcuBody(int size, int major, int minor, int patch)
{
    QByteArray lead =
        QByteArray("KIVO") + char(major) + char(minor) + char(patch) + QByteArray(7, '\0');
    return (lead + pattern(qMax(0, size - 14), size)).left(size);
}

// A whole image file with declared lengths (normally the real ones).
QByteArray imageFile(const QByteArray &led, const QByteArray &wireless, const QByteArray &mcu,
                     qint64 ledLen = -1, qint64 wlLen = -1, qint64 mcuLen = -1)
{
    QByteArray f(14, 'x');
    const qint64 lens[3] = {ledLen < 0 ? led.size() : ledLen, wlLen < 0 ? wireless.size() : wlLen,
                            mcuLen < 0 ? mcu.size() : mcuLen};
    for (qint64 len : lens)
        f += QByteArray("R") + char(1) + be32(quint32(len)) + QByteArray(9, 'z');
    return f + led + wireless + mcu;
}

quint32 mouseCrc(const QByteArray &a)
{
    return stm32crc32_bytes(reinterpret_cast<const quint8 *>(a.constData()), size_t(a.size()),
                            0xFFFFFFFFu);
}

QVector<QByteArray> configPackets()
{
    QVector<QByteArray> out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONFIG) out << r.bytes.mid(1); // the 63-byte packet
    return out;
}

// Watches every configuration write the flash makes.
z9ktool *watched = nullptr;
QStringList textBeforeWrite;
QVector<int> barBeforeWrite;
QVector<bool> closeEnabledBeforeWrite;
int unplugAtChunk = 0; // pull the mouse out as chunk n (1-based) goes out
int chunksSeen = 0;
// Done to the mouse around the next packet of a code: before it goes out, or after.
struct PacketEvent {
    unsigned char code = 0;
    bool after = false;
    std::function<void()> act;
} packetEvent;

unsigned watchingWrite(int len, unsigned char *buf)
{
    if (watched && len == 63) {
        textBeforeWrite << watched->update_confirm->text_1->text();
        barBeforeWrite << watched->update_confirm->prog_bar->value();
        closeEnabledBeforeWrite << watched->update_confirm->close_btn->isEnabled();
        if (buf[0] == 0xD3 && ++chunksSeen == unplugAtChunk) vmouse_plug(0);
    }
    const bool at = packetEvent.act && buf[0] == packetEvent.code;
    if (at && !packetEvent.after) std::exchange(packetEvent.act, nullptr)();
    const unsigned result = WrtieConfig(len, buf);
    if (at && packetEvent.act) std::exchange(packetEvent.act, nullptr)();
    return result;
}

} // namespace

class Flash : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void packetsProgressAndNewVersion_data();
    void packetsProgressAndNewVersion();
    void rejectedChunkHidesTheDialog();
    void rejectedLockStillRestarts();
    void damagedImagesSendNothing_data();
    void damagedImagesSendNothing();
    void unconfirmedFlashFailsAndKeepsTheOffer_data();
    void unconfirmedFlashFailsAndKeepsTheOffer();
    void deviceChangesDuringTheFlashComeAfterIt();
    void cutOffFlashLeavesTheLoaderAndReflashRecovers();
    void dialogReopensWithTheLastText();
    void crcVectors();
    void confirmDialog();

private:
    void startWindow(z9ktool &w);
    void flashThroughTheDialog(z9ktool &w);
    QTemporaryDir dir;
};

void Flash::initTestCase()
{
    QVERIFY(bindVirtualMouse());
    QVERIFY(dir.isValid());
    QDir::setCurrent(dir.path());
    m_WriteConfig = watchingWrite;
}

void Flash::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    std::memset(dev_path, 0, sizeof dev_path);
    textBeforeWrite.clear();
    barBeforeWrite.clear();
    closeEnabledBeforeWrite.clear();
    unplugAtChunk = chunksSeen = 0;
}

void Flash::cleanup()
{
    watched = nullptr;
    packetEvent = PacketEvent();
}

void Flash::startWindow(z9ktool &w)
{
    attach_at_start(w);
    QVERIFY(device_attached);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The offer the update check makes for the image.
    w.FWUpdateFound(QStringLiteral("KIVOMouse_USB.bin"));
    w.fwfile = QStringLiteral("KIVOMouse_USB.bin");
    w.fw_version_str = QStringLiteral("2.3.4");
    w.update_confirm->text_1->setText(QStringLiteral("V2.3.4"));
    watched = &w;
}

void Flash::flashThroughTheDialog(z9ktool &w)
{
    w.update_confirm->show_dialog();
    vmouse_trace_clear();
    textBeforeWrite.clear();
    barBeforeWrite.clear();
    closeEnabledBeforeWrite.clear();
    QTest::mouseClick(w.update_confirm->start_btn, Qt::LeftButton);
}

bool writeImage(const QByteArray &bytes)
{
    QFile f(QStringLiteral("KIVOMouse_USB.bin"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void Flash::packetsProgressAndNewVersion_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("ledSize");
    QTest::addColumn<int>("wirelessSize");
    for (int size : {56, 57, 112})
        QTest::addRow("%d bytes", size) << size << 0 << 0;
    // Sections in front that must be skipped, and a length that is no word multiple.
    QTest::newRow("1001 bytes after LED and wireless") << 1001 << 333 << 70;
}

void Flash::packetsProgressAndNewVersion()
{
    QFETCH(int, size);
    QFETCH(int, ledSize);
    QFETCH(int, wirelessSize);
    const QByteArray mcu = mcuBody(size, 2, 3, 4);
    QVERIFY(writeImage(imageFile(pattern(ledSize, 1), pattern(wirelessSize, 2), mcu)));
    z9ktool w;
    startWindow(w);
    w.configpage->fw_update_icon->show();
    flashThroughTheDialog(w);

    const QVector<QByteArray> p = configPackets();
    const int chunks = (size + 55) / 56;
    QCOMPARE(p.size(), 3 + chunks + 3 + 1);
    QCOMPARE(p[0], QByteArray("\xDE") + QByteArray(62, '\0'));
    QCOMPARE(p[1], QByteArray("\xD1") + QByteArray(62, '\0'));
    QCOMPARE(p[2], QByteArray("\xD2\xFF\x10\x08\x01\x80\x00", 7) + QByteArray(56, '\0'));
    for (int j = 0; j < chunks; ++j) {
        const QByteArray &c = p[3 + j];
        const int n = qMin(56, size - 56 * j);
        QCOMPARE(quint8(c[0]), quint8(0xD3));
        QCOMPARE(quint8(c[1]), quint8(0));
        QCOMPARE(int(quint8(c[2])), n);
        QCOMPARE(c.mid(3, 4), be32(0x08018000u + 56u * quint32(j)));
        QCOMPARE(c.mid(7, n), mcu.mid(56 * j, n));
        QCOMPARE(c.mid(7 + n), QByteArray(56 - n, char(0xFF)));
    }
    QCOMPARE(p[3 + chunks], QByteArray("\xD6") + QByteArray(62, '\0'));
    const QByteArray &check = p[4 + chunks];
    QCOMPARE(check.left(7), QByteArray("\xD5\x00\x01\x08\x01\x80\x00", 7));
    QCOMPARE(check.mid(7, 4), be32(quint32(size)));
    QCOMPARE(check.mid(11, 4), be32(mouseCrc(mcu)));
    QCOMPARE(check.mid(15), QByteArray(48, '\0'));
    QCOMPARE(p[5 + chunks], QByteArray("\xD7\x00\x00\x00\x80\x00\x08", 7) + QByteArray(56, '\0'));
    // Then the restarted mouse is asked what it runs.
    QCOMPARE(p[6 + chunks], QByteArray("\xD0") + QByteArray(62, '\0'));

    // Percentage and bar after each accepted full chunk, seen as the next packet goes out.
    // Shut from the start button up to the lock.
    QVERIFY(!closeEnabledBeforeWrite.mid(0, 4 + chunks).contains(true));
    for (int j = 1; j < chunks; ++j) {
        QCOMPARE(textBeforeWrite[3 + j], QStringLiteral("正在升级固件...%1%").arg(5600 * j / size));
        QCOMPARE(barBeforeWrite[3 + j], 56 * j);
    }
    QCOMPARE(textBeforeWrite[3], QStringLiteral("正在升级固件...0%"));
    QCOMPARE(textBeforeWrite[3 + chunks], QStringLiteral("正在升级固件...100%")); // at the lock
    QCOMPARE(w.update_confirm->prog_bar->maximum(), size);

    Update_Dialog *d = w.update_confirm;
    QCOMPARE(d->text_1->text(), QStringLiteral("固件升级已完成"));
    QCOMPARE(d->text_2->text(), QStringLiteral("当前版本V2.3.4"));
    QVERIFY(d->prog_bar->isHidden());
    QVERIFY(d->close_btn->isEnabled());
    QVERIFY(d->isVisible());
    QVERIFY(w.configpage->fw_update_icon->isHidden());
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V2.3.4"));

    // The restart: the mouse leaves and comes back; the version is read anew.
    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QVERIFY(device_attached);
    QVERIFY(d->isHidden());
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V2.3.4"));
}

void Flash::rejectedChunkHidesTheDialog()
{
    QVERIFY(writeImage(imageFile({}, {}, mcuBody(300, 2, 3, 4))));
    z9ktool w;
    startWindow(w);
    const int closes = vmouse_close_count(VMOUSE_CONFIG);
    vmouse_reject_config_write(5); // the second chunk
    flashThroughTheDialog(w);
    const QVector<QByteArray> p = configPackets();
    QCOMPARE(p.size(), 4); // the refused write is not traced
    for (const QByteArray &packet : p)
        QVERIFY(quint8(packet[0]) != 0xD6 && quint8(packet[0]) != 0xD5 &&
                quint8(packet[0]) != 0xD7);
    QVERIFY(w.update_confirm->isHidden());
    QCOMPARE(vmouse_close_count(VMOUSE_CONFIG), closes + 1);
}

void Flash::rejectedLockStillRestarts()
{
    QVERIFY(writeImage(imageFile({}, {}, mcuBody(112, 2, 3, 4))));
    z9ktool w;
    startWindow(w);
    vmouse_reject_config_write(6); // DE D1 D2 D3 D3 D6
    flashThroughTheDialog(w);
    QStringList codes;
    for (const QByteArray &packet : configPackets())
        codes << QString::number(quint8(packet[0]), 16);
    QCOMPARE(codes, (QStringList{"de", "d1", "d2", "d3", "d3", "d7"}));
    QCOMPARE(w.update_confirm->text_1->text(), QStringLiteral("固件升级失败，请重新更新"));
    QVERIFY(w.update_confirm->close_btn->isEnabled());
    // The offer stays: only a second flash brings the mouse back.
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("发现新版本  "));
    QVERIFY(!w.configpage->fw_update_icon->isHidden());
    // No check reached the mouse: it comes back as its loader.
    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V255.0.22"));
}

void Flash::damagedImagesSendNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<qint64>("sparseSize"); // the file made this long without writing it
    const qint64 mb60 = 60 * 1024 * 1024;
    const QString damaged = QStringLiteral("固件文件已损坏");
    const QByteArray good = imageFile(pattern(5, 1), {}, mcuBody(100, 1, 2, 3));
    QTest::newRow("empty file") << QByteArray() << damaged << qint64(0);
    QTest::newRow("header cut before the MCU length") << good.left(49) << damaged << qint64(0);
    QTest::newRow("header alone") << good.left(59) << damaged << qint64(0);
    QTest::newRow("last byte missing") << good.left(good.size() - 1) << damaged << qint64(0);
    QTest::newRow("LED body missing") << good.left(60) << damaged << qint64(0);
    QTest::newRow("lengths that wrap past 2^32")
        << imageFile({}, {}, mcuBody(40, 1, 2, 3), 0xFFFFFFF0, 0xFFFFFFF0, 0x20) << damaged
        << qint64(0);
    QTest::newRow("MCU length near 2^32")
        << imageFile({}, {}, mcuBody(40, 1, 2, 3), 0, 0, 0xFFFFFFFF) << damaged << qint64(0);
    QTest::newRow("no file") << QByteArray("-") << QStringLiteral("固件文件不存在") << qint64(0);
    // Each of these would erase the mouse and leave it in its loader.
    QTest::newRow("MCU length 0: the 59-byte file")
        << imageFile({}, {}, {}) << damaged << qint64(0);
    QTest::newRow("body shorter than its leading block")
        << imageFile({}, {}, mcuBody(13, 1, 2, 3)) << damaged << qint64(0);
    QTest::newRow("body carrying the loader's version")
        << imageFile({}, {}, mcuBody(100, 255, 0, 22)) << damaged << qint64(0);
    QTest::newRow("body one byte past the application area")
        << imageFile({}, {}, mcuBody(int(fwimage::kAppAreaSize) + 1, 1, 2, 3)) << damaged
        << qint64(0);
    QTest::newRow("60 MB body") << imageFile({}, {}, mcuBody(100, 1, 2, 3), 0, 0, mb60) << damaged
                                << 59 + mb60;
    QTest::newRow("file past 64 MiB")
        << imageFile({}, {}, mcuBody(100, 1, 2, 3)) << damaged << fwimage::kMaxFileSize + 1;
}

void Flash::damagedImagesSendNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(qint64, sparseSize);
    QFile::remove(QStringLiteral("KIVOMouse_USB.bin"));
    if (file != "-") QVERIFY(writeImage(file));
    if (sparseSize) QVERIFY(QFile::resize(QStringLiteral("KIVOMouse_USB.bin"), sparseSize));
    z9ktool w;
    startWindow(w);
    const QString before = w.configpage->firmware_version->text();
    flashThroughTheDialog(w);
    QVERIFY(configPackets().isEmpty());
    Update_Dialog *d = w.update_confirm;
    QCOMPARE(d->text_1->text(), message);
    QVERIFY(d->prog_bar->isHidden());
    QVERIFY(d->close_btn->isEnabled());
    QCOMPARE(w.configpage->firmware_version->text(), before);
    QTest::mouseClick(d->close_btn, Qt::LeftButton);
    QVERIFY(d->isHidden());
    // The configuration channel stays open for the button page's macros.
    QVERIFY(vmouse_trace_count() == 0);
    QCOMPARE(m_WriteConfig(1, get_version), 0u);
}

void Flash::unconfirmedFlashFailsAndKeepsTheOffer_data()
{
    QTest::addColumn<QByteArray>("mcu");
    QTest::addColumn<int>("code"); // the packet the event goes with
    QTest::addColumn<bool>("after");
    QTest::addColumn<int>("event"); // 0 none, 1 pulled out, 2 back at another version
    const QByteArray good = mcuBody(300, 2, 3, 4);
    QByteArray noProgram = good;
    noProgram[0] = 'X'; // checked by the mouse, but not a program its loader starts
    QTest::newRow("back in its loader") << noProgram << 0 << false << 0;
    QTest::newRow("back at another version") << good << 0xD7 << true << 2;
    QTest::newRow("not back after the restart") << good << 0xD7 << true << 1;
    QTest::newRow("pulled out at the lock") << good << 0xD6 << false << 1;
}

void Flash::unconfirmedFlashFailsAndKeepsTheOffer()
{
    QFETCH(QByteArray, mcu);
    QFETCH(int, code);
    QFETCH(bool, after);
    QFETCH(int, event);
    QVERIFY(writeImage(imageFile({}, {}, mcu)));
    z9ktool w;
    startWindow(w);
    w.fw_confirm_wait_ms = 300;
    if (event == 1) packetEvent = {quint8(code), after, [] { vmouse_plug(0); }};
    if (event == 2) packetEvent = {quint8(code), after, [] { vmouse_set_version(1, 1, 22); }};
    Update_Dialog *d = w.update_confirm;
    w.nav_btns->button(5)->click();
    QTest::mouseClick(w.configpage->firmware_version, Qt::LeftButton);
    QVERIFY(d->isVisible());
    QTest::mouseClick(d->start_btn, Qt::LeftButton);
    QCOMPARE(d->text_1->text(), QStringLiteral("固件升级失败，请重新更新"));
    QVERIFY(d->isVisible());
    QVERIFY(d->prog_bar->isHidden());
    QVERIFY(!w.configpage->fw_update_icon->isHidden());
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("发现新版本  "));
    QTest::mouseClick(d->close_btn, Qt::LeftButton);
    QVERIFY(d->isHidden());

    if (!vmouse_plugged()) {
        // Plugged in again: the system's removal and arrival, and the check's new offer.
        w.device_removal(QStringLiteral("/dev/hidraw3"));
        vmouse_plug(1);
        w.device_arrival(QStringLiteral("/dev/hidraw3"));
        QVERIFY(device_attached);
        w.FWUpdateFound(QStringLiteral("KIVOMouse_USB.bin"));
        w.nav_btns->button(5)->click();
    }
    // A second flash of a good image, from the offer, brings the mouse back.
    QVERIFY(writeImage(imageFile({}, {}, mcuBody(300, 2, 3, 4))));
    QTest::mouseClick(w.configpage->firmware_version, Qt::LeftButton);
    QVERIFY(d->isVisible());
    QVERIFY(d->start_btn->isVisible());
    QTest::mouseClick(d->start_btn, Qt::LeftButton);
    QCOMPARE(d->text_1->text(), QStringLiteral("固件升级已完成"));
    QCOMPARE(d->text_2->text(), QStringLiteral("当前版本V2.3.4"));
    QVERIFY(w.configpage->fw_update_icon->isHidden());
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V2.3.4"));
}

void Flash::deviceChangesDuringTheFlashComeAfterIt()
{
    // The restart's removal, reported before the mouse has answered: the
    // confirmation is shown first, then the mouse is attached anew.
    QVERIFY(writeImage(imageFile({}, {}, mcuBody(300, 2, 3, 4))));
    z9ktool w;
    startWindow(w);
    packetEvent = {0xD7, true, [] { watched->device_removal(QStringLiteral("/dev/hidraw3")); }};
    const int opens = vmouse_open_count(VMOUSE_CONTROL);
    flashThroughTheDialog(w);
    Update_Dialog *d = w.update_confirm;
    QVERIFY(d->isVisible());
    QCOMPARE(d->text_1->text(), QStringLiteral("固件升级已完成"));
    QCOMPARE(vmouse_open_count(VMOUSE_CONTROL), opens);
    QCoreApplication::processEvents();
    QVERIFY(d->isHidden());
    QVERIFY(device_attached);
    QVERIFY(vmouse_open_count(VMOUSE_CONTROL) > opens);
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V2.3.4"));
}

void Flash::cutOffFlashLeavesTheLoaderAndReflashRecovers()
{
    const QByteArray mcu = mcuBody(2000, 3, 1, 7);
    QVERIFY(writeImage(imageFile({}, {}, mcu)));
    z9ktool w;
    startWindow(w);
    unplugAtChunk = 10;
    flashThroughTheDialog(w);
    QVERIFY(w.update_confirm->isHidden());
    for (const QByteArray &packet : configPackets())
        QVERIFY(quint8(packet[0]) != 0xD7);

    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QVERIFY(!device_attached);
    vmouse_plug(1);
    w.device_arrival(QStringLiteral("/dev/hidraw3"));
    QVERIFY(device_attached);
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V255.0.22"));

    unplugAtChunk = 0;
    flashThroughTheDialog(w);
    QCOMPARE(w.update_confirm->text_1->text(), QStringLiteral("固件升级已完成"));
    w.device_removal(QStringLiteral("/dev/hidraw3"));
    QCOMPARE(w.configpage->firmware_version->text(), QStringLiteral("V3.1.7"));
}

void Flash::dialogReopensWithTheLastText()
{
    QVERIFY(writeImage(imageFile({}, {}, mcuBody(100, 2, 3, 4))));
    z9ktool w;
    startWindow(w);
    Update_Dialog *d = w.update_confirm;
    d->show_dialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->text_1->text(), QStringLiteral("V2.3.4"));
    QVERIFY(d->start_btn->isVisible());
    QVERIFY(d->prog_bar->isHidden());
    // Start: the close button is disabled for the whole run.
    flashThroughTheDialog(w);
    QCOMPARE(closeEnabledBeforeWrite.size(), 8);
    QVERIFY(!closeEnabledBeforeWrite.mid(0, 6).contains(true)); // up to the lock
    QTest::mouseClick(d->close_btn, Qt::LeftButton);
    QVERIFY(d->isHidden());

    d->show_dialog();
    QCOMPARE(d->text_1->text(), QStringLiteral("固件升级已完成"));
    QCOMPARE(d->text_2->text(), Update_Dialog::warning());
    QVERIFY(d->start_btn->isVisible());
    QVERIFY(d->prog_bar->isHidden());
    QVERIFY(d->close_btn->isEnabled());
    QCOMPARE(d->dg_icon->pixmap()->toImage(),
             QPixmap(QStringLiteral(":/img/update_icon")).toImage());
}

void Flash::crcVectors()
{
    QCOMPARE(Crc32Table[1], 0x04C11DB7u);
    QCOMPARE(Crc32Table[255], 0xB1F740B4u);
    // The per-byte rule with the table is CRC-32/MPEG-2.
    quint32 r = 0xFFFFFFFFu;
    for (char c : QByteArray("123456789"))
        r = Crc32Table[(r >> 24) ^ quint8(c)] ^ (r << 8);
    QCOMPARE(r, 0x0376E6E7u);
    // Fed as words, each word's bytes go in reversed: "4321" "8765" gives the
    // MPEG-2 value of "12345678".
    quint32 mpeg = 0xFFFFFFFFu;
    for (char c : QByteArray("12345678"))
        mpeg = Crc32Table[(mpeg >> 24) ^ quint8(c)] ^ (mpeg << 8);
    const QByteArray reversed("43218765");
    quint32 words[2];
    std::memcpy(words, reversed.constData(), 8);
    QCOMPARE(z9ktool::stm32crc32(words, 2, 0xFFFFFFFFu), mpeg);

    QCOMPARE(fwimage::crc_bytes(nullptr, 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
    const QByteArray seven = pattern(7, 3);
    const auto *s = reinterpret_cast<const uchar *>(seven.constData());
    QCOMPARE(fwimage::crc_bytes(s, 7, 0xFFFFFFFFu), fwimage::crc_bytes(s, 4, 0xFFFFFFFFu));
    QVERIFY(fwimage::crc_bytes(s, 4, 0xFFFFFFFFu) != 0xFFFFFFFFu);

    // The program's routine and the mouse's agree, at any alignment.
    const QByteArray body = pattern(65536 + 3, 9);
    for (int shift : {0, 1, 3}) {
        const QByteArray part = body.mid(shift, 65536);
        QCOMPARE(fwimage::crc_bytes(reinterpret_cast<const uchar *>(part.constData()), 65536,
                                    0xFFFFFFFFu),
                 mouseCrc(part));
    }
    QCOMPARE(fwimage::percent(57, 57), 100u);
    QCOMPARE(fwimage::percent(56, 57), 98u);
    QCOMPARE(fwimage::percent(0xFFFFFFC7u, 0xFFFFFFFFu), 99u); // no overflow of sent * 100
}

void Flash::confirmDialog()
{
    z9ktool w;
    startWindow(w);
    Confirm_Dialog *c = w.reset_confirm;
    QSignalSpy confirmed(c, &Confirm_Dialog::confirm_clicked);
    for (QPushButton *leave : {c->cancel_btn, c->close_btn}) {
        QTest::mouseClick(w.reset_btn, Qt::LeftButton);
        QVERIFY(c->isVisible());
        vmouse_trace_clear();
        QTest::mouseClick(leave, Qt::LeftButton);
        QVERIFY(c->isHidden());
        QCOMPARE(vmouse_trace_count(), 0);
    }
    QCOMPARE(confirmed.count(), 0);

    QTest::mouseClick(w.reset_btn, Qt::LeftButton);
    vmouse_trace_clear();
    QTest::mouseClick(c->confirm_btn, Qt::LeftButton);
    QVERIFY(c->isHidden());
    QCOMPARE(confirmed.count(), 1);
    const QStringList sent = sentCommands();
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.first(), QStringLiteral("ee00"));
    QCOMPARE(sent.mid(1, 4), (QStringList{"a000", "a001", "c201", "c401"}));
    QVERIFY(sent.contains(QStringLiteral("d000")));
}

QTEST_MAIN(Flash)
#include "tst_flash.moc"
