// The top-level mode machine with the attract cycle (title, presentation
// scene, demo, score-ranking screen), the typed notice, the slot reset, and
// the join check and slot reset it shares with the play start.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/flow/tables.h"
#include "game/engine/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kSceneTime = 0x077B28;
constexpr uint32_t kRankingPage = 0x300400;
constexpr uint16_t kCursor = 0x005F;
constexpr uint16_t kWideScreen = 0x8000;  // bit 15 of video register 0

// Fades: the preset of the next fade and the running bit; the fade step
// clears the bit at its target.
void start_fade(uint8_t preset) {
    orb_write8(var::fade_preset, preset);
    set_bit(var::system_flags, system_flag::fade_running);
}

// True when no fade runs (the bit tested clear).
bool fade_done() { return !test_bit(var::system_flags, system_flag::fade_running); }

void next_submode() { orb_write8(var::game_submode, add<uint8_t>(orb_read8(var::game_submode), 3)); }

// The steps of each mode (game_submode), multiples of 3: the places of the
// mode's branch table. "again" steps are a table's last entry, which runs
// the first step's code; "leave" waits for the fade out, then changes the
// mode.
namespace notice_step {
constexpr uint8_t start = 0, typing = 3, blinking = 6, leave = 9, start_again = 12;
}  // namespace notice_step
namespace title_step {
constexpr uint8_t setup = 0, display_on = 3, shown = 6, scene_setup = 9, scene_wait_in = 12, scene_shown = 15,
                  leave = 18, setup_again = 21;
}  // namespace title_step
namespace demo_step {
constexpr uint8_t setup = 0, playing = 3, leave = 6, setup_again = 9;
}  // namespace demo_step
namespace ranking_step {
constexpr uint8_t setup = 0, wait_in = 3, delay = 6, reveal = 9, shown = 12, leave = 15, setup_again = 18;
}  // namespace ranking_step
namespace presentation_step {
constexpr uint8_t setup = 0, shown = 3, leave = 6, setup_again = 9;
}  // namespace presentation_step
namespace slot_reset_step {  // the reset, then the mode stays
constexpr uint8_t reset = 0, stay = 3, reset_again = 6;
}  // namespace slot_reset_step

// The mode word: the new mode with sub-mode 0.
void set_mode(uint16_t mode) { orb_write16(var::game_mode, mode); }

}  // namespace

// Mode machine: offers the player slots to the join routine outside modes 0
// and 15, then one step of the current mode. In game mode 15, and after every
// step of the demo, it ends in the in-game flow.
void sub_060148() {
    ROUTINE_ENTRY(0x060148);
    test<uint8_t>(orb_read8(var::game_mode));
    if (eq()) goto L_060155;
    cmp<uint8_t>(orb_read8(var::game_mode), game_mode::game);
    if (eq()) goto L_060155;
    if (!call(sub_0634D4, 0x060153, 0x060150)) return;
L_060155:
    // A join may have started a game.
    cpu.reg[0] = load_zx8(var::game_mode);
    switch (cpu.reg[0]) {
    case game_mode::typed_notice:
    case game_mode::typed_notice_again: goto L_notice;
    case game_mode::title: goto L_060204;
    case game_mode::back_to_title: goto L_back_to_title;
    case game_mode::demo: goto L_060278;
    case game_mode::ranking_screen: goto L_ranking;
    case game_mode::game: sub_062246(); return;
    case game_mode::slot_reset: goto L_060369;
    case game_mode::presentation: goto L_0602E0;
    default: v60_unknown_jump(0x060164 + 3 * cpu.reg[0], 0x060160);
    }

    // ---- modes 0 and 24: the typed notice ----
L_notice:
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case notice_step::start:
    case notice_step::start_again: goto L_notice_0;
    case notice_step::typing: goto L_notice_3;
    case notice_step::blinking: goto L_notice_6;
    case notice_step::leave: goto L_notice_9;
    default: v60_unknown_jump(0x060184 + 3 * cpu.reg[0], 0x060180);
    }
L_notice_0:
    orb_write16(hw::video_regs, logic<uint16_t>(orb_read16(hw::video_regs) | kWideScreen));
    orb_write32(var::notice_text_pointer, rom::notice_text);
    orb_write32(var::notice_cell_pointer, hw::text_layer);
    next_submode();
    cpu.reg[19] = orb_read32(var::notice_text_pointer);
    cpu.reg[18] = orb_read32(var::notice_cell_pointer);
    cpu.reg[9] = load_zx16(var::notice_blink_timer);
    goto L_notice_record;
L_notice_3:
    cpu.reg[19] = orb_read32(var::notice_text_pointer);
    cpu.reg[18] = orb_read32(var::notice_cell_pointer);
    cpu.reg[9] = load_zx16(var::notice_blink_timer);
L_notice_type:
    cpu.reg[0] = load_zx8(cpu.reg[19]);
    cpu.reg[19] += 1;
    test<uint8_t>(cpu.reg[0]);
    if (eq()) goto L_notice_record;
    orb_write16(cpu.reg[18], static_cast<uint16_t>((cpu.reg[9] & 0xFF00) | cpu.reg[0]));
    cpu.reg[18] += 2;
    orb_write16(cpu.reg[18], kCursor);
    orb_write32(var::notice_text_pointer, cpu.reg[19]);
    orb_write32(var::notice_cell_pointer, cpu.reg[18]);
    orb_write16(var::notice_blink_timer, static_cast<uint16_t>(cpu.reg[9]));
    ret();
    return;
L_notice_record:
    // A record: the low half of its first cell, its attribute, its characters.
    orb_write16(cpu.reg[18], 0);
    cpu.reg[0] = load_zx16(cpu.reg[19]);
    cpu.reg[19] += 2;
    test<uint16_t>(cpu.reg[0]);
    if (eq()) {
        orb_write16(var::notice_blink_timer, 6);
        orb_write16(var::flow_countdown, 360);
        next_submode();
        ret();
        return;
    }
    set16(cpu.reg[18], cpu.reg[0]);
    // On the wide screen the 320-pixel layout moves 6 cells right.
    test<uint16_t>(orb_read16(hw::video_regs) & kWideScreen);
    if (ne()) cpu.reg[18] += 12;
    cpu.reg[9] = (cpu.reg[9] & ~0xFF00u) | orb_read8(cpu.reg[19]) << 8;
    cpu.reg[19] += 1;
    goto L_notice_type;
L_notice_6:
    orb_write16(var::notice_blink_timer, dec<uint16_t>(orb_read16(var::notice_blink_timer)));
    if (eq()) {
        cpu.reg[18] = orb_read32(var::notice_cell_pointer);
        orb_write16(cpu.reg[18], logic<uint16_t>(orb_read16(cpu.reg[18]) ^ kCursor));
        orb_write16(var::notice_blink_timer, 6);
    }
    if (count_down16_sets_flags(var::flow_countdown)) {
        start_fade(0);
        next_submode();
    }
    ret();
    return;
L_notice_9:
    if (fade_done()) {
        orb_write16(hw::video_regs, logic<uint16_t>(orb_read16(hw::video_regs) & ~kWideScreen));
        set_mode(game_mode::title);
        if (!call(sub_060942, 0x060203, 0x060200)) return;
    }
    ret();
    return;

    // ---- mode 3: the title ----
L_060204:
    if (!call(sub_0611A2, 0x060207, 0x060204)) return;
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case title_step::setup:
    case title_step::setup_again: goto L_title_0;
    case title_step::display_on: goto L_title_3;
    case title_step::shown: goto L_title_6;
    case title_step::scene_setup: goto L_title_9;
    case title_step::scene_wait_in: goto L_060240;
    case title_step::scene_shown: goto L_060248;
    case title_step::leave: goto L_060250;
    default: v60_unknown_jump(0x077358 + 3 * cpu.reg[0], 0x060208);
    }
L_title_0:
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) & ~2u));
    if (!call(sub_0634A7, 0x06020F, 0x06020C)) return;
    if (!call(sub_088B2D, 0x060213, 0x060210)) return;
    if (!call(sub_0608DF, 0x060217, 0x060214)) return;
    if (!call(sub_060942, 0x06021B, 0x060218)) return;
    if (!call(sub_0609AA, 0x06021F, 0x06021C)) return;
    if (!call(sub_088C67, 0x060223, 0x060220)) return;
    if (ne()) {  // an empty pool leaves R21 as it was: nothing to link
        if (!call(sub_088CA5, 0x060227, 0x060224)) return;
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_077A83 /* title object */);
    }
    cpu.reg[19] = rom::title_palette;
    if (!call(sub_0896A9, 0x06022B, 0x060228)) return;
    orb_write16(var::flow_countdown, 180);
    cpu.reg[19] = rom::title_texts;
    for (;;) {
        test<uint16_t>(orb_read16(cpu.reg[19]));
        if (eq()) break;
        if (!call(sub_0889C2, 0x06022F, 0x06022C)) return;
    }
    next_submode();
    start_fade(3);
    ret();
    return;
L_title_3:
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) | 2));
    next_submode();
    ret();
    return;
L_title_6:
    if (fade_done() && count_down16_sets_flags(var::flow_countdown)) {
        start_fade(0);
        next_submode();
    }
    ret();
    return;
L_title_9:
    if (fade_done()) {
        cpu.reg[19] = rom::scene_palette;
        if (!call(sub_0896A9, 0x060233, 0x060230)) return;
        if (!call(sub_060942, 0x060237, 0x060234)) return;
        cpu.reg[19] = rom::title_scene;
        if (!call(sub_085046, 0x06023B, 0x060238)) return;
        orb_write8(var::stage, 0);
        orb_write8(var::area, 0);
        if (!call(sub_088BED, 0x06023F, 0x06023C)) return;
        start_fade(3);
        next_submode();
    }
    ret();
    return;
L_060240:
    if (!call(sub_061384, 0x060243, 0x060240)) return;
    if (!call(sub_0615C4, 0x060247, 0x060244)) return;
    if (!fade_done()) {
        ret();
        return;
    }
    orb_write16(var::flow_countdown, orb_read16(kSceneTime));
    next_submode();
    // On into the next step in this same frame.
L_060248:
    if (!call(sub_061384, 0x06024B, 0x060248)) return;
    if (!call(sub_0615C4, 0x06024F, 0x06024C)) return;
    if (count_down16_sets_flags(var::flow_countdown)) {
        start_fade(0);
        next_submode();
    }
    ret();
    return;
L_060250:
    if (!call(sub_061384, 0x060253, 0x060250)) return;
    if (!call(sub_0615C4, 0x060257, 0x060254)) return;
    if (fade_done()) set_mode(game_mode::presentation);
    ret();
    return;

    // ---- mode 6: back to the title, in one frame ----
L_back_to_title:
    set_mode(game_mode::title);
    if (!call(sub_0608DF, 0x06025B, 0x060258)) return;
    if (!call(sub_060942, 0x06025F, 0x06025C)) return;
    ret();
    return;

    // ---- mode 9: the attract demo; every step ends in the in-game flow ----
L_060278:
    if (!call(sub_061384, 0x06027B, 0x060278)) return;
    if (!call(sub_0611A2, 0x06027F, 0x06027C)) return;
    if (!call(sub_0615C4, 0x060283, 0x060280)) return;
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case demo_step::setup:
    case demo_step::setup_again: goto L_demo_0;
    case demo_step::playing: goto L_demo_3;
    case demo_step::leave: goto L_demo_6;
    default: v60_unknown_jump(0x06028B + 3 * cpu.reg[0], 0x060287);
    }
L_demo_0:
    cpu.reg[0] =
        orb_read32(rom::demo_streams + 4u * orb_read8(var::backup_primary + backup_record::player_count));
    orb_write32(var::demo_input_pointer, orb_read32(cpu.reg[0] + 4u * (orb_read8(var::demo_index) & 3)));
    set_bit(var::game_flags, game_flag::demo_play);
    orb_write8(var::ingame_state, flow_state::demo_setup);
    if (!call(sub_060942, 0x0602A3, 0x0602A0)) return;
    orb_write16(var::flow_countdown, 1200);
    next_submode();
    start_fade(3);
    goto L_demo_flow;
L_demo_3:
    if (fade_done() && count_down16_sets_flags(var::flow_countdown)) {
        start_fade(0);
        next_submode();
    }
    goto L_demo_flow;
L_demo_6:
    if (!fade_done()) goto L_demo_flow;
    if (!call(sub_062246, 0x0602A7, 0x0602A4)) return;
    set_mode(game_mode::ranking_screen);
    set_bit(var::system_flags, system_flag::mixer_take_pending);
    ret();
    return;
L_demo_flow:
    sub_062246();
    return;

    // ---- mode 12: the score-ranking screen ----
L_ranking:
    clear_bit(var::game_flags, game_flag::demo_play);
    if (!call(sub_061384, 0x0602AB, 0x0602A8)) return;
    if (!call(sub_0611A2, 0x0602AF, 0x0602AC)) return;
    if (!call(sub_0615C4, 0x0602B3, 0x0602B0)) return;
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case ranking_step::setup:
    case ranking_step::setup_again: goto L_ranking_0;
    case ranking_step::wait_in: goto L_ranking_3;
    case ranking_step::delay: goto L_ranking_6;
    case ranking_step::reveal: goto L_ranking_9;
    case ranking_step::shown: goto L_ranking_12;
    case ranking_step::leave: goto L_ranking_15;
    default: v60_unknown_jump(0x08A22C + 3 * cpu.reg[0], 0x0602B4);
    }
L_ranking_0:
    cpu.reg[19] = rom::menu_palette;
    if (!call(sub_0896A9, 0x0602BB, 0x0602B8)) return;
    if (!call(sub_0634A7, 0x0602BF, 0x0602BC)) return;
    if (!call(sub_088B2D, 0x0602C3, 0x0602C0)) return;
    if (!call(sub_0608DF, 0x0602C7, 0x0602C4)) return;
    if (!call(sub_060942, 0x0602CB, 0x0602C8)) return;
    if (!call(sub_0609AA, 0x0602CF, 0x0602CC)) return;
    if (!call(sub_08A6A0, 0x0602D3, 0x0602D0)) return;
    // Four ranking sprites, types 0 to 3; an empty pool ends the list.
    for (cpu.reg[1] = 0; cpu.reg[1] < 4; ++cpu.reg[1]) {
        if (!call(sub_088C67, 0x0602D7, 0x0602D4)) return;
        if (eq()) break;
        if (!call(sub_088CA5, 0x0602DB, 0x0602D8)) return;
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_08A364 /* ranking sprite */);
        orb_write8(cpu.reg[21] + object_record::type, static_cast<uint8_t>(cpu.reg[1]));
    }
    next_submode();
    start_fade(3);
    ret();
    return;
L_ranking_3:
    if (fade_done()) {
        next_submode();
        orb_write16(var::ranking_reveal_counter, 60);
    }
    ret();
    return;
L_ranking_6:
    orb_write16(var::ranking_reveal_counter, dec<uint16_t>(orb_read16(var::ranking_reveal_counter)));
    if (eq()) {
        next_submode();
        orb_write32(var::ranking_reveal_source, kRankingPage);
        orb_write32(var::ranking_reveal_dest, hw::text_layer);
    }
    ret();
    return;
L_ranking_9:
    // One row of the page considered every second frame, 28 rows in all.
    cpu.reg[0] = load_zx16(var::ranking_reveal_counter);
    orb_write16(var::ranking_reveal_counter, inc<uint16_t>(cpu.reg[0]));
    cmp<uint16_t>(cpu.reg[0], 55);
    if (greater()) {
        next_submode();
        orb_write16(var::ranking_reveal_counter, 240);
        ret();
        return;
    }
    if (cpu.reg[0] & 1) {
        ret();
        return;
    }
    cpu.reg[19] = orb_read32(var::ranking_reveal_source);
    cpu.reg[18] = orb_read32(var::ranking_reveal_dest);
    if (test_bit(rom::reveal_mask, cpu.reg[0] >> 1)) {
        for (uint32_t block = 0; block < 80; block += 16)
            for (uint32_t word = 0; word < 16; word += 4)
                orb_write32(cpu.reg[18] + block + word, orb_read32(cpu.reg[19] + block + word));
    }
    orb_write32(var::ranking_reveal_source, cpu.reg[19] + 128);
    orb_write32(var::ranking_reveal_dest, cpu.reg[18] + 128);
    ret();
    return;
L_ranking_12:
    orb_write16(var::ranking_reveal_counter, dec<uint16_t>(orb_read16(var::ranking_reveal_counter)));
    if (less_equal()) {
        start_fade(0);
        next_submode();
    }
    ret();
    return;
L_ranking_15:
    if (fade_done()) {
        set_mode(game_mode::title);
        if (!call(sub_060942, 0x0602DF, 0x0602DC)) return;
    }
    ret();
    return;

    // ---- mode 21: a presentation scene ----
L_0602E0:
    if (!call(sub_061384, 0x0602E3, 0x0602E0)) return;
    if (!call(sub_0611A2, 0x0602E7, 0x0602E4)) return;
    if (!call(sub_0615C4, 0x0602EB, 0x0602E8)) return;
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case presentation_step::setup:
    case presentation_step::setup_again: goto L_0602F0;
    case presentation_step::shown: goto L_presentation_3;
    case presentation_step::leave: goto L_presentation_6;
    default: v60_unknown_jump(0x081BDA + 3 * cpu.reg[0], 0x0602EC);
    }
L_0602F0:
    if (!call(sub_088B2D, 0x0602F3, 0x0602F0)) return;
    if (!call(sub_0608DF, 0x0602F7, 0x0602F4)) return;
    if (!call(sub_0609AA, 0x0602FB, 0x0602F8)) return;
    if (!call(sub_060942, 0x0602FF, 0x0602FC)) return;
    start_fade(3);
    next_submode();
    orb_write16(var::flow_countdown, 480);
    cpu.reg[19] = orb_read32(rom::presentation_palettes + 4u * orb_read8(var::presentation_index));
    if (!call(sub_0896A9, 0x060303, 0x060300)) return;
    cpu.reg[19] = rom::presentation_second_palette;
    if (!call(sub_0896A9, 0x060307, 0x060304)) return;
    if (!call(sub_088C57, 0x06030B, 0x060308)) return;
    if (eq()) goto L_presentation_built;
    if (!call(sub_088CA5, 0x06030F, 0x06030C)) return;
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_081CB5 /* split sprite */);
    cpu.reg[3] = cpu.reg[21];
    // The scene's actor list: a 32-bit count, then the actors' routines. An
    // empty pool ends it, so the ring never gets an object twice.
    cpu.reg[1] = orb_read32(rom::presentation_actor_lists + 4u * orb_read8(var::presentation_index));
    cpu.reg[2] = orb_read32(cpu.reg[1]);
    cpu.reg[1] += 4;
    for (;;) {
        test<uint32_t>(cpu.reg[2]);
        if (eq()) break;
        if (!call(sub_088C57, 0x060313, 0x060310)) return;
        if (eq()) break;
        if (!call(sub_088CA5, 0x060317, 0x060314)) return;
        orb_write32(cpu.reg[21] + object_record::routine, orb_read32(cpu.reg[1]));
        cpu.reg[1] += 4;
        orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[3]));
        orb_write8(cpu.reg[21] + object_record::type, orb_read8(var::presentation_index));
        cpu.reg[2] = dec<uint32_t>(cpu.reg[2]);
    }
L_presentation_built:
    orb_write8(var::presentation_index, inc<uint8_t>(orb_read8(var::presentation_index)));
    cmp<uint8_t>(orb_read8(var::presentation_index), 4);
    if (greater()) orb_write8(var::presentation_index, 0);
    ret();
    return;
L_presentation_3:
    if (fade_done() && count_down16_sets_flags(var::flow_countdown)) {
        start_fade(0);
        next_submode();
    }
    ret();
    return;
L_presentation_6:
    if (fade_done()) {
        cpu.reg[19] = rom::scene_palette;
        if (!call(sub_0896A9, 0x06031B, 0x060318)) return;
        set_mode(game_mode::demo);
        set_bit(var::system_flags, system_flag::mixer_take_pending);
    }
    ret();
    return;

    // ---- mode 18: slot reset, then it stays ----
L_060369:
    if (!call(sub_061384, 0x06036C, 0x060369)) return;
    if (!call(sub_0611A2, 0x060370, 0x06036D)) return;
    cpu.reg[0] = load_zx8(var::game_submode);
    switch (cpu.reg[0]) {
    case slot_reset_step::reset:
    case slot_reset_step::reset_again: goto L_slot_reset_0;
    case slot_reset_step::stay: ret(); return;
    default: v60_unknown_jump(0x060375 + 3 * cpu.reg[0], 0x060371);
    }
L_slot_reset_0:
    for (cpu.reg[20] = var::player_records; cpu.reg[20] < var::player_records + 4 * player_record::size;
         cpu.reg[20] += player_record::size) {
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_063514 /* idle slot */);
        orb_write8(cpu.reg[20] + object_record::state, 0);
    }
    if (!call(sub_088B2D, 0x060383, 0x060380)) return;
    if (!call(sub_0608DF, 0x060387, 0x060384)) return;
    if (!call(sub_060942, 0x06038B, 0x060388)) return;
    if (!call(sub_0609AA, 0x06038F, 0x06038C)) return;
    next_submode();
    ret();
}

// Slot reset: game_flags 0, and every player record idle with its flags and
// byte +148 cleared. The flags go as one 32-bit store, so the state and type
// bytes at +2 and +3 are cleared with them. R20 walks the records and is
// given back as it came: the play start goes on with its own record.
void sub_0634A7() {
    ROUTINE_ENTRY(0x0634A7);
    push(cpu.reg[20]);
    orb_write32(var::game_flags, 0);
    for (cpu.reg[20] = var::player_records; cpu.reg[20] < var::player_records + 4 * player_record::size;
         cpu.reg[20] += player_record::size) {
        orb_write32(cpu.reg[20] + object_record::flags, 0);
        orb_write8(cpu.reg[20] + player_record::followed, 0);
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_063514 /* idle slot */);
    }
    cpu.reg[20] = pop();
    ret();
}

// Join check: offers the slots the settings allow, highest first, to the join
// routine with R20 = the slot's record and R15 = the play start.
void sub_0634D4() {
    ROUTINE_ENTRY(0x0634D4);
    cpu.reg[0] = load_zx8(var::backup_primary + backup_record::player_count);
    switch (cpu.reg[0]) {
    case 0: goto L_0634F9;
    case 1: goto L_0634F3;
    case 2:
    case 3: break;
    default: v60_unknown_jump(0x0634DE + 3 * cpu.reg[0], 0x0634DB);
    }
    cpu.reg[20] = var::player_records + 3 * player_record::size;
    cpu.reg[15] = entry::sub_0635B4 /* play start */;
    if (!call(sub_063536, 0x0634F3, 0x0634F0)) return;
L_0634F3:
    cpu.reg[20] = var::player_records + 2 * player_record::size;
    cpu.reg[15] = entry::sub_0635B4 /* play start */;
    if (!call(sub_063536, 0x0634F9, 0x0634F6)) return;
L_0634F9:
    cpu.reg[20] = var::player_records + 1 * player_record::size;
    cpu.reg[15] = entry::sub_0635B4 /* play start */;
    if (!call(sub_063536, 0x0634FF, 0x0634FC)) return;
    cpu.reg[20] = var::player_records;
    cpu.reg[15] = entry::sub_0635B4 /* play start */;
    if (!call(sub_063536, 0x063505, 0x063502)) return;
    ret();
}
