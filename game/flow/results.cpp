// The results screen after a stage: per player in play a heading, the count
// of one enemy category, an icon per defeated enemy category, a stage bonus
// added to the score and (but after the last stage) an energy bonus by rank;
// the players' portraits, of which the best animate and the others fall away;
// and the end of the flow's wait. Also the big-number printer and the tally
// clearing.
#include <initializer_list>

#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

constexpr uint32_t kTallySize = 32;
constexpr uint8_t kLineSound = 0xCC;
constexpr uint32_t kMaxScore = 99999999;
constexpr uint32_t kMaxStageBonus = 30000;

// Results controller (256 bytes).
constexpr uint32_t kPending = 54;     // 8-bit players whose results are not out
constexpr uint32_t kPortraits = 64;   // 32-bit × 4
constexpr uint32_t kSequencers = 80;  // 32-bit × 4
constexpr uint32_t kBonuses = 128;    // 16-bit × 4 stage bonus by slot

// Objects of the controller (128 bytes).
constexpr uint32_t kPlayer = 72;       // 32-bit player record
constexpr uint32_t kFallSpeed = 40;    // portrait, 8-bit
constexpr uint32_t kDelay = 54;        // sequencer 8-bit; icon 16-bit (8-bit list position first)
constexpr uint32_t kIconNumber = 55;   // icon, 8-bit
constexpr uint32_t kDefeated = 64;     // sequencer, 16-bit enemies of categories 0-9
constexpr uint32_t kCategory10 = 66;   // 16-bit, at most 1,000
constexpr uint32_t kStageBonus = 68;   // 16-bit
constexpr uint32_t kEnergyBonus = 70;  // 16-bit
constexpr uint32_t kOrigin = 76;       // 32-bit text origin cell
constexpr uint32_t kPartHeight = 100;  // words 2, 3 and 7 of the first copied part, 7 of the second
constexpr uint32_t kPartWidth = 102;
constexpr uint32_t kPartColour = 110;
constexpr uint32_t kPartColour2 = 126;

uint32_t player_count() { return orb_read8(var::backup_primary + backup_record::player_count); }
uint32_t owner_of(uint32_t object) { return linked(object, object_record::owner); }
uint32_t slot_of(uint32_t object) { return orb_read8(object + object_record::type); }
uint32_t tally_of(uint32_t slot) { return var::tally_records + kTallySize * slot; }

// The results objects' states.
namespace controller_state {
constexpr uint8_t setup = 0, running = 1;
}  // namespace controller_state
namespace portrait_state {
constexpr uint8_t setup = 0, idle = 1, standing = 2, ranked = 3, best = 4, falling = 5;
}  // namespace portrait_state
// A category icon's.
namespace icon_state {
constexpr uint8_t setup = 0, delay = 1, shown = 2;
}  // namespace icon_state
namespace bonus_icon_state {
constexpr uint8_t setup = 0, shown = 1;
}  // namespace bonus_icon_state
// A player's results, one step a frame.
namespace sequencer_state {
constexpr uint8_t setup = 0, idle = 1, wait_fade = 2, count_line = 3, icons = 4, bonus_line = 5,
                  energy_line = 6, done_delay = 7, done = 8;
}  // namespace sequencer_state
namespace title_state {
constexpr uint8_t setup = 0, shown = 1;
}  // namespace title_state

bool in_play(uint32_t player) {
    return orb_read16(player + object_record::flags) & flag_mask(object_flag::alive);
}

// The slot's place on the screen: {x, y, depth} in the table of the layout.
uint32_t place_of(uint32_t slot) { return orb_read32(rom::results_places + 4 * player_count()) + 6 * slot; }

// Counts an 8-bit delay down; true when it reached 0.
bool delay_over(uint32_t object) {
    const uint8_t left = dec<uint8_t>(orb_read8(object + kDelay));
    orb_write8(object + kDelay, left);
    return eq();
}

// The new object at R21: its routine, slot or
// category and owner set.
void fill_child(uint32_t routine, uint32_t type, uint32_t owner) {
    orb_write32(r(21) + object_record::routine, routine);
    orb_write8(r(21) + object_record::type, static_cast<uint8_t>(type));
    orb_write16(r(21) + object_record::owner, static_cast<uint16_t>(owner));
}

// A line label: R18 at origin + offset, R9 its attribute, R19 its string.
void label_at(uint32_t origin, uint32_t record) {
    r(18) = origin + orb_read16(record);
    r(9) = load_zx8(record + 2) << 8;
    r(19) = record + 3;
}

// R0 value, R1 minimum digits, R10 the number's upper-row cell.
void number_at(uint32_t value, uint32_t digits, uint32_t cell) {
    r(0) = value;
    r(1) = digits;
    r(10) = cell;
}

}  // namespace

// Big numbers of two-row glyphs: the digit count grows from R1 while the
// value exceeds the limit of that count (10 digits at most); leading zeros
// but the last digit are blank (glyph 10).
// In: R0 value, R1 minimum digit count, R10 upper-row cell (the lower row is
// 128 bytes below). Out: R10 past the last column.
void sub_061899() {
    ROUTINE_ENTRY(0x061899);
    uint32_t digits = r(1);
    while (digits < 10 && r(0) > orb_read32(rom::digit_limits + 4 * digits)) ++digits;
    r(1) = digits;
    bool leading = true;
    for (uint32_t k = digits; k >= 1; --k) {
        const uint32_t weight = orb_read32(rom::digit_weights + 4 * k);
        uint32_t glyph = divu<uint32_t>(r(0), weight);
        r(0) = remu<uint32_t>(r(0), weight);
        if (glyph != 0 || k == 1) leading = false;
        if (leading) glyph = 10;
        orb_write16(r(10) + 128, orb_read16(rom::lower_glyph_cells + 4 * glyph));
        orb_write16(r(10), orb_read16(rom::upper_glyph_cells + 4 * glyph));
        r(10) += 2;
    }
    ret();
}

// Results controller: creates a portrait and a sequencer per player slot and
// the title graphic, and counts the players whose results must come out.
// In: R20 = the controller.
void sub_084708() {
    ROUTINE_ENTRY(0x084708);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == controller_state::running) {
        ret();
        return;
    }
    if (state != controller_state::setup) v60_unknown_jump(0x084714 + 3 * state, 0x084711);
    set_state(self, controller_state::running);
    r(19) = rom::results_palette;
    if (!call(sub_0896A9, 0x08472A, 0x084726)) return;
    for (uint32_t slot = 0; slot < 4; ++slot) orb_write16(self + kBonuses + 2 * slot, 0);
    orb_write8(self + kPending, 0);
    r(2) = player_count() + 2;
    for (r(3) = 0; r(3) < r(2); ++r(3)) {
        const uint32_t slot = r(3);
        const uint32_t player = orb_read32(rom::results_players + 4 * slot);
        if (in_play(player))
            orb_write8(self + kPending, static_cast<uint8_t>(orb_read8(self + kPending) + 1));
        if (!call(sub_088C67, 0x084766, 0x084762)) return;
        if (ne()) {
            if (!call(sub_088CA5, 0x08476B, 0x084767)) return;
            fill_child(entry::sub_0847BE, slot, self);
            orb_write32(r(21) + kPlayer, player);
            orb_write32(self + kPortraits + 4 * slot, r(21));
        }
        if (!call(sub_088C67, 0x084785, 0x084781)) return;
        if (ne()) {
            if (!call(sub_088CA5, 0x08478A, 0x084786)) return;
            fill_child(entry::sub_0849DB, slot, self);
            orb_write32(r(21) + kPlayer, player);
            orb_write32(self + kSequencers + 4 * slot, r(21));
        }
    }
    if (!call(sub_088C67, 0x0847A8, 0x0847A4)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x0847AD, 0x0847A9)) return;
        fill_child(entry::sub_084B18, 0, self);
    }
    ret();
}

// A player's portrait: stands while the results come out; then the best
// animate and the others fall away. In: R20 = the portrait.
void sub_0847BE() {
    ROUTINE_ENTRY(0x0847BE);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == portrait_state::idle) {
        ret();
        return;
    }
    if (state == portrait_state::standing) goto L_084818;
    if (state == portrait_state::ranked) goto L_084828;
    if (state == portrait_state::best) goto L_084846;
    if (state == portrait_state::falling) goto L_084850;
    if (state != portrait_state::setup) v60_unknown_jump(0x0847CA + 3 * state, 0x0847C7);
    {
        const uint32_t player = orb_read32(self + kPlayer);
        if (!in_play(player)) {
            set_state(self, portrait_state::idle);
            ret();
            return;
        }
        set_state(self, portrait_state::standing);
        const uint32_t place = place_of(slot_of(self));
        orb_write16(self + object_record::screen_x, orb_read16(place));
        orb_write16(self + object_record::screen_y, orb_read16(place + 2));
        orb_write16(self + object_record::height, orb_read16(place + 4));
        orb_write8(self + object_record::anim_mode, 1);
        r(19) = orb_read32(rom::results_portraits + 4 * orb_read8(player + player_record::character));
        if (!call(sub_061F06, 0x084814, 0x084810)) return;
    }
    sub_062094();
    return;

L_084818:  // standing until every player's results are out
    if (orb_read8(owner_of(self) + kPending) == 0) set_state(self, portrait_state::ranked);
    sub_062094();
    return;

L_084828:  // the best stay and animate, the others start to fall
    if (!call(sub_084B74, 0x08482D, 0x084829)) return;
    if (r(0) == 0) {
        set_state(self, portrait_state::best);
    } else {
        set_state(self, portrait_state::falling);
        orb_write8(self + kFallSpeed, 0);
    }
    sub_062094();
    return;

L_084846:
    if (!call(sub_061FB6, 0x08484B, 0x084847)) return;
    sub_062094();
    return;

L_084850:  // falling, stretched taller and narrower, until off the screen
    {
        const uint8_t speed = static_cast<uint8_t>(orb_read8(self + kFallSpeed) + 1);
        orb_write8(self + kFallSpeed, speed);
        const uint16_t y = add<uint16_t>(orb_read16(self + object_record::screen_y), speed);
        orb_write16(self + object_record::screen_y, y);
        cmp<uint16_t>(y, 256);
        if (greater_equal()) {
            set_state(self, portrait_state::idle);
            ret();
            return;
        }
        const uint16_t height_word = orb_read16(self + kPartHeight);
        uint32_t height = ((height_word & 0x3FF) + 6) & 0x3FF;
        if (height == 0) height = 0x3FF;
        orb_write16(self + kPartHeight, static_cast<uint16_t>((height_word & 0xFC00) | height));
        const uint16_t width_word = orb_read16(self + kPartWidth);
        const uint32_t width = width_word & 0x3FF;
        orb_write16(self + kPartWidth,
                    static_cast<uint16_t>((width_word & 0xFC00) | (width > 4 ? width - 4 : 0)));
    }
    sub_062094();
}

// A category icon: appears after its list position's delay with a sound.
// In: R20 = the icon (+3 category, +54 list position, +55 icon number).
void sub_0848BF() {
    ROUTINE_ENTRY(0x0848BF);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == icon_state::delay) goto L_084936;
    if (state == icon_state::shown) goto L_08495E;
    if (state != icon_state::setup) v60_unknown_jump(0x0848CB + 3 * state, 0x0848C8);
    {
        const uint32_t number = orb_read8(self + kIconNumber);
        const uint32_t place = place_of(slot_of(owner_of(self)));
        const uint32_t offset = rom::icon_offsets + 4 * number;
        orb_write16(self + object_record::screen_x,
                    static_cast<uint16_t>(orb_read16(place) + orb_read16(offset)));
        orb_write16(self + object_record::screen_y,
                    static_cast<uint16_t>(orb_read16(place + 2) + orb_read16(offset + 2)));
        orb_write16(self + object_record::height, static_cast<uint16_t>(128 + number));
        orb_write8(self + object_record::anim_mode, 1);
        r(19) = rom::icon_script;
        if (!call(sub_061F06, 0x08491C, 0x084918)) return;
        orb_write8(self + object_record::frame_index, orb_read8(self + object_record::type));
        if (!call(sub_06200F, 0x084925, 0x084921)) return;
        orb_write16(self + kDelay, static_cast<uint16_t>(orb_read8(self + kDelay) * 32 + 1));
        set_state(self, icon_state::delay);
    }
    ret();
    return;

L_084936:
    {
        const uint16_t left = dec<uint16_t>(orb_read16(self + kDelay));
        orb_write16(self + kDelay, left);
        if (ne()) {
            ret();
            return;
        }
    }
    r(0) = kLineSound;
    if (!call(sub_088F98, 0x084953, 0x08494F)) return;
    set_state(self, icon_state::shown);

L_08495E:
    sub_062094();
}

// The bonus icon beside the count line. In: R20 (+3 slot, +12 sequencer).
void sub_084962() {
    ROUTINE_ENTRY(0x084962);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == bonus_icon_state::shown) goto L_0849D7;
    if (state != bonus_icon_state::setup) v60_unknown_jump(0x08496E + 3 * state, 0x08496B);
    {
        const uint32_t place = place_of(slot_of(self));
        orb_write16(self + object_record::screen_x,
                    static_cast<uint16_t>(orb_read16(place) + orb_read16(rom::bonus_icon_offset)));
        orb_write16(self + object_record::screen_y,
                    static_cast<uint16_t>(orb_read16(place + 2) + orb_read16(rom::bonus_icon_offset_y)));
        orb_write16(self + object_record::height, 128);
        orb_write8(self + object_record::anim_mode, 1);
        r(19) = rom::icon_script;
        if (!call(sub_061F06, 0x0849B8, 0x0849B4)) return;
        orb_write8(self + object_record::frame_index, 10);
        if (!call(sub_06200F, 0x0849C1, 0x0849BD)) return;
        set_state(self, bonus_icon_state::shown);
        r(0) = kLineSound;
        if (!call(sub_088F98, 0x0849D3, 0x0849CF)) return;
    }

L_0849D7:
    sub_062094();
}

// A player's results, one step a frame: heading and bonus; after the fade the
// count line, the icons, the bonus line, the energy line but after the last
// stage; then the flow's wait: 300 frames once every player's results are
// out, 1 when a player presses a button after that. In: R20 = the sequencer.
void sub_0849DB() {
    ROUTINE_ENTRY(0x0849DB);
    const uint32_t self = r(20);
    const uint32_t slot = slot_of(self);
    const uint32_t controller = owner_of(self);
    switch (state_of(self)) {
    case sequencer_state::setup:
        {
            const uint32_t base = orb_read8(rom::results_position_bases + player_count());
            const uint32_t origin =
                hw::text_layer | orb_read16(rom::results_text_origins + 2 * (base + slot));
            orb_write32(self + kOrigin, origin);
            r(18) = origin + orb_read16(rom::heading_offset);
            r(9) = load_zx8(rom::heading_attribute) << 8;
            r(19) = orb_read32(rom::results_headings + 4 * slot);
            if (!call(sub_0889D2, 0x084A11, 0x084A0D)) return;
            set_state(self, sequencer_state::idle);
            if (in_play(orb_read32(self + kPlayer))) {
                set_state(self, sequencer_state::wait_fade);
                orb_write8(self + kDelay, 20);
                if (!call(sub_084B9A, 0x084A2D, 0x084A29)) return;
                if (!call(sub_084BBB, 0x084A32, 0x084A2E)) return;
                if (!call(sub_084BE3, 0x084A37, 0x084A33)) return;
            }
            break;
        }
    case sequencer_state::idle: break;
    case sequencer_state::wait_fade:
        if (!test_bit(var::system_flags, system_flag::fade_running))
            set_state(self, sequencer_state::count_line);
        break;
    case sequencer_state::count_line:
        if (!delay_over(self)) break;
        set_state(self, sequencer_state::icons);
        orb_write8(self + kDelay, 20);
        if (!call(sub_084C48, 0x084A62, 0x084A5E)) return;
        if (!call(sub_084D7F, 0x084A67, 0x084A63)) return;
        break;
    case sequencer_state::icons:
        if (!delay_over(self)) break;
        set_state(self, sequencer_state::bonus_line);
        if (!call(sub_084D27, 0x084A7D, 0x084A79)) return;
        orb_write8(self + kDelay, static_cast<uint8_t>(r(1) * 32 + 20));
        break;
    case sequencer_state::bonus_line:
        if (!delay_over(self)) break;
        set_state(self, sequencer_state::energy_line);
        orb_write8(self + kDelay, 20);
        if (!call(sub_084C73, 0x084AA2, 0x084A9E)) return;
        r(0) = kLineSound;
        if (!call(sub_088F98, 0x084AAB, 0x084AA7)) return;
        if (orb_read8(var::stage) >= 4) set_state(self, sequencer_state::done_delay);
        break;
    case sequencer_state::energy_line:
        if (!delay_over(self)) break;
        set_state(self, sequencer_state::done_delay);
        orb_write8(self + kDelay, 20);
        if (!call(sub_084C24, 0x084AD1, 0x084ACD)) return;
        if (!call(sub_084C9E, 0x084AD6, 0x084AD2)) return;
        r(0) = kLineSound;
        if (!call(sub_088F98, 0x084ADF, 0x084ADB)) return;
        break;
    case sequencer_state::done_delay:
        {
            if (!delay_over(self)) break;
            set_state(self, sequencer_state::done);
            const uint8_t pending = dec<uint8_t>(orb_read8(controller + kPending));
            orb_write8(controller + kPending, pending);
            if (eq()) orb_write16(var::flow_countdown, 300);
            break;
        }
    case sequencer_state::done:
        if (orb_read8(controller + kPending) == 0 && (orb_read8(var::player_presses + slot) & 0x30))
            orb_write16(var::flow_countdown, 1);
        break;
    default:
        {
            const uint32_t state = state_of(self);
            v60_unknown_jump(0x0849E7 + 3 * state, 0x0849E4);
        }
    }
    ret();
}

// The title graphic at the top of the screen.
void sub_084B18() {
    ROUTINE_ENTRY(0x084B18);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == title_state::shown) goto L_084B70;
    if (state != title_state::setup) v60_unknown_jump(0x084B24 + 3 * state, 0x084B21);
    r(19) = rom::split_script;
    orb_write16(self + object_record::screen_x, 159);
    orb_write16(self + object_record::screen_y, 0);
    orb_write16(self + object_record::height, static_cast<uint16_t>(-96));
    orb_write8(self + object_record::anim_mode, 1);
    if (!call(sub_061F06, 0x084B4E, 0x084B4A)) return;
    for (uint32_t word : {kPartColour, kPartColour2})
        orb_write16(self + word, static_cast<uint16_t>((orb_read16(self + word) & 0xF800) | 0x7B0));
    set_state(self, title_state::shown);

L_084B70:
    sub_062094();
}

// Rank of this slot's stage bonus: the number of slots with a greater one
// (ties share a rank). In: R20 = an object of the slot (+3 slot, +12 the
// controller). Out: R0.
void sub_084B74() {
    ROUTINE_ENTRY(0x084B74);
    const uint32_t bonuses = owner_of(r(20)) + kBonuses;
    const uint16_t mine = orb_read16(bonuses + 2 * slot_of(r(20)));
    r(0) = 0;
    for (uint32_t i = 0; i < 4; ++i)
        if (orb_read16(bonuses + 2 * i) > mine) r(0) += 1;
    ret();
}

// Enemies defeated: the sum of tally words 0-9 of the sequencer's slot.
void sub_084B9A() {
    ROUTINE_ENTRY(0x084B9A);
    const uint32_t tally = tally_of(slot_of(r(20)));
    uint16_t sum = 0;
    for (uint32_t n = 0; n < 10; ++n) sum = static_cast<uint16_t>(sum + orb_read16(tally + 2 * n));
    orb_write16(r(20) + kDefeated, sum);
    ret();
}

// Category-10 count, at most 1,000.
void sub_084BBB() {
    ROUTINE_ENTRY(0x084BBB);
    const uint16_t count = orb_read16(tally_of(slot_of(r(20))) + 20);
    orb_write16(r(20) + kCategory10, count > 1000 ? 1000 : count);
    ret();
}

// Stage bonus: defeated × 1,000 + category-10 count × 20, at most 30,000,
// added to the score (at most 99,999,999) and kept as the slot's bonus.
void sub_084BE3() {
    ROUTINE_ENTRY(0x084BE3);
    const uint32_t self = r(20);
    uint32_t bonus = orb_read16(self + kDefeated) * 1000u + orb_read16(self + kCategory10) * 20u;
    if (bonus > kMaxStageBonus) bonus = kMaxStageBonus;
    orb_write16(self + kStageBonus, static_cast<uint16_t>(bonus));
    const uint32_t score = orb_read32(self + kPlayer) + player_record::score;
    uint32_t total = add<uint32_t>(orb_read32(score), bonus);
    if (carry() || total > kMaxScore) total = kMaxScore;
    orb_write32(score, total);
    orb_write16(owner_of(self) + kBonuses + 2 * slot_of(self), static_cast<uint16_t>(bonus));
    ret();
}

// Energy bonus by the rank of the stage bonus and the player-count factor,
// added to the player's energy and shown energy.
void sub_084C24() {
    ROUTINE_ENTRY(0x084C24);
    const uint32_t self = r(20);
    if (!call(sub_084B74, 0x084C2B, 0x084C27)) return;
    r(2) = r(0);
    if (!call(sub_0631FD, 0x084C32, 0x084C2E)) return;
    const uint16_t bonus = orb_read16(orb_read32(rom::energy_bonuses + 4 * (r(1) & 0xFF)) + 2 * r(2));
    const uint32_t player = orb_read32(self + kPlayer);
    for (uint32_t field : {object_record::energy, player_record::shown_energy})
        orb_write16(player + field, static_cast<uint16_t>(orb_read16(player + field) + bonus));
    orb_write16(self + kEnergyBonus, bonus);
    ret();
}

// The count line: its mark and the category-10 count in 3 big digits.
void sub_084C48() {
    ROUTINE_ENTRY(0x084C48);
    const uint32_t self = r(20), origin = orb_read32(self + kOrigin);
    label_at(origin, rom::count_label);
    if (!call(sub_0889D2, 0x084C5A, 0x084C56)) return;
    number_at(orb_read16(self + kCategory10), 3, origin + orb_read16(rom::count_number_offset));
    sub_061899();
}

// The bonus line: its label and the stage bonus in 6 big digits.
void sub_084C73() {
    ROUTINE_ENTRY(0x084C73);
    const uint32_t self = r(20), origin = orb_read32(self + kOrigin);
    label_at(origin, rom::bonus_label);
    if (!call(sub_0889D2, 0x084C85, 0x084C81)) return;
    number_at(orb_read16(self + kStageBonus), 6, origin + orb_read16(rom::bonus_number_offset));
    sub_061899();
}

// The energy line: its label and the energy bonus in 3 big digits.
void sub_084C9E() {
    ROUTINE_ENTRY(0x084C9E);
    const uint32_t self = r(20), origin = orb_read32(self + kOrigin);
    label_at(origin, rom::energy_line_label);
    if (!call(sub_0889D2, 0x084CB0, 0x084CAC)) return;
    number_at(orb_read16(self + kEnergyBonus), 3, origin + orb_read16(rom::energy_number_offset));
    sub_061899();
}

// Clears the four tally records.
void sub_084CE2() {
    ROUTINE_ENTRY(0x084CE2);
    for (uint32_t a = var::tally_records; a < var::tally_records + 4 * kTallySize; a += 4) orb_write32(a, 0);
    ret();
}

// Clears the tally record of a leaving player's slot. In: R20 = the record.
void sub_084CFE() {
    ROUTINE_ENTRY(0x084CFE);
    const uint32_t tally = tally_of(orb_read8(r(20) + player_record::slot));
    for (uint32_t a = tally; a < tally + kTallySize; a += 4) orb_write32(a, 0);
    ret();
}

// Category icons of the stage's list: one for each category the slot
// defeated (its tally word taken down by one), each delayed by its list
// position. In: R20 = the sequencer. Out: R1 = the entries in the list.
void sub_084D27() {
    ROUTINE_ENTRY(0x084D27);
    const uint32_t self = r(20);
    const uint32_t tally = tally_of(slot_of(self));
    r(17) = orb_read32(rom::results_categories + 4 * (orb_read8(var::stage) - 1u));
    r(1) = 0;
    r(3) = 0;
    do {
        const uint32_t category = orb_read8(r(17) + r(1));
        const uint32_t word = tally + 2 * category;
        const uint16_t count = orb_read16(word);
        if (count != 0) {
            orb_write16(word, static_cast<uint16_t>(count - 1));
            if (!call(sub_088C67, 0x084D58, 0x084D54)) return;
            if (ne()) {
                if (!call(sub_088CA5, 0x084D5D, 0x084D59)) return;
                fill_child(entry::sub_0848BF, category, self);
                orb_write8(r(21) + kDelay, static_cast<uint8_t>(r(1)));
                orb_write8(r(21) + kIconNumber, static_cast<uint8_t>(r(3)));
                r(3) += 1;
            }
        }
        r(1) += 1;
    } while (!(orb_read8(r(17) + r(1)) & 0x80));
    ret();
}

// The bonus icon of the sequencer's slot.
void sub_084D7F() {
    ROUTINE_ENTRY(0x084D7F);
    const uint32_t self = r(20);
    if (!call(sub_088C67, 0x084D86, 0x084D82)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x084D8B, 0x084D87)) return;
        fill_child(entry::sub_084962, slot_of(self), self);
    }
    ret();
}
