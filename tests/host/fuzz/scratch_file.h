// Both loaders read from a path: each fuzz input is written to one scratch
// file per process first, removed when the process ends.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string scratch_path;

inline const std::string& write_scratch_file(const uint8_t* data, size_t size) {
    if (scratch_path.empty()) {
        char pattern[] = "/tmp/ironbell-fuzz-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        close(fd);
        scratch_path = pattern;
        std::atexit([] { std::remove(scratch_path.c_str()); });
    }
    FILE* file = std::fopen(scratch_path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return scratch_path;
}
