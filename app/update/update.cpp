#include "update/update.h"

#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "update/package.h"
#include "update/updaterules.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QThread>

namespace
{

const char kDefaultBase[] = "https://update.kivo-gaming.com/gaming-mouse/";
const QString kManifest = QStringLiteral("KIVOMouseUpdate.txt");
const QString kPackage = QStringLiteral("KIVOMouse_PC.exe.zip");
const QString kFirmware = QStringLiteral("KIVOMouse_USB.bin");
const QString kPartial = QStringLiteral(".tmp");
// Beside each partial file: what it is part of.
const QString kPartInfo = QStringLiteral(".part");
const qint64 kMaxPartInfo = 4096;
// A manifest is a few lines; a server sending more is not one of ours.
const qint64 kMaxManifest = 64 * 1024;
// A transfer that moves no data for this long is given up (and resumed later).
const int kStallTimeoutMs = 60 * 1000;

int statusOf(const QNetworkReply *reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? status.toInt() : 0;
}

// Content-Range "bytes S-E/T" or "bytes */T": S (or -1) and T (or -1).
void contentRange(const QNetworkReply *reply, qint64 *start, qint64 *total)
{
    *start = -1;
    *total = -1;
    static const QRegularExpression form(
        QStringLiteral("^\\s*bytes\\s+(?:(\\d+)-(\\d+)|\\*)/(\\d+)\\s*$"));
    const QRegularExpressionMatch m =
        form.match(QString::fromLatin1(reply->rawHeader("Content-Range")));
    if (!m.hasMatch()) return;
    bool ok = false;
    if (!m.captured(1).isEmpty()) {
        const qint64 s = m.captured(1).toLongLong(&ok);
        if (ok) *start = s;
    }
    const qint64 t = m.captured(3).toLongLong(&ok);
    if (ok) *total = t;
}

qint64 partialSize(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

// What tells one state of the server's file from another, as If-Range takes
// it: a strong ETag, else the Last-Modified date; empty when there is none.
QByteArray validatorOf(const QNetworkReply *reply)
{
    QByteArray v = reply->rawHeader("ETag").trimmed();
    if (v.isEmpty() || v.startsWith("W/")) v = reply->rawHeader("Last-Modified").trimmed();
    for (const char c : v)
        if (uchar(c) < 0x20 || c == 0x7F) return {};
    return v;
}

// The record beside a partial file: "validator=" and "version=" lines.
struct PartInfo {
    QByteArray validator;
    QString version;
};

PartInfo readPartInfo(const QString &path)
{
    PartInfo info;
    QFile file(path);
    if (QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly)) return info;
    const QByteArray text = file.read(kMaxPartInfo);
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("validator=")) info.validator = line.mid(10);
        if (line.startsWith("version=")) info.version = QString::fromLatin1(line.mid(8));
    }
    return info;
}

// Made anew, never opened where it stands: a link left in its place is
// removed, not written through.
bool writeNewFile(QFile &file, const QByteArray &data)
{
    QFile::remove(file.fileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    return file.write(data) == data.size();
}

QString versionText(quint32 a, quint32 b, quint32 c)
{
    return QString::number(a) + QLatin1Char('.') + QString::number(b) + QLatin1Char('.') +
           QString::number(c);
}

// Whether a complete download is an image the flash would take.
bool imageUsable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > fwimage::kMaxFileSize) return false;
    const QByteArray data = file.readAll();
    fwimage::Image img;
    return fwimage::parse(data, &img) == fwimage::Parse::Ok && img.mcu_length > 0;
}

} // namespace

Update::Update(QObject *parent) : UpdateCheck(parent), m_manager(new QNetworkAccessManager(this))
{
    // Taken here, on the window's thread, which keeps writing the record on
    // every attach while this worker runs on its own.
    m_installed[0] = fw_version[3];
    m_installed[1] = fw_version[4];
    m_installed[2] = fw_version[5];
}

const Update::Limits Update::kDefaultLimits = {
    fwimage::kMaxFileSize, // no larger image is ever flashed
    256 * 1024 * 1024,     // a real package is some tens of megabytes
    256 * 1024 * 1024,
};
Update::Limits Update::limits = Update::kDefaultLimits;

Update::~Update()
{
    // The thread ended during an unpack (the program is quitting): the
    // temporary program goes with it, and the package too.
    if (m_unpack) {
        m_unpack.reset();
        QFile::remove(kPackage);
    }
}

QUrl Update::base_location()
{
    QUrl base(QString::fromLatin1(kDefaultBase));
    const QString overridden = qEnvironmentVariable("KIVO_UPDATE_URL");
    if (!overridden.isEmpty()) {
        const QUrl url(overridden, QUrl::StrictMode);
        if (url.isValid() && !url.host().isEmpty() &&
            (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")))
            base = url;
        else
            qDebug() << "KIVO_UPDATE_URL is not an http(s) address, ignored:" << overridden;
    }
    QString path = base.path();
    if (!path.endsWith(QLatin1Char('/'))) base.setPath(path + QLatin1Char('/'));
    return base;
}

// ---- the manifest -------------------------------------------------------------

void Update::checkUpdate()
{
    QNetworkRequest request(base_location().resolved(QUrl(kManifest)));
    request.setTransferTimeout(kStallTimeoutMs);
    m_versionReply = m_manager->get(request);
    ++m_transfers;
    QNetworkReply *reply = m_versionReply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kMaxManifest) reply->abort();
    });
    connect(m_versionReply, &QNetworkReply::finished, this, &Update::get_version_Finished);
}

void Update::get_version_Finished()
{
    QNetworkReply *reply = m_versionReply;
    m_versionReply = nullptr;
    if (!reply) return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "__________" << reply->errorString();
        transferEnded();
        return;
    }

    const updaterules::Offer offer =
        updaterules::read_manifest(reply->read(kMaxManifest), m_installed);
    // Only a manifest that says what is on offer takes an earlier offer back.
    if (offer.understood && !offer.app) emit signalUpdateWithdrawn();
    if (offer.understood && !offer.firmware) emit signalFWUpdateWithdrawn();
    if (offer.app) {
        app_major = offer.app_major;
        app_minor = offer.app_minor;
        app_revision = offer.app_revision;
        downloadFile();
    }
    if (offer.firmware) {
        fw_major = offer.fw_major;
        fw_minor = offer.fw_minor;
        fw_patch = offer.fw_patch;
        downloadFW();
    }
    transferEnded();
}

// ---- resumable downloads ----------------------------------------------------------

void Update::downloadFile()
{
    startDownload(m_package, kPackage, versionText(app_major, app_minor, app_revision),
                  limits.package, &Update::onReadyRead, &Update::onFinished);
}

void Update::downloadFW()
{
    qDebug() << "download FW" << base_location().resolved(QUrl(kFirmware)).toString();
    startDownload(m_firmware, kFirmware, versionText(fw_major, fw_minor, fw_patch), limits.firmware,
                  &Update::onFWReadyRead, &Update::onFWFinished);
}

void Update::startDownload(Download &d, const QString &fileName, const QString &version,
                           qint64 limit, void (Update::*readyRead)(), void (Update::*finished)())
{
    // The finished file stays where it is (it may be on offer) until a
    // complete, checked one replaces it.
    m_currentFile = fileName;
    d.address = base_location().resolved(QUrl(fileName));
    d.workPath = fileName + kPartial;
    d.version = version;
    d.limit = limit;
    d.restarted = false;
    d.offset = 0;
    d.validator.clear();
    // A partial file is continued only when it is known to be part of the file
    // the server has now: fetched for this version, with the validator the
    // server gave, which If-Range asks the server to confirm. Anything else is
    // fetched from the start, replacing the partial file once data arrive.
    const QFileInfo part(d.workPath);
    const PartInfo info = readPartInfo(d.workPath + kPartInfo);
    if (!part.isSymLink() && part.isFile() && part.size() > 0 && part.size() <= limit &&
        !info.validator.isEmpty() && info.version == version) {
        d.offset = part.size();
        d.validator = info.validator;
    } else if (part.exists() || part.isSymLink()) {
        qDebug() << "partial file not resumed:" << d.workPath;
    }
    request(d, readyRead, finished);
}

void Update::request(Download &d, void (Update::*readyRead)(), void (Update::*finished)())
{
    QNetworkRequest request(d.address);
    request.setRawHeader("Range", QStringLiteral("bytes=%1-").arg(d.offset).toLatin1());
    if (d.offset > 0) request.setRawHeader("If-Range", d.validator);
    request.setTransferTimeout(kStallTimeoutMs);
    d.body = Body::Undecided;
    d.tooLarge = false;
    d.size = d.offset;
    d.file.reset();
    d.reply = m_manager->get(request);
    ++m_transfers;
    connect(d.reply, &QNetworkReply::readyRead, this, readyRead);
    connect(d.reply, &QNetworkReply::finished, this, finished);
}

bool Update::startFresh(Download &d, const QNetworkReply *reply)
{
    // The old partial file and its record go first: whatever is cut off from
    // here on is a true beginning of this file, under its own record.
    const QString infoPath = d.workPath + kPartInfo;
    QFile::remove(infoPath);
    QFile::remove(d.workPath);
    const QByteArray validator = validatorOf(reply);
    if (!validator.isEmpty()) {
        // Without a validator no record is kept: a cut-off download is then
        // fetched afresh next time, never resumed blindly.
        QFile info(infoPath);
        if (!writeNewFile(info,
                          "validator=" + validator + "\nversion=" + d.version.toLatin1() + "\n")) {
            info.close();
            QFile::remove(infoPath);
        }
    }
    d.offset = 0;
    d.size = 0;
    d.file = std::make_unique<QFile>(d.workPath);
    return d.file->open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

void Update::appendBody(Download &d)
{
    QNetworkReply *reply = d.reply;
    if (!reply) return;
    if (d.body == Body::Undecided) {
        // Only the part we asked for, of the file we have the beginning of, is
        // appended. A server that ignores Range, or whose file changed (If-Range
        // not met), sends the whole file, which replaces the partial one; an
        // error page or anything else is never written into it.
        const int status = statusOf(reply);
        qint64 start = 0, total = -1;
        contentRange(reply, &start, &total);
        bool fresh = false;
        if (status == 206 && start == d.offset && d.offset > 0 &&
            validatorOf(reply) == d.validator) {
            d.body = Body::Append;
        } else if ((status == 206 && start == 0 && d.offset == 0) || status == 200) {
            fresh = true;
            if (d.offset > 0) qDebug() << "whole file sent, starting afresh:" << d.workPath;
            if (status == 200) {
                total = -1;
                const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
                if (reply->rawHeader("Content-Encoding").isEmpty() && length.isValid())
                    total = length.toLongLong();
            }
        } else {
            d.body = Body::Drop;
        }
        if (d.body != Body::Drop && total > d.limit) {
            // Announced too large: nothing of it is written.
            d.tooLarge = true;
            reply->abort();
            return;
        }
        if (fresh) {
            if (!startFresh(d, reply)) {
                qDebug() << "__________" << d.file->errorString();
                d.body = Body::Drop;
                reply->abort();
                return;
            }
            d.body = Body::Append;
        }
    }
    if (d.body == Body::Drop) {
        reply->readAll();
        return;
    }
    if (d.size + reply->bytesAvailable() > d.limit) {
        // Past the bound (a compressed reply's length is only known as it
        // arrives): the transfer stops and the partial file goes.
        d.tooLarge = true;
        reply->abort();
        return;
    }
    if (!d.file) {
        d.file = std::make_unique<QFile>(d.workPath);
        if (!d.file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            d.file.reset();
            return; // the data stay in the reply until the next call
        }
    }
    const QByteArray data = reply->readAll();
    if (d.file->write(data) != data.size()) {
        // The file still holds a true beginning of the download (a short
        // write only drops the tail); appending more behind a gap would not.
        qDebug() << "__________" << d.file->errorString();
        d.body = Body::Drop;
        d.file.reset();
        reply->abort();
        return;
    }
    d.size += data.size();
}

Update::Outcome Update::dropTooLarge(Download &d)
{
    d.reply = nullptr;
    d.file.reset();
    QFile::remove(d.workPath);
    QFile::remove(d.workPath + kPartInfo);
    qDebug() << "__________"
             << "larger than" << d.limit << "bytes:" << d.address.toString();
    return Outcome::Failed;
}

void Update::restartFromZero(Download &d)
{
    // The partial file is not part of the server's file: it goes.
    QFile::remove(d.workPath);
    QFile::remove(d.workPath + kPartInfo);
    d.offset = 0;
    d.validator.clear();
    d.restarted = true;
}

Update::Outcome Update::finish(Download &d)
{
    QNetworkReply *reply = d.reply;
    if (!reply) return Outcome::Failed;
    reply->deleteLater();
    const int status = statusOf(reply);
    qint64 start = -1, total = -1;
    contentRange(reply, &start, &total);

    if (d.tooLarge) return dropTooLarge(d);
    if (status == 416) {
        // Nothing left after our offset, of the file the partial one is part
        // of (If-Range met): done when the partial file is the whole file, a
        // fresh start when it is longer.
        d.reply = nullptr;
        d.file.reset();
        if (d.offset > 0 && total >= 0 && partialSize(d.workPath) == total)
            return Outcome::Complete;
        if (d.restarted) return Outcome::Failed;
        restartFromZero(d);
        return Outcome::Restart;
    }
    if (reply->error() != QNetworkReply::NoError) {
        d.reply = nullptr;
        d.file.reset();
        qDebug() << "__________" << reply->errorString();
        return Outcome::Failed;
    }
    appendBody(d); // what arrived after the last readyRead
    if (d.tooLarge) return dropTooLarge(d);
    d.reply = nullptr;
    const bool flushed = !d.file || d.file->flush();
    d.file.reset();
    if (reply->bytesAvailable() > 0 || !flushed) {
        qDebug() << "__________"
                 << "could not write" << d.workPath;
        return Outcome::Failed;
    }
    if (d.body == Body::Undecided && status == 200) {
        // The whole file, and it is empty.
        const bool made = startFresh(d, reply);
        d.file.reset();
        return made ? Outcome::Complete : Outcome::Failed;
    }
    if (d.body == Body::Drop || (status != 200 && status != 206)) {
        qDebug() << "__________"
                 << "unexpected reply" << status << d.address.toString();
        if (status == 206 && !d.restarted) {
            // A part other than the one asked for, or of another file: start
            // the file again.
            restartFromZero(d);
            return Outcome::Restart;
        }
        return Outcome::Failed;
    }
    // A connection closed mid-file can end the reply without an error; only a
    // partial file of the length the server announced is complete.
    qint64 expected = -1;
    if (status == 206) {
        expected = total;
    } else if (reply->rawHeader("Content-Encoding").isEmpty()) {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) expected = length.toLongLong();
    }
    if (expected >= 0 && partialSize(d.workPath) != expected) {
        qDebug() << "__________"
                 << "incomplete" << d.workPath << partialSize(d.workPath) << "of" << expected;
        return Outcome::Failed;
    }
    return Outcome::Complete;
}

void Update::onReadyRead()
{
    appendBody(m_package);
}

void Update::onFWReadyRead()
{
    appendBody(m_firmware);
}

void Update::onFinished()
{
    const Outcome outcome = finish(m_package);
    if (outcome == Outcome::Restart) {
        request(m_package, &Update::onReadyRead, &Update::onFinished);
    } else if (outcome == Outcome::Complete && QFile::exists(m_package.workPath)) {
        if (replace_file(m_package.workPath, kPackage)) {
            QFile::remove(m_package.workPath + kPartInfo);
            startUnpack(QStringLiteral("KIVOMouse-PC") + QStringLiteral("-V") +
                        versionText(app_major, app_minor, app_revision) + QStringLiteral(".exe"));
        } else {
            qDebug() << "__________"
                     << "cannot rename" << m_package.workPath;
        }
    }
    transferEnded();
}

void Update::onFWFinished()
{
    const Outcome outcome = finish(m_firmware);
    if (outcome == Outcome::Restart) {
        request(m_firmware, &Update::onFWReadyRead, &Update::onFWFinished);
    } else if (outcome == Outcome::Complete && QFile::exists(m_firmware.workPath)) {
        const QString name = m_firmware.workPath.left(m_firmware.workPath.lastIndexOf(kPartial));
        if (!imageUsable(m_firmware.workPath)) {
            // Not an image the flash would take: the one on offer, if any, stays.
            qDebug() << "__________"
                     << "not a firmware image:" << m_firmware.address.toString();
            QFile::remove(m_firmware.workPath);
            QFile::remove(m_firmware.workPath + kPartInfo);
        } else if (replace_file(m_firmware.workPath, name)) {
            QFile::remove(m_firmware.workPath + kPartInfo);
            fw_version_str = versionText(fw_major, fw_minor, fw_patch);
            qDebug() << "Get FW updatefile Finished.";
            emit signalGetFWUpdateFinished(name);
        } else {
            qDebug() << "__________"
                     << "cannot rename" << m_firmware.workPath;
        }
    }
    transferEnded();
}

// ---- taking the program out of the package ----------------------------------------

void Update::startUnpack(const QString &program)
{
    m_package.workPath = program;
    m_unpack =
        std::make_unique<ProgramUnpack>(kPackage, QDir::currentPath(), program, limits.program);
    ++m_transfers;
    unpackStep();
}

void Update::unpackStep()
{
    if (!m_unpack) return; // stopped meanwhile
    const ProgramUnpack::State state = m_unpack->step();
    if (state == ProgramUnpack::State::Running) {
        // Each step goes back to the event loop: a stop, or the thread's quit
        // when the program ends, is taken between any two.
        QMetaObject::invokeMethod(this, &Update::unpackStep, Qt::QueuedConnection);
        return;
    }
    endUnpack();
    if (state == ProgramUnpack::State::Done) {
        qDebug() << "Get updatefile Finished.";
        emit signalGetUpdateFinished(m_package.workPath);
    }
    transferEnded();
}

void Update::endUnpack()
{
    m_unpack.reset(); // removes what an unfinished unpack made
    QFile::remove(kPackage);
}

// ---- the end of a check --------------------------------------------------------------

void Update::stop()
{
    // abort() finishes each reply at once, through its handler.
    if (m_versionReply) m_versionReply->abort();
    if (m_package.reply) m_package.reply->abort();
    if (m_firmware.reply) m_firmware.reply->abort();
    if (m_unpack) {
        qDebug() << "unpack stopped:" << kPackage;
        endUnpack();
        transferEnded();
    }
}

void Update::transferEnded()
{
    if (--m_transfers > 0) return;
    endCheck();
}

void UpdateCheck::endCheck()
{
    QThread *own = thread();
    if (!own || own == QCoreApplication::instance()->thread()) return;
    // The quit goes through the window's thread, behind the signals emitted
    // before it, so this worker is still alive when the window handles them.
    QMetaObject::invokeMethod(
        own, [own] { own->quit(); }, Qt::QueuedConnection);
}
