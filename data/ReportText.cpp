// Building blocks of every report: cells, rules, whole numbers and line ends.
#include "data/ReportText.h"

#include <charconv>

namespace report {

std::string integerText(int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string leftCell(std::string_view text, std::size_t width)
{
    std::string cell(text);
    if (cell.size() < width)
        cell.append(width - cell.size(), ' ');
    return cell;
}

std::string rightCell(std::string_view text, std::size_t width)
{
    std::string cell;
    if (text.size() < width)
        cell.assign(width - text.size(), ' ');
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
