// What an analysis run gives back to its dialog or to the command line.
#pragma once

#include <memory>
#include <string>
#include <variant>

struct BootstrapRecord;
struct YuenRecord;
struct DescriptivesRecord;
using AnalysisRecord = std::variant<BootstrapRecord, YuenRecord, DescriptivesRecord>;

// Exactly one of the two texts is set: the warning to show, or the report to
// append to the output pane (LF line ends); or neither, when the user stopped
// the run (`cancelled`). A report comes with the record it was written from
// (analyses/ResultRecords.h).
struct AnalysisResult {
    std::string message;
    std::string report;
    bool cancelled = false;
    std::shared_ptr<const AnalysisRecord> record = nullptr;
};

// The message for an analysis that ended in an exception; called inside the
// catch block that caught it.
std::string failedAnalysisMessage();
