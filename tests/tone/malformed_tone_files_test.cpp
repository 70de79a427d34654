// Broken copies of the installed tone files: cut short at every few bytes or
// with bytes overwritten, each reader stops cleanly and never reads or
// stores outside its tables.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/tone/tone_test_folders.h"
#include "tone/drum_key_file_reader.h"
#include "tone/tone_file_reader.h"

namespace {

std::string InstalledFile(const std::string& relative) {
    std::ifstream in(std::string(OMBRIX_TONE_DATA_FOLDER) + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the last line of `text` begins.
std::size_t LastLineStart(const std::string& text) {
    const std::size_t end = text.find_last_not_of("\r\n");
    const std::size_t feed = text.rfind('\n', end);
    return feed == std::string::npos ? 0 : feed + 1;
}

TEST(MalformedToneFiles, AFileCutBeforeItsLastLineIsIncompleteAndGetsNoTitle) {
    TempToneFolders temp;
    const std::string path = temp.ProgramPath("TONE/QNS/Cut.TNF");
    const std::string full = InstalledFile("TONE/GM2/GM2.TNF");
    ASSERT_FALSE(full.empty());
    for (std::size_t length = 0; length < full.size(); length += 37) {
        TempToneFolders::Write(path, full.substr(0, length));
        ToneMap map("GM2");
        const bool complete = ReadToneFile(path, map, temp.Folders());
        if (length < LastLineStart(full)) {
            EXPECT_FALSE(complete) << length;
            EXPECT_EQ(map.toneFileTitle, "") << length;
        }
    }
}

TEST(MalformedToneFiles, OverwrittenBytesNeverTakeAReaderOutsideItsTables) {
    TempToneFolders temp;
    std::mt19937 random(20240607);
    const std::pair<const char*, const char*> files[] = {
        {"TONE/QNS/QNS.TNF", "TONE/QNS/Bad.TNF"},
        {"TONE/QNS/QNS.DRF", "TONE/QNS/Bad.DRF"},
        {"TONE/QNS/QNS.DRK", "TONE/QNS/Bad.DRK"},
    };
    const std::string noise = "\t\t=9999999999;\r\n 0123456789PAGE";
    for (const auto& [installed, broken] : files) {
        const std::string original = InstalledFile(installed);
        ASSERT_FALSE(original.empty()) << installed;
        for (int round = 0; round < 40; ++round) {
            std::string text = original;
            for (int n = 0; n < 20; ++n)
                text[random() % text.size()] = noise[random() % noise.size()];
            const std::string path = temp.ProgramPath(broken);
            TempToneFolders::Write(path, text);
            ToneMap map("QNS");
            DrumKeySet set("QNS");
            ReadToneFile(path, map, temp.Folders());
            ReadDrumFile(path, map, temp.Folders());
            ReadDrumKeyFile(path, set, MakeDrumKeyDisplayOrder(), temp.Folders());
            ReadDrumKeyDisplayFile(path, set, temp.Folders());
            EXPECT_LE(map.TonePageCount() + map.DrumPageCount(), 2 * 256);
            EXPECT_LE(set.TableCount(), kMaxDrumKeyTables);
        }
    }
}

}  // namespace
