// What liborcus does not follow in an Excel package, amended before it reads
// the package: relationship targets given from the package's root, and text
// cells holding their text inline instead of in the shared strings (both as
// Python's openpyxl writes them), alone or beside shared strings (as a writer
// that adds rows to a template leaves them).
#pragma once

#include "data/MemoryBudget.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The Excel package in `bytes` amended, with its parts' new sizes taken from
// `budget`; nothing when it needs no amending. `inlineParts` are the parts
// that may hold texts inline (checkPackage finds them). Throws on XML it
// cannot parse.
std::optional<std::string> amendedExcelPackage(
    std::string_view bytes, const std::vector<std::string>& inlineParts, MemoryBudget& budget);
