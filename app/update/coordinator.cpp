#include "update/coordinator.h"

#include "device/kivomouse.h"
#include "update/update.h"
#include "update/updateprocess.h"
#include "update/updaterules.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QThread>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace
{
const int kAppVersion = APP_VERSION_MAJOR * 10000 + APP_VERSION_MINOR * 100 + APP_VERSION_REVISION;

// KIVO_UPDATE_CA names a PEM file of authorities trusted besides the system's,
// so that a local https server with its own certificate stands in for the
// real one. Read on the check's thread, where the TLS library loads anyway.
void load_extra_authorities()
{
    const QString file = qEnvironmentVariable("KIVO_UPDATE_CA");
    if (file.isEmpty()) return;
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(file, QSsl::Pem);
    if (extra.isEmpty()) {
        qDebug() << "KIVO_UPDATE_CA holds no certificate, ignored:" << file;
        return;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(extra);
    QSslConfiguration::setDefaultConfiguration(config);
}

// A check's network objects and the TLS library's tables are freed with its
// thread, but glibc keeps the freed heap (the thread's arena too) resident for
// later allocations; an idle program hands it back.
void release_freed_heap()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void trust_extra_authorities()
{
    static const bool once = (load_extra_authorities(), true);
    Q_UNUSED(once);
}
} // namespace

UpdateCoordinator::~UpdateCoordinator()
{
    stop();
}

void UpdateCoordinator::stop()
{
    m_recheck = false;
    if (!thread) return;
    thread->quit();
    thread->wait();
    delete thread; // its own deferred deletion needs an event loop
}

void UpdateCoordinator::start()
{
    if (thread && thread->isRunning()) {
        // Two checks at once would append to the same partial files. The
        // running one is stopped (what it has written stays and is resumed)
        // and the new one starts when its thread has ended.
        if (!m_recheck && worker)
            QMetaObject::invokeMethod(worker, &UpdateCheck::stop, Qt::QueuedConnection);
        m_recheck = true;
        return;
    }
    const QString helper =
        m_place == Place::ByScheme ? UpdateProcess::helper_for(Update::base_location()) : QString();
    auto *t = new QThread;
    UpdateCheck *w = helper.isEmpty() ? static_cast<UpdateCheck *>(new Update)
                                      : new UpdateProcess(helper);
    thread = t;
    worker = w;
    w->moveToThread(t);
    connect(t, &QThread::finished, t, &QObject::deleteLater);
    connect(t, &QThread::finished, w, &QObject::deleteLater);
    if (helper.isEmpty())
        connect(t, &QThread::started, t, &trust_extra_authorities, Qt::DirectConnection);
    // Once the thread object is gone its worker went before it.
    connect(t, &QObject::destroyed, this, &release_freed_heap);
    emit workerMade(w);
    connect(t, &QThread::finished, this, [this] {
        if (!m_recheck || (thread && thread->isRunning())) return;
        m_recheck = false;
        if (thread) thread->wait();
        start();
    });
    t->start(QThread::InheritPriority);
    // Queued, so that the network objects are used only on the worker's thread.
    QMetaObject::invokeMethod(w, &UpdateCheck::checkUpdate, Qt::QueuedConnection);
}

QStringList UpdateCoordinator::scan_downloaded_programs()
{
    const QDir here = QDir::current();
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QStringList names =
        here.entryList(QStringList(QStringLiteral("KIVOMouse-PC") + QStringLiteral("*.exe")),
                       QDir::Files | QDir::Readable, QDir::Name);
    QStringList newer;
    for (const QString &name : names) {
        int value = 0;
        if (!updaterules::program_version(name, &value)) continue;
        if (value <= kAppVersion) {
            const QString path = here.filePath(name);
            // Linux lets a running program's file be deleted.
            if (QFileInfo(path).canonicalFilePath() == running) continue;
            qDebug() << name;
            QFile::remove(path);
        } else {
            newer << name;
        }
    }
    return newer;
}

bool UpdateCoordinator::start_program(const QString &file)
{
    const QString path = QDir::current().filePath(file);
#ifndef Q_OS_WIN
    // Unpacking may not carry the execute bit over.
    const QFile::Permissions perms = QFile::permissions(path);
    if (!(perms & QFileDevice::ExeUser))
        QFile::setPermissions(path, perms | QFileDevice::ExeOwner | QFileDevice::ExeUser);
#endif
    if (!QProcess::startDetached(path, QStringList())) {
        qDebug() << "__________"
                 << "cannot start" << path;
        return false;
    }
    return true;
}
