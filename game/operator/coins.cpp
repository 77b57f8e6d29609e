// Coins and credits: the stored settings applied at start-up, and the vblank
// coin handler that turns coin and service releases into credits on up to
// four credit records, queues the coin sounds, pulses the two coin meters,
// counts everything in the bookkeeping block and keeps the standing credits
// there.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint8_t kCoinSound = 0xA5;
constexpr uint8_t kServiceSound = 0xAD;
constexpr uint8_t kCreditCap = 9;
constexpr uint8_t kLastMode = 6;
constexpr uint32_t kMirror = 0x7C;

// Chute indexes into the copies of the settings (R4 of the one-coin routine),
// the meters' pending bytes as offsets from R25 (R5), and what the handler
// writes to the I/O byte the board ignores before each coin.
constexpr uint32_t kChute1 = 0, kChute2 = 1;
constexpr uint32_t kMeter1Pending = 0x82, kMeter2Pending = 0x85;
constexpr uint8_t kIoMeter1 = 0x11, kIoMeter2 = 0x10;

// Released-edge bits of the service switch and the four coin chutes.
constexpr uint8_t kServiceEdge = 0x01;
constexpr uint8_t kCoinEdges = 0xCC;

// One coin edge of a layout: the edge's bit, the record it credits and the
// element of the bookkeeping coin counts it adds to.
struct coin_edge {
    uint8_t bit;
    uint8_t record;
    uint8_t counter;
};
struct coin_layout {
    uint8_t service_records;  // service credits go to records n-1 down to 0
    bool shared;              // 2 chutes on record 0, each with its own value
    uint8_t edge_count;
    coin_edge edges[4];  // in the order they are served
};

// By coin_mode: 0 to 2 share one record between 2, 3 or 4 players; 3 to 5 give
// each of 2, 3 or 4 players a chute of their own; 6 (player_count 3 with one
// chute per player, which no editor makes) serves the shared chutes at
// chute-1 value and the four records with service credits.
constexpr coin_edge kSharedEdges[2] = {{0x08, 0, 1}, {0x04, 0, 0}};
constexpr coin_layout kLayouts[kLastMode + 1] = {
    {1, true, 2, {kSharedEdges[0], kSharedEdges[1]}},
    {1, true, 2, {kSharedEdges[0], kSharedEdges[1]}},
    {1, true, 2, {kSharedEdges[0], kSharedEdges[1]}},
    {2, false, 2, {{0x08, 1, 1}, {0x04, 0, 0}}},
    {3, false, 3, {{0x40, 2, 2}, {0x08, 1, 1}, {0x04, 0, 0}}},
    {4, false, 4, {{0x80, 3, 3}, {0x40, 2, 2}, {0x08, 1, 1}, {0x04, 0, 0}}},
    {4, false, 2, {kSharedEdges[0], kSharedEdges[1]}},
};

// The branch tables of the two jumps on coin_mode (three bytes a case).
constexpr uint32_t kServiceJump = 0x060DB0, kServiceTable = 0x060DB3;
constexpr uint32_t kCoinJump = 0x060E38, kCoinTable = 0x060E3B;

uint32_t record(uint32_t n) { return var::credit_records + credit_record::size * n; }

void count_up(uint32_t address) { orb_write8(address, inc<uint8_t>(orb_read8(address))); }

// The coin-meter bit in the port-D shadow.
void meter_bit(uint32_t bit, bool on) {
    const uint8_t value = orb_read8(var::output_port_shadow);
    bit_flags(value, bit);
    const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    orb_write8(var::output_port_shadow, static_cast<uint8_t>(on ? value | mask : value & ~mask));
}

}  // namespace

// Applies the stored settings at start-up: the difficulty to the rank, free
// play or the coin settings, the coin layout, and the credits that stood
// before the last re-initialisation.
void sub_060CCE() {
    ROUTINE_ENTRY(0x060CCE);
    const uint32_t settings = var::backup_primary;
    orb_write8(var::difficulty_rank, orb_read8(settings + backup_record::difficulty));
    test<uint8_t>(orb_read8(settings + backup_record::free_play));
    if (ne()) {
        orb_write8(var::free_play_active, 0xFF);
    } else {
        orb_write32(var::coin_setting_copy, orb_read32(settings + backup_record::coins_per_credit));
        cmp<uint8_t>(orb_read8(settings + backup_record::chute1_units),
                     orb_read8(settings + backup_record::chute2_units));
        if (eq()) orb_write8(var::same_chute_units, 0xFF);
    }
    uint8_t mode = orb_read8(settings + backup_record::player_count);
    test<uint8_t>(orb_read8(settings + backup_record::chute_per_player));
    if (ne()) mode = add<uint8_t>(mode, 3);
    orb_write8(var::coin_mode, mode);
    for (uint32_t n = 0; n < 4; ++n)
        orb_write16(record(n) + credit_record::credits, orb_read16(var::saved_credits + 2 * n));
    ret();
}

// Coin handler, once a vblank outside the service mode: one pending coin and
// one pending service sound queued, service credits for a service release,
// the coin releases counted in the layout's order, then the meters stepped and
// the credits saved.
void sub_060D76() {
    ROUTINE_ENTRY(0x060D76);
    test<uint8_t>(orb_read8(var::free_play_active));
    if (ne()) {
        ret();
        return;
    }
    test<uint8_t>(orb_read8(var::coin_sound_pending));
    if (ne()) {
        set8(cpu.reg[0], kCoinSound);
        if (!call(sub_088F98, 0x060D89, 0x060D86)) return;
        count_down8_sets_flags(var::coin_sound_pending);
    }
    test<uint8_t>(orb_read8(var::service_sound_pending));
    if (ne()) {
        set8(cpu.reg[0], kServiceSound);
        if (!call(sub_088F98, 0x060D9B, 0x060D98)) return;
        count_down8_sets_flags(var::service_sound_pending);
    }
    const uint8_t released = orb_read8(var::system_releases);
    if (released & kServiceEdge) {
        cpu.reg[9] = 0;
        const uint8_t mode = orb_read8(var::coin_mode);
        if (mode > kLastMode) v60_unknown_jump(kServiceTable + 3 * mode, kServiceJump);
        for (uint32_t n = kLayouts[mode].service_records; n-- > 0;) {
            cpu.reg[10] = record(n);
            if (!call(sub_060F86, 0x060DC8, 0x060DC5)) return;
        }
        cpu.reg[7] = var::service_credits;
        if (!call(sub_060F7B, 0x060DD6, 0x060DD3)) return;
    }
    if (logic<uint8_t>(released & kCoinEdges) != 0) {
        cpu.reg[9] = 0;
        const uint8_t mode = orb_read8(var::coin_mode);
        if (mode > kLastMode) v60_unknown_jump(kCoinTable + 3 * mode, kCoinJump);
        const coin_layout& layout = kLayouts[mode];
        const bool same = orb_read8(var::same_chute_units) != 0;
        for (uint32_t i = 0; i < layout.edge_count; ++i) {
            const coin_edge& edge = layout.edges[i];
            if (!(released & edge.bit)) continue;
            // In the shared layouts a chute-2 coin has its own value and meter
            // unless both chutes are worth the same.
            const bool own_meter = layout.shared && edge.counter == 1 && !same;
            orb_write8(hw::io_unused, own_meter ? kIoMeter2 : kIoMeter1);
            cpu.reg[10] = record(edge.record);
            cpu.reg[4] = own_meter ? kChute2 : kChute1;
            cpu.reg[5] = own_meter ? kMeter2Pending : kMeter1Pending;
            cpu.reg[7] = var::coin_count + 2 * edge.counter;
            if (!call(sub_060FBB, 0x060E8F, 0x060E8C)) return;
        }
        cpu.reg[7] = var::coin_credits;
        if (!call(sub_060F7B, 0x060EE5, 0x060EE2)) return;
    }
    test<uint8_t>(orb_read8(var::same_chute_units));
    if (eq()) {
        cpu.reg[7] = var::coin_meter_2;
        cpu.reg[1] = 1;
        if (!call(sub_060F0C, 0x060EF3, 0x060EF0)) return;
    }
    cpu.reg[7] = var::coin_meter_1;
    cpu.reg[1] = 0;
    sub_060F0C();
}

// Steps one coin meter: a pending pulse holds the meter's port-D bit for 6
// vblanks and leaves it clear for 7, so one pulse every 13 frames. Then the
// credits are saved in the bookkeeping block and its mirror.
// In: R7 = the coin_meter_record, R1 = its bit in the port-D shadow.
void sub_060F0C() {
    ROUTINE_ENTRY(0x060F0C);
    const uint32_t meter = cpu.reg[7];
    test<uint16_t>(orb_read16(meter + coin_meter_record::on));
    if (eq()) {
        test<uint8_t>(orb_read8(meter + coin_meter_record::pending));
        if (ne()) {
            count_down8_sets_flags(meter + coin_meter_record::pending);
            meter_bit(cpu.reg[1], true);
            orb_write16(meter + coin_meter_record::on, 0x0606);
        }
    } else {
        test<uint8_t>(orb_read8(meter + coin_meter_record::on));
        if (ne()) {
            count_down8_sets_flags(meter + coin_meter_record::on);
            if (eq()) meter_bit(cpu.reg[1], false);
        } else {
            count_down8_sets_flags(meter + coin_meter_record::off);
        }
    }
    cpu.reg[13] = var::credit_records;
    cpu.reg[12] = var::saved_credits;
    if (!call(sub_060F62, 0x060F43, 0x060F40)) return;
    if (!call(sub_0610CF, 0x060F46, 0x060F43)) return;
    cpu.reg[13] = var::credit_records;
    cpu.reg[12] = var::saved_credits + kMirror;
    if (!call(sub_060F62, 0x060F55, 0x060F52)) return;
    ret();
}

// Copies the first halfword (credits, coin units) of the four credit records
// to four halfwords in a row. In: R13 = the first record, R12 = destination.
void sub_060F62() {
    ROUTINE_ENTRY(0x060F62);
    for (uint32_t n = 0; n < 4; ++n) {
        orb_write16(cpu.reg[12], orb_read16(cpu.reg[13]));
        cpu.reg[13] += credit_record::size;
        cpu.reg[12] += 2;
    }
    ret();
}

// One service credit, up to the cap of 9; at the cap the coin and bonus
// units go. In: R10 = the credit record, R9 = credits made (counted up).
void sub_060F86() {
    ROUTINE_ENTRY(0x060F86);
    const uint32_t rec = cpu.reg[10];
    cmp<uint8_t>(orb_read8(rec + credit_record::credits), kCreditCap);
    if (no_carry()) {
        orb_write8(rec + credit_record::coin_units, 0);
        orb_write8(rec + credit_record::bonus_units, 0);
        ret();
        return;
    }
    const uint8_t credits = inc<uint8_t>(orb_read8(rec + credit_record::credits));
    orb_write8(rec + credit_record::credits, credits);
    cmp<uint8_t>(credits, kCreditCap);
    if (eq()) {
        orb_write8(rec + credit_record::coin_units, 0);
        orb_write8(rec + credit_record::bonus_units, 0);
    }
    if (!call(sub_061034, 0x060FA1, 0x060F9E)) return;
    count_up(var::service_sound_pending);
    orb_write8(rec + credit_record::credit_added, 1);
    cpu.reg[9] = inc<uint32_t>(cpu.reg[9]);
    ret();
}

// One coin: its meter pulse and its count always; below the cap also its
// sound, the bonus units it earns, and the credits its units make (units left
// at the cap are dropped). In: R10 = the credit record, R4 = chute index
// (0 chute 1, 1 chute 2), R5 = the meter's pending byte as an offset from
// R25, R7 = its bookkeeping coin count, R9 = credits made (counted up).
void sub_060FBB() {
    ROUTINE_ENTRY(0x060FBB);
    const uint32_t rec = cpu.reg[10];
    count_up(cpu.reg[25] + cpu.reg[5]);
    orb_write8(rec + credit_record::credit_added, 0);
    cmp<uint8_t>(orb_read8(rec + credit_record::credits), kCreditCap);
    if (no_carry()) {
        if (!call(sub_060F72, 0x060FCB, 0x060FC8)) return;
        orb_write8(rec + credit_record::bonus_units, 0);
        orb_write8(rec + credit_record::coin_units, 0);
        ret();
        return;
    }
    if (!call(sub_060F72, 0x060FD7, 0x060FD4)) return;
    count_up(var::coin_sound_pending);
    cpu.reg[0] = load_zx8(var::coin_setting_copy + 1 + cpu.reg[4]);  // the chute's value
    // Every bonus period of units inserted earns one more unit.
    cpu.reg[3] = load_zx8(var::coin_setting_copy + 3);
    test<uint8_t>(cpu.reg[3]);
    if (ne()) {
        uint8_t bonus = add<uint8_t>(orb_read8(rec + credit_record::bonus_units), cpu.reg[0]);
        for (cmp<uint8_t>(bonus, cpu.reg[3]); no_carry(); cmp<uint8_t>(bonus, cpu.reg[3])) {
            count_up(rec + credit_record::coin_units);
            bonus = sub<uint8_t>(bonus, cpu.reg[3]);
        }
        orb_write8(rec + credit_record::bonus_units, bonus);
    }
    set8(cpu.reg[1], add<uint8_t>(orb_read8(rec + credit_record::coin_units), cpu.reg[0]));
    cpu.reg[3] = load_zx8(var::coin_setting_copy);  // units per credit
    for (cmp<uint8_t>(cpu.reg[1], cpu.reg[3]); no_carry(); cmp<uint8_t>(cpu.reg[1], cpu.reg[3])) {
        count_up(rec + credit_record::credits);
        if (!call(sub_061034, 0x061007, 0x061004)) return;
        count_up(rec + credit_record::credit_added);
        cpu.reg[9] = inc<uint32_t>(cpu.reg[9]);
        set8(cpu.reg[1], sub<uint8_t>(cpu.reg[1], cpu.reg[3]));
        cmp<uint8_t>(orb_read8(rec + credit_record::credits), kCreditCap);
        if (no_carry()) {
            set8(cpu.reg[1], 0);
            break;
        }
    }
    orb_write8(rec + credit_record::coin_units, static_cast<uint8_t>(cpu.reg[1]));
    ret();
}

// Attract exit: a credit made in the title, demo, ranking or presentation
// modes (3 to 12 and 21) restarts the title; the game and modes 0 to 2 stay.
void sub_061034() {
    ROUTINE_ENTRY(0x061034);
    const uint32_t mode = load_sx8(var::game_mode);
    cmp<uint8_t>(mode, game_mode::title);
    if (less()) {
        ret();
        return;
    }
    cmp<uint8_t>(mode, game_mode::presentation);
    if (ne()) {
        cmp<uint8_t>(mode, game_mode::ranking_screen);
        if (greater()) {
            ret();
            return;
        }
    }
    orb_write8(var::game_mode, game_mode::title);
    orb_write8(var::game_submode, 0);
    ret();
}
