// Fixture for tests of the option command line's song options: a song is
// written, opened, given the options of an argument list and converted
// through the test module, whose calls (or their short messages, with the
// block each fell in) the test then reads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "module_fixture.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"

// 500 frames a block at 44100 Hz: the module hears a message at the start
// of the block it falls in.
inline constexpr double kMsPerBlock = 500.0 * 1000.0 / 44100.0;

// A short message the module was sent: its block, status and two data bytes.
struct Sent {
    int block;
    std::uint32_t status;
    int data1;
    int data2;
};

class OptionConversionTest : public ModuleTest {
protected:
    // Converts `song` with the options `arguments` (the song's name is added)
    // and returns the module's calls; any report line fails the test.
    std::vector<QnsTestCall> ConvertWith(const smftest::Bytes& song, std::vector<std::string> arguments) {
        arguments.push_back("song.mid");
        const ParsedCommandLine parsed = ParseOptionCommandLine(arguments);
        EXPECT_EQ(parsed.error, "");
        Open(WriteSong("song.mid", song));
        ApplyRequestedOptions(parsed.request, dlg.m_songOptions);
        probe->Reset();
        HeadlessConversionUi ui;
        CollectingReport report;
        ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/song.wav", ui, report);
        EXPECT_TRUE(report.lines.empty()) << report.lines.front();
        return probe->Calls();
    }

    // The short messages among `calls`, in the order sent.
    static std::vector<Sent> ShortMessages(const std::vector<QnsTestCall>& calls) {
        std::vector<Sent> sent;
        for (const QnsTestCall& call : calls) {
            if (call.function != QNSTEST_SEND_SHORT) continue;
            sent.push_back({call.block, call.message & 0xFF, static_cast<int>((call.message >> 8) & 0xFF),
                            static_cast<int>((call.message >> 16) & 0xFF)});
        }
        return sent;
    }

    // The note-ons of `key` on `channel` (1-16).
    static std::vector<Sent> NoteOns(const std::vector<Sent>& sent, int key, int channel = 1) {
        std::vector<Sent> found;
        const auto status = static_cast<std::uint32_t>(0x90 | (channel - 1));
        for (const Sent& s : sent) {
            if (s.status == status && s.data1 == key && s.data2 > 0) found.push_back(s);
        }
        return found;
    }
};
