// Storage for the data set's long arrays.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Blocks of 4 MiB and more are aligned to 2 MiB and, on Linux, marked for
// huge pages: a data set of millions of values is then touched a few dozen
// times instead of tens of thousands of times, which costs more than reading
// the numbers. Smaller blocks come from the usual allocator.
template <class T> struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept { }

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < LARGE_BYTES)
            return static_cast<T*>(::operator new(bytes));
        void* block = std::aligned_alloc(HUGE_PAGE_BYTES, rounded(bytes));
        if (block == nullptr)
            throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        ::madvise(block, rounded(bytes), MADV_HUGEPAGE);
#endif
        return static_cast<T*>(block);
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        if (count * sizeof(T) < LARGE_BYTES)
            ::operator delete(block);
        else
            std::free(block);
    }

    template <class U> bool operator==(const LargeBlockAllocator<U>&) const noexcept
    {
        return true;
    }

private:
    static constexpr std::size_t HUGE_PAGE_BYTES = std::size_t { 1 } << 21;
    static constexpr std::size_t LARGE_BYTES = std::size_t { 1 } << 22;

    static std::size_t rounded(std::size_t bytes)
    {
        return (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
    }
};
