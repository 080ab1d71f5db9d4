// Reading of SPSS, Stata and SAS files through ReadStat, whose handlers hand
// the variables, values and value labels to the data-set builder.
#include "data/StatisticsImport.h"

#include "data/AvailableMemory.h"
#include "data/TableBuilder.h"
#include "report/ReportText.h"

#include <readstat.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#ifndef _WIN32
#include "data/RegularFile.h"

#include <unistd.h>
#endif

namespace {

// What ReadStat reads from: the opened file through a buffer, since ReadStat
// asks for one case at a time; or bytes in memory.
struct Source {
    static constexpr std::size_t BUFFER_BYTES = std::size_t { 1 } << 20;
    int fd = -1;
    std::string_view bytes;
    std::size_t position = 0; // in `bytes`
    std::uintmax_t size = 0;
    std::vector<char> buffer;
    std::size_t start = 0; // the unread part of the buffer
    std::size_t end = 0;
    // Bytes given to ReadStat otherwise than the file holds them: (offset, byte).
    std::vector<std::pair<std::uint64_t, char>> patches;

    void patch(char* into, std::uint64_t at, std::size_t count) const
    {
        for (const auto& [offset, byte] : patches) {
            if (offset >= at && offset - at < count)
                into[offset - at] = byte;
        }
    }
};

// A portable file's character table: 256 characters after a 200-byte
// header, lines of 80 characters ending anywhere between. Writers put an
// ordinary character such as '1' also in a place the table keeps for a rare
// one (a superscript 1), and ReadStat takes the later place, so that every
// 1 of the file reads as that rare character. Each character is given its
// first place alone: its later places get the character of place 64 ('0'),
// which ReadStat sets last.
std::vector<std::pair<std::uint64_t, char>> portableTablePatches(std::string_view start)
{
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t at = 0; at < start.size() && offsets.size() < 456; ++at) {
        if (start[at] != '\r' && start[at] != '\n')
            offsets.push_back(at);
    }
    std::vector<std::pair<std::uint64_t, char>> patches;
    if (offsets.size() < 456)
        return patches;
    const auto table = [&](std::size_t place) { return start[offsets[200 + place]]; };
    for (std::size_t place = 65; place < 256; ++place) {
        for (std::size_t earlier = 64; earlier < place; ++earlier) {
            if (table(earlier) == table(place)) {
                patches.emplace_back(offsets[200 + place], table(64));
                break;
            }
        }
    }
    return patches;
}

int openSource(const char*, void*)
{
    return 0; // opened before the reading starts
}

int closeSource(void*)
{
    return 0;
}

readstat_off_t seekSource(readstat_off_t offset, readstat_io_flags_t whence, void* context)
{
    auto& source = *static_cast<Source*>(context);
#ifndef _WIN32
    if (source.fd >= 0) {
        // The file's position is past the buffer's unread bytes.
        const auto unread = static_cast<readstat_off_t>(source.end - source.start);
        source.start = source.end = 0;
        if (whence == READSTAT_SEEK_CUR)
            return ::lseek(source.fd, offset - unread, SEEK_CUR);
        return ::lseek(source.fd, offset, whence == READSTAT_SEEK_SET ? SEEK_SET : SEEK_END);
    }
#endif
    const auto size = static_cast<readstat_off_t>(source.bytes.size());
    const readstat_off_t base = whence == READSTAT_SEEK_SET ? 0
        : whence == READSTAT_SEEK_CUR ? static_cast<readstat_off_t>(source.position)
                                      : size;
    if (offset > size - base || offset < -base)
        return -1;
    source.position = static_cast<std::size_t>(base + offset);
    return static_cast<readstat_off_t>(source.position);
}

ssize_t readSource(void* into, size_t count, void* context)
{
    auto& source = *static_cast<Source*>(context);
#ifndef _WIN32
    if (source.fd >= 0) {
        auto* out = static_cast<char*>(into);
        std::size_t done = 0;
        while (done < count) {
            if (source.start == source.end) {
                source.buffer.resize(Source::BUFFER_BYTES);
                const off_t at = ::lseek(source.fd, 0, SEEK_CUR);
                const ssize_t got = ::read(source.fd, source.buffer.data(), source.buffer.size());
                if (got < 0 || at < 0)
                    return -1;
                source.patch(source.buffer.data(), static_cast<std::uint64_t>(at),
                    static_cast<std::size_t>(got));
                if (got == 0)
                    break;
                source.start = 0;
                source.end = static_cast<std::size_t>(got);
            }
            const std::size_t given = std::min(count - done, source.end - source.start);
            std::memcpy(out + done, source.buffer.data() + source.start, given);
            source.start += given;
            done += given;
        }
        return static_cast<ssize_t>(done);
    }
#endif
    const std::size_t left = source.bytes.size() - std::min(source.position, source.bytes.size());
    const std::size_t given = std::min(count, left);
    if (given > 0) {
        std::memcpy(into, source.bytes.data() + source.position, given);
        source.patch(static_cast<char*>(into), source.position, given);
    }
    source.position += given;
    return static_cast<ssize_t>(given);
}

readstat_error_t updateSource(long, readstat_progress_handler, void*, void*)
{
    return READSTAT_OK;
}

// The reading's state, which ReadStat's handlers fill.
struct Reading {
    explicit Reading(MemoryBudget& memory, std::uintmax_t fileBytes)
        : budget(memory)
        , builder(memory)
        , bytes(fileBytes)
    {
    }
    MemoryBudget& budget;
    TableBuilder builder;
    std::uintmax_t bytes;
    std::vector<std::string> names;
    std::vector<std::string> labelSets; // each variable's value labels, by name
    std::map<std::string, std::vector<std::pair<double, std::string>>> labels;
};

int onMetadata(readstat_metadata_t* metadata, void* context)
{
    auto& reading = *static_cast<Reading*>(context);
    const int64_t variables = readstat_get_var_count(metadata);
    if (variables > MAX_COLUMNS) {
        reading.builder.stop(ImportStatus::TooManyVariables);
        return READSTAT_HANDLER_ABORT;
    }
    // The rows a file says it holds make room at once, but no more than its
    // size allows: a damaged count takes no memory.
    const int64_t rows = readstat_get_row_count(metadata);
    if (rows > 0 && variables > 0) {
        const auto room
            = static_cast<std::size_t>(std::min<std::uintmax_t>(static_cast<std::uintmax_t>(rows),
                reading.bytes / static_cast<std::uintmax_t>(variables) + 1));
        if (!reading.builder.expectRows(room, static_cast<std::size_t>(variables)))
            return READSTAT_HANDLER_ABORT;
    }
    return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t* variable, const char* labelSet, void* context)
{
    auto& reading = *static_cast<Reading*>(context);
    if (index < 0 || index >= MAX_COLUMNS) {
        reading.builder.stop(ImportStatus::TooManyVariables);
        return READSTAT_HANDLER_ABORT;
    }
    const auto column = static_cast<std::size_t>(index);
    if (reading.names.size() <= column) {
        reading.names.resize(column + 1);
        reading.labelSets.resize(column + 1);
    }
    const char* name = readstat_variable_get_name(variable);
    reading.names[column] = name ? name : "";
    reading.labelSets[column] = labelSet ? labelSet : "";
    return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context)
{
    auto& reading = *static_cast<Reading*>(context);
    const int index = readstat_variable_get_index(variable);
    if (row < 0 || index < 0)
        return READSTAT_HANDLER_ABORT;
    const auto r = static_cast<std::size_t>(row);
    const auto column = static_cast<std::size_t>(index);
    bool going = true;
    if (readstat_value_is_missing(value, variable)) {
        going = reading.builder.missing(r, column);
    } else if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
        const char* text = readstat_string_value(value);
        going = text && *text ? reading.builder.text(r, column, text)
                              : reading.builder.missing(r, column);
    } else {
        going = reading.builder.number(r, column, readstat_double_value(value));
    }
    return going ? READSTAT_HANDLER_OK : READSTAT_HANDLER_ABORT;
}

int onValueLabel(const char* labelSet, readstat_value_t value, const char* label, void* context)
{
    auto& reading = *static_cast<Reading*>(context);
    if (!labelSet || !label || readstat_value_type_class(value) != READSTAT_TYPE_CLASS_NUMERIC
        || readstat_value_is_system_missing(value) || readstat_value_is_tagged_missing(value))
        return READSTAT_HANDLER_OK;
    std::vector<std::pair<double, std::string>>& labels = reading.labels[labelSet];
    const std::size_t bytes = std::strlen(label) + sizeof(std::pair<double, std::string>);
    if (!reading.budget.replace(0, bytes))
        return READSTAT_HANDLER_ABORT;
    labels.emplace_back(readstat_double_value(value), label);
    return READSTAT_HANDLER_OK;
}

void onError(const char*, void*)
{
    // The import says only that the file could not be read.
}

readstat_error_t parse(readstat_parser_t* parser, FileFormat format, Reading& reading)
{
    switch (format) {
    case FileFormat::Sav:
        return readstat_parse_sav(parser, "", &reading);
    case FileFormat::Por:
        return readstat_parse_por(parser, "", &reading);
    case FileFormat::Dta:
        return readstat_parse_dta(parser, "", &reading);
    case FileFormat::Sas7bdat:
        return readstat_parse_sas7bdat(parser, "", &reading);
    case FileFormat::Xpt:
        return readstat_parse_xport(parser, "", &reading);
    default:
        return READSTAT_ERROR_UNSUPPORTED_FILE_FORMAT_VERSION;
    }
}

ImportResult readFile(Source& source, FileFormat format, const std::string& displayPath)
{
    MemoryBudget budget(availableMemoryBytes());
    Reading reading(budget, source.size);
    readstat_parser_t* parser = readstat_parser_init();
    if (!parser)
        return importOutcome({ ImportStatus::TooLarge, 0, 0 }, {}, displayPath, {});
    readstat_set_open_handler(parser, openSource);
    readstat_set_close_handler(parser, closeSource);
    readstat_set_seek_handler(parser, seekSource);
    readstat_set_read_handler(parser, readSource);
    readstat_set_update_handler(parser, updateSource);
    readstat_set_io_ctx(parser, &source);
    readstat_set_metadata_handler(parser, onMetadata);
    readstat_set_variable_handler(parser, onVariable);
    readstat_set_value_handler(parser, onValue);
    readstat_set_value_label_handler(parser, onValueLabel);
    readstat_set_error_handler(parser, onError);
    readstat_error_t error = READSTAT_OK;
    try {
        error = parse(parser, format, reading);
    } catch (...) {
        readstat_parser_free(parser);
        throw;
    }
    readstat_parser_free(parser);
    if (reading.builder.problem().status != ImportStatus::Ok)
        return importOutcome(reading.builder.problem(), {}, displayPath, {});
    if (error == READSTAT_ERROR_MALLOC)
        return importOutcome({ ImportStatus::TooLarge, 0, 0 }, {}, displayPath, {});
    if (error != READSTAT_OK)
        return importOutcome({ ImportStatus::Unreadable, 0, 0 }, {}, displayPath, {});

    for (std::size_t column = 0; column < reading.labelSets.size(); ++column) {
        const auto found = reading.labels.find(reading.labelSets[column]);
        if (!reading.labelSets[column].empty() && found != reading.labels.end())
            reading.builder.setValueLabels(column, found->second);
    }
    reading.builder.setNames(std::move(reading.names));
    DataMatrix data;
    const TableProblem problem = reading.builder.finish(data);
    return importOutcome(problem, std::move(data), displayPath,
        "Opened the " + formatKind(format) + " file: " + displayPath);
}

} // namespace

ImportResult importStatisticsFile(
    const std::string& path, FileFormat format, const std::string& displayPath)
{
    Source source;
#ifndef _WIN32
    source.fd = openRegularFile(path, O_RDONLY, &source.size);
    if (source.fd < 0)
        return importOutcome({ ImportStatus::Unreadable, 0, 0 }, {}, displayPath, {});
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { source.fd };
    if (format == FileFormat::Por) {
        char start[1024];
        const ssize_t got = ::pread(source.fd, start, sizeof start, 0);
        if (got > 0)
            source.patches
                = portableTablePatches(std::string_view(start, static_cast<std::size_t>(got)));
    }
    return readFile(source, format, displayPath);
#else
    (void)path;
    (void)format;
    return importOutcome({ ImportStatus::Unreadable, 0, 0 }, {}, displayPath, {});
#endif
}

ImportResult importStatisticsBytes(
    std::string_view bytes, FileFormat format, const std::string& displayPath)
{
    Source source;
    source.bytes = bytes;
    source.size = bytes.size();
    if (format == FileFormat::Por)
        source.patches = portableTablePatches(bytes.substr(0, 1024));
    return readFile(source, format, displayPath);
}
