// The program's end of kivoctl: a local server, one per user, named after the
// single-instance key. A request that arrives is carried out by the window, so
// its pages show the change at once.
#ifndef KIVOCTL_SERVER_H
#define KIVOCTL_SERVER_H

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class z9ktool;

namespace kivoctl
{

// "VELQA_Z9K_Tool" and the user's id.
QString server_name();

class ControlServer : public QObject
{
    Q_OBJECT
public:
    explicit ControlServer(z9ktool *window);
    // Takes the name over: only the holder of the single-instance marker
    // listens, so a name left by a copy that died is stale.
    bool listen();

private:
    void accept();
    void serve(QLocalSocket *socket);

    z9ktool *m_window;
    QLocalServer *m_server;
};

} // namespace kivoctl

#endif
