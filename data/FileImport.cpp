// Import of a data file of any kind the program reads.
#include "data/FileImport.h"

#include "data/FileFormat.h"
#include "data/StatisticsImport.h"
#include "data/WorkbookImport.h"
#include "report/ReportText.h"

#include <new>
#include <stdexcept>

ImportResult importDataFile(
    const std::string& path, const ImportChoice& choice, const std::string& givenDisplayPath)
{
    const FileFormat format = fileFormatOf(path);
    if (format == FileFormat::Text)
        return importDelimitedFile(path, choice.delimiter, givenDisplayPath, choice.firstLineNames);
    const std::string displayPath = report::printable(givenDisplayPath);
    try {
        if (isWorkbook(format))
            return importWorkbook(path, format, choice.sheet, choice.firstLineNames, displayPath);
        return importStatisticsFile(path, format, displayPath);
    } catch (const std::bad_alloc&) {
        return importOutcome({ ImportStatus::TooLarge, 0, 0 }, {}, displayPath, {});
    } catch (const std::length_error&) {
        return importOutcome({ ImportStatus::TooLarge, 0, 0 }, {}, displayPath, {});
    } catch (...) {
        return importOutcome({ ImportStatus::Unreadable, 0, 0 }, {}, displayPath, {});
    }
}
