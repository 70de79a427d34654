// Tone files (*.TNF) and drum files (*.DRF) read into a map.
#include "tone/tone_file_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tone/tone_test_folders.h"

namespace {

// The name at (column, row) of the page with `key`; "-" when none is stored.
std::string NameAt(const ToneMap& map, int key, int column, int row) {
    const TonePage* page = map.FindPage(key);
    const ToneNameRecord* record = page ? page->names.Find(NameSlot(column, row)) : nullptr;
    return record ? record->Name() : "-";
}

class ToneFileReader : public ::testing::Test {
protected:
    TempToneFolders temp;
    ToneMap map{"QNS"};
};

TEST_F(ToneFileReader, ReadsThePianoPageExample) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Tones.TNF", {
        "; tone names",
        "QBX TONEFILE Ver 2.0\tmade by hand",
        "free line",
        "BANKCONTROLCC#=0",
        "PAGECOUNT=1",
        "PAGE=0\tPiano",
        "KIND=0",
        "TONECOUNT=2",
        "PC\tBank 0\tBank 1",
        "1\tPiano 1\tPiano 1w",
        "2\tPiano 2",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "Piano 1");
    EXPECT_EQ(NameAt(map, 0, 1, 0), "Piano 1w");
    EXPECT_EQ(NameAt(map, 0, 0, 1), "Piano 2");
    EXPECT_EQ(NameAt(map, 0, 1, 1), "-");
    const TonePage* page = map.FindPage(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->name, "Piano");
    EXPECT_EQ(page->kind, 0);
    EXPECT_EQ(map.toneFileTitle, "Tones");
}

TEST_F(ToneFileReader, AcceptsTheMagicInLowerCase) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/a.tnf", {
        "qbx tonefile ver 2.0", "", "BANKCONTROLCC#=32", "PAGECOUNT=1",
        "PAGE=3\tOrgan", "KIND=2", "TONECOUNT=1", "titles", "x\tOrgan 1",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(map.bankControlCC, 32);
    EXPECT_EQ(NameAt(map, 3, 0, 0), "Organ 1");
    EXPECT_EQ(map.FindPage(3)->kind, 2);
}

TEST_F(ToneFileReader, AnotherMagicOrAnEmptyFirstLineStoresNothing) {
    for (const std::string_view first : {"QBX DRUMFILE Ver 2.0", "", "QBX TONEFILE Ver 2.1"}) {
        ToneMap fresh("QNS");
        const std::string path = temp.WriteProgramFile("TONE/QNS/bad.TNF", {
            first, "", "BANKCONTROLCC#=5", "PAGECOUNT=1", "PAGE=0\tP", "KIND=0", "TONECOUNT=1", "t", "0\tName",
        });
        EXPECT_FALSE(ReadToneFile(path, fresh, temp.Folders())) << first;
        EXPECT_EQ(fresh.TonePageCount(), 0) << first;
        EXPECT_EQ(fresh.bankControlCC, 0) << first;
        EXPECT_EQ(fresh.toneFileTitle, "") << first;
    }
}

TEST_F(ToneFileReader, CommentsBetweenRowsDoNotUseUpARow) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/c.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
        "PAGE=0\tPiano", "; kind follows", "KIND=0", "TONECOUNT=2", "titles",
        "0\tFirst", "; between the rows", "1\tSecond",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "First");
    EXPECT_EQ(NameAt(map, 0, 0, 1), "Second");
}

TEST_F(ToneFileReader, EmptyFieldsAndFieldsStartingWithASpaceStillCountAsColumns) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/e.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
        "PAGE=0\tPiano", "KIND=0", "TONECOUNT=2", "titles",
        "0\t\tSecond column",
        "1\t spaced\tThird\t",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "-");
    EXPECT_EQ(NameAt(map, 0, 1, 0), "Second column");
    EXPECT_EQ(NameAt(map, 0, 0, 1), "-");
    EXPECT_EQ(NameAt(map, 0, 1, 1), "Third");
}

TEST_F(ToneFileReader, TheFirstNameOfAPageSetsItsNameAndKindAndEmptyPagesAreNotCreated) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/p.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=2",
        "PAGE=1\tNothing here", "KIND=4", "TONECOUNT=1", "titles", "0\t\t ",
        "PAGE=2\tA page name longer than fourteen", "KIND=7", "TONECOUNT=1", "titles", "0\tX",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(map.FindPage(1), nullptr);
    ASSERT_NE(map.FindPage(2), nullptr);
    EXPECT_EQ(map.FindPage(2)->name, "A page name lo");
    EXPECT_EQ(map.FindPage(2)->kind, 7);
    EXPECT_EQ(map.TonePageCount(), 1);
}

TEST_F(ToneFileReader, NamesAreCutTo28Characters) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/n.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
        "PAGE=0\tP", "KIND=0", "TONECOUNT=1", "titles", "0\tA name that is far longer than the record holds",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "A name that is far longer th");
}

TEST_F(ToneFileReader, AFileThatBreaksOffKeepsItsNamesButNotItsTitle) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/broken.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=3",
        "PAGE=0\tP", "KIND=0", "TONECOUNT=1", "titles", "0\tKept",
        "PAGE=1\tQ", "KIND=0", "TONECOUNT=4", "titles", "0\tAlso kept",
    });
    EXPECT_FALSE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "Kept");
    EXPECT_EQ(NameAt(map, 1, 0, 0), "Also kept");
    EXPECT_EQ(map.toneFileTitle, "");
}

TEST_F(ToneFileReader, AKeyLineThatDoesNotMatchEndsTheFile) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/k.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=2",
        "PAGE=0\tP", "KIND=0", "TONECOUNT=1", "titles", "0\tFirst",
        "PAGE=1\tQ", "kind=0", "TONECOUNT=1", "titles", "0\tNever read",
    });
    EXPECT_FALSE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "First");
    EXPECT_EQ(map.FindPage(1), nullptr);
}

TEST_F(ToneFileReader, AKeyIsRecognisedByItsPrefixAndItsValueFollowsTheLastEqualsSign) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/v.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=a=12x", "PAGECOUNTER=1",
        "PAGES=9\tNine", "KIND=0", "TONECOUNT=1", "titles", "0\tN",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(map.bankControlCC, 12);
    EXPECT_EQ(NameAt(map, 9, 0, 0), "N");
}

TEST_F(ToneFileReader, RowCountsAreTakenModulo256) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/m.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
        "PAGE=0\tP", "KIND=0", "TONECOUNT=257", "titles", "0\tOnly row",
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), "Only row");
}

TEST_F(ToneFileReader, RowsBeyond127LandInTheNextColumnAndNothingIsStoredPastTheTable) {
    std::string rows;
    for (int r = 0; r < 129; ++r) rows += (r == 128 ? "x\tRow 128" : "x") + std::string("\r\n");
    std::string wide = "x";
    for (int c = 0; c <= 129; ++c) wide += "\tC" + std::to_string(c);
    TempToneFolders::Write(temp.ProgramPath("TONE/QNS/w.TNF"),
                           TempToneFolders::Join({"QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=2",
                                                  "PAGE=0\tP", "KIND=0", "TONECOUNT=129", "titles"}) +
                               rows +
                               TempToneFolders::Join({"PAGE=1\tQ", "KIND=0", "TONECOUNT=1", "titles", wide}));
    ASSERT_TRUE(ReadToneFile(temp.ProgramPath("TONE/QNS/w.TNF"), map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 1, 0), "Row 128");
    EXPECT_EQ(NameAt(map, 1, 128, 0), "C128");
    EXPECT_EQ(map.FindPage(1)->names.RecordsInUse(), 129);  // C129 lies past the table
}

TEST_F(ToneFileReader, ALineLongerThan2000BytesContinuesAsTheNextLine) {
    const std::string longRow = "0\t" + std::string(1998, 'a') + "\tB";
    const std::string path = temp.WriteProgramFile("TONE/QNS/l.TNF", {
        "QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
        "PAGE=0\tP", "KIND=0", "TONECOUNT=2", "titles", longRow,
    });
    ASSERT_TRUE(ReadToneFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 0, 0, 0), std::string(28, 'a'));
    EXPECT_EQ(NameAt(map, 0, 0, 1), "B");  // the rest of the long line is row 1
}

TEST_F(ToneFileReader, AMissingFileStoresNothing) {
    EXPECT_FALSE(ReadToneFile(temp.ProgramPath("TONE/QNS/none.TNF"), map, temp.Folders()));
    EXPECT_EQ(map.TonePageCount(), 0);
}

TEST_F(ToneFileReader, DrumFilePagesBecomeDrumPagesOfKind1) {
    const std::string path = temp.WriteProgramFile("TONE/QNS/Kits.DRF", {
        "QBX DRUMFILE Ver 2.0", "", "PAGECOUNT=2",
        "PAGE=0\tKits", "TONECOUNT=2", "titles", "0\tStandard Set", "1\tOther Set",
        "PAGE=1\tMore", "TONECOUNT=1", "titles", "0\tMore Set",
    });
    ASSERT_TRUE(ReadDrumFile(path, map, temp.Folders()));
    EXPECT_EQ(NameAt(map, 128, 0, 0), "Standard Set");
    EXPECT_EQ(NameAt(map, 128, 0, 1), "Other Set");
    EXPECT_EQ(NameAt(map, 129, 0, 0), "More Set");
    EXPECT_EQ(map.FindPage(128)->kind, 1);
    EXPECT_EQ(map.FindPage(128)->name, "Kits");
    EXPECT_EQ(map.TonePageCount(), 0);
    EXPECT_EQ(map.DrumPageCount(), 2);
    EXPECT_EQ(map.drumFileTitle, "Kits");
    EXPECT_EQ(map.toneFileTitle, "");
}

TEST_F(ToneFileReader, TitlesAreTheNameBeforeTheLastDotCutTo11Characters) {
    EXPECT_EQ(FileTitle("Tones.v2.TNF"), "Tones.v2");
    EXPECT_EQ(FileTitle("AVeryLongToneFileName.TNF"), "AVeryLongTo");
    EXPECT_EQ(FileTitle("NoExtension"), "NoExtension");
}

}  // namespace
