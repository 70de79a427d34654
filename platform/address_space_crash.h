// A process whose address space is limited (ulimit -v, RLIMIT_AS) and full
// fails its next allocations; code that does not check for that (in the
// synthesizer's libraries, for instance) then crashes. Such a crash can be
// told from any other: the process's peak address space lies at the limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// How close to the limit the peak must have come for a crash to count as
// one of an exhausted address space.
constexpr std::uint64_t kAddressSpaceMargin = 4u << 20;

// The soft address-space limit of this process in bytes; none when unlimited.
std::optional<std::uint64_t> AddressSpaceLimit();

// From now on, when this process crashes (SIGSEGV, SIGBUS) after its
// address space has come within kAddressSpaceMargin of `limit`, the bytes
// of `note` are written to `fd` before it dies by the crash's signal.
// A crash short of the limit writes nothing. Only one note is kept.
void NoteCrashAtAddressSpaceLimit(int fd, const std::string& note, std::uint64_t limit);
