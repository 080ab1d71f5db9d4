// How a data file is laid out, guessed from its first lines.
#include "data/LayoutGuess.h"

#include <filesystem>
#include <fstream>

namespace {

// A first line is looked at up to this length; a longer one is judged by its start.
constexpr std::size_t FIRST_LINE_LIMIT = std::size_t { 1 } << 20;

std::string firstLine(const std::string& path)
{
    // Only a regular file: reading a pipe or a device could wait without end.
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code typeUnknown;
    if (!std::filesystem::is_regular_file(file, typeUnknown))
        return {};
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (char c; line.size() < FIRST_LINE_LIMIT && in.get(c) && c != '\n' && c != '\r';)
        line += c;
    return line;
}

} // namespace

std::string guessDelimiter(const std::string& path)
{
    const std::string line = firstLine(path);
    if (line.find('\t') != std::string::npos)
        return "\t";
    if (line.find(',') != std::string::npos)
        return ",";
    return " ";
}
