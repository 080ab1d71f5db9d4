// What a completed bootstrap run leaves for its pictures, and its file form.
#pragma once

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
    // The group values as typed, and the dependent variable's column and label.
    std::string strGroup1;
    std::string strGroup2;
    int32_t lngDependent = 0;
    std::string dependentLabel;
};

// Writes `run` for trellam-plot: a text header of "key value" lines, then the
// three value lists as raw single-precision numbers in this machine's byte
// order (the file only passes between two programs of one installation).
void writeBootstrapRun(std::ostream& out, const BootstrapRun& run);

// Reads what writeBootstrapRun wrote; nothing when the stream ends early or
// holds anything else.
std::optional<BootstrapRun> readBootstrapRun(std::istream& in);
