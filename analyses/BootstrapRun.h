// What a completed bootstrap run leaves for its pictures, and its file form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The observed groups, the valid bootstrap effect sizes and the interval of
// one completed run, kept until the next run or import.
struct BootstrapRun {
    // Each group's observed values of the dependent variable, in row order.
    std::vector<float> group1;
    std::vector<float> group2;
    float sngTrimmedMean1 = 0.0f;
    float sngTrimmedMean2 = 0.0f;
    // The robust d of every valid trial, in trial order.
    std::vector<float> effects;
    // The interval's bounds as reported; none when no trial was valid.
    std::optional<float> lowerBound;
    std::optional<float> upperBound;
    float sngLevel = 0.95f;
    // The observed robust d; none when it cannot be computed.
    std::optional<float> sngRobustD;
    // The seed when the user named one.
    std::optional<uint64_t> seed;
    // The groups as the pictures name them (their labels where the grouping
    // variable has labels, otherwise the values as typed), and the dependent
    // variable's column and label.
    std::string strGroup1;
    std::string strGroup2;
    int32_t lngDependent = 0;
    std::string dependentLabel;
};

// The longest label (the dependent variable's, or a group's value as typed)
// that a picture shows, in characters.
inline constexpr std::size_t MAX_PLOT_LABEL = 1000;

// Why the pictures of `run` cannot be drawn, or an empty text: a group
// without values, a number that is not finite (the level, the trimmed means,
// the observed d, the bounds, the effects or a group's values) or a label
// longer than MAX_PLOT_LABEL. A run the analysis completed always passes;
// trellam-plot checks what it is handed.
std::string plotRunProblem(const BootstrapRun& run);

// Writes `run` for trellam-plot: a text header of "key value" lines, then the
// three value lists as raw single-precision numbers in this machine's byte
// order (the file only passes between two programs of one installation).
void writeBootstrapRun(std::ostream& out, const BootstrapRun& run);

// Reads what writeBootstrapRun wrote; nothing when the stream ends early or
// holds anything else.
std::optional<BootstrapRun> readBootstrapRun(std::istream& in);
