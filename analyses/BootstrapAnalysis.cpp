// The effect-size bootstrap analysis: gathering, checks, resampling, interval and report.
#include "analyses/BootstrapAnalysis.h"

#include "analyses/NumberFormat.h"
#include "data/NumberText.h"
#include "data/ReportText.h"
#include "stats/RobustStats.h"
#include "stats/VarianceGuard.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace {

// xoshiro256** seeded through splitmix64: fast, with 53 good bits for each
// uniform number.
class SeededUniform {
public:
    explicit SeededUniform(uint64_t seed)
    {
        for (uint64_t& word : m_state) {
            seed += 0x9e3779b97f4a7c15ULL;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            word = z ^ (z >> 31);
        }
    }

    double operator()()
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

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t m_state[4];
};

// One group's observed values and the buffers its resamples are drawn into.
struct Group {
    explicit Group(std::span<const float> values)
        : ordered(values)
    {
    }

    robust::OrderedGroup ordered;
    std::vector<int32_t> positions;
    // Used only when the request brings its own sort.
    std::vector<float> drawn;
    std::vector<float> sorted;
};

// Draws one resample of `group`, as many draws as observations, and puts it
// in ascending order. Returns the resample in draw order and sorted.
template <class Uniform>
std::pair<std::span<const float>, std::span<const float>> drawResample(
    Group& group, Uniform& uniform, BootstrapRequest::SortFunction sort)
{
    const std::span<const float> observed = group.ordered.values();
    const int32_t size = static_cast<int32_t>(observed.size());
    group.positions.resize(observed.size());
    for (int32_t& position : group.positions)
        position = drawnPosition(uniform(), size) - 1;
    if (!sort) {
        group.ordered.resample(group.positions);
        return { group.ordered.drawn(), group.ordered.drawnSorted() };
    }
    group.drawn.resize(observed.size());
    for (std::size_t k = 0; k < observed.size(); ++k)
        group.drawn[k] = observed[static_cast<std::size_t>(group.positions[k])];
    group.sorted = sort(group.drawn);
    return { group.drawn, group.sorted };
}

bool isValidTrial(const robust::TwoGroupStatistics& stats)
{
    return stats.effect.computable && robust::isFinite(stats.group1)
        && robust::isFinite(stats.group2) && robust::isFinite(stats.effect);
}

// The robust d of every valid trial, in trial order.
template <class Uniform>
std::vector<float> bootstrapEffects(
    Group& group1, Group& group2, const BootstrapRequest& request, Uniform& uniform)
{
    std::vector<float> effects;
    effects.reserve(static_cast<std::size_t>(std::max(request.lngTrials, 0)));
    for (int32_t trial = 1; trial <= request.lngTrials; ++trial) {
        if (request.onTrial)
            request.onTrial(trial);
        const auto [drawn1, sorted1] = drawResample(group1, uniform, request.sort);
        const auto [drawn2, sorted2] = drawResample(group2, uniform, request.sort);
        const robust::TwoGroupStatistics stats
            = robust::twoGroupStatistics(drawn1, sorted1, drawn2, sorted2);
        if (isValidTrial(stats))
            effects.push_back(stats.effect.sngRobustD);
    }
    return effects;
}

bool isChosen(int32_t column)
{
    return column >= 1 && column <= MAX_COLUMNS;
}

constexpr std::size_t CELL_WIDTH = 15;

std::string tableRow(std::string_view label, std::string_view group1, std::string_view group2)
{
    return report::leftCell(label, CELL_WIDTH) + report::rightCell(group1, CELL_WIDTH)
        + report::rightCell(group2, CELL_WIDTH) + report::LINE_END;
}

std::string numberRow(std::string_view label, float group1, float group2)
{
    return tableRow(label, formatReportNumber(group1), formatReportNumber(group2));
}

struct Interval {
    std::string lower = ".";
    std::string upper = ".";
};

Interval percentileInterval(std::vector<float> effects, const BootstrapRequest& request)
{
    Interval interval;
    if (effects.empty())
        return interval;
    const std::vector<float> sorted
        = request.sort ? request.sort(effects) : robust::sortAscending(effects);
    const PercentileEntries entries
        = percentileEntries(static_cast<int32_t>(sorted.size()), request.sngLevel);
    interval.lower = formatReportNumber(sorted[static_cast<std::size_t>(entries.lower) - 1]);
    interval.upper = formatReportNumber(sorted[static_cast<std::size_t>(entries.upper) - 1]);
    return interval;
}

std::string reportText(const robust::TwoGroupStatistics& observed, const BootstrapRequest& request,
    const Interval& interval, std::size_t valid)
{
    using report::integerText;
    using report::lineEnds;
    using report::rule;
    const robust::GroupStatistics& g1 = observed.group1;
    const robust::GroupStatistics& g2 = observed.group2;
    const std::string percent = integerText(levelPercent(request.sngLevel));
    std::string text;
    text += "GROUP-LEVEL STATISTICS" + lineEnds(1) + rule(45);
    text += tableRow("Statistic", "Group 1", "Group 2") + rule(45);
    text += tableRow("Sample Size", integerText(g1.lngN), integerText(g2.lngN)) + lineEnds(1);
    text += numberRow("Mean", g1.sngMean, g2.sngMean);
    text += numberRow("Trimmed Mean", g1.sngTrimmedMean, g2.sngTrimmedMean) + lineEnds(1);
    text += numberRow("Variance", g1.sngVariance, g2.sngVariance);
    text += numberRow("Wins. Var.", g1.sngWinsorizedVariance, g2.sngWinsorizedVariance);
    text += rule(45);
    text += "Dep Var = Var " + integerText(request.lngDependent) + "; Grp Var = Var "
        + integerText(request.lngGrouping) + lineEnds(3);
    text += "EFFECT SIZE ESTIMATES AND " + percent + "% CI" + lineEnds(1) + rule(50);
    text += "Pooled variance = " + formatReportNumber(observed.effect.sngPooledVariance)
        + lineEnds(1);
    text += "Pooled Winsorized variance = "
        + formatReportNumber(observed.effect.sngPooledWinsorizedVariance) + lineEnds(2);
    text += "Robust Cohen's D = " + formatReportNumber(observed.effect.sngRobustD) + lineEnds(2);
    text += percent + "% CI for population Robust D = (" + interval.lower + ", " + interval.upper
        + ")" + lineEnds(1);
    text += rule(50);
    text
        += "Number of attempted bootstrap trials = " + integerText(request.lngTrials) + lineEnds(1);
    text += "Number of valid robust D bootstrap trials = "
        + integerText(static_cast<int64_t>(valid)) + lineEnds(6);
    return text;
}

// True when the values spread, but so little that their variance lies below
// the normal single-precision range, where it keeps only a few significant
// bits and every statistic built on it would be wrong.
bool spreadTooSmall(std::span<const float> values)
{
    const double variance = exactVariance(values);
    return variance > 0.0 && variance < std::numeric_limits<float>::min();
}

AnalysisResult message(std::string text)
{
    return AnalysisResult { std::move(text), {} };
}

} // namespace

int32_t drawnPosition(double u, int32_t size)
{
    const double scaled = u * size;
    int32_t position = static_cast<int32_t>(scaled);
    if (position < scaled)
        ++position;
    return position < 1 ? 1 : position;
}

PercentileEntries percentileEntries(int32_t valid, float level)
{
    const double tail = (1.0 - static_cast<double>(level)) / 2.0;
    const int32_t r = static_cast<int32_t>(std::nearbyint(tail * valid));
    return PercentileEntries { r + 1, valid - r };
}

int32_t levelPercent(float level)
{
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(level) * 100.0));
}

AnalysisResult runBootstrapAnalysis(const DataMatrix& data, const BootstrapRequest& request)
{
    if (!isChosen(request.lngDependent))
        return message("A dependent variable must be selected.");
    if (!isChosen(request.lngGrouping))
        return message("A grouping variable must be selected.");
    const std::optional<float> code1 = parseNumber(request.strGroup1);
    if (!code1)
        return message("The value provided for Group 1 is not valid.");
    const std::optional<float> code2 = parseNumber(request.strGroup2);
    if (!code2)
        return message("The value provided for Group 2 is not valid.");

    std::vector<float> values1;
    std::vector<float> values2;
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float value = data(row, request.lngDependent);
        if (value == MISSING_VALUE)
            continue;
        const float code = data(row, request.lngGrouping);
        if (code == *code1)
            values1.push_back(value);
        else if (code == *code2)
            values2.push_back(value);
    }
    if (values1.size() < 2)
        return message("There is an insufficient number of observations for Group 1.");
    if (values2.size() < 2)
        return message("There is an insufficient number of observations for Group 2.");

    Group group1(values1);
    Group group2(values2);
    const auto sorted = [&](const Group& group) {
        const std::span<const float> values = group.ordered.values();
        if (request.sort)
            return request.sort(values);
        return std::vector<float>(group.ordered.sorted().begin(), group.ordered.sorted().end());
    };
    const robust::TwoGroupStatistics observed = robust::twoGroupStatistics(
        group1.ordered.values(), sorted(group1), group2.ordered.values(), sorted(group2));
    if (!robust::isFinite(observed.group1) || !robust::isFinite(observed.group2)
        || !robust::isFinite(observed.effect))
        return message("Var " + report::integerText(request.lngDependent)
            + " has values too large to summarise.");
    if (spreadTooSmall(group1.ordered.values()) || spreadTooSmall(group2.ordered.values()))
        return message("Var " + report::integerText(request.lngDependent)
            + " has values too small to summarise.");
    if (!(observed.group1.sngVariance > 0.0f) && !(observed.group2.sngVariance > 0.0f))
        return message("Group 1 and Group 2 both have a zero variance.");

    std::vector<float> effects;
    if (request.uniform) {
        effects = bootstrapEffects(group1, group2, request, request.uniform);
    } else {
        SeededUniform uniform(request.seed);
        effects = bootstrapEffects(group1, group2, request, uniform);
    }
    const std::size_t valid = effects.size();
    const Interval interval = percentileInterval(std::move(effects), request);
    return AnalysisResult { {}, reportText(observed, request, interval, valid) };
}
