// Malformed files: every file of the corpus, and every truncation and byte
// flip of a small rich file, imports without crashing and with a clear result.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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

TEST(BadInput, EveryCorpusFileEndsInItsFoldersExpectedResult) {
    const fs::path corpus = OMBRIX_IMPORT_CORPUS;
    int files = 0;
    for (const auto& folder : fs::directory_iterator(corpus)) {
        if (!folder.is_directory()) continue;
        const std::string expect = ReadExpectation(folder.path());
        ASSERT_TRUE(expect == "ok" || expect == "not-smf") << folder.path();
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().extension() != ".mid") continue;
            ++files;
            Imported im;
            im.load = LoadMidiFile(entry.path().string(), im.song, im.report);
            if (expect == "ok") {
                EXPECT_EQ(im.load.result, 0) << entry.path();
                EXPECT_TRUE(im.report.messages.empty()) << entry.path();
            } else {
                EXPECT_TRUE(im.load.result == ImportResult::kNoHeader || im.load.result == ImportResult::kNoTrack)
                    << entry.path();
                EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"}) << entry.path();
            }
            EXPECT_GT(im.load.preCount.clickTicks, 0) << entry.path();
        }
    }
    EXPECT_GT(files, 50);
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
        if (n < kFirstChunkOffset + 4)  // up to "MTrk"
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
