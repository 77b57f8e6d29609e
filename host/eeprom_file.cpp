#include "host/eeprom_file.h"

#include "host/file_io.h"

namespace {
constexpr size_t kBytes = 128;
}

bool host_eeprom_load(const char* path, uint16_t words[64], std::string& ignored) {
    ignored.clear();
    std::string bytes;
    switch (host_read_file(path, kBytes, bytes, ignored)) {
    case host_read::missing: return false;
    case host_read::refused: return false;
    case host_read::ok: break;
    }
    if (bytes.size() != kBytes) {
        ignored = "it is " + std::to_string(bytes.size()) + " bytes, 128 expected";
        return false;
    }
    for (int i = 0; i < 64; ++i)
        words[i] = static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return true;
}

bool host_eeprom_save(const char* path, const uint16_t words[64], std::string& reason) {
    char bytes[kBytes];
    for (int i = 0; i < 64; ++i) {
        bytes[2 * i] = static_cast<char>(words[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(words[i] >> 8);
    }
    return host_replace_file(path, std::string_view(bytes, kBytes), reason);
}
