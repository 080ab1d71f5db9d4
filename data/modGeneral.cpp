// The one data set of a run.
#include "data/modGeneral.h"

#include <utility>

DataMatrix g_sngData;
int32_t g_lngNumRows = 0;
int32_t g_lngNumCols = 0;

void DataMatrix::beginRow()
{
    m_rowStart.push_back(m_values.size());
}

void DataMatrix::appendField(float value)
{
    m_values.push_back(value);
    m_rowStart.back() = m_values.size();
    const std::size_t fields = m_values.size() - m_rowStart[m_rowStart.size() - 2];
    if (static_cast<int32_t>(fields) > m_columnCount)
        m_columnCount = static_cast<int32_t>(fields);
}

void DataMatrix::reserveFields(std::size_t count)
{
    m_values.reserve(count);
}

int32_t DataMatrix::fieldCount(int32_t row) const
{
    if (row < 1 || row > rowCount())
        return 0;
    return static_cast<int32_t>(m_rowStart[static_cast<std::size_t>(row)]
                                - m_rowStart[static_cast<std::size_t>(row) - 1]);
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
