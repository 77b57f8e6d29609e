// How a message quotes the user's text (a line of a settings file, a field
// of a control script), so that no text can garble the terminal or flood it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The most characters a quote shows before it is cut.
inline constexpr size_t HOST_QUOTE_LIMIT = 60;

// The text as a message shows it: control bytes and bytes of 0x80 and above
// written as \xNN (so a NUL does not cut the message, an escape sequence
// does not reach the terminal and nothing is invisible), cut with "…" after
// HOST_QUOTE_LIMIT characters. An escape is never cut in two.
std::string host_quote(std::string_view text);
