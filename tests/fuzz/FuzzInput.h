// What the file fuzzers share: each input written to a file of the process's
// own in $TMPDIR (removed at exit), and the abort that reports a finding.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

inline std::string inputPath;

inline void nameInput(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    inputPath = std::string(dir && *dir ? dir : "/tmp") + "/salute-" + std::to_string(getpid()) + "-" + name;
    std::atexit([] { std::remove(inputPath.c_str()); });
}

inline bool writeInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (!file) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

[[noreturn]] inline void broken(const char* fuzzer, const char* what) {
    std::fprintf(stderr, "%s: %s\n", fuzzer, what);
    std::abort();
}

}  // namespace fuzz
