// How a data file is laid out, guessed from its first lines.
#include "data/LayoutGuess.h"

#include "data/NumberText.h"

#include <filesystem>
#include <fstream>
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
    // Only a regular file: reading a pipe or a device could wait without end.
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code typeUnknown;
    if (!std::filesystem::is_regular_file(file, typeUnknown))
        return lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    bool lineOpen = false;
    std::size_t read = 0;
    for (char c; lines.size() < count && read < READ_LIMIT && in.get(c); ++read) {
        if (c == '\n' || c == '\r') {
            if (c == '\r' && in.peek() == '\n')
                in.get(c);
            lines.push_back(std::move(line));
            line.clear();
            lineOpen = false;
            continue;
        }
        lineOpen = true;
        if (line.size() < LINE_LIMIT)
            line += c;
    }
    if (lineOpen && lines.size() < count)
        lines.push_back(std::move(line));
    if (!lines.empty() && lines.front().starts_with("\xEF\xBB\xBF"))
        lines.front().erase(0, 3);
    return lines;
}

std::string delimiterOfLine(std::string_view line)
{
    if (line.find('\t') != std::string_view::npos)
        return "\t";
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

bool isEntry(std::string_view field)
{
    return isMissingText(field) || parseNumber(field).has_value();
}

bool looksLikeNames(std::string_view first, std::string_view second, std::string_view delimiter)
{
    bool nameSeen = false;
    for (const std::string_view field : fields(first, delimiter))
        nameSeen = nameSeen || !isEntry(field);
    if (!nameSeen)
        return false;
    for (const std::string_view field : fields(second, delimiter)) {
        if (!isEntry(field))
            return false;
    }
    return true;
}

} // namespace

std::string guessDelimiter(const std::string& path)
{
    const std::vector<std::string> lines = leadingLines(path, 1);
    return delimiterOfLine(lines.empty() ? std::string_view() : lines.front());
}

DataLayout guessLayout(const std::string& path, const std::optional<std::string>& delimiter)
{
    const std::vector<std::string> lines = leadingLines(path, 2);
    DataLayout layout;
    layout.delimiter = delimiter ? *delimiter : delimiterOfLine(lines.empty() ? "" : lines.front());
    layout.firstLineNames
        = lines.size() == 2 && looksLikeNames(lines[0], lines[1], layout.delimiter);
    return layout;
}
