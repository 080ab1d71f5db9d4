// The bootstrap trials that the effect-size bootstrap and the robust effect
// sizes share: each trial's random stream, the control a waiting thread
// holds, and the loop that spreads the trials over the worker threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// Shared with whoever waits for a run on another thread: the trials done so
// far, and a request to stop.
struct BootstrapControl {
    std::atomic<int32_t> completedTrials { 0 };
    std::atomic<bool> stopRequested { false };
};

// Whether `control` (if any) asks the run to stop.
bool stopRequested(const BootstrapControl* control);

// The uniform numbers of one trial: xoshiro256** started from a state made
// of the seed and the trial's number, with 53 random bits in each number.
class TrialStream {
public:
    TrialStream(uint64_t seed, uint64_t trial);
    double operator()();

private:
    uint64_t m_state[4];
};

// One trial's work on the thread that runs it: `index` is the trial's
// 0-based place (its number less one), `stream` its own random stream.
using TrialWork = std::function<void(int32_t index, TrialStream& stream)>;

// Runs trials 1 to `trials` on workerThreads() threads, handed out
// `chunk` at a time. Each thread calls `threadWork` once for the work it
// does trial after trial (so that it keeps its buffers); each trial is
// announced to `onTrial` (if set) with its number, drawn from
// TrialStream(seed, number) and counted in `control` (if any). A stop
// request skips the trials not begun. An exception in a trial (std::bad_alloc,
// or one from `onTrial`) skips the other trials and is thrown again here.
void runTrials(int32_t trials, uint64_t seed, int chunk, BootstrapControl* control,
    const std::function<void(int32_t trial)>& onTrial,
    const std::function<TrialWork()>& threadWork);
