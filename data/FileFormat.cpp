// The kind of a data file, judged by its first bytes.
#include "data/FileFormat.h"

#include "data/InputFile.h"

#include <cstdint>

namespace {

std::uint32_t littleEndian16(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at])
        | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

// A ZIP package is an OpenDocument file when its first entry, stored as is,
// is its "mimetype" naming a spreadsheet; any other package is read as an
// Excel workbook.
FileFormat packageFormat(std::string_view start)
{
    if (start.size() < 30)
        return FileFormat::Xlsx;
    const std::size_t nameLength = littleEndian16(start, 26);
    const std::size_t extraLength = littleEndian16(start, 28);
    const std::string_view name = start.substr(30, nameLength);
    const std::size_t content = 30 + nameLength + extraLength;
    if (name == "mimetype" && content < start.size()
        && start.substr(content).starts_with("application/vnd.oasis.opendocument"))
        return FileFormat::Ods;
    return FileFormat::Xlsx;
}

bool isOldStataHeader(std::string_view start)
{
    if (start.size() < 4)
        return false;
    const auto version = static_cast<unsigned char>(start[0]);
    const auto byteOrder = static_cast<unsigned char>(start[1]);
    return version >= 104 && version <= 115 && (byteOrder == 1 || byteOrder == 2) && start[2] == 1
        && start[3] == 0;
}

} // namespace

FileFormat fileFormatOf(std::string_view start)
{
    using namespace std::string_view_literals;
    if (start.starts_with("PK\x03\x04"sv))
        return packageFormat(start);
    if (start.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv))
        return FileFormat::Sealed;
    if (start.starts_with("$FL2"sv) || start.starts_with("$FL3"sv))
        return FileFormat::Sav;
    if (start.starts_with("<stata_dta>"sv) || isOldStataHeader(start))
        return FileFormat::Dta;
    if (start.size() >= 32
        && start.substr(12, 20)
            == "\xC2\xEA\x81\x60\xB3\x14\x11\xCF\xBD\x92\x08\x00\x09\xC7\x31\x8C\x18\x1F\x10\x11"sv)
        return FileFormat::Sas7bdat;
    if (start.starts_with("HEADER RECORD*******LIB"sv))
        return FileFormat::Xpt;
    if (start.substr(0, 200).find("SPSS PORT FILE"sv) != std::string_view::npos
        && start.find("SPSSPORT"sv) != std::string_view::npos)
        return FileFormat::Por;
    return FileFormat::Text;
}

FileFormat fileFormatOf(const std::string& path)
{
    InputFile in(path);
    if (!in.isOpen())
        return FileFormat::Text;
    char start[FORMAT_BYTES];
    const std::ptrdiff_t got = in.read(start, sizeof start);
    return got > 0 ? fileFormatOf(std::string_view(start, static_cast<std::size_t>(got)))
                   : FileFormat::Text;
}

bool isWorkbook(FileFormat format)
{
    return format == FileFormat::Xlsx || format == FileFormat::Ods || format == FileFormat::Sealed;
}

bool isStatisticsFile(FileFormat format)
{
    return format == FileFormat::Sav || format == FileFormat::Por || format == FileFormat::Dta
        || format == FileFormat::Sas7bdat || format == FileFormat::Xpt;
}

std::string formatKind(FileFormat format)
{
    switch (format) {
    case FileFormat::Xlsx:
    case FileFormat::Sealed:
        return "Excel";
    case FileFormat::Ods:
        return "OpenDocument";
    case FileFormat::Sav:
    case FileFormat::Por:
        return "SPSS";
    case FileFormat::Dta:
        return "Stata";
    case FileFormat::Sas7bdat:
    case FileFormat::Xpt:
        return "SAS";
    case FileFormat::Text:
        break;
    }
    return "text";
}
