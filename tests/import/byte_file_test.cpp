// The byte and line file reader: bounded reads, seeking and line splitting.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/byte_file.h"
#include "smf_test_support.h"

namespace {

using smftest::Bytes;

std::string FileOf(const std::string& text) { return smftest::WriteTempFile(Bytes(text.begin(), text.end())); }

TEST(Myifstream, OpeningAMissingFileSetsTheFailureBit) {
    Myifstream file;
    EXPECT_FALSE(file.Open("/nonexistent/file"));
    EXPECT_EQ(file.status & Myifstream::kOpenFailed, Myifstream::kOpenFailed);
    EXPECT_EQ(file.ReadByte(), -1);
}

TEST(Myifstream, AFolderCannotBeOpenedAsAFile) {
    const auto folder = std::filesystem::path(FileOf("x")).parent_path();
    Myifstream file;
    EXPECT_FALSE(file.Open(folder.string()));
    EXPECT_EQ(file.status & Myifstream::kOpenFailed, Myifstream::kOpenFailed);
    EXPECT_EQ(file.ReadByte(), -1);
}

TEST(Myifstream, AFifoIsRefusedAtOnceInsteadOfWaitingForAWriter) {
    const auto fifo = std::filesystem::path(FileOf("x")).parent_path() / "pipe.mid";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Myifstream file;
    EXPECT_FALSE(file.Open(fifo.string()));  // a plain open would never return
    EXPECT_EQ(file.status & Myifstream::kOpenFailed, Myifstream::kOpenFailed);
    std::filesystem::remove(fifo);
}

TEST(Myifstream, BytesAreReadUntilTheEndAndThenMinusOne) {
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf("\x01\xFF")));
    EXPECT_EQ(file.Length(), 2);
    EXPECT_EQ(file.ReadByte(), 1);
    EXPECT_EQ(file.ReadByte(), 255);
    EXPECT_EQ(file.ReadByte(), -1);
    EXPECT_EQ(file.ReadByte(), -1);
}

TEST(Myifstream, AFourByteReadCutShortReportsItAndZeroFillsTheRest) {
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf("MTr")));
    std::array<std::uint8_t, 4> id{};
    EXPECT_FALSE(file.Read4(id));
    EXPECT_EQ(id, (std::array<std::uint8_t, 4>{'M', 'T', 'r', 0}));
}

TEST(Myifstream, SeeksAreClampedToTheFile) {
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf("abcdef")));
    EXPECT_EQ(file.Seek(4, Myifstream::SeekFrom::kBegin), 4);
    EXPECT_EQ(file.ReadByte(), 'e');
    EXPECT_EQ(file.Seek(-2, Myifstream::SeekFrom::kCurrent), 3);
    EXPECT_EQ(file.ReadByte(), 'd');
    EXPECT_EQ(file.Seek(0x7FFFFFFF, Myifstream::SeekFrom::kCurrent), 6);
    EXPECT_EQ(file.Remaining(), 0);
    EXPECT_EQ(file.ReadByte(), -1);
    EXPECT_EQ(file.Seek(-100, Myifstream::SeekFrom::kCurrent), 0);
    EXPECT_EQ(file.ReadByte(), 'a');
}

TEST(Myifstream, LinesEndAtLineFeedsWithACarriageReturnBeforeThemDropped) {
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf("one\r\ntwo\n\nlast")));
    std::string line;
    std::vector<std::string> lines;
    while (file.ReadLine(line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));
}

TEST(Myifstream, ALineLongerThan2000BytesContinuesAsTheNextLine) {
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf(std::string(2000, 'a') + "\r\n" + std::string(2003, 'b') + "\n")));
    std::string line;
    std::vector<std::size_t> lengths;
    while (file.ReadLine(line)) lengths.push_back(line.size());
    EXPECT_EQ(lengths, (std::vector<std::size_t>{2000, 2000, 3}));
}

TEST(Myifstream, ReadsWorkAcrossTheInternalBuffer) {
    std::string text(200000, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i % 251);
    Myifstream file;
    ASSERT_TRUE(file.Open(FileOf(text)));
    file.Seek(70000, Myifstream::SeekFrom::kBegin);
    EXPECT_EQ(file.ReadByte(), 70000 % 251);
    file.Seek(65535, Myifstream::SeekFrom::kBegin);
    EXPECT_EQ(file.ReadByte(), 65535 % 251);
    EXPECT_EQ(file.ReadByte(), 65536 % 251);
    EXPECT_EQ(file.Position(), 65537);
}

}  // namespace
