// Benchmark of the Bootstrap path (placeholder until it is written).
#include "BenchCommon.h"

namespace bench {

int runBootstrap(const std::vector<std::string>&)
{
    return 1;
}

int runBootstrapDialog(const std::vector<std::string>&)
{
    return 1;
}

} // namespace bench
