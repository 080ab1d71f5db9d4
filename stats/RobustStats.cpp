// The robust statistics kernel: group summaries, trimming, Winsorizing and the robust d.
#include "stats/RobustStats.h"

#include "stats/VarianceGuard.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace robust {

namespace {

// The trimming proportion: the single-precision value nearest 0.2, widened.
const double TRIM_PROPORTION = static_cast<double>(0.2f);

// A running sum and sum of squares in double precision: single-precision
// sums drift once a group holds about 10^5 values. Each square of a single
// is exact in double precision.
struct RunningSums {
    double sum = 0.0;
    double squares = 0.0;

    void add(float x)
    {
        sum += x;
        squares += static_cast<double>(x) * x;
    }
};

// Sums of differences from a shift and of their squares, in double precision,
// for the check on the variances formed from the running sums.
struct ShiftedSums {
    double sum = 0.0;
    double squares = 0.0;

    void add(double difference, double times = 1.0)
    {
        sum += times * difference;
        squares += times * (difference * difference);
    }
};

// The variance from the running sums, rounded to single precision, unless the
// one from the shifted sums shows it ruined by cancellation.
float checkedVariance(double fromSums, double count, const ShiftedSums& exact)
{
    const float computed = static_cast<float>(fromSums);
    return static_cast<float>(
        guardedVariance(computed, varianceFromShiftedSums(count, exact.sum, exact.squares)));
}

// All sums of one group, added one place at a time: the raw sums in gathered
// order, the trimmed sums in ascending order, and the shifted sums that
// check both. The summary follows once every place has been added.
class GroupSums {
public:
    GroupSums(std::span<const float> values, std::span<const float> sorted)
        : m_values(values)
        , m_sorted(sorted)
        , m_n(static_cast<int32_t>(values.size()))
        , m_g(trimCount(m_n))
        , m_keptBegin(static_cast<std::size_t>(m_g))
        , m_keptCount(static_cast<std::size_t>(m_n - 2 * m_g))
        // The middle value: near the centre of the data, and equal to every
        // value of a constant group, whose double-precision variances are
        // then exactly 0.
        , m_shift(sorted[(values.size() - 1) / 2])
    {
    }

    void add(std::size_t k)
    {
        m_raw.add(m_values[k]);
        const float y = m_sorted[k];
        const double difference = y - m_shift;
        m_allExact.add(difference);
        if (k - m_keptBegin < m_keptCount) {
            m_kept.add(y);
            m_keptExact.add(difference);
        }
    }

    GroupStatistics result() const
    {
        const double n = m_n;
        const double g = m_g;
        GroupStatistics result;
        result.lngN = m_n;
        // The variances use the means as the sums give them, before they are
        // rounded to single precision: the rounded mean's square would move
        // the variance of ordinary data in its third decimal.
        const double mean = m_raw.sum / n;
        result.sngMean = static_cast<float>(mean);
        result.sngVariance
            = checkedVariance((m_raw.squares / n - mean * mean) * n / (n - 1.0), n, m_allExact);

        const double lowest = m_sorted[m_keptBegin];
        const double highest = m_sorted[m_keptBegin + m_keptCount - 1];
        result.sngTrimmedMean = static_cast<float>(m_kept.sum / static_cast<double>(m_keptCount));
        const double winsorizedMean = (g * lowest + m_kept.sum + g * highest) / n;
        result.sngWinsorizedMean = static_cast<float>(winsorizedMean);
        double squares = g * lowest * lowest + m_kept.squares;
        squares = squares + g * highest * highest;
        ShiftedSums winsorizedExact = m_keptExact;
        winsorizedExact.add(lowest - m_shift, g);
        winsorizedExact.add(highest - m_shift, g);
        result.sngWinsorizedVariance = checkedVariance(
            (squares / n - winsorizedMean * winsorizedMean) * n / (n - 1.0), n, winsorizedExact);
        return result;
    }

private:
    std::span<const float> m_values;
    std::span<const float> m_sorted;
    int32_t m_n;
    int32_t m_g;
    std::size_t m_keptBegin;
    std::size_t m_keptCount;
    double m_shift;
    RunningSums m_raw;
    RunningSums m_kept;
    ShiftedSums m_allExact;
    ShiftedSums m_keptExact;
};

} // namespace

int32_t trimCount(int32_t n)
{
    return static_cast<int32_t>(n * TRIM_PROPORTION);
}

std::vector<float> sortAscending(std::span<const float> values)
{
    std::vector<float> sorted(values.begin(), values.end());
    std::stable_sort(sorted.begin(), sorted.end());
    return sorted;
}

GroupStatistics groupStatistics(std::span<const float> values, std::span<const float> sorted)
{
    GroupSums sums(values, sorted);
    for (std::size_t k = 0; k < values.size(); ++k)
        sums.add(k);
    return sums.result();
}

GroupStatistics groupStatistics(std::span<const float> values)
{
    const std::vector<float> sorted = sortAscending(values);
    return groupStatistics(values, sorted);
}

TwoGroupStatistics twoGroupStatistics(std::span<const float> values1,
    std::span<const float> sorted1, std::span<const float> values2, std::span<const float> sorted2)
{
    // Each group's sums form chains of dependent additions; adding both
    // groups in one loop lets the processor run the chains side by side.
    GroupSums sums1(values1, sorted1);
    GroupSums sums2(values2, sorted2);
    const std::size_t common = std::min(values1.size(), values2.size());
    for (std::size_t k = 0; k < common; ++k) {
        sums1.add(k);
        sums2.add(k);
    }
    for (std::size_t k = common; k < values1.size(); ++k)
        sums1.add(k);
    for (std::size_t k = common; k < values2.size(); ++k)
        sums2.add(k);
    TwoGroupStatistics result;
    result.group1 = sums1.result();
    result.group2 = sums2.result();
    result.effect = effectSize(result.group1, result.group2);
    return result;
}

EffectSize effectSize(const GroupStatistics& group1, const GroupStatistics& group2)
{
    // Group 2's term comes first in both pooled values.
    const double weight1 = group1.lngN - 1;
    const double weight2 = group2.lngN - 1;
    const double degrees = group1.lngN + group2.lngN - 2;
    EffectSize result;
    result.sngPooledVariance = static_cast<float>(
        (weight2 * group2.sngVariance + weight1 * group1.sngVariance) / degrees);
    result.sngPooledWinsorizedVariance = static_cast<float>(
        (weight2 * group2.sngWinsorizedVariance + weight1 * group1.sngWinsorizedVariance)
        / degrees);
    result.computable = result.sngPooledWinsorizedVariance > 0.0f;
    if (result.computable) {
        const double difference
            = static_cast<double>(group2.sngTrimmedMean) - group1.sngTrimmedMean;
        result.sngRobustD = static_cast<float>(std::sqrt(0.4129) * difference
            / std::sqrt(static_cast<double>(result.sngPooledWinsorizedVariance)));
    }
    return result;
}

bool isFinite(const GroupStatistics& group)
{
    return std::isfinite(group.sngMean) && std::isfinite(group.sngVariance)
        && std::isfinite(group.sngTrimmedMean) && std::isfinite(group.sngWinsorizedMean)
        && std::isfinite(group.sngWinsorizedVariance);
}

bool isFinite(const EffectSize& effect)
{
    return std::isfinite(effect.sngPooledVariance)
        && std::isfinite(effect.sngPooledWinsorizedVariance) && std::isfinite(effect.sngRobustD);
}

OrderedGroup::OrderedGroup(std::span<const float> values)
    : m_values(values.begin(), values.end())
    , m_sorted(values.size())
    , m_observations(values.size())
{
    std::vector<int32_t> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](int32_t a, int32_t b) { return m_values[a] < m_values[b]; });
    for (std::size_t place = 0; place < order.size(); ++place) {
        m_sorted[place] = m_values[order[place]];
        m_observations[order[place]] = { m_sorted[place], static_cast<int32_t>(place) };
    }
    const auto isNegativeZero = [](float x) { return x == 0.0f && std::signbit(x); };
    const auto isPositiveZero = [](float x) { return x == 0.0f && !std::signbit(x); };
    m_mixedZeros = std::any_of(m_values.begin(), m_values.end(), isNegativeZero)
        && std::any_of(m_values.begin(), m_values.end(), isPositiveZero);
}

void OrderedGroup::resample(std::span<const int32_t> positions, Resample& out) const
{
    // Counting the draws on each place of the sorted group and writing each
    // place's value that many times gives the resample in ascending order.
    // Equal values come out in the group's order rather than in draw order,
    // which changes nothing but the order of +0 and -0 among themselves.
    const std::size_t count = positions.size();
    out.m_drawn.resize(count);
    out.m_sorted.resize(count + 3);
    out.m_draws.assign(m_sorted.size(), 0);
    for (std::size_t k = 0; k < count; ++k) {
        // Draws land anywhere in a large group: asking early for the
        // observation a few draws ahead lets the memory waits overlap.
#if defined(__GNUC__) || defined(__clang__)
        if (k + 32 < count)
            __builtin_prefetch(&m_observations[positions[k + 32]]);
#endif
        const Observation& drawn = m_observations[positions[k]];
        out.m_drawn[k] = drawn.value;
        ++out.m_draws[drawn.rank];
    }
    float* sorted = out.m_sorted.data();
    for (std::size_t place = 0; place < m_sorted.size(); ++place) {
        const int32_t draws = out.m_draws[place];
        const float value = m_sorted[place];
        // Most places are drawn at most three times: write three without a
        // branch and let the next place overwrite what is not needed.
        sorted[0] = value;
        sorted[1] = value;
        sorted[2] = value;
        for (int32_t extra = 3; extra < draws; ++extra)
            sorted[extra] = value;
        sorted += draws;
    }
    if (m_mixedZeros)
        orderDrawnZeros(out);
}

void OrderedGroup::orderDrawnZeros(Resample& out) const
{
    // The zeros stand together in the sorted resample; a stable sort keeps
    // them in draw order.
    const auto end = out.m_sorted.begin() + static_cast<std::ptrdiff_t>(out.m_drawn.size());
    auto zero = std::lower_bound(out.m_sorted.begin(), end, 0.0f);
    for (float value : out.m_drawn) {
        if (value == 0.0f)
            *zero++ = value;
    }
}

} // namespace robust
