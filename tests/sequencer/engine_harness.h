// Test helpers: songs built event by event through the model (with the
// builders of tests/support), and a harness
// that binds the deterministic test module, starts the engine and renders
// block by block as the conversion driver does, then reads back what the
// module received.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "model/exclusive_table.h"
#include "model/measure.h"
#include "model/song_container.h"
#include "model/track.h"
#include "model/track_containers.h"
#include "module/test/qnstest_probe.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"
#include "tests/support/song_events.h"

namespace seqtest {

// Driver timing: block b ends at b x 250000 / 22050 ms (500 frames at 44100 Hz).
inline int ElapsedMsAfter(int blocks) { return static_cast<int>(blocks * 250000.0 / 22050.0); }

// The module block (processReplacingM calls before it) in which an event due at `ms` arrives.
inline int BlockOfMs(int ms) {
    int block = 1;
    while (ElapsedMsAfter(block) <= ms) ++block;
    return block - 1;
}

using namespace songtest;

// Inserts an event into part p (0-based) at an absolute tick.
inline void PutPart(TrackContainers& song, int part, int tick, const TrackEvent& ev) {
    Put(song, PartSlot(part), tick, ev);
}

// Replaces the tempo track with the given (tick, tempo) events.
inline void SetTempos(TrackContainers& song, const std::vector<std::pair<int, std::int32_t>>& tempos) {
    {
        CursorGuard cursor(song, kTempoSlot);
        ClearTrack(*cursor->track);
    }
    for (const auto& [tick, tempo] : tempos) Put(song, kTempoSlot, tick, Tempo(tempo));
}

// Lays out the measure track: one measure per time-signature byte, back to
// back, the end marker at the end of the last one.
inline void SetMeasures(TrackContainers& song, const std::vector<std::uint8_t>& signatures) {
    CursorGuard cursor(song, kMeasureSlot);
    int tick = 0;
    for (const std::uint8_t signature : signatures) {
        Seek(*cursor, tick, 0);
        InsertAtTime(*cursor, Measure(signature));
        tick += MeasureLengthOf(signature);
    }
    SeekOrExtend(*cursor, tick);
}

// Stores an exclusive message in the song's table.
inline void StoreExclusive(SongContainer& song, int index, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(ExclusiveStore(index, *song.exclusiveTable, static_cast<int>(bytes.size()), bytes.data()), 0);
}

// One message the module received, with the block it came in.
struct Received {
    int block;
    std::uint32_t message;  // short messages; 0 for exclusive messages
    std::vector<std::uint8_t> bytes;  // exclusive messages

    friend bool operator==(const Received&, const Received&) = default;
};

inline Received Short(int block, std::uint32_t message) { return {block, message, {}}; }
inline Received Long(int block, std::vector<std::uint8_t> bytes) { return {block, 0, std::move(bytes)}; }

inline void PrintTo(const Received& r, std::ostream* os) {
    *os << "{block " << r.block << ", ";
    if (r.bytes.empty()) {
        *os << "0x" << std::hex << r.message << std::dec;
    } else {
        *os << "long";
        for (const std::uint8_t b : r.bytes) *os << " " << std::hex << int(b) << std::dec;
    }
    *os << "}";
}

class EngineHarness {
public:
    EngineHarness() : probe_(QNSTEST_MODULE_PATH) {
        std::strncpy(g_szModulePath, QNSTEST_MODULE_PATH, sizeof g_szModulePath - 1);
        if (probe_.Loaded()) probe_.Reset();
    }

    // Binds the module, creates the engine and starts play; the result of StartPlay.
    int Start() {
        EXPECT_TRUE(probe_.Loaded()) << "test module not found at " << QNSTEST_MODULE_PATH;
        EXPECT_EQ(BindSynthModule(module), 0);
        module.channelTable = song.partChannel.data();
        engine = std::make_unique<ChordProcess>(song, module);
        engine->Clock().tempoScale = kFullTempoScale;
        return engine->StartPlay();
    }

    // One render step as the driver runs it; the elapsed ms, or 0 when the song is over.
    int Step() {
        ++module.blocksRendered;
        module.elapsedMs = ElapsedMsAfter(module.blocksRendered);
        engine->PlayUntil();
        lastRender = RenderSynthBlock(module, block);
        return lastRender == kSongOverResult ? 0 : module.elapsedMs;
    }

    // Renders until the song is over or `maxBlocks` have been rendered; the number of blocks.
    int RunToEnd(int maxBlocks = 100000) {
        while (module.blocksRendered < maxBlocks && Step() != 0) {
        }
        return module.blocksRendered;
    }

    // Every message the module received, in order.
    std::vector<Received> Messages() const {
        std::vector<Received> out;
        const std::vector<QnsTestCall> calls = probe_.Calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].function == QNSTEST_SEND_SHORT) out.push_back(Short(calls[i].block, calls[i].message));
            if (calls[i].function == QNSTEST_SEND_LONG) {
                out.push_back(Long(calls[i].block, probe_.CallData(static_cast<int>(i))));
            }
        }
        return out;
    }

    // The short messages of one status, channel bits ignored (0x90 for notes).
    std::vector<Received> MessagesWithStatus(std::uint8_t status) const {
        std::vector<Received> out;
        for (const Received& r : Messages()) {
            if (r.bytes.empty() && (r.message & 0xF0) == status) out.push_back(r);
        }
        return out;
    }

    const QnsTestProbe& Probe() const { return probe_; }

    SongContainer song{1};
    SynthModule module;
    std::unique_ptr<ChordProcess> engine;
    std::array<std::uint8_t, kBlockBytes> block{};
    int lastRender = 0;

private:
    QnsTestProbe probe_;
};

}  // namespace seqtest
