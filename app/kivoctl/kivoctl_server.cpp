#include "kivoctl/kivoctl_server.h"

#include "kivoctl/kivoctl_apply.h"
#include "kivoctl/kivoctl_message.h"
#include "window/z9ktool.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kivoctl
{

QString server_name()
{
#ifdef Q_OS_UNIX
    const QString user = QString::number(getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    return QStringLiteral("VELQA_Z9K_Tool-") + user;
}

ControlServer::ControlServer(z9ktool *window)
    : QObject(window), m_window(window), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::accept);
}

bool ControlServer::listen()
{
    QLocalServer::removeServer(server_name());
    if (m_server->listen(server_name())) return true;
    qDebug() << "kivoctl server:" << m_server->errorString();
    return false;
}

void ControlServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        if (socket->bytesAvailable()) serve(socket);
    }
}

void ControlServer::serve(QLocalSocket *socket)
{
    QByteArray buffer = socket->property("kivoctl_buffer").toByteArray() + socket->readAll();
    QByteArray json;
    bool bad = false;
    Outcome outcome;
    if (!take_message(&buffer, &json, &bad)) {
        if (!bad) {
            socket->setProperty("kivoctl_buffer", buffer);
            return;
        }
        outcome.code = BadValue;
        outcome.err = "kivoctl: the request is too long\n";
    } else {
        Request request;
        const QJsonDocument doc = QJsonDocument::fromJson(json);
        if (!doc.isObject() || !from_message(doc.object(), &request)) {
            outcome.code = BadValue;
            outcome.err = "kivoctl: the program did not understand the request\n";
        } else {
            outcome = execute(*m_window, request);
        }
    }
    socket->setProperty("kivoctl_buffer", QByteArray());
    QJsonObject reply;
    reply[QStringLiteral("code")] = outcome.code;
    reply[QStringLiteral("out")] = QString::fromUtf8(outcome.out);
    reply[QStringLiteral("err")] = QString::fromUtf8(outcome.err);
    socket->write(frame_message(QJsonDocument(reply).toJson(QJsonDocument::Compact)));
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace kivoctl
