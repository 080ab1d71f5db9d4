// Storage for the data set's long arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Blocks of 2 MiB and more are aligned to 2 MiB and, on Linux, marked for
// huge pages: a data set of millions of values is then touched a few dozen
// times instead of tens of thousands of times, which costs more than reading
// the numbers. Smaller blocks come from the usual allocator. A value added
// without one is left unset, as a new array's is, so that sizing a block that
// is filled afterwards does not touch it twice.
template <class T> struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept { }

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < LARGE_BYTES)
            return static_cast<T*>(::operator new(bytes));
#if defined(__linux__)
        // Mapped apart from the heap and unmapped when freed: a freed block in
        // the heap would stay resident while the next import maps new ones.
        const std::size_t mapped = rounded(bytes) + HUGE_PAGE_BYTES;
        void* map = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED)
            throw std::bad_alloc();
        auto* const start = static_cast<char*>(map);
        const std::size_t head
            = (HUGE_PAGE_BYTES - reinterpret_cast<std::uintptr_t>(start) % HUGE_PAGE_BYTES)
            % HUGE_PAGE_BYTES;
        char* const block = start + head;
        if (head > 0)
            ::munmap(start, head);
        ::munmap(block + rounded(bytes), mapped - head - rounded(bytes));
#if defined(MADV_HUGEPAGE)
        ::madvise(block, rounded(bytes), MADV_HUGEPAGE);
#endif
#else
        void* block = std::aligned_alloc(HUGE_PAGE_BYTES, rounded(bytes));
        if (block == nullptr)
            throw std::bad_alloc();
#endif
        return reinterpret_cast<T*>(block);
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        if (count * sizeof(T) < LARGE_BYTES)
            ::operator delete(block);
        else
#if defined(__linux__)
            ::munmap(block, rounded(count * sizeof(T)));
#else
            std::free(block);
#endif
    }

    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U> bool operator==(const LargeBlockAllocator<U>&) const noexcept
    {
        return true;
    }

private:
    static constexpr std::size_t HUGE_PAGE_BYTES = std::size_t { 1 } << 21;
    static constexpr std::size_t LARGE_BYTES = std::size_t { 1 } << 21;

    static std::size_t rounded(std::size_t bytes)
    {
        return (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
    }
};
