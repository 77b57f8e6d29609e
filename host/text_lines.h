// Line splitting shared by the settings file and the control script. Lines
// are kept whole whatever their length, every byte included (NULs and
// carriage returns too).
#pragma once
#include <string_view>
#include <vector>

// The lines of text without their line feeds; a last line without a line feed
// counts, an empty text has no lines.
std::vector<std::string_view> split_lines(std::string_view text);

// Calls piece(view) for each piece of at most length characters of text, in
// order; an empty text is one empty piece. Stops early when piece returns false.
template <typename Piece>
void for_each_piece(std::string_view text, size_t length, Piece piece) {
    size_t at = 0;
    do {
        if (!piece(text.substr(at, length))) return;
        at += length;
    } while (at < text.size());
}
