// Player indicators: one blinking sprite per player slot at a fixed place of
// the screen, lit while its player is in the continue countdown, performs a
// special attack, or is low on energy; the colour says which.
#include "game/flow/tables.h"
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

// Fields of an indicator (128 bytes).
constexpr uint32_t kPlayer = 72;       // 32-bit player record
constexpr uint32_t kBlink = 54;        // 8-bit frame count; bit 2 lights it
constexpr uint32_t kHeightWord = 100;  // words 2, 3 and 7 of the first copied part
constexpr uint32_t kWidthWord = 102;
constexpr uint32_t kColourWord = 110;

constexpr int16_t kLowEnergy = 50;
constexpr int16_t kKey = 351;

uint32_t player_count() { return orb_read8(var::backup_primary + backup_record::player_count); }

}  // namespace

// Indicator starter: one indicator per player slot unless the game submode's
// bit 0 is set; then it removes itself. An empty pool ends the creation.
// In: R20 = the starter (128 bytes).
void sub_084F08() {
    ROUTINE_ENTRY(0x084F08);
    if (!test_bit(var::game_mode, 8)) {
        r(1) = player_count() + 2;
        for (r(2) = 0; r(2) < r(1); ++r(2)) {
            if (!call(sub_088C67, 0x084F1E, 0x084F1A)) return;
            if (eq()) break;
            if (!call(sub_088CA5, 0x084F23, 0x084F1F)) return;
            orb_write32(r(21) + object_record::routine, entry::sub_084F50);
            orb_write8(r(21) + object_record::type, static_cast<uint8_t>(r(2)));
            orb_write32(r(21) + kPlayer, var::player_records + player_record::size * r(2));
        }
    }
    if (!call(sub_088CD3, 0x084F4B, 0x084F47)) return;
    sub_088D0C();
}

// Indicator set-up: its place from the layout of the player count, the
// indicator script with the first part's sizes from ROM; then its first frame.
void sub_084F50() {
    ROUTINE_ENTRY(0x084F50);
    const uint32_t self = r(20);
    orb_write32(self + object_record::routine, entry::sub_084FA6);
    const uint32_t place =
        orb_read32(rom::indicator_layouts + 4 * player_count()) + 4 * load_zx8(self + object_record::type);
    orb_write16(self + object_record::screen_x, orb_read16(place));
    orb_write16(self + object_record::screen_y, orb_read16(place + 2));
    orb_write8(self + object_record::anim_mode, 1);
    r(19) = 0x13183E;
    if (!call(sub_061F06, 0x084F8A, 0x084F86)) return;
    orb_write16(self + kHeightWord, static_cast<uint16_t>((orb_read16(self + kHeightWord) & 0xFC00) |
                                                          (orb_read16(rom::indicator_height) & 0x3FF)));
    orb_write16(self + kWidthWord, static_cast<uint16_t>((orb_read16(self + kWidthWord) & 0xFC00) |
                                                         (orb_read16(rom::indicator_width) & 0x3FF)));
    sub_084FA6();
}

// One frame of an indicator: reason 0 continue countdown, 1 special attack
// (not in placed-object areas), 2 energy of 50 or less; lit 4 frames of 8.
// Removed once play is over.
void sub_084FA6() {
    ROUTINE_ENTRY(0x084FA6);
    const uint32_t self = r(20);
    if (test_bit(var::game_flags, game_flag::play_over)) {
        if (!call(sub_088CD3, 0x084FB3, 0x084FAF)) return;
        sub_088D0C();
        return;
    }
    const uint32_t player = orb_read32(self + kPlayer);
    uint32_t reason = 0;
    if (orb_read32(player + object_record::routine) != entry::sub_063799 /* continue */) {
        if (!(orb_read16(player + object_record::flags) & flag_mask(object_flag::alive))) {
            ret();
            return;
        }
        const uint8_t state = orb_read8(player + object_record::state);
        if (!test_bit(var::game_flags, game_flag::placed_objects) && state >= player_state::special &&
            state <= player_state::special_end) {
            reason = 1;
        } else {
            cmp<uint16_t>(orb_read16(player + object_record::energy), static_cast<uint16_t>(kLowEnergy));
            if (greater()) {
                ret();
                return;
            }
            reason = 2;
        }
    }
    orb_write16(self + kColourWord,
                static_cast<uint16_t>((orb_read16(self + kColourWord) & 0xF800) |
                                      (orb_read16(rom::indicator_colours + 2 * reason) & 0x7FF)));
    const uint8_t blink = static_cast<uint8_t>(orb_read8(self + kBlink) + 1);
    orb_write8(self + kBlink, blink);
    if (!(blink & 4)) {
        ret();
        return;
    }
    r(0) = static_cast<uint16_t>(kKey);
    sub_0620DC();
}
