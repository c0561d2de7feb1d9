// The request on its way to the running program, and the reply on its way
// back: the request as JSON, and the length framing on the local socket.
#ifndef KIVOCTL_MESSAGE_H
#define KIVOCTL_MESSAGE_H

#include "kivoctl/kivoctl_request.h"

#include <QByteArray>
#include <QJsonObject>

namespace kivoctl
{

QJsonObject to_message(const Request &r);
bool from_message(const QJsonObject &o, Request *out);

// A message on the socket: its length (4 bytes, big-endian) and that many
// bytes of JSON. Requests are small; anything longer is refused unread.
constexpr int kMaxMessage = 1 << 20;
QByteArray frame_message(const QByteArray &json);
// Takes one whole message off the front of buffer; false while incomplete.
// *bad is set when the buffer cannot be a message.
bool take_message(QByteArray *buffer, QByteArray *json, bool *bad);

} // namespace kivoctl

#endif
