// The line that ends a report with what produced it: program, data file and methods.
#include "report/SourceLine.h"

#include "report/NumberFormat.h"
#include "report/ReportText.h"

namespace report {

std::string_view programVersion()
{
    return TRELLAM_VERSION;
}

std::string sourceLine(std::string_view dataFile, double trimming, std::string_view interval)
{
    std::string line = "Trellam ";
    line += programVersion();
    line += "; data: ";
    line += dataFile.empty() ? std::string("(none)") : printable(dataFile);
    line += "; " + formatReportNumber(trimming * 100.0) + "% trimming";
    if (!interval.empty()) {
        line += "; ";
        line += interval;
    }
    return line;
}

std::string withSourceLine(std::string_view report, std::string_view line)
{
    // The text ends at its last character that is not a line end; the line
    // end after it stays with the text.
    const std::size_t last = report.find_last_not_of(LINE_END);
    const std::size_t textEnd = last == std::string_view::npos ? 0 : last + 1;
    std::string result(report.substr(0, textEnd));
    if (textEnd != 0)
        result += LINE_END;
    result += line;
    result += LINE_END;
    const std::string_view closing = report.substr(textEnd);
    // The text's own line end is written above; the rest are the empty lines.
    result += closing.substr(closing.empty() ? 0 : 1);
    return result;
}

} // namespace report
