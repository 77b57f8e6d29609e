// Any settings file reads, saves and reads again without a crash, a hang or an
// access out of bounds; the values stay in their ranges, and saving the saved
// file changes nothing when all its lines fit one piece.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/settings.h"
#include "host/text_lines.h"

namespace {

void drop(const char*) {}

std::string scratch_path() {
    char pattern[] = "/tmp/ironbell-settings-fuzz-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    return pattern;
}

bool all_lines_short(const std::string& text) {
    for (std::string_view line : split_lines(text))
        if (line.size() > 400) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratch_path();
    settings_set_log(drop);
    settings = SETTINGS_DEFAULTS;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    settings_open(path.c_str());
    if (!(settings.scale >= 1 && settings.scale <= 10) || settings.full_screen > 1 ||
        settings.smooth > 1 || !(settings.volume >= 0 && settings.volume <= 2))
        std::abort();
    settings_save();
    std::string first;
    if (!read_text_file(path.c_str(), first)) std::abort();
    settings_reread();
    settings_save();
    std::string second;
    if (!read_text_file(path.c_str(), second)) std::abort();
    if (all_lines_short(first) && first != second) std::abort();
    return 0;
}
