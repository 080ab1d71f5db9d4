// The stable sort by rank counting: the plain reference the fast sorts are checked and timed
// against.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace robust {

// Each value goes to 1 + (the number of values below it) + (the number of
// equal values before it), counted with n² comparisons. Only tests and the
// benchmark use it; the program sorts with sortAscending and OrderedGroup.
inline std::vector<float> rankCountingSort(std::span<const float> values)
{
    const std::size_t n = values.size();
    std::vector<float> sorted(n);
    for (std::size_t h = 0; h < n; ++h) {
        std::size_t destination = 0;
        for (std::size_t k = 0; k < n; ++k) {
            if (values[k] < values[h] || (k < h && values[k] == values[h]))
                ++destination;
        }
        sorted[destination] = values[h];
    }
    return sorted;
}

} // namespace robust
