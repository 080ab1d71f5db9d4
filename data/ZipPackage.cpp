// The ZIP package a workbook is stored in: its directory read and each part
// the reader parses checked before liborcus sees it.
#include "data/ZipPackage.h"

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

std::uint64_t littleEndian(std::string_view bytes, std::size_t at, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t k = count; k-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + k]);
    return value;
}

// A part of a ZIP package as its central directory lists it.
struct PackagePart {
    std::string_view name;
    std::uint32_t crc = 0;
    std::uint64_t bytes = 0; // unpacked
};

// The parts of the ZIP package in `bytes`; nothing when its directory cannot
// be found or runs past the file, as in a file cut short, or when a part
// claims packed bytes beyond the file or more unpacked bytes than packing
// can give (the reader would allocate what such a damaged file claims).
std::optional<std::vector<PackagePart>> packageParts(std::string_view bytes)
{
    constexpr std::size_t END_RECORD = 22;
    if (bytes.size() < END_RECORD)
        return std::nullopt;
    // The end record closes the file, after a comment of at most 65535 bytes.
    const std::size_t earliest
        = bytes.size() - std::min<std::size_t>(bytes.size(), 65535 + END_RECORD);
    for (std::size_t at = bytes.size() - END_RECORD + 1; at-- > earliest;) {
        if (bytes.substr(at, 4) != "PK\x05\x06")
            continue;
        // One disk, its count of parts the package's, and the directory
        // ending where its entries do, or the reader may find other parts
        // than those checked here.
        const std::uint64_t count = littleEndian(bytes, at + 10, 2);
        const std::uint64_t directoryBytes = littleEndian(bytes, at + 12, 4);
        std::uint64_t entry = littleEndian(bytes, at + 16, 4);
        if (littleEndian(bytes, at + 4, 4) != 0 || littleEndian(bytes, at + 8, 2) != count
            || entry + directoryBytes > at)
            return std::nullopt;
        const std::uint64_t directoryEnd = entry + directoryBytes;
        std::vector<PackagePart> parts;
        for (std::uint64_t k = 0; k < count; ++k) {
            if (entry + 46 > bytes.size() || bytes.substr(entry, 4) != "PK\x01\x02")
                return std::nullopt;
            const std::uint64_t nameBytes = littleEndian(bytes, entry + 28, 2);
            if (entry + 46 + nameBytes > bytes.size())
                return std::nullopt;
            const std::uint64_t packed = littleEndian(bytes, entry + 20, 4);
            const std::uint64_t unpacked = littleEndian(bytes, entry + 24, 4);
            const std::uint64_t local = littleEndian(bytes, entry + 42, 4);
            // Deflate unpacks at most 1032 bytes from each byte it holds.
            if (local + 30 + packed > at || unpacked > packed * 1032 + 1024)
                return std::nullopt;
            parts.push_back({ bytes.substr(entry + 46, nameBytes),
                static_cast<std::uint32_t>(littleEndian(bytes, entry + 16, 4)), unpacked });
            entry += 46 + nameBytes + littleEndian(bytes, entry + 30, 2)
                + littleEndian(bytes, entry + 32, 2);
        }
        if (entry != directoryEnd)
            return std::nullopt;
        return parts;
    }
    return std::nullopt;
}

std::uint32_t crc32(const std::vector<unsigned char>& bytes)
{
    static const std::array<std::uint32_t, 256> TABLE = [] {
        std::array<std::uint32_t, 256> table {};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : bytes)
        crc = TABLE[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace

ImportStatus checkPackage(std::string_view bytes, MemoryBudget& budget)
{
    const std::optional<std::vector<PackagePart>> parts = packageParts(bytes);
    if (!parts)
        return ImportStatus::Unreadable;
    std::uint64_t unpacked = 0;
    std::uint64_t largest = 0;
    for (const PackagePart& part : *parts) {
        unpacked += part.bytes;
        largest = std::max(largest, part.bytes);
    }
    // The reader holds the parts it reads, and this check one part at a time.
    if (!budget.replace(0, unpacked) || !budget.replace(0, largest))
        return ImportStatus::TooLarge;
    budget.replace(largest, 0);
    orcus::zip_archive_stream_blob stream(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    orcus::zip_archive archive(&stream);
    archive.load();
    std::vector<unsigned char> content;
    for (const PackagePart& part : *parts) {
        if (!part.name.ends_with(".xml") && !part.name.ends_with(".rels"))
            continue;
        content.clear();
        if (!archive.read_file_entry(part.name, content))
            return ImportStatus::Unreadable;
        // The reader ends what it unpacks with a zero byte of its own.
        if (content.size() == part.bytes + 1 && content.back() == 0)
            content.pop_back();
        if (content.size() != part.bytes || crc32(content) != part.crc)
            return ImportStatus::Unreadable;
    }
    return ImportStatus::Ok;
}
