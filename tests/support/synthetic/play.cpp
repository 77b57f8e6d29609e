// Synthetic ROM data: play, from coin-up to game over.
//
// Our own data lives at 0x110000-0x1107FF (scripts, the frame, lists, texts,
// the stage and its camera); everything else is written at the fixed
// addresses the game reads.
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_graphics.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// Every table indexed by character c (0-3) gets the same value four times.
void per_character32(rom_builder& rom, uint32_t table, uint32_t value, const char* what) {
    for (uint32_t c = 0; c < 4; ++c) rom.put32(table + 4 * c, value, what);
}
void per_character8(rom_builder& rom, uint32_t table, uint8_t value, const char* what) {
    for (uint32_t c = 0; c < 4; ++c) rom.put8(table + c, value, what);
}

// Object routines the lists name.
// sub_062B7D select controller
// sub_062CCF place marker
// sub_062C06 cursor
// sub_089800 intro controller
// sub_08595F camera controller
// sub_066200 spawn generator
// Stage 0's per-area list table, shared with the attract screens (which
// fill area 0, the title's background scene).
constexpr uint32_t kStage0ObjectLists = 0x13BFF0;

}  // namespace

void plant_play(rom_builder& rom) {
    // Animation scripts from 0x110000, the frame they show at 0x110100 (script
    // entries are positive offsets), everything else from 0x110200.
    constexpr uint32_t kFrame = 0x110100;
    block scripts(rom, 0x110000, kFrame, "play animation scripts");
    block b(rom, 0x110200, 0x110800, "play");

    // --- Pictures -----------------------------------------------------------
    // One frame definition shared by every figure: a single 16 x 16 sprite
    // part standing on the object's position, then its body box list (one box
    // 16 pixels wide around the position, 8 high).
    {
        block f(rom, kFrame, 0x110200, "figure frame");
        f.bytes({1}, "figure frame: part count");
        f.packed<uint16_t>({0x0000, 0x1004, 16, 16, uint16_t(-16), 0, 0x0000, 0x0010},
                           "figure frame: sprite part");
        f.bytes({1, uint8_t(-8), 16, uint8_t(-4), 8}, "figure frame: body box list");
    }
    // Animation scripts: a duration byte, then `steps` offset words to the
    // frame, then an end word (-2 loops back to entry 0, -1 stops).
    auto script = [&](uint8_t duration, int steps, int16_t end, const char* what) {
        const uint32_t start = scripts.bytes({duration}, what);
        for (int k = 0; k < steps; ++k) scripts.packed<uint16_t>({uint16_t(kFrame - scripts.here())}, what);
        scripts.packed<uint16_t>({uint16_t(end)}, what);
        return start;
    };
    // Standing, walking, being hurt, portraits, cursors: two steps in a loop.
    const uint32_t loop = script(8, 2, -2, "looping animation");
    // Attacks, jumps, landings, grabs, specials: three steps, then stopped.
    const uint32_t once = script(4, 3, -1, "animation played once");
    // Defeat: six steps, then stopped (the controller waits for step 4).
    const uint32_t defeat = script(4, 6, -1, "defeat animation");

    // --- Character select -----------------------------------------------------
    // Objects the selection controller creates: five place markers (types 0-4)
    // and four cursors (types 0-3, one per slot).
    {
        const uint32_t t = rom::select_objects;
        rom.put8(t, 9, "select objects: count");
        for (uint32_t n = 0; n < 9; ++n) {
            rom.put32(t + 1 + 5 * n, n < 5 ? entry::sub_062CCF : entry::sub_062C06,
                      "select objects: routine");
            rom.put8(t + 5 + 5 * n, uint8_t(n < 5 ? n : n - 5), "select objects: type");
        }
    }
    // Cursor type n belongs to the player record at 0x208000 + 0x2000 + 0x100n.
    for (uint32_t n = 0; n < 4; ++n)
        rom.put16(rom::cursor_players + 2 * n, uint16_t(0x2000 + 0x100 * n), "cursor player records");
    // Six layouts: place p shows character p (the fifth place, character 0),
    // and character c sits on place c.
    for (uint32_t l = 0; l < 6; ++l) {
        for (uint32_t p = 0; p < 5; ++p)
            rom.put8(rom::place_characters + 5 * l + p, uint8_t(p & 3), "character at place");
        for (uint32_t c = 0; c < 4; ++c)
            rom.put8(rom::character_places + 4 * l + c, uint8_t(c), "place of character");
    }
    per_character32(rom, rom::select_portraits, loop, "portrait animations");
    for (uint32_t p = 0; p < 5; ++p) {
        rom.put16(rom::marker_positions + 4 * p, uint16_t(40 + 60 * p), "marker positions: x");
        rom.put16(rom::marker_positions + 2 + 4 * p, 120, "marker positions: y");
    }
    for (uint32_t p = 0; p < 4; ++p) {
        rom.put16(rom::cursor_positions + 4 * p, uint16_t(40 + 60 * p), "cursor positions: x");
        rom.put16(rom::cursor_positions + 2 + 4 * p, 160, "cursor positions: y");
    }
    per_character32(rom, rom::cursor_scripts, loop, "cursor animations");
    per_character8(rom, rom::taken_sounds, 0x30, "sound when a character is taken");

    // --- Object lists by stage and area ------------------------------------------
    // Per stage a table of per-area list pointers. Stage 0 is the
    // menu scenes (area 0 title background, 1 ending, 2 character select,
    // 3 game over); stage 1 has its intro (area 0) and two areas.
    const uint32_t empty_list = put_object_list(b, {}, {}, {}, "empty object list");
    const uint32_t select_list = put_object_list(b, {entry::sub_062B7D}, {}, {}, "character-select objects");
    const uint32_t intro_list = put_object_list(b, {entry::sub_089800}, {}, {}, "stage 1 intro objects");
    // Area 1 runs the spawn generator, which walks the area's spawn list.
    const uint32_t area1_list = put_object_list(b, {entry::sub_066200}, {}, {}, "stage 1 area 1 objects");
    // (Area 2's own empty list stays planted here; the area takes the list of
    // the player indicators and the playfield effect objects, planted with the
    // run-ending data.)
    put_object_list(b, {}, {}, {}, "stage 1 area 2 objects");
    b.align(4);
    rom.put32(kStage0ObjectLists + 8, select_list, "stage 0 object lists: area 2, character select");
    rom.put32(kStage0ObjectLists + 12, empty_list, "stage 0 object lists: area 3, game over");
    const uint32_t stage1_areas =
        b.longs({intro_list, area1_list, kEvenAreaObjects}, "stage 1 object lists by area");
    rom.put32(rom::object_list_table, kStage0ObjectLists, "object lists: stage 0");
    rom.put32(rom::object_list_table + 4, stage1_areas, "object lists: stage 1");

    // --- Stage 1 intro -------------------------------------------------------------
    // (its actors, palette and title: the stage clear data)
    rom.put16(rom::intro_countdowns, 90, "stage intro countdown: stage 1");
    rom.put16(rom::intro_title_delays, 30, "stage intro title delay: stage 1");
    rom.put8(rom::intro_sounds + 1, 0x31, "stage intro sound: stage 1");

    // --- Stage 1: descriptor, areas, cameras ----------------------------------------
    // A map two pages wide and one high (page numbers 0 and 1), padded so that
    // the page picks may read past its last page.
    const uint32_t map = b.bytes({2, 1, 0, 1, 0, 0, 0, 0}, "stage 1 map header");
    b.align(4);
    // Camera script of area 1: limits up to 256 pixels right, one gate at
    // 256 pixels that always opens, then the final limits (up to 512 pixels).
    const uint32_t script1 = b.here();
    b.words({0, 0, 1024, 0}, "area 1 camera script: limits");
    b.bytes({1, 0}, "area 1 camera script: hold, byte");
    b.words({1024}, "area 1 camera script: gate x");
    b.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "area 1 camera script: gate thresholds");
    b.words({0x8000}, "area 1 camera script: end mark");
    b.words({0, 0, 2048, 0}, "area 1 camera script: final limits");
    b.bytes({1, 0}, "area 1 camera script: final hold, byte");
    b.bytes({0xFF, 0xFF, 0xFF, 0xFF}, "area 1 camera script: final thresholds");
    b.align(4);
    rom.put32(rom::camera_script_table, script1, "camera scripts: stage 1 area 1");
    rom.put32(rom::camera_script_table + 4, script1, "camera scripts: stage 1 area 2");
    // Stage descriptor: the graphics job that fills the map's pages,
    // playfield selector 3 (camera record 1) for every area, and per area the
    // camera controller with four cameras on the map: the playfield camera at the left edge, the background
    // layers 256 pixels right (they scroll in when the area starts).
    const uint32_t stage1 = b.longs({stage_graphics::kJobList, rom::graphics_source},
                                    "stage 1 descriptor: graphics job, source base");
    b.bytes({3, 3, 3, 3, 3, 3, 3, 3}, "stage 1 descriptor: playfield selectors");
    for (int area = 0; area < 3; ++area) {
        b.longs({entry::sub_08595F}, "stage 1 area record: controller");
        for (int k = 0; k < 4; ++k) {
            b.longs({map}, "stage 1 area record: camera map");
            b.words({uint16_t(k >= 2 ? 1024 : 0), 0}, "stage 1 area record: camera start");
        }
    }
    rom.put32(rom::stage_descriptor_table + 4, stage1, "stage descriptors: stage 1");

    // --- Players ------------------------------------------------------------------------
    // Start y of stage 1's areas: 150 pixels down, well inside the walkable band.
    for (uint32_t a = 0; a < 5; ++a) rom.put16(rom::player_start_y + 2 * a, 600, "player start y: stage 1");
    // Slot offsets: one row for every player-count setting, players 64 pixels apart.
    for (uint32_t n = 0; n < 4; ++n) rom.put8(rom::offset_rows + n, 0, "slot offset rows");
    for (uint32_t s = 0; s < 4; ++s) {
        rom.put16(rom::slot_offsets + 4 * s, uint16_t(256 * s), "slot offsets: x");
        rom.put16(rom::slot_offsets + 2 + 4 * s, uint16_t(64 * s), "slot offsets: y");
    }
    // Controller animations, the same for every character.
    for (uint32_t t : {rom::standing_anim, rom::placed_scripts, rom::weak_standing_anim, rom::idle_anim,
                       rom::walking_anim, rom::held_anim, rom::held_anim_b})
        per_character32(rom, t, loop, "player looping animations");
    for (uint32_t t : {rom::jump_anim, rom::fall_anim, rom::land_anim, rom::special_anim})
        per_character32(rom, t, once, "player animations played once");
    // The grabs are planted with the moves (every character throws).
    per_character32(rom, rom::defeat_anim, defeat, "player defeat animation");
    for (uint32_t k = 0; k < 16; ++k) rom.put32(rom::attack_anim + 4 * k, once, "player attack animations");
    for (uint32_t k = 0; k < 12; ++k) rom.put32(rom::hurt_anim + 4 * k, loop, "player hurt animations");
    // Walk steps by held direction bits (down, up, right, left in bits 0-3):
    // 8 quarter pixels a frame; going right or left also sets the facing.
    auto walk_table = [&](uint32_t table, const char* what) {
        for (uint32_t d = 0; d < 16; ++d) {
            const int dy = (d & 1) ? 8 : (d & 2) ? -8 : 0;
            const int dx = (d & 4) ? 8 : (d & 8) ? -8 : 0;
            const uint8_t code = (dx || dy) ? uint8_t(dx ? 0x81 : 0x01) : 0;
            rom.put8(table + 4 * d, code, what);
            rom.put8(table + 4 * d + 1, uint8_t(dx), what);
            rom.put8(table + 4 * d + 2, uint8_t(dy), what);
            rom.put8(table + 4 * d + 3, uint8_t(dx > 0 ? 0x40 : 0), what);
        }
    };
    walk_table(rom::player_walk_table, "ground walk steps");
    walk_table(rom::steer_table, "jump steering steps");
    walk_table(rom::drift_table, "jump attack drift steps");
    // Attacks: strike at step 1 of the attack animation; every action's box
    // reaches 32 pixels ahead of the player and 32 up, with strength 8 (12 for
    // the fourth blow of the chain). Boxes are drawn for a figure facing left
    // (decreasing x); the facing bit mirrors them.
    for (uint32_t a = 0; a < 10; ++a) rom.put8(rom::strike_frame + a, 1, "attack strike frames");
    const uint32_t attack_boxes = b.here();
    for (uint32_t a = 0; a < 10; ++a) b.bytes({uint8_t(-32), 32, uint8_t(-32), 32}, "attack boxes");
    const uint32_t strengths = b.bytes({8, 8, 8, 12, 8, 8, 8, 8, 8, 8}, "attack strengths");
    const uint32_t swing_sounds =
        b.bytes({0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40}, "swing sounds");
    const uint32_t connect_sounds =
        b.bytes({0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41}, "connect sounds");
    b.align(4);
    per_character32(rom, rom::attack_boxes, attack_boxes, "attack box tables");
    per_character32(rom, rom::attack_strengths, strengths, "attack strength tables");
    per_character32(rom, rom::swing_sounds, swing_sounds, "swing sound tables");
    per_character32(rom, rom::connect_sounds, connect_sounds, "connect sound tables");
    // The grab probe: a box 8 pixels ahead, 16 up.
    per_character32(rom, rom::grab_box, 0x10F008F8u, "grab probe boxes");
    // The special stays on the ground (state 21: a strike at step 1 with the
    // box that follows); button 1 at the top of a jump makes a jump attack
    // (the second character's is planted with the moves: the arc).
    per_character8(rom, rom::special_state, 1, "special states");
    rom.put8(rom::special_strike, 1, "special strike frame");
    rom.put32(rom::special_strike + 1, 0x20E020E0u, "special strike box");
    for (uint32_t c : {0u, 2u, 3u})
        rom.put8(rom::top_state + c, 32, "state of button 1 at the top of a jump");

    // --- Panels -------------------------------------------------------------------------------
    // Per-slot cells, entries 0-1 for two slots, 2-4 for three, 5-8 for four;
    // the slots share the width of the screen.
    auto cell = [](uint32_t row, uint32_t col) { return uint16_t(0xF000 + (row * 64 + col) * 2); };
    const uint32_t columns[9] = {2, 22, 2, 15, 28, 1, 11, 21, 31};
    for (uint32_t e = 0; e < 9; ++e) {
        rom.put16(rom::message_cells + 2 * e, cell(0, columns[e]), "slot name, prompt and message cells");
        rom.put16(rom::credit_cells + 2 * e, cell(1, columns[e]), "slot credit and energy line cells");
        rom.put16(rom::small_count_cells + 2 * e, cell(2, columns[e] + 6), "slot continue countdown cells");
    }
    rom.put16(rom::message_cells + 2 * 10, cell(27, 10), "requirement line cell");
    const char* names[4] = {"RED", "BLUE", "GREEN", "GOLD"};
    for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t name = b.bytes({0x02}, "character names: attribute");
        b.text(names[c], "character names");
        rom.put32(rom::character_names + 4 * c, name, "character names");
    }
    rom.put_bytes(rom::energy_label, bytes{0x03, 'E', 0}, "energy label");
    const uint32_t out_message = b.bytes({0x04}, "energy-out message: attribute");
    b.text("OUT", "energy-out message");
    const uint32_t leave_message = b.bytes({0x04}, "leaving message: attribute");
    b.text("GAME OVER", "leaving message");
    b.align(4);
    for (uint32_t e = 0; e < 2; ++e) {
        rom.put32(rom::energy_out + 4 * e, out_message, "energy-out message pair");
        rom.put32(rom::leaving_messages + 4 * e, leave_message, "leaving message pair");
    }
    // Continue headings above the big countdown (rows 12 and 13).
    rom.put16(rom::continue_headings[0], cell(12, 16), "continue heading: cell");
    rom.put8(rom::continue_headings[0] + 2, 0x05, "continue heading: attribute");
    rom.put_text(rom::continue_headings[0] + 3, "CONTINUE", "continue heading");
    rom.put16(rom::continue_headings[1], cell(13, 14), "second continue heading: cell");
    rom.put8(rom::continue_headings[1] + 2, 0x05, "second continue heading: attribute");
    rom.put_text(rom::continue_headings[1] + 3, "PRESS BUTTON", "second continue heading");
    // Big digits: two cells by three rows; the digit's character stands in
    // the top row, the rows below stay empty; entry 10 is blank.
    for (uint32_t d = 0; d < 11; ++d) {
        const uint32_t glyph = d < 10 ? uint32_t('0' + d) | uint32_t('0' + d) << 16 : 0;
        rom.put32(rom::big_digits + 4 * d, b.longs({glyph, 0, 0}, "big digit cells"), "big digits");
    }

    // --- Game over ---------------------------------------------------------------------------
    // The two lines of the game-over screen: text records of 16-bit codes
    // (cell, attribute, codes up to a 0 code).
    auto code_record = [&](uint32_t at, uint16_t where, uint8_t attribute, std::string_view text,
                           const char* what) {
        rom.put16(at, where, what);
        rom.put8(at + 2, attribute, what);
        for (size_t i = 0; i <= text.size(); ++i)
            rom.put16(uint32_t(at + 3 + 2 * i), i < text.size() ? uint8_t(text[i]) : 0, what);
    };
    code_record(rom::game_over_texts[0], cell(12, 15), 0x05, "GAME OVER", "game-over line");
    code_record(rom::game_over_texts[1], cell(14, 15), 0x03, "THANK YOU", "game-over second line");

    // --- Initials entry -----------------------------------------------------------------
    // Choices of positions 0-2: back, end, then the letters A to F; arriving
    // at a position ORs 2 into the choice (it starts on a letter). Position 3
    // offers back and end only and starts on end.
    const uint32_t letters =
        b.bytes({7, '<', '.', 'A', 'B', 'C', 'D', 'E', 'F'}, "initials choices: letters");
    const uint32_t closing = b.bytes({1, '<', '.'}, "initials choices: back or end");
    for (uint32_t p = 0; p < 4; ++p) {
        rom.put32(rom::choice_sets + 4 * p, p < 3 ? letters : closing, "initials choice sets by position");
        rom.put8(rom::arrival_bits + p, p < 3 ? 2 : 1, "initials choice on arrival");
    }
    rom.put8(rom::rank_label_attribute, 0x05, "rank label attribute");
    rom.put_text(rom::rank_labels, "1ST 2ND 3RD 4TH ", "rank labels", false);
}

}  // namespace synthetic
