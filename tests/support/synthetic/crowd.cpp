// Synthetic ROM data: the crowd of stage 2 area 1, one enemy of every kind
// the enemy generator sets up (kinds 0 to 9, 11 to 14 and 19 to 36; kind 9
// twice, through both its entries; kind 58 is the progress watcher's, met
// in stage 1).
//
// No run reaches stage 2 on inputs: the synthetic game has one stage of
// scenery. Stage 2 is entered by setting the stage byte between stage 1's
// intro and its first area (the crowd run's control script does so); the
// area then starts from stage 1's descriptor (its controller and cameras,
// set when the stage began), with stage 2's own object list, spawn list,
// camera script and player start row, planted here.
//
// Every enemy of the crowd (kind 12 aside, below) stands where the
// player's punches land, 104 units right of the player's start (640, 600):
// the kinds 19 to 36 come there through their scripted entrance (from the
// left, the right, above, the front, or after a wait), the others are set
// there by their spawn records, and the stalker (kind 3, with its stage 1
// tables) walks there.
// Standing, they seek a target slot and stay. What a hit does depends on
// the state table:
// - kinds 0 to 8 borrow the platform enemies' hit reaction, stun and defeat
//   (their per-type tables have an entry for AI types 0 to 8): a hit stuns
//   them for a frame, the defeating hit counts them in the tally of the
//   attacker's slot, pops them up and lets them fall away;
// - the kinds 9 and up cannot take the stun and defeat (those tables have
//   no entry for their kind number), but they take the hit reaction
//   itself, which clears the hit mark, makes the enemy untouchable and
//   sends it to state 19. It reads its sound by the kind number too, from
//   bytes past the table that the set leaves 0 (sound code 0, as the
//   table's own entries for kinds 7 and 8). In state 19 kinds 9 to 14 swing
//   back (an attack pattern whose box lies where no one stands, with rank
//   bytes of 4: a few frames) and seek again; kinds 19 to 36 come in again
//   by their entrance. Either way touchable again, they take the next
//   punches, and the beating hit makes them fall away (state 7), which
//   reads no per-type table; kinds 22 to 26 throw their piece as they go.
//   Kinds 9, 11, 13 and 14 are beaten so, and of kinds 19 to 36 those whose
//   entrance is short (21, 23 to 25, 27 to 32 and 35): the kinds whose
//   entrance is long (a jump or the timed wait) come back too late for most
//   punches and still stand when the area is won, so of the throwers only
//   23, 24 and 25 throw their piece in the run.
// Both ways the player scores the hits and the kind's points for the
// defeat, and the enemy is counted off when it has fallen off the screen.
//
// Kind 12 is set apart: it grows in at the player's start spot (its
// appearance), and its box lies far up and to the side, out of every
// punch's reach and of the player's body (whose touch would make the
// player grab it), so it stands there untouched.
//
// Kind 4's record is a boss record: kind 4 is the last of kinds 0 to 8 the
// punches beat, and once it is gone the area is won, so that the kinds
// above 18 still standing vanish one after another while the kinds up to
// 18 carry on.
//
// The spawn data of kinds 7, 8, 9 and 19 to 36 lies after the spawn list,
// as its unsigned offsets need; the boss bars' names lie within reach of
// their signed offsets from 0x069A02.
//
// What the set-ups bring along is planted too: the kind-2 parts, the
// overlays of kinds 5, 6, 13 and 14 (shown while their enemy seeks), the
// flying piece of kinds 22 to 26, the boss bars' names (kinds 1, 6 to 9
// and 12 to 14; one bar shows at a time) and the companions' data.
#include <array>
#include <cstdint>
#include <stdexcept>
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
constexpr uint32_t kStage2Area1 = 5;          // that index for stage 2 area 1
constexpr uint32_t kBarNamesFree = 0x069A4C;  // after the offsets of subjects 0 to 36
constexpr uint32_t kBossBarName = 0x069A60;   // the boss's (boss.cpp), 9 bytes
constexpr uint32_t kBossBarNameEnd = 0x069A69;

// Routines the tables name.
// sub_066200 spawn generator
// sub_06A333 seek
// sub_073716 entrance
// sub_06AFAA grow in
// sub_06B09E attack patterns; pattern 0: the melee (stage 1's tables)

// sub_07A976 hit reaction
// sub_07A68D stun start
// sub_07A6B9 knockback
// sub_07A6CC knockback fall
// sub_07A70C defeat pop
// sub_07A725 defeat rise
// sub_07A72D defeat fall
// sub_07A73B defeat shrink
// sub_07A777 fall away; the defeat fall with no per-type table
// sub_06C7E2 stalker setup

// ---- where our own tables go ----
constexpr uint32_t kScripts = 0x128000;  // animation scripts, then their frames
constexpr uint32_t kFrames = 0x128200;
constexpr uint32_t kData = 0x128400;  // everything else
constexpr uint32_t kDataEnd = 0x129000;
constexpr uint32_t kCrowdPixels = 0x7E4000, kPartPixels = 0x7E5000;

// ---- values ----
constexpr uint8_t kFirstSpawnType = 2;  // types 0 and 1 are stage 1's
constexpr uint8_t kBossRecord = 0x00;   // a boss record: its object gone, the area is won
constexpr uint8_t kBossKind = 4;
constexpr uint8_t kGrowingKind = 12;  // grows in, out of reach
constexpr uint16_t kSpotX = 744, kSpotY = 600;
constexpr uint8_t kFirstTally = 4;  // tally category of AI types 7 and 8: 4 + t

struct kind {
    uint8_t number;
    uint32_t setup, record, companion;
};
// Kind 9 comes twice, through its first and its second entry (sounds 0x9A
// and 0x9B).
constexpr std::array<kind, 33> kKinds = {{
    {0, entry::sub_06B392, rom::kind0_state_record, rom::kind0_companion_data},
    {1, entry::sub_06BC9E, rom::kind1_state_record, rom::kind1_companion_data},
    {2, entry::sub_06BF22, rom::kind2_state_record, rom::kind2_companion_data},
    {3, entry::sub_06C7E2, 0, 0},
    {4, entry::sub_06CC1A, rom::kind4_state_record, rom::kind4_companion_data},
    {5, entry::sub_071346, rom::kind5_state_record, rom::kind5_companion_data},
    {6, entry::sub_071C7E, rom::kind6_state_record, rom::kind6_companion_data},
    {7, entry::sub_071EA6, rom::kind7_state_record, rom::kind7_companion_data},
    {8, entry::sub_072CC6, rom::kind8_state_record, rom::kind8_companion_data},
    {9, entry::sub_06ED28, rom::kind9_state_record, rom::kind9_companion_data},
    {9, entry::sub_06ED2E, rom::kind9_state_record, rom::kind9_companion_data},
    {11, entry::sub_06E1C4, rom::kind11_state_record, rom::kind11_companion_data},
    {12, entry::sub_06E984, rom::kind12_state_record, rom::kind12_companion_data},
    {13, entry::sub_06F8BC, rom::kind13_state_record, rom::kind13_companion_data},
    {14, entry::sub_070B3E, rom::kind14_state_record, rom::kind14_companion_data},
    {19, entry::sub_06D806, rom::kind19_state_record, rom::kind19_companion_data},
    {20, entry::sub_06DCEC, rom::kind20_state_record, rom::kind20_companion_data},
    {21, entry::sub_06DF4A, rom::kind21_state_record, rom::kind21_companion_data},
    {22, entry::sub_073612, rom::kind22_state_record, rom::kind22_companion_data},
    {23, entry::sub_073AFE, rom::kind23_state_record, rom::kind23_companion_data},
    {24, entry::sub_073EE6, rom::kind24_state_record, rom::kind24_companion_data},
    {25, entry::sub_0742CE, rom::kind25_state_record, rom::kind25_companion_data},
    {26, entry::sub_0746BE, rom::kind26_state_record, rom::kind26_companion_data},
    {27, entry::sub_074A72, rom::kind27_state_record, rom::kind27_companion_data},
    {28, entry::sub_074DCC, rom::kind28_state_record, rom::kind28_companion_data},
    {29, entry::sub_0750DE, rom::kind29_state_record, rom::kind29_companion_data},
    {30, entry::sub_075314, rom::kind30_state_record, rom::kind30_companion_data},
    {31, entry::sub_075720, rom::kind31_state_record, rom::kind31_companion_data},
    {32, entry::sub_075C1E, rom::kind32_state_record, rom::kind32_companion_data},
    {33, entry::sub_07611C, rom::kind33_state_record, rom::kind33_companion_data},
    {34, entry::sub_076626, rom::kind34_state_record, rom::kind34_companion_data},
    {35, entry::sub_0769CC, rom::kind35_state_record, rom::kind35_companion_data},
    {36, entry::sub_076D76, rom::kind36_state_record, rom::kind36_companion_data},
}};

// A looping one-frame script at a fixed address with its frame right after
// it: the pictures the child objects start by address.
void put_fixed_animation(rom_builder& rom, uint32_t at, const std::array<uint16_t, 8>& p, const char* what) {
    const uint32_t frame = at + 8;
    put_script(rom, at, 8, {frame}, -2, what);
    put_frame(rom, frame, p, {{0, 1, 0, 1}}, what);
}

struct pictures {
    uint32_t stand, hurt, fall, entrance, part, swing, aside;
};

pictures plant_animations(rom_builder& rom) {
    const char* what = "crowd animation";
    put_picture(rom, kCrowdPixels, 24, 40, 4, 6);
    put_picture(rom, kPartPixels, 16, 16, 10, 11);
    const auto body = part(kCrowdPixels, 24, 40, 0x0130);
    const auto lean = part(kCrowdPixels, 24, 36, 0x0130);
    const auto small = part(kPartPixels, 16, 16, 0x0140);
    // The stalker's body: 12 pixels either side, from 28 above the ground to 2 below.
    const std::vector<box> body_box = {{-12, 24, -28, 30}};
    block frames(rom, kFrames, kData, "crowd frames");
    const uint32_t f0 = put_frame(frames, body, body_box, what);
    const uint32_t f1 = put_frame(frames, lean, body_box, what);
    const uint32_t fp = put_frame(frames, small, {{0, 1, 0, 1}}, what);
    // The body with its box far up and to the side, where nothing reaches it.
    const uint32_t fa = put_frame(frames, body, {{127, 1, -128, 1}}, what);

    pictures p{};
    block scripts(rom, kScripts, kFrames, "crowd scripts");
    p.stand = put_script(scripts, 16, {f0, f1}, -2, what);
    p.hurt = put_script(scripts, 4, {f1}, -2, what);
    p.fall = put_script(scripts, 4, {f1, f0}, -2, what);
    p.entrance = put_script(scripts, 6, {f1, f1, f0}, -2, what);
    p.part = put_script(scripts, 10, {fp}, -2, what);
    p.swing = put_script(scripts, 2, {f1, f0}, -1, what);  // then it stops
    p.aside = put_script(scripts, 16, {fa}, -2, what);

    // The pictures the child objects and the boss bar start by address.
    put_fixed_animation(rom, rom::big_overlay_script, small, "kinds 13/14 overlay animation");
    put_fixed_animation(rom, rom::side_overlay_script, small, "kinds 5/6 overlay animation");
    put_fixed_animation(rom, rom::flying_piece_script, small, "flying piece animation");
    put_fixed_animation(rom, rom::bar_portrait, small, "boss bar portrait animation");
    return p;
}

// State tables, one per way of taking hits (see the top of the file).
struct state_tables {
    uint32_t platform, standing, entering, appearing;
};

state_tables plant_state_tables(rom_builder& rom, block& b) {
    state_tables t{};
    // Kinds 0 to 8: states 0-5 and 8-18 seek; 6/7 the platform enemies' hit
    // reaction, 19-22 their stun and knock-back, 23-26 their defeat.
    t.platform = b.longs(
        {entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_07A976, entry::sub_07A976, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_07A68D,
         entry::sub_07A68D, entry::sub_07A6B9, entry::sub_07A6CC, entry::sub_07A70C, entry::sub_07A725,
         entry::sub_07A72D, entry::sub_07A73B},
        "crowd state table: platform hit reaction");
    // Kinds 9 to 14: seek; a hit takes the platform enemies' hit reaction,
    // which clears the hit mark and, making the enemy untouchable, goes on to
    // state 19 (21 in the air): there it swings back (an attack pattern whose
    // box reaches no one) and is touchable again once recovered, seeking. They
    // fall away when beaten.
    t.standing = b.longs(
        {entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_07A976, entry::sub_07A777, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06B09E,
         entry::sub_06B09E, entry::sub_06B09E, entry::sub_06B09E},
        "crowd state table: standing");
    // Kinds 19 to 36: the scripted entrance first, then they seek; a hit
    // takes the platform enemies' hit reaction, which clears the hit mark
    // and, making the enemy untouchable, goes on to state 19 (21 in the air):
    // there the enemy comes in again by its entrance, touchable once in. They
    // fall away when beaten.
    t.entering = b.longs(
        {entry::sub_073716, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_07A976, entry::sub_07A777, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
         entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_073716,
         entry::sub_073716, entry::sub_073716, entry::sub_073716},
        "crowd state table: entrance");
    // Kind 12: it grows in at the player's start spot and stands there.
    rom.put32(rom::grow_table, continuation::grow_in_step, "grow-in sub-states");
    t.appearing = b.longs({entry::sub_06AFAA, entry::sub_06A333, entry::sub_06A333, entry::sub_06A333,
                           entry::sub_06A333, entry::sub_06A333, entry::sub_06A333, entry::sub_07A777},
                          "crowd state table: grow-in");
    return t;
}

// The platform enemies' per-type entries of AI types 7 and 8, for the kinds
// of those numbers. The tables hold one entry per AI type for the whole game:
// types 0 and 3 are stage 1's pacer and stalker, and types 1, 2 and 4 to 6
// are stage 3's generic-AI enemies (generic_ai.cpp), whose entries the
// crowd's kinds of those numbers use too.
void plant_platform_entries(rom_builder& rom, const pictures& p) {
    using namespace platform_ai;
    const char* what = "platform enemy tables: crowd kinds";
    for (uint32_t t : {7u, 8u}) {
        rom.put32(rom::ai_defeat_animations + 4 * t, p.fall, what);
        rom.put32(rom::ai_stun_animations + 4 * t, p.hurt, what);
        rom.put32(rom::ai_knockback_animations + 4 * t, p.hurt, what);
        rom.put8(rom::ai_landing_states + t, 1, what);
        rom.put8(rom::ai_hit_sounds + t, 0, what);
        rom.put8(rom::ai_tally_categories + t, uint8_t(kFirstTally + t), what);
    }
}

// The kinds' state records, at the addresses their set-ups name, with the
// tables they share.
void plant_records(rom_builder& rom, block& b, const pictures& p, const state_tables& t) {
    // Animation sets: appearance (or the entrance animations by command),
    // seek, walk frames, (unused), attack animations (none).
    const uint32_t entrance_animations =
        b.longs({p.entrance, p.entrance, p.fall, p.entrance, p.stand, p.stand, p.stand},
                "crowd entrance animations by command");
    const uint32_t attack_animations = b.longs({p.swing}, "crowd attack animations by pattern");
    const uint32_t animation_set =
        b.longs({p.stand, p.stand, p.stand, 0, attack_animations}, "crowd animation set");
    const uint32_t entrance_set =
        b.longs({entrance_animations, p.stand, p.stand, 0, 0}, "crowd animation set: entrance");
    const uint32_t idle = b.longs({p.stand, p.hurt}, "crowd idle animations");
    const uint32_t aside_set = b.longs({p.aside, p.aside, p.aside, 0, 0}, "crowd animation set: kind 12");
    const uint32_t aside_idle = b.longs({p.aside, p.aside}, "crowd idle animations: kind 12");
    const uint32_t velocities = b.take(22);  // zero: the crowd does not steer
    const uint32_t ranks = b.take(16);
    // Rank bytes of 4: the swing back winds up for a frame or a few, and
    // recovers in 4.
    for (uint32_t r = 0; r < 16; ++r) rom.put8(ranks + r, 4, "crowd rank bytes");
    // The swing back's one pattern at every rank step: value 0; hit frame 1,
    // its box (by address) far behind the enemy, where no one stands.
    b.align(2);
    const uint32_t values = b.take(34);
    for (uint32_t r = 0; r < 16; ++r) rom.put16(values + 2 * r, 32, "crowd pattern values");
    rom.put16(values + 32, 0, "crowd pattern values");
    const uint32_t far_box = b.words({uint16_t(-8), 16, 1000, 8}, "crowd swing box");
    const uint32_t attacks = b.take(6);
    rom.put8(attacks, 1, "crowd pattern attacks");
    rom.put8(attacks + 1, 0, "crowd pattern attacks");
    rom.put32(attacks + 2, far_box, "crowd pattern attacks");
    b.align(2);
    const uint32_t offsets = b.take(64);
    for (uint32_t i = 0; i < 16; ++i) rom.put16(offsets + 4 * i, 104, "crowd approach offsets");
    const uint32_t params = b.bytes({48}, "crowd behaviour parameters");
    for (uint32_t i = 0; i < 22; ++i) rom.put8(velocities + i, 0, "crowd direction velocities");

    for (const kind& k : kKinds) {
        if (k.number == 3) continue;  // the stalker's record is stage 1's
        const char* r = "enemy state record: crowd";
        const bool aside = k.number == kGrowingKind;
        const uint32_t table = aside            ? t.appearing
                               : k.number <= 8  ? t.platform
                               : k.number <= 14 ? t.standing
                                                : t.entering;
        rom.put32(k.record + 0, table, r);
        rom.put32(k.record + 4, aside ? aside_set : k.number >= 19 ? entrance_set : animation_set, r);
        rom.put32(k.record + 8, aside ? aside_idle : idle, r);
        rom.put32(k.record + 12, velocities, r);
        rom.put32(k.record + 20, ranks, r);
        rom.put32(k.record + 44, offsets, r);
        rom.put32(k.record + 48, params, r);
        if (k.number >= 9 && k.number <= 14) {
            rom.put32(k.record + 28, values, r);
            rom.put32(k.record + 36, attacks, r);
        }
        // Companion right under the enemy.
        rom.put16(k.companion, 0, "companion data: crowd");
        rom.put16(k.companion + 2, 0, "companion data: crowd");
    }
}

// What the set-ups bring: kind 2's parts, the overlays, the boss bars.
void plant_children(rom_builder& rom, const pictures& p) {
    // Kind 2's three parts stand beside, behind and above where it was set up.
    const std::array<std::array<int16_t, 4>, 3> parts = {{{-40, 0, 0, 0}, {40, -8, 0, 0}, {0, 0, 48, 0}}};
    for (uint32_t n = 0; n < 3; ++n) {
        const uint32_t e = rom::kind2_part_entries + 12 * n;
        rom.put32(e, p.part, "kind-2 parts");
        for (uint32_t w = 0; w < 4; ++w) rom.put16(e + 4 + 2 * w, uint16_t(parts[n][w]), "kind-2 parts");
    }
    rom.put32(rom::kind2_part_states, continuation::kind2_part_standing, "kind-2 part states");
    rom.put32(rom::kind2_part_states + 4, continuation::kind2_part_zoomed, "kind-2 part states");
    // The entrance's command and running-step tables.
    const std::array<uint32_t, 7> commands = {
        continuation::entrance_from_left,   continuation::entrance_from_right,
        continuation::entrance_drop,        continuation::entrance_from_front,
        continuation::entrance_camera_wait, continuation::entrance_timed_wait,
        continuation::entrance_end};
    for (uint32_t c = 0; c < commands.size(); ++c)
        rom.put32(rom::entrance_commands + 4 * c, commands[c], "entrance commands");
    const std::array<uint32_t, 3> steps = {continuation::entrance_height_step,
                                           continuation::entrance_camera_step,
                                           continuation::entrance_timer_step};
    for (uint32_t n = 0; n < steps.size(); ++n)
        rom.put32(rom::entrance_steps + 4 * n, steps[n], "entrance steps");
    // The overlays show while their enemy plays the seek animation.
    for (uint32_t list : {rom::big_overlay_scripts, rom::side_overlay_scripts}) {
        rom.put32(list, p.stand, "overlay script list");
        rom.put32(list + 4, 0xFFFFFFFF, "overlay script list");
    }
    rom.put16(rom::side_overlay_companion, 0, "kinds 5/6 overlay companion data");
    rom.put16(rom::side_overlay_companion + 2, 0, "kinds 5/6 overlay companion data");
    // Boss bar names and portrait frames of the kinds with a bar.
    struct named {
        uint8_t kind;
        const char* name;
    };
    // The names lie within reach of their s16 offsets: in the free bytes
    // after the offsets of the 37 subjects, around the boss's name.
    block before_boss(rom, kBarNamesFree, kBossBarName, "crowd boss bar names");
    block after_boss(rom, kBossBarNameEnd, rom::bar_colours, "crowd boss bar names");
    for (const named& n : {named{1, "GRUNT"}, named{6, "TWIN"}, named{7, "HULK"}, named{8, "BRUTE"},
                           named{9, "SPIKE"}, named{12, "WARDEN"}, named{13, "TITAN"}, named{14, "GIANT"}}) {
        const uint32_t text = (n.kind < 8 ? before_boss : after_boss).text(n.name, "boss bar names");
        const uint32_t entry = rom::bar_names + 2 * n.kind;
        rom.put16(entry, uint16_t(text - entry), "boss bar name offsets");
        rom.put8(rom::bar_portrait_frames + n.kind, 0, "boss bar portrait frames");
    }
}

// Stage 2: its object lists, its spawn list and the area's camera script
// and player start row.
void plant_stage2(rom_builder& rom, block& b) {
    // One 256-byte object, the spawn generator; no 128- or 64-byte ones.
    const uint32_t crowd_objects = put_object_list(b, {entry::sub_066200}, {}, {}, "stage 2 area 1 objects");
    rom.put32(rom::camera_script_table + 4 * kStage2Area1, rom.program32(rom::camera_script_table),
              "camera scripts: stage 2 area 1");
    rom.put16(rom::player_start_y + 2 * kStage2Area1, 600, "player start y: stage 2 area 1");

    // The list first: a record's data offset is added to the address of its
    // +8 field as an unsigned word, so its data lies after it.
    b.align(2);
    const uint32_t list = b.take(10 * uint32_t(kKinds.size()) + 1);
    // The spawn data: the entrances by kind (a command, then its parameter),
    // kind 9's sub-state byte, kinds 7 and 8's word.
    const std::array<uint8_t, 7> commands = {0, 1, 2, 3,
                                             4, 5, 6};  // left, right, drop, front, camera, timer, none
    std::vector<uint32_t> data(kKinds.size(), 0);
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const uint8_t n = kKinds[i].number;
        if (n >= 19) {
            const uint8_t c = commands[(n - 19) % commands.size()];
            const uint16_t parameter = c == 5 ? 40 : 0;  // the timed wait: 40 frames
            data[i] = b.bytes({c, uint8_t(parameter), uint8_t(parameter >> 8)}, "crowd entrance scripts");
        } else if (n == 9) {
            data[i] = b.bytes({0}, "kind 9 spawn data");
        } else if (n == 7 || n == 8) {
            data[i] = b.bytes({0, 0, 0, 0}, "kinds 7 and 8 spawn data");
        }
    }
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const char* what = "crowd spawn record";
        const uint32_t a = list + 10 * uint32_t(i);
        const uint8_t type = kKinds[i].number == 3 ? 1 : uint8_t(kFirstSpawnType + i);
        rom.put8(a, type, what);
        rom.put8(a + 1, kKinds[i].number == kBossKind ? kBossRecord : kAnyPlayerCount, what);
        rom.put16(a + 2, 0, what);
        rom.put16(a + 4, kSpotX, what);
        rom.put16(a + 6, kSpotY, what);
        rom.put16(a + 8, uint16_t(data[i] ? data[i] - (a + 8) : 0), what);
        if (kKinds[i].number != 3)
            rom.put32(rom::spawn_routine_table + 4 * type, kKinds[i].setup,
                      "spawn routine table: crowd kinds");
    }
    rom.put8(list + 10 * uint32_t(kKinds.size()), 0x80, "crowd spawn list end");
    stage_areas::plant_area(rom, stage_areas::kStage2, 1, crowd_objects, list);
}

}  // namespace

void plant_crowd(rom_builder& rom) {
    block b(rom, kData, kDataEnd, "crowd");
    const pictures p = plant_animations(rom);
    const state_tables t = plant_state_tables(rom, b);
    plant_platform_entries(rom, p);
    plant_records(rom, b, p, t);
    plant_children(rom, p);
    plant_stage2(rom, b);
}

}  // namespace synthetic
