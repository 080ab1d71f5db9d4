// What the two-group analyses share: the choice of variable and groups, its
// checks, the observed groups, and the pieces of their reports.
#pragma once

#include "data/DataMatrix.h"
#include "report/ReportText.h"
#include "stats/RobustStats.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Marks a variable list with no entry checked.
inline constexpr int32_t NO_VARIABLE = SENTINEL_CODE;

// The variables, groups and confidence level chosen in a two-group dialog.
struct TwoGroupChoice {
    // 1-based columns of the dependent and grouping variables, or NO_VARIABLE.
    int32_t lngDependent = NO_VARIABLE;
    int32_t lngGrouping = NO_VARIABLE;
    // The grouping values of the two groups, as typed.
    std::string strGroup1;
    std::string strGroup2;
    // Confidence level in single precision: 0.9, 0.95 or 0.99.
    float sngLevel = 0.95f;
};

// The first failing check of the choice, in the dialogs' order (dependent
// variable, grouping variable, group 1 text, group 2 text), or an empty text.
std::string checkChoice(const TwoGroupChoice& choice);

// Sorts values ascending, stably; nullptr means robust::sortAscending.
using SortFunction = std::vector<float> (*)(std::span<const float>);

// The observed groups of a choice that passed checkChoice, and the kernel's
// statistics of them; or the message that stops the analysis.
struct ObservedGroups {
    std::string message;
    std::vector<float> group1;
    std::vector<float> group2;
    robust::TwoGroupStatistics statistics;
};

// Gathers each group's values of the dependent variable in row order (rows
// with a missing value left out, a row matching both codes going to group 1)
// and checks, in order, both sizes, values too large or too small for single
// precision, and that not both variances are 0.
ObservedGroups observeGroups(
    const DataMatrix& data, const TwoGroupChoice& choice, SortFunction sort = nullptr);

// The level as a whole percentage for the reports: 95 for 0.95.
int32_t levelPercent(float level);

// "Dep Var = Var k; Grp Var = Var k" for the chosen columns, with its line
// end; each column as variableLabel (data/DataMatrix.h) shows it, so a named
// one reads "Var k (name)".
std::string variablesLine(const DataMatrix& data, const TwoGroupChoice& choice);
