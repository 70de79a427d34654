// Writes the example songs of examples/: short arrangements that exercise the
// converter (GS reset and rhythm-part set-up, drums on channel 10, bass on 2,
// melody on 4, a guitar on another channel, tempo changes, 3/4, 6/8 and 4/4
// meters, lyrics). Usage: examplegen <output folder>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/examplegen/songs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: examplegen <output folder>\n";
        return 2;
    }
    int status = 0;
    for (const ExampleSong& song : ExampleSongs()) {
        const std::string path = std::string(argv[1]) + "/" + song.fileName;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(song.bytes.data()), static_cast<std::streamsize>(song.bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "examplegen: cannot write " << path << "\n";
            status = 1;
        }
    }
    return status;
}
