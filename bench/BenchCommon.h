// Shared helpers of the benchmark program: timing, memory and argument lookup.
#pragma once

#include "data/DataMatrix.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Runs `work` `repeats` times and returns the median wall-clock seconds.
double medianSeconds(int repeats, const std::function<void()>& work);

// Median seconds of `work` on one thread and on the threads the program
// chooses (--threads, TRELLAM_THREADS or every core), and that number.
struct ThreadTimes {
    double oneThread = 0.0;
    double manyThreads = 0.0;
    int threads = 1;
};
ThreadTimes timeOnThreads(int repeats, const std::function<void()>& work);
// Prints "<label>: 1 thread X s, N threads Y s, speed-up Z".
void printThreadTimes(const std::string& label, const ThreadTimes& times);

// Peak resident memory of this process so far, in megabytes (0 where unknown).
double peakResidentMB();

// Value following `--name` in args, or `fallback` when absent.
std::string option(
    const std::vector<std::string>& args, const std::string& name, const std::string& fallback);

// The number following `--name` in args, or `fallback` when absent.
template <typename Number>
Number numberOption(const std::vector<std::string>& args, const std::string& name, Number fallback)
{
    const std::string text = option(args, name, "");
    Number value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Two normal groups in column 1 (group 2 shifted by 0.4 SD), their codes 1
// and 2 in column 2, rows interleaved as a data file would hold them.
DataMatrix normalGroups(int32_t n1, int32_t n2);

// True when `--name` is among args.
bool hasFlag(const std::vector<std::string>& args, const std::string& name);

// Each subcommand gets the arguments after its name and returns the exit code.
int runImport(const std::vector<std::string>& args);
int runBootstrap(const std::vector<std::string>& args);
int runBootstrapDialog(const std::vector<std::string>& args);
int runEffects(const std::vector<std::string>& args);
int runDescriptives(const std::vector<std::string>& args);
int runOutput(const std::vector<std::string>& args);
int runGenerate(const std::vector<std::string>& args);
int runGenerateSav(const std::vector<std::string>& args);
int runGenerateXlsx(const std::vector<std::string>& args);
int runView(const std::vector<std::string>& args);
int runPlot(const std::vector<std::string>& args);

} // namespace bench
