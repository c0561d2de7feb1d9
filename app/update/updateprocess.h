// A check over https carried out by the program itself, started as a helper
// ("kivomouse --update-check"). Once loaded, the TLS library stays in a
// process to its end, some 5 MB that the program would carry in the tray all
// day for one check; loaded in the helper, it leaves with it. The helper runs
// the same worker in the same folder, for the same mouse and with the same
// limits, and reports what it signals as lines on its output; closing its
// input stops it.
#ifndef UPDATE_PROCESS_H
#define UPDATE_PROCESS_H

#include "update/update.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

class UpdateProcess : public UpdateCheck
{
    Q_OBJECT
public:
    // Made on the window's thread: takes the mouse's firmware version, the
    // limits and the working folder now, as a worker made here would.
    explicit UpdateProcess(const QString &program, QObject *parent = nullptr);
    // Stops a helper still running and waits for it: what it downloaded
    // stays as it left it.
    ~UpdateProcess() override;

    void checkUpdate() override;
    void stop() override;

    // The helper's executable for a check against this server folder: the
    // program beside the running executable for an https one; empty when the
    // check is made here (plain http loads no TLS) or there is no program.
    static QString helper_for(const QUrl &base);

    // The helper's side: "--update-check" first, then the mouse's version and
    // the limits. Returns the exit code.
    static constexpr const char *kOption = "--update-check";
    static int run_helper(int argc, char **argv);

private:
    void readLines();
    void handle(const QByteArray &line);
    void ended();

    QString m_program;
    QString m_folder;
    QStringList m_arguments;
    QProcess *m_process = nullptr;
    bool m_ended = false;
};

#endif
