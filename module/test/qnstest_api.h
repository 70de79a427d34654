/* The deterministic test module's own interface. Besides the seven entry
 * points of module/qnstaff_api.h the test module exports these functions, so
 * that tests can read every call it received and set how it answers. Tests
 * reach them through the same loaded library as the binding (loading a path
 * twice yields the same library).
 *
 * Call log: when the environment names a file in QNSTEST_CALL_LOG, DestroyM
 * appends the calls its instance received there, one line each: the block,
 * the QnsTestFunction number and the message in hex ("0 4 643c90"). Tests
 * of the whole program read it.
 *
 * Settings: when the environment names a file in QNSTEST_SETTINGS_LOG,
 * qnsmain appends there the configuration lines the loading program set in
 * QNSTAFF_SETTINGS ("(unset)" without them), then a line "--".
 *
 * Sound: while any note is held, every frame of both sides is a square wave
 * of amplitude 0.25 (period 100 frames). After the last note-off the
 * amplitude falls linearly to 0 over the tail (default 1000 frames); after
 * that every sample is exactly 0.
 *
 * Faults: the module can be told to crash (SIGSEGV) or to hang (wait
 * forever) in its n-th processReplacingM call of an instance, through the
 * setters below or, for a whole program, the environment variables
 * QNSTEST_CRASH_AT_BLOCK and QNSTEST_HANG_AT_BLOCK (read when an instance is
 * made; they take precedence over the setters). QNSTEST_BLOCK_DELAY_MS
 * makes every processReplacingM call take that many milliseconds longer, a
 * slow synthesizer that still makes progress. QNSTEST_EXHAUST_MEMORY (any
 * value) makes an instance, as it is made, allocate until an allocation
 * fails and then write through the failed pointer, as a library that does
 * not check its allocations crashes where memory runs out (run it only
 * under an address-space limit). */
#pragma once

#include <stdint.h>

#include "module/qnstaff_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Which entry point a recorded call went to. */
enum QnsTestFunction {
    QNSTEST_QNSMAIN = 1,
    QNSTEST_SET_SAMPLING_FREQ = 2,
    QNSTEST_SET_POLYPHONY = 3,
    QNSTEST_SEND_SHORT = 4,
    QNSTEST_SEND_LONG = 5,
    QNSTEST_PROCESS_REPLACING = 6,
    QNSTEST_DESTROY = 7
};

/* One recorded call. */
typedef struct QnsTestCall {
    int32_t function; /* a QnsTestFunction */
    int32_t instance; /* the instance argument (qnsmain: the handle it returned) */
    /* processReplacingM calls the instance had received before this call: the
     * messages sent ahead of the first rendered block are in block 0. */
    int32_t block;
    int32_t argument; /* rate, voices, frames, or the constant of the send calls */
    uint32_t message; /* SendShortMsgM: the message */
    int32_t length;   /* SendLongMsgM: the length; read the bytes with qnstest_call_data */
    int32_t result;   /* what the entry point returned */
} QnsTestCall;

/* Forgets every recorded call and restores the default settings. Live instances stay. */
QNS_EXPORT void qnstest_reset(void);
/* Number of recorded calls. */
QNS_EXPORT int32_t qnstest_call_count(void);
/* Copies call `index` into `out`; 1 when it exists, else 0. */
QNS_EXPORT int32_t qnstest_call(int32_t index, QnsTestCall* out);
/* Copies up to `max` bytes of the exclusive message of call `index`; returns its full length (0 for other calls). */
QNS_EXPORT int32_t qnstest_call_data(int32_t index, uint8_t* buffer, int32_t max);
/* The value SendLongMsgM returns from now on (default 0). */
QNS_EXPORT void qnstest_set_long_answer(int32_t answer);
/* Length in frames of the fade after the last note-off (default 1000; 0 = silent at once). */
QNS_EXPORT void qnstest_set_tail_frames(int32_t frames);
/* Nonzero: the instance sounds at full amplitude whether or not a note is held. */
QNS_EXPORT void qnstest_set_never_silent(int32_t on);
/* Nonzero: qnsmain fails (returns 0). */
QNS_EXPORT void qnstest_set_fail_create(int32_t on);
/* From now on processReplacingM crashes in the instance's `block`-th call (counting from 1; 0 = never). */
QNS_EXPORT void qnstest_set_crash_at_block(int32_t block);
/* From now on processReplacingM never returns from the instance's `block`-th call (counting from 1; 0 = never). */
QNS_EXPORT void qnstest_set_hang_at_block(int32_t block);
/* Zero: calls are no longer recorded (for benchmarks); nonzero: recorded again (default). */
QNS_EXPORT void qnstest_set_recording(int32_t on);
/* Number of instances created and not yet destroyed. */
QNS_EXPORT int32_t qnstest_live_instances(void);
/* Number of notes currently held by an instance (-1 for an unknown instance). */
QNS_EXPORT int32_t qnstest_held_notes(int32_t instance);

typedef void (*QnsTestResetFn)(void);
typedef int32_t (*QnsTestCallCountFn)(void);
typedef int32_t (*QnsTestCallFn)(int32_t, QnsTestCall*);
typedef int32_t (*QnsTestCallDataFn)(int32_t, uint8_t*, int32_t);
typedef void (*QnsTestSetFn)(int32_t);
typedef int32_t (*QnsTestCountFn)(void);
typedef int32_t (*QnsTestHeldNotesFn)(int32_t);

#ifdef __cplusplus
}
#endif
