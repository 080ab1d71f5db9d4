// The data set of a workbook sheet or a statistics file, built from its
// cells as the file's library hands them over.
#pragma once

#include "data/DataImport.h"
#include "data/LabelledImport.h"
#include "data/MemoryBudget.h"
#include "data/TextCodes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Cells arrive in any order, each at a 0-based row and column: numbers,
// texts and missing entries. A text is read by the rule of files with names:
// an empty text, ".", "NA" and "NaN" are missing, a number written as text
// is that number, and a column with any other text holds group labels (its
// numbers become labels too, written in their shortest form). The rows and
// columns after the last cell are no data. Every store is taken from the
// memory budget first.
class TableBuilder {
public:
    explicit TableBuilder(MemoryBudget& budget);

    // Each adds a cell; false when the import must stop (problem() says why).
    bool number(std::size_t row, std::size_t column, double value);
    bool text(std::size_t row, std::size_t column, std::string_view text);
    bool missing(std::size_t row, std::size_t column);
    // Repeats the cell at (row, column) in the `count` rows below it.
    bool fillDown(std::size_t row, std::size_t column, std::size_t count);
    // Room for `rows` rows in each column, when the file says how many.
    bool expectRows(std::size_t rows, std::size_t columns);

    // The columns' names, in order, as the file writes them.
    void setNames(std::vector<std::string> names) { m_names = std::move(names); }
    // Labels for the codes of a numeric column; a column that holds texts
    // keeps its own.
    void setValueLabels(std::size_t column, std::vector<std::pair<double, std::string>> labels);

    // Stops the building with `status` (the first problem stands); false.
    bool stop(ImportStatus status, std::size_t row = 0, std::size_t column = 0);
    const TableProblem& problem() const { return m_problem; }
    // Builds the data set; the builder is spent.
    TableProblem finish(DataMatrix& data);

private:
    // A column: its cells from row 0 on; a text's cell holds a marked code.
    struct Column {
        std::vector<float> cells;
        TextCodes texts;
        std::vector<std::pair<double, std::string>> valueLabels;
    };

    // The cell at (row, column), the rows above it filled as missing; null
    // when there is no room for it.
    float* cell(std::size_t row, std::size_t column);
    bool put(std::size_t row, std::size_t column, float value);
    void makeLabels(std::size_t column, bool utf8, DataMatrix& data);

    MemoryBudget& m_budget;
    std::vector<Column> m_columns;
    std::vector<std::string> m_names;
    std::size_t m_rows = 0; // rows up to the last cell
    std::size_t m_width = 0; // columns up to the last cell
    TableProblem m_problem;
};
