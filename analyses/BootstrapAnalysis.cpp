// The effect-size bootstrap analysis: checks, resampling, interval and report.
#include "analyses/BootstrapAnalysis.h"

#include "analyses/ResultRecords.h"
#include "report/NumberFormat.h"
#include "report/ReportText.h"
#include "stats/RobustStats.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace {

// One group's draws of one resample, kept by one drawing thread.
struct GroupDraw {
    std::vector<int32_t> positions;
    robust::Resample resample;
    // Used only when the request brings its own sort.
    std::vector<float> drawn;
    std::vector<float> sorted;
};

// Draws one resample of `group`, as many draws as observations, and puts it
// in ascending order. Returns the resample in draw order and sorted.
template <class Uniform>
std::pair<std::span<const float>, std::span<const float>> drawResample(
    const robust::OrderedGroup& group, GroupDraw& draw, Uniform& uniform, SortFunction sort)
{
    const std::span<const float> observed = group.values();
    const int32_t size = static_cast<int32_t>(observed.size());
    draw.positions.resize(observed.size());
    for (int32_t& position : draw.positions)
        position = drawnPosition(uniform(), size) - 1;
    if (!sort) {
        group.resample(draw.positions, draw.resample);
        return { draw.resample.drawn(), draw.resample.sorted() };
    }
    draw.drawn.resize(observed.size());
    for (std::size_t k = 0; k < observed.size(); ++k)
        draw.drawn[k] = observed[static_cast<std::size_t>(draw.positions[k])];
    draw.sorted = sort(draw.drawn);
    return { draw.drawn, draw.sorted };
}

bool isValidTrial(const robust::TwoGroupStatistics& stats)
{
    return stats.effect.computable && robust::isFinite(stats.group1)
        && robust::isFinite(stats.group2) && robust::isFinite(stats.effect);
}

// Both observed groups, and what one drawing thread needs for a trial.
struct Trial {
    const robust::OrderedGroup& group1;
    const robust::OrderedGroup& group2;
    SortFunction sort;
    GroupDraw draw1;
    GroupDraw draw2;

    // The robust d of one resample of each group, group 1 drawn first; nothing
    // when the trial is not valid.
    template <class Uniform> std::optional<float> effect(Uniform& uniform)
    {
        const auto [drawn1, sorted1] = drawResample(group1, draw1, uniform, sort);
        const auto [drawn2, sorted2] = drawResample(group2, draw2, uniform, sort);
        const robust::TwoGroupStatistics stats
            = robust::twoGroupStatistics(drawn1, sorted1, drawn2, sorted2);
        if (!isValidTrial(stats))
            return std::nullopt;
        return stats.effect.sngRobustD;
    }
};

// The trials drawn one after another from the request's own uniform source.
std::vector<float> scriptedEffects(const robust::OrderedGroup& group1,
    const robust::OrderedGroup& group2, const BootstrapRequest& request)
{
    Trial trial { group1, group2, request.sort, {}, {} };
    std::vector<float> effects;
    for (int32_t t = 1; t <= request.lngTrials && !stopRequested(request.control); ++t) {
        if (request.onTrial)
            request.onTrial(t);
        if (const std::optional<float> d = trial.effect(request.uniform))
            effects.push_back(*d);
        if (request.control)
            request.control->completedTrials.fetch_add(1, std::memory_order_relaxed);
    }
    return effects;
}

// Every trial on its own stream, spread over the worker threads; each d lands
// in its trial's slot, and the valid ones are gathered in trial order.
std::vector<float> parallelEffects(const robust::OrderedGroup& group1,
    const robust::OrderedGroup& group2, const BootstrapRequest& request, uint64_t seed)
{
    const int32_t trials = std::max(request.lngTrials, 0);
    std::vector<float> slots(static_cast<std::size_t>(trials));
    std::vector<char> valid(static_cast<std::size_t>(trials), 0);
    runTrials(trials, seed, 4, request.control, request.onTrial, [&]() -> TrialWork {
        return [&, trial = Trial { group1, group2, request.sort, {}, {} }](
                   int32_t t, TrialStream& stream) mutable {
            if (const std::optional<float> d = trial.effect(stream)) {
                slots[static_cast<std::size_t>(t)] = *d;
                valid[static_cast<std::size_t>(t)] = 1;
            }
        };
    });
    std::vector<float> effects;
    effects.reserve(slots.size());
    for (std::size_t t = 0; t < slots.size(); ++t) {
        if (valid[t])
            effects.push_back(slots[t]);
    }
    return effects;
}

struct Interval {
    std::string lower = ".";
    std::string upper = ".";
    std::optional<float> lowerValue;
    std::optional<float> upperValue;
};

Interval percentileInterval(const std::vector<float>& effects, const BootstrapRequest& request)
{
    Interval interval;
    if (effects.empty())
        return interval;
    const std::vector<float> sorted
        = request.sort ? request.sort(effects) : robust::sortAscending(effects);
    const PercentileEntries entries
        = percentileEntries(static_cast<int32_t>(sorted.size()), request.sngLevel);
    interval.lowerValue = sorted[static_cast<std::size_t>(entries.lower) - 1];
    interval.upperValue = sorted[static_cast<std::size_t>(entries.upper) - 1];
    interval.lower = formatReportNumber(*interval.lowerValue);
    interval.upper = formatReportNumber(*interval.upperValue);
    return interval;
}

// The seed a report names, so that its interval can be drawn again.
struct ShownSeed {
    uint64_t seed = 0;
    bool fromClock = false;
};

// "Robust Cohen's D = 1.116", or "." with the reason when it is not defined:
// the pooled Winsorized variance is 0 only when both groups' are.
std::string robustDLines(const robust::EffectSize& effect)
{
    using report::lineEnds;
    if (effect.computable)
        return "Robust Cohen's D = " + formatReportNumber(effect.sngRobustD) + lineEnds(2);
    return "Robust Cohen's D = ." + lineEnds(1)
        + "Both groups have a zero Winsorized variance, so the robust d is not defined."
        + lineEnds(2);
}

std::string reportText(const DataMatrix& data, const robust::TwoGroupStatistics& observed,
    const BootstrapRequest& request, const Interval& interval, std::size_t valid,
    std::optional<ShownSeed> shownSeed)
{
    using report::integerText;
    using report::lineEnds;
    using report::groupRow;
    using report::rule;
    const robust::GroupStatistics& g1 = observed.group1;
    const robust::GroupStatistics& g2 = observed.group2;
    const std::string percent = integerText(levelPercent(request.sngLevel));
    std::string text;
    text += "GROUP-LEVEL STATISTICS" + lineEnds(1) + rule(45);
    text += groupRow("Statistic", "Group 1", "Group 2") + rule(45);
    text += groupRow("Sample Size", integerText(g1.lngN), integerText(g2.lngN)) + lineEnds(1);
    text += groupRow("Mean", g1.sngMean, g2.sngMean);
    text += groupRow("Trimmed Mean", g1.sngTrimmedMean, g2.sngTrimmedMean) + lineEnds(1);
    text += groupRow("Variance", g1.sngVariance, g2.sngVariance);
    text += groupRow("Wins. Var.", g1.sngWinsorizedVariance, g2.sngWinsorizedVariance);
    text += rule(45);
    text += variablesLine(data, request) + groupsLine(data, request) + lineEnds(2);
    text += "EFFECT SIZE ESTIMATES AND " + percent + "% CI" + lineEnds(1) + rule(50);
    text += "Pooled variance = " + formatReportNumber(observed.effect.sngPooledVariance)
        + lineEnds(1);
    text += "Pooled Winsorized variance = "
        + formatReportNumber(observed.effect.sngPooledWinsorizedVariance) + lineEnds(2);
    text += robustDLines(observed.effect);
    text += percent + "% CI for population Robust D = (" + interval.lower + ", " + interval.upper
        + ")" + lineEnds(1);
    text += rule(50);
    text
        += "Number of attempted bootstrap trials = " + integerText(request.lngTrials) + lineEnds(1);
    text += "Number of valid robust D bootstrap trials = "
        + integerText(static_cast<int64_t>(valid)) + lineEnds(1);
    if (shownSeed)
        text += seedLine(shownSeed->seed, shownSeed->fromClock);
    return text + lineEnds(5);
}

// A whole number from 0 to 2^64 - 1, blanks around it allowed.
std::optional<uint64_t> parseSeed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    uint64_t seed = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(text.data(), end, seed);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return seed;
}

BootstrapResult message(std::string text)
{
    BootstrapResult result;
    result.message = std::move(text);
    return result;
}

// What the pictures of a completed run draw.
std::shared_ptr<const BootstrapRun> completedRun(const DataMatrix& data, ObservedGroups observed,
    std::vector<float> effects, const Interval& interval, const BootstrapRequest& request,
    std::optional<uint64_t> namedSeed)
{
    auto run = std::make_shared<BootstrapRun>();
    run->group1 = std::move(observed.group1);
    run->group2 = std::move(observed.group2);
    run->sngTrimmedMean1 = observed.statistics.group1.sngTrimmedMean;
    run->sngTrimmedMean2 = observed.statistics.group2.sngTrimmedMean;
    run->effects = std::move(effects);
    run->lowerBound = interval.lowerValue;
    run->upperBound = interval.upperValue;
    run->sngLevel = request.sngLevel;
    if (observed.statistics.effect.computable)
        run->sngRobustD = observed.statistics.effect.sngRobustD;
    run->seed = namedSeed;
    run->strGroup1 = groupName(data, request.lngGrouping, request.strGroup1);
    run->strGroup2 = groupName(data, request.lngGrouping, request.strGroup2);
    run->lngDependent = request.lngDependent;
    run->dependentLabel = variableLabel(data, request.lngDependent);
    return run;
}

} // namespace

std::string seedLine(uint64_t seed, bool fromClock)
{
    return "Random number seed = " + std::to_string(seed) + (fromClock ? " (from the clock)" : "")
        + report::lineEnds(1);
}

uint64_t seedFromClock()
{
    return static_cast<uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

std::optional<uint64_t> seedFromText(std::string_view text)
{
    return parseSeed(text);
}

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

BootstrapResult runBootstrapAnalysis(const DataMatrix& data, const BootstrapRequest& request)
{
    if (std::string problem = checkChoice(data, request); !problem.empty())
        return message(std::move(problem));
    std::optional<uint64_t> namedSeed;
    if (!request.strSeed.empty()) {
        namedSeed = parseSeed(request.strSeed);
        if (!namedSeed)
            return message("The seed must be a whole number from 0 to 18446744073709551615.");
    }
    ObservedGroups observed = observeGroups(data, request, request.sort);
    if (!observed.message.empty())
        return message(std::move(observed.message));

    const robust::OrderedGroup group1(observed.group1);
    const robust::OrderedGroup group2(observed.group2);
    const uint64_t seed = namedSeed.value_or(request.clockSeed);
    std::vector<float> effects = request.uniform ? scriptedEffects(group1, group2, request)
                                                 : parallelEffects(group1, group2, request, seed);
    if (stopRequested(request.control)) {
        BootstrapResult stopped;
        stopped.cancelled = true;
        return stopped;
    }
    const Interval interval = percentileInterval(effects, request);
    // A clock seed is named too, since typed as the seed it draws the same
    // interval again; scripted numbers owe nothing to a seed.
    std::optional<ShownSeed> shownSeed;
    if (namedSeed)
        shownSeed = ShownSeed { *namedSeed, false };
    else if (!request.uniform)
        shownSeed = ShownSeed { seed, true };
    BootstrapResult result;
    result.report
        = reportText(data, observed.statistics, request, interval, effects.size(), shownSeed);
    result.bootstrapMethod = "percentile bootstrap";
    result.record = std::make_shared<const AnalysisRecord>(BootstrapRecord { request,
        twoGroupNames(data, request), observed.statistics, interval.lowerValue,
        interval.upperValue, request.lngTrials, static_cast<int32_t>(effects.size()),
        namedSeed.value_or(request.clockSeed), namedSeed.has_value() });
    result.run = completedRun(data, std::move(observed), std::move(effects), interval, request,
        namedSeed);
    return result;
}
