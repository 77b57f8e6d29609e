// Synthetic ROM data: the set-piece boss of stage 4 area 3, with the
// stationary attacker bound to the area.
//
// No run reaches stage 4 area 3 on inputs (the synthetic game has one stage
// of scenery, and every area change with a player in play ends the run).
// The boss run sets the stage byte to 4 and the area byte to 2 between
// stage 1's intro and its first area, so that the area started is area 3,
// and names the stage descriptor planted here in place of stage 1's (the
// stage set-up, had it run for stage 4, would have named it). An odd area
// uses the terrain map, as the first area of a stage does; an even one
// would use placed objects, whose player controller ends the run.
//
// The area's playfield camera starts at x 0x4000, where the set piece's
// controller starts: in the area's first frame the generator spawns, in
// list order, two weak enemies of kind 27 (the crowd's, one punch beats
// each), the stationary attacker, and the boss record with the set piece's
// controller. They all stand where the player's punches land, 104 units
// right of the player's start (0x4000 + 640, 600).
//
// The set piece's body and the attacker enter their boxes with the
// registration that leaves the vertical words of their table entries as
// they were; the player's punches test those words. The two weak enemies,
// listed first, enter full entries in the first two places of the table
// while they live; once they are gone the attacker and the body take those
// places and are hit through the words they left. So the fight begins when
// the weak enemies have fallen.
//
// Stage 4's per-area tables of object lists and spawn lists are shared with
// the scenery's area 1 (stage_areas.h).
//
// The body: 490 energy, 10000 points, a boss bar named "OVERLORD", a still
// path script (one 100-frame entry at rest, looped by command 1). The first
// part cycles through six phases of 30, 30, 30, 60, 30 and 60 frames; the
// second part shows from phase 2, and in phase 3 attacks with one box that
// reaches the player's body (strength 2) and one that does not. At phase 5
// the fader sends the music-fade codes. The attacker waits 90 frames, winds
// up, attacks with a box out of the player's reach, and is beaten by the
// punches for its 600 points and tally category 10.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "game/actors/tables.h"
#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_areas.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// ---- addresses the routines read ----
constexpr uint32_t kStage = 4, kArea = 3;
constexpr uint32_t kAreaIndex = (kStage - 1) * 5 + kArea - 1;

constexpr uint32_t kFixedFrames = 0x090480;                // the frames of the two scripts above
constexpr uint32_t kFixedFramesEnd = kFixedFrames + 0x40;  // room for two frames, as below
constexpr uint32_t kGuardFrames = 0x092328;
constexpr uint32_t kGuardFramesEnd = kGuardFrames + 0x40;
constexpr uint32_t kBarName = 0x069A60;  // the name, in reach of its offset word (the offsets are s16)

// Routines the tables name.
// sub_066200 spawn generator
// sub_08595F camera controller
// sub_083074 set piece
// sub_0837C2 guard

// ---- where our own tables go ----
constexpr uint32_t kScripts = 0x12C000;  // animation scripts, then their frames
constexpr uint32_t kFrames = 0x12C200;
constexpr uint32_t kData = 0x12C400;  // everything else, the stage descriptor first
static_assert(kData == boss_stage_descriptor);
constexpr uint32_t kDataEnd = 0x12D000;
constexpr uint32_t kBodyPixels = 0x7E8000, kPartPixels = 0x7E9000;

// ---- values ----
constexpr uint8_t kSetPieceType = 56, kGuardType = 57;  // spawn types
constexpr uint8_t kWeakType = 2;                        // the crowd's spawn type of kind 0
constexpr uint16_t kCameraX = 0x4000;
constexpr uint16_t kSpotX = kCameraX + 640 + 104, kSpotY = 600;
constexpr uint8_t kBarSubject = 18;
constexpr uint8_t kExitEffect = 60;
constexpr uint8_t kBodyTally = 13;

// The boxes: the body's (in pixels around its position, the second pair
// its depth: 40 units either side of its ground line), the attacks'.
// The player stands 26 pixels left of the spot and faces it.
constexpr box kBodyBox = {-16, 32, -10, 20};
constexpr box kHighBox = {-40, 24, -60, 16};   // in front of the part, behind the player's ground line
constexpr box kMissingBox = {16, 24, -8, 16};  // on the far side
constexpr box kGuardBodyBox = {-12, 24, -10, 20};

struct pictures {
    uint32_t phase, attack, exit_effect;
};

pictures plant_animations(rom_builder& rom) {
    const char* what = "boss animation";
    put_picture(rom, kBodyPixels, 32, 48, 12, 13);
    put_picture(rom, kPartPixels, 16, 16, 14, 15);
    const auto body = part(kBodyPixels, 32, 48, 0x0150);
    const auto crouch = part(kBodyPixels, 32, 40, 0x0150);
    const auto small = part(kPartPixels, 16, 16, 0x0160);

    // The scripts at the addresses the routines start, with their frames
    // beside them.
    block fixed(rom, kFixedFrames, kFixedFramesEnd, "boss body frames");
    const uint32_t body_frame = put_frame(fixed, body, {kBodyBox}, what);
    const uint32_t part_frame = put_frame(fixed, small, {{0, 1, -100, 1}}, what);
    // The body: four steps, since the second part restarts it at step 3.
    put_script(rom, rom::set_piece_body_animation, 16, {body_frame, body_frame, body_frame, body_frame}, -2,
               "boss body animation");
    put_script(rom, rom::set_piece_appear_animation, 8, {part_frame}, -2, "boss second part appearance");
    // The attacker: 19 frames of 2 each, standing and crouching by turns.
    block guard(rom, kGuardFrames, kGuardFramesEnd, "stationary attacker frames");
    const uint32_t stand = put_frame(guard, body, {kGuardBodyBox}, what);
    const uint32_t duck = put_frame(guard, crouch, {kGuardBodyBox}, what);
    std::vector<uint32_t> guard_frames;
    for (int i = 0; i < 19; ++i) guard_frames.push_back(i % 2 ? duck : stand);
    block guard_script(rom, rom::set_piece_guard_animation, kGuardFrames, "stationary attacker animation");
    put_script(guard_script, 2, guard_frames, -2, "stationary attacker animation");

    block frames(rom, kFrames, kData, "boss frames");
    const uint32_t part0 = put_frame(frames, small, {{0, 1, -100, 1}}, what);
    block scripts(rom, kScripts, kFrames, "boss scripts");
    pictures p{};
    p.phase = put_script(scripts, 10, {part0, part0}, -2, what);
    p.attack = put_script(scripts, 4, {part0, part0, part0}, -2, what);
    p.exit_effect = put_script(scripts, 6, {part0}, -2, what);
    return p;
}

// The set piece's and the attacker's own tables.
void plant_set_piece(rom_builder& rom, const pictures& p) {
    for (uint32_t i = 0; i < 24; ++i)
        rom.put32(rom::set_piece_first_animations + 4 * i, p.phase, "boss first part animations");
    const std::array<uint8_t, 6> lengths = {30, 30, 30, 60, 30, 60};
    for (uint32_t i = 0; i < lengths.size(); ++i)
        rom.put8(rom::set_piece_phase_lengths + i, lengths[i], "boss phase lengths");
    const std::array<uint8_t, 6> hits = {6, 6, 6,
                                         6, 2, 4};  // flash frames by rank; states 2 (hit), 4 (defeat)
    for (uint32_t i = 0; i < hits.size(); ++i)
        rom.put8(rom::set_piece_body_hits + i, hits[i], "boss body hit parameters");
    for (uint32_t r = 0; r < 4; ++r)
        rom.put8(rom::set_piece_attack_strength + r, 2, "boss second part attack strength");
    const std::array<uint8_t, 8> kinds = {0, 1, 2, 3, 4, 0, 1, 2};
    for (uint32_t i = 0; i < kinds.size(); ++i)
        rom.put8(rom::set_piece_attack_kinds + i, kinds[i], "boss attack kinds");
    for (uint32_t k = 0; k < 5; ++k) {
        rom.put32(rom::set_piece_attack_animations + 4 * k, p.attack, "boss attack animations");
        put_box(rom, rom::set_piece_attack_boxes + 8 * k, kHighBox, "boss attack boxes");
        put_box(rom, rom::set_piece_attack_boxes + 8 * k + 4, kMissingBox, "boss attack boxes");
    }
    rom.put8(rom::flyer_tally_categories + 5, kBodyTally,
             "path-scripted tally category: the boss body (type 5)");
    // The exit's effect (child effect type 60): 200 frames over the first part.
    const uint32_t e = rom::child_effect_table + 16 * kExitEffect;
    rom.put32(e, p.exit_effect, "child effect 60: animation");
    rom.put8(e + 4, 0, "child effect 60: first frame");
    rom.put8(e + 5, 1, "child effect 60: delay");
    rom.put16(e + 6, 200, "child effect 60: lifetime");
    rom.put8(e + 8, 0, "child effect 60: sound");
    rom.put8(e + 9, 0, "child effect 60: follow");
    rom.put16(e + 10, 0, "child effect 60: x offset");
    rom.put16(e + 12, 0, "child effect 60: y offset");
    rom.put8(e + 14, 0, "child effect 60: pulse step");
    rom.put8(e + 15, 0, "child effect 60: pulse frames");
    // The defeat effects of the body (type 4) and the attacker (type 8) stand
    // on their owner.
    for (uint32_t t : {4u, 8u}) {
        rom.put16(rom::platform_effect_offsets + 4 * t, 0, "short effect offsets: x");
        rom.put16(rom::platform_effect_offsets + 4 * t + 2, 0, "short effect offsets: y");
    }
    // The boss bar.
    rom.put_text(kBarName, "OVERLORD", "boss bar names");
    const uint32_t name = kBarName;
    const uint32_t entry = rom::bar_names + 2 * kBarSubject;
    rom.put16(entry, uint16_t(name - entry), "boss bar name offsets");
    rom.put8(rom::bar_portrait_frames + kBarSubject, 0, "boss bar portrait frames");
    // The attacker.
    for (uint32_t r = 0; r < 4; ++r) {
        rom.put8(rom::set_piece_guard_wait + r, 90, "stationary attacker wait");
        rom.put8(rom::set_piece_guard_strength + r, 2, "stationary attacker strength");
    }
    put_box(rom, rom::set_piece_guard_box, kMissingBox, "stationary attacker attack box");
    rom.put32(rom::spawn_routine_table + 4 * kSetPieceType, entry::sub_083074,
              "spawn routine table: set-piece boss");
    rom.put32(rom::spawn_routine_table + 4 * kGuardType, entry::sub_0837C2,
              "spawn routine table: stationary attacker");
}

// Stage 4 area 3: its descriptor, object list, spawn list, camera script
// and player start row.
void plant_area(rom_builder& rom, block& b) {
    // The descriptor: no graphics job, playfield selector 3 (camera record 1);
    // every area record names the camera controller, the playfield camera at
    // x 0x4000, the background layers 256 pixels right of their start.
    const uint32_t descriptor = b.longs({0, 0}, "stage 4 descriptor: graphics job, source base");
    if (descriptor != boss_stage_descriptor) throw std::logic_error("the boss stage descriptor moved");
    b.bytes({3, 3, 3, 3, 3, 3, 3, 3}, "stage 4 descriptor: playfield selectors");
    const uint32_t map = descriptor + 16 + 36 * (kArea + 1);  // right after the area records
    for (uint32_t area = 0; area <= kArea; ++area) {
        b.longs({entry::sub_08595F}, "stage 4 area record: controller");
        for (int k = 0; k < 4; ++k) {
            b.longs({map}, "stage 4 area record: camera map");
            b.words({uint16_t(k >= 2 ? 1024 : kCameraX), 0}, "stage 4 area record: camera start");
        }
    }
    if (b.bytes({2, 1, 0, 1, 0, 0, 0, 0}, "stage 4 map header") != map)
        throw std::logic_error("stage 4 map misplaced");
    // The spawn list, then the data its records name (a record's data offset
    // counts forward from its +8 field, unsigned).
    constexpr uint32_t kRecords = 4;
    b.align(2);
    const uint32_t list = b.take(10 * kRecords + 1);
    // The body's path script: 100 frames at rest, then again (command 1);
    // its shot list ends at once.
    const uint32_t path = b.words({100, 0, 0, 0, 0, 0, 0, 0x8000, 1}, "boss path script");
    const uint32_t shots = b.words({0x8000, 0}, "boss shot list: none");
    const uint32_t header = b.longs({path, shots}, "boss path-script header");
    struct record {
        uint8_t type, flags;
        uint32_t data;
    };
    const std::array<record, kRecords> records = {{{kWeakType, kAnyPlayerCount, 0},
                                                   {kWeakType, kAnyPlayerCount, 0},
                                                   {kGuardType, kAnyPlayerCount, 0},
                                                   {kSetPieceType, 0, header}}};  // the boss record
    for (size_t i = 0; i < records.size(); ++i) {
        const char* what = "stage 4 area 3 spawn record";
        const uint32_t a = list + 10 * uint32_t(i);
        rom.put8(a, records[i].type, what);
        rom.put8(a + 1, records[i].flags, what);
        rom.put16(a + 2, kCameraX, what);
        rom.put16(a + 4, kSpotX, what);
        rom.put16(a + 6, kSpotY, what);
        rom.put16(a + 8, uint16_t(records[i].data ? records[i].data - (a + 8) : 0), what);
    }
    rom.put8(list + 10 * uint32_t(records.size()), 0x80, "stage 4 area 3 spawn list end");
    const uint32_t objects = put_object_list(b, {entry::sub_066200}, {}, {}, "stage 4 area 3 objects");
    stage_areas::plant_area(rom, stage_areas::kStage4, kArea, objects, list);

    // Camera script: the left limit at the start, a gate far to the right
    // that the fight never reaches.
    const uint32_t script =
        b.words({kCameraX, 0, kCameraX + 1024, 0}, "stage 4 area 3 camera script: limits");
    b.bytes({1, 0}, "stage 4 area 3 camera script: hold, byte");
    b.words({kCameraX + 1024}, "stage 4 area 3 camera script: gate x");
    b.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "stage 4 area 3 camera script: gate thresholds");
    b.words({0x8000}, "stage 4 area 3 camera script: end mark");
    b.words({kCameraX, 0, kCameraX + 2048, 0}, "stage 4 area 3 camera script: final limits");
    b.bytes({1, 0}, "stage 4 area 3 camera script: final hold, byte");
    b.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "stage 4 area 3 camera script: final thresholds");
    rom.put32(rom::camera_script_table + 4 * kAreaIndex, script, "camera scripts: stage 4 area 3");
    rom.put16(rom::player_start_y + 2 * kAreaIndex, kSpotY, "player start y: stage 4 area 3");
}

}  // namespace

void plant_boss(rom_builder& rom) {
    block b(rom, boss_stage_descriptor, kDataEnd, "boss");
    plant_area(rom, b);  // the descriptor first, at its fixed address
    const pictures p = plant_animations(rom);
    plant_set_piece(rom, p);
}

}  // namespace synthetic
