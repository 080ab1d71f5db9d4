// Yuen's trimmed-means test as an analysis: checks, test and report.
#include "analyses/YuenAnalysis.h"

#include "analyses/ResultRecords.h"
#include "report/NumberFormat.h"
#include "report/ReportText.h"
#include "stats/EffectSizes.h"
#include "stats/RobustStats.h"
#include "stats/Yuen.h"

#include <charconv>
#include <optional>
#include <utility>

namespace {

std::string reportText(const DataMatrix& data, const TwoGroupChoice& choice,
    const robust::YuenResult& test, int32_t trimPercent, const std::string& robustD)
{
    using report::integerText;
    using report::lineEnds;
    using report::groupRow;
    using report::rule;
    const std::string trimming
        = trimPercent == 20 ? "" : ", " + integerText(trimPercent) + "% TRIMMING";
    std::string text = "TRIMMED MEANS TEST (YUEN" + trimming + ")" + lineEnds(1) + rule(45);
    text += groupRow("Statistic", "Group 1", "Group 2") + rule(45);
    text += groupRow("Sample Size", integerText(test.n1), integerText(test.n2));
    text += groupRow("Effective Size", integerText(test.h1), integerText(test.h2)) + lineEnds(1);
    text += groupRow("Trimmed Mean", test.trimmedMean1, test.trimmedMean2);
    text += groupRow("Wins. Var.", test.winsorizedVariance1, test.winsorizedVariance2);
    text += rule(45);
    text += variablesLine(data, choice) + groupsLine(data, choice) + lineEnds(2) + rule(50);
    text += "Difference in trimmed means (Group 2 - Group 1) = "
        + formatReportNumber(test.difference) + lineEnds(1);
    text += "Standard error = " + formatReportNumber(test.standardError) + lineEnds(1);
    text += "t = " + formatReportNumber(test.t) + ", df = " + formatReportNumber(test.df) + ", p "
        + formatPValue(test.p) + lineEnds(1);
    text += integerText(levelPercent(choice.sngLevel)) + "% CI for the difference = ("
        + formatReportNumber(test.lower) + ", " + formatReportNumber(test.upper) + ")"
        + lineEnds(1);
    text += "Robust Cohen's D = " + robustD + lineEnds(1);
    return text + rule(50) + lineEnds(5);
}

} // namespace

std::string formatPValue(double p)
{
    if (!(p >= 0.0001))
        return "< 0.0001";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, p, std::chars_format::fixed, 4);
    return "= " + std::string(buffer, end.ptr);
}

AnalysisResult runYuenAnalysis(
    const DataMatrix& data, const TwoGroupChoice& choice, std::string_view trim)
{
    if (std::string problem = checkChoice(data, choice); !problem.empty())
        return { std::move(problem), {} };
    const std::optional<int32_t> trimPercent = parseTrimming(trim);
    if (!trimPercent)
        return { TRIMMING_MESSAGE, {} };
    ObservedGroups observed = observeGroups(data, choice);
    if (!observed.message.empty())
        return { std::move(observed.message), {} };
    const robust::YuenResult test
        = robust::yuenTest(observed.group1, observed.group2, choice.sngLevel, *trimPercent);
    if (!test.computable)
        return { "Both groups have a zero Winsorized variance.", {} };
    std::string robustDText = formatReportNumber(observed.statistics.effect.sngRobustD);
    std::optional<double> robustD;
    if (observed.statistics.effect.computable)
        robustD = observed.statistics.effect.sngRobustD;
    if (*trimPercent != 20) {
        robustD = robust::standardizedDifferences(
            robust::trimmedSummary(robust::sortAscending(observed.group1), *trimPercent),
            robust::trimmedSummary(robust::sortAscending(observed.group2), *trimPercent),
            robust::normalWinsorizedVariance(*trimPercent))
                      .pooled;
        robustDText = robustD ? formatReportNumber(*robustD) : ".";
    }
    AnalysisResult result { {}, reportText(data, choice, test, *trimPercent, robustDText) };
    result.trimming = *trimPercent / 100.0;
    result.record = std::make_shared<const AnalysisRecord>(YuenRecord { choice,
        twoGroupNames(data, choice), test, observed.statistics.effect, *trimPercent, robustD });
    return result;
}
