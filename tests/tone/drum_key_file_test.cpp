// Drum-key files (*.DRK), drum-key display files (.key) and the default
// display order of drum keys.
#include "tone/drum_key_file_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tone/tone_test_folders.h"
#include "tone/tone_map.h"

namespace {

const DrumKeyRecord* RecordAt(const DrumKeySet& set, int key, int column, int note) {
    const DrumKeyTable* table = set.FindTable(key);
    return table ? table->Find(note + column * 128) : nullptr;
}

TEST(DrumKeyDisplayOrder, PutsTheListedNotesFirstAndStaysAPermutation) {
    const DrumKeyDisplayOrder table = MakeDrumKeyDisplayOrder();
    EXPECT_EQ(table.order[0], 67);
    EXPECT_EQ(table.order[1], 68);
    EXPECT_EQ(table.order[15], 1);
    EXPECT_EQ(table.order[74], 30);
    EXPECT_EQ(table.position[67], 0);
    EXPECT_EQ(table.position[1], 15);
    EXPECT_EQ(table.order[127], 127);
    for (int i = 0; i < kMidiNotes; ++i) EXPECT_EQ(table.position[table.order[i]], i) << i;
    std::array<int, kMidiNotes> sorted = table.order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < kMidiNotes; ++i) EXPECT_EQ(sorted[i], i);
}

TEST(DrumKeyDisplayOrder, ChecksEntries11To13OfEvery25) {
    for (int r = 0; r < kOrderedDrumNotes; ++r) {
        const int entry = r % 25;
        EXPECT_EQ(DrumKeyCheck(r), entry >= 11 && entry <= 13 ? 1 : 0) << r;
    }
}

class DrumKeyFileReader : public ::testing::Test {
protected:
    TempToneFolders temp;
    DrumKeySet set{"QNS"};
    DrumKeyDisplayOrder order = MakeDrumKeyDisplayOrder();
};

TEST_F(DrumKeyFileReader, Version2StoresNamesByNoteAndGivesNamedColumnsTheDefaultOrder) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Keys.DRK", {
        "QBX DRUMKEYFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=1", "DRUMKEYCOUNT=37", "titles",
        "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18",
        "19", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "31", "32", "33", "34", "35",
        "36\tBass Drum 1\t\tA drum-key name that is too long",
    });
    ASSERT_TRUE(ReadDrumKeyFile(path, set, order, temp.Folders()));
    const int key = DrumKeyTableKey(0, 1);
    ASSERT_NE(RecordAt(set, key, 0, 36), nullptr);
    EXPECT_EQ(RecordAt(set, key, 0, 36)->Name(), "Bass Drum 1");
    EXPECT_EQ(RecordAt(set, key, 2, 36)->Name(), "A drum-key name that is");
    EXPECT_EQ(set.drumKeyFileTitle, "Keys");
    // Columns 0 and 2 have names and get the default order; column 1 has none.
    for (const int column : {0, 2}) {
        for (int r = 0; r < kMidiNotes; ++r) {
            const DrumKeyRecord* record = RecordAt(set, key, column, r);
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(record->ShownNote(), order.order[r]);
            EXPECT_EQ(record->Position(), order.position[r]);
        }
        for (int r = 0; r < kOrderedDrumNotes; ++r)
            EXPECT_EQ(RecordAt(set, key, column, order.order[r])->Check(), DrumKeyCheck(r)) << r;
        EXPECT_EQ(RecordAt(set, key, column, 127)->Check(), 0);
    }
    EXPECT_EQ(RecordAt(set, key, 1, 36), nullptr);
}

TEST_F(DrumKeyFileReader, Version3KeysTablesByBankAndPage) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Keys.DRK", {
        "QBX DRUMKEYFILE Ver 3.0", "", "PAGECOUNT=1", "PAGE=2", "BANKCOUNT=2",
        "BANK=0", "DRUMKEYCOUNT=1", "titles", "0\tZero",
        "BANK=5", "DRUMKEYCOUNT=2", "titles", "0\tFirst", "; a comment", "1\t\tSecond",
    });
    ASSERT_TRUE(ReadDrumKeyFile(path, set, order, temp.Folders()));
    EXPECT_EQ(set.TableCount(), 2);
    EXPECT_EQ(RecordAt(set, DrumKeyTableKey(0, 2), 0, 0)->Name(), "Zero");
    EXPECT_EQ(RecordAt(set, DrumKeyTableKey(5, 2), 0, 0)->Name(), "First");
    EXPECT_EQ(RecordAt(set, DrumKeyTableKey(5, 2), 1, 1)->Name(), "Second");
}

TEST_F(DrumKeyFileReader, ABrokenFileKeepsItsNamesAndStillSetsTheTitle) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Cut.DRK", {
        "QBX DRUMKEYFILE Ver 3.0", "", "PAGECOUNT=1", "PAGE=0", "BANKCOUNT=1", "BANK=0", "DRUMKEYCOUNT=3", "titles",
        "0\tOnly one",
    });
    EXPECT_FALSE(ReadDrumKeyFile(path, set, order, temp.Folders()));
    EXPECT_EQ(RecordAt(set, 0, 0, 0)->Name(), "Only one");
    EXPECT_EQ(set.drumKeyFileTitle, "Cut");
}

TEST_F(DrumKeyFileReader, AWrongMagicLeavesTheSetAlone) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Bad.DRK", {
        "QBX DRUMKEYFILE Ver 4.0", "", "PAGECOUNT=1", "PAGE=0", "DRUMKEYCOUNT=1", "titles", "0\tName",
    });
    EXPECT_FALSE(ReadDrumKeyFile(path, set, order, temp.Folders()));
    EXPECT_EQ(set.TableCount(), 0);
    EXPECT_EQ(set.drumKeyFileTitle, "");
}

TEST_F(DrumKeyFileReader, TheDisplayFileOfTheSetFollowsTheDrumKeyFile) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Keys.DRK", {
        "QBX DRUMKEYFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0", "DRUMKEYCOUNT=1", "titles", "0\tKey 0",
    });
    temp.WriteProgramFile("TONE/QNS/QNS.key", {
        "QBX DRUMKEYDISPFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0", "DRUMKEYCOUNT=2", "titles",
        "[DRUM KEY]", "40\t41", "; comment", "42\t \t43",
        "[CHECK]", "1\t", "0\t \t2",
    });
    ASSERT_TRUE(ReadDrumKeyFile(path, set, order, temp.Folders()));
    // Row k, column j: record (j, k) shows note t, record (j, t) sits at position k.
    EXPECT_EQ(RecordAt(set, 0, 0, 0)->ShownNote(), 40);
    EXPECT_EQ(RecordAt(set, 0, 0, 40)->Position(), 0);
    EXPECT_EQ(RecordAt(set, 0, 1, 0)->ShownNote(), 41);
    EXPECT_EQ(RecordAt(set, 0, 1, 41)->Position(), 0);
    EXPECT_EQ(RecordAt(set, 0, 0, 1)->ShownNote(), 42);
    EXPECT_EQ(RecordAt(set, 0, 0, 42)->Position(), 1);
    EXPECT_EQ(RecordAt(set, 0, 2, 1)->ShownNote(), 43);
    EXPECT_EQ(RecordAt(set, 0, 1, 1), nullptr);  // a field starting with a space stores nothing
    EXPECT_EQ(RecordAt(set, 0, 1, 41)->Name(), "");  // created by the display file
    EXPECT_EQ(RecordAt(set, 0, 0, 0)->Check(), 1);
    EXPECT_EQ(RecordAt(set, 0, 0, 1)->Check(), 0);
    EXPECT_EQ(RecordAt(set, 0, 2, 1)->Check(), 2);
}

TEST_F(DrumKeyFileReader, ADisplayFileWithoutItsDrumKeyLineStopsThere) {
    temp.WriteProgramFile("TONE/QNS/QNS.key", {
        "QBX DRUMKEYDISPFILE Ver 3.0", "", "PAGECOUNT=1", "PAGE=0", "BANKCOUNT=1", "BANK=0", "DRUMKEYCOUNT=1",
        "titles", "40",
    });
    EXPECT_FALSE(ReadDrumKeyDisplayFile(temp.ProgramPath("TONE/QNS/QNS.key"), set, temp.Folders()));
    EXPECT_EQ(RecordAt(set, 0, 0, 0), nullptr);
}

TEST_F(DrumKeyFileReader, DisplayValuesOutsideTheTableAreNotStored) {
    temp.WriteProgramFile("TONE/QNS/QNS.key", {
        "QBX DRUMKEYDISPFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0", "DRUMKEYCOUNT=1", "titles",
        "[DRUM KEY]", "99999999999", "[CHECK]", "300",
    });
    ASSERT_TRUE(ReadDrumKeyDisplayFile(temp.ProgramPath("TONE/QNS/QNS.key"), set, temp.Folders()));
    EXPECT_EQ(RecordAt(set, 0, 0, 0)->Check(), 300 & 0xFF);
    EXPECT_EQ(set.FindTable(0)->RecordsInUse(), 1);
}

TEST_F(DrumKeyFileReader, ASetHoldsAtMost64Tables) {
    std::string text = TempToneFolders::Join({"QBX DRUMKEYFILE Ver 3.0", "", "PAGECOUNT=1", "PAGE=0", "BANKCOUNT=100"});
    for (int bank = 0; bank < 100; ++bank)
        text += TempToneFolders::Join({"BANK=" + std::to_string(bank), "DRUMKEYCOUNT=1", "titles", "0\tKey"});
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/Many.DRK"), text);
    EXPECT_TRUE(ReadDrumKeyFile(temp.ProgramPath("TONE/QNS/Many.DRK"), set, order, temp.Folders()));
    EXPECT_EQ(set.TableCount(), kMaxDrumKeyTables);
    EXPECT_EQ(set.FindTable(64), nullptr);
}

}  // namespace
