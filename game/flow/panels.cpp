// The text layer's player texts: credit counts per chute, blinking join
// prompts and the two-credit requirement line, the panel line of a player in
// play (name and a rolling energy counter), the slot messages, the continue
// headings and the continue countdowns, small per slot or in big digits.
#include <span>

#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/players.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace players;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

// ROM tables of the texts.
constexpr uint32_t kCreditLabels = 0x061B78;  // free play [form], then labels [2 + form (+2)]
constexpr uint32_t kCountChars = 0x061BA4;    // two characters per credit count
constexpr uint32_t kPrompts = 0x061B1E;       // [form (+2)], start prompts from entry 4
constexpr uint32_t kStartPrompts = 0x061B2E;
constexpr uint32_t kRequirement = 0x061C14;  // string record
constexpr uint32_t kRequirementCell = 0x061B62;

constexpr uint32_t kRowBytes = 128;
constexpr uint32_t kBigDigitBits = 0x1A001A00;

// One chute's places on the attract screens: its credit record, the first
// cell of its credit line and of its prompt.
struct chute_place {
    uint32_t record;
    uint32_t credit_cell;
    uint32_t prompt_cell;
};
constexpr chute_place kShared[] = {{0x2080A0, 0x31FD1C, 0x31F718}};
constexpr chute_place kTwoChutes[] = {{0x2080A8, 0x31FD0E, 0x31FC8E}, {0x2080A0, 0x31FD32, 0x31FCB2}};
constexpr chute_place kThreeChutes[] = {
    {0x2080B0, 0x31FD06, 0x31FC86}, {0x2080A8, 0x31FD1E, 0x31FC9E}, {0x2080A0, 0x31FD36, 0x31FCB6}};
constexpr chute_place kFourChutes[] = {{0x2080B8, 0x31FD06, 0x31FC86},
                                       {0x2080B0, 0x31FD18, 0x31FC98},
                                       {0x2080A8, 0x31FD2A, 0x31FCAA},
                                       {0x2080A0, 0x31FD3C, 0x31FCBC}};

// The chutes of coin_mode, left to right, and the text form (0 shared, 1 per
// chute). Modes above 6 have no case in the guest's jump table.
std::span<const chute_place> chutes_of_mode(uint32_t& form, uint32_t table, uint32_t from) {
    const uint8_t mode = orb_read8(var::coin_mode);
    form = mode >= 3 && mode <= 5 ? 1 : 0;
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 6: return kShared;
    case 3: return kTwoChutes;
    case 4: return kThreeChutes;
    case 5: return kFourChutes;
    default: v60_unknown_jump(table + 3u * mode, from);
    }
}

bool play_over() { return game_flag_set(game_flag::play_over); }
bool free_play() { return test<uint8_t>(orb_read8(var::free_play_active)) != 0; }
// Blinking texts change only on frames whose counter has its low five bits 0.
bool blink_frame() { return (orb_read8(var::frame_counter) & 31) == 0; }

}  // namespace

// Credit lines of every chute on the attract screens.
void sub_0611A2() {
    ROUTINE_ENTRY(0x0611A2);
    uint32_t form = 0;
    for (const chute_place& place : chutes_of_mode(form, 0x0611B0, 0x0611AD)) {
        r(0) = form;
        r(10) = place.record;
        r(18) = place.credit_cell;
        if (!call(sub_0612FA, 0x0611E5, 0x0611E0)) return;
    }
    ret();
}

// The slot's own credit line while the slot is not in play. In: R20 = record.
void sub_061275() {
    ROUTINE_ENTRY(0x061275);
    const uint8_t slot = slot_of(r(20));
    if (test_bit(var::game_flags, slot)) {
        ret();
        return;
    }
    r(1) = slot;
    sub_061281();
}

// The credit line of a slot at its own place, per-chute form; the eight cells
// there are cleared first. In: R1 = slot.
void sub_061281() {
    ROUTINE_ENTRY(0x061281);
    const uint32_t slot = r(1) & 0xFF;
    const uint32_t base = base_by_coin_mode(0x061290, 0x06128D);
    r(18) = table_cell(rom::credit_cells, slot + base);
    for (uint32_t i = 0; i < 4; ++i) orb_write32(r(18) + 4 * i, 0);
    r(10) = chute_record(slot);
    r(0) = 1;
    sub_0612FA();
}

// One credit line: free play's text, or the label by the count (singular for
// 0 and 1), the count's one or two characters and the fraction of a credit
// (units over coins per credit); erased while the play is over.
// In: R0 = form (0 shared, 1 per chute), R10 = credit record, R18 = cell.
void sub_0612FA() {
    ROUTINE_ENTRY(0x0612FA);
    if (free_play()) {
        r(19) = orb_read32(kCreditLabels + 4 * r(0));
        if (!play_over()) {
            sub_0889CC();
            return;
        }
        goto L_061370;
    }
    {
        const uint8_t credits = orb_read8(r(10) + credit_record::credits);
        cmp<uint8_t>(credits, 2);
        const uint32_t index = r(0) + (greater_equal() ? 2 : 0);
        r(19) = orb_read32(kCreditLabels + 8 + 4 * index);
        if (play_over()) goto L_061370;
        if (!call(sub_0889CC, 0x061330, 0x06132B)) return;
        const uint32_t chars = kCountChars + 2u * credits;
        orb_write16(r(18), orb_read8(chars));
        r(18) += 2;
        const uint8_t second = test<uint8_t>(orb_read8(chars + 1));
        if (ne()) {
            orb_write16(r(18), second);
            r(18) += 2;
        }
        const uint8_t units = test<uint8_t>(orb_read8(r(10) + credit_record::coin_units));
        if (eq()) {
            orb_write32(r(18), 0);
        } else {
            orb_write16(r(18), static_cast<uint8_t>(0x7F + units));
            orb_write16(r(18) + 2, static_cast<uint8_t>(orb_read8(var::coin_setting_copy) + 0x86));
            r(18) += 4;
        }
        ret();
        return;
    }
L_061370:
    if (!call(sub_088A15, 0x061378, 0x061373)) return;
    orb_write32(r(18), 0);
    orb_write32(r(18) + 4, 0);
    ret();
}

// Prompts of every chute on the attract screens, every 32nd frame.
void sub_061384() {
    ROUTINE_ENTRY(0x061384);
    if (!blink_frame()) {
        ret();
        return;
    }
    uint32_t form = 0;
    for (const chute_place& place : chutes_of_mode(form, 0x061398, 0x061395)) {
        r(0) = form;
        r(1) = load_zx8(place.record + credit_record::credits);
        r(2) = load_zx8(place.record + credit_record::coin_units);
        r(4) = load_zx8(var::frame_counter);
        r(18) = place.prompt_cell;
        if (!call(sub_061526, 0x061405, 0x061400)) return;
    }
    ret();
}

// The slot's prompt, every 32nd frame, while the slot is not in play.
// In: R20 = record.
void sub_061498() {
    ROUTINE_ENTRY(0x061498);
    if (!blink_frame()) {
        ret();
        return;
    }
    const uint8_t slot = slot_of(r(20));
    if (test_bit(var::game_flags, slot)) {
        ret();
        return;
    }
    const uint32_t base = base_by_coin_mode(0x0614B8, 0x0614B5);
    r(18) = table_cell(rom::message_cells, slot + base);
    r(10) = chute_record(slot);
    r(0) = 1;
    r(1) = load_zx8(r(10) + credit_record::credits);
    r(2) = load_zx8(r(10) + credit_record::coin_units);
    r(4) = load_zx8(var::frame_counter);
    sub_061526();
}

// One prompt, printed when bit 5 of R4 is set and the play is not over,
// erased otherwise: the start prompt with enough credits (or free play), else
// the nothing-inserted or the inserted prompt; a shared prompt short of two
// needed credits brings the requirement line one row lower.
// In: R0 = form, R1 = credits, R2 = coin units, R4 = frame counter, R18 = cell.
void sub_061526() {
    ROUTINE_ENTRY(0x061526);
    bool requirement = false;
    bool start = free_play();
    if (!start) {
        cmp<uint8_t>(r(1), setting8(backup_record::start_credits));
        start = greater_equal();
    }
    if (start) {
        const uint32_t index = r(0) + (setting8(backup_record::join_option) != 0 ? 2 : 0);
        r(19) = orb_read32(kStartPrompts + 4 * index);
    } else {
        const uint8_t inserted = add<uint8_t>(r(1), r(2));
        const uint32_t index = r(0) + (inserted != 0 ? 2 : 0);
        r(19) = orb_read32(kPrompts + 4 * index);
        requirement = (index & 1) == 0 && setting8(backup_record::start_credits) != 1;
    }
    const bool show = (r(4) & 0x20) != 0 && !play_over();
    push(r(18));
    if (show) {
        if (!call(sub_0889CC, 0x061590, 0x06158B)) return;
    } else {
        if (!call(sub_088A15, 0x061598, 0x061593)) return;
    }
    r(18) = pop();
    if (requirement) {
        r(18) += kRowBytes;
        r(19) = kRequirement;
        if (show) {
            sub_0889CC();
            return;
        }
        sub_088A15();
        return;
    }
    ret();
}

// The requirement line of the per-chute layouts when two credits are needed:
// blinks while some chute holds fewer than two; otherwise it keeps what it
// last showed. The play-over bit is not consulted.
void sub_0615C4() {
    ROUTINE_ENTRY(0x0615C4);
    if (setting8(backup_record::chute_per_player) == 0 || setting8(backup_record::start_credits) != 2 ||
        free_play()) {
        ret();
        return;
    }
    const uint32_t chutes = setting8(backup_record::player_count) + 2u;
    for (uint32_t k = 0; k < chutes; ++k) {
        cmp<uint8_t>(orb_read8(var::credit_records + credit_record::size * k), 2);
        if (!less()) continue;
        if (!blink_frame()) break;
        r(19) = kRequirement;
        r(18) = table_cell(kRequirementCell, 0);
        if (orb_read8(var::frame_counter) & 0x20) {
            sub_0889CC();
            return;
        }
        sub_088A15();
        return;
    }
    ret();
}

// Energy out: the slot's message; when nobody is left in play, every continue
// countdown restarts from this record's timer and the continue headings show.
// While the play is over the message line is erased instead. In: R20 = record.
void sub_061628() {
    ROUTINE_ENTRY(0x061628);
    if (play_over()) {
        r(19) = rom::energy_out;
        if (!call(sub_06179F, 0x061638, 0x061633)) return;
        sub_088A15();
        return;
    }
    if (!somebody_in_play()) {
        const uint16_t timer = orb_read16(r(20) + player_record::timer);
        for (uint32_t n = 0; n < 4; ++n) {
            cmp<uint32_t>(orb_read32(record(n) + object_record::routine), entry::sub_063799 /* continue */);
            if (eq()) orb_write16(record(n) + player_record::timer, timer);
        }
        r(19) = rom::continue_headings[0];
        if (!call(sub_0889C2, 0x061690, 0x06168B)) return;
        r(19) = rom::continue_headings[1];
        if (!call(sub_0889C2, 0x061698, 0x061693)) return;
    }
    r(19) = rom::energy_out;
    if (!call(sub_06179F, 0x0616F0, 0x0616EB)) return;
    sub_0889CC();
}

// While somebody plays, the continue headings and big digits go.
void sub_061704() {
    ROUTINE_ENTRY(0x061704);
    if (somebody_in_play()) {
        sub_061741();
        return;
    }
    ret();
}

// Erases both continue headings and clears the continue area (4 cells by 3
// rows in the middle of the screen).
void sub_061741() {
    ROUTINE_ENTRY(0x061741);
    r(19) = rom::continue_headings[0];
    if (!call(sub_088A0B, 0x06174A, 0x061745)) return;
    r(19) = rom::continue_headings[1];
    if (!call(sub_088A0B, 0x061752, 0x06174D)) return;
    for (uint32_t row = 0; row < 3; ++row) {
        orb_write32(var::continue_area + kRowBytes * row, 0);
        orb_write32(var::continue_area + kRowBytes * row + 4, 0);
    }
    ret();
}

// The leaving message at the slot's message cell, erased while the play is
// over. In: R20 = record.
void sub_06177C() {
    ROUTINE_ENTRY(0x06177C);
    if (play_over()) {
        sub_061791();
        return;
    }
    r(19) = rom::leaving_messages;
    if (!call(sub_06179F, 0x06178C, 0x061787)) return;
    sub_0889CC();
}

// Erases the leaving message. In: R20 = record.
void sub_061791() {
    ROUTINE_ENTRY(0x061791);
    r(19) = rom::leaving_messages;
    if (!call(sub_06179F, 0x06179A, 0x061796)) return;
    sub_088A15();
}

// The slot's message cell and text. In: R19 = a table of two string-record
// pointers, R20 = record. Out: R18 = the cell, R19 = the table's second entry.
void sub_06179F() {
    ROUTINE_ENTRY(0x06179F);
    const uint32_t base = base_by_players(0x0617B0, 0x0617AD);
    r(18) = table_cell(rom::message_cells, slot_of(r(20)) + base);
    r(19) = orb_read32(r(19) + 4);
    ret();
}

// Continue countdown: the small two-digit count while somebody plays;
// otherwise big digits in the middle of the screen, with a tick sound at each
// new second. In: R20 = record.
void sub_0617E2() {
    ROUTINE_ENTRY(0x0617E2);
    if (somebody_in_play()) {
        sub_062F3E();
        return;
    }
    if (!call(sub_062F86, 0x0617F0, 0x0617EB)) return;
    {
        const uint8_t seconds = divu<uint16_t>(orb_read16(r(20) + player_record::timer), 60) & 0xFF;
        cmp<uint8_t>(seconds, orb_read8(r(20) + player_record::shown_second));
        if (ne()) {
            orb_write8(r(20) + player_record::shown_second, seconds);
            r(0) = 0x91;
            if (!call(sub_088F98, 0x061810, 0x06180B)) return;
        }
    }
    {
        const uint8_t seconds = orb_read8(r(20) + player_record::shown_second);
        r(0) = seconds < 10 ? 10 : divu<uint8_t>(seconds, 10);
        r(1) = kBigDigitBits;
        r(10) = var::continue_area;
        if (!call(sub_061873, 0x061840, 0x06183B)) return;
        r(0) = remu<uint8_t>(orb_read8(r(20) + player_record::shown_second), 10);
        r(1) = kBigDigitBits;
        r(10) = var::continue_area + 4;
        sub_061873();
    }
}

// One big digit: its three rows of two cells, each ORed with R1.
// In: R0 = digit 0-9 or 10 (blank), R1 = bits, R10 = top-left cell.
void sub_061873() {
    ROUTINE_ENTRY(0x061873);
    const uint32_t rows = orb_read32(rom::big_digits + 4 * r(0));
    for (uint32_t row = 0; row < 3; ++row)
        orb_write32(r(10) + kRowBytes * row, logic<uint32_t>(orb_read32(rows + 4 * row) | r(1)));
    ret();
}

// Prints the fixed text record the title objects show.
void sub_06196A() {
    ROUTINE_ENTRY(0x06196A);
    r(19) = rom::logo_closing_text;
    sub_0889C2();
}

// The name of a player's character on the panel (not in the demo), erased
// while the play is over. In: R20 = record.
void sub_061975() {
    ROUTINE_ENTRY(0x061975);
    if (game_flag_set(game_flag::demo_play)) {
        ret();
        return;
    }
    const uint32_t base = base_by_players(0x061988, 0x061985);
    r(18) = table_cell(rom::message_cells, slot_of(r(20)) + base);
    r(19) = orb_read32(rom::character_names + 4 * orb_read8(r(20) + player_record::character));
    if (play_over()) {
        sub_088A15();
        return;
    }
    sub_0889CC();
}

// The energy line of the panel (not in the demo): the shown energy steps
// towards the energy by 1, 11, 111 or 1,111 as the distance is up to 50, 300,
// 3,000 or more, and shows as six digits after the label; erased with the six
// cells after it while the play is over. In: R20 = record.
void sub_0619CD() {
    ROUTINE_ENTRY(0x0619CD);
    if (game_flag_set(game_flag::demo_play)) {
        ret();
        return;
    }
    {
        const uint32_t shown_at = r(20) + player_record::shown_energy;
        const uint16_t shown = orb_read16(shown_at);
        const uint16_t energy = orb_read16(r(20) + object_record::energy);
        cmp<uint16_t>(energy, shown);
        if (ne()) {
            const bool up = greater();
            const uint16_t d =
                up ? static_cast<uint16_t>(energy - shown) : static_cast<uint16_t>(shown - energy);
            const uint16_t step = d <= 50 ? 1 : d <= 300 ? 11 : d <= 3000 ? 111 : 1111;
            orb_write16(shown_at, up ? add<uint16_t>(shown, step) : sub<uint16_t>(shown, step));
        }
    }
    const uint32_t base = base_by_players(0x061A40, 0x061A3D);
    r(18) = table_cell(rom::credit_cells, slot_of(r(20)) + base);
    if (play_over()) {
        if (!call(sub_088A15, 0x061A68, 0x061A63)) return;
        for (uint32_t i = 0; i < 3; ++i) orb_write32(r(18) + 4 * i, 0);
        ret();
        return;
    }
    r(19) = rom::energy_label;
    if (!call(sub_0889CC, 0x061A90, 0x061A8B)) return;
    r(0) = load_zx16(r(20) + player_record::shown_energy);
    if (!call(sub_088AC3, 0x061AA0, 0x061A9B)) return;
    r(1) = r(9);
    r(11) = r(18);
    r(2) = 6;
    sub_088A79();
}

// The small continue countdown: the timer's seconds (signed) as two digits,
// attribute 6, at the slot's countdown cell. In: R20 = record.
void sub_062F3E() {
    ROUTINE_ENTRY(0x062F3E);
    r(0) = sx16(div<uint16_t>(orb_read16(r(20) + player_record::timer), 60));
    if (!call(sub_088AC3, 0x062F4E, 0x062F49)) return;
    r(1) = 0x600;
    const uint32_t base = base_by_players(0x062F58, 0x062F55);
    r(11) = table_cell(rom::small_count_cells, slot_of(r(20)) + base);
    sub_088A5A();
}

// Clears the two cells of the small continue countdown. In: R20 = record.
void sub_062F86() {
    ROUTINE_ENTRY(0x062F86);
    const uint32_t base = base_by_players(0x062F90, 0x062F8D);
    orb_write32(table_cell(rom::small_count_cells, slot_of(r(20)) + base), 0);
    ret();
}
