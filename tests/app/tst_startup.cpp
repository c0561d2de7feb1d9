// The program as a process: options, the single instance, refusing a missing
// or incomplete device library.
#include "platform/loaderror.h"
#include "startup.h"

#include <QFile>
#include <QProcess>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/stat.h>

class Startup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void unknownOptionExitsWithOne();
    void missingLibraryIsRefused();
    void libraryMissingAnExportIsRefused();
    void loadFailureCodes();
    void systemCodeIsTakenBeforeTheFileCheck();
    void secondCopyRefusedUntilTheFirstIsKilled();
    void markerClaimedOverAKilledCopysSegment();

private:
    QProcessEnvironment env(const QString &library) const;
    // Starts the program and waits until its window state is settled.
    void startRunning(QProcess &p);
    QTemporaryDir m_tmp;
};

void Startup::initTestCase()
{
    QVERIFY(m_tmp.isValid());
}

QProcessEnvironment Startup::env(const QString &library) const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QT_QPA_PLATFORM", "offscreen");
    e.insert("VELQA_LIBRARY", library);
    e.insert("KIVO_AUTOCLOSE_BOXES", "1");
    e.insert("QT_LOGGING_TO_CONSOLE", "1"); // debug lines to stderr, not the journal
    // The single-instance marker is keyed on a file in the temporary folder:
    // a folder of our own keeps these runs apart from anything else running.
    e.insert("TMPDIR", m_tmp.path());
    e.insert("XDG_CONFIG_HOME", m_tmp.path());
    e.insert("VMOUSE_STATE", "");
    return e;
}

void Startup::startRunning(QProcess &p)
{
    p.setProcessEnvironment(env(VMOUSE_LIBRARY));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(KIVO_EXECUTABLE, {"-h"});
    QVERIFY(p.waitForStarted());
    // "PATH:" is written once the mouse is open, after the marker is claimed.
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT(
        (out += p.readAll()).contains("PATH:") || p.state() != QProcess::Running, 20000);
    QVERIFY2(p.state() == QProcess::Running, out.constData());
}

void Startup::unknownOptionExitsWithOne()
{
    QProcess p;
    p.setProcessEnvironment(env(VMOUSE_LIBRARY));
    p.start(KIVO_EXECUTABLE, {"--bogus"});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(!p.readAllStandardError().contains("box:")); // ended before any window
}

void Startup::missingLibraryIsRefused()
{
    QProcess p;
    p.setProcessEnvironment(env(m_tmp.filePath("nowhere/libvelqa.so")));
    p.start(KIVO_EXECUTABLE, QStringList());
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.contains("box: 2 | Load VELQA.dll fail!"), err.constData());
}

void Startup::libraryMissingAnExportIsRefused()
{
    QProcess p;
    p.setProcessEnvironment(env(PARTIAL_LIBRARY));
    p.start(KIVO_EXECUTABLE, QStringList());
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.contains("| Load VELQA.dll fail!"), err.constData());
    QVERIFY(!err.contains("PATH:")); // no entry point was ever called
}

// The code each refusal carries, from the binding itself: a missing file, a
// file that is no library, a library without all ten exports.
void Startup::loadFailureCodes()
{
    const QByteArray saved = qgetenv("VELQA_LIBRARY");
    const QString text = m_tmp.filePath("libvelqa-text.so");
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is not a library\n");
    f.close();
    const struct {
        QString file;
        unsigned long code;
    } cases[] = {{m_tmp.filePath("nowhere/libvelqa.so"), ENOENT},
                 {text, ENOEXEC},
                 {QStringLiteral(PARTIAL_LIBRARY), ENOSYS}};
    for (const auto &c : cases) {
        qputenv("VELQA_LIBRARY", QFile::encodeName(c.file));
        unsigned long code = 0;
        QVERIFY(!bind_velqa(&code));
        QCOMPARE(code, c.code);
    }
    qputenv("VELQA_LIBRARY", saved);
}

void Startup::systemCodeIsTakenBeforeTheFileCheck()
{
    // As on Windows, where the file check would overwrite the load's code.
    unsigned long last = 126;
    QString order;
    const unsigned long code = failed_load_code(
        [&] {
            order += 's';
            return last;
        },
        [&] {
            order += 'f';
            last = 2;
            return false;
        });
    QCOMPARE(code, 126ul);
    QVERIFY(order.startsWith('s'));
    // Without a system code the file decides.
    QCOMPARE(failed_load_code([] { return 0ul; }, [] { return true; }),
             static_cast<unsigned long>(ENOEXEC));
    QCOMPARE(failed_load_code([] { return 0ul; }, [] { return false; }),
             static_cast<unsigned long>(ENOENT));
}

void Startup::secondCopyRefusedUntilTheFirstIsKilled()
{
    QProcess first;
    startRunning(first);

    QProcess second;
    second.setProcessEnvironment(env(VMOUSE_LIBRARY));
    second.start(KIVO_EXECUTABLE, {"-h"});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    const QByteArray err = second.readAllStandardError();
    QVERIFY2(err.contains("box: WARNING | Kivo游戏鼠标客户端已运行!"), err.constData());
    QVERIFY(!err.contains("PATH:"));
    QCOMPARE(first.state(), QProcess::Running); // left untouched

    // A copy that dies without cleaning up must not lock the next one out.
    first.kill(); // SIGKILL
    QVERIFY(first.waitForFinished(10000));
    QProcess third;
    startRunning(third);
    third.terminate();
    QVERIFY(third.waitForFinished(10000) || (third.kill(), third.waitForFinished(10000)));
}

void Startup::markerClaimedOverAKilledCopysSegment()
{
    // A killed copy's segment outlives its temporary folder; the next key file
    // takes the freed inode back and with it the segment's key.
    QTemporaryDir dir;
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    QSharedMemory marker(QStringLiteral("VELQA_Z9K_Tool"));
    const QByteArray keyFile = QFile::encodeName(marker.nativeKey());
    // The marker's lock (same key) has a key file too: made now, it cannot take the inode.
    QSystemSemaphore lock(QStringLiteral("VELQA_Z9K_Tool"), 1);
    QVERIFY(lock.acquire() && lock.release());
    QFile f(marker.nativeKey());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    struct stat st;
    QCOMPARE(stat(keyFile.constData(), &st), 0);
    const ino_t inode = st.st_ino;
    const int stale = shmget(ftok(keyFile.constData(), 'Q'), 1, IPC_CREAT | IPC_EXCL | 0600);
    QVERIFY(stale >= 0);
    QVERIFY(f.remove());

    const bool claimed = claim_single_instance(marker);
    const bool reused = stat(keyFile.constData(), &st) == 0 && st.st_ino == inode;
    shmctl(stale, IPC_RMID, nullptr); // gone already when claimed over
    QVERIFY(claimed);
    QVERIFY2(marker.isAttached(), qPrintable(marker.errorString()));
    QSharedMemory second(QStringLiteral("VELQA_Z9K_Tool"));
    QVERIFY(!claim_single_instance(second)); // and it does keep a second copy out
    marker.detach();
    qputenv("TMPDIR", before);
    if (!reused) QSKIP("the file system gave the key file a new inode");
}

QTEST_GUILESS_MAIN(Startup)
#include "tst_startup.moc"
