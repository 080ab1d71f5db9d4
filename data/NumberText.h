// The number rule shared by data fields and group texts.
#pragma once

#include <optional>
#include <string_view>

// Reads `text` as a number: optional blanks, an optional sign, digits with an
// optional decimal point (at least one digit), an optional exponent (e or E,
// optional sign, digits), optional blanks. The decimal point is always ".",
// whatever the system locale. Returns the float nearest the text (rounded
// once, ties to even; far below the smallest float, 0), or nothing when the
// text is not such a number or lies outside the single-precision range.
std::optional<float> parseNumber(std::string_view text);

// The same, with "," as the decimal point too where `decimalComma`, as
// semicolon files write numbers ("1,5" is 1.5; "1.5" is read as well).
std::optional<float> parseNumber(std::string_view text, bool decimalComma);

// The same rule without the blanks, for the import's inner loop: reads the
// longest number that starts at `begin` and stores it in `value`. Returns
// where the number ends (the caller checks what follows), or nullptr when no
// number starts there or it lies outside the single-precision range.
const char* scanNumber(const char* begin, const char* end, float& value);

// True when no number holds the first byte of `delimiter`: a field can then
// be read as a number straight from the line, and split where it ends.
inline bool delimiterEndsNumbers(std::string_view delimiter)
{
    return delimiter.empty()
        || std::string_view("0123456789+-.eE").find(delimiter.front()) == std::string_view::npos;
}

// True for the texts that stand for a missing entry: ".", empty, or one space.
bool isMissingText(std::string_view text);
