// Fuzz target: the import of a delimited file, checked against a plain reading
// of the same bytes, line by line and field by field.
//
// Input: the first byte's low seven bits choose the delimiter (none, tab,
// comma, space, or the next one to three bytes) and its high bit a first line
// of names; the rest is the file. A file with names is checked against a
// plain reading when it holds no quotes, and for what every such import
// must give (rows as wide as the data set, codes of sorted labels) always,
// and read in small pieces side by side it must give the same.
#include "FuzzCheck.h"
#include "data/DataImport.h"
#include "data/ImportBlocks.h"
#include "data/LabelledImport.h"
#include "data/NumberText.h"
#include "data/TextEncoding.h"
#include "report/ReportText.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Input {
    std::string delimiter;
    std::string_view file;
    bool names = false;
};

// The delimiter that `choice` names, and the file after it.
Input chosenDelimiter(unsigned choice, std::string_view rest)
{
    switch (choice % 5) {
    case 0:
        return { "", rest };
    case 1:
        return { "\t", rest };
    case 2:
        return { ",", rest };
    case 3:
        return { " ", rest };
    default: {
        const size_t length = std::min<size_t>(1 + choice / 5 % 3, rest.size());
        return { std::string(rest.substr(0, length)), rest.substr(length) };
    }
    }
}

Input splitInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return {};
    Input input = chosenDelimiter(
        data[0] & 0x7Fu, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    input.names = (data[0] & 0x80u) != 0;
    return input;
}

// The number a field holds; a semicolon file also writes a decimal comma.
std::optional<float> fieldNumber(std::string_view field, std::string_view delimiter)
{
    std::optional<float> number = parseNumber(field);
    if (!number && delimiter == ";") {
        std::string withPoint(field);
        for (char& c : withPoint)
            c = c == ',' ? '.' : c;
        number = parseNumber(withPoint);
    }
    return number;
}

// The lines as a reader of the file sees them: CR LF, LF and CR end a line, a
// last line without a line end is a line, a UTF-8 byte-order mark at the very
// start is not part of the first line.
std::vector<std::string_view> fileLines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// The fields of a line, at most `limit`: an empty line has none, no delimiter
// makes the whole line one field, each delimiter found from the left starts
// the next field.
std::vector<std::string_view> lineFields(
    std::string_view line, std::string_view delimiter, size_t limit)
{
    std::vector<std::string_view> fields;
    if (line.empty())
        return fields;
    while (fields.size() < limit) {
        const size_t at = delimiter.empty() ? std::string_view::npos : line.find(delimiter);
        if (at == std::string_view::npos) {
            fields.push_back(line);
            break;
        }
        fields.push_back(line.substr(0, at));
        line.remove_prefix(at + delimiter.size());
    }
    return fields;
}

// What the import must give: the cells of every row, or the first problem.
struct Expected {
    ImportStatus status = ImportStatus::Ok;
    int32_t row = 0;
    int32_t column = 0;
    std::vector<std::vector<float>> rows;
    int32_t columns = 0;
};

Expected expectedImport(std::string_view file, std::string_view delimiter)
{
    Expected expected;
    const std::vector<std::string_view> lines = fileLines(file);
    for (size_t r = 0; r < lines.size(); ++r) {
        const auto fields = lineFields(lines[r], delimiter, MAX_COLUMNS + 1);
        std::vector<float> cells;
        for (size_t c = 0; c < fields.size(); ++c) {
            if (c == MAX_COLUMNS) {
                expected.status = ImportStatus::TooManyFields;
                expected.row = static_cast<int32_t>(r + 1);
                return expected;
            }
            if (isMissingText(fields[c])) {
                cells.push_back(MISSING_VALUE);
                continue;
            }
            const std::optional<float> number = fieldNumber(fields[c], delimiter);
            if (!number) {
                expected.status = ImportStatus::InvalidEntry;
                expected.row = static_cast<int32_t>(r + 1);
                expected.column = static_cast<int32_t>(c + 1);
                return expected;
            }
            cells.push_back(*number);
        }
        expected.columns = std::max(expected.columns, static_cast<int32_t>(cells.size()));
        expected.rows.push_back(std::move(cells));
    }
    return expected;
}

std::string decimal(long long n)
{
    return std::to_string(n);
}

// One file, written afresh for each input.
const std::string& scratchFile()
{
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        std::string name = std::string(folder && *folder ? folder : "/tmp") + "/fuzz_import_XXXXXX";
        const int fd = mkstemp(name.data());
        FUZZ_CHECK(fd >= 0, "cannot create " + name);
        close(fd);
        return name;
    }();
    return path;
}

void writeScratchFile(std::string_view bytes)
{
    const int fd = open(scratchFile().c_str(), O_WRONLY | O_TRUNC);
    FUZZ_CHECK(fd >= 0);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        FUZZ_CHECK(n > 0);
        written += static_cast<size_t>(n);
    }
    close(fd);
}

void checkImported(const ImportResult& result, const Expected& expected)
{
    const DataMatrix& data = result.data;
    FUZZ_CHECK(data.rowCount() == static_cast<int32_t>(expected.rows.size()),
        "rows " + decimal(data.rowCount()) + ", lines " + decimal(expected.rows.size()));
    FUZZ_CHECK(data.columnCount() == expected.columns);
    FUZZ_CHECK(data.columnCount() <= MAX_COLUMNS);
    for (int32_t r = 1; r <= data.rowCount(); ++r) {
        const std::vector<float>& cells = expected.rows[static_cast<size_t>(r - 1)];
        FUZZ_CHECK(data.fieldCount(r) == static_cast<int32_t>(cells.size()), "row " + decimal(r));
        for (int32_t c = 1; c <= data.columnCount() + 1; ++c) {
            const float cell = data(r, c);
            const float want = c <= static_cast<int32_t>(cells.size())
                ? cells[static_cast<size_t>(c - 1)]
                : 0.0f;
            FUZZ_CHECK(std::isfinite(cell));
            FUZZ_CHECK(std::bit_cast<uint32_t>(cell) == std::bit_cast<uint32_t>(want),
                "row " + decimal(r) + " column " + decimal(c));
        }
    }
    FUZZ_CHECK(result.report
        == "Opened the text file: shown.txt\nNumber of Cases: " + decimal(data.rowCount())
            + "\nNumber of Variables: " + decimal(data.columnCount()) + "\n\n\n");
    FUZZ_CHECK(result.message.empty());
}

void checkFailure(const ImportResult& result, const Expected& expected)
{
    FUZZ_CHECK(result.report.empty());
    FUZZ_CHECK(result.row == expected.row);
    FUZZ_CHECK(result.column == expected.column);
    FUZZ_CHECK(result.row >= 1 && result.column >= 0 && result.column <= MAX_COLUMNS);
    const std::string where = "Row " + decimal(expected.row);
    if (expected.status == ImportStatus::InvalidEntry)
        FUZZ_CHECK(result.message
            == where + " of Column " + decimal(expected.column)
                + " has an invalid entry for analysis.");
    else
        FUZZ_CHECK(result.message == where + " has more than 1000 variables.");
}

// A field of a file with names as its import reads it: the blanks around it,
// other than the delimiter, are no part of it.
std::string_view trimmed(std::string_view field, std::string_view delimiter)
{
    const auto blank = [&](char c) {
        return (c == ' ' || c == '\t') && delimiter.find(c) == std::string_view::npos;
    };
    while (!field.empty() && blank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && blank(field.back()))
        field.remove_suffix(1);
    return field;
}

// What every import of a file with names gives: rows as wide as the data
// set, and in each text column sorted UTF-8 labels whose codes its cells hold.
void checkLabelledShape(const DataMatrix& data)
{
    for (int32_t c = 1; c <= data.columnCount(); ++c) {
        const std::vector<std::string>& labels = data.labels(c);
        for (size_t k = 0; k < labels.size(); ++k) {
            FUZZ_CHECK(isUtf8(labels[k]));
            FUZZ_CHECK(k == 0 || labels[k - 1] < labels[k], "labels out of order");
        }
        for (int32_t r = 1; r <= data.rowCount(); ++r) {
            const float cell = data(r, c);
            FUZZ_CHECK(data.fieldCount(r) == data.columnCount());
            FUZZ_CHECK(std::isfinite(cell));
            FUZZ_CHECK(cell == MISSING_VALUE || labels.empty() || data.labelOf(c, cell),
                "row " + decimal(r) + " column " + decimal(c) + " holds no code");
        }
    }
}

// A file with names and without quotes, read line by line: its names, then
// its lines that are not empty, each cell a number, missing or a label.
void checkLabelledCells(
    const ImportResult& result, std::string_view file, std::string_view delimiter)
{
    const std::vector<std::string_view> lines = fileLines(file);
    std::vector<std::vector<std::string_view>> rows;
    for (size_t r = 0; r < lines.size(); ++r) {
        if (r > 0 && lines[r].empty())
            continue;
        std::vector<std::string_view> fields = lineFields(lines[r], delimiter, MAX_COLUMNS + 1);
        if (fields.size() > static_cast<size_t>(MAX_COLUMNS)) {
            FUZZ_CHECK(result.status == ImportStatus::TooManyFields);
            FUZZ_CHECK(result.row == static_cast<int32_t>(rows.size()));
            return;
        }
        for (std::string_view& field : fields)
            field = trimmed(field, delimiter);
        rows.push_back(std::move(fields));
    }
    FUZZ_CHECK(result.status == ImportStatus::Ok, "status " + decimal(int(result.status)));
    const DataMatrix& data = result.data;
    FUZZ_CHECK(data.rowCount() + (rows.empty() ? 0 : 1) == static_cast<int32_t>(rows.size()));
    bool utf8 = true;
    for (const auto& fields : rows) {
        for (const std::string_view field : fields)
            utf8 = utf8 && isUtf8(field);
    }
    const auto asRead = [utf8](std::string_view text) {
        return utf8 ? std::string(text) : windows1252AsUtf8(text);
    };
    for (int32_t c = 1; c <= data.columnCount(); ++c) {
        if (!rows.empty() && static_cast<size_t>(c) <= rows[0].size()) {
            const std::string name = asRead(trimmed(rows[0][static_cast<size_t>(c - 1)], ""));
            FUZZ_CHECK(data.name(c) == report::firstCharacters(name, 64));
        }
        for (int32_t r = 1; r <= data.rowCount(); ++r) {
            const std::vector<std::string_view>& fields = rows[static_cast<size_t>(r)];
            const std::string_view field
                = static_cast<size_t>(c) <= fields.size() ? fields[static_cast<size_t>(c - 1)] : "";
            const float cell = data(r, c);
            if (isMissingLabelText(field)) {
                FUZZ_CHECK(cell == MISSING_VALUE, "row " + decimal(r) + " column " + decimal(c));
            } else if (data.hasLabels(c)) {
                FUZZ_CHECK(data.labelOf(c, cell) && *data.labelOf(c, cell) == asRead(field));
            } else {
                const std::optional<float> number = fieldNumber(field, delimiter);
                FUZZ_CHECK(
                    number && std::bit_cast<uint32_t>(*number) == std::bit_cast<uint32_t>(cell),
                    "row " + decimal(r) + " column " + decimal(c));
            }
        }
    }
}

void checkLabelled(const ImportResult& result, std::string_view file, std::string delimiter)
{
    if (delimiter.find_first_of("\r\n") != std::string::npos)
        delimiter.clear();
    if (result.status == ImportStatus::Ok) {
        checkLabelledShape(result.data);
        FUZZ_CHECK(result.message.empty());
    } else {
        FUZZ_CHECK(result.report.empty() && !result.message.empty());
    }
    if (result.status == ImportStatus::UnclosedQuote)
        FUZZ_CHECK(file.find('"') != std::string_view::npos);
    if (file.find('"') == std::string_view::npos)
        checkLabelledCells(result, file, delimiter);
}

// The same data set, names, labels and messages.
bool sameOutcome(const ImportResult& a, const ImportResult& b)
{
    if (a.status != b.status || a.row != b.row || a.column != b.column || a.message != b.message
        || a.report != b.report || a.data.rowCount() != b.data.rowCount()
        || a.data.columnCount() != b.data.columnCount())
        return false;
    for (int32_t c = 1; c <= a.data.columnCount(); ++c) {
        if (a.data.name(c) != b.data.name(c) || a.data.labels(c) != b.data.labels(c))
            return false;
    }
    for (int32_t r = 1; r <= a.data.rowCount(); ++r) {
        if (a.data.fieldCount(r) != b.data.fieldCount(r))
            return false;
        for (int32_t c = 1; c <= a.data.fieldCount(r); ++c) {
            if (std::bit_cast<uint32_t>(a.data(r, c)) != std::bit_cast<uint32_t>(b.data(r, c)))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input input = splitInput(data, size);
    writeScratchFile(input.file);

    const ImportResult result
        = importDelimitedFile(scratchFile(), input.delimiter, "shown.txt", input.names);
    if (input.names) {
        checkLabelled(result, input.file, input.delimiter);
        // Cut into pieces of a few bytes, read side by side, the file reads the same.
        setImportBlockBytes(256);
        const ImportResult pieces
            = importDelimitedFile(scratchFile(), input.delimiter, "shown.txt", true);
        setImportBlockBytes(0);
        FUZZ_CHECK(sameOutcome(result, pieces), "read in pieces, the file gives another outcome");
        return 0;
    }
    const Expected expected = expectedImport(input.file, input.delimiter);
    FUZZ_CHECK(result.status == expected.status,
        "status " + decimal(static_cast<int>(result.status)) + ", expected "
            + decimal(static_cast<int>(expected.status)));
    if (result.status == ImportStatus::Ok)
        checkImported(result, expected);
    else
        checkFailure(result, expected);
    return 0;
}
