// The single-instance marker's byte says what its holder is doing, so that a
// kivoctl finding the program unable to answer can tell why.
#ifndef KIVOCTL_MARKER_H
#define KIVOCTL_MARKER_H

class QSharedMemory;

namespace kivoctl
{

enum MarkerState : char { MarkerIdle = 0, MarkerFlashing = 1, MarkerHeadless = 2 };
extern QSharedMemory *instance_marker;
void set_marker_state(char state);
char marker_state(QSharedMemory &attached);

// Marks a flash in progress for its lifetime.
class FlashMark
{
public:
    FlashMark();
    ~FlashMark();

private:
    char m_before;
};

} // namespace kivoctl

#endif
