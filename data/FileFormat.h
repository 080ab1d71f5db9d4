// The kind of a data file, judged by its first bytes, not its name.
#pragma once

#include <string>
#include <string_view>

enum class FileFormat {
    Text, // anything else: a delimited text file
    Xlsx, // an Excel workbook (a ZIP package)
    Ods, // an OpenDocument spreadsheet (a ZIP package)
    Sealed, // a compound file: an encrypted workbook or an old Excel file
    Sav, // SPSS system file, plain or compressed (.sav, .zsav)
    Por, // SPSS portable file
    Dta, // Stata
    Sas7bdat, // SAS data set
    Xpt, // SAS transport file
};

// Enough of a file's start to tell its format.
inline constexpr std::size_t FORMAT_BYTES = 1024;

// The format of a file whose first bytes (up to FORMAT_BYTES) are `start`.
FileFormat fileFormatOf(std::string_view start);
// The format of the file at `path`; Text when it cannot be read, for the
// text import to say so.
FileFormat fileFormatOf(const std::string& path);

bool isWorkbook(FileFormat format);
bool isStatisticsFile(FileFormat format);
// The kind the import report names: "Excel", "OpenDocument", "SPSS",
// "Stata", "SAS"; "text" for a text file.
std::string formatKind(FileFormat format);
