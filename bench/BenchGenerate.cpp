// Writes the data files the import and descriptives benchmarks read.
#include "BenchCommon.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <random>

namespace bench {

namespace {

// The line of names of a file of `columns` columns, the last one the groups.
std::string namesLine(int columns)
{
    std::string line;
    for (int column = 1; column < columns; ++column)
        line += "\"x" + std::to_string(column) + "\"\t";
    return line + "\"group\"\n";
}

} // namespace

// FILE gets ROWS lines of COLUMNS tab-delimited fields: normal values written
// with 6 significant digits, the last field a group code 1 or 2. With
// --names, as a researcher's file: a line of quoted names first, one value
// in 50 "NA", and the groups the quoted texts "control" and "treated".
int runGenerate(const std::vector<std::string>& args)
{
    long rows = 0;
    int columns = 0;
    const std::string rowsText = option(args, "rows", "4000000");
    const std::string columnsText = option(args, "columns", "2");
    std::from_chars(rowsText.data(), rowsText.data() + rowsText.size(), rows);
    std::from_chars(columnsText.data(), columnsText.data() + columnsText.size(), columns);
    if (args.empty() || args.front().rfind("--", 0) == 0 || rows < 1 || columns < 1) {
        std::cerr << "usage: trellam-bench generate FILE [--rows N] [--columns K] [--names]\n";
        return 2;
    }
    const bool names = hasFlag(args, "names");
    std::ofstream out(args.front(), std::ios::binary);
    if (names)
        out << namesLine(columns);
    std::mt19937_64 random(20261208);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::string line;
    char number[32];
    for (long row = 0; row < rows; ++row) {
        line.clear();
        for (int column = 1; column < columns; ++column) {
            const auto end = std::to_chars(number, number + sizeof number, normal(random),
                                           std::chars_format::general, 6);
            if (names && random() % 50 == 0)
                line.append("NA");
            else
                line.append(number, end.ptr);
            line.push_back('\t');
        }
        if (names)
            line.append(random() % 2 ? "\"treated\"" : "\"control\"");
        else
            line.push_back(random() % 2 ? '2' : '1');
        line.push_back('\n');
        out << line;
    }
    out.close();
    if (!out) {
        std::cerr << "could not write " << args.front() << '\n';
        return 1;
    }
    return 0;
}

} // namespace bench
