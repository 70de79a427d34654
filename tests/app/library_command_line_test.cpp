// The options for whole libraries on the option command line, and the file
// lists of --files-from.
#include <gtest/gtest.h>

#include <sstream>

#include "app/options/file_list.h"
#include "app/options/option_command_line.h"

namespace {

ParsedCommandLine Parse(std::vector<std::string> arguments) { return ParseOptionCommandLine(arguments); }

TEST(LibraryCommandLine, TheLibraryOptionsAreRead) {
    const ParsedCommandLine parsed = Parse({"-r", "--files-from", "-", "--null", "--shard", "1/4", "--skip-up-to-date",
                                            "--report=run.jsonl", "lib"});
    ASSERT_EQ(parsed.error, "");
    const ConversionRequest& request = parsed.request;
    EXPECT_TRUE(request.recursive);
    EXPECT_EQ(request.filesFrom, "-");
    EXPECT_TRUE(request.nulSeparated);
    ASSERT_TRUE(request.shard);
    EXPECT_EQ(request.shard->index, 1);
    EXPECT_EQ(request.shard->count, 4);
    EXPECT_TRUE(request.skipUpToDate);
    EXPECT_EQ(request.report, "run.jsonl");
    EXPECT_EQ(request.inputs, (std::vector<std::string>{"lib"}));

    const char* recursiveFirst[] = {"ombrix", "-rq", "lib"};
    EXPECT_TRUE(IsOptionCommandLine(3, recursiveFirst));
    const ParsedCommandLine fromEnvironment = Parse({"--shard-from-env=8", "--recursive", "lib"});
    EXPECT_TRUE(fromEnvironment.request.shardFromEnvironment);
    EXPECT_EQ(fromEnvironment.request.shardCount, 8);
    EXPECT_FALSE(Parse({"--shard-from-env", "lib"}).request.shardCount);
    // A list alone is enough input.
    EXPECT_EQ(Parse({"--files-from", "list.txt"}).error, "");
}

TEST(LibraryCommandLine, BadLibraryOptionsAreUsageErrors) {
    EXPECT_NE(Parse({"--shard", "4/4", "lib"}).error.find("not K/N"), std::string::npos);
    EXPECT_NE(Parse({"--shard", "1/4", "--shard-from-env", "lib"}).error.find("not both"), std::string::npos);
    EXPECT_NE(Parse({"--shard-from-env=0", "lib"}).error.find("shard count"), std::string::npos);
    EXPECT_NE(Parse({"--report="}).error, "");
    EXPECT_EQ(Parse({"--skip-up-to-date"}).error, "no input given");
}

TEST(FileList, NamesAreLinesOrNulTerminatedAndEmptyOnesAreSkipped) {
    std::istringstream lines("a.mid\r\nsub/b.mid\n\nlast.mid");
    EXPECT_EQ(ReadFileList(lines, false), (std::vector<std::string>{"a.mid", "sub/b.mid", "last.mid"}));
    std::istringstream nul(std::string("with\nbreak.mid\0plain.mid\0\0", 26));
    EXPECT_EQ(ReadFileList(nul, true), (std::vector<std::string>{"with\nbreak.mid", "plain.mid"}));
    std::string error;
    EXPECT_FALSE(ReadFileListFrom("/nonexistent/list.txt", false, error));
    EXPECT_NE(error.find("/nonexistent/list.txt"), std::string::npos);
}

}  // namespace
