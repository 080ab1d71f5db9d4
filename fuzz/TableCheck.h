// What every import of a workbook or statistics file must give, checked by
// their fuzz targets.
#pragma once

#include "FuzzCheck.h"
#include "data/DataImport.h"
#include "data/TextEncoding.h"

#include <cmath>
#include <string>
#include <string_view>

// A data set as wide in every row as it says, every cell finite, each text
// column's cells codes of its sorted UTF-8 labels, value labels in UTF-8 and
// no more columns than a data set may have; or a failure with its message.
inline void checkTable(const ImportResult& result, std::string_view kinds)
{
    if (result.status != ImportStatus::Ok) {
        FUZZ_CHECK(!result.message.empty());
        FUZZ_CHECK(result.data.rowCount() == 0);
        return;
    }
    FUZZ_CHECK(result.report.starts_with("Opened the "));
    const std::string kind = result.report.substr(11, result.report.find(' ', 11) - 11);
    FUZZ_CHECK(kinds.find(kind) != std::string_view::npos, result.report);
    const DataMatrix& data = result.data;
    FUZZ_CHECK(data.columnCount() <= MAX_COLUMNS);
    for (int32_t c = 1; c <= data.columnCount(); ++c) {
        FUZZ_CHECK(isUtf8(data.name(c)));
        const std::vector<std::string>& labels = data.labels(c);
        for (std::size_t k = 0; k < labels.size(); ++k) {
            FUZZ_CHECK(isUtf8(labels[k]));
            FUZZ_CHECK(
                !data.holdsText(c) || k == 0 || labels[k - 1] < labels[k], "labels out of order");
        }
        for (int32_t r = 1; r <= data.rowCount(); ++r) {
            const float cell = data(r, c);
            FUZZ_CHECK(data.fieldCount(r) == data.columnCount());
            FUZZ_CHECK(std::isfinite(cell));
            FUZZ_CHECK(cell == MISSING_VALUE || !data.holdsText(c) || data.labelOf(c, cell),
                "a text column's cell holds no code");
        }
    }
}
