// Temporary files, importing and event listing for the import tests.
#include "smf_test_support.h"

#include <atomic>
#include <fstream>
#include <random>

namespace smftest {

namespace {

// The folder of one test process's files, removed with them when the process ends.
class RunFolder {
public:
    RunFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("ombrix_import_tests_" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path_);
    }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

std::string WriteTempFile(const Bytes& bytes) {
    static std::atomic<int> counter{0};
    static const RunFolder folder;
    const auto path = folder.Path() / ("t" + std::to_string(counter++) + ".mid");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

void ImportBytes(const Bytes& bytes, Imported& into) {
    const std::string path = WriteTempFile(bytes);
    into.load = LoadMidiFile(path, into.song, into.report);
    std::filesystem::remove(path);
}

std::vector<Ev> Events(SongContainer& song, int slot) {
    std::vector<Ev> out;
    if (song.SlotTrack(slot) == nullptr) return out;
    CursorGuard cursor(song, slot);
    const Track& track = *cursor->track;
    int tick = 0;
    for (int i = 0; i < track.count; ++i) {
        out.push_back(Ev{tick, EventAt(track, i)});
        tick += EventAt(track, i).Step();
    }
    return out;
}

std::vector<Ev> Sounding(SongContainer& song, int slot) {
    std::vector<Ev> out;
    for (const Ev& e : Events(song, slot))
        if (!e.event.IsRest() && !e.event.IsEnd()) out.push_back(e);
    return out;
}

}  // namespace smftest
