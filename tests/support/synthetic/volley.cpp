// Synthetic ROM data: the volley enemy (AI type 7 on the generic actions)
// of stage 3 area 1, the "archer". Its spawn record stands in the area's
// list (generic_ai.cpp) with a trigger further right than the two-piece
// enemies' (camera x 1900): only a walk to the area's right end brings it.
//
// It stands on a short segment of its own and never walks: its decisions
// always start a new pose. Every 60 frames of rest its watch picks a
// player in play as its target and turns to it: it computes the direction
// to the player from 32 pixels above its own position, faces that way,
// aims for 30 frames and strikes for 30 more with the boxes of the
// direction's eighth (ahead, ahead and below, below ...). A blow on the
// ground stuns it; after the second stun its next pose is the volley: 30
// frames (or what its step timer holds) charging with a ring-shaped box
// around it, 30 more charging, then eight projectiles fly out in the eight
// directions, striking the players they pass, until they leave the screen.
// It is untouchable through the volley. Beaten, it would stop the camera
// controller (state 12), which no translated code follows; it has so much
// energy that no run beats it.
//
// The type's entries of the per-type tables that the crowd planted (its
// stun, knock-back and defeat animations, its landing state 1, its sound
// and tally) stay as they are; the others are planted here.
//
// Our tables lie in 0x112000-0x113FFF; the animation scripts the routine
// names by address (turn, volley steps 1 to 3) lie at 0x135B62-0x135BCA,
// the frames they show right after them.
#include <array>
#include <cstdint>
#include <vector>

#include "game/actors/platform_ai.h"
#include "game/continuations.h"
#include "game/actors/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

using namespace platform_ai;  // the per-type tables

constexpr uint32_t kType = 7;
// sub_07F3EE routine; the type's per-frame routine
// sub_07F7B7 watch; its idle callback

// The type's own tables.
constexpr uint32_t kTurnAnimation = 0x135B62;
constexpr uint32_t kVolley1Animation = 0x135BB2;
constexpr uint32_t kVolley2Animation = 0x135BBF;
constexpr uint32_t kVolley3Animation = 0x135BC6;
constexpr uint32_t kFixedFrames = 0x135BCC;

// The generic actions and the type's own steps.
// sub_07A50F wait, sub_07A6B9 knockback, sub_07A6CC knockback fall, sub_07A725 defeat rise, sub_07A72D defeat
// fall, sub_07A73B defeat shrink
constexpr uint8_t kPoseState = 1, kTurnState = 3, kStunState = 6, kKnockbackState = 8, kDefeatState = 10;

constexpr uint32_t kPixels = 0x7E1000;  // stage 1's 32 x 32 enemy picture
constexpr uint16_t kColour = 0x01A0;
constexpr uint8_t kStrength = 2;  // every attack of the archer

constexpr uint32_t kScripts = 0x112000, kFrames = 0x112200, kData = 0x112800, kEnd = 0x114000;

// Its boss bar: subject 15, whose name lies within reach of its s16 offset
// (0x069A20), in free bytes of the program region no routine reads as data.
constexpr uint32_t kBarSubject = 15;
constexpr uint32_t kBarName = 0x069930, kBarNameEnd = 0x069940;

// The body's frames: one part and a body box 16 pixels either side.
uint32_t body_frame(rom_builder& rom, block& frames, uint16_t height) {
    const uint32_t at = frames.here();
    frames.take(put_frame(rom, at, part(kPixels, 32, height, kColour), {{-16, 32, -16, 32}}, "archer frame"));
    return at;
}

// The state table: the start and the pose (0, 1), the wait with its watch
// (2), the aim (3-5: turn, aim, strike), the stun (6, 7), the knock-back
// (8, 9), the defeat (10-13), the volley (22-25); 14 to 21 are never
// entered and wait.
void plant_states(rom_builder& rom) {
    const std::array<uint32_t, 26> states = {continuation::volley_start,
                                             continuation::volley_pose,
                                             entry::sub_07A50F,
                                             continuation::volley_turn,
                                             continuation::volley_aim,
                                             continuation::volley_aimed_attack,
                                             continuation::volley_stun,
                                             continuation::stun_countdown,
                                             entry::sub_07A6B9,
                                             entry::sub_07A6CC,
                                             continuation::volley_defeat,
                                             entry::sub_07A725,
                                             entry::sub_07A72D,
                                             entry::sub_07A73B,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             entry::sub_07A50F,
                                             continuation::volley_round1_start,
                                             continuation::volley_round1,
                                             continuation::volley_round2,
                                             continuation::volley_round3};
    for (uint32_t s = 0; s < states.size(); ++s)
        rom.put32(rom::volley_states + 4 * s, states[s], "archer state table");
    const std::array<uint8_t, 3> hits = {kStunState, kKnockbackState, kDefeatState};
    rom.put_bytes(rom::volley_hit_states, hits, "archer hit states");
    for (uint32_t r = 0; r < 4; ++r) {
        rom.put8(rom::volley_chosen_states + r, kTurnState, "archer states after a target is chosen");
        rom.put8(rom::volley_stun_frames + r, 20, "archer stun frames");
        rom.put8(rom::volley_step_timer + r, 30, "archer aim and volley step frames");
        rom.put8(rom::volley_rest_timer + r, 60, "archer rest frames");
        rom.put8(rom::volley_aim_strength + r, kStrength, "archer aimed attack strengths");
        rom.put8(rom::volley_shot_strength + r, kStrength, "archer projectile strengths");
        rom.put8(rom::volley_strength + r, kStrength, "archer volley ring strengths");
    }
}

// The aimed attack's boxes (pixels: x start and size, depth start and size;
// x as for a figure facing left, mirrored when it faces right) and each
// eighth's boxes. Eighths count from the right, turning down first.
void plant_aim(rom_builder& rom) {
    const std::array<std::array<int16_t, 4>, 5> boxes = {{
        {-64, 64, -16, 32},  // 0 ahead
        {-48, 48, 0, 48},    // 1 ahead and below
        {-48, 48, -48, 48},  // 2 ahead and above
        {-24, 48, 0, 48},    // 3 below
        {-24, 48, -48, 48},  // 4 above
    }};
    for (uint32_t b = 0; b < boxes.size(); ++b)
        for (uint32_t i = 0; i < 4; ++i)
            rom.put16(rom::volley_aim_boxes + 8 * b + 2 * i, static_cast<uint16_t>(boxes[b][i]),
                      "archer aimed attack boxes");
    // Right, down-right, down, down-left, left, up-left, up, up-right.
    const std::array<std::array<uint8_t, 3>, 8> eighths = {
        {{1, 0, 0}, {2, 0, 1}, {1, 3, 0}, {2, 0, 1}, {1, 0, 0}, {2, 0, 2}, {1, 4, 0}, {2, 0, 2}}};
    for (uint32_t e = 0; e < 8; ++e)
        rom.put_bytes(rom::volley_octant_boxes + 3 * e, eighths[e], "archer boxes by eighth");
}

// The eight projectiles: from 16 pixels above the body, 4 pixels a frame in
// their eighth (diagonals 3 each way), one 16-pixel box each.
void plant_shots(rom_builder& rom, uint32_t script) {
    const std::array<std::array<int8_t, 2>, 8> steps = {
        {{16, 0}, {12, 12}, {0, 16}, {-12, 12}, {-16, 0}, {-12, -12}, {0, -16}, {12, -12}}};
    for (uint32_t i = 0; i < 8; ++i) {
        const uint32_t e = rom::volley_shots + 12 * i;
        const char* what = "archer projectiles";
        rom.put32(e, script, what);
        rom.put16(e + 4, steps[i][0] < 0 ? 0x0001 : 0x0041, what);  // facing its way
        rom.put16(e + 6, 0, what);
        rom.put16(e + 8, static_cast<uint16_t>(-64), what);
        rom.put8(e + 10, static_cast<uint8_t>(steps[i][0]), what);
        rom.put8(e + 11, static_cast<uint8_t>(steps[i][1]), what);
        const std::array<uint8_t, 3> list = {1, 0, 0};
        rom.put_bytes(rom::volley_shot_box_lists + 3 * i, list, "archer projectile box lists");
    }
    put_box(rom, rom::volley_shot_boxes, {-8, 16, -8, 16}, "archer projectile box");
}

// The animations: the poses and aims in our block, the turn and the volley
// steps at the addresses the routine names.
void plant_animations(rom_builder& rom) {
    block scripts(rom, kScripts, kFrames, "archer scripts");
    block frames(rom, kFrames, kData, "archer frames");
    const uint32_t stand = body_frame(rom, frames, 32), crouch = body_frame(rom, frames, 28);
    const uint32_t shot_frame = frames.here();
    frames.take(put_frame(rom, shot_frame, part(kPixels, 16, 16, kColour), {{-8, 16, -8, 16}},
                          "archer projectile frame"));
    auto script = [&](uint8_t duration, std::vector<uint32_t> shown, int16_t end, const char* what) {
        const uint32_t at = scripts.here();
        scripts.take(put_script(rom, at, duration, shown, end, what));
        return at;
    };
    const uint32_t poses[2] = {script(16, {stand, crouch}, -2, "archer pose animation"),
                               script(8, {crouch, stand}, -2, "archer pose animation")};
    for (uint32_t r = 0; r < 4; ++r)
        rom.put32(rom::volley_wait_animations + 4 * r, poses[r & 1], "archer pose animations");
    const uint32_t aim = script(4, {crouch, stand}, -2, "archer aim animation");
    for (uint32_t e = 0; e < 8; ++e)
        rom.put32(rom::volley_aim_animations + 4 * e, aim, "archer aim animations by eighth");
    const uint32_t shot = script(4, {shot_frame}, -2, "archer projectile animation");
    plant_shots(rom, shot);
    // Stand-in rows of the per-type animations the type's generic actions
    // would start (it neither walks nor jumps).
    const char* what = "platform enemy tables: archer";
    for (uint32_t t : {rom::ai_start_animations, rom::ai_walk_animations, rom::ai_jump_animations,
                       rom::ai_fall_animations})
        rom.put32(t + 4 * kType, poses[0], what);

    // The turn and the three volley steps; the volley's ring box by frame
    // index (the first step's animation shows frames 0 and 1).
    block fixed(rom, kFixedFrames, kFixedFrames + 0x60, "archer fixed frames");
    auto fixed_frame = [&](uint16_t height) {
        const uint32_t at = fixed.here();
        fixed.take(put_frame(rom, at, part(kPixels, 32, height, kColour), {{-16, 32, -16, 32}},
                             "archer fixed frame"));
        return at;
    };
    const uint32_t tall = fixed_frame(32), low = fixed_frame(24);
    put_script(rom, kTurnAnimation, 6, {tall}, -2, "archer turn animation");
    put_script(rom, kVolley1Animation, 4, {low, tall}, -2, "archer volley step 1 animation");
    put_script(rom, kVolley2Animation, 4, {low}, -2, "archer volley step 2 animation");
    put_script(rom, kVolley3Animation, 4, {tall}, -2, "archer volley step 3 animation");
    for (uint32_t i = 0; i < 5; ++i)
        put_box(rom, rom::volley_boxes + 4 * i, {-40, 80, -24, 48}, "archer volley ring boxes");
}

}  // namespace

void plant_volley(rom_builder& rom) {
    plant_states(rom);
    plant_aim(rom);
    plant_animations(rom);
    block data(rom, kData, kEnd, "archer");
    // Its rows of the per-type tables: it always poses again (code 0, always,
    // into state 1); its watch; a camera window 4096 units past its own each
    // way; 1000 energy, 5000 points; no walk.
    const char* what = "platform enemy tables: archer";
    const uint32_t codes =
        data.bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "archer condition codes");
    const uint32_t next = data.bytes({kPoseState}, "archer next states");
    rom.put32(rom::ai_condition_lists + 4 * kType, codes, what);
    rom.put32(rom::ai_next_state_lists + 4 * kType, next, what);
    rom.put32(rom::ai_idle_callbacks + 4 * kType, entry::sub_07F7B7, what);
    const std::array<int16_t, 4> margins = {-4096, 4096, -4096, 4096};
    for (uint32_t i = 0; i < 4; ++i)
        rom.put16(rom::ai_window_margins + 8 * kType + 2 * i, static_cast<uint16_t>(margins[i]), what);
    rom.put16(rom::ai_energy + 2 * kType, 1000, what);
    rom.put16(rom::ai_scores + 2 * kType, 5000, what);
    rom.put16(rom::ai_walk_speeds + 2 * kType, 0, what);
    rom.put32(rom::spawn_routine_table + 4 * volley_spawn_type, entry::sub_07F3EE,
              "spawn routine table: archer");
    block names(rom, kBarName, kBarNameEnd, "archer bar name");
    const uint32_t name = names.text("ARCHER", "boss bar names: archer");
    const uint32_t entry = rom::bar_names + 2 * kBarSubject;
    rom.put16(entry, uint16_t(name - entry), "boss bar name offsets: archer");
    rom.put8(rom::bar_portrait_frames + kBarSubject, 0, "boss bar portrait frames: archer");
}

}  // namespace synthetic
