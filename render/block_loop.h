// The conversion's block loop: each block is rendered, and it is written
// only once the next step has shown that the song goes on, so the block in
// which the song is found to be over is never part of the file.
#pragma once

#include <cstdint>
#include <span>

// Runs `step` (render a block into `block`, returning the elapsed ms or 0
// when the song is over), `progress` after every step and `write` for every
// block that belongs to the song. False as soon as a write fails.
template <typename Step, typename Write, typename Progress>
bool RunBlockLoop(std::span<std::uint8_t> block, Step step, Write write, Progress progress) {
    int elapsed = step(block);
    progress(elapsed);
    while (elapsed != 0) {
        if (!write(std::span<const std::uint8_t>(block))) return false;
        elapsed = step(block);
        progress(elapsed);
    }
    return true;
}
