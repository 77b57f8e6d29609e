#include "host/quote.h"

#include <cstdio>

std::string host_quote(std::string_view text) {
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        char shown[5] = {c, '\0'};
        if (byte < 0x20 || byte >= 0x7F) std::snprintf(shown, sizeof shown, "\\x%02X", byte);
        const std::string_view piece = shown;
        if (out.size() + piece.size() > HOST_QUOTE_LIMIT) return out + "…";
        out += piece;
    }
    return out;
}
