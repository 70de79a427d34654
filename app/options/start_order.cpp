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
    const std::size_t number = queue_.front();
    queue_.pop_front();
    return number;
}

void StartOrder::Add(std::size_t first, const std::vector<PlannedFile>& files) {
    if (!longestFirst_) {
        for (std::size_t i = 0; i < files.size(); ++i) queue_.push_back(first + i);
        return;
    }
    for (std::size_t begin = 0, end = 0; begin < files.size(); begin = end) {
        const std::filesystem::path folder = FolderOf(files[begin]);
        do {
            ++end;
        } while (end < files.size() && FolderOf(files[end]) == folder);
        std::vector<std::pair<std::uintmax_t, std::size_t>> sized;  // size of the MIDI file, number
        for (std::size_t i = begin; i < end; ++i) {
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(files[i].input, error);
            sized.emplace_back(error ? 0 : size, first + i);
        }
        // Largest first; files of one size stay in input order.
        std::stable_sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& entry : sized) queue_.push_back(entry.second);
    }
}
