// Synthetic ROM data: stage 4 area 1, the scenery area. Passers-by play
// their scenes (types 49 to 53, with type 49's part, type 52's struck
// object, type 53's gun and shots; type 51 and its companion stand), two
// props wait by the player's start (one that breaks under blows, one that
// is knocked away), decorations stand in the layer and playfield frames, a
// screen-fixed indicator shows whether the camera may go on, and the area's
// stage-event object raises a background layer, pins its camera and wipes
// it away as the camera advances.
//
// No run reaches stage 4 on inputs (the synthetic game has one stage of
// scenery): the scenery run sets the stage byte to 4 between stage 1's
// intro and its first area, so that the area started is stage 4's area 1,
// with stage 1's controller and cameras (its descriptor stays in force) and
// stage 4's own object list, spawn list, camera script and player start
// row, planted here. An even area cannot be played so: the player's
// controller of placed-object areas has no translated code.
//
// The camera script holds the camera at X 512 while any passer-by plays
// (the gate's thresholds are 0), so the indicator hides its icon there and
// shows it again, with its sound, once the last of them has left; then the
// camera may go on to X 2800, past where the stage event wipes the layer.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

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
constexpr uint32_t kStage4Area1 = 15;  // that index for stage 4 area 1

// Passers-by: state tables, companion data, the pictures they start by address.
constexpr uint32_t k51Script = 0x1364A0;
constexpr uint32_t kFightAnimation = 0x1364CB;  // the camera-triggered enemy's (pickups.cpp)

// Routines the tables name.
// sub_066200 spawn generator
// sub_079924 indicator
// sub_0815E2 prop, sub_0815F6 breakable, sub_081732 knock away
// sub_069A9E type49, sub_069B78 type50, sub_069C3C type51, sub_069CC1 type52, sub_069DB0 type53
// sub_0812B2 area decoration entry a, sub_0812C1 area decoration entry b
// sub_081308 layer decoration entry a, sub_081316 layer decoration entry b

// ---- where our own tables go ----
constexpr uint32_t kScripts = 0x12DF00, kScriptsEnd = 0x12E000;  // the scripts, before the data
constexpr uint32_t kData = 0x12E000, kDataEnd = 0x12F000;
constexpr uint32_t kFigurePixels = 0x7E8000, kSmallPixels = 0x7E9000, kPropPixels = 0x7EA000;

// ---- values ----
// Spawn types of this area's records: well clear of the other stages'.
constexpr uint8_t kFirstSpawnType = 112;

// The hit box of every frame: 12 pixels either side, from 28 above the
// ground to 2 below (only the props register theirs).
const std::vector<box> kFrameBox = {{-12, 24, -28, 30}};

// The scripts the passers-by start by address, each with its frames in the
// free bytes after its group. Sizes are bound by the next fixed address.
void plant_passer_scripts(rom_builder& rom) {
    const auto figure = part(kFigurePixels, 24, 40, 0x0150);
    const auto bent = part(kFigurePixels, 24, 36, 0x0150);
    const auto small = part(kSmallPixels, 16, 16, 0x0160);
    auto frames = [&](uint32_t at, uint32_t end, std::initializer_list<std::array<uint16_t, 8>> parts,
                      const char* what) {
        block b(rom, at, end, what);
        std::vector<uint32_t> v;
        for (const auto& p : parts) v.push_back(put_frame(b, p, kFrameBox, what));
        return v;
    };
    // Type 49 and its part (0x08F43B-0x08F4BF).
    {
        const auto f = frames(0x08F4A0, rom::struck_script, {figure, bent, small}, "type-49 frames");
        put_script(rom, rom::type49_script, 8, {f[0], f[1]}, -2, "type-49 animation: walking");
        put_script(rom, rom::type49_part_script, 8, {f[2]}, -2, "type-49 part animation");
    }
    // Type 52's struck object (stops after its third step) and type 51's
    // companion (0x090009-0x09003F).
    {
        const auto f = frames(0x090040, rom::drifting_script, {small, figure}, "struck-object frames");
        put_script(rom, rom::struck_script, 6, {f[0], f[1], f[0]}, -1,
                   "struck object animation: knocked over, stops");
        put_script(rom, rom::type51_companion_script, 8, {f[1]}, -2, "type-51 companion animation");
    }
    // Types 50 and 52 (0x096CA2-0x096D7F): 0x096CA2 has room for one step.
    {
        const auto f = frames(0x096D80, rom::big_overlay_script, {figure, bent}, "types 50/52 frames");
        put_script(rom, rom::type50_script, 8, {f[0]}, -2, "type-50 animation: standing");
        put_script(rom, rom::leave_script, 4, {f[0], f[1]}, -2, "types 50/52 animation: walking off");
        put_script(rom, rom::type50_act_script, 6, {f[1], f[0]}, -2,
                   "type-50 animation: releasing its effect");
        // Five steps: the strike lands at step 3, then the animation stops.
        put_script(rom, rom::zoom_script, 4, {f[0], f[1], f[1], f[0], f[1]}, -1,
                   "type-52 animation: the strike");
    }
    // Type 53, its gun (four steps, a shot at step 3; exactly fills
    // 0x09906D-0x099077) and its shot (three steps, then stops).
    {
        const auto f = frames(0x0990A0, rom::flying_piece_script, {figure, small, bent}, "type-53 frames");
        put_script(rom, rom::type53_script, 8, {f[0], f[2]}, -2, "type-53 animation: flying");
        put_script(rom, rom::gun_script, 4, {f[1], f[1], f[1], f[1]}, -2, "type-53 gun animation");
        put_script(rom, rom::gun_shot_script, 4, {f[1], f[1], f[1]}, -1, "type-53 shot animation");
    }
    // Type 51 (its frame right after its script: 0x1364CB starts another
    // fixed animation, the camera-triggered enemy's, pickups.cpp).
    {
        const auto f = frames(0x1364A6, kFightAnimation, {figure}, "type-51 frames");
        put_script(rom, k51Script, 8, {f[0]}, -2, "type-51 animation: standing");
    }
}

// What a passer-by's state table names, companion data and part data.
void plant_passers(rom_builder& rom) {
    const char* what = "passer-by state tables";
    auto table = [&](uint32_t at, std::initializer_list<uint32_t> states) {
        for (uint32_t s : states) rom.put32(at, s, what), at += 4;
    };
    table(rom::type49_states,
          {continuation::type49_set_up, continuation::type49_walk_in, continuation::type49_wait,
           continuation::type49_effect, continuation::type49_leave});
    table(rom::type49_part_states, {continuation::type49_part_set_up, continuation::type49_part_follow});
    table(rom::type50_states, {continuation::type50_set_up, continuation::type50_wait,
                               continuation::type50_effect, continuation::type50_leave});
    table(rom::type51_states,
          {continuation::type51_set_up, continuation::type51_standing, continuation::type51_zoomed});
    table(rom::type52_states,
          {continuation::type52_set_up, continuation::type52_wait, continuation::type52_strike,
           continuation::type52_finish, continuation::type52_pause, continuation::type52_leave});
    table(rom::type53_states, {continuation::type53_set_up, continuation::type53_slow,
                               continuation::type53_effect, continuation::type53_leave});
    table(rom::gun_states, {entry::sub_07288C, continuation::type53_gun_fired});
    // Companions right under the actors.
    for (uint32_t c :
         {rom::type49_companion, rom::type50_companion, rom::type52_companion, rom::type53_companion}) {
        rom.put16(c, 0, "companion data: passers-by");
        rom.put16(c + 2, 0, "companion data: passers-by");
    }
    // Type 49's part: 8 pixels ahead, 16 up (the height byte is one more).
    rom.put8(rom::type49_part_data, 2, "type-49 part data: x offset / 4");
    rom.put8(rom::type49_part_data + 1, 5, "type-49 part data: height offset / 4 + 1");
}

struct scripts {
    uint32_t loop, effect, icon, prop_stand_a, prop_stand_b, prop_knocked, decoration;
};

// Our own scripts and frames: effects, the icon, props, decorations.
scripts plant_own_scripts(rom_builder& rom, block& b) {
    const auto figure = part(kFigurePixels, 24, 40, 0x0150);
    const auto small = part(kSmallPixels, 16, 16, 0x0160);
    const auto prop = part(kPropPixels, 24, 24, 0x0170);
    const auto piece = part(kPropPixels, 16, 16, 0x0170);
    const auto flat = part(kPropPixels, 24, 8, 0x0170);
    const uint32_t f_figure = put_frame(b, figure, kFrameBox, "scenery frames");
    const uint32_t f_small = put_frame(b, small, kFrameBox, "scenery frames");
    const uint32_t f_prop = put_frame(b, prop, kFrameBox, "scenery frames");
    const uint32_t f_piece = put_frame(b, piece, kFrameBox, "scenery frames");
    const uint32_t f_flat = put_frame(b, flat, kFrameBox, "scenery frames");
    // Scripts come after their frames in our block: they start before it.
    block own(rom, kScripts, kScriptsEnd, "scenery scripts");
    scripts s{};
    s.loop = put_script(own, 8, {f_figure}, -2, "scenery script: standing");
    s.effect = put_script(own, 4, {f_small, f_piece}, -2, "scenery script: effect");
    s.icon = put_script(own, 8, {f_small}, -2, "scenery script: camera icon");
    // A prop stands on its first step; the steps after it are its breaking
    // into pieces, shown once it is beaten, then the animation stops.
    s.prop_stand_a = put_script(own, 6, {f_prop, f_piece, f_flat}, -1, "scenery script: breakable prop");
    s.prop_stand_b = put_script(own, 6, {f_prop}, -2, "scenery script: knock-away prop");
    s.prop_knocked = put_script(own, 4, {f_prop, f_flat}, -2, "scenery script: prop tumbling");
    s.decoration = put_script(own, 10, {f_small, f_figure}, -2, "scenery script: decoration");
    return s;
}

// Child effects the passers-by release (types 10, 11, 59, 61 and 62): a
// short follow or blink at the owner.
void plant_effects(rom_builder& rom, const scripts& s) {
    struct effect {
        uint8_t type;
        uint16_t lifetime;
        uint8_t sound, command;
        int16_t dx, dy;
    };
    for (const effect& e : {effect{10, 90, 0, 0, 0, 16},       // at a random player: type 49 calls out
                            effect{11, 240, 0xC1, 1, -32, 0},  // type 49's: blinking beside it
                            effect{59, 40, 0xC2, 0, 32, 0},    // type 50's
                            effect{61, 30, 0, 0, 0, 0},        // the struck object's
                            effect{62, 40, 0xC3, 1, 0, 0}}) {  // type 53's
        const uint32_t a = rom::child_effect_table + 16 * e.type;
        const char* what = "child effect table: passers-by";
        rom.put32(a, s.effect, what);
        rom.put8(a + 4, 0, what);
        rom.put8(a + 5, 1, what);
        rom.put16(a + 6, e.lifetime, what);
        rom.put8(a + 8, e.sound, what);
        rom.put8(a + 9, e.command, what);
        rom.put16(a + 10, uint16_t(e.dx), what);
        rom.put16(a + 12, uint16_t(e.dy), what);
        rom.put8(a + 14, 0, what);
        rom.put8(a + 15, 0, what);
    }
}

// The indicator's icon: none while a gate waits for its enemies (hold 0),
// icon 1 while the camera may go on (hold 1).
void plant_indicator(rom_builder& rom, const scripts& s) {
    rom.put8(rom::hold_icons + 0, 0, "camera icons by hold value");
    rom.put8(rom::hold_icons + 1, 1, "camera icons by hold value");
    rom.put32(rom::icon_scripts + 4, s.icon, "camera icon scripts");
}

// Props: type 0 breaks under blows, type 1 is knocked away.
void plant_props(rom_builder& rom, const scripts& s) {
    const char* what = "prop tables";
    struct prop {
        uint32_t routine, animation, knocked;
        uint16_t energy, score;
        uint8_t sound;
    };
    const std::array<prop, 2> props = {{{entry::sub_0815F6, s.prop_stand_a, s.prop_knocked, 16, 500, 0x50},
                                        {entry::sub_081732, s.prop_stand_b, s.prop_knocked, 8, 300, 0x51}}};
    for (uint32_t t = 0; t < props.size(); ++t) {
        rom.put32(rom::prop_routines + 4 * t, props[t].routine, what);
        rom.put32(rom::prop_animations + 4 * t, props[t].animation, what);
        rom.put32(rom::prop_knock_animations + 4 * t, props[t].knocked, what);
        rom.put16(rom::prop_energy + 2 * t, props[t].energy, what);
        rom.put16(rom::prop_scores + 2 * t, props[t].score, what);
        rom.put8(rom::prop_hit_sounds + t, props[t].sound, what);
        rom.put16(rom::prop_companions + 4 * t, 0, "prop companion data");
        rom.put16(rom::prop_companions + 4 * t + 2, 0, "prop companion data");
    }
}

// Decorations: two that turn into zoomed ones at an area change, two in the
// layer frame that cross over into the playfield frame.
void plant_decorations(rom_builder& rom, const scripts& s) {
    struct decoration {
        uint32_t record;
        int16_t x, y, height;
    };
    for (const decoration& d :
         {decoration{rom::area_decoration_a, 1200, 520, 0}, decoration{rom::area_decoration_b, 2000, 520, 0},
          decoration{rom::layer_decoration_a, 1000, 400, 0},
          decoration{rom::layer_decoration_b, 700, 400, 0}}) {
        const char* what = "decoration records";
        rom.put32(d.record, s.decoration, what);
        rom.put16(d.record + 4, uint16_t(d.x), what);
        rom.put16(d.record + 6, uint16_t(d.y), what);
        rom.put16(d.record + 8, uint16_t(d.height), what);
    }
}

// The area: its object list, spawn list, camera script and player start
// row (stage 4's other rows: stage_areas.h).
void plant_area(rom_builder& rom, block& b) {
    // One 256-byte object, the spawn generator; no 128-byte ones; one 64-byte
    // one, the indicator.
    auto routine = [](uint32_t r, int k) { return uint8_t(r >> (8 * k)); };
    const uint32_t objects = b.bytes(
        {1, routine(entry::sub_066200, 0), routine(entry::sub_066200, 1), routine(entry::sub_066200, 2),
         routine(entry::sub_066200, 3), 0, 1, routine(entry::sub_079924, 0), routine(entry::sub_079924, 1),
         routine(entry::sub_079924, 2), routine(entry::sub_079924, 3)},
        "stage 4 area 1 objects");

    // The prop types the prop records name, after the list: a record's data
    // offset is unsigned.
    b.align(2);
    constexpr uint32_t kRecords = 11;
    const uint32_t list = b.take(10 * kRecords + 1);
    const uint32_t breakable = b.bytes({0}, "prop data: breakable");
    const uint32_t knock_away = b.bytes({1}, "prop data: knock-away");
    struct record {
        uint32_t routine;
        uint16_t trigger;
        int16_t x, y;
        uint32_t data;
    };
    // Sweep mode: a record spawns when the camera's X passes its trigger; the
    // camera starts at 0, so those of trigger 0 spawn with the area. The props
    // stand by the player's start (640, 600): the breakable 26 pixels to its
    // right, the knock-away 20 to its left. The passers-by: type 49 walks in
    // from the left edge, type 53 flies in from just past it, type 52 waits
    // mid-screen to strike its object, type 51 stands; type 50 comes in once
    // the camera has left the gate, far right, to wait there.
    const std::vector<record> records = {
        {entry::sub_0815E2, 0, 744, 600, breakable},
        {entry::sub_0815E2, 0, 560, 600, knock_away},
        {entry::sub_069A9E, 0, 0, 700, 0},
        {entry::sub_069DB0, 0, -150, 640, 0},
        {entry::sub_069CC1, 0, 1000, 720, 0},
        {entry::sub_069C3C, 0, 600, 900, 0},
        {entry::sub_069B78, 1000, 3600, 760, 0},
        {entry::sub_0812B2, 0, 0, 0, 0},
        {entry::sub_0812C1, 0, 0, 0, 0},
        {entry::sub_081308, 0, 0, 0, 0},
        {entry::sub_081316, 0, 0, 0, 0},
    };
    if (records.size() != kRecords) throw std::logic_error("scenery spawn list: its size");
    for (size_t i = 0; i < records.size(); ++i) {
        const char* what = "scenery spawn record";
        const uint32_t a = list + 10 * uint32_t(i);
        const uint8_t type = uint8_t(kFirstSpawnType + i);
        rom.put8(a, type, what);
        rom.put8(a + 1, kAnyPlayerCount, what);
        rom.put16(a + 2, records[i].trigger, what);
        rom.put16(a + 4, uint16_t(records[i].x), what);
        rom.put16(a + 6, uint16_t(records[i].y), what);
        rom.put16(a + 8, uint16_t(records[i].data ? records[i].data - (a + 8) : 0), what);
        rom.put32(rom::spawn_routine_table + 4 * type, records[i].routine, "spawn routine table: scenery");
    }
    rom.put8(list + 10 * uint32_t(records.size()), 0x80, "scenery spawn list end");
    stage_areas::plant_area(rom, stage_areas::kStage4, 1, objects, list);

    // The camera: up to X 512; a gate there that opens when no passer-by
    // plays; then up to 2800.
    b.align(2);
    const uint32_t script = b.take(32);
    auto words = [&](uint32_t at, std::initializer_list<int16_t> w, const char* what) {
        for (int16_t v : w) rom.put16(at, uint16_t(v), what), at += 2;
    };
    words(script, {0, 0, 512, 0}, "scenery camera script: limits");
    rom.put_bytes(script + 8, bytes{1, 0}, "scenery camera script: hold, byte");
    words(script + 10, {512}, "scenery camera script: gate x");
    rom.put_bytes(script + 12, bytes{0, 0, 0, 0}, "scenery camera script: gate thresholds");
    words(script + 16, {int16_t(0x8000)}, "scenery camera script: end mark");
    words(script + 18, {0, 0, 2800, 0}, "scenery camera script: final limits");
    rom.put_bytes(script + 26, bytes{1, 0}, "scenery camera script: final hold, byte");
    rom.put_bytes(script + 28, bytes{0xFF, 0xFF, 0xFF, 0xFF}, "scenery camera script: final thresholds");
    rom.put32(rom::camera_script_table + 4 * kStage4Area1, script, "camera scripts: stage 4 area 1");
    rom.put16(rom::player_start_y + 2 * kStage4Area1, 600, "player start y: stage 4 area 1");
}

}  // namespace

void plant_scenery(rom_builder& rom) {
    block b(rom, kData, kDataEnd, "scenery");
    put_picture(rom, kFigurePixels, 24, 40, 5, 7);
    put_picture(rom, kSmallPixels, 16, 16, 12, 13);
    put_picture(rom, kPropPixels, 24, 24, 8, 9);
    plant_passer_scripts(rom);
    plant_passers(rom);
    const scripts s = plant_own_scripts(rom, b);
    plant_effects(rom, s);
    plant_indicator(rom, s);
    plant_props(rom, s);
    plant_decorations(rom, s);
    plant_area(rom, b);
}

}  // namespace synthetic
