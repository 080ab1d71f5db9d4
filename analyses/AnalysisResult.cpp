// What an analysis run gives back to its dialog or to the command line.
#include "analyses/AnalysisResult.h"

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
