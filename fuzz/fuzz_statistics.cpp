// Fuzz target: the import of an SPSS, Stata or SAS file through ReadStat.
// Input: the file, read as its first bytes say; bytes that name no such
// format are read as the format the first byte picks.
#include "TableCheck.h"
#include "data/FileFormat.h"
#include "data/StatisticsImport.h"

#include <array>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    FileFormat format = fileFormatOf(file.substr(0, FORMAT_BYTES));
    if (!isStatisticsFile(format)) {
        static constexpr std::array<FileFormat, 5> FORMATS { FileFormat::Sav, FileFormat::Por,
            FileFormat::Dta, FileFormat::Sas7bdat, FileFormat::Xpt };
        format = FORMATS[data[0] % FORMATS.size()];
    }
    checkTable(importStatisticsBytes(file, format, "fuzz"), "SPSS Stata SAS");
    return 0;
}
