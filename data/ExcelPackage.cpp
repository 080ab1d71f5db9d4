// Amends an Excel package so that liborcus reads what it holds.
#include "data/ExcelPackage.h"

#include "data/ZipPackage.h"

#include <orcus/sax_ns_parser.hpp>
#include <orcus/xml_namespace.hpp>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace {

// The directory of a part: "xl/" for "xl/workbook.xml".
std::string_view folderOf(std::string_view part)
{
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
}

// Relationship targets of `rels` that start from the package's root made
// relative to the folder of the part the relationships belong to, which
// is all the reader follows.
std::string relativeTargets(std::string_view relsName, std::string rels)
{
    // "xl/_rels/workbook.xml.rels" belongs to "xl/workbook.xml".
    std::string_view source = folderOf(relsName);
    if (source.ends_with("_rels/"))
        source.remove_suffix(6);
    std::size_t depth = static_cast<std::size_t>(std::count(source.begin(), source.end(), '/'));
    for (const std::string_view quote : { "\"", "'" }) {
        const std::string attribute = "Target=" + std::string(quote) + "/";
        for (std::size_t at = rels.find(attribute); at != std::string::npos;
             at = rels.find(attribute, at + 1)) {
            const std::size_t path = at + attribute.size();
            std::string_view target(rels);
            target = target.substr(path, target.find(quote, path) - path);
            std::string relative;
            std::size_t up = depth;
            if (target.starts_with(source)) {
                relative = target.substr(source.size());
                up = 0;
            } else {
                relative = target;
            }
            for (std::size_t k = 0; k < up; ++k)
                relative.insert(0, "../");
            rels.replace(path - 1, target.size() + 1, relative);
        }
    }
    return rels;
}

constexpr std::string_view MAIN_NAMESPACE
    = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The namespace declaration that binds the prefix of the texts' elements in
// the shared strings as in the sheet.
std::string prefixDeclaration(const std::string& prefix)
{
    if (prefix.empty())
        return {};
    return " xmlns:" + prefix.substr(0, prefix.size() - 1)
        + "=\"" + std::string(MAIN_NAMESPACE) + "\"";
}

// Reads a sheet and writes it again with each inline text cell a shared
// string cell, its text appended to `strings` as a shared string item.
class InlineTexts {
public:
    // Items appended to shared strings the workbook holds declare the
    // namespaces of their elements themselves (`declared`).
    InlineTexts(std::string_view sheet, std::string& strings, std::size_t& count, bool declared)
        : m_sheet(sheet)
        , m_strings(strings)
        , m_count(count)
        , m_declared(declared)
    {
    }

    void doctype(const orcus::sax::doctype_declaration&) { }
    void start_declaration(std::string_view) { }
    void end_declaration(std::string_view) { }
    void attribute(std::string_view, std::string_view) { }
    void characters(std::string_view, bool) { }
    void attribute(const orcus::sax_ns_parser_attribute& attr)
    {
        if (attr.name == "t" && attr.value == "inlineStr")
            m_inline = true;
    }
    void start_element(const orcus::sax_ns_parser_element& elem)
    {
        if (elem.name == "c") {
            if (m_inline) {
                // The cell's tag with its kind "s", a shared string.
                copyTo(elem.begin_pos);
                std::string tag(m_sheet.substr(static_cast<std::size_t>(elem.begin_pos),
                    static_cast<std::size_t>(elem.end_pos - elem.begin_pos)));
                const std::size_t kind = tag.find("inlineStr");
                tag.replace(kind, 9, "s");
                m_out += tag;
                m_copied = static_cast<std::size_t>(elem.end_pos);
                m_inCell = true;
                m_prefix = elem.ns_alias.empty() ? std::string() : std::string(elem.ns_alias) + ":";
            }
            m_inline = false;
        } else if (elem.name == "is" && m_inCell) {
            copyTo(elem.begin_pos);
            m_textBegins = static_cast<std::size_t>(elem.end_pos);
        }
        m_inline = false;
    }
    void end_element(const orcus::sax_ns_parser_element& elem)
    {
        if (elem.name == "is" && m_inCell) {
            const auto end = static_cast<std::size_t>(elem.begin_pos);
            const std::string_view text = end > m_textBegins
                ? m_sheet.substr(m_textBegins, end - m_textBegins)
                : std::string_view();
            m_strings += m_declared ? "<si xmlns=\"" + std::string(MAIN_NAMESPACE) + "\""
                    + prefixDeclaration(m_prefix) + ">"
                                    : std::string("<si>");
            m_strings += text;
            m_strings += "</si>";
            m_out += "<" + m_prefix + "v>" + std::to_string(m_count++) + "</" + m_prefix + "v>";
            m_copied = static_cast<std::size_t>(elem.end_pos);
        } else if (elem.name == "c") {
            m_inCell = false;
        }
    }

    const std::string& prefix() const { return m_prefix; }
    std::string finish()
    {
        copyTo(static_cast<std::ptrdiff_t>(m_sheet.size()));
        return std::move(m_out);
    }

private:
    void copyTo(std::ptrdiff_t at)
    {
        const auto end = static_cast<std::size_t>(at);
        if (end > m_copied)
            m_out.append(m_sheet.substr(m_copied, end - m_copied));
        m_copied = std::max(m_copied, end);
    }

    std::string_view m_sheet;
    std::string& m_strings;
    std::size_t& m_count;
    std::string m_out;
    std::size_t m_copied = 0;
    std::size_t m_textBegins = 0;
    bool m_declared;
    bool m_inline = false;
    bool m_inCell = false;
    std::string m_prefix;
};

// Counts the items of a shared strings part.
class StringItems {
public:
    void doctype(const orcus::sax::doctype_declaration&) { }
    void start_declaration(std::string_view) { }
    void end_declaration(std::string_view) { }
    void attribute(std::string_view, std::string_view) { }
    void attribute(const orcus::sax_ns_parser_attribute&) { }
    void characters(std::string_view, bool) { }
    void start_element(const orcus::sax_ns_parser_element& elem)
    {
        if (elem.name == "si")
            ++count;
    }
    void end_element(const orcus::sax_ns_parser_element&) { }

    std::size_t count = 0;
};

std::size_t itemCount(const std::string& strings)
{
    orcus::xmlns_repository namespaces;
    orcus::xmlns_context context = namespaces.create_context();
    StringItems items;
    orcus::sax_ns_parser<StringItems> parser(strings.data(), strings.size(), context, items);
    parser.parse();
    return items.count;
}

} // namespace

std::optional<std::string> amendedExcelPackage(
    std::string_view bytes, const std::vector<std::string>& inlineParts, MemoryBudget& budget)
{
    const std::vector<std::string> names = partNames(bytes);
    const PackageReader package(bytes);
    const auto sharedStrings = std::find_if(names.begin(), names.end(),
        [](const std::string& name) { return name.ends_with("sharedStrings.xml"); });
    std::vector<std::pair<std::string, std::string>> changed;
    std::string strings; // the inline texts as shared string items
    std::size_t count = 0; // items of the shared strings, with those
    std::optional<std::string> heldStrings; // the workbook's shared strings part
    std::string workbookFolder;
    std::string prefix;
    std::uint64_t taken = 0;
    const auto take = [&](std::uint64_t size) {
        if (!budget.replace(0, size))
            throw std::bad_alloc();
        taken += size;
    };
    for (const std::string& name : names) {
        if (name.ends_with(".rels")) {
            std::optional<std::string> rels = package.part(name);
            if (rels && rels->find("Target=\"/") == std::string::npos
                && rels->find("Target='/") == std::string::npos)
                continue;
            if (rels) {
                take(rels->size());
                changed.emplace_back(name, relativeTargets(name, std::move(*rels)));
            }
        } else if (name.find("worksheets/") != std::string::npos
            && std::find(inlineParts.begin(), inlineParts.end(), name) != inlineParts.end()) {
            std::optional<std::string> sheet = package.part(name);
            if (!sheet)
                continue;
            take(2 * sheet->size());
            // The texts follow the items the workbook's shared strings hold.
            if (sharedStrings != names.end() && !heldStrings) {
                heldStrings = package.part(*sharedStrings);
                if (!heldStrings)
                    return std::nullopt;
                take(2 * heldStrings->size());
                count = itemCount(*heldStrings);
            }
            orcus::xmlns_repository namespaces;
            orcus::xmlns_context context = namespaces.create_context();
            InlineTexts texts(*sheet, strings, count, heldStrings.has_value());
            orcus::sax_ns_parser<InlineTexts> parser(sheet->data(), sheet->size(), context, texts);
            parser.parse();
            prefix = texts.prefix();
            workbookFolder = folderOf(name);
            workbookFolder.erase(workbookFolder.size() - std::string_view("worksheets/").size());
            changed.emplace_back(name, texts.finish());
        }
    }
    if (changed.empty())
        return std::nullopt;
    if (heldStrings && !strings.empty()) {
        // The texts appended to the workbook's shared strings.
        const std::size_t end = heldStrings->rfind("</");
        if (end == std::string::npos)
            return std::nullopt;
        heldStrings->insert(end, strings);
        changed.emplace_back(*sharedStrings, std::move(*heldStrings));
    } else if (!strings.empty()) {
        // The texts as the workbook's shared strings, and the workbook's
        // relationship to them.
        const std::string relsName = workbookFolder + "_rels/workbook.xml.rels";
        auto rels = std::find_if(changed.begin(), changed.end(),
            [&](const auto& part) { return part.first == relsName; });
        if (rels == changed.end()) {
            std::optional<std::string> content = package.part(relsName);
            if (!content)
                return std::nullopt;
            changed.emplace_back(relsName, std::move(*content));
            rels = changed.end() - 1;
        }
        const std::size_t end = rels->second.rfind("</");
        if (end == std::string::npos)
            return std::nullopt;
        rels->second.insert(end,
            "<Relationship Id=\"rIdSharedStrings\" Type=\"http://schemas.openxmlformats.org/"
            "officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
        changed.emplace_back(workbookFolder + "sharedStrings.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\""
                + std::string(MAIN_NAMESPACE) + "\"" + prefixDeclaration(prefix) + ">" + strings
                + "</sst>");
    }
    // The package's offsets are of 32 bits.
    std::uint64_t size = bytes.size();
    for (const auto& part : changed)
        size += part.first.size() + part.second.size() + 128;
    if (size >= std::uint64_t { 1 } << 32)
        throw std::bad_alloc();
    std::string amended = packageWith(bytes, changed);
    // What was unpacked here is dropped; the amended package is held.
    if (!budget.replace(taken, amended.size()))
        throw std::bad_alloc();
    return amended;
}
