// Import of a delimited text file of numbers into a data set.
#pragma once

#include "data/DataMatrix.h"

#include <string>

enum class ImportStatus {
    Ok,
    InvalidEntry,   // row and column of the first bad field
    TooManyFields,  // row of the first line with more than MAX_COLUMNS fields (0: the names)
    Unreadable,     // the file could not be opened or read
    TooLarge,       // the data would not fit in memory
    Changed,        // the file was cut short while it was read
    UnclosedQuote,  // row and column of a quoted field without its closing quote
    TooManyTexts,   // column with more different texts than a set of groups may have
    TooManyVariables, // a workbook sheet or statistics file with more than MAX_COLUMNS
    NoSuchSheet,    // the workbook has no sheet of that name or number
    NoData,         // the workbook sheet holds no data
};

struct ImportResult {
    ImportStatus status = ImportStatus::Ok;
    DataMatrix data;       // complete only when status is Ok
    int32_t row = 0;       // 1-based position of the problem
    int32_t column = 0;
    std::string report;    // the text appended to the output pane on success
    std::string message;   // the warning shown on failure
    std::string entry;     // an invalid entry as written
    std::string cure;      // what may mend the failure, shown below the warning
};

// The first problem of a reading: its kind, its row (1-based, 0 for the
// names) and column.
struct TableProblem {
    ImportStatus status = ImportStatus::Ok;
    int32_t row = 0;
    int32_t column = 0;
};

// What an import that ended with `problem` gives: the warning; or the data
// set with its report, `opening` (its first lines, without their last line
// end) followed by the counts of cases and variables. Shared by every
// reader, so that each says the same.
ImportResult importOutcome(const TableProblem& problem, DataMatrix data,
    const std::string& displayPath, const std::string& opening);

// Reads the file at `path` once, splitting each line at `delimiter` (an empty
// delimiter makes each whole line one field). Lines end at CR LF, LF or CR; a
// UTF-8 byte-order mark at the start is skipped. The report and messages name
// the file by `displayPath`. Only a regular file is read (Unreadable
// otherwise, judged on the opened file). A file whose data set would not fit
// in the memory the program may use (data/AvailableMemory.h) is TooLarge,
// judged from the file's size and the density of its first 256 KiB and again
// before the data set grows, so that it never outgrows that memory.
// With `firstLineNames`, line 1 holds the column names and the data start on
// line 2 as row 1: each field of line 1, its blanks trimmed, names its
// column, cut to 64 characters (an empty field leaves the column unnamed).
// Such a file is read as data/LabelledImport.h says: quoted fields, text
// columns as group labels, "NA" missing. A semicolon delimiter takes a
// decimal comma too, in every file.
ImportResult importDelimitedFile(const std::string& path, const std::string& delimiter,
                                 const std::string& displayPath, bool firstLineNames = false);
