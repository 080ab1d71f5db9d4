// Import of a data file of any kind the program reads: the file's first
// bytes choose its reader.
#pragma once

#include "data/DataImport.h"

#include <string>

// The user's choices for a file; each kind takes the ones that apply to it.
struct ImportChoice {
    std::string delimiter; // a text file's
    bool firstLineNames = false; // a text file's or a workbook's first line (row) holds names
    int sheet = 0; // a workbook's sheet, from 0
};

// Reads the file at `path` as its content shows it: a workbook
// (data/WorkbookImport.h), a statistics file (data/StatisticsImport.h) or a
// delimited text file (data/DataImport.h), whatever its name.
ImportResult importDataFile(
    const std::string& path, const ImportChoice& choice, const std::string& displayPath);
