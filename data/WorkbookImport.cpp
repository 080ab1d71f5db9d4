// Reading of Excel and OpenDocument workbooks through liborcus: our own
// import factory hands the chosen sheet's cells to the data-set builder and
// ignores the rest of the workbook.
#include "data/WorkbookImport.h"

#include "data/AvailableMemory.h"
#include "data/ExcelPackage.h"
#include "data/InputFile.h"
#include "data/LayoutGuess.h"
#include "data/TableBuilder.h"
#include "data/WholeFile.h"
#include "data/ZipPackage.h"

#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include "data/LabelledImport.h"
#include "data/NumberText.h"
#include "report/ReportText.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace ss = orcus::spreadsheet;

namespace {

// Thrown from a cell to end the reading once what is wanted is known.
struct EnoughRead { };
// Thrown when the builder refuses a cell: its problem says why.
struct BuilderStopped { };

// The error values a cell may show; such a cell is missing.
bool isErrorText(std::string_view text)
{
    static constexpr std::array<std::string_view, 8> ERRORS { "#NULL!", "#DIV/0!", "#VALUE!",
        "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA" };
    for (const std::string_view error : ERRORS) {
        if (text == error)
            return true;
    }
    return text.starts_with("Err:") && text.size() <= 7;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// The workbook's texts, each taken from the memory budget.
class SharedStrings : public ss::iface::import_shared_strings {
public:
    explicit SharedStrings(MemoryBudget& budget)
        : m_budget(budget)
    {
    }
    std::string_view at(std::size_t index) const
    {
        return index < m_strings.size() ? std::string_view(m_strings[index]) : std::string_view();
    }
    std::size_t append(std::string_view s) override
    {
        if (!m_budget.replace(0, s.size() + sizeof(std::string)))
            throw std::bad_alloc();
        m_strings.emplace_back(s);
        return m_strings.size() - 1;
    }
    std::size_t add(std::string_view s) override
    {
        const auto found = m_index.find(std::string(s));
        if (found != m_index.end())
            return found->second;
        const std::size_t index = append(s);
        m_index.emplace(std::string(s), index);
        return index;
    }
    void set_segment_font(std::size_t) override { }
    void set_segment_bold(bool) override { }
    void set_segment_italic(bool) override { }
    void set_segment_font_name(std::string_view) override { }
    void set_segment_font_size(double) override { }
    void set_segment_font_color(
        ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override
    {
    }
    void append_segment(std::string_view s) override { m_segments += s; }
    std::size_t commit_segments() override
    {
        const std::size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }

private:
    MemoryBudget& m_budget;
    std::vector<std::string> m_strings;
    std::unordered_map<std::string, std::size_t> m_index;
    std::string m_segments;
};

class Settings : public ss::iface::import_global_settings {
public:
    void set_origin_date(int year, int month, int day) override
    {
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31)
            m_origin
                = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    }
    void set_default_formula_grammar(ss::formula_grammar_t grammar) override
    {
        m_grammar = grammar;
    }
    ss::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override { }

    // The serial number of a date and time: days since the origin date.
    double serial(int year, int month, int day, int hour, int minute, double second) const
    {
        if (month < 1 || month > 12 || day < 1 || day > 31)
            return std::numeric_limits<double>::quiet_NaN();
        const std::int64_t days
            = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))
            - m_origin;
        return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    }

private:
    // Spreadsheets count days from 1899-12-30 unless the workbook says otherwise.
    std::int64_t m_origin = daysFromCivil(1899, 12, 30);
    ss::formula_grammar_t m_grammar = ss::formula_grammar_t::unknown;
};

// The workbook's styles: the import needs none of them, but the readers
// expect somewhere to put them.
class IgnoredStyles : public ss::iface::import_styles {
public:
    void set_font_count(std::size_t) override { }
    void set_font_bold(bool) override { }
    void set_font_italic(bool) override { }
    void set_font_name(std::string_view) override { }
    void set_font_size(double) override { }
    void set_font_underline(ss::underline_t) override { }
    void set_font_underline_width(ss::underline_width_t) override { }
    void set_font_underline_mode(ss::underline_mode_t) override { }
    void set_font_underline_type(ss::underline_type_t) override { }
    void set_font_underline_color(
        ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override
    {
    }
    void set_font_color(
        ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override
    {
    }
    void set_strikethrough_style(ss::strikethrough_style_t) override { }
    void set_strikethrough_type(ss::strikethrough_type_t) override { }
    void set_strikethrough_width(ss::strikethrough_width_t) override { }
    void set_strikethrough_text(ss::strikethrough_text_t) override { }
    std::size_t commit_font() override { return 0; }
    void set_fill_count(std::size_t) override { }
    void set_fill_pattern_type(ss::fill_pattern_t) override { }
    void set_fill_fg_color(
        ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override
    {
    }
    void set_fill_bg_color(
        ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override
    {
    }
    std::size_t commit_fill() override { return 0; }
    void set_border_count(std::size_t) override { }
    void set_border_style(ss::border_direction_t, ss::border_style_t) override { }
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t,
        ss::color_elem_t, ss::color_elem_t) override
    {
    }
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override { }
    std::size_t commit_border() override { return 0; }
    void set_cell_hidden(bool) override { }
    void set_cell_locked(bool) override { }
    void set_cell_print_content(bool) override { }
    void set_cell_formula_hidden(bool) override { }
    std::size_t commit_cell_protection() override { return 0; }
    void set_number_format_count(std::size_t) override { }
    void set_number_format_identifier(std::size_t) override { }
    void set_number_format_code(std::string_view) override { }
    std::size_t commit_number_format() override { return 0; }
    void set_cell_xf_count(std::size_t) override { }
    void set_cell_style_xf_count(std::size_t) override { }
    void set_dxf_count(std::size_t) override { }
    void set_xf_font(std::size_t) override { }
    void set_xf_fill(std::size_t) override { }
    void set_xf_border(std::size_t) override { }
    void set_xf_protection(std::size_t) override { }
    void set_xf_number_format(std::size_t) override { }
    void set_xf_style_xf(std::size_t) override { }
    void set_xf_apply_alignment(bool) override { }
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override { }
    void set_xf_vertical_alignment(ss::ver_alignment_t) override { }
    std::size_t commit_cell_xf() override { return 0; }
    std::size_t commit_cell_style_xf() override { return 0; }
    std::size_t commit_dxf() override { return 0; }
    void set_cell_style_count(std::size_t) override { }
    void set_cell_style_name(std::string_view) override { }
    void set_cell_style_xf(std::size_t) override { }
    void set_cell_style_builtin(std::size_t) override { }
    void set_cell_style_parent_name(std::string_view) override { }
    std::size_t commit_cell_style() override { return 0; }
};

// Where the chosen sheet's cells go: the names row or the builder, or the
// first two rows for the layout guess.
class CellSink {
public:
    CellSink(TableBuilder* builder, bool firstRowNames, const SharedStrings& strings,
        const Settings& settings, bool stopEarly = false)
        : m_builder(builder)
        , m_stopEarly(stopEarly)
        , m_names(firstRowNames)
        , m_strings(strings)
        , m_settings(settings)
    {
    }

    void number(ss::row_t row, ss::col_t col, double value)
    {
        if (!place(row, col))
            return;
        if (row == 0 && m_names) {
            char text[32];
            const auto end = std::to_chars(text, text + sizeof text, value).ptr;
            name(col, std::string_view(text, static_cast<std::size_t>(end - text)));
        } else if (m_builder) {
            check(m_builder->number(dataRow(row), static_cast<std::size_t>(col), value));
        } else {
            guessKind(row, col, FieldKind::Number);
        }
    }
    void text(ss::row_t row, ss::col_t col, std::string_view text)
    {
        if (!place(row, col))
            return;
        if (isErrorText(text)) {
            missing(row, col);
            return;
        }
        if (row == 0 && m_names) {
            name(col, text);
        } else if (m_builder) {
            check(m_builder->text(dataRow(row), static_cast<std::size_t>(col), text));
        } else if (!text.empty()) {
            guessKind(row, col,
                isMissingLabelText(text) ? FieldKind::Missing
                    : parseNumber(text)  ? FieldKind::Number
                                         : FieldKind::Text);
        }
    }
    void sharedText(ss::row_t row, ss::col_t col, ss::string_id_t index)
    {
        text(row, col, m_strings.at(index));
    }
    void missing(ss::row_t row, ss::col_t col)
    {
        if (!place(row, col) || (row == 0 && m_names))
            return;
        if (m_builder)
            check(m_builder->missing(dataRow(row), static_cast<std::size_t>(col)));
        else
            guessKind(row, col, FieldKind::Missing);
    }
    void date(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
        double second)
    {
        number(row, col, m_settings.serial(year, month, day, hour, minute, second));
    }
    void fillDown(ss::row_t row, ss::col_t col, ss::row_t count)
    {
        if (row < 0 || col < 0 || count <= 0)
            return;
        if (m_builder && !(row == 0 && m_names))
            check(m_builder->fillDown(
                dataRow(row), static_cast<std::size_t>(col), static_cast<std::size_t>(count)));
    }

    std::vector<std::string> takeNames()
    {
        while (!m_nameList.empty() && m_nameList.back().empty())
            m_nameList.pop_back();
        return std::move(m_nameList);
    }
    bool firstRowNames() const
    {
        return !m_kinds[1].empty() && looksLikeNames(m_kinds[0], m_kinds[1]);
    }

private:
    // False for a cell to pass over; throws EnoughRead once the guess has
    // seen its rows, when the sheets that follow need not be read.
    bool place(ss::row_t row, ss::col_t col)
    {
        if (row < 0 || col < 0)
            return false;
        if (!m_builder && row >= 2) {
            if (m_stopEarly)
                throw EnoughRead {};
            return false;
        }
        return true;
    }
    std::size_t dataRow(ss::row_t row) const
    {
        return static_cast<std::size_t>(row) - (m_names ? 1 : 0);
    }
    void name(ss::col_t col, std::string_view text)
    {
        const auto column = static_cast<std::size_t>(col);
        if (column >= static_cast<std::size_t>(MAX_COLUMNS)) {
            check(m_builder->stop(ImportStatus::TooManyVariables));
            return;
        }
        if (m_nameList.size() <= column)
            m_nameList.resize(column + 1);
        const std::size_t first = text.find_first_not_of(" \t");
        m_nameList[column] = first == std::string_view::npos
            ? std::string()
            : std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    }
    void guessKind(ss::row_t row, ss::col_t col, FieldKind kind)
    {
        std::vector<FieldKind>& kinds = m_kinds[static_cast<std::size_t>(row)];
        const auto column = static_cast<std::size_t>(col);
        if (column >= static_cast<std::size_t>(MAX_COLUMNS))
            return;
        if (kinds.size() <= column)
            kinds.resize(column + 1, FieldKind::Missing);
        kinds[column] = kind;
    }
    static void check(bool going)
    {
        if (!going)
            throw BuilderStopped {};
    }

    TableBuilder* m_builder; // null while only the first rows are looked at
    bool m_stopEarly;
    bool m_names;
    const SharedStrings& m_strings;
    const Settings& m_settings;
    std::vector<std::string> m_nameList;
    std::array<std::vector<FieldKind>, 2> m_kinds;
};

class FormulaCell : public ss::iface::import_formula {
public:
    explicit FormulaCell(CellSink& sink)
        : m_sink(sink)
    {
    }
    void set_position(ss::row_t row, ss::col_t col) override
    {
        m_row = row;
        m_col = col;
        m_result.reset();
        m_text.clear();
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override { }
    void set_shared_formula_index(std::size_t) override { }
    void set_result_string(std::string_view value) override
    {
        m_text = value;
        m_result.reset();
        m_isText = true;
    }
    void set_result_value(double value) override
    {
        m_result = value;
        m_isText = false;
    }
    void set_result_bool(bool value) override { set_result_value(value ? 1.0 : 0.0); }
    void set_result_empty() override
    {
        m_result.reset();
        m_isText = false;
    }
    void commit() override
    {
        if (m_result)
            m_sink.number(m_row, m_col, *m_result);
        else if (m_isText)
            m_sink.text(m_row, m_col, m_text);
        m_isText = false;
    }

private:
    CellSink& m_sink;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
    std::optional<double> m_result;
    std::string m_text;
    bool m_isText = false;
};

// The chosen sheet: its cells go to the sink.
class ChosenSheet : public ss::iface::import_sheet {
public:
    explicit ChosenSheet(CellSink& sink)
        : m_sink(sink)
        , m_formula(sink)
    {
    }
    ss::iface::import_formula* get_formula() override { return &m_formula; }
    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override
    {
        m_sink.text(row, col, s);
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t index) override
    {
        m_sink.sharedText(row, col, index);
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override
    {
        m_sink.number(row, col, value);
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override
    {
        m_sink.number(row, col, value ? 1.0 : 0.0);
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
        int minute, double second) override
    {
        m_sink.date(row, col, year, month, day, hour, minute, second);
    }
    void set_format(ss::row_t, ss::col_t, std::size_t) override { }
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, std::size_t) override { }
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t count) override
    {
        m_sink.fillDown(row, col, count);
    }
    ss::range_size_t get_sheet_size() const override { return { 1048576, 16384 }; }

private:
    CellSink& m_sink;
    FormulaCell m_formula;
};

// Any other sheet: its cells are passed over.
class OtherSheet : public ss::iface::import_sheet {
public:
    void set_auto(ss::row_t, ss::col_t, std::string_view) override { }
    void set_string(ss::row_t, ss::col_t, ss::string_id_t) override { }
    void set_value(ss::row_t, ss::col_t, double) override { }
    void set_bool(ss::row_t, ss::col_t, bool) override { }
    void set_date_time(ss::row_t, ss::col_t, int, int, int, int, int, double) override { }
    void set_format(ss::row_t, ss::col_t, std::size_t) override { }
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, std::size_t) override { }
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override { }
    ss::range_size_t get_sheet_size() const override { return { 1048576, 16384 }; }
};

// Reads the A1 addresses of formula cells, which the reader needs in order
// to place them.
class AddressReader : public ss::iface::import_reference_resolver {
public:
    ss::src_address_t resolve_address(std::string_view address) override
    {
        ss::src_address_t at { 0, 0, 0 };
        std::size_t k = 0;
        if (k < address.size() && address[k] == '$')
            ++k;
        std::int64_t column = 0;
        // Digits beyond the sheet's size stop adding before they overflow.
        for (; k < address.size() && std::isalpha(static_cast<unsigned char>(address[k])); ++k) {
            if (column <= 16384)
                column = column * 26
                    + (std::toupper(static_cast<unsigned char>(address[k])) - 'A' + 1);
        }
        if (k < address.size() && address[k] == '$')
            ++k;
        std::int64_t row = 0;
        const std::size_t digits = k;
        for (; k < address.size() && std::isdigit(static_cast<unsigned char>(address[k])); ++k) {
            if (row <= 1048576)
                row = row * 10 + (address[k] - '0');
        }
        if (column < 1 || column > 16384 || k == digits || row < 1 || row > 1048576
            || k != address.size())
            throw std::invalid_argument("not a cell address");
        at.row = static_cast<ss::row_t>(row - 1);
        at.column = static_cast<ss::col_t>(column - 1);
        return at;
    }
    ss::src_range_t resolve_range(std::string_view range) override
    {
        const std::size_t colon = range.find(':');
        const ss::src_address_t first = resolve_address(range.substr(0, colon));
        const ss::src_address_t last
            = colon == std::string_view::npos ? first : resolve_address(range.substr(colon + 1));
        return { first, last };
    }
};

class Factory : public ss::iface::import_factory {
public:
    Factory(int chosen, CellSink& sink, SharedStrings& strings, Settings& settings)
        : m_chosen(chosen)
        , m_sheet(sink)
        , m_strings(strings)
        , m_settings(settings)
    {
    }
    ss::iface::import_global_settings* get_global_settings() override { return &m_settings; }
    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_styles* get_styles() override { return &m_styles; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override
    {
        return &m_addresses;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override
    {
        sheets.emplace_back(name);
        return sheetAt(index);
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override
    {
        for (std::size_t k = 0; k < sheets.size(); ++k) {
            if (sheets[k] == name)
                return sheetAt(static_cast<ss::sheet_t>(k));
        }
        return nullptr;
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override
    {
        if (index < 0 || static_cast<std::size_t>(index) >= sheets.size())
            return nullptr;
        return sheetAt(index);
    }
    void finalize() override { }

    std::vector<std::string> sheets;

private:
    ss::iface::import_sheet* sheetAt(ss::sheet_t index)
    {
        if (index == m_chosen)
            return &m_sheet;
        return &m_other;
    }

    ss::sheet_t m_chosen;
    ChosenSheet m_sheet;
    OtherSheet m_other;
    IgnoredStyles m_styles;
    AddressReader m_addresses;
    SharedStrings& m_strings;
    Settings& m_settings;
};

// Reads the workbook in `bytes` through `factory`, ending early when the
// sink has seen enough; the reader's exceptions say it cannot be read.
void readWorkbook(std::string_view bytes, FileFormat format, Factory& factory)
{
    try {
        if (format == FileFormat::Ods) {
            orcus::orcus_ods filter(&factory);
            filter.read_stream(bytes);
        } else {
            orcus::orcus_xlsx filter(&factory);
            filter.read_stream(bytes);
        }
    } catch (const EnoughRead&) {
    }
}

// The whole file at `path` in memory, taken from `budget`; `status` says
// whether it could be read.
FileBytes wholeFile(const std::string& path, MemoryBudget& budget, ImportStatus& status)
{
    InputFile in(path);
    return readWholeFile(in, budget, status);
}

// A workbook's package as liborcus is to read it: checked whole first, and
// an Excel one amended where liborcus would misread it.
class ReadablePackage {
public:
    ReadablePackage(std::string_view bytes, FileFormat format, MemoryBudget& budget)
        : m_bytes(bytes)
    {
        // A sealed (encrypted) workbook cannot be read without its password.
        if (format == FileFormat::Sealed) {
            m_refusal = ImportStatus::Unreadable;
            return;
        }
        // Excel's sheets are looked at for texts held inline as they are checked.
        std::vector<std::string> inlineParts;
        m_refusal = checkPackage(
            bytes, budget, format == FileFormat::Xlsx ? "inlineStr" : "", &inlineParts);
        if (m_refusal == ImportStatus::Ok && format == FileFormat::Xlsx)
            m_amended = amendedExcelPackage(bytes, inlineParts, budget);
    }
    // Why the package cannot be read; Ok when it can.
    ImportStatus refusal() const { return m_refusal; }
    std::string_view bytes() const { return m_amended ? std::string_view(*m_amended) : m_bytes; }

private:
    std::string_view m_bytes;
    ImportStatus m_refusal = ImportStatus::Ok;
    std::optional<std::string> m_amended;
};

std::string sheetLine(const std::vector<std::string>& sheets, int sheet)
{
    return "Sheet: " + report::printable(sheets[static_cast<std::size_t>(sheet)]);
}

} // namespace

WorkbookLook lookAtWorkbook(const std::string& path, FileFormat format, int sheet)
{
    WorkbookLook look;
    try {
        MemoryBudget budget(availableMemoryBytes());
        ImportStatus status = ImportStatus::Ok;
        const FileBytes bytes = wholeFile(path, budget, status);
        if (status != ImportStatus::Ok) {
            look.refusal = status;
            return look;
        }
        const ReadablePackage package(std::string_view(bytes.data(), bytes.size()), format, budget);
        if (package.refusal() != ImportStatus::Ok) {
            look.refusal = package.refusal();
            return look;
        }
        SharedStrings strings(budget);
        Settings settings;
        // An Excel workbook names all its sheets before their cells; an
        // OpenDocument one names each where it begins.
        CellSink sink(nullptr, false, strings, settings, format == FileFormat::Xlsx);
        Factory factory(sheet, sink, strings, settings);
        readWorkbook(package.bytes(), format, factory);
        look.readable = true;
        look.sheets = std::move(factory.sheets);
        look.firstRowNames = sink.firstRowNames();
    } catch (...) {
        look.readable = false;
    }
    return look;
}

namespace {

ImportResult readSheet(std::string_view bytes, FileFormat format, int sheet, bool firstRowNames,
    const std::string& displayPath, MemoryBudget& budget)
{
    DataMatrix data;
    TableBuilder builder(budget);
    SharedStrings strings(budget);
    Settings settings;
    CellSink sink(&builder, firstRowNames, strings, settings);
    Factory factory(sheet, sink, strings, settings);
    try {
        const ReadablePackage package(bytes, format, budget);
        if (package.refusal() != ImportStatus::Ok)
            return importOutcome({ package.refusal(), 0, 0 }, {}, displayPath, {});
        readWorkbook(package.bytes(), format, factory);
    } catch (const BuilderStopped&) {
        return importOutcome(builder.problem(), {}, displayPath, {});
    } catch (const std::bad_alloc&) {
        return importOutcome({ ImportStatus::TooLarge, 0, 0 }, {}, displayPath, {});
    } catch (...) {
        return importOutcome({ ImportStatus::Unreadable, 0, 0 }, {}, displayPath, {});
    }
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= factory.sheets.size())
        return importOutcome({ ImportStatus::NoSuchSheet, 0, 0 }, {}, displayPath, {});
    builder.setNames(sink.takeNames());
    TableProblem problem = builder.finish(data);
    // An empty sheet is no data set of 0 cases: the user most likely chose
    // the wrong sheet or file.
    if (problem.status == ImportStatus::Ok && (data.rowCount() == 0 || data.columnCount() == 0))
        problem = { ImportStatus::NoData, 0, 0 };
    return importOutcome(problem, std::move(data), displayPath,
        "Opened the " + formatKind(format) + " file: " + displayPath + report::lineEnds(1)
            + sheetLine(factory.sheets, sheet));
}

} // namespace

ImportResult importWorkbook(const std::string& path, FileFormat format, int sheet,
    bool firstRowNames, const std::string& displayPath)
{
    MemoryBudget budget(availableMemoryBytes());
    ImportStatus status = ImportStatus::Ok;
    const FileBytes bytes = wholeFile(path, budget, status);
    if (status != ImportStatus::Ok)
        return importOutcome({ status, 0, 0 }, {}, displayPath, {});
    return readSheet(std::string_view(bytes.data(), bytes.size()), format, sheet, firstRowNames,
        displayPath, budget);
}

ImportResult importWorkbookBytes(std::string_view bytes, FileFormat format, int sheet,
    bool firstRowNames, const std::string& displayPath, std::uint64_t memoryBytes)
{
    MemoryBudget budget(std::min(memoryBytes, availableMemoryBytes()));
    return readSheet(bytes, format, sheet, firstRowNames, displayPath, budget);
}
