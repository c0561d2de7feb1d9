// Finding the mouse's hidraw nodes on fake sysfs trees: ids from uevent, report ids
// from the report descriptor, numeric node order.
#include "hidraw_scan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace velqa_hidraw;

namespace
{

const unsigned kControl = 0x4D, kConfig = 0x57;
const char *const kMouseUevent = "DRIVER=hid-generic\nHID_ID=0003:00002717:00005009\n"
                                 "HID_NAME=Kivo Z9K\nMODALIAS=hid:b0003g0001v00002717p00005009\n";

// A vendor collection carrying one report id, as the mouse's channels do.
QByteArray vendorCollection(unsigned char id)
{
    return QByteArray::fromHex("06 00 ff 09 01 a1 01 85") + char(id) +
           QByteArray::fromHex("09 01 15 00 26 ff 00 75 08 95 1f 81 02 09 01 91 02 c0");
}
const QByteArray kControlCol = vendorCollection(kControl);
const QByteArray kConfigCol = vendorCollection(kConfig);
// The pointer collection, report id 1.
const QByteArray kMouseCol = QByteArray::fromHex(
    "05 01 09 02 a1 01 85 01 09 01 a1 00 05 09 19 01 29 03 15 00 25 01 95 03 75 01 81 02"
    "05 01 09 30 09 31 16 01 80 26 ff 7f 75 10 95 02 81 06 c0 c0");

bool declares(const QByteArray &desc, unsigned id)
{
    return descriptorDeclaresReportId(reinterpret_cast<const unsigned char *>(desc.constData()),
                                      size_t(desc.size()), id);
}

class FakeSysfs
{
public:
    QString sysRoot() const { return dir.path() + "/sys"; }

    void add(const QString &node, const QByteArray &descriptor,
             const QByteArray &uevent = kMouseUevent)
    {
        const QString device = sysRoot() + "/class/hidraw/" + node + "/device/";
        QVERIFY(QDir().mkpath(device));
        for (auto file : {qMakePair(QString("uevent"), uevent),
                          qMakePair(QString("report_descriptor"), descriptor)}) {
            QFile f(device + file.first);
            if (!file.second.isNull())
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file.second) == file.second.size());
        }
    }

    // Name of the chosen node ("hidrawN"), or empty.
    QString find(unsigned reportId, uint16_t vid = 0x2717, uint16_t pid = 0x5009) const
    {
        const std::string path =
            findChannelNode(sysRoot().toStdString(), "/devroot", vid, pid, reportId);
        if (path.empty()) return QString();
        return QString::fromStdString(path).remove(QRegularExpression("^/devroot/"));
    }

private:
    QTemporaryDir dir;
};

} // namespace

class TestHidrawMatch : public QObject
{
    Q_OBJECT
private slots:
    void descriptorItems_data();
    void descriptorItems();
    void truncatedDescriptorIsNotReadPastItsEnd();
    void ueventHidId_data();
    void ueventHidId();
    void firstMatchingNodeInNumericOrder();
    void channelNeedsItsReportId();
    void badNodesAreSkipped();
};

void TestHidrawMatch::descriptorItems_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<bool>("control");
    QTest::addColumn<bool>("config");
    QTest::newRow("control") << kControlCol << true << false;
    QTest::newRow("pointer only") << kMouseCol << false << false;
    QTest::newRow("several collections") << kMouseCol + kConfigCol + kControlCol << true << true;
    // Report Count 0x85, then a reserved one-byte item 4D xx: a byte scan would see "85 4D".
    QTest::newRow("0x85 as item data") << QByteArray::fromHex("95 85 4d 00 c0") << false << false;
    QTest::newRow("ids in 4-byte data")
        << QByteArray::fromHex("27 85 4d 85 57 c0") << false << false;
    // Long items (0xFE, size, tag, data): their data is skipped whole.
    QTest::newRow("ids in long item data")
        << QByteArray::fromHex("fe 04 10 85 4d 85 57 c0") << false << false;
    QTest::newRow("id after long items")
        << QByteArray::fromHex("fe 00 10 fe 02 10 00 00") + kConfigCol << false << true;
    // Report ID is a global item and may legally use the 2- or 4-byte form.
    QTest::newRow("wide report ids")
        << QByteArray::fromHex("86 4d 00 87 57 00 00 00") << true << true;
    QTest::newRow("wide id 0x14D") << QByteArray::fromHex("86 4d 01") << false << false;
    QTest::newRow("zero-size id item") << QByteArray::fromHex("84 4d 57") << false << false;
}

void TestHidrawMatch::descriptorItems()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(bool, control);
    QFETCH(bool, config);
    QCOMPARE(declares(descriptor, kControl), control);
    QCOMPARE(declares(descriptor, kConfig), config);
}

void TestHidrawMatch::truncatedDescriptorIsNotReadPastItsEnd()
{
    // The byte just past the given length holds the id that an overrun would find.
    const unsigned char idPrefixLast[] = {0x06, 0x00, 0xFF, 0x85, 0x4D};
    QVERIFY(!descriptorDeclaresReportId(idPrefixLast, 4, kControl));
    QVERIFY(descriptorDeclaresReportId(idPrefixLast, 5, kControl));
    const unsigned char wideIdCut[] = {0x09, 0x01, 0x86, 0x4D, 0x00};
    QVERIFY(!descriptorDeclaresReportId(wideIdCut, 4, kControl));
    const unsigned char longItemCut[] = {0xFE, 0x00, 0x85, 0x4D};
    QVERIFY(!descriptorDeclaresReportId(longItemCut, 2, kControl));
    QVERIFY(!declares(QByteArray::fromHex("fe ff 10 85 4d 85 57"), kControl));

    FakeSysfs tree;
    tree.add("hidraw0", kControlCol.left(kControlCol.indexOf('\x85') + 1));
    QCOMPARE(tree.find(kControl), QString());
}

void TestHidrawMatch::ueventHidId_data()
{
    QTest::addColumn<QByteArray>("uevent");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("vendor");
    QTest::addColumn<uint>("product");
    QTest::newRow("mouse") << QByteArray(kMouseUevent) << true << 0x2717u << 0x5009u;
    QTest::newRow("any bus, any case, no newline")
        << QByteArray("HID_ID=0005:0000abcd:0000EF01") << true << 0xABCDu << 0xEF01u;
    QTest::newRow("first line counts")
        << QByteArray("HID_ID=3:1111:2222\nHID_ID=3:2717:5009\n") << true << 0x1111u << 0x2222u;
    for (const char *bad :
         {"DRIVER=hid-generic\n", "HID_ID=0003:00002717\n", "HID_ID=0003:00002717:00005009:01\n",
          "HID_ID=0003::00005009\n", "HID_ID=0003:0000271G:00005009\n",
          "HID_ID=0003:000002717:00005009\n", "HID_ID= 0003:00002717:00005009\n",
          "HID_ID=0003:00002717:00005009 \n", "HID_NAME=HID_ID=0003:00002717:00005009\n"})
        QTest::newRow(bad) << QByteArray(bad) << false << 0u << 0u;
}

void TestHidrawMatch::ueventHidId()
{
    QFETCH(QByteArray, uevent);
    QFETCH(bool, ok);
    QFETCH(uint, vendor);
    QFETCH(uint, product);
    uint32_t gotVendor = 0, gotProduct = 0;
    QCOMPARE(parseUeventHidId(uevent.toStdString(), &gotVendor, &gotProduct), ok);
    if (ok) QCOMPARE(qMakePair(uint(gotVendor), uint(gotProduct)), qMakePair(vendor, product));
}

void TestHidrawMatch::firstMatchingNodeInNumericOrder()
{
    FakeSysfs tree;
    for (const char *name : {"hidraw10", "hidraw11", "hidraw", "hidrawx", "hidraw3a", "input5"})
        tree.add(name, kControlCol);
    tree.add("hidraw1", kControlCol, "HID_ID=0003:0000046D:0000C52B\n"); // another vendor
    tree.add("hidraw2", kControlCol, "HID_ID=0003:00002717:00005008\n"); // another product
    tree.add("hidraw3", kControlCol, "HID_ID=0003:00012717:00015009\n"); // low 16 bits agree
    QCOMPARE(listHidrawNodes(tree.sysRoot().toStdString()),
             (std::vector<std::string>{"hidraw1", "hidraw2", "hidraw3", "hidraw10", "hidraw11"}));
    QCOMPARE(tree.find(kControl), QString("hidraw10"));
    QCOMPARE(tree.find(kControl, 0x046D, 0xC52B), QString("hidraw1"));

    tree.add("hidraw9", kControlCol, "HID_ID=0018:00002717:00005009\n"); // the bus does not matter
    QCOMPARE(tree.find(kControl), QString("hidraw9"));
}

void TestHidrawMatch::channelNeedsItsReportId()
{
    // One node per interface, pointer interface first, as the wired mouse shows itself.
    FakeSysfs wired;
    wired.add("hidraw0", kMouseCol);
    wired.add("hidraw1", kConfigCol);
    QCOMPARE(wired.find(kControl), QString());
    QCOMPARE(wired.find(kConfig), QString("hidraw1"));
    wired.add("hidraw2", kMouseCol + kControlCol);
    QCOMPARE(wired.find(kControl), QString("hidraw2"));

    // Every collection on one interface: that node serves both channels.
    FakeSysfs receiver;
    receiver.add("hidraw0", kMouseCol);
    receiver.add("hidraw5", kMouseCol + kConfigCol + kControlCol);
    QCOMPARE(receiver.find(kControl), QString("hidraw5"));
    QCOMPARE(receiver.find(kConfig), QString("hidraw5"));
}

void TestHidrawMatch::badNodesAreSkipped()
{
    FakeSysfs tree;
    const QByteArray both = kControlCol + kConfigCol;
    tree.add("hidraw0", both, QByteArray());                          // no uevent
    tree.add("hidraw1", QByteArray());                                // no descriptor
    tree.add("hidraw2", both, "HID_ID=0003:00002717\n");              // bad HID_ID
    tree.add("hidraw3", QByteArray::fromHex("fe 40 00 85 4d 85 57")); // cut long item
    QCOMPARE(tree.find(kControl), QString());
    tree.add("hidraw4", both);
    QCOMPARE(tree.find(kControl), QString("hidraw4"));
    QCOMPARE(tree.find(kConfig), QString("hidraw4"));

    QVERIFY(listHidrawNodes(tree.sysRoot().toStdString() + "/missing").empty());
}

QTEST_GUILESS_MAIN(TestHidrawMatch)
#include "tst_velqa_hidraw.moc"
