#include "host/eeprom_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool host_eeprom_load(const char* path, uint16_t words[64]) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    bool ok = false;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long length = std::ftell(f);
        if (length > 0 && std::fseek(f, 0, SEEK_SET) == 0) {
            auto* buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
            if (buffer) {
                const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), f);
                if (got == static_cast<size_t>(length) && length == 128) {
                    for (int i = 0; i < 64; ++i)
                        words[i] = static_cast<uint16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
                    ok = true;
                }
                std::free(buffer);
            }
        }
    }
    std::fclose(f);
    return ok;
}

bool host_eeprom_save(const char* path, const uint16_t words[64]) {
    uint8_t bytes[128];
    for (int i = 0; i < 64; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(words[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    const std::string temporary = std::string(path) + ".new";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    const bool flushed = std::fflush(f) == 0;
    const bool closed = std::fclose(f) == 0;
    if (!(written && flushed && closed) || std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
