// A data file opened for reading, only when it is a regular file.
#include "data/InputFile.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

namespace {

// Windows needs the UTF-8 path widened.
std::filesystem::path pathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

#ifdef _WIN32
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
#else
InputFile::InputFile(const std::string& utf8Path)
{
    const std::filesystem::path path = pathFromUtf8(utf8Path);
    // Opening without blocking: a pipe without a writer would wait here.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    struct stat info { };
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = static_cast<std::uintmax_t>(info.st_size);
    // A regular file reads as usual from here on.
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
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

std::ptrdiff_t InputFile::read(char* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, into + done, count - done);
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
#endif
