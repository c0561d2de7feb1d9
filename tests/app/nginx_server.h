// A real nginx on 127.0.0.1 for the update tests: configuration, logs and
// the served folder live in a temporary directory; every start writes a new
// configuration, so a test can switch rate limits, Range handling or TLS.
#ifndef NGINX_SERVER_H
#define NGINX_SERVER_H

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

// nginx goes when the test goes, even when a sanitizer finding or a timeout
// kills it: a server left behind would hold CTest's output open.
class ChildOfTest : public QProcess
{
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGKILL); }
};

class NginxServer
{
public:
    struct Options {
        QString serverDirectives; // extra lines inside server { }
        bool tls = false;         // serve https with a self-signed certificate
        // With tls: this certificate (chain) and key instead of the self-signed one.
        QString certificateFile, keyFile;
    };

    NginxServer() { QDir(m_dir.path()).mkpath(QStringLiteral("root/gaming-mouse")); }
    ~NginxServer() { stop(); }

    // The folder served as /gaming-mouse/.
    QString folder() const { return m_dir.path() + QStringLiteral("/root/gaming-mouse"); }
    QString url() const
    {
        return QStringLiteral("%1://127.0.0.1:%2/gaming-mouse/")
            .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(m_port);
    }

    void put(const QString &name, const QByteArray &data) const
    {
        QFile f(folder() + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data);
    }
    void remove(const QString &name) const { QFile::remove(folder() + QLatin1Char('/') + name); }

    // One line per request: "<uri> <status> "<Range header>" <body bytes> "<If-Range header>"".
    // The self-signed certificate of an https server.
    QString certificate() const { return m_dir.path() + QStringLiteral("/cert.pem"); }

    QStringList accessLog() const
    {
        QFile f(m_dir.path() + QStringLiteral("/access.log"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void clearLog() const { QFile(m_dir.path() + QStringLiteral("/access.log")).resize(0); }
    QString errorLog() const
    {
        QFile f(m_dir.path() + QStringLiteral("/error.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    bool start() { return start(Options{}); }
    bool start(const Options &options)
    {
        stop();
        m_tls = options.tls;
        if (m_tls && options.certificateFile.isEmpty() && !makeCertificate()) return false;
        for (int attempt = 0; attempt < 5; ++attempt) {
            m_port = freePort();
            writeConfig(options);
            m_process.setProgram(QStringLiteral("/usr/sbin/nginx"));
            m_process.setArguments({QStringLiteral("-p"), m_dir.path(), QStringLiteral("-e"),
                                    m_dir.path() + QStringLiteral("/error.log"),
                                    QStringLiteral("-c"),
                                    m_dir.path() + QStringLiteral("/nginx.conf")});
            m_process.setProcessChannelMode(QProcess::ForwardedChannels);
            m_process.start();
            if (!m_process.waitForStarted(5000)) return false;
            if (waitListening()) return true;
            stop(); // the port was taken meanwhile: another one
        }
        return false;
    }

    // Ends the server at once, cutting off any transfer in progress.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    bool waitListening()
    {
        for (int i = 0; i < 200 && m_process.state() == QProcess::Running; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            if (s.waitForConnected(100)) return true;
            QThread::msleep(10);
        }
        return false;
    }

    bool makeCertificate()
    {
        const QString d = m_dir.path();
        if (QFile::exists(d + QStringLiteral("/cert.pem"))) return true;
        return QProcess::execute(
                   QStringLiteral("openssl"),
                   {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                    QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                    QStringLiteral("-keyout"), d + QStringLiteral("/key.pem"),
                    QStringLiteral("-out"), d + QStringLiteral("/cert.pem")}) == 0;
    }

    void writeConfig(const Options &options)
    {
        const QString d = m_dir.path();
        QString tls;
        if (m_tls && !options.certificateFile.isEmpty())
            tls = QStringLiteral("ssl_certificate %1;\nssl_certificate_key %2;\n")
                      .arg(options.certificateFile, options.keyFile);
        else if (m_tls)
            tls = QStringLiteral("ssl_certificate %1/cert.pem;\nssl_certificate_key %1/key.pem;\n")
                      .arg(d);
        const QString conf =
            QStringLiteral(
                "daemon off;\nmaster_process off;\nworker_processes 1;\npid %1/nginx.pid;\n"
                "error_log %1/error.log;\nevents { worker_connections 64; }\n"
                "http {\n"
                "  default_type application/octet-stream;\n"
                "  log_format ranges '$uri $status \"$http_range\" $body_bytes_sent "
                "\"$http_if_range\"';\n"
                "  access_log %1/access.log ranges;\n"
                "  client_body_temp_path %1/tmp_body;\n  proxy_temp_path %1/tmp_proxy;\n"
                "  fastcgi_temp_path %1/tmp_fcgi;\n  uwsgi_temp_path %1/tmp_uwsgi;\n"
                "  scgi_temp_path %1/tmp_scgi;\n"
                "  server {\n    listen 127.0.0.1:%2%3;\n    root %1/root;\n%4%5\n  }\n"
                "}\n")
                .arg(d)
                .arg(m_port)
                .arg(m_tls ? QStringLiteral(" ssl") : QString())
                .arg(tls, options.serverDirectives);
        QFile f(d + QStringLiteral("/nginx.conf"));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(conf.toUtf8());
    }

    QTemporaryDir m_dir;
    ChildOfTest m_process;
    quint16 m_port = 0;
    bool m_tls = false;
};

#endif
