// The line that ends a report with what produced it: program, data file and methods.
#pragma once

#include <string>
#include <string_view>

namespace report {

// The program's version, as the build names it.
std::string_view programVersion();

// "Trellam <version>; data: <file>; 20% trimming" for a report on the data
// file named `dataFile` (a name, not a path; "(none)" when empty), whose
// statistics trim the proportion `trimming` from each tail; then
// "; <interval>" when `interval` (how its interval was found, as
// "percentile bootstrap") is not empty. No line end.
std::string sourceLine(std::string_view dataFile, double trimming, std::string_view interval);

// `report` with `line` and a line end after its last line of text, ahead of
// the empty lines that close it.
std::string withSourceLine(std::string_view report, std::string_view line);

} // namespace report
