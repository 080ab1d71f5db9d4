// The effect-size bootstrap analysis: checks, resampling, interval and report.
#pragma once

#include "analyses/AnalysisResult.h"
#include "analyses/BootstrapRun.h"
#include "analyses/BootstrapTrials.h"
#include "analyses/TwoGroups.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What the dialog or the command line asks for.
struct BootstrapRequest : TwoGroupChoice {
    int32_t lngTrials = 600;
    // The seed as typed: a whole number from 0 to 2^64 - 1 is used and named
    // in the report; an empty text means `clockSeed`, named in the report as
    // from the clock.
    std::string strSeed;
    uint64_t clockSeed = 0;
    // When set, the run reports its progress here and stops when asked.
    BootstrapControl* control = nullptr;
    // When set, called as every trial begins with the trial's 1-based number,
    // on whichever thread runs that trial (several may call at once). The
    // dialog shows its progress through it; tests make a trial fail with it.
    // An exception it throws ends the run and reaches the caller.
    std::function<void(int32_t trial)> onTrial;
    // When set, replaces every trial's own generator with one sequence, drawn
    // trial after trial on one thread: each call gives the next uniform
    // number in [0, 1).
    std::function<double()> uniform;
    // When set, sorts the resamples and the bootstrap effect sizes instead of
    // the linear ordering from each group's known order (for timing the two).
    SortFunction sort = nullptr;
};

// A run's outcome; a completed run (one with a report) also leaves what its
// pictures draw.
struct BootstrapResult : AnalysisResult {
    std::shared_ptr<const BootstrapRun> run;
};

// Runs the analysis on `data`: checks the choice, the seed and the gathered
// groups in order and stops at the first failure with its message; otherwise
// computes the observed robust d, its percentile bootstrap interval from
// `request.lngTrials` resamples, and the report. Trials run on
// workerThreads() threads; each draws from its own generator, made from the
// seed and the trial's number, so that the report does not depend on the
// number of threads. A stop request gives a result marked cancelled. An
// exception inside a trial (std::bad_alloc, or one from `onTrial`) stops the
// other trials and is thrown again to the caller.
BootstrapResult runBootstrapAnalysis(const DataMatrix& data, const BootstrapRequest& request);

// The report's line naming the seed that draws its interval again:
// "Random number seed = N", followed by " (from the clock)" when no seed was typed.
std::string seedLine(uint64_t seed, bool fromClock);
// A seed from the clock, different for two runs in the same second.
uint64_t seedFromClock();

// The seed a text names: a whole number from 0 to 2^64 - 1, blanks around it
// allowed; nothing for any other text.
std::optional<uint64_t> seedFromText(std::string_view text);

// 1-based entries of the sorted bootstrap effect sizes that bound the
// interval at `level` when `valid` of them are stored: r + 1 and valid - r,
// with r = (1 - level) / 2 * valid rounded half to even.
struct PercentileEntries {
    int32_t lower = 0;
    int32_t upper = 0;
};
PercentileEntries percentileEntries(int32_t valid, float level);

// 1-based observation taken by the uniform number `u` in [0, 1) from a group
// of `size`: the ceiling of size × u, and 1 for u = 0.
int32_t drawnPosition(double u, int32_t size);
