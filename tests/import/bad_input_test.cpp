// Malformed files: every file of the corpus imports to what its summary says,
// and every truncation and byte flip of a small rich file imports without
// crashing and with a clear result.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "model/measure.h"
#include "smf_test_support.h"

namespace {

using smftest::Bytes;
using smftest::Chunk;
using smftest::Imported;
namespace fs = std::filesystem;

std::string ReadExpectation(const fs::path& folder) {
    std::ifstream in(folder / "expect");
    std::string word;
    in >> word;
    return word;
}

// What a song holds, one line per item: its length, each part with events
// (its channel byte, notes, other events, end tick), the tempo changes,
// measures, stored exclusive entries and lyrics.
std::string Summary(SongContainer& song) {
    std::ostringstream out;
    out << "length " << SongLengthTicks(song) << '\n';
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        const auto events = smftest::Events(song, slot);
        if (events.size() < 2) continue;
        int notes = 0;
        int others = 0;
        for (const auto& e : events) {
            if (e.event.IsNote()) ++notes;
            else if (!e.event.IsRest() && !e.event.IsEnd()) ++others;
        }
        out << "part " << slot - kFirstPartSlot << " channel " << int{song.partChannel[slot - kFirstPartSlot]}
            << " notes " << notes << " events " << others << " end " << events.back().tick << '\n';
    }
    int measures = 0;
    for (const auto& e : smftest::Events(song, kMeasureSlot)) measures += e.event.IsMeasure() ? 1 : 0;
    out << "tempos " << smftest::Sounding(song, kTempoSlot).size() << " measures " << measures << " lyrics "
        << smftest::Sounding(song, kLyricSlot).size() << '\n';
    const ExclusiveTable& table = *song.exclusiveTable;
    out << "exclusive";
    for (int i = 0; i < kExclusiveEntries; ++i)
        if (table.lengths[i] != 0) out << ' ' << i << ':' << table.lengths[i];
    out << '\n';
    return out.str();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BadInput, EveryCorpusFileImportsToWhatItsSummarySays) {
    const fs::path corpus = OMBRIX_IMPORT_CORPUS;
    const bool write = std::getenv("OMBRIX_WRITE_SUMMARIES") != nullptr;
    int files = 0;
    for (const auto& folder : fs::directory_iterator(corpus)) {
        if (!folder.is_directory()) continue;
        const std::string expect = ReadExpectation(folder.path());
        ASSERT_TRUE(expect == "ok" || expect == "not-smf" || expect == "too-large") << folder.path();
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().extension() != ".mid") continue;
            ++files;
            Imported im;
            im.load = LoadMidiFile(entry.path().string(), im.song, im.report);
            if (expect == "ok") {
                EXPECT_EQ(im.load.result, 0) << entry.path();
                EXPECT_TRUE(im.report.messages.empty()) << entry.path();
            } else if (expect == "too-large") {
                EXPECT_EQ(im.load.result, ImportResult::kTooLarge) << entry.path();
                EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is too large"}) << entry.path();
            } else {
                EXPECT_TRUE(im.load.result == ImportResult::kNoHeader || im.load.result == ImportResult::kNoTrack)
                    << entry.path();
                EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"}) << entry.path();
            }
            EXPECT_GT(im.load.preCount.clickTicks, 0) << entry.path();

            auto summaryPath = entry.path();
            summaryPath.replace_extension(".summary");
            const std::string summary = Summary(im.song);
            if (write) std::ofstream(summaryPath) << summary;
            EXPECT_EQ(summary, ReadAll(summaryPath)) << entry.path();
        }
    }
    EXPECT_GT(files, 60);
}

// A small file that touches every kind of event the importer reads.
Bytes RichFile() {
    return smftest::Smf(1, 96,
                        {Chunk()
                             .Text(0, 0x03, "Title")
                             .Text(0, 0x01, "XFln:L1:n:c:l")
                             .TimeSig(0, 3, 2)
                             .KeySig(0, -2, 1)
                             .Tempo(0, 600000)
                             .Exclusive(0, {0x41, 0x10, 0xF7})
                             .End(96),
                         Chunk()
                             .Text(0, 0x03, "Piano")
                             .NoteOn(0, 0, 60, 90)
                             .At(0, {64, 80})
                             .Text(10, 0x05, "la/")
                             .At(0, {0xB0, 7, 100})
                             .At(5, {0xE0, 0, 64})
                             .NoteOff(400, 0, 60)
                             .At(0, {0xF7, 1, 0x10})
                             .End(20),
                         Chunk("XFKM").Text(0, 0x05, "<lu>").End()});
}

TEST(BadInput, EveryTruncationOfARichFileImportsSafely) {
    const Bytes full = RichFile();
    for (std::size_t n = 0; n <= full.size(); ++n) {
        Imported im;
        smftest::ImportBytes(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), im);
        // Up to the first track chunk's whole header ("MTrk" and its length)
        // the file is broken; after it, what was read stays imported.
        if (n < kChunkHeaderBytes + kHeaderDataBytes + kChunkHeaderBytes)
            EXPECT_LT(im.load.result, 0) << n;
        else
            EXPECT_EQ(im.load.result, 0) << n;
    }
}

TEST(BadInput, EveryByteOfARichFileMayBeReplacedWithoutHarm) {
    const Bytes full = RichFile();
    for (std::size_t at = 0; at < full.size(); ++at) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
            Bytes changed = full;
            changed[at] = value;
            Imported im;
            smftest::ImportBytes(changed, im);
            EXPECT_LE(im.load.result, 0);
            EXPECT_EQ(im.load.result == 0, im.report.messages.empty());
        }
    }
}

}  // namespace
