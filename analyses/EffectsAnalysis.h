// The robust effect sizes analysis: checks, resampling, intervals and report.
#pragma once

#include "analyses/AnalysisResult.h"
#include "analyses/BootstrapAnalysis.h"
#include "analyses/TwoGroups.h"

#include <cstdint>
#include <functional>
#include <string>

// What the dialog or the command line asks for.
struct EffectsRequest : TwoGroupChoice {
    // The trimming as typed; see parseTrimming.
    std::string strTrim = "0.2";
    int32_t lngTrials = 2000;
    // The seed as typed, as BootstrapRequest::strSeed.
    std::string strSeed;
    uint64_t clockSeed = 0;
    // When set, the run reports its progress here and stops when asked.
    BootstrapControl* control = nullptr;
    // When set, called as every trial begins with its 1-based number, on
    // whichever thread runs it; an exception it throws ends the run and
    // reaches the caller.
    std::function<void(int32_t trial)> onTrial;
};

// Runs the analysis on `data`: checks the choice, the trimming, the seed and
// the gathered groups in order and stops at the first failure with its
// message. Otherwise the report: AKP's d over the pooled and over each
// group's Winsorized standard deviation, KMS's d, the explanatory measure ξ
// and the quantile shift, each with a percentile bootstrap interval; P(Y > X)
// and Cliff's δ with Cliff's analytic interval. Each trial draws one resample
// of both groups, group 1 first, each at its own size, from its own stream
// (the seed and the trial's number) as the effect-size bootstrap does, and
// every bootstrap row takes its value from it; so the report does not depend
// on the number of threads, and at 20% trimming the pooled row is the
// effect-size bootstrap's robust d and interval for the same seed and trials.
// Each row's interval takes the percentile entries for its own number of
// valid trials. A stop request gives a result marked cancelled.
AnalysisResult runEffectsAnalysis(const DataMatrix& data, const EffectsRequest& request);

// The fewest and most trials the window and the command line offer.
inline constexpr int32_t MIN_EFFECTS_TRIALS = 100;
inline constexpr int32_t MAX_EFFECTS_TRIALS = 100000;
