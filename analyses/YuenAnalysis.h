// Yuen's trimmed-means test as an analysis: checks, test and report.
#pragma once

#include "analyses/AnalysisResult.h"
#include "analyses/TwoGroups.h"

#include <string_view>

// Runs Yuen's test of the chosen groups on `data`: the choice and the
// gathered groups are checked in the order and with the messages of the
// effect-size bootstrap; two groups whose Winsorized variances are both 0
// give "Both groups have a zero Winsorized variance.". Otherwise the report:
// the group table, the difference of trimmed means (group 2 minus group 1),
// its standard error, t, df and p, its interval at the chosen level, and the
// observed robust d. `trim` is the trimming as typed (see parseTrimming),
// checked after the choice; a trimming other than 20% is named in the
// heading, and the robust d is then AKP's d at that trimming.
AnalysisResult runYuenAnalysis(
    const DataMatrix& data, const TwoGroupChoice& choice, std::string_view trim = "0.2");

// p as the report shows it after "p ": "= " and four decimals, or "< 0.0001".
std::string formatPValue(double p);
