// Benchmark of the robust effect sizes: the whole analysis, every row.
#include "BenchCommon.h"

#include "analyses/EffectsAnalysis.h"

#include <iostream>

namespace bench {

int runEffects(const std::vector<std::string>& args)
{
    const int32_t n1 = numberOption<int32_t>(args, "n1", 100000);
    const int32_t n2 = numberOption<int32_t>(args, "n2", 100000);
    const int32_t trials = numberOption<int32_t>(args, "trials", 2000);
    const int32_t repeats = numberOption<int32_t>(args, "repeats", 1);
    if (n1 < 2 || n2 < 2 || trials < 1) {
        std::cerr << "usage: trellam-bench effects --n1 N --n2 N --trials B --trim 0.2\n";
        return 2;
    }
    const DataMatrix data = normalGroups(n1, n2);
    EffectsRequest request;
    request.lngDependent = 1;
    request.lngGrouping = 2;
    request.strGroup1 = "1";
    request.strGroup2 = "2";
    request.strTrim = option(args, "trim", "0.2");
    request.lngTrials = trials;
    request.strSeed = "12345";
    AnalysisResult result;
    std::string first;
    bool same = true;
    const ThreadTimes times = timeOnThreads(repeats, [&] {
        result = runEffectsAnalysis(data, request);
        if (first.empty())
            first = result.report;
        same = same && result.report == first;
    });
    if (!result.message.empty()) {
        std::cerr << result.message << '\n';
        return 1;
    }
    std::cout << "effects n1=" << n1 << " n2=" << n2 << " trials=" << trials
              << " trim=" << request.strTrim << '\n';
    printThreadTimes("  every row, median of " + std::to_string(repeats), times);
    std::cout << "  reports on 1 and " << times.threads << " threads "
              << (same ? "identical" : "DIFFERENT") << '\n';
    std::cout << "  peak memory " << peakResidentMB() << " MB\n";
    return same ? 0 : 1;
}

} // namespace bench
