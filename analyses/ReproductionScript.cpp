// A script that reproduces a completed analysis on its data file.
#include "analyses/ReproductionScript.h"

#include "ScriptTemplates.h"
#include "report/ReportText.h"

#include <cstdio>
#include <variant>

namespace {

// A Python bytes or R string literal of `text`: printable ASCII as it is,
// every other byte escaped, so that any path or label survives exactly.
std::string literal(std::string_view text, ScriptLanguage language)
{
    const char quote = language == ScriptLanguage::Python ? '\'' : '"';
    std::string out = language == ScriptLanguage::Python ? "b'" : "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == quote) {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        }
    }
    return out + quote;
}

std::string integer(int64_t value, ScriptLanguage language)
{
    return report::integerText(value) + (language == ScriptLanguage::R ? "L" : "");
}

std::string boolean(bool value, ScriptLanguage language)
{
    if (language == ScriptLanguage::R)
        return value ? "TRUE" : "FALSE";
    return value ? "True" : "False";
}

// Collects the settings block: NAME = value lines, or NAME <- value in R.
class Settings {
public:
    explicit Settings(ScriptLanguage language)
        : m_language(language)
    {
    }
    void add(const char* name, const std::string& value)
    {
        m_text += std::string(name) + (m_language == ScriptLanguage::R ? " <- " : " = ") + value
            + "\n";
    }
    void addText(const char* name, std::string_view text) { add(name, literal(text, m_language)); }
    // A name of the scripts' own: plain ASCII, a text in either language.
    void addName(const char* name, std::string_view text)
    {
        add(name, "'" + std::string(text) + "'");
    }
    void addInteger(const char* name, int64_t value) { add(name, integer(value, m_language)); }
    void addBoolean(const char* name, bool value) { add(name, boolean(value, m_language)); }
    ScriptLanguage language() const { return m_language; }
    const std::string& text() const { return m_text; }

private:
    ScriptLanguage m_language;
    std::string m_text;
};

void addChoice(Settings& settings, const TwoGroupChoice& choice)
{
    settings.addInteger("DV", choice.lngDependent);
    settings.addInteger("GV", choice.lngGrouping);
    settings.addText("GROUP1", choice.strGroup1);
    settings.addText("GROUP2", choice.strGroup2);
    const int32_t percent = levelPercent(choice.sngLevel);
    settings.add("LEVEL", "0." + report::integerText(percent));
}

// The trials and the seed that draw the Python script's intervals again.
void addTrials(Settings& settings, int32_t trials, uint64_t seed, bool seedNamed)
{
    settings.addInteger("TRIALS", trials);
    settings.add("SEED", std::to_string(seed));
    settings.addBoolean("SEED_NAMED", seedNamed);
}

void addAnalysis(Settings& settings, const BootstrapRecord& record)
{
    settings.addName("ANALYSIS", "bootstrap");
    addChoice(settings, record.choice);
    settings.addInteger("TRIM_PERCENT", 20);
    if (settings.language() == ScriptLanguage::Python) {
        addTrials(settings, record.trials, record.seed, record.seedNamed);
    } else {
        settings.addInteger("TRIALS", record.trials);
        // set.seed takes a 32-bit integer: the seed folded into that range.
        settings.addInteger("SEED_R", static_cast<int64_t>(record.seed % 2147483647u));
    }
}

void addAnalysis(Settings& settings, const YuenRecord& record)
{
    settings.addName("ANALYSIS", "yuen");
    addChoice(settings, record.choice);
    settings.addInteger("TRIM_PERCENT", record.trimPercent);
}

void addAnalysis(Settings& settings, const EffectsRecord& record)
{
    settings.addName("ANALYSIS", "effects");
    addChoice(settings, record.choice);
    settings.addInteger("TRIM_PERCENT", record.trimPercent);
    // R draws none of the effect sizes' intervals.
    if (settings.language() == ScriptLanguage::Python)
        addTrials(settings, record.trials, record.seed, record.seedNamed);
}

void addAnalysis(Settings& settings, const DescriptivesRecord& record)
{
    settings.addName("ANALYSIS", "descriptives");
    std::string columns;
    for (const int32_t column : record.columns)
        columns += (columns.empty() ? "" : ", ") + integer(column, settings.language());
    if (settings.language() == ScriptLanguage::Python) {
        settings.add("COLUMNS", "[" + columns + "]");
        settings.add("DECIMAL_SEPARATOR",
            literal(std::string(1, record.decimalSeparator), ScriptLanguage::Python) + ".decode()");
    } else {
        settings.add("COLUMNS", "c(" + columns + ")");
    }
    settings.addInteger("SPLIT", record.splitBy);
}

} // namespace

std::optional<ScriptLanguage> scriptLanguageFor(std::string_view fileName)
{
    if (fileName.ends_with(".py"))
        return ScriptLanguage::Python;
    if (fileName.ends_with(".R") || fileName.ends_with(".r"))
        return ScriptLanguage::R;
    return std::nullopt;
}

std::string reproductionScript(
    const AnalysisRecord& record, const DataSource& source, ScriptLanguage language)
{
    Settings settings(language);
    std::visit([&settings](const auto& r) { addAnalysis(settings, r); }, record);
    settings.addText("DATA_FILE", source.path);
    settings.addText("DELIMITER", source.delimiter);
    settings.addBoolean("NAMES", source.firstLineNames);

    std::string script
        = language == ScriptLanguage::Python ? PYTHON_SCRIPT_TEMPLATE : R_SCRIPT_TEMPLATE;
    const std::string marker = "#@SETTINGS@\n";
    const std::size_t at = script.find(marker);
    if (at != std::string::npos)
        script.replace(at, marker.size(), settings.text());
    return script;
}
