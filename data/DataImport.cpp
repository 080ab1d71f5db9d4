// Import of a delimited text file of numbers, read once in chunks.
#include "data/DataImport.h"

#include "data/NumberText.h"
#include "data/ReportText.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

// Bytes read from the file at a time; a longer line makes the buffer grow.
constexpr std::size_t CHUNK_BYTES = std::size_t { 1 } << 18;
// After this much of the file the matrix reserves room for the whole file.
constexpr std::size_t RESERVE_SAMPLE_BYTES = std::size_t { 1 } << 18;
// A column name longer than this many characters is cut.
constexpr std::size_t MAX_NAME_CHARACTERS = 64;

// The program hands paths around as UTF-8; Windows needs them widened.
std::filesystem::path pathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

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

enum class ReadEnd { EndOfFile, Stopped, ReadError };

// Reads a stream once, in chunks, and hands out its complete lines a block at
// a time. Each block ends just after a CR or LF: a last line without a line
// end gets an LF, so every line in a block is closed by CR or LF. A UTF-8
// byte-order mark at the very start is skipped.
class LineReader {
public:
    // Calls onLines(begin, end) for each block until it returns false or the
    // stream ends. A line too long for the buffer goes to onLongLine(begin,
    // end) before the buffer grows, unfinished; false stops there too.
    template <class OnLines, class OnLongLine>
    ReadEnd forEachBlock(std::istream& in, OnLines&& onLines, OnLongLine&& onLongLine);

private:
    void makeRoom();
    std::size_t afterLastLineEnd(std::size_t newDataStart) const;

    // One byte more than the chunk, for the LF that closes a last line.
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(CHUNK_BYTES + 1);
    std::size_t m_capacity = CHUNK_BYTES;
    std::size_t m_filled = 0; // bytes read into the buffer
    std::size_t m_lineStart = 0; // first byte not yet handed out
};

template <class OnLines, class OnLongLine>
ReadEnd LineReader::forEachBlock(std::istream& in, OnLines&& onLines, OnLongLine&& onLongLine)
{
    for (bool firstChunk = true;; firstChunk = false) {
        if (m_lineStart == 0 && m_filled == m_capacity
            && !onLongLine(m_buffer.get(), m_buffer.get() + m_filled))
            return ReadEnd::Stopped;
        makeRoom();
        const std::size_t newDataStart = m_filled;
        in.read(m_buffer.get() + m_filled, static_cast<std::streamsize>(m_capacity - m_filled));
        if (in.bad())
            return ReadEnd::ReadError;
        m_filled += static_cast<std::size_t>(in.gcount());
        if (firstChunk && m_filled >= 3 && std::memcmp(m_buffer.get(), "\xEF\xBB\xBF", 3) == 0)
            m_lineStart = 3;

        const bool atEnd = in.eof();
        if (atEnd && m_filled > m_lineStart && !isLineEnd(m_buffer[m_filled - 1]))
            m_buffer[m_filled++] = '\n';
        const std::size_t blockEnd = atEnd ? m_filled : afterLastLineEnd(newDataStart);
        if (blockEnd > m_lineStart
            && !onLines(m_buffer.get() + m_lineStart, m_buffer.get() + blockEnd))
            return ReadEnd::Stopped;
        m_lineStart = blockEnd;
        if (atEnd)
            return ReadEnd::EndOfFile;
    }
}

// Moves the unfinished line to the front of the buffer, or doubles the buffer
// when that line fills it.
void LineReader::makeRoom()
{
    if (m_lineStart > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_lineStart, m_filled - m_lineStart);
        m_filled -= m_lineStart;
        m_lineStart = 0;
    } else if (m_filled == m_capacity) {
        if (m_capacity > std::numeric_limits<std::size_t>::max() / 4)
            throw std::bad_alloc();
        auto larger = std::make_unique_for_overwrite<char[]>(m_capacity * 2 + 1);
        std::memcpy(larger.get(), m_buffer.get(), m_filled);
        m_buffer = std::move(larger);
        m_capacity *= 2;
    }
}

// One past the last CR or LF; the unfinished line before the new data has
// none, so only the new data is searched and every byte is looked at once.
std::size_t LineReader::afterLastLineEnd(std::size_t newDataStart) const
{
    const std::size_t stop = std::max(newDataStart, m_lineStart);
    for (std::size_t i = m_filled; i > stop; --i) {
        if (isLineEnd(m_buffer[i - 1]))
            return i;
    }
    return m_lineStart;
}

// Turns lines into rows of the data matrix and notes the first problem met.
class RowBuilder {
public:
    RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, bool firstLineNames);

    // Adds the lines of a block, each closed by CR or LF; false when the
    // import must stop.
    bool addLines(const char* p, const char* end);
    // Looks at a line that is not finished yet: once it holds more fields
    // than a row may have, its first problem is known without the rest of it,
    // so a line without end cannot fill the memory. False when the import
    // must stop.
    bool checkUnfinishedLine(char* p, char* end);

    DataMatrix data;
    ImportStatus status = ImportStatus::Ok;
    int32_t row = 0;
    int32_t column = 0;

private:
    const char* addLine(const char* p, const char* end);
    const char* addNames(const char* p, const char* end);
    const char* addField(const char* p, const char* end, int32_t fieldColumn);
    const char* addNumber(const char* p, const char* end);
    const char* fieldEnd(const char* p, const char* end) const;
    bool delimiterAt(const char* p, const char* end) const;
    const char* stop(ImportStatus problem, int32_t problemColumn);
    void reserveForWholeFile();

    std::string_view m_delimiter;
    // Blanks around a number are skipped unless the delimiter holds one.
    bool m_skipBlanks;
    // With a delimiter that cannot begin inside a number, a field can be read
    // as a number straight from the line and split afterwards.
    bool m_numbersFirst;
    bool m_afterCr = false; // the last line ended at CR: an LF next belongs to it
    bool m_namesPending; // the next line holds the column names
    std::uintmax_t m_fileBytes;
    std::uintmax_t m_bytesSeen = 0;
    bool m_reserved = false;
};

RowBuilder::RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, bool firstLineNames)
    // A delimiter holding a line end never occurs inside a line.
    : m_delimiter(delimiter.find_first_of("\r\n") == std::string_view::npos ? delimiter : "")
    , m_skipBlanks(m_delimiter.find(' ') == std::string_view::npos)
    , m_numbersFirst(m_delimiter.empty()
          || std::string_view("0123456789+-.eE").find(m_delimiter.front())
              == std::string_view::npos)
    , m_namesPending(firstLineNames)
    , m_fileBytes(fileBytes)
{
}

bool RowBuilder::addLines(const char* p, const char* end)
{
    if (!m_reserved && m_bytesSeen >= RESERVE_SAMPLE_BYTES)
        reserveForWholeFile();
    m_bytesSeen += static_cast<std::uintmax_t>(end - p);

    while (p != end) {
        if (m_afterCr) {
            m_afterCr = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        const char* lineEnd = m_namesPending ? addNames(p, end) : addLine(p, end);
        if (lineEnd == nullptr)
            return false;
        m_afterCr = *lineEnd == '\r';
        p = lineEnd + 1;
    }
    return true;
}

bool RowBuilder::checkUnfinishedLine(char* p, char* end)
{
    if (m_delimiter.empty())
        return true;
    int32_t delimiters = 0;
    for (char* q = p; q < end;) {
        if (!delimiterAt(q, end)) {
            ++q;
            continue;
        }
        q += m_delimiter.size();
        if (++delimiters == MAX_COLUMNS && q < end) {
            // End the line where its field 1001 begins: reading it stops at
            // that field, or at an invalid entry before it.
            *q = '\n';
            return addLines(p, q + 1);
        }
    }
    return true;
}

// Adds the line at p as the next row; returns its CR or LF, or nullptr when
// the import must stop.
const char* RowBuilder::addLine(const char* p, const char* end)
{
    if (row == std::numeric_limits<int32_t>::max())
        return stop(ImportStatus::TooLarge, 0);
    ++row;
    data.beginRow();
    if (isLineEnd(*p))
        return p; // an empty line: a case without fields
    for (int32_t fieldColumn = 1;; ++fieldColumn) {
        if (fieldColumn > MAX_COLUMNS)
            return stop(ImportStatus::TooManyFields, 0);
        p = addField(p, end, fieldColumn);
        if (p == nullptr || isLineEnd(*p))
            return p;
        p += m_delimiter.size();
    }
}

// Takes the line at p as the column names; returns its CR or LF, or nullptr
// when it has more fields than a row may have.
const char* RowBuilder::addNames(const char* p, const char* end)
{
    m_namesPending = false;
    if (isLineEnd(*p))
        return p; // an empty line names no column
    std::vector<std::string> names;
    for (;;) {
        if (names.size() == MAX_COLUMNS)
            return stop(ImportStatus::TooManyFields, 0);
        const char* after = fieldEnd(p, end);
        names.push_back(columnName(std::string_view(p, static_cast<std::size_t>(after - p))));
        if (isLineEnd(*after)) {
            data.setNames(std::move(names));
            return after;
        }
        p = after + m_delimiter.size();
    }
}

// Adds the field at p; returns the delimiter or line end after it, or nullptr
// for an invalid entry.
const char* RowBuilder::addField(const char* p, const char* end, int32_t fieldColumn)
{
    if (m_numbersFirst) {
        if (const char* after = addNumber(p, end))
            return after;
    }
    const char* after = fieldEnd(p, end);
    const std::string_view field(p, static_cast<std::size_t>(after - p));
    float value = MISSING_VALUE;
    if (!isMissingText(field)) {
        const std::optional<float> number = parseNumber(field);
        if (!number)
            return stop(ImportStatus::InvalidEntry, fieldColumn);
        value = *number;
    }
    data.appendField(value);
    return after;
}

// The common field: a number with its blanks, then a delimiter or line end.
// Adds it and returns where it ends, or returns nullptr and adds nothing.
const char* RowBuilder::addNumber(const char* p, const char* end)
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
    data.appendField(value);
    return p;
}

const char* RowBuilder::fieldEnd(const char* p, const char* end) const
{
    while (!isLineEnd(*p) && !delimiterAt(p, end))
        ++p;
    return p;
}

bool RowBuilder::delimiterAt(const char* p, const char* end) const
{
    if (m_delimiter.size() == 1)
        return *p == m_delimiter.front();
    return !m_delimiter.empty() && m_delimiter.size() <= static_cast<std::size_t>(end - p)
        && std::memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0;
}

const char* RowBuilder::stop(ImportStatus problem, int32_t problemColumn)
{
    status = problem;
    column = problemColumn;
    return nullptr;
}

// Reserves for the whole file at the density of its start, with a little to
// spare, so that a long file is not copied each time the matrix doubles.
// Only a hint: without the room the matrix simply grows as it fills.
void RowBuilder::reserveForWholeFile()
{
    m_reserved = true;
    if (m_fileBytes <= m_bytesSeen)
        return;
    const double scale
        = static_cast<double>(m_fileBytes) / static_cast<double>(m_bytesSeen) * 1.0625;
    const auto estimate = [scale](std::size_t count) {
        return static_cast<std::size_t>(std::min(static_cast<double>(count) * scale, 1e15)) + 16;
    };
    try {
        data.reserve(estimate(static_cast<std::size_t>(row)), estimate(data.fieldTotal()));
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

ImportResult failure(ImportStatus status, std::string message, int32_t row = 0, int32_t column = 0)
{
    ImportResult result;
    result.status = status;
    result.row = row;
    result.column = column;
    result.message = std::move(message);
    return result;
}

ImportResult unreadable(const std::string& displayPath)
{
    return failure(ImportStatus::Unreadable, "The file could not be read: " + displayPath);
}

ImportResult tooLarge(const std::string& displayPath)
{
    return failure(ImportStatus::TooLarge, "The file is too large to import: " + displayPath);
}

ImportResult outcome(RowBuilder& rows, const std::string& displayPath)
{
    switch (rows.status) {
    case ImportStatus::InvalidEntry:
        return failure(rows.status,
            "Row " + report::integerText(rows.row) + " of Column "
                + report::integerText(rows.column) + " has an invalid entry for analysis.",
            rows.row, rows.column);
    case ImportStatus::TooManyFields:
        if (rows.row == 0)
            return failure(rows.status,
                "The first line has more than " + report::integerText(MAX_COLUMNS)
                    + " variable names.");
        return failure(rows.status,
            "Row " + report::integerText(rows.row) + " has more than "
                + report::integerText(MAX_COLUMNS) + " variables.",
            rows.row);
    case ImportStatus::TooLarge:
        return tooLarge(displayPath);
    case ImportStatus::Unreadable:
        return unreadable(displayPath);
    case ImportStatus::Ok:
        break;
    }
    ImportResult result;
    result.data = std::move(rows.data);
    result.report = "Opened the text file: " + displayPath + report::lineEnds(1)
        + "Number of Cases: " + report::integerText(result.data.rowCount()) + report::lineEnds(1)
        + "Number of Variables: " + report::integerText(result.data.columnCount())
        + report::lineEnds(3);
    return result;
}

} // namespace

ImportResult importDelimitedFile(const std::string& path, const std::string& delimiter,
    const std::string& displayPath, bool firstLineNames)
{
    try {
        const std::filesystem::path filePath = pathFromUtf8(path);
        // Only a regular file has an end: a pipe would wait for a writer and
        // a device could stream without end.
        std::error_code typeUnknown;
        if (!std::filesystem::is_regular_file(filePath, typeUnknown))
            return unreadable(displayPath);
        std::ifstream in(filePath, std::ios::binary);
        if (!in)
            return unreadable(displayPath);
        std::error_code sizeUnknown;
        std::uintmax_t fileBytes = std::filesystem::file_size(filePath, sizeUnknown);
        if (sizeUnknown)
            fileBytes = 0;

        RowBuilder rows(delimiter, fileBytes, firstLineNames);
        LineReader reader;
        const ReadEnd end = reader.forEachBlock(
            in,
            [&rows](
                const char* begin, const char* blockEnd) { return rows.addLines(begin, blockEnd); },
            [&rows](
                char* begin, char* lineEnd) { return rows.checkUnfinishedLine(begin, lineEnd); });
        if (end == ReadEnd::ReadError)
            return unreadable(displayPath);
        return outcome(rows, displayPath);
    } catch (const std::bad_alloc&) {
        return tooLarge(displayPath);
    } catch (const std::length_error&) {
        return tooLarge(displayPath);
    } catch (const std::exception&) {
        return unreadable(displayPath);
    }
}
