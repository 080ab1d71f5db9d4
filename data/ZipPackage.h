// The ZIP package a workbook is stored in, checked before liborcus reads it.
#pragma once

#include "data/DataImport.h"
#include "data/MemoryBudget.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Whether the package in `bytes` is whole: its directory there, and each
// part the reader parses (the XML) unpacking to the bytes and check sum the
// directory gives. A damaged package is refused before its damage reaches
// the reader. What the parts unpack to is taken from `budget` first; each
// part is checked a piece at a time as it unpacks. The names of the parts
// that hold `marker`, looked for as they unpack, are added to `holding`.
ImportStatus checkPackage(std::string_view bytes, MemoryBudget& budget,
    std::string_view marker = {}, std::vector<std::string>* holding = nullptr);

// The CRC-32 check sum of `bytes`, as a ZIP package gives each part's.
std::uint32_t crc32(std::string_view bytes);

// The names of the parts of a package that checkPackage found whole.
std::vector<std::string> partNames(std::string_view bytes);

// Reads the parts of a package that checkPackage found whole, its
// directory read once.
class PackageReader {
public:
    explicit PackageReader(std::string_view bytes);
    ~PackageReader();
    PackageReader(const PackageReader&) = delete;
    PackageReader& operator=(const PackageReader&) = delete;

    // Part `name`, unpacked; nothing when the package has none.
    std::optional<std::string> part(std::string_view name) const;

private:
    struct Archive;
    std::unique_ptr<Archive> m_archive;
};

// The package in `bytes` with the parts `changed` (name, content) in place
// of those of the same names or added, stored unpacked; the other parts'
// packed bytes are copied as they are.
std::string packageWith(
    std::string_view bytes, const std::vector<std::pair<std::string, std::string>>& changed);
