// The example songs, each as the bytes of a Standard MIDI File.
#pragma once

#include <string>
#include <vector>

#include "tools/smfwriter/smf_writer.h"

struct ExampleSong {
    std::string fileName;
    Bytes bytes;
};

// Every example song, in a fixed order.
std::vector<ExampleSong> ExampleSongs();
