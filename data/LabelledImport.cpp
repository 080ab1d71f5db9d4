// Reading of a file whose first line holds the column names.
#include "data/LabelledImport.h"

#include "data/ImportBlocks.h"
#include "data/LargeBlockAllocator.h"
#include "data/LineReader.h"
#include "data/NumberText.h"
#include "data/Parallel.h"
#include "data/TextCodes.h"
#include "data/TextEncoding.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A field as written: without its quotes and its surrounding blanks.
struct Field {
    std::string_view text;
    bool doubledQuotes = false; // a quoted field with "" still to be read as "
    bool isNumber = false; // an unquoted number, read while the line was split
    float number = 0.0f;
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
        , m_numbersFirst(delimiterEndsNumbers(delimiter))
    {
    }

    // Reads the next record into `fields`; a blank line is skipped, unless
    // it is the first line, the names. On UnclosedQuote the field's column
    // is fields.size() + 1.
    Read next(std::vector<Field>& fields, bool firstLine = false)
    {
        fields.clear();
        if (!firstLine)
            skipBlankLines();
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

    void skipBlankLines()
    {
        while (m_p != m_end && isLineEnd(*m_p))
            skipLineEnd();
    }

    // Where the next record, or the blank lines before it, begins.
    const char* position() const { return m_p; }

private:
    bool isBlank(char c) const
    {
        // Most bytes are digits or letters: one comparison tells them apart.
        return c <= ' ' && ((c == ' ' && m_trimSpaces) || (c == '\t' && m_trimTabs));
    }

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
        if (m_numbersFirst && readNumber(start, field))
            return true;
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

    // The common field, a number with its blanks, read in one pass: true,
    // with the field read and m_p past it, when a number ends at the field's
    // end.
    bool readNumber(const char* start, Field& field)
    {
        float value = 0.0f;
        const char* end = scanNumber(start, m_end, value);
        if (end == nullptr)
            return false;
        const char* after = skipBlanks(end);
        if (!atFieldEnd(after))
            return false;
        field.text = std::string_view(start, static_cast<std::size_t>(end - start));
        field.isNumber = true;
        field.number = value;
        m_p = after;
        return true;
    }

    const char* m_p;
    const char* m_end;
    std::string_view m_delimiter;
    char m_oneByte; // the delimiter when it is one byte, else a line end
    bool m_trimSpaces; // blanks around a field are not part of it, unless
    bool m_trimTabs; // the delimiter is one
    // With a delimiter that cannot begin inside a number, a field is read as
    // a number first and its end found by that.
    bool m_numbersFirst;
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
    if (field.isNumber)
        return field.number;
    if (field.doubledQuotes)
        return std::nullopt;
    return parseNumber(field.text, decimalComma);
}

bool isMissingField(const Field& field)
{
    return !field.doubledQuotes && isMissingLabelText(field.text);
}

// A piece's fields, in large blocks: they are millions in a large file.
// Sized by estimates and freed while the import goes on: not kept for reuse.
using Values = std::vector<float, LargeBlockAllocator<float, false>>;

// Fields and rows a byte of the data lines.
struct Density {
    double fields = 0.0;
    double rows = 0.0;
};

// The density of the records in the first sample of `lines`, so that a
// piece takes room for its fields at once instead of growing into it.
Density densityOf(std::string_view lines, std::string_view delimiter)
{
    const char* const sampleEnd
        = lines.data() + std::min(lines.size(), importBlocks().sample());
    RecordReader records(lines, delimiter);
    std::vector<Field> fields;
    std::size_t fieldCount = 0;
    std::size_t rowCount = 0;
    while (records.position() < sampleEnd && records.next(fields) == RecordReader::Read::Record) {
        fieldCount += fields.size();
        ++rowCount;
    }
    const auto bytes = static_cast<double>(records.position() - lines.data());
    if (bytes == 0.0)
        return {};
    return { static_cast<double>(fieldCount) / bytes, static_cast<double>(rowCount) / bytes };
}

// Room in `values` for about `count` fields, taken from `budget`; without
// it, when the budget is short, the room grows as the fields come.
void reserveRoom(Values& values, double count, MemoryBudget& budget)
{
    const auto room = static_cast<std::size_t>(std::min(count * 1.0625, 1e15)) + 16;
    if (room > values.capacity()
        && budget.replace(values.capacity() * sizeof(float), room * sizeof(float)))
        values.reserve(room);
}

// Grows `values` by doubling, its room taken from `budget`; false when
// that room is not there.
bool makeRoom(Values& values, MemoryBudget& budget)
{
    if (values.size() < values.capacity())
        return true;
    const std::size_t room = std::max<std::size_t>(4096, 2 * values.capacity());
    if (!budget.replace(values.capacity() * sizeof(float), room * sizeof(float)))
        return false;
    values.reserve(room);
    return true;
}

// The records that begin in [begin, end) of the data lines, read on one
// thread: their fields as numbers, text fields as codes of the piece's own.
struct Piece {
    const char* begin = nullptr;
    const char* end = nullptr;
    const char* stop = nullptr; // where its last record ended
    Values values; // the rows' fields back to back
    std::vector<uint16_t> fieldCounts; // one a row
    std::vector<TextCodes> codes; // a column's texts, coded in the order met
    // Per column: a text was met, a number was stored, a text found no code.
    // (Bytes, not bits: they are read and set for every field.)
    std::vector<uint8_t> textColumns;
    std::vector<uint8_t> numberColumns;
    std::vector<uint8_t> tooManyTexts;
    std::size_t width = 0;
    TableProblem problem; // its row counted from the piece's first
};

Piece pieceOf(const char* begin, const char* end)
{
    Piece piece;
    piece.begin = begin;
    piece.end = end;
    return piece;
}

class PieceReader {
public:
    PieceReader(std::string_view delimiter, const char* fileEnd, MemoryBudget& budget)
        : m_delimiter(delimiter)
        , m_decimalComma(delimiter == ";")
        , m_fileEnd(fileEnd)
        , m_budget(budget)
    {
    }

    // Reads `piece` afresh. With `textColumns`, those columns hold labels
    // whatever their fields look like; without, a column holds labels from
    // its first text on.
    void read(Piece& piece, const std::vector<uint8_t>* textColumns) const;
    // The density the pieces take their room by.
    void setDensity(Density density) { m_density = density; }

private:
    bool addRow(Piece& piece, const std::vector<Field>& fields,
        const std::vector<uint8_t>* textColumns) const;

    std::string_view m_delimiter;
    bool m_decimalComma;
    const char* m_fileEnd;
    MemoryBudget& m_budget;
    Density m_density;
};

void PieceReader::read(Piece& piece, const std::vector<uint8_t>* textColumns) const
{
    const auto columns = static_cast<std::size_t>(MAX_COLUMNS);
    piece.values.clear();
    piece.fieldCounts.clear();
    piece.codes.assign(columns, TextCodes());
    piece.textColumns.assign(columns, 0);
    piece.numberColumns.assign(columns, 0);
    piece.tooManyTexts.assign(columns, 0);
    const auto bytes = static_cast<double>(piece.end - piece.begin);
    reserveRoom(piece.values, bytes * m_density.fields, m_budget);
    piece.fieldCounts.reserve(
        static_cast<std::size_t>(std::min(bytes * m_density.rows * 1.0625, 1e9)) + 16);
    piece.width = 0;
    piece.problem = {};
    RecordReader records(
        std::string_view(piece.begin, static_cast<std::size_t>(m_fileEnd - piece.begin)),
        m_delimiter);
    std::vector<Field> fields;
    for (;;) {
        piece.stop = records.position();
        records.skipBlankLines();
        if (records.position() >= piece.end)
            return;
        const RecordReader::Read read = records.next(fields);
        const auto row
            = static_cast<int32_t>(std::min<std::size_t>(piece.fieldCounts.size() + 1, INT32_MAX));
        if (read == RecordReader::Read::UnclosedQuote) {
            piece.problem
                = { ImportStatus::UnclosedQuote, row, static_cast<int32_t>(fields.size() + 1) };
            return;
        }
        if (read == RecordReader::Read::TooManyFields) {
            piece.problem = { ImportStatus::TooManyFields, row, 0 };
            return;
        }
        if (!addRow(piece, fields, textColumns)) {
            piece.problem = { ImportStatus::TooLarge, 0, 0 };
            return;
        }
    }
}

bool PieceReader::addRow(
    Piece& piece, const std::vector<Field>& fields, const std::vector<uint8_t>* textColumns) const
{
    piece.fieldCounts.push_back(static_cast<uint16_t>(fields.size()));
    piece.width = std::max(piece.width, fields.size());
    for (std::size_t column = 0; column < fields.size(); ++column) {
        if (!makeRoom(piece.values, m_budget))
            return false;
        const Field& field = fields[column];
        float value = MISSING_VALUE;
        const bool text = textColumns ? (*textColumns)[column] : piece.textColumns[column];
        if (!text && field.isNumber) {
            piece.numberColumns[column] = 1;
            value = field.number;
        } else if (!isMissingField(field)) {
            std::optional<float> number;
            if (!text && (number = fieldNumber(field, m_decimalComma))) {
                piece.numberColumns[column] = 1;
                value = *number;
            } else {
                piece.textColumns[column] = 1;
                TextCodes& codes = piece.codes[column];
                const float code
                    = field.doubledQuotes ? codes.code(fieldText(field)) : codes.code(field.text);
                if (code == 0.0f)
                    piece.tooManyTexts[column] = 1;
                else
                    value = code;
            }
        }
        piece.values.push_back(value);
    }
    return true;
}

// Where to cut the data lines into pieces: after a line end, one piece per
// import piece or so, at least one piece, at most eight a thread. A cut may fall inside a quoted
// field; the reading then finds that the pieces do not join.
std::vector<Piece> cutIntoPieces(std::string_view lines)
{
    const std::size_t count = std::clamp<std::size_t>(
        lines.size() / importBlocks().piece(), 1, static_cast<std::size_t>(workerThreads()) * 8);
    std::vector<Piece> pieces;
    const char* begin = lines.data();
    const char* const end = lines.data() + lines.size();
    for (std::size_t k = 1; k <= count; ++k) {
        const char* cut = end;
        if (k < count) {
            cut = lines.data() + lines.size() / count * k;
            cut = std::max(cut, begin);
            const auto* newline = static_cast<const char*>(
                std::memchr(cut, '\n', static_cast<std::size_t>(end - cut)));
            cut = newline ? newline + 1 : end;
        }
        if (cut > begin || pieces.empty())
            pieces.push_back(pieceOf(begin, cut));
        begin = cut;
    }
    return pieces;
}

// True when the records of `before` end where those of `after` begin, with
// only blank lines between: the cut fell between two records.
bool joins(const Piece& before, const Piece& after)
{
    return before.stop <= after.begin
        && std::all_of(before.stop, after.begin, [](char c) { return isLineEnd(c); });
}

// Reads the pieces in parallel. An exception inside the parallel region may
// not leave it: a piece that fails is marked as too large.
void readPieces(const PieceReader& reader, std::vector<Piece>& pieces,
    const std::vector<uint8_t>* textColumns, const std::vector<uint8_t>& chosen)
{
    const auto count = static_cast<std::ptrdiff_t>(pieces.size());
#pragma omp parallel for schedule(dynamic, 1) num_threads(workerThreads()) if (count > 1)
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        Piece& piece = pieces[static_cast<std::size_t>(k)];
        if (!chosen[static_cast<std::size_t>(k)])
            continue;
        try {
            reader.read(piece, textColumns);
        } catch (...) {
            piece.values = {};
            piece.problem = { ImportStatus::TooLarge, 0, 0 };
        }
    }
}

class TableReader {
public:
    TableReader(std::string_view text, std::string_view delimiter, MemoryBudget& budget)
        : m_text(text)
        , m_delimiter(delimiter)
        , m_budget(budget)
        , m_reader(delimiter, text.data() + text.size(), budget)
    {
    }

    TableProblem read(DataMatrix& data);

private:
    TableProblem readNames(RecordReader& records, std::vector<std::string>& names);
    TableProblem readRows(std::string_view lines);
    TableProblem firstProblem() const;
    bool utf8(const std::vector<std::string>& names) const;
    TableProblem codeLabels(bool utf8, DataMatrix& data);
    TableProblem fill(std::size_t width, DataMatrix& data);

    std::string_view m_text;
    std::string_view m_delimiter;
    MemoryBudget& m_budget;
    PieceReader m_reader;
    std::vector<Piece> m_pieces;
    std::vector<uint8_t> m_textColumns
        = std::vector<uint8_t>(static_cast<std::size_t>(MAX_COLUMNS));
    // Per piece and text column, the final code of each of the piece's own.
    std::vector<std::vector<std::vector<float>>> m_finalCodes;
};

TableProblem TableReader::readNames(RecordReader& records, std::vector<std::string>& names)
{
    std::vector<Field> fields;
    const RecordReader::Read read = records.next(fields, true);
    if (read == RecordReader::Read::UnclosedQuote)
        return { ImportStatus::UnclosedQuote, 0, static_cast<int32_t>(fields.size() + 1) };
    if (read == RecordReader::Read::TooManyFields)
        return { ImportStatus::TooManyFields, 0, 0 };
    // Blanks inside a name's quotes are no part of it either.
    for (const Field& field : fields) {
        const std::string text = fieldText(field);
        const std::size_t first = text.find_first_not_of(" \t");
        names.push_back(first == std::string::npos
                ? std::string()
                : text.substr(first, text.find_last_not_of(" \t") - first + 1));
    }
    return {};
}

// Reads the data lines in pieces side by side. When a cut fell inside a
// quoted field, the lines are read again as one piece. A piece that stored
// numbers in a column that turns out to hold texts elsewhere is read again
// with every text column known.
TableProblem TableReader::readRows(std::string_view lines)
{
    m_reader.setDensity(densityOf(lines, m_delimiter));
    m_pieces = cutIntoPieces(lines);
    readPieces(m_reader, m_pieces, nullptr, std::vector<uint8_t>(m_pieces.size(), 1));
    for (std::size_t k = 1; k < m_pieces.size(); ++k) {
        if (m_pieces[k - 1].problem.status != ImportStatus::Ok)
            break;
        if (!joins(m_pieces[k - 1], m_pieces[k])) {
            m_pieces.assign(1, pieceOf(lines.data(), lines.data() + lines.size()));
            readPieces(m_reader, m_pieces, nullptr, { 1 });
            break;
        }
    }
    if (const TableProblem problem = firstProblem(); problem.status != ImportStatus::Ok)
        return problem;

    for (const Piece& piece : m_pieces) {
        for (std::size_t column = 0; column < piece.width; ++column)
            m_textColumns[column] |= piece.textColumns[column];
    }
    std::vector<uint8_t> again(m_pieces.size(), 0);
    bool anyAgain = false;
    for (std::size_t k = 0; k < m_pieces.size(); ++k) {
        for (std::size_t column = 0; column < m_pieces[k].width; ++column)
            again[k] |= m_pieces[k].numberColumns[column] & m_textColumns[column];
        anyAgain = anyAgain || again[k];
    }
    if (anyAgain)
        readPieces(m_reader, m_pieces, &m_textColumns, again);
    return firstProblem();
}

// The first problem in the file's order, its row counted from the first data line.
TableProblem TableReader::firstProblem() const
{
    std::size_t rowsBefore = 0;
    for (const Piece& piece : m_pieces) {
        if (piece.problem.status != ImportStatus::Ok) {
            TableProblem problem = piece.problem;
            if (problem.row > 0)
                problem.row = static_cast<int32_t>(std::min<std::size_t>(
                    rowsBefore + static_cast<std::size_t>(problem.row), INT32_MAX));
            return problem;
        }
        rowsBefore += piece.fieldCounts.size();
    }
    if (rowsBefore > static_cast<std::size_t>(INT32_MAX))
        return { ImportStatus::TooLarge, 0, 0 };
    return {};
}

bool TableReader::utf8(const std::vector<std::string>& names) const
{
    bool utf8 = std::all_of(
        names.begin(), names.end(), [](const std::string& name) { return isUtf8(name); });
    for (const Piece& piece : m_pieces) {
        for (const TextCodes& codes : piece.codes)
            utf8 = utf8 && codes.allUtf8();
    }
    return utf8;
}

// Gives each text column its labels in byte order, and each piece's codes
// their final values; the column's texts of every piece are counted together.
TableProblem TableReader::codeLabels(bool utf8, DataMatrix& data)
{
    m_finalCodes.assign(m_pieces.size(), std::vector<std::vector<float>>(m_textColumns.size()));
    std::vector<std::vector<float>> toFirst(m_pieces.size());
    for (std::size_t column = 0; column < m_textColumns.size(); ++column) {
        if (!m_textColumns[column])
            continue;
        const TableProblem tooMany { ImportStatus::TooManyTexts, 0,
            static_cast<int32_t>(column + 1) };
        // The first piece's codes take in every other piece's.
        TextCodes& all = m_pieces.front().codes[column];
        for (std::size_t k = 0; k < m_pieces.size(); ++k) {
            if (m_pieces[k].tooManyTexts[column])
                return tooMany;
            if (k > 0 && !all.merge(m_pieces[k].codes[column], toFirst[k]))
                return tooMany;
            if (k > 0)
                m_pieces[k].codes[column] = TextCodes();
        }
        std::vector<float> finalCode;
        data.setLabels(static_cast<int32_t>(column + 1), all.labels(utf8, finalCode));
        m_finalCodes.front()[column] = finalCode;
        for (std::size_t k = 1; k < m_pieces.size(); ++k) {
            std::vector<float>& pieceCode = m_finalCodes[k][column];
            pieceCode.resize(toFirst[k].size());
            for (std::size_t code = 1; code < toFirst[k].size(); ++code)
                pieceCode[code] = finalCode[static_cast<std::size_t>(toFirst[k][code])];
        }
    }
    return {};
}

// Builds the data set from the pieces, every row as wide as the widest. The
// pieces write their rows side by side, each where its first row belongs,
// and each is freed once its rows are in.
TableProblem TableReader::fill(std::size_t width, DataMatrix& data)
{
    std::vector<std::size_t> firstRow(m_pieces.size() + 1, 0);
    for (std::size_t k = 0; k < m_pieces.size(); ++k)
        firstRow[k + 1] = firstRow[k] + m_pieces[k].fieldCounts.size();
    const std::size_t rows = firstRow.back();
    if (!m_budget.replace(0, DataMatrix::bytesFor(rows, rows * width)))
        return { ImportStatus::TooLarge, 0, 0 };
    // Per piece and column, the final code of each of the piece's own; none
    // for a column of numbers.
    std::vector<const float*> finalCodes(m_pieces.size() * width, nullptr);
    for (std::size_t piece = 0; piece < m_pieces.size(); ++piece) {
        for (std::size_t column = 0; column < width; ++column) {
            if (m_textColumns[column])
                finalCodes[piece * width + column] = m_finalCodes[piece][column].data();
        }
    }
    float* const values = data.setRectangular(rows, width);
    const auto count = static_cast<std::ptrdiff_t>(m_pieces.size());
#pragma omp parallel for schedule(dynamic, 1) num_threads(workerThreads()) if (count > 1)
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        const auto piece = static_cast<std::size_t>(k);
        const float* const* finalCode = finalCodes.data() + piece * width;
        const float* value = m_pieces[piece].values.data();
        float* row = values + firstRow[piece] * width;
        for (const uint16_t fieldCount : m_pieces[piece].fieldCounts) {
            for (std::size_t column = 0; column < fieldCount; ++column) {
                const float v = *value++;
                row[column] = finalCode[column] && v != MISSING_VALUE
                    ? finalCode[column][static_cast<std::size_t>(v)]
                    : v;
            }
            std::fill(row + fieldCount, row + width, MISSING_VALUE);
            row += width;
        }
        m_budget.replace(m_pieces[piece].values.capacity() * sizeof(float), 0);
        m_pieces[piece] = Piece();
    }
    return {};
}

TableProblem TableReader::read(DataMatrix& data)
{
    RecordReader records(m_text, m_delimiter);
    std::vector<std::string> names;
    TableProblem problem = readNames(records, names);
    if (problem.status != ImportStatus::Ok)
        return problem;
    const auto dataStart = static_cast<std::size_t>(records.position() - m_text.data());
    problem = readRows(m_text.substr(dataStart));
    if (problem.status != ImportStatus::Ok)
        return problem;
    std::size_t width = names.size();
    for (const Piece& piece : m_pieces)
        width = std::max(width, piece.width);

    DataMatrix built;
    const bool utf8Texts = utf8(names);
    problem = codeLabels(utf8Texts, built);
    if (problem.status == ImportStatus::Ok)
        problem = fill(width, built);
    if (problem.status != ImportStatus::Ok)
        return problem;
    for (std::string& name : names)
        name = columnName(name, utf8Texts);
    built.setNames(std::move(names));
    data = std::move(built);
    return {};
}

} // namespace

TableProblem readLabelledTable(
    std::string_view text, std::string_view delimiter, MemoryBudget& budget, DataMatrix& data)
{
    // A delimiter holding a line end never occurs inside a line.
    if (delimiter.find_first_of("\r\n") != std::string_view::npos)
        delimiter = {};
    return TableReader(text, delimiter, budget).read(data);
}

bool isMissingLabelText(std::string_view text)
{
    return isMissingText(text) || text == "NA" || text == "NaN";
}
