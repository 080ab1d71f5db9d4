// Splits the lines of a data file into fields and reads them as numbers.
#include "data/FieldParser.h"

#include "data/LineReader.h"
#include "data/NumberText.h"
#include "report/ReportText.h"

#include <cstring>

namespace {

// A column name longer than this many characters is cut.
constexpr std::size_t MAX_NAME_CHARACTERS = 64;

std::string_view trimmedBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Length of the UTF-8 character starting at text[0], or 0 when it is not one.
std::size_t utf8CharacterLength(std::string_view text)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80; // smallest second byte: overlong forms and
    unsigned char high = 0xBF; // surrogates are not characters
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// `text` itself when it is UTF-8, otherwise its bytes read as Latin-1.
std::string asUtf8(std::string_view text)
{
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t length = utf8CharacterLength(rest);
        if (length == 0) {
            std::string converted;
            for (const char c : text) {
                const auto code = static_cast<unsigned char>(c);
                if (code < 0x80) {
                    converted += c;
                } else {
                    converted += static_cast<char>(0xC0 | code >> 6);
                    converted += static_cast<char>(0x80 | (code & 0x3F));
                }
            }
            return converted;
        }
        rest.remove_prefix(length);
    }
    return std::string(text);
}

// A header field as a column name: blanks trimmed, one pair of surrounding
// double quotes removed, UTF-8, and cut to MAX_NAME_CHARACTERS characters.
std::string columnName(std::string_view field)
{
    field = trimmedBlanks(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = trimmedBlanks(field.substr(1, field.size() - 2));
    return std::string(report::firstCharacters(asUtf8(field), MAX_NAME_CHARACTERS));
}

} // namespace

FieldParser::FieldParser(std::string_view delimiter)
    // A delimiter holding a line end never occurs inside a line.
    : m_delimiter(delimiter.find_first_of("\r\n") == std::string_view::npos ? delimiter : "")
    , m_skipBlanks(m_delimiter.find(' ') == std::string_view::npos)
    , m_numbersFirst(m_delimiter.empty()
          || std::string_view("0123456789+-.eE").find(m_delimiter.front())
              == std::string_view::npos)
{
}

FieldParser::Problem FieldParser::parse(const char* p, const char* end, DataMatrix& rows) const
{
    Problem problem;
    while (p != end) {
        const char* lineEnd = addLine(p, end, rows, problem);
        if (lineEnd == nullptr)
            return problem;
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p != end && *p == '\n')
            ++p;
    }
    return problem;
}

const char* FieldParser::names(
    const char* p, const char* end, std::vector<std::string>& names) const
{
    if (isLineEnd(*p))
        return p;
    for (;;) {
        if (names.size() == MAX_COLUMNS)
            return nullptr;
        const char* after = fieldEnd(p, end);
        names.push_back(columnName(std::string_view(p, static_cast<std::size_t>(after - p))));
        if (isLineEnd(*after))
            return after;
        p = after + m_delimiter.size();
    }
}

// Adds the line at p as the next row; returns its CR or LF, or nullptr when
// the line has a problem.
const char* FieldParser::addLine(
    const char* p, const char* end, DataMatrix& rows, Problem& problem) const
{
    rows.beginRow();
    if (isLineEnd(*p))
        return p; // an empty line: a case without fields
    for (int32_t fieldColumn = 1;; ++fieldColumn) {
        if (fieldColumn > MAX_COLUMNS) {
            problem = { ImportStatus::TooManyFields, rows.rowCount(), 0 };
            return nullptr;
        }
        p = addField(p, end, fieldColumn, rows, problem);
        if (p == nullptr || isLineEnd(*p))
            return p;
        p += m_delimiter.size();
    }
}

// Adds the field at p; returns the delimiter or line end after it, or nullptr
// for an invalid entry.
const char* FieldParser::addField(
    const char* p, const char* end, int32_t fieldColumn, DataMatrix& rows, Problem& problem) const
{
    if (m_numbersFirst) {
        if (const char* after = addNumber(p, end, rows))
            return after;
    }
    const char* after = fieldEnd(p, end);
    const std::string_view field(p, static_cast<std::size_t>(after - p));
    float value = MISSING_VALUE;
    if (!isMissingText(field)) {
        const std::optional<float> number = parseNumber(field);
        if (!number) {
            problem = { ImportStatus::InvalidEntry, rows.rowCount(), fieldColumn };
            return nullptr;
        }
        value = *number;
    }
    rows.appendField(value);
    return after;
}

// The common field: a number with its blanks, then a delimiter or line end.
// Adds it and returns where it ends, or returns nullptr and adds nothing.
const char* FieldParser::addNumber(const char* p, const char* end, DataMatrix& rows) const
{
    if (m_skipBlanks) {
        while (*p == ' ')
            ++p;
    }
    float value = 0.0f;
    p = scanNumber(p, end, value);
    if (p == nullptr)
        return nullptr;
    if (m_skipBlanks) {
        while (*p == ' ')
            ++p;
    }
    if (!isLineEnd(*p) && !delimiterAt(p, end))
        return nullptr;
    rows.appendField(value);
    return p;
}

const char* FieldParser::fieldEnd(const char* p, const char* end) const
{
    while (!isLineEnd(*p) && !delimiterAt(p, end))
        ++p;
    return p;
}

bool FieldParser::delimiterAt(const char* p, const char* end) const
{
    if (m_delimiter.size() == 1)
        return *p == m_delimiter.front();
    return !m_delimiter.empty() && m_delimiter.size() <= static_cast<std::size_t>(end - p)
        && std::memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0;
}
