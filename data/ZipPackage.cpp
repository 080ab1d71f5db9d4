// The ZIP package a workbook is stored in: its directory read and each part
// the reader parses checked before liborcus sees it.
#include "data/ZipPackage.h"

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>
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
    std::uint64_t packed = 0;
    std::uint64_t local = 0; // where its own header begins
    std::uint64_t method = 0;
    std::uint64_t entry = 0; // where the directory lists it
};

constexpr std::uint64_t STORED = 0;
constexpr std::uint64_t DEFLATED = 8;

// Whether each part's own header agrees with the directory and the parts
// lie one after the other before the directory at `directory`, none over
// another. This costs nothing against unpacking, and finds most damage
// that moved or cut bytes, and encrypted parts, before any is unpacked.
bool partsInPlace(std::string_view bytes, std::vector<PackagePart> parts, std::uint64_t directory)
{
    std::sort(parts.begin(), parts.end(),
        [](const PackagePart& a, const PackagePart& b) { return a.local < b.local; });
    std::uint64_t free = 0;
    for (const PackagePart& part : parts) {
        const std::uint64_t at = part.local;
        if (at < free || at + 30 > directory || bytes.substr(at, 4) != "PK\x03\x04")
            return false;
        const std::uint64_t flags = littleEndian(bytes, at + 6, 2);
        const std::uint64_t nameBytes = littleEndian(bytes, at + 26, 2);
        const std::uint64_t end
            = at + 30 + nameBytes + littleEndian(bytes, at + 28, 2) + part.packed;
        // Bit 0 marks an encrypted part; bit 3 a part whose sums and sizes
        // follow it instead of standing in its header.
        if ((flags & 1) != 0 || end > directory || littleEndian(bytes, at + 8, 2) != part.method
            || (part.method != STORED && part.method != DEFLATED)
            || (part.method == STORED && part.packed != part.bytes)
            || bytes.substr(at + 30, nameBytes) != part.name)
            return false;
        if ((flags & 8) == 0
            && (littleEndian(bytes, at + 14, 4) != part.crc
                || littleEndian(bytes, at + 18, 4) != part.packed
                || littleEndian(bytes, at + 22, 4) != part.bytes))
            return false;
        free = end;
    }
    return true;
}

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
                static_cast<std::uint32_t>(littleEndian(bytes, entry + 16, 4)), unpacked, packed,
                local, littleEndian(bytes, entry + 10, 2), entry });
            entry += 46 + nameBytes + littleEndian(bytes, entry + 30, 2)
                + littleEndian(bytes, entry + 32, 2);
        }
        if (entry != directoryEnd || !partsInPlace(bytes, parts, directoryEnd - directoryBytes))
            return std::nullopt;
        return parts;
    }
    return std::nullopt;
}

// Looks for a text in bytes that come a piece at a time, across the pieces' seams.
class MarkerSearch {
public:
    explicit MarkerSearch(std::string_view marker)
        : m_marker(marker)
    {
    }
    void look(std::string_view piece)
    {
        if (m_found || m_marker.empty())
            return;
        const std::size_t keep = m_marker.size() - 1;
        m_seam.append(piece.substr(0, keep));
        m_found = m_seam.find(m_marker) != std::string::npos
            || piece.find(m_marker) != std::string_view::npos;
        if (piece.size() >= keep)
            m_seam.assign(piece.substr(piece.size() - keep));
        else
            m_seam.erase(0, m_seam.size() - std::min(m_seam.size(), keep));
    }
    bool found() const { return m_found; }

private:
    std::string_view m_marker;
    std::string m_seam; // the last bytes of the pieces so far
    bool m_found = false;
};

// Whether `part` unpacks to the bytes and check sum the directory gives.
// Deflated bytes are unpacked a piece at a time into `piece` and summed as
// they come, so the check never holds a part whole and stops at the first
// damage the unpacking meets or as soon as the part gives more bytes than
// it should. The bytes also go through `search`.
bool partWhole(std::string_view bytes, const PackagePart& part, std::vector<unsigned char>& piece,
    MarkerSearch& search)
{
    // partsInPlace found its header and packed bytes within the file.
    const std::string_view packed = bytes.substr(part.local + 30
            + littleEndian(bytes, part.local + 26, 2) + littleEndian(bytes, part.local + 28, 2),
        part.packed);
    if (part.method == STORED) {
        search.look(packed);
        return crc32(packed) == part.crc;
    }
    z_stream stream {};
    // Raw deflate: a part holds neither zlib's header nor its sum.
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        throw std::bad_alloc();
    struct End {
        z_stream& stream;
        ~End() { inflateEnd(&stream); }
    } end { stream };
    std::uint64_t unpacked = 0;
    uLong crc = ::crc32(0, Z_NULL, 0);
    std::size_t fed = 0;
    for (;;) {
        if (stream.avail_in == 0 && fed < packed.size()) {
            const std::size_t more = std::min<std::size_t>(packed.size() - fed, 1u << 30);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + fed));
            stream.avail_in = static_cast<uInt>(more);
            fed += more;
        }
        stream.next_out = piece.data();
        stream.avail_out = static_cast<uInt>(piece.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_MEM_ERROR)
            throw std::bad_alloc();
        const std::size_t got = piece.size() - stream.avail_out;
        unpacked += got;
        if (unpacked > part.bytes)
            return false;
        crc = crc32_z(crc, piece.data(), got);
        search.look(std::string_view(reinterpret_cast<const char*>(piece.data()), got));
        if (result == Z_STREAM_END)
            break;
        // A part cut short ends with no progress possible (Z_BUF_ERROR).
        if (result != Z_OK)
            return false;
    }
    return unpacked == part.bytes && crc == part.crc;
}

} // namespace

ImportStatus checkPackage(std::string_view bytes, MemoryBudget& budget, std::string_view marker,
    std::vector<std::string>* holding)
{
    const std::optional<std::vector<PackagePart>> parts = packageParts(bytes);
    if (!parts)
        return ImportStatus::Unreadable;
    std::uint64_t unpacked = 0;
    for (const PackagePart& part : *parts)
        unpacked += part.bytes;
    // The reader holds the parts it reads; this check a piece of one.
    constexpr std::size_t PIECE_BYTES = std::size_t { 1 } << 20;
    if (!budget.replace(0, unpacked) || !budget.replace(0, PIECE_BYTES))
        return ImportStatus::TooLarge;
    std::vector<unsigned char> piece(PIECE_BYTES);
    // The small parts first: damage there is found before the sheets are
    // unpacked.
    std::vector<PackagePart> xml;
    for (const PackagePart& part : *parts) {
        if (part.name.ends_with(".xml") || part.name.ends_with(".rels"))
            xml.push_back(part);
    }
    std::stable_sort(xml.begin(), xml.end(),
        [](const PackagePart& a, const PackagePart& b) { return a.bytes < b.bytes; });
    const bool whole = std::all_of(xml.begin(), xml.end(), [&](const PackagePart& part) {
        MarkerSearch search(marker);
        if (!partWhole(bytes, part, piece, search))
            return false;
        if (search.found() && holding != nullptr)
            holding->emplace_back(part.name);
        return true;
    });
    budget.replace(PIECE_BYTES, 0);
    return whole ? ImportStatus::Ok : ImportStatus::Unreadable;
}

struct PackageReader::Archive {
    explicit Archive(std::string_view bytes)
        : stream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())
        , archive(&stream)
    {
        archive.load();
    }
    orcus::zip_archive_stream_blob stream;
    orcus::zip_archive archive;
};

PackageReader::PackageReader(std::string_view bytes)
    : m_archive(std::make_unique<Archive>(bytes))
{
}

PackageReader::~PackageReader() = default;

std::optional<std::string> PackageReader::part(std::string_view name) const
{
    std::vector<unsigned char> content;
    if (!m_archive->archive.read_file_entry(name, content))
        return std::nullopt;
    // The reader ends what it unpacks with a zero byte of its own.
    if (!content.empty() && content.back() == 0)
        content.pop_back();
    return std::string(content.begin(), content.end());
}

std::vector<std::string> partNames(std::string_view bytes)
{
    std::vector<std::string> names;
    if (const auto parts = packageParts(bytes)) {
        for (const PackagePart& part : *parts)
            names.emplace_back(part.name);
    }
    return names;
}

namespace {

void putLittleEndian(std::string& out, std::uint64_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<char>(value >> (8 * k) & 0xFFu));
}

} // namespace

std::string packageWith(
    std::string_view bytes, const std::vector<std::pair<std::string, std::string>>& changed)
{
    const auto parts = packageParts(bytes);
    std::string file;
    std::string directory;
    std::size_t count = 0;
    const auto isChanged = [&](std::string_view name) {
        return std::any_of(
            changed.begin(), changed.end(), [&](const auto& part) { return part.first == name; });
    };
    for (const PackagePart& part : parts ? *parts : std::vector<PackagePart>()) {
        if (isChanged(part.name))
            continue;
        // Its header and packed bytes as they are; the directory entry moved.
        const std::uint64_t header = 30 + littleEndian(bytes, part.local + 26, 2)
            + littleEndian(bytes, part.local + 28, 2);
        const std::uint64_t entryBytes = 46 + littleEndian(bytes, part.entry + 28, 2)
            + littleEndian(bytes, part.entry + 30, 2) + littleEndian(bytes, part.entry + 32, 2);
        std::string entry(bytes.substr(part.entry, entryBytes));
        entry.replace(42, 4, std::string());
        std::string offset;
        putLittleEndian(offset, file.size(), 4);
        entry.insert(42, offset);
        directory += entry;
        file.append(bytes.substr(part.local, header + part.packed));
        ++count;
    }
    for (const auto& [name, content] : changed) {
        // Stored as it is: the reader unpacks nothing.
        std::string fields;
        putLittleEndian(fields, 20, 2); // version needed
        putLittleEndian(fields, 0, 2); // flags
        putLittleEndian(fields, 0, 2); // stored
        putLittleEndian(fields, 0, 4); // time and date
        putLittleEndian(fields, crc32(content), 4);
        putLittleEndian(fields, content.size(), 4);
        putLittleEndian(fields, content.size(), 4);
        putLittleEndian(fields, name.size(), 2);
        directory += "PK\x01\x02";
        putLittleEndian(directory, 20, 2);
        directory += fields;
        directory.append(12, '\0'); // extra, comment, disk, attributes
        putLittleEndian(directory, file.size(), 4);
        directory += name;
        file += "PK\x03\x04" + fields;
        putLittleEndian(file, 0, 2);
        file += name + content;
        ++count;
    }
    const std::size_t start = file.size();
    file += directory + "PK\x05\x06";
    putLittleEndian(file, 0, 4);
    putLittleEndian(file, count, 2);
    putLittleEndian(file, count, 2);
    putLittleEndian(file, directory.size(), 4);
    putLittleEndian(file, start, 4);
    putLittleEndian(file, 0, 2);
    return file;
}

std::uint32_t crc32(std::string_view bytes)
{
    return static_cast<std::uint32_t>(
        crc32_z(::crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}
