#include "platform/devbroadcast.h"

#include <QtEndian>
#include <QtTest>

using namespace devbroadcast;

namespace
{

const QUuid hidClass(QStringLiteral("{4D1E55B2-F16F-11CF-88CB-001111000030}"));

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

// A broadcast record as Windows lays it out. `size` 0 means "the real size".
QByteArray record(const QString &name, quint32 type = 5, quint32 size = 0, bool terminated = true)
{
    QByteArray out;
    put32(out, 0);
    put32(out, type);
    put32(out, 0);
    put32(out, 0x4D1E55B2);
    put16(out, 0xF16F);
    put16(out, 0x11CF);
    out.append("\x88\xCB\x00\x11\x11\x00\x00\x30", 8);
    for (QChar c : name)
        put16(out, c.unicode());
    if (terminated) put16(out, 0);
    qToLittleEndian(size ? size : quint32(out.size()), out.data());
    return out;
}

const QString colPath = QStringLiteral("\\\\?\\hid#vid_2717&pid_5009&mi_01&col03#7&1a2b3c4d&0&0002#"
                                       "{4d1e55b2-f16f-11cf-88cb-001111000030}");

} // namespace

class TestDevBroadcast : public QObject
{
    Q_OBJECT
private slots:
    void readsWellFormedRecord();
    void refusesOtherDeviceTypesAndShortHeaders();
    void nameStaysInsideTheRecord();
    void removalRules_data();
    void removalRules();
    void udevTranslation();
};

void TestDevBroadcast::readsWellFormedRecord()
{
    const QByteArray rec = record(colPath);
    DeviceInterface info;
    QVERIFY(read_device_interface(rec.constData(), size_t(rec.size()), &info));
    QCOMPARE(info.name, colPath);
    QCOMPARE(info.classGuid, hidClass);
    QCOMPARE(info.size, quint32(rec.size()));

    // Names come back as sent; lower-casing is the matcher's business.
    const QByteArray upper = record(colPath.toUpper());
    QVERIFY(read_device_interface(upper.constData(), size_t(upper.size()), &info));
    QCOMPARE(info.name, colPath.toUpper());

    // The 32-byte filter record itself: empty name.
    const QByteArray filter = record(QString(), 5, 32) + QByteArray(2, '\0');
    QCOMPARE(filter.size(), 32);
    QVERIFY(read_device_interface(filter.constData(), 32, &info));
    QVERIFY(info.name.isEmpty());

    // A name ends at its terminator even if the record goes on.
    QByteArray padded = record(QStringLiteral("abc"));
    put16(padded, 'x');
    qToLittleEndian(quint32(padded.size()), padded.data());
    QVERIFY(read_device_interface(padded.constData(), size_t(padded.size()), &info));
    QCOMPARE(info.name, QStringLiteral("abc"));
}

void TestDevBroadcast::refusesOtherDeviceTypesAndShortHeaders()
{
    DeviceInterface info;
    info.name = QStringLiteral("untouched");
    // Volume (2) and handle (6) broadcasts share the message but not the layout.
    for (quint32 type : {0u, 2u, 3u, 6u, 0x105u}) {
        const QByteArray rec = record(colPath, type);
        QVERIFY2(!read_device_interface(rec.constData(), size_t(rec.size()), &info),
                 qPrintable(QString::number(type)));
    }
    QCOMPARE(info.name, QStringLiteral("untouched"));

    const QByteArray good = record(colPath);
    // dbcc_size too small to hold the header.
    for (quint32 size : {0u, 12u, 27u}) {
        QByteArray rec = good;
        qToLittleEndian(size, rec.data());
        QVERIFY(!read_device_interface(rec.constData(), size_t(rec.size()), &info));
    }
    // Fewer bytes available than the header.
    QVERIFY(!read_device_interface(good.constData(), 27, &info));
    QVERIFY(!read_device_interface(good.constData(), 0, &info));
    QVERIFY(!read_device_interface(nullptr, 100, &info));
    // A header-only record is fine and has no name.
    QVERIFY(read_device_interface(good.constData(), 28, &info));
    QVERIFY(info.name.isEmpty());
}

void TestDevBroadcast::nameStaysInsideTheRecord()
{
    DeviceInterface info;

    // No terminator: the name runs to the record's end, not into what follows.
    QByteArray rec = record(QStringLiteral("abc"), 5, 0, false);
    const int recordSize = rec.size();
    put16(rec, 'X');
    put16(rec, 'Y');
    put16(rec, 0);
    qToLittleEndian(quint32(recordSize), rec.data());
    QVERIFY(read_device_interface(rec.constData(), size_t(rec.size()), &info));
    QCOMPARE(info.name, QStringLiteral("abc"));

    // dbcc_size claims more than there is: the bytes available bound the read.
    // The characters beyond the bound are in memory, so reading them would show.
    QByteArray big = record(QStringLiteral("abcdef"), 5, 4096, false);
    QVERIFY(read_device_interface(big.constData(), 28 + 2 * 4, &info));
    QCOMPARE(info.name, QStringLiteral("abcd"));
    QCOMPARE(info.size, 4096u);

    // An odd trailing byte is half a character and is dropped.
    QByteArray odd = record(QStringLiteral("abc"), 5, 28 + 7, false);
    put16(odd, 'd');
    QVERIFY(read_device_interface(odd.constData(), size_t(odd.size()), &info));
    QCOMPARE(info.name, QStringLiteral("abc"));
    QVERIFY(read_device_interface(odd.constData(), 28 + 3, &info));
    QCOMPARE(info.name, QStringLiteral("a"));
}

void TestDevBroadcast::removalRules_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QByteArray>("devPath");
    QTest::addColumn<bool>("interfaceRule");
    QTest::addColumn<bool>("nodeRule");

    const QByteArray opened = colPath.toLatin1();
    QByteArray col02 = opened;
    col02.replace("col03", "col02");

    QTest::newRow("same interface") << colPath << opened << true << true;
    QTest::newRow("upper-case interface") << colPath.toUpper() << opened << true << true;
    QTest::newRow("other collection") << colPath << col02 << false << false;
    QTest::newRow("path from a fixed buffer")
        << colPath << (opened + QByteArray(8, '\0')) << true << true;
    QTest::newRow("same node") << "/dev/hidraw3" << QByteArray("/dev/hidraw3") << true << true;
    QTest::newRow("upper-case node")
        << "/DEV/HIDRAW3" << QByteArray("/dev/hidraw3") << true << true;
    // The reason the node rule exists: a substring test mistakes hidraw31 for hidraw3.
    QTest::newRow("longer node") << "/dev/hidraw31" << QByteArray("/dev/hidraw3") << true << false;
    QTest::newRow("shorter node") << "/dev/hidraw3" << QByteArray("/dev/hidraw31") << false
                                  << false;
    QTest::newRow("nothing opened") << "/dev/hidraw3" << QByteArray() << false << false;
    QTest::newRow("only NULs opened") << "/dev/hidraw3" << QByteArray(4, '\0') << false << false;
    QTest::newRow("empty name, nothing opened") << QString() << QByteArray() << false << false;
}

void TestDevBroadcast::removalRules()
{
    QFETCH(QString, removed);
    QFETCH(QByteArray, devPath);
    QFETCH(bool, interfaceRule);
    QFETCH(bool, nodeRule);

    QCOMPARE(removal_matches_interface(removed, devPath), interfaceRule);
    QCOMPARE(removal_matches_node(removed, devPath), nodeRule);
#ifdef Q_OS_WIN
    QCOMPARE(removal_matches(removed, devPath), interfaceRule);
#else
    QCOMPARE(removal_matches(removed, devPath), nodeRule);
#endif
}

void TestDevBroadcast::udevTranslation()
{
    QCOMPARE(change_from_udev_action("add"), Change::Arrival);
    QCOMPARE(change_from_udev_action("remove"), Change::Removal);
    QCOMPARE(change_from_udev_action("change"), Change::Arrival); // e.g. new permissions
    QCOMPARE(change_from_udev_action("bind"), Change::None);
    QCOMPARE(change_from_udev_action(nullptr), Change::None);

    QCOMPARE(udev_interface_name("/dev/hidraw3", "hidraw3"), QStringLiteral("/dev/hidraw3"));
    QCOMPARE(udev_interface_name(nullptr, "hidraw12"), QStringLiteral("/dev/hidraw12"));
    QCOMPARE(udev_interface_name("", "hidraw12"), QStringLiteral("/dev/hidraw12"));
    QVERIFY(udev_interface_name(nullptr, nullptr).isEmpty());
}

QTEST_GUILESS_MAIN(TestDevBroadcast)
#include "tst_devbroadcast.moc"
