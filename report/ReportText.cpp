// Building blocks of every report: cells, rules, whole numbers and line ends.
#include "report/ReportText.h"

#include "report/NumberFormat.h"

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

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < text.size()
            && static_cast<unsigned char>(text[i + 1]) >= 0x80
            && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            shown += '?';
            i += c1 ? 1 : 0;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string variableLabel(int32_t column, std::string_view name)
{
    std::string label = "Var " + integerText(column);
    if (!name.empty())
        label += " (" + printable(name) + ")";
    return label;
}

namespace {

constexpr std::size_t CELL_WIDTH = 15;

} // namespace

std::string groupRow(std::string_view label, std::string_view group1, std::string_view group2)
{
    return leftCell(label, CELL_WIDTH) + rightCell(group1, CELL_WIDTH)
        + rightCell(group2, CELL_WIDTH) + LINE_END;
}

std::string groupRow(std::string_view label, double group1, double group2)
{
    return groupRow(label, formatReportNumber(group1), formatReportNumber(group2));
}

std::string variablesLine(std::string_view dependent, std::string_view grouping)
{
    return "Dep Var = " + std::string(dependent) + "; Grp Var = " + std::string(grouping)
        + LINE_END;
}

std::string groupsLine(std::string_view group1, std::string_view group2)
{
    return "Group 1 = " + printable(group1) + "; Group 2 = " + printable(group2) + LINE_END;
}

} // namespace report
