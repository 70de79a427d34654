// Fixture for app tests that open MIDI files into the main window object and
// convert them through the deterministic test module: the module path, a
// timeline on the render song, a temporary folder, and a test song written
// as Standard MIDI File bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "module/test/qnstest_probe.h"
#include "platform/user_report.h"
#include "sequencer/song_timeline.h"
#include "sequencer/synth_module.h"
#include "temp_folder.h"
#include "tests/import/smf_test_support.h"

// A format-1 song at 120 BPM, 480 ticks per quarter: channel 1 plays two
// quarter notes a half note apart; channel 2 (bass) sends GM System On and
// volume 100 before its note; channel 4 (melody) and channel 5 (program 26,
// a guitar) each play one note; channel 10 plays a kick. `quarters` is the
// length of channel 1's second note.
inline smftest::Bytes PracticeSong(int quarters = 1) {
    using smftest::Chunk;
    Chunk tempo;
    tempo.Tempo(0, 500000).End();
    Chunk lead;
    lead.NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60).NoteOn(480, 0, 62, 100).NoteOff(480 * quarters, 0, 62).End();
    Chunk bass;
    bass.Exclusive(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).At(0, {0xB1, 0x07, 100}).NoteOn(0, 1, 40, 100).NoteOff(480, 1, 40).End();
    Chunk melody;
    melody.NoteOn(0, 3, 72, 100).NoteOff(480, 3, 72).End();
    Chunk guitar;
    guitar.At(0, {0xC4, 26}).NoteOn(0, 4, 64, 100).NoteOff(480, 4, 64).End();
    Chunk drums;
    drums.NoteOn(0, 9, 36, 100).NoteOff(240, 9, 36).End();
    return smftest::Smf(1, 480, {tempo, lead, bass, melody, guitar, drums});
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ModuleTest : public testing::Test {
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
    }
    void TearDown() override {
        if (probe) probe->Reset();
        g_pSongTimeline = nullptr;
        g_szModulePath[0] = '\0';
    }

    // Writes `bytes` as `name` in the temporary folder; returns its path.
    std::string WriteSong(const std::string& name, const smftest::Bytes& bytes) {
        const std::string path = dir.path() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Opens the file into the window object; fails the test on a report.
    void Open(const std::string& path) {
        CollectingReport report;
        OpenMidiFile(dlg, path, report);
        ASSERT_TRUE(report.lines.empty()) << report.lines.front();
    }

    TempFolder dir;
    COmbrixDlg dlg;
    SongContainer render{1};
    SongTimeline timeline{render};
    std::unique_ptr<QnsTestProbe> probe;
};
