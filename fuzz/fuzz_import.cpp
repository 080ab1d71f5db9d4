// Fuzz target: the import of a delimited file, checked against a plain reading
// of the same bytes, line by line and field by field.
//
// Input: the first byte chooses the delimiter (none, tab, comma, space, or the
// next one to three bytes), the rest is the file.
#include "data/DataImport.h"
#include "data/NumberText.h"
#include "FuzzCheck.h"

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
};

Input splitInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return {};
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 5) {
    case 0:
        return { "", rest };
    case 1:
        return { "\t", rest };
    case 2:
        return { ",", rest };
    case 3:
        return { " ", rest };
    default: {
        const size_t length = std::min<size_t>(1 + data[0] / 5 % 3, rest.size());
        return { std::string(rest.substr(0, length)), rest.substr(length) };
    }
    }
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
            const std::optional<float> number = parseNumber(fields[c]);
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input input = splitInput(data, size);
    writeScratchFile(input.file);

    const ImportResult result = importDelimitedFile(scratchFile(), input.delimiter, "shown.txt");
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
