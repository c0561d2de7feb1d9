// The online update against a real nginx on 127.0.0.1: the manifest rules,
// resumed and restarted downloads (only ever of the same file), their bounds,
// unpacking only the program, offers that stay until replaced, the
// settings-page offers, starting the new program, the start-up scan, the
// working folder and the lifetime of the check threads.
#include "nginx_server.h"
#include "virtualmouse.h"

#include "platform/autorun.h"
#include "pages/settings/config_widget.h"
#include "startup.h"
#include "update/updaterules.h"
#include "window/navbtn.h"
#include "update/update.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <JlCompress.h>
#include <quazip.h>
#include <quazipfile.h>

#include <QButtonGroup>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace
{

const QString kProgram = QStringLiteral("KIVOMouse-PC-V1.0.32.exe");
const QString kImage = QStringLiteral("KIVOMouse_USB.bin");
const QString kOffer = QStringLiteral("发现新版本  ");

struct ZipEntry {
    QString name;
    QByteArray data;
    QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
    bool symlink = false;
    bool stored = false; // not compressed
};

QByteArray makeZip(const QList<ZipEntry> &entries)
{
    QBuffer buffer;
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) return {};
    for (const ZipEntry &e : entries) {
        QuaZipNewInfo info(e.name);
        info.setPermissions(e.perms);
        if (e.symlink) info.externalAttr = (0120777u << 16);
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, e.stored ? 0 : 8, e.stored ? 0 : -1))
            return {};
        file.write(e.data);
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0 ? buffer.data() : QByteArray();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data);
}

QByteArray manifest(const char *app, const char *fw)
{
    return QByteArray("KIVO\n2026-12-07\n") + app + "\n" + fw + "\n";
}

// Log lines of the image requests, as "<status> <range>".
QStringList imageRequests(const NginxServer &server)
{
    QStringList out;
    for (const QString &line : server.accessLog()) {
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() >= 3 && f.at(0).endsWith(kImage)) out << f.at(1) + QLatin1Char(' ') + f.at(2);
    }
    return out;
}

// Whether each image request carried an If-Range header.
QList<bool> imageIfRanges(const NginxServer &server)
{
    QList<bool> out;
    for (const QString &line : server.accessLog())
        if (line.section(QLatin1Char(' '), 0, 0).endsWith(kImage))
            out << (line.section(QLatin1Char(' '), 4) != QLatin1String("\"-\""));
    return out;
}

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void baseLocation();
    void manifestAndMouseDecideTheOffers_data();
    void manifestAndMouseDecideTheOffers();
    void offeredProgramStartsAndTheProgramQuits();
    void versionsAreUnsigned();
    void partialFileIsResumed_data();
    void partialFileIsResumed();
    void splicedImageIsNeverMade_data();
    void splicedImageIsNeverMade();
    void cutOffDownloadIsResumedByALaterCheck();
    void serverIgnoringRangeStartsAfresh();
    void unsatisfiableRange_data();
    void unsatisfiableRange();
    void errorPagesAreNeverWritten();
    void packageEntriesStayInTheFolder_data();
    void packageEntriesStayInTheFolder();
    void unpackStopsBetweenSteps_data();
    void unpackStopsBetweenSteps();
    void downloadsAreBounded_data();
    void downloadsAreBounded();
    void offerStaysUntilReplaced();
    void offerNoLongerMadeIsSignalled_data();
    void offerNoLongerMadeIsSignalled();
    void startupScan();
    void checksEndTheirThreads();
    void quittingDuringADownload();
    void httpsChecksRunInAHelper();
    void untrustedHttpsDeliversNothing();
    void autostartRunsInTheDataFolder();
    void installedProgramWorksInTheDataFolder();
    void offeredImageFlashesThroughTheDialog();

private:
    // A window on the virtual mouse whose first check has ended (or, with
    // wait false, has only started).
    std::unique_ptr<z9ktool> window(bool wait = true);
    bool waitIdle(z9ktool &w);
    bool check(z9ktool &w);
    QString here(const QString &name) const { return QDir::current().filePath(name); }
    QStringList filesHere() const
    {
        QStringList names = QDir::current().entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.sort();
        return names;
    }
    bool startServer(const NginxServer::Options &o = NginxServer::Options());
    // An image of `body` generated bytes, or of `zeros` zero bytes.
    QByteArray makeImage(const char *version, int body, int seed = 1, int zeros = 0) const;
    // The ETag nginx gives a served file.
    QByteArray validator(const QString &name) const;
    // A partial image as a cut-off download leaves it, with its record.
    void partial(const QByteArray &data, const QByteArray &validator, const QByteArray &version)
    {
        writeFile(here(kImage + ".tmp"), data);
        writeFile(here(kImage + ".tmp.part"),
                  "validator=" + validator + "\nversion=" + version + "\n");
    }

    NginxServer server;
    std::unique_ptr<QTemporaryDir> work;
    QByteArray image;
    QByteArray package;
    QString startedMarker;
    bool plainServer = true;
};

void TestUpdate::initTestCase()
{
    QVERIFY(bindVirtualMouse());
    QTemporaryDir scratch;
    const QString imagePath = scratch.filePath(QStringLiteral("fw.bin"));
    QCOMPARE(QProcess::execute(QStringLiteral(MKFWIMAGE),
                               {QStringLiteral("--version"), QStringLiteral("1.1.23"),
                                QStringLiteral("--body-size"), QStringLiteral("100000"),
                                QStringLiteral("-o"), imagePath}),
             0);
    image = readFile(imagePath);
    QVERIFY(image.size() > 100000);
    QVERIFY(startServer());
}

QByteArray TestUpdate::makeImage(const char *version, int body, int seed, int zeros) const
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("fw.bin"));
    QStringList args{QStringLiteral("--version"), QString::fromLatin1(version),
                     QStringLiteral("-o"), path};
    if (zeros > 0) {
        writeFile(scratch.filePath(QStringLiteral("body")), QByteArray(zeros, '\0'));
        args << QStringLiteral("--body") << scratch.filePath(QStringLiteral("body"));
    } else {
        args << QStringLiteral("--body-size") << QString::number(body) << QStringLiteral("--seed")
             << QString::number(seed);
    }
    if (QProcess::execute(QStringLiteral(MKFWIMAGE), args) != 0) return {};
    return readFile(path);
}

QByteArray TestUpdate::validator(const QString &name) const
{
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply> reply(nam.head(QNetworkRequest(QUrl(server.url() + name))));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 10000)) return {};
    return reply->rawHeader("ETag");
}

bool TestUpdate::startServer(const NginxServer::Options &o)
{
    plainServer = !o.tls && o.serverDirectives.isEmpty();
    if (!server.start(o)) {
        qWarning() << server.errorLog();
        return false;
    }
    qputenv("KIVO_UPDATE_URL", server.url().toUtf8());
    return true;
}

void TestUpdate::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    memset(fw_version, 0, sizeof fw_version);
    work.reset(new QTemporaryDir);
    QVERIFY(QDir(work->path()).mkdir(QStringLiteral("cwd")));
    QVERIFY(QDir::setCurrent(work->filePath(QStringLiteral("cwd"))));
    startedMarker = work->filePath(QStringLiteral("started"));
    // The program of the package records that it ran, and where.
    package = makeZip({{kProgram, "#!/bin/sh\npwd > '" + startedMarker.toUtf8() + "'\n"}});
    QVERIFY(!package.isEmpty());
    // No manifest at first: the check of the window's construction finds nothing.
    server.remove(QStringLiteral("KIVOMouseUpdate.txt"));
    server.put(QStringLiteral("KIVOMouse_PC.exe.zip"), package);
    server.put(kImage, image);
    server.clearLog();
}

void TestUpdate::cleanup()
{
    Update::limits = Update::kDefaultLimits;
    QDir::setCurrent(QDir::tempPath());
    work.reset();
    if (plainServer) return;
    QVERIFY(startServer()); // the next test gets the plain server again
}

std::unique_ptr<z9ktool> TestUpdate::window(bool wait)
{
    auto w = std::make_unique<z9ktool>();
    attach_at_start(*w);
    // The window's first check starts from the event loop, after the first read.
    if (w->m_updateThread) return nullptr;
    QCoreApplication::processEvents();
    if (!w->m_updateThread) return nullptr;
    if (wait && !waitIdle(*w)) return nullptr;
    return w;
}

bool TestUpdate::waitIdle(z9ktool &w)
{
    // The thread deletes itself after its worker's signals were handled.
    return QTest::qWaitFor([&] { return w.m_updateThread.isNull(); }, 20000);
}

bool TestUpdate::check(z9ktool &w)
{
    if (!waitIdle(w)) return false;
    w.startUpdateThread();
    return waitIdle(w);
}

void TestUpdate::baseLocation()
{
    qunsetenv("KIVO_UPDATE_URL");
    const QUrl def = Update::base_location();
    QCOMPARE(def.scheme(), QStringLiteral("https"));
    QVERIFY(def.path().endsWith(QLatin1String("gaming-mouse/")));

    qputenv("KIVO_UPDATE_URL", "http://127.0.0.1:9/some/folder");
    QCOMPARE(Update::base_location().toString(), QStringLiteral("http://127.0.0.1:9/some/folder/"));
    qputenv("KIVO_UPDATE_URL", "file:///tmp/gaming-mouse/");
    QCOMPARE(Update::base_location(), def);
    qputenv("KIVO_UPDATE_URL", server.url().toUtf8());
}

void TestUpdate::manifestAndMouseDecideTheOffers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("mouse");
    QTest::addColumn<bool>("program");
    QTest::addColumn<QString>("firmware"); // the dialog's text_1, empty = no offer

    const QString v122 = QStringLiteral("1.1.22");
    QTest::newRow("10031 offers nothing") << manifest("10031", "1.1.22") << v122 << false << "";
    QTest::newRow("10032 offers 1.0.32") << manifest("10032", "1.1.22") << v122 << true << "";
    QTest::newRow("three lines") << QByteArray("KIVO\nx\n10032") << v122 << false << "";
    QTest::newRow("empty") << QByteArray() << v122 << false << "";
    QTest::newRow("cut at a zero byte")
        << QByteArray("KIVO\nx\n10032\0\n1.1.23\n", 22) << v122 << false << "";
    QTest::newRow("crlf lines") << QByteArray("KIVO\r\nx\r\n10032\r\n1.1.23\r\n") << v122 << true
                                << "V1.1.23";
    QTest::newRow("padded lines") << QByteArray("KIVO\nx\n 10032 \n\t1.1.23 \n") << v122 << true
                                  << "V1.1.23";
    QTest::newRow("non-numeric version") << manifest("1.0.32", "1.1.22") << v122 << false << "";
    QTest::newRow("firmware line 1.2, loader mouse")
        << manifest("10031", "1.2") << QStringLiteral("255.0.22") << false << "";
    QTest::newRow("firmware line 1.x.3") << manifest("10031", "1.x.3") << v122 << false << "";
    // Parts beyond a byte are no version, also for a mouse that takes any:
    // 100051 * 65536 overflowed the comparison value.
    QTest::newRow("firmware part 100051, loader mouse")
        << manifest("10031", "100051.0.0") << QStringLiteral("255.0.22") << false << "";
    QTest::newRow("firmware part 256") << manifest("10031", "1.256.0") << v122 << false << "";
    // A byte of 128 or more is a number, not a negative one.
    QTest::newRow("firmware part 200")
        << manifest("10031", "1.200.0") << v122 << false << "V1.200.0";
    QTest::newRow("firmware part -1, loader mouse")
        << manifest("10031", "1.-1.30") << QStringLiteral("255.0.22") << false << "";
    QTest::newRow("1.1.21 never") << manifest("10031", "9.9.99") << QStringLiteral("1.1.21")
                                  << false << "";
    QTest::newRow("1.1.22 gets 1.1.23")
        << manifest("10031", "1.1.23") << v122 << false << "V1.1.23";
    QTest::newRow("1.1.22 not 1.1.22") << manifest("10031", "1.1.22") << v122 << false << "";
    QTest::newRow("1.1.23 not 1.1.22")
        << manifest("10031", "1.1.22") << QStringLiteral("1.1.23") << false << "";
    QTest::newRow("255.0.22 always")
        << manifest("10031", "1.1.0") << QStringLiteral("255.0.22") << false << "V1.1.0";
    QTest::newRow("both") << manifest("10100", "2.0.0") << v122 << false << "V2.0.0";
}

void TestUpdate::manifestAndMouseDecideTheOffers()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, mouse);
    QFETCH(bool, program);
    QFETCH(QString, firmware);
    const QStringList m = mouse.split(QLatin1Char('.'));
    vmouse_set_version(m[0].toInt(), m[1].toInt(), m[2].toInt());

    auto w = window();
    QVERIFY(w);
    w->show();
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), text);
    QVERIFY(check(*w));

    config_Widget *page = w->configpage;
    QCOMPARE(!page->soft_update_icon->isHidden(), program);
    QCOMPARE(page->version->text(), program ? kOffer : QStringLiteral("Version: 1.0.31"));
    QCOMPARE(w->updatefile, program ? kProgram : QString());
    QCOMPARE(!page->fw_update_icon->isHidden(), !firmware.isEmpty());
    QCOMPARE(w->fwfile, firmware.isEmpty() ? QString() : kImage);

    QStringList expected;
    if (!firmware.isEmpty()) expected << kImage;
    // The program is taken out and the package removed; only what the manifest
    // names is fetched. ("both" names 1.1.0, which the package does not hold:
    // it is refused and nothing lands.)
    if (program) expected << kProgram;
    expected.sort();
    QCOMPARE(filesHere(), expected);

    if (!firmware.isEmpty()) {
        QCOMPARE(readFile(here(kImage)), image);
        QCOMPARE(page->firmware_version->text(), kOffer);
        QCOMPARE(w->update_confirm->text_1->text(), firmware);
        w->nav_btns->button(5)->click();
        QTest::mouseClick(page->firmware_version, Qt::LeftButton);
        QVERIFY(w->update_confirm->isVisible());
        // Unplugging takes the firmware offer back.
        vmouse_plug(0);
        w->device_removal(QStringLiteral("/dev/hidraw3"));
        QVERIFY(page->fw_update_icon->isHidden());
        QVERIFY(!w->update_confirm->isVisible());
    }
    QVERIFY(waitIdle(*w));
}

void TestUpdate::offeredProgramStartsAndTheProgramQuits()
{
    // Packed without its execute bit, as an archive made on Windows would be.
    package = makeZip({{kProgram, "#!/bin/sh\npwd > '" + startedMarker.toUtf8() + "'\n",
                        QFile::ReadOwner | QFile::WriteOwner}});
    server.put(QStringLiteral("KIVOMouse_PC.exe.zip"), package);
    auto w = window();
    QVERIFY(w);
    w->show();
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.22"));
    QVERIFY(check(*w));
    QCOMPARE(w->updatefile, kProgram);

    // A second report of the same program must not start it twice.
    w->UpdateFound(kProgram);
    w->nav_btns->button(5)->click();
    QTimer::singleShot(0, w.get(),
                       [&] { QTest::mouseClick(w->configpage->version, Qt::LeftButton); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0); // RunUpdate ended the event loop

    // The shell makes the file before pwd writes into it.
    QVERIFY(QTest::qWaitFor([&] { return !readFile(startedMarker).trimmed().isEmpty(); }, 5000));
    QCOMPARE(readFile(startedMarker).trimmed(), QDir::currentPath().toUtf8());
    QVERIFY(QFile::permissions(here(kProgram)) & QFile::ExeUser);
}

void TestUpdate::versionsAreUnsigned()
{
    // Parts of 128 or more, as the manifest and the mouse carry them.
    const unsigned char mouse[3] = {1, 1, 22};
    const updaterules::Offer o =
        updaterules::read_manifest(manifest("1280000", "200.255.130"), mouse);
    QVERIFY(o.app && o.firmware);
    QCOMPARE(o.app_major, 128u);
    QCOMPARE(int(o.fw_major), 200);
    QCOMPARE(int(o.fw_minor), 255);
    QCOMPARE(int(o.fw_patch), 130);

    // Downloaded program names: a minor of 200 is newer than 1.0.31, not older;
    // a sign or a part too large for a version is no version at all.
    const struct {
        const char *name;
        int value; // -1: not a version
    } names[] = {{"KIVOMouse-PC-V1.200.0.exe", 30000},   {"KIVOMouse-PC-V1.0.200.exe", 10200},
                 {"KIVOMouse-PC-V1.0.65535.exe", 75535}, {"KIVOMouse-PC-V1.-56.0.exe", -1},
                 {"KIVOMouse-PC-V1.256.0.exe", -1},      {"KIVOMouse-PC-V1.0.65536.exe", -1}};
    for (const auto &n : names) {
        int value = -1;
        const bool ok = updaterules::program_version(QString::fromLatin1(n.name), &value);
        QVERIFY2(ok == (n.value >= 0), n.name);
        if (ok) QCOMPARE(value, n.value);
    }
}

void TestUpdate::partialFileIsResumed_data()
{
    QTest::addColumn<QByteArray>("part");   // what the partial file holds
    QTest::addColumn<QByteArray>("record"); // its record: "same", "none", "stale", "version"
    QTest::addColumn<QString>("request");
    const QByteArray head = image.left(12345);
    QTest::newRow("part of the same file") << head << QByteArray("same") << "206 \"bytes=12345-\"";
    QTest::newRow("no record beside it") << head << QByteArray("none") << "206 \"bytes=0-\"";
    QTest::newRow("fetched for another version")
        << head << QByteArray("version") << "206 \"bytes=0-\"";
    // If-Range not met: the server sends the whole file in its place.
    QTest::newRow("part of a file since replaced")
        << QByteArray(12345, 'x') << QByteArray("stale") << "200 \"bytes=12345-\"";
}

void TestUpdate::partialFileIsResumed()
{
    QFETCH(QByteArray, part);
    QFETCH(QByteArray, record);
    QFETCH(QString, request);
    const QByteArray tag = validator(kImage);
    QVERIFY(tag.startsWith('"'));
    if (record == "none")
        writeFile(here(kImage + ".tmp"), part);
    else
        partial(part, record == "stale" ? QByteArray("\"1-1\"") : tag,
                record == "version" ? "1.1.22" : "1.1.23");
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    server.clearLog();
    auto w = window();
    QVERIFY(w);
    QCOMPARE(imageRequests(server), QStringList{request});
    // Range with If-Range, or a fresh download without it.
    QCOMPARE(imageIfRanges(server), QList<bool>{request.contains(QLatin1String("12345"))});
    QCOMPARE(readFile(here(kImage)), image);
    QVERIFY(!QFile::exists(here(kImage + ".tmp")));
    QVERIFY(!QFile::exists(here(kImage + ".tmp.part")));
    QCOMPARE(w->fwfile, kImage);

    // A fresh download asks from byte 0 too.
    server.clearLog();
    QVERIFY(check(*w));
    QCOMPARE(imageRequests(server), QStringList{QStringLiteral("206 \"bytes=0-\"")});
    QCOMPARE(readFile(here(kImage)), image);
}

void TestUpdate::splicedImageIsNeverMade_data()
{
    QTest::addColumn<bool>("sameVersion"); // the partial was fetched for the version now offered
    QTest::newRow("a new version") << false;
    QTest::newRow("the same version, another file") << true;
}

void TestUpdate::splicedImageIsNeverMade()
{
    QFETCH(bool, sameVersion);
    // Half of 1.2.0 is here, as a cut-off download of it leaves it; the
    // server then publishes 1.3.0, another image of the same size.
    const QByteArray older = makeImage("1.2.0", 20000, 1);
    const QByteArray newer = makeImage("1.3.0", 20000, 2);
    QVERIFY(!older.isEmpty() && older.size() == newer.size() && older != newer);
    server.put(kImage, older);
    const QByteArray olderTag = validator(kImage);
    partial(older.left(10000), olderTag, sameVersion ? "1.3.0" : "1.2.0");
    server.put(kImage, newer);
    // nginx's validator is made of the time and size: a later time, as a real publication has.
    QFile published(server.folder() + QLatin1Char('/') + kImage);
    QVERIFY(published.open(QIODevice::ReadWrite));
    QVERIFY(published.setFileTime(QDateTime::currentDateTime().addSecs(10),
                                  QFileDevice::FileModificationTime));
    published.close();
    QVERIFY(validator(kImage) != olderTag);
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.3.0"));
    server.clearLog();

    auto w = window();
    QVERIFY(w);
    QCOMPARE(imageRequests(server), QStringList{sameVersion ? QStringLiteral("200 \"bytes=10000-\"")
                                                            : QStringLiteral("206 \"bytes=0-\"")});
    QCOMPARE(readFile(here(kImage)), newer);
    QCOMPARE(w->fwfile, kImage);
    QCOMPARE(w->update_confirm->text_1->text(), QStringLiteral("V1.3.0"));
}

void TestUpdate::cutOffDownloadIsResumedByALaterCheck()
{
    QVERIFY(startServer({QStringLiteral("limit_rate 20k;")}));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window(false);
    QVERIFY(w);
    const QString part = here(kImage + ".tmp");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(part).size() > 0; }, 10000));
    server.stop(); // the network goes away mid-file
    QVERIFY(waitIdle(*w));
    const QByteArray cut = readFile(part);
    QVERIFY2(cut.size() > 0 && cut.size() < image.size(), QByteArray::number(cut.size()));
    QVERIFY(image.startsWith(cut));
    QVERIFY(!QFile::exists(here(kImage)));
    QVERIFY(w->configpage->fw_update_icon->isHidden()); // nothing half-written is offered

    QVERIFY(startServer());
    server.clearLog();
    QVERIFY(check(*w));
    QCOMPARE(imageRequests(server),
             QStringList{QStringLiteral("206 \"bytes=%1-\"").arg(cut.size())});
    QCOMPARE(readFile(here(kImage)), image);
    QCOMPARE(w->fwfile, kImage);
}

void TestUpdate::serverIgnoringRangeStartsAfresh()
{
    QVERIFY(startServer({QStringLiteral("max_ranges 0;")}));
    // Whatever the partial file holds, the whole file replaces it.
    partial(QByteArray(5000, 'x'), validator(kImage), "1.1.23");
    server.clearLog();
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QCOMPARE(imageRequests(server), QStringList{QStringLiteral("200 \"bytes=5000-\"")});
    QCOMPARE(readFile(here(kImage)), image);
    QCOMPARE(w->fwfile, kImage);
}

void TestUpdate::unsatisfiableRange_data()
{
    QTest::addColumn<int>("extra"); // bytes beyond the server's file
    QTest::addColumn<QStringList>("requests");
    QTest::newRow("partial file complete")
        << 0 << QStringList{QStringLiteral("416 \"bytes=%1-\"").arg(image.size())};
    QTest::newRow("partial file longer")
        << 7
        << QStringList{QStringLiteral("416 \"bytes=%1-\"").arg(image.size() + 7),
                       QStringLiteral("206 \"bytes=0-\"")};
}

void TestUpdate::unsatisfiableRange()
{
    QFETCH(int, extra);
    QFETCH(QStringList, requests);
    partial(image + QByteArray(extra, '\xAA'), validator(kImage), "1.1.23");
    server.clearLog();
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QCOMPARE(imageRequests(server), requests);
    QCOMPARE(readFile(here(kImage)), image);
    QCOMPARE(w->fwfile, kImage);
}

void TestUpdate::errorPagesAreNeverWritten()
{
    server.remove(kImage);
    server.remove(QStringLiteral("KIVOMouse_PC.exe.zip"));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QCOMPARE(imageRequests(server), QStringList{QStringLiteral("404 \"bytes=0-\"")});
    QCOMPARE(filesHere(), QStringList());

    // An existing partial file stays exactly as it was.
    writeFile(here(kImage + ".tmp"), image.left(100));
    QVERIFY(check(*w));
    QCOMPARE(readFile(here(kImage + ".tmp")), image.left(100));
    QVERIFY(w->configpage->fw_update_icon->isHidden());
    QVERIFY(w->configpage->soft_update_icon->isHidden());
}

void TestUpdate::packageEntriesStayInTheFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("taken"); // the program lands and is offered
    QTest::newRow("parent and absolute names") << "names" << true;
    QTest::newRow("a link and a file through it") << "links" << true;
    QTest::newRow("files of the home folder") << "home" << true;
    QTest::newRow("a folder link in the working folder") << "documents" << true;
    QTest::newRow("thirty thousand entries") << "many" << true;
    QTest::newRow("an earlier copy of the program") << "earlier" << true;
    QTest::newRow("the program only inside a folder") << "folder" << false;
    QTest::newRow("the program as a link") << "program link" << false;
    QTest::newRow("a link at the program's name") << "link at name" << false;
    QTest::newRow("the program over its bound") << "bomb" << false;
    QTest::newRow("not a zip archive") << "garbage" << false;
    QTest::newRow("the program behind 65535 entries") << "too many" << false;
}

void TestUpdate::packageEntriesStayInTheFolder()
{
    QFETCH(QString, kind);
    QFETCH(bool, taken);
    const QString outside = work->filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    const QByteArray program = "#!/bin/sh\n";
    // What is in the folder before, and stays as it is.
    QStringList expected{QStringLiteral("cwd"), QStringLiteral("outside")};
    QList<ZipEntry> entries;
    if (kind == "links") {
        entries << ZipEntry{QStringLiteral("lnk"), outside.toUtf8(), {}, true}
                << ZipEntry{QStringLiteral("lnk/evil.txt"), "x"};
    } else if (kind == "names") {
        entries << ZipEntry{QStringLiteral("../evil.txt"), "x"}
                << ZipEntry{QStringLiteral("sub/../../evil2.txt"), "x"}
                << ZipEntry{outside + QStringLiteral("/evil3.txt"), "x"};
    } else if (kind == "home") {
        writeFile(here(QStringLiteral(".bashrc")), "mine\n");
        expected << QStringLiteral("cwd/.bashrc");
        entries << ZipEntry{QStringLiteral(".bashrc"), "evil\n"}
                << ZipEntry{QStringLiteral(".config/autostart/evil.desktop"), "[Desktop Entry]\n"};
    } else if (kind == "documents") {
        QVERIFY(QFile::link(outside, here(QStringLiteral("Documents"))));
        expected << QStringLiteral("cwd/Documents");
        entries << ZipEntry{QStringLiteral("Documents/evil.txt"), "x"};
    } else if (kind == "many") {
        for (int i = 0; i < 30000; ++i)
            entries << ZipEntry{QStringLiteral("f%1").arg(i), QByteArray(), {}, false, true};
    } else if (kind == "too many") {
        // Looked at no further: a package holds its program, not tens of thousands of files.
        for (int i = 0; i < 65535; ++i)
            entries << ZipEntry{QStringLiteral("f%1").arg(i), QByteArray(), {}, false, true};
    } else if (kind == "earlier") {
        writeFile(here(kProgram), "an earlier download\n");
    } else if (kind == "folder") {
        entries << ZipEntry{QStringLiteral("sub/") + kProgram, program};
    } else if (kind == "program link") {
        entries << ZipEntry{kProgram, outside.toUtf8() + "/made", {}, true};
    } else if (kind == "link at name") {
        // Not followed: what it leads to is never made.
        QVERIFY(QFile::link(outside + QStringLiteral("/made"), here(kProgram)));
        expected << QStringLiteral("cwd/") + kProgram;
    } else if (kind == "bomb") {
        Update::limits.program = 64 * 1024; // a megabyte of zeros packs into a kilobyte
        entries << ZipEntry{kProgram, QByteArray(1024 * 1024, '\0')};
    }
    if (kind != "folder" && kind != "program link" && kind != "bomb")
        entries << ZipEntry{kProgram, program};
    if (taken) expected << QStringLiteral("cwd/") + kProgram;
    expected.sort();
    const QByteArray zip = kind == "garbage" ? QByteArray(4096, 'z') : makeZip(entries);
    QVERIFY(!zip.isEmpty());
    server.put(QStringLiteral("KIVOMouse_PC.exe.zip"), zip);
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.22"));
    auto w = window();
    QVERIFY(w);
    QVERIFY(check(*w));

    QDirIterator it(work->path(),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                    QDirIterator::Subdirectories);
    QStringList all;
    while (it.hasNext())
        all << QDir(work->path()).relativeFilePath(it.next());
    all.sort();
    // Only the program, under its own name: no temporary file, no package left.
    QCOMPARE(all, expected);
    QCOMPARE(w->updatefile, taken ? kProgram : QString());
    if (taken) QCOMPARE(readFile(here(kProgram)), program);
    if (kind == "home") QCOMPARE(readFile(here(QStringLiteral(".bashrc"))), QByteArray("mine\n"));
}

void TestUpdate::unpackStopsBetweenSteps_data()
{
    QTest::addColumn<bool>("quit"); // the worker goes with its thread, as when the program quits
    QTest::newRow("stopped") << false;
    QTest::newRow("deleted") << true;
}

void TestUpdate::unpackStopsBetweenSteps()
{
    QFETCH(bool, quit);
    // Several steps' worth of program (a step takes out at most a megabyte).
    server.put(QStringLiteral("KIVOMouse_PC.exe.zip"),
               makeZip({{kProgram, QByteArray(6 * 1024 * 1024, '\x90')}}));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.22"));
    // On this thread, so that the test sees the worker between two of its events.
    auto u = std::make_unique<Update>();
    QSignalSpy found(u.get(), &Update::signalGetUpdateFinished);
    u->checkUpdate();
    const QString temporary = here(kProgram + QStringLiteral(".unpack"));
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(temporary) && waited.elapsed() < 20000)
        QCoreApplication::processEvents();
    QVERIFY(QFileInfo::exists(temporary));
    QVERIFY(QFileInfo::exists(here(QStringLiteral("KIVOMouse_PC.exe.zip"))));
    if (quit)
        u.reset();
    else
        u->stop();
    // Gone at once, and nothing of it comes later.
    QCOMPARE(filesHere(), QStringList());
    QCoreApplication::processEvents();
    QCOMPARE(filesHere(), QStringList());
    QCOMPARE(found.count(), 0);
}

void TestUpdate::downloadsAreBounded_data()
{
    QTest::addColumn<QString>("directives");
    QTest::addColumn<bool>("narrowed"); // the bounds narrowed; else the shipped ones
    QTest::addColumn<bool>(
        "compressible"); // files that shrink to a fraction of the bound on the way
    QTest::newRow("just past 64 MiB and 256 MiB, announced") << QString() << false << false;
    QTest::newRow("past a narrowed bound, announced") << QString() << true << false;
    // Compressed on the way, the length is known only as the data arrive.
    QTest::newRow("past a narrowed bound as it arrives")
        << QStringLiteral("gzip on; gzip_min_length 1; gzip_types application/octet-stream;")
        << true << true;
}

void TestUpdate::downloadsAreBounded()
{
    QFETCH(QString, directives);
    QFETCH(bool, narrowed);
    QFETCH(bool, compressible);
    QVERIFY(startServer({directives}));
    const QString package = QStringLiteral("KIVOMouse_PC.exe.zip");
    if (narrowed) {
        Update::limits.firmware = 64 * 1024;
        Update::limits.package = 64 * 1024;
        // Good files but for their size: unbounded, they would be offered.
        const QByteArray fw = compressible ? makeImage("1.1.23", 0, 1, 1024 * 1024) : image;
        QVERIFY(fw.size() > Update::limits.firmware);
        server.put(kImage, fw);
        ZipEntry program{kProgram, compressible ? QByteArray(1024 * 1024, '\0') : image};
        program.stored = true;
        server.put(package, makeZip({program}));
    } else {
        // Sparse: nothing of them is sent before the length is seen.
        QFile f(server.folder() + QLatin1Char('/') + kImage);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(f.resize(Update::kDefaultLimits.firmware + 1));
        f.close();
        QFile p(server.folder() + QLatin1Char('/') + package);
        QVERIFY(p.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(p.resize(Update::kDefaultLimits.package + 1));
    }
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    // Stopped, the partial files removed, nothing offered.
    QCOMPARE(filesHere(), QStringList());
    QVERIFY(w->fwfile.isEmpty() && w->updatefile.isEmpty());
    QVERIFY(w->configpage->fw_update_icon->isHidden());
    QVERIFY(w->configpage->soft_update_icon->isHidden());
}

void TestUpdate::offerStaysUntilReplaced()
{
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QCOMPARE(w->fwfile, kImage);
    const auto offered = [&](const QByteArray &file, const QString &version) {
        return readFile(here(kImage)) == file && w->fwfile == kImage &&
               !w->configpage->fw_update_icon->isHidden() &&
               w->update_confirm->text_1->text() == version;
    };
    QVERIFY(offered(image, QStringLiteral("V1.1.23")));

    // The image gone from the server, then the server down: the offer stays.
    server.remove(kImage);
    QVERIFY(check(*w));
    QVERIFY(offered(image, QStringLiteral("V1.1.23")));
    server.stop();
    QVERIFY(check(*w));
    QVERIFY(offered(image, QStringLiteral("V1.1.23")));

    // A newer file that is no image the flash takes (no program in it) is not taken.
    QVERIFY(startServer({QStringLiteral("limit_rate 200k;")}));
    server.put(kImage, QByteArray(59, '\0'));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.24"));
    QVERIFY(check(*w));
    QVERIFY(offered(image, QStringLiteral("V1.1.23")));
    QCOMPARE(filesHere(), QStringList{kImage});

    // A newer image is fetched beside the one on offer, which it replaces once complete.
    const QByteArray newer = makeImage("1.1.24", 100000, 2);
    server.put(kImage, newer);
    w->startUpdateThread();
    const QString part = here(kImage + ".tmp");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(part).size() > 0; }, 10000));
    QVERIFY(offered(image, QStringLiteral("V1.1.23")));
    QVERIFY(waitIdle(*w));
    QVERIFY(offered(newer, QStringLiteral("V1.1.24")));
    QCOMPARE(filesHere(), QStringList{kImage});
}

void TestUpdate::offerNoLongerMadeIsSignalled_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("program"); // still offered
    QTest::addColumn<bool>("firmware");
    QTest::newRow("nothing newer") << manifest("10031", "1.1.22") << false << false;
    QTest::newRow("only a program") << manifest("10032", "1.1.22") << true << false;
    QTest::newRow("only firmware") << manifest("10031", "1.1.23") << false << true;
}

void TestUpdate::offerNoLongerMadeIsSignalled()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, program);
    QFETCH(bool, firmware);
    // An image and a program on offer from an earlier check.
    writeFile(here(kImage), image);
    writeFile(here(kProgram), "#!/bin/sh\n");
    fw_version[3] = 1;
    fw_version[4] = 1;
    fw_version[5] = 22;
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), text);
    Update u;
    QSignalSpy programGone(&u, &Update::signalUpdateWithdrawn);
    QSignalSpy firmwareGone(&u, &Update::signalFWUpdateWithdrawn);
    QSignalSpy programFound(&u, &Update::signalGetUpdateFinished);
    QSignalSpy firmwareFound(&u, &Update::signalGetFWUpdateFinished);
    u.checkUpdate();
    QVERIFY(QTest::qWaitFor(
        [&] {
            return (program ? programFound.count() : programGone.count()) == 1 &&
                   (firmware ? firmwareFound.count() : firmwareGone.count()) == 1;
        },
        20000));
    QCOMPARE(programGone.count(), program ? 0 : 1);
    QCOMPARE(firmwareGone.count(), firmware ? 0 : 1);
    // Whether the files go is the window's decision.
    QCOMPARE(readFile(here(kImage)), image);
    QVERIFY(QFileInfo(here(kProgram)).isFile());

    // The window, offered both at start, takes back what the server no longer offers.
    auto w = window();
    QCOMPARE(w->configpage->soft_update_icon->isHidden(), !program);
    QCOMPARE(w->updatefile.isEmpty(), !program);
    QCOMPARE(w->configpage->fw_update_icon->isHidden(), !firmware);
    QCOMPARE(w->fwfile.isEmpty(), !firmware);
    QCOMPARE(w->configpage->firmware_version->text(),
             firmware ? QStringLiteral("发现新版本  ") : QStringLiteral("V1.1.22"));
    QVERIFY(QFileInfo(here(kImage)).isFile() && QFileInfo(here(kProgram)).isFile());
}

void TestUpdate::startupScan()
{
    const QStringList names{
        QStringLiteral("KIVOMouse-PC-V1.0.30.exe"),   // older: deleted
        QStringLiteral("KIVOMouse-PC-V1.0.31.exe"),   // this version: deleted
        QStringLiteral("KIVOMouse-PC-V1.0.32.exe"),   // newer: offered
        QStringLiteral("KIVOMouse-PC-V1.0.33.1.exe"), // five parts: left alone
        QStringLiteral("KIVOMouse-PC.exe"),           // two parts: left alone
        QStringLiteral("KIVOMouse-PC-Vx.y.z.exe"),    // no version: left alone
        QStringLiteral("KIVOMouse-PC-V10.0.40.exe"),  // major read as 0: deleted
    };
    for (const QString &n : names)
        writeFile(here(n), "#!/bin/sh\n");
    // The running program is never deleted, whatever its name says.
    QVERIFY(QFile::link(QCoreApplication::applicationFilePath(),
                        here(QStringLiteral("KIVOMouse-PC-V1.0.20.exe"))));

    auto w = window();
    QVERIFY(w);
    QStringList kept{QStringLiteral("KIVOMouse-PC-V1.0.20.exe"),
                     QStringLiteral("KIVOMouse-PC-V1.0.32.exe"),
                     QStringLiteral("KIVOMouse-PC-V1.0.33.1.exe"),
                     QStringLiteral("KIVOMouse-PC-Vx.y.z.exe"), QStringLiteral("KIVOMouse-PC.exe")};
    kept.sort();
    QCOMPARE(filesHere(), kept);
    QCOMPARE(w->updatefile, QStringLiteral("KIVOMouse-PC-V1.0.32.exe"));
    QCOMPARE(w->configpage->version->text(), kOffer);
    w.reset();

    // A two-digit major counts by its last digit: 11.0.33 is offered as 1.0.33.
    writeFile(here(QStringLiteral("KIVOMouse-PC-V11.0.33.exe")), "#!/bin/sh\n");
    w = window();
    QVERIFY(w);
    QCOMPARE(w->updatefile, QStringLiteral("KIVOMouse-PC-V11.0.33.exe"));
}

void TestUpdate::checksEndTheirThreads()
{
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QList<QPointer<QThread>> threads;
    // Ten in a row, as quick plugging and unplugging starts them.
    for (int i = 0; i < 10; ++i) {
        w->startUpdateThread();
        threads << QPointer<QThread>(w->m_updateThread);
    }
    QVERIFY(waitIdle(*w));
    for (const QPointer<QThread> &t : threads)
        QVERIFY(t.isNull());
    QCOMPARE(readFile(here(kImage)), image); // the surviving check finished the file
    // And ten one after the other, each ending on its own.
    for (int i = 0; i < 10; ++i)
        QVERIFY(check(*w));
    QCOMPARE(readFile(here(kImage)), image);
}

void TestUpdate::quittingDuringADownload()
{
    QVERIFY(startServer({QStringLiteral("limit_rate 20k;")}));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window(false);
    QVERIFY(w);
    const QString part = here(kImage + ".tmp");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(part).size() > 0; }, 10000));
    QPointer<QThread> thread = w->m_updateThread;
    QVERIFY(thread && thread->isRunning());
    w.reset(); // the window waits for the thread and deletes it
    QVERIFY(thread.isNull());
    const QByteArray cut = readFile(part);
    QVERIFY2(cut.size() > 0 && cut.size() < image.size(), QByteArray::number(cut.size()));
    QVERIFY(image.startsWith(cut));
    QVERIFY(!QFile::exists(here(kImage)));
}

void TestUpdate::httpsChecksRunInAHelper()
{
    // The server's certificate trusted as the real one's authority is by the system.
    QVERIFY(startServer({QStringLiteral("limit_rate 20k;"), true}));
    qputenv("KIVO_UPDATE_CA", server.certificate().toUtf8());
    // Each helper ends by itself with 0 (a sanitizer's finding would make it 1).
    static QtMessageHandler shown = nullptr;
    static QStringList abnormal;
    abnormal.clear();
    shown = qInstallMessageHandler([](QtMsgType t, const QMessageLogContext &c, const QString &m) {
        if (m.contains(QLatin1String("update helper"))) abnormal << m;
        shown(t, c, m);
    });
    struct Restore {
        ~Restore()
        {
            qunsetenv("KIVO_UPDATE_CA");
            qInstallMessageHandler(shown);
        }
    } restore;
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.23"));

    // The window quitting mid-download stops the helper and waits for it.
    auto w = window(false);
    QVERIFY(w);
    const QString part = here(kImage + ".tmp");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(part).size() > 0; }, 10000));
    w.reset();
    const QByteArray cut = readFile(part);
    QVERIFY2(cut.size() > 0 && cut.size() < image.size(), QByteArray::number(cut.size()));
    QVERIFY(image.startsWith(cut));

    // The next check resumes it; the offers reach the window as from a thread of its own.
    QVERIFY(startServer({QString(), true}));
    w = window();
    QVERIFY(w);
    QCOMPARE(readFile(here(kImage)), image);
    QCOMPARE(w->fwfile, kImage);
    QCOMPARE(w->fw_version_str, QStringLiteral("1.1.23"));
    QCOMPARE(w->updatefile, kProgram);
    QCOMPARE(w->configpage->version->text(), kOffer);
    // Started ten times in a row, each helper is stopped before the next one starts.
    QPointer<QThread> first;
    for (int i = 0; i < 10; ++i) {
        w->startUpdateThread();
        if (!first) first = w->m_updateThread;
    }
    QVERIFY(waitIdle(*w));
    QVERIFY(first.isNull());
    QCOMPARE(readFile(here(kImage)), image);
    QCOMPARE(w->fwfile, kImage);
    QCOMPARE(abnormal, QStringList());
#ifdef Q_OS_LINUX
    // Nor did the TLS library ever load here.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libssl"));
#endif
}

void TestUpdate::untrustedHttpsDeliversNothing()
{
    QVERIFY(startServer({QString(), true}));
    QVERIFY(server.url().startsWith(QLatin1String("https://")));
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10032", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    QVERIFY(check(*w));
    QCOMPARE(filesHere(), QStringList());
    QVERIFY(w->updatefile.isEmpty() && w->fwfile.isEmpty());

    // The server itself works: a client that ignores the certificate gets the manifest.
    QNetworkAccessManager nam;
    QNetworkReply *reply = nam.get(QNetworkRequest(QUrl(server.url() + "KIVOMouseUpdate.txt")));
    reply->ignoreSslErrors();
    QVERIFY(QTest::qWaitFor([&] { return reply->isFinished(); }, 10000));
    QCOMPARE(reply->readAll(), manifest("10032", "1.1.23"));
    delete reply;
}

void TestUpdate::autostartRunsInTheDataFolder()
{
    qputenv("XDG_CONFIG_HOME", work->filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", work->filePath(QStringLiteral("data")).toUtf8());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(data.startsWith(work->filePath(QStringLiteral("data"))));
    autorun::set_enabled(true);
    QVERIFY(autorun::is_enabled());
    QVERIFY(QFileInfo(data).isDir());
    const QByteArray entry = readFile(autorun::xdg::entry_path());
    QVERIFY2(entry.contains("\nPath=" + data.toUtf8() + "\n"), entry.constData());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}

void TestUpdate::installedProgramWorksInTheDataFolder()
{
    // <prefix>/lib/kivomouse/kivomouse reached through <prefix>/bin/kivomouse.
    const QString prefix = work->filePath(QStringLiteral("prefix"));
    const QString program = prefix + QStringLiteral("/lib/kivomouse/kivomouse");
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/lib/kivomouse")));
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
    writeFile(program, "#!/bin/sh\n");
    writeFile(prefix + QStringLiteral("/lib/kivomouse/other"), "#!/bin/sh\n");
    QVERIFY(!runs_installed(program)); // no link in bin yet
    QVERIFY(QFile::link(QStringLiteral("../lib/kivomouse/other"),
                        prefix + QStringLiteral("/bin/kivomouse")));
    QVERIFY(!runs_installed(program)); // a link to another file
    QVERIFY(QFile::remove(prefix + QStringLiteral("/bin/kivomouse")));
    QVERIFY(QFile::link(QStringLiteral("../lib/kivomouse/kivomouse"),
                        prefix + QStringLiteral("/bin/kivomouse")));
    QVERIFY(runs_installed(program));
    // Where it was built: the folder it is started in.
    QVERIFY(!runs_installed(QCoreApplication::applicationFilePath()));

    qputenv("XDG_DATA_HOME", work->filePath(QStringLiteral("data")).toUtf8());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(!QFileInfo::exists(data));
    QVERIFY(enter_data_folder());
    QCOMPARE(QDir::currentPath(), data);
    qunsetenv("XDG_DATA_HOME");
}

void TestUpdate::offeredImageFlashesThroughTheDialog()
{
    // A mouse left in its loader is offered the image whatever its number.
    vmouse_set_version(255, 0, 22);
    server.put(QStringLiteral("KIVOMouseUpdate.txt"), manifest("10031", "1.1.23"));
    auto w = window();
    QVERIFY(w);
    w->show();
    QCOMPARE(w->fwfile, kImage);
    w->nav_btns->button(5)->click();
    QTest::mouseClick(w->configpage->firmware_version, Qt::LeftButton);
    Update_Dialog *dialog = w->update_confirm;
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->text_1->text(), QStringLiteral("V1.1.23"));

    vmouse_trace_clear();
    QTest::mouseClick(dialog->start_btn, Qt::LeftButton);
    QCOMPARE(dialog->text_1->text(), QStringLiteral("固件升级已完成"));
    QCOMPARE(dialog->text_2->text(), QStringLiteral("当前版本V1.1.23"));
    QVERIFY(w->configpage->fw_update_icon->isHidden());
    QCOMPARE(w->configpage->firmware_version->text(), QStringLiteral("V1.1.23"));

    // Every byte of the downloaded image's program section went out, in order.
    const quint32 mcuAt = 59 + qFromBigEndian<quint32>(image.constData() + 16) +
                          qFromBigEndian<quint32>(image.constData() + 31);
    const QByteArray mcu =
        image.mid(int(mcuAt), int(qFromBigEndian<quint32>(image.constData() + 46)));
    QByteArray flashed;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONFIG && quint8(r.bytes.at(1)) == 0xD3)
            flashed += r.bytes.mid(8, quint8(r.bytes.at(3)));
    QCOMPARE(flashed, mcu);

    // The mouse restarted into the new image.
    w->update_fw_version();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(fw_version) + 3, 3),
             QByteArray("\x01\x01\x17"));
    QCOMPARE(w->configpage->firmware_version->text(), QStringLiteral("V1.1.23"));
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
