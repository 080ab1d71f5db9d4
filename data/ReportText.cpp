// Building blocks of every report: cells, rules, whole numbers and line ends.
#include "data/ReportText.h"

#include <charconv>

namespace report {

namespace {

bool continuesCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += continuesCharacter(c) ? 0 : 1;
    return count;
}

std::string_view firstCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t started = 0; end < text.size(); ++end) {
        if (!continuesCharacter(text[end]) && started++ == count)
            break;
    }
    return text.substr(0, end);
}

std::string integerText(int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string leftCell(std::string_view text, std::size_t width)
{
    std::string cell(text);
    const std::size_t characters = characterCount(text);
    if (characters < width)
        cell.append(width - characters, ' ');
    return cell;
}

std::string rightCell(std::string_view text, std::size_t width)
{
    std::string cell;
    const std::size_t characters = characterCount(text);
    if (characters < width)
        cell.assign(width - characters, ' ');
    return cell.append(text);
}

std::string rule(std::size_t width)
{
    return std::string(width, '-') + LINE_END;
}

std::string lineEnds(int count)
{
    return std::string(static_cast<std::size_t>(count), LINE_END);
}

} // namespace report
