// Shared helpers of the benchmark program.
#include "BenchCommon.h"

#include "data/Parallel.h"

#include <algorithm>
#include <charconv>
#include <random>
#include <chrono>
#include <fstream>
#include <iostream>

namespace bench {

double medianSeconds(int repeats, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, repeats); ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

ThreadTimes timeOnThreads(int repeats, const std::function<void()>& work)
{
    ThreadTimes times;
    times.threads = workerThreads();
    setWorkerThreads(1);
    times.oneThread = medianSeconds(repeats, work);
    setWorkerThreads(times.threads);
    times.manyThreads = medianSeconds(repeats, work);
    return times;
}

void printThreadTimes(const std::string& label, const ThreadTimes& times)
{
    std::cout << label << ": 1 thread " << times.oneThread << " s, " << times.threads << " threads "
              << times.manyThreads << " s, speed-up " << times.oneThread / times.manyThreads
              << '\n';
}

double peakResidentMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

std::string option(
    const std::vector<std::string>& args, const std::string& name, const std::string& fallback)
{
    const auto it = std::find(args.begin(), args.end(), "--" + name);
    if (it == args.end() || it + 1 == args.end())
        return fallback;
    return *(it + 1);
}

DataMatrix normalGroups(int32_t n1, int32_t n2)
{
    std::mt19937_64 engine(20240611);
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

bool hasFlag(const std::vector<std::string>& args, const std::string& name)
{
    return std::find(args.begin(), args.end(), "--" + name) != args.end();
}

} // namespace bench
