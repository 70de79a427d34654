/* The seven C entry points of a synthesizer module ("QNStaff.so"). The
 * converter binds them at run time; every module implements them. The
 * instance is an opaque 32-bit handle made by qnsmain (0 = failure) and is
 * always the first argument. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define QNS_EXPORT __attribute__((visibility("default")))
#else
#define QNS_EXPORT
#endif

/* Creates a synthesizer instance; 0 when it cannot be made. */
QNS_EXPORT int32_t qnsmain(void);
/* Sets the sample rate in Hz. */
QNS_EXPORT int32_t SetSamplingFreqM(int32_t instance, int32_t rate);
/* Sets the number of voices. */
QNS_EXPORT int32_t SetPolyphonyM(int32_t instance, int32_t voices);
/* Plays one channel message: status in bits 0-7, data bytes in bits 8-15 and 16-23. */
QNS_EXPORT int32_t SendShortMsgM(int32_t instance, int32_t zero, uint32_t message);
/* Plays one whole exclusive message (0xF0 ... 0xF7); the caller keeps the buffer.
 * The low byte of the result is passed back to the engine. */
QNS_EXPORT int32_t SendLongMsgM(int32_t instance, int32_t zero, const uint8_t* data, int32_t length);
/* Renders `frames` frames into buffers[0] (left) and buffers[1] (right). */
QNS_EXPORT int32_t processReplacingM(int32_t instance, float** buffers, int32_t frames);
/* Destroys the instance. */
QNS_EXPORT int32_t DestroyM(int32_t instance);

typedef int32_t (*QnsMainFn)(void);
typedef int32_t (*SetSamplingFreqMFn)(int32_t, int32_t);
typedef int32_t (*SetPolyphonyMFn)(int32_t, int32_t);
typedef int32_t (*SendShortMsgMFn)(int32_t, int32_t, uint32_t);
typedef int32_t (*SendLongMsgMFn)(int32_t, int32_t, const uint8_t*, int32_t);
typedef int32_t (*ProcessReplacingMFn)(int32_t, float**, int32_t);
typedef int32_t (*DestroyMFn)(int32_t);

#ifdef __cplusplus
}
#endif
