// The in-game flow: one step a frame of the state machine that leads a game
// (and the demo) from character select through the stages and their areas to
// stage clear, the ending and game over; in play the rank schedule, the
// target-slot bookkeeping and the target points. Also the routine that hands
// every slot in play a new routine.
#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// The state dispatch: a table of 3-byte branches by ingame_state; 59 states.
constexpr uint32_t kStateJump = 0x06224F;
constexpr uint32_t kStateTable = 0x062252;

// ROM tables.
constexpr uint32_t kGameOverTextsStage0[2] = {0x062AC7, 0x062AEC};

// Routines installed in the slots in play or in objects.
constexpr uint32_t kTerrainChange = 0x063A0A;
constexpr uint32_t kTerrainChanged = 0x063A42;
constexpr uint32_t kZoomChange = 0x063A88;
constexpr uint32_t kZoomChanged = 0x063A9B;
constexpr uint32_t kFadeChanged = 0x063B91;
constexpr uint32_t kEnding = 0x063805;
constexpr uint32_t kGameOverStage0 = 0x08A3C9;

constexpr uint16_t kSelectFrames = 1200;
constexpr uint16_t kShortWait = 60;
constexpr uint16_t kResultsFrames = 1200;
constexpr uint16_t kGameOverFrames = 320;
constexpr uint16_t kZoomFull = 512;
constexpr uint16_t kZoomHalf = 256;
constexpr uint16_t kDemoEnergy = 1280;
constexpr uint32_t kRankingPageTop = 4096;  // R9 for sub_060953: 0x300000-0x3013FF
constexpr uint8_t kFadeIn = 3;
constexpr uint8_t kFadeOut = 0;

uint8_t ingame_state() { return orb_read8(var::ingame_state); }
void go(uint8_t s) { orb_write8(var::ingame_state, s); }
void next() { go(static_cast<uint8_t>(ingame_state() + 1)); }

void fade(uint8_t preset) {
    orb_write8(var::fade_preset, preset);
    set_bit(var::system_flags, system_flag::fade_running);
}
bool fade_running() { return test_bit(var::system_flags, system_flag::fade_running); }

void play_on() {
    set_bit(var::game_flags, game_flag::play_running);
    clear_bit(var::system_flags, system_flag::area_changing);
}

void port_74(uint8_t value) { orb_write8(hw::io_unused, value); }

void add_area(int8_t delta) {
    orb_write8(var::area, add<uint8_t>(orb_read8(var::area), static_cast<uint8_t>(delta)));
}

// R0 = the area's music code, R19 and R9 for sub_063CC3, R0 for a sound.
void area_music_code() {
    const uint32_t index = (orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area) - 1u;
    set8(cpu.reg[0], orb_read8(rom::area_music + index));
}
void install_args(uint32_t routine) {
    cpu.reg[19] = routine;
    set8(cpu.reg[9], 0);
}
void sound_code(uint8_t code) { set8(cpu.reg[0], code); }

// Steps both zoom words by delta and asks for a full video-register upload.
void step_zoom(int16_t delta) {
    orb_write16(var::nbg0_zoom, add<uint16_t>(orb_read16(var::nbg0_zoom), static_cast<uint16_t>(delta)));
    orb_write16(var::nbg1_zoom, add<uint16_t>(orb_read16(var::nbg1_zoom), static_cast<uint16_t>(delta)));
    set_bit(var::system_flags, system_flag::video_upload_all);
}

uint32_t slot_distance(unsigned i) { return var::target_slot_distances + 4u * i; }
uint32_t slot_holder(unsigned i) { return kHigh | orb_read16(var::target_slot_holders + 2u * i); }

// Target slots, refresh: a held slot keeps its holder's current claim while
// the holder is an enemy alive (flags bits 15 and 0) that still claims it;
// anything else frees the slot.
void refresh_target_slots() {
    for (unsigned i = 0; i < 8; ++i) {
        uint32_t distance = 0xFFFFFFFF;
        if (static_cast<int32_t>(test<uint32_t>(orb_read32(slot_distance(i)))) >= 0) {
            const uint32_t holder = slot_holder(i);
            const uint32_t flags = orb_read32(holder + object_record::flags);
            if ((flags & flag_mask(object_flag::enemy, object_flag::alive)) ==
                    flag_mask(object_flag::enemy, object_flag::alive) &&
                orb_read8(holder + object_record::target_slot) == i)
                distance = orb_read32(holder + object_record::target_distance);
        }
        orb_write32(slot_distance(i), distance);
    }
}

// Target slots, claims: one walk of the ring from the object after the tail
// to the tail. A free slot or a smaller claim (unsigned) takes the slot, the
// previous holder going back from holding to waiting.
void claim_target_slots() {
    if (test<uint16_t>(orb_read16(var::active_count)) == 0) return;
    const uint32_t tail = kHigh | orb_read16(var::active_tail);
    uint32_t object = tail;
    do {
        object = kHigh | orb_read16(object + object_record::next);
        if (!(orb_read32(object + object_record::flags) & flag_mask(object_flag::enemy))) continue;
        const uint8_t slot = orb_read8(object + object_record::target_slot);
        if (slot & 0x80) continue;
        const uint32_t claim = orb_read32(object + object_record::target_distance);
        const uint32_t held = orb_read32(slot_distance(slot));
        if (static_cast<int32_t>(held) >= 0) {
            cmp<uint32_t>(claim, held);
            if (no_carry()) continue;
        }
        const uint32_t previous = slot_holder(slot);
        if (orb_read8(previous + object_record::state) == enemy_state::slot_granted)
            orb_write8(previous + object_record::state, enemy_state::slot_chosen);
        orb_write32(slot_distance(slot), claim);
        orb_write16(var::target_slot_holders + 2u * slot, static_cast<uint16_t>(object));
    } while ((object & 0xFFFF) != (tail & 0xFFFF));
}

// Target slots, promotion: a waiting holder of a slot with a claim above 0
// (signed) now holds it.
void promote_target_slots() {
    for (unsigned i = 0; i < 8; ++i) {
        if (static_cast<int32_t>(orb_read32(slot_distance(i))) <= 0) continue;
        const uint32_t holder = slot_holder(i);
        if (orb_read8(holder + object_record::state) == enemy_state::slot_chosen)
            orb_write8(holder + object_record::state, enemy_state::slot_granted);
    }
}

}  // namespace

// In-game flow: one step of the state in ingame_state. States 2 and 9, and
// play's area-change requests, run the following state's step in the same
// frame. A state past the table has no branch and ends the run.
void sub_062246() {
    ROUTINE_ENTRY(0x062246);
    for (;;) {
        switch (ingame_state()) {
        case flow_state::select_start:
        case flow_state::select_again:  // character select: the scene, its palette and music
            if (fade_running()) break;
            for (uint32_t i = 0; i < 5; ++i)
                orb_write8(var::game_start_time + i, orb_read8(var::power_on_time + i));
            orb_write8(hw::io_control, orb_read8(hw::io_control) & ~0x02u);
            set_bit(var::system_flags, system_flag::mixer_take_pending);
            if (!call(sub_088B2D, 0x06230A, 0x062306)) return;
            if (!call(sub_0608DF, 0x062312, 0x06230E)) return;
            if (!call(sub_060942, 0x06231A, 0x062316)) return;
            if (!call(sub_0609AA, 0x062322, 0x06231E)) return;
            orb_write8(var::stage, 0);
            orb_write8(var::area, 2);
            orb_write16(var::flow_countdown, kSelectFrames);
            cpu.reg[19] = rom::menu_palette;
            if (!call(sub_0896A9, 0x06232A, 0x062326)) return;
            if (!call(sub_088BED, 0x062332, 0x06232E)) return;
            sound_code(0x8E);
            if (!call(sub_088F98, 0x06233A, 0x062336)) return;
            next();
            break;
        case flow_state::select_fade_in:
        case flow_state::stage_fade_in:
        case flow_state::ending_fade_in:
        case flow_state::game_over_fade_in:
            fade(kFadeIn);
            next();
            break;
        case flow_state::select_display_on:
            orb_write8(hw::io_control, orb_read8(hw::io_control) | 0x02u);
            next();
            continue;
        case flow_state::select_wait_in:
        case flow_state::select_wait_out:
        case flow_state::intro_wait_out:
        case flow_state::ending_wait_out:
        case flow_state::game_over_wait_out:
            if (!fade_running()) next();
            break;
        case flow_state::select_choose:  // leaves when the countdown goes below zero
            orb_write16(var::flow_countdown, dec<uint16_t>(orb_read16(var::flow_countdown)));
            if (negative()) {
                orb_write16(var::flow_countdown, kShortWait);
                next();
            }
            break;
        case flow_state::select_pause:
        case flow_state::results_countdown:
        case flow_state::game_over_countdown:  // leaves when the countdown reaches zero
            orb_write16(var::flow_countdown, dec<uint16_t>(orb_read16(var::flow_countdown)));
            if (less_equal()) next();
            break;
        case flow_state::select_fade_out:
        case flow_state::intro_fade_out:
        case flow_state::ending_fade_out:
        case flow_state::game_over_fade_out:
            fade(kFadeOut);
            next();
            break;
        case flow_state::first_stage:
            orb_write8(var::stage, 0);
            orb_write8(var::area, 0);
            next();
            break;
        case flow_state::next_stage:
            sound_code(0);
            if (!call(sub_088F98, 0x062342, 0x06233E)) return;
            orb_write8(var::area, 0);
            next();
            continue;
        case flow_state::stage_start:  // the next stage, or past the last one the ending
            if (fade_running()) break;
            clear_bit(var::game_flags, game_flag::play_running);
            orb_write8(var::stage, inc<uint8_t>(orb_read8(var::stage)));
            cmp<uint8_t>(orb_read8(var::stage), 4);
            if (greater()) {
                set_bit(var::system_flags, system_flag::game_ended);
                go(flow_state::ending);
                break;
            }
            clear_bit(var::game_flags, game_flag::play_over);
            if (!call(sub_088B2D, 0x06234A, 0x062346)) return;
            if (!call(sub_0608DF, 0x062352, 0x06234E)) return;
            if (!call(sub_060942, 0x06235A, 0x062356)) return;
            if (!call(sub_0609AA, 0x062362, 0x06235E)) return;
            if (!call(sub_085118, 0x06236A, 0x062366)) return;
            if (!call(sub_084CE2, 0x062372, 0x06236E)) return;
            orb_write8(var::area, 0);
            if (!call(sub_088BED, 0x06237A, 0x062376)) return;
            next();
            break;
        case flow_state::stage_wait_in:
        case flow_state::ending_wait_in:
            if (fade_running()) break;
            orb_write16(var::flow_countdown, kShortWait);
            next();
            break;
        case flow_state::stage_intro:
        case flow_state::ending_scene:  // the stage intro and the ending scene move the flow on
            break;
        case flow_state::intro_done:
        case flow_state::ending_done: next(); break;
        case flow_state::area_start:  // area start
            if (fade_running()) break;
            if (!call(sub_088B2D, 0x062382, 0x06237E)) return;
            if (!call(sub_0608DF, 0x06238A, 0x062386)) return;
            if (!call(sub_060942, 0x062392, 0x06238E)) return;
            if (!call(sub_0609AA, 0x06239A, 0x062396)) return;
            if (!call(sub_089692, 0x0623A2, 0x06239E)) return;
            add_area(1);
            if (!call(sub_0851BC, 0x0623AA, 0x0623A6)) return;
            if (orb_read8(var::area) & 1) {
                clear_bit(var::game_flags, game_flag::placed_objects);
                if (!call(sub_087786, 0x0623B2, 0x0623AE)) return;
            } else {
                set_bit(var::game_flags, game_flag::placed_objects);
                if (!call(sub_08787D, 0x0623BA, 0x0623B6)) return;
            }
            if (!call(sub_06313A, 0x0623C2, 0x0623BE)) return;
            if (!call(sub_068FD2, 0x0623CA, 0x0623C6)) return;
            if (!call(sub_088BED, 0x0623D2, 0x0623CE)) return;
            next();
            port_74(orb_read8(rom::area_port_bytes + orb_read8(var::stage)));
            port_74(22);
            area_music_code();
            if (!call(sub_088F98, 0x0623DA, 0x0623D6)) return;
            break;
        case flow_state::area_fade_in:
        case flow_state::fade_change_in:
            next();
            fade(kFadeIn);
            break;
        case flow_state::area_wait_in:
            if (fade_running()) break;
            play_on();
            next();
            break;
        case flow_state::play:  // play
            if (!call(sub_06316E, 0x0623E2, 0x0623DE)) return;
            if (test_bit(var::system_flags, system_flag::game_ended)) {
                go(flow_state::game_over);
                fade(kFadeOut);
                break;
            }
            if (!clear_bit(var::game_flags, game_flag::slot_out)) {
                if (clear_bit(var::system_flags, system_flag::stage_cleared)) {
                    go(flow_state::stage_cleared);
                    fade(kFadeOut);
                    break;
                }
                if (clear_bit(var::system_flags, system_flag::area_change_by_terrain)) {
                    go(flow_state::terrain_change);
                    continue;
                }
                if (clear_bit(var::system_flags, system_flag::area_change_by_zoom)) {
                    go(flow_state::zoom_change);
                    continue;
                }
            }
            if (clear_bit(var::system_flags, system_flag::area_change_with_fade)) {
                go(flow_state::fade_change);
                continue;
            }
            refresh_target_slots();
            claim_target_slots();
            promote_target_slots();
            // Target points: per player in play his world y and, on each side
            // whose screen point is on screen, the world x 200 away unless
            // the terrain there is marked.
            for (uint32_t n = 0; n < 4; ++n) {
                const uint32_t player = cpu.reg[25] + orb_read16(rom::target_player_offsets + 2u * n);
                const uint32_t entry = var::target_points + target_point_entry::size * n;
                if (!test_bit(player + object_record::flags, object_flag::alive)) {
                    orb_write16(entry + target_point_entry::left_x, 0xFFFF);
                    orb_write16(entry + target_point_entry::right_x, 0xFFFF);
                    continue;
                }
                orb_write16(entry + target_point_entry::y, orb_read16(player + object_record::world_y));
                for (uint32_t side = 0; side < 2; ++side) {
                    const uint32_t field = side ? target_point_entry::right_x : target_point_entry::left_x;
                    const uint16_t screen =
                        add<uint16_t>(orb_read16(player + object_record::screen_x), side ? 50 : 0xFFCE);
                    cmp<uint16_t>(screen, 320);
                    if (no_carry()) {
                        orb_write16(entry + field, 0xFFFF);
                        continue;
                    }
                    cpu.reg[3] = load_sx16(player + object_record::world_x) +
                                 (side ? 200u : static_cast<uint32_t>(-200));
                    cpu.reg[4] = load_sx16(player + object_record::world_y);
                    if (!call(sub_0877D1, 0x0623EA, 0x0623E6)) return;
                    orb_write16(entry + field, eq() ? static_cast<uint16_t>(cpu.reg[3]) : 0xFFFF);
                }
            }
            break;
        case flow_state::terrain_change:  // area change by terrain: the playfield zooms out
            disable_interrupts();
            add_area(1);
            clear_bit(var::game_flags, game_flag::placed_objects);
            if (!call(sub_0851BC, 0x0623F2, 0x0623EE)) return;
            if (!call(sub_087786, 0x0623FA, 0x0623F6)) return;
            next();
            install_args(kTerrainChange);
            if (!call(sub_063CC3, 0x062402, 0x0623FE)) return;
            if (!call(sub_088626, 0x06240A, 0x062406)) return;
            enable_interrupts();
            break;
        case flow_state::terrain_zoom_in:  // ... and back in, then play
            if (orb_read16(var::nbg0_zoom) != kZoomFull) {
                step_zoom(8);
                break;
            }
            install_args(kTerrainChanged);
            if (!call(sub_063CC3, 0x062412, 0x06240E)) return;
            if (!call(sub_06313A, 0x06241A, 0x062416)) return;
            if (!call(sub_068FD2, 0x062422, 0x06241E)) return;
            if (!call(sub_088BED, 0x06242A, 0x062426)) return;
            play_on();
            port_74(22);
            go(flow_state::play);
            if (!call(sub_08865E, 0x062432, 0x06242E)) return;
            area_music_code();
            if (!call(sub_088F98, 0x06243A, 0x062436)) return;
            break;
        case flow_state::zoom_change:  // area change by zoom
            next();
            install_args(kZoomChange);
            if (!call(sub_063CC3, 0x062442, 0x06243E)) return;
            orb_write16(var::nbg0_zoom, kZoomFull);
            orb_write16(var::nbg1_zoom, kZoomFull);
            sound_code(0x9F);
            if (!call(sub_088F98, 0x06244A, 0x062446)) return;
            cpu.reg[9] = 1;
            if (!call(sub_0887CF, 0x062452, 0x06244E)) return;
            if (!call(sub_0886E1, 0x06245A, 0x062456)) return;
            break;
        case flow_state::zoom_change_out:
            if (orb_read16(var::nbg0_zoom) != kZoomHalf) {
                step_zoom(-8);
                break;
            }
            disable_interrupts();
            add_area(1);
            set_bit(var::game_flags, game_flag::placed_objects);
            if (!call(sub_0851BC, 0x062462, 0x06245E)) return;
            if (!call(sub_08787D, 0x06246A, 0x062466)) return;
            install_args(kZoomChanged);
            if (!call(sub_063CC3, 0x062472, 0x06246E)) return;
            if (!call(sub_06313A, 0x06247A, 0x062476)) return;
            if (!call(sub_068FD2, 0x062482, 0x06247E)) return;
            if (!call(sub_088BED, 0x06248A, 0x062486)) return;
            play_on();
            port_74(23);
            go(flow_state::play);
            if (!call(sub_08878F, 0x062492, 0x06248E)) return;
            enable_interrupts();
            area_music_code();
            if (!call(sub_088F98, 0x06249A, 0x062496)) return;
            break;
        case flow_state::demo_setup:
            {  // demo set-up
                set_bit(var::game_flags, game_flag::demo_play);
                if (!call(sub_088B2D, 0x0624A2, 0x06249E)) return;
                if (!call(sub_0608DF, 0x0624AA, 0x0624A6)) return;
                if (!call(sub_0609AA, 0x0624B2, 0x0624AE)) return;
                const uint32_t players = orb_read8(var::backup_primary + backup_record::player_count);
                const uint32_t row =
                    orb_read32(rom::demo_setups + 4u * players) + 4u * orb_read8(var::demo_index);
                orb_write8(var::stage, orb_read8(row));
                orb_write8(var::area, orb_read8(row + 1));
                orb_write16(var::game_flags,
                            logic<uint16_t>(orb_read16(var::game_flags) | orb_read16(row + 2)));
                if (!call(sub_085118, 0x0624BA, 0x0624B6)) return;
                if (!call(sub_0851BC, 0x0624C2, 0x0624BE)) return;
                if (!call(sub_087786, 0x0624CA, 0x0624C6)) return;
                if (!call(sub_08787D, 0x0624D2, 0x0624CE)) return;
                if (!call(sub_068FD2, 0x0624DA, 0x0624D6)) return;
                if (!call(sub_088BED, 0x0624E2, 0x0624DE)) return;
                if (!call(sub_089692, 0x0624EA, 0x0624E6)) return;
                const uint32_t characters =
                    orb_read32(rom::demo_characters + 4u * players) + 4u * orb_read8(var::demo_index);
                for (uint32_t n = 0; n < 4; ++n) {
                    if (!test_bit(var::game_flags, n)) continue;
                    const uint32_t player = var::player_records + player_record::size * n;
                    orb_write32(player + object_record::routine, entry::sub_0638B4 /* wait for play */);
                    orb_write8(player + object_record::state, 0);
                    orb_write16(player + object_record::flags, 7);
                    orb_write8(player + player_record::character, orb_read8(characters + n));
                    orb_write16(player + object_record::energy, kDemoEnergy);
                }
                orb_write8(var::demo_index, (orb_read8(var::demo_index) + 1u) & 3u);
                go(flow_state::play);
                break;
            }
        case flow_state::fade_change:  // area change with fade
            next();
            orb_write16(var::fade_mixer_word, orb_read16(var::fade_mixer_word) & ~0x4000u);
            set_bit(var::system_flags, system_flag::mixer_upload);
            break;
        case flow_state::fade_change_out:
            next();
            fade(kFadeOut);
            clear_bit(var::game_flags, game_flag::play_running);
            set_bit(var::system_flags, system_flag::area_changing);
            break;
        case flow_state::fade_change_dark:
            if (fade_running()) break;
            next();
            set_bit(var::game_flags, game_flag::area_change);
            break;
        case flow_state::fade_change_area:
            clear_bit(var::game_flags, game_flag::area_change);
            add_area(1);
            if (!call(sub_0851BC, 0x0624F2, 0x0624EE)) return;
            clear_bit(var::game_flags, game_flag::placed_objects);
            if (!call(sub_087786, 0x0624FA, 0x0624F6)) return;
            install_args(kFadeChanged);
            if (!call(sub_063CC3, 0x062502, 0x0624FE)) return;
            if (!call(sub_068FD2, 0x06250A, 0x062506)) return;
            if (!call(sub_088BED, 0x062512, 0x06250E)) return;
            next();
            port_74(22);
            area_music_code();
            if (!call(sub_088F98, 0x06251A, 0x062516)) return;
            break;
        case flow_state::fade_change_wait:
            if (fade_running()) break;
            play_on();
            go(flow_state::play);
            orb_write16(var::fade_mixer_word, orb_read16(var::fade_mixer_word) | 0x4000u);
            set_bit(var::system_flags, system_flag::mixer_upload);
            break;
        case flow_state::stage_cleared:  // stage cleared
            if (fade_running()) break;
            sound_code(0);
            if (!call(sub_088F98, 0x062522, 0x06251E)) return;
            next();
            break;
        case flow_state::results:  // the results in a 256-byte object (none when the pool is empty)
            clear_bit(var::game_flags, game_flag::play_running);
            if (!call(sub_088B2D, 0x06252A, 0x062526)) return;
            if (!call(sub_0608DF, 0x062532, 0x06252E)) return;
            if (!call(sub_060942, 0x06253A, 0x062536)) return;
            if (!call(sub_0609AA, 0x062542, 0x06253E)) return;
            sound_code(0xB8);
            if (!call(sub_088F98, 0x06254A, 0x062546)) return;
            if (!call(sub_088C57, 0x062552, 0x06254E)) return;
            if (ne()) {
                if (!call(sub_088CA5, 0x06255A, 0x062556)) return;
                orb_write32(cpu.reg[21] + object_record::routine, entry::sub_084708 /* results */);
            }
            next();
            fade(kFadeIn);
            break;
        case flow_state::results_wait_in:
            if (fade_running()) break;
            orb_write16(var::flow_countdown, kResultsFrames);
            next();
            break;
        case flow_state::results_end:
            go(flow_state::next_stage);
            fade(kFadeOut);
            break;
        case flow_state::ending_37:
        case flow_state::ending_38:
        case flow_state::ending_39:
        case flow_state::ending_40:
        case flow_state::ending_41:
        case flow_state::ending_42:
        case flow_state::ending:  // the ending scene
            if (fade_running()) break;
            if (!call(sub_0608DF, 0x062562, 0x06255E)) return;
            if (!call(sub_060942, 0x06256A, 0x062566)) return;
            if (!call(sub_0609AA, 0x062572, 0x06256E)) return;
            if (!call(sub_088B2D, 0x06257A, 0x062576)) return;
            orb_write8(var::stage, 0);
            orb_write8(var::area, 1);
            if (!call(sub_088BED, 0x062582, 0x06257E)) return;
            clear_bit(var::game_flags, game_flag::play_running);
            install_args(kEnding);
            if (!call(sub_063CC3, 0x06258A, 0x062586)) return;
            next();
            sound_code(0x8F);
            if (!call(sub_088F98, 0x062592, 0x06258E)) return;
            break;
        case flow_state::game_over:  // game over
            if (fade_running()) break;
            sound_code(0);
            if (!call(sub_088F98, 0x06259A, 0x062596)) return;
            next();
            clear_bit(var::game_flags, game_flag::play_running);
            set_bit(var::system_flags, system_flag::mixer_take_pending);
            if (!call(sub_0608DF, 0x0625A2, 0x06259E)) return;
            cpu.reg[9] = kRankingPageTop;
            if (!call(sub_060953, 0x0625AA, 0x0625A6)) return;
            if (!call(sub_060942, 0x0625B2, 0x0625AE)) return;
            if (!call(sub_0609AA, 0x0625BA, 0x0625B6)) return;
            if (!call(sub_088B2D, 0x0625C2, 0x0625BE)) return;
            if (orb_read8(var::stage) != 0) {
                sound_code(0x88);
                if (!call(sub_088F98, 0x0625CA, 0x0625C6)) return;
                orb_write8(var::stage, 0);
                orb_write8(var::area, 3);
                if (!call(sub_088BED, 0x0625D2, 0x0625CE)) return;
                cpu.reg[19] = rom::game_over_texts[0];
                if (!call(sub_088A20, 0x0625DA, 0x0625D6)) return;
                cpu.reg[19] = rom::game_over_texts[1];
                if (!call(sub_088A20, 0x0625E2, 0x0625DE)) return;
                install_args(entry::sub_08A3D6 /* ranking */);
                if (!call(sub_063CC3, 0x0625EA, 0x0625E6)) return;
            } else {
                sound_code(0x86);
                if (!call(sub_088F98, 0x0625F2, 0x0625EE)) return;
                cpu.reg[19] = rom::scene_palette;
                if (!call(sub_0896A9, 0x0625FA, 0x0625F6)) return;
                cpu.reg[19] = kGameOverTextsStage0[0];
                if (!call(sub_088A20, 0x062602, 0x0625FE)) return;
                cpu.reg[19] = kGameOverTextsStage0[1];
                if (!call(sub_088A20, 0x06260A, 0x062606)) return;
                install_args(kGameOverStage0);
                if (!call(sub_063CC3, 0x062612, 0x06260E)) return;
            }
            port_74(31);
            break;
        case flow_state::game_over_wait_in:
            if (fade_running()) break;
            orb_write16(var::flow_countdown, kGameOverFrames);
            next();
            break;
        case flow_state::ranking:
            {  // until no slot runs the ranking any more
                bool ranking = false;
                for (uint32_t n = 0; n < 4 && !ranking; ++n)
                    ranking = orb_read32(var::player_records + player_record::size * n +
                                         object_record::routine) == entry::sub_08A3D6 /* ranking */;
                if (!ranking) next();
                break;
            }
        case flow_state::game_end:  // end of game: the play time into the bookkeeping, the ranking screen
            if (!call(sub_0634A7, 0x06261A, 0x062616)) return;
            orb_write8(var::stage, 0);
            orb_write8(var::area, 0);
            orb_write16(var::game_mode, game_mode::ranking_screen);
            go(flow_state::select_start);
            orb_write32(var::system_flags, 0);
            cpu.reg[10] = var::power_on_time;
            cpu.reg[11] = var::game_start_time;
            if (!call(sub_08909C, 0x062622, 0x06261E)) return;
            cpu.reg[10] = var::game_start_time;
            cpu.reg[11] = var::game_time;
            if (!call(sub_089050, 0x06262A, 0x062626)) return;
            cpu.reg[2] = var::bookkeeping_data;
            if (!call(sub_0610F5, 0x062632, 0x06262E)) return;
            orb_write16(var::bookkeeping_block, static_cast<uint16_t>(cpu.reg[0]));
            move_halfwords(var::game_time, var::game_time_mirror, 3);
            clear_bit(var::game_flags, game_flag::play_over);
            if (!call(sub_0608DF, 0x06263A, 0x062636)) return;
            cpu.reg[9] = kRankingPageTop;
            if (!call(sub_060953, 0x062642, 0x06263E)) return;
            if (!call(sub_060942, 0x06264A, 0x062646)) return;
            if (!call(sub_0609AA, 0x062652, 0x06264E)) return;
            if (!call(sub_088B2D, 0x06265A, 0x062656)) return;
            break;
        default: v60_unknown_jump(kStateTable + 3u * ingame_state(), kStateJump);
        }
        break;
    }
    ret();
}

// Hands every slot in play (flags bit 0) a routine and a state; the others
// keep theirs. In: R19 = the routine, R9 low byte = the state.
void sub_063CC3() {
    ROUTINE_ENTRY(0x063CC3);
    for (uint32_t player = var::player_records; player < var::player_records + 4 * player_record::size;
         player += player_record::size) {
        if (!test_bit(player + object_record::flags, object_flag::alive)) continue;
        orb_write32(player + object_record::routine, cpu.reg[19]);
        orb_write8(player + object_record::state, static_cast<uint8_t>(cpu.reg[9]));
    }
    ret();
}
