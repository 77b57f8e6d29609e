// The difficulty rank: its set-up at every area start from the stage, the
// area, the players in play and the operator's difficulty, and the schedule
// that moves it every 1,800 frames of play and answers the rank events.
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint16_t kStepFrames = 1800;

// Test-and-clear of one bit of the rank_events byte; true when it was set.
bool take_event(unsigned bit) {
    const uint8_t events = orb_read8(var::rank_events);
    bit_flags(events, bit);
    orb_write8(var::rank_events, static_cast<uint8_t>(events & ~(1u << bit)));
    return cpu.cy;
}

}  // namespace

// Rank set-up at an area start: base = area + stage + player-count bytes +
// the difficulty setting (bytes, wrapping), the rank the base plus the start
// offset, the schedule from its first step.
void sub_06313A() {
    ROUTINE_ENTRY(0x06313A);
    if (!call(sub_0631E7, 0x06313F, 0x06313C)) return;
    if (!call(sub_0631FD, 0x063144, 0x063141)) return;
    uint8_t r = add<uint8_t>(cpu.reg[0], orb_read8(rom::stage_ranks + orb_read8(var::stage) - 1u));
    r = add<uint8_t>(r, cpu.reg[1]);
    r = add<uint8_t>(r, orb_read8(var::backup_primary + backup_record::difficulty));
    orb_write8(var::rank_base, r);
    orb_write8(var::difficulty_rank, add<uint8_t>(r, orb_read8(rom::rank_start_offset)));
    orb_write8(var::rank_step, 0);
    orb_write16(var::rank_timer, kStepFrames);
    ret();
}

// Rank schedule, once a frame of play (still in the demo). The events first:
// a continue raises the rank above the base only, up and down move rank and
// base by 2, a restart reloads the schedule and ends the frame's work. Then
// the timer: every 1,800 frames one of seven schedule steps.
void sub_06316E() {
    ROUTINE_ENTRY(0x06316E);
    if (test_bit(var::game_flags, game_flag::demo_play)) {
        ret();
        return;
    }
    uint8_t r = orb_read8(var::difficulty_rank);
    if (test<uint8_t>(orb_read8(var::rank_events)) != 0) {
        if (take_event(rank_event::continued)) {
            cmp<uint8_t>(r, orb_read8(var::rank_base));
            if (greater()) r = add<uint8_t>(r, orb_read8(rom::continue_raise));
        }
        if (take_event(rank_event::up)) {
            orb_write8(var::rank_base, add<uint8_t>(orb_read8(var::rank_base), 2));
            r = add<uint8_t>(r, 2);
        }
        if (take_event(rank_event::down)) {
            orb_write8(var::rank_base, sub<uint8_t>(orb_read8(var::rank_base), 2));
            r = sub<uint8_t>(r, 2);
        }
        orb_write8(var::difficulty_rank, r);
        if (take_event(rank_event::restart)) {
            orb_write8(var::rank_step, 0);
            orb_write16(var::rank_timer, kStepFrames);
            ret();
            return;
        }
    }
    orb_write16(var::rank_timer, dec<uint16_t>(orb_read16(var::rank_timer)));
    if (eq()) {
        orb_write16(var::rank_timer, kStepFrames);
        const uint8_t step = orb_read8(var::rank_step);
        cmp<uint8_t>(step, 7);
        if (less()) {
            uint8_t rank =
                sub<uint8_t>(orb_read8(var::difficulty_rank), orb_read8(rom::rank_schedule + step));
            rank = add<uint8_t>(rank, orb_read8(rom::rank_schedule + step + 1u));
            orb_write8(var::difficulty_rank, rank);
            orb_write8(var::rank_step, inc<uint8_t>(step));
        }
    }
    ret();
}

// The area's rank byte. Out: R0 low byte = ROM 0x063237[6 × stage + area]
// (the stage doubled as a byte, then tripled).
void sub_0631E7() {
    ROUTINE_ENTRY(0x0631E7);
    const uint32_t doubled = static_cast<uint8_t>(orb_read8(var::stage) * 2u);
    set8(cpu.reg[0], orb_read8(rom::area_ranks + doubled * 3u + orb_read8(var::area)));
    ret();
}

// The player-count factor. Out: R1 low byte = ROM 0x063208[slots in play].
void sub_0631FD() {
    ROUTINE_ENTRY(0x0631FD);
    set8(cpu.reg[1], orb_read8(rom::player_factors + (orb_read32(var::game_flags) & 0xFF)));
    ret();
}
