// Benchmark of the robust effect sizes: the whole analysis, every row.
#include "BenchCommon.h"

#include "analyses/EffectsAnalysis.h"

#include <charconv>
#include <iostream>
#include <random>

namespace bench {

namespace {

// Two normal groups in column 1 (group 2 shifted by 0.4 SD), their codes in
// column 2, rows interleaved.
DataMatrix shiftedGroups(int32_t n1, int32_t n2)
{
    std::mt19937_64 engine(20261209);
    std::normal_distribution<double> normal(0.0, 1.0);
    DataMatrix data;
    for (int32_t row = 0; row < n1 + n2; ++row) {
        const bool first = row % 2 == 0 ? row / 2 < n1 : row / 2 >= n2;
        data.beginRow();
        data.appendField(static_cast<float>((first ? 50.0 : 54.0) + 10.0 * normal(engine)));
        data.appendField(first ? 1.0f : 2.0f);
    }
    return data;
}

int32_t number(const std::vector<std::string>& args, const std::string& name, int32_t fallback)
{
    const std::string text = option(args, name, "");
    int32_t value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

int runEffects(const std::vector<std::string>& args)
{
    const int32_t n1 = number(args, "n1", 100000);
    const int32_t n2 = number(args, "n2", 100000);
    const int32_t trials = number(args, "trials", 2000);
    const int32_t repeats = number(args, "repeats", 1);
    if (n1 < 2 || n2 < 2 || trials < 1) {
        std::cerr << "usage: trellam-bench effects --n1 N --n2 N --trials B --trim 0.2\n";
        return 2;
    }
    const DataMatrix data = shiftedGroups(n1, n2);
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
