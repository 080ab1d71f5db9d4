// Checks inside the fuzz targets: a failed check prints what went wrong and
// aborts, which libFuzzer and the replay program both report as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void fuzzCheckFailed(
    const char* file, int line, const char* condition, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

// FUZZ_CHECK(condition) or FUZZ_CHECK(condition, detail) with a std::string detail.
#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzCheckFailed(__FILE__, __LINE__, #condition, std::string(__VA_ARGS__));             \
    } while (false)
