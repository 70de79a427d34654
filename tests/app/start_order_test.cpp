// The order in which a run starts its files.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/options/start_order.h"
#include "temp_folder.h"

namespace {

class StartOrderTest : public testing::Test {
protected:
    // A planned file `name` of `bytes` bytes whose output goes into `outputFolder`.
    PlannedFile File(const std::string& name, std::size_t bytes, const std::string& outputFolder) {
        const std::string input = folder.path() + "/" + name;
        std::ofstream(input, std::ios::binary) << std::string(bytes, 'x');
        PlannedFile file;
        file.input = input;
        file.output = folder.path() + "/" + outputFolder + "/" + name + ".wav";
        return file;
    }

    static std::vector<std::size_t> Order(const std::vector<PlannedFile>& files, bool longestFirst) {
        StartOrder order(longestFirst);
        order.Add(0, files);
        std::vector<std::size_t> started;
        while (!order.Empty()) started.push_back(order.Next());
        return started;
    }

    TempFolder folder;
};

TEST_F(StartOrderTest, EachOutputFolderStartsItsLargestSongsFirstAndFoldersKeepTheirOrder) {
    std::vector<PlannedFile> files = {File("a", 10, "one"), File("b", 300, "one"), File("c", 20, "one"),
                                      File("d", 20, "one"), File("e", 5, "two"),   File("f", 900, "two")};
    files.push_back(File("g", 0, "one"));
    files.back().input += ".missing";  // no size to go by: last of its folder
    files.push_back(File("h", 50, "one"));
    // "one" twice: a folder that comes back later is a group of its own.
    EXPECT_EQ(Order(files, true), (std::vector<std::size_t>{1, 2, 3, 0, 5, 4, 7, 6}));
}

TEST_F(StartOrderTest, OneAtATimeTheFilesStartInInputOrder) {
    const std::vector<PlannedFile> files = {File("a", 10, "one"), File("b", 300, "one"), File("c", 20, "two")};
    EXPECT_EQ(Order(files, false), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(Order({}, true).empty());
}

}  // namespace

namespace {

TEST_F(StartOrderTest, FilesAddedLaterKeepTheirNumbersAndEachPieceItsOwnOrder) {
    StartOrder order(true);
    order.Add(0, {File("a", 10, "one"), File("b", 30, "one")});
    EXPECT_EQ(order.Next(), 1u);
    order.Add(2, {File("c", 5, "two"), File("d", 50, "two")});
    std::vector<std::size_t> rest;
    while (!order.Empty()) rest.push_back(order.Next());
    EXPECT_EQ(rest, (std::vector<std::size_t>{0, 3, 2}));
}

}  // namespace
