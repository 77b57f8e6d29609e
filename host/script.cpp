#include "host/script.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "board/machine.h"
#include "host/file_io.h"
#include "host/quote.h"
#include "host/text_lines.h"

namespace {

struct control_record {
    const char* name;
    int input_byte;  // index into io_inputs
    uint8_t mask;
};

// Button 2 of the players has no script name.
constexpr control_record controls[SCRIPT_INPUT_COUNT] = {
    {"button1", ORB_INPUT_P1, 0x01},     {"button2", ORB_INPUT_P2, 0x01},
    {"button3", ORB_INPUT_P3, 0x01},     {"button4", ORB_INPUT_P4, 0x01},
    {"up1", ORB_INPUT_P1, 0x20},         {"down1", ORB_INPUT_P1, 0x10},
    {"left1", ORB_INPUT_P1, 0x80},       {"right1", ORB_INPUT_P1, 0x40},
    {"up2", ORB_INPUT_P2, 0x20},         {"down2", ORB_INPUT_P2, 0x10},
    {"left2", ORB_INPUT_P2, 0x80},       {"right2", ORB_INPUT_P2, 0x40},
    {"up3", ORB_INPUT_P3, 0x20},         {"down3", ORB_INPUT_P3, 0x10},
    {"left3", ORB_INPUT_P3, 0x80},       {"right3", ORB_INPUT_P3, 0x40},
    {"up4", ORB_INPUT_P4, 0x20},         {"down4", ORB_INPUT_P4, 0x10},
    {"left4", ORB_INPUT_P4, 0x80},       {"right4", ORB_INPUT_P4, 0x40},
    {"service", ORB_INPUT_SYSTEM, 0x01}, {"test", ORB_INPUT_SYSTEM, 0x02},
    {"coin1", ORB_INPUT_SYSTEM, 0x04},   {"coin2", ORB_INPUT_SYSTEM, 0x08},
    {"start1", ORB_INPUT_SYSTEM, 0x10},  {"start2", ORB_INPUT_SYSTEM, 0x20},
    {"start3", ORB_INPUT_START34, 0x01}, {"start4", ORB_INPUT_START34, 0x02},
};

// The longest field; a longer one is refused as too long. Lines are read
// whole, whatever their length.
constexpr size_t kFieldLength = 31;
constexpr size_t kMaxFields = 5;
constexpr uint64_t kMaxPressFrames = 100'000;
constexpr int64_t kMaxRoll = 2048;

constexpr const char* kRollForm = "expected 'roll PLAYER DX DY' with PLAYER 1-4 and DX, DY in -2048..2048";
constexpr const char* kDipForm = "expected 'dip SWITCH on|off' with SWITCH 1-4";
constexpr const char* kPokeForm = "expected 'poke ADDRESS VALUE' in hexadecimal, a 24-bit address and a byte";

// A decimal number of digits only, taken whole and without overflow.
std::optional<uint64_t> parse_decimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// A decimal number with an optional sign, within -limit..limit.
std::optional<int64_t> parse_signed(std::string_view text, int64_t limit) {
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    auto magnitude = parse_decimal(text);
    if (!magnitude || *magnitude > static_cast<uint64_t>(limit)) return std::nullopt;
    int64_t value = static_cast<int64_t>(*magnitude);
    return negative ? -value : value;
}

// A hexadecimal number without sign, with an optional 0x prefix, at most limit.
std::optional<uint32_t> parse_hex(std::string_view text, uint32_t limit) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > limit) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

int find_control(std::string_view name) {
    for (int i = 0; i < SCRIPT_INPUT_COUNT; ++i)
        if (name == controls[i].name) return i;
    return -1;
}

// Splits a line into whitespace-separated fields, each whole whatever its
// length; stops counting after one field more than a line may have.
size_t split_fields(std::string_view text, std::string_view (&fields)[kMaxFields + 1]) {
    size_t count = 0;
    size_t at = 0;
    while (count <= kMaxFields) {
        at = text.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos) break;
        size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
        fields[count++] = text.substr(at, end - at);
        at = end;
    }
    return count;
}

class script_loader {
public:
    script_loader(script_record& script, std::string& problem) : script_(script), problem_(problem) {}

    // Reads one line; false (with the problem set) on a fault.
    bool line(std::string_view text, long long number) {
        text = text.substr(0, text.find('#'));
        std::string_view fields[kMaxFields + 1];
        size_t count = split_fields(text, fields);
        if (count == 0) return true;
        if (count < 2 || count > kMaxFields) return fail("expected 'FRAME ACTION [ARGUMENTS]'");
        if (too_long(fields[0], "frame") || !frame(fields[0]) || too_long(fields[1], "action")) return false;

        script_event_record event{};
        event.frame = previous_frame_;
        event.line = static_cast<int32_t>(number);
        std::string_view action = fields[1];
        if (action == "press" || action == "hold" || action == "release") {
            bool press = action == "press";
            if (press ? count != 3 && count != 4 : count != 3)
                return fail("expected '" + std::string(action) + " INPUT" + (press ? " [FRAMES]" : "") + "'");
            if (too_long(fields[2], "input name") || arguments_too_long(fields, 3, count)) return false;
            event.kind = press ? SCRIPT_PRESS : action == "hold" ? SCRIPT_HOLD : SCRIPT_RELEASE;
            event.argument = find_control(fields[2]);
            if (event.argument < 0) return fail("unknown input '" + host_quote(fields[2]) + "'");
            event.frames = 4;
            if (count == 4) {
                auto frames = parse_decimal(fields[3]);
                if (!frames || *frames < 1 || *frames > kMaxPressFrames)
                    return fail("bad frame count '" + host_quote(fields[3]) + "'");
                event.frames = static_cast<int32_t>(*frames);
            }
        } else if (action == "roll") {
            if (count != 5) return fail(kRollForm);
            if (arguments_too_long(fields, 2, count)) return false;
            auto player = parse_decimal(fields[2]);
            auto dx = parse_signed(fields[3], kMaxRoll);
            auto dy = parse_signed(fields[4], kMaxRoll);
            if (!player || *player < 1 || *player > SCRIPT_PLAYER_COUNT || !dx || !dy) return fail(kRollForm);
            event.kind = SCRIPT_ROLL;
            event.argument = static_cast<int32_t>(*player - 1);
            event.dx = static_cast<int32_t>(*dx);
            event.dy = static_cast<int32_t>(*dy);
        } else if (action == "dip") {
            if (count != 4) return fail(kDipForm);
            if (arguments_too_long(fields, 2, count)) return false;
            auto number = parse_decimal(fields[2]);
            if (!number || *number < 1 || *number > 4 || (fields[3] != "on" && fields[3] != "off"))
                return fail(kDipForm);
            event.kind = SCRIPT_DIP;
            event.argument = static_cast<int32_t>(*number - 1);
            event.value = fields[3] == "on" ? 1 : 0;
        } else if (action == "poke") {
            if (count != 4) return fail(kPokeForm);
            if (arguments_too_long(fields, 2, count)) return false;
            auto address = parse_hex(fields[2], 0xFFFFFF);
            auto value = parse_hex(fields[3], 0xFF);
            if (!address || !value) return fail(kPokeForm);
            event.kind = SCRIPT_POKE;
            event.address = *address;
            event.value = *value;
        } else if (action == "end") {
            if (count != 2) return fail("expected 'end' with no arguments");
            // The frame after the last one; a frame at the very top of the
            // count wraps to 0, which reads as "no end" and is never reached.
            uint64_t end = previous_frame_ + 1;
            if (script_.end_frame == 0 || script_.end_frame > end) script_.end_frame = end;
            return true;
        } else {
            return fail("unknown action '" + host_quote(action) + "'");
        }
        script_.items.push_back(event);
        return true;
    }

private:
    script_record& script_;
    std::string& problem_;
    uint64_t previous_frame_ = 0;

    bool fail(const std::string& message) {
        problem_ = message;
        return false;
    }

    // True, with the problem set, when the field is longer than a field may be.
    bool too_long(std::string_view field, const char* what) {
        if (field.size() <= kFieldLength) return false;
        fail(std::string(what) + " '" + host_quote(field) + "' is too long (at most " +
             std::to_string(kFieldLength) + " characters)");
        return true;
    }

    bool arguments_too_long(const std::string_view (&fields)[kMaxFields + 1], size_t first, size_t count) {
        for (size_t i = first; i < count; ++i)
            if (too_long(fields[i], "argument")) return true;
        return false;
    }

    bool frame(std::string_view field) {
        if (field.empty() || field[0] == '-') return fail("bad frame '" + host_quote(field) + "'");
        if (field[0] == '+') {
            auto step = parse_decimal(field.substr(1));
            if (!step) return fail("bad relative frame '" + host_quote(field) + "'");
            // A sum beyond the frame count would wrap to an early frame.
            if (*step > UINT64_MAX - previous_frame_)
                return fail("relative frame '" + host_quote(field) + "' overflows the frame count");
            previous_frame_ += *step;
            return true;
        }
        auto absolute = parse_decimal(field);
        if (!absolute) return fail("bad frame '" + host_quote(field) + "'");
        previous_frame_ = *absolute;
        return true;
    }
};

void set_problem(char* problem, size_t size, const std::string& text) {
    if (problem && size > 0) std::snprintf(problem, size, "%s", text.c_str());
}

}  // namespace

bool compare_events(const script_event_record& a, const script_event_record& b) {
    if (a.frame != b.frame) return a.frame < b.frame;
    return a.line < b.line;
}

script_record* orb_script_load(const char* path, char* problem, size_t problem_size) {
    try {
        std::string text, reason;
        const host_read read = host_read_file(path, HOST_TEXT_FILE_LIMIT, text, reason);
        if (read != host_read::ok) {
            if (read == host_read::missing) reason = "there is no such file";
            set_problem(problem, problem_size, std::string(path) + ": cannot be read\n" + reason);
            return nullptr;
        }
        auto script = std::make_unique<script_record>();
        std::string message;
        script_loader loader(*script, message);
        // A UTF-8 byte-order mark, as some editors write one, is not part of the first line.
        std::string_view body = text;
        if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
        long long number = 0;
        for (std::string_view line : split_lines(body)) {
            if (loader.line(line, ++number)) continue;
            char where[32];
            std::snprintf(where, sizeof where, ":%lld: ", number);
            set_problem(problem, problem_size, std::string(path) + where + message);
            return nullptr;
        }
        std::stable_sort(script->items.begin(), script->items.end(), compare_events);
        return script.release();
    } catch (const std::bad_alloc&) {
        set_problem(problem, problem_size, std::string(path) + ": out of memory");
        return nullptr;
    }
}

void orb_script_apply(script_record* script, uint64_t frame) {
    if (!script) return;
    uint8_t* inputs = orb_board.io.io_inputs;
    for (int i = 0; i < SCRIPT_INPUT_COUNT; ++i) {
        if (script->release_at[i] == 0 || script->release_at[i] > frame) continue;
        inputs[controls[i].input_byte] |= controls[i].mask;
        script->release_at[i] = 0;
    }
    while (script->next < script->items.size() && script->items[script->next].frame <= frame) {
        const script_event_record& event = script->items[script->next++];
        switch (event.kind) {
        case SCRIPT_PRESS:
        case SCRIPT_HOLD:
        case SCRIPT_RELEASE:
            {
                const control_record& control = controls[event.argument];
                // Inputs are active low: a held input's bit reads 0.
                if (event.kind == SCRIPT_RELEASE)
                    inputs[control.input_byte] |= control.mask;
                else
                    inputs[control.input_byte] &= static_cast<uint8_t>(~control.mask);
                // A press lasts from this call on, also when it was due earlier.
                script->release_at[event.argument] =
                    event.kind == SCRIPT_PRESS ? frame + static_cast<uint64_t>(event.frames) : 0;
                break;
            }
        case SCRIPT_ROLL:
            script->roll_dx[event.argument] = event.dx;
            script->roll_dy[event.argument] = event.dy;
            break;
        case SCRIPT_DIP:
            {
                const uint8_t bit = static_cast<uint8_t>(1u << event.argument);
                if (event.value)
                    inputs[ORB_INPUT_DIP] &= static_cast<uint8_t>(~bit);  // on closes the switch
                else
                    inputs[ORB_INPUT_DIP] |= bit;
                break;
            }
        case SCRIPT_POKE: orb_write8(event.address, static_cast<uint8_t>(event.value)); break;
        }
    }
    // The analog counters are 16 bits wide and wrap.
    orb_io_block& io = orb_board.io;
    for (int p = 0; p < SCRIPT_PLAYER_COUNT; ++p) {
        io.counter_x[p] = static_cast<uint16_t>(io.counter_x[p] + script->roll_dx[p]);
        io.counter_y[p] = static_cast<uint16_t>(io.counter_y[p] + script->roll_dy[p]);
    }
}

void orb_script_free(script_record* script) { delete script; }

uint64_t orb_script_frames(const script_record* script) { return script ? script->end_frame : 0; }
