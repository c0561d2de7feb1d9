/* Looks like velqa but lacks most of its entry points. */
#include <wchar.h>

__attribute__((visibility("default"))) wchar_t *OpenDevice(unsigned short vid, unsigned short pid)
{
    (void)vid;
    (void)pid;
    return 0;
}

__attribute__((visibility("default"))) int CloseDevice(void)
{
    return 1;
}
