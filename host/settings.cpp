#include "host/settings.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "host/text_lines.h"

settings_record settings = SETTINGS_DEFAULTS;

namespace {

struct entry_record {
    const char* section;
    const char* key;
    const char* comment;
    double* number;
    uint8_t* flag;
    double minimum;
    double maximum;
};

constexpr size_t kEntryCount = 4;
const entry_record entries[kEntryCount] = {
    {"video", "scale", "the window's size, in times the game's picture", &settings.scale, nullptr,
     1, 10},
    {"video", "full_screen", "yes: full screen (F11 or Alt+Enter change it)", nullptr,
     &settings.full_screen, 0, 1},
    {"video", "smooth", "yes: smooth pixels; no: sharp ones (F3 changes it)", nullptr,
     &settings.smooth, 0, 1},
    {"sound", "volume", "the game's sound, from 0 (none) to 2 (twice as loud)", &settings.volume,
     nullptr, 0, 2},
};

constexpr const char* kYesWords[] = {"yes", "true", "on", "1"};
constexpr const char* kNoWords[] = {"no", "false", "off", "0"};

constexpr const char* kHeader =
    "; Comet Runner: the settings of the game's window.\n"
    "; Read when the game starts, and again whenever this file is saved while the game runs.\n";

// Lines are parsed in pieces of this many characters: a longer line reads as
// several lines.
constexpr size_t kPieceLength = 511;
constexpr size_t kSectionNameLength = 63;

std::string path;
int64_t seen_time = -1;
int64_t seen_size = -1;
settings_log_fn log_fn = nullptr;

void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    if (log_fn)
        log_fn(text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

bool equal_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view trim(std::string_view text, std::string_view blanks = " \t") {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return text.substr(text.size());
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

enum class line_kind { comment, section, key, other };

struct parsed_line {
    line_kind kind = line_kind::other;
    std::string_view name;     // section name or key, as written
    std::string_view value;    // key lines: the value, trimmed
    std::string_view comment;  // key lines: from the ';' or '#' on, or empty
};

parsed_line parse_line(std::string_view piece) {
    parsed_line line;
    size_t start = piece.find_first_not_of(" \t");
    if (start == std::string_view::npos) start = piece.size();
    std::string_view text = piece.substr(start);
    size_t last = text.find_last_not_of(" \t\r\n");
    text = text.substr(0, last == std::string_view::npos ? 0 : last + 1);
    if (text.empty() || text[0] == ';' || text[0] == '#') {
        line.kind = line_kind::comment;
    } else if (text[0] == '[') {
        line.kind = line_kind::section;
        std::string_view name = text.substr(1);
        name = trim(name.substr(0, name.find(']')));
        line.name = name.substr(0, kSectionNameLength);
    } else if (size_t equals = text.find('='); equals != std::string_view::npos) {
        line.kind = line_kind::key;
        line.name = trim(text.substr(0, equals));
        std::string_view rest = text.substr(equals + 1);
        size_t marker = rest.find_first_of(";#");
        line.value = trim(rest.substr(0, marker));
        if (marker != std::string_view::npos) line.comment = rest.substr(marker);
    }
    return line;
}

int find_entry(std::string_view section, std::string_view key) {
    for (size_t i = 0; i < kEntryCount; ++i)
        if (equal_nocase(section, entries[i].section) && equal_nocase(key, entries[i].key))
            return static_cast<int>(i);
    return -1;
}

bool word_in(std::string_view word, const char* const (&words)[4]) {
    for (const char* w : words)
        if (equal_nocase(word, w)) return true;
    return false;
}

// Stores a value text into its entry; false when the entry does not accept it.
bool accept_value(const entry_record& entry, std::string& value) {
    if (entry.flag) {
        if (word_in(value, kYesWords)) *entry.flag = 1;
        else if (word_in(value, kNoWords)) *entry.flag = 0;
        else return false;
        return true;
    }
    // A decimal comma is taken for a point.
    for (char& c : value)
        if (c == ',') c = '.';
    if (value.empty()) return false;
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size()) return false;  // also stops at a NUL
    if (!(number >= entry.minimum && number <= entry.maximum)) return false;  // NaN fails too
    *entry.number = number;
    return true;
}

void take_status() {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        seen_time = -1;
        seen_size = -1;
        return;
    }
    seen_time = static_cast<int64_t>(status.st_mtime);
    seen_size = static_cast<int64_t>(status.st_size);
}

bool read_file() try {
    std::string text;
    if (!read_text_file(path.c_str(), text)) return false;
    long long number = 0;
    std::string section;
    for (std::string_view whole : split_lines(text)) {
        for_each_piece(whole, kPieceLength, [&](std::string_view piece) {
            ++number;
            parsed_line line = parse_line(piece);
            if (line.kind == line_kind::section) section = line.name;
            if (line.kind != line_kind::key) return true;
            std::string key(line.name);
            int index = find_entry(section, key);
            if (index < 0) {
                report("%s:%lld: [%s] has no setting '%s'", path.c_str(), number,
                       section.c_str(), key.c_str());
                return true;
            }
            std::string value(line.value);
            if (!accept_value(entries[index], value))
                report("%s:%lld: '%s' is not a value of %s", path.c_str(), number, value.c_str(),
                       key.c_str());
            return true;
        });
    }
    take_status();
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

std::string value_text(const entry_record& entry) {
    if (entry.flag) return *entry.flag ? "yes" : "no";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4g", *entry.number);
    return buffer;
}

// Builds the text of the file: the user's lines with the known keys' values
// replaced, and the keys that are missing added where their section ends.
class file_writer {
public:
    std::string out;

    explicit file_writer(const std::vector<std::string_view>& lines) : lines_(lines) {
        for (bool& m : missing_) m = true;
    }

    void write() {
        if (lines_.empty()) {
            out += kHeader;
        } else {
            mark_present();
            std::string section;
            for (std::string_view line : lines_) write_line(line, section);
            write_missing(section);
            write_blanks();
        }
        // Sections that never appeared come last, in table order, each once.
        for (size_t i = 0; i < kEntryCount; ++i) {
            if (!missing_[i]) continue;
            out += "\n[";
            out += entries[i].section;
            out += "]\n";
            write_missing(entries[i].section);
        }
    }

private:
    const std::vector<std::string_view>& lines_;
    bool missing_[kEntryCount];
    int blanks_ = 0;

    void mark_present() {
        std::string section;
        for (std::string_view whole : lines_) {
            for_each_piece(whole, kPieceLength, [&](std::string_view piece) {
                parsed_line line = parse_line(piece);
                if (line.kind == line_kind::section) section = line.name;
                if (line.kind != line_kind::key) return true;
                int index = find_entry(section, line.name);
                if (index < 0) return true;
                missing_[index] = false;
                // The rest of the line is kept as this key line's tail.
                return false;
            });
        }
    }

    void write_entry(const entry_record& entry) {
        std::string_view comment = entry.comment;
        for (std::string_view line : split_lines(comment)) {
            out += "; ";
            out += line;
            out += '\n';
        }
        out += entry.key;
        out += " = ";
        out += value_text(entry);
        out += '\n';
    }

    void write_missing(std::string_view section) {
        for (size_t i = 0; i < kEntryCount; ++i) {
            if (!missing_[i] || !equal_nocase(section, entries[i].section)) continue;
            write_entry(entries[i]);
            missing_[i] = false;
        }
    }

    void write_blanks() {
        for (; blanks_ > 0; --blanks_) out += '\n';
    }

    // A line longer than one piece stays one line: its pieces are handled one
    // after another and only the whole line ends in a line feed.
    void write_line(std::string_view whole, std::string& section) {
        if (trim(whole, " \t\r").empty()) {
            ++blanks_;
            return;
        }
        // Keys still missing from the section that ends are added before the
        // header; a header in the middle of a long line leaves them for the end.
        if (parse_line(whole.substr(0, kPieceLength)).kind == line_kind::section)
            write_missing(section);
        write_blanks();
        size_t at = 0;
        for_each_piece(whole, kPieceLength, [&](std::string_view piece) {
            parsed_line line = parse_line(piece);
            int index = line.kind == line_kind::key ? find_entry(section, line.name) : -1;
            if (line.kind == line_kind::section) section = line.name;
            if (index < 0) {
                out += piece;
                at += piece.size();
                return true;
            }
            const entry_record& entry = entries[index];
            out += entry.key;
            out += " = ";
            out += value_text(entry);
            // The rest of the whole line after the old value: blanks and a
            // comment, or, when the line is longer than a piece, text the
            // value's piece did not hold, which stays as it was.
            size_t value_end =
                static_cast<size_t>(line.value.data() - piece.data()) + line.value.size();
            std::string_view rest = whole.substr(at + value_end);
            std::string_view comment = trim(rest, " \t\r");
            if (comment.empty()) return false;
            if (comment[0] == ';' || comment[0] == '#') {
                out += ' ';
                out += comment;
            } else {
                out += rest;
            }
            return false;
        });
        out += '\n';
    }
};

}  // namespace

void settings_set_log(settings_log_fn log) { log_fn = log; }

void settings_open(const char* file_path) {
    path = file_path;
    if (!read_file()) settings_save();
}

void settings_save() {
    std::string text;
    std::vector<std::string_view> lines;
    std::string out;
    try {
        if (read_text_file(path.c_str(), text)) lines = split_lines(text);
        file_writer writer(lines);
        writer.write();
        out = std::move(writer.out);
    } catch (const std::bad_alloc&) {
        // Writing only the lines that fitted in memory would lose the rest of
        // the user's file: leave the file as it is.
        report("%s: the settings cannot be written", path.c_str());
        return;
    }

    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        report("%s: the settings cannot be written", path.c_str());
        return;
    }
    bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0) written = false;
    if (!written) report("%s: the settings cannot be written", path.c_str());
    take_status();
}

bool settings_reread() {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return false;
    if (static_cast<int64_t>(status.st_mtime) == seen_time &&
        static_cast<int64_t>(status.st_size) == seen_size)
        return false;
    return read_file();
}
