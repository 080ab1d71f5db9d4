// Opening a file only when it is a regular file, without ever blocking.
#include "data/RegularFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFile(const std::string& nativePath, int flags, std::uintmax_t* size)
{
    const int fd = ::open(nativePath.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (size)
        *size = static_cast<std::uintmax_t>(info.st_size);
    return fd;
}
#endif
