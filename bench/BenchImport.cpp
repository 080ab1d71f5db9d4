// Benchmark of the Import path (placeholder until it is written).
#include "BenchCommon.h"

namespace bench {

int runImport(const std::vector<std::string>&)
{
    return 1;
}

} // namespace bench
