// Synthetic ROM data: stage 1's intro actors and the results screen after a
// stage is cleared, with the big-number glyphs it prints its counts in.
//
// Tables at fixed addresses are planted where the game reads them; what they
// point at (frames, records, texts, palettes) lives in our own block at
// 0x11C000-0x11CFFF, except the frames of scripts whose fixed address lies
// too far from it (their frames follow them).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

constexpr uint32_t kBlock = 0x11C000;
constexpr uint32_t kBlockEnd = 0x11D000;

// A frame of one part of the attract data's picture, offset (dx, dy) from
// the object, in our block.
uint32_t put_frame(block& b, int16_t dx, int16_t dy, const char* what) {
    return put_picture_frame(b, {dx}, dy, what);
}

// A script at a fixed address with its frames right after it (our block
// is out of reach of its entries): one part a frame at the offsets given,
// then the end word `end` when it is not 0.
void fixed_script(rom_builder& rom, uint32_t at, uint8_t duration,
                  const std::vector<std::pair<int16_t, int16_t>>& parts, int16_t end, const char* what) {
    const uint32_t n = static_cast<uint32_t>(parts.size());
    uint32_t frame = at + 1 + 2 * n + (end ? 2 : 0);
    std::vector<uint32_t> frames;
    for (const auto& [dx, dy] : parts) {
        frames.push_back(frame);
        frame += put_picture_frame(rom, frame, {dx}, dy, what);
    }
    if (end)
        put_script(rom, at, duration, frames, end, what);
    else
        put_open_script(rom, at, duration, frames, what);
}

uint16_t cell(uint32_t row, uint32_t column) {
    return static_cast<uint16_t>(0xF000 + 128 * row + 2 * column);
}

// Stage 1's intro: the banner, two growing actors, a delayed sprite, an
// actor flying in on an arc, a sound sequence and the stage's two-line title.
void plant_intro(block& b) {
    rom_builder& rom = b.rom();
    const uint32_t actors = b.take(1 + 4 * 7);
    rom.put8(actors, 7, "stage 1 intro actors: count");
    const uint32_t routines[7] = {entry::sub_0898B1, entry::sub_089995, entry::sub_0899B9, entry::sub_089A9C,
                                  entry::sub_089BBF, entry::sub_089D23, entry::sub_089D95};
    for (uint32_t i = 0; i < 7; ++i) rom.put32(actors + 1 + 4 * i, routines[i], "stage 1 intro actors");
    rom.put32(rom::intro_actor_lists, actors, "stage intro actor lists: stage 1");
    // The intro palette, handed to the palette queue.
    const uint32_t palette = b.take(4 + 32);
    put_palette(rom, palette, 0x0A00, 16, 15, "stage 1 intro palette");
    rom.put32(rom::intro_palettes, palette, "stage intro palettes: stage 1");

    // Banner: two frames; the intro's start ticks it once.
    fixed_script(rom, rom::banner_script, 1, {{0, 0}, {0, 8}}, -2, "intro banner script");

    // Growing actors: {script, delay, x, y, step x, step y, width limit,
    // height limit}; their part's 16-pixel size grows by the steps a frame.
    const uint32_t still = b.take(3);
    put_open_script(rom, still, 0, {put_frame(b, 0, 0, "intro still frame")}, "intro still script");
    auto growing = [&](uint32_t at, uint16_t delay, int16_t x, int16_t y, int8_t sx, int8_t sy, int16_t w,
                       int16_t h, const char* what) {
        rom.put32(at, still, what);
        rom.put16(at + 4, delay, what);
        rom.put16(at + 6, static_cast<uint16_t>(x), what);
        rom.put16(at + 8, static_cast<uint16_t>(y), what);
        rom.put8(at + 10, static_cast<uint8_t>(sx), what);
        rom.put8(at + 11, static_cast<uint8_t>(sy), what);
        rom.put16(at + 12, static_cast<uint16_t>(w), what);
        rom.put16(at + 14, static_cast<uint16_t>(h), what);
    };
    growing(rom::growing_actor_a, 10, 80, 120, 2, 1, 48, 32, "intro growing actor A");
    growing(rom::growing_actor_b, 20, 240, 120, 1, 2, 32, 48, "intro growing actor B");
    // Delayed sprite: {script, delay, x, y}.
    rom.put32(rom::delayed_sprite, still, "intro delayed sprite");
    rom.put16(rom::delayed_sprite + 4, 40, "intro delayed sprite");
    rom.put16(rom::delayed_sprite + 6, 160, "intro delayed sprite");
    rom.put16(rom::delayed_sprite + 8, 200, "intro delayed sprite");
    // Arc actor: {delay, x, y (quarter pixels), step x, step y}, then its end
    // place; its script has eight frames, the last shown at the end.
    rom.put16(rom::intro_arc_delay, 30, "intro arc start: delay");
    rom.put16(rom::intro_arc_start_x, 400, "intro arc start: x");
    rom.put16(rom::intro_arc_start_y, 600, "intro arc start: y");
    rom.put8(rom::intro_arc_step_x, 2, "intro arc start: step x");
    rom.put8(rom::intro_arc_step_y, 10, "intro arc start: step y");
    rom.put16(rom::intro_arc_end_x, 1200, "intro arc end: x");
    rom.put16(rom::intro_arc_end_y, 400, "intro arc end: y");
    std::vector<std::pair<int16_t, int16_t>> arc_parts;
    for (int16_t k = 0; k < 8; ++k) arc_parts.push_back({k, 0});
    fixed_script(rom, rom::intro_arc_script, 4, arc_parts, -2, "intro arc script");
    // Sound sequence: {delay, code} pairs ended by a delay of 0.
    const uint8_t sequence[] = {10, 0, 0x50, 20, 0, 0x51, 0, 0};
    rom.put_bytes(rom::intro_sound_sequence, sequence, "intro sound sequence");
    // The stage's title: {cell, attribute, line count, lines}.
    const std::string lines[2] = {"STAGE ONE", "THE SYNTHETIC STREET"};
    const uint32_t title = b.take(4 + 10 + 21);
    rom.put16(title, cell(10, 15), "stage 1 title text");
    rom.put8(title + 2, 0x06, "stage 1 title text");
    rom.put8(title + 3, 2, "stage 1 title text");
    rom.put_text(title + 4, lines[0], "stage 1 title text");
    rom.put_text(title + 4 + 10, lines[1], "stage 1 title text");
    rom.put32(rom::intro_titles, title, "stage intro titles: stage 1");
}

// The results screen: per slot a heading, the count line (a mark and the
// category-10 count), the bonus line and the energy line, each from the
// slot's text origin; portraits and icons at the slot's place; stage 1's
// category list; the energy bonus by rank; the big-number
// printer's tables; the screen's palette and the icons' script.
void plant_results(block& b) {
    rom_builder& rom = b.rom();
    for (uint32_t slot = 0; slot < 4; ++slot)
        rom.put32(rom::results_players + 4 * slot, var::player_records + player_record::size * slot,
                  "results: player record by slot");
    // Places {x, y, depth} of slots 0-3, the same for every player count.
    const uint32_t places = b.take(6 * 4);
    for (uint32_t slot = 0; slot < 4; ++slot) {
        rom.put16(places + 6 * slot, static_cast<uint16_t>(48 + 80 * slot), "results: slot places");
        rom.put16(places + 6 * slot + 2, 180, "results: slot places");
        rom.put16(places + 6 * slot + 4, 0, "results: slot places");
    }
    for (uint32_t n = 0; n < 4; ++n)
        rom.put32(rom::results_places + 4 * n, places, "results: slot places by player count");
    // Portraits: a two-frame loop for every character.
    const uint32_t portrait = b.take(1 + 2 * 3);
    put_script(
        rom, portrait, 6,
        {put_frame(b, 0, -16, "results portrait frames"), put_frame(b, 0, -20, "results portrait frames")},
        -2, "results portrait script");
    for (uint32_t c = 0; c < 4; ++c)
        rom.put32(rom::results_portraits + 4 * c, portrait, "results: portrait scripts by character");
    // Stage 1's categories in the order their icons come. The sequencer waits
    // (entries x 32 + 20) frames for them in an 8-bit delay, so a list holds
    // at most 7; categories 4, 7 and 9 count in the bonus without an icon.
    const uint8_t listed[7] = {0, 1, 2, 3, 5, 6, 8};
    const uint32_t categories = b.take(8);
    for (uint32_t k = 0; k < 7; ++k) rom.put8(categories + k, listed[k], "results: stage 1 category list");
    rom.put8(categories + 7, 0x80, "results: stage 1 category list end");
    // Every stage's results read the same list (the last stage's are reached
    // by a poke of the stage in the run-ending cases).
    for (uint32_t stage = 1; stage <= 4; ++stage)
        rom.put32(rom::results_categories + 4 * (stage - 1), categories, "results: category lists by stage");
    // Icon offsets from the slot's place, by icon number: a row of 16 pixels
    // apart above the portrait; the bonus icon beside the count line.
    for (uint32_t n = 0; n < 16; ++n) {
        rom.put16(rom::icon_offsets + 4 * n, static_cast<uint16_t>(-40 + 8 * static_cast<int>(n)),
                  "results: icon offsets");
        rom.put16(rom::icon_offsets + 4 * n + 2, static_cast<uint16_t>(-60), "results: icon offsets");
    }
    rom.put16(rom::bonus_icon_offset, static_cast<uint16_t>(-24), "results: bonus icon offset");
    rom.put16(rom::bonus_icon_offset_y, static_cast<uint16_t>(-100), "results: bonus icon offset");
    // Icons: frame n of the script for category n, frame 10 the bonus icon.
    std::vector<std::pair<int16_t, int16_t>> icon_parts;
    for (int16_t n = 0; n < 11; ++n) icon_parts.push_back({0, static_cast<int16_t>(-n)});
    fixed_script(rom, rom::icon_script, 0, icon_parts, 0, "results icon script");

    // Text origins: position bases 0, 2, 5 (and 5 for the fourth setting);
    // the slots share the width of the screen from row 4.
    const uint8_t bases[4] = {0, 2, 5, 5};
    for (uint32_t n = 0; n < 4; ++n)
        rom.put8(rom::results_position_bases + n, bases[n], "results: text position bases");
    const uint32_t columns[9] = {2, 22, 1, 14, 27, 1, 11, 21, 31};
    for (uint32_t e = 0; e < 9; ++e)
        rom.put16(rom::results_text_origins + 2 * e, cell(4, columns[e]), "results: text origins");
    // Heading: at the origin, attribute 2, one string per slot.
    rom.put16(rom::heading_offset, 0, "results heading: offset");
    rom.put8(rom::heading_attribute, 0x02, "results heading: attribute");
    const char* headings[4] = {"PLAYER 1", "PLAYER 2", "PLAYER 3", "PLAYER 4"};
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint32_t at = b.take(9);
        rom.put_text(at, headings[slot], "results headings");
        rom.put32(rom::results_headings + 4 * slot, at, "results headings by slot");
    }
    // Count line two rows down: the mark "X", the count 2 cells right of it.
    rom.put16(rom::count_label, 2 * 128, "results count line: offset");
    rom.put8(rom::count_label + 2, 0x03, "results count line: attribute");
    rom.put_text(rom::count_label + 3, "X", "results count line: mark");
    rom.put16(rom::count_number_offset, 2 * 128 + 2 * 2, "results count line: count offset");
    // Bonus line five rows down, its 6 digits 6 cells right of the label.
    rom.put16(rom::bonus_label, 5 * 128, "results bonus line: offset");
    rom.put8(rom::bonus_label + 2, 0x04, "results bonus line: attribute");
    rom.put_text(rom::bonus_label + 3, "BONUS", "results bonus line: label");
    rom.put16(rom::bonus_number_offset, 5 * 128 + 2 * 6, "results bonus line: number offset");
    // Energy line eight rows down, its 3 digits 5 cells right of the label.
    rom.put16(rom::energy_line_label, 8 * 128, "results energy line: offset");
    rom.put8(rom::energy_line_label + 2, 0x05, "results energy line: attribute");
    rom.put_text(rom::energy_line_label + 3, "LIFE", "results energy line: label");
    rom.put16(rom::energy_number_offset, 8 * 128 + 2 * 5, "results energy line: number offset");
    // Energy bonus by rank 0-3, the same for every player-count factor.
    const uint32_t energy = b.take(8);
    const uint16_t by_rank[4] = {100, 60, 30, 10};
    for (uint32_t r = 0; r < 4; ++r) rom.put16(energy + 2 * r, by_rank[r], "results: energy bonus by rank");
    for (uint32_t f = 0; f < 4; ++f)
        rom.put32(rom::energy_bonuses + 4 * f, energy, "results: energy bonus tables by factor");

    // Big numbers: the largest value of n digits, the weight of digit k, and
    // glyphs 0-9 and 10 (blank): the digit's character in the upper row
    // (attribute 6) over a '=' in the lower row (attribute 7).
    uint32_t limit = 0, weight = 1;
    for (uint32_t n = 0; n <= 10; ++n) {
        rom.put32(rom::digit_limits + 4 * n, n == 10 ? 0xFFFFFFFFu : limit,
                  "big numbers: digit-count limits");
        limit = limit * 10 + 9;
    }
    for (uint32_t k = 0; k <= 10; ++k) {
        rom.put32(rom::digit_weights + 4 * k, k == 0 ? 0 : weight, "big numbers: digit weights");
        if (k) weight *= 10;
    }
    for (uint32_t g = 0; g <= 10; ++g) {
        rom.put16(rom::lower_glyph_cells + 4 * g, g < 10 ? static_cast<uint16_t>(0x0700 | '=') : 0,
                  "big numbers: lower glyph cells");
        rom.put16(rom::upper_glyph_cells + 4 * g, g < 10 ? static_cast<uint16_t>(0x0600 | ('0' + g)) : 0,
                  "big numbers: upper glyph cells");
    }
    put_palette(rom, rom::results_palette, 0x0C00, 16, 17, "results palette");
}

}  // namespace

void plant_stage_clear(rom_builder& rom) {
    block b(rom, kBlock, kBlockEnd, "stage clear");
    plant_intro(b);
    plant_results(b);
}

}  // namespace synthetic
