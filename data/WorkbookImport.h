// Reading of Excel (.xlsx) and OpenDocument (.ods) workbooks through liborcus.
#pragma once

#include "data/DataImport.h"
#include "data/FileFormat.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// What the file list shows of a workbook before it is imported.
struct WorkbookLook {
    bool readable = false;
    std::vector<std::string> sheets; // the sheets' names, in order
    // Whether the chosen sheet's first row holds names, as the layout guess
    // judges the first two lines of a text file (data/LayoutGuess.h).
    bool firstRowNames = false;
    // Why the import would refuse the file before reading a cell: it cannot be
    // read or its package is damaged (Ok otherwise).
    ImportStatus refusal = ImportStatus::Ok;
};

// The sheets of the workbook at `path` (of `format`, Xlsx or Ods), and the
// layout of sheet `sheet` (0-based).
WorkbookLook lookAtWorkbook(const std::string& path, FileFormat format, int sheet = 0);

// Reads sheet `sheet` (0-based) of the workbook at `path` into a data set;
// the file, and what its parts unpack to, are taken from the memory budget
// first. Its first row names the columns where `firstRowNames`. A number cell is
// its value; a text cell reads as data/TableBuilder.h says; an empty or
// error cell is missing; a formula gives the result the workbook stored; a
// date gives its serial number (days since the workbook's origin date). The
// rows and columns after the last cell are no data. Failures are as for a
// text file; a damaged or encrypted workbook is Unreadable.
ImportResult importWorkbook(const std::string& path, FileFormat format, int sheet,
    bool firstRowNames, const std::string& displayPath);

// The same for a workbook held in memory, for the fuzz target, using no more
// than `memoryBytes`.
ImportResult importWorkbookBytes(std::string_view bytes, FileFormat format, int sheet,
    bool firstRowNames, const std::string& displayPath,
    std::uint64_t memoryBytes = std::numeric_limits<std::uint64_t>::max());
