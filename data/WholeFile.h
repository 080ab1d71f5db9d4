// A data file read whole into memory.
#pragma once

#include "data/DataImport.h"
#include "data/InputFile.h"
#include "data/LargeBlockAllocator.h"
#include "data/MemoryBudget.h"

#include <vector>

// A whole file in memory, in blocks that a large file fills without a page
// fault for every page. It is freed once the data set is built, and not kept
// for reuse then: kept, it would only hold memory.
using FileBytes = std::vector<char, LargeBlockAllocator<char, false>>;

// The whole of `in`, its size taken from `budget` first. `status` is Ok, or
// says why nothing was read: Unreadable, TooLarge, or Changed when the file
// ended before the size it had when it was opened.
FileBytes readWholeFile(InputFile& in, MemoryBudget& budget, ImportStatus& status);
