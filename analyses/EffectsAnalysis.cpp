// The robust effect sizes analysis: checks, resampling, intervals and report.
#include "analyses/EffectsAnalysis.h"

#include "analyses/ResultRecords.h"
#include "report/NumberFormat.h"
#include "report/ReportText.h"
#include "stats/EffectSizes.h"
#include "stats/RobustStats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The rows with a bootstrap interval, in report order.
enum Row { AKP_POOLED, AKP_GROUP1, AKP_GROUP2, KMS, XI, SHIFT, BOOTSTRAP_ROWS };
using Values = std::array<std::optional<double>, BOOTSTRAP_ROWS>;

// Subsamples of the larger group at the smaller size behind ξ of unequal
// groups, as yuenv2 takes them.
constexpr int SUBSAMPLES = 100;

struct Setting {
    int32_t trimPercent = 20;
    double c = 0.4129;
};

// What one thread keeps from trial to trial.
struct Work {
    std::vector<int32_t> positions;
    robust::Resample resample1;
    robust::Resample resample2;
    std::vector<double> band;
    std::vector<int32_t> order;
    std::vector<char> chosen;
    std::vector<float> subsample;
    std::vector<double> powers;
};

// ξ = √(explanatory power). Equal groups give it directly; otherwise, as in
// yuenv2, it is the root of the median power over SUBSAMPLES subsamples of
// the larger group drawn without replacement at the smaller size, each set
// against the smaller group whole. A subsample without a power leaves ξ
// without a value, as the median of R's NA does.
template <class Uniform>
std::optional<double> explanatoryMeasure(std::span<const float> sorted1,
    std::span<const float> sorted2, const robust::TrimmedSummary& summary1,
    const robust::TrimmedSummary& summary2, const Setting& setting, Uniform& uniform, Work& work)
{
    if (sorted1.size() == sorted2.size()) {
        const std::optional<double> power = robust::explanatoryPower(
            sorted1, sorted2, summary1, summary2, setting.trimPercent, setting.c);
        return power ? std::optional<double>(std::sqrt(*power)) : std::nullopt;
    }
    const bool firstLarger = sorted1.size() > sorted2.size();
    const std::span<const float> larger = firstLarger ? sorted1 : sorted2;
    const std::span<const float> smaller = firstLarger ? sorted2 : sorted1;
    const robust::TrimmedSummary& smallerSummary = firstLarger ? summary2 : summary1;
    const int32_t largeSize = static_cast<int32_t>(larger.size());
    const int32_t smallSize = static_cast<int32_t>(smaller.size());
    // The shuffle starts afresh each time, so that the subsamples depend on
    // the stream alone and not on what the thread drew before.
    work.order.resize(larger.size());
    std::iota(work.order.begin(), work.order.end(), 0);
    work.chosen.assign(larger.size(), 0);
    work.powers.clear();
    const bool markLeftOut = largeSize - smallSize < smallSize;
    const int32_t marked = markLeftOut ? largeSize - smallSize : smallSize;
    for (int s = 0; s < SUBSAMPLES; ++s) {
        // A partial shuffle picks the subsample, or the places left out of
        // it when they are fewer; marking them and reading the group in
        // order gives the subsample sorted.
        for (int32_t i = 0; i < marked; ++i) {
            const int32_t j = i + drawnPosition(uniform(), largeSize - i) - 1;
            std::swap(
                work.order[static_cast<std::size_t>(i)], work.order[static_cast<std::size_t>(j)]);
            work.chosen[static_cast<std::size_t>(work.order[static_cast<std::size_t>(i)])] = 1;
        }
        work.subsample.clear();
        for (std::size_t place = 0; place < larger.size(); ++place) {
            if ((work.chosen[place] != 0) != markLeftOut)
                work.subsample.push_back(larger[place]);
            work.chosen[place] = 0;
        }
        const robust::TrimmedSummary subsampleSummary
            = robust::trimmedSummary(work.subsample, setting.trimPercent);
        const std::optional<double> power = firstLarger
            ? robust::explanatoryPower(work.subsample, smaller, subsampleSummary, smallerSummary,
                setting.trimPercent, setting.c)
            : robust::explanatoryPower(smaller, work.subsample, smallerSummary, subsampleSummary,
                setting.trimPercent, setting.c);
        if (!power)
            return std::nullopt;
        work.powers.push_back(*power);
    }
    const auto middle = work.powers.begin() + SUBSAMPLES / 2;
    std::nth_element(work.powers.begin(), middle, work.powers.end());
    const double upper = *middle;
    const double lower = *std::max_element(work.powers.begin(), middle);
    return std::sqrt((lower + upper) / 2.0);
}

// Every bootstrap row's value for two sorted groups. `pooledAt20` is the
// kernel's robust d, which the pooled row takes at 20% trimming.
template <class Uniform>
Values measures(std::span<const float> sorted1, std::span<const float> sorted2,
    std::optional<double> pooledAt20, const Setting& setting, Uniform& uniform, Work& work)
{
    const robust::TrimmedSummary summary1 = robust::trimmedSummary(sorted1, setting.trimPercent);
    const robust::TrimmedSummary summary2 = robust::trimmedSummary(sorted2, setting.trimPercent);
    const robust::StandardizedDifferences d
        = robust::standardizedDifferences(summary1, summary2, setting.c);
    Values values;
    values[AKP_POOLED] = setting.trimPercent == 20 ? pooledAt20 : d.pooled;
    values[AKP_GROUP1] = d.group1;
    values[AKP_GROUP2] = d.group2;
    values[KMS] = d.kms;
    values[XI] = explanatoryMeasure(sorted1, sorted2, summary1, summary2, setting, uniform, work);
    values[SHIFT] = robust::PairwiseDifferences(sorted1, sorted2).quantileShift(work.band);
    return values;
}

// The robust d as the effect-size bootstrap takes it from a trial.
std::optional<double> kernelRobustD(const robust::TwoGroupStatistics& stats)
{
    if (!stats.effect.computable || !robust::isFinite(stats.group1)
        || !robust::isFinite(stats.group2) || !robust::isFinite(stats.effect))
        return std::nullopt;
    return stats.effect.sngRobustD;
}

// One trial: a resample of each group, group 1 drawn first, as the
// effect-size bootstrap draws them.
Values trial(const robust::OrderedGroup& group1, const robust::OrderedGroup& group2,
    const Setting& setting, TrialStream& stream, Work& work)
{
    const auto draw = [&](const robust::OrderedGroup& group, robust::Resample& out) {
        const int32_t size = static_cast<int32_t>(group.values().size());
        work.positions.resize(group.values().size());
        for (int32_t& position : work.positions)
            position = drawnPosition(stream(), size) - 1;
        group.resample(work.positions, out);
    };
    draw(group1, work.resample1);
    draw(group2, work.resample2);
    std::optional<double> pooledAt20;
    if (setting.trimPercent == 20) {
        pooledAt20 = kernelRobustD(robust::twoGroupStatistics(work.resample1.drawn(),
            work.resample1.sorted(), work.resample2.drawn(), work.resample2.sorted()));
    }
    return measures(
        work.resample1.sorted(), work.resample2.sorted(), pooledAt20, setting, stream, work);
}

// Every trial on its own stream, spread over the worker threads; each row's
// valid values are gathered in trial order.
std::array<std::vector<double>, BOOTSTRAP_ROWS> bootstrap(const robust::OrderedGroup& group1,
    const robust::OrderedGroup& group2, const EffectsRequest& request, const Setting& setting,
    uint64_t seed)
{
    const int32_t trials = std::max(request.lngTrials, 0);
    std::vector<Values> slots(static_cast<std::size_t>(trials));
    runTrials(trials, seed, 1, request.control, request.onTrial, [&]() -> TrialWork {
        return [&, work = Work {}](int32_t t, TrialStream& stream) mutable {
            slots[static_cast<std::size_t>(t)] = trial(group1, group2, setting, stream, work);
        };
    });
    std::array<std::vector<double>, BOOTSTRAP_ROWS> rows;
    for (const Values& values : slots) {
        for (int row = 0; row < BOOTSTRAP_ROWS; ++row) {
            if (values[static_cast<std::size_t>(row)])
                rows[static_cast<std::size_t>(row)].push_back(
                    *values[static_cast<std::size_t>(row)]);
        }
    }
    return rows;
}

std::string numberOrDot(std::optional<double> value)
{
    return value ? formatReportNumber(*value) : std::string(".");
}

std::string intervalText(std::optional<double> lower, std::optional<double> upper)
{
    return "(" + numberOrDot(lower) + ", " + numberOrDot(upper) + ")";
}

struct ReportRow {
    std::string measure;
    std::string estimate;
    std::string interval;
    std::string trials;
};

ReportRow reportRow(const EffectsRow& row)
{
    return { row.measure, numberOrDot(row.estimate), intervalText(row.lower, row.upper),
        row.valid ? report::integerText(*row.valid) : std::string(".") };
}

// The percentile interval of one row's valid values.
EffectsRow bootstrapRow(
    std::string measure, std::optional<double> estimate, std::vector<double> values, float level)
{
    EffectsRow row { std::move(measure), estimate, std::nullopt, std::nullopt,
        static_cast<int32_t>(values.size()) };
    if (!values.empty()) {
        std::sort(values.begin(), values.end());
        const PercentileEntries entries
            = percentileEntries(static_cast<int32_t>(values.size()), level);
        row.lower = values[static_cast<std::size_t>(entries.lower) - 1];
        row.upper = values[static_cast<std::size_t>(entries.upper) - 1];
    }
    return row;
}

std::string reportText(const DataMatrix& data, const EffectsRequest& request, int32_t trimPercent,
    const std::vector<EffectsRow>& effectsRows, uint64_t seed, bool fromClock)
{
    std::vector<ReportRow> rows;
    for (const EffectsRow& row : effectsRows)
        rows.push_back(reportRow(row));
    using report::leftCell;
    using report::lineEnds;
    // The columns widen for long numbers, so that they always line up.
    constexpr std::size_t MEASURE_WIDTH = 41;
    std::size_t estimateWidth = 11;
    std::size_t intervalWidth = 21;
    for (const ReportRow& row : rows) {
        estimateWidth = std::max(estimateWidth, report::characterCount(row.estimate) + 2);
        intervalWidth = std::max(intervalWidth, report::characterCount(row.interval) + 2);
    }
    const std::string trialsHeading = "Trials";
    const std::size_t width = MEASURE_WIDTH + estimateWidth + intervalWidth + trialsHeading.size();
    const auto line = [&](const std::string& measure, const std::string& estimate,
                          const std::string& interval, const std::string& trials) {
        return leftCell(measure, MEASURE_WIDTH) + leftCell(estimate, estimateWidth)
            + leftCell(interval, intervalWidth) + trials + lineEnds(1);
    };
    std::string text = "ROBUST EFFECT SIZES (" + report::integerText(trimPercent) + "% TRIMMING)"
        + lineEnds(1) + report::rule(width);
    text += line("Measure", "Estimate",
                report::integerText(levelPercent(request.sngLevel)) + "% CI", trialsHeading)
        + report::rule(width);
    for (const ReportRow& row : rows)
        text += line(row.measure, row.estimate, row.interval, row.trials);
    text += report::rule(width);
    text += variablesLine(data, request) + groupsLine(data, request);
    text += seedLine(seed, fromClock);
    return text + lineEnds(5);
}

} // namespace

AnalysisResult runEffectsAnalysis(const DataMatrix& data, const EffectsRequest& request)
{
    if (std::string problem = checkChoice(data, request); !problem.empty())
        return { std::move(problem), {} };
    const std::optional<int32_t> trimPercent = parseTrimming(request.strTrim);
    if (!trimPercent)
        return { TRIMMING_MESSAGE, {} };
    std::optional<uint64_t> namedSeed;
    if (!request.strSeed.empty()) {
        namedSeed = seedFromText(request.strSeed);
        if (!namedSeed)
            return { "The seed must be a whole number from 0 to 18446744073709551615.", {} };
    }
    ObservedGroups observed = observeGroups(data, request);
    if (!observed.message.empty())
        return { std::move(observed.message), {} };

    const Setting setting { *trimPercent, robust::normalWinsorizedVariance(*trimPercent) };
    const uint64_t seed = namedSeed.value_or(request.clockSeed);
    const robust::OrderedGroup group1(observed.group1);
    const robust::OrderedGroup group2(observed.group2);
    // The observed values; ξ of unequal groups takes its subsamples from the
    // stream numbered 0, which no trial uses.
    Work work;
    TrialStream observedStream(seed, 0);
    const Values estimates = measures(group1.sorted(), group2.sorted(),
        kernelRobustD(observed.statistics), setting, observedStream, work);
    const robust::Dominance dominance
        = robust::dominance(group1.sorted(), group2.sorted(), request.sngLevel);

    std::array<std::vector<double>, BOOTSTRAP_ROWS> values
        = bootstrap(group1, group2, request, setting, seed);
    if (stopRequested(request.control))
        return { {}, {}, true };

    static const std::array<const char*, BOOTSTRAP_ROWS> NAMES {
        "AKP d, pooled Winsorized variance", "AKP d, Group 1 Winsorized variance",
        "AKP d, Group 2 Winsorized variance", "KMS d", "Explanatory measure xi", "Quantile shift"
    };
    std::vector<EffectsRow> rows;
    for (std::size_t row = 0; row < NAMES.size(); ++row) {
        rows.push_back(
            bootstrapRow(NAMES[row], estimates[row], std::move(values[row]), request.sngLevel));
    }
    const auto toP = [](std::optional<double> delta) {
        return delta ? std::optional<double>((1.0 + *delta) / 2.0) : std::nullopt;
    };
    rows.push_back({ "P(Group 2 > Group 1)", dominance.p, toP(dominance.lower),
        toP(dominance.upper), std::nullopt });
    rows.push_back(
        { "Cliff's delta", dominance.delta, dominance.lower, dominance.upper, std::nullopt });
    AnalysisResult result { {}, reportText(data, request, *trimPercent, rows, seed, !namedSeed) };
    result.trimming = *trimPercent / 100.0;
    result.bootstrapMethod = "percentile bootstrap";
    result.record = std::make_shared<const AnalysisRecord>(EffectsRecord { request,
        twoGroupNames(data, request), *trimPercent, std::move(rows), request.lngTrials, seed,
        namedSeed.has_value() });
    return result;
}
