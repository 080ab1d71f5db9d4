// Benchmark of the import: the window's own import function on a given file
// of any kind it reads.
#include "BenchCommon.h"

#include "data/FileImport.h"

#include <filesystem>
#include <iostream>
#include <map>

namespace bench {

int runImport(const std::vector<std::string>& args)
{
    const std::map<std::string, std::string> delimiters { { "tab", "\t" }, { "comma", "," },
        { "semicolon", ";" }, { "space", " " }, { "none", "" } };
    const auto delimiter = delimiters.find(option(args, "delimiter", "tab"));
    const int repeats = numberOption<int>(args, "repeats", 5);
    if (args.empty() || args.front().rfind("--", 0) == 0 || delimiter == delimiters.end()
        || repeats < 1) {
        std::cerr << "usage: trellam-bench import FILE [--delimiter tab|comma|semicolon|space|none]"
                     " [--names] [--sheet N] [--repeats N]\n";
        return 2;
    }
    const std::string& file = args.front();
    ImportChoice choice;
    choice.delimiter = delimiter->second;
    choice.firstLineNames = hasFlag(args, "names");
    choice.sheet = numberOption<int32_t>(args, "sheet", 1) - 1;

    ImportStatus status = ImportStatus::Ok;
    std::string message;
    int32_t rows = 0;
    int32_t columns = 0;
    // Each result is dropped inside the timed run, so the peak memory is that
    // of one import.
    const ThreadTimes times = timeOnThreads(repeats, [&] {
        const ImportResult result = importDataFile(file, choice, file);
        status = result.status;
        message = result.message;
        rows = result.data.rowCount();
        columns = result.data.columnCount();
    });
    std::error_code ignored;
    const double megabytes = static_cast<double>(std::filesystem::file_size(file, ignored)) / 1e6;
    // A refusal is timed too: a damaged file is to be refused at once.
    if (status != ImportStatus::Ok) {
        std::cout << "refused " << file << ", " << megabytes << " MB: " << message << '\n';
        printThreadTimes("median of " + std::to_string(repeats), times);
        return 1;
    }

    std::cout << "import " << file << ": " << rows << " cases, " << columns << " variables, "
              << megabytes << " MB\n";
    printThreadTimes("median of " + std::to_string(repeats), times);
    std::cout << "  " << megabytes / times.oneThread << " MB/s on 1 thread, "
              << megabytes / times.manyThreads << " MB/s on " << times.threads
              << " threads, peak resident memory " << peakResidentMB() << " MB\n";
    return 0;
}

} // namespace bench
