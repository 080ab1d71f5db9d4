// Import of a delimited text file of numbers, read once in chunks.
#include "data/DataImport.h"

#include "data/AvailableMemory.h"
#include "data/InputFile.h"
#include "data/NumberText.h"
#include "data/Parallel.h"
#include "data/ReportText.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>


namespace {

// Bytes read from the file first; a longer line makes the buffer grow.
constexpr std::size_t CHUNK_BYTES = std::size_t { 1 } << 18;
// Bytes read at a time after the first chunk, once the file's density is known.
constexpr std::size_t BLOCK_BYTES = std::size_t { 1 } << 21;
// The pieces a block is cut into for parsing on several threads.
constexpr std::size_t PIECE_BYTES = std::size_t { 1 } << 17;
// After this much of the file its data set is estimated and room made for it.
constexpr std::size_t RESERVE_SAMPLE_BYTES = std::size_t { 1 } << 18;
// Rows and fields the matrix first has room for.
constexpr std::size_t FIRST_ROOM = 4096;
// A column name longer than this many characters is cut.
constexpr std::size_t MAX_NAME_CHARACTERS = 64;

// What the import may still allocate, taken from the memory the program may
// use when the import starts. Every buffer the import grows is checked here
// before it is allocated, so a file too large for the memory is refused
// instead of the program being stopped by the system.
class MemoryBudget {
public:
    explicit MemoryBudget(std::uint64_t bytes)
        : m_left(bytes)
    {
    }

    // Takes room for a block of `newBytes` that replaces one of `oldBytes`:
    // both are held while the old one is copied. False, and nothing taken,
    // when that does not fit.
    bool replace(std::uint64_t oldBytes, std::uint64_t newBytes)
    {
        if (newBytes > m_left)
            return false;
        m_left = m_left - newBytes + oldBytes;
        return true;
    }

private:
    std::uint64_t m_left;
};

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

// Reads a file once, in chunks, and hands out its complete lines a block at
// a time. Each block ends just after a CR or LF: a last line without a line
// end gets an LF, so every line in a block is closed by CR or LF. A UTF-8
// byte-order mark at the very start is skipped.
class LineReader {
public:
    // A longer buffer, for a line that does not fit, is taken from `budget`.
    explicit LineReader(MemoryBudget& budget)
        : m_budget(budget)
    {
    }

    // Calls onLines(begin, end) for each block until it returns false or the
    // file ends. A line too long for the buffer goes to onLongLine(begin,
    // end) before the buffer grows, unfinished; false stops there too.
    template <class OnLines, class OnLongLine>
    ReadEnd forEachBlock(InputFile& in, OnLines&& onLines, OnLongLine&& onLongLine);

private:
    void makeRoom();
    void widen();
    std::size_t afterLastLineEnd(std::size_t newDataStart) const;

    MemoryBudget& m_budget;
    // One byte more than the chunk, for the LF that closes a last line.
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(CHUNK_BYTES + 1);
    std::size_t m_capacity = CHUNK_BYTES;
    std::size_t m_filled = 0; // bytes read into the buffer
    std::size_t m_lineStart = 0; // first byte not yet handed out
};

template <class OnLines, class OnLongLine>
ReadEnd LineReader::forEachBlock(InputFile& in, OnLines&& onLines, OnLongLine&& onLongLine)
{
    for (bool firstChunk = true;; firstChunk = false) {
        if (!firstChunk)
            widen();
        if (m_lineStart == 0 && m_filled == m_capacity
            && !onLongLine(m_buffer.get(), m_buffer.get() + m_filled))
            return ReadEnd::Stopped;
        makeRoom();
        const std::size_t newDataStart = m_filled;
        const std::size_t wanted = m_capacity - m_filled;
        const std::ptrdiff_t got = in.read(m_buffer.get() + m_filled, wanted);
        if (got < 0)
            return ReadEnd::ReadError;
        m_filled += static_cast<std::size_t>(got);
        if (firstChunk && m_filled >= 3 && std::memcmp(m_buffer.get(), "\xEF\xBB\xBF", 3) == 0)
            m_lineStart = 3;

        const bool atEnd = static_cast<std::size_t>(got) < wanted;
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
        // Beyond the memory the import may use, the line is out of memory.
        if (m_capacity > std::numeric_limits<std::size_t>::max() / 4
            || !m_budget.replace(m_capacity + 1, m_capacity * 2 + 1))
            throw std::bad_alloc();
        auto larger = std::make_unique_for_overwrite<char[]>(m_capacity * 2 + 1);
        std::memcpy(larger.get(), m_buffer.get(), m_filled);
        m_buffer = std::move(larger);
        m_capacity *= 2;
    }
}

// After the first chunk the file is read in blocks large enough to share
// among threads. Without the memory for that the buffer stays as it is.
void LineReader::widen()
{
    if (m_capacity >= BLOCK_BYTES || !m_budget.replace(m_capacity + 1, BLOCK_BYTES + 1))
        return;
    auto larger = std::make_unique_for_overwrite<char[]>(BLOCK_BYTES + 1);
    std::memcpy(larger.get(), m_buffer.get() + m_lineStart, m_filled - m_lineStart);
    m_buffer = std::move(larger);
    m_capacity = BLOCK_BYTES;
    m_filled -= m_lineStart;
    m_lineStart = 0;
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

// Splits lines into fields and reads them as numbers, into a matrix of their
// own: every piece of a file is parsed alone, so pieces can be parsed on
// several threads at once.
class LineParser {
public:
    explicit LineParser(std::string_view delimiter);

    // The first problem of a piece: its kind, the piece's row (1-based) and
    // the column of an invalid entry.
    struct Problem {
        ImportStatus status = ImportStatus::Ok;
        int32_t row = 0;
        int32_t column = 0;
    };

    // Adds the lines of [p, end), each closed by CR or LF (an LF right after a
    // CR belongs to the CR's line), as rows of `rows`, up to the first problem.
    Problem parse(const char* p, const char* end, DataMatrix& rows) const;
    // Splits the line at p into column names; returns its CR or LF, or
    // nullptr when it holds more than MAX_COLUMNS fields. An empty line names
    // no column.
    const char* names(const char* p, const char* end, std::vector<std::string>& names) const;
    std::string_view delimiter() const { return m_delimiter; }

private:
    const char* addLine(const char* p, const char* end, DataMatrix& rows, Problem& problem) const;
    const char* addField(const char* p, const char* end, int32_t fieldColumn, DataMatrix& rows,
        Problem& problem) const;
    const char* addNumber(const char* p, const char* end, DataMatrix& rows) const;
    const char* fieldEnd(const char* p, const char* end) const;
    bool delimiterAt(const char* p, const char* end) const;

    std::string_view m_delimiter;
    // Blanks around a number are skipped unless the delimiter holds one.
    bool m_skipBlanks;
    // With a delimiter that cannot begin inside a number, a field can be read
    // as a number straight from the line and split afterwards.
    bool m_numbersFirst;
};

LineParser::LineParser(std::string_view delimiter)
    // A delimiter holding a line end never occurs inside a line.
    : m_delimiter(delimiter.find_first_of("\r\n") == std::string_view::npos ? delimiter : "")
    , m_skipBlanks(m_delimiter.find(' ') == std::string_view::npos)
    , m_numbersFirst(m_delimiter.empty()
          || std::string_view("0123456789+-.eE").find(m_delimiter.front())
              == std::string_view::npos)
{
}

LineParser::Problem LineParser::parse(const char* p, const char* end, DataMatrix& rows) const
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

const char* LineParser::names(
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
const char* LineParser::addLine(
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
const char* LineParser::addField(
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
const char* LineParser::addNumber(const char* p, const char* end, DataMatrix& rows) const
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

const char* LineParser::fieldEnd(const char* p, const char* end) const
{
    while (!isLineEnd(*p) && !delimiterAt(p, end))
        ++p;
    return p;
}

bool LineParser::delimiterAt(const char* p, const char* end) const
{
    if (m_delimiter.size() == 1)
        return *p == m_delimiter.front();
    return !m_delimiter.empty() && m_delimiter.size() <= static_cast<std::size_t>(end - p)
        && std::memcmp(p, m_delimiter.data(), m_delimiter.size()) == 0;
}

// The lines of a block cut into pieces of about PIECE_BYTES, each ending just
// after a line end and never between a CR and its LF. The cuts depend on the
// bytes alone, never on the number of threads, so that every thread count
// meets the same pieces and makes the same decisions.
std::vector<std::string_view> cutIntoPieces(const char* p, const char* end)
{
    std::vector<std::string_view> pieces;
    while (p != end) {
        const char* cut = end;
        if (static_cast<std::size_t>(end - p) > PIECE_BYTES) {
            cut = p + PIECE_BYTES;
            while (cut != end && !isLineEnd(cut[-1]))
                ++cut;
            if (cut != end && cut[-1] == '\r' && *cut == '\n')
                ++cut;
        }
        pieces.emplace_back(p, static_cast<std::size_t>(cut - p));
        p = cut;
    }
    return pieces;
}

// Turns blocks of lines into rows of the data matrix and notes the first
// problem met. The pieces of a block are parsed on the worker threads and
// joined in file order, so the matrix and the first problem are those of a
// reading from the first line to the last.
class RowBuilder {
public:
    // The matrix's room is taken from `budget`. With `firstLineNames` the
    // first line names the columns.
    RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, bool firstLineNames,
        MemoryBudget& budget);

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
    void parsePieces(const std::vector<std::string_view>& pieces);
    bool join(std::size_t piece, std::uintmax_t position);
    bool addNames(const char*& p, const char* end);
    bool stop(ImportStatus problem, int32_t problemRow, int32_t problemColumn);
    bool growRoom(std::uintmax_t position, std::size_t moreRows, std::size_t moreFields);

    LineParser m_parser;
    bool m_afterCr = false; // the last line ended at CR: an LF next belongs to it
    bool m_namesPending; // the next line holds the column names
    std::uintmax_t m_fileBytes;
    std::uintmax_t m_bytesSeen = 0;
    bool m_sampled = false; // past the start that tells the file's density
    // The rows of each piece of the block at hand, with their first problem;
    // kept from block to block for their room.
    std::vector<DataMatrix> m_pieceRows;
    std::vector<LineParser::Problem> m_pieceProblems;
    // The matrix grows only through growRoom(), never by itself: these are
    // the rows and fields it was given room for.
    MemoryBudget& m_budget;
    std::size_t m_rowRoom = 0;
    std::size_t m_fieldRoom = 0;
};

RowBuilder::RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, bool firstLineNames,
    MemoryBudget& budget)
    : m_parser(delimiter)
    , m_namesPending(firstLineNames)
    , m_fileBytes(fileBytes)
    , m_budget(budget)
{
}

bool RowBuilder::addLines(const char* p, const char* end)
{
    const std::uintmax_t blockPosition = m_bytesSeen;
    m_bytesSeen += static_cast<std::uintmax_t>(end - p);
    if (!m_sampled && blockPosition >= RESERVE_SAMPLE_BYTES) {
        m_sampled = true;
        if (!growRoom(blockPosition, 0, 0))
            return false;
    }
    if (m_afterCr && p != end && *p == '\n')
        ++p;
    m_afterCr = p != end && end[-1] == '\r';
    if (m_namesPending && p != end && !addNames(p, end))
        return false;

    const std::vector<std::string_view> pieces = cutIntoPieces(p, end);
    parsePieces(pieces);
    std::uintmax_t position = blockPosition;
    for (std::size_t piece = 0; piece < pieces.size(); ++piece) {
        if (!join(piece, position))
            return false;
        position += pieces[piece].size();
    }
    return true;
}

void RowBuilder::parsePieces(const std::vector<std::string_view>& pieces)
{
    if (m_pieceRows.size() < pieces.size()) {
        m_pieceRows.resize(pieces.size());
        m_pieceProblems.resize(pieces.size());
    }
    const auto count = static_cast<std::ptrdiff_t>(pieces.size());
    // A failed allocation may not leave the parallel region: a piece that
    // could not be parsed is marked, and the join then stops there.
#pragma omp parallel for schedule(dynamic, 1) num_threads(workerThreads()) if (count > 1)
    for (std::ptrdiff_t piece = 0; piece < count; ++piece) {
        const auto k = static_cast<std::size_t>(piece);
        // Each thread fills a matrix of its own, taken out of the shared list
        // with its room and put back when done: matrices side by side in the
        // list would share cache lines on every added value.
        DataMatrix rows = std::move(m_pieceRows[k]);
        rows.clear();
        LineParser::Problem problem;
        try {
            const std::string_view lines = pieces[k];
            problem = m_parser.parse(lines.data(), lines.data() + lines.size(), rows);
        } catch (...) {
            problem = { ImportStatus::TooLarge, 0, 0 };
        }
        m_pieceRows[k] = std::move(rows);
        m_pieceProblems[k] = problem;
    }
}

// Adds the rows of a parsed piece that starts at `position` of the file, or
// notes its problem; false when the import must stop.
bool RowBuilder::join(std::size_t piece, std::uintmax_t position)
{
    const DataMatrix& rows = m_pieceRows[piece];
    const LineParser::Problem& problem = m_pieceProblems[piece];
    const auto lastRow = static_cast<std::int64_t>(row) + rows.rowCount();
    if (lastRow > std::numeric_limits<int32_t>::max())
        return stop(ImportStatus::TooLarge, 0, 0);
    if (problem.status != ImportStatus::Ok)
        return stop(problem.status, row + problem.row, problem.column);
    const auto moreRows = static_cast<std::size_t>(rows.rowCount());
    const bool fits = static_cast<std::size_t>(row) + moreRows <= m_rowRoom
        && data.fieldTotal() + rows.fieldTotal() <= m_fieldRoom;
    if (!fits && !growRoom(position, moreRows, rows.fieldTotal()))
        return false;
    data.appendRows(rows);
    row = static_cast<int32_t>(lastRow);
    return true;
}

bool RowBuilder::checkUnfinishedLine(char* p, char* end)
{
    const std::string_view delimiter = m_parser.delimiter();
    if (delimiter.empty())
        return true;
    int32_t delimiters = 0;
    for (char* q = p; q < end;) {
        if (static_cast<std::size_t>(end - q) < delimiter.size()
            || std::memcmp(q, delimiter.data(), delimiter.size()) != 0) {
            ++q;
            continue;
        }
        q += delimiter.size();
        if (++delimiters == MAX_COLUMNS && q < end) {
            // End the line where its field 1001 begins: reading it stops at
            // that field, or at an invalid entry before it.
            *q = '\n';
            return addLines(p, q + 1);
        }
    }
    return true;
}

// Takes the first line, at p, as the column names and moves p past it;
// false when it names more columns than a row may have.
bool RowBuilder::addNames(const char*& p, const char* end)
{
    m_namesPending = false;
    std::vector<std::string> names;
    const char* lineEnd = m_parser.names(p, end, names);
    if (lineEnd == nullptr)
        return stop(ImportStatus::TooManyFields, 0, 0);
    data.setNames(std::move(names));
    p = lineEnd + 1;
    if (*lineEnd == '\r' && p != end && *p == '\n')
        ++p;
    return true;
}

bool RowBuilder::stop(ImportStatus problem, int32_t problemRow, int32_t problemColumn)
{
    status = problem;
    row = problemRow;
    column = problemColumn;
    return false;
}

// Makes room for the rows and fields of the whole file at the density of
// what was read up to `position`, with a little to spare, so that a long
// file is not copied each time the matrix fills; before that density is
// known the room doubles. A full room grows by at least a quarter. False,
// with TooLarge, when the room would not fit in the memory the import may
// use: the file is refused before its data set is built.
bool RowBuilder::growRoom(std::uintmax_t position, std::size_t moreRows, std::size_t moreFields)
{
    const bool estimated = m_sampled && position > 0 && m_fileBytes > position;
    const double scale = estimated
        ? static_cast<double>(m_fileBytes) / static_cast<double>(position) * 1.0625
        : 0.0;
    const auto roomFor = [&](std::size_t count, std::size_t needed, std::size_t room) {
        std::size_t wanted = 2 * room;
        if (estimated)
            wanted
                = static_cast<std::size_t>(std::min(static_cast<double>(count) * scale, 1e15)) + 16;
        if (needed > room)
            wanted = std::max(wanted, room + room / 4);
        return std::max({ wanted, needed, room, FIRST_ROOM });
    };
    const std::size_t rows = roomFor(
        static_cast<std::size_t>(row), static_cast<std::size_t>(row) + moreRows, m_rowRoom);
    const std::size_t fields
        = roomFor(data.fieldTotal(), data.fieldTotal() + moreFields, m_fieldRoom);
    if (rows == m_rowRoom && fields == m_fieldRoom)
        return true;
    if (!m_budget.replace(
            DataMatrix::bytesFor(m_rowRoom, m_fieldRoom), DataMatrix::bytesFor(rows, fields)))
        return stop(ImportStatus::TooLarge, 0, 0);
    data.reserve(rows, fields);
    m_rowRoom = rows;
    m_fieldRoom = fields;
    return true;
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
        InputFile in(path);
        if (!in.isOpen())
            return unreadable(displayPath);

        MemoryBudget budget(availableMemoryBytes());
        RowBuilder rows(delimiter, in.size(), firstLineNames, budget);
        LineReader reader(budget);
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
