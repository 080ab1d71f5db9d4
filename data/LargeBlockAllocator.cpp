// Large blocks, mapped apart from the heap and kept for reuse once freed.
#include "data/LargeBlockAllocator.h"

// Under AddressSanitizer every block comes from the usual allocator, which
// it checks, and none is kept.
#if defined(__SANITIZE_ADDRESS__)
#define TRELLAM_MAPPED_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRELLAM_MAPPED_BLOCKS 0
#endif
#endif
#if !defined(TRELLAM_MAPPED_BLOCKS) && defined(__linux__)
#define TRELLAM_MAPPED_BLOCKS 1
#elif !defined(TRELLAM_MAPPED_BLOCKS)
#define TRELLAM_MAPPED_BLOCKS 0
#endif

#if TRELLAM_MAPPED_BLOCKS
#include <algorithm>
#include <array>
#include <mutex>
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t HUGE_PAGE_BYTES = std::size_t { 1 } << 21;
constexpr std::size_t PAGE_BYTES = std::size_t { 1 } << 12;

// Whole huge pages for a block that fills one, whole pages for another: a
// kept block is then cut only between huge pages, never inside one.
std::size_t rounded(std::size_t bytes)
{
    const std::size_t unit = bytes >= HUGE_PAGE_BYTES ? HUGE_PAGE_BYTES : PAGE_BYTES;
    return (bytes + unit - 1) / unit * unit;
}

#if TRELLAM_MAPPED_BLOCKS

// What is kept for reuse: the arrays of a data set of some millions of values
// and the buffers of the import that built it. Beyond, the oldest go back to
// the system, so that the program never holds much memory it does not use.
constexpr std::size_t KEPT_BLOCKS = 64;
constexpr std::size_t KEPT_BYTES = std::size_t { 128 } << 20;

struct KeptBlock {
    char* start = nullptr;
    std::size_t bytes = 0;
};

// The blocks freed last, oldest first; guarded by keptMutex.
std::mutex keptMutex;
std::array<KeptBlock, KEPT_BLOCKS> kept;
std::size_t keptCount = 0;
std::size_t keptBytes = 0;

KeptBlock removeKept(std::size_t index)
{
    const KeptBlock block = kept[index];
    std::copy(kept.begin() + static_cast<std::ptrdiff_t>(index) + 1,
        kept.begin() + static_cast<std::ptrdiff_t>(keptCount),
        kept.begin() + static_cast<std::ptrdiff_t>(index));
    --keptCount;
    keptBytes -= block.bytes;
    return block;
}

// The smallest kept block of huge pages, or of pages, that holds `bytes`,
// cut to that size; nullptr when none does.
char* reusedBlock(std::size_t bytes)
{
    const std::lock_guard lock(keptMutex);
    const bool huge = bytes >= HUGE_PAGE_BYTES;
    std::size_t best = keptCount;
    for (std::size_t k = 0; k < keptCount; ++k) {
        if (kept[k].bytes >= bytes && (kept[k].bytes >= HUGE_PAGE_BYTES) == huge
            && (best == keptCount || kept[k].bytes < kept[best].bytes))
            best = k;
    }
    if (best == keptCount)
        return nullptr;
    const KeptBlock found = removeKept(best);
    if (found.bytes > bytes)
        ::munmap(found.start + bytes, found.bytes - bytes);
    return found.start;
}

void releaseKeptBlocks()
{
    const std::lock_guard lock(keptMutex);
    while (keptCount > 0) {
        const KeptBlock block = removeKept(0);
        ::munmap(block.start, block.bytes);
    }
}

char* mapped(std::size_t bytes)
{
    void* map = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return map == MAP_FAILED ? nullptr : static_cast<char*>(map);
}

// A fresh mapping of `bytes` (rounded); one of huge pages starts at a
// huge-page boundary and is marked for them. Nullptr when there is no room.
char* mappedBlock(std::size_t bytes)
{
    if (bytes < HUGE_PAGE_BYTES)
        return mapped(bytes);
    const std::size_t wider = bytes + HUGE_PAGE_BYTES;
    char* const start = mapped(wider);
    if (start == nullptr)
        return nullptr;
    const std::size_t head
        = (HUGE_PAGE_BYTES - reinterpret_cast<std::uintptr_t>(start) % HUGE_PAGE_BYTES)
        % HUGE_PAGE_BYTES;
    char* const block = start + head;
    if (head > 0)
        ::munmap(start, head);
    ::munmap(block + bytes, wider - head - bytes);
#if defined(MADV_HUGEPAGE)
    ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

#endif

} // namespace

#if TRELLAM_MAPPED_BLOCKS

void* takeLargeBlock(std::size_t bytes)
{
    const std::size_t size = rounded(bytes);
    if (char* block = reusedBlock(size))
        return block;
    char* block = mappedBlock(size);
    if (block == nullptr) {
        // Under a limit on the address space the kept blocks may be what
        // stands in the way.
        releaseKeptBlocks();
        block = mappedBlock(size);
    }
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void giveBackLargeBlock(void* block, std::size_t bytes, bool keep) noexcept
{
    const std::size_t size = rounded(bytes);
    auto* const start = static_cast<char*>(block);
    if (!keep || size > KEPT_BYTES) {
        ::munmap(start, size);
        return;
    }
    const std::lock_guard lock(keptMutex);
    while (keptCount == KEPT_BLOCKS || keptBytes + size > KEPT_BYTES) {
        const KeptBlock oldest = removeKept(0);
        ::munmap(oldest.start, oldest.bytes);
    }
    kept[keptCount++] = { start, size };
    keptBytes += size;
}

std::uint64_t keptLargeBlockBytes()
{
    const std::lock_guard lock(keptMutex);
    return keptBytes;
}

#else

void* takeLargeBlock(std::size_t bytes)
{
    return ::operator new(rounded(bytes), std::align_val_t { HUGE_PAGE_BYTES });
}

void giveBackLargeBlock(void* block, std::size_t, bool) noexcept
{
    ::operator delete(block, std::align_val_t { HUGE_PAGE_BYTES });
}

std::uint64_t keptLargeBlockBytes()
{
    return 0;
}

#endif
