// Line splitting shared by the settings file and the control script. Lines
// are kept whole whatever their length, every byte included (NULs and
// carriage returns too).
#pragma once
#include <string_view>
#include <vector>

// The lines of text without their line feeds; a last line without a line feed
// counts, an empty text has no lines.
std::vector<std::string_view> split_lines(std::string_view text);
