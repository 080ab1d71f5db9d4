// How much more memory the program may take before a limit stops it.
#pragma once

#include <cstdint>

// The bytes this process may still allocate: the smallest of what is left
// under its cgroup's memory.max and memory.high (cgroup v1:
// memory.limit_in_bytes), on its own cgroup and on every one above it; what
// is left under RLIMIT_AS and RLIMIT_DATA; and the machine's MemAvailable.
// Page cache that a cgroup can drop does not count as used. A limit that
// cannot be read counts as none; with none known the result is the largest
// std::uint64_t.
std::uint64_t availableMemoryBytes();
