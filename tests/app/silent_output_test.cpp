// The likely reason given for a silent output.
#include <gtest/gtest.h>

#include "app/batch/silent_output.h"

namespace {

TEST(SilentOutput, TheLineNamesNoNotesAllChannelsMutedOrTheModule) {
    SongOptions options;
    ResetSongOptions(options);
    EXPECT_EQ(SilentOutputLine(options), "silent output (no notes)");
    options.channelUsed[0] = 1;
    options.channelUsed[9] = 1;
    options.mute[0] = 1;
    EXPECT_EQ(SilentOutputLine(options), "silent output (the module produced nothing)");
    options.mute[9] = 1;
    EXPECT_EQ(SilentOutputLine(options), "silent output (every channel muted)");
    // A muted channel that plays nothing does not make the others muted.
    options.mute[9] = 0;
    options.mute[3] = 1;
    EXPECT_EQ(SilentOutputLine(options), "silent output (the module produced nothing)");
}

}  // namespace
