// Robust effect sizes of two groups at any trimming: trimmed summaries, the
// standardized differences, the explanatory measure, the quantile shift and
// the dominance measures. Everything in double precision from the stored
// single-precision values; x is group 1, y group 2, both sorted ascending.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace robust {

// Values trimmed from each tail of a group of n at a trimming of
// `trimPercent` hundredths: ⌊n · trimPercent / 100⌋, exact. At 20 it is
// trimCount(n).
int32_t trimCountAt(int32_t n, int32_t trimPercent);

// The Winsorized variance of the standard normal distribution at the
// trimming, which rescales a Winsorized variance to a variance at the normal:
// 1 at 0; at 20 the 0.4129 of the robust d, so that the pooled measure below
// is the robust d; otherwise 1 − 2γ − 2zφ(z) + 2γz² with γ the trimming and
// z its upper normal quantile.
double normalWinsorizedVariance(int32_t trimPercent);

// One sorted group trimmed and Winsorized: g = trimCountAt(n) values replaced
// at each tail. The Winsorized variance (divisor n − 1) takes two passes, its
// mean first; equal ends give exactly 0. Needs at least one value.
struct TrimmedSummary {
    int32_t n = 0;
    int32_t g = 0;
    double trimmedMean = 0.0;
    double winsorizedVariance = 0.0;
};
TrimmedSummary trimmedSummary(std::span<const float> sorted, int32_t trimPercent);

// The standardized differences of trimmed means, group 2 minus group 1, each
// times √c (c from normalWinsorizedVariance): over the pooled Winsorized
// standard deviation (AKP), over each group's own (AKP with unequal
// variances), and over KMS's σ with σ² = ((1 − q)s²x + q s²y) / (q(1 − q)),
// q = n1 / N. Each is nothing when its scale is 0 or the value not finite.
struct StandardizedDifferences {
    std::optional<double> pooled;
    std::optional<double> group1;
    std::optional<double> group2;
    std::optional<double> kms;
};
StandardizedDifferences standardizedDifferences(
    const TrimmedSummary& x, const TrimmedSummary& y, double c);

// The explanatory power ξ² of two groups of equal size: the variance of the
// two trimmed means, (tx − ty)² / 2, over the Winsorized variance of both
// groups pooled rescaled by c; above 1 it is replaced by the squared
// Winsorized correlation of group and value. Nothing when the pooled
// Winsorized variance is 0.
std::optional<double> explanatoryPower(std::span<const float> sortedX,
    std::span<const float> sortedY, const TrimmedSummary& x, const TrimmedSummary& y,
    int32_t trimPercent, double c);

// The pairwise differences D = y_j − x_i of two sorted groups (each formed
// in double precision), never built whole: counts and selections walk both
// groups with two pointers, O(n1 + n2) a pass.
class PairwiseDifferences {
public:
    PairwiseDifferences(std::span<const float> sortedX, std::span<const float> sortedY);

    // Number of D at most t.
    int64_t countAtMost(double t) const;
    // The median of all D: the middle one, or the mean of the middle two for
    // an even count. The same selection among every eighth value of each
    // group brackets it closely, a few counting passes narrow the bracket
    // down to O(n1 + n2) differences, and these are gathered and selected
    // from. `band` is the working space, kept by the caller between calls.
    double median(std::vector<double>& band) const;
    // The quantile shift: the share of D at most twice their median.
    double quantileShift(std::vector<double>& band) const;

private:
    struct Probe {
        int64_t count = 0; // D at most t
        double below = 0.0; // the largest D at most t
        double above = 0.0; // the smallest D above t
    };
    Probe probe(double t) const;
    // The number of D at most t; for each x_i, the number of y_j with
    // y_j − x_i ≤ t into `boundaries` when it is given.
    int64_t walk(double t, uint32_t* boundaries) const;
    // The numbers of D at most ta and at most tb (ta ≤ tb); `band` receives
    // the D in (ta, tb] unless there are more than `limit`.
    std::pair<int64_t, int64_t> countAtMost(
        double ta, double tb, std::vector<double>* band, std::size_t limit) const;
    // The r1-th and r2-th smallest D (1-based, r2 = r1 or r1 + 1).
    std::pair<double, double> select(int64_t r1, int64_t r2, std::vector<double>& band) const;

    std::span<const float> m_x;
    std::span<const float> m_y;
    // Both groups widened once, y with +∞ twice past its end, which stops
    // every walk and every row's gathering without a bounds check.
    std::vector<double> m_wideX;
    std::vector<double> m_wideY;
    // Each x_i's boundaries at two bounds, for gathering between them.
    mutable std::vector<uint32_t> m_lower;
    mutable std::vector<uint32_t> m_upper;
};

// Cliff's dominance measures of group 2 over group 1 from ranks: P = P(Y > X)
// with ties counting half, δ = P(Y > X) − P(Y < X) = 2P − 1, and Cliff's
// interval for δ (eq. 5.12) at `level` (0.90, 0.95, 0.99, taken as the
// nearest whole percentage). Counts are exact integers; O(n1 + n2).
struct Dominance {
    double p = 0.5;
    double delta = 0.0;
    // Cliff's interval for δ; none when |δ| = 1.
    std::optional<double> lower;
    std::optional<double> upper;
};
Dominance dominance(std::span<const float> sortedX, std::span<const float> sortedY, double level);

} // namespace robust
