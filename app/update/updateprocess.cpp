#include "update/updateprocess.h"

#include "device/kivomouse.h"
#include "update/coordinator.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QThread>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{

// Longer lines are not the helper's.
const qint64 kMaxLine = 1024;
// A stopped helper ends its transfers at once; one that does not is killed.
const int kStopWaitMs = 5000;

// Lines the helper writes, one per signal of its worker.
const QByteArray kProgram = "program ";
const QByteArray kFirmware = "firmware ";
const QByteArray kProgramWithdrawn = "program-withdrawn";
const QByteArray kFirmwareWithdrawn = "firmware-withdrawn";

// A file of the working folder, named by itself: nothing that reaches elsewhere.
bool plain_file_name(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (const QChar c : name)
        if (c < QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c == QLatin1Char(':'))
            return false;
    return true;
}

bool version_text(const QByteArray &v)
{
    if (v.isEmpty() || v.size() > 32) return false;
    for (const char c : v)
        if (!(c == '.' || (c >= '0' && c <= '9'))) return false;
    return true;
}

// The helper's output and input: the standard handles the program gave it.
void write_out(const QByteArray &line)
{
#ifdef Q_OS_WIN
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.constData(), DWORD(line.size()), &written,
              nullptr);
#else
    qint64 done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(1, line.constData() + done, size_t(line.size() - done));
        if (n <= 0) return; // the program is gone
        done += n;
    }
#endif
}

void wait_input_end()
{
    char buffer[64];
#ifdef Q_OS_WIN
    DWORD n = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &n, nullptr) && n > 0) {
    }
#else
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
#endif
}

// The helper's input: when it ends, the program wants the check stopped. The
// reader may outlive the event loop, blocked in its read; it reaches the
// application only while the loop runs.
class InputEnd : public QThread
{
public:
    static QBasicMutex gate;
    static QCoreApplication *running;
    static QPointer<UpdateCheck> *worker;

protected:
    void run() override
    {
        wait_input_end();
        const QMutexLocker lock(&gate);
        if (!running) return;
        QMetaObject::invokeMethod(running, [] {
            if (*worker) QMetaObject::invokeMethod(*worker, &UpdateCheck::stop, Qt::QueuedConnection);
        });
    }
};
QBasicMutex InputEnd::gate;
QCoreApplication *InputEnd::running = nullptr;
QPointer<UpdateCheck> *InputEnd::worker = nullptr;

bool parse_arguments(const QStringList &args, unsigned char installed[3], Update::Limits *limits)
{
    if (args.size() != 6) return false;
    const QStringList v = args.at(2).split(QLatin1Char('.'));
    if (v.size() != 3) return false;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const uint part = v.at(i).toUInt(&ok);
        if (!ok || part > 255) return false;
        installed[i] = static_cast<unsigned char>(part);
    }
    qint64 *const fields[] = {&limits->firmware, &limits->package, &limits->program};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const qint64 value = args.at(3 + i).toLongLong(&ok);
        if (!ok || value < 0) return false;
        *fields[i] = value;
    }
    return true;
}

} // namespace

UpdateProcess::UpdateProcess(const QString &program, QObject *parent)
    : UpdateCheck(parent), m_program(program), m_folder(QDir::currentPath())
{
    const Update::Limits &l = Update::limits;
    m_arguments << QString::fromLatin1(kOption)
                << QStringLiteral("%1.%2.%3").arg(fw_version[3]).arg(fw_version[4]).arg(fw_version[5])
                << QString::number(l.firmware) << QString::number(l.package)
                << QString::number(l.program);
}

UpdateProcess::~UpdateProcess()
{
    if (!m_process || m_process->state() == QProcess::NotRunning) return;
    m_process->disconnect(this);
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(kStopWaitMs)) {
        qDebug() << "__________"
                 << "update helper did not stop, killed";
        m_process->kill();
        m_process->waitForFinished(kStopWaitMs);
    }
}

QString UpdateProcess::helper_for(const QUrl &base)
{
    if (base.scheme() != QLatin1String("https")) return {};
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("kivomouse.exe");
#else
    const QString name = QStringLiteral("kivomouse");
#endif
    const QFileInfo program(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name);
    return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
}

void UpdateProcess::checkUpdate()
{
    if (m_process) return;
    m_process = new QProcess(this);
    // Its debug lines are the program's.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setWorkingDirectory(m_folder);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &UpdateProcess::readLines);
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
                if (status == QProcess::CrashExit)
                    qDebug() << "__________"
                             << "update helper crashed";
                else if (code != 0)
                    qDebug() << "__________"
                             << "update helper ended with code" << code;
                ended();
            });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        qDebug() << "__________"
                 << "cannot start" << m_program << m_process->errorString();
        ended();
    });
    m_process->start(m_program, m_arguments);
}

void UpdateProcess::stop()
{
    if (m_process && m_process->state() != QProcess::NotRunning) m_process->closeWriteChannel();
}

void UpdateProcess::readLines()
{
    while (m_process->canReadLine())
        handle(m_process->readLine(kMaxLine));
}

void UpdateProcess::handle(const QByteArray &raw)
{
    // A line cut off (too long, or the helper ended inside it) says nothing.
    if (!raw.endsWith('\n')) return;
    const QByteArray line = raw.left(raw.size() - 1);
    if (line == kProgramWithdrawn) {
        emit signalUpdateWithdrawn();
    } else if (line == kFirmwareWithdrawn) {
        emit signalFWUpdateWithdrawn();
    } else if (line.startsWith(kProgram)) {
        const QString name = QString::fromUtf8(line.mid(kProgram.size()));
        if (plain_file_name(name)) emit signalGetUpdateFinished(name);
    } else if (line.startsWith(kFirmware)) {
        const QByteArray rest = line.mid(kFirmware.size());
        const int space = rest.indexOf(' ');
        const QByteArray version = rest.left(space);
        const QString name = QString::fromUtf8(rest.mid(space + 1));
        if (space < 0 || !version_text(version) || !plain_file_name(name)) return;
        fw_version_str = QString::fromLatin1(version);
        emit signalGetFWUpdateFinished(name);
    }
}

void UpdateProcess::ended()
{
    if (m_ended) return;
    m_ended = true;
    readLines(); // the helper has ended: what it wrote is all there
    endCheck();
}

// ---- the helper ---------------------------------------------------------------------

int UpdateProcess::run_helper(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    unsigned char installed[3];
    Update::Limits limits = Update::kDefaultLimits;
    if (!parse_arguments(QCoreApplication::arguments(), installed, &limits)) {
        qDebug() << "update helper: usage:" << kOption << "MAJOR.MINOR.PATCH FIRMWARE PACKAGE PROGRAM";
        return 2;
    }
    // This process has no mouse: the version is the one of the program's.
    fw_version[3] = installed[0];
    fw_version[4] = installed[1];
    fw_version[5] = installed[2];
    Update::limits = limits;

    UpdateCoordinator checks(UpdateCoordinator::Place::Here);
    QObject::connect(&checks, &UpdateCoordinator::workerMade, &app, [&app](UpdateCheck *w) {
        QObject::connect(w, &UpdateCheck::signalGetUpdateFinished, &app,
                         [](const QString &name) { write_out(kProgram + name.toUtf8() + '\n'); });
        QObject::connect(w, &UpdateCheck::signalGetFWUpdateFinished, &app, [w](const QString &name) {
            // The worker is alive until this has run, as in the window.
            write_out(kFirmware + w->fw_version_str.toLatin1() + ' ' + name.toUtf8() + '\n');
        });
        QObject::connect(w, &UpdateCheck::signalUpdateWithdrawn, &app,
                         [] { write_out(kProgramWithdrawn + '\n'); });
        QObject::connect(w, &UpdateCheck::signalFWUpdateWithdrawn, &app,
                         [] { write_out(kFirmwareWithdrawn + '\n'); });
    });
    checks.start();
    QObject::connect(checks.thread.data(), &QThread::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    // The program closes the input to stop the check, or by ending.
    InputEnd::running = &app;
    InputEnd::worker = &checks.worker;
    // Never deleted: it may still be blocked when the process ends.
    static InputEnd *const reader = new InputEnd;
    reader->start();

    const int code = QCoreApplication::exec();
    {
        const QMutexLocker lock(&InputEnd::gate);
        InputEnd::running = nullptr;
    }
    return code;
}
