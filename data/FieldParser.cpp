// Splits the lines of a data file into fields and reads them as numbers.
#include "data/FieldParser.h"

#include "data/LineReader.h"
#include "data/NumberText.h"

#include <algorithm>
#include <cstring>

FieldParser::FieldParser(std::string_view delimiter)
    // A delimiter holding a line end never occurs inside a line.
    : m_delimiter(delimiter.find_first_of("\r\n") == std::string_view::npos ? delimiter : "")
    , m_skipBlanks(m_delimiter.find(' ') == std::string_view::npos)
    , m_numbersFirst(delimiterEndsNumbers(m_delimiter))
    , m_decimalComma(m_delimiter == ";")
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

// The helpers of parse() are inline so that the compiler folds them into it:
// a field takes a few dozen cycles, and a call for each is a good share.

// Adds the line at p as the next row; returns its CR or LF, or nullptr when
// the line has a problem.
inline const char* FieldParser::addLine(
    const char* p, const char* end, DataMatrix& rows, Problem& problem) const
{
    rows.beginRow();
    if (isLineEnd(*p))
        return p; // an empty line: a case without fields
    for (int32_t fieldColumn = 1;; ++fieldColumn) {
        if (fieldColumn > MAX_COLUMNS) {
            problem = { ImportStatus::TooManyFields, rows.rowCount(), 0, {} };
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
inline const char* FieldParser::addField(
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
        const std::optional<float> number = parseNumber(field, m_decimalComma);
        if (!number) {
            problem
                = { ImportStatus::InvalidEntry, rows.rowCount(), fieldColumn, std::string(field) };
            return nullptr;
        }
        value = *number;
    }
    rows.appendField(value);
    return after;
}

// The common field: a number with its blanks, then a delimiter or line end.
// Adds it and returns where it ends, or returns nullptr and adds nothing.
inline const char* FieldParser::addNumber(const char* p, const char* end, DataMatrix& rows) const
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

inline const char* FieldParser::fieldEnd(const char* p, const char* end) const
{
    while (!isLineEnd(*p) && !delimiterAt(p, end))
        ++p;
    return p;
}

inline bool FieldParser::delimiterAt(const char* p, const char* end) const
{
    if (m_delimiter.size() == 1)
        return *p == m_delimiter.front();
    return !m_delimiter.empty() && m_delimiter.size() <= static_cast<std::size_t>(end - p)
        && std::memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0;
}
