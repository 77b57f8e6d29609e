// Both loaders read from a path: each fuzz input is written to one scratch
// file per process first.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& write_scratch_file(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char pattern[] = "/tmp/ironbell-fuzz-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        close(fd);
        return std::string(pattern);
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return path;
}
