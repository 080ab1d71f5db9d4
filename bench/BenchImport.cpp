// Benchmark of the import: the window's own import function on a given file.
#include "BenchCommon.h"

#include "data/DataImport.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>

namespace bench {

int runImport(const std::vector<std::string>& args)
{
    const std::map<std::string, std::string> delimiters { { "tab", "\t" }, { "comma", "," },
        { "space", " " }, { "none", "" } };
    const auto delimiter = delimiters.find(option(args, "delimiter", "tab"));
    const std::string repeatsText = option(args, "repeats", "5");
    int repeats = 0;
    std::from_chars(repeatsText.data(), repeatsText.data() + repeatsText.size(), repeats);
    if (args.empty() || args.front().rfind("--", 0) == 0 || delimiter == delimiters.end()
        || repeats < 1) {
        std::cerr << "usage: trellam-bench import FILE --delimiter tab|comma|space|none"
                     " [--repeats N]\n";
        return 2;
    }
    const std::string& file = args.front();

    ImportStatus status = ImportStatus::Ok;
    std::string message;
    int32_t rows = 0;
    int32_t columns = 0;
    // Each result is dropped inside the timed run, so the peak memory is that
    // of one import. The processor time shows the cost on a busy machine too.
    const std::clock_t processorStart = std::clock();
    const double seconds = medianSeconds(repeats, [&] {
        const ImportResult result = importDelimitedFile(file, delimiter->second, file);
        status = result.status;
        message = result.message;
        rows = result.data.rowCount();
        columns = result.data.columnCount();
    });
    const double processorSeconds
        = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC / repeats;
    if (status != ImportStatus::Ok) {
        std::cerr << message << '\n';
        return 1;
    }

    std::error_code ignored;
    const double megabytes = static_cast<double>(std::filesystem::file_size(file, ignored)) / 1e6;
    std::cout << "import " << file << ": " << rows << " cases, " << columns << " variables\n"
              << "median " << seconds << " s over " << repeats << " runs, " << megabytes / seconds
              << " MB/s (processor time " << processorSeconds << " s a run), peak resident memory "
              << peakResidentMB() << " MB\n";
    return 0;
}

} // namespace bench
