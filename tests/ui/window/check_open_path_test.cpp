// Length checks of a path chosen in the open dialog.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/window/fake_window_host.h"
#include "ui/window/check_open_path.h"
#include "ui/window/audio_file_name.h"

namespace {

// A path of exactly `folder`, `name` and `extension` bytes ("/" ends the folder,
// "." starts the extension).
std::string PathOf(std::size_t folder, std::size_t name, std::size_t extension) {
    std::string path = folder ? std::string(folder - 1, 'f') + "/" : "";
    path += std::string(name, 'n');
    if (extension) path += "." + std::string(extension - 1, 'e');
    return path;
}

std::vector<std::string> Check(const std::string& path, bool expected) {
    RecordedMessages messages;
    EXPECT_EQ(CheckOpenPath(path, messages), expected) << path.size() << " bytes";
    return messages.texts;
}

}  // namespace

TEST(CheckOpenPath, APathBelow260BytesPassesAnd260IsTooLong) {
    EXPECT_TRUE(Check(PathOf(100, 155, 4), true).empty());  // 259 bytes
    EXPECT_EQ(Check(PathOf(100, 156, 4), false), std::vector<std::string>{kPathTooLongMessage});
}

TEST(CheckOpenPath, EachPartMayHave255BytesButNot256) {
    EXPECT_TRUE(Check(PathOf(255, 2, 2), true).empty());
    EXPECT_EQ(Check(PathOf(256, 1, 2), false), std::vector<std::string>{kFolderTooLongMessage});
    EXPECT_TRUE(Check(PathOf(2, 255, 2), true).empty());
    EXPECT_EQ(Check(PathOf(2, 256, 0), false), std::vector<std::string>{kNameTooLongMessage});
    EXPECT_TRUE(Check(PathOf(2, 1, 255), true).empty());
    EXPECT_EQ(Check(PathOf(2, 1, 256), false), std::vector<std::string>{kExtensionTooLongMessage});
}

TEST(CheckOpenPath, ADotInAFolderNameDoesNotStartTheExtension) {
    const OpenPathParts parts = SplitOpenPath("/music/a.b/song");
    EXPECT_EQ(parts.folder, "/music/a.b/");
    EXPECT_EQ(parts.name, "song");
    EXPECT_EQ(parts.extension, "");
    const OpenPathParts dotted = SplitOpenPath("/m/take.2.mid");
    EXPECT_EQ(dotted.name, "take.2");
    EXPECT_EQ(dotted.extension, ".mid");
}

TEST(SavedAudioPath, UnderWavOnlyANameWithoutExtensionGetsWav) {
    EXPECT_EQ(SavedAudioPath("/out/practice", AudioFormat::kWav), "/out/practice.wav");
    EXPECT_EQ(SavedAudioPath("/out/practice.wav", AudioFormat::kWav), "/out/practice.wav");
    EXPECT_EQ(SavedAudioPath("/out/take.2", AudioFormat::kWav), "/out/take.2");
    EXPECT_EQ(SavedAudioPath("/out.d/practice", AudioFormat::kWav), "/out.d/practice.wav");
}

TEST(SavedAudioPath, ATypedFormatExtensionWinsOverTheChosenType) {
    EXPECT_EQ(SavedAudioPath("/out/song.MP3", AudioFormat::kWav), "/out/song.MP3");
    EXPECT_EQ(SavedAudioPath("/out/song.wav", AudioFormat::kFlac), "/out/song.wav");
    EXPECT_EQ(SavedAudioPath("/out/song.opus", AudioFormat::kOgg), "/out/song.opus");
}

TEST(SavedAudioPath, AnotherTypeAddsItsExtensionUnlessTheNameHasAFormatsOne) {
    EXPECT_EQ(SavedAudioPath("/out/song", AudioFormat::kFlac), "/out/song.flac");
    EXPECT_EQ(SavedAudioPath("/out/take.2", AudioFormat::kOgg), "/out/take.2.ogg");
    EXPECT_EQ(SavedAudioPath("/out.d/song", AudioFormat::kOpus), "/out.d/song.opus");
    EXPECT_EQ(SavedAudioPath("/out/song", AudioFormat::kMp3), "/out/song.mp3");
}

TEST(NameForChosenType, ReplacesOnlyAFormatsExtension) {
    EXPECT_EQ(NameForChosenType("song.wav", AudioFormat::kFlac), "song.flac");
    EXPECT_EQ(NameForChosenType("Live 1.2.FLAC", AudioFormat::kMp3), "Live 1.2.mp3");
    EXPECT_EQ(NameForChosenType("song.opus", AudioFormat::kWav), "song.wav");
    EXPECT_EQ(NameForChosenType("take.2", AudioFormat::kFlac), "take.2");
    EXPECT_EQ(NameForChosenType("song", AudioFormat::kOgg), "song");
    EXPECT_EQ(NameForChosenType("", AudioFormat::kOgg), "");
}
