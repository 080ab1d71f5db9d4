// The data set of a workbook sheet or a statistics file, built from its cells.
#include "data/TableBuilder.h"

#include "data/NumberText.h"
#include "data/TextEncoding.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A text's cell holds its code inside a NaN that no number leaves behind:
// numbers that are not finite are stored as missing.
constexpr std::uint32_t TEXT_MARK = 0x7FE00000u;
constexpr std::uint32_t MARK_BITS = 0xFFE00000u;

float markedCode(float code)
{
    return std::bit_cast<float>(TEXT_MARK | static_cast<std::uint32_t>(code));
}

bool isMarked(float cell)
{
    return (std::bit_cast<std::uint32_t>(cell) & MARK_BITS) == TEXT_MARK;
}

std::size_t codeInMark(float cell)
{
    return std::bit_cast<std::uint32_t>(cell) & ~MARK_BITS;
}

// A number's shortest text, as it is labelled in a column of texts.
std::string numberText(float value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

} // namespace

TableBuilder::TableBuilder(MemoryBudget& budget)
    : m_budget(budget)
{
}

bool TableBuilder::stop(ImportStatus status, std::size_t row, std::size_t column)
{
    if (m_problem.status == ImportStatus::Ok)
        m_problem = { status, static_cast<int32_t>(std::min<std::size_t>(row, INT32_MAX)),
            static_cast<int32_t>(column) };
    return false;
}

bool TableBuilder::expectRows(std::size_t rows, std::size_t columns)
{
    if (columns > static_cast<std::size_t>(MAX_COLUMNS))
        return stop(ImportStatus::TooManyVariables);
    if (!m_budget.replace(0, DataMatrix::bytesFor(rows, rows * columns)))
        return stop(ImportStatus::TooLarge);
    m_columns.resize(std::max(m_columns.size(), columns));
    for (std::size_t column = 0; column < columns; ++column)
        m_columns[column].cells.reserve(rows);
    return true;
}

float* TableBuilder::cell(std::size_t row, std::size_t column)
{
    if (m_problem.status != ImportStatus::Ok)
        return nullptr;
    if (column >= static_cast<std::size_t>(MAX_COLUMNS)) {
        stop(ImportStatus::TooManyVariables);
        return nullptr;
    }
    if (row >= static_cast<std::size_t>(INT32_MAX)) {
        stop(ImportStatus::TooLarge);
        return nullptr;
    }
    if (column >= m_columns.size())
        m_columns.resize(column + 1);
    std::vector<float>& cells = m_columns[column].cells;
    if (row >= cells.capacity()) {
        const std::size_t room = std::max({ row + 1, 2 * cells.capacity(), std::size_t { 1024 } });
        if (!m_budget.replace(cells.capacity() * sizeof(float), room * sizeof(float))) {
            stop(ImportStatus::TooLarge);
            return nullptr;
        }
        cells.reserve(room);
    }
    if (row == cells.size())
        cells.push_back(MISSING_VALUE); // the usual next cell, without resize's work
    else if (row > cells.size())
        cells.resize(row + 1, MISSING_VALUE);
    m_rows = std::max(m_rows, row + 1);
    m_width = std::max(m_width, column + 1);
    return &cells[row];
}

bool TableBuilder::put(std::size_t row, std::size_t column, float value)
{
    float* at = cell(row, column);
    if (at == nullptr)
        return false;
    *at = value;
    return true;
}

bool TableBuilder::number(std::size_t row, std::size_t column, double value)
{
    if (!std::isfinite(value))
        return missing(row, column);
    // Beyond single precision the conversion itself would be undefined.
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return stop(ImportStatus::InvalidEntry, row + 1, column + 1);
    return put(row, column, static_cast<float>(value));
}

bool TableBuilder::missing(std::size_t row, std::size_t column)
{
    return put(row, column, MISSING_VALUE);
}

bool TableBuilder::text(std::size_t row, std::size_t column, std::string_view text)
{
    if (text.empty())
        return m_problem.status == ImportStatus::Ok;
    if (isMissingLabelText(text))
        return missing(row, column);
    if (const std::optional<float> value = parseNumber(text))
        return put(row, column, *value);
    float* at = cell(row, column);
    if (at == nullptr)
        return false;
    const float code = m_columns[column].texts.code(text);
    if (code == 0.0f)
        return stop(ImportStatus::TooManyTexts, 0, column + 1);
    *at = markedCode(code);
    return true;
}

bool TableBuilder::fillDown(std::size_t row, std::size_t column, std::size_t count)
{
    if (column >= m_columns.size() || row >= m_columns[column].cells.size())
        return m_problem.status == ImportStatus::Ok;
    const float value = m_columns[column].cells[row];
    for (std::size_t k = 1; k <= count; ++k) {
        if (!put(row + k, column, value))
            return false;
    }
    return true;
}

void TableBuilder::setValueLabels(
    std::size_t column, std::vector<std::pair<double, std::string>> labels)
{
    if (column >= static_cast<std::size_t>(MAX_COLUMNS))
        return;
    if (column >= m_columns.size())
        m_columns.resize(column + 1);
    m_columns[column].valueLabels = std::move(labels);
}

// Gives a column of texts its labels in byte order, its numbers labelled
// too, and its cells their codes.
void TableBuilder::makeLabels(std::size_t column, bool utf8, DataMatrix& data)
{
    Column& cells = m_columns[column];
    std::vector<float> finalCode;
    std::vector<std::string> labels = cells.texts.labels(utf8, finalCode);
    for (float& value : cells.cells) {
        if (isMarked(value))
            value = finalCode[codeInMark(value)];
    }
    data.setLabels(static_cast<int32_t>(column + 1), std::move(labels));
}

TableProblem TableBuilder::finish(DataMatrix& data)
{
    if (m_problem.status != ImportStatus::Ok)
        return m_problem;
    const std::size_t width = std::max(m_width, m_names.size());
    if (width > static_cast<std::size_t>(MAX_COLUMNS))
        return { ImportStatus::TooManyVariables, 0, 0 };
    m_columns.resize(std::max(m_columns.size(), width));

    // The numbers of a column of texts are labels as well.
    bool utf8 = std::all_of(
        m_names.begin(), m_names.end(), [](const std::string& name) { return isUtf8(name); });
    for (std::size_t column = 0; column < width; ++column) {
        Column& cells = m_columns[column];
        if (cells.texts.size() == 0)
            continue;
        for (float& value : cells.cells) {
            if (value == MISSING_VALUE || isMarked(value))
                continue;
            const float code = cells.texts.code(numberText(value));
            if (code == 0.0f)
                return { ImportStatus::TooManyTexts, 0, static_cast<int32_t>(column + 1) };
            value = markedCode(code);
        }
        utf8 = utf8 && cells.texts.allUtf8();
    }

    if (!m_budget.replace(0, DataMatrix::bytesFor(m_rows, m_rows * width)))
        return { ImportStatus::TooLarge, 0, 0 };
    for (std::size_t column = 0; column < width; ++column) {
        if (m_columns[column].texts.size() > 0)
            makeLabels(column, utf8, data);
    }
    data.reserve(m_rows, m_rows * width);
    for (std::size_t row = 0; row < m_rows; ++row) {
        data.beginRow();
        for (std::size_t column = 0; column < width; ++column) {
            const std::vector<float>& cells = m_columns[column].cells;
            data.appendField(row < cells.size() ? cells[row] : MISSING_VALUE);
        }
    }

    std::vector<std::string> names;
    for (const std::string& name : m_names)
        names.push_back(columnName(name, utf8));
    data.setNames(std::move(names));
    for (std::size_t column = 0; column < width; ++column) {
        Column& cells = m_columns[column];
        if (cells.valueLabels.empty() || data.holdsText(static_cast<int32_t>(column + 1)))
            continue;
        std::vector<std::pair<float, std::string>> labels;
        for (auto& [code, label] : cells.valueLabels) {
            if (std::isfinite(code)
                && std::fabs(code) <= static_cast<double>(std::numeric_limits<float>::max()))
                labels.emplace_back(static_cast<float>(code),
                    isUtf8(label) ? std::move(label) : windows1252AsUtf8(label));
        }
        std::stable_sort(labels.begin(), labels.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        labels.erase(std::unique(labels.begin(), labels.end(),
                         [](const auto& a, const auto& b) { return a.first == b.first; }),
            labels.end());
        data.setValueLabels(static_cast<int32_t>(column + 1), std::move(labels));
    }
    m_columns = {};
    return {};
}
