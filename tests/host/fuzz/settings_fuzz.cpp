// Any settings file reads, saves and reads again without a crash, a hang or an
// access out of bounds; the values stay in their ranges, and saving the saved
// file changes nothing.
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
    // Saving keeps a file of short lines as it is after one save; long lines,
    // parsed in pieces, may take one more save to settle.
    std::string saved[3];
    for (std::string& text : saved) {
        settings_save();
        if (!read_text_file(path.c_str(), text)) std::abort();
        if (settings_reread()) std::abort();  // a save is not a change on disk
    }
    std::string input(reinterpret_cast<const char*>(data), size);
    if (all_lines_short(input) && saved[0] != saved[1]) std::abort();
    if (saved[1] != saved[2]) std::abort();
    return 0;
}
