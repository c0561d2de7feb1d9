#include "update/updaterules.h"

#include "device/kivomouse.h"

#include <QDebug>
#include <QStringList>

namespace updaterules
{

namespace
{
const int kAppVersion = APP_VERSION_MAJOR * 10000 + APP_VERSION_MINOR * 100 + APP_VERSION_REVISION;
}

Offer read_manifest(const QByteArray &data, const unsigned char installed[3])
{
    Offer offer;
    QByteArray body = data;
    const int zero = body.indexOf('\0');
    if (zero >= 0) body.truncate(zero);
    QStringList lines = QString::fromUtf8(body).split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    // A server may end its lines with "\r\n", or pad them.
    for (QString &line : lines)
        line = line.trimmed();
    if (lines.size() < 4) return offer;
    offer.understood = true;

    const int v = lines.at(2).toInt(); // 0 when not a number
    qDebug() << "server app ver:" << v;
    if (v > kAppVersion) {
        offer.app = true;
        offer.app_major = quint32(v / 10000);
        offer.app_minor = quint32((v % 10000) / 100);
        offer.app_revision = quint32(v % 100);
        qDebug() << "app need Update：" << offer.app_major << offer.app_minor << offer.app_revision;
    }

    if (installed[2] > 21) {
        const QStringList parts = lines.at(3).split(QLatin1Char('.'), Qt::KeepEmptyParts);
        int p[3] = {0, 0, 0};
        bool numeric = parts.size() >= 3;
        // The mouse keeps each part in one byte: a part outside 0-255 is no
        // version of it (and would overflow the comparison value below).
        for (int i = 0; numeric && i < 3; ++i) {
            p[i] = parts.at(i).toInt(&numeric);
            numeric = numeric && p[i] >= 0 && p[i] <= 255;
        }
        qDebug() << lines.at(3) << installed[0] << installed[1] << installed[2];
        if (!numeric) {
            // Not a version: nothing to compare, so nothing is offered.
            qDebug() << "firmware line not understood";
        } else {
            const int remote = p[0] * 65536 + p[1] * 256 + p[2];
            const int ours = installed[0] * 65536 + installed[1] * 256 + installed[2];
            qDebug() << p[0] << p[1] << p[2];
            qDebug() << "remote_fw_ver=" << remote;
            qDebug() << "hw_fw_ver=" << ours;
            if (installed[0] == 0xFF || remote > ours) {
                offer.firmware = true;
                offer.fw_major = quint8(p[0]);
                offer.fw_minor = quint8(p[1]);
                offer.fw_patch = quint8(p[2]);
            }
        }
    }
    return offer;
}

bool program_version(const QString &name, int *value)
{
    const QStringList parts = name.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != 4) return false;
    bool okMajor = false, okMinor = false, okRevision = false;
    const uint major = parts.at(0).right(1).toUInt(&okMajor);
    const uint minor = parts.at(1).toUInt(&okMinor);
    const uint revision = parts.at(2).toUInt(&okRevision);
    // A name that carries no version is not one of our downloads; nor is one
    // whose parts do not fit the numbers a version is made of (a sign, 300).
    if (!okMajor || !okMinor || !okRevision || minor > 0xFF || revision > 0xFFFF) return false;
    *value = int(major * 10000 + minor * 100 + revision);
    return true;
}

} // namespace updaterules
