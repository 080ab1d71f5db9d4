// The encodings a data file's texts may come in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the UTF-8 character starting at text[0], or 0 when it is not one.
std::size_t utf8CharacterLength(std::string_view text);
// True when every byte of `text` belongs to a UTF-8 character.
bool isUtf8(std::string_view text);
// `text`'s bytes read as Windows-1252, what spreadsheets save on Western
// Windows, in UTF-8; its five unused bytes stand for the control characters
// of the same number.
std::string windows1252AsUtf8(std::string_view text);
