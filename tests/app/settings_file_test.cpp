// The settings file: the INI rules it relies on, the creation of the
// settings folder and the order in which the remembered folder is looked up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/startup/settings_file.h"
#include "platform/ini_file.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& file, const char* fallback = "dflt") {
    return GetPrivateProfileString("DirPath", "SongFile", fallback, 260, file);
}

TEST(IniFile, FindsKeysIgnoringCaseAndSurroundingSpaceAndQuotes) {
    TempFolder dir;
    const std::string file = dir.path() + "/a.ini";
    WriteBytes(file, "[Other]\r\nSongFile=/wrong\r\n[ dirpath ]\r\n  songfile = \"/my songs\" \r\n");
    EXPECT_EQ(Read(file), "/my songs");
}

TEST(IniFile, GivesTheDefaultWithoutTrailingSpaceWhenSomethingIsMissing) {
    TempFolder dir;
    EXPECT_EQ(Read(dir.path() + "/missing.ini", "/docs  "), "/docs");
    WriteBytes(dir.path() + "/b.ini", "[DirPath]\nOther=1\n");
    EXPECT_EQ(Read(dir.path() + "/b.ini"), "dflt");
    EXPECT_EQ(Read(""), "dflt");
}

TEST(IniFile, CutsValuesToTheBufferSize) {
    TempFolder dir;
    const std::string file = dir.path() + "/c.ini";
    WriteBytes(file, "[DirPath]\nSongFile=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(GetPrivateProfileString("DirPath", "SongFile", "", 260, file), std::string(259, 'x'));
}

TEST(IniFile, WritingCreatesTheFileAndKeepsOtherSectionsAndKeys) {
    TempFolder dir;
    const std::string file = dir.path() + "/d.ini";
    ASSERT_TRUE(WritePrivateProfileString("DirPath", "SongFile", "/one", file));
    EXPECT_EQ(ReadBytes(file), "[DirPath]\nSongFile=/one\n");

    WriteBytes(file, "[Window]\r\nX=1\r\n[dirpath]\r\nA=2\r\nsongfile=/old\r\n\r\n[Last]\r\nB=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("DirPath", "SongFile", "/new", file));
    EXPECT_EQ(ReadBytes(file), "[Window]\r\nX=1\r\n[dirpath]\r\nA=2\r\nSongFile=/new\r\n\r\n[Last]\r\nB=3\r\n");

    ASSERT_TRUE(WritePrivateProfileString("Window", "Y", "4", file));
    EXPECT_EQ(GetPrivateProfileString("window", "y", "", 260, file), "4");
    EXPECT_EQ(GetPrivateProfileString("Last", "B", "", 260, file), "3");
}

TEST(IniFile, AValueWithALineBreakIsRefusedAndTheFileKeptAsItWas) {
    TempFolder dir;
    const std::string file = dir.path() + "/f.ini";
    WriteBytes(file, "[DirPath]\nSongFile=/old\n");
    EXPECT_FALSE(WritePrivateProfileString("DirPath", "SongFile", "/a\n[Other]\nX=1", file));
    EXPECT_FALSE(WritePrivateProfileString("DirPath", "SongFile", "/a\rb", file));
    EXPECT_EQ(ReadBytes(file), "[DirPath]\nSongFile=/old\n");
}

TEST(IniFile, WritingFailsWhenTheFolderIsMissing) {
    TempFolder dir;
    EXPECT_FALSE(WritePrivateProfileString("DirPath", "SongFile", "/x", dir.path() + "/no/such/e.ini"));
}

TEST(CreateDirectoryPath, CreatesEveryMissingParentInOrder) {
    TempFolder dir;
    int lastError = -1;
    EXPECT_TRUE(CreateDirectoryPath(dir.path() + "/A/B/C", lastError));
    EXPECT_TRUE(fs::is_directory(dir.path() + "/A/B/C"));
}

TEST(CreateDirectoryPath, AcceptsAnExistingFolder) {
    TempFolder dir;
    int lastError = -1;
    EXPECT_TRUE(CreateDirectoryPath(dir.path(), lastError));
    EXPECT_EQ(lastError, kErrorAlreadyExists);
    EXPECT_TRUE(CreateDirectoryPath(dir.path() + "/", lastError));
}

TEST(CreateDirectoryPath, NeverCreatesTheRoot) {
    int lastError = 0;
    EXPECT_FALSE(CreateDirectoryPath("/", lastError));
    EXPECT_EQ(lastError, kErrorAlreadyExists);
    EXPECT_FALSE(CreateDirectoryPath("", lastError));
    EXPECT_EQ(lastError, kErrorAlreadyExists);
}

TEST(CreateDirectoryPath, FailsWhenAFileStandsInThePath) {
    TempFolder dir;
    WriteBytes(dir.path() + "/A", "not a folder");
    int lastError = 0;
    EXPECT_FALSE(CreateDirectoryPath(dir.path() + "/A", lastError));
    EXPECT_FALSE(CreateDirectoryPath(dir.path() + "/A/B", lastError));
}

TEST(SettingsFolder, IsCreatedUnderTheApplicationDataFolder) {
    TempFolder dir;
    EXPECT_EQ(SettingsFolderUnder(dir.path()), dir.path() + "/Quorel/OMBRIX");
    EXPECT_TRUE(fs::is_directory(dir.path() + "/Quorel/OMBRIX"));
    EXPECT_EQ(SettingsFolderUnder(dir.path() + "/"), dir.path() + "/Quorel/OMBRIX");  // already there
}

TEST(SettingsFolder, IsEmptyWhenAFileNamedOmbrixStandsInItsPlace) {
    TempFolder dir;
    fs::create_directories(dir.path() + "/Quorel");
    WriteBytes(dir.path() + "/Quorel/OMBRIX", "");
    EXPECT_EQ(SettingsFolderUnder(dir.path()), "");
}

TEST(SettingsFolder, IsEmptyWhenAFileNamedQuorelStandsInItsPath) {
    TempFolder dir;
    WriteBytes(dir.path() + "/Quorel", "");
    EXPECT_EQ(SettingsFolderUnder(dir.path()), "");
}

TEST(SettingsFolder, IsEmptyWhenThePathIsTooLong) {
    TempFolder dir;
    EXPECT_EQ(SettingsFolderUnder(dir.path() + "/" + std::string(250, 'd')), "");
}

TEST(LastFolder, OnFirstRunIsTheDocumentsFolder) {
    TempFolder dir;
    EXPECT_EQ(ReadLastFolderFrom(dir.path() + "/user.ini", dir.path() + "/beside.ini", "/home/u/Documents"),
              "/home/u/Documents");
}

TEST(LastFolder, ComesFromTheFileBesideTheProgramWhenThePerUserFileHasNone) {
    TempFolder dir;
    WriteBytes(dir.path() + "/beside.ini", "[DirPath]\nSongFile=/beside\n");
    EXPECT_EQ(ReadLastFolderFrom(dir.path() + "/user.ini", dir.path() + "/beside.ini", "/docs"), "/beside");
}

TEST(LastFolder, ComesFromThePerUserFileFirst) {
    TempFolder dir;
    WriteBytes(dir.path() + "/beside.ini", "[DirPath]\nSongFile=/beside\n");
    WriteBytes(dir.path() + "/user.ini", "[DirPath]\nSongFile=/user\n");
    EXPECT_EQ(ReadLastFolderFrom(dir.path() + "/user.ini", dir.path() + "/beside.ini", "/docs"), "/user");
}

TEST(LastFolder, IsEmptyWhenThePerUserKeyIsEmpty) {
    TempFolder dir;
    WriteBytes(dir.path() + "/user.ini", "[DirPath]\nSongFile=\n");
    EXPECT_EQ(ReadLastFolderFrom(dir.path() + "/user.ini", "", "/docs"), "");
}

TEST(LastFolder, WrittenValueIsReadBack) {
    TempFolder dir;
    const std::string file = dir.path() + "/user.ini";
    ASSERT_TRUE(WritePrivateProfileString("DirPath", "SongFile", "/songs", file));
    EXPECT_EQ(ReadLastFolderFrom(file, "", "/docs"), "/songs");
}

}  // namespace
