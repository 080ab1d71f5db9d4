// How many threads the program's parallel work may use.
#include "data/Parallel.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::atomic<int> chosenThreads { 0 };

// A generous bound: more threads than this would only add overhead.
constexpr int MAX_THREADS = 256;

int defaultThreads()
{
    if (const char* text = std::getenv("TRELLAM_THREADS")) {
        int count = 0;
        const char* end = text + std::strlen(text);
        const auto [ptr, ec] = std::from_chars(text, end, count);
        if (ec == std::errc() && ptr == end && count >= 1)
            return std::min(count, MAX_THREADS);
    }
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, MAX_THREADS);
}

} // namespace

int workerThreads()
{
    const int chosen = chosenThreads.load(std::memory_order_relaxed);
    return chosen > 0 ? chosen : defaultThreads();
}

void setWorkerThreads(int count)
{
    chosenThreads.store(std::clamp(count, 0, MAX_THREADS), std::memory_order_relaxed);
}
