// Temporary files, importing and event listing for the import tests.
#include "smf_test_support.h"

#include <atomic>
#include <fstream>
#include <random>

namespace smftest {

std::string WriteTempFile(const Bytes& bytes) {
    static std::atomic<int> counter{0};
    static const std::string run = std::to_string(std::random_device{}());
    const auto dir = std::filesystem::temp_directory_path() / ("ombrix_import_tests_" + run);
    std::filesystem::create_directories(dir);
    const auto path = dir / ("t" + std::to_string(counter++) + ".mid");
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
