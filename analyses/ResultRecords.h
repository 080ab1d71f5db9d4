// What a completed analysis found, unrounded: the record that its report, its
// manuscript table and sentence, and its reproduction script are made from.
#pragma once

#include "analyses/AnalysisResult.h"
#include "analyses/TwoGroups.h"
#include "stats/RobustStats.h"
#include "stats/Yuen.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// AnalysisRecord, the variant of the records below, is declared in
// analyses/AnalysisResult.h.

// How a two-group analysis names what it compared, as its report does: the
// dependent and grouping variables as variableLabel shows them, and each
// group by its label where the grouping variable has labels, otherwise as
// typed.
struct TwoGroupNames {
    std::string dependent;
    std::string grouping;
    std::string group1;
    std::string group2;
    bool labelledGroups = false;
};

TwoGroupNames twoGroupNames(const DataMatrix& data, const TwoGroupChoice& choice);

// The effect-size bootstrap: the choice, the observed statistics as stored
// (single precision), the interval and how it was drawn.
struct BootstrapRecord {
    TwoGroupChoice choice;
    TwoGroupNames names;
    robust::TwoGroupStatistics observed;
    // The interval's bounds; none when no trial was valid.
    std::optional<float> lower;
    std::optional<float> upper;
    int32_t trials = 0;
    int32_t valid = 0;
    // The seed every trial's stream was made from, and whether the user named
    // it (otherwise it came from the clock).
    uint64_t seed = 0;
    bool seedNamed = false;
};

// Yuen's test of the trimmed means at its trimming, with the observed robust
// d: at 20% the kernel's, otherwise AKP's pooled d at the trimming, as the
// report shows it; none where its scale is 0.
struct YuenRecord {
    TwoGroupChoice choice;
    TwoGroupNames names;
    robust::YuenResult test;
    robust::EffectSize effect;
    int32_t trimPercent = 20;
    std::optional<double> robustD;
};

// One measure of the robust effect sizes: its unrounded estimate and interval
// bounds, each none where the report shows "."; the valid trials behind a
// bootstrap interval, none for the analytic ones.
struct EffectsRow {
    std::string measure; // as the report names it
    std::optional<double> estimate;
    std::optional<double> lower;
    std::optional<double> upper;
    std::optional<int32_t> valid;
};

// The robust effect sizes: the rows in report order (AKP pooled, group 1,
// group 2, KMS, ξ, quantile shift, P, Cliff's δ) and how they were drawn.
struct EffectsRecord {
    TwoGroupChoice choice;
    TwoGroupNames names;
    int32_t trimPercent = 20;
    std::vector<EffectsRow> rows;
    int32_t trials = 0;
    uint64_t seed = 0;
    bool seedNamed = false;
};

// One column of Descriptives. A labelled column has only its count.
struct DescriptivesRow {
    int32_t column = 0;
    std::string name; // variableLabel of the column
    int32_t n = 0;
    bool labelled = false;
    std::optional<double> mean;
    std::optional<double> sd;
    std::optional<float> min;
    std::optional<float> max;
};

// One group of a column split by another; the robust figures at 20%. A
// labelled column has only its counts.
struct DescriptivesGroupRow {
    std::string group; // the split value's label, or the value
    int32_t n = 0;
    int64_t missing = 0;
    std::optional<double> mean;
    std::optional<double> sd;
    std::optional<double> median;
    std::optional<double> trimmedMean;
    std::optional<double> winsorizedSd;
};

struct DescriptivesGroupTable {
    int32_t column = 0;
    std::string name; // variableLabel of the column
    std::vector<DescriptivesGroupRow> rows; // the groups in ascending order
};

struct DescriptivesRecord {
    std::vector<int32_t> columns;
    char decimalSeparator = '.';
    std::vector<DescriptivesRow> rows;
    // The column the groups were formed by, 0 for none, and its tables.
    int32_t splitBy = 0;
    std::string splitName; // variableLabel of the split column
    std::vector<DescriptivesGroupTable> groupTables;
};
