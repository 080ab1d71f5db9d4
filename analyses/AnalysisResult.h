// What an analysis run gives back to its dialog or to the command line.
#pragma once

#include <string>

// Exactly one of the two is set: the warning to show, or the report to append
// to the output pane (LF line ends).
struct AnalysisResult {
    std::string message;
    std::string report;
};
