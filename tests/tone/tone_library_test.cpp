// Building the tone library from the tone folder, the per-user copies of its
// files, and the name lookup.
#include "tone/tone_library.h"

#include <gtest/gtest.h>

#include "platform/byte_file.h"
#include "tests/tone/tone_test_folders.h"
#include "tone/instrument_family.h"
#include "tone/tone_lookup.h"

namespace {

// A tone file with one page 0 whose row 0 holds `name` in column 0.
std::string OneNameToneFile(std::string_view name) {
    const std::string row = "0\t" + std::string(name);
    return TempToneFolders::Join({"QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1", "PAGE=0\tP",
                                  "KIND=0", "TONECOUNT=1", "titles", row});
}

TEST(ToneLibrary, LoadsTheQnsAndGm2MapsFromTheirFolders) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Piano 1"));
    temp.WriteProgramFile("TONE/QNS/QNS.DRF", {"QBX DRUMFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0\tKits",
                                               "TONECOUNT=1", "titles", "0\tStandard Set"});
    temp.WriteProgramFile("TONE/GM2/GM2.tnf", {"QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
                                               "PAGE=121\tMelodic", "KIND=0", "TONECOUNT=1", "titles",
                                               "0\tAcoustic Grand Piano\tWide Acoustic Grand"});
    const auto library = BuildToneLibrary(temp.Folders());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->MapCount(), 2);
    EXPECT_EQ(library->DrumKeySetCount(), 2);
    EXPECT_NE(library->FindDrumKeySet("QNS"), nullptr);
    EXPECT_NE(library->FindDrumKeySet("GM2"), nullptr);
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, 0), "Piano 1");
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 128, 0, 0), "Standard Set");
    EXPECT_EQ(LookupToneName(library.get(), "GM2", 121, 1, 0), "Wide Acoustic Grand");
    EXPECT_EQ(library->FindMap("QNS")->toneFileTitle, "QNS");
    EXPECT_EQ(library->FindMap("GM2")->toneFileTitle, "GM2");
}

TEST(ToneLibrary, WithoutATonefolderBothMapsExistEmptyAndEveryLookupIsEmpty) {
    TempToneFolders temp;
    const auto library = BuildToneLibrary(temp.Folders());
    ASSERT_NE(library, nullptr);
    ASSERT_NE(library->FindMap("QNS"), nullptr);
    ASSERT_NE(library->FindMap("GM2"), nullptr);
    EXPECT_EQ(library->FindMap("QNS")->TonePageCount(), 0);
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, 0), "");
    EXPECT_EQ(LookupToneName(library.get(), "GM2", 121, 0, 0), "");
}

TEST(ToneLibrary, LookupIsEmptyWithoutLibraryMapPageOrName) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Piano 1"));
    const auto library = BuildToneLibrary(temp.Folders());
    EXPECT_EQ(LookupToneName(nullptr, "QNS", 0, 0, 0), "");
    EXPECT_EQ(LookupToneName(library.get(), "qns", 0, 0, 0), "");  // map names are case-sensitive
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 5, 0, 0), "");
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, 1), "");
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 129, 0), "");     // past the page's table
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 200000, 0), "");  // far past it
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, -1), "");
}

TEST(ToneLibrary, OnlyTheFirstToneFileOfAFolderIsRead) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/A.TNF"), OneNameToneFile("From A"));
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/B.TNF"), OneNameToneFile("From B"));
    const auto library = BuildToneLibrary(temp.Folders());
    const std::string name = LookupToneName(library.get(), "QNS", 0, 0, 0);
    EXPECT_TRUE(name == "From A" || name == "From B") << name;
    const std::string title = library->FindMap("QNS")->toneFileTitle;
    EXPECT_EQ(name, "From " + title);
}

TEST(ToneLibrary, AGm2FolderWithADrumFileGetsDrumPagesFrom128) {
    TempToneFolders temp;
    temp.WriteProgramFile("TONE/GM2/Kits.DRF", {"QBX DRUMFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0\tKits",
                                                "TONECOUNT=1", "titles", "0\tStandard Set"});
    const auto library = BuildToneLibrary(temp.Folders());
    const ToneMap* gm2 = library->FindMap("GM2");
    ASSERT_NE(gm2, nullptr);
    EXPECT_EQ(gm2->DrumPageCount(), 1);
    EXPECT_EQ(LookupToneName(library.get(), "GM2", 128, 0, 0), "Standard Set");
    EXPECT_EQ(gm2->drumFileTitle, "Kits");
}

TEST(ToneLibrary, APerUserCopyOfAToneFileIsReadInsteadOfTheProgramsOwn) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Installed"));
    TempToneFolders::Write(temp.SettingsPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Per user"));
    TempToneFolders::Write(temp.ProgramPath("TONE/GM2/GM2.TNF"), OneNameToneFile("Installed GM2"));
    const auto library = BuildToneLibrary(temp.Folders());
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, 0), "Per user");
    EXPECT_EQ(LookupToneName(library.get(), "GM2", 0, 0, 0), "Installed GM2");
}

TEST(ToneLibrary, APerUserFileWithoutAnInstalledOneIsNotFound) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.SettingsPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Per user"));
    const auto library = BuildToneLibrary(temp.Folders());
    EXPECT_EQ(LookupToneName(library.get(), "QNS", 0, 0, 0), "");
}

TEST(ToneLibrary, LoadingAMapByNameAgainChangesNothing) {
    TempToneFolders temp;
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Piano 1"));
    ToneLibrary library;
    library.LoadMapByName("QNS", temp.Folders());
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"), OneNameToneFile("Changed"));
    library.LoadMapByName("QNS", temp.Folders());
    EXPECT_EQ(library.MapCount(), 1);
    EXPECT_EQ(LookupToneName(&library, "QNS", 0, 0, 0), "Piano 1");
}

TEST(OpenRedirected, FallsBackToTheProgramsFileOnlyWhenThePerUserOneIsMissing) {
    TempToneFolders temp;
    const std::string installed = temp.WriteProgramFile("TONE/QNS/x.TNF", {"installed"});
    Myifstream file;
    std::string line;
    ASSERT_TRUE(OpenRedirected(file, installed, temp.Folders()));
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "installed");

    // A file where the per-user TONE folder should be: a folder on the way is missing.
    TempToneFolders::Write(temp.SettingsPath("TONE"), "not a folder");
    ASSERT_TRUE(OpenRedirected(file, installed, temp.Folders()));
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "installed");
}

TEST(OpenRedirected, OpensPerUserPathsAsTheyAreAndNothingElse) {
    TempToneFolders temp;
    const std::string user = temp.WriteSettingsFile("TONE/QNS/x.TNF", {"user"});
    Myifstream file;
    EXPECT_TRUE(OpenRedirected(file, user, temp.Folders()));
    EXPECT_FALSE(OpenRedirected(file, "/etc/hostname", temp.Folders()));
}

TEST(OpenRedirected, WithoutASettingsFolderOpensTheProgramsFile) {
    TempToneFolders temp;
    const std::string installed = temp.WriteProgramFile("TONE/QNS/x.TNF", {"installed"});
    ToneFolders folders = temp.Folders();
    folders.settingsFolder.clear();
    Myifstream file;
    EXPECT_TRUE(OpenRedirected(file, installed, folders));
}

// The tone files this program installs.
class InstalledToneFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library_ = BuildToneLibrary({OMBRIX_TONE_DATA_FOLDER, ""}).release(); }
    static void TearDownTestSuite() {
        delete library_;
        library_ = nullptr;
    }
    static ToneLibrary* library_;
};
ToneLibrary* InstalledToneFiles::library_ = nullptr;

TEST_F(InstalledToneFiles, NameEveryProgramOfBank0AndTheDrumKits) {
    EXPECT_EQ(LookupToneName(library_, "QNS", 0, 0, 0), "Piano 1");
    for (int program = 0; program < 128; ++program)
        EXPECT_NE(LookupToneName(library_, "QNS", 0, 0, program), "") << program;
    const std::pair<int, const char*> kits[] = {{0, "Standard Set"},    {8, "Room Set"},   {16, "Power Set"},
                                                {24, "Electronic Set"}, {25, "Analog Set"}, {32, "Jazz Set"},
                                                {40, "Brush Set"},      {48, "Orchestra Set"}, {56, "SFX Set"}};
    for (const auto& [program, name] : kits) {
        EXPECT_EQ(LookupToneName(library_, "QNS", 128, 0, program), name) << program;
        EXPECT_EQ(LookupToneName(library_, "GM2", 120, 0, program), name) << program;
    }
}

TEST_F(InstalledToneFiles, NameGeneralMidiLevel2ProgramsAndVariations) {
    for (int program = 0; program < 128; ++program) {
        EXPECT_NE(LookupToneName(library_, "GM2", 121, 0, program), "") << program;
        EXPECT_EQ(LookupToneName(library_, "GM2", 121, 0, program), LookupToneName(library_, "GM2", 0, 0, program))
            << program;
    }
    EXPECT_EQ(LookupToneName(library_, "GM2", 121, 0, 0), "Acoustic Grand Piano");
    EXPECT_EQ(LookupToneName(library_, "GM2", 121, 1, 0), "Wide Acoustic Grand");
    EXPECT_EQ(LookupToneName(library_, "GM2", 121, 0, 24), "Acoustic Guitar (nylon)");
}

TEST_F(InstalledToneFiles, IncludeADrumKeySetWithTheStandardKeys) {
    const DrumKeySet* set = library_->FindDrumKeySet("QNS");
    ASSERT_NE(set, nullptr);
    const DrumKeyTable* table = set->FindTable(0);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->Find(36), nullptr);
    EXPECT_EQ(table->Find(36)->Name(), "Bass Drum 1");
}

TEST_F(InstalledToneFiles, NameABassExactlyWhereTheBassFamilyIs) {
    const std::pair<const char*, int> pages[] = {{"QNS", 0}, {"GM2", 0}, {"GM2", 121}};
    int basses = 0;
    for (const auto& [map, page] : pages) {
        for (int column = 0; column < 128; ++column) {
            for (int program = 0; program < 128; ++program) {
                const std::string name = LookupToneName(library_, map, page, column, program);
                if (name.empty()) continue;
                const bool family = program >= kFirstBassProgram && program <= kLastBassProgram;
                // The name alone says the same as the program.
                EXPECT_EQ(IsBassInstrument(0, name), family) << map << " " << page << " " << column << " " << name;
                basses += family ? 1 : 0;
            }
        }
    }
    EXPECT_GE(basses, 24);
}

TEST(BassInstrument, GoesByTheFamilyOrTheLastWordOfTheName) {
    EXPECT_TRUE(IsBassInstrument(33, ""));
    EXPECT_TRUE(IsBassInstrument(39, "Piano 1"));  // a program of the family whatever the map calls it
    EXPECT_FALSE(IsBassInstrument(31, ""));
    EXPECT_FALSE(IsBassInstrument(40, ""));
    for (const char* name : {"Fingered Bass", "Synth Bass 3 (resonance)", "Syn.Bass", "WOOD BASS", "Bass"})
        EXPECT_TRUE(IsBassInstrument(0, name)) << name;
    for (const char* name : {"Bassoon", "Contrabass", "Concert Bass Drum", "Bass Hit Plus", "Lead 8 (bass + lead)",
                             "Bass & Lead", "Acoustic Bass String Slap", ""})
        EXPECT_FALSE(IsBassInstrument(0, name)) << name;
}

}  // namespace
