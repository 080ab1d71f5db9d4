// A completed analysis written for a manuscript: an APA-style table and sentence.
#include "analyses/ManuscriptText.h"

#include "report/ReportText.h"

#include <charconv>
#include <string_view>
#include <utility>
#include <vector>

namespace {

const char* const MINUS = "\u2212";
const char* const EN_DASH = "\u2013";

std::string escaped(std::string_view text)
{
    std::string html;
    for (const char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

std::string percentText(float level)
{
    return report::integerText(levelPercent(level)) + "%";
}

std::string intervalText(double lower, double upper)
{
    return "[" + manuscriptNumber(lower) + ", " + manuscriptNumber(upper) + "]";
}

const char* const RULE = "border-top:1px solid black;border-bottom:1px solid black;";
const char* const LAST_RULE = "border-bottom:1px solid black;";
const char* const PADDING = "padding:2px 10px;";

// One titled table with its note; a document holds one or more.
std::string tableFragment(const std::string& title, const std::vector<std::string>& header,
    const std::vector<std::vector<std::string>>& rows, const std::string& note)
{
    std::string html = "<p><i>" + title + "</i></p>\n"
        + "<table style=\"border-collapse:collapse;border:none;\">\n<thead><tr>";
    for (std::size_t k = 0; k < header.size(); ++k)
        html += std::string("<th style=\"") + RULE + PADDING
            + (k == 0 ? "text-align:left;" : "text-align:center;") + "font-weight:normal;\">"
            + header[k] + "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        html += "<tr>";
        for (std::size_t k = 0; k < rows[r].size(); ++k)
            html += std::string("<td style=\"") + (r + 1 == rows.size() ? LAST_RULE : "") + PADDING
                + (k == 0 ? "text-align:left;" : "text-align:center;") + "\">" + rows[r][k]
                + "</td>";
        html += "</tr>\n";
    }
    return html + "</tbody>\n</table>\n<p><i>Note.</i> " + note + "</p>\n";
}

std::string htmlDocument(const std::string& body)
{
    return "<html><head><meta charset=\"utf-8\"></head><body>\n" + body + "</body></html>\n";
}

std::string tableHtml(const std::string& title, const std::vector<std::string>& header,
    const std::vector<std::vector<std::string>>& rows, const std::string& note)
{
    return htmlDocument(tableFragment(title, header, rows, note));
}

std::string italic(const std::string& symbol)
{
    return "<i>" + symbol + "</i>";
}

std::string integerCell(int64_t value)
{
    return report::integerText(value);
}

// The groups' row names: the label where the grouping variable has labels,
// otherwise "Group 1 (1)".
std::string groupRowName(const TwoGroupNames& names, int group)
{
    const std::string& name = group == 1 ? names.group1 : names.group2;
    if (names.labelledGroups)
        return escaped(name);
    return "Group " + report::integerText(group) + " (" + escaped(name) + ")";
}

std::string differenceText(const TwoGroupNames& names)
{
    return groupRowName(names, 2) + " minus " + groupRowName(names, 1);
}

std::string bootstrapSentence(const BootstrapRecord& r, bool html)
{
    const auto symbol = [html](const std::string& s) { return html ? italic(s) : s; };
    std::string text = "robust " + symbol("d");
    if (r.observed.effect.computable)
        text += " = " + manuscriptNumber(r.observed.effect.sngRobustD);
    else
        text += " not computable (pooled Winsorized variance of 0)";
    text += ", " + percentText(r.choice.sngLevel) + " CI ";
    text += r.lower && r.upper ? intervalText(*r.lower, *r.upper) : "not available";
    text += ", percentile bootstrap, " + report::integerText(r.trials) + " resamples";
    if (r.valid != r.trials)
        text += " (" + report::integerText(r.valid) + " valid)";
    return text + ", seed " + std::to_string(r.seed);
}

std::string yuenSentence(const YuenRecord& r, bool html)
{
    const auto symbol = [html](const std::string& s) { return html ? italic(s) : s; };
    const robust::YuenResult& t = r.test;
    return "Yuen's " + symbol("t") + "(" + manuscriptNumber(t.df) + ") = " + manuscriptNumber(t.t)
        + ", " + symbol("p") + " " + (html ? escaped(manuscriptP(t.p)) : manuscriptP(t.p))
        + ", difference in " + report::integerText(r.trimPercent)
        + "% trimmed means = " + manuscriptNumber(t.difference) + ", "
        + percentText(r.choice.sngLevel) + " CI " + intervalText(t.lower, t.upper);
}

std::string descriptivesClause(const DescriptivesRow& row, bool html)
{
    const auto symbol = [html](const std::string& s) { return html ? italic(s) : s; };
    std::string text = (html ? escaped(row.name) : row.name) + ": " + symbol("N") + " = "
        + report::integerText(row.n);
    if (row.mean)
        text += ", " + symbol("M") + " = " + manuscriptNumber(*row.mean);
    if (row.sd)
        text += ", " + symbol("SD") + " = " + manuscriptNumber(*row.sd);
    return text;
}

std::string optionalCell(const std::optional<double>& value)
{
    return value ? manuscriptNumber(*value) : EN_DASH;
}

// "Var 2 (len) where Var 3 (supp) = OJ: N = 29, M = 20.57, SD = 6.70,
// Mdn = 22.40, trimmed M = 21.49, Winsorized SD = 4.88", the robust figures at
// 20%; a labelled column has only its count.
std::string groupClause(const DescriptivesRecord& r, const DescriptivesGroupTable& table,
    const DescriptivesGroupRow& row, bool html)
{
    const auto text = [html](const std::string& s) { return html ? escaped(s) : s; };
    const auto symbol = [html](const std::string& s) { return html ? italic(s) : s; };
    std::string clause = text(table.name) + " where " + text(r.splitName) + " = " + text(row.group)
        + ": " + symbol("N") + " = " + report::integerText(row.n);
    const std::pair<std::string, const std::optional<double>*> figures[] {
        { symbol("M"), &row.mean },
        { symbol("SD"), &row.sd },
        { symbol("Mdn"), &row.median },
        { "trimmed " + symbol("M"), &row.trimmedMean },
        { "Winsorized " + symbol("SD"), &row.winsorizedSd },
    };
    for (const auto& [name, value] : figures) {
        if (*value)
            clause += ", " + name + " = " + manuscriptNumber(**value);
    }
    return clause;
}

std::string optionalCell(const std::optional<float>& value)
{
    return value ? manuscriptNumber(*value) : EN_DASH;
}

std::string table(const BootstrapRecord& r)
{
    const robust::GroupStatistics& g1 = r.observed.group1;
    const robust::GroupStatistics& g2 = r.observed.group2;
    const auto row = [&](const robust::GroupStatistics& g, int group) {
        return std::vector<std::string> { groupRowName(r.names, group), integerCell(g.lngN),
            manuscriptNumber(g.sngMean), manuscriptNumber(g.sngVariance),
            manuscriptNumber(g.sngTrimmedMean), manuscriptNumber(g.sngWinsorizedVariance) };
    };
    const std::string note = "Robust " + italic("d") + " is the difference in 20% trimmed means ("
        + differenceText(r.names)
        + ") times \u221a0.4129, over the pooled 20% Winsorized standard deviation; "
        + bootstrapSentence(r, true) + ". Pooled variance = "
        + manuscriptNumber(r.observed.effect.sngPooledVariance) + ", pooled Winsorized variance = "
        + manuscriptNumber(r.observed.effect.sngPooledWinsorizedVariance) + ".";
    return tableHtml(
        "Robust Effect Size of " + escaped(r.names.dependent) + " by " + escaped(r.names.grouping),
        { "Group", italic("n"), italic("M"), italic("s") + "<sup>2</sup>",
            italic("M") + "<sub>t</sub>", italic("s") + "<sup>2</sup><sub>w</sub>" },
        { row(g1, 1), row(g2, 2) }, note);
}

std::string table(const YuenRecord& r)
{
    const robust::YuenResult& t = r.test;
    const std::vector<std::vector<std::string>> rows {
        { groupRowName(r.names, 1), integerCell(t.n1), integerCell(t.h1),
            manuscriptNumber(t.trimmedMean1), manuscriptNumber(t.winsorizedVariance1) },
        { groupRowName(r.names, 2), integerCell(t.n2), integerCell(t.h2),
            manuscriptNumber(t.trimmedMean2), manuscriptNumber(t.winsorizedVariance2) },
    };
    std::string note = yuenSentence(r, true) + " (" + differenceText(r.names) + "); " + italic("SE")
        + " = " + manuscriptNumber(t.standardError) + ". ";
    if (r.robustD)
        note += "Robust " + italic("d") + " = " + manuscriptNumber(*r.robustD) + ". ";
    const std::string trimming = report::integerText(r.trimPercent) + "%";
    note += italic("h") + " = values kept after trimming; " + italic("M") + "<sub>t</sub>" + " = "
        + trimming + " trimmed mean; " + italic("s") + "<sup>2</sup><sub>w</sub>" + " = "
        + trimming + " Winsorized variance.";
    return tableHtml("Yuen's Test of " + trimming + " Trimmed Means of "
            + escaped(r.names.dependent) + " by " + escaped(r.names.grouping),
        { "Group", italic("n"), italic("h"), italic("M") + "<sub>t</sub>",
            italic("s") + "<sup>2</sup><sub>w</sub>" },
        rows, note);
}

// The measures as a manuscript names them, in the record's order.
std::string effectsMeasure(std::size_t row, bool html)
{
    const auto symbol = [html](const std::string& s) { return html ? italic(s) : s; };
    switch (row) {
    case 0:
        return "AKP robust " + symbol("d");
    case 1:
        return "AKP robust " + symbol("d") + " (Group 1 variance)";
    case 2:
        return "AKP robust " + symbol("d") + " (Group 2 variance)";
    case 3:
        return "KMS " + symbol("d");
    case 4:
        return symbol("\u03be");
    case 5:
        return "quantile shift";
    case 6:
        return symbol("P") + (html ? "(Group 2 &gt; Group 1)" : "(Group 2 > Group 1)");
    default:
        return "Cliff's " + symbol("\u03b4");
    }
}

std::string effectsInterval(const EffectsRow& row)
{
    return row.lower && row.upper ? intervalText(*row.lower, *row.upper) : "not available";
}

std::string effectsResampling(const EffectsRecord& r)
{
    return "percentile bootstrap, " + report::integerText(r.trials) + " resamples, seed "
        + std::to_string(r.seed);
}

std::string effectsSentence(const EffectsRecord& r, bool html)
{
    std::string text;
    for (std::size_t k = 0; k < r.rows.size(); ++k) {
        const EffectsRow& row = r.rows[k];
        text += (text.empty() ? "" : "; ") + effectsMeasure(k, html);
        if (!row.estimate) {
            text += " not computable";
            continue;
        }
        text += " = " + manuscriptNumber(*row.estimate) + ", " + percentText(r.choice.sngLevel)
            + " CI " + effectsInterval(row);
    }
    return text + "; " + effectsResampling(r);
}

// A split run: a table a variable, a row a group.
std::string groupTablesHtml(const DescriptivesRecord& r)
{
    const std::string note = italic("N") + " = values present; " + italic("M") + " = mean; "
        + italic("SD") + " = standard deviation; " + italic("Mdn") + " = median; " + italic("M")
        + "<sub>t</sub> = 20% trimmed mean; " + italic("SD") + "<sub>w</sub>"
        + " = 20% Winsorized standard deviation.";
    std::string body;
    for (const DescriptivesGroupTable& table : r.groupTables) {
        std::vector<std::vector<std::string>> rows;
        for (const DescriptivesGroupRow& row : table.rows)
            rows.push_back({ escaped(row.group), integerCell(row.n), optionalCell(row.mean),
                optionalCell(row.sd), optionalCell(row.median), optionalCell(row.trimmedMean),
                optionalCell(row.winsorizedSd) });
        body += tableFragment(
            "Descriptive Statistics of " + escaped(table.name) + " by " + escaped(r.splitName),
            { escaped(r.splitName), italic("N"), italic("M"), italic("SD"), italic("Mdn"),
                italic("M") + "<sub>t</sub>", italic("SD") + "<sub>w</sub>" },
            rows, note);
    }
    return htmlDocument(body);
}

std::string table(const DescriptivesRecord& r)
{
    if (!r.groupTables.empty())
        return groupTablesHtml(r);
    std::vector<std::vector<std::string>> rows;
    bool labelled = false;
    for (const DescriptivesRow& row : r.rows) {
        labelled = labelled || row.labelled;
        rows.push_back({ escaped(row.name), integerCell(row.n), optionalCell(row.mean),
            optionalCell(row.sd), optionalCell(row.min), optionalCell(row.max) });
    }
    std::string note = italic("N") + " = values present; " + italic("M") + " = mean; "
        + italic("SD") + " = standard deviation.";
    if (labelled)
        note += " A variable holding text labels has only its count.";
    return tableHtml("Descriptive Statistics",
        { "Variable", italic("N"), italic("M"), italic("SD"), "Min", "Max" }, rows, note);
}

std::string table(const EffectsRecord& r)
{
    std::vector<std::vector<std::string>> rows;
    for (std::size_t k = 0; k < r.rows.size(); ++k) {
        const EffectsRow& row = r.rows[k];
        rows.push_back({ effectsMeasure(k, true), optionalCell(row.estimate),
            row.lower && row.upper ? intervalText(*row.lower, *row.upper) : EN_DASH,
            row.valid ? integerCell(*row.valid) : EN_DASH });
    }
    const std::string trimming = report::integerText(r.trimPercent) + "%";
    const std::string note = "Differences are " + differenceText(r.names)
        + ", at " + trimming + " trimming. Intervals of the " + italic("d")
        + " measures, " + italic("\u03be") + " and the quantile shift: "
        + effectsResampling(r) + "; Trials = valid resamples. Intervals of " + italic("P")
        + " and " + italic("\u03b4") + ": Cliff's analytic interval.";
    return tableHtml("Robust Effect Sizes of " + escaped(r.names.dependent) + " by "
            + escaped(r.names.grouping),
        { "Measure", "Estimate", percentText(r.choice.sngLevel) + " CI", "Trials" }, rows, note);
}

std::string sentence(const EffectsRecord& r)
{
    return effectsSentence(r, false);
}

std::string sentence(const BootstrapRecord& r)
{
    return bootstrapSentence(r, false);
}

std::string sentence(const YuenRecord& r)
{
    return yuenSentence(r, false);
}

std::string sentence(const DescriptivesRecord& r)
{
    std::string text;
    for (const DescriptivesGroupTable& table : r.groupTables) {
        for (const DescriptivesGroupRow& row : table.rows)
            text += (text.empty() ? "" : "; ") + groupClause(r, table, row, false);
    }
    if (!text.empty())
        return text;
    for (const DescriptivesRow& row : r.rows)
        text += (text.empty() ? "" : "; ") + descriptivesClause(row, false);
    return text;
}

} // namespace

std::string manuscriptNumber(double value, int decimals)
{
    char buffer[512];
    const auto end
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, end.ptr);
    if (text.front() != '-')
        return text;
    if (text.find_first_of("123456789") == std::string::npos)
        return text.substr(1);
    return MINUS + text.substr(1);
}

std::string manuscriptP(double p)
{
    if (p < 0.001)
        return "< .001";
    std::string text = manuscriptNumber(p, 3);
    if (text.rfind("0.", 0) == 0)
        text.erase(0, 1);
    return "= " + text;
}

std::string manuscriptTable(const AnalysisRecord& record)
{
    return std::visit([](const auto& r) { return table(r); }, record);
}

std::string manuscriptSentence(const AnalysisRecord& record)
{
    return std::visit([](const auto& r) { return sentence(r); }, record);
}
