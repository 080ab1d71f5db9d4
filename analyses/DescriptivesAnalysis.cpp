// Descriptives of chosen columns: the figures and the report table.
#include "analyses/DescriptivesAnalysis.h"

#include "report/NumberFormat.h"
#include "report/ReportText.h"
#include "stats/VarianceGuard.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
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
        s.sd = roundTo3Decimals(std::sqrt(variance));
    }
    return s;
}

} // namespace

AnalysisResult descriptivesAnalysis(
    const DataMatrix& data, std::span<const int32_t> columns, char decimalSeparator)
{
    if (columns.empty())
        return { "At least one item must be selected.", {} };

    std::string rows;
    std::string labelLines;
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
                continue;
            }
            const ColumnSummary s = summariseValues(values[k]);
            if (s.tooLarge)
                return { variableLabel(data, block[k]) + " has values too large to summarise.",
                    {} };
            rows += summaryLine(data, block[k], s, decimalSeparator) + report::LINE_END;
        }
    }

    std::string text = "DESCRIPTIVES" + report::lineEnds(1);
    text += report::rule(LINE_WIDTH);
    text += headerLine() + report::LINE_END;
    text += report::rule(LINE_WIDTH);
    text += rows;
    // The closing rule is followed by the labels of labelled columns, then
    // three empty lines.
    text += report::rule(LINE_WIDTH) + labelLines + report::lineEnds(3);
    return { {}, text };
}
