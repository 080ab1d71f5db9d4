// A script that reproduces a completed analysis on its data file: Python
// (NumPy and SciPy) printing the very report, or base R printing the
// observed statistics, Yuen's test and the robust d.
#pragma once

#include "analyses/ResultRecords.h"

#include <optional>
#include <string>
#include <string_view>

// Where an analysis read its data, and how the file was split.
struct DataSource {
    std::string path; // absolute
    std::string delimiter;
    bool firstLineNames = false;
    // The scripts read text files alone, with NumPy or base R; a workbook or a
    // statistics-package file is no such file.
    bool textFile = true;
};

enum class ScriptLanguage { Python, R };

// The language a script's file name asks for: ".py" Python, ".R" or ".r" R;
// nothing for any other name.
std::optional<ScriptLanguage> scriptLanguageFor(std::string_view fileName);

// The script for `record`, computed on the file of `source` read with its
// options. The Python script prints the report byte for byte, the seeded
// bootstrap intervals included (each trial's xoshiro256** stream rewritten in
// NumPy); the R script prints "name = value" lines of the statistics that
// need no resampling, and for a bootstrap R's own interval, which differs.
std::string reproductionScript(
    const AnalysisRecord& record, const DataSource& source, ScriptLanguage language);
