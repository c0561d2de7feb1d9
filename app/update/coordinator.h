// app/update: the online update (the worker on its thread, the manifest and file-name rules, the
// window's coordination of checks and offers).
//
// The window's side of the online update: one check at a time on a thread of
// its own (a check asked for while one runs stops it and follows it), the
// programs downloaded by earlier checks, and starting the new program.
#ifndef UPDATE_COORDINATOR_H
#define UPDATE_COORDINATOR_H

#include <QObject>
#include <QPointer>
#include <QStringList>

class QThread;
class UpdateCheck;

class UpdateCoordinator : public QObject
{
    Q_OBJECT
public:
    // Where a check runs: a check over https in a helper process (the TLS
    // library then never stays in this one), any other here; or always here,
    // in the helper itself.
    enum class Place { ByScheme, Here };
    explicit UpdateCoordinator(Place place = Place::ByScheme) : m_place(place) {}
    ~UpdateCoordinator() override;

    // Starts a check, or stops the running one and starts it once that ends.
    void start();
    // Stops the running check and waits for its thread. A download cut off
    // here leaves its partial file for the next start.
    void stop();

    // Deletes downloaded programs not newer than this one; returns the
    // names of the newer ones, oldest first.
    static QStringList scan_downloaded_programs();
    // Starts the downloaded program file (in the working folder); false
    // when it could not be started.
    static bool start_program(const QString &file);

    // The most recent check; both delete themselves when the thread ends.
    QPointer<QThread> thread;
    QPointer<UpdateCheck> worker;

signals:
    // A new worker, before it starts: its reports are connected here.
    void workerMade(UpdateCheck *worker);

private:
    const Place m_place;
    bool m_recheck = false; // a check is wanted once the running one has ended
};

#endif
