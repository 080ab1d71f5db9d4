// Descriptives of chosen columns: the figures and the report table.
#include "analyses/DescriptivesAnalysis.h"

#include "analyses/ResultRecords.h"
#include "data/Parallel.h"
#include "report/NumberFormat.h"
#include "report/ReportText.h"
#include "stats/RobustStats.h"
#include "stats/VarianceGuard.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <exception>
#include <iterator>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t FIELD_WIDTH = 10;
// A cell's text keeps one space to the next field.
constexpr std::size_t CELL_WIDTH = FIELD_WIDTH - 1;
constexpr std::size_t LINE_WIDTH = 6 * FIELD_WIDTH;

// One column's figures; an absent value is shown as ".".
struct ColumnSummary {
    int32_t n = 0;
    std::optional<double> mean; // rounded to 3 decimals
    std::optional<double> sd; // rounded to 3 decimals
    std::optional<float> min;
    std::optional<float> max;
    bool tooLarge = false; // the variance lies beyond single precision
    // The mean and SD before rounding, for the manuscript's renderings.
    std::optional<double> exactMean;
    std::optional<double> exactSd;
};

// The data set is stored row by row: reading a block of columns in one pass
// over the rows reads each row once instead of once per column.
constexpr std::size_t COLUMNS_PER_PASS = 16;

// The values of each column of `block` that are not missing, in row order.
// Cells a short line left at 0 count as values.
void gatherValues(
    const DataMatrix& data, std::span<const int32_t> block, std::vector<std::vector<float>>& values)
{
    values.resize(block.size());
    for (std::vector<float>& v : values) {
        v.clear();
        v.reserve(static_cast<std::size_t>(data.rowCount()));
    }
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        for (std::size_t k = 0; k < block.size(); ++k) {
            const float x = data(row, block[k]);
            if (static_cast<double>(x) != static_cast<double>(MISSING_VALUE))
                values[k].push_back(x);
        }
    }
}

// The Name field: the column's name, or "Var k" for a column without one.
std::string columnName(const DataMatrix& data, int32_t column)
{
    const std::string& name = data.name(column);
    return name.empty() ? "Var " + report::integerText(column) : report::printable(name);
}

// Every cell is cut to its first CELL_WIDTH characters.
std::string leftAligned(std::string_view text)
{
    return report::leftCell(report::firstCharacters(text, CELL_WIDTH), FIELD_WIDTH);
}

std::string rightAligned(std::string_view text)
{
    return report::rightCell(text.substr(0, CELL_WIDTH), FIELD_WIDTH);
}

// Mean and SD are doubles shown with up to 15 significant digits; min and max
// are singles shown with up to 7.
std::string numberCell(std::optional<double> value, int significantDigits, char separator)
{
    if (!value)
        return rightAligned(".");
    const std::string text = formatGeneral(*value, significantDigits, separator);
    return rightAligned(fitNumberText(text, *value, CELL_WIDTH, separator));
}

std::optional<double> widened(std::optional<float> value)
{
    if (!value)
        return std::nullopt;
    return static_cast<double>(*value);
}

std::string headerLine()
{
    return leftAligned("Name") + rightAligned("Mean") + rightAligned("SD") + rightAligned("Min")
        + rightAligned("Max") + rightAligned("N");
}

// A labelled column holds codes, not measurements: only its count is shown.
std::string labelledLine(const DataMatrix& data, int32_t column, std::size_t n, char separator)
{
    const std::string count = report::integerText(static_cast<int64_t>(n));
    return leftAligned(columnName(data, column)) + numberCell({}, 15, separator)
        + numberCell({}, 15, separator) + numberCell({}, 7, separator)
        + numberCell({}, 7, separator)
        + rightAligned(fitNumberText(count, static_cast<double>(n), CELL_WIDTH, separator));
}

// "Var k (name): OJ 30; VC 30": each label of the column with the count of its
// cells, in code order; at most MAX_LABELS, then "…".
std::string labelCountsLine(const DataMatrix& data, int32_t column, std::span<const float> values)
{
    constexpr std::size_t MAX_LABELS = 20;
    const std::vector<std::string>& labels = data.labels(column);
    std::vector<int64_t> counts(labels.size());
    for (const float x : values) {
        if (const std::string* label = data.labelOf(column, x))
            ++counts[static_cast<std::size_t>(label - labels.data())];
    }
    std::string line = variableLabel(data, column) + ":";
    for (std::size_t k = 0; k < labels.size(); ++k) {
        if (k == MAX_LABELS) {
            line += "; …";
            break;
        }
        line += (k > 0 ? "; " : " ") + report::printable(labels[k]) + " "
            + report::integerText(counts[k]);
    }
    return line + report::LINE_END;
}

std::string summaryLine(
    const DataMatrix& data, int32_t column, const ColumnSummary& s, char separator)
{
    const std::string count = report::integerText(s.n);
    return leftAligned(columnName(data, column)) + numberCell(s.mean, 15, separator)
        + numberCell(s.sd, 15, separator) + numberCell(widened(s.min), 7, separator)
        + numberCell(widened(s.max), 7, separator)
        + rightAligned(fitNumberText(count, s.n, CELL_WIDTH, separator));
}

// Count, mean, SD, min and max of a column's values. The sum and the sum of
// squares run in double precision (single-precision sums drift on long
// columns) and the variance is formed from them; where cancellation has
// ruined that variance the two-pass one is used instead.
ColumnSummary summariseValues(std::span<const float> values)
{
    ColumnSummary s;
    double sum = 0.0;
    double squares = 0.0;
    float min = 0.0f;
    float max = 0.0f;
    if (!values.empty())
        min = max = values.front();
    for (const float x : values) {
        sum += x;
        squares += static_cast<double>(x) * x;
        if (x < min)
            min = x;
        else if (x > max)
            max = x;
    }

    s.n = static_cast<int32_t>(values.size());
    if (s.n >= 1) {
        const double n = s.n;
        s.exactMean = sum / n;
        s.mean = roundTo3Decimals(sum / n);
        s.min = min;
        s.max = max;
    }
    if (s.n >= 2) {
        const double n = s.n;
        const double fromSums = (squares - sum * sum / n) * (1.0 / (n - 1.0));
        const double variance = guardedVariance(fromSums, exactVariance(values));
        // As in the robust statistics, a variance must fit single precision.
        if (!std::isfinite(static_cast<float>(variance))) {
            s.tooLarge = true;
            return s;
        }
        s.exactSd = std::sqrt(variance);
        s.sd = roundTo3Decimals(std::sqrt(variance));
    }
    return s;
}

// The groups of a split column: its values in ascending order, and the group
// of each row (0-based), -1 for a row whose split value is missing.
struct SplitGroups {
    std::vector<float> codes;
    std::vector<int32_t> groupOfRow;
};

// Nothing when the column holds more than MAX_SPLIT_GROUPS values.
std::optional<SplitGroups> splitGroups(const DataMatrix& data, int32_t split)
{
    std::set<float> codes;
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float x = data(row, split);
        // NaN would break the set's order; it is never a group's value.
        if (x != MISSING_VALUE && !std::isnan(x) && codes.insert(x).second
            && codes.size() > MAX_SPLIT_GROUPS)
            return std::nullopt;
    }
    SplitGroups groups { { codes.begin(), codes.end() }, {} };
    groups.groupOfRow.reserve(static_cast<std::size_t>(data.rowCount()));
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float x = data(row, split);
        const auto found = std::lower_bound(groups.codes.begin(), groups.codes.end(), x);
        const bool member = x != MISSING_VALUE && found != groups.codes.end() && *found == x;
        groups.groupOfRow.push_back(
            member ? static_cast<int32_t>(found - groups.codes.begin()) : -1);
    }
    return groups;
}

// A group's label where the split column gives its value one, otherwise the
// value as the table writes single-precision numbers.
std::string groupText(const DataMatrix& data, int32_t split, float code, char separator)
{
    if (const std::string* label = data.labelOf(split, code))
        return report::printable(*label);
    return fitNumberText(formatGeneral(code, 7, separator), code, CELL_WIDTH, separator);
}

constexpr std::size_t GROUP_LINE_WIDTH = 10 * FIELD_WIDTH;

std::string groupHeaderLine()
{
    std::string line = leftAligned("Group");
    for (const char* field :
        { "N", "Missing", "Mean", "SD", "Median", "TrMean", "WinsSD", "Min", "Max" })
        line += rightAligned(field);
    return line;
}

std::string countCell(int64_t count, char separator)
{
    return rightAligned(fitNumberText(
        report::integerText(count), static_cast<double>(count), CELL_WIDTH, separator));
}

// `values` in ascending order by a radix sort on their bits, three passes of
// 11 bits: a group of many values sorts in a fraction of a comparison sort's
// time. -0 comes before +0; the figures do not depend on the order of equal
// values.
std::vector<float> sortedByBits(std::span<const float> values)
{
    constexpr uint32_t SIGN = 0x80000000u;
    constexpr int BITS = 11;
    constexpr uint32_t MASK = (1u << BITS) - 1;
    std::vector<uint32_t> keys(values.size());
    std::vector<uint32_t> spare(values.size());
    // Negative numbers ascend as their bits descend: flipping them all, and
    // only the sign bit of the others, orders the keys as the numbers.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto bits = std::bit_cast<uint32_t>(values[i]);
        keys[i] = (bits & SIGN) != 0 ? ~bits : bits | SIGN;
    }
    for (int shift = 0; shift < 32; shift += BITS) {
        std::array<std::size_t, MASK + 1> starts {};
        for (const uint32_t key : keys)
            ++starts[(key >> shift) & MASK];
        std::size_t start = 0;
        for (std::size_t& bucket : starts)
            start += std::exchange(bucket, start);
        for (const uint32_t key : keys)
            spare[starts[(key >> shift) & MASK]++] = key;
        keys.swap(spare);
    }
    std::vector<float> sorted(values.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sorted[i] = std::bit_cast<float>((keys[i] & SIGN) != 0 ? keys[i] & ~SIGN : ~keys[i]);
    return sorted;
}

// One group's figures of a column; the robust ones at 20%, unrounded.
struct GroupSummary {
    ColumnSummary s;
    std::optional<double> median;
    std::optional<double> trimmedMean;
    std::optional<double> winsorizedSd;
};

GroupSummary summariseGroup(std::span<const float> values)
{
    GroupSummary g;
    g.s = summariseValues(values);
    if (values.empty() || g.s.tooLarge)
        return g;
    const std::vector<float> sorted = sortedByBits(values);
    const std::size_t half = sorted.size() / 2;
    g.median = sorted.size() % 2 == 1
        ? static_cast<double>(sorted[half])
        : (static_cast<double>(sorted[half - 1]) + sorted[half]) / 2.0;
    if (sorted.size() == 1) {
        g.trimmedMean = sorted.front();
        return g;
    }
    const robust::GroupStatistics robust = robust::groupStatistics(values, sorted);
    if (!robust::isFinite(robust)) {
        g.s.tooLarge = true;
        return g;
    }
    g.trimmedMean = robust.sngTrimmedMean;
    g.winsorizedSd = std::sqrt(static_cast<double>(robust.sngWinsorizedVariance));
    return g;
}

std::optional<double> rounded(std::optional<double> value)
{
    if (!value)
        return std::nullopt;
    return roundTo3Decimals(*value);
}

std::string groupLine(
    const std::string& group, const GroupSummary& g, int64_t missing, char separator)
{
    return leftAligned(group) + countCell(g.s.n, separator) + countCell(missing, separator)
        + numberCell(g.s.mean, 15, separator) + numberCell(g.s.sd, 15, separator)
        + numberCell(rounded(g.median), 15, separator)
        + numberCell(rounded(g.trimmedMean), 15, separator)
        + numberCell(rounded(g.winsorizedSd), 15, separator)
        + numberCell(widened(g.s.min), 7, separator) + numberCell(widened(g.s.max), 7, separator);
}

// One column's values and missing cells, group by group.
struct ColumnByGroup {
    std::vector<std::vector<float>> values;
    std::vector<int64_t> missing;
};

// The columns of `block` split by group in one pass over the rows, as
// gatherValues reads them.
void gatherByGroup(const DataMatrix& data, std::span<const int32_t> block,
    const SplitGroups& groups, std::vector<ColumnByGroup>& byGroup)
{
    const std::size_t count = groups.codes.size();
    byGroup.assign(block.size(),
        ColumnByGroup { std::vector<std::vector<float>>(count), std::vector<int64_t>(count, 0) });
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const int32_t group = groups.groupOfRow[static_cast<std::size_t>(row) - 1];
        if (group < 0)
            continue;
        const auto g = static_cast<std::size_t>(group);
        for (std::size_t k = 0; k < block.size(); ++k) {
            const float x = data(row, block[k]);
            if (static_cast<double>(x) == static_cast<double>(MISSING_VALUE))
                ++byGroup[k].missing[g];
            else
                byGroup[k].values[g].push_back(x);
        }
    }
}

// The table of `column` by the groups of `split`, with the empty line before
// it, and its figures in `record`; or the message when a group's values are
// too large to summarise. A labelled column shows only its counts, as in the
// table above.
AnalysisResult groupTable(const DataMatrix& data, int32_t column, int32_t split,
    const SplitGroups& groups, const ColumnByGroup& byGroup, char separator,
    DescriptivesGroupTable& record)
{
    record = { column, variableLabel(data, column), {} };
    std::string text = report::lineEnds(1) + "DESCRIPTIVES OF " + variableLabel(data, column)
        + " BY " + variableLabel(data, split) + report::lineEnds(1);
    text += report::rule(GROUP_LINE_WIDTH) + groupHeaderLine() + report::LINE_END
        + report::rule(GROUP_LINE_WIDTH);
    for (std::size_t k = 0; k < groups.codes.size(); ++k) {
        GroupSummary g;
        if (data.hasLabels(column))
            g.s.n = static_cast<int32_t>(byGroup.values[k].size());
        else
            g = summariseGroup(byGroup.values[k]);
        if (g.s.tooLarge)
            return { variableLabel(data, column) + " has values too large to summarise.", {} };
        text += groupLine(groupText(data, split, groups.codes[k], separator), g, byGroup.missing[k],
                    separator)
            + report::LINE_END;
        const std::string* label = data.labelOf(split, groups.codes[k]);
        record.rows.push_back(
            { label ? report::printable(*label) : formatGeneral(groups.codes[k], 7, '.'), g.s.n,
                byGroup.missing[k], g.s.exactMean, g.s.exactSd, g.median, g.trimmedMean,
                g.winsorizedSd });
    }
    return { {}, text + report::rule(GROUP_LINE_WIDTH) };
}

// The tables of every column but `split`, in order, their figures in
// `records`; or the first column's message. The columns of a block are
// summarised side by side on the worker threads, since each group is sorted.
AnalysisResult groupTables(const DataMatrix& data, std::span<const int32_t> columns, int32_t split,
    const SplitGroups& groups, char separator, std::vector<DescriptivesGroupTable>& records)
{
    std::vector<int32_t> described;
    std::copy_if(columns.begin(), columns.end(), std::back_inserter(described),
        [split](int32_t column) { return column != split; });
    std::vector<AnalysisResult> tables(described.size());
    records.assign(described.size(), {});
    std::vector<ColumnByGroup> byGroup;
    for (std::size_t first = 0; first < described.size(); first += COLUMNS_PER_PASS) {
        const auto block = std::span<const int32_t>(described).subspan(
            first, std::min(COLUMNS_PER_PASS, described.size() - first));
        gatherByGroup(data, block, groups, byGroup);
        // No exception may leave the loop: the first is thrown again after it.
        std::exception_ptr failure;
#pragma omp parallel for schedule(dynamic, 1) num_threads(workerThreads())
        for (int k = 0; k < static_cast<int>(block.size()); ++k) {
            try {
                tables[first + static_cast<std::size_t>(k)]
                    = groupTable(data, block[static_cast<std::size_t>(k)], split, groups,
                        byGroup[static_cast<std::size_t>(k)], separator,
                        records[first + static_cast<std::size_t>(k)]);
            } catch (...) {
#pragma omp critical(descriptivesFailure)
                {
                    if (!failure)
                        failure = std::current_exception();
                }
            }
        }
        if (failure)
            std::rethrow_exception(failure);
    }
    std::string text;
    for (const AnalysisResult& table : tables) {
        if (!table.message.empty())
            return table;
        text += table.report;
    }
    return { {}, text };
}

} // namespace

AnalysisResult descriptivesAnalysis(const DataMatrix& data, std::span<const int32_t> columns,
    char decimalSeparator, int32_t splitBy)
{
    if (columns.empty())
        return { "At least one item must be selected.", {} };
    std::optional<SplitGroups> groups;
    if (splitBy != NO_SPLIT) {
        groups = splitGroups(data, splitBy);
        if (!groups)
            return { variableLabel(data, splitBy) + " has more than "
                    + report::integerText(static_cast<int64_t>(MAX_SPLIT_GROUPS))
                    + " different values, too many groups to describe.",
                {} };
    }

    std::string rows;
    std::string labelLines;
    DescriptivesRecord record { { columns.begin(), columns.end() }, decimalSeparator, {}, splitBy,
        splitBy != NO_SPLIT ? variableLabel(data, splitBy) : std::string(), {} };
    std::vector<std::vector<float>> values;
    for (std::size_t first = 0; first < columns.size(); first += COLUMNS_PER_PASS) {
        const auto block
            = columns.subspan(first, std::min(COLUMNS_PER_PASS, columns.size() - first));
        gatherValues(data, block, values);
        for (std::size_t k = 0; k < block.size(); ++k) {
            if (data.holdsText(block[k])) {
                rows += labelledLine(data, block[k], values[k].size(), decimalSeparator)
                    + report::LINE_END;
                labelLines += labelCountsLine(data, block[k], values[k]);
                record.rows.push_back({ block[k], variableLabel(data, block[k]),
                    static_cast<int32_t>(values[k].size()), true, {}, {}, {}, {} });
                continue;
            }
            const ColumnSummary s = summariseValues(values[k]);
            if (s.tooLarge)
                return { variableLabel(data, block[k]) + " has values too large to summarise.",
                    {} };
            rows += summaryLine(data, block[k], s, decimalSeparator) + report::LINE_END;
            record.rows.push_back({ block[k], variableLabel(data, block[k]), s.n, false,
                s.exactMean, s.exactSd, s.min, s.max });
        }
    }

    std::string text = "DESCRIPTIVES" + report::lineEnds(1);
    text += report::rule(LINE_WIDTH);
    text += headerLine() + report::LINE_END;
    text += report::rule(LINE_WIDTH);
    text += rows;
    // The closing rule is followed by the labels of labelled columns, then
    // the tables by group, then three empty lines.
    text += report::rule(LINE_WIDTH) + labelLines;
    if (groups) {
        AnalysisResult tables
            = groupTables(data, columns, splitBy, *groups, decimalSeparator, record.groupTables);
        if (!tables.message.empty())
            return tables;
        text += tables.report;
    }
    AnalysisResult result { {}, text + report::lineEnds(3) };
    result.record = std::make_shared<const AnalysisRecord>(std::move(record));
    return result;
}
