#include "device/kivomouse.h"

#include <cstring>

void TcharToChar(const wchar_t *tchar, char *out, size_t size)
{
    if (!out || size == 0) return;
    out[0] = '\0';
    if (!tchar) return;
    const QByteArray local = QString::fromWCharArray(tchar).toLocal8Bit();
    const size_t n = qMin(size_t(local.size()), size - 1);
    memcpy(out, local.constData(), n);
    out[n] = '\0';
}
