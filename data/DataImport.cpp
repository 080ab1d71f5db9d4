// Import of a delimited text file, read once in chunks.
#include "data/DataImport.h"

#include "data/AvailableMemory.h"
#include "data/FieldParser.h"
#include "data/ImportBlocks.h"
#include "data/InputFile.h"
#include "data/LabelledImport.h"
#include "data/LayoutGuess.h"
#include "data/LineReader.h"
#include "data/MemoryBudget.h"
#include "data/Parallel.h"
#include "data/WholeFile.h"
#include "report/ReportText.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

// Rows and fields the matrix first has room for.
constexpr std::size_t FIRST_ROOM = 4096;

// The usual block: 2 MiB, so that a block shares out among threads well.
constexpr std::size_t USUAL_BLOCK_BYTES = std::size_t { 1 } << 21;
std::size_t blockBytes = USUAL_BLOCK_BYTES;

// The lines of a block cut into pieces of about `pieceBytes`, each ending just
// after a line end and never between a CR and its LF. The cuts depend on the
// bytes alone, never on the number of threads, so that every thread count
// meets the same pieces and makes the same decisions.
std::vector<std::string_view> cutIntoPieces(const char* p, const char* end, std::size_t pieceBytes)
{
    std::vector<std::string_view> pieces;
    while (p != end) {
        const char* cut = end;
        if (static_cast<std::size_t>(end - p) > pieceBytes) {
            cut = p + pieceBytes;
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
    // The matrix's room is taken from `budget`.
    RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, MemoryBudget& budget);

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
    std::string entry; // an invalid entry as written

private:
    void parsePieces(const std::vector<std::string_view>& pieces);
    bool join(std::size_t count, std::uintmax_t position);
    bool stop(ImportStatus problem, int32_t problemRow, int32_t problemColumn);
    bool growRoom(std::uintmax_t position, std::size_t moreRows, std::size_t moreFields);

    FieldParser m_parser;
    const ImportBlocks m_blocks = importBlocks();
    bool m_afterCr = false; // the last line ended at CR: an LF next belongs to it
    std::uintmax_t m_fileBytes;
    std::uintmax_t m_bytesSeen = 0;
    bool m_sampled = false; // past the start that tells the file's density
    // The rows of each piece of the block at hand, with their first problem;
    // kept from block to block for their room.
    std::vector<DataMatrix> m_pieceRows;
    std::vector<FieldParser::Problem> m_pieceProblems;
    // The matrix grows only through growRoom(), never by itself: these are
    // the rows and fields it was given room for.
    MemoryBudget& m_budget;
    std::size_t m_rowRoom = 0;
    std::size_t m_fieldRoom = 0;
};

RowBuilder::RowBuilder(std::string_view delimiter, std::uintmax_t fileBytes, MemoryBudget& budget)
    : m_parser(delimiter)
    , m_fileBytes(fileBytes)
    , m_budget(budget)
{
}

bool RowBuilder::addLines(const char* p, const char* end)
{
    const std::uintmax_t blockPosition = m_bytesSeen;
    m_bytesSeen += static_cast<std::uintmax_t>(end - p);
    if (!m_sampled && blockPosition >= m_blocks.sample()) {
        m_sampled = true;
        if (!growRoom(blockPosition, 0, 0))
            return false;
    }
    if (m_afterCr && p != end && *p == '\n')
        ++p;
    m_afterCr = p != end && end[-1] == '\r';

    const std::vector<std::string_view> pieces = cutIntoPieces(p, end, m_blocks.piece());
    parsePieces(pieces);
    // The pieces up to the first problem join the matrix together.
    std::size_t good = 0;
    std::int64_t lastRow = row;
    for (; good < pieces.size(); ++good) {
        lastRow += m_pieceRows[good].rowCount();
        if (m_pieceProblems[good].status != ImportStatus::Ok
            || lastRow > std::numeric_limits<int32_t>::max())
            break;
    }
    if (!join(good, blockPosition))
        return false;
    if (good == pieces.size())
        return true;
    if (lastRow > std::numeric_limits<int32_t>::max())
        return stop(ImportStatus::TooLarge, 0, 0);
    const FieldParser::Problem& problem = m_pieceProblems[good];
    entry = problem.entry;
    return stop(problem.status, row + problem.row, problem.column);
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
        FieldParser::Problem problem;
        try {
            const std::string_view lines = pieces[k];
            problem = m_parser.parse(lines.data(), lines.data() + lines.size(), rows);
        } catch (...) {
            problem = { ImportStatus::TooLarge, 0, 0, {} };
        }
        m_pieceRows[k] = std::move(rows);
        m_pieceProblems[k] = problem;
    }
}

// Adds the rows of the first `count` parsed pieces, which start at `position`
// of the file; false when the import must stop.
bool RowBuilder::join(std::size_t count, std::uintmax_t position)
{
    const std::span<const DataMatrix> pieces(m_pieceRows.data(), count);
    std::size_t moreRows = 0;
    std::size_t moreFields = 0;
    for (const DataMatrix& rows : pieces) {
        moreRows += static_cast<std::size_t>(rows.rowCount());
        moreFields += rows.fieldTotal();
    }
    const bool fits = static_cast<std::size_t>(row) + moreRows <= m_rowRoom
        && data.fieldTotal() + moreFields <= m_fieldRoom;
    if (!fits && !growRoom(position, moreRows, moreFields))
        return false;
    data.appendRows(pieces);
    row += static_cast<int32_t>(moreRows);
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

} // namespace

ImportResult importOutcome(const TableProblem& problem, DataMatrix data,
    const std::string& displayPath, const std::string& opening)
{
    const ImportStatus status = problem.status;
    const int32_t row = problem.row;
    const int32_t column = problem.column;
    switch (status) {
    case ImportStatus::InvalidEntry:
        return failure(status,
            "Row " + report::integerText(row) + " of Column " + report::integerText(column)
                + " has an invalid entry for analysis.",
            row, column);
    case ImportStatus::UnclosedQuote:
        if (row == 0)
            return failure(status, "The first line has an unclosed quotation mark.");
        return failure(status,
            "Row " + report::integerText(row) + " of Column " + report::integerText(column)
                + " has an unclosed quotation mark.",
            row, column);
    case ImportStatus::TooManyTexts:
        return failure(status,
            "Column " + report::integerText(column) + " has more than "
                + report::integerText(100000) + " different text values.",
            0, column);
    case ImportStatus::TooManyFields:
        if (row == 0)
            return failure(status,
                "The first line has more than " + report::integerText(MAX_COLUMNS)
                    + " variable names.");
        return failure(status,
            "Row " + report::integerText(row) + " has more than " + report::integerText(MAX_COLUMNS)
                + " variables.",
            row);
    case ImportStatus::TooManyVariables:
        return failure(status,
            "The file has more than " + report::integerText(MAX_COLUMNS) + " variables.");
    case ImportStatus::NoSuchSheet:
        return failure(status, "The workbook has no such sheet: " + displayPath);
    case ImportStatus::NoData:
        return failure(status, "The data file holds no data: " + displayPath);
    case ImportStatus::TooLarge:
        return tooLarge(displayPath);
    case ImportStatus::Unreadable:
        return unreadable(displayPath);
    case ImportStatus::Changed:
        return failure(status, "The file changed while it was read.");
    case ImportStatus::Ok:
        break;
    }
    ImportResult result;
    result.data = std::move(data);
    result.report = opening + report::lineEnds(1) + "Number of Cases: " + report::integerText(result.data.rowCount()) + report::lineEnds(1)
        + "Number of Variables: " + report::integerText(result.data.columnCount())
        + report::lineEnds(3);
    return result;
}

namespace {

// The warning or the report of a text file's import that ended with `status`.
ImportResult outcome(ImportStatus status, int32_t row, int32_t column, DataMatrix data,
    const std::string& displayPath)
{
    return importOutcome({ status, row, column }, std::move(data), displayPath,
        "Opened the text file: " + displayPath);
}

// The delimiter option's caption, as the main window shows it.
std::string delimiterCaption(const std::string& delimiter)
{
    if (delimiter == "\t")
        return "Tab Delimited";
    if (delimiter == ",")
        return "Comma Delimited";
    if (delimiter == ";")
        return "Semicolon Delimited";
    return "Space Delimited";
}

// Says what the invalid entry is and what most likely mends it: a delimiter
// when none was chosen, else the names of line 1, which make text columns
// group labels.
void addCure(ImportResult& result, const std::string& entry, const std::string& path,
    const std::string& delimiter)
{
    result.entry = report::printable(std::string(report::firstCharacters(entry, 64)));
    result.cure = "The entry reads \"" + result.entry + "\". ";
    if (delimiter.empty())
        result.cure += "The first line suggests \"" + delimiterCaption(guessDelimiter(path))
            + "\" as the type of delimiter.";
    else
        result.cure += "If line 1 holds names, check \"First line holds variable names\": "
                       "text columns are then read as group labels.";
}

// A file with names is read whole: a quoted field may run over line ends, so
// its lines cannot be shared out at line ends found by bytes alone.
ImportResult importLabelled(
    InputFile& in, const std::string& delimiter, const std::string& displayPath)
{
    MemoryBudget budget(availableMemoryBytes());
    ImportStatus status = ImportStatus::Ok;
    const FileBytes text = readWholeFile(in, budget, status);
    if (status != ImportStatus::Ok)
        return outcome(status, 0, 0, {}, displayPath);
    std::string_view lines(text.data(), text.size());
    if (lines.starts_with("\xEF\xBB\xBF"))
        lines.remove_prefix(3);
    DataMatrix data;
    const TableProblem problem = readLabelledTable(lines, delimiter, budget, data);
    return outcome(problem.status, problem.row, problem.column, std::move(data), displayPath);
}

} // namespace

ImportResult importDelimitedFile(const std::string& path, const std::string& delimiter,
    const std::string& givenDisplayPath, bool firstLineNames)
{
    // A file name may hold control characters; reports never pass them on.
    const std::string displayPath = report::printable(givenDisplayPath);
    try {
        InputFile in(path);
        if (!in.isOpen())
            return unreadable(displayPath);

        if (firstLineNames)
            return importLabelled(in, delimiter, displayPath);
        MemoryBudget budget(availableMemoryBytes());
        RowBuilder rows(delimiter, in.size(), budget);
        LineReader reader(budget);
        const ReadEnd end = reader.forEachBlock(
            in,
            [&rows](
                const char* begin, const char* blockEnd) { return rows.addLines(begin, blockEnd); },
            [&rows](
                char* begin, char* lineEnd) { return rows.checkUnfinishedLine(begin, lineEnd); });
        if (end == ReadEnd::ReadError)
            return unreadable(displayPath);
        if (end == ReadEnd::EndOfFile && reader.fileShrank())
            return failure(ImportStatus::Changed, "The file changed while it was read.");
        ImportResult result
            = outcome(rows.status, rows.row, rows.column, std::move(rows.data), displayPath);
        if (result.status == ImportStatus::InvalidEntry)
            addCure(result, rows.entry, path, delimiter);
        return result;
    } catch (const std::bad_alloc&) {
        return tooLarge(displayPath);
    } catch (const std::length_error&) {
        return tooLarge(displayPath);
    } catch (const std::exception&) {
        return unreadable(displayPath);
    }
}

ImportBlocks importBlocks()
{
    return ImportBlocks { blockBytes };
}

void setImportBlockBytes(std::size_t bytes)
{
    blockBytes = bytes == 0 ? USUAL_BLOCK_BYTES : std::max<std::size_t>(bytes, 256);
}
