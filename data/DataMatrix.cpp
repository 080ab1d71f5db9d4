// A data set: a matrix of single-precision values with its column names.
#include "data/DataMatrix.h"

#include "report/ReportText.h"

#include <utility>

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

void DataMatrix::appendRows(const DataMatrix& rows)
{
    m_columnCount = std::max(columnCount(), rows.m_columnCount);
    const std::size_t base = m_values.size();
    m_values.insert(m_values.end(), rows.m_values.begin(), rows.m_values.end());
    for (int32_t row = 1; row <= rows.rowCount(); ++row) {
        const std::size_t start = base + rows.rowStart(row);
        if (m_rowOffset.size() % ROWS_PER_GROUP == 0)
            m_groupStart.push_back(start);
        m_rowOffset.push_back(static_cast<uint32_t>(start - m_groupStart.back()));
    }
    if (rows.rowCount() > 0)
        m_lastRowStart = base + rows.m_lastRowStart;
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
