/* Test-only export of QNStaff.so: lets tests see which preset a channel of an
 * instance plays. The converter never calls it. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Name of the test-only export, for dlsym. */
#define QNS_TEST_ONLY_CHANNEL_PRESET_NAME "QNS_TestOnly_ChannelPreset"

/* Stores the bank (128 is the drum bank) and program of the preset MIDI
 * channel `channel` (0-15) plays; 0 on success, -1 for an unknown instance,
 * a channel out of range, or a channel without a preset. */
typedef int32_t (*QnsTestOnlyChannelPresetFn)(int32_t instance, int32_t channel, int32_t* bank, int32_t* program);

#ifdef __cplusplus
}
#endif
