// The sizes in which the import reads and shares out a file.
#pragma once

#include <cstddef>

// A file is read first in a chunk, whose lines tell its density, then in
// blocks large enough to share among threads, each cut into pieces at line
// ends. The sizes follow from the block's: a chunk and the density sample are
// an eighth of it, a piece a sixteenth.
struct ImportBlocks {
    std::size_t block;
    std::size_t chunk() const { return block / 8; }
    std::size_t piece() const { return block / 16; }
    std::size_t sample() const { return block / 8; }
};

// The sizes in force: blocks of 2 MiB.
ImportBlocks importBlocks();
// Sets the block size for the imports that follow (at least 256 bytes), so
// that tests cross every boundary with small files; 0 returns to 2 MiB.
void setImportBlockBytes(std::size_t bytes);
