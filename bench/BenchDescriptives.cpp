// Benchmark of the Descriptives path (placeholder until it is written).
#include "BenchCommon.h"

namespace bench {

int runDescriptives(const std::vector<std::string>&)
{
    return 1;
}

} // namespace bench
