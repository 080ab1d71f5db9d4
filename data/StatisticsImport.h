// Reading of SPSS, Stata and SAS files through ReadStat.
#pragma once

#include "data/DataImport.h"
#include "data/FileFormat.h"

#include <string>
#include <string_view>

// Reads the statistics file at `path` (of `format`: Sav, Por, Dta, Sas7bdat
// or Xpt) into a data set. Every variable keeps its name; system-missing and
// user-defined missing values are missing. A numeric variable keeps its
// values, codes included, and takes the file's value labels for them; a
// string variable reads as data/TableBuilder.h says of texts. More than
// MAX_COLUMNS variables is TooManyVariables; a damaged file is Unreadable.
ImportResult importStatisticsFile(
    const std::string& path, FileFormat format, const std::string& displayPath);

// The same for a file held in memory, for the fuzz target.
ImportResult importStatisticsBytes(
    std::string_view bytes, FileFormat format, const std::string& displayPath);
