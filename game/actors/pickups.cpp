// Pickups and the pickup carrier. An item lies in the playfield until a
// player touches it: the first player in slot order collects (its callback
// gives energy or score), and the item flies to that player's panel and
// goes. The carrier is a path-scripted enemy with an attachment, aimed shots
// and side bursts; a type-3 carrier turns into an item when it is defeated or
// its script ends. Each object routine runs with R20 = its object.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kItemStates = 0x07CB40;
constexpr uint8_t kCollectSound = 167;
constexpr int16_t kLyingHeight = -96;
constexpr uint16_t kFlightFrames = 300;
constexpr uint32_t kArrival = 40;  // squared distance in pixels
constexpr uint16_t kFlyingKey = 351;
constexpr uint16_t kColourBase = 0x07FF;

constexpr uint32_t kCarrierStates = 0x07CE60;
constexpr uint32_t kAttachmentStates = 0x07CFE0;
constexpr uint32_t kShotStates = 0x07D050;
constexpr uint32_t kBurstStates = 0x07D140;

constexpr uint32_t kFirstBurstShots = 0x07D548;  // the type-1 row, taken at every set-up
constexpr uint32_t kAttachmentY = 0x07D5A0;

constexpr uint32_t kCarrierAnimation = 0x1366D0;
constexpr uint32_t kAttachmentAnimation = 0x1366D9;
constexpr uint32_t kSideBurstAnimation = 0x1366E8;
constexpr uint32_t kShotAnimation = 0x1366FB;
constexpr uint16_t kCarrierEnergy = 7;
constexpr uint16_t kCarrierScore = 30;
constexpr uint8_t kItemCarrier = 3;
constexpr uint8_t kPlainCarrier = 1;
constexpr uint8_t kDefeatDelay = 10;
constexpr int16_t kChildHeight = 128;
constexpr uint8_t kShotLife = 120;
constexpr uint8_t kBurstHitFrame = 6;
constexpr uint8_t kSideBurstSound = 242;
constexpr uint16_t kStunColour = 0x480;
constexpr uint16_t kPlainColour = 0x200;
constexpr uint16_t kColourBank = 0xF800;
constexpr uint32_t kScoreCap = 99999999;

// The item's states; the carrier's are the path-scripted enemies'.
namespace item_state {
constexpr uint8_t setup = 0;
constexpr uint8_t lying = 1;  // until a player touches it
constexpr uint8_t aim = 2;
constexpr uint8_t flying = 3;  // to the collector's panel
}  // namespace item_state
// The carrier's children: the attachment and the aimed shot set up in 0 and
// run in 1; the side burst hits once in 1 and runs out in 2.
namespace child_state {
constexpr uint8_t setup = 0;
constexpr uint8_t running = 1;
constexpr uint8_t spent = 2;
}  // namespace child_state

using self::field;
using self::set_state;
using self::state;
bool game_flag_set(unsigned bit) { return test_bit(var::game_flags, bit); }

// The carrier tables' entry for the carrier's type and the rank tier.
uint8_t carrier_byte(uint32_t table, uint32_t carrier) {
    return orb_read8(table + 4u * orb_read8(carrier + object_record::type) + actors::rank_tier());
}

// The step of the item's velocity toward its panel: the high byte of a wave entry.
uint8_t high_byte(uint32_t entry) { return static_cast<uint8_t>(orb_read16(entry) >> 8); }

// An aimed shot's step: (3 × wave entry) >> 12, its low byte.
uint8_t aimed_step(uint32_t entry) {
    return static_cast<uint8_t>(sha<uint32_t>(mul<uint32_t>(load_sx16(entry), 3), 0xF4));
}

void set_colour(uint16_t low) {
    orb_write16(field(path_object::colour_word),
                logic<uint16_t>((orb_read16(field(path_object::colour_word)) & kColourBank) | low));
}

// Its owner's position plus the s16 pair at offsets.
void place_beside(uint32_t owner, uint32_t dx, uint32_t dy) {
    actors::copy_position(cpu.reg[20], owner);
    orb_write16(field(object_record::world_x),
                add<uint16_t>(orb_read16(field(object_record::world_x)), orb_read16(dx)));
    orb_write16(field(object_record::world_y),
                add<uint16_t>(orb_read16(field(object_record::world_y)), orb_read16(dy)));
}

}  // namespace

// A pickup item. State 0 takes its pickup_record from the data pointer and
// lies (with a shadow outside placed-object areas); state 1 waits for a
// touch: the first touching player in slot order gets the kind's callback
// and sound 167, the others lose their hit mark; state 2 aims the flight at
// the collector's panel (in the demo the item just goes); state 3 flies for
// at most 300 frames or until within distance 40. An area change frees it.
// In: R20 = the item.
void sub_07CB0C() {
    ROUTINE_ENTRY(0x07CB0C);
    if (game_flag_set(game_flag::area_change)) goto L_07CCF0;
    switch (state()) {
    case item_state::setup: break;
    case item_state::lying: goto L_07CB90;
    case item_state::aim: goto L_07CC20;
    case item_state::flying: goto L_07CC90;
    default: v60_unknown_jump(kItemStates + 3u * state(), 0x07CB1E);
    }
    set_bit(field(object_record::flags), object_flag::alive);
    set_state(item_state::lying);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    orb_write8(field(object_record::attack_kind), 0);
    orb_write16(field(object_record::owner), static_cast<uint16_t>(cpu.reg[20]));
    orb_write32(field(pickup_item::pickup_kind), orb_read32(orb_read32(field(object_record::data_pointer))));
    cpu.reg[19] = orb_read32(rom::item_animations + 4u * orb_read16(field(pickup_item::pickup_kind)));
    if (!call(sub_061F06, 0x07CB6D, 0x07CB68)) return;
    orb_write16(field(object_record::height), static_cast<uint16_t>(kLyingHeight));
    if (!game_flag_set(game_flag::placed_objects)) {
        orb_write16(field(object_record::height), 0);
        cpu.reg[10] = rom::shadow_params;
        if (!call(sub_077B88, 0x07CB8D, 0x07CB88)) return;
    }
L_07CB90:
    orb_write8(field(object_record::attack_kind), 0);
    cpu.reg[16] = 0;
    cpu.reg[10] = rom::item_boxes + 4u * orb_read16(field(pickup_item::pickup_kind));
    if (game_flag_set(game_flag::placed_objects)) {
        if (!call(sub_088185, 0x07CBAD, 0x07CBA8)) return;
    } else {
        if (!call(sub_08834C, 0x07CBB5, 0x07CBB0)) return;
    }
    if (!clear_bit(field(object_record::flags), object_flag::touched)) {
        if (!call(sub_061FB6, 0x07CBC2, 0x07CBBD)) return;
        if (!call(sub_062044, 0x07CBC7, 0x07CBC2)) return;
        if (game_flag_set(game_flag::placed_objects)) {
            sub_0620CD();
            return;
        }
        sub_062094();
        return;
    }
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint32_t player = var::player_records + player_record::size * slot;
        cmp<uint16_t>(orb_read16(player + object_record::last_attacker), cpu.reg[20]);
        if (ne()) continue;
        if (!clear_bit(player + object_record::flags, object_flag::hit)) continue;
        if (!clear_bit(field(object_record::flags), object_flag::alive)) continue;
        cpu.reg[15] = player;
        if (!call_at(orb_read32(rom::item_callbacks + 4u * orb_read16(field(pickup_item::pickup_kind))),
                     0x07CBFB, 0x07CBF6))
            return;
        cpu.reg[0] = kCollectSound;
        if (!call(sub_088F98, 0x07CC05, 0x07CC00)) return;
    }
    set_state(item_state::aim);
    orb_write16(field(object_record::height), 0);
    goto L_07CCD0;
L_07CC20:
    if (game_flag_set(game_flag::demo_play)) goto L_07CCF0;
    set_state(item_state::flying);
    {
        const uint32_t slot =
            orb_read8(orb_read32(field(pickup_item::pickup_collector)) + player_record::slot);
        const uint8_t index =
            static_cast<uint8_t>(4u * orb_read8(var::backup_primary + backup_record::player_count) + slot);
        orb_write32(field(pickup_item::pickup_target_x), orb_read32(rom::panel_targets + 4u * index));
    }
    cpu.reg[0] = load_sx16(field(pickup_item::pickup_target_x));
    cpu.reg[1] = load_sx16(field(pickup_item::pickup_target_y));
    cpu.reg[2] = load_sx16(field(object_record::screen_x));
    cpu.reg[3] = load_sx16(field(object_record::screen_y));
    if (!call(sub_08923F, 0x07CC5A, 0x07CC55)) return;
    {
        // The direction is R0's low half; the upper half still holds the
        // sign-extended target x.
        const uint32_t direction = static_cast<uint16_t>(cpu.reg[0]);
        orb_write8(field(object_record::velocity_x), high_byte(rom::wave_table + 2u * (direction + 256)));
        orb_write8(field(object_record::velocity_y), high_byte(rom::wave_table + 2u * direction));
    }
    orb_write16(field(pickup_item::fine_x), shl<uint16_t>(orb_read16(field(object_record::screen_x)), 4));
    orb_write16(field(pickup_item::fine_y), shl<uint16_t>(orb_read16(field(object_record::screen_y)), 4));
    orb_write16(field(pickup_item::pickup_timer), kFlightFrames);
L_07CC90:
    orb_write16(field(pickup_item::pickup_timer),
                dec<uint16_t>(orb_read16(field(pickup_item::pickup_timer))));
    // Either end frees the item and ends its frame: a timer running out within
    // the distance must not free it twice, nor move and list a freed object.
    if (eq()) goto L_07CCF0;
    {
        const uint32_t dx =
            load_sx16(field(pickup_item::pickup_target_x)) - load_sx16(field(object_record::screen_x));
        const uint32_t dy =
            load_sx16(field(pickup_item::pickup_target_y)) - load_sx16(field(object_record::screen_y));
        cmp<uint32_t>(mul<uint32_t>(dx, dx) + mul<uint32_t>(dy, dy), kArrival);
        if (less_equal()) goto L_07CCF0;
    }
    orb_write16(field(pickup_item::fine_x), add<uint16_t>(orb_read16(field(pickup_item::fine_x)),
                                                          load_sx8(field(object_record::velocity_x))));
    orb_write16(field(pickup_item::fine_y), add<uint16_t>(orb_read16(field(pickup_item::fine_y)),
                                                          load_sx8(field(object_record::velocity_y))));
    orb_write16(field(object_record::screen_x), sha<uint16_t>(orb_read16(field(pickup_item::fine_x)), 0xFC));
    orb_write16(field(object_record::screen_y), sha<uint16_t>(orb_read16(field(pickup_item::fine_y)), 0xFC));
L_07CCD0:
    // Flying: drawn on screen as it stands, not placed by a camera.
    if (!call(sub_061FB6, 0x07CCD5, 0x07CCD0)) return;
    orb_write16(field(pickup_item::colour_word),
                logic<uint16_t>(orb_read16(field(pickup_item::colour_word)) & kColourBase));
    cpu.reg[0] = kFlyingKey;
    sub_0620DC();
    return;
L_07CCF0:
    if (!call(sub_088CD3, 0x07CCF5, 0x07CCF0)) return;
    sub_088D0C();
}

// Energy pickup: the collector's energy += pickup_value (16 bits, no upper
// bound). In: R20 = the item, R15 = the player record.
void sub_07CD01() {
    ROUTINE_ENTRY(0x07CD01);
    orb_write16(cpu.reg[15] + object_record::energy,
                add<uint16_t>(orb_read16(cpu.reg[15] + object_record::energy),
                              orb_read16(field(pickup_item::pickup_value))));
    orb_write32(field(pickup_item::pickup_collector), cpu.reg[15]);
    ret();
}

// Score pickup: the collector's score += pickup_value, at most 99,999,999.
// In: R20 = the item, R15 = the player record.
void sub_07CD0C() {
    ROUTINE_ENTRY(0x07CD0C);
    uint32_t score = add<uint32_t>(orb_read32(cpu.reg[15] + player_record::score),
                                   orb_read16(field(pickup_item::pickup_value)));
    cmp<uint32_t>(score, kScoreCap);
    if (higher()) score = kScoreCap;
    orb_write32(cpu.reg[15] + player_record::score, score);
    orb_write32(field(pickup_item::pickup_collector), cpu.reg[15]);
    ret();
}

// The pickup carrier of type 3 (it leaves an item) from a spawn list: its
// routine from the next frame on, then its first frame. In: R20.
void sub_07CE00() {
    ROUTINE_ENTRY(0x07CE00);
    orb_write8(field(object_record::type), kItemCarrier);
    orb_write32(field(object_record::routine), entry::sub_07CE1C /* carrier entry */);
    sub_07CE30();
}

// The pickup carrier of type 1 (it leaves nothing). In: R20.
void sub_07CE0E() {
    ROUTINE_ENTRY(0x07CE0E);
    orb_write8(field(object_record::type), kPlainCarrier);
    orb_write32(field(object_record::routine), entry::sub_07CE1C /* carrier entry */);
    sub_07CE30();
}

// The carrier's routine from its second frame: outside the active area it
// is removed on the next frame (counted off); otherwise sub_07CE30. In: R20.
void sub_07CE1C() {
    ROUTINE_ENTRY(0x07CE1C);
    if (!call(sub_07AB3F, 0x07CE21, 0x07CE1C)) return;
    if (test_bit(field(object_record::flags), object_flag::alive)) {
        sub_07CE30();
        return;
    }
    orb_write32(field(object_record::routine), entry::sub_07CFB2 /* removal */);
    ret();
}

// The pickup carrier's frame: the area-change guard and the hit reaction,
// then its state. State 1 flies the script with contact damage, aimed shots
// and the side probes (path and shots pause while a side burst runs); 2 and
// 3 stun (tinted); 4 and 5 the defeat effect; 6, also where the script's end
// leads, counts it off: a type-3 carrier becomes an item where it is, others
// are freed. In: R20.
void sub_07CE30() {
    ROUTINE_ENTRY(0x07CE30);
    if (!call(sub_07AA8D, 0x07CE35, 0x07CE30)) return;
    cpu.reg[10] = rom::carrier_hit_table;
    if (!call(sub_07CA05, 0x07CE3F, 0x07CE3A)) return;
    switch (state()) {
    case path_state::setup: break;
    case path_state::flying: goto L_07CEB0;
    case path_state::stun: goto L_07CF10;
    case path_state::stunned: goto L_07CF14;
    case path_state::defeat: goto L_07CF50;
    case path_state::defeated: goto L_07CF70;
    case path_state::script_end: goto L_07CF90;
    default: v60_unknown_jump(kCarrierStates + 3u * state(), 0x07CE4A);
    }
    if (!call(sub_07D203, 0x07CE7D, 0x07CE78)) return;
    orb_write16(field(path_object::side_probe_timers), 0);
    orb_write8(field(path_object::shot_burst), orb_read8(kFirstBurstShots + actors::rank_tier()));
    orb_write16(field(object_record::energy), kCarrierEnergy);
    orb_write16(field(object_record::score_value), kCarrierScore);
    cpu.reg[19] = kCarrierAnimation;
    if (!call(sub_061F06, 0x07CE9D, 0x07CE98)) return;
    if (!call(sub_088C67, 0x07CEA2, 0x07CE9D)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07CEA9, 0x07CEA4)) return;
        actors::adopt(entry::sub_07CFC2 /* attachment */);
    }
L_07CEB0:
    {
        const uint8_t cooldown = orb_read8(field(path_object::contact_cooldown));
        test<uint8_t>(cooldown);
        if (ne()) {
            orb_write8(field(path_object::contact_cooldown), dec<uint8_t>(cooldown));
        } else {
            if (!call(sub_07C9D4, 0x07CEC3, 0x07CEBE)) return;
            if (test_bit(field(object_record::flags), object_flag::touched))
                orb_write32(field(path_object::contact_cooldown),
                            carrier_byte(rom::contact_cooldowns, cpu.reg[20]));
        }
    }
    test<uint16_t>(orb_read16(field(path_object::side_probe_timers)));
    if (eq()) {
        if (!call(sub_07D252, 0x07CEDD, 0x07CED8)) return;
        if (!call(sub_061FB6, 0x07CEE2, 0x07CEDD)) return;
        if (!call(sub_07D408, 0x07CEE7, 0x07CEE2)) return;
    }
    if (!call(sub_07D4A2, 0x07CEEC, 0x07CEE7)) return;
    if (!call(sub_062044, 0x07CEF1, 0x07CEEC)) return;
    if (!call(sub_062094, 0x07CEF6, 0x07CEF1)) return;
    sub_08814E();
    return;
L_07CF10:
    set_state(path_state::stunned);
L_07CF14:
    if (!call(sub_061FB6, 0x07CF19, 0x07CF14)) return;
    orb_write8(field(path_object::stun_timer), dec<uint8_t>(orb_read8(field(path_object::stun_timer))));
    if (eq()) {
        set_state(path_state::flying);
        clear_bit(field(object_record::flags), object_flag::intangible);
        set_colour(kPlainColour);
    } else {
        set_colour(kStunColour);
    }
    if (!call(sub_07D252, 0x07CF3D, 0x07CF38)) return;
    if (!call(sub_062044, 0x07CF42, 0x07CF3D)) return;
    sub_062094();
    return;
L_07CF50:
    set_state(path_state::defeated);
    orb_write8(field(path_object::timer), kDefeatDelay);
    if (!call(sub_088C67, 0x07CF5D, 0x07CF58)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07CF64, 0x07CF5F)) return;
        actors::adopt(entry::sub_07B615 /* short effect */);
        orb_write8(cpu.reg[21] + object_record::type, 4);
    }
L_07CF70:
    orb_write8(field(path_object::timer), dec<uint8_t>(orb_read8(field(path_object::timer))));
    if (ne()) {
        if (!call(sub_061FB6, 0x07CF7F, 0x07CF7A)) return;
        if (!call(sub_062044, 0x07CF84, 0x07CF7F)) return;
        sub_062094();
        return;
    }
L_07CF90:
    orb_write16(field(object_record::flags), 0);
    orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count)));
    cmp<uint8_t>(orb_read8(field(object_record::type)), kItemCarrier);
    if (eq()) {
        orb_write32(field(object_record::routine), entry::sub_07CB0C /* item */);
        set_state(item_state::setup);
        orb_write32(field(object_record::data_pointer), rom::left_item);
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x07CFAD, 0x07CFA8)) return;
    sub_088D0C();
}

// The carrier's attachment (not counted): rides the carrier at a fixed
// offset; goes when the carrier has lost bit 0 or has bit 9. In: R20.
void sub_07CFC2() {
    ROUTINE_ENTRY(0x07CFC2);
    if (!call(sub_07AA8D, 0x07CFC7, 0x07CFC2)) return;
    const uint32_t carrier = linked(cpu.reg[20], object_record::owner);
    if (!test_bit(carrier + object_record::flags, object_flag::alive) ||
        test_bit(carrier + object_record::flags, object_flag::defeated)) {
        if (!call(sub_088CD3, 0x07CFDB, 0x07CFD6)) return;
        sub_088D0C();
        return;
    }
    switch (state()) {
    case child_state::setup: break;
    case child_state::running: goto L_07D010;
    default: v60_unknown_jump(kAttachmentStates + 3u * state(), 0x07CFDE);
    }
    set_state(child_state::running);
    orb_write16(field(object_record::height), kChildHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    cpu.reg[19] = kAttachmentAnimation;
    if (!call(sub_061F06, 0x07D00D, 0x07D008)) return;
L_07D010:
    place_beside(carrier, rom::attachment_x, kAttachmentY);
    if (!call(sub_061FB6, 0x07D02F, 0x07D02A)) return;
    if (!call(sub_062044, 0x07D034, 0x07D02F)) return;
    sub_062094();
}

// The carrier's aimed shot (not counted): waits for a random player in
// play, then flies at it for 120 frames at (3 × wave) >> 12 per frame,
// hitting with the carrier's strength; it goes at its first touch, off
// screen or when its time is up. In: R20.
void sub_07D041() {
    ROUTINE_ENTRY(0x07D041);
    if (!call(sub_07AA8D, 0x07D046, 0x07D041)) return;
    const uint32_t carrier = linked(cpu.reg[20], object_record::owner);
    switch (state()) {
    case child_state::setup: break;
    case child_state::running: goto L_07D0C0;
    default: v60_unknown_jump(kShotStates + 3u * state(), 0x07D04E);
    }
    if (!call(sub_07B78A, 0x07D065, 0x07D060)) return;
    test<uint32_t>(cpu.reg[0]);
    if (eq()) {
        ret();
        return;
    }
    actors::copy_position(cpu.reg[20], carrier);
    if (!call(sub_08921C, 0x07D07D, 0x07D078)) return;
    orb_write8(field(path_object::path_velocity_x), aimed_step(rom::wave_table + 2u * (cpu.reg[0] + 256)));
    orb_write8(field(path_object::path_velocity_y), aimed_step(rom::wave_table + 2u * cpu.reg[0]));
    set_state(child_state::running);
    orb_write16(field(object_record::height), kChildHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    orb_write8(field(path_object::timer), kShotLife);
    cpu.reg[19] = kShotAnimation;
    if (!call(sub_061F06, 0x07D0BD, 0x07D0B8)) return;
L_07D0C0:
    orb_write8(field(path_object::timer), dec<uint8_t>(orb_read8(field(path_object::timer))));
    if (ne()) {
        actors::drift(cpu.reg[20]);
        cpu.reg[16] = carrier_byte(rom::carrier_shot_strength, carrier);
        cpu.reg[10] = rom::carrier_shot_box;
        if (!call(sub_08834C, 0x07D0EA, 0x07D0E5)) return;
        if (!test_bit(field(object_record::flags), object_flag::touched)) {
            if (!call(sub_061FB6, 0x07D0F7, 0x07D0F2)) return;
            if (!call(sub_062044, 0x07D0FC, 0x07D0F7)) return;
            if (!call(sub_062094, 0x07D101, 0x07D0FC)) return;
            if (test_bit(field(object_record::flags), object_flag::listed)) {
                ret();
                return;
            }
        }
    }
    if (!call(sub_088CD3, 0x07D125, 0x07D120)) return;
    sub_088D0C();
}

// A side burst of the carrier (not counted), on side `type` (1 mirrored):
// sound 242, one hit at its animation's frame 6, freed when the animation
// stops or the carrier has bit 9. In: R20.
void sub_07D12D() {
    ROUTINE_ENTRY(0x07D12D);
    if (!call(sub_07AA8D, 0x07D132, 0x07D12D)) return;
    const uint32_t carrier = linked(cpu.reg[20], object_record::owner);
    switch (state()) {
    case child_state::setup: break;
    case child_state::running: goto L_07D180;
    case child_state::spent: goto L_07D1B0;
    default: v60_unknown_jump(kBurstStates + 3u * state(), 0x07D13C);
    }
    set_state(child_state::running);
    orb_write16(field(object_record::height), kChildHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    test<uint8_t>(orb_read8(field(object_record::type)));
    if (ne()) set_bit(field(object_record::flags), object_flag::mirror_x);
    cpu.reg[19] = kSideBurstAnimation;
    if (!call(sub_061F06, 0x07D171, 0x07D16C)) return;
    cpu.reg[0] = kSideBurstSound;
    if (!call(sub_088F98, 0x07D17B, 0x07D176)) return;
L_07D180:
    if (!call(sub_061FB6, 0x07D185, 0x07D180)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)), kBurstHitFrame);
    if (eq()) {
        set_state(child_state::spent);
        cpu.reg[16] = carrier_byte(rom::side_burst_strength, carrier);
        cpu.reg[10] = rom::side_burst_box;
        if (!call(sub_08834C, 0x07D1A5, 0x07D1A0)) return;
    }
    goto L_07D1C8;
L_07D1B0:
    if (!call(sub_061FB6, 0x07D1B5, 0x07D1B0)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (eq()) goto L_07D1F0;
L_07D1C8:
    if (test_bit(carrier + object_record::flags, object_flag::defeated)) goto L_07D1F0;
    {
        const uint32_t pair = rom::side_burst_offsets + 4u * orb_read8(field(object_record::type));
        place_beside(carrier, pair, pair + 2);
    }
    if (!call(sub_062044, 0x07D1EC, 0x07D1E7)) return;
    sub_062094();
    return;
L_07D1F0:
    if (!call(sub_088CD3, 0x07D1F5, 0x07D1F0)) return;
    sub_088D0C();
}

// The carrier's shot schedule: as the flyer's, with aimed shots (type =
// rank tier) and the carrier's per-type gap and burst tables. In: R20.
void sub_07D408() {
    ROUTINE_ENTRY(0x07D408);
    uint32_t cursor = 0;
    if (!actors::shot_due(cpu.reg[20], cursor) || !actors::on_screen(cpu.reg[20])) {
        ret();
        return;
    }
    if (!call(sub_088C67, 0x07D45A, 0x07D455)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x07D461, 0x07D45C)) return;
    actors::adopt(entry::sub_07D041 /* shot */);
    orb_write8(cpu.reg[21] + object_record::type, static_cast<uint8_t>(actors::rank_tier()));
    actors::shot_taken(
        cpu.reg[20], cursor, carrier_byte(rom::carrier_shot_gaps, cpu.reg[20]),
        rom::carrier_burst_shots + 4u * orb_read8(field(object_record::type)) + actors::rank_tier());
    ret();
}

// The carrier's side probes, on screen only: the two sides take alternate
// frames; a side whose timer has run down tests its box, and a touch makes
// a side burst, reloads that side's timer and shows the carrier's first
// frame (its path, animation and shots then pause). In: R20.
void sub_07D4A2() {
    ROUTINE_ENTRY(0x07D4A2);
    if (!actors::on_screen(cpu.reg[20])) {
        ret();
        return;
    }
    const uint32_t side = orb_read8(var::frame_counter) & 1;
    const uint32_t timer = field(path_object::side_probe_timers + side);
    orb_write8(timer, dec<uint8_t>(orb_read8(timer)));
    if (greater()) {
        ret();
        return;
    }
    orb_write8(timer, 0);
    cpu.reg[10] = rom::carrier_probe_boxes + 4u * side;
    if (!call(sub_088347, 0x07D4DD, 0x07D4D8)) return;
    if (!clear_bit(field(object_record::flags), object_flag::touched)) {
        ret();
        return;
    }
    if (!call(sub_088C67, 0x07D4EA, 0x07D4E5)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x07D4F1, 0x07D4EC)) return;
    actors::adopt(entry::sub_07D12D /* burst */);
    orb_write8(cpu.reg[21] + object_record::type, static_cast<uint8_t>(side));
    orb_write8(timer, carrier_byte(rom::probe_reloads, cpu.reg[20]));
    orb_write8(field(object_record::frame_index), 0);
    if (!call(sub_06200F, 0x07D51D, 0x07D518)) return;
    ret();
}
