// The effect-size bootstrap analysis: gathering, checks, resampling, interval and report.
#pragma once

#include "analyses/AnalysisResult.h"
#include "data/modGeneral.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Marks a variable list with no entry checked.
inline constexpr int32_t NO_VARIABLE = SENTINEL_CODE;

// What the dialog asks for.
struct BootstrapRequest {
    // 1-based columns of the dependent and grouping variables, or NO_VARIABLE.
    int32_t lngDependent = NO_VARIABLE;
    int32_t lngGrouping = NO_VARIABLE;
    // The grouping values of the two groups, as typed.
    std::string strGroup1;
    std::string strGroup2;
    int32_t lngTrials = 600;
    // Confidence level in single precision: 0.9, 0.95 or 0.99.
    float sngLevel = 0.95f;
    // Seeds the generator of the resamples.
    uint64_t seed = 0;
    // Called with each trial number (1, 2, ..., trials) before the trial runs.
    std::function<void(int)> onTrial;
    // When set, replaces the seeded generator: each call gives the next
    // uniform number in [0, 1).
    std::function<double()> uniform;
    // When set, sorts the resamples and the bootstrap effect sizes instead of
    // the linear ordering from each group's known order (for timing the two).
    using SortFunction = std::vector<float> (*)(std::span<const float>);
    SortFunction sort = nullptr;
};

// Runs the analysis on `data`: checks the request and the gathered groups in
// order and stops at the first failure with its message; otherwise computes
// the observed robust d, its percentile bootstrap interval from
// `request.lngTrials` resamples, and the report.
AnalysisResult runBootstrapAnalysis(const DataMatrix& data, const BootstrapRequest& request);

// 1-based entries of the sorted bootstrap effect sizes that bound the
// interval at `level` when `valid` of them are stored: r + 1 and valid - r,
// with r = (1 - level) / 2 * valid rounded half to even.
struct PercentileEntries {
    int32_t lower = 0;
    int32_t upper = 0;
};
PercentileEntries percentileEntries(int32_t valid, float level);

// The level as a whole percentage for the report: 95 for 0.95.
int32_t levelPercent(float level);

// 1-based observation taken by the uniform number `u` in [0, 1) from a group
// of `size`: the ceiling of size × u, and 1 for u = 0.
int32_t drawnPosition(double u, int32_t size);
