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

/* Chaos: from now on every library call may go wrong, each with a chance of
 * permille / 1000, the faults drawn from a generator seeded with seed (the same
 * seed and the same calls give the same faults). A fault is one of: the answer
 * to the command just written is random bytes (report id too); the mouse goes
 * silent for the next one to three reads; a configuration write is rejected;
 * the mouse is pulled out, to come back after one to four ticks (each open
 * attempt is a tick, and so is vmouse_chaos_tick). permille 0 ends chaos. */
VELQA_API void vmouse_chaos(unsigned seed, int permille);
enum { VMOUSE_CHAOS_GARBLE = 0, VMOUSE_CHAOS_SILENCE, VMOUSE_CHAOS_REJECT, VMOUSE_CHAOS_UNPLUG };
/* How many faults of a kind chaos has caused since it was turned on. */
VELQA_API int vmouse_chaos_count(int kind);
/* Time passing outside the library (between two user actions, say). */
VELQA_API void vmouse_chaos_tick(void);
/* How many times the mouse has left the system (pulled out, restarted) since
 * the last reset: where the system would report a removal and an arrival. */
VELQA_API int vmouse_departures(void);
/* How long a read with no answer waits, in milliseconds (default 50, the real
 * library's wait); for long runs against a faulty mouse. */
VELQA_API void vmouse_set_read_timeout(int ms);

/* Factory memory, plugged in, not silent, nothing rejected, no chaos, 50 ms reads, trace and
 * counters cleared, channels closed. Does not touch VMOUSE_STATE's file until the next change. The
 * path set with vmouse_set_path stays. */
VELQA_API void vmouse_reset(void);
/* Start over as a new process would: vmouse_reset, then read VMOUSE_STATE anew and
 * load its file. 1 when the memory came from the file, 0 when it is factory memory
 * (no variable, no file, or a file that is not an intact state). */
VELQA_API int vmouse_reload_state(void);

#ifdef __cplusplus
}
#endif

#endif
