// The shard hash, the "K/N" reader and the schedulers' variables.
#include "app/options/shard_selection.h"

#include <algorithm>

#include "app/options/conversion_plan.h"
#include "app/options/option_values.h"

namespace {

// FNV-1a, 64-bit: offset basis and prime.
constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

// The finalizer of the SplitMix64 generator: every input bit reaches every
// output bit, which FNV alone does poorly for keys differing in their last byte.
std::uint64_t Mix(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9ULL;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebULL;
    value ^= value >> 31;
    return value;
}

std::optional<int> NumberVariable(const std::function<std::optional<std::string>(const char*)>& variable,
                                  const char* name, int low, int high, std::string& error) {
    const std::optional<std::string> text = variable(name);
    if (!text) return std::nullopt;
    const std::optional<int> number = ParseWholeNumber(*text, low, high);
    if (!number) error = std::string(name) + "='" + *text + "' is not a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high);
    return number;
}

}  // namespace

std::uint64_t ShardHash(std::string_view key) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const char byte : key) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kFnvPrime;
    }
    return Mix(hash);
}

bool InShard(std::string_view key, const Shard& shard) {
    return ShardHash(key) % static_cast<std::uint64_t>(shard.count) == static_cast<std::uint64_t>(shard.index);
}

std::optional<Shard> ParseShard(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<int> count = ParseWholeNumber(text.substr(slash + 1), 1, kMaxShards);
    if (!count) return std::nullopt;
    const std::optional<int> index = ParseWholeNumber(text.substr(0, slash), 0, *count - 1);
    if (!index) return std::nullopt;
    return Shard{*index, *count};
}

std::optional<Shard> ShardFromEnvironment(const std::function<std::optional<std::string>(const char*)>& variable,
                                          std::optional<int> count, std::string& error) {
    error.clear();
    if (variable("SLURM_ARRAY_TASK_ID")) {
        const auto id = NumberVariable(variable, "SLURM_ARRAY_TASK_ID", 0, kMaxShards * 2, error);
        const auto tasks = NumberVariable(variable, "SLURM_ARRAY_TASK_COUNT", 1, kMaxShards, error);
        const auto first = variable("SLURM_ARRAY_TASK_MIN") ? NumberVariable(variable, "SLURM_ARRAY_TASK_MIN", 0, kMaxShards * 2, error)
                                                             : std::optional<int>(0);
        if (!error.empty()) return std::nullopt;
        if (!tasks) {
            error = "SLURM_ARRAY_TASK_ID is set but SLURM_ARRAY_TASK_COUNT is not";
            return std::nullopt;
        }
        if (count && *count != *tasks) {
            error = "--shard-from-env=" + std::to_string(*count) + " differs from SLURM_ARRAY_TASK_COUNT=" + std::to_string(*tasks);
            return std::nullopt;
        }
        const int index = *id - *first;
        if (index < 0 || index >= *tasks) {
            error = "array task " + std::to_string(*id) + " is not one of " + std::to_string(*tasks) +
                    " consecutive tasks from " + std::to_string(*first) + " (use --array=0-" + std::to_string(*tasks - 1) + ")";
            return std::nullopt;
        }
        return Shard{index, *tasks};
    }
    if (variable("JOB_COMPLETION_INDEX")) {
        if (!count) {
            error = "JOB_COMPLETION_INDEX is set: give the number of shards as --shard-from-env=N (the Job's completions)";
            return std::nullopt;
        }
        const auto index = NumberVariable(variable, "JOB_COMPLETION_INDEX", 0, *count - 1, error);
        if (!index) return std::nullopt;
        return Shard{*index, *count};
    }
    error = "--shard-from-env: neither SLURM_ARRAY_TASK_ID nor JOB_COMPLETION_INDEX is set";
    return std::nullopt;
}

void KeepShard(ConversionPlan& plan, const Shard& shard) {
    std::erase_if(plan.files, [&shard](const PlannedFile& file) { return !InShard(file.shardKey, shard); });
    for (PlannedFile& file : plan.files) file.log = -1;
    plan.logs.clear();
}
