// The window's texts through the message catalogue: with a Japanese locale
// every message box shows the program's own Japanese bytes, with any other
// locale its English source text.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/song/open_midi_file.h"
#include "app/startup/module_discovery.h"
#include "platform/translation.h"
#include "render/convert_song.h"
#include "ui/window/check_open_path.h"
#include "ui/window/format_titles.h"
#include "ui/window/practice_choices.h"
#include "ui/window/window_texts.h"

namespace {

const char* const kOwnMessages[] = {
    kNoSongLoadedMessage, kWaveFileFailedMessage, kInitializationFailedMessage, kModuleNotInstalledMessage,
    kPathTooLongMessage,  kFolderTooLongMessage,  kNameTooLongMessage,          kExtensionTooLongMessage,
};
// The importer's failures, English words in every locale.
const char* const kImportFailures[] = {"FileNotFound", "File is not SMF", "File is too large", kSongTooLongLine};

bool HasJapanese(const std::string& text) {
    // Every kana and kanji is three bytes in UTF-8, led by 0xE3-0xE9.
    for (const unsigned char c : text)
        if (c >= 0xE3 && c <= 0xE9) return true;
    return false;
}

// Switches the messages' locale for one test and back.
class MessageLocale {
public:
    explicit MessageLocale(const char* name) : old_(std::setlocale(LC_MESSAGES, nullptr)) {
        ok_ = std::setlocale(LC_MESSAGES, name) != nullptr;
    }
    ~MessageLocale() { std::setlocale(LC_MESSAGES, old_.c_str()); }
    bool Ok() const { return ok_; }

private:
    std::string old_;
    bool ok_ = false;
};

class WindowTextsTest : public testing::Test {
protected:
    void SetUp() override { StartTranslation(OMBRIX_LOCALE_FOLDER); }
};

TEST_F(WindowTextsTest, AJapaneseLocaleShowsTheProgramsOwnTextsByteForByte) {
    MessageLocale japanese("ja_JP.UTF-8");
    if (!japanese.Ok()) GTEST_SKIP() << "the locale ja_JP.UTF-8 is not generated";
    for (const char* message : kOwnMessages) EXPECT_EQ(ShownText(message), message);
    // Never an English word or sentence in a Japanese box.
    for (const char* failure : kImportFailures) {
        const std::string shown = ShownText(failure);
        EXPECT_TRUE(HasJapanese(shown)) << shown;
        for (const char* english : kImportFailures) EXPECT_EQ(shown.find(english), std::string::npos) << shown;
    }
    EXPECT_EQ(ShownText("File is not SMF"), "このファイルはスタンダードMIDIファイルではありません。");
    EXPECT_EQ(ConvertingToText(AudioFormat::kMp3), "MP3に変換中");
    EXPECT_EQ(FileNotCreatedText(AudioFormat::kWav), "WAVファイルの作成に失敗しました。");
    EXPECT_STREQ(Tr("Open a MIDI file"), "MIDIファイルを開く");
    EXPECT_EQ(PracticeStatusText(-2, true), "キー \u22122 \u00B7 クリック");
}

TEST_F(WindowTextsTest, OtherLocalesShowEnglishAndForeignTextsPassUnchanged) {
    MessageLocale plain("C");
    ASSERT_TRUE(plain.Ok());
    for (const char* message : kOwnMessages) {
        const std::string shown = ShownText(message);
        EXPECT_NE(shown, message);
        for (const unsigned char c : shown) EXPECT_LT(c, 0x80) << shown;
    }
    for (const char* message : kImportFailures) {
        const std::string shown = ShownText(message);
        EXPECT_NE(shown, message);
        for (const unsigned char c : shown) EXPECT_LT(c, 0x80) << shown;
    }
    EXPECT_EQ(ShownText("Conversion crashed (Segmentation fault)"), "Conversion crashed (Segmentation fault)");
}

}  // namespace
