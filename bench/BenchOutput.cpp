// Benchmark of the Output path (placeholder until it is written).
#include "BenchCommon.h"

namespace bench {

int runOutput(const std::vector<std::string>&)
{
    return 1;
}

} // namespace bench
