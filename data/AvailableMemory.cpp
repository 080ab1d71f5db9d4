// How much more memory the program may take, from /proc, /sys/fs/cgroup and the resource limits.
#include "data/AvailableMemory.h"

#include "data/LargeBlockAllocator.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t NO_LIMIT = std::numeric_limits<std::uint64_t>::max();

// The whole text of a small system file; empty when it cannot be read.
std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number at the start of `text` after blanks, in bytes ("12 kB" is 12288);
// nothing for another text, such as the "max" of an unlimited cgroup.
std::optional<std::uint64_t> leadingNumber(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [after, error] = std::from_chars(text.data() + start, end, value);
    if (error != std::errc())
        return std::nullopt;
    if (std::string_view(after, static_cast<std::size_t>(end - after)).starts_with(" kB"))
        value = value > NO_LIMIT / 1024 ? NO_LIMIT : value * 1024;
    return value;
}

// The number after `key` in a text of lines such as "MemAvailable:  812 kB"
// or "file 4096".
std::optional<std::uint64_t> fieldValue(std::string_view text, std::string_view key)
{
    for (std::size_t lineStart = 0; lineStart < text.size();) {
        const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        if (line.size() > key.size() && line.starts_with(key)
            && (line[key.size()] == ':' || line[key.size()] == ' '))
            return leadingNumber(line.substr(key.size() + 1));
        lineStart = lineEnd + 1;
    }
    return std::nullopt;
}

std::uint64_t leftUnder(std::optional<std::uint64_t> limit, std::uint64_t used)
{
    if (!limit)
        return NO_LIMIT;
    return *limit > used ? *limit - used : 0;
}

// Where a memory cgroup keeps its limits, its use and the page cache within that use.
struct CgroupFiles {
    const char* limits[2];
    const char* usage;
    const char* cache; // in memory.stat
    const char* sharedMemory; // the part of the cache that cannot be dropped
};

constexpr CgroupFiles CGROUP_V2 { { "memory.max", "memory.high" }, "memory.current", "file",
    "shmem" };
constexpr CgroupFiles CGROUP_V1 { { "memory.limit_in_bytes", nullptr }, "memory.usage_in_bytes",
    "total_cache", "total_shmem" };

// What the limits of the cgroup in `folder` leave; files it lacks set no limit.
std::uint64_t leftInCgroup(const fs::path& folder, const CgroupFiles& files)
{
    const std::string stat = fileText(folder / "memory.stat");
    const std::uint64_t cache = fieldValue(stat, files.cache).value_or(0);
    const std::uint64_t shared = fieldValue(stat, files.sharedMemory).value_or(0);
    const std::uint64_t droppable = cache > shared ? cache - shared : 0;
    const std::uint64_t usage = leadingNumber(fileText(folder / files.usage)).value_or(0);
    const std::uint64_t used = usage > droppable ? usage - droppable : 0;
    std::uint64_t left = NO_LIMIT;
    for (const char* limit : files.limits) {
        if (limit)
            left = std::min(left, leftUnder(leadingNumber(fileText(folder / limit)), used));
    }
    return left;
}

// The least left by the cgroup `cgroup` of the hierarchy mounted at `mount`
// and by each cgroup above it: every one of their limits holds.
std::uint64_t leftInCgroupAndAbove(
    const fs::path& mount, const std::string& cgroup, const CgroupFiles& files)
{
    std::uint64_t left = NO_LIMIT;
    for (fs::path level = fs::path(cgroup).relative_path();; level = level.parent_path()) {
        left = std::min(left, leftInCgroup(mount / level, files));
        if (level.empty())
            return left;
    }
}

bool listsController(std::string_view controllers, std::string_view wanted)
{
    while (!controllers.empty()) {
        const std::size_t comma = std::min(controllers.find(','), controllers.size());
        if (controllers.substr(0, comma) == wanted)
            return true;
        controllers.remove_prefix(std::min(comma + 1, controllers.size()));
    }
    return false;
}

// What this process's cgroups leave. Each line of /proc/self/cgroup reads
// "id:controllers:path": "0::path" is its cgroup v2, and a line whose
// controllers include "memory" its cgroup v1 memory controller.
std::uint64_t leftByCgroups()
{
    const fs::path cgroupRoot = "/sys/fs/cgroup";
    // Beside cgroup v1 controllers the v2 hierarchy is mounted at "unified".
    std::error_code unknown;
    const fs::path v2Mount = fs::exists(cgroupRoot / "cgroup.controllers", unknown)
        ? cgroupRoot
        : cgroupRoot / "unified";
    const std::string text = fileText("/proc/self/cgroup");
    std::uint64_t left = NO_LIMIT;
    for (std::size_t lineStart = 0; lineStart < text.size();) {
        const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
        const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string_view::npos || second == std::string_view::npos)
            continue;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string path(line.substr(second + 1));
        if (line.substr(0, first) == "0" && controllers.empty())
            left = std::min(left, leftInCgroupAndAbove(v2Mount, path, CGROUP_V2));
        else if (listsController(controllers, "memory"))
            left = std::min(left, leftInCgroupAndAbove(cgroupRoot / "memory", path, CGROUP_V1));
    }
    return left;
}

// What RLIMIT_AS leaves of the address space and RLIMIT_DATA of the data segments.
std::uint64_t leftByResourceLimits()
{
    std::uint64_t left = NO_LIMIT;
#ifndef _WIN32
    const std::string status = fileText("/proc/self/status");
    const std::pair<decltype(RLIMIT_AS), const char*> limits[]
        = { { RLIMIT_AS, "VmSize" }, { RLIMIT_DATA, "VmData" } };
    for (const auto& [resource, usedField] : limits) {
        rlimit limit {};
        if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
            continue;
        left = std::min(left,
            leftUnder(static_cast<std::uint64_t>(limit.rlim_cur),
                fieldValue(status, usedField).value_or(0)));
    }
#endif
    return left;
}

} // namespace

std::uint64_t availableMemoryBytes()
{
    const std::uint64_t machine
        = fieldValue(fileText("/proc/meminfo"), "MemAvailable").value_or(NO_LIMIT);
    // The blocks kept for reuse lie within the address space; a new one
    // that needs their room gets it.
    const std::uint64_t addressSpace = leftByResourceLimits();
    const std::uint64_t kept = keptLargeBlockBytes();
    return std::min({ machine, leftByCgroups(),
        addressSpace > NO_LIMIT - kept ? NO_LIMIT : addressSpace + kept });
}
