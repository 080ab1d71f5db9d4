// Small data sets built in memory for the tests.
#pragma once

#include "data/DataMatrix.h"

#include <vector>

// A data set whose rows hold the given values (rows may differ in length).
template <typename Rows = std::vector<std::vector<float>>>
DataMatrix matrixFromRows(const Rows& rows)
{
    DataMatrix data;
    for (const auto& row : rows) {
        data.beginRow();
        for (float value : row)
            data.appendField(value);
    }
    return data;
}

// Two groups of one variable: values in column 1, group codes 1 and 2 in column 2.
DataMatrix twoGroups(const std::vector<float>& group1, const std::vector<float>& group2);
