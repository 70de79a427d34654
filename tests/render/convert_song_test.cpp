// Whole conversions through the deterministic test module: the WAV layout,
// which blocks are written, the end rule and every failure with its message
// and what becomes of the file.
#include "render/convert_song.h"

#include <gtest/gtest.h>

#include "render/render_session.h"
#include "render/wave_file.h"
#include "tests/render/conversion_fixture.h"
#include "tests/render/file_size_limit.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

// The test song (one 4/4 measure and a note) lasts until the start of its
// second measure's successor: 4000 ms at 120.00 BPM. Block 353 is the first
// whose render time (4002 ms) passes the end; the 352 blocks before it are the song.
constexpr int kBlocksBeforeEnd = 352;

std::size_t DataBytes(const Bytes& wave) { return wave.size() - kWaveHeaderBytes; }

TEST_F(ConversionTest, TheWaveFileStartsWithTheRiffHeaderAndAPcmFormatChunk) {
    LoadOneMeasureSong();
    ConvertTo("song.wav");
    ASSERT_TRUE(report.messages.empty());
    const Bytes wave = ReadBytes(folder.File("song.wav"));
    ASSERT_GT(wave.size(), kWaveHeaderBytes);
    const Bytes header(wave.begin(), wave.begin() + 36);
    const Bytes expected = {
        'R', 'I', 'F', 'F', 0, 0, 0, 0,              // RIFF size, checked below
        'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 2, 0,                                  // PCM, two channels
        0x44, 0xAC, 0, 0,                            // 44100 Hz
        0x10, 0xB1, 0x02, 0,                         // 176400 bytes a second
        4, 0, 16, 0,                                 // 4-byte frames of 16-bit samples
    };
    EXPECT_EQ(Bytes(header.begin() + 8, header.end()), Bytes(expected.begin() + 8, expected.end()));
    EXPECT_EQ(Bytes(wave.begin(), wave.begin() + 4), (Bytes{'R', 'I', 'F', 'F'}));
    EXPECT_EQ(U32At(wave, 4), wave.size() - 8);
    EXPECT_EQ(Bytes(wave.begin() + 36, wave.begin() + 40), (Bytes{'d', 'a', 't', 'a'}));
    EXPECT_EQ(U32At(wave, 40), DataBytes(wave));
}

TEST_F(ConversionTest, TheDataChunkHoldsWholeBlocksAndNotTheBlockThatEndedTheSong) {
    LoadOneMeasureSong();
    ConvertTo("song.wav");
    const Bytes wave = ReadBytes(folder.File("song.wav"));
    EXPECT_EQ(DataBytes(wave) % kBlockBytesWritten, 0u);
    EXPECT_EQ(DataBytes(wave), kBlocksBeforeEnd * kBlockBytesWritten);
    EXPECT_EQ(RenderedBlocks(), kBlocksBeforeEnd + 1);
}

TEST_F(ConversionTest, TheSoundOfTheNoteReachesTheFileAndSilenceFollowsIt) {
    LoadOneMeasureSong();
    ConvertTo("song.wav");
    const Bytes wave = ReadBytes(folder.File("song.wav"));
    // The note sounds from the first frame; 500 ms later it has faded out.
    EXPECT_NE(wave[kWaveHeaderBytes] | wave[kWaveHeaderBytes + 1], 0);
    EXPECT_EQ(wave[wave.size() - 1] | wave[wave.size() - 2], 0);
}

TEST_F(ConversionTest, RenderingGoesOnUntilTheSoundAfterTheEndHasDecayed) {
    probe->SetTailFrames(44100);   // one second of fade after the notes are cut
    LoadOneMeasureSong(3840);      // held past the end of the song, cut there
    ConvertTo("song.wav");
    const Bytes wave = ReadBytes(folder.File("song.wav"));
    // The cut comes at the start of block 353; the fade ends 44100 frames
    // later, inside block 441; block 442 starts silent and is not written.
    EXPECT_EQ(DataBytes(wave), 441 * kBlockBytesWritten);
    EXPECT_EQ(RenderedBlocks(), 442);
    const std::size_t lastBlock = wave.size() - kBlockBytesWritten;
    EXPECT_NE(wave[lastBlock] | wave[lastBlock + 1], 0);  // the fade is still audible there
}

TEST_F(ConversionTest, AModuleThatNeverFallsSilentStopsThirtySecondsAfterTheEnd) {
    probe->SetNeverSilent(true);
    LoadOneMeasureSong();
    ConvertTo("song.wav");
    ASSERT_TRUE(report.messages.empty());
    const Bytes wave = ReadBytes(folder.File("song.wav"));
    // Block 353 holds the end; 30 s (2646 blocks) from it on are written.
    EXPECT_EQ(DataBytes(wave), (kBlocksBeforeEnd + 2646) * kBlockBytesWritten);
}

TEST_F(ConversionTest, ASongThatEndsInItsThirdBlockGivesTwoBlocks) {
    // Two 1/16 measures (2 x 120 ticks) at 1000.00 BPM last 30 ms: the end is
    // due in block 3 (34 ms), which is silent and not written.
    ClearTempoTrack(song);
    Put(song, kTempoSlot, 0, Tempo(100000));
    PutMeasure(song, 0, 0x0F);
    ConvertTo("song.wav");
    ASSERT_TRUE(report.messages.empty());
    EXPECT_EQ(RenderedBlocks(), 3);
    EXPECT_EQ(ReadBytes(folder.File("song.wav")).size(), kWaveHeaderBytes + 2 * kBlockBytesWritten);
}

TEST_F(ConversionTest, WithoutALoadedSongNothingIsWritten) {
    LoadOneMeasureSong();
    songName.clear();
    ConvertTo("song.wav");
    EXPECT_EQ(report.messages, Names{"SMFが読み込まれていません"});
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_EQ(probe->Calls().size(), 0u);
}

TEST_F(ConversionTest, AMissingModuleFailsInitialisationAndKeepsAnEarlierFile) {
    LoadOneMeasureSong();
    WriteText(folder.File("song.wav"), "earlier");
    std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", folder.File("QNStaff.so").c_str());
    ConvertTo("song.wav");
    EXPECT_EQ(report.messages, Names{"初期化に失敗しました"});
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(folder.Entries(), Names{"song.wav"});
}

TEST_F(ConversionTest, AModuleThatCannotStartFailsInitialisationAndLeavesNoFile) {
    LoadOneMeasureSong();
    probe->SetFailCreate(true);
    ConvertTo("song.wav");
    EXPECT_EQ(report.messages, Names{"初期化に失敗しました"});
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_EQ(probe->LiveInstances(), 0);
    EXPECT_EQ(EndRender(), 1);  // nothing is left running
}

TEST_F(ConversionTest, AFileThatCannotBeCreatedIsReportedBeforeTheModuleIsLoaded) {
    LoadOneMeasureSong();
    ConvertSongToWav(Source(), render, folder.File("missing/song.wav"), ui, report);
    EXPECT_EQ(report.messages, Names{"ウェーブファイルの作成に失敗しました。"});
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_EQ(probe->Calls().size(), 0u);
}

TEST_F(ConversionTest, AnOverlongOutputPathIsRefused) {
    LoadOneMeasureSong();
    ConvertTo(std::string(600, 'x') + ".wav");
    EXPECT_EQ(report.messages, Names{"ウェーブファイルの作成に失敗しました。"});
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(ConversionTest, AWriteFailingMidwayEndsTheConversionAndKeepsAnEarlierFile) {
    LoadOneMeasureSong();
    WriteText(folder.File("song.wav"), "earlier");
    {
        FileSizeLimit limit(100000);  // as a disk that fills up after 50 blocks
        ConvertTo("song.wav");
    }
    EXPECT_EQ(report.messages, Names{"ウェーブファイルの作成に失敗しました。"});
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(folder.Entries(), Names{"song.wav"});
    EXPECT_LT(RenderedBlocks(), kBlocksBeforeEnd);  // stopped at the failure
    EXPECT_EQ(probe->LiveInstances(), 0);
    EXPECT_EQ(ui.calls.back(), "close");
}

TEST_F(ConversionTest, ASongTooLongForAWavFileIsRefusedBeforeItIsRendered) {
    // 1000 measures of 2 s at 5 % tempo: 11 hours, where a WAV file holds
    // 6 h 45 min.
    PutMeasure(song, 0, 0x33);
    Put(song, PartSlot(0), 1000 * kTicksPerWhole, Note(60, kTicksPerQuarter));
    options.tempoPercent = 5;
    WriteText(folder.File("song.wav"), "earlier");
    ConvertTo("song.wav");
    EXPECT_EQ(report.messages, Names{"ウェーブファイルの作成に失敗しました。"});
    EXPECT_EQ(RenderedBlocks(), 0);
    EXPECT_EQ(folder.Entries(), Names{"song.wav"});
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(probe->LiveInstances(), 0);
    // The limit itself: 4 GiB of frames, 176400 bytes a second.
    EXPECT_TRUE(WaveFileCanHold((6 * 3600 + 45 * 60) * 1000));
    EXPECT_FALSE(WaveFileCanHold((6 * 3600 + 46 * 60) * 1000));
}

TEST_F(ConversionTest, ACancelledSaveDialogEndsSilently) {
    LoadOneMeasureSong();
    ConvertSongToWav(Source(), render, std::nullopt, ui, report);
    EXPECT_EQ(ui.calls, Names{"choose " + folder.Path().string() + " song"});
    EXPECT_TRUE(report.messages.empty());
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_EQ(probe->Calls().size(), 0u);
}

TEST_F(ConversionTest, TheChosenFileIsWrittenWhileTheProgressWindowFollowsTheBlocks) {
    LoadOneMeasureSong();
    ui.choice = folder.File("chosen.wav");
    ConvertSongToWav(Source(), render, std::nullopt, ui, report);
    EXPECT_TRUE(report.messages.empty());
    EXPECT_EQ(folder.Entries(), Names{"chosen.wav"});
    EXPECT_EQ(ui.calls, (Names{"choose " + folder.Path().string() + " song", "loading", "loaded", "open 0 4000", "close"}));
    ASSERT_EQ(ui.positions.size(), kBlocksBeforeEnd + 1u);
    EXPECT_EQ(ui.positions[0], 11);
    EXPECT_EQ(ui.positions[1], 22);
    EXPECT_EQ(ui.positions[2], 34);
    EXPECT_EQ(ui.positions[kBlocksBeforeEnd - 1], 3990);
    EXPECT_EQ(ui.positions.back(), 0);
    EXPECT_EQ(ui.pumps, static_cast<int>(ui.positions.size()));
    // The text changes only when the percentage does: 0 % .. 99 %, then 0 % at the end.
    ASSERT_EQ(ui.texts.size(), 101u);
    EXPECT_EQ(ui.texts.front(), "0%");
    EXPECT_EQ(ui.texts[99], "99%");
    EXPECT_EQ(ui.texts.back(), "0%");
}

TEST_F(ConversionTest, MeasuringAndEncodingAfterTheRenderAreShownAsTheConversionFinishing) {
    LoadOneMeasureSong();
    for (const bool loudness : {false, true}) {
        ui.calls.clear();
        OutputOptions output;
        if (loudness) output.loudnessLufs = -16.0;
        output.encoding.format = AudioFormat::kFlac;
        ASSERT_TRUE(ConvertSong(Source(), render, folder.File("song.flac"), ui, report, output).written);
        // Loading the module and, after the render (which reports its own
        // position), measuring and encoding the levelled song report none.
        const std::vector<std::string> expected =
            loudness ? std::vector<std::string>{"loading", "loaded", "open 0 4000", "close", "finishing", "finished"}
                     : std::vector<std::string>{"loading", "loaded", "open 0 4000", "close"};
        EXPECT_EQ(ui.calls, expected) << (loudness ? "--loudness" : "no levelling");
    }
}

TEST_F(ConversionTest, EachConversionMeasuresItsOwnSongForTheProgressRange) {
    LoadOneMeasureSong();
    ConvertTo("first.wav");
    options.tempoPercent = 50;  // the same song at half speed lasts 8000 ms
    ConvertTo("second.wav");
    song.Clear();
    song.Reset();
    ClearTempoTrack(song);
    Put(song, kTempoSlot, 0, Tempo(6000));  // 60.00 BPM: 4000 ms a measure, three measures
    PutMeasure(song, 0, 0x33);
    PutMeasure(song, 1920, 0x33);
    Put(song, PartSlot(0), 0, Note(60, 480));
    options.tempoPercent = 100;
    ConvertTo("third.wav");
    EXPECT_EQ(ui.calls, (Names{"loading", "loaded", "open 0 4000", "close", "loading", "loaded", "open 0 8000", "close",
                               "loading", "loaded", "open 0 12000", "close"}));
    EXPECT_TRUE(report.messages.empty());
}

TEST_F(ConversionTest, ThePreCountLengthensTheSong) {
    LoadOneMeasureSong();
    Put(song, PartSlot(0), 1920, Note(62, 480));  // the song ends after measure 2
    ConvertTo("plain.wav");
    options.preCount = true;  // the second note moves into measure 3
    ConvertTo("counted.wav");
    EXPECT_EQ(ui.calls, (Names{"loading", "loaded", "open 0 4000", "close", "loading", "loaded", "open 0 6000", "close"}));
    EXPECT_EQ(DataBytes(ReadBytes(folder.File("counted.wav"))), 529 * kBlockBytesWritten);
}

}  // namespace

TEST_F(ConversionTest, ACancelledConversionStopsAndKeepsTheEarlierFileWithoutAMessage) {
    LoadOneMeasureSong();
    WriteText(folder.File("song.wav"), "earlier");
    ui.cancelAfterPumps = 10;
    ConvertTo("song.wav");
    EXPECT_TRUE(report.messages.empty());
    EXPECT_EQ(ReadBytes(folder.File("song.wav")), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(folder.Entries(), Names{"song.wav"});
    // Ten blocks went out; the module had rendered one more for the limiter to look ahead into.
    EXPECT_EQ(RenderedBlocks(), 11);
    EXPECT_EQ(probe->LiveInstances(), 0);
    EXPECT_EQ(ui.calls.back(), "close");
}
