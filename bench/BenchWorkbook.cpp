// Writes the Excel workbook the import benchmark reads, whole or damaged.
#include "BenchCommon.h"

#include "data/ZipPackage.h"

#include <QByteArray>

#include <cstdio>
#include <iostream>
#include <random>

namespace bench {

namespace {

struct Part {
    std::string name;
    QByteArray content;
};

void putLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<char>(value >> (8 * k) & 0xFFu));
}

// The sheet: a row of names x1 ... xK, then ROWS rows of normal values with
// four decimals, as a researcher's measurements. The names are the shared
// strings 0 ... K-1, as Excel keeps texts, or held in their cells, as
// openpyxl does.
QByteArray sheetXml(int rows, int columns, bool inlineTexts)
{
    QByteArray xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
          "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<sheetData><row r=\"1\">";
    const auto column = [](int k) {
        std::string name;
        for (++k; k > 0; k = (k - 1) / 26)
            name.insert(name.begin(), static_cast<char>('A' + (k - 1) % 26));
        return name;
    };
    std::vector<std::string> letters;
    for (int k = 0; k < columns; ++k) {
        letters.push_back(column(k));
        if (inlineTexts)
            xml += "<c r=\"" + letters.back() + "1\" t=\"inlineStr\"><is><t>x"
                + std::to_string(k + 1) + "</t></is></c>";
        else
            xml += "<c r=\"" + letters.back() + "1\" t=\"s\"><v>" + std::to_string(k) + "</v></c>";
    }
    xml += "</row>";
    std::mt19937_64 random(20261209);
    std::normal_distribution<double> normal(50.0, 10.0);
    char value[32];
    for (int row = 2; row <= rows + 1; ++row) {
        const std::string r = std::to_string(row);
        xml += "<row r=\"" + r + "\">";
        for (int k = 0; k < columns; ++k) {
            std::snprintf(value, sizeof value, "%.4f", normal(random));
            xml += "<c r=\"" + letters[static_cast<std::size_t>(k)] + r + "\"><v>" + value
                + "</v></c>";
        }
        xml += "</row>";
    }
    return xml + "</sheetData></worksheet>";
}

// The parts deflated into a ZIP package; with `badCheckSum`, the last part's
// check sum altered, the damage only its unpacked bytes show.
std::string package(const std::vector<Part>& parts, bool badCheckSum)
{
    std::string file;
    std::string directory;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const Part& part = parts[k];
        // qCompress gives the unpacked size, a zlib header, the deflated
        // bytes and an Adler-32 sum; the package holds the deflated bytes.
        const QByteArray packed = qCompress(part.content, 6);
        const std::string_view deflated(packed.constData() + 6, packed.size() - 10);
        std::uint32_t crc = crc32(std::string_view(part.content.constData(), part.content.size()));
        if (badCheckSum && k + 1 == parts.size())
            crc ^= 1u;
        const auto offset = static_cast<std::uint32_t>(file.size());
        std::string fields; // version, flags, method, time, date, sums, sizes
        putLittleEndian(fields, 20, 2);
        putLittleEndian(fields, 0, 2);
        putLittleEndian(fields, 8, 2);
        putLittleEndian(fields, 0, 4);
        putLittleEndian(fields, crc, 4);
        putLittleEndian(fields, static_cast<std::uint32_t>(deflated.size()), 4);
        putLittleEndian(fields, static_cast<std::uint32_t>(part.content.size()), 4);
        putLittleEndian(fields, static_cast<std::uint32_t>(part.name.size()), 2);
        file += "PK\x03\x04" + fields;
        putLittleEndian(file, 0, 2);
        file += part.name;
        file.append(deflated);
        directory += "PK\x01\x02";
        putLittleEndian(directory, 20, 2);
        directory += fields;
        directory.append(12, '\0'); // extra, comment, disk, attributes
        putLittleEndian(directory, offset, 4);
        directory += part.name;
    }
    const auto start = static_cast<std::uint32_t>(file.size());
    file += directory + "PK\x05\x06";
    putLittleEndian(file, 0, 4);
    putLittleEndian(file, static_cast<std::uint32_t>(parts.size()), 2);
    putLittleEndian(file, static_cast<std::uint32_t>(parts.size()), 2);
    putLittleEndian(file, static_cast<std::uint32_t>(directory.size()), 4);
    putLittleEndian(file, start, 4);
    putLittleEndian(file, 0, 2);
    return file;
}

} // namespace

// FILE gets a workbook of one sheet, names and ROWS rows of COLUMNS numbers
// (1,000,000 x 14 make some 100 MB), its names shared strings unless
// --inline-texts. --damage cut keeps its first half, as a
// copy broken off; bytes overwrites 64 bytes in its middle; sum alters the
// sheet's check sum, so that only the unpacked sheet shows the damage.
int runGenerateXlsx(const std::vector<std::string>& args)
{
    const int rows = numberOption<int32_t>(args, "rows", 1000000);
    const int columns = numberOption<int32_t>(args, "columns", 14);
    const std::string damage = option(args, "damage", "");
    if (args.empty() || args.front().rfind("--", 0) == 0 || rows < 1 || columns < 1
        || columns > 16384
        || (damage != "" && damage != "cut" && damage != "bytes" && damage != "sum")) {
        std::cerr << "usage: trellam-bench generate-xlsx FILE [--rows N] [--columns K]"
                     " [--inline-texts] [--damage cut|bytes|sum]\n";
        return 2;
    }
    const std::string rels
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
          "officeDocument/2006/relationships/";
    const bool inlineTexts = hasFlag(args, "inline-texts");
    std::string strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas."
                          "openxmlformats.org/spreadsheetml/2006/main\">";
    for (int k = 1; k <= columns; ++k)
        strings += "<si><t>x" + std::to_string(k) + "</t></si>";
    strings += "</sst>";
    std::vector<Part> parts {
        { "[Content_Types].xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas."
            "openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
            "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override "
            "PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-"
            "officedocument.spreadsheetml.sheet.main+xml\"/><Override PartName=\"/xl/"
            "worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-"
            "officedocument.spreadsheetml.worksheet+xml\"/></Types>" },
        { "_rels/.rels",
            QByteArray::fromStdString(rels
                + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                  "</Relationships>") },
        { "xl/workbook.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"http://schemas."
            "openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas."
            "openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet "
            "name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>" },
        { "xl/_rels/workbook.xml.rels",
            QByteArray::fromStdString(rels + "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                + (inlineTexts ? std::string()
                               : "<Relationship Id=\"rId2\" Type=\"http://schemas."
                                 "openxmlformats.org/officeDocument/2006/relationships/"
                                 "sharedStrings\" Target=\"sharedStrings.xml\"/>")
                + "</Relationships>") },
    };
    if (!inlineTexts)
        parts.push_back({ "xl/sharedStrings.xml", QByteArray::fromStdString(strings) });
    // The sheet last, where a damaged check sum is given.
    parts.push_back({ "xl/worksheets/sheet1.xml", sheetXml(rows, columns, inlineTexts) });
    std::string file = package(parts, damage == "sum");
    if (damage == "cut") {
        file.resize(file.size() / 2);
    } else if (damage == "bytes") {
        std::mt19937_64 random(20261209);
        for (std::size_t k = 0; k < 64; ++k)
            file[file.size() / 2 + k] = static_cast<char>(random());
    }
    std::FILE* out = std::fopen(args.front().c_str(), "wb");
    const bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (!out || std::fclose(out) != 0 || !written) {
        std::cerr << "trellam-bench: cannot write " << args.front() << '\n';
        return 1;
    }
    return 0;
}

} // namespace bench
