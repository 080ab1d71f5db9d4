// trellam-cli: the program's analyses from a terminal, printing the very
// report the output pane would receive.
#include "analyses/BootstrapAnalysis.h"
#include "analyses/DescriptivesAnalysis.h"
#include "analyses/EffectsAnalysis.h"
#include "analyses/ReproductionScript.h"
#include "analyses/YuenAnalysis.h"
#include "PlotProgram.h"
#include "data/DataImport.h"
#include "data/FileFormat.h"
#include "data/FileImport.h"
#include "data/LayoutGuess.h"
#include "data/WorkbookImport.h"
#include "data/Parallel.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const USAGE
    = "usage: trellam-cli descriptives FILE [--delimiter tab|comma|semicolon|space] [--columns 1,3-5]\n"
      "                   [--by K]\n"
      "       trellam-cli bootstrap FILE --dv K --gv K --group1 TEXT --group2 TEXT\n"
      "                   [--trials B] [--level 90|95|99] [--seed N] [--delimiter ...]\n"
      "                   [--plot FILE.svg|FILE.png]\n"
      "       trellam-cli yuen FILE --dv K --gv K --group1 TEXT --group2 TEXT\n"
      "                   [--trim 0.2] [--level 90|95|99] [--delimiter ...]\n"
      "       trellam-cli effects FILE --dv K --gv K --group1 TEXT --group2 TEXT\n"
      "                   [--trim 0.2] [--trials 2000] [--level 90|95|99] [--seed N]\n"
      "                   [--delimiter ...]\n"
      "       every command also takes --threads N, --names when the file's\n"
      "       first line holds the variable names, --sheet N|NAME for a workbook's\n"
      "       sheet (the first unless given), --source-lines to end the report\n"
      "       with the program's version, the data file and the methods, and\n"
      "       --script FILE.py|FILE.R to write a Python (NumPy, SciPy) or R\n"
      "       script that reproduces the report\n"
      "       trellam-cli --help | --version\n";

const std::set<std::string> OPTIONS_WITH_VALUE { "--delimiter", "--columns", "--by", "--dv", "--gv",
    "--group1", "--group2", "--trials", "--level", "--seed", "--threads", "--plot", "--script",
    "--trim", "--sheet" };

// A mistake in the command line: said on standard error with the usage.
struct UsageError {
    std::string text;
};

// Options without a value: present or not.
const std::set<std::string> FLAG_OPTIONS { "--names", "--source-lines" };

struct CommandLine {
    std::string command;
    std::string file;
    std::set<std::string> flags;
    std::map<std::string, std::string> options;

    std::optional<std::string> value(const std::string& name) const
    {
        const auto found = options.find(name);
        if (found == options.end())
            return std::nullopt;
        return found->second;
    }
};

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (OPTIONS_WITH_VALUE.count(arg)) {
            if (i + 1 >= args.size())
                throw UsageError { arg + " needs a value" };
            if (line.options.count(arg))
                throw UsageError { arg + " is given twice" };
            line.options[arg] = args[++i];
        } else if (FLAG_OPTIONS.count(arg)) {
            if (!line.flags.insert(arg).second)
                throw UsageError { arg + " is given twice" };
        } else if (arg.size() > 1 && arg.front() == '-') {
            throw UsageError { "unknown option " + arg };
        } else if (line.command.empty()) {
            line.command = arg;
        } else if (line.file.empty()) {
            line.file = arg;
        } else {
            throw UsageError { "unexpected argument " + arg };
        }
    }
    if (line.command != "descriptives" && line.command != "bootstrap" && line.command != "yuen"
        && line.command != "effects")
        throw UsageError { line.command.empty() ? "no command"
                                                : "unknown command " + line.command };
    if (line.file.empty())
        throw UsageError { "no data file" };
    return line;
}

int64_t wholeNumber(std::string_view text, int64_t lowest, int64_t highest, const std::string& what)
{
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lowest || value > highest)
        throw UsageError { what + " must be a whole number from " + std::to_string(lowest) + " to "
            + std::to_string(highest) };
    return value;
}

std::string delimiterOf(const CommandLine& line)
{
    const std::optional<std::string> name = line.value("--delimiter");
    if (!name)
        return guessDelimiter(line.file);
    if (*name == "tab")
        return "\t";
    if (*name == "comma")
        return ",";
    if (*name == "semicolon")
        return ";";
    if (*name == "space")
        return " ";
    throw UsageError { "--delimiter must be tab, comma, semicolon or space" };
}

// A failure of the import, said on standard error.
struct ImportFailure {
    std::string text;
};

// The sheet --sheet names, by its name or its number from 1; else the first.
int sheetOf(const CommandLine& line, const WorkbookLook& look)
{
    const std::optional<std::string> wanted = line.value("--sheet");
    if (!wanted)
        return 0;
    for (std::size_t k = 0; k < look.sheets.size(); ++k) {
        if (look.sheets[k] == *wanted)
            return static_cast<int>(k);
    }
    int64_t number = 0;
    const char* end = wanted->data() + wanted->size();
    const auto [ptr, ec] = std::from_chars(wanted->data(), end, number);
    if (ec == std::errc() && ptr == end && number >= 1
        && number <= static_cast<int64_t>(look.sheets.size()))
        return static_cast<int>(number - 1);
    throw ImportFailure { "The workbook has no sheet " + *wanted + ": " + line.file };
}

// The import of the file as the command line says: a workbook's first row
// holds names with --names or when the layout guess finds them there.
ImportResult importFile(const CommandLine& line)
{
    ImportChoice choice;
    choice.firstLineNames = line.flags.count("--names") > 0;
    const FileFormat format = fileFormatOf(line.file);
    if (isWorkbook(format)) {
        const WorkbookLook first = lookAtWorkbook(line.file, format);
        // A damaged package is refused once, not read and checked again.
        if (first.refusal != ImportStatus::Ok)
            return importOutcome({ first.refusal, 0, 0 }, {}, line.file, {});
        if (first.readable) {
            choice.sheet = sheetOf(line, first);
            if (!choice.firstLineNames)
                choice.firstLineNames = choice.sheet == 0
                    ? first.firstRowNames
                    : lookAtWorkbook(line.file, format, choice.sheet).firstRowNames;
        }
    } else {
        if (line.value("--sheet"))
            throw UsageError { "--sheet applies to a workbook only" };
        if (format == FileFormat::Text)
            choice.delimiter = delimiterOf(line);
    }
    return importDataFile(line.file, choice, line.file);
}

// "1,3-5" as 1, 3, 4, 5; every column between 1 and `count`.
std::vector<int32_t> columnList(const std::string& text, int32_t count)
{
    std::vector<int32_t> columns;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view part(text.data() + start, comma - start);
        const std::size_t dash = part.find('-');
        const std::string what = "a column in --columns";
        const int64_t first = wholeNumber(part.substr(0, dash), 1, count, what);
        const int64_t last = dash == std::string_view::npos
            ? first
            : wholeNumber(part.substr(dash + 1), first, count, what);
        for (int64_t column = first; column <= last; ++column)
            columns.push_back(static_cast<int32_t>(column));
        start = comma + 1;
    }
    return columns;
}

std::vector<int32_t> allColumns(int32_t count)
{
    std::vector<int32_t> columns;
    for (int32_t column = 1; column <= count; ++column)
        columns.push_back(column);
    return columns;
}

// Descriptives write the decimal point of the user's locale, as the window does.
char localeDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "");
    const char* point = std::localeconv()->decimal_point;
    const char separator = point && point[0] && !point[1] ? point[0] : '.';
    std::setlocale(LC_NUMERIC, "C");
    return static_cast<unsigned char>(separator) < 0x80 ? separator : '.';
}

void readChoice(const CommandLine& line, int32_t columnCount, TwoGroupChoice& choice)
{
    for (const char* required : { "--dv", "--gv", "--group1", "--group2" }) {
        if (!line.value(required))
            throw UsageError { std::string(required) + " is required" };
    }
    choice.lngDependent
        = static_cast<int32_t>(wholeNumber(*line.value("--dv"), 1, columnCount, "--dv"));
    choice.lngGrouping
        = static_cast<int32_t>(wholeNumber(*line.value("--gv"), 1, columnCount, "--gv"));
    choice.strGroup1 = *line.value("--group1");
    choice.strGroup2 = *line.value("--group2");
    const int64_t percent = wholeNumber(line.value("--level").value_or("95"), 90, 99, "--level");
    if (percent != 90 && percent != 95 && percent != 99)
        throw UsageError { "--level must be 90, 95 or 99" };
    choice.sngLevel = percent == 90 ? 0.90f : percent == 95 ? 0.95f : 0.99f;
}

// A bootstrap run that completes leaves its plot data in `completed`.
AnalysisResult runCommand(const CommandLine& line, const DataMatrix& data,
    std::shared_ptr<const BootstrapRun>& completed)
{
    const int32_t columns = data.columnCount();
    if (line.command == "descriptives") {
        for (const char* other :
            { "--dv", "--gv", "--group1", "--group2", "--trials", "--level", "--seed", "--plot",
                "--trim" })
            if (line.value(other))
                throw UsageError { std::string(other) + " is not an option of descriptives" };
        const std::optional<std::string> chosen = line.value("--columns");
        const std::optional<std::string> by = line.value("--by");
        const int32_t split
            = by ? static_cast<int32_t>(wholeNumber(*by, 1, columns, "--by")) : NO_SPLIT;
        return descriptivesAnalysis(data,
            chosen ? columnList(*chosen, columns) : allColumns(columns), localeDecimalSeparator(),
            split);
    }
    for (const char* own : { "--columns", "--by" })
        if (line.value(own))
            throw UsageError { std::string(own) + " is an option of descriptives only" };
    if (line.command == "yuen") {
        for (const char* other : { "--trials", "--seed", "--plot" })
            if (line.value(other))
                throw UsageError { std::string(other) + " is not an option of yuen" };
        TwoGroupChoice choice;
        readChoice(line, columns, choice);
        return runYuenAnalysis(data, choice, line.value("--trim").value_or("0.2"));
    }
    if (line.command == "effects") {
        if (line.value("--plot"))
            throw UsageError { "--plot is not an option of effects" };
        EffectsRequest request;
        readChoice(line, columns, request);
        request.strTrim = line.value("--trim").value_or("0.2");
        request.lngTrials = static_cast<int32_t>(wholeNumber(line.value("--trials").value_or("2000"),
            MIN_EFFECTS_TRIALS, MAX_EFFECTS_TRIALS, "--trials"));
        request.strSeed = line.value("--seed").value_or("");
        request.clockSeed = seedFromClock();
        return runEffectsAnalysis(data, request);
    }
    if (line.value("--trim"))
        throw UsageError { "--trim is not an option of bootstrap" };
    BootstrapRequest request;
    readChoice(line, columns, request);
    request.lngTrials = static_cast<int32_t>(
        wholeNumber(line.value("--trials").value_or("2000"), 1, 1'000'000, "--trials"));
    request.strSeed = line.value("--seed").value_or("");
    request.clockSeed = seedFromClock();
    BootstrapResult result = runBootstrapAnalysis(data, request);
    completed = result.run;
    return result;
}

// Where --plot is to write: a name ending in .svg or .png.
std::optional<std::string> plotFile(const CommandLine& line)
{
    const std::optional<std::string> file = line.value("--plot");
    if (!file)
        return std::nullopt;
    std::string extension = std::filesystem::path(*file).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".svg" && extension != ".png")
        throw UsageError { "--plot needs a file name ending in .svg or .png" };
    return file;
}

// Where --script is to write, and in which language its name asks for.
std::optional<std::pair<std::string, ScriptLanguage>> scriptFile(const CommandLine& line)
{
    const std::optional<std::string> file = line.value("--script");
    if (!file)
        return std::nullopt;
    const std::optional<ScriptLanguage> language = scriptLanguageFor(*file);
    if (!language)
        throw UsageError { "--script needs a file name ending in .py or .R" };
    return std::make_pair(*file, *language);
}

// Writes `text` to `path` whole or not at all: into a file beside it, which
// then takes its name.
bool writtenWhole(const std::string& path, const std::string& text)
{
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(part, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (error)
        std::filesystem::remove(part, error);
    return !error;
}

// Writes `text` to standard output; when it does not all get there (closed,
// a full disk, a reader gone) says so on standard error, since an exit
// status alone is easily missed.
bool printed(const std::string& text)
{
    std::cout << text << std::flush;
    if (std::cout)
        return true;
    std::cerr << "trellam-cli: the report could not be written to standard output.\n";
    return false;
}

int run(const std::vector<std::string>& args, const char* argv0)
{
    const CommandLine line = parseCommandLine(args);
    const std::optional<std::string> plot = plotFile(line);
    const auto script = scriptFile(line);
    // Checked before the run, which may be long.
    const std::filesystem::path plotter = plotProgramPath(argv0);
    std::error_code error;
    if (plot && !std::filesystem::is_regular_file(plotter, error)) {
        std::cerr << "trellam-cli: --plot needs " << plotter.string() << ", which is missing\n";
        return 1;
    }
    if (const std::optional<std::string> threads = line.value("--threads"))
        setWorkerThreads(static_cast<int>(wholeNumber(*threads, 1, 256, "--threads")));
    // The scripts read text files with NumPy or base R alone.
    const bool textFile = fileFormatOf(line.file) == FileFormat::Text;
    if (script && !textFile) {
        std::cerr << "trellam-cli: a reproduction script reads text data files only\n";
        return 2;
    }
    const ImportResult imported = importFile(line);
    if (imported.status != ImportStatus::Ok) {
        std::cerr << imported.message << '\n';
        if (!imported.cure.empty())
            std::cerr << imported.cure << '\n';
        return 1;
    }
    // Said here for every command; an analysis would only find no column to use.
    if (imported.data.rowCount() == 0 || imported.data.columnCount() == 0) {
        std::cerr << "The data file holds no data: " << line.file << '\n';
        return 1;
    }
    std::shared_ptr<const BootstrapRun> completed;
    const AnalysisResult result = runCommand(line, imported.data, completed);
    if (!result.message.empty()) {
        std::cerr << result.message << '\n';
        return 1;
    }
    // The data file by its name alone, as the window names it.
    const std::string report = line.flags.count("--source-lines")
        ? reportWithSourceLine(result, std::filesystem::path(line.file).filename().string())
        : result.report;
    if (!printed(report))
        return 1;
    if (script && result.record) {
        std::error_code ignored;
        const DataSource source { std::filesystem::absolute(line.file, ignored).lexically_normal().string(),
            delimiterOf(line), line.flags.count("--names") > 0 };
        if (!writtenWhole(script->first,
                reproductionScript(*result.record, source, script->second))) {
            std::cerr << "trellam-cli: the script could not be written: " << script->first << '\n';
            return 1;
        }
    }
    if (plot && completed) {
        if (const std::string problem = drawPlot(plotter, *completed, *plot); !problem.empty()) {
            std::cerr << "trellam-cli: " << problem << '\n';
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    // A reader that has gone away makes the write fail, so that it is reported.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
        return printed(USAGE) ? 0 : 1;
    if (args.size() == 1 && args[0] == "--version")
        return printed("trellam-cli " TRELLAM_VERSION "\n") ? 0 : 1;
    try {
        return run(args, argc > 0 ? argv[0] : nullptr);
    } catch (const UsageError& error) {
        std::cerr << "trellam-cli: " << error.text << '\n' << USAGE;
        return 2;
    } catch (const ImportFailure& failure) {
        std::cerr << failure.text << '\n';
        return 1;
    } catch (...) {
        std::cerr << failedAnalysisMessage() << '\n';
        return 1;
    }
}
