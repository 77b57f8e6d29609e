// Any settings file reads, saves and reads again without a crash, a hang or an
// access out of bounds; the values stay in their ranges, and saving again
// settles on one file.
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
    // A file of short lines is settled by one save. On a long line a rejected
    // value may run into the text after its piece, which the next save then
    // replaces too, so such a file takes a few more saves, none longer.
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string before, after;
    for (size_t round = 0;; ++round) {
        settings_save();
        if (!read_text_file(path.c_str(), after)) std::abort();
        if (settings_reread()) std::abort();  // a save is not a change on disk
        if (round > 0 && after == before) break;
        if (round == 1 && all_lines_short(input)) std::abort();
        if (round > 0 && after.size() > before.size()) std::abort();
        if (round > size / 64 + 2) std::abort();
        before = std::move(after);
    }
    return 0;
}
