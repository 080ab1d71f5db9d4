// The bootstrap trials: random streams, control and the parallel loop.
#include "analyses/BootstrapTrials.h"

#include "data/Parallel.h"

#include <exception>

namespace {

uint64_t splitMix(uint64_t& state)
{
    state += 0x9e3779b97f4a7c15ULL;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint64_t rotl(uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

} // namespace

bool stopRequested(const BootstrapControl* control)
{
    return control && control->stopRequested.load(std::memory_order_relaxed);
}

TrialStream::TrialStream(uint64_t seed, uint64_t trial)
{
    // The seed and the trial's number are each mixed before they meet, so
    // that neighbouring seeds and trials start far apart.
    uint64_t mixedTrial = trial;
    uint64_t state = seed;
    state = splitMix(state) ^ splitMix(mixedTrial);
    for (uint64_t& word : m_state)
        word = splitMix(state);
}

double TrialStream::operator()()
{
    const uint64_t result = rotl(m_state[1] * 5, 7) * 9;
    const uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotl(m_state[3], 45);
    return static_cast<double>(result >> 11) * 0x1.0p-53;
}

void runTrials(int32_t trials, uint64_t seed, int chunk, BootstrapControl* control,
    const std::function<void(int32_t trial)>& onTrial, const std::function<TrialWork()>& threadWork)
{
    // No exception may leave the region: the first is kept, the other trials
    // are skipped, and it is thrown again after the region.
    std::exception_ptr failure;
    std::atomic<bool> failed { false };
    const auto keep = [&] {
#pragma omp critical(trialFailure)
        {
            if (!failure)
                failure = std::current_exception();
        }
        failed = true;
    };
#pragma omp parallel num_threads(workerThreads())
    {
        TrialWork work;
        try {
            work = threadWork();
        } catch (...) {
            keep();
        }
#pragma omp for schedule(dynamic, chunk)
        for (int32_t t = 0; t < trials; ++t) {
            if (failed.load(std::memory_order_relaxed) || stopRequested(control))
                continue;
            try {
                if (onTrial)
                    onTrial(t + 1);
                TrialStream stream(seed, static_cast<uint64_t>(t) + 1);
                work(t, stream);
                if (control)
                    control->completedTrials.fetch_add(1, std::memory_order_relaxed);
            } catch (...) {
                keep();
            }
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}
