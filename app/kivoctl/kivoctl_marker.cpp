#include "kivoctl/kivoctl_marker.h"

#include <QSharedMemory>

namespace kivoctl
{

QSharedMemory *instance_marker = nullptr;

void set_marker_state(char state)
{
    if (!instance_marker || !instance_marker->isAttached()) return;
    instance_marker->lock();
    static_cast<char *>(instance_marker->data())[0] = state;
    instance_marker->unlock();
}

char marker_state(QSharedMemory &attached)
{
    if (!attached.isAttached() || attached.size() < 1) return MarkerIdle;
    attached.lock();
    const char c = static_cast<const char *>(attached.constData())[0];
    attached.unlock();
    return c;
}

FlashMark::FlashMark()
    : m_before(instance_marker && instance_marker->isAttached() ? marker_state(*instance_marker)
                                                                : char(MarkerIdle))
{
    set_marker_state(MarkerFlashing);
}

FlashMark::~FlashMark()
{
    set_marker_state(m_before);
}

} // namespace kivoctl
