// What an analysis run gives back to its dialog or to the command line.
#include "analyses/AnalysisResult.h"

#include "report/SourceLine.h"

#include <new>

std::string failedAnalysisMessage()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "The analysis could not be completed: not enough memory.";
    } catch (...) {
        return "The analysis could not be completed.";
    }
}

std::string reportWithSourceLine(const AnalysisResult& result, std::string_view dataFileName)
{
    return report::withSourceLine(result.report,
        report::sourceLine(dataFileName, result.trimming, result.bootstrapMethod));
}
