// Benchmark of Descriptives: imports a file, then times the analysis over all its columns,
// alone or with the tables by the groups of one of them.
#include "BenchCommon.h"

#include "analyses/DescriptivesAnalysis.h"
#include "data/DataImport.h"

#include <cstdlib>
#include <iostream>
#include <numeric>

namespace bench {

namespace {

std::string delimiterText(const std::string& name)
{
    if (name == "tab")
        return "\t";
    if (name == "comma")
        return ",";
    if (name == "space")
        return " ";
    return {};
}

} // namespace

int runDescriptives(const std::vector<std::string>& args)
{
    const std::string delimiter = delimiterText(option(args, "delimiter", "tab"));
    const int32_t split = std::atoi(option(args, "by", "0").c_str());
    if (args.empty() || args.front().rfind("--", 0) == 0 || delimiter.empty() || split < 0) {
        std::cerr << "usage: trellam-bench descriptives FILE --delimiter tab|comma|space"
                     " [--by K]\n";
        return 2;
    }
    const std::string& path = args.front();
    ImportResult imported = importDelimitedFile(path, delimiter, path);
    if (imported.status != ImportStatus::Ok) {
        std::cerr << "import failed: " << imported.message << '\n';
        return 1;
    }
    const DataMatrix& data = imported.data;

    std::vector<int32_t> columns(static_cast<std::size_t>(data.columnCount()));
    std::iota(columns.begin(), columns.end(), 1);
    AnalysisResult result;
    const double seconds
        = medianSeconds(7, [&] { result = descriptivesAnalysis(data, columns, '.', split); });

    std::cout << "descriptives: " << data.rowCount() << " rows x " << data.columnCount()
              << " columns" << (split > 0 ? " by column " + std::to_string(split) : "")
              << ", median " << seconds << " s";
    if (!result.message.empty())
        std::cout << " (" << result.message << ")";
    std::cout << '\n';
    return 0;
}

} // namespace bench
