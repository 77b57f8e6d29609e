// Any settings file reads, saves and reads again without a crash, a hang or an
// access out of bounds; the values stay in their ranges, and one save
// settles the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/settings.h"
#include "host/file_io.h"
#include "tests/host/fuzz/scratch_file.h"

namespace {

void drop(const char*) {}

std::string read_back(const std::string& path) {
    std::string text, reason;
    if (host_read_file(path.c_str(), HOST_TEXT_FILE_LIMIT, text, reason) != host_read::ok) std::abort();
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    settings_set_log(drop);
    settings = SETTINGS_DEFAULTS;
    const std::string& path = write_scratch_file(data, size);

    settings_open(path.c_str());
    if (!(settings.scale >= 1 && settings.scale <= 10) || settings.full_screen > 1 || settings.smooth > 1 ||
        !(settings.volume >= 0 && settings.volume <= 2))
        std::abort();
    // One save settles any file: saving again changes nothing.
    settings_save();
    const std::string once = read_back(path);
    if (settings_reread()) std::abort();  // a save is not a change on disk
    settings_save();
    if (read_back(path) != once) std::abort();
    return 0;
}
