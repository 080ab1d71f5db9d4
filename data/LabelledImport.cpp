// Reading of a file whose first line holds the column names.
#include "data/LabelledImport.h"

#include "data/LineReader.h"
#include "data/NumberText.h"
#include "data/TextCodes.h"
#include "data/TextEncoding.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// A field as written: without its quotes and its surrounding blanks.
struct Field {
    std::string_view text;
    bool doubledQuotes = false; // a quoted field with "" still to be read as "
};

// Splits a file's text into records of fields, one record a line, where a
// quoted field may run over line ends.
class RecordReader {
public:
    enum class Read { Record, End, UnclosedQuote, TooManyFields };

    RecordReader(std::string_view text, std::string_view delimiter)
        : m_p(text.data())
        , m_end(text.data() + text.size())
        , m_delimiter(delimiter)
        , m_oneByte(delimiter.size() == 1 ? delimiter.front() : '\n')
        , m_trimSpaces(delimiter.find(' ') == std::string_view::npos)
        , m_trimTabs(delimiter.find('\t') == std::string_view::npos)
    {
    }

    // Reads the next record into `fields`; a blank line is skipped, unless
    // it is the first line, the names. On UnclosedQuote the field's column
    // is fields.size() + 1.
    Read next(std::vector<Field>& fields, bool firstLine = false)
    {
        fields.clear();
        while (!firstLine && m_p != m_end && isLineEnd(*m_p))
            skipLineEnd();
        if (m_p == m_end)
            return Read::End;
        if (isLineEnd(*m_p)) {
            skipLineEnd();
            return Read::Record;
        }
        for (;;) {
            if (fields.size() == static_cast<std::size_t>(MAX_COLUMNS))
                return Read::TooManyFields;
            Field field;
            if (!readField(field))
                return Read::UnclosedQuote;
            fields.push_back(field);
            if (m_p == m_end)
                return Read::Record;
            if (isLineEnd(*m_p)) {
                skipLineEnd();
                return Read::Record;
            }
            m_p += m_delimiter.size();
        }
    }

private:
    bool isBlank(char c) const { return (c == ' ' && m_trimSpaces) || (c == '\t' && m_trimTabs); }

    bool atFieldEnd(const char* p) const
    {
        if (m_delimiter.size() <= 1)
            return p == m_end || *p == m_oneByte || isLineEnd(*p);
        return p == m_end || isLineEnd(*p)
            || (!m_delimiter.empty() && static_cast<std::size_t>(m_end - p) >= m_delimiter.size()
                && std::memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0);
    }

    void skipLineEnd()
    {
        const char c = *m_p++;
        if (c == '\r' && m_p != m_end && *m_p == '\n')
            ++m_p;
    }

    const char* skipBlanks(const char* p) const
    {
        while (p != m_end && isBlank(*p))
            ++p;
        return p;
    }

    // Reads the field at m_p and moves past it; false when its quote is
    // never closed. A field whose closing quote is followed by more than
    // blanks is read as written, quotes and all.
    bool readField(Field& field)
    {
        const char* start = skipBlanks(m_p);
        if (start != m_end && *start == '"') {
            const char* quote = start + 1;
            for (;;) {
                quote = static_cast<const char*>(
                    std::memchr(quote, '"', static_cast<std::size_t>(m_end - quote)));
                if (quote == nullptr)
                    return false;
                if (quote + 1 == m_end || quote[1] != '"')
                    break;
                field.doubledQuotes = true;
                quote += 2;
            }
            const char* after = skipBlanks(quote + 1);
            if (atFieldEnd(after)) {
                field.text
                    = std::string_view(start + 1, static_cast<std::size_t>(quote - start - 1));
                m_p = after;
                return true;
            }
            field.doubledQuotes = false;
        }
        const char* end = start;
        while (!atFieldEnd(end))
            ++end;
        m_p = end;
        while (end != start && isBlank(end[-1]))
            --end;
        field.text = std::string_view(start, static_cast<std::size_t>(end - start));
        return true;
    }

    const char* m_p;
    const char* m_end;
    std::string_view m_delimiter;
    char m_oneByte; // the delimiter when it is one byte, else a line end
    bool m_trimSpaces; // blanks around a field are not part of it, unless
    bool m_trimTabs; // the delimiter is one
};

std::string fieldText(const Field& field)
{
    std::string text(field.text);
    if (field.doubledQuotes) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[kept++] = text[i];
            if (text[i] == '"')
                ++i; // the second quote of a pair
        }
        text.resize(kept);
    }
    return text;
}

// The number a field holds, with a decimal comma where `decimalComma`.
std::optional<float> fieldNumber(const Field& field, bool decimalComma)
{
    if (field.doubledQuotes)
        return std::nullopt;
    return parseNumber(field.text, decimalComma);
}

bool isMissingField(const Field& field)
{
    return !field.doubledQuotes && isMissingLabelText(field.text);
}

// What the first reading finds out: the rows, the widest and the columns
// that hold texts.
struct TableShape {
    std::size_t rows = 0;
    std::size_t width = 0;
    std::vector<bool> isText = std::vector<bool>(static_cast<std::size_t>(MAX_COLUMNS), false);
};

class TableReader {
public:
    TableReader(std::string_view text, std::string_view delimiter)
        : m_text(text)
        , m_delimiter(delimiter)
        , m_decimalComma(delimiter == ";")
    {
    }

    TableProblem read(MemoryBudget& budget, DataMatrix& data);

private:
    TableProblem problemOf(RecordReader::Read read, std::size_t row, std::size_t column) const;
    TableProblem readNames(RecordReader& records, std::vector<std::string>& names);
    TableProblem findShape(RecordReader records, TableShape& shape);
    TableProblem fillRows(RecordReader records, const TableShape& shape, DataMatrix& data);
    float textCode(std::size_t column, const Field& field);
    float newTextCode(std::size_t column, const Field& field);
    void setLabels(const TableShape& shape, bool utf8, DataMatrix& data);

    std::string_view m_text;
    std::string_view m_delimiter;
    bool m_decimalComma;
    std::vector<Field> m_fields;
    std::vector<TextCodes> m_codes;
    std::vector<std::pair<std::string_view, float>> m_lastCodes;
};

TableProblem TableReader::problemOf(
    RecordReader::Read read, std::size_t row, std::size_t column) const
{
    if (read == RecordReader::Read::UnclosedQuote)
        return { ImportStatus::UnclosedQuote, static_cast<int32_t>(row),
            static_cast<int32_t>(column) };
    return { ImportStatus::TooManyFields, static_cast<int32_t>(row), 0 };
}

TableProblem TableReader::readNames(RecordReader& records, std::vector<std::string>& names)
{
    const RecordReader::Read read = records.next(m_fields, true);
    if (read == RecordReader::Read::UnclosedQuote || read == RecordReader::Read::TooManyFields)
        return problemOf(read, 0, m_fields.size() + 1);
    // Blanks inside a name's quotes are no part of it either.
    for (const Field& field : m_fields) {
        const std::string text = fieldText(field);
        const std::size_t first = text.find_first_not_of(" \t");
        names.push_back(first == std::string::npos
                ? std::string()
                : text.substr(first, text.find_last_not_of(" \t") - first + 1));
    }
    return {};
}

TableProblem TableReader::findShape(RecordReader records, TableShape& shape)
{
    for (;;) {
        const RecordReader::Read read = records.next(m_fields);
        if (read == RecordReader::Read::End)
            return {};
        if (read != RecordReader::Read::Record)
            return problemOf(read, shape.rows + 1, m_fields.size() + 1);
        if (++shape.rows > static_cast<std::size_t>(INT32_MAX))
            return { ImportStatus::TooLarge, 0, 0 };
        shape.width = std::max(shape.width, m_fields.size());
        for (std::size_t column = 0; column < m_fields.size(); ++column) {
            const Field& field = m_fields[column];
            if (!shape.isText[column] && !isMissingField(field)
                && !fieldNumber(field, m_decimalComma))
                shape.isText[column] = true;
        }
    }
}

// The code of a text field so far; 0 when the column already holds
// MAX_TEXTS other texts.
float TableReader::textCode(std::size_t column, const Field& field)
{
    // Rows of one group often follow each other: the text met last in the
    // column, in the file's own bytes, is looked up without hashing.
    auto& [lastText, lastCode] = m_lastCodes[column];
    if (!field.doubledQuotes && !lastText.empty() && field.text == lastText)
        return lastCode;
    const float code = newTextCode(column, field);
    if (!field.doubledQuotes && code != 0.0f) {
        lastText = field.text;
        lastCode = code;
    }
    return code;
}

float TableReader::newTextCode(std::size_t column, const Field& field)
{
    if (!field.doubledQuotes)
        return m_codes[column].code(field.text);
    return m_codes[column].code(fieldText(field));
}

TableProblem TableReader::fillRows(RecordReader records, const TableShape& shape, DataMatrix& data)
{
    m_codes.resize(shape.width);
    m_lastCodes.resize(shape.width);
    while (records.next(m_fields) == RecordReader::Read::Record) {
        data.beginRow();
        for (std::size_t column = 0; column < shape.width; ++column) {
            float value = MISSING_VALUE;
            if (column < m_fields.size() && !isMissingField(m_fields[column])) {
                const Field& field = m_fields[column];
                value = shape.isText[column] ? textCode(column, field)
                                             : *fieldNumber(field, m_decimalComma);
                if (value == 0.0f && shape.isText[column])
                    return { ImportStatus::TooManyTexts, 0, static_cast<int32_t>(column + 1) };
            }
            data.appendField(value);
        }
    }
    return {};
}

// Gives each text column its labels in byte order, and its cells their codes.
void TableReader::setLabels(const TableShape& shape, bool utf8, DataMatrix& data)
{
    for (std::size_t column = 0; column < shape.width; ++column) {
        if (!shape.isText[column])
            continue;
        std::vector<float> codeOf;
        std::vector<std::string> labels = m_codes[column].labels(utf8, codeOf);
        const auto col = static_cast<int32_t>(column + 1);
        data.changeColumn(col, [&codeOf](float value) {
            return value == MISSING_VALUE ? value : codeOf[static_cast<std::size_t>(value)];
        });
        data.setLabels(col, std::move(labels));
    }
}

TableProblem TableReader::read(MemoryBudget& budget, DataMatrix& data)
{
    RecordReader records(m_text, m_delimiter);
    std::vector<std::string> names;
    TableShape shape;
    TableProblem problem = readNames(records, names);
    if (problem.status == ImportStatus::Ok)
        problem = findShape(records, shape);
    if (problem.status != ImportStatus::Ok)
        return problem;
    shape.width = std::max(shape.width, names.size());
    if (!budget.replace(0, DataMatrix::bytesFor(shape.rows, shape.rows * shape.width)))
        return { ImportStatus::TooLarge, 0, 0 };
    data.reserve(shape.rows, shape.rows * shape.width);
    problem = fillRows(records, shape, data);
    if (problem.status != ImportStatus::Ok)
        return problem;

    bool utf8 = std::all_of(
        names.begin(), names.end(), [](const std::string& name) { return isUtf8(name); });
    for (const TextCodes& codes : m_codes)
        utf8 = utf8 && codes.allUtf8();
    for (std::string& name : names)
        name = columnName(name, utf8);
    data.setNames(std::move(names));
    setLabels(shape, utf8, data);
    return {};
}

} // namespace

TableProblem readLabelledTable(
    std::string_view text, std::string_view delimiter, MemoryBudget& budget, DataMatrix& data)
{
    // A delimiter holding a line end never occurs inside a line.
    if (delimiter.find_first_of("\r\n") != std::string_view::npos)
        delimiter = {};
    return TableReader(text, delimiter).read(budget, data);
}

bool isMissingLabelText(std::string_view text)
{
    return isMissingText(text) || text == "NA" || text == "NaN";
}
