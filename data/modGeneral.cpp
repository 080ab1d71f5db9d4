// The one data set of a run.
#include "data/modGeneral.h"

#include <utility>

DataMatrix g_sngData;
int32_t g_lngNumRows = 0;
int32_t g_lngNumCols = 0;

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
    return *this;
}

void DataMatrix::reserve(std::size_t rows, std::size_t fields)
{
    m_rowOffset.reserve(rows);
    m_values.reserve(fields);
}

void setDataSet(DataMatrix data)
{
    g_sngData = std::move(data);
    g_lngNumRows = g_sngData.rowCount();
    g_lngNumCols = g_sngData.columnCount();
}

void clearDataSet()
{
    setDataSet(DataMatrix());
}
