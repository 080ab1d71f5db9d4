// The one data set of a run: a matrix of single-precision values and its counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Marks a missing entry in the data set; compared exactly.
inline constexpr float MISSING_VALUE = 9999999.0f;
// A line may hold at most this many fields.
inline constexpr int32_t MAX_COLUMNS = 1000;

// Rows of different lengths stored back to back: memory follows the fields the
// file holds, not rows x widest row. Indexing is 1-based; a cell beyond its
// row's fields (a short or empty line) reads as 0.
class DataMatrix {
public:
    DataMatrix() = default;

    // Starts a new row; its fields follow through appendField.
    void beginRow();
    void appendField(float value);
    void reserveFields(std::size_t count);

    float operator()(int32_t row, int32_t col) const
    {
        if (row < 1 || row > rowCount())
            return 0.0f;
        const std::size_t start = m_rowStart[static_cast<std::size_t>(row) - 1];
        const std::size_t end = m_rowStart[static_cast<std::size_t>(row)];
        if (col < 1 || static_cast<std::size_t>(col) > end - start)
            return 0.0f;
        return m_values[start + static_cast<std::size_t>(col) - 1];
    }

    int32_t rowCount() const { return static_cast<int32_t>(m_rowStart.size()) - 1; }
    // Largest field count of any row.
    int32_t columnCount() const { return m_columnCount; }
    // Field count of one row.
    int32_t fieldCount(int32_t row) const;

private:
    std::vector<float> m_values;
    std::vector<std::size_t> m_rowStart{0};
    int32_t m_columnCount = 0;
};

// The current data set. Only a successful import replaces it (setDataSet);
// analyses and the navigator read it.
extern DataMatrix g_sngData;
extern int32_t g_lngNumRows;
extern int32_t g_lngNumCols;

// Makes `data` the current data set, its counts included.
void setDataSet(DataMatrix data);
// Forgets the current data set: both counts become 0.
void clearDataSet();
