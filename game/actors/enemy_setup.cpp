// The enemy kinds' set-ups and their sound wrappers. A set-up runs once, the
// first time the object runner reaches a new enemy: it counts the enemy, gives
// it its kind, flags, score, energy by the difficulty factor and state record,
// makes its companion, installs the state dispatcher (or a wrapper that
// queues the kind's hit and defeat sounds first) and adds the kind's own
// extras: a kept companion link, parts, overlays, an afterimage trail and the
// boss bar. A set-up that ends in the bar start or an overlay ends its frame
// there.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint16_t kEnemyFlags = flag_mask(object_flag::enemy, object_flag::alive);
constexpr uint8_t kNone = 255;

constexpr uint8_t kBarWide = 1;  // boss bar variants beside 0
constexpr uint8_t kBarCrowd = 2;

constexpr uint8_t kEntrySound4 = 0x8C;    // ring A
constexpr uint8_t kDefeatSound4 = 0xA9;   // ring B
constexpr uint8_t kDefeatSound19 = 0xF5;  // ring A
constexpr uint8_t kEntrySound11 = 0xAE;   // ring B
constexpr uint8_t kEntrySound9a = 0x9A;   // ring B, by kind 9's two entries
constexpr uint8_t kEntrySound9b = 0x9B;
constexpr uint8_t kDefeatSound7 = 0xB4;  // ring B, kinds 7 and 8
constexpr uint8_t kHitSound7 = 0xB3;
constexpr uint8_t kHardHit = 2;  // hit reactions from here on sound

// What a kind's set-up writes from its own figures.
struct kind_data {
    uint8_t kind;
    uint16_t score;
    uint16_t energy_step;  // per difficulty factor above 1
    uint16_t energy_base;
    uint32_t state_record;
    uint32_t companion_data;  // two words for the companion spawn
};

constexpr kind_data kKind0{0, 4000, 27, 110, rom::kind0_state_record, rom::kind0_companion_data};
constexpr kind_data kKind1{1, 5000, 80, 320, rom::kind1_state_record, rom::kind1_companion_data};
constexpr kind_data kKind2{2, 5000, 55, 220, rom::kind2_state_record, rom::kind2_companion_data};
constexpr kind_data kKind3{3, 5000, 65, 260, rom::kind3_state_record, rom::kind3_companion_data};
constexpr kind_data kKind4{4, 50000, 95, 380, rom::kind4_state_record, rom::kind4_companion_data};
constexpr kind_data kKind5{5, 5000, 67, 270, rom::kind5_state_record, rom::kind5_companion_data};
constexpr kind_data kKind6{6, 5000, 75, 300, rom::kind6_state_record, rom::kind6_companion_data};
constexpr kind_data kKind7{7, 3000, 35, 140, rom::kind7_state_record, rom::kind7_companion_data};
constexpr kind_data kKind8{8, 1000, 25, 100, rom::kind8_state_record, rom::kind8_companion_data};
constexpr kind_data kKind9{9, 5000, 90, 360, rom::kind9_state_record, rom::kind9_companion_data};
constexpr kind_data kKind11{11, 4000, 20, 80, rom::kind11_state_record, rom::kind11_companion_data};
constexpr kind_data kKind12{12, 15000, 100, 400, rom::kind12_state_record, rom::kind12_companion_data};
constexpr kind_data kKind13{13, 20000, 90, 360, rom::kind13_state_record, rom::kind13_companion_data};
constexpr kind_data kKind14{14, 20000, 75, 300, rom::kind14_state_record, rom::kind14_companion_data};
constexpr kind_data kKind19{19, 100, 15, 60, rom::kind19_state_record, rom::kind19_companion_data};
constexpr kind_data kKind20{20, 80, 12, 50, rom::kind20_state_record, rom::kind20_companion_data};
constexpr kind_data kKind21{21, 160, 17, 70, rom::kind21_state_record, rom::kind21_companion_data};
constexpr kind_data kKind22{22, 200, 17, 70, rom::kind22_state_record, rom::kind22_companion_data};
constexpr kind_data kKind23{23, 160, 15, 60, rom::kind23_state_record, rom::kind23_companion_data};
constexpr kind_data kKind24{24, 400, 30, 120, rom::kind24_state_record, rom::kind24_companion_data};
constexpr kind_data kKind25{25, 320, 25, 100, rom::kind25_state_record, rom::kind25_companion_data};
constexpr kind_data kKind26{26, 320, 20, 80, rom::kind26_state_record, rom::kind26_companion_data};
constexpr kind_data kKind27{27, 400, 2, 10, rom::kind27_state_record, rom::kind27_companion_data};
constexpr kind_data kKind28{28, 200, 10, 40, rom::kind28_state_record, rom::kind28_companion_data};
constexpr kind_data kKind29{29, 100, 5, 20, rom::kind29_state_record, rom::kind29_companion_data};
constexpr kind_data kKind30{30, 300, 15, 60, rom::kind30_state_record, rom::kind30_companion_data};
constexpr kind_data kKind31{31, 600, 30, 120, rom::kind31_state_record, rom::kind31_companion_data};
constexpr kind_data kKind32{32, 600, 20, 80, rom::kind32_state_record, rom::kind32_companion_data};
constexpr kind_data kKind33{33, 800, 30, 120, rom::kind33_state_record, rom::kind33_companion_data};
constexpr kind_data kKind34{34, 400, 17, 70, rom::kind34_state_record, rom::kind34_companion_data};
constexpr kind_data kKind35{35, 300, 12, 50, rom::kind35_state_record, rom::kind35_companion_data};
constexpr kind_data kKind36{36, 500, 22, 90, rom::kind36_state_record, rom::kind36_companion_data};
constexpr kind_data kKind58{58, 0, 50, 200, rom::kind58_state_record, rom::kind58_companion_data};

// Steps before the random number: counted, kind, flags, score, energy
// (factor - 1, taken as 0 for factor 0, times the step, plus the base, all in
// 16 bits), state 0, none of last state and target slot, on the ground.
// Out: R0 = the factor less one, R1 = the step.
void setup_head(const kind_data& d) {
    const uint32_t enemy = cpu.reg[20];
    orb_write8(var::live_enemy_count, inc<uint8_t>(orb_read8(var::live_enemy_count)));
    orb_write8(enemy + object_record::type, d.kind);
    orb_write16(enemy + object_record::flags, kEnemyFlags);
    orb_write16(enemy + object_record::score_value, d.score);
    cpu.reg[1] = d.energy_step;
    cpu.reg[0] = load_zx8(rom::difficulty_factor_table + orb_read8(var::game_flags));
    set8(cpu.reg[0], dec<uint8_t>(cpu.reg[0]));
    if (carry()) set8(cpu.reg[0], 0);
    const uint16_t energy = add<uint16_t>(mulu<uint16_t>(cpu.reg[0] & 0xFF, cpu.reg[1]), d.energy_base);
    orb_write16(enemy + object_record::energy, energy);
    orb_write8(enemy + object_record::state, enemy_state::first);
    orb_write8(enemy + object_record::last_state, kNone);
    orb_write8(enemy + object_record::target_slot, kNone);
    orb_write16(enemy + object_record::height, 0);
    orb_write16(enemy + enemy_setup::field_80, 0);
}

// Steps after the random number in R0: the offset index, the enemy as its own
// owner, its state record. Out: R10 = the companion data.
void setup_identity(const kind_data& d) {
    const uint32_t enemy = cpu.reg[20];
    orb_write8(enemy + object_record::offset_index, static_cast<uint8_t>(cpu.reg[0] & 15));
    orb_write16(enemy + object_record::owner, static_cast<uint16_t>(enemy));
    orb_write32(enemy + object_record::state_record, d.state_record);
    cpu.reg[10] = d.companion_data;
}

// The low half of the object the last spawn made (R21), or 0 when its pool
// was empty (Z set): R21 then still names some other object, and a link to it
// would let the enemy write through it later.
uint16_t made() { return eq() ? 0 : static_cast<uint16_t>(cpu.reg[21]); }

// The scripted kinds' entrance script: the spawn data itself, whose address
// the u32 at +16 holds.
void take_entrance_script(uint32_t enemy) {
    orb_write32(enemy + object_record::next_script, orb_read32(enemy + object_record::data_pointer));
}

// A hit sound for kinds 7 and 8: ring B when the enemy is hit hard.
bool hard_hit(uint32_t enemy) {
    if (!test_bit(enemy + object_record::flags, object_flag::hit)) return false;
    cmp<uint8_t>(orb_read8(enemy + object_record::hit_reaction), kHardHit);
    return no_carry();
}

}  // namespace

// Kind 58, the staller a progress watcher sends: not counted as a live enemy,
// an afterimage trail, counted on its watcher (+45 of the object its partner
// names) instead, and the staller's own routine. In: R20 = the new enemy.
void sub_06ADBB() {
    ROUTINE_ENTRY(0x06ADBB);
    setup_head(kKind58);
    if (!call(sub_06925A, 0x06ADF0, 0x06ADEB)) return;
    setup_identity(kKind58);
    if (!call(sub_077B88, 0x06AE10, 0x06AE0B)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count)));
    if (!call(sub_0696A7, 0x06AE20, 0x06AE1B)) return;
    cpu.reg[10] = var::object_area + orb_read16(cpu.reg[20] + object_record::partner);
    orb_write8(cpu.reg[10] + progress_watcher::stallers,
               inc<uint8_t>(orb_read8(cpu.reg[10] + progress_watcher::stallers)));
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06AEA4 /* staller */);
    ret();
}

// Kind 0: keeps its companion as its partner, hidden. In: R20 = the new enemy.
void sub_06B392() {
    ROUTINE_ENTRY(0x06B392);
    setup_head(kKind0);
    if (!call(sub_06925A, 0x06B3C7, 0x06B3C2)) return;
    setup_identity(kKind0);
    if (!call(sub_077B88, 0x06B3E7, 0x06B3E2)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    const uint16_t companion = made();
    orb_write16(enemy + object_record::partner, companion);
    // Only a companion just made is hidden: with the pool empty R21 names another object.
    if (companion != 0) set_bit(cpu.reg[21] + object_record::flags, object_flag::hidden);
    ret();
}

// Kind 1: a boss bar. In: R20 = the new enemy.
void sub_06BC9E() {
    ROUTINE_ENTRY(0x06BC9E);
    setup_head(kKind1);
    if (!call(sub_06925A, 0x06BCD3, 0x06BCCE)) return;
    setup_identity(kKind1);
    if (!call(sub_077B88, 0x06BCF3, 0x06BCEE)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    sub_069792();
}

// Kind 2: its companion at +66, three parts, the third as its partner. In: R20 = the new enemy.
void sub_06BF22() {
    ROUTINE_ENTRY(0x06BF22);
    setup_head(kKind2);
    if (!call(sub_06925A, 0x06BF57, 0x06BF52)) return;
    setup_identity(kKind2);
    if (!call(sub_077B88, 0x06BF77, 0x06BF72)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + object_record::target_player, made());  // kind 2 keeps its companion here
    if (!call(sub_06C438, 0x06BF87, 0x06BF82)) return;
    if (!call(sub_06C43D, 0x06BF8F, 0x06BF8A)) return;
    if (!call(sub_06C442, 0x06BF97, 0x06BF92)) return;
    orb_write16(cpu.reg[20] + object_record::partner, made());
    ret();
}

// Kind 3: nothing more. In: R20 = the new enemy.
void sub_06C7E2() {
    ROUTINE_ENTRY(0x06C7E2);
    setup_head(kKind3);
    if (!call(sub_06925A, 0x06C817, 0x06C812)) return;
    setup_identity(kKind3);
    if (!call(sub_077B88, 0x06C837, 0x06C832)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    ret();
}

// Kind 4: keeps its companion, queues its entry sound and takes the defeat-sound routine. In: R20 = the new
// enemy.
void sub_06CC1A() {
    ROUTINE_ENTRY(0x06CC1A);
    setup_head(kKind4);
    if (!call(sub_06925A, 0x06CC4F, 0x06CC4A)) return;
    setup_identity(kKind4);
    if (!call(sub_077B88, 0x06CC6F, 0x06CC6A)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + object_record::partner, made());
    cpu.reg[0] = kEntrySound4;
    if (!call(sub_088F98, 0x06CC7F, 0x06CC7A)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06CD00 /* defeat wrapper 4 */);
    ret();
}

// Kind 4's routine: at the defeat its defeat sound once (ring B), then the
// plain dispatcher. In: R20 = the enemy.
void sub_06CD00() {
    ROUTINE_ENTRY(0x06CD00);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kDefeatSound4;
        if (!call(sub_088FD7, 0x06CD0F, 0x06CD0A)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    }
    sub_06A1DA();
}

// Kind 19: its entrance script from its spawn data and the defeat-sound routine. In: R20 = the new enemy.
void sub_06D806() {
    ROUTINE_ENTRY(0x06D806);
    setup_head(kKind19);
    if (!call(sub_06925A, 0x06D83B, 0x06D836)) return;
    setup_identity(kKind19);
    if (!call(sub_077B88, 0x06D85B, 0x06D856)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_06D8E8 /* defeat wrapper 19: kinds 19 to 21 */);
    ret();
}

// The routine of kinds 19 to 21: at the defeat their defeat sound once (ring
// A), then the plain dispatcher. In: R20 = the enemy.
void sub_06D8E8() {
    ROUTINE_ENTRY(0x06D8E8);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kDefeatSound19;
        if (!call(sub_088F98, 0x06D8F7, 0x06D8F2)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    }
    sub_06A1DA();
}

// Kind 20: as kind 19. In: R20 = the new enemy.
void sub_06DCEC() {
    ROUTINE_ENTRY(0x06DCEC);
    setup_head(kKind20);
    if (!call(sub_06925A, 0x06DD21, 0x06DD1C)) return;
    setup_identity(kKind20);
    if (!call(sub_077B88, 0x06DD41, 0x06DD3C)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_06D8E8 /* defeat wrapper 19: kinds 19 to 21 */);
    ret();
}

// Kind 21: an afterimage trail, then as kind 19. In: R20 = the new enemy.
void sub_06DF4A() {
    ROUTINE_ENTRY(0x06DF4A);
    setup_head(kKind21);
    if (!call(sub_06925A, 0x06DF7F, 0x06DF7A)) return;
    setup_identity(kKind21);
    if (!call(sub_077B88, 0x06DF9F, 0x06DF9A)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    if (!call(sub_0696A7, 0x06DFAF, 0x06DFAA)) return;
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_06D8E8 /* defeat wrapper 19: kinds 19 to 21 */);
    ret();
}

// Kind 11: nothing more; its sound goes on ring B before anything else. In: R20 = the new enemy.
void sub_06E1C4() {
    ROUTINE_ENTRY(0x06E1C4);
    cpu.reg[0] = kEntrySound11;
    if (!call(sub_088FD7, 0x06E1CD, 0x06E1C8)) return;
    setup_head(kKind11);
    if (!call(sub_06925A, 0x06E1F9, 0x06E1F4)) return;
    setup_identity(kKind11);
    if (!call(sub_077B88, 0x06E219, 0x06E214)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    ret();
}

// Kind 12: a boss bar. In: R20 = the new enemy.
void sub_06E984() {
    ROUTINE_ENTRY(0x06E984);
    setup_head(kKind12);
    if (!call(sub_06925A, 0x06E9B9, 0x06E9B4)) return;
    setup_identity(kKind12);
    if (!call(sub_077B88, 0x06E9D9, 0x06E9D4)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    sub_069792();
}

// Kind 9's first entry: its set-up with sound 0x9A. In: R20 = the new enemy.
void sub_06ED28() {
    ROUTINE_ENTRY(0x06ED28);
    cpu.reg[0] = kEntrySound9a;
    sub_06ED32();
}

// Kind 9's second entry: its set-up with sound 0x9B. In: R20 = the new enemy.
void sub_06ED2E() {
    ROUTINE_ENTRY(0x06ED2E);
    cpu.reg[0] = kEntrySound9b;
    sub_06ED32();
}

// Kind 9: keeps its companion, takes its first substate from its spawn data and a boss bar. In: R20 = the new
// enemy.
void sub_06ED32() {
    ROUTINE_ENTRY(0x06ED32);
    if (!call(sub_088FD7, 0x06ED37, 0x06ED32)) return;
    setup_head(kKind9);
    if (!call(sub_06925A, 0x06ED67, 0x06ED62)) return;
    setup_identity(kKind9);
    if (!call(sub_077B88, 0x06ED87, 0x06ED82)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + object_record::partner, made());
    orb_write8(enemy + object_record::substate, orb_read8(orb_read32(enemy + object_record::data_pointer)));
    sub_069792();
}

// Kind 13: keeps its companion at +86, the overlay of kinds 13 and 14 and a boss bar. In: R20 = the new
// enemy.
void sub_06F8BC() {
    ROUTINE_ENTRY(0x06F8BC);
    setup_head(kKind13);
    if (!call(sub_06925A, 0x06F8F1, 0x06F8EC)) return;
    setup_identity(kKind13);
    if (!call(sub_077B88, 0x06F911, 0x06F90C)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + enemy_setup::overlay_companion, made());
    if (!call(sub_0703B4, 0x06F921, 0x06F91C)) return;
    sub_069792();
}

// Kind 14: keeps its companion at +86, the overlay of kinds 13 and 14 and a boss bar of variant 1. In: R20 =
// the new enemy.
void sub_070B3E() {
    ROUTINE_ENTRY(0x070B3E);
    setup_head(kKind14);
    if (!call(sub_06925A, 0x070B73, 0x070B6E)) return;
    setup_identity(kKind14);
    if (!call(sub_077B88, 0x070B93, 0x070B8E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + enemy_setup::overlay_companion, made());
    orb_write8(enemy + enemy_setup::overlay_flag, 1);
    if (!call(sub_0703B4, 0x070BA3, 0x070B9E)) return;
    set8(cpu.reg[1], kBarWide);
    sub_069795();
}

// Kind 5: the overlay of kinds 5 and 6, entered for good. In: R20 = the new enemy.
void sub_071346() {
    ROUTINE_ENTRY(0x071346);
    setup_head(kKind5);
    if (!call(sub_06925A, 0x07137B, 0x071376)) return;
    setup_identity(kKind5);
    if (!call(sub_077B88, 0x07139B, 0x071396)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    sub_071A0C();
}

// Kind 6: an afterimage trail, the overlay of kinds 5 and 6 and a boss bar. In: R20 = the new enemy.
void sub_071C7E() {
    ROUTINE_ENTRY(0x071C7E);
    setup_head(kKind6);
    if (!call(sub_06925A, 0x071CB3, 0x071CAE)) return;
    setup_identity(kKind6);
    if (!call(sub_077B88, 0x071CD3, 0x071CCE)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    if (!call(sub_0696A7, 0x071CE3, 0x071CDE)) return;
    if (!call(sub_071A0C, 0x071CEB, 0x071CE6)) return;
    sub_069792();
}

// Kind 7: keeps its companion, counts as three enemies, keeps its spawn data at +88, takes its sound routine
// and a boss bar of variant 2. In: R20 = the new enemy.
void sub_071EA6() {
    ROUTINE_ENTRY(0x071EA6);
    setup_head(kKind7);
    if (!call(sub_06925A, 0x071EDB, 0x071ED6)) return;
    setup_identity(kKind7);
    if (!call(sub_077B88, 0x071EFB, 0x071EF6)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + object_record::partner, made());
    orb_write8(var::live_enemy_count, add<uint8_t>(orb_read8(var::live_enemy_count), 2));
    orb_write8(enemy + enemy_setup::boss_byte, 1);
    orb_write32(enemy + enemy_setup::spawn_data, orb_read32(enemy + object_record::data_pointer));
    orb_write32(enemy + object_record::routine, entry::sub_071F9B /* sound wrapper 7 */);
    set8(cpu.reg[1], kBarCrowd);
    sub_069795();
}

// Kind 7's routine: the defeat frame queues 0xB4 (ring B) and hands over to
// the hit-sound routine from the next frame; otherwise the hit-sound routine
// runs. In: R20 = the enemy.
void sub_071F9B() {
    ROUTINE_ENTRY(0x071F9B);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kDefeatSound7;
        if (!call(sub_088FD7, 0x071FAA, 0x071FA5)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_071FCD /* hit wrapper 7 */);
        sub_06A1DA();
        return;
    }
    sub_071FCD();
}

// Kind 7's hit-sound routine: 0xB3 (ring B) while hit with a reaction of 2 or
// more, then the dispatcher. In: R20 = the enemy.
void sub_071FCD() {
    ROUTINE_ENTRY(0x071FCD);
    if (hard_hit(cpu.reg[20])) {
        cpu.reg[0] = kHitSound7;
        if (!call(sub_088FD7, 0x071FE6, 0x071FE1)) return;
    }
    sub_06A1DA();
}

// Kind 8: as kind 7. In: R20 = the new enemy.
void sub_072CC6() {
    ROUTINE_ENTRY(0x072CC6);
    setup_head(kKind8);
    if (!call(sub_06925A, 0x072CFB, 0x072CF6)) return;
    setup_identity(kKind8);
    if (!call(sub_077B88, 0x072D1B, 0x072D16)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    orb_write16(enemy + object_record::partner, made());
    orb_write8(var::live_enemy_count, add<uint8_t>(orb_read8(var::live_enemy_count), 2));
    orb_write8(enemy + enemy_setup::boss_byte, 1);
    orb_write32(enemy + enemy_setup::spawn_data, orb_read32(enemy + object_record::data_pointer));
    orb_write32(enemy + object_record::routine, entry::sub_072DBB /* sound wrapper 8 */);
    set8(cpu.reg[1], kBarCrowd);
    sub_069795();
}

// Kind 8's routine: the defeat frame queues 0xB4 (ring B) and hands over to
// the hit-sound routine from the next frame; otherwise the hit-sound routine
// runs. In: R20 = the enemy.
void sub_072DBB() {
    ROUTINE_ENTRY(0x072DBB);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kDefeatSound7;
        if (!call(sub_088FD7, 0x072DCA, 0x072DC5)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_072DED /* hit wrapper 8 */);
        sub_06A1DA();
        return;
    }
    sub_072DED();
}

// Kind 8's hit-sound routine: 0xB3 (ring B) while hit with a reaction of 2 or
// more, then the dispatcher. In: R20 = the enemy.
void sub_072DED() {
    ROUTINE_ENTRY(0x072DED);
    if (hard_hit(cpu.reg[20])) {
        cpu.reg[0] = kHitSound7;
        if (!call(sub_088FD7, 0x072E06, 0x072E01)) return;
    }
    sub_06A1DA();
}

// Kind 22: its entrance script from its spawn data and the defeat wrapper of kinds 22 to 26. In: R20 = the
// new enemy.
void sub_073612() {
    ROUTINE_ENTRY(0x073612);
    setup_head(kKind22);
    if (!call(sub_06925A, 0x073647, 0x073642)) return;
    setup_identity(kKind22);
    if (!call(sub_077B88, 0x073667, 0x073662)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_0736F4 /* defeat wrapper 22: kinds 22 to 26 */);
    ret();
}

// Kind 23: as kind 22. In: R20 = the new enemy.
void sub_073AFE() {
    ROUTINE_ENTRY(0x073AFE);
    setup_head(kKind23);
    if (!call(sub_06925A, 0x073B33, 0x073B2E)) return;
    setup_identity(kKind23);
    if (!call(sub_077B88, 0x073B53, 0x073B4E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_0736F4 /* defeat wrapper 22: kinds 22 to 26 */);
    ret();
}

// Kind 24: as kind 22. In: R20 = the new enemy.
void sub_073EE6() {
    ROUTINE_ENTRY(0x073EE6);
    setup_head(kKind24);
    if (!call(sub_06925A, 0x073F1B, 0x073F16)) return;
    setup_identity(kKind24);
    if (!call(sub_077B88, 0x073F3B, 0x073F36)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_0736F4 /* defeat wrapper 22: kinds 22 to 26 */);
    ret();
}

// Kind 25: an afterimage trail, then as kind 22. In: R20 = the new enemy.
void sub_0742CE() {
    ROUTINE_ENTRY(0x0742CE);
    setup_head(kKind25);
    if (!call(sub_06925A, 0x074303, 0x0742FE)) return;
    setup_identity(kKind25);
    if (!call(sub_077B88, 0x074323, 0x07431E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    if (!call(sub_0696A7, 0x074333, 0x07432E)) return;
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_0736F4 /* defeat wrapper 22: kinds 22 to 26 */);
    ret();
}

// Kind 26: an afterimage trail, then as kind 22. In: R20 = the new enemy.
void sub_0746BE() {
    ROUTINE_ENTRY(0x0746BE);
    setup_head(kKind26);
    if (!call(sub_06925A, 0x0746F3, 0x0746EE)) return;
    setup_identity(kKind26);
    if (!call(sub_077B88, 0x074713, 0x07470E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    if (!call(sub_0696A7, 0x074723, 0x07471E)) return;
    take_entrance_script(cpu.reg[20]);
    orb_write32(cpu.reg[20] + object_record::routine,
                entry::sub_0736F4 /* defeat wrapper 22: kinds 22 to 26 */);
    ret();
}

// Kind 27: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_074A72() {
    ROUTINE_ENTRY(0x074A72);
    setup_head(kKind27);
    if (!call(sub_06925A, 0x074AA7, 0x074AA2)) return;
    setup_identity(kKind27);
    if (!call(sub_077B88, 0x074AC7, 0x074AC2)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 28: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_074DCC() {
    ROUTINE_ENTRY(0x074DCC);
    setup_head(kKind28);
    if (!call(sub_06925A, 0x074E01, 0x074DFC)) return;
    setup_identity(kKind28);
    if (!call(sub_077B88, 0x074E21, 0x074E1C)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 29: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_0750DE() {
    ROUTINE_ENTRY(0x0750DE);
    setup_head(kKind29);
    if (!call(sub_06925A, 0x075113, 0x07510E)) return;
    setup_identity(kKind29);
    if (!call(sub_077B88, 0x075133, 0x07512E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 30: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_075314() {
    ROUTINE_ENTRY(0x075314);
    setup_head(kKind30);
    if (!call(sub_06925A, 0x075349, 0x075344)) return;
    setup_identity(kKind30);
    if (!call(sub_077B88, 0x075369, 0x075364)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 31: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_075720() {
    ROUTINE_ENTRY(0x075720);
    setup_head(kKind31);
    if (!call(sub_06925A, 0x075755, 0x075750)) return;
    setup_identity(kKind31);
    if (!call(sub_077B88, 0x075775, 0x075770)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 32: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_075C1E() {
    ROUTINE_ENTRY(0x075C1E);
    setup_head(kKind32);
    if (!call(sub_06925A, 0x075C53, 0x075C4E)) return;
    setup_identity(kKind32);
    if (!call(sub_077B88, 0x075C73, 0x075C6E)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 33: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_07611C() {
    ROUTINE_ENTRY(0x07611C);
    setup_head(kKind33);
    if (!call(sub_06925A, 0x076151, 0x07614C)) return;
    setup_identity(kKind33);
    if (!call(sub_077B88, 0x076171, 0x07616C)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 34: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_076626() {
    ROUTINE_ENTRY(0x076626);
    setup_head(kKind34);
    if (!call(sub_06925A, 0x07665B, 0x076656)) return;
    setup_identity(kKind34);
    if (!call(sub_077B88, 0x07667B, 0x076676)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 35: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_0769CC() {
    ROUTINE_ENTRY(0x0769CC);
    setup_head(kKind35);
    if (!call(sub_06925A, 0x076A01, 0x0769FC)) return;
    setup_identity(kKind35);
    if (!call(sub_077B88, 0x076A21, 0x076A1C)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}

// Kind 36: its entrance script from its spawn data. In: R20 = the new enemy.
void sub_076D76() {
    ROUTINE_ENTRY(0x076D76);
    setup_head(kKind36);
    if (!call(sub_06925A, 0x076DAB, 0x076DA6)) return;
    setup_identity(kKind36);
    if (!call(sub_077B88, 0x076DCB, 0x076DC6)) return;
    const uint32_t enemy = cpu.reg[20];
    orb_write32(enemy + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    take_entrance_script(enemy);
    ret();
}
