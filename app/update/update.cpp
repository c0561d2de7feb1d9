#include "update/update.h"

#include "device/kivomouse.h"
#include "update/updaterules.h"

#include <JlCompress.h>
#include <quazip.h>
#include <quazipfileinfo.h>

#include <QCoreApplication>
#include <QDebug>
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

} // namespace

Update::Update(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    // Taken here, on the window's thread, which keeps writing the record on
    // every attach while this worker runs on its own.
    m_installed[0] = fw_version[3];
    m_installed[1] = fw_version[4];
    m_installed[2] = fw_version[5];
}

Update::~Update() = default;

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
    startDownload(m_package, kPackage, &Update::onReadyRead, &Update::onFinished);
}

void Update::downloadFW()
{
    qDebug() << "download FW" << base_location().resolved(QUrl(kFirmware)).toString();
    startDownload(m_firmware, kFirmware, &Update::onFWReadyRead, &Update::onFWFinished);
}

void Update::startDownload(Download &d, const QString &fileName, void (Update::*readyRead)(),
                           void (Update::*finished)())
{
    m_currentFile = fileName;
    if (QFile::exists(fileName)) QFile::remove(fileName);
    d.address = base_location().resolved(QUrl(fileName));
    d.workPath = fileName + kPartial;
    QFile part(d.workPath);
    d.offset = part.open(QIODevice::ReadOnly) ? part.size() : 0;
    part.close();
    d.restarted = false;
    request(d, readyRead, finished);
}

void Update::request(Download &d, void (Update::*readyRead)(), void (Update::*finished)())
{
    QNetworkRequest request(d.address);
    request.setRawHeader("Range", QStringLiteral("bytes=%1-").arg(d.offset).toLatin1());
    request.setTransferTimeout(kStallTimeoutMs);
    d.body = Body::Undecided;
    d.reply = m_manager->get(request);
    ++m_transfers;
    connect(d.reply, &QNetworkReply::readyRead, this, readyRead);
    connect(d.reply, &QNetworkReply::finished, this, finished);
}

void Update::appendBody(Download &d)
{
    QNetworkReply *reply = d.reply;
    if (!reply) return;
    if (d.body == Body::Undecided) {
        // Only the part we asked for is appended. A server that ignores Range
        // sends the whole file, which replaces the partial one; an error page
        // or anything else is never written into it.
        const int status = statusOf(reply);
        qint64 start = 0, total = 0;
        contentRange(reply, &start, &total);
        if (status == 206 && start == d.offset) {
            d.body = Body::Append;
        } else if (status == 200) {
            d.body = Body::Fresh;
            if (d.offset > 0) qDebug() << "whole file sent, starting afresh:" << d.workPath;
        } else {
            d.body = Body::Drop;
        }
    }
    if (d.body == Body::Drop) {
        reply->readAll();
        return;
    }
    QFile file(d.workPath);
    const QIODevice::OpenMode mode = d.body == Body::Fresh
                                         ? QIODevice::WriteOnly | QIODevice::Truncate
                                         : QIODevice::WriteOnly | QIODevice::Append;
    if (!file.open(mode)) return; // the data stay in the reply until the next call
    d.body = Body::Append;
    const QByteArray data = reply->readAll();
    if (file.write(data) != data.size()) {
        // The file still holds a true beginning of the download (a short
        // write only drops the tail); appending more behind a gap would not.
        qDebug() << "__________" << file.errorString();
        d.body = Body::Drop;
        file.close();
        reply->abort();
    }
}

Update::Outcome Update::finish(Download &d)
{
    QNetworkReply *reply = d.reply;
    if (!reply) return Outcome::Failed;
    reply->deleteLater();
    const int status = statusOf(reply);
    qint64 start = -1, total = -1;
    contentRange(reply, &start, &total);

    if (status == 416) {
        // Nothing left after our offset: done when the partial file is the
        // whole file, a fresh start when it is longer (the server's file changed).
        d.reply = nullptr;
        if (total >= 0 && partialSize(d.workPath) == total) return Outcome::Complete;
        if (d.restarted) return Outcome::Failed;
        QFile::remove(d.workPath);
        d.offset = 0;
        d.restarted = true;
        return Outcome::Restart;
    }
    if (reply->error() != QNetworkReply::NoError) {
        d.reply = nullptr;
        qDebug() << "__________" << reply->errorString();
        return Outcome::Failed;
    }
    appendBody(d); // what arrived after the last readyRead
    d.reply = nullptr;
    if (reply->bytesAvailable() > 0) {
        qDebug() << "__________"
                 << "could not write" << d.workPath;
        return Outcome::Failed;
    }
    if (d.body == Body::Undecided && status == 200) {
        // The whole file, and it is empty.
        QFile file(d.workPath);
        if (file.exists()) file.resize(0);
        return Outcome::Complete;
    }
    if (d.body == Body::Drop || (status != 200 && status != 206)) {
        qDebug() << "__________"
                 << "unexpected reply" << status << d.address.toString();
        if (status == 206 && !d.restarted) {
            // A part other than the one asked for: start the file again.
            QFile::remove(d.workPath);
            d.offset = 0;
            d.restarted = true;
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
        QFile::remove(kPackage);
        if (QFile::rename(m_package.workPath, kPackage)) {
            unpack(kPackage);
            QFile::remove(kPackage);
            m_package.workPath = QStringLiteral("KIVOMouse-PC") + QStringLiteral("-V") +
                                 QString::number(app_major) + QLatin1Char('.') +
                                 QString::number(app_minor) + QLatin1Char('.') +
                                 QString::number(app_revision) + QStringLiteral(".exe");
            qDebug() << "Get updatefile Finished.";
            emit signalGetUpdateFinished(m_package.workPath);
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
        fw_version_str = QString::number(fw_major) + QLatin1Char('.') + QString::number(fw_minor) +
                         QLatin1Char('.') + QString::number(fw_patch);
        const QString name = m_firmware.workPath.left(m_firmware.workPath.lastIndexOf(kPartial));
        QFile::remove(name);
        if (QFile::rename(m_firmware.workPath, name)) {
            qDebug() << "Get FW updatefile Finished.";
            emit signalGetFWUpdateFinished(name);
        } else {
            qDebug() << "__________"
                     << "cannot rename" << m_firmware.workPath;
        }
    }
    transferEnded();
}

bool Update::unpack(const QString &archive)
{
    // The unpacker keeps entry names inside the folder but would create a
    // symbolic link and then write through it, so a package with links is
    // not unpacked at all.
    {
        QuaZip zip(archive);
        if (!zip.open(QuaZip::mdUnzip)) {
            qDebug() << "__________"
                     << "not a zip archive:" << archive;
            return false;
        }
        for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
            QuaZipFileInfo64 info;
            if (!zip.getCurrentFileInfo(&info) || info.isSymbolicLink()) {
                qDebug() << "__________"
                         << "package refused:" << zip.getCurrentFileName();
                return false;
            }
        }
    }
    JlCompress::extractDir(archive, QStringLiteral("."));
    return true;
}

// ---- the end of a check --------------------------------------------------------------

void Update::stop()
{
    // abort() finishes each reply at once, through its handler.
    if (m_versionReply) m_versionReply->abort();
    if (m_package.reply) m_package.reply->abort();
    if (m_firmware.reply) m_firmware.reply->abort();
}

void Update::transferEnded()
{
    if (--m_transfers > 0) return;
    QThread *own = thread();
    if (!own || own == QCoreApplication::instance()->thread()) return;
    // The quit goes through the window's thread, behind the signals emitted
    // before it, so this worker is still alive when the window handles them.
    QMetaObject::invokeMethod(
        own, [own] { own->quit(); }, Qt::QueuedConnection);
}
