// Fuzz target: the import of an Excel or OpenDocument workbook through
// liborcus. Input: the first byte chooses the sheet (its low bits) and a
// first row of names (its high bit); the rest is the file, read as its first
// bytes say, an Excel workbook unless they say OpenDocument.
#include "TableCheck.h"
#include "data/FileFormat.h"
#include "data/WorkbookImport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    const FileFormat format = fileFormatOf(file.substr(0, FORMAT_BYTES)) == FileFormat::Ods
        ? FileFormat::Ods
        : FileFormat::Xlsx;
    // Within the fuzzer's memory limit, whatever sizes a damaged package claims.
    constexpr std::uint64_t MEMORY_BYTES = std::uint64_t { 512 } << 20;
    const ImportResult result = importWorkbookBytes(
        file, format, data[0] & 0x3u, (data[0] & 0x80u) != 0, "fuzz", MEMORY_BYTES);
    checkTable(result, "Excel OpenDocument");
    return 0;
}
