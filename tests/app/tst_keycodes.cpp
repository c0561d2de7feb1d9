#include "device/kivomouse.h"

#include <QtTest>

class KeyCodes : public QObject
{
    Q_OBJECT
private slots:
    void listedKeys_data();
    void listedKeys();
    void everyListedKeyRoundTrips();
    void unlistedCodesPassThrough();
    void names_data();
    void names();
};

void KeyCodes::listedKeys_data()
{
    QTest::addColumn<int>("vkey");
    QTest::addColumn<int>("hid");
    QTest::newRow("A") << 0x41 << 0x04;
    QTest::newRow("Z") << 0x5a << 0x1d;
    QTest::newRow("1") << 0x31 << 0x1e;
    QTest::newRow("0") << 0x30 << 0x27;
    QTest::newRow("keypad 0") << 0x60 << 0x62;
    QTest::newRow("keypad 1") << 0x61 << 0x59;
    QTest::newRow("keypad 9") << 0x69 << 0x61;
    QTest::newRow("F1") << 0x70 << 0x3a;
    QTest::newRow("F12") << 0x7b << 0x45;
    QTest::newRow("backslash") << 0xdc << 0x31;
    QTest::newRow("Applications") << 0x5d << 0x65;
    QTest::newRow("left ctrl") << 0xa2 << 0xe0;
    QTest::newRow("right windows") << 0x5c << 0xe7;
    QTest::newRow("up") << 0x26 << 0x52;
}

void KeyCodes::listedKeys()
{
    QFETCH(int, vkey);
    QFETCH(int, hid);
    QCOMPARE(int(vkeytohid(quint8(vkey))), hid);
    QCOMPARE(int(hidtovkey(quint8(hid))), vkey);
}

void KeyCodes::everyListedKeyRoundTrips()
{
    // Every virtual key the mouse knows comes back from its usage; no two keys share one.
    QSet<int> usages;
    int listed = 0;
    for (int vk = 0; vk < 256; ++vk) {
        const quint8 hid = vkeytohid(quint8(vk));
        if (hid == vk) continue; // passed through, not in the table
        ++listed;
        QCOMPARE(int(hidtovkey(hid)), vk);
        QVERIFY2(!usages.contains(hid), qPrintable(QString::number(vk, 16)));
        usages.insert(hid);
    }
    // letters, digits 1-9, F1-F12, keypad 1-9 and the 47 single keys
    QCOMPARE(listed, 26 + 9 + 12 + 9 + 47);
}

void KeyCodes::unlistedCodesPassThrough()
{
    QCOMPARE(int(vkeytohid(0x7c)), 0x7c); // F13
    QCOMPARE(int(vkeytohid(0x0c)), 0x0c);
    QCOMPARE(int(hidtovkey(0x58)), 0x58); // keypad Enter
    QCOMPARE(int(hidtovkey(0x64)), 0x64);
    QCOMPARE(int(hidtovkey(0x32)), 0xdc); // non-US "#" reads back as backslash
    QCOMPARE(int(hidtovkey(0x31)), 0xdc);
    QCOMPARE(int(vkeytohid(0xff)), 0xff);
}

void KeyCodes::names_data()
{
    QTest::addColumn<int>("vkey");
    QTest::addColumn<QString>("name");
    QTest::newRow("F1") << 0x70 << "F1";
    QTest::newRow("F24") << 0x87 << "F24";
    QTest::newRow("after F24") << 0x88 << QString(QChar(0x88));
    QTest::newRow("NUMPAD0") << 0x60 << "NUMPAD0";
    QTest::newRow("NUMPAD9") << 0x69 << "NUMPAD9";
    QTest::newRow("separator") << 0x6c << "";
    QTest::newRow("none") << 0x00 << "";
    QTest::newRow("255") << 0xff << "";
    QTest::newRow("comma") << 0xbc << "<";
    QTest::newRow("full stop") << 0xbe << ">";
    QTest::newRow("grave") << 0xc0 << "`";
    QTest::newRow("backslash") << 0xdc << "\\";
    QTest::newRow("minus") << 0xbd << "-";
    QTest::newRow("keypad minus") << 0x6d << "-";
    QTest::newRow("slash") << 0xbf << "/";
    QTest::newRow("letter") << 0x41 << "A";
    QTest::newRow("digit") << 0x37 << "7";
    QTest::newRow("Enter") << 0x0d << "Enter";
    QTest::newRow("right alt") << 0xa5 << "RIGHT ALT";
    QTest::newRow("PrtSc") << 0x2c << "PrtSc";
}

void KeyCodes::names()
{
    QFETCH(int, vkey);
    QFETCH(QString, name);
    QCOMPARE(vkeytostring(quint8(vkey)), name);
}

QTEST_APPLESS_MAIN(KeyCodes)
#include "tst_keycodes.moc"
