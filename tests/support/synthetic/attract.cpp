// Synthetic ROM data: the attract cycle (title with its animated objects,
// presentation scenes 0-4, demo, score-ranking screen), with the demo's
// inputs, and the typed notice no mode of the cycle shows; the stage the
// demo plays is the play data's.
//
// Tables at fixed addresses are planted where the game reads them; what they
// point at (scripts, frames, lists, texts, palettes, the demo's inputs) lives
// in blocks of our own choosing: kData below (0x138000-0x13BFEF), the table
// of stage 0's object lists (0x13BFF0) and the demo input stream from
// kDemoStream (0x13C000-0x13D5DF).
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_graphics.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

constexpr uint32_t kData = 0x138000;  // scripts, frames, lists, texts, palettes
constexpr uint32_t kDataEnd = 0x13BFF0;
// Object lists of stage 0, by area: 0 the title's background scene (planted
// here), 1 the ending, 2 character select, 3 game over (planted by the areas
// that own those scenes, at this table's entries).
constexpr uint32_t kStage0ObjectLists = 0x13BFF0;
constexpr uint32_t kDemoStream = 0x13C000;  // the recorded inputs of the demo
// The demo plays the first area of stage 1 (the stage a game plays, set up
// by the play data) with player 1 as the first character.
constexpr uint8_t kDemoStage = 1;
constexpr uint8_t kDemoArea = 1;
constexpr uint16_t kDemoSlots = 0x0001;
// Frames the title's background scene stays (type 6 of the title timers).
constexpr uint16_t kTitleSceneTime = 480;

// A frame definition of parts of the planted picture, in the data block:
// each part's x offset is taken from `dx` in turn, the y offset is `dy`. No
// object here is hit-tested, so no hit-box list follows.
uint32_t put_frame(block& data, std::vector<int16_t> dx, const char* what, int16_t dy = 0) {
    return put_picture_frame(data, dx, dy, what);
}

// A still script in the data block: its one frame follows it, since the
// offset of entry 0 is read unsigned and must point forward.
uint32_t still_script_in_block(block& data, std::vector<int16_t> dx, const char* what, int16_t dy = 0) {
    const uint32_t at = data.take(3);
    put_open_script(data.rom(), at, 0, {put_frame(data, std::move(dx), what, dy)}, what);
    return at;
}

// A text record: cell (row, column) of the text layer, attribute, characters.
uint32_t put_text_record(rom_builder& rom, uint32_t at, int row, int column, uint8_t attribute,
                         const std::string& text, const char* what) {
    rom.put16(at, static_cast<uint16_t>(0xF000 + 128 * row + 2 * column), what);
    rom.put8(at + 2, attribute, what);
    rom.put_text(at + 3, text, what);
    return at + 3 + static_cast<uint32_t>(text.size()) + 1;
}

void plant_sprite_picture(rom_builder& rom) {
    // A 16 x 16 picture, 4 bits a pixel: a framed square whose pens run 1-14.
    const uint32_t base = uint32_t(kSpriteWord) * 4;
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; x += 2) {
            auto pen = [&](uint32_t px) -> uint8_t {
                const bool edge = y == 0 || y == 15 || px == 0 || px == 15;
                return static_cast<uint8_t>(edge ? 1 : 2 + (px + y) % 13);
            };
            rom.sprite8(base + y * 8 + x / 2, static_cast<uint8_t>(pen(x) | pen(x + 1) << 4));
        }
}

// Title: its texts, palette, title object picture, the background scene with
// its object list (every kind of title object: the three flying pieces, the
// accelerating piece, the falling piece, the still picture, the zooming logo,
// the sequence watcher, the squash sprite, and an effect emitter) and the
// scene's time.
void plant_title(block& data, uint32_t stage0_areas) {
    rom_builder& rom = data.rom();
    // Title text records, ended by a 0 halfword.
    uint32_t p = put_text_record(rom, rom::title_texts, 8, 12, 0x02, "SYNTHETIC TITLE", "title texts");
    p = put_text_record(rom, p, 20, 10, 0x04, "NO GAME DATA INSIDE", "title texts");
    rom.put16(p, 0, "title texts end");
    // Palettes queued by the title and by its background scene (the latter is
    // also one of the fixed palettes start-up loads, and the demo's).
    put_palette(rom, rom::title_palette, 0x0000, 16, 3, "title palette");
    put_palette(rom, rom::scene_palette, 0x0200, 16, 5, "background scene palette");
    // The title object's picture: one part.
    const uint32_t title_frame = put_frame(data, {0}, "title object frame");
    put_open_script(rom, rom::title_picture, 0, {title_frame}, "title object script");

    // Set-up tables of the title objects by type t: 0-2 flying pieces, 3 the
    // accelerating piece, 4 the still picture, 5 the logo (its delay only),
    // 6 the background scene's time (read by the mode machine), 7 the falling
    // piece.
    struct title_type {
        uint32_t script;
        uint16_t timer;
        int16_t x, y;
        int8_t step_x, step_y;
    };
    const uint32_t piece_script = still_script_in_block(data, {0}, "flying piece script");
    const uint32_t still_script = still_script_in_block(data, {-8, 8}, "still picture script");
    // The accelerating piece runs four frames of 6 frames each and loops, so it
    // goes when its animation comes back to frame 0; the falling piece's two
    // frames loop once it has landed.
    const uint32_t spin_at = data.take(1 + 2 * 5);
    std::vector<uint32_t> spin_frames;
    for (int16_t k = 0; k < 4; ++k)
        spin_frames.push_back(put_frame(data, {static_cast<int16_t>(2 * k)}, "accelerating piece frames"));
    put_script(rom, spin_at, 6, spin_frames, -2, "accelerating piece script");
    const uint32_t fall_at = data.take(1 + 2 * 3);
    put_script(
        rom, fall_at, 8,
        {put_frame(data, {0}, "falling piece frames"), put_frame(data, {0}, "falling piece frames", 4)}, -2,
        "falling piece script");
    const title_type types[8] = {
        {piece_script, 20, 40, 40, 1, 0},                         // flies right
        {piece_script, 40, 280, 60, -1, 0},                       // flies left
        {piece_script, 1, 160, 220, 0, -1},                       // flies up from the frame the fade ends
        {spin_at, 50, 40, 180, 8, -8},                            // eighths of a pixel a frame
        {still_script, 30, 160, 150, 0, 0}, {0, 10, 0, 0, 0, 0},  // the logo's delay
        {0, kTitleSceneTime, 0, 0, 0, 0},                         // the background scene's time
        {fall_at, 30, 240, 20, 0, 2},  // steps shared with the accelerations of frame 0
    };
    for (uint32_t t = 0; t < 8; ++t) {
        if (types[t].script) rom.put32(rom::title_scripts + 4 * t, types[t].script, "title type scripts");
        rom.put16(rom::title_timers + 2 * t, types[t].timer,
                  t == 6 ? "title background scene time (type 6 timer)" : "title type timers");
        rom.put16(rom::title_positions + 4 * t, static_cast<uint16_t>(types[t].x), "title type positions");
        rom.put16(rom::title_positions + 4 * t + 2, static_cast<uint16_t>(types[t].y),
                  "title type positions");
        if (t == 7) continue;  // the steps of type 7 are the accelerations of frame index 0
        rom.put8(rom::title_steps + 2 * t, static_cast<uint8_t>(types[t].step_x), "title type steps");
        rom.put8(rom::title_steps + 2 * t + 1, static_cast<uint8_t>(types[t].step_y), "title type steps");
    }
    // Accelerations of the accelerating piece by animation frame index (eighths
    // of a pixel a frame per frame); frame index 0's pair is also type 7's steps
    // (the falling piece starts falling at 2 quarter pixels a frame).
    const int8_t accelerations[4][2] = {{0, 2}, {1, 0}, {0, -1}, {-1, 1}};
    for (uint32_t i = 0; i < 4; ++i)
        for (uint32_t k = 0; k < 2; ++k)
            rom.put8(rom::title_accelerations + 2 * i + k, static_cast<uint8_t>(accelerations[i][k]),
                     "title accelerations by frame index (frame 0: type 7 steps)");
    // The logo's closing text, printed when its blend has run.
    put_text_record(rom, rom::logo_closing_text, 24, 15, 0x03, "PUSH START", "title logo closing text");

    // Sequence watcher: its picture and palette, the hidden sequence of player
    // 1's presses (up, down, right, left, then up again, in the game's input
    // bits) and the text shown once it is complete, beside which the settings
    // revision is printed (row 1, column 35).
    put_open_script(rom, rom::watcher_picture, 0, {put_frame(data, {0}, "sequence watcher frame")},
                    "sequence watcher script");
    put_palette(rom, rom::watcher_palette, 0x0800, 16, 11, "sequence watcher palette");
    rom.put_bytes(rom::hidden_sequence, bytes{0x02, 0x01, 0x04, 0x08, 0x02, 0x00}, "hidden input sequence");
    put_text_record(rom, rom::hidden_sequence_text, 1, 26, 0x05, "REVISION", "hidden sequence text");
    // Squash sprite: one 16-pixel-high part, so it shows 5 steps flattened.
    put_open_script(rom, rom::squash_picture, 0, {put_frame(data, {0}, "squash sprite frame")},
                    "squash sprite script");

    // Effect emitter and its particles: one still frame each; the particle's
    // script runs four frames and stops.
    const uint32_t emitter_frame = put_frame(data, {0}, "emitter frame");
    const uint32_t particle_frame = put_frame(data, {0}, "particle frame");
    put_open_script(rom, rom::emitter_script, 0, {emitter_frame}, "emitter script");
    put_script(rom, rom::particle_script, 4, {particle_frame}, -1, "particle script");
    for (uint16_t j = 0; j < 16; ++j) {
        rom.put16(rom::particle_places + 4u * j, static_cast<uint16_t>(16 + 18 * j), "particle positions");
        rom.put16(rom::particle_places + 4u * j + 2, static_cast<uint16_t>(200 - 4 * (j % 4)),
                  "particle positions");
    }

    // Background scene descriptor: no graphics job; page picks; mixer nibbles;
    // layer mode 0; a palette block list of one 16-colour set over two rows.
    rom.put32(rom::title_scene, 0, "title scene: graphics job list (none)");
    for (uint32_t i = 0; i < 4; ++i)
        rom.put8(rom::title_scene + 4 + i, static_cast<uint8_t>(i), "title scene: page picks");
    for (uint32_t i = 0; i < 4; ++i)
        rom.put8(rom::title_scene + 8 + i, static_cast<uint8_t>(8 - i), "title scene: mixer nibbles");
    rom.put16(rom::title_scene + 12, 0, "title scene: layer mode");
    const uint32_t set_offset = 0x0F00;  // our 16 colours in the shared colour sets
    for (uint16_t i = 0; i < 16; ++i)
        rom.put16(rom::colour_sets + set_offset + 2u * i, static_cast<uint16_t>(0x1000 + 0x0111u * i),
                  "title scene colour set");
    const uint32_t list = data.take(2 + 6);
    rom.put16(list, 1, "title scene palette list");
    rom.put16(list + 2, set_offset, "title scene palette list");
    rom.put16(list + 4, 0x0400, "title scene palette list");
    rom.put16(list + 6, 2, "title scene palette list");
    rom.put32(rom::title_scene + 14, list, "title scene: palette job list");

    // Object list of stage 0 area 0 (the title's background scene): the
    // accelerating piece needs a 256-byte object, the others 128 bytes.
    const uint32_t objects = put_object_list(
        data, {entry::sub_0774AC},
        {entry::sub_0775D1, entry::sub_0775DF, entry::sub_0775ED, entry::sub_077558, entry::sub_077697,
         entry::sub_077707, entry::sub_0778EB, entry::sub_0779A9, entry::sub_08A876},
        {}, "title scene object list");
    rom.put32(stage0_areas + 4 * 0, objects, "stage 0 object lists: area 0, title scene");
}

// Presentation scenes 0-4, each with its own palette and actors beside the
// split sprite: 0 a drop-in sprite falling from above and a two-line text;
// 1 a drop-in sprite already below the top (it stops at once) and a text
// writer with no text; 2 a three-line text and an effect emitter; 3 a drop-in
// sprite and a one-line text; 4 (shown before the index returns to 0) a
// drop-in sprite from far above and a two-line text.
void plant_presentation(block& data) {
    rom_builder& rom = data.rom();
    put_palette(rom, rom::presentation_second_palette, 0x0600, 16, 9, "presentation second palette");
    // Split sprite: two parts that move apart.
    const uint32_t split_frame = put_frame(data, {-8, 8}, "split sprite frame");
    put_open_script(rom, rom::split_script, 0, {split_frame}, "split sprite script");
    // The drop-in sprite comes to rest at screen y 0; its part hangs 96 pixels
    // below that.
    const uint32_t drop_script = still_script_in_block(data, {0}, "drop-in sprite script", 96);
    auto actor_list = [&](const std::vector<uint32_t>& routines) {
        const uint32_t at = data.take(4 + 4 * static_cast<uint32_t>(routines.size()));
        rom.put32(at, static_cast<uint32_t>(routines.size()), "presentation actor list");
        for (uint32_t i = 0; i < routines.size(); ++i)
            rom.put32(at + 4 + 4 * i, routines[i], "presentation actor list");
        return at;
    };
    // sub_081D57 drop, sub_081E2A writer, sub_08A876 emitter
    // A scene text: lines, each ended by 0; the byte after the last terminator
    // has bit 7 set.
    auto scene_text = [&](const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + '\0';
        text += '\x80';
        const uint32_t at = data.take(static_cast<uint32_t>(text.size()));
        rom.put_text(at, text, "presentation text", false);
        return at;
    };
    struct scene {
        std::vector<uint32_t> actors;
        int16_t drop_y;
        std::vector<std::string> text;  // none: the writer finds no text
    };
    const scene scenes[5] = {
        {{entry::sub_081D57, entry::sub_081E2A}, -100, {"PRESENTATION SCENE", "SECOND LINE"}},
        {{entry::sub_081D57, entry::sub_081E2A}, 40, {}},
        {{entry::sub_081E2A, entry::sub_08A876}, 0, {"SCENE THREE", "MIDDLE LINE", "LAST LINE"}},
        {{entry::sub_081D57, entry::sub_081E2A}, -16, {"SCENE FOUR"}},
        {{entry::sub_081D57, entry::sub_081E2A}, -200, {"FIFTH SCENE", "BACK TO THE FIRST"}},
    };
    rom.put16(rom::presentation_first_cell, static_cast<uint16_t>(0xF000 + 128 * 12 + 2 * 8),
              "presentation text first cell");
    for (uint32_t e = 0; e < 5; ++e) {
        const scene& s = scenes[e];
        rom.put32(rom::presentation_palettes + 4 * e,
                  put_palette(data, 0x0400, 16, static_cast<uint16_t>(7 + 2 * e), "presentation palette"),
                  "presentation palettes");
        rom.put32(rom::presentation_actor_lists + 4 * e, actor_list(s.actors), "presentation actor lists");
        rom.put32(rom::drop_scripts + 4 * e, drop_script, "drop-in sprite scripts");
        rom.put16(rom::drop_places + 6 * e, static_cast<uint16_t>(60 + 40 * e), "drop-in sprite places");
        rom.put16(rom::drop_places + 6 * e + 2, static_cast<uint16_t>(s.drop_y), "drop-in sprite places");
        rom.put16(rom::drop_places + 6 * e + 4, 100, "drop-in sprite places");
        rom.put32(rom::presentation_texts + 4 * e, s.text.empty() ? 0 : scene_text(s.text),
                  "presentation texts");
        rom.put8(rom::presentation_text_attributes + e, static_cast<uint8_t>(2 + e),
                 "presentation text attributes");
    }
}

// The typed notice (modes 0 and 24, which nothing in the program enters):
// records of {low half of the first cell, attribute, characters up to 0},
// ended by a 0 halfword; the wide screen moves them 6 cells right.
void plant_notice(rom_builder& rom) {
    uint32_t p = put_text_record(rom, rom::notice_text, 4, 17, 0x02, "NOTICE", "typed notice");
    p = put_text_record(rom, p, 8, 6, 0x04, "THIS SET IS MADE UP", "typed notice");
    p = put_text_record(rom, p, 10, 6, 0x00, "FOR TESTS ONLY", "typed notice");
    rom.put16(p, 0, "typed notice end");
}

// Demo: the pointers to the input streams and set-up rows by player-count
// setting and demo number, and one input stream.
void plant_demo(block& data) {
    rom_builder& rom = data.rom();
    // The input stream: one 32-bit word a frame (player 1 in the low byte),
    // long enough for the demo's 1,200 frames and its fades. In every 160
    // frames player 1 walks right for 80, presses button 1 at 80 and 90, then
    // walks left for 60 (bits: 2 right, 3 left, 4 button 1). The second press
    // of the second round grabs the enemy the walk has reached; button 1 once
    // more, as the walk left starts, throws it.
    constexpr uint32_t kStreamWords = 1400;
    constexpr uint32_t kThrow = 160 + 104;
    for (uint32_t f = 0; f < kStreamWords; ++f) {
        const uint32_t t = f % 160;
        const uint32_t bits = t < 80               ? 0x04
                              : t == 80 || t == 90 ? 0x10
                              : t < 100            ? 0x00
                              : f == kThrow        ? 0x18
                                                   : 0x08;
        rom.put32(kDemoStream + 4 * f, bits, "demo input stream");
    }
    const uint32_t streams = data.take(16);
    // The second demo plays the moves' stream.
    for (uint32_t d = 0; d < 4; ++d)
        rom.put32(streams + 4 * d, d == 1 ? kSecondDemoStream : kDemoStream, "demo streams by demo number");
    for (uint32_t n = 0; n < 4; ++n)
        rom.put32(rom::demo_streams + 4 * n, streams, "demo streams by player count");

    // Set-up rows: the demo stage and area, the slots that play; the characters
    // of slots 0-3.
    const uint32_t rows = data.take(16), characters = data.take(16);
    for (uint32_t d = 0; d < 4; ++d) {
        rom.put8(rows + 4 * d, kDemoStage, "demo set-up rows: stage");
        rom.put8(rows + 4 * d + 1, kDemoArea, "demo set-up rows: area");
        rom.put16(rows + 4 * d + 2, kDemoSlots, "demo set-up rows: slots");
        // The second demo's player is the second character (the moves' data).
        for (uint32_t s = 0; s < 4; ++s)
            rom.put8(characters + 4 * d + s, static_cast<uint8_t>(d == 1 ? (s + 1) & 3 : s),
                     "demo characters");
    }
    // (With four player slots the demos play the playerless rows of the
    // run-ending data instead.)
    for (uint32_t n = 0; n < 4; ++n) {
        rom.put32(rom::demo_setups + 4 * n, n == 2 ? kPlayerlessDemoRows : rows,
                  "demo set-ups by player count");
        rom.put32(rom::demo_characters + 4 * n, characters, "demo characters by player count");
    }
    // Demo graphics (replacing the stage descriptor's first two words): the
    // same job as the stage's.
    const uint32_t graphics = data.take(8);
    rom.put32(graphics, stage_graphics::kJobList, "demo graphics: job list");
    rom.put32(graphics + 4, rom::graphics_source, "demo graphics: source base");
    for (uint32_t d = 0; d < 4; ++d)
        rom.put32(rom::demo_graphics + 4 * d, graphics, "demo graphics by demo number");
}

// Score-ranking screen: palette, reveal mask, the four sprites, the default
// tables and the page layout.
void plant_ranking(block& data) {
    rom_builder& rom = data.rom();
    put_palette(rom, rom::menu_palette, 0x0C00, 16, 13, "ranking palette");
    // Rows 0-27 of the page; the empty rows between the blocks are skipped.
    uint32_t mask = 0;
    for (uint32_t c = 0; c < 4; ++c) mask |= 0x3Fu << (7 * c);
    rom.put32(rom::reveal_mask, mask, "ranking reveal mask");
    // Four sprites: frame k of the script for sprite k.
    std::vector<uint32_t> frames;
    for (int16_t k = 0; k < 4; ++k)
        frames.push_back(put_frame(data, {static_cast<int16_t>(4 * k)}, "ranking sprite frame"));
    put_open_script(rom, rom::ranking_script, 0, frames, "ranking sprite script");
    for (uint16_t k = 0; k < 4; ++k) {
        rom.put16(rom::ranking_places + 4u * k, 300, "ranking sprite places");
        rom.put16(rom::ranking_places + 4u * k + 2, static_cast<uint16_t>(24 + 56 * k),
                  "ranking sprite places");
    }
    // Default table: four entries, best first.
    const uint32_t scores[4] = {50000, 20000, 8000, 4000};
    const char* initials[4] = {"AAA", "BBB", "CCC", "DDD"};
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put32(rom::default_ranking + 8 * i, scores[i], "default ranking table: score");
        rom.put_bytes(rom::default_ranking + 8 * i + 4, {reinterpret_cast<const uint8_t*>(initials[i]), 4},
                      "default ranking table: initials");
    }
    // Page layout: character c's block starts at row 7c; the title on its first
    // row from column 14, then per entry i a row holding label, score and
    // initials. (The attract screens' coin prompt, erased every 64 frames at
    // row 14 from column 12 up to the first empty cell, must find column 13
    // empty, or it erases the third block's title.)
    for (uint32_t c = 0; c < 4; ++c)
        rom.put16(rom::ranking_blocks + 2 * c, static_cast<uint16_t>(7 * 128 * c), "ranking blocks");
    rom.put16(rom::ranking_title_offset, 2 * 14, "ranking title offset");
    rom.put8(rom::ranking_title_attribute, 0x02, "ranking title attribute");
    const char* titles[4] = {"FIRST CHARACTER", "SECOND CHARACTER", "THIRD CHARACTER", "FOURTH CHARACTER"};
    for (uint32_t c = 0; c < 4; ++c)
        rom.put32(rom::ranking_titles + 4 * c, data.text(titles[c], "ranking titles"), "ranking titles");
    rom.put8(rom::ranking_label_attribute, 0x04, "ranking row label attribute");
    const char* labels[4] = {"1ST", "2ND", "3RD", "4TH"};
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t label = data.take(2 + 4);
        rom.put16(label, static_cast<uint16_t>(128 * (i + 1) + 2 * 4), "ranking row label: offset");
        rom.put_text(label + 2, labels[i], "ranking row label: text");
        rom.put32(rom::ranking_labels + 4 * i, label, "ranking row labels");
        rom.put16(rom::ranking_score_fields + 2 * i, static_cast<uint16_t>(128 * (i + 1) + 2 * 10),
                  "ranking score fields");
        rom.put16(rom::ranking_initials_fields + 2 * i, static_cast<uint16_t>(128 * (i + 1) + 2 * 22),
                  "ranking initials fields");
    }
    rom.put8(rom::ranking_initials_attribute, 0x06, "ranking initials attribute");
}

}  // namespace

void plant_attract(rom_builder& rom) {
    plant_sprite_picture(rom);
    block data(rom, kData, kDataEnd, "attract");
    rom.put32(rom::object_list_table, kStage0ObjectLists, "object lists: stage 0");
    plant_title(data, kStage0ObjectLists);
    plant_presentation(data);
    plant_notice(rom);
    plant_demo(data);
    plant_ranking(data);
}

}  // namespace synthetic
