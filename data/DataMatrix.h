// A data set: a matrix of single-precision values with its column names.
#pragma once

#include "data/LargeBlockAllocator.h"
#include "data/Sentinel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Marks a missing entry in the data set; compared exactly.
inline constexpr float MISSING_VALUE = static_cast<float>(SENTINEL_CODE);
// A line may hold at most this many fields.
inline constexpr int32_t MAX_COLUMNS = 1000;

// Rows of different lengths stored back to back: memory follows the fields the
// file holds, not rows x widest row, plus 4 bytes a row. Indexing is 1-based;
// a cell beyond its row's fields (a short or empty line) reads as 0. A row
// holds at most MAX_COLUMNS fields. Columns may carry names, read from a
// header line with the data.
class DataMatrix {
public:
    DataMatrix() = default;
    DataMatrix(const DataMatrix&) = default;
    DataMatrix& operator=(const DataMatrix&) = default;
    // A matrix moved from is left empty.
    DataMatrix(DataMatrix&& other) noexcept;
    DataMatrix& operator=(DataMatrix&& other) noexcept;

    // Starts a new row; its fields follow through appendField.
    void beginRow()
    {
        m_columnCount = columnCount();
        m_lastRowStart = m_values.size();
        if (m_rowOffset.size() % ROWS_PER_GROUP == 0)
            m_groupStart.push_back(m_lastRowStart);
        m_rowOffset.push_back(static_cast<uint32_t>(m_lastRowStart - m_groupStart.back()));
    }
    // Adds a field to the row begun last.
    void appendField(float value) { m_values.push_back(value); }
    // Room for `rows` rows holding `fields` fields in all, so that building
    // the matrix copies nothing.
    void reserve(std::size_t rows, std::size_t fields);
    // Replaces the matrix by `rows` rows of `width` fields each, their names
    // and labels kept, and returns where the fields go, row after row: they
    // are unset until written there, so that threads may fill rows apart.
    float* setRectangular(std::size_t rows, std::size_t width);
    // Adds the rows of each part in turn after the last one, as if each were
    // begun and filled here; the parts are copied side by side on the
    // worker threads. With room reserved first, nothing is copied twice.
    void appendRows(std::span<const DataMatrix> parts);
    // Empties the matrix and keeps its room, for building it again.
    void clear();
    // The bytes that room takes.
    static std::uint64_t bytesFor(std::size_t rows, std::size_t fields)
    {
        return rows * std::uint64_t { sizeof(uint32_t) } + fields * std::uint64_t { sizeof(float) }
        + (rows / ROWS_PER_GROUP + 1) * std::uint64_t { sizeof(std::size_t) };
    }

    float operator()(int32_t row, int32_t col) const
    {
        if (row < 1 || row > rowCount())
            return 0.0f;
        const std::size_t start = rowStart(row);
        if (col < 1 || static_cast<std::size_t>(col) > rowEnd(row) - start)
            return 0.0f;
        return m_values[start + static_cast<std::size_t>(col) - 1];
    }

    int32_t rowCount() const { return static_cast<int32_t>(m_rowOffset.size()); }
    // Largest field count of any row, or of the names when they are more.
    int32_t columnCount() const
    {
        return std::max({ m_columnCount, static_cast<int32_t>(m_values.size() - m_lastRowStart),
            static_cast<int32_t>(m_names.size()) });
    }

    // One name per column from column 1 on, UTF-8; an empty name leaves its
    // column unnamed. The names count as columns even beyond every row.
    void setNames(std::vector<std::string> names) { m_names = std::move(names); }
    // The name of a 1-based column; empty when it has none.
    const std::string& name(int32_t col) const
    {
        static const std::string unnamed;
        if (col < 1 || static_cast<std::size_t>(col) > m_names.size())
            return unnamed;
        return m_names[static_cast<std::size_t>(col) - 1];
    }
    // The labels of a column that holds text: the code k stored in its cells
    // stands for labels[k - 1]. An empty list leaves the column numeric.
    void setLabels(int32_t col, std::vector<std::string> labels)
    {
        if (col < 1)
            return;
        ColumnLabels& column = labelsOf(col);
        column.texts = std::move(labels);
        column.codes.clear();
    }
    // The value labels of a numeric column, as statistics files give them:
    // each (code, label), codes ascending without repeats. The column stays
    // numeric; its codes show as their labels.
    void setValueLabels(int32_t col, std::vector<std::pair<float, std::string>> labels)
    {
        if (col < 1)
            return;
        ColumnLabels& column = labelsOf(col);
        column.texts.clear();
        column.codes.clear();
        for (auto& [code, label] : labels) {
            column.codes.push_back(code);
            column.texts.push_back(std::move(label));
        }
    }
    // The labels of a 1-based column in the order of their codes; empty for
    // a column without labels.
    const std::vector<std::string>& labels(int32_t col) const
    {
        static const std::vector<std::string> none;
        if (col < 1 || static_cast<std::size_t>(col) > m_labels.size())
            return none;
        return m_labels[static_cast<std::size_t>(col) - 1].texts;
    }
    bool hasLabels(int32_t col) const { return !labels(col).empty(); }
    // A column whose cells stand for texts, not measurements.
    bool holdsText(int32_t col) const
    {
        return hasLabels(col) && m_labels[static_cast<std::size_t>(col) - 1].codes.empty();
    }
    // The label of `value` in a labelled column; nullptr when the column has
    // no labels or the value is not one of its codes.
    const std::string* labelOf(int32_t col, float value) const
    {
        const std::vector<std::string>& all = labels(col);
        if (all.empty())
            return nullptr;
        const std::vector<float>& codes = m_labels[static_cast<std::size_t>(col) - 1].codes;
        if (!codes.empty()) {
            const auto found = std::lower_bound(codes.begin(), codes.end(), value);
            if (found == codes.end() || *found != value)
                return nullptr;
            return &all[static_cast<std::size_t>(found - codes.begin())];
        }
        if (!(value >= 1.0f) || value > static_cast<float>(all.size())
            || value != static_cast<float>(static_cast<int32_t>(value)))
            return nullptr;
        return &all[static_cast<std::size_t>(value) - 1];
    }
    // The code whose label is `label` in a labelled column; nothing when none is.
    std::optional<float> codeOf(int32_t col, std::string_view label) const
    {
        const std::vector<std::string>& all = labels(col);
        for (std::size_t k = 0; k < all.size(); ++k) {
            if (all[k] == label) {
                const std::vector<float>& codes = m_labels[static_cast<std::size_t>(col) - 1].codes;
                return codes.empty() ? static_cast<float>(k + 1) : codes[k];
            }
        }
        return std::nullopt;
    }
    // Replaces each value v of the 1-based column `col` by change(v), in the
    // rows that hold that column.
    template <class Change>
    void changeColumn(int32_t col, Change&& change)
    {
        for (int32_t row = 1; row <= rowCount(); ++row) {
            const std::size_t start = rowStart(row);
            if (col >= 1 && static_cast<std::size_t>(col) <= rowEnd(row) - start) {
                float& value = m_values[start + static_cast<std::size_t>(col) - 1];
                value = change(value);
            }
        }
    }
    // Field count of one row.
    int32_t fieldCount(int32_t row) const
    {
        if (row < 1 || row > rowCount())
            return 0;
        return static_cast<int32_t>(rowEnd(row) - rowStart(row));
    }
    // Fields of all rows together.
    std::size_t fieldTotal() const { return m_values.size(); }

private:
    // Rows come in groups; a row starts at its group's start plus a 32-bit
    // offset, which is enough: a group spans at most 2^20 x 1000 fields.
    static constexpr std::size_t ROWS_PER_GROUP = std::size_t { 1 } << 20;

    std::size_t rowStart(int32_t row) const
    {
        const std::size_t index = static_cast<std::size_t>(row) - 1;
        return m_groupStart[index / ROWS_PER_GROUP] + m_rowOffset[index];
    }
    // Row r's fields end where row r + 1 starts; the last row's at the end.
    std::size_t rowEnd(int32_t row) const
    {
        return row < rowCount() ? rowStart(row + 1) : m_values.size();
    }

    std::vector<float, LargeBlockAllocator<float>> m_values;
    std::vector<std::size_t> m_groupStart; // index of the first field of each group
    // First field of each row, from its group's start.
    std::vector<uint32_t, LargeBlockAllocator<uint32_t>> m_rowOffset;
    std::vector<std::string> m_names;
    // A column's labels: texts coded 1, 2, ... when `codes` is empty, else
    // the label of each code in `codes`.
    struct ColumnLabels {
        std::vector<std::string> texts;
        std::vector<float> codes;
    };
    ColumnLabels& labelsOf(int32_t col)
    {
        if (m_labels.size() < static_cast<std::size_t>(col))
            m_labels.resize(static_cast<std::size_t>(col));
        return m_labels[static_cast<std::size_t>(col) - 1];
    }
    std::vector<ColumnLabels> m_labels; // per column, from column 1 on
    // Widest row before the last one; the last row may still grow.
    int32_t m_columnCount = 0;
    std::size_t m_lastRowStart = 0;
};

// "Var k" for a column without a name, "Var k (name)" for a named one: how
// lists, windows and reports show a column.
std::string variableLabel(const DataMatrix& data, int32_t column);
