// How a data file is laid out, guessed from its first lines, for a file that
// comes without the user's choices (the command line, a dropped file).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct DataLayout {
    std::string delimiter;
    bool firstLineNames = false; // line 1 holds the column names
};

// The delimiter of the file at `path` as its first line shows it: a tab if
// the line holds one, else a semicolon if it holds more of them than commas
// (a spreadsheet's CSV where the decimal separator is a comma), else a comma
// if it holds one, else a space. A file that cannot be read gives a space;
// the import then says what is wrong with it.
std::string guessDelimiter(const std::string& path);
// The delimiter of a CSV file at `path`: a semicolon when guessDelimiter()
// finds one, else a comma.
std::string guessCsvDelimiter(const std::string& path);

// The layout of the file at `path`: `delimiter` when given, else the guessed
// one; and names on line 1 when, split at that delimiter and each field's
// quotes removed, line 1 holds a text (neither a number nor missing) while
// line 2 exists and holds only numbers and missing entries, or line 1 holds
// no number while line 2, as many fields long, holds one (a file with text
// columns).
DataLayout guessLayout(
    const std::string& path, const std::optional<std::string>& delimiter = std::nullopt);

// What a field of the first lines holds.
enum class FieldKind { Missing, Number, Text };
// Names on the first line, judged from what the fields of the first two
// lines hold, as guessLayout() judges them.
bool looksLikeNames(const std::vector<FieldKind>& first, const std::vector<FieldKind>& second);
