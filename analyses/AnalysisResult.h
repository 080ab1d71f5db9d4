// What an analysis run gives back to its dialog or to the command line.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>

struct BootstrapRecord;
struct YuenRecord;
struct DescriptivesRecord;
struct EffectsRecord;
using AnalysisRecord
    = std::variant<BootstrapRecord, YuenRecord, DescriptivesRecord, EffectsRecord>;

// Exactly one of the two texts is set: the warning to show, or the report to
// append to the output pane (LF line ends); or neither, when the user stopped
// the run (`cancelled`). A report comes with the record it was written from
// (analyses/ResultRecords.h).
struct AnalysisResult {
    std::string message;
    std::string report;
    bool cancelled = false;
    // What the report rests on, for its source line: the proportion trimmed
    // from each tail, and how its interval was found when that was by
    // resampling ("percentile bootstrap"), else empty.
    double trimming = 0.2;
    std::string bootstrapMethod {};
    // The unrounded numbers behind the report, for the manuscript's table and
    // sentence and the reproduction script.
    std::shared_ptr<const AnalysisRecord> record = nullptr;
};

// The report of `result` ending with its source line (report/SourceLine.h)
// for the data file named `dataFileName`.
std::string reportWithSourceLine(const AnalysisResult& result, std::string_view dataFileName);

// The message for an analysis that ended in an exception; called inside the
// catch block that caught it.
std::string failedAnalysisMessage();
