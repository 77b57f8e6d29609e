// Synthetic ROM data: the enemies of stage 1 area 1 and what they need.
//
// Two kinds enter the area from its spawn list as the camera starts:
// - the "stalker", enemy kind 3 on the state dispatcher: it seeks a target
//   slot, then walks up to stand beside its target player; a hit runs the
//   platform enemies' hit reaction (one-frame stun), the defeating hit their
//   defeat pop, rise, fall and shrink, after which it leaves the area;
// - the "pacer", a platform enemy of AI type 0: it waits and walks to and fro
//   on its one segment, and reacts and falls like the stalker when beaten;
//   a player who walks up towards the top of the playfield brings its throw.
// The enemy the progress watcher sends when the camera stands still (kind
// 58) shares the stalker's seek, animations and steering, but with a target
// slot it approaches the player and swings at it: two attack patterns,
// alike but for the form of their boxes, chosen at random, whose box
// touches the player from where the approach stops, each landed swing
// taking 100 energy. Nothing in the area defeats it.
//
// Positions are world units (quarter pixels); the area's camera starts at
// x 0, where both spawn triggers lie. What the stage must give them: the
// spawn generator (routine 0x066200) among the 256-byte objects of the
// area's object list, and player strikes whose boxes reach the stalker where
// it stands, 100 units (25 pixels) ahead of a player facing it: its body
// spans 12 pixels either side of its x, from 28 pixels above the ground to 2
// below, and 16 pixels of depth either side of its y.
#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// ---- addresses the routines read ----
constexpr uint32_t kSparkScript = 0x131957;
constexpr uint32_t kThrowAnimation = 0x134B09;   // AI type 0's throw
constexpr uint32_t kThrownAnimation = 0x134B10;  // the object it throws

// Platform enemies: per-type tables (entry = AI type; the stalker's kind 3
// reads entry 3 in the actions it borrows), shared tests and boxes, type 0.
using namespace platform_ai;  // the per-type tables the routines read

// Routines the tables name.
// sub_07A278 pacer routine; AI type 0's per-frame routine
// sub_06C7E2 stalker setup; kind 3's set-up
// sub_07A7B0 type0 watch
// sub_06A333 seek
// sub_06A36F walk around
// sub_06A458 approach
// sub_06B09E attack patterns
// sub_07A976 hit reaction; type 0's hit states and stun frames
// sub_07A68D stun start
// sub_07A6B9 knockback
// sub_07A6CC knockback fall
// sub_07A70C defeat pop
// sub_07A725 defeat rise
// sub_07A72D defeat fall
// sub_07A73B defeat shrink

// ---- where our own tables go: the spaces beside the tables that name them ----
constexpr uint32_t kStage1Areas = 0x066530;  // u32 per area of stage 1
constexpr uint32_t kEmptyList = 0x066540;
constexpr uint32_t kArea1List = 0x066550;
constexpr uint32_t kPacerPlatforms = 0x066580;
constexpr uint32_t kPacerConditions = 0x07AE90;  // 16 condition codes
constexpr uint32_t kPacerNextStates = 0x07AEA0;  // a state per code
constexpr uint32_t kStalkerStates = 0x06C8A0;    // u32 per state, 27 states
constexpr uint32_t kStalkerAnimationSet = 0x06C910;
constexpr uint32_t kStalkerIdle = 0x06C928;
constexpr uint32_t kStalkerVelocities = 0x06C930;  // 11 pairs by direction code
constexpr uint32_t kStalkerRanks = 0x06C948;       // 16 bytes
constexpr uint32_t kStalkerOffsets = 0x06C960;     // 16 x (s16 dx, s16 dy)
constexpr uint32_t kStalkerParams = 0x06C9A0;
constexpr uint32_t kKind58States = 0x06C9B0;       // 8 states
constexpr uint32_t kAttackAnimations = 0x06C9D0;   // u32 per attack pattern
constexpr uint32_t kKind58Thresholds = 0x06C9E0;   // 16 offsets, then the list
constexpr uint32_t kKind58Values = 0x06CA08;       // 16 offsets, then the list
constexpr uint32_t kKind58PatternData = 0x114000;  // the boxes and attacks of both patterns
constexpr uint32_t kAnimations = 0x134C00;         // scripts, then frames
constexpr uint32_t kFrames = kAnimations + 0x100;
constexpr uint32_t kFramesEnd = kAnimations + 0x200;
static_assert(kFramesEnd <= rom::leap_animation);  // the leaper's animations (generic_ai.cpp) follow

// ---- values ----
constexpr uint8_t kSpawnStalker = 1, kSpawnPacer = 0;  // spawn types
constexpr uint16_t kStalkerX = 960, kStalkerY = 760;
constexpr uint16_t kPacerX = 320, kPacerY = 720;
constexpr uint16_t kPacerLeft = 64, kPacerRight = 1216;
constexpr uint8_t kStalkerStep = 8;        // world units per frame along each axis
constexpr int16_t kStalkerDistance = 100;  // stands this far right of its player
constexpr uint16_t kPacerEnergy = 24, kPacerScore = 300, kPacerSpeed = 4;
constexpr uint16_t kPointsPerHit = 10;
constexpr uint16_t kKind58Strength = 100;  // energy one landed swing takes

// Sprite pictures: solid shapes in 4-bit pixels at the end of the sprite ROM.
constexpr uint32_t kStalkerPixels = 0x7E0000, kPacerPixels = 0x7E1000, kSparkPixels = 0x7E2000;

void put_s16(rom_builder& rom, uint32_t a, int16_t v, const char* what) {
    rom.put16(a, static_cast<uint16_t>(v), what);
}

// A spawn record: type, flags, trigger camera X, world X and Y, and the
// offset from its own +8 field to its spawn data (0 = none).
void put_spawn(rom_builder& rom, uint32_t a, uint8_t type, uint8_t flags, uint16_t trigger, uint16_t x,
               uint16_t y, uint32_t data) {
    const char* what = "spawn record";
    rom.put8(a, type, what);
    rom.put8(a + 1, flags, what);
    rom.put16(a + 2, trigger, what);
    rom.put16(a + 4, x, what);
    rom.put16(a + 6, y, what);
    rom.put16(a + 8, static_cast<uint16_t>(data ? data - (a + 8) : 0), what);
}

struct pictures {
    uint32_t stalker_stand, stalker_walk, stalker_hurt, stalker_swing, pacer_stand, pacer_walk, pacer_hurt;
};

// Animation scripts and their frames. Every script of an enemy loops, so a
// defeat fall driven by the running animation never stalls.
pictures plant_animations(rom_builder& rom) {
    const char* what = "enemy animation";
    put_picture(rom, kStalkerPixels, 24, 40, 3, 5);
    put_picture(rom, kPacerPixels, 32, 32, 7, 9);
    put_picture(rom, kSparkPixels, 16, 16, 12, 14);
    const auto stalker = part(kStalkerPixels, 24, 40, 0x0100);
    const auto stalker_lean = part(kStalkerPixels, 24, 36, 0x0100);
    const auto pacer = part(kPacerPixels, 32, 32, 0x0110);
    const auto pacer_low = part(kPacerPixels, 32, 28, 0x0110);
    const auto spark = part(kSparkPixels, 16, 16, 0x0120);

    // Frames after the scripts (each script's offsets are positive).
    // Stalker body: x -12..+12 pixels, from 28 above the ground to 2 below
    // (its vertical pair; depth comes from the registration).
    const std::vector<box> stalker_body = {{-12, 24, -28, 30}};
    // Pacer body: x -16..+16 pixels, depth -16..+16 pixels.
    const std::vector<box> pacer_body = {{-16, 32, -16, 32}};
    const std::vector<box> no_body = {{0, 1, 0, 1}};
    block frames(rom, kFrames, kFramesEnd, "enemy frames");
    const uint32_t fs0 = put_frame(frames, stalker, stalker_body, what);
    const uint32_t fs1 = put_frame(frames, stalker_lean, stalker_body, what);
    const uint32_t fp0 = put_frame(frames, pacer, pacer_body, what);
    const uint32_t fp1 = put_frame(frames, pacer_low, pacer_body, what);
    const uint32_t fk0 = put_frame(frames, spark, no_body, what);

    pictures p{};
    block scripts(rom, kAnimations, kFrames, "enemy scripts");
    p.stalker_stand = put_script(scripts, 16, {fs0, fs1}, -2, what);
    p.stalker_walk = put_script(scripts, 6, {fs0, fs1, fs0, fs1}, -2, what);
    p.stalker_hurt = put_script(scripts, 4, {fs1}, -2, what);
    // The swing: lean, stand, then it stops (the follow-through waits for that).
    p.stalker_swing = put_script(scripts, 4, {fs1, fs0}, -1, what);
    p.pacer_stand = put_script(scripts, 20, {fp0, fp1}, -2, what);
    p.pacer_walk = put_script(scripts, 5, {fp0, fp1}, -2, what);
    p.pacer_hurt = put_script(scripts, 3, {fp1, fp0}, -2, what);
    // The hit spark: three steps, then it stops (and frees itself).
    put_script(rom, kSparkScript, 3, {fk0, fk0, fk0}, -1, "hit spark animation");
    // The pacer's throw: crouch, stand (the object leaves), then it stops; the
    // thrown object shows the spark's picture.
    put_script(rom, kThrowAnimation, 4, {fp1, fp0}, -1, "pacer throw animation");
    put_script(rom, kThrownAnimation, 4, {fk0}, -2, "pacer thrown object animation");
    return p;
}

// Kind 58's two attack patterns, alike but for the form of their boxes, at
// every rank step: a swing of attack kind 0 and strength kKind58Strength
// whose box, like the box that starts it, reaches 80 pixels either side of
// the enemy and from 100 pixels above the ground to 20 below: from the
// approach's near stop (200 units, 50 pixels, beside the player) it touches
// the player's body. Pattern 0 holds its boxes inline in its entries,
// pattern 1 names them as 16-bit words; a random byte up to 0x7F picks
// pattern 0, a higher one pattern 1.
void plant_kind58_attack(rom_builder& rom) {
    const char* what = "kind-58 attack patterns";
    // Thresholds and values: one offset per rank step, all to one list.
    for (uint32_t r = 0; r < 16; ++r) {
        put_s16(rom, kKind58Thresholds + 2 * r, 32, what);
        put_s16(rom, kKind58Values + 2 * r, 32, what);
    }
    rom.put8(kKind58Thresholds + 32, 0x7F, what);
    rom.put8(kKind58Thresholds + 33, 0xFF, what);
    for (uint32_t n = 0; n < 2; ++n)
        rom.put16(kKind58Values + 32 + 2 * n, kKind58Strength, what);  // attack kind 0 in the top 4 bits
    // The box in 16-bit words (x start, size, vertical start, size).
    block b(rom, kKind58PatternData, kKind58PatternData + 0x40, "kind-58 attack patterns");
    const uint32_t words = b.words({uint16_t(-80), 160, uint16_t(-100), 120}, "kind-58 attack box in words");
    // Entries of 6 bytes by pattern, the start test's then the swing's (hit
    // frame 1). Inline (flag bit 7): flag byte 0xFF, sound 0xFF + 1 = none.
    // By address (flag bit 7 clear): flag byte 1, sound -1 + 1 = none.
    const uint8_t w0 = uint8_t(words), w1 = uint8_t(words >> 8), w2 = uint8_t(words >> 16),
                  w3 = uint8_t(words >> 24);
    const uint32_t boxes = b.bytes({0, 0x80, uint8_t(-80), 160, uint8_t(-100), 120,  // pattern 0
                                    0, 0x01, w0, w1, w2, w3},                        // pattern 1
                                   "kind-58 pattern start boxes");
    const uint32_t attacks = b.bytes({1, 0xFF, uint8_t(-80), 160, uint8_t(-100), 120,  // pattern 0
                                      1, 0x01, w0, w1, w2, w3},                        // pattern 1
                                     "kind-58 pattern attacks");
    rom.put32(rom::kind58_state_record + 32, boxes, "enemy state record");
    rom.put32(rom::kind58_state_record + 36, attacks, "enemy state record");
}

// The stalker (kind 3) and the watcher's stand-in (kind 58) on the state
// dispatcher: state records, state tables and their behaviour tables.
void plant_dispatcher_kinds(rom_builder& rom, const pictures& p) {
    const char* what = "stalker state table";
    // States: 0/1 seek, 2/3 walk up to the target player (slot chosen or
    // granted), 4 (never reached: no attack pattern) walk, 5 (held by a
    // player) seek; 6/7 the hit reaction; 8-18 unused, seek; 19-22 stun and
    // knock-back, 23-26 the defeat, as the platform enemies run them.
    const std::array<uint32_t, 27> states = {
        entry::sub_06A333, entry::sub_06A333, entry::sub_06A36F, entry::sub_06A36F, entry::sub_06A36F,
        entry::sub_06A333, entry::sub_07A976, entry::sub_07A976, entry::sub_06A333, entry::sub_06A333,
        entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
        entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_07A68D,
        entry::sub_07A68D, entry::sub_07A6B9, entry::sub_07A6CC, entry::sub_07A70C, entry::sub_07A725,
        entry::sub_07A72D, entry::sub_07A73B};
    for (uint32_t i = 0; i < states.size(); ++i) rom.put32(kStalkerStates + 4 * i, states[i], what);
    // The sub-state tables of the walk and of the vanish sequence.
    rom.put32(rom::walk_table, continuation::walk_around_step, "walk sub-states");
    rom.put32(rom::walk_table + 4, continuation::walk_around_pause, "walk sub-states");
    rom.put32(rom::vanish_table, continuation::vanish_wait, "vanish steps");
    rom.put32(rom::vanish_table + 4, continuation::vanish_shrink, "vanish steps");
    // Kind 58 comes for the player: with a slot it approaches for an attack
    // (chosen or granted), state 4 swings at it; it has no defeat of its own
    // here: held, hit or beaten it seeks on.
    const std::array<uint32_t, 8> kind58 = {entry::sub_06A333, entry::sub_06A333, entry::sub_06A458,
                                            entry::sub_06A458, entry::sub_06B09E, entry::sub_06A333,
                                            entry::sub_06A333, entry::sub_06A333};
    for (uint32_t i = 0; i < kind58.size(); ++i)
        rom.put32(kKind58States + 4 * i, kind58[i], "kind-58 state table");
    rom.put32(rom::approach_table, continuation::approach_step, "approach sub-states");
    rom.put32(rom::approach_table + 4, continuation::approach_pause, "approach sub-states");
    for (uint32_t n = 0; n < 2; ++n)
        rom.put32(rom::pattern_table + 4 * n, continuation::melee_pattern, "attack pattern routines: melee");
    const std::array<uint32_t, 4> melee = {continuation::melee_wind_up, continuation::melee_swing,
                                           continuation::melee_follow_through, continuation::melee_recovery};
    for (uint32_t i = 0; i < melee.size(); ++i)
        rom.put32(rom::melee_table + 4 * i, melee[i], "melee sub-states");
    plant_kind58_attack(rom);

    // Animation set: appearance (unused), seek, walk frames, (unused), attack
    // animations by pattern (kind 58's swing).
    rom.put32(kStalkerAnimationSet + 0, p.stalker_stand, "stalker animation set");
    rom.put32(kStalkerAnimationSet + 4, p.stalker_stand, "stalker animation set");
    rom.put32(kStalkerAnimationSet + 8, p.stalker_walk, "stalker animation set");
    rom.put32(kStalkerAnimationSet + 16, kAttackAnimations, "stalker animation set");
    for (uint32_t n = 0; n < 2; ++n)
        rom.put32(kAttackAnimations + 4 * n, p.stalker_swing, "attack animations by pattern");
    // Idle animations: normal, and below 50 energy.
    rom.put32(kStalkerIdle + 0, p.stalker_stand, "stalker idle animations");
    rom.put32(kStalkerIdle + 4, p.stalker_hurt, "stalker idle animations");
    // Direction velocities indexed straight by the direction code (the map is
    // the identity): X part 4 = towards greater X, 8 = smaller; Y part 1 =
    // greater, 2 = smaller; 0 stands.
    for (uint8_t code = 0; code < 11; ++code) {
        const int8_t dx = (code & 4) ? kStalkerStep : (code & 8) ? -kStalkerStep : 0;
        const int8_t dy = (code & 1) ? kStalkerStep : (code & 2) ? -kStalkerStep : 0;
        const bool used = (code & 3) != 3 && (code & 12) != 12;
        rom.put8(kStalkerVelocities + 2 * code, used ? uint8_t(dx) : 0, "stalker direction velocities");
        rom.put8(kStalkerVelocities + 2 * code + 1, used ? uint8_t(dy) : 0, "stalker direction velocities");
        rom.put8(rom::direction_map + code, code, "direction map");
    }
    for (uint32_t r = 0; r < 16; ++r) rom.put8(kStalkerRanks + r, 40, "stalker rank bytes");
    // Approach offsets: every one beside the player on its right, same depth.
    for (uint32_t i = 0; i < 16; ++i) {
        put_s16(rom, kStalkerOffsets + 4 * i, kStalkerDistance, "stalker approach offsets");
        put_s16(rom, kStalkerOffsets + 4 * i + 2, 0, "stalker approach offsets");
    }
    // Behaviour: walk 48 frames between pauses.
    rom.put8(kStalkerParams, 48, "stalker behaviour parameters");

    // The two state records (fields +16 and +40 are not read).
    for (const auto& [record, table] : {std::pair{rom::kind3_state_record, kStalkerStates},
                                        std::pair{rom::kind58_state_record, kKind58States}}) {
        const char* r = "enemy state record";
        rom.put32(record + 0, table, r);
        rom.put32(record + 4, kStalkerAnimationSet, r);
        rom.put32(record + 8, kStalkerIdle, r);
        rom.put32(record + 12, kStalkerVelocities, r);
        rom.put32(record + 20, kStalkerRanks, r);
        rom.put32(record + 44, kStalkerOffsets, r);
        rom.put32(record + 48, kStalkerParams, r);
    }
    rom.put32(rom::kind58_state_record + 24, kKind58Thresholds, "enemy state record");
    rom.put32(rom::kind58_state_record + 28, kKind58Values, "enemy state record");
    // Companion data: X offset base 0, Y offset 0 (right under the enemy).
    for (uint32_t c : {rom::kind3_companion_data, rom::kind58_companion_data}) {
        rom.put16(c, 0, "companion data");
        rom.put16(c + 2, 0, "companion data");
    }
}

// Platform-enemy tables: AI type 0 (the pacer), and entry 3 for the actions
// the stalker borrows (stun, knock-back, defeat).
void plant_platform_tables(rom_builder& rom, const pictures& p) {
    const char* what = "platform enemy tables";
    // The decision's tests by condition code: 0 always, 1 room on the right,
    // 2 room on the left, 3 on screen.
    const std::array<uint32_t, 4> tests = {continuation::ai_test_always, continuation::ai_test_room_right,
                                           continuation::ai_test_room_left, continuation::ai_test_on_screen};
    for (uint32_t c = 0; c < tests.size(); ++c)
        rom.put32(rom::ai_condition_routines + 4 * c, tests[c], "condition tests");
    // The pacer mostly walks, now and then waits again.
    const std::array<uint8_t, 16> codes = {1, 2, 1, 2, 0, 1, 2, 3, 2, 1, 2, 1, 0, 2, 1, 3};
    rom.put_bytes(kPacerConditions, codes, "pacer condition codes");
    const std::array<uint8_t, 4> next = {1, 3, 5, 1};  // wait, walk right, walk left, wait
    rom.put_bytes(kPacerNextStates, next, "pacer next states");
    rom.put32(rom::ai_condition_lists, kPacerConditions, what);
    rom.put32(rom::ai_next_state_lists, kPacerNextStates, what);
    rom.put32(rom::ai_idle_callbacks, entry::sub_07A7B0, what);

    struct per_type {
        uint32_t type, start, walk, defeat, stun;
        uint8_t landing, hit_sound, tally;
    };
    for (const per_type& t :
         {per_type{0, p.pacer_stand, p.pacer_walk, p.pacer_hurt, p.pacer_hurt, 1, 0, 0},
          per_type{3, p.stalker_stand, p.stalker_walk, p.stalker_hurt, p.stalker_hurt, 1, 0, 1}}) {
        rom.put32(rom::ai_start_animations + 4 * t.type, t.start, what);
        rom.put32(rom::ai_walk_animations + 4 * t.type, t.walk, what);
        rom.put32(rom::ai_defeat_animations + 4 * t.type, t.defeat, what);
        rom.put32(rom::ai_jump_animations + 4 * t.type, t.stun, what);
        rom.put32(rom::ai_fall_animations + 4 * t.type, t.stun, what);
        rom.put32(rom::ai_stun_animations + 4 * t.type, t.stun, what);
        rom.put32(rom::ai_knockback_animations + 4 * t.type, t.stun, what);
        rom.put8(rom::ai_landing_states + t.type, t.landing, what);
        rom.put8(rom::ai_hit_sounds + t.type, t.hit_sound, what);
        rom.put8(rom::ai_tally_categories + t.type, t.tally, what);
    }
    // The pacer's camera window reaches 4096 units past its segment each way.
    const std::array<int16_t, 4> margins = {-4096, 4096, -4096, 4096};
    for (uint32_t i = 0; i < 4; ++i) put_s16(rom, rom::ai_window_margins + 2 * i, margins[i], what);
    rom.put16(rom::ai_energy, kPacerEnergy, what);
    rom.put16(rom::ai_scores, kPacerScore, what);
    rom.put16(rom::ai_walk_speeds, kPacerSpeed, what);

    // Probe boxes of the walk and segment tests (x start, x size, depth start,
    // depth size; times 4): a pacer's width ahead of it, its own depth.
    const std::array<std::array<int16_t, 4>, 4> probes = {
        {{8, 24, -8, 16}, {-32, 24, -8, 16}, {-8, 16, -8, 16}, {-8, 16, -8, 16}}};
    for (uint32_t b = 0; b < 4; ++b)
        for (uint32_t w = 0; w < 4; ++w)
            put_s16(rom, rom::ai_probe_boxes + 8 * b + 2 * w, probes[b][w], "probe boxes");

    // Type 0's attack data. Its strike box (also its first watch probe) lies
    // 1000 pixels deep behind it, where no player stands, so the pacer never
    // strikes. Its second probe, the throw's, lies 40 pixels either side of it
    // from 80 to 68 pixels above its depth (world y 400 to 448 for the pacer on
    // its segment at 720): only a player who has walked up from the start line
    // (600) to a y below 496 comes into it (a body reaches 48 units either
    // side of its y). The object then flies out at that depth, 6 units a frame
    // from 16 pixels ahead of the pacer (its pictures face left; the mirrored
    // pacer walking right throws to the right), and takes 6 energy from the
    // player it touches.
    const std::array<std::array<int16_t, 4>, 2> boxes = {{{-8, 16, 1000, 8}, {-40, 80, -80, 12}}};
    for (uint32_t b = 0; b < 2; ++b)
        for (uint32_t w = 0; w < 4; ++w)
            put_s16(rom, rom::ai_type0_boxes + 8 * b + 2 * w, boxes[b][w], "pacer attack boxes");
    rom.put8(rom::ai_type0_attack_states, 11, "pacer attack states");
    rom.put8(rom::ai_type0_attack_states + 1, 15, "pacer attack states");
    rom.put8(rom::ai_type0_throw, static_cast<uint8_t>(-6), "pacer throw: x step");
    rom.put8(rom::ai_type0_throw + 1, 0, "pacer throw: y step");
    put_s16(rom, rom::ai_type0_throw + 2, -64, "pacer throw: x offset");
    put_s16(rom, rom::ai_type0_throw + 4, -296, "pacer throw: y offset");
    const std::array<uint8_t, 4> thrown_box = {0xFC, 8, 0xFC, 8};
    rom.put_bytes(rom::ai_type0_thrown_box, thrown_box, "pacer thrown box");
    // Hit states: on the ground the stun (19), in the air the knock-back (21),
    // beaten the defeat (23). One stun frame: a hit enemy is a target again at
    // once.
    const std::array<uint8_t, 3> hit_states = {19, 21, 23};
    rom.put_bytes(rom::ai_hit_states, hit_states, "hit states");
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put8(rom::ai_stun_frames + i, 1, "stun frames");
        rom.put8(rom::ai_type0_windup_frames + i, 12, "pacer wind-up frames");
        rom.put8(rom::ai_type0_strike_strengths + i, 8, "pacer strike strengths");
        rom.put8(rom::ai_type0_throw_strengths + i, 6, "pacer throw strengths");
    }
}

// The spawn tables and stage 1's lists.
void plant_spawns(rom_builder& rom) {
    rom.put32(rom::spawn_routine_table + 4 * kSpawnPacer, entry::sub_07A278, "spawn routine table");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnStalker, entry::sub_06C7E2, "spawn routine table");
    rom.put32(rom::spawn_list_table + 4 * 1, kStage1Areas, "spawn list table");
    // Stage 1: area 1 has the two enemies; the other areas an empty list.
    for (uint32_t area = 0; area < 3; ++area)
        rom.put32(kStage1Areas + 4 * area, area == 1 ? kArea1List : kEmptyList, "stage 1 spawn lists");
    rom.put8(kEmptyList, 0x80, "empty spawn list");
    put_spawn(rom, kArea1List, kSpawnStalker, kAnyPlayerCount, 0, kStalkerX, kStalkerY, 0);
    put_spawn(rom, kArea1List + 10, kSpawnPacer, kAnyPlayerCount, 0, kPacerX, kPacerY, kPacerPlatforms);
    rom.put8(kArea1List + 20, 0x80, "area 1 spawn list end");
    // The pacer's platform list: one segment (offset 4, the last and the
    // start); the window's x from its left and right words.
    const char* what = "pacer platform list";
    rom.put8(kPacerPlatforms + 0, 4, what);
    rom.put8(kPacerPlatforms + 1, 4, what);
    rom.put8(kPacerPlatforms + 2, 0, what);
    rom.put8(kPacerPlatforms + 3, 1, what);
    rom.put16(kPacerPlatforms + 4, kPacerLeft, what);
    rom.put16(kPacerPlatforms + 6, kPacerRight, what);
    rom.put16(kPacerPlatforms + 8, kPacerY, what);
}

}  // namespace

void plant_enemies(rom_builder& rom) {
    // Player records lie 0x100 apart from 0x20A000: their offsets from 0x208000.
    for (uint32_t n = 0; n < 4; ++n)
        rom.put16(rom::target_player_offsets + 2 * n, static_cast<uint16_t>(0x2000 + 0x100 * n),
                  "target player offsets");
    // Difficulty factor by the slots in play: the number of players.
    for (uint32_t slots = 0; slots < 16; ++slots)
        rom.put8(rom::difficulty_factor_table + slots, static_cast<uint8_t>(std::popcount(slots)),
                 "difficulty factors");
    // Points for a hit that does not defeat, by attack kind.
    for (uint32_t kind = 0; kind < 16; ++kind)
        rom.put16(rom::hit_points_table + 2 * kind, kPointsPerHit, "hit points");

    const pictures p = plant_animations(rom);
    plant_dispatcher_kinds(rom, p);
    plant_platform_tables(rom, p);
    plant_spawns(rom);
}

}  // namespace synthetic
