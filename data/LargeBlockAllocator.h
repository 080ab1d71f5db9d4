// Storage for the data set's long arrays and the import's buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

// Blocks of 64 KiB and more are mapped apart from the heap, and those of
// 2 MiB and more start at a huge-page boundary and are marked for huge pages:
// a data set of millions of values is then touched a few dozen times instead
// of tens of thousands of times, which costs more than reading the numbers.
// A freed block is kept, up to 128 MiB in all, so that the next import of a
// file like the last one writes into pages already in place; the oldest go
// back to the system first. Throws std::bad_alloc when no block can be had.
void* takeLargeBlock(std::size_t bytes);
// A block given back with `keep` false goes back to the system at once.
void giveBackLargeBlock(void* block, std::size_t bytes, bool keep = true) noexcept;
// The bytes of the blocks kept for reuse: memory the program may count on.
std::uint64_t keptLargeBlockBytes();

// Blocks from 64 KiB on come from takeLargeBlock(), smaller ones from the
// usual allocator. A value added without one is left unset, as a new array's is,
// so that sizing a block that is filled afterwards does not touch it twice.
// With KEEP false a freed block is not kept: for arrays sized by an estimate
// and freed while the import goes on, whose pages would stay in use unused.
template <class T, bool KEEP = true> struct LargeBlockAllocator {
    using value_type = T;
    template <class U> struct rebind {
        using other = LargeBlockAllocator<U, KEEP>;
    };

    LargeBlockAllocator() = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U, KEEP>&) noexcept { }

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < LARGE_BYTES)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(takeLargeBlock(bytes));
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < LARGE_BYTES)
            ::operator delete(block);
        else
            giveBackLargeBlock(block, bytes, KEEP);
    }

    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U> bool operator==(const LargeBlockAllocator<U, KEEP>&) const noexcept
    {
        return true;
    }

private:
    static constexpr std::size_t LARGE_BYTES = std::size_t { 1 } << 16;
};
