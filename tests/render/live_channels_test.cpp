// The live mutes between the engine and the module: what a muted, unmuted,
// turned-down or turned-up channel sends, message by message.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/live_channels.h"

namespace {

std::vector<std::uint32_t> g_sent;

std::int32_t RecordShort(std::int32_t, std::int32_t, std::uint32_t message) {
    g_sent.push_back(message);
    return 0;
}

// Status, channel and data bytes as a short message.
constexpr std::uint32_t Msg(std::uint32_t status, std::uint32_t first, std::uint32_t second = 0) {
    return status | (first << 8) | (second << 16);
}

constexpr int kSongPart = 0;
constexpr int kClickPart = 5;

class LiveChannelsTest : public testing::Test {
protected:
    LiveChannelsTest() {
        g_sent.clear();
        module.entry.sendShortMsg = &RecordShort;
        ResetSongOptions(options);
        live.Set(options);
    }
    // The messages sent by `action`.
    template <typename Action>
    std::vector<std::uint32_t> Sent(Action action) {
        g_sent.clear();
        action();
        return g_sent;
    }

    SynthModule module;
    std::bitset<256> clicks = std::bitset<256>().set(kClickPart);
    LiveChannels live{module, clicks};
    SongOptions options;
};

TEST_F(LiveChannelsTest, AnUnmutedChannelPassesAsItIs) {
    EXPECT_TRUE(Sent([&] { live.Set(options); }).empty());  // nothing muted at the start: nothing to send
    EXPECT_EQ(Sent([&] {
                  live.Pass(Msg(0xC2, 5), kSongPart);
                  live.Pass(Msg(0x92, 60, 100), kSongPart);
                  live.Pass(Msg(0xB2, 7, 90), kSongPart);
              }),
              (std::vector<std::uint32_t>{Msg(0xC2, 5), Msg(0x92, 60, 100), Msg(0xB2, 7, 90)}));
}

TEST_F(LiveChannelsTest, MutingEndsTheSoundingNotesAndUnmutingSendsTheStateBack) {
    live.Pass(Msg(0xB2, 0, 1), kSongPart);   // bank 1
    live.Pass(Msg(0x92, 60, 100), kSongPart);
    live.Pass(Msg(0x92, 64, 100), kSongPart);
    live.Pass(Msg(0x82, 64, 0), kSongPart);  // released before the mute
    options.mute[2] = 1;
    EXPECT_EQ(Sent([&] { live.Set(options); }), (std::vector<std::uint32_t>{Msg(0x82, 60), Msg(0xB2, 120)}));

    // While muted nothing of the channel goes out; its state is remembered.
    EXPECT_TRUE(Sent([&] {
                    live.Pass(Msg(0x92, 62, 100), kSongPart);
                    live.Pass(Msg(0xC2, 33), kSongPart);
                    live.Pass(Msg(0xB2, 7, 80), kSongPart);
                    live.Pass(Msg(0xE2, 0x10, 0x50), kSongPart);
                    live.Pass(Msg(0x82, 62), kSongPart);
                }).empty());
    // Other channels and the clicks go on.
    EXPECT_EQ(Sent([&] {
                  live.Pass(Msg(0x93, 50, 90), kSongPart);
                  live.Pass(Msg(0x92, 37, 100), kClickPart);
              }),
              (std::vector<std::uint32_t>{Msg(0x93, 50, 90), Msg(0x92, 37, 100)}));

    options.mute[2] = 0;
    EXPECT_EQ(Sent([&] { live.Set(options); }),
              (std::vector<std::uint32_t>{Msg(0xB2, 0, 1), Msg(0xB2, 7, 80), Msg(0xC2, 33), Msg(0xE2, 0x10, 0x50)}));
}

TEST_F(LiveChannelsTest, ATurnedDownChannelPlaysAtHalfItsVolume) {
    options.volumeDown[4] = 1;
    EXPECT_TRUE(Sent([&] { live.Set(options); }).empty());  // no volume known yet
    // Without a volume of its own the first note starts at half the default.
    EXPECT_EQ(Sent([&] { live.Pass(Msg(0x94, 60, 100), kSongPart); }),
              (std::vector<std::uint32_t>{Msg(0xB4, 7, 50), Msg(0x94, 60, 100)}));
    EXPECT_EQ(Sent([&] { live.Pass(Msg(0xB4, 7, 1), kSongPart); }), std::vector<std::uint32_t>{Msg(0xB4, 7, 1)});
    EXPECT_EQ(Sent([&] { live.Pass(Msg(0xB4, 7, 127), kSongPart); }), std::vector<std::uint32_t>{Msg(0xB4, 7, 63)});
    options.volumeDown[4] = 0;
    EXPECT_EQ(Sent([&] { live.Set(options); }), std::vector<std::uint32_t>{Msg(0xB4, 7, 127)});
    options.volumeDown[4] = 1;
    EXPECT_EQ(Sent([&] { live.Set(options); }), std::vector<std::uint32_t>{Msg(0xB4, 7, 63)});
}

TEST_F(LiveChannelsTest, AChannelMutedFromTheStartSendsNothingAtAll) {
    options.mute[9] = 1;
    EXPECT_TRUE(Sent([&] { live.Set(options); }).empty());  // nothing sounded: no all-sound-off
    EXPECT_TRUE(Sent([&] {
                    live.Pass(Msg(0xC9, 16), kSongPart);
                    live.Pass(Msg(0x99, 36, 100), kSongPart);
                }).empty());
}

}  // namespace

namespace {

TEST_F(LiveChannelsTest, AKeyChangeMovesTheNotesThatStartAfterIt) {
    using Sent_ = std::vector<std::uint32_t>;
    // A note sounding at the change ends on its own key; the next starts moved.
    EXPECT_EQ(Sent([&] { live.Pass(Msg(0x90, 60, 100), kSongPart); }), Sent_{Msg(0x90, 60, 100)});
    live.SetTranspose(2);
    EXPECT_EQ(Sent([&] {
                  live.Pass(Msg(0x80, 60), kSongPart);
                  live.Pass(Msg(0x90, 60, 100), kSongPart);
                  live.Pass(Msg(0x90, 60, 0), kSongPart);  // a note-on of velocity 0 ends it
              }),
              (Sent_{Msg(0x80, 60), Msg(0x90, 62, 100), Msg(0x90, 62, 0)}));
    // The drums keep their keys, and so do the clicks.
    EXPECT_EQ(Sent([&] {
                  live.Pass(Msg(0x99, 36, 100), kSongPart);
                  live.Pass(Msg(0x92, 37, 100), kClickPart);
              }),
              (Sent_{Msg(0x99, 36, 100), Msg(0x92, 37, 100)}));

    // Back down while a moved note sounds: it still ends where it began.
    live.Pass(Msg(0x91, 50, 100), kSongPart);
    live.SetTranspose(-3);
    EXPECT_EQ(Sent([&] { live.Pass(Msg(0x81, 50), kSongPart); }), Sent_{Msg(0x81, 52)});

    // A note moved past the top is left out, its end too.
    live.SetTranspose(12);
    EXPECT_TRUE(Sent([&] {
                    live.Pass(Msg(0x90, 120, 100), kSongPart);
                    live.Pass(Msg(0x80, 120), kSongPart);
                }).empty());

    // A mute ends a moved note on the key it sounds on.
    live.Pass(Msg(0x93, 40, 100), kSongPart);
    options.mute[3] = 1;
    EXPECT_EQ(Sent([&] { live.Set(options); }), (Sent_{Msg(0x83, 52), Msg(0xB3, 120)}));
}

}  // namespace
