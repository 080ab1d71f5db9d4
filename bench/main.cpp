// trellam-bench: times import, analyses, output files and the data grid with the program's own code.
#include "BenchCommon.h"

#include "data/Parallel.h"

#include <charconv>
#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> all(argv + 1, argv + argc);
    const std::string command = all.empty() ? "" : all.front();
    const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());
    // --threads N for every command: the number of threads compared with one.
    const std::string threads = bench::option(args, "threads", "");
    int count = 0;
    if (!threads.empty()) {
        const auto [ptr, ec]
            = std::from_chars(threads.data(), threads.data() + threads.size(), count);
        if (ec != std::errc() || ptr != threads.data() + threads.size() || count < 1) {
            std::cerr << "trellam-bench: --threads must be a whole number from 1\n";
            return 2;
        }
        setWorkerThreads(count);
    }
    if (command == "import")
        return bench::runImport(args);
    if (command == "bootstrap")
        return bench::runBootstrap(args);
    if (command == "bootstrap-dialog")
        return bench::runBootstrapDialog(args);
    if (command == "effects")
        return bench::runEffects(args);
    if (command == "descriptives")
        return bench::runDescriptives(args);
    if (command == "output")
        return bench::runOutput(args);
    if (command == "generate")
        return bench::runGenerate(args);
    if (command == "generate-sav")
        return bench::runGenerateSav(args);
    if (command == "generate-xlsx")
        return bench::runGenerateXlsx(args);
    if (command == "view")
        return bench::runView(args);
    if (command == "plot")
        return bench::runPlot(args);
    std::cerr << "usage: trellam-bench COMMAND ... [--threads N]\n"
                 "       trellam-bench import FILE [--delimiter tab|comma|semicolon|space] [--names]\n"
                 "                     [--sheet N]   (any file the program reads)\n"
                 "       trellam-bench bootstrap --n1 N --n2 N --trials B --level 0.95\n"
                 "       trellam-bench bootstrap-dialog [--n1 N --n2 N]\n"
                 "       trellam-bench effects [--n1 N --n2 N --trials B --trim 0.2]\n"
                 "       trellam-bench descriptives FILE --delimiter tab|comma|space [--by K]\n"
                 "       trellam-bench output FILE\n"
                 "       trellam-bench generate FILE [--rows N] [--columns K] [--names]\n"
                 "       trellam-bench generate-sav FILE [--rows N] [--columns K] [--uncompressed]\n"
                 "       trellam-bench generate-xlsx FILE [--rows N] [--columns K]\n"
                 "                     [--inline-texts] [--damage cut|bytes|sum]\n"
                 "       trellam-bench view [--rows N] [--columns K]\n"
                 "       trellam-bench plot [--n N] [--trials B] [--plotter PATH]\n";
    return 2;
}
