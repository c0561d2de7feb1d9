// The STM32 CRC routine and the firmware-image builder, and an image made by
// the builder flashed into the virtual mouse as the program does it.
#include "mousetalk.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

using namespace talk;

namespace
{

// Plain CRC-32/MPEG-2 over bytes in the order given.
quint32 mpeg2(const QByteArray &a, quint32 r = 0xFFFFFFFFu)
{
    for (char c : a)
        r = stm32crc_step(r, quint8(c));
    return r;
}

quint32 stmBytes(const QByteArray &a, quint32 start = 0xFFFFFFFFu)
{
    return stm32crc32_bytes(reinterpret_cast<const quint8 *>(a.constData()), std::size_t(a.size()),
                            start);
}

QByteArray reverseEachWord(const QByteArray &a)
{
    QByteArray out;
    for (int i = 0; i + 4 <= a.size(); i += 4) {
        const char word[4] = {a[i + 3], a[i + 2], a[i + 1], a[i]};
        out += QByteArray(word, 4);
    }
    return out;
}

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray a(n, '\0');
    for (int i = 0; i < n; ++i)
        a[i] = char(gen.bounded(256));
    return a;
}

struct Run {
    int code;
    QByteArray err;
};

Run mkfwimage(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(MKFWIMAGE_PATH), args);
    if (!p.waitForFinished(30000)) return {-1, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFwImage : public QObject
{
    Q_OBJECT

private slots:
    void crcReferenceValues();
    void crcTakesWordsByteReversed();
    void crcWordAndByteFormsAgree();
    void crcSkipsTrailingBytes_data();
    void crcSkipsTrailingBytes();
    void crcReadsNothingPastTheData();

    void imageLayout();
    void imageLengthsAreBigEndian();
    void generatedBodyIsRepeatable();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();

    void builtImageFlashesIntoTheMouse();
};

// The published table entries and check value of CRC-32/MPEG-2, and the value
// every STM32 CRC unit gives for the word 0x12345678 (bytes 78 56 34 12 in a file).
void TestFwImage::crcReferenceValues()
{
    QCOMPARE(stm32crc_table(0), 0u);
    QCOMPARE(stm32crc_table(1), 0x04C11DB7u);
    QCOMPARE(stm32crc_table(128), 0x690CE0EEu);
    QCOMPARE(stm32crc_table(255), 0xB1F740B4u);
    QCOMPARE(mpeg2("123456789"), 0x0376E6E7u);

    const QByteArray inFile("\x78\x56\x34\x12", 4);
    QCOMPARE(stmBytes(inFile), 0xDF8A8A2Bu);
    quint32 w = 0;
    std::memcpy(&w, inFile.constData(), 4);
    QCOMPARE(stm32crc32(&w, 1, 0xFFFFFFFFu), 0xDF8A8A2Bu);
}

void TestFwImage::crcTakesWordsByteReversed()
{
    for (int n : {4, 8, 56, 1000, 4096}) {
        const QByteArray data = randomBytes(n, quint32(n));
        QCOMPARE(stmBytes(data), mpeg2(reverseEachWord(data)));
        QCOMPARE(stmBytes(data, 0x12345678u), mpeg2(reverseEachWord(data), 0x12345678u));
    }
    // Not the plain byte order: swapping two bytes inside one word changes the result.
    const QByteArray data = randomBytes(64, 99);
    QVERIFY(stmBytes(data) != mpeg2(data));
}

void TestFwImage::crcWordAndByteFormsAgree()
{
    const QByteArray data = randomBytes(1024, 5);
    std::vector<quint32> words(256);
    std::memcpy(words.data(), data.constData(), 1024);
    QCOMPARE(stm32crc32(words.data(), 256, 0xFFFFFFFFu), stmBytes(data));
    QCOMPARE(stm32crc32(words.data(), 0, 0xCAFEF00Du), 0xCAFEF00Du);
    QCOMPARE(stm32crc32(nullptr, 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
    QCOMPARE(stm32crc32_bytes(nullptr, 0, 7u), 7u);
}

void TestFwImage::crcSkipsTrailingBytes_data()
{
    QTest::addColumn<int>("len");
    for (int len : {0, 1, 2, 3, 5, 6, 7, 57, 1003})
        QTest::addRow("%d bytes", len) << len;
}

void TestFwImage::crcSkipsTrailingBytes()
{
    QFETCH(int, len);
    const QByteArray a = randomBytes(len, 3);
    QByteArray b = a;
    for (int i = len - len % 4; i < len; ++i)
        b[i] = char(~a[i]);
    QCOMPARE(stmBytes(a), stmBytes(a.left(len - len % 4)));
    QCOMPARE(stmBytes(b), stmBytes(a));
}

// The data end right at an unreadable page: a single byte read too far would crash.
void TestFwImage::crcReadsNothingPastTheData()
{
#ifdef __linux__
    const long page = sysconf(_SC_PAGESIZE);
    void *mem = mmap(nullptr, std::size_t(2 * page), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(mem != MAP_FAILED);
    auto *base = static_cast<quint8 *>(mem);
    QCOMPARE(mprotect(base + page, std::size_t(page), PROT_NONE), 0);
    for (int len : {0, 1, 3, 4, 7, 64, 1023}) {
        quint8 *data = base + page - len;
        std::memset(data, 0xA5, std::size_t(len));
        const QByteArray copy(reinterpret_cast<char *>(data), len);
        QCOMPARE(stm32crc32_bytes(data, std::size_t(len), 0xFFFFFFFFu), stmBytes(copy));
    }
    munmap(mem, std::size_t(2 * page));
#else
    QSKIP("needs a guard page");
#endif
}

void TestFwImage::imageLayout()
{
    QTemporaryDir dir;
    const QByteArray body = randomBytes(10, 1), led = randomBytes(3, 2), wl = randomBytes(5, 3);
    QVERIFY(writeFile(dir.filePath("mcu.bin"), body));
    QVERIFY(writeFile(dir.filePath("led.bin"), led));
    QVERIFY(writeFile(dir.filePath("wl.bin"), wl));
    const Run r = mkfwimage({"--version", "1.2.3", "--body", dir.filePath("mcu.bin"), "--led",
                             dir.filePath("led.bin"), "--wireless", dir.filePath("wl.bin"), "-o",
                             dir.filePath("KIVOMouse_USB.bin")});
    QCOMPARE(r.code, 0);
    const QByteArray img = readFile(dir.filePath("KIVOMouse_USB.bin"));

    const QByteArray leading = QByteArray("KIVO\x01\x02\x03", 7) + QByteArray(7, '\0');
    QCOMPARE(img.size(), 59 + 3 + 5 + 14 + 10);
    QCOMPARE(img.left(14), leading);
    QCOMPARE(be32(img, 16), 3u);
    QCOMPARE(be32(img, 31), 5u);
    QCOMPARE(be32(img, 46), 24u);
    QCOMPARE(img.mid(59, 3), led);
    QCOMPARE(img.mid(62, 5), wl);
    QCOMPARE(img.mid(67), leading + body);
}

void TestFwImage::imageLengthsAreBigEndian()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("big.bin");
    QVERIFY(writeFile(dir.filePath("led.bin"), randomBytes(0x0102, 4)));
    QCOMPARE(mkfwimage({"--version", "0.0.1", "--body-size", "70000", "--led",
                        dir.filePath("led.bin"), "-o", out})
                 .code,
             0);
    const QByteArray img = readFile(out);
    QCOMPARE(img.mid(16, 4), QByteArray("\x00\x00\x01\x02", 4));
    QCOMPARE(img.mid(31, 4), QByteArray(4, '\0'));
    QCOMPARE(img.mid(46, 4), QByteArray("\x00\x01\x11\x7E", 4)); // 70014
    QCOMPARE(img.size(), 59 + 0x0102 + 70014);
    QCOMPARE(img.mid(59 + 0x0102, 14), img.left(14));
}

void TestFwImage::generatedBodyIsRepeatable()
{
    QTemporaryDir dir;
    const QStringList base{"--version", "1.0.0", "--body-size", "500"};
    QCOMPARE(mkfwimage(base + QStringList{"-o", dir.filePath("a")}).code, 0);
    QCOMPARE(mkfwimage(base + QStringList{"-o", dir.filePath("b")}).code, 0);
    QCOMPARE(mkfwimage(base + QStringList{"--seed", "2", "-o", dir.filePath("c")}).code, 0);
    QCOMPARE(readFile(dir.filePath("a")), readFile(dir.filePath("b")));
    QVERIFY(readFile(dir.filePath("a")) != readFile(dir.filePath("c")));
    QCOMPARE(mkfwimage({"--version", "1.0.0", "--body-size", "0", "-o", dir.filePath("d")}).code,
             0);
    QCOMPARE(readFile(dir.filePath("d")).size(), 59 + 14);
}

void TestFwImage::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    const QString out = QStringLiteral("@OUT@");
    const QStringList body{"--body-size", "16"};
    QTest::newRow("no version") << (body + QStringList{"-o", out});
    QTest::newRow("two numbers") << (QStringList{"--version", "1.2"} + body +
                                     QStringList{"-o", out});
    QTest::newRow("four numbers") << (QStringList{"--version", "1.2.3.4"} + body +
                                      QStringList{"-o", out});
    QTest::newRow("above 255") << (QStringList{"--version", "1.256.0"} + body +
                                   QStringList{"-o", out});
    QTest::newRow("letters") << (QStringList{"--version", "a.b.c"} + body + QStringList{"-o", out});
    QTest::newRow("no output") << (QStringList{"--version", "1.2.3"} + body);
    QTest::newRow("no body") << QStringList{"--version", "1.2.3", "-o", out};
    QTest::newRow("two bodies") << (QStringList{"--version", "1.2.3", "--body", "@MISSING@"} +
                                    body + QStringList{"-o", out});
    QTest::newRow("missing body file")
        << QStringList{"--version", "1.2.3", "--body", "@MISSING@", "-o", out};
    QTest::newRow("missing led file") << (QStringList{"--version", "1.2.3", "--led", "@MISSING@"} +
                                          body + QStringList{"-o", out});
    QTest::newRow("negative size")
        << QStringList{"--version", "1.2.3", "--body-size", "-4", "-o", out};
    QTest::newRow("size not a number")
        << QStringList{"--version", "1.2.3", "--body-size", "12k", "-o", out};
    QTest::newRow("unknown option")
        << (QStringList{"--version", "1.2.3", "--fast"} + body + QStringList{"-o", out});
    QTest::newRow("stray argument")
        << (QStringList{"--version", "1.2.3", "extra"} + body + QStringList{"-o", out});
}

void TestFwImage::badArgumentsAreRefused()
{
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    const QString out = dir.filePath("out.bin");
    args.replaceInStrings(QStringLiteral("@OUT@"), out);
    args.replaceInStrings(QStringLiteral("@MISSING@"), dir.filePath("missing.bin"));
    const Run r = mkfwimage(args);
    QCOMPARE(r.code, 2);
    QVERIFY(!r.err.trimmed().isEmpty());
    QVERIFY(!QFile::exists(out));
}

// The program's reading of the file: lengths from the records, the MCU body after
// the other two, all of it flashed; the mouse then runs the image's version.
void TestFwImage::builtImageFlashesIntoTheMouse()
{
    qunsetenv("VMOUSE_STATE");
    vmouse_reload_state();
    QVERIFY(openBoth());
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("led.bin"), randomBytes(77, 8)));
    QCOMPARE(mkfwimage({"--version", "2.7.13", "--body-size", "5003", "--led",
                        dir.filePath("led.bin"), "-o", dir.filePath("fw.bin")})
                 .code,
             0);
    const QByteArray img = readFile(dir.filePath("fw.bin"));
    QVERIFY(img.size() >= 50);
    const quint32 led = be32(img, 16), wireless = be32(img, 31), mcuLength = be32(img, 46);
    const qint64 mcuAddress = 59 + qint64(led) + wireless;
    QCOMPARE(qint64(img.size()), mcuAddress + mcuLength);

    QVERIFY(flash(img.mid(int(mcuAddress), int(mcuLength))));
    QVERIFY(openBoth());
    QCOMPARE(askConfig({0xD0}).mid(3, 3), QByteArray("\x02\x07\x0D", 3));
}

QTEST_GUILESS_MAIN(TestFwImage)
#include "tst_fwimage.moc"
