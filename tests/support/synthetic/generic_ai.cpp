// Synthetic ROM data: stage 3, whose first area holds platform enemies of
// the generic AI: five of the AI types 1 to 4 where the area starts, and the
// two enemies with pieces (types 5 and 6) in its right part.
//
// Stage 3 is stage 1 over again (the same descriptor, intro, object lists,
// cameras, start lines and music: its rows of the per-stage tables are
// copies of stage 1's, planted beside them) except for its spawn lists and
// its area 3, which is the pickups' (pickups.cpp; the two share the stage's
// tables by area, stage_areas.h). Area 1 sends, as the camera starts,
// - the "hopper", AI type 1, on two segments (an upper one it starts on and
//   a wider lower one in front of it): it waits, walks, drops to the lower
//   segment with the low jump and goes back up with the high jump; a player
//   close to it brings its high jump with a strike from above, one a little
//   further off its ground strike (a wind-up, then a blow on both sides);
// - the "brawler", AI type 4 on the same routine with the second animation
//   set, on one segment left of the players: a player near it brings its
//   high jump, or its jump back (when there is room behind it) striking
//   where it lands;
// - the "leaper", AI type 2, at a home point left of the players: when a
//   player is about to strike (state 11) inside its reach it winds up,
//   leaps onto the spot where the player stood and strikes there; hit in
//   the rise it flies back home, hit in the descent it drops onto its aim;
// - the "vaulter", a second leaper, in front of the players (50 pixels of
//   depth nearer the screen's bottom): a blow in the first frames of its
//   leap's rise, as it passes the players' depth, sends it flying back home;
// - the "thrower", AI type 3, right of the players: every 240 frames it
//   throws an object that flies out towards the players at 32 units a
//   frame, slows, turns and comes back, striking the players it passes;
// and, once the camera passes x 1600, types 5 and 6, each with a follower
// piece and an attack piece, on one segment: they wait, walk, strike, jump
// at a player that comes near and attack with their attack piece; once it
// passes x 1900, the volley enemy (AI type 7, its tables in volley.cpp) and
// a third type 6 on a short segment of its own.
// Every one of them is stunned by a blow on the ground, knocked back by one
// in the air, and beaten pops up, falls and shrinks off the screen (types 5
// and 6: leave after their effect), worth its score and counted in its
// tally category.
//
// The runs reach stage 3 by a poke of the stage variable between the
// flow's stage reset and its stage advance (see the runs' script); stage 1
// and its runs never read these rows.
//
// What the types share with stage 1's platform enemies stays as planted
// there: the condition tests by code (codes 4 and 5, the segment tests, are
// added), the probe boxes, and type 3's entries of the per-type animation,
// landing, sound and tally tables (the stalker's). AI type 0's attacks are
// not planted here: their boxes are the pacer's (stage 1), and no enemy here
// is of type 0.
//
// Our own tables lie in 0x136000-0x1363FF and 0x136800-0x136BFF, around the
// animations the passers-by and set pieces start by address (and the frames
// of the two-piece strike right after its script at 0x136E0A); positions are
// world units
// (quarter pixels). The players start at x 640, y 600.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "game/actors/platform_ai.h"
#include "game/continuations.h"
#include "game/actors/tables.h"
#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_areas.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

using namespace platform_ai;  // the per-type tables the routines read

// Routines the tables name.
// sub_07BBAA type1 entry, sub_07BBB6 type4 entry, sub_07D5BE type2 routine, sub_07D95C type3 routine
// sub_07BEAB type1 watch, sub_07BEB0 type4 watch, sub_07D83C type2 watch, sub_07DC27 type3 watch
// sub_07A50F wait, sub_07A535 walk right, sub_07A54F walking right, sub_07A592 walk left, sub_07A5AC walking
// left, sub_07A5EF high jump, sub_07A60F rise, sub_07A637 low jump, sub_07A657 flight, sub_07A68D stun start,
// sub_07A6B9 knockback, sub_07A6CC knockback fall, sub_07A725 defeat rise, sub_07A72D defeat fall, sub_07A73B
// defeat shrink
// sub_07AB3F active area test

// ---- values ----
constexpr uint8_t kStage = 3;
// Spawn types of the four types (above those of stage 1 and of the other stages).
constexpr uint8_t kSpawnHopper = 50, kSpawnBrawler = 51, kSpawnLeaper = 52, kSpawnThrower = 53,
                  kSpawnType5 = 54, kSpawnType6 = 55;
// The types 5 and 6 enter when the camera passes x 1600, which only a walk
// to the area's right part brings.
constexpr uint16_t kPiecesTrigger = 1600;
// The archer (AI type 7, volley.cpp) enters at the area's right end, which
// only a walk past the two-piece enemies brings.
constexpr uint16_t kArcherTrigger = 1900;
constexpr uint8_t kAttackStrength = 10;  // energy each of their blows takes
// State numbers of the tables below.
constexpr uint8_t kLanding = 1;
constexpr uint8_t kT1Stun = 29, kT1Knockback = 31, kT1Defeat = 33;
constexpr uint8_t kT2Stun = 3, kT2Knockback = 5, kT2Defeat = 7, kT2Return = 11, kT2Drop = 13;
constexpr uint8_t kT3Stun = 3, kT3Knockback = 5, kT3Defeat = 7;

// Sprite pictures planted by the enemies of stage 1 (sprite ROM bytes): the
// four draw with them in colour groups of their own.
constexpr uint32_t kTallPixels = 0x7E0000;   // 24 x 40
constexpr uint32_t kSquatPixels = 0x7E1000;  // 32 x 32

// Our block: animation scripts, the frames they show (script entries are
// positive offsets), then the rest.
constexpr uint32_t kScripts = 0x136000, kFrames = 0x136200, kData = 0x136800, kBlockEnd = 0x136C00;

void put_s16(rom_builder& rom, uint32_t a, int16_t v, const char* what) {
    rom.put16(a, static_cast<uint16_t>(v), what);
}

// A frame definition: one part, then one body box of 16 pixels either side
// of the position and 16 pixels of depth either side.
uint32_t put_frame(block& c, const std::array<uint16_t, 8>& p, const char* what) {
    return put_frame(c, p, {{-16, 32, -16, 32}}, what);
}

// Stage 3's rows of the per-stage tables: stage 1's rows copied (the bytes
// stage 1 planted; the rest read 0 in both). `first` is the table's entry of
// stage 1, `per_stage` its entries per stage, `size` the bytes of each.
// Entry `skip` of the row (area 3's, which is the pickups' own: pickups.cpp)
// is left out, and `skip_too` with it.
void copy_stage_row(rom_builder& rom, uint32_t table, uint32_t first, uint32_t per_stage, uint32_t size,
                    const char* what, uint32_t skip = ~0u, uint32_t skip_too = ~0u) {
    const uint32_t from = table + first * size;
    const uint32_t to = from + (kStage - 1) * per_stage * size;
    for (uint32_t i = 0; i < per_stage * size; ++i)
        if (const uint8_t v = rom.program8(from + i); v != 0 && i / size != skip && i / size != skip_too)
            rom.put8(to + i, v, what);
}

void plant_stage(rom_builder& rom) {
    // By stage (entry = stage).
    // (Stage 3's descriptor, stage 1's with a record for area 3: endings.cpp.)
    copy_stage_row(rom, rom::stage_palette_blocks, 1, 1, 4, "stage palettes: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::stage_modes, 1, 1, 1, "stage layer modes: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::area_port_bytes, 1, 1, 1, "area port bytes: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::intro_sounds, 1, 1, 1, "stage intro sounds: stage 3 (stage 1's)");
    // By stage - 1.
    copy_stage_row(rom, rom::intro_actor_lists, 0, 1, 4, "stage intro actor lists: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::intro_countdowns, 0, 1, 2, "stage intro countdowns: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::intro_title_delays, 0, 1, 2, "stage intro title delays: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::stage_ranks, 0, 1, 1, "stage ranks: stage 3 (stage 1's)");
    copy_stage_row(rom, rom::results_categories, 0, 1, 4, "results records: stage 3 (stage 1's)");
    // By (stage - 1) x 5 + area - 1, but for area 3.
    copy_stage_row(rom, rom::camera_script_table, 0, 5, 4, "camera scripts: stage 3 (stage 1's)", 2,
                   1);  // area 2: endings.cpp
    copy_stage_row(rom, rom::terrain_lists, 0, 5, 4, "terrain lists: stage 3 (stage 1's)", 2);
    copy_stage_row(rom, rom::player_start_y, 0, 5, 2, "player start y: stage 3 (stage 1's)", 2);
    copy_stage_row(rom, rom::area_music, 0, 5, 1, "area music: stage 3 (stage 1's)", 2);
    copy_stage_row(rom, rom::area_mixer_nibbles, 0, 5, 4, "area mixer nibbles: stage 3 (stage 1's)", 2);
    copy_stage_row(rom, rom::area_page_words, 0, 5, 8, "area page words: stage 3 (stage 1's)", 2);
    // By 6 x stage + area, but for area 3.
    copy_stage_row(rom, rom::area_ranks, 6, 6, 1, "area ranks: stage 3 (stage 1's)", 3);
}

struct pictures {
    uint32_t f0, f1;                                         // frames: standing, crouched
    uint32_t stand, walk, hurt, jump, strike, fall, defeat;  // scripts
};

// Animation scripts and frames of one enemy: `pixels` and its size, in
// colour group `colour`. Standing, walking, being hurt and falling loop;
// the jump and the strike play two frames once and stop (the attacks wait
// for their frame 1 and for their end), the defeat three (then the beaten
// enemy shrinks as it falls).
pictures plant_pictures(rom_builder& rom, block& c, block& frames, uint32_t pixels, uint16_t width,
                        uint16_t height, uint16_t colour) {
    const char* what = "platform enemy animation";
    const uint32_t f0 = put_frame(frames, part(pixels, width, height, colour), what);
    const uint32_t f1 = put_frame(frames, part(pixels, width, uint16_t(height - 4), colour), what);
    pictures p{};
    p.f0 = f0;
    p.f1 = f1;
    auto script = [&](uint32_t& at, uint8_t duration, std::vector<uint32_t> frames, int16_t end) {
        at = c.here();
        c.take(put_script(rom, at, duration, frames, end, what));
    };
    script(p.stand, 16, {f0, f1}, -2);
    script(p.walk, 5, {f0, f1}, -2);
    script(p.hurt, 3, {f1, f0}, -2);
    script(p.fall, 6, {f1}, -2);
    script(p.jump, 6, {f1, f0}, -1);
    script(p.strike, 5, {f1, f0}, -1);
    script(p.defeat, 4, {f1, f0, f1}, -1);
    return p;
}

// The per-type entries of AI type `type` in the shared tables.
struct per_type {
    uint32_t type;
    uint32_t conditions, next_states, watch;
    const pictures* p;
    int16_t energy, score, speed;
    uint8_t hit_sound, tally;
    bool animations;  // false: type 3, whose animation entries are the stalker's
};

void plant_per_type(rom_builder& rom, const per_type& t) {
    const char* what = "platform enemy tables";
    rom.put32(rom::ai_condition_lists + 4 * t.type, t.conditions, what);
    rom.put32(rom::ai_next_state_lists + 4 * t.type, t.next_states, what);
    rom.put32(rom::ai_idle_callbacks + 4 * t.type, t.watch, what);
    // Camera window: 4096 units past the enemy's own each way.
    const std::array<int16_t, 4> margins = {-4096, 4096, -4096, 4096};
    for (uint32_t i = 0; i < 4; ++i)
        put_s16(rom, rom::ai_window_margins + 8 * t.type + 2 * i, margins[i], what);
    put_s16(rom, rom::ai_energy + 2 * t.type, t.energy, what);
    put_s16(rom, rom::ai_scores + 2 * t.type, t.score, what);
    put_s16(rom, rom::ai_walk_speeds + 2 * t.type, t.speed, what);
    if (!t.animations) return;
    rom.put32(rom::ai_start_animations + 4 * t.type, t.p->stand, what);
    rom.put32(rom::ai_walk_animations + 4 * t.type, t.p->walk, what);
    rom.put32(rom::ai_defeat_animations + 4 * t.type, t.p->defeat, what);
    rom.put32(rom::ai_jump_animations + 4 * t.type, t.p->jump, what);
    rom.put32(rom::ai_fall_animations + 4 * t.type, t.p->fall, what);
    rom.put32(rom::ai_stun_animations + 4 * t.type, t.p->hurt, what);
    rom.put32(rom::ai_knockback_animations + 4 * t.type, t.p->hurt, what);
    rom.put8(rom::ai_landing_states + t.type, kLanding, what);
    rom.put8(rom::ai_hit_sounds + t.type, t.hit_sound, what);
    rom.put8(rom::ai_tally_categories + t.type, t.tally, what);
}

// A state table of u32 routine addresses.
void put_states(rom_builder& rom, uint32_t table, std::initializer_list<uint32_t> states, const char* what) {
    uint32_t a = table;
    for (uint32_t s : states) {
        rom.put32(a, s, what);
        a += 4;
    }
}

// Four bytes of a flat box: x start, x size, depth start, depth size (pixels).
void put_box(rom_builder& rom, uint32_t a, int8_t x, uint8_t w, int8_t d, uint8_t h, const char* what) {
    const std::array<uint8_t, 4> b = {uint8_t(x), w, uint8_t(d), h};
    rom.put_bytes(a, b, what);
}

// Types 1 and 4: the shared actions, the jump back (15-18), the ground
// strike (19-22), the high jump with its strike from above (24-28), the
// stun (29, 30), the knock-back (31, 32) and the defeat (33-36); 11-14 and
// 23 are never entered and wait.
void plant_types_1_and_4(rom_builder& rom, const pictures& hopper, const pictures& brawler) {
    put_states(rom, rom::type1_states, {0x07BC77,          continuation::start_code,
                                        entry::sub_07A50F, entry::sub_07A535,
                                        entry::sub_07A54F, entry::sub_07A592,
                                        entry::sub_07A5AC, entry::sub_07A5EF,
                                        entry::sub_07A60F, entry::sub_07A637,
                                        entry::sub_07A657, entry::sub_07A50F,
                                        entry::sub_07A50F, entry::sub_07A50F,
                                        entry::sub_07A50F, 0x07BC83,
                                        0x07BCBD,          0x07BCEB,
                                        0x07BCF3,  // jump back
                                        0x07BE3B,          0x07BE51,
                                        0x07BE5A,          0x07BE87,  // ground strike
                                        entry::sub_07A50F, 0x07BD45,
                                        0x07BD74,          0x07BDA5,
                                        0x07BE0A,
                                        0x07BE2F,  // high jump
                                        entry::sub_07A68D, continuation::stun_countdown,
                                        entry::sub_07A6B9, entry::sub_07A6CC,
                                        0x07BE9B,          entry::sub_07A725,
                                        entry::sub_07A72D, entry::sub_07A73B},
               "hopper and brawler state table");
    const std::array<uint8_t, 3> hits = {kT1Stun, kT1Knockback, kT1Defeat};
    rom.put_bytes(rom::type1_hit_states, hits, "hopper and brawler hit states");
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put8(rom::type1_stun_frames + i, 8, "hopper and brawler stun frames");
        rom.put8(rom::type1_watch_interval + i, 60, "hopper and brawler watch interval");
        rom.put8(rom::ground_strike_strengths + i, kAttackStrength, "ground strike strengths");
        rom.put8(rom::high_jump_strengths + i, kAttackStrength, "high-jump strike strengths");
        rom.put8(rom::jump_back_strengths + i, kAttackStrength, "jump-back strengths");
    }
    // Attack boxes: the ground strike reaches 40 pixels either side, the
    // strike from above 24, the jump back's landing 16.
    put_box(rom, rom::ground_strike_box, -40, 80, -16, 32, "ground strike box");
    put_box(rom, rom::high_jump_box, -24, 48, -16, 32, "high-jump strike box");
    put_box(rom, rom::jump_back_box, -16, 32, -16, 32, "jump-back box");
    // Attack animations by variant: 0 the hopper (type 1), 1 the brawler.
    for (uint32_t v = 0; v < 2; ++v) {
        const pictures& p = v ? brawler : hopper;
        rom.put32(rom::jump_start_animations + 4 * v, p.jump, "jump start animations");
        rom.put32(rom::high_jump_top_animations + 4 * v, p.fall, "high-jump top animations");
        rom.put32(rom::high_jump_strike_animations + 4 * v, p.strike, "high-jump strike animations");
        rom.put32(rom::jump_back_descent_animations + 4 * v, p.jump, "jump-back descent animations");
        rom.put32(rom::ground_strike_animations + 4 * v, p.strike, "ground strike animations");
    }
}

// Type 2: set-up and start (0, 1), the wait (2), stun, knock-back and
// defeat (3-10), the return home (11, 12) and the drop (13, 14) that a hit
// in the leap's rise or descent brings, the leap (15-17).
void plant_type_2(rom_builder& rom, const pictures& p) {
    put_states(rom, rom::type2_states,
               {0x07D645, 0x07D65C, entry::sub_07A50F, entry::sub_07A68D, continuation::stun_countdown,
                entry::sub_07A6B9, entry::sub_07A6CC, 0x07D82C, entry::sub_07A725, entry::sub_07A72D,
                entry::sub_07A73B, 0x07D776, 0x07D792, 0x07D7D8, 0x07D7EE, 0x07D6B2, 0x07D6ED, 0x07D71E},
               "leaper state table");
    // Hit states up to state 15, in the rise (16) and in the descent (17).
    const std::array<uint8_t, 9> hits = {kT2Stun,   kT2Knockback, kT2Defeat, kT2Return, kT2Return,
                                         kT2Defeat, kT2Drop,      kT2Drop,   kT2Defeat};
    rom.put_bytes(rom::type2_hit_states, hits, "leaper hit states");
    for (uint32_t code = 0; code < 16; ++code)
        rom.put32(rom::type2_start_animations + 4 * code, p.stand, "leaper start animations");
    rom.put16(rom::reach_mask, 0xFFFF, "leaper reach mask: every player code");
    // Reach: 300 pixels either side, from 60 pixels of depth behind to 40
    // in front.
    for (uint32_t i = 0; i < 4; ++i)
        put_s16(rom, rom::reach_box + 2 * i, std::array<int16_t, 4>{-1200, 1200, -240, 160}[i],
                "leaper reach box");
    put_box(rom, rom::landing_box, -16, 32, -16, 32, "leaper landing box");
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put8(rom::type2_stun_frames + i, 8, "leaper stun frames");
        rom.put8(rom::leap_windup + i, 12, "leaper wind-up frames");
        rom.put8(rom::landing_strengths + i, kAttackStrength, "leaper landing strengths");
    }
    // The leap, its descent and the flight home (scripts the routine names).
    put_script(rom, rom::leap_animation, 6, {p.f1, p.f0}, -2, "leap animation");
    put_script(rom, rom::descent_animation, 6, {p.f1}, -2, "leap descent animation");
    put_script(rom, rom::return_animation, 6, {p.f0, p.f1}, -2, "return home animation");
}

// Type 3: set-up (0), start (1), the wait (2), stun, knock-back and defeat
// (3-10), the throw with its recovery (11-14).
void plant_type_3(rom_builder& rom, block& frames, const pictures& p) {
    put_states(rom, rom::type3_states,
               {0x07D9CB, 0x07DA04, entry::sub_07A50F, entry::sub_07A68D, continuation::stun_countdown,
                entry::sub_07A6B9, entry::sub_07A6CC, 0x07DAAD, entry::sub_07A725, entry::sub_07A72D,
                entry::sub_07A73B, 0x07DA1D, 0x07DA49, 0x07DA64, 0x07DA82},
               "thrower state table");
    const std::array<uint8_t, 3> hits = {kT3Stun, kT3Knockback, kT3Defeat};
    rom.put_bytes(rom::type3_hit_states, hits, "thrower hit states");
    for (uint32_t i = 0; i < 4; ++i) rom.put8(rom::type3_stun_frames + i, 8, "thrower stun frames");
    rom.put8(rom::type3_interval, 200, "thrower throw interval");
    rom.put8(rom::recovery_frames, 20, "thrower recovery frames");
    // Variant 0 faces the players on its left (no flag bits); variant 1 would
    // face right.
    rom.put16(rom::type3_flags, 0x0000, "thrower flag words: variant bit 0 clear");
    rom.put16(rom::type3_flags + 2, 0x0040, "thrower flag words: variant bit 0 set");
    for (uint32_t v = 0; v < 8; ++v) {
        put_s16(rom, rom::thrown_offsets + 4 * v, 40, "thrown object offsets: x");
        put_s16(rom, rom::thrown_offsets + 4 * v + 2, 0, "thrown object offsets: y");
        rom.put32(rom::windup_animations + 4 * v, p.stand, "thrower wind-up animations");
        rom.put32(rom::throw_animations + 4 * v, p.strike, "thrower throw animations");
        rom.put32(rom::recovery_animations + 4 * v, p.jump, "thrower recovery animations");
    }
    put_box(rom, rom::thrown_box, -8, 16, -16, 32, "thrown object box");
    for (uint32_t r = 0; r < 16; ++r)
        rom.put8(rom::thrown_strengths + r, kAttackStrength, "thrown object strengths");
    // The thrown object: a small spinning picture.
    const uint32_t spin0 = put_frame(frames, part(kSquatPixels, 16, 16, 0x0170), "thrown object frame");
    const uint32_t spin1 = put_frame(frames, part(kSquatPixels, 16, 12, 0x0170), "thrown object frame");
    put_script(rom, rom::thrown_animation, 3, {spin0, spin1}, -2, "thrown object animation");
}

// The watches of types 1 and 4: their boxes (flat, 4 bytes) and branches.
// The brawler (indexes 0 and 1): a player within 40 pixels brings the jump
// back or the high jump, by the box its watch tests first. The hopper (2 and 3): within 24 pixels the
// high jump, within 40 the ground strike.
void plant_watches(rom_builder& rom, block& c) {
    const uint32_t close = c.bytes({uint8_t(-40), 80, uint8_t(-16), 32}, "watch box: 40 pixels either side");
    const uint32_t near = c.bytes({uint8_t(-24), 48, uint8_t(-16), 32}, "watch box: 24 pixels either side");
    const std::array<uint32_t, 4> boxes = {close, close, near, close};
    const std::array<uint32_t, 4> branches = {continuation::watch_jump_back, continuation::watch_high_jump,
                                              continuation::watch_high_jump,
                                              continuation::watch_ground_strike};
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put32(rom::type1_watch_boxes + 4 * i, boxes[i], "hopper and brawler watch boxes");
        rom.put32(rom::type1_watch_branches + 4 * i, branches[i], "hopper and brawler watch branches");
    }
}

// Types 5 and 6 (the same design, variants 0 and 1): start with the two
// pieces (0), stop and wait (1, 2), walks (3-6), the strike (7-10), the jump
// at a player that the approach check starts (15-18), stun (19, 20),
// knock-down (21, 22), defeat with its effect (23-25); 11 to 14 are never
// entered and wait. The attack piece strikes a player in its probe with the
// box of its attack animation's frame 1; the body's strike and its jump's
// landing hit too.
void plant_types_5_and_6(rom_builder& rom, block& frames, const pictures& p) {
    put_states(rom, rom::two_piece_states,
               {entry::sub_07DDB5, entry::sub_07DE16, entry::sub_07A50F, entry::sub_07DE44, entry::sub_07DE52,
                entry::sub_07DE8C, entry::sub_07DE9A, entry::sub_07DF92, entry::sub_07DFA5, entry::sub_07DFAE,
                entry::sub_07DFDB, entry::sub_07DE16, entry::sub_07DE16, entry::sub_07DE16, entry::sub_07DE16,
                entry::sub_07DED4, entry::sub_07DF0A, entry::sub_07DF38, entry::sub_07DF7A, entry::sub_07E031,
                entry::sub_07E034, entry::sub_07E048, entry::sub_07E05A, entry::sub_07DFEF, entry::sub_07E017,
                entry::sub_07E01D},
               "two-piece enemy state table");
    const std::array<uint8_t, 4> hits = {19, 21, 23,
                                         2};  // hit, in the air, defeated; the piece's attack state
    rom.put_bytes(rom::two_piece_hit_states, hits, "two-piece hit states, the attack piece's attack state");
    for (uint32_t d = 0; d < 16; ++d) {
        rom.put32(rom::two_piece_wait_animations + 4 * d, p.stand, "two-piece wait animations");
        rom.put16(rom::two_piece_mirror_bits + 2 * d, d < 8 ? 0x0040 : 0, "two-piece facing by direction");
        put_s16(rom, rom::two_piece_steps_left + 4 * d, -4, "two-piece steps left");
        put_s16(rom, rom::two_piece_steps_left + 4 * d + 2, 0, "two-piece steps left");
        put_s16(rom, rom::two_piece_steps_right + 4 * d, 4, "two-piece steps right");
        put_s16(rom, rom::two_piece_steps_right + 4 * d + 2, 0, "two-piece steps right");
        rom.put32(rom::two_piece_follower_animations + 4 * d, p.fall, "follower piece animations");
        for (uint32_t v = 0; v < 2; ++v) {
            rom.put32(rom::two_piece_idle_animations + 4 * (16 * v + d), p.walk,
                      "attack piece idle animations");
            rom.put32(rom::two_piece_attack_animations + 4 * (16 * v + d), p.defeat,
                      "attack piece attack animations");
        }
    }
    // The attack's box numbers: box 1 on frame index 1, none on the others.
    std::array<uint8_t, 48> numbers{};
    for (uint32_t d = 0; d < 16; ++d) numbers[16 + d] = 1;
    const uint32_t table = frames.here();
    rom.put_bytes(table, numbers, "attack piece box numbers by frame and direction");
    frames.take(static_cast<uint32_t>(numbers.size()));
    for (uint32_t v = 0; v < 2; ++v)
        rom.put32(rom::two_piece_attack_box_numbers + 4 * v, table, "attack piece box number tables");
    put_box(rom, rom::two_piece_attack_boxes + 4 * 1, -40, 80, -16, 32, "attack piece box 1");
    put_box(rom, rom::two_piece_approach_box, -96, 192, -16, 32, "two-piece approach and landing box");
    for (uint32_t v = 0; v < 2; ++v)
        put_box(rom, rom::two_piece_probe_boxes + 4 * v, -48, 96, -16, 32, "attack piece probes");
    for (uint32_t i = 0; i < 8; ++i) {
        rom.put8(rom::two_piece_stun_frames + i, 8, "two-piece stun frames");
        rom.put8(rom::two_piece_attack_reload + i, 40, "two-piece attack timer reloads");
        rom.put8(rom::two_piece_strengths + i, kAttackStrength, "two-piece strike strengths");
    }
    for (uint32_t i = 0; i < 4; ++i)
        rom.put8(rom::two_piece_landing_strength + i, kAttackStrength, "two-piece landing strengths");
    for (uint32_t v = 0; v < 2; ++v)
        rom.put32(rom::two_piece_jump_animations + 4 * v, p.jump, "two-piece jump animations");
    // The body's strike (a script the routine names, its frames after it):
    // two frames, then it stops.
    block strike(rom, rom::two_piece_strike_animation + 8, rom::two_piece_strike_animation + 8 + 2 * 22,
                 "two-piece strike frames");
    const uint32_t s0 = put_frame(strike, part(kSquatPixels, 32, 32, 0x0190), "two-piece strike frame");
    const uint32_t s1 = put_frame(strike, part(kSquatPixels, 32, 28, 0x0190), "two-piece strike frame");
    put_script(rom, rom::two_piece_strike_animation, 5, {s1, s0}, -1, "two-piece strike animation");
    // The defeat's short effect (type 6): at the body, three frames, then it
    // ends.
    rom.put16(rom::platform_effect_offsets + 4 * 6, 0, "short effect offsets: x");
    rom.put16(rom::platform_effect_offsets + 4 * 6 + 2, 0, "short effect offsets: y");
    const uint32_t spark = put_frame(frames, part(kSquatPixels, 16, 16, 0x0180), "short effect frame");
    put_script(rom, rom::short_effect_animation, 3, {spark, spark, spark}, -1, "short effect animation");
}

// A spawn record: type, flags, trigger camera X, world X and Y, and the
// offset from its own +8 field to its spawn data (0 = none).
void put_spawn(block& c, uint8_t type, uint16_t x, uint16_t y, uint32_t data, uint16_t trigger = 0) {
    const char* what = "stage 3 area 1 spawn record";
    const uint32_t a = c.here();
    c.bytes({type, kAnyPlayerCount}, what);
    c.packed<int16_t>({int16_t(trigger), int16_t(x), int16_t(y)}, what);
    c.packed<int16_t>({int16_t(data ? data - (a + 8) : 0)}, what);
}

}  // namespace

void plant_generic_ai(rom_builder& rom) {
    plant_stage(rom);
    block scripts(rom, kScripts, kFrames, "generic-AI scripts"),
        frames(rom, kFrames, kData, "generic-AI frames"), c(rom, kData, kBlockEnd, "generic-AI");

    // Condition codes 4 and 5 of the shared test table: the segment tests.
    rom.put32(rom::ai_condition_routines + 4 * 4, continuation::ai_test_next_segment, "condition tests");
    rom.put32(rom::ai_condition_routines + 4 * 5, continuation::ai_test_previous_segment, "condition tests");

    const pictures hopper = plant_pictures(rom, scripts, frames, kSquatPixels, 32, 32, 0x0130);
    const pictures brawler = plant_pictures(rom, scripts, frames, kTallPixels, 24, 40, 0x0140);
    const pictures leaper = plant_pictures(rom, scripts, frames, kSquatPixels, 32, 32, 0x0150);
    const pictures thrower = plant_pictures(rom, scripts, frames, kTallPixels, 24, 40, 0x0160);
    const pictures pieces = plant_pictures(rom, scripts, frames, kSquatPixels, 32, 32, 0x0190);

    // The decisions. Codes: 0 always, 1 room on the right, 2 room on the
    // left, 3 on screen, 4 next segment, 5 previous segment.
    const uint32_t brawler_codes =
        c.bytes({1, 2, 4, 5, 0, 1, 2, 4, 5, 3, 1, 2, 4, 5, 1, 2}, "brawler condition codes");
    // The hopper mostly jumps between its segments (down from the upper one,
    // up from the lower one: the other test fails and the next frame draws
    // again).
    const uint32_t hopper_codes =
        c.bytes({4, 5, 4, 5, 1, 2, 4, 5, 0, 4, 5, 3, 4, 5, 1, 2}, "hopper condition codes");
    // Start again (a new wait), walk right, walk left, start again, low jump
    // down to the next segment, high jump up to the previous one.
    const uint32_t walker_next = c.bytes({kLanding, 3, 5, kLanding, 9, 7}, "hopper and brawler next states");
    // The leaper and the thrower stay where they are: always start again.
    const uint32_t still_codes =
        c.bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "still condition codes");
    const uint32_t still_next = c.bytes({kLanding}, "still next states");

    plant_per_type(rom, {1, hopper_codes, walker_next, entry::sub_07BEAB, &hopper, 24, 1000, 4, 0, 2, true});
    plant_per_type(rom,
                   {4, brawler_codes, walker_next, entry::sub_07BEB0, &brawler, 24, 1500, 6, 0, 3, true});
    plant_per_type(rom, {2, still_codes, still_next, entry::sub_07D83C, &leaper, 16, 2000, 0, 0, 4, true});
    plant_per_type(rom, {3, still_codes, still_next, entry::sub_07DC27, nullptr, 16, 2500, 0, 0, 0, false});

    // Types 5 and 6 watch nothing while they wait (the active-area test
    // stands in for a watch); they walk and strike.
    const uint32_t pieces_codes =
        c.bytes({1, 2, 3, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 0, 1, 2}, "two-piece condition codes");
    const uint32_t pieces_next = c.bytes({kLanding, 3, 5, 7}, "two-piece next states");
    plant_per_type(rom, {5, pieces_codes, pieces_next, entry::sub_07AB3F, &pieces, 24, 3000, 4, 0, 5, true});
    plant_per_type(rom, {6, pieces_codes, pieces_next, entry::sub_07AB3F, &pieces, 24, 3500, 4, 0, 6, true});

    plant_types_1_and_4(rom, hopper, brawler);
    plant_type_2(rom, leaper);
    plant_type_3(rom, frames, thrower);
    plant_watches(rom, c);
    plant_types_5_and_6(rom, frames, pieces);

    // Stage 3's spawn lists: area 1 has the five, the others none. Spawn data
    // lies after its records (the records name it by an unsigned offset).
    const uint32_t area1 = c.here();
    block data(rom, area1 + 9 * 10 + 1, kBlockEnd, "stage 3 spawn data");
    // The hopper's platform list: an upper segment (offset 4, where it
    // starts) over x 960-1400 at y 560, a wider lower one (offset 10) in front
    // of it over x 900-1460 at y 600; its window's x from the upper segment's
    // ends.
    const char* what = "platform list";
    const uint32_t hopper_list = data.bytes({10, 4, 0, 1}, what);
    data.packed<int16_t>({960, 1400, 560, 900, 1460, 600}, what);
    // The brawler's: one segment over x 200-440 at y 600.
    const uint32_t brawler_list = data.bytes({4, 4, 0, 1}, what);
    data.packed<int16_t>({200, 440, 600}, what);
    // The leaper faces right (code 1), the thrower is variant 0.
    const uint32_t leaper_data = data.bytes({1}, "leaper spawn data: facing code");
    const uint32_t thrower_data = data.bytes({0}, "thrower spawn data: variant");
    const uint32_t vaulter_data = data.bytes({9}, "vaulter spawn data: facing code");
    // Types 5 and 6: a direction, then the platform list (one segment over x
    // 2300-2900 at y 600).
    const uint32_t type5_data = data.bytes({4, 4, 4, 0, 1}, "type 5 spawn data: direction, platform list");
    data.packed<int16_t>({2300, 2900, 600}, what);
    const uint32_t type6_data = data.bytes({12, 4, 4, 0, 1}, "type 6 spawn data: direction, platform list");
    data.packed<int16_t>({2300, 2900, 600}, what);
    // The archer's: one segment over x 2500-2700, 24 pixels behind the
    // two-piece enemies' (y 504); with it a third two-piece enemy (type 6)
    // on a short segment of its own, x 2450-2650 at y 600.
    const uint32_t archer_list = data.bytes({4, 4, 0, 1}, what);
    data.packed<int16_t>({2500, 2700, 504}, what);
    const uint32_t escort_data = data.bytes({12, 4, 4, 0, 1}, "type 6 spawn data: direction, platform list");
    data.packed<int16_t>({2450, 2650, 600}, what);
    put_spawn(c, kSpawnHopper, 1100, 560, hopper_list);
    put_spawn(c, kSpawnBrawler, 400, 600, brawler_list);
    put_spawn(c, kSpawnLeaper, 160, 600, leaper_data);
    put_spawn(c, kSpawnThrower, 1160, 600, thrower_data);
    put_spawn(c, kSpawnLeaper, 700, 800, vaulter_data);
    put_spawn(c, kSpawnType5, 2500, 600, type5_data, kPiecesTrigger);
    put_spawn(c, kSpawnType6, 2800, 600, type6_data, kPiecesTrigger);
    put_spawn(c, volley_spawn_type, 2600, 504, archer_list, kArcherTrigger);
    put_spawn(c, kSpawnType6, 2560, 600, escort_data, kArcherTrigger);
    c.bytes({0x80}, "stage 3 area 1 spawn list end");
    c.take(data.here() - c.here());
    // Area 1 runs stage 1's area 1 objects (its spawn generator); the
    // stage's other rows: stage_areas.h.
    const uint32_t stage1_areas = rom.program32(stage_areas::kStage1ObjectAreas);
    stage_areas::plant_area(rom, stage_areas::kStage3, 1, rom.program32(stage1_areas + 4), area1);
    rom.put32(rom::spawn_routine_table + 4 * kSpawnHopper, entry::sub_07BBAA,
              "spawn routine table: AI type 1");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnBrawler, entry::sub_07BBB6,
              "spawn routine table: AI type 4");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnLeaper, entry::sub_07D5BE,
              "spawn routine table: AI type 2");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnThrower, entry::sub_07D95C,
              "spawn routine table: AI type 3");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnType5, entry::sub_07DCE0, "spawn routine table: type 5");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnType6, entry::sub_07DCF3, "spawn routine table: type 6");
}

}  // namespace synthetic
