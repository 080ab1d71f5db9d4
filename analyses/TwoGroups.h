// What the two-group analyses share: the choice of variable and groups, its
// checks, the observed groups, and the pieces of their reports.
#pragma once

#include "data/DataMatrix.h"
#include "report/ReportText.h"
#include "stats/RobustStats.h"

#include <cstdint>
#include <optional>
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
// A group's text must name a code of the grouping column, as groupCode reads it.
std::string checkChoice(const DataMatrix& data, const TwoGroupChoice& choice);

// The code a group's text stands for in column `grouping`: when the column
// has labels and the text equals one exactly, that label's code; otherwise
// the number the text reads as (so "1" is code 1 either way); nothing for
// text that is neither.
std::optional<float> groupCode(const DataMatrix& data, int32_t grouping, std::string_view text);

// What the reports and pictures call a group: the label of its code when
// the grouping column has labels and the code has one, otherwise the text as
// typed.
std::string groupName(const DataMatrix& data, int32_t grouping, const std::string& text);

// The values that occur in `column` (missing cells are not values), in
// ascending order, each with its count: "OJ = 1 (30), VC = 2 (30)" where the
// column has labels, "1 (10), 2 (10)" otherwise, numbers as the reports write
// them. At most 12 are listed, then ", … and k more". Empty for a column that
// is not chosen. One pass over the rows.
std::string groupValuesText(const DataMatrix& data, int32_t column);

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

// Stops a labelled dependent variable first, since its codes are not
// measurements; then gathers each group's values of the dependent variable in row order (rows
// with a missing value left out, a row matching both codes going to group 1)
// and checks, in order, both sizes, values too large or too small for single
// precision, and that not both variances are 0.
ObservedGroups observeGroups(
    const DataMatrix& data, const TwoGroupChoice& choice, SortFunction sort = nullptr);

// The trimming as typed, a proportion from 0 to 0.49 with at most two
// decimals ("0.2", ".25", "0", a decimal comma too), blanks around it
// allowed, in whole hundredths (20 for "0.2"); nothing for any other text.
std::optional<int32_t> parseTrimming(std::string_view text);
// The message for a trimming parseTrimming refuses.
inline constexpr const char* TRIMMING_MESSAGE
    = "The trimming must be a number from 0 to 0.49 with at most two decimals.";

// The level as a whole percentage for the reports: 95 for 0.95.
int32_t levelPercent(float level);

// "Dep Var = Var k; Grp Var = Var k" for the chosen columns, with its line
// end; each column as variableLabel (data/DataMatrix.h) shows it, so a named
// one reads "Var k (name)".
std::string variablesLine(const DataMatrix& data, const TwoGroupChoice& choice);
// "Group 1 = <name>; Group 2 = <name>" with its line end, each group as
// groupName calls it, when the grouping column has labels; otherwise empty,
// so that reports on numeric groups are unchanged.
std::string groupsLine(const DataMatrix& data, const TwoGroupChoice& choice);
