// Yuen's test of two independent groups' trimmed means.
#pragma once

#include <cstdint>
#include <span>

namespace robust {

// The test of group 2's trimmed mean against group 1's. Everything is in
// double precision from the stored single-precision values, each group trimmed
// by trimCountAt(n, trimPercent) values in each tail (trimCount(n) at 20).
// `computable` is false when both Winsorized variances are 0; the test statistic, its degrees
// of freedom, p and the interval are then 0 and mean nothing.
struct YuenResult {
    int32_t n1 = 0;
    int32_t n2 = 0;
    int32_t h1 = 0; // values each trimmed mean keeps: n - 2g
    int32_t h2 = 0;
    double trimmedMean1 = 0.0;
    double trimmedMean2 = 0.0;
    double winsorizedVariance1 = 0.0; // divisor n - 1
    double winsorizedVariance2 = 0.0;
    double difference = 0.0; // trimmed mean 2 minus trimmed mean 1
    double standardError = 0.0;
    double t = 0.0;
    double df = 0.0;
    double p = 0.0; // two-sided
    double lower = 0.0;
    double upper = 0.0;
    bool computable = false;
};

// Yuen's test with a Welch-type df: with dj = (nj - 1) s²wj / (hj (hj - 1)),
// the standard error is √(d1 + d2), t the difference of trimmed means over it,
// df = (d1 + d2)² / (d1²/(h1 - 1) + d2²/(h2 - 1)), p two-sided from Student's t
// and the interval the difference ± t(1 - α/2, df) times the standard error.
// `level` is the confidence level as a fraction (0.90, 0.95 or 0.99), taken as
// the whole percentage nearest to it, so that a single-precision level widened
// (0.95f is 0.94999998...) gives the interval at the decimal level. Each group
// needs at least two values (its h - 1 is then at least 1): the caller checks
// the sizes first, and a smaller group leaves the test not computable. One
// Winsorized variance of 0 leaves the test computable; a group that keeps a
// single value after trimming always has one.
YuenResult yuenTest(std::span<const float> group1, std::span<const float> group2, double level,
    int32_t trimPercent = 20);

} // namespace robust
