// Reading of a file whose first line holds the column names, as researchers
// and their spreadsheets write such files.
#pragma once

#include "data/DataImport.h"
#include "data/MemoryBudget.h"

#include <cstdint>
#include <string_view>

// Reads `text`, a whole file without its byte-order mark, into `data`: line 1
// names the columns and each further line is a row. Fields are split at
// `delimiter` (none: the whole line); a field in double quotes may hold the
// delimiter, line ends and doubled quotes, each standing for one quote. An
// empty field, ".", "NA" and "NaN" are missing. A column with a field that is
// neither a number nor missing holds group labels: each distinct text gets a
// code 1, 2, ... in the texts' byte order, so that reordering rows never
// changes a code. A semicolon file takes a decimal comma too. A line shorter
// than the widest is missing in the fields it lacks; a blank line is skipped.
// A file that is not UTF-8 has its names and labels read as Windows-1252. The
// data set's room is taken from `budget`.
TableProblem readLabelledTable(
    std::string_view text, std::string_view delimiter, MemoryBudget& budget, DataMatrix& data);

// True for the texts that stand for a missing entry in such a file.
bool isMissingLabelText(std::string_view text);
