// What the import may still allocate.
#pragma once

#include <atomic>
#include <cstdint>

// What the import may still allocate, taken from the memory the program may
// use when the import starts. Every buffer the import grows is checked here
// before it is allocated, so a file too large for the memory is refused
// instead of the program being stopped by the system. Pieces read on several
// threads may take from one budget at once.
class MemoryBudget {
public:
    explicit MemoryBudget(std::uint64_t bytes)
        : m_left(bytes)
    {
    }

    // Takes room for a block of `newBytes` that replaces one of `oldBytes`:
    // both are held while the old one is copied. False, and nothing taken,
    // when that does not fit.
    bool replace(std::uint64_t oldBytes, std::uint64_t newBytes)
    {
        std::uint64_t left = m_left.load(std::memory_order_relaxed);
        do {
            if (newBytes > left)
                return false;
        } while (!m_left.compare_exchange_weak(left, left - newBytes + oldBytes));
        return true;
    }

private:
    std::atomic<std::uint64_t> m_left;
};
