// How a data file is laid out, guessed from its first lines.
#include "data/LayoutGuess.h"

#include "data/InputFile.h"
#include "data/LabelledImport.h"
#include "data/NumberText.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// A line is looked at up to this length; a longer one is judged by its start.
constexpr std::size_t LINE_LIMIT = std::size_t { 1 } << 20;
// No more than this is read, however long the lines.
constexpr std::size_t READ_LIMIT = 2 * LINE_LIMIT + 2;

// The file's first `count` lines (ended by CR LF, LF or CR), each cut at
// LINE_LIMIT bytes, without a UTF-8 byte-order mark; fewer when the file has
// fewer or cannot be read. The guesses read the file here and nowhere else.
std::vector<std::string> leadingLines(const std::string& path, std::size_t count)
{
    std::vector<std::string> lines;
    InputFile in(path);
    if (!in.isOpen())
        return lines;
    std::string bytes(READ_LIMIT, '\0');
    const std::ptrdiff_t got = in.read(bytes.data(), bytes.size());
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    std::size_t start = 0;
    while (lines.size() < count && start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        const bool closed = end != std::string::npos;
        if (!closed)
            end = bytes.size();
        lines.push_back(bytes.substr(start, std::min(end - start, LINE_LIMIT)));
        start = end + 1;
        if (closed && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

std::string delimiterOfLine(std::string_view line)
{
    if (line.find('\t') != std::string_view::npos)
        return "\t";
    if (std::count(line.begin(), line.end(), ';') > std::count(line.begin(), line.end(), ','))
        return ";";
    if (line.find(',') != std::string_view::npos)
        return ",";
    return " ";
}

// The fields of `line` as the import splits it.
std::vector<std::string_view> fields(std::string_view line, std::string_view delimiter)
{
    if (line.empty())
        return {};
    if (delimiter.empty())
        return { line };
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t found = line.find(delimiter, start);
        parts.push_back(line.substr(start, found - start));
        if (found == std::string_view::npos)
            return parts;
        start = found + delimiter.size();
    }
}

// What a field of the first lines holds, its blanks and quotes removed.
FieldKind kindOf(std::string_view field, std::string_view delimiter)
{
    const std::size_t first = field.find_first_not_of(' ');
    field = first == std::string_view::npos
        ? std::string_view()
        : field.substr(first, field.find_last_not_of(' ') - first + 1);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    if (isMissingLabelText(field))
        return FieldKind::Missing;
    return parseNumber(field, delimiter == ";") ? FieldKind::Number : FieldKind::Text;
}

std::vector<FieldKind> kindsOf(std::string_view line, std::string_view delimiter)
{
    std::vector<FieldKind> kinds;
    for (const std::string_view field : fields(line, delimiter))
        kinds.push_back(kindOf(field, delimiter));
    return kinds;
}

bool holds(const std::vector<FieldKind>& kinds, FieldKind kind)
{
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

} // namespace

std::string guessDelimiter(const std::string& path)
{
    const std::vector<std::string> lines = leadingLines(path, 1);
    return delimiterOfLine(lines.empty() ? std::string_view() : lines.front());
}

std::string guessCsvDelimiter(const std::string& path)
{
    return guessDelimiter(path) == ";" ? ";" : ",";
}

DataLayout guessLayout(const std::string& path, const std::optional<std::string>& delimiter)
{
    const std::vector<std::string> lines = leadingLines(path, 2);
    DataLayout layout;
    layout.delimiter = delimiter ? *delimiter : delimiterOfLine(lines.empty() ? "" : lines.front());
    layout.firstLineNames
        = lines.size() == 2
        && looksLikeNames(kindsOf(lines[0], layout.delimiter), kindsOf(lines[1], layout.delimiter));
    return layout;
}

bool looksLikeNames(const std::vector<FieldKind>& first, const std::vector<FieldKind>& second)
{
    if (!holds(first, FieldKind::Text))
        return false;
    if (!holds(second, FieldKind::Text))
        return true;
    // A file with text columns: a row as wide as the names, with numbers.
    return !holds(first, FieldKind::Number) && holds(second, FieldKind::Number)
        && first.size() == second.size();
}
