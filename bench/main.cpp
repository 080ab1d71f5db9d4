// trellam-bench: times import, analyses and output files with the program's own code.
#include "BenchCommon.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> all(argv + 1, argv + argc);
    const std::string command = all.empty() ? "" : all.front();
    const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());
    if (command == "import")
        return bench::runImport(args);
    if (command == "bootstrap")
        return bench::runBootstrap(args);
    if (command == "bootstrap-dialog")
        return bench::runBootstrapDialog(args);
    if (command == "descriptives")
        return bench::runDescriptives(args);
    if (command == "output")
        return bench::runOutput(args);
    if (command == "generate")
        return bench::runGenerate(args);
    if (command == "plot")
        return bench::runPlot(args);
    std::cerr << "usage: trellam-bench import FILE --delimiter tab|comma|space\n"
                 "       trellam-bench bootstrap --n1 N --n2 N --trials B --level 0.95\n"
                 "       trellam-bench bootstrap-dialog\n"
                 "       trellam-bench descriptives FILE --delimiter tab|comma|space\n"
                 "       trellam-bench output FILE\n"
                 "       trellam-bench generate FILE [--rows N] [--columns K]\n"
                 "       trellam-bench plot [--n N] [--trials B] [--plotter PATH]\n";
    return 2;
}
