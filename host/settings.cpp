#include "host/settings.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "host/file_io.h"
#include "host/quote.h"
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
    {"video", "scale", "the window's size, in times the game's picture", &settings.scale, nullptr, 1, 10},
    {"video", "full_screen", "yes: full screen (F11 or Alt+Enter change it)", nullptr, &settings.full_screen,
     0, 1},
    {"video", "smooth", "yes: smooth pixels; no: sharp ones (F3 changes it)", nullptr, &settings.smooth, 0,
     1},
    {"sound", "volume", "the game's sound, from 0 (none) to 2 (twice as loud)", &settings.volume, nullptr, 0,
     2},
};

constexpr const char* kYesWords[] = {"yes", "true", "on", "1"};
constexpr const char* kNoWords[] = {"no", "false", "off", "0"};

constexpr const char* kHeader =
    "; Ironbell: the settings of the game's window.\n"
    "; Read when the game starts, and again whenever this file is saved while the game runs.\n";

constexpr size_t kSectionNameLength = 63;

// The file as last read or written here. An editor may save twice within a
// second without changing the size, or put a new file in place by renaming
// it: the time to the nanosecond and the file's identity tell those apart.
struct file_status {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = -1;
    int64_t seconds = -1;
    long nanoseconds = -1;

    bool operator==(const file_status&) const = default;
};

std::string path;
file_status seen;
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
    std::string_view name;     // section name or key, as written; other lines: the text, trimmed
    std::string_view value;    // key lines: the value, trimmed
    std::string_view comment;  // key lines: from the ';' or '#' on, or empty
};

parsed_line parse_line(std::string_view whole) {
    parsed_line line;
    size_t start = whole.find_first_not_of(" \t");
    if (start == std::string_view::npos) start = whole.size();
    std::string_view text = whole.substr(start);
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
    } else {
        line.name = text;
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
        if (word_in(value, kYesWords))
            *entry.flag = 1;
        else if (word_in(value, kNoWords))
            *entry.flag = 0;
        else
            return false;
        return true;
    }
    // A decimal comma is taken for a point.
    for (char& c : value)
        if (c == ',') c = '.';
    if (value.empty()) return false;
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size()) return false;                    // also stops at a NUL
    if (!(number >= entry.minimum && number <= entry.maximum)) return false;  // NaN fails too
    *entry.number = number;
    return true;
}

file_status status_now() {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return {};
    return {true,
            status.st_dev,
            status.st_ino,
            static_cast<int64_t>(status.st_size),
            static_cast<int64_t>(status.st_mtim.tv_sec),
            status.st_mtim.tv_nsec};
}

// Reads the file into text; on a refusal, reason says why.
host_read read_text(std::string& text, std::string& reason) {
    try {
        return host_read_file(path.c_str(), HOST_TEXT_FILE_LIMIT, text, reason);
    } catch (const std::bad_alloc&) {
        reason = "out of memory";
        return host_read::refused;
    }
}

void parse_text(std::string_view text) {
    long long number = 0;
    std::string section;
    for (std::string_view whole : split_lines(text)) {
        ++number;
        parsed_line line = parse_line(whole);
        if (line.kind == line_kind::section) section = line.name;
        // A line that does nothing is said, so that a typo does not go unseen.
        if (line.kind == line_kind::other)
            report("%s:%lld: '%s' is not a setting line: write key = value", path.c_str(), number,
                   host_quote(line.name).c_str());
        if (line.kind != line_kind::key) continue;
        int index = find_entry(section, line.name);
        if (index < 0) {
            report("%s:%lld: [%s] has no setting '%s'", path.c_str(), number, host_quote(section).c_str(),
                   host_quote(line.name).c_str());
            continue;
        }
        std::string value(line.value);
        if (!accept_value(entries[index], value))
            report("%s:%lld: '%s' is not a value of %s", path.c_str(), number, host_quote(value).c_str(),
                   host_quote(line.name).c_str());
    }
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
            parsed_line line = parse_line(whole);
            if (line.kind == line_kind::section) section = line.name;
            if (line.kind != line_kind::key) continue;
            int index = find_entry(section, line.name);
            if (index >= 0) missing_[index] = false;
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

    void write_line(std::string_view whole, std::string& section) {
        if (trim(whole, " \t\r").empty()) {
            ++blanks_;
            return;
        }
        parsed_line line = parse_line(whole);
        // Keys still missing from the section that ends are added before the header.
        if (line.kind == line_kind::section) {
            write_missing(section);
            section = line.name;
        }
        write_blanks();
        int index = line.kind == line_kind::key ? find_entry(section, line.name) : -1;
        if (index < 0) {
            out += whole;
            out += '\n';
            return;
        }
        const entry_record& entry = entries[index];
        out += entry.key;
        out += " = ";
        out += value_text(entry);
        if (!line.comment.empty()) {
            out += ' ';
            out += line.comment;
        }
        out += '\n';
    }
};

}  // namespace

void settings_set_log(settings_log_fn log) { log_fn = log; }

void settings_open(const char* file_path) {
    path = file_path ? file_path : "";
    seen = {};
    if (path.empty()) return;  // no file: the defaults, and nothing is saved
    // Taken before the read: a change made while the file is read is seen
    // by the next re-read.
    const file_status before = status_now();
    std::string text, reason;
    switch (read_text(text, reason)) {
    case host_read::missing: settings_save(); break;
    case host_read::refused:
        // The user's lines are in there: never write over them.
        report("%s: cannot be read\n%s; the settings are the defaults, and the file is left as it is",
               path.c_str(), reason.c_str());
        seen = before;  // said once: the re-reads look again only when it changes
        break;
    case host_read::ok:
        // An empty file (a save cut short by a full disk) gets the defaults
        // written, as a missing one does.
        if (text.empty()) {
            settings_save();
            break;
        }
        parse_text(text);
        seen = before;
        break;
    }
}

void settings_save() {
    if (path.empty()) return;
    std::string text, reason, out;
    const host_read read = read_text(text, reason);
    if (read == host_read::refused) {
        report("%s: the settings cannot be written\nthe file cannot be read (%s), so it is left as it is",
               path.c_str(), reason.c_str());
        return;
    }
    try {
        const std::vector<std::string_view> lines = split_lines(text);
        file_writer writer(lines);
        writer.write();
        out = std::move(writer.out);
    } catch (const std::bad_alloc&) {
        // Writing only the lines that fitted in memory would lose the rest of
        // the user's file: leave the file as it is.
        report("%s: the settings cannot be written\nout of memory", path.c_str());
        return;
    }
    if (!host_replace_file(path.c_str(), out, reason))
        report("%s: the settings cannot be written\n%s", path.c_str(), reason.c_str());
    seen = status_now();
}

bool settings_reread() {
    if (path.empty()) return false;
    const file_status now = status_now();
    if (!now.known || now == seen) return false;
    seen = now;  // a read that fails is reported once per change on disk, not every 30 frames
    std::string text, reason;
    if (read_text(text, reason) != host_read::ok) {
        report("%s: cannot be read\n%s; the settings stay as they are", path.c_str(), reason.c_str());
        return false;
    }
    parse_text(text);
    return true;
}
