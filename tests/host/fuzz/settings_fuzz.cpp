// Any settings file reads, saves and reads again without a crash, a hang or an
// access out of bounds; the values stay in their ranges, and saving the saved
// file changes nothing when all its lines fit one piece.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/settings.h"
#include "host/text_lines.h"
#include "tests/host/fuzz/scratch_file.h"

namespace {

void drop(const char*) {}

bool all_lines_short(const std::string& text) {
    for (std::string_view line : split_lines(text))
        if (line.size() > 400) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    settings_set_log(drop);
    settings = SETTINGS_DEFAULTS;
    const std::string& path = write_scratch_file(data, size);

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
