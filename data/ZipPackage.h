// The ZIP package a workbook is stored in, checked before liborcus reads it.
#pragma once

#include "data/DataImport.h"
#include "data/MemoryBudget.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Whether the package in `bytes` is whole: its directory there, and each
// part the reader parses (the XML) unpacking to the bytes and check sum the
// directory gives. A damaged package is refused before its damage reaches
// the reader. What the parts unpack to is taken from `budget` first.
ImportStatus checkPackage(std::string_view bytes, MemoryBudget& budget);

// The CRC-32 check sum of `bytes`, as a ZIP package gives each part's.
std::uint32_t crc32(std::string_view bytes);

// The names of the parts of a package that checkPackage found whole.
std::vector<std::string> partNames(std::string_view bytes);

// Part `name` of the package in `bytes`, unpacked; nothing when it has none.
std::optional<std::string> unpackedPart(std::string_view bytes, std::string_view name);

// The package in `bytes` with the parts `changed` (name, content) in place
// of those of the same names or added, stored unpacked; the other parts'
// packed bytes are copied as they are.
std::string packageWith(
    std::string_view bytes, const std::vector<std::pair<std::string, std::string>>& changed);
