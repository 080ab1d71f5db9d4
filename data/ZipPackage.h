// The ZIP package a workbook is stored in, checked before liborcus reads it.
#pragma once

#include "data/DataImport.h"
#include "data/MemoryBudget.h"

#include <cstdint>
#include <string_view>

// Whether the package in `bytes` is whole: its directory there, and each
// part the reader parses (the XML) unpacking to the bytes and check sum the
// directory gives. A damaged package is refused before its damage reaches
// the reader. What the parts unpack to is taken from `budget` first.
ImportStatus checkPackage(std::string_view bytes, MemoryBudget& budget);

// The CRC-32 check sum of `bytes`, as a ZIP package gives each part's.
std::uint32_t crc32(std::string_view bytes);
