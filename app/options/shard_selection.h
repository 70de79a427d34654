// Splitting a library between processes: shard K of N converts the inputs
// whose stable hash, taken over the input's path relative to the folder it
// was found under, is K modulo N. The hash depends on nothing but those
// bytes, so N processes on different machines, each given the same inputs,
// convert every file exactly once between them, and a file added to the
// library never moves another file to a different shard.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct ConversionPlan;

// One share of the inputs: `index` from 0 to `count` - 1.
struct Shard {
    int index = 0;
    int count = 1;
};

// The most shards a library can be split into.
inline constexpr int kMaxShards = 1000000;

// The 64-bit hash of `key` that decides its shard: FNV-1a over the bytes,
// then a final mix so that neighbouring names spread over all shards.
std::uint64_t ShardHash(std::string_view key);
// True when the input with shard key `key` belongs to `shard`.
bool InShard(std::string_view key, const Shard& shard);
// Reads "K/N" (0 <= K < N <= kMaxShards); nothing when it is not that.
std::optional<Shard> ParseShard(std::string_view text);

// Reads the shard from a scheduler's variables, looked up through
// `variable` (nothing when a variable is unset): a Slurm job array's
// SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT (task IDs counted from
// SLURM_ARRAY_TASK_MIN), or a Kubernetes indexed Job's JOB_COMPLETION_INDEX
// with the count `count` given on the command line. `error` says what is
// missing or wrong when nothing is returned.
std::optional<Shard> ShardFromEnvironment(const std::function<std::optional<std::string>(const char*)>& variable,
                                          std::optional<int> count, std::string& error);

// Keeps in `plan` only the files of `shard`. The conversion logs are left
// out: several shards write into the same folders at once, and their
// reports record what each did.
void KeepShard(ConversionPlan& plan, const Shard& shard);
