// Reads a data file once, in chunks, and hands out its complete lines.
#pragma once

#include "data/ImportBlocks.h"
#include "data/InputFile.h"
#include "data/LargeBlockAllocator.h"
#include "data/MemoryBudget.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

inline bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

enum class ReadEnd { EndOfFile, Stopped, ReadError };

// Reads a file once, in chunks, and hands out its complete lines a block at
// a time. Each block ends just after a CR or LF: a last line without a line
// end gets an LF, so every line in a block is closed by CR or LF. A UTF-8
// byte-order mark at the very start is skipped.
class LineReader {
public:
    // A longer buffer, for a line that does not fit, is taken from `budget`.
    explicit LineReader(MemoryBudget& budget)
        : m_budget(budget)
    {
    }

    // Calls onLines(begin, end) for each block until it returns false or the
    // file ends. A line too long for the buffer goes to onLongLine(begin,
    // end) before the buffer grows, unfinished; false stops there too.
    template <class OnLines, class OnLongLine>
    ReadEnd forEachBlock(InputFile& in, OnLines&& onLines, OnLongLine&& onLongLine);
    // True when the file ended before the size it had when it was opened:
    // it was cut short while it was read.
    bool fileShrank() const { return m_bytesRead < m_fileBytes; }

private:
    void makeRoom();
    void widen();
    std::size_t afterLastLineEnd(std::size_t newDataStart) const;
    bool endsAt(std::size_t got, std::size_t wanted);

    MemoryBudget& m_budget;
    const ImportBlocks m_blocks = importBlocks();
    // One byte more than the chunk, for the LF that closes a last line.
    using Buffer = std::vector<char, LargeBlockAllocator<char>>;
    Buffer m_buffer = Buffer(m_blocks.chunk() + 1);
    std::size_t m_capacity = m_blocks.chunk();
    std::size_t m_filled = 0; // bytes read into the buffer
    std::size_t m_lineStart = 0; // first byte not yet handed out
    std::uintmax_t m_bytesRead = 0;
    std::uintmax_t m_fileBytes = 0;
};

template <class OnLines, class OnLongLine>
ReadEnd LineReader::forEachBlock(InputFile& in, OnLines&& onLines, OnLongLine&& onLongLine)
{
    m_fileBytes = in.size();
    for (bool firstChunk = true;; firstChunk = false) {
        if (!firstChunk)
            widen();
        if (m_lineStart == 0 && m_filled == m_capacity
            && !onLongLine(m_buffer.data(), m_buffer.data() + m_filled))
            return ReadEnd::Stopped;
        makeRoom();
        const std::size_t newDataStart = m_filled;
        const std::size_t wanted = m_capacity - m_filled;
        const std::ptrdiff_t got = in.read(m_buffer.data() + m_filled, wanted);
        if (got < 0)
            return ReadEnd::ReadError;
        m_filled += static_cast<std::size_t>(got);
        m_bytesRead += static_cast<std::size_t>(got);
        if (firstChunk && m_filled >= 3 && std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0)
            m_lineStart = 3;

        const bool atEnd = static_cast<std::size_t>(got) < wanted;
        if (atEnd && m_filled > m_lineStart && !isLineEnd(m_buffer[m_filled - 1]))
            m_buffer[m_filled++] = '\n';
        const std::size_t blockEnd = atEnd ? m_filled : afterLastLineEnd(newDataStart);
        if (blockEnd > m_lineStart
            && !onLines(m_buffer.data() + m_lineStart, m_buffer.data() + blockEnd))
            return ReadEnd::Stopped;
        m_lineStart = blockEnd;
        if (atEnd)
            return ReadEnd::EndOfFile;
    }
}

