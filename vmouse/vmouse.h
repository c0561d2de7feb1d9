/* The virtual Kivo Z9K: a drop-in build of velqa (the same ten exports, see
 * devlib/velqa.h) backed by an emulated mouse, plus this control API for tests
 * and demos. With VMOUSE_STATE naming a file the mouse keeps its memory there
 * across runs, as a real mouse keeps its settings. */
#ifndef VMOUSE_H
#define VMOUSE_H

#include "velqa.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { VMOUSE_CONTROL = 0, VMOUSE_CONFIG = 1 };

/* Plug the mouse in (1) or pull it out (0). Unplugged: opens fail and channels
 * opened before fail every call until they are reopened after a new plug-in. */
VELQA_API void vmouse_plug(int plugged);
VELQA_API int vmouse_plugged(void);
/* A silent mouse takes every report but answers none: each read waits its 50 ms. */
VELQA_API void vmouse_set_silent(int silent);
/* Reject the n-th configuration-channel write from now on (1 = the next one);
 * the write then returns an error code. 0 rejects none. */
VELQA_API void vmouse_reject_config_write(int n);
VELQA_API void vmouse_set_battery(int percent);
VELQA_API void vmouse_set_version(int major, int minor, int patch);
/* Interface path OpenDevice returns (default "/dev/hidraw3"). */
VELQA_API void vmouse_set_path(const char *path);
/* Queue an unsolicited input report on a channel (it is dropped by the next write). */
VELQA_API void vmouse_queue_input(int channel, const unsigned char *report, int len);

/* Every report written on either channel, whole (32 or 64 bytes, id first). */
VELQA_API int vmouse_trace_count(void);
/* Copies report i into buf (at most cap bytes); returns its length, or -1.
 * *channel (when not null) receives VMOUSE_CONTROL or VMOUSE_CONFIG. */
VELQA_API int vmouse_trace_get(int i, unsigned char *buf, int cap, int *channel);
VELQA_API void vmouse_trace_clear(void);
/* Counters of opens and closes per channel, for the reopen rules. */
VELQA_API int vmouse_open_count(int channel);
VELQA_API int vmouse_close_count(int channel);

/* Factory memory, plugged in, not silent, nothing rejected, trace and counters cleared,
 * channels closed. Does not touch VMOUSE_STATE's file until the next change. */
VELQA_API void vmouse_reset(void);

#ifdef __cplusplus
}
#endif

#endif
