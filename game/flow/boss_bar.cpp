// The boss bar: a boss's name and a 22-cell energy bar on the text layer with
// a portrait sprite beside them. The bar falls one step a frame towards the
// boss's energy while a palette entry flashes, and everything is erased once
// the shown energy has run out. One bar shows at a time.
#include <algorithm>

#include "game/flow/tables.h"
#include "game/routines.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

// Fields of the bar object (64 bytes).
constexpr uint32_t kColour = 2;  // 8-bit palette block choice
constexpr uint32_t kName = 3;    // 8-bit name index
constexpr uint32_t kShown = 32;  // 16-bit shown energy
constexpr uint32_t kStep = 34;   // 16-bit energy units per 32 bar units
constexpr uint32_t kBlock = 36;  // the object's palette block: offset, count, colour
constexpr uint32_t kBlockColour = 40;
constexpr uint32_t kFlash = 42;  // 16-bit, 0 and 0x100F in turn

constexpr uint16_t kLeftEnd = 0x1173;   // + units 0-3
constexpr uint16_t kMiddle = 0x1177;    // + units 0-4
constexpr uint16_t kRightEnd = 0x117C;  // + units 0-3
constexpr uint32_t kMiddles = 20;
constexpr uint32_t kFullUnits = 3 + 4 * kMiddles + 3;  // 86
constexpr uint16_t kRedFlash = 0x100F;
constexpr int16_t kPortraitKey = 351;

uint32_t owner_energy(uint32_t bar) {
    const uint32_t boss = kHigh | orb_read16(bar + object_record::owner);
    return orb_read16(boss + object_record::energy);
}

// The bar's cells from the left end: the ends and the 20 middles.
void draw_bar(uint16_t left, uint32_t full, uint16_t partial, bool with_partial, uint16_t right) {
    uint32_t cell = var::boss_bar_cells;
    auto put = [&cell](uint16_t code) {
        orb_write16(cell, code);
        cell += 2;
    };
    put(left);
    for (uint32_t i = 0; i < full; ++i) put(kMiddle + 4);
    if (with_partial) put(partial);
    for (uint32_t i = full + (with_partial ? 1 : 0); i < kMiddles; ++i) put(kMiddle);
    put(right);
}

}  // namespace

// Bar set-up, retried each frame while another bar shows: name, full bar,
// portrait, palettes; then it follows the boss. In: R20 = the bar object.
void sub_0697D7() {
    ROUTINE_ENTRY(0x0697D7);
    const uint32_t bar = r(20);
    if (set_bit(var::enemy_flags, 0)) {
        ret();
        return;
    }
    const uint32_t name = load_zx8(bar + kName);
    {
        const uint32_t entry = rom::bar_names + 2 * name;
        r(19) = entry + load_sx16(entry);
        for (r(18) = var::boss_bar_name; orb_read8(r(19)) != 0; r(18) += 2, r(19) += 1)
            orb_write16(r(18), orb_read8(r(19)));
    }
    draw_bar(kLeftEnd + 3, kMiddles, 0, false, kRightEnd + 3);
    r(19) = rom::bar_portrait;
    if (!call(sub_061F30, 0x06982D, 0x069829)) return;
    orb_write8(bar + object_record::frame_index, orb_read8(rom::bar_portrait_frames + name));
    if (!call(sub_06200F, 0x069839, 0x069835)) return;
    orb_write16(bar + object_record::screen_x, 68);
    orb_write16(bar + object_record::screen_y, 32);
    r(19) = rom::bar_colours + 6 * load_zx8(bar + kColour);
    if (!call(sub_0896A9, 0x069859, 0x069855)) return;
    orb_write16(bar + kBlock, 0x9916);
    orb_write16(bar + kBlock + 2, 1);
    orb_write16(bar + kBlockColour, 0);
    orb_write16(bar + kFlash, 0);
    r(19) = bar + kBlock;
    if (!call(sub_0896A9, 0x069881, 0x06987D)) return;
    orb_write32(bar + object_record::routine, entry::sub_06988C);
    sub_06988C();
}

// Follows the boss's energy: a step while the shown value differs from it,
// draining once the energy is 0. In: R20 = the bar.
void sub_06988C() {
    ROUTINE_ENTRY(0x06988C);
    const uint32_t bar = r(20);
    const uint16_t energy = static_cast<uint16_t>(owner_energy(bar));
    r(0) = orb_read16(bar + kShown);
    if (test<uint16_t>(energy) == 0) {
        orb_write32(bar + object_record::routine, entry::sub_069975);
        sub_0698A6();
        return;
    }
    cmp<uint16_t>(energy, r(0));
    if (eq()) {
        r(0) = static_cast<uint16_t>(kPortraitKey);
        sub_0620DC();
        return;
    }
    sub_0698A6();
}

// One step of the bar. In: R0 = the shown value v, R20 = the bar.
// v = 1: everything is erased and the bar returns to the 64-byte pool.
// Otherwise shown := v - 1 and the bar shows n = ceil(32 (v - 1) / step)
// units of 86 (the product kept to 16 bits, as the guest keeps it).
void sub_0698A6() {
    ROUTINE_ENTRY(0x0698A6);
    const uint32_t bar = r(20);
    cmp<uint16_t>(r(0), 1);
    if (eq()) {
        r(18) = var::boss_bar_name;
        if (!call(sub_088A15, 0x0698B4, 0x0698B0)) return;
        r(18) = var::boss_bar_cells;
        if (!call(sub_088A15, 0x0698BE, 0x0698BA)) return;
        clear_bit(var::enemy_flags, 0);
        if (!call(sub_088CD3, 0x0698CB, 0x0698C7)) return;
        const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_64));
        orb_write16(var::free_stack_64, count);
        orb_write16(var::free_stack_64 + 2u * count, static_cast<uint16_t>(bar));
        ret();
        return;
    }
    const uint16_t shown = static_cast<uint16_t>(r(0) - 1);
    orb_write16(bar + kShown, shown);
    {
        // A step of 0 (a start of 0, or energy × 32 + 85 wrapped below 86)
        // would divide by 0: it draws as a step of 1, the step of the starts
        // just above. Starts above 2,045 give more units than the bar has:
        // they are kept to 86.
        const uint32_t step = std::max<uint32_t>(orb_read16(bar + kStep), 1);
        const uint32_t dividend = static_cast<uint16_t>(shown * 32u) + step - 1u;
        uint32_t units = divu<uint32_t>(dividend, step);
        if (units > kFullUnits) units = kFullUnits;
        if (units < 3) {
            draw_bar(static_cast<uint16_t>(kLeftEnd + units), 0, 0, false, kRightEnd);
        } else {
            const uint32_t q = (units - 3) / 4, rest = (units - 3) % 4;
            if (q == kMiddles)
                draw_bar(kLeftEnd + 3, q, 0, false, static_cast<uint16_t>(kRightEnd + rest));
            else
                draw_bar(kLeftEnd + 3, q, static_cast<uint16_t>(kMiddle + rest), true, kRightEnd);
        }
    }
    if (owner_energy(bar) != shown) {
        const uint16_t flash = static_cast<uint16_t>(orb_read16(bar + kFlash) ^ kRedFlash);
        orb_write16(bar + kFlash, flash);
        orb_write16(bar + kBlockColour, flash);
    } else {
        orb_write16(bar + kBlockColour, 0);
    }
    r(19) = bar + kBlock;
    if (!call(sub_0896A9, 0x069970, 0x06996C)) return;
    r(0) = static_cast<uint16_t>(kPortraitKey);
    sub_0620DC();
}

// Drains the bar one step a frame after the boss's energy reached 0.
void sub_069975() {
    ROUTINE_ENTRY(0x069975);
    r(0) = orb_read16(r(20) + kShown);
    sub_0698A6();
}
