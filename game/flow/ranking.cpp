// Score ranking: each character's table of the four best play scores, the
// saved best entry per character in the bookkeeping block, the ranking of a
// finished play with the entry of initials, and the ranking page the attract
// cycle shows.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/players.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

constexpr uint32_t kTableSize = 4 * ranking_entry::size;
constexpr uint32_t kLastPosition = 3;  // four initials
constexpr uint16_t kEntryFrames = 1200;
constexpr uint8_t kChoiceBack = 0, kChoiceEnd = 1;
constexpr uint8_t kButtons = 0x30;
constexpr uint8_t kRight = 0x04, kLeft = 0x08;

// The initials entry beside R10 = record + 172.
constexpr uint32_t kPosition = 0, kChoice = 1, kCode = 2;
constexpr uint32_t kRightRepeat = 54, kLeftRepeat = 55;  // in the player record

uint32_t table_of(uint32_t character) { return var::ranking_tables + kTableSize * character; }
uint32_t best_entry_of(uint32_t character) { return var::best_entries + ranking_entry::size * character; }

// A bookkeeping word written, its check value stored, then its mirror.
void write_kept(uint32_t address, uint32_t value) {
    orb_write32(address, value);
    orb_write32(address + var::bookkeeping_mirror_offset, value);
}

void copy_bytes(uint32_t from, uint32_t to, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) orb_write8(to + i, orb_read8(from + i));
}

// The ranking slot routine's states; 5 runs the set-up's code.
namespace ranking_state {
constexpr uint8_t setup = 0, entry_start = 1, entering = 2, closing = 3, pause = 4, setup_again = 5;
}  // namespace ranking_state

}  // namespace

// Builds the four ranking tables from the ROM defaults; a character's saved
// best entry, when its score is not 0, replaces entry 0.
void sub_08A1F2() {
    ROUTINE_ENTRY(0x08A1F2);
    for (uint32_t c = 0; c < 4; ++c) {
        copy_bytes(rom::default_ranking, table_of(c), kTableSize);
        if (orb_read32(best_entry_of(c)) != 0) copy_bytes(best_entry_of(c), table_of(c), ranking_entry::size);
    }
    ret();
}

// Player-slot routine after the continue countdown: ranks the play's score
// per join, lets the player enter initials for 20 seconds, then hands the slot
// to the slot-out routine. In: R20 = the player record.
void sub_08A3D6() {
    ROUTINE_ENTRY(0x08A3D6);
    const uint32_t player = r(20);
    set_bit(var::game_flags, game_flag::slot_out);
    r(1) = load_zx8(player + player_record::slot);
    if (!call(sub_061281, 0x08A3E5, 0x08A3E1)) return;
    const uint32_t state = orb_read8(player + object_record::state);
    const uint32_t character = orb_read8(player + player_record::character);
    if (state == ranking_state::entry_start) goto L_08A4D4;
    if (state == ranking_state::entering) goto L_08A4EB;
    if (state == ranking_state::closing) goto L_08A549;
    if (state == ranking_state::pause) goto L_08A55F;
    if (state != ranking_state::setup && state != ranking_state::setup_again)
        v60_unknown_jump(0x08A3F0 + 3 * state, 0x08A3ED);

    orb_write8(player + object_record::state, ranking_state::entry_start);
    orb_write16(player + player_record::timer, kEntryFrames);
    // The record keeps its fields from one game to the next: a pointer left by
    // an earlier play would hand this play's initials to another saved entry.
    orb_write32(player + player_record::best_entry_pointer, 0);
    {
        uint32_t s = orb_read32(player + player_record::score);
        const uint32_t plays = orb_read8(player + player_record::plays);
        if (plays != 0) s = divu<uint32_t>(s, plays);
        s = divu<uint32_t>(s, 10) * 10;

        const uint32_t total = add<uint32_t>(orb_read32(var::score_total), s);
        const bool carried = carry();
        write_kept(var::score_total, total);
        if (carried) {
            const uint16_t overflow = static_cast<uint16_t>(orb_read16(var::score_total_overflow) + 1);
            orb_write16(var::score_total_overflow, overflow);
            orb_write16(var::score_total_overflow + var::bookkeeping_mirror_offset, overflow);
        }
        if (!call(sub_0610CF, 0x08A43A, 0x08A436)) return;
        cmp<uint32_t>(s, orb_read32(var::score_high));
        if (higher()) {
            write_kept(var::score_high, s);
            if (!call(sub_0610CF, 0x08A44C, 0x08A448)) return;
        }
        const uint32_t low = orb_read32(var::score_low);
        if ((low >> 31) || s < low) {
            write_kept(var::score_low, s);
            if (!call(sub_0610CF, 0x08A462, 0x08A45E)) return;
        }

        const uint32_t table = table_of(character);
        uint32_t k = 0;
        while (k < 4 && orb_read32(table + ranking_entry::size * k) > s) ++k;
        if (k == 4) {
            orb_write32(player + object_record::routine, entry::sub_063818 /* slot out */);
            orb_write8(player + object_record::state, 0);
            ret();
            return;
        }
        orb_write8(player + player_record::ranking_position, static_cast<uint8_t>(k));
        // From the top down, so that each entry moves before it is overwritten.
        for (uint32_t j = 3; j > k; --j)
            copy_bytes(table + ranking_entry::size * (j - 1), table + ranking_entry::size * j,
                       ranking_entry::size);
        const uint32_t entry = table + ranking_entry::size * k;
        orb_write32(entry + ranking_entry::score, s);
        orb_write32(entry + ranking_entry::initials, 0);
        orb_write32(player + player_record::initials_cursor, entry + ranking_entry::initials);

        const uint32_t best = best_entry_of(character);
        if (k == 0 && s > orb_read32(best)) {
            write_kept(best + ranking_entry::score, s);
            write_kept(best + ranking_entry::initials, 0);
            orb_write32(player + player_record::best_entry_pointer, best + ranking_entry::initials);
            if (!call(sub_0610CF, 0x08A4A6, 0x08A4A2)) return;
        }

        if (!call(sub_08A5B4, 0x08A4AE, 0x08A4AA)) return;
        const uint32_t attribute = load_zx8(rom::rank_label_attribute) << 8;
        for (uint32_t i = 0; i < 4; ++i, r(18) += 2)
            orb_write16(r(18), static_cast<uint16_t>(attribute | orb_read8(rom::rank_labels + 4 * k + i)));
        for (uint32_t i = 0; i < 5; ++i, r(18) += 2) orb_write16(r(18), 0);
    }
    ret();
    return;

L_08A4D4:  // start of the entry on the choice "end"
    orb_write8(player + object_record::state, ranking_state::entering);
    orb_write8(player + player_record::initials_entry + kPosition, 0);
    orb_write8(player + player_record::initials_entry + kChoice, kChoiceEnd);
    r(10) = player + player_record::initials_entry;
    if (!call(sub_08A62C, 0x08A4EB, 0x08A4E7)) return;

L_08A4EB:  // entering, at most 1,200 frames
    {
        const uint16_t left = dec<uint16_t>(orb_read16(player + player_record::timer));
        orb_write16(player + player_record::timer, left);
        if (eq()) goto L_08A549;
    }
    if (!call(sub_062F3E, 0x08A4FD, 0x08A4F9)) return;
    r(10) = player + player_record::initials_entry;
    if (!call(sub_08A5E9, 0x08A509, 0x08A505)) return;
    if (!call(sub_08A5B4, 0x08A50E, 0x08A50A)) return;
    r(18) += 8 + 2 * load_zx8(player + player_record::initials_entry + kPosition);
    orb_write8(r(18), orb_read8(player + player_record::initials_entry + kCode));
    orb_write16(r(18) + 2, 0);
    ret();
    return;

L_08A549:  // closing
    if (!call(sub_062F86, 0x08A54E, 0x08A54A)) return;
    orb_write16(player + player_record::timer, 60);
    orb_write8(player + object_record::state, ranking_state::pause);
    ret();
    return;

L_08A55F:  // pause; then the saved best entry takes the initials
    {
        const uint8_t left = dec<uint8_t>(orb_read8(player + player_record::timer));
        orb_write8(player + player_record::timer, left);
        if (ne()) {
            ret();
            return;
        }
    }
    {
        const uint32_t best = orb_read32(player + player_record::best_entry_pointer);
        if (best != 0) {
            write_kept(best, orb_read32(table_of(character) + ranking_entry::initials));
            if (!call(sub_0610CF, 0x08A5A4, 0x08A5A0)) return;
        }
    }
    orb_write32(player + object_record::routine, entry::sub_063818 /* slot out */);
    orb_write8(player + object_record::state, 0);
    ret();
}

// The slot's message cell. In: R20 = the player record. Out: R18.
void sub_08A5B4() {
    ROUTINE_ENTRY(0x08A5B4);
    // Position base 0, 2 or 5 for 2, 3 or 4 slots, as the panels take it.
    const uint32_t base = players::base_by_players(0x08A5BE, 0x08A5BB);
    const uint32_t index = base + orb_read8(r(20) + player_record::slot);
    r(18) = hw::text_layer | orb_read16(rom::message_cells + 2 * index);
    ret();
}

// One frame of the initials controls. In: R20 = the player record,
// R10 = its initials entry (position, choice index, choice code).
void sub_08A5E9() {
    ROUTINE_ENTRY(0x08A5E9);
    const uint32_t player = r(20), entry = r(10);
    const uint32_t slot = orb_read8(player + player_record::slot);
    const uint8_t held = orb_read8(var::player_held + slot);
    if (orb_read8(var::player_presses + slot) & kButtons) {
        const uint8_t choice = orb_read8(entry + kChoice);
        if (choice == kChoiceEnd) {
            orb_write8(player + object_record::state,
                       static_cast<uint8_t>(orb_read8(player + object_record::state) + 1));
            orb_write8(entry + kCode, 0);
        } else if (choice == kChoiceBack) {
            const uint8_t position = orb_read8(entry + kPosition);
            if (position != 0) {
                const uint32_t cursor = orb_read32(player + player_record::initials_cursor) - 1;
                orb_write32(player + player_record::initials_cursor, cursor);
                orb_write8(cursor, 0);
                orb_write8(entry + kPosition, static_cast<uint8_t>(position - 1));
            }
        } else {
            const uint32_t cursor = orb_read32(player + player_record::initials_cursor);
            orb_write8(cursor, orb_read8(entry + kCode));
            // The fourth initial is the last: a letter chosen there is stored
            // and the entry stays where it is (there is no fifth set, and the
            // next byte is the next entry's score).
            const uint8_t position = orb_read8(entry + kPosition);
            if (position < kLastPosition) {
                const uint32_t next = position + 1u;
                orb_write8(entry + kPosition, static_cast<uint8_t>(next));
                orb_write32(player + player_record::initials_cursor, cursor + 1);
                const uint32_t set = orb_read32(rom::choice_sets + 4 * next);
                const uint8_t index =
                    static_cast<uint8_t>((choice & orb_read8(set)) | orb_read8(rom::arrival_bits + next));
                orb_write8(entry + kChoice, index);
                orb_write8(entry + kCode, orb_read8(set + 1 + index));
            }
        }
        ret();
        return;
    }
    if (held & kRight) {
        const uint8_t repeat = (orb_read8(player + kRightRepeat) + 1) & 15;
        orb_write8(player + kRightRepeat, repeat);
        if (repeat == 0) {
            orb_write8(entry + kChoice, static_cast<uint8_t>(orb_read8(entry + kChoice) + 1));
            sub_08A62C();
            return;
        }
    } else if (held & kLeft) {
        const uint8_t repeat = (orb_read8(player + kLeftRepeat) + 1) & 15;
        orb_write8(player + kLeftRepeat, repeat);
        if (repeat == 0) {
            orb_write8(entry + kChoice, static_cast<uint8_t>(orb_read8(entry + kChoice) - 1));
            sub_08A62C();
            return;
        }
    } else {
        orb_write8(player + kRightRepeat, 0xFF);
        orb_write8(player + kLeftRepeat, 0xFF);
    }
    ret();
}

// The choice index masked with the position's set (so it wraps round the
// set), and its character code. In: R10 = the initials entry.
void sub_08A62C() {
    ROUTINE_ENTRY(0x08A62C);
    const uint32_t entry = r(10);
    const uint32_t set = orb_read32(rom::choice_sets + 4 * load_zx8(entry + kPosition));
    const uint8_t index = orb_read8(entry + kChoice) & orb_read8(set);
    orb_write8(entry + kChoice, index);
    orb_write8(entry + kCode, orb_read8(set + 1 + index));
    ret();
}

// Draws the ranking page into video RAM 0x300000-0x3013FF: per character a
// title, four row labels, four scores of eight digits and the initials.
void sub_08A6A0() {
    ROUTINE_ENTRY(0x08A6A0);
    r(9) = 4096;
    if (!call(sub_060953, 0x08A6AA, 0x08A6A6)) return;
    for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t block = hw::video_ram + 0x400 + orb_read16(rom::ranking_blocks + 2 * c);
        r(18) = block + orb_read16(rom::ranking_title_offset);
        r(9) = load_zx8(rom::ranking_title_attribute) << 8;
        r(19) = orb_read32(rom::ranking_titles + 4 * c);
        if (!call(sub_0889D2, 0x08A6D6, 0x08A6D2)) return;
        for (uint32_t i = 0; i < 4; ++i) {
            const uint32_t label = orb_read32(rom::ranking_labels + 4 * i);
            r(18) = block + orb_read16(label);
            r(19) = label + 2;
            r(9) = load_zx8(rom::ranking_label_attribute) << 8;
            if (!call(sub_0889D2, 0x08A6F2, 0x08A6EE)) return;
        }
        for (uint32_t i = 0; i < 4; ++i) {
            const uint32_t entry = table_of(c) + ranking_entry::size * i;
            r(0) = orb_read32(entry + ranking_entry::score);
            if (!call(sub_088AC3, 0x08A70A, 0x08A706)) return;
            r(1) = 0;
            r(11) = block + orb_read16(rom::ranking_score_fields + 2 * i);
            if (!call(sub_088A76, 0x08A718, 0x08A714)) return;
            r(19) = entry + ranking_entry::initials;
            if (!call(sub_08A754, 0x08A722, 0x08A71E)) return;
            // At most the four initials: a fourth letter leaves no 0 after them.
            const uint32_t attribute = load_zx8(rom::ranking_initials_attribute) << 8;
            uint32_t cell = block + orb_read16(rom::ranking_initials_fields + 2 * i);
            for (uint32_t b = 0; b < 4; ++b, cell += 2) {
                const uint8_t ch = orb_read8(entry + ranking_entry::initials + b);
                if (ch == 0) break;
                orb_write16(cell, static_cast<uint16_t>(attribute | ch));
            }
        }
    }
    ret();
}

// Masks one word in a table's initials: "SEX" becomes "***".
// In: R19 = the initials.
void sub_08A754() {
    ROUTINE_ENTRY(0x08A754);
    const uint32_t initials = r(19);
    if (orb_read8(initials) == 'S' && orb_read8(initials + 1) == 'E' && orb_read8(initials + 2) == 'X')
        for (uint32_t i = 0; i < 3; ++i) orb_write8(initials + i, '*');
    ret();
}
