// A data file opened for reading, only when it is a regular file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <fstream>
#include <mutex>
#endif

// A data file opened for reading once. Only a regular file is read, judged
// on the opened file itself: a pipe or device, even one put in the file's
// place after it was chosen, would wait for a writer or stream without end.
class InputFile {
public:
    // `path` in UTF-8, as the program hands paths around.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // A regular file, open for reading.
    bool isOpen() const;
    // Its size when it was opened.
    std::uintmax_t size() const { return m_size; }
    // Reads until `count` bytes or the end of the file; returns the bytes
    // read, or -1 when reading fails.
    std::ptrdiff_t read(char* into, std::size_t count);
    // Reads until `count` bytes from `offset` or the end of the file, where
    // read() stands unmoved; several threads may read parts at once. Returns
    // the bytes read, or -1 when reading fails.
    std::ptrdiff_t readAt(std::uint64_t offset, char* into, std::size_t count);

private:
    std::uintmax_t m_size = 0;
#ifdef _WIN32
    std::ifstream m_in;
    std::mutex m_readAt; // the stream has one position
#else
    int m_fd = -1;
#endif
};
