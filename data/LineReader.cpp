// Reads a data file once, in chunks, and hands out its complete lines.
#include "data/LineReader.h"

#include <algorithm>
#include <limits>
#include <new>

// Moves the unfinished line to the front of the buffer, or doubles the buffer
// when that line fills it.
void LineReader::makeRoom()
{
    if (m_lineStart > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_lineStart, m_filled - m_lineStart);
        m_filled -= m_lineStart;
        m_lineStart = 0;
    } else if (m_filled == m_capacity) {
        // Beyond the memory the import may use, the line is out of memory.
        if (m_capacity > std::numeric_limits<std::size_t>::max() / 4
            || !m_budget.replace(m_capacity + 1, m_capacity * 2 + 1))
            throw std::bad_alloc();
        Buffer larger(m_capacity * 2 + 1);
        std::memcpy(larger.data(), m_buffer.data(), m_filled);
        m_buffer = std::move(larger);
        m_capacity *= 2;
    }
}

// After the first chunk the file is read in blocks large enough to share
// among threads. Without the memory for that the buffer stays as it is.
void LineReader::widen()
{
    if (m_capacity >= m_blocks.block || !m_budget.replace(m_capacity + 1, m_blocks.block + 1))
        return;
    Buffer larger(m_blocks.block + 1);
    std::memcpy(larger.data(), m_buffer.data() + m_lineStart, m_filled - m_lineStart);
    m_buffer = std::move(larger);
    m_capacity = m_blocks.block;
    m_filled -= m_lineStart;
    m_lineStart = 0;
}

// One past the last CR or LF; the unfinished line before the new data has
// none, so only the new data is searched and every byte is looked at once.
std::size_t LineReader::afterLastLineEnd(std::size_t newDataStart) const
{
    const std::size_t stop = std::max(newDataStart, m_lineStart);
    for (std::size_t i = m_filled; i > stop; --i) {
        if (isLineEnd(m_buffer[i - 1]))
            return i;
    }
    return m_lineStart;
}

