// Writes the SPSS file the import benchmark reads, through ReadStat's writer.
#include "BenchCommon.h"

#include <readstat.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>

namespace bench {

namespace {

ssize_t writeBytes(const void* bytes, size_t count, void* file)
{
    return static_cast<ssize_t>(std::fwrite(bytes, 1, count, static_cast<std::FILE*>(file)));
}

} // namespace

// FILE gets ROWS cases of COLUMNS numeric variables x1 ... and a last one,
// group, coded 1 and 2 with the value labels "control" and "treatment";
// the values are normal with 6 significant digits, one in 50 system-missing.
// Compressed as SPSS itself compresses, unless --uncompressed.
int runGenerateSav(const std::vector<std::string>& args)
{
    long rows = 0;
    int columns = 0;
    const std::string rowsText = option(args, "rows", "1000000");
    const std::string columnsText = option(args, "columns", "5");
    std::from_chars(rowsText.data(), rowsText.data() + rowsText.size(), rows);
    std::from_chars(columnsText.data(), columnsText.data() + columnsText.size(), columns);
    if (args.empty() || args.front().rfind("--", 0) == 0 || rows < 1 || columns < 1) {
        std::cerr << "usage: trellam-bench generate-sav FILE [--rows N] [--columns K]"
                     " [--uncompressed]\n";
        return 2;
    }
    std::FILE* file = std::fopen(args.front().c_str(), "wb");
    if (!file) {
        std::cerr << "trellam-bench: cannot write " << args.front() << '\n';
        return 1;
    }
    readstat_writer_t* writer = readstat_writer_init();
    readstat_set_data_writer(writer, writeBytes);
    readstat_writer_set_compression(
        writer, hasFlag(args, "uncompressed") ? READSTAT_COMPRESS_NONE : READSTAT_COMPRESS_ROWS);
    readstat_label_set_t* groups = readstat_add_label_set(writer, READSTAT_TYPE_DOUBLE, "groups");
    readstat_label_double_value(groups, 1, "control");
    readstat_label_double_value(groups, 2, "treatment");
    std::vector<readstat_variable_t*> variables;
    for (int column = 1; column < columns; ++column)
        variables.push_back(readstat_add_variable(
            writer, ("x" + std::to_string(column)).c_str(), READSTAT_TYPE_DOUBLE, 0));
    readstat_variable_t* group = readstat_add_variable(writer, "group", READSTAT_TYPE_DOUBLE, 0);
    readstat_variable_set_label_set(group, groups);

    std::mt19937_64 random(20261209);
    std::normal_distribution<double> normal(50.0, 10.0);
    readstat_error_t error = readstat_begin_writing_sav(writer, file, rows);
    for (long row = 0; row < rows && error == READSTAT_OK; ++row) {
        readstat_begin_row(writer);
        for (readstat_variable_t* variable : variables) {
            if (random() % 50 == 0)
                readstat_insert_missing_value(writer, variable);
            else
                readstat_insert_double_value(
                    writer, variable, std::round(normal(random) * 1e4) / 1e4);
        }
        readstat_insert_double_value(writer, group, static_cast<double>(1 + row % 2));
        error = readstat_end_row(writer);
    }
    if (error == READSTAT_OK)
        error = readstat_end_writing(writer);
    readstat_writer_free(writer);
    const bool closed = std::fclose(file) == 0;
    if (error != READSTAT_OK || !closed) {
        std::cerr << "trellam-bench: " << readstat_error_message(error) << '\n';
        return 1;
    }
    return 0;
}

} // namespace bench
