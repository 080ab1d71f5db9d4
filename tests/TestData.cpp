// Small data sets built in memory for the tests.
#include "TestData.h"

DataMatrix twoGroups(const std::vector<float>& group1, const std::vector<float>& group2)
{
    std::vector<std::vector<float>> rows;
    for (float value : group1)
        rows.push_back({ value, 1.0f });
    for (float value : group2)
        rows.push_back({ value, 2.0f });
    return matrixFromRows(rows);
}
