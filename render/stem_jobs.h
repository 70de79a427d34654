// Running a mix's stems side by side: each stem is a whole render of its
// own, so with several cores they are converted in child processes at once.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

class UserReport;

// Runs `convert` for every index below `count`, up to `jobs` at once, each
// in a child process of its own (one after the other here when `jobs` is 1
// or no child can be started). What the children report goes to `report`,
// and what they write on standard error to standard error, in index order.
// Once one fails no further one is started; those running finish. Tells
// which ones succeeded.
std::vector<bool> RunStemJobs(std::size_t count, int jobs, UserReport& report,
                              const std::function<bool(std::size_t index, UserReport& report)>& convert);
