// Synthetic ROM data: what the run-ending paths need that no other area plants.
//
// The characters' specials launch their kinds of attack object (the carried
// box, the beam, the sweep, the wave), whose first runs hit what stands
// beside their player.
//
// Stage 1 area 2 lists the player indicators' starter and the three
// playfield effect objects: two that wait for a player's touch and one that
// drifts across the playfield. The play run comes there through the area
// change with fade while its slot counts down; a run ending starts it as the
// area with placed objects it is (its one placed object: placed_area.cpp). The
// objects' tables stand at the game's fixed addresses; the list and the
// indicator layouts are ours, at 0x11A000-0x11BFFF. The area's music is the
// command after which the sound board rings the main processor's sound
// interrupt.
//
// Stage 3 area 2 is the play-over area: its spawn generator's boss record
// sets up a drifting object whose going wins the area and ends the play. Its
// camera script waits for that with nobody to follow, and with four player
// slots the demos play it with no player, so that the won area changes by
// zoom on to area 3 (stage 3 gets its own descriptor, stage 1's with a
// record for area 3).
#include <array>
#include <cstdint>
#include <stdexcept>

#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// What the carried box (the first character's) and the wave (the fourth's)
// read in their first run.
constexpr uint32_t kCarriedAnimation = 0x12DCDF;
constexpr uint32_t kSparkPixels = 0x7E2000;  // the enemies' hit spark picture, 16 x 16

// Both kinds hit what stands 100 units (25 pixels) ahead of their player,
// where the stalker of stage 1 area 1 stands beside it.
constexpr int16_t kReach = 100;
constexpr uint8_t kStrength = 4;

// A one-frame looping animation at `script`, its frame right after it: the
// hit spark's picture, no body box of its own.
void put_one_frame_animation(rom_builder& rom, uint32_t script, const char* what) {
    const uint32_t frame = script + 5;
    put_script(rom, script, 8, {frame}, -2, what);
    put_frame(rom, frame, part(kSparkPixels, 16, 16, 0x0120), {{0, 1, 0, 1}}, what);
}

// Object routines the list names.
// sub_084F08 indicator starter
// sub_0770E0 touch vertical; type 55
// sub_0771A2 touch flat; type 56
// sub_077270 drifter; type 57

// The indicators' animation script.
constexpr uint32_t kIndicatorScript = 0x13183E;

// Stage 3 area 2: the spawn generator, and a spawn type of ours for the
// drifting object.
// sub_066200 spawn generator
constexpr uint8_t kSpawnDrifter = 105;

// Where our camera script and stage 3's descriptor go.
constexpr uint32_t kPlayOverCamera = 0x11B080;
constexpr uint32_t kStage3Descriptor = 0x11B100;

// Our block.
constexpr uint32_t kData = kEvenAreaObjects, kDataEnd = 0x11C000;
constexpr uint32_t kEffectPixels = 0x7F4000, kIndicatorPixels = 0x7F5000;

}  // namespace

void plant_endings(rom_builder& rom) {
    // Attack-object type routines (32-bit by object type): the kinds the player
    // controller launches are types 4-7 (character + 4): the first
    // character's the carried box, the second's the beam, the third's the
    // sweep, the fourth's the wave; each lives on after its first run.
    const std::array<uint32_t, 4> kinds = {continuation::attack_carried, continuation::attack_beam,
                                           continuation::attack_sweep, continuation::attack_wave};
    for (uint32_t type = 4; type < 8; ++type)
        rom.put32(rom::attack_type_routines + 4 * type, kinds[type - 4],
                  "attack-object type routines, the launched kinds");

    // The carried box: 16 x 16 pixels on the ground plane, kReach ahead of its
    // player by direction code (codes 0-15 facing greater x, 16-31 smaller x;
    // the ground states' codes), hitting with strength kStrength.
    rom.put8(rom::aimed_strength + 0, kStrength, "aimed attack strength: first character");
    put_box(rom, rom::carried_box, {-8, 16, -8, 16}, "carried attack box");
    for (uint32_t code = 0; code < 32; ++code) {
        const bool ahead_right = code < 16;
        rom.put8(rom::carried_mirror + code, ahead_right ? 1 : 0, "carried attack mirror by direction code");
        rom.put16(rom::carried_offsets + 4 * code, static_cast<uint16_t>(ahead_right ? kReach : -kReach),
                  "carried attack offsets by direction code");
        rom.put16(rom::carried_offsets + 4 * code + 2, 0, "carried attack offsets by direction code");
    }
    put_one_frame_animation(rom, kCarriedAnimation, "carried attack animation");

    // The wave: placed kReach ahead of its player (the offset is negated for
    // a player facing greater x, whose mirror bit is set), on the ground (the
    // height offset makes up for the player's launch offset word +104, -16,
    // which counts 4 times), hitting with strength kStrength; its fixed box a
    // small one at its foot.
    rom.put8(rom::placed_strength + 3, kStrength, "placed attack strength: fourth character");
    rom.put16(rom::placed_offsets + 4 * 3, static_cast<uint16_t>(-kReach),
              "placed attack offsets: fourth character");
    rom.put16(rom::placed_offsets + 4 * 3 + 2, 64, "placed attack offsets: fourth character");
    put_box(rom, rom::wave_box, {-2, 4, -4, 4}, "wave attack box");
    put_one_frame_animation(rom, rom::wave_animation, "wave attack animation");

    // Stage 1 area 2's music: the command after which the sound board rings
    // the main processor's sound interrupt.
    rom.put8(rom::area_music + 1, kRaiseCommand, "area music: stage 1 area 2");

    // --- Stage 1 area 2's objects ---------------------------------------------
    block b(rom, kData, kDataEnd, "flow objects");
    b.bytes({0}, "stage 1 area 2 objects: no 256-byte objects");
    b.bytes({4}, "stage 1 area 2 objects: four 128-byte objects");
    for (uint32_t r : {entry::sub_084F08, entry::sub_0770E0, entry::sub_0771A2, entry::sub_077270})
        for (int i = 0; i < 4; ++i) b.bytes({uint8_t(r >> (8 * i))}, "stage 1 area 2 objects: routines");
    b.bytes({0}, "stage 1 area 2 objects: no 64-byte objects");

    // State tables: each state's address in the routine, in state order.
    auto states = [&](uint32_t table, std::array<uint32_t, 3> at, const char* what) {
        for (uint32_t s = 0; s < 3; ++s) rom.put32(table + 4 * s, at[s], what);
    };
    states(rom::touch55_states, {0x077100, 0x077123, 0x077154}, "type-55 touch object: state table");
    states(rom::touch56_states, {0x0771C4, 0x0771E7, 0x077222}, "type-56 touch object: state table");
    states(rom::drifter_states, {0x077290, 0x077304, 0x07730D}, "drifting object: state table");
    // The drifter's parameter byte picks its way: 0 in from the left moving
    // right, 1 in from the right moving left (mirrored), 2 standing.
    states(rom::drifter_directions, {0x0772E0, 0x0772EA, 0x0772D8}, "drifting object: direction table");

    // Boxes: the touch boxes 16 pixels either side and 32 up (or 16 deep);
    // the strikes 24 pixels either side. Both strikes: kind 1, strength 40.
    put_box(rom, rom::touch55_box, {-16, 32, -32, 32}, "type-55 touch box");
    put_box(rom, rom::strike55_box, {-24, 48, -40, 40}, "type-55 strike box");
    put_box(rom, rom::touch56_box, {-16, 32, -8, 16}, "type-56 touch box");
    put_box(rom, rom::strike56_box, {-24, 48, -12, 24}, "type-56 strike box");
    rom.put16(rom::strike_word, 0x1000 | 40, "touch objects' strike word");

    // Pictures: a 16 x 16 square for the effects, a 16 x 8 bar for the
    // indicators. Each script's frame stands right after it (the two waiting
    // scripts, seven bytes apart, share the second one's frame).
    put_picture(rom, kEffectPixels, 16, 16, 12, 13);
    put_picture(rom, kIndicatorPixels, 16, 8, 14, 14);
    const auto square = part(kEffectPixels, 16, 16, 0x0150);
    const auto bar = part(kIndicatorPixels, 16, 8, 0x0160);
    const std::vector<box> body = {{-8, 16, -16, 16}};
    const uint32_t waiting_frame = rom::touch56_waiting_script + 5;
    put_frame(rom, waiting_frame, square, body, "touch objects' waiting frame");
    put_script(rom, rom::touch55_waiting_script, 8, {waiting_frame}, -2, "type-55 waiting animation");
    put_script(rom, rom::touch56_waiting_script, 8, {waiting_frame}, -2, "type-56 waiting animation");
    // Triggered: two steps (the strike on the second), then stopped.
    for (uint32_t s : {rom::touch55_triggered_script, rom::touch56_triggered_script}) {
        const uint32_t frame = s + 7;
        put_frame(rom, frame, square, body, "touch objects' triggered frame");
        put_script(rom, s, 6, {frame, frame}, -1, "touch objects' triggered animation");
    }
    put_frame(rom, rom::drifting_script + 5, square, body, "drifting object's frame");
    put_script(rom, rom::drifting_script, 8, {rom::drifting_script + 5}, -2, "drifting object's animation");
    put_frame(rom, kIndicatorScript + 5, bar, {{0, 1, 0, 1}}, "indicator frame");
    put_script(rom, kIndicatorScript, 8, {kIndicatorScript + 5}, -2, "indicator animation");

    // --- Stage 3 area 2: play over --------------------------------------------
    // The generator and the indicators' starter; one boss record whose flags
    // byte is negative (its object gone, the area is won and the play over):
    // a drifting object that comes in from the left to pass x 640 (160
    // pixels) on the playfield line, shows, and leaves the screen on the right.
    {
        block p(rom, kPlayOverObjects, kPlayOverSpawns, "play-over objects");
        p.bytes({1}, "stage 3 area 2 objects: the spawn generator");
        for (int i = 0; i < 4; ++i)
            p.bytes({uint8_t(entry::sub_066200 >> (8 * i))}, "stage 3 area 2 objects: routines");
        p.bytes({1}, "stage 3 area 2 objects: the indicators' starter");
        for (int i = 0; i < 4; ++i)
            p.bytes({uint8_t(entry::sub_084F08 >> (8 * i))}, "stage 3 area 2 objects: routines");
        p.bytes({0}, "stage 3 area 2 objects: no 64-byte objects");
        // Stage 1 area 1's generator runs on after the area change with fade and
        // walks the new area's list with its own two counters: the first two
        // records are ordinary ones (for any number of players) that no camera
        // sweep reaches here, in the places of its stalker and pacer.
        block l(rom, kPlayOverSpawns, kPlayOverSpawns + 0x30, "play-over spawns");
        for (int i = 0; i < 2; ++i) {
            l.bytes({kSpawnDrifter, 0x1E}, "stage 3 area 2 spawn list: a record out of reach");
            l.words({0x7FFF, 0x7FFF, 600, 0}, "stage 3 area 2 spawn list: a record out of reach");
        }
        const uint32_t record =
            l.bytes({kSpawnDrifter, 0x80}, "stage 3 area 2 spawn list: the drifter, play over");
        l.words({0, 640, 600}, "stage 3 area 2 spawn list: trigger x, x, y");
        l.words({3}, "stage 3 area 2 spawn list: data offset");  // from itself to the byte after the end mark
        l.bytes({0x80}, "stage 3 area 2 spawn list end");
        const uint32_t parameter = l.bytes({0}, "drifter's parameter: in from the left");
        if (parameter != record + 8 + 3) throw std::logic_error("play-over spawn data moved");
        rom.put32(rom::spawn_routine_table + 4 * kSpawnDrifter, entry::sub_077270,
                  "spawn routine table: drifting object");
    }

    // Stage 3 area 2's camera script: a gate at x 0 that opens for any number
    // of enemies, then the end mark and limits that keep the camera at 0, 0.
    // With nobody to follow, the camera stays below x 64 and the controller
    // walks the script in its states 1, 2 and 3 alike, each meeting an end
    // mark moving it on: the gate and end come three times, and the last
    // thresholds are those the controller waits with for the area to be won.
    {
        block c(rom, kPlayOverCamera, kPlayOverCamera + 0x50, "play-over camera script");
        const uint32_t script = c.words({0, 0, 0, 0}, "stage 3 area 2 camera script: limits");
        c.bytes({1, 0}, "stage 3 area 2 camera script: hold, byte");
        for (int round = 0; round < 3; ++round) {
            c.words({0}, "stage 3 area 2 camera script: gate x");
            c.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "stage 3 area 2 camera script: gate thresholds");
            c.words({0x8000}, "stage 3 area 2 camera script: end mark");
            c.words({0, 0, 0, 0}, "stage 3 area 2 camera script: final limits");
            c.bytes({1, 0}, "stage 3 area 2 camera script: final hold, byte");
        }
        c.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "stage 3 area 2 camera script: final thresholds");
        rom.put32(rom::camera_script_table + 4 * ((3 - 1) * 5 + 2 - 1), script,
                  "camera scripts: stage 3 area 2");
    }
    // Stage 3's descriptor: stage 1's (graphics, playfield selectors, the
    // records of areas 0 to 2) and a record for area 3 like area 2's, which
    // the in-game flow sets up when the area changes by zoom from area 2.
    {
        constexpr uint32_t kRecords = 16, kRecordSize = 36;
        const uint32_t stage1 = rom.program32(rom::stage_descriptor_table + 4 * 1);
        block d(rom, kStage3Descriptor, kStage3Descriptor + kRecords + 4 * kRecordSize, "stage 3 descriptor");
        for (uint32_t i = 0; i < kRecords + 3 * kRecordSize; ++i)
            d.bytes({rom.program8(stage1 + i)}, "stage 3 descriptor: stage 1's");
        for (uint32_t i = 0; i < kRecordSize; ++i)
            d.bytes({rom.program8(stage1 + kRecords + 2 * kRecordSize + i)},
                    "stage 3 descriptor: area 3 record");
        rom.put32(rom::stage_descriptor_table + 4 * 3, kStage3Descriptor, "stage descriptors: stage 3");
    }

    // With four player slots the demos play stage 3 area 2 with nobody in
    // play: the area is won once its drifting object has gone, and with no
    // slot in play or out the in-game flow takes the area change by zoom on
    // to the next area.
    for (uint32_t d = 0; d < 4; ++d) {
        rom.put8(kPlayerlessDemoRows + 4 * d, 3, "playerless demo rows: stage");
        rom.put8(kPlayerlessDemoRows + 4 * d + 1, 2, "playerless demo rows: area");
        rom.put16(kPlayerlessDemoRows + 4 * d + 2, 0, "playerless demo rows: no slots");
    }

    // Indicators: by player-count setting (2, 3, 4 slots) a row of places
    // along the top of the screen under the panels; size bits 8 high and 16
    // wide; colours 1, 2, 3 by reason (countdown, special, low energy).
    for (uint32_t n = 0; n < 3; ++n) {
        b.align(4);
        const uint32_t slots = n + 2;
        const uint32_t places = b.here();
        for (uint32_t s = 0; s < slots; ++s)
            b.words({uint16_t(40 + 240 * s / (slots - 1)), 40}, "indicator places: x, y per slot");
        rom.put32(rom::indicator_layouts + 4 * n, places, "indicator layouts by player count");
    }
    rom.put16(rom::indicator_height, 8, "indicator part height");
    rom.put16(rom::indicator_width, 16, "indicator part width");
    for (uint32_t reason = 0; reason < 3; ++reason)
        rom.put16(rom::indicator_colours + 2 * reason, uint16_t(0x0170 + 0x10 * reason),
                  "indicator colours by reason");
}

}  // namespace synthetic
