// The backup file: the JSON "show --json" prints, every setting with the
// record the mouse reported, and what "restore" reads back, checked throughout.
#ifndef KIVOCTL_BACKUP_H
#define KIVOCTL_BACKUP_H

#include "kivoctl/kivoctl_request.h"
#include "kivoctl/kivoctl_snapshot.h"

#include <QByteArray>
#include <QString>

namespace kivoctl
{

QByteArray snapshot_json(const Snapshot &s);

// A backup read into a restore request; error: the one line.
QString parse_backup(const QByteArray &json, Request *out);

} // namespace kivoctl

#endif
