// Queuing each output folder's files by the sizes of their MIDI files.
#include "app/options/start_order.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

std::filesystem::path FolderOf(const PlannedFile& file) { return std::filesystem::path(file.output).parent_path(); }

}  // namespace

std::size_t StartOrder::Next() {
    if (queue_.empty()) QueueNextFolder();
    const std::size_t index = queue_.front();
    queue_.pop_front();
    return index;
}

void StartOrder::QueueNextFolder() {
    if (!longestFirst_) {
        queue_.push_back(queued_++);
        return;
    }
    const std::size_t first = queued_;
    const std::filesystem::path folder = FolderOf(files_[first]);
    do {
        ++queued_;
    } while (queued_ < files_.size() && FolderOf(files_[queued_]) == folder);
    std::vector<std::pair<std::uintmax_t, std::size_t>> sized;  // size of the MIDI file, index
    for (std::size_t i = first; i < queued_; ++i) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(files_[i].input, error);
        sized.emplace_back(error ? 0 : size, i);
    }
    // Largest first; files of one size stay in input order.
    std::stable_sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& entry : sized) queue_.push_back(entry.second);
}
