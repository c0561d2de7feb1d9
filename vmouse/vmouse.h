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
/* Battery charge the 0x90 reply reports, held to 0..100 (default 85). */
VELQA_API void vmouse_set_battery(int percent);
/* The 0x90 reply's byte as given (held to 0..255), for a mouse that reports nonsense. */
VELQA_API void vmouse_set_battery_byte(int value);
VELQA_API void vmouse_set_version(int major, int minor, int patch);
/* Interface path OpenDevice returns (default "/dev/hidraw3"). */
VELQA_API void vmouse_set_path(const char *path);
/* Queue an unsolicited input report on a channel (it is dropped by the next write). */
VELQA_API void vmouse_queue_input(int channel, const unsigned char *report, int len);

/* Every report written on either channel, whole (32 or 64 bytes, id first), in order.
 * Only reports the mouse took are in it: a write that returned an error is not.
 * The latest 100000 are kept. */
VELQA_API int vmouse_trace_count(void);
/* Copies report i into buf (at most cap bytes); returns its length, or -1.
 * *channel (when not null) receives VMOUSE_CONTROL or VMOUSE_CONFIG. */
VELQA_API int vmouse_trace_get(int i, unsigned char *buf, int cap, int *channel);
VELQA_API void vmouse_trace_clear(void);
/* Counters of opens and closes per channel, for the reopen rules; every call counts,
 * a failed open too. */
VELQA_API int vmouse_open_count(int channel);
VELQA_API int vmouse_close_count(int channel);

/* Factory memory, plugged in, not silent, nothing rejected, trace and counters cleared,
 * channels closed. Does not touch VMOUSE_STATE's file until the next change.
 * The path set with vmouse_set_path stays. */
VELQA_API void vmouse_reset(void);
/* Start over as a new process would: vmouse_reset, then read VMOUSE_STATE anew and
 * load its file. 1 when the memory came from the file, 0 when it is factory memory
 * (no variable, no file, or a file that is not an intact state). */
VELQA_API int vmouse_reload_state(void);

#ifdef __cplusplus
}
#endif

#endif
