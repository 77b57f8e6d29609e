// Reading and replacing the files the host keeps (settings, EEPROM, control
// script). Only regular files are read: a folder, a FIFO or a device is
// refused with a reason instead of blocking or being read without end, and a
// file is replaced by writing a new one beside it and renaming it into place,
// so a failed write never leaves a damaged or empty file behind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The largest settings file or control script read: anything larger is not
// one the user wrote.
inline constexpr size_t HOST_TEXT_FILE_LIMIT = 16u << 20;

enum class host_read : uint8_t {
    ok,       // text holds the whole file
    missing,  // there is no such file
    refused,  // reason says why it was not read
};

// Reads a regular file of at most limit bytes whole. On refused, reason is a
// short text such as "it is a folder, not a file" or "Permission denied".
host_read host_read_file(const char* path, size_t limit, std::string& text, std::string& reason);

// Replaces the file at path with data: written to "<path>.new", flushed to the
// disk, renamed over path and the folder flushed, so that after a crash or a
// power cut the file holds either its old or its new contents. A symbolic
// link is followed (the file it names is replaced) and an existing file keeps
// its permissions. False, with the reason, when any step failed; the old file
// is then as it was.
bool host_replace_file(const char* path, std::string_view data, std::string& reason);
