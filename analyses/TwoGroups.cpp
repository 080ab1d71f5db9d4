// What the two-group analyses share: the choice of variable and groups, its
// checks, the observed groups, and the pieces of their reports.
#include "analyses/TwoGroups.h"

#include "report/NumberFormat.h"
#include "data/NumberText.h"
#include "report/ReportText.h"
#include "stats/VarianceGuard.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>

namespace {

bool isChosen(int32_t column)
{
    return column >= 1 && column <= MAX_COLUMNS;
}

// True when the values spread, but so little that their variance lies below
// the normal single-precision range, where it keeps only a few significant
// bits and every statistic built on it would be wrong.
bool spreadTooSmall(std::span<const float> values)
{
    const double variance = exactVariance(values);
    return variance > 0.0 && variance < std::numeric_limits<float>::min();
}

bool allFinite(const robust::TwoGroupStatistics& statistics)
{
    return robust::isFinite(statistics.group1) && robust::isFinite(statistics.group2)
        && robust::isFinite(statistics.effect);
}

std::vector<float> sortedWith(SortFunction sort, std::span<const float> values)
{
    return sort ? sort(values) : robust::sortAscending(values);
}

} // namespace

std::string checkChoice(const DataMatrix& data, const TwoGroupChoice& choice)
{
    if (!isChosen(choice.lngDependent))
        return "A dependent variable must be selected.";
    if (!isChosen(choice.lngGrouping))
        return "A grouping variable must be selected.";
    if (!groupCode(data, choice.lngGrouping, choice.strGroup1))
        return "The value provided for Group 1 is not valid.";
    if (!groupCode(data, choice.lngGrouping, choice.strGroup2))
        return "The value provided for Group 2 is not valid.";
    return {};
}

std::optional<float> groupCode(const DataMatrix& data, int32_t grouping, std::string_view text)
{
    if (const std::optional<float> code = data.codeOf(grouping, text))
        return code;
    return parseNumber(text);
}

std::string groupName(const DataMatrix& data, int32_t grouping, const std::string& text)
{
    if (const std::optional<float> code = groupCode(data, grouping, text)) {
        if (const std::string* label = data.labelOf(grouping, *code))
            return *label;
    }
    return text;
}

std::string groupValuesText(const DataMatrix& data, int32_t column)
{
    constexpr std::size_t MAX_LISTED = 12;
    if (!isChosen(column))
        return {};
    // Few distinct values in a grouping column: the map stays small however
    // many rows there are.
    std::map<float, int64_t> counts;
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float value = data(row, column);
        // NaN would break the map's order; it is never a group's code.
        if (value != MISSING_VALUE && !std::isnan(value))
            ++counts[value];
    }
    std::string text;
    std::size_t listed = 0;
    for (const auto& [value, count] : counts) {
        if (listed == MAX_LISTED) {
            text += ", … and " + report::integerText(static_cast<int64_t>(counts.size() - listed))
                + " more";
            break;
        }
        if (listed++ > 0)
            text += ", ";
        if (const std::string* label = data.labelOf(column, value))
            text += report::printable(*label) + " = ";
        text += formatReportNumber(value) + " (" + report::integerText(count) + ")";
    }
    return text;
}

ObservedGroups observeGroups(
    const DataMatrix& data, const TwoGroupChoice& choice, SortFunction sort)
{
    ObservedGroups observed;
    if (data.holdsText(choice.lngDependent)) {
        observed.message
            = variableLabel(data, choice.lngDependent) + " holds text labels, not numbers.";
        return observed;
    }
    const float code1 = *groupCode(data, choice.lngGrouping, choice.strGroup1);
    const float code2 = *groupCode(data, choice.lngGrouping, choice.strGroup2);
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float value = data(row, choice.lngDependent);
        if (value == MISSING_VALUE)
            continue;
        const float code = data(row, choice.lngGrouping);
        if (code == code1)
            observed.group1.push_back(value);
        else if (code == code2)
            observed.group2.push_back(value);
    }
    const std::string variable = variableLabel(data, choice.lngDependent);
    if (observed.group1.size() < 2) {
        observed.message = "There is an insufficient number of observations for Group 1.";
        return observed;
    }
    if (observed.group2.size() < 2) {
        observed.message = "There is an insufficient number of observations for Group 2.";
        return observed;
    }
    observed.statistics = robust::twoGroupStatistics(observed.group1,
        sortedWith(sort, observed.group1), observed.group2, sortedWith(sort, observed.group2));
    if (!allFinite(observed.statistics))
        observed.message = variable + " has values too large to summarise.";
    else if (spreadTooSmall(observed.group1) || spreadTooSmall(observed.group2))
        observed.message = variable + " has values too small to summarise.";
    else if (!(observed.statistics.group1.sngVariance > 0.0f)
        && !(observed.statistics.group2.sngVariance > 0.0f))
        observed.message = "Group 1 and Group 2 both have a zero variance.";
    return observed;
}

std::optional<int32_t> parseTrimming(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    std::string_view decimals
        = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    // Zeros past the second decimal change nothing.
    while (decimals.size() > 2 && decimals.back() == '0')
        decimals.remove_suffix(1);
    if ((whole.empty() && decimals.empty()) || !digits(whole) || !digits(decimals)
        || decimals.size() > 2)
        return std::nullopt;
    // A whole part of zeros only: the trimming lies below 0.5.
    if (whole.find_first_not_of('0') != std::string_view::npos)
        return std::nullopt;
    int32_t hundredths = 0;
    for (std::size_t k = 0; k < 2; ++k)
        hundredths = hundredths * 10 + (k < decimals.size() ? decimals[k] - '0' : 0);
    if (hundredths >= 50)
        return std::nullopt;
    return hundredths;
}

int32_t levelPercent(float level)
{
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(level) * 100.0));
}

std::string variablesLine(const DataMatrix& data, const TwoGroupChoice& choice)
{
    return report::variablesLine(
        variableLabel(data, choice.lngDependent), variableLabel(data, choice.lngGrouping));
}

std::string groupsLine(const DataMatrix& data, const TwoGroupChoice& choice)
{
    if (!data.hasLabels(choice.lngGrouping))
        return {};
    return report::groupsLine(groupName(data, choice.lngGrouping, choice.strGroup1),
        groupName(data, choice.lngGrouping, choice.strGroup2));
}
