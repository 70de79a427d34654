// Splitting inputs between shards: the hash is fixed for good, every input
// lands in exactly one shard, and the schedulers' variables give K and N.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/options/conversion_plan.h"
#include "app/options/shard_selection.h"

namespace {

using Variables = std::map<std::string, std::string>;

std::optional<Shard> FromEnvironment(const Variables& variables, std::optional<int> count, std::string& error) {
    return ShardFromEnvironment(
        [&variables](const char* name) {
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
        },
        count, error);
}

TEST(ShardSelection, TheHashIsFixedSoThatMachinesAndVersionsAgree) {
    // Changing these values would move files between shards of a library
    // already split by an earlier version: they must never change.
    EXPECT_EQ(ShardHash(""), 0xf52a15e9a9b5e89bULL);
    EXPECT_EQ(ShardHash("a/b/song.mid"), 0x0ae80f5c5368a396ULL);
    EXPECT_NE(ShardHash("song1.mid"), ShardHash("song2.mid"));
}

TEST(ShardSelection, EveryKeyIsInExactlyOneShardAndTheSharesAreEven) {
    constexpr int kShards = 4;
    constexpr int kKeys = 4000;
    std::array<int, kShards> counts{};
    for (int i = 0; i < kKeys; ++i) {
        const std::string key = "folder" + std::to_string(i % 37) + "/song" + std::to_string(i) + ".mid";
        int owners = 0;
        for (int k = 0; k < kShards; ++k) {
            if (InShard(key, {k, kShards})) {
                ++owners;
                ++counts[k];
            }
        }
        ASSERT_EQ(owners, 1) << key;
    }
    for (const int count : counts) EXPECT_NEAR(count, kKeys / kShards, kKeys / kShards / 10);
}

TEST(ShardSelection, KAndNAreReadAsKSlashNWithKBelowN) {
    const auto shard = ParseShard("2/4");
    ASSERT_TRUE(shard);
    EXPECT_EQ(shard->index, 2);
    EXPECT_EQ(shard->count, 4);
    EXPECT_TRUE(ParseShard("0/1"));
    for (const char* bad : {"4/4", "-1/4", "1/0", "1", "1/", "/4", "a/4", "1/4x", "1 /4", "0/1000001"}) {
        EXPECT_FALSE(ParseShard(bad)) << bad;
    }
}

TEST(ShardSelection, ASlurmArrayGivesItsTaskCountedFromItsFirstTask) {
    std::string error;
    auto shard = FromEnvironment({{"SLURM_ARRAY_TASK_ID", "3"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, std::nullopt, error);
    ASSERT_TRUE(shard) << error;
    EXPECT_EQ(shard->index, 3);
    EXPECT_EQ(shard->count, 4);
    // --array=1-4 numbers the tasks from 1.
    shard = FromEnvironment({{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "4"}, {"SLURM_ARRAY_TASK_MIN", "1"}},
                            std::nullopt, error);
    ASSERT_TRUE(shard) << error;
    EXPECT_EQ(shard->index, 0);
    // A stepped array (--array=0-12:4) has gaps: refused rather than leaving files out.
    EXPECT_FALSE(FromEnvironment({{"SLURM_ARRAY_TASK_ID", "12"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, std::nullopt, error));
    EXPECT_NE(error.find("--array=0-3"), std::string::npos) << error;
    EXPECT_FALSE(FromEnvironment({{"SLURM_ARRAY_TASK_ID", "1"}}, std::nullopt, error));
    EXPECT_NE(error.find("SLURM_ARRAY_TASK_COUNT"), std::string::npos);
    EXPECT_FALSE(FromEnvironment({{"SLURM_ARRAY_TASK_ID", "x"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, std::nullopt, error));
    EXPECT_FALSE(FromEnvironment({{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, 5, error));
    EXPECT_NE(error.find("differs"), std::string::npos);
}

TEST(ShardSelection, AnIndexedJobGivesItsIndexWithTheCountFromTheCommandLine) {
    std::string error;
    const auto shard = FromEnvironment({{"JOB_COMPLETION_INDEX", "5"}}, 8, error);
    ASSERT_TRUE(shard) << error;
    EXPECT_EQ(shard->index, 5);
    EXPECT_EQ(shard->count, 8);
    EXPECT_FALSE(FromEnvironment({{"JOB_COMPLETION_INDEX", "5"}}, std::nullopt, error));
    EXPECT_NE(error.find("--shard-from-env=N"), std::string::npos);
    EXPECT_FALSE(FromEnvironment({{"JOB_COMPLETION_INDEX", "8"}}, 8, error));
    EXPECT_FALSE(FromEnvironment({}, 8, error));
    EXPECT_NE(error.find("neither"), std::string::npos);
}

TEST(ShardSelection, TheShardsOfAPlanPartitionItAndWriteNoLogs) {
    ConversionPlan whole;
    whole.logs = {"Conv/CreateLog.log"};
    for (int i = 0; i < 200; ++i) {
        const std::string name = "song" + std::to_string(i) + ".mid";
        whole.files.push_back({name, "Conv/" + name + ".wav", 0, {}, {}, name});
    }
    std::multiset<std::string> seen;
    for (int k = 0; k < 3; ++k) {
        ConversionPlan part = whole;
        KeepShard(part, {k, 3});
        EXPECT_TRUE(part.logs.empty());
        for (const PlannedFile& file : part.files) {
            EXPECT_EQ(file.log, -1);
            seen.insert(file.input);
        }
    }
    EXPECT_EQ(seen.size(), whole.files.size());
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), whole.files.size());
}

}  // namespace
