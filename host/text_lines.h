// Whole-file reading and line splitting shared by the settings file and the
// control script. Both formats read long lines in fixed-size pieces, so the
// splitting keeps every byte (NULs and carriage returns included).
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Reads the whole file into text; false when it cannot be opened or read
// (a folder opens on Linux but fails to read).
bool read_text_file(const char* path, std::string& text);

// The lines of text without their line feeds; a last line without a line feed
// counts, an empty text has no lines.
std::vector<std::string_view> split_lines(std::string_view text);

// Calls piece(view) for each piece of at most length characters of line, in
// order; an empty line is one empty piece. Stops early when piece returns false.
template <typename Piece>
void for_each_piece(std::string_view line, size_t length, Piece piece) {
    size_t at = 0;
    do {
        if (!piece(line.substr(at, length))) return;
        at += length;
    } while (at < line.size());
}
