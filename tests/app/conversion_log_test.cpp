// The conversion log: CR LF lines, nothing written while closed, and the
// program-wide entry points that work only during a batch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/batch/conversion_log.h"
#include "temp_folder.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ConversionLog, WritesEachLineWithCrLf) {
    TempFolder dir;
    ConversionLog log;
    log.Open(dir.path() + "/");
    ASSERT_TRUE(log.IsOpen());
    log.AppendLine("/songs/a.mid");
    log.AppendLine("END");
    EXPECT_TRUE(log.Close());
    EXPECT_EQ(log.Path(), dir.path() + "/CreateLog.log");
    EXPECT_EQ(ReadBytes(log.Path()), "/songs/a.mid\r\nEND\r\n");
}

TEST(ConversionLog, AFileNameWithLineBreaksStaysOneLine) {
    TempFolder dir;
    ConversionLog log;
    log.Open(dir.path() + "/");
    log.AppendLine("/songs/two\nlines\r.mid\t\x1B");
    log.AppendLine("END");
    log.Close();
    EXPECT_EQ(ReadBytes(log.Path()), "/songs/two\\nlines\\r.mid\\t\\x1B\r\nEND\r\n");
}

TEST(ConversionLog, StartsAfreshOnEveryOpen) {
    TempFolder dir;
    std::ofstream(dir.path() + "/CreateLog.log") << "old run\r\n";
    ConversionLog log;
    log.Open(dir.path() + "/");
    log.AppendLine("new");
    log.Close();
    EXPECT_EQ(ReadBytes(dir.path() + "/CreateLog.log"), "new\r\n");
}

TEST(ConversionLog, ThatCannotBeCreatedStaysClosedAndIgnoresLines) {
    TempFolder dir;
    std::filesystem::create_directory(dir.path() + "/CreateLog.log");  // a folder in the way
    ConversionLog log;
    log.Open(dir.path() + "/");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.FailureReason(), "Is a directory");
    log.AppendLine("lost");
    EXPECT_FALSE(log.Close());
}

TEST(ConversionLog, APathTooLongForAPathBufferIsRefusedWithThatReason) {
    ConversionLog log;
    log.Open("/" + std::string(250, 'f') + "/");  // 252 + "CreateLog.log" = 265 bytes
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.FailureReason(), "the path is longer than 259 bytes");
}

TEST(ConversionLog, AppendLogLineWritesOnlyWhileABatchLogIsPublished) {
    TempFolder dir;
    AppendLogLine("no batch yet");  // no log published: nothing happens
    ConversionLog log;
    g_pConversionLog = &log;
    OpenConversionLog(dir.path() + "/");
    ConversionLogReport report;
    report.Report("File is not SMF");
    AppendLogLine("END");
    g_pConversionLog = nullptr;
    log.Close();
    EXPECT_EQ(report.Count(), 1);
    EXPECT_EQ(ReadBytes(log.Path()), "File is not SMF\r\nEND\r\n");
}

}  // namespace
