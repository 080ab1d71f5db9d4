// A data file opened for reading, only when it is a regular file.
#include "data/InputFile.h"

#ifndef _WIN32
#include "data/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <filesystem>


#ifdef _WIN32
namespace {

// Windows needs the UTF-8 path widened.
std::filesystem::path pathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

// The standard library can only ask the name, before opening.
InputFile::InputFile(const std::string& utf8Path)
{
    const std::filesystem::path path = pathFromUtf8(utf8Path);
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(path, unknown))
        return;
    m_in.open(path, std::ios::binary);
    m_size = std::filesystem::file_size(path, unknown);
    if (unknown)
        m_size = 0;
}

InputFile::~InputFile() = default;

bool InputFile::isOpen() const
{
    return m_in.is_open();
}

std::ptrdiff_t InputFile::read(char* into, std::size_t count)
{
    m_in.read(into, static_cast<std::streamsize>(count));
    return m_in.bad() ? -1 : static_cast<std::ptrdiff_t>(m_in.gcount());
}

std::ptrdiff_t InputFile::readAt(std::uint64_t offset, char* into, std::size_t count)
{
    try {
        const std::lock_guard<std::mutex> lock(m_readAt);
        const std::streampos position = m_in.tellg();
        m_in.clear();
        m_in.seekg(static_cast<std::streamoff>(offset));
        m_in.read(into, static_cast<std::streamsize>(count));
        const std::ptrdiff_t got = m_in.bad() ? -1 : static_cast<std::ptrdiff_t>(m_in.gcount());
        m_in.clear();
        m_in.seekg(position);
        return got;
    } catch (...) {
        return -1;
    }
}
#else
InputFile::InputFile(const std::string& path)
    : m_fd(openRegularFile(path, O_RDONLY, &m_size))
{
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InputFile::isOpen() const
{
    return m_fd >= 0;
}

namespace {
// Calls `readSome(done)` until `count` bytes are in or the file ends, again
// after an interrupted call; -1 on an error.
template <typename ReadSome> std::ptrdiff_t readFully(std::size_t count, ReadSome readSome)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = readSome(done);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(done);
}
} // namespace

std::ptrdiff_t InputFile::read(char* into, std::size_t count)
{
    return readFully(count, [&](std::size_t done) { return ::read(m_fd, into + done, count - done); });
}

std::ptrdiff_t InputFile::readAt(std::uint64_t offset, char* into, std::size_t count)
{
    return readFully(count, [&](std::size_t done) {
        return ::pread(m_fd, into + done, count - done, static_cast<off_t>(offset + done));
    });
}
#endif
