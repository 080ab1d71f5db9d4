// Opening a file only when it is a regular file, without ever blocking.
#pragma once

#ifndef _WIN32
#include <cstdint>
#include <string>

// Opens the file at `nativePath` (the file system's own bytes) with `flags`
// (O_RDONLY or O_RDWR) and returns its descriptor, or -1 when it cannot be
// opened or is not a regular file. It is opened without blocking and judged
// on the opened file: a pipe without a writer would wait in open() and a
// device could stream without end, even one put in the file's place after
// it was chosen. From then on it reads and writes as usual. `size`, when
// given, receives the file's size.
int openRegularFile(const std::string& nativePath, int flags, std::uintmax_t* size = nullptr);
#endif
