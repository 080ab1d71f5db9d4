// Building blocks of every report: cells, rules, whole numbers and line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace report {

// Reports end their lines in LF; CR LF is made only where text leaves the
// program (output files, the clipboard).
inline constexpr char LINE_END = '\n';

// Characters of UTF-8 text: bytes that do not continue a character.
std::size_t characterCount(std::string_view text);
// The first `count` characters of UTF-8 text, never part of one.
std::string_view firstCharacters(std::string_view text, std::size_t count);

// `value` in plain decimal without padding.
std::string integerText(int64_t value);
// `text` and spaces up to `width` characters; a longer text is kept whole.
std::string leftCell(std::string_view text, std::size_t width);
// Spaces and `text` up to `width` characters; a longer text is kept whole.
std::string rightCell(std::string_view text, std::size_t width);
// A line of `width` "-" and its line end.
std::string rule(std::size_t width);
// `count` line ends: the first ends the line, the rest leave empty lines.
std::string lineEnds(int count);

// `text` with every control character shown as "?", so that a name or a path
// from a file can never move the cursor or change colours in a terminal.
std::string printable(std::string_view text);
// "Var k" for a column without a name, "Var k (name)" for a named one: how
// lists, windows and reports show a column.
std::string variableLabel(int32_t column, std::string_view name);

// A row of a group table: the label left-aligned, the two groups' cells
// right-aligned, each 15 characters wide.
std::string groupRow(std::string_view label, std::string_view group1, std::string_view group2);
// The same with report numbers.
std::string groupRow(std::string_view label, double group1, double group2);
// "Dep Var = <dependent>; Grp Var = <grouping>" with its line end.
std::string variablesLine(std::string_view dependent, std::string_view grouping);
// "Group 1 = <group1>; Group 2 = <group2>" with its line end, each name as
// printable shows it.
std::string groupsLine(std::string_view group1, std::string_view group2);

} // namespace report
