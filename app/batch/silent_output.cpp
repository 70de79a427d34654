// The likely reason of a silent output.
#include "app/batch/silent_output.h"

#include "app/batch/convert_folder.h"

namespace {

// Whether every channel that plays notes is muted.
bool EveryUsedChannelMuted(const SongOptions& options) {
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        if (options.channelUsed[channel] != 0 && options.mute[channel] == 0) return false;
    }
    return true;
}

}  // namespace

std::string SilentOutputLine(const SongOptions& options) {
    const char* reason = !HasNotes(options)              ? "no notes"
                         : EveryUsedChannelMuted(options) ? "every channel muted"
                                                          : "the module produced nothing";
    return std::string(kSilentOutputPrefix) + reason + ")";
}
