// What a completed bootstrap run leaves for its pictures, and its file form.
#include "analyses/BootstrapRun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <istream>
#include <ostream>
#include <string_view>
#include <type_traits>

namespace {

const char* const FIRST_LINE = "trellam-bootstrap-run 1";

// Shortest text that reads back as the same float.
std::string floatText(float value)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, ec == std::errc() ? end : buffer);
}

template <typename Number> std::optional<Number> numberFrom(std::string_view text)
{
    Number value {};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// A header line never breaks inside a value.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

void writeValues(std::ostream& out, const std::vector<float>& values)
{
    out.write(reinterpret_cast<const char*>(values.data()),
        static_cast<std::streamsize>(values.size() * sizeof(float)));
}

// A header line is never longer than this: a label holds at most 1000
// characters. A longer line is refused before it is held in memory whole.
constexpr std::size_t MAX_HEADER_LINE_BYTES = std::size_t { 1 } << 20;

// The next line, without its LF; false at the end of the input or for a line
// longer than MAX_HEADER_LINE_BYTES.
bool readHeaderLine(std::istream& in, std::string& line)
{
    line.clear();
    for (std::istream::int_type c = in.get(); c != std::istream::traits_type::eof(); c = in.get()) {
        if (c == '\n')
            return true;
        if (line.size() == MAX_HEADER_LINE_BYTES)
            return false;
        line += static_cast<char>(c);
    }
    return false;
}

// Reads the header lines in order; after the first line that is missing or
// does not fit, every value is empty and ok() stays false.
class HeaderReader {
public:
    explicit HeaderReader(std::istream& in)
        : m_in(in)
    {
    }

    bool ok() const { return m_ok; }

    // The rest of the next line, which must start with `key` and a space.
    std::string text(std::string_view key)
    {
        std::string line;
        m_ok = m_ok && readHeaderLine(m_in, line) && line.size() > key.size()
            && line.compare(0, key.size(), key) == 0 && line[key.size()] == ' ';
        return m_ok ? line.substr(key.size() + 1) : std::string();
    }

    template <typename Number> Number number(std::string_view key)
    {
        const std::string value = text(key);
        const std::optional<Number> parsed = m_ok ? numberFrom<Number>(value) : std::nullopt;
        m_ok = parsed.has_value();
        return parsed.value_or(Number {});
    }

    // A number, or "none" for a value the run does not have.
    template <typename Number> std::optional<Number> optionalNumber(std::string_view key)
    {
        const std::string value = text(key);
        if (!m_ok || value == "none")
            return std::nullopt;
        const std::optional<Number> parsed = numberFrom<Number>(value);
        m_ok = parsed.has_value();
        return parsed;
    }

private:
    std::istream& m_in;
    bool m_ok = true;
};

template <typename Number> std::string optionalText(const std::optional<Number>& value)
{
    if (!value)
        return "none";
    if constexpr (std::is_same_v<Number, float>)
        return floatText(*value);
    else
        return std::to_string(*value);
}

// Reads `count` values in pieces, so that a damaged count fails at the
// stream's end instead of asking for memory it never fills.
bool readValues(std::istream& in, uint64_t count, std::vector<float>& values)
{
    constexpr uint64_t PIECE = 1 << 20;
    values.clear();
    while (values.size() < count) {
        const std::size_t start = values.size();
        const std::size_t piece = static_cast<std::size_t>(std::min(PIECE, count - start));
        values.resize(start + piece);
        if (!in.read(reinterpret_cast<char*>(values.data() + start),
                static_cast<std::streamsize>(piece * sizeof(float))))
            return false;
    }
    return true;
}

// Characters of UTF-8 text: every byte but those that continue a character.
std::size_t characterCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool allFinite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

} // namespace

std::string plotRunProblem(const BootstrapRun& run)
{
    if (run.group1.empty() || run.group2.empty())
        return "a group has no values";
    const std::optional<float> numbers[] = { run.sngLevel, run.sngTrimmedMean1, run.sngTrimmedMean2,
        run.sngRobustD, run.lowerBound, run.upperBound };
    for (const std::optional<float>& number : numbers) {
        if (number && !std::isfinite(*number))
            return "a number of the run is not finite";
    }
    if (!allFinite(run.group1) || !allFinite(run.group2))
        return "a group's value is not finite";
    if (!allFinite(run.effects))
        return "a bootstrap d is not finite";
    for (const std::string* label : { &run.dependentLabel, &run.strGroup1, &run.strGroup2 }) {
        if (characterCount(*label) > MAX_PLOT_LABEL)
            return "a label is longer than " + std::to_string(MAX_PLOT_LABEL) + " characters";
    }
    return {};
}

void writeBootstrapRun(std::ostream& out, const BootstrapRun& run)
{
    out << FIRST_LINE << '\n';
    out << "level " << floatText(run.sngLevel) << '\n';
    out << "robust-d " << optionalText(run.sngRobustD) << '\n';
    out << "trimmed-mean-1 " << floatText(run.sngTrimmedMean1) << '\n';
    out << "trimmed-mean-2 " << floatText(run.sngTrimmedMean2) << '\n';
    out << "lower " << optionalText(run.lowerBound) << '\n';
    out << "upper " << optionalText(run.upperBound) << '\n';
    out << "seed " << optionalText(run.seed) << '\n';
    out << "dependent " << run.lngDependent << '\n';
    out << "dependent-label " << oneLine(run.dependentLabel) << '\n';
    out << "group-1 " << oneLine(run.strGroup1) << '\n';
    out << "group-2 " << oneLine(run.strGroup2) << '\n';
    out << "group-1-size " << run.group1.size() << '\n';
    out << "group-2-size " << run.group2.size() << '\n';
    out << "effects " << run.effects.size() << '\n';
    writeValues(out, run.group1);
    writeValues(out, run.group2);
    writeValues(out, run.effects);
}

std::optional<BootstrapRun> readBootstrapRun(std::istream& in)
{
    std::string first;
    if (!std::getline(in, first) || first != FIRST_LINE)
        return std::nullopt;
    HeaderReader header(in);
    BootstrapRun run;
    run.sngLevel = header.number<float>("level");
    run.sngRobustD = header.optionalNumber<float>("robust-d");
    run.sngTrimmedMean1 = header.number<float>("trimmed-mean-1");
    run.sngTrimmedMean2 = header.number<float>("trimmed-mean-2");
    run.lowerBound = header.optionalNumber<float>("lower");
    run.upperBound = header.optionalNumber<float>("upper");
    run.seed = header.optionalNumber<uint64_t>("seed");
    run.lngDependent = header.number<int32_t>("dependent");
    run.dependentLabel = header.text("dependent-label");
    run.strGroup1 = header.text("group-1");
    run.strGroup2 = header.text("group-2");
    const auto size1 = header.number<uint64_t>("group-1-size");
    const auto size2 = header.number<uint64_t>("group-2-size");
    const auto effects = header.number<uint64_t>("effects");
    if (!header.ok() || !readValues(in, size1, run.group1) || !readValues(in, size2, run.group2)
        || !readValues(in, effects, run.effects))
        return std::nullopt;
    return run;
}
