// A data file read whole into memory, in parts side by side.
#include "data/WholeFile.h"

#include "data/Parallel.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace {

// Reads the `bytes` of a file into `text` in parts side by side: copying a
// large file from the system's cache and mapping its memory take as long as
// reading a good share of its numbers. Returns the bytes read, fewer when the
// file was cut short, or -1 when reading fails.
std::ptrdiff_t readParts(InputFile& in, char* text, std::size_t bytes)
{
    constexpr std::size_t PART_BYTES = std::size_t { 8 } << 20;
    const std::size_t parts
        = std::clamp<std::size_t>(bytes / PART_BYTES, 1, static_cast<std::size_t>(workerThreads()));
    std::vector<std::ptrdiff_t> got(parts);
    const auto count = static_cast<std::ptrdiff_t>(parts);
#pragma omp parallel for num_threads(workerThreads()) if (count > 1)
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        const std::size_t begin = bytes / parts * static_cast<std::size_t>(k);
        const std::size_t end = k + 1 == count ? bytes : begin + bytes / parts;
        got[static_cast<std::size_t>(k)] = in.readAt(begin, text + begin, end - begin);
    }
    std::size_t total = 0;
    for (const std::ptrdiff_t part : got) {
        if (part < 0)
            return -1;
        total += static_cast<std::size_t>(part);
    }
    return static_cast<std::ptrdiff_t>(total);
}

} // namespace

FileBytes readWholeFile(InputFile& in, MemoryBudget& budget, ImportStatus& status)
{
    status = ImportStatus::Unreadable;
    if (!in.isOpen())
        return {};
    if (in.size() >= std::numeric_limits<std::size_t>::max() / 2 || !budget.replace(0, in.size())) {
        status = ImportStatus::TooLarge;
        return {};
    }
    FileBytes bytes(static_cast<std::size_t>(in.size()));
    const std::ptrdiff_t got = readParts(in, bytes.data(), bytes.size());
    if (got < 0)
        return {};
    if (static_cast<std::size_t>(got) < bytes.size()) {
        status = ImportStatus::Changed;
        return {};
    }
    status = ImportStatus::Ok;
    return bytes;
}
