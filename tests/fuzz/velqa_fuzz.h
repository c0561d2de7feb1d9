/* A build of velqa for fuzzing: the ten exports of velqa.h over a mouse that
 * answers every read with the next bytes the fuzzer gave. Never waits: once
 * the bytes are used up every read fails at once, as a silent mouse would but
 * without the 50 ms timeout, so the retry rule costs nothing. */
#ifndef VELQA_FUZZ_H
#define VELQA_FUZZ_H

#include "velqa.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The replies to hand out from now on (copied; earlier ones are dropped). */
VELQA_API void velqa_fuzz_feed(const uint8_t *data, size_t size);
/* Bytes not yet handed out. */
VELQA_API size_t velqa_fuzz_left(void);
/* Reads answered so far on the control and configuration channels. */
VELQA_API unsigned velqa_fuzz_reads(void);

#ifdef __cplusplus
}
#endif

#endif
