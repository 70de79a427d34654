// Test fixture for whole conversions: the deterministic test module bound
// through g_szModulePath, a timeline on the render song, a loaded song with
// its options, and recorders for the reports and the window calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/slots.h"
#include "model/song_container.h"
#include "model/song_options.h"
#include "module/test/qnstest_probe.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "sequencer/synth_module.h"
#include "sequencer/song_timeline.h"
#include "tests/render/song_builder.h"
#include "tests/render/temp_folder.h"

class RecordingReport : public UserReport {
public:
    void Report(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

// Records the window calls; answers the file choice with `choice`.
class RecordingUi : public ConversionUi {
public:
    std::optional<std::string> ChooseOutputFile(const std::string& folder, const std::string& songName) override {
        calls.push_back("choose " + folder + " " + songName);
        return choice;
    }
    void OpenProgress(int lower, int upper) override {
        calls.push_back("open " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void PumpEvents() override { ++pumps; }
    bool CancelRequested() const override { return cancelAfterPumps > 0 && pumps >= cancelAfterPumps; }
    void SetProgressPosition(int position) override { positions.push_back(position); }
    void SetProgressText(const std::string& text) override { texts.push_back(text); }
    void CloseProgress() override { calls.push_back("close"); }
    void SetLoading(bool loading) override { calls.push_back(loading ? "loading" : "loaded"); }
    void SetFinishing(bool finishing) override { calls.push_back(finishing ? "finishing" : "finished"); }

    std::optional<std::string> choice;
    std::vector<std::string> calls;
    std::vector<int> positions;
    std::vector<std::string> texts;
    int pumps = 0;
    int cancelAfterPumps = 0;  // 0: never cancel
};

constexpr std::size_t kWaveHeaderBytes = 44;
constexpr std::size_t kBlockBytesWritten = 2000;

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef QNSTEST_MODULE_PATH
        GTEST_SKIP() << "the test module is not built";
#else
        std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", QNSTEST_MODULE_PATH);
        probe = std::make_unique<QnsTestProbe>(QNSTEST_MODULE_PATH);
        ASSERT_TRUE(probe->Loaded());
        probe->Reset();
#endif
        g_pSongTimeline = &timeline;
        ResetSongOptions(options);
        songName = "song";
        lastFolder = folder.Path().string();
        options.preCount = false;
    }
    void TearDown() override {
        g_pSongTimeline = nullptr;
        g_szModulePath[0] = '\0';
    }

    // One 4/4 measure at 120.00 BPM with a note at its start. The song lasts
    // until the start of the measure after the one holding its end tick (1920):
    // 3840 ticks, 4000 ms.
    void LoadOneMeasureSong(std::uint16_t gate = kTicksPerQuarter) {
        PutMeasure(song, 0, 0x33);
        Put(song, PartSlot(0), 0, Note(60, gate));
    }

    // Converts the loaded song in batch form into `name` in the folder.
    void ConvertTo(const std::string& name) { ConvertSongToWav(Source(), render, folder.File(name), ui, report); }

    // Number of blocks the module rendered.
    int RenderedBlocks() const {
        int blocks = 0;
        for (const QnsTestCall& call : probe->Calls()) blocks += call.function == QNSTEST_PROCESS_REPLACING;
        return blocks;
    }

    // The loaded song as the conversion reads it.
    ConversionSource Source() { return {song, options, lastFolder, songName}; }

    TempFolder folder;
    SongContainer song{1};
    SongOptions options;
    std::string lastFolder;
    std::string songName;
    SongContainer render{1};
    SongTimeline timeline{render};
    RecordingReport report;
    RecordingUi ui;
    std::unique_ptr<QnsTestProbe> probe;
};
