// Splits the lines of a data file into fields and reads them as numbers.
#pragma once

#include "data/DataImport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits lines into fields and reads them as numbers, into a matrix of their
// own: every piece of a file is parsed alone, so pieces can be parsed on
// several threads at once.
class FieldParser {
public:
    explicit FieldParser(std::string_view delimiter);

    // The first problem of a piece: its kind, the piece's row (1-based) and
    // the column of an invalid entry.
    struct Problem {
        ImportStatus status = ImportStatus::Ok;
        int32_t row = 0;
        int32_t column = 0;
        std::string entry; // an invalid entry as written
    };

    // Adds the lines of [p, end), each closed by CR or LF (an LF right after a
    // CR belongs to the CR's line), as rows of `rows`, up to the first problem.
    Problem parse(const char* p, const char* end, DataMatrix& rows) const;
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
    // A semicolon file writes its numbers with a decimal comma.
    bool m_decimalComma;
};
