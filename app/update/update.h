// The online update worker: fetches the manifest, downloads a newer program
// package and firmware image into the current directory (resuming partial
// files), unpacks the package and reports the finished files. It lives on a
// thread of its own and reaches the window only through its two signals.
#ifndef UPDATE_H
#define UPDATE_H

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class Update : public QObject
{
    Q_OBJECT
public:
    explicit Update(QObject *parent = nullptr);
    ~Update() override;

    // The firmware version of the finished image as major.minor.patch.
    QString fw_version_str;

    // The server folder: KIVO_UPDATE_URL when it names an http(s) address,
    // else our https location; always ending in '/'.
    static QUrl base_location();

    // What a finished transfer amounts to; public for the tests of the rules.
    enum class Outcome { Failed, Complete, Restart };

signals:
    void signalGetUpdateFinished(const QString &filename);
    void signalGetFWUpdateFinished(const QString &filename);

public slots:
    void onReadyRead();
    void onFinished();
    void onFWReadyRead();
    void onFWFinished();
    void get_version_Finished();
    void downloadFile();
    void downloadFW();
    void checkUpdate();
    // Ends the check early: every transfer is aborted, partial files stay.
    void stop();

private:
    // How the body of a download reply is used, decided from its status.
    enum class Body { Undecided, Append, Fresh, Drop };
    struct Download {
        QNetworkReply *reply = nullptr;
        QUrl address;
        QString workPath; // the partial file
        qint64 offset = 0;
        Body body = Body::Undecided;
        bool restarted = false;
    };

    void startDownload(Download &d, const QString &fileName, void (Update::*readyRead)(),
                       void (Update::*finished)());
    void request(Download &d, void (Update::*readyRead)(), void (Update::*finished)());
    void appendBody(Download &d);
    Outcome finish(Download &d);
    bool unpack(const QString &archive);
    void transferEnded();

    QNetworkAccessManager *m_manager;
    QNetworkReply *m_versionReply = nullptr;
    Download m_package;
    Download m_firmware;
    qint8 app_major = 0, app_minor = 0, app_revision = 0;
    qint8 fw_major = 0, fw_minor = 0, fw_patch = 0;
    QString m_currentFile;
    int m_transfers = 0;          // requests in flight; the thread ends at zero
    unsigned char m_installed[3]; // the mouse's firmware version when the check was made
};

#endif
