// The order in which the files of a run are started. One at a time they
// start in input order. With several at once, the files of each output
// folder start longest first, their length estimated from the size of the
// MIDI file, so that a long song does not end up running alone while the
// other cores have nothing left to do. Folders still come in input order,
// so that what is held for the ordering is one folder's files.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "app/options/conversion_plan.h"

class StartOrder {
public:
    explicit StartOrder(bool longestFirst) : longestFirst_(longestFirst) {}

    // Queues `files`, the files numbered from `first` on in input order.
    void Add(std::size_t first, const std::vector<PlannedFile>& files);
    bool Empty() const { return queue_.empty(); }
    // The number of the next file to start; only while not Empty().
    std::size_t Next();

private:
    bool longestFirst_;
    std::deque<std::size_t> queue_;
};
