// The robust statistics kernel: group summaries, trimming, Winsorizing and the robust d.
#pragma once

#include "data/Sentinel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace robust {

// Stands in for a robust d that cannot be computed.
inline constexpr float NOT_COMPUTABLE = static_cast<float>(SENTINEL_CODE);

// One group's summary. Every value is held in single precision, rounded once
// where it is stored: running sums run in double precision, and each formula
// is evaluated in double precision from the sums and the stored values.
struct GroupStatistics {
    int32_t lngN = 0;
    float sngMean = 0.0f;
    float sngVariance = 0.0f;
    float sngTrimmedMean = 0.0f;
    float sngWinsorizedMean = 0.0f;
    float sngWinsorizedVariance = 0.0f;
};

// What the two groups give together. `computable` is false when the pooled
// Winsorized variance is not above 0; `sngRobustD` is then NOT_COMPUTABLE.
struct EffectSize {
    float sngPooledVariance = 0.0f;
    float sngPooledWinsorizedVariance = 0.0f;
    float sngRobustD = NOT_COMPUTABLE;
    bool computable = false;
};

// Number of values trimmed from each tail of a group of n: the whole part of
// n times the single-precision 0.2, that is n / 5 for every group size.
int32_t trimCount(int32_t n);

// `values` in ascending order; equal values keep their order (a stable sort,
// so +0 and -0 stay as they came). O(n log n).
std::vector<float> sortAscending(std::span<const float> values);

// The summary of one group of at least two values, `values` in the order
// gathered and `sorted` the same values as sortAscending gives them. Mean and
// variance follow the gathered order, the trimmed and Winsorized values the
// sorted one. Each variance is checked against one from sums of differences
// from the middle value and replaced by it where cancellation has ruined it.
GroupStatistics groupStatistics(std::span<const float> values, std::span<const float> sorted);

// The same, sorting `values` itself.
GroupStatistics groupStatistics(std::span<const float> values);

// Pooled variances and the robust d of group 2 against group 1: the
// difference of trimmed means (group 2 minus group 1) times the square root of
// 0.4129, over the pooled Winsorized standard deviation.
EffectSize effectSize(const GroupStatistics& group1, const GroupStatistics& group2);

// Both groups' summaries and what they give together.
struct TwoGroupStatistics {
    GroupStatistics group1;
    GroupStatistics group2;
    EffectSize effect;
};

// The same values as groupStatistics on each group and effectSize on both;
// the two groups are summed side by side, which takes about the time of one.
TwoGroupStatistics twoGroupStatistics(std::span<const float> values1,
    std::span<const float> sorted1, std::span<const float> values2, std::span<const float> sorted2);

// True when every value of the summary is finite (within single precision).
bool isFinite(const GroupStatistics& group);
bool isFinite(const EffectSize& effect);

// The buffers of one resample. Drawing threads each keep their own, so that
// one OrderedGroup serves them all.
class Resample {
public:
    // The resample's values in draw order.
    std::span<const float> drawn() const { return m_drawn; }
    // The same values exactly as sortAscending(drawn()) gives them.
    std::span<const float> sorted() const
    {
        return std::span<const float>(m_sorted).first(m_drawn.size());
    }

private:
    friend class OrderedGroup;
    // Draws that fell on each place of the group's sorted values.
    std::vector<int32_t> m_draws;
    std::vector<float> m_drawn;
    // Three spare places past the resample's end let the ordering write
    // short runs without checking their length.
    std::vector<float> m_sorted;
};

// A group's observations with their stable ascending order, from which the
// ascending order of any resample follows in linear time without sorting.
class OrderedGroup {
public:
    explicit OrderedGroup(std::span<const float> values);

    std::span<const float> values() const { return m_values; }
    std::span<const float> sorted() const { return m_sorted; }

    // Draws into `out` the resample that takes the observations at
    // `positions` (0-based, in draw order).
    void resample(std::span<const int32_t> positions, Resample& out) const;

private:
    void orderDrawnZeros(Resample& out) const;

    // An observation with its place in m_sorted, side by side so that a
    // draw reads both from one place in memory.
    struct Observation {
        float value;
        int32_t rank;
    };

    std::vector<float> m_values;
    std::vector<float> m_sorted;
    std::vector<Observation> m_observations;
    // True when the group holds both +0 and -0: equal values that differ in
    // their bits, so their order among themselves shows.
    bool m_mixedZeros = false;
};

} // namespace robust
