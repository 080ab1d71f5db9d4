// Descriptives of chosen columns: count, mean, SD, minimum and maximum as a report table.
#pragma once

#include "analyses/AnalysisResult.h"
#include "data/DataMatrix.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Runs Descriptives on `columns` (1-based, in the order they are reported):
// for each, the count of values that are not MISSING_VALUE, their mean, SD,
// minimum and maximum. Sums run in double precision; where cancellation ruins
// the variance formed from them, the two-pass variance is used. No column
// gives "At least one item must be selected."; a column whose variance lies
// beyond single precision gives "Var c has values too large to summarise."
// (with the column's label). The Name field holds the column's name, or
// "Var c" for a column without one. A column with labels shows "." for mean,
// SD, minimum and maximum and its count, and after the table a line lists
// its labels with their counts. Numbers in the report use
// `decimalSeparator` for the decimal point.
//
// With `splitBy` a column, a table per chosen column other than it follows,
// headed "DESCRIPTIVES OF Var k BY Var j": one row per value of the split
// column in ascending order (its label where it has one) with the count,
// the missing cells, mean, SD, median, 20% trimmed mean, 20% Winsorized SD,
// minimum and maximum of that group's values. Rows whose split value is
// missing belong to no group. A split column with more than MAX_SPLIT_GROUPS
// values gives a message instead.
inline constexpr int32_t NO_SPLIT = 0;
inline constexpr std::size_t MAX_SPLIT_GROUPS = 1000;
AnalysisResult descriptivesAnalysis(const DataMatrix& data, std::span<const int32_t> columns,
    char decimalSeparator, int32_t splitBy = NO_SPLIT);
