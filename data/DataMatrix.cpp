// A data set: a matrix of single-precision values with its column names.
#include "data/DataMatrix.h"

#include "data/Parallel.h"
#include "report/ReportText.h"

#include <algorithm>
#include <utility>
#include <vector>

DataMatrix::DataMatrix(DataMatrix&& other) noexcept
{
    *this = std::move(other);
}

DataMatrix& DataMatrix::operator=(DataMatrix&& other) noexcept
{
    m_values = std::exchange(other.m_values, {});
    m_groupStart = std::exchange(other.m_groupStart, {});
    m_rowOffset = std::exchange(other.m_rowOffset, {});
    m_columnCount = std::exchange(other.m_columnCount, 0);
    m_lastRowStart = std::exchange(other.m_lastRowStart, 0);
    m_names = std::exchange(other.m_names, {});
    m_labels = std::exchange(other.m_labels, {});
    return *this;
}

void DataMatrix::reserve(std::size_t rows, std::size_t fields)
{
    m_rowOffset.reserve(rows);
    m_values.reserve(fields);
}

float* DataMatrix::setRectangular(std::size_t rows, std::size_t width)
{
    m_values.clear();
    m_rowOffset.clear();
    m_groupStart.clear();
    m_values.resize(rows * width);
    m_rowOffset.resize(rows);
    for (std::size_t row = 0; row < rows; ++row) {
        if (row % ROWS_PER_GROUP == 0)
            m_groupStart.push_back(row * width);
        m_rowOffset[row] = static_cast<uint32_t>(row % ROWS_PER_GROUP * width);
    }
    // As if the rows had been begun one by one: the widest before the last.
    m_columnCount = rows > 1 ? static_cast<int32_t>(width) : 0;
    m_lastRowStart = rows > 0 ? (rows - 1) * width : 0;
    return m_values.data();
}

void DataMatrix::appendRows(std::span<const DataMatrix> parts)
{
    const std::size_t firstRow = m_rowOffset.size();
    const std::size_t firstValue = m_values.size();
    // Where each part's rows and values go, and the widest row before the
    // new last one: each part's rows follow the one before it.
    std::vector<std::size_t> rowBase(parts.size());
    std::vector<std::size_t> valueBase(parts.size());
    std::size_t rows = firstRow;
    std::size_t values = firstValue;
    const DataMatrix* last = nullptr;
    int32_t widest = columnCount();
    for (std::size_t k = 0; k < parts.size(); ++k) {
        rowBase[k] = rows;
        valueBase[k] = values;
        if (parts[k].rowCount() == 0)
            continue;
        if (last != nullptr)
            widest = std::max(widest, last->columnCount());
        widest = std::max(widest, parts[k].m_columnCount);
        last = &parts[k];
        rows += static_cast<std::size_t>(parts[k].rowCount());
        values += parts[k].m_values.size();
    }
    if (last == nullptr)
        return;
    m_values.resize(values);
    m_rowOffset.resize(rows);
    // The start of each new group, from the part that holds its first row.
    std::size_t part = 0;
    for (std::size_t row = (firstRow + ROWS_PER_GROUP - 1) / ROWS_PER_GROUP * ROWS_PER_GROUP;
         row < rows; row += ROWS_PER_GROUP) {
        while (row >= rowBase[part] + static_cast<std::size_t>(parts[part].rowCount()))
            ++part;
        m_groupStart.push_back(valueBase[part]
            + parts[part].rowStart(static_cast<int32_t>(row - rowBase[part]) + 1));
    }
    // Then the parts side by side: their values and each row's offset in its group.
    const auto count = static_cast<std::ptrdiff_t>(parts.size());
#pragma omp parallel for schedule(dynamic, 1) num_threads(workerThreads()) if (count > 1)
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        const DataMatrix& from = parts[static_cast<std::size_t>(k)];
        const std::size_t rowAt = rowBase[static_cast<std::size_t>(k)];
        const std::size_t valueAt = valueBase[static_cast<std::size_t>(k)];
        std::copy(from.m_values.begin(), from.m_values.end(),
            m_values.begin() + static_cast<std::ptrdiff_t>(valueAt));
        for (int32_t row = 1; row <= from.rowCount(); ++row) {
            const std::size_t at = rowAt + static_cast<std::size_t>(row) - 1;
            m_rowOffset[at] = static_cast<uint32_t>(
                valueAt + from.rowStart(row) - m_groupStart[at / ROWS_PER_GROUP]);
        }
    }
    m_columnCount = widest;
    m_lastRowStart = valueBase[static_cast<std::size_t>(last - parts.data())] + last->m_lastRowStart;
}

void DataMatrix::clear()
{
    m_values.clear();
    m_groupStart.clear();
    m_rowOffset.clear();
    m_names.clear();
    m_labels.clear();
    m_columnCount = 0;
    m_lastRowStart = 0;
}

std::string variableLabel(const DataMatrix& data, int32_t column)
{
    return report::variableLabel(column, data.name(column));
}
