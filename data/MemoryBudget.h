// What the import may still allocate.
#pragma once

#include <cstdint>

// What the import may still allocate, taken from the memory the program may
// use when the import starts. Every buffer the import grows is checked here
// before it is allocated, so a file too large for the memory is refused
// instead of the program being stopped by the system.
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
        if (newBytes > m_left)
            return false;
        m_left = m_left - newBytes + oldBytes;
        return true;
    }

private:
    std::uint64_t m_left;
};
