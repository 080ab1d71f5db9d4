// Descriptives of chosen columns: count, mean, SD, minimum and maximum as a report table.
#pragma once

#include "analyses/AnalysisResult.h"
#include "data/DataMatrix.h"

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
AnalysisResult descriptivesAnalysis(
    const DataMatrix& data, std::span<const int32_t> columns, char decimalSeparator);
