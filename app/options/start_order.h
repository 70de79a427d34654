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
    // `files` is borrowed for the object's lifetime.
    StartOrder(const std::vector<PlannedFile>& files, bool longestFirst) : files_(files), longestFirst_(longestFirst) {}

    bool Done() const { return queue_.empty() && queued_ == files_.size(); }
    // The index of the next file to start; only while not Done().
    std::size_t Next();

private:
    // Queues the files of the next output folder.
    void QueueNextFolder();

    const std::vector<PlannedFile>& files_;
    bool longestFirst_;
    std::deque<std::size_t> queue_;
    std::size_t queued_ = 0;  // the files before this one are queued or started
};
