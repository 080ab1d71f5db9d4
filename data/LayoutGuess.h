// How a data file is laid out, guessed from its first lines, for a file that
// comes without the user's choices (the command line, a dropped file).
#pragma once

#include <string>

// The delimiter of the file at `path` as its first line shows it: a tab if
// the line holds one, else a comma if it holds one, else a space. A file that
// cannot be read gives a space; the import then says what is wrong with it.
std::string guessDelimiter(const std::string& path);
