// Synthetic ROM data: stage 3 area 3, the path-scripted objects, the pickups
// and the carriers.
//
// No run reaches stage 3 area 3 on inputs: the synthetic game has one stage
// of scenery. The pickups run sets the stage byte to 3, the area byte to 2
// (the area start counts it on to 3) and the stage descriptor pointer to the
// boss run's descriptor (which has area records 0-3) between stage 1's intro
// and its first area, as the boss run does; the area then starts with stage
// 3 area 3's own object list, spawn list, camera script and player start
// row, planted here.
//
// The area's spawn list brings, as the camera starts (positions in world
// units, quarter pixels, x from the area's 0x4000; the player starts at 640, 600):
// - a scripted flyer high above the ground to the player's right: it flies
//   left and right on its path script, bobbing up and down, its direction
//   animation turning with its horizontal phase, a turret on its back that
//   flashes each time its animation starts over, and drops shells in bursts
//   of two from its shot list; the shells fall and burst where they land;
// - an energy pickup and a score pickup lying on the player's line, to the
//   right, where the player walks to take them: the one gives energy, the
//   other score, and each flies to the player's panel;
// - a rider carrier that comes into its screen window at once, jumps to the
//   right edge of its route, flies left and sets its rider (a platform enemy
//   of AI type 0, stage 1's pacer) down on a platform of its own;
// - a pickup carrier of type 3 that flies its path left toward the player's
//   line, shooting at the player, and when its path ends becomes a score
//   pickup where it stands;
// - a plain pickup carrier (type 1) behind the player's line where the
//   walk ends, that waits there until the player comes up to it in x, then
//   makes for the player's line (its side bursts stop it while the player
//   stands beside it);
// - a second plain carrier ahead of the player, in front of the player's
//   line, that drifts back toward the line until it is level with the
//   player in depth, then darts off to the right out of the area's active
//   stretch and is removed there;
// - once the camera reaches x 700 (further than the pickups run walks), a
//   second rider carrier that jumps down onto the player's line beside the
//   player and sets its rider down there, for the player to beat;
// - once the camera reaches x 900, a camera-triggered enemy on the player's
//   line, whose set-up makes the objects that have no translated routine:
//   the run that walks on ends there.
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_areas.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// ---- addresses the routines read ----
constexpr uint32_t kArea = 3;
constexpr uint32_t kAreaIndex = (3 - 1) * 5 + kArea - 1;  // that index for stage 3 area 3
constexpr uint32_t kBossAreaIndex = (4 - 1) * 5 + 3 - 1;  // and for stage 4 area 3
// The area's x 0: the boss descriptor's area records start the playfield
// camera there, and the players at 640 on from it. Spawn positions below
// are the area's, from there.
constexpr uint16_t kOriginX = 0x4000;

// The engine's wave and direction tables.

// The scripted flyer's pictures.
constexpr uint32_t kStunAnimation = 0x136108;
constexpr uint32_t kDefeatAnimation = 0x13610D;
constexpr uint32_t kShellAnimation = 0x13613F;
constexpr uint32_t kFlashAnimation = 0x13615C;
constexpr uint32_t kBurstAnimation = 0x136165;

// The pickups' callbacks.
// sub_07CD01 energy callback
// sub_07CD0C score callback

// The pickup carrier's pictures.
constexpr uint32_t kCarrierAnimation = 0x1366D0;
constexpr uint32_t kAttachmentAnimation = 0x1366D9;
constexpr uint32_t kSideBurstAnimation = 0x1366E8;
constexpr uint32_t kShotAnimation = 0x1366FB;

// The camera-triggered enemy (AI type 8).
constexpr uint32_t kFightAnimation = 0x1364CB;
constexpr uint32_t kFightFrame = 0x1364D0;  // after the animation, before 0x1364E6
constexpr uint8_t kCameraEnemyType = 8;

// Routines the tables name.
// sub_066200 spawn generator
// sub_07C57E flyer
// sub_07CB0C item
// sub_07CE00 item carrier
// sub_07CE0E plain carrier
// sub_08425C rider carrier
// sub_0844B2 rider
// sub_07A278 pacer; AI type 0's routine: the rider once set down
// sub_082B50 camera enemy
enum : uint32_t {
    kKnockback = entry::sub_07A6B9,
    kKnockbackFall = entry::sub_07A6CC,
    kDefeatRise = entry::sub_07A725,
    kDefeatFall = entry::sub_07A72D,
    kDefeatShrink = entry::sub_07A73B,
};

// Sprite pictures the crowd planted (sprite ROM bytes): 24 x 40 and 16 x 16.
constexpr uint32_t kBodyPixels = 0x7E4000, kSmallPixels = 0x7E5000;

// ---- where our own tables go ----
constexpr uint32_t kScripts = 0x12A000;  // animation scripts, then their frames
constexpr uint32_t kFrames = 0x12A200;
constexpr uint32_t kData = 0x12A400;
constexpr uint32_t kDataEnd = 0x12B000;
// The flyer's bar name lies within reach of its s16 offset (0x069A24):
// free bytes of the program region that no routine reads as data.
constexpr uint32_t kBarName = 0x069920, kBarNameEnd = 0x069930;
// The frames of the animations at fixed addresses lie after all of them
// (an animation's frame offsets are positive).
constexpr uint32_t kFixedFrames = 0x136A00, kFixedFramesEnd = 0x136A80;

// ---- values ----
constexpr uint8_t kSpawnFlyer = 40, kSpawnItem = 41, kSpawnRiderCarrier = 42, kSpawnItemCarrier = 43,
                  kSpawnPlainCarrier = 44, kSpawnCameraEnemy = 45;
// The camera x (from the area's 0) that brings the camera-triggered enemy:
// beyond where the pickups run's walk takes the camera (about 500), reached
// by the walk on that ends the run.
constexpr uint16_t kCameraEnemyTrigger = 900;
// ... and the second rider carrier, which comes down beside the player on
// that walk.
constexpr uint16_t kSecondRiderTrigger = 700;
constexpr uint16_t kEnergyKind = 0, kScoreKind = 1;
// The player's line: the pickups lie on it and the pickup carrier flies
// along it; the flyer's shells land well behind it.
constexpr uint16_t kLine = 720;

// A frame definition of one sprite part (`width` x `height` pixels from the
// 4-bit picture at sprite ROM byte `pixels`, anchored at its bottom centre,
// colour group `colour`) with one hit box of `half` pixels either side of the
// position and `half` of depth either side. Returns its address.
uint32_t frame(rom_builder& rom, block& b, uint32_t pixels, uint16_t width, uint16_t height, uint16_t colour,
               int8_t half, const char* what) {
    const uint32_t word = pixels / 4;
    const uint16_t address_high = static_cast<uint16_t>(((word >> 16) & 0xF) << 12);
    const uint16_t bank = (word >> 20) & 1 ? 0x0800 : 0;
    const std::array<uint16_t, 8> part = {0x0004,
                                          static_cast<uint16_t>((height << 8) | ((width / 8) << 1)),
                                          static_cast<uint16_t>(address_high | height),
                                          static_cast<uint16_t>(bank | width),
                                          0,
                                          0,
                                          static_cast<uint16_t>(word & 0xFFFF),
                                          colour};
    const uint32_t a = b.take(1 + 16 + 1 + 4);
    rom.put8(a, 1, what);
    for (int w = 0; w < 8; ++w) rom.put16(a + 1 + 2 * w, part[w], what);
    rom.put8(a + 17, 1, what);
    rom.put8(a + 18, uint8_t(-half), what);
    rom.put8(a + 19, uint8_t(2 * half), what);
    rom.put8(a + 20, uint8_t(-half), what);
    rom.put8(a + 21, uint8_t(2 * half), what);
    return a;
}

constexpr int16_t kStop = -1, kLoop = -2;

struct pictures {
    uint32_t flyer, turret, item, carrier_rider;
};

pictures plant_animations(rom_builder& rom) {
    block f(rom, kFrames, kData, "pickups");
    const uint32_t body = frame(rom, f, kBodyPixels, 24, 40, 0x0150, 12, "flyer frame");
    const uint32_t lean = frame(rom, f, kBodyPixels, 24, 36, 0x0150, 12, "flyer frame");
    const uint32_t small = frame(rom, f, kSmallPixels, 16, 16, 0x0160, 8, "turret and item frame");
    const uint32_t small2 = frame(rom, f, kSmallPixels, 16, 12, 0x0160, 8, "turret and item frame");
    const uint32_t rider = frame(rom, f, kBodyPixels, 24, 40, 0x0170, 12, "rider frame");

    pictures p{};
    block s(rom, kScripts, kFrames, "pickups scripts");
    p.flyer = put_script(s, 8, {body, lean}, kLoop, "flyer animation");
    p.turret = put_script(s, 12, {small, small2}, kLoop, "turret animation");
    p.item = put_script(s, 10, {small, small2}, kLoop, "pickup animation");
    p.carrier_rider = put_script(s, 8, {rider, rider}, kLoop, "rider animation");

    // The animations the routines start by address, with their frames after
    // them: a part of the small picture (with a box), in two heights.
    block ff(rom, kFixedFrames, kFixedFramesEnd, "pickups");
    const uint32_t fa = frame(rom, ff, kSmallPixels, 16, 16, 0x0180, 8, "fixed animations' frame");
    const uint32_t fb = frame(rom, ff, kSmallPixels, 16, 12, 0x0180, 8, "fixed animations' frame");
    put_script(rom, kStunAnimation, 4, {fa}, kLoop, "flyer stun animation");
    put_script(rom, kDefeatAnimation, 6, {fa, fb}, kStop, "flyer defeat animation");
    put_script(rom, kShellAnimation, 4, {fb}, kLoop, "shell animation");
    put_script(rom, kFlashAnimation, 3, {fa, fb}, kStop, "turret flash animation");
    put_script(rom, kBurstAnimation, 3, {fa, fb, fa, fb}, kStop, "shell burst animation");
    put_script(rom, kCarrierAnimation, 8, {fa, fb}, kLoop, "pickup carrier animation");
    put_script(rom, kAttachmentAnimation, 8, {fb}, kLoop, "pickup carrier attachment animation");
    put_script(rom, kSideBurstAnimation, 2, {fa, fb, fa, fb, fa, fb, fa}, kStop, "side burst animation");
    put_script(rom, kShotAnimation, 4, {fb}, kLoop, "aimed shot animation");
    return p;
}

void box(rom_builder& rom, uint32_t a, int8_t x, uint8_t width, int8_t depth, uint8_t deep,
         const char* what) {
    rom.put8(a, uint8_t(x), what);
    rom.put8(a + 1, width, what);
    rom.put8(a + 2, uint8_t(depth), what);
    rom.put8(a + 3, deep, what);
}

void by_rank(rom_builder& rom, uint32_t a, uint8_t v, const char* what) {
    for (uint32_t r = 0; r < 4; ++r) rom.put8(a + r, v, what);
}

// The arctangent with its octants, so that a direction d points along
// (wave[d + 256], wave[d]) on the sine table (moves.cpp plants it).
void plant_directions(rom_builder& rom) {
    for (uint32_t r = 0; r <= 256; ++r)
        rom.put8(rom::arctangent + r, static_cast<uint8_t>(std::lround(std::atan(r / 256.0) * 512.0 / M_PI)),
                 "arctangent by ratio");
    // By octant: the angle a of the ratio becomes base + sign x a.
    const std::array<std::pair<uint16_t, int16_t>, 8> octants = {{
        {0, 1},
        {512, -1},
        {1024, -1},
        {512, 1},
        {256, -1},
        {256, 1},
        {768, 1},
        {768, -1},
    }};
    for (uint32_t o = 0; o < 8; ++o) {
        rom.put16(rom::octant_base + 2 * o, octants[o].first, "direction octant bases");
        rom.put16(rom::octant_sign + 2 * o, static_cast<uint16_t>(octants[o].second),
                  "direction octant signs");
    }
}

// The flyer, its turret and shells.
void plant_flyer(rom_builder& rom, const pictures& p) {
    // Eight directions, two by two from the phase's 16 steps; the left half
    // of the turn faces the other way (mirrored).
    for (uint32_t i = 0; i < 16; ++i)
        rom.put8(rom::flyer_directions + i, uint8_t(i / 2), "flyer directions by phase");
    for (uint32_t d = 0; d < 8; ++d) {
        rom.put32(rom::flyer_animations + 4 * d, p.flyer, "flyer animations by direction");
        rom.put16(rom::flyer_direction_flags + 2 * d, d >= 4 ? 0x0040 : 0, "direction flag bits");
        rom.put32(rom::turret_animations + 4 * d, p.turret, "turret animations by direction");
        rom.put16(rom::turret_offsets + 4 * d, uint16_t(d >= 4 ? 8 : -8), "turret offsets: x");
        rom.put16(rom::turret_offsets + 4 * d + 2, uint16_t(-4), "turret offsets: y");
    }
    box(rom, rom::shell_box, -4, 8, -4, 8, "shell touch box");
    for (uint32_t f = 0; f < 3; ++f)
        box(rom, rom::burst_boxes + 4 * f, int8_t(-8 - 4 * f), uint8_t(16 + 8 * f), -8, 16,
            "shell burst boxes");
    by_rank(rom, rom::flyer_shot_gaps, 12, "flyer frames between shots");
    // Stunned 12 frames in state 2 by a hit, state 4 when beaten.
    by_rank(rom, rom::flyer_hit_table, 12, "flyer hit table: stun frames");
    rom.put8(rom::flyer_hit_table + 4, 2, "flyer hit table: hit state");
    rom.put8(rom::flyer_hit_table + 5, 4, "flyer hit table: defeat state");
    by_rank(rom, rom::burst_strength, 6, "shell burst strengths");
    by_rank(rom, rom::flyer_burst_shots, 2, "flyer shots per burst");
    // Contact strengths of the path-scripted types: the flyer (0), the pickup
    // carriers (1, 3) and the rider carrier (2); their tally categories.
    for (uint32_t t = 0; t < 4; ++t) {
        by_rank(rom, rom::contact_strength + 4 * t, 5, "path enemies' contact strengths");
        rom.put8(rom::flyer_tally_categories + t, uint8_t(t == 0 ? 13 : 14),
                 "path enemies' tally categories");
    }
}

// The pickups' per-kind tables and the panels they fly to.
void plant_items(rom_builder& rom, const pictures& p) {
    rom.put16(rom::shadow_params, 0, "pickup shadow data");
    rom.put16(rom::shadow_params + 2, 0, "pickup shadow data");
    for (uint16_t kind : {kEnergyKind, kScoreKind}) {
        rom.put32(rom::item_animations + 4 * kind, p.item, "pickup animations by kind");
        box(rom, rom::item_boxes + 4 * kind, -4, 8, -8, 16, "pickup touch boxes by kind");
    }
    rom.put32(rom::item_callbacks + 4 * kEnergyKind, entry::sub_07CD01, "pickup callbacks: energy");
    rom.put32(rom::item_callbacks + 4 * kScoreKind, entry::sub_07CD0C, "pickup callbacks: score");
    // Each slot's panel on the top line of the screen, by the player-count
    // setting (2, 3 or 4 slots sharing its width).
    for (uint32_t setting = 0; setting < 3; ++setting)
        for (uint32_t slot = 0; slot < 4; ++slot) {
            const uint32_t e = rom::panel_targets + 4 * (4 * setting + slot);
            rom.put16(e, uint16_t(24 + slot * (320 / (setting + 2))), "pickup panel targets: x");
            rom.put16(e + 2, 12, "pickup panel targets: y");
        }
}

// The pickup carrier's tables and the item a type-3 carrier leaves.
void plant_item_carrier(rom_builder& rom) {
    for (uint32_t t : {1u, 3u}) {
        by_rank(rom, rom::carrier_shot_gaps + 4 * t, 20, "pickup carrier frames between shots");
        by_rank(rom, rom::carrier_burst_shots + 4 * t, 1, "pickup carrier shots per burst");
        by_rank(rom, rom::contact_cooldowns + 4 * t, 30, "pickup carrier contact cooldowns");
        by_rank(rom, rom::probe_reloads + 4 * t, 40, "pickup carrier side probe reloads");
        by_rank(rom, rom::carrier_shot_strength + 4 * t, 3, "aimed shot strengths");
        by_rank(rom, rom::side_burst_strength + 4 * t, 4, "side burst strengths");
    }
    // The hit table shares its last bytes with the type-0 row of the shot
    // strengths, which no carrier reads: stun 10 frames in state 2, state 4
    // when beaten.
    rom.put8(rom::carrier_hit_table, 10, "pickup carrier hit table: stun frames");
    rom.put8(rom::carrier_hit_table + 1, 10, "pickup carrier hit table: stun frames");
    rom.put8(rom::carrier_hit_table + 2, 10, "pickup carrier hit table and type-0 shot strengths");
    rom.put8(rom::carrier_hit_table + 3, 10, "pickup carrier hit table and type-0 shot strengths");
    rom.put8(rom::carrier_hit_table + 4, 2, "pickup carrier hit table: hit state");
    rom.put8(rom::carrier_hit_table + 5, 4, "pickup carrier hit table: defeat state");
    rom.put16(rom::attachment_x, 0, "pickup carrier attachment offset: x");
    rom.put16(rom::attachment_x + 2, uint16_t(-16), "pickup carrier attachment offset: y");
    box(rom, rom::carrier_shot_box, -4, 8, -4, 8, "aimed shot box");
    box(rom, rom::carrier_probe_boxes, -48, 40, -16, 32, "side probe box: left");
    box(rom, rom::carrier_probe_boxes + 4, 8, 40, -16, 32, "side probe box: right");
    box(rom, rom::side_burst_box, -16, 32, -16, 32, "side burst box");
    for (uint32_t side = 0; side < 2; ++side) {
        rom.put16(rom::side_burst_offsets + 4 * side, uint16_t(side ? 96 : -96), "side burst offsets: x");
        rom.put16(rom::side_burst_offsets + 4 * side + 2, 0, "side burst offsets: y");
    }
    rom.put16(rom::left_item, kScoreKind, "item a type-3 carrier leaves: kind");
    rom.put16(rom::left_item + 2, 300, "item a type-3 carrier leaves: value");
    // Slot 0 alone in play: every pick is slot 0's record (0x20A000).
    for (uint32_t r = 0; r < 4; ++r) rom.put8(rom::player_picks + 4 * 1 + r, 1, "player picks: slot 0 alone");
    rom.put16(rom::pick_player_offsets + 2 * 1, 0x2000, "player pick records: slot 0");
}

// The rider carrier: route 0 and rider type 0 (stage 1's pacer once set down).
void plant_rider_carrier(rom_builder& rom, const pictures& p) {
    rom.put32(rom::riding_routines, entry::sub_0844B2, "riding routines by rider type");
    rom.put32(rom::landed_routines, entry::sub_07A278, "rider routines after the set-down by rider type");
    rom.put32(rom::riding_animations, p.carrier_rider, "riding animations by rider type");
    // Route 0: a jump to the right edge of the window, then 100 frames of
    // flight to the left.
    rom.put16(rom::route_jumps, 320, "carrier route jumps: x");
    rom.put16(rom::route_jumps + 2, 0, "carrier route jumps: y");
    rom.put8(rom::route_steps, uint8_t(-3), "carrier route steps: x");
    rom.put8(rom::route_steps + 1, 0, "carrier route steps: y");
    rom.put8(rom::route_frames, 100, "carrier route frames");
    // Route 1: a jump down toward the player's line (264 toward the front)
    // and one frame of flight, 16 units, onto it (and back up the same way,
    // 16 units a frame, when its rider is gone).
    rom.put16(rom::route_jumps + 4, 0, "carrier route jumps: x");
    rom.put16(rom::route_jumps + 4 + 2, 264, "carrier route jumps: y");
    rom.put8(rom::route_steps + 2, 0, "carrier route steps: x");
    rom.put8(rom::route_steps + 2 + 1, 16, "carrier route steps: y");
    rom.put8(rom::route_frames + 1, 1, "carrier route frames");
    // Stunned 10 frames in state 4, destroyed from state 6.
    by_rank(rom, rom::rider_carrier_hit_table, 10, "rider carrier hit table: stun frames");
    rom.put8(rom::rider_carrier_hit_table + 4, 4, "rider carrier hit table: hit state");
    rom.put8(rom::rider_carrier_hit_table + 5, 6, "rider carrier hit table: defeat state");
    by_rank(rom, rom::rider_cooldowns, 40, "rider carrier attack cooldowns");
    // The rider while it rides: appear, ride, the generic stun (2, 3),
    // knock-back (4, 5) and its own defeat with the generic rise, fall and
    // shrink (6 to 9).
    const std::array<uint32_t, 10> states = {continuation::rider_appear,
                                             continuation::rider_ride,
                                             continuation::rider_stun,
                                             continuation::rider_stun_count,
                                             kKnockback,
                                             kKnockbackFall,
                                             continuation::rider_defeat,
                                             kDefeatRise,
                                             kDefeatFall,
                                             kDefeatShrink};
    for (uint32_t s = 0; s < states.size(); ++s)
        rom.put32(rom::rider_states + 4 * s, states[s], "rider state table");
    rom.put8(rom::rider_hit_states, 2, "rider hit states: on the ground");
    rom.put8(rom::rider_hit_states + 1, 4, "rider hit states: airborne");
    rom.put8(rom::rider_hit_states + 2, 6, "rider hit states: defeated");
    by_rank(rom, rom::rider_stun_frames, 10, "rider stun frames");
}

// The camera-triggered enemy: its set-up (the only state a run plays: the
// objects it makes have no translated routine), camera wait and opening
// countdown; its type's camera window, energy and score; its fight
// animation, one standing frame.
void plant_camera_enemy(rom_builder& rom) {
    const std::array<uint32_t, 3> states = {continuation::camera_enemy_set_up,
                                            continuation::camera_enemy_trigger,
                                            continuation::camera_enemy_countdown};
    for (uint32_t s = 0; s < states.size(); ++s)
        rom.put32(rom::camera_enemy_states + 4 * s, states[s], "camera-triggered enemy state table");
    const std::array<int16_t, 4> margins = {-4096, 4096, -4096, 4096};
    for (uint32_t i = 0; i < 4; ++i)
        rom.put16(rom::ai_window_margins + 8 * kCameraEnemyType + 2 * i, uint16_t(margins[i]),
                  "AI type 8 (camera-triggered enemy) camera window margins");
    rom.put16(rom::ai_energy + 2 * kCameraEnemyType, 80, "AI type 8 (camera-triggered enemy) energy");
    rom.put16(rom::ai_scores + 2 * kCameraEnemyType, 3000, "AI type 8 (camera-triggered enemy) score");
    block f(rom, kFightFrame, kFightFrame + 22, "camera-triggered enemy");
    const uint32_t stand = frame(rom, f, kBodyPixels, 24, 40, 0x0170, 12, "camera-triggered enemy frame");
    put_script(rom, kFightAnimation, 8, {stand}, kLoop, "camera-triggered enemy fight animation");
}

// Stage 3 area 3: its object list (the spawn generator), the area's spawn
// list, camera script and player start row (generic_ai.cpp leaves area 3's
// rows of stage 3 to us; the stage's other rows: stage_areas.h).
void plant_area(rom_builder& rom, block& b) {
    const uint32_t area_objects = put_object_list(b, {entry::sub_066200}, {}, {}, "stage 3 area 3 objects");
    // The boss area's camera script (its limits from the descriptor's camera
    // start, as stage 1 area 1's are from 0).
    rom.put32(rom::camera_script_table + 4 * kAreaIndex,
              rom.program32(rom::camera_script_table + 4 * kBossAreaIndex),
              "camera scripts: stage 3 area 3 (stage 4 area 3's)");
    rom.put16(rom::player_start_y + 2 * kAreaIndex, kLine, "player start y: stage 3 area 3");

    // The spawn list comes first: a record's data offset is added unsigned,
    // so its data lies after it.
    constexpr uint32_t kRecords = 9;
    b.align(2);
    const uint32_t list = b.take(10 * kRecords + 1);

    // The flyer's path: 90 frames left and 90 right, bobbing with a vertical
    // swing of 32 units (amplitude 8 on the wave's 1.14), the horizontal phase turning its direction; then
    // from the start again. Its shot list: a burst, 48 frames, again.
    auto entry = [&](uint16_t control, int8_t vx, int8_t vy, uint16_t amp_x, uint16_t amp_y, uint16_t step_x,
                     uint16_t step_y) {
        const uint32_t e = b.words({control}, "flyer path entries");
        b.bytes({uint8_t(vx), uint8_t(vy), 0, 0}, "flyer path entries");
        b.words({amp_x, amp_y, step_x, step_y}, "flyer path entries");
        return e;
    };
    const uint32_t flyer_path = entry(90, -2, 0, 0, 8, 4, 16);
    entry(90, 2, 0, 0, 8, 4, 16);
    b.words({0x8000, 2}, "flyer path: from the start again");
    const uint32_t flyer_shots = b.words({48, 0x8000, 1}, "flyer shot list");
    const uint32_t flyer_header = b.longs({flyer_path, flyer_shots}, "flyer path header");
    // The pickup carrier's path: 140 frames left (a unit a frame), then
    // the end; it shoots a shot every 60 frames.
    b.align(2);
    const uint32_t carrier_path = b.words({140}, "pickup carrier path");
    b.bytes({uint8_t(-1), 0, 0, 0}, "pickup carrier path");
    b.words({0, 0, 0, 0}, "pickup carrier path");
    b.words({0x8000, 0}, "pickup carrier path: the end");
    const uint32_t carrier_shots = b.words({60, 0x8000, 1}, "pickup carrier shot list");
    const uint32_t carrier_header = b.longs({carrier_path, carrier_shots}, "pickup carrier path header");
    // The plain carrier's path: a wait for a player in x, 60 frames toward
    // the front (2 units a frame) onto the player's line, a wait for a player
    // there in depth (met at once), and the end.
    const uint32_t plain_path = b.words({0x4003}, "plain carrier path: wait in x");
    b.bytes({0, 0, 0, 0}, "plain carrier path");
    b.words({0, 0, 0, 0}, "plain carrier path");
    b.words({60}, "plain carrier path: to the front");
    b.bytes({0, 2, 0, 0}, "plain carrier path");
    b.words({0, 0, 0, 0}, "plain carrier path");
    b.words({0x4004}, "plain carrier path: wait in depth");
    b.bytes({0, 0, 0, 0}, "plain carrier path");
    b.words({0, 0, 0, 0}, "plain carrier path");
    b.words({0x8000, 0}, "plain carrier path: the end");
    const uint32_t plain_shots = b.words({0x8000, 0}, "plain carrier shot list: none");
    const uint32_t plain_header = b.longs({plain_path, plain_shots}, "plain carrier path header");
    // The darting carrier's path: a wait for a player in depth while it
    // drifts back a unit a frame, then 60 frames right at 31 units a frame
    // (it leaves the active stretch on the way), then the end.
    const uint32_t dart_path = b.words({0x4004}, "darting carrier path: wait in depth, drifting back");
    b.bytes({0, uint8_t(-1), 0, 0}, "darting carrier path");
    b.words({0, 0, 0, 0}, "darting carrier path");
    b.words({60}, "darting carrier path: off to the right");
    b.bytes({31, 0, 0, 0}, "darting carrier path");
    b.words({0, 0, 0, 0}, "darting carrier path");
    b.words({0x8000, 0}, "darting carrier path: the end");
    const uint32_t dart_header = b.longs({dart_path, plain_shots}, "darting carrier path header");
    // The camera-triggered enemy's platform: one segment over x 1300-1500 on
    // the player's line.
    const uint32_t camera_enemy_list = b.bytes({4, 4, 0, 1}, "camera-triggered enemy platform list");
    b.words({uint16_t(kOriginX + 1300), uint16_t(kOriginX + 1500), kLine},
            "camera-triggered enemy platform list");
    // The pickups: energy 40, score 5,000.
    const uint32_t energy_item = b.words({kEnergyKind, 40}, "pickup record: energy");
    const uint32_t score_item = b.words({kScoreKind, 5000}, "pickup record: score");
    const uint32_t rider_data = b.bytes({0, 0}, "rider carrier data: rider type 0, route 0");
    const uint32_t second_rider_data = b.bytes({0, 1}, "rider carrier data: rider type 0, route 1");

    struct record {
        uint8_t type;
        uint16_t x, y;
        uint32_t data;
        uint16_t trigger = 0;  // camera x that brings it, from the area's 0
    };
    const std::array<record, kRecords> records = {{
        {kSpawnFlyer, 1000, 180, flyer_header},
        {kSpawnItem, 880, kLine, energy_item},
        {kSpawnItem, 1000, kLine, score_item},
        {kSpawnRiderCarrier, 760, 440, rider_data},
        {kSpawnItemCarrier, 1240, kLine, carrier_header},
        {kSpawnPlainCarrier, 1110, kLine - 120, plain_header},
        {kSpawnPlainCarrier, 1300, kLine + 80, dart_header},
        {kSpawnCameraEnemy, 1400, kLine, camera_enemy_list, kCameraEnemyTrigger},
        {kSpawnRiderCarrier, 1350, kLine - 280, second_rider_data, kSecondRiderTrigger},
    }};
    for (size_t i = 0; i < records.size(); ++i) {
        const char* what = "stage 3 area 3 spawn record";
        const uint32_t a = list + 10 * uint32_t(i);
        rom.put8(a, records[i].type, what);
        rom.put8(a + 1, kAnyPlayerCount, what);
        rom.put16(a + 2, uint16_t(kOriginX + records[i].trigger), what);  // 0: where the camera starts
        rom.put16(a + 4, uint16_t(kOriginX + records[i].x), what);
        rom.put16(a + 6, records[i].y, what);
        rom.put16(a + 8, uint16_t(records[i].data - (a + 8)), what);
    }
    rom.put8(list + 10 * uint32_t(records.size()), 0x80, "stage 3 area 3 spawn list end");
    stage_areas::plant_area(rom, stage_areas::kStage3, kArea, area_objects, list);
    rom.put32(rom::spawn_routine_table + 4 * kSpawnFlyer, entry::sub_07C57E,
              "spawn routine table: scripted flyer");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnItem, entry::sub_07CB0C, "spawn routine table: pickup");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnRiderCarrier, entry::sub_08425C,
              "spawn routine table: rider carrier");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnItemCarrier, entry::sub_07CE00,
              "spawn routine table: pickup carrier");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnPlainCarrier, entry::sub_07CE0E,
              "spawn routine table: plain carrier");
    rom.put32(rom::spawn_routine_table + 4 * kSpawnCameraEnemy, entry::sub_082B50,
              "spawn routine table: camera-triggered enemy");

    // The flyer's boss bar (subject 17).
    block names(rom, kBarName, kBarNameEnd, "pickups bar name");
    const uint32_t name = names.text("FLYER", "boss bar names: flyer");
    rom.put16(rom::bar_names + 2 * 17, uint16_t(name - (rom::bar_names + 2 * 17)),
              "boss bar name offsets: flyer");
    rom.put8(rom::bar_portrait_frames + 17, 0, "boss bar portrait frames: flyer");
}

}  // namespace

void plant_pickups(rom_builder& rom) {
    block b(rom, kData, kDataEnd, "pickups");
    const pictures p = plant_animations(rom);
    plant_directions(rom);
    plant_flyer(rom, p);
    plant_items(rom, p);
    plant_item_carrier(rom);
    plant_rider_carrier(rom, p);
    plant_camera_enemy(rom);
    plant_area(rom, b);
}

}  // namespace synthetic
