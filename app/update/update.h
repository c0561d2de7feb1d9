// The online update worker: fetches the manifest, downloads a newer program
// package and firmware image into the current directory (resuming a partial
// file only when it is part of the same file), takes the program out of the
// package and reports the finished files, or that an offer is no longer made.
// It lives on a thread of its own and reaches the window only through its
// signals. A finished file on offer is replaced only by a complete, checked
// one, and never deleted here.
#ifndef UPDATE_H
#define UPDATE_H

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class ProgramUnpack;
class QNetworkAccessManager;
class QNetworkReply;

// What a check reports, wherever it runs: the worker below on a thread of
// the program, or the same worker in a helper process (UpdateProcess).
class UpdateCheck : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The firmware version of the finished image as major.minor.patch.
    QString fw_version_str;

signals:
    void signalGetUpdateFinished(const QString &filename);
    void signalGetFWUpdateFinished(const QString &filename);
    // The manifest was read and offers no newer program / firmware (for the
    // mouse of this check): an offer made earlier is no longer made.
    void signalUpdateWithdrawn();
    void signalFWUpdateWithdrawn();

public slots:
    // Both are called on the check's thread; it quits that thread when done.
    virtual void checkUpdate() = 0;
    // Ends the check early: partial downloads stay for the next check.
    virtual void stop() = 0;

protected:
    // The check is over: its thread quits (unless it runs on the window's).
    void endCheck();
};

class Update : public UpdateCheck
{
    Q_OBJECT
public:
    explicit Update(QObject *parent = nullptr);
    ~Update() override;

    // The server folder: KIVO_UPDATE_URL when it names an http(s) address,
    // else our https location; always ending in '/'.
    static QUrl base_location();

    // What a finished transfer amounts to; public for the tests of the rules.
    enum class Outcome { Failed, Complete, Restart };

    // The largest files taken: a download or a program past its bound is
    // stopped and removed. Tests narrow them; set before a check starts.
    struct Limits {
        qint64 firmware;
        qint64 package;
        qint64 program; // the program inside the package
    };
    static Limits limits;
    static const Limits kDefaultLimits;

public slots:
    void onReadyRead();
    void onFinished();
    void onFWReadyRead();
    void onFWFinished();
    void get_version_Finished();
    void downloadFile();
    void downloadFW();
    void checkUpdate() override;
    // Every transfer is aborted, partial downloads stay; an unpack under way
    // is given up, leaving nothing behind.
    void stop() override;

private:
    // How the body of a download reply is used, decided from its status.
    enum class Body { Undecided, Append, Drop };
    struct Download {
        QNetworkReply *reply = nullptr;
        QUrl address;
        QString workPath;     // the partial file
        QString version;      // the manifest's version it is fetched for
        QByteArray validator; // the server's ETag or date of the file the partial is part of
        qint64 limit = 0;
        qint64 offset = 0; // where the reply's body starts in the file
        qint64 size = 0;   // what the partial file holds
        Body body = Body::Undecided;
        bool restarted = false;
        bool tooLarge = false;
        std::unique_ptr<QFile> file;
    };

    void startDownload(Download &d, const QString &fileName, const QString &version, qint64 limit,
                       void (Update::*readyRead)(), void (Update::*finished)());
    void request(Download &d, void (Update::*readyRead)(), void (Update::*finished)());
    void appendBody(Download &d);
    bool startFresh(Download &d, const QNetworkReply *reply);
    Outcome dropTooLarge(Download &d);
    void restartFromZero(Download &d);
    Outcome finish(Download &d);
    void startUnpack(const QString &program);
    void unpackStep();
    void endUnpack();
    void transferEnded();

    QNetworkAccessManager *m_manager;
    QNetworkReply *m_versionReply = nullptr;
    Download m_package;
    Download m_firmware;
    quint32 app_major = 0, app_minor = 0, app_revision = 0;
    quint8 fw_major = 0, fw_minor = 0, fw_patch = 0;
    QString m_currentFile;
    std::unique_ptr<ProgramUnpack> m_unpack;
    int m_transfers = 0;          // requests in flight; the thread ends at zero
    unsigned char m_installed[3]; // the mouse's firmware version when the check was made
};

#endif
