// The scripted flyer and what every path-scripted enemy shares: the flyer
// follows its path script with a turret on its back (the turret flashes at
// each turn of its animation) and drops shells from a shot list; the contact
// damage and the hit reaction serve the pickup carrier and the set pieces too.
// Each object routine runs with R20 = its object.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kStunAnimation = 0x136108;
constexpr uint32_t kDefeatAnimation = 0x13610D;
constexpr uint32_t kShellAnimation = 0x13613F;
constexpr uint32_t kFlashAnimation = 0x13615C;
constexpr uint32_t kBurstAnimation = 0x136165;
constexpr uint32_t kFlyerStates = 0x07C5A0;  // the flyer's jump table
constexpr uint32_t kTurretStates = 0x07C6C8;
constexpr uint32_t kFlashStates = 0x07C790;
constexpr uint32_t kShellStates = 0x07C805;

constexpr uint16_t kFlyerEnergy = 100;
constexpr uint16_t kFlyerScore = 10000;
constexpr uint8_t kFlyerBar = 17;
constexpr uint8_t kHitSound = 0xCA;
constexpr int16_t kTurretHeight = 160;
constexpr int16_t kShellHeight = 96;
constexpr uint8_t kShellLife = 30;
constexpr uint8_t kBurstFrames = 3;

using self::field;
using self::set_state;
using self::state;

// The turret's, the flash's and the shell's.
namespace turret_state {
constexpr uint8_t setup = 0;
constexpr uint8_t riding = 1;
}  // namespace turret_state
namespace shell_state {
constexpr uint8_t setup = 0;
constexpr uint8_t falling = 1;
constexpr uint8_t burst = 2;     // hits in its first frames
constexpr uint8_t bursting = 3;  // until the animation ends
}  // namespace shell_state

// The direction animation's flag bits: bit 6 cleared, then the table's word
// OR-ed in.
void direction_flags(uint32_t object, uint8_t index) {
    clear_bit(object + object_record::flags, object_flag::mirror_x);
    orb_write16(object + object_record::flags,
                logic<uint16_t>(orb_read16(object + object_record::flags) |
                                orb_read16(rom::flyer_direction_flags + 2u * index)));
}

}  // namespace

// The scripted flyer (type 0, counted): its path with the direction
// animation, contact damage, shells from the shot list, a turret, stun and
// defeat states; the script's end (state 6) removes it. In: R20.
void sub_07C57E() {
    ROUTINE_ENTRY(0x07C57E);
    if (!call(sub_07AA8D, 0x07C583, 0x07C57E)) return;
    if (!call(sub_07C9F6, 0x07C588, 0x07C583)) return;
    switch (state()) {
    case path_state::setup: goto L_07C5B5;
    case path_state::flying: goto L_07C60A;
    case path_state::stun: goto L_07C630;
    case path_state::stunned: goto L_07C640;
    case path_state::defeat: goto L_07C660;
    case path_state::defeated: goto L_07C680;
    case path_state::script_end: goto L_07C698;
    default: v60_unknown_jump(kFlyerStates + 3u * state(), 0x07C59C);
    }
L_07C5B5:
    if (!call(sub_07D203, 0x07C5BA, 0x07C5B5)) return;
    orb_write8(field(path_object::shot_burst), orb_read8(rom::flyer_burst_shots + actors::rank_tier()));
    orb_write16(field(object_record::energy), kFlyerEnergy);
    orb_write16(field(object_record::score_value), kFlyerScore);
    orb_write8(field(object_record::type), 0);
    orb_write8(field(path_object::anim_choice), 0xFF);
    cpu.reg[0] = kFlyerBar;
    if (!call(sub_06978D, 0x07C5D8, 0x07C5D3)) return;
    if (!call(sub_088C67, 0x07C5DD, 0x07C5D8)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07C5E4, 0x07C5DF)) return;
        actors::adopt(entry::sub_07C6A0 /* turret */);
    }
    goto L_07C614;
L_07C60A:
    if (!call(sub_07C9D4, 0x07C60F, 0x07C60A)) return;
    if (!call(sub_07C94D, 0x07C614, 0x07C60F)) return;
L_07C614:
    if (!call(sub_07D252, 0x07C619, 0x07C614)) return;
    if (!call(sub_07C91B, 0x07C61E, 0x07C619)) return;
    if (!call(sub_061FB6, 0x07C623, 0x07C61E)) return;
    if (!call(sub_062044, 0x07C628, 0x07C623)) return;
    if (!call(sub_062094, 0x07C62D, 0x07C628)) return;
    sub_08814E();
    return;
L_07C630:
    set_state(path_state::stunned);
    cpu.reg[19] = kStunAnimation;
    if (!call(sub_061F06, 0x07C63D, 0x07C638)) return;
L_07C640:
    orb_write8(field(path_object::stun_timer), dec<uint8_t>(orb_read8(field(path_object::stun_timer))));
    if (eq()) {
        set_state(path_state::flying);
        clear_bit(field(object_record::flags), object_flag::intangible);
        orb_write8(field(path_object::anim_choice), 0xFF);
        if (!call(sub_07C91B, 0x07C650, 0x07C64B)) return;
    }
    if (!call(sub_07D252, 0x07C655, 0x07C650)) return;
    if (!call(sub_062044, 0x07C65A, 0x07C655)) return;
    sub_062094();
    return;
L_07C660:
    set_state(path_state::defeated);
    cpu.reg[19] = kDefeatAnimation;
    if (!call(sub_061F06, 0x07C66B, 0x07C666)) return;
    if (!call(sub_088C67, 0x07C670, 0x07C66B)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07C677, 0x07C672)) return;
        actors::adopt(entry::sub_07B615 /* short effect */);
        orb_write8(cpu.reg[21] + object_record::type, 5);
    }
L_07C680:
    if (!call(sub_061FB6, 0x07C685, 0x07C680)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (eq()) {
        orb_write16(field(object_record::flags), 0);
        if (!call(sub_088CD3, 0x07C68F, 0x07C68A)) return;
        sub_088D0C();
        return;
    }
    if (!call(sub_062044, 0x07C694, 0x07C68F)) return;
    sub_062094();
    return;
L_07C698:
    // The script has ended: the flyer leaves undefeated, counted off like
    // any path object; its turret follows on bit 9.
    orb_write16(field(object_record::flags), 0);
    sub_07CFB2();
}

// The flyer's turret (not counted): rides the flyer at the offset of its
// direction, takes its direction animation, makes a flash each time its own
// animation starts over, and is not drawn while the flyer is stunned or
// defeated. It goes when the flyer has bit 9. In: R20.
void sub_07C6A0() {
    ROUTINE_ENTRY(0x07C6A0);
    if (!call(sub_07AA8D, 0x07C6A5, 0x07C6A0)) return;
    const uint32_t flyer = linked(cpu.reg[20], object_record::owner);
    if (test_bit(flyer + object_record::flags, object_flag::defeated)) {
        if (!call(sub_088CD3, 0x07C6B3, 0x07C6AE)) return;
        sub_088D0C();
        return;
    }
    switch (state()) {
    case turret_state::setup: break;
    case turret_state::riding: goto L_07C6E8;
    default: v60_unknown_jump(kTurretStates + 3u * state(), 0x07C6C4);
    }
    set_state(turret_state::riding);
    orb_write16(field(object_record::height), kTurretHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    orb_write8(field(path_object::anim_choice), 0xFF);
    orb_write8(field(path_object::frame_mark), 0);
L_07C6E8:
    actors::copy_position(cpu.reg[20], flyer);
    {
        const uint8_t index = orb_read8(flyer + path_object::anim_choice);
        cmp<uint8_t>(index, orb_read8(field(path_object::anim_choice)));
        if (ne()) {
            orb_write8(field(path_object::anim_choice), index);
            cpu.reg[19] = orb_read32(rom::turret_animations + 4u * index);
            if (!call(sub_061F06, 0x07C70A, 0x07C705)) return;
            direction_flags(cpu.reg[20], index);
        }
    }
    {
        const uint32_t offset = rom::turret_offsets + 4u * orb_read8(field(path_object::anim_choice));
        orb_write16(field(object_record::world_x),
                    add<uint16_t>(orb_read16(field(object_record::world_x)), orb_read16(offset)));
        orb_write16(field(object_record::world_y),
                    add<uint16_t>(orb_read16(field(object_record::world_y)), orb_read16(offset + 2)));
    }
    if (!call(sub_061FB6, 0x07C735, 0x07C730)) return;
    {
        const uint8_t frame = orb_read8(field(object_record::frame_index));
        cmp<uint8_t>(frame, orb_read8(field(path_object::frame_mark)));
        if (ne()) {
            orb_write8(field(path_object::frame_mark), frame);
            test<uint8_t>(frame);
            if (eq()) {
                if (!call(sub_088C67, 0x07C74D, 0x07C748)) return;
                if (ne()) {
                    if (!call(sub_088CA5, 0x07C754, 0x07C74F)) return;
                    actors::adopt(entry::sub_07C77C /* flash */);
                }
            }
        }
    }
    cmp<uint8_t>(orb_read8(linked(cpu.reg[20], object_record::owner) + object_record::state),
                 path_state::flying);
    if (higher()) {
        ret();
        return;
    }
    if (!call(sub_062044, 0x07C775, 0x07C770)) return;
    sub_062094();
}

// The turret's flash: the turret's position and flags, one run of its
// animation, hidden while the flyer is stunned or defeated. In: R20.
void sub_07C77C() {
    ROUTINE_ENTRY(0x07C77C);
    if (!call(sub_07AA8D, 0x07C781, 0x07C77C)) return;
    const uint32_t turret = linked(cpu.reg[20], object_record::owner);
    switch (state()) {
    case turret_state::setup: break;
    case turret_state::riding: goto L_07C7C0;
    default: v60_unknown_jump(kFlashStates + 3u * state(), 0x07C78C);
    }
    set_state(turret_state::riding);
    orb_write16(field(object_record::height), kTurretHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    actors::copy_position(cpu.reg[20], turret);
    orb_write16(field(object_record::flags), orb_read16(turret + object_record::flags));
    cpu.reg[19] = kFlashAnimation;
    if (!call(sub_061F06, 0x07C7C0, 0x07C7BB)) return;
L_07C7C0:
    if (!call(sub_061FB6, 0x07C7C5, 0x07C7C0)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (eq()) {
        if (!call(sub_088CD3, 0x07C7D0, 0x07C7CB)) return;
        sub_088D0C();
        return;
    }
    cmp<uint8_t>(orb_read8(linked(turret, object_record::owner) + object_record::state), path_state::flying);
    if (higher()) {
        ret();
        return;
    }
    if (!call(sub_062044, 0x07C7F5, 0x07C7F0)) return;
    sub_062094();
}

// A shell (not counted): falls from the flyer for up to 30 frames and bursts
// when it touches a player or its time is up; the burst hits in its first
// three frames. In: R20.
void sub_07C7FD() {
    ROUTINE_ENTRY(0x07C7FD);
    switch (state()) {
    case shell_state::setup: break;
    case shell_state::falling: goto L_07C850;
    case shell_state::burst: goto L_07C8A0;
    case shell_state::bursting: goto L_07C8F0;
    default: v60_unknown_jump(kShellStates + 3u * state(), 0x07C801);
    }
    {
        set_state(shell_state::falling);
        orb_write16(field(object_record::height), kShellHeight);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        orb_write8(field(path_object::timer), kShellLife);
        const uint32_t flyer = linked(cpu.reg[20], object_record::owner);
        actors::copy_position(cpu.reg[20], flyer);
        orb_write8(field(path_object::path_velocity_x), static_cast<uint8_t>(-2));
        orb_write8(field(path_object::path_velocity_y), 0);
        clear_bit(field(object_record::flags), object_flag::mirror_x);
        if (test_bit(flyer + object_record::flags, object_flag::mirror_x)) {
            set_bit(field(object_record::flags), object_flag::mirror_x);
            orb_write8(field(path_object::path_velocity_x), 2);
        }
        cpu.reg[19] = kShellAnimation;
        if (!call(sub_061F06, 0x07C850, 0x07C84B)) return;
    }
L_07C850:
    orb_write8(field(path_object::timer), dec<uint8_t>(orb_read8(field(path_object::timer))));
    if (ne()) {
        orb_write8(field(path_object::path_velocity_y),
                   inc<uint8_t>(orb_read8(field(path_object::path_velocity_y))));
        actors::drift(cpu.reg[20]);
        cpu.reg[10] = rom::shell_box;
        if (!call(sub_088347, 0x07C877, 0x07C872)) return;
        if (!clear_bit(field(object_record::flags), object_flag::touched)) {
            if (!call(sub_061FB6, 0x07C884, 0x07C87F)) return;
            if (!call(sub_062044, 0x07C889, 0x07C884)) return;
            sub_062094();
            return;
        }
    }
    set_state(shell_state::burst);
    cpu.reg[19] = kBurstAnimation;
    if (!call(sub_061F06, 0x07C8A0, 0x07C89B)) return;
L_07C8A0:
    if (!call(sub_061FB6, 0x07C8A5, 0x07C8A0)) return;
    {
        const uint8_t frame = orb_read8(field(object_record::frame_index));
        cmp<uint8_t>(frame, kBurstFrames);
        if (carry()) {
            cpu.reg[16] = orb_read8(rom::burst_strength + actors::rank_tier());
            cpu.reg[10] = rom::burst_boxes + 4u * frame;
            if (!call(sub_08834C, 0x07C8C5, 0x07C8C0)) return;
        } else {
            set_state(shell_state::bursting);
        }
    }
L_07C8D0:
    actors::drift(cpu.reg[20]);
    if (!call(sub_062044, 0x07C8E5, 0x07C8E0)) return;
    sub_062094();
    return;
L_07C8F0:
    if (!call(sub_061FB6, 0x07C8F5, 0x07C8F0)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (ne()) goto L_07C8D0;
    if (!call(sub_088CD3, 0x07C905, 0x07C900)) return;
    sub_088D0C();
}

// The flyer's direction animation: the index of path_angle_x >> 6; a new
// index starts its animation and sets its flag bits. In: R20.
void sub_07C91B() {
    ROUTINE_ENTRY(0x07C91B);
    const uint8_t index =
        orb_read8(rom::flyer_directions + (orb_read16(field(path_object::path_angle_x)) >> 6));
    cmp<uint8_t>(index, orb_read8(field(path_object::anim_choice)));
    if (eq()) {
        ret();
        return;
    }
    orb_write8(field(path_object::anim_choice), index);
    cpu.reg[19] = orb_read32(rom::flyer_animations + 4u * index);
    if (!call(sub_061F06, 0x07C93A, 0x07C935)) return;
    direction_flags(cpu.reg[20], index);
    ret();
}

// The flyer's shot schedule: at delay 0 and on screen, a shell (type = rank
// tier) and the burst's gap; after the last shot of a burst the next
// shot-list word is the delay. An end marker followed by 0 stops shooting
// for good (delay -1); otherwise the list starts again. In: R20.
void sub_07C94D() {
    ROUTINE_ENTRY(0x07C94D);
    uint32_t cursor = 0;
    if (!actors::shot_due(cpu.reg[20], cursor) || !actors::on_screen(cpu.reg[20])) {
        ret();
        return;
    }
    if (!call(sub_088C67, 0x07C99A, 0x07C995)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x07C9A1, 0x07C99C)) return;
    actors::adopt(entry::sub_07C7FD /* shell */);
    const uint32_t tier = actors::rank_tier();
    orb_write8(cpu.reg[21] + object_record::type, static_cast<uint8_t>(tier));
    actors::shot_taken(cpu.reg[20], cursor, orb_read8(rom::flyer_shot_gaps + tier),
                       rom::flyer_burst_shots + tier);
    ret();
}

// Contact damage of a path-scripted enemy: its current frame's first box
// against the players, strength 0x07CAF2[4 × type + rank tier]; flags bit 10
// tells whether it touched. In: R20.
void sub_07C9D4() {
    ROUTINE_ENTRY(0x07C9D4);
    cpu.reg[10] = orb_read32(field(object_record::hitbox_data)) + 1;
    cpu.reg[16] =
        orb_read8(rom::contact_strength + 4u * orb_read8(field(object_record::type)) + actors::rank_tier());
    sub_08834C();
}

// The flyer's hit reaction: sub_07CA05 with its hit table. In: R20.
void sub_07C9F6() {
    ROUTINE_ENTRY(0x07C9F6);
    cpu.reg[10] = rom::flyer_hit_table;
    sub_07CA01();
}

// The hit reaction with the caller's hit table in R10. In: R20, R10.
void sub_07CA01() {
    ROUTINE_ENTRY(0x07CA01);
    sub_07CA05();
}

// Hit reaction of the path-scripted enemies. A hit (flags bit 8, cleared
// here) keeps the state, queues sound 0xCA, makes the enemy intangible and
// takes the table's hit state with its stun frames by rank tier; a defeat
// (bit 9) takes the defeat state and counts one on the attacker's tally in
// the category of the enemy's type. In: R20, R10 = the hit_table (stun
// frames × 4, hit state, defeat state).
void sub_07CA05() {
    ROUTINE_ENTRY(0x07CA05);
    if (!clear_bit(field(object_record::flags), object_flag::hit)) {
        ret();
        return;
    }
    orb_write8(field(path_object::saved_state), state());
    cpu.reg[0] = kHitSound;
    if (!call(sub_088F98, 0x07CA1D, 0x07CA18)) return;
    set_bit(field(object_record::flags), object_flag::intangible);
    const uint32_t table = cpu.reg[10];
    if (!test_bit(field(object_record::flags), object_flag::defeated)) {
        orb_write8(field(path_object::stun_timer), orb_read8(table + actors::rank_tier()));
        set_state(orb_read8(table + 4));
        ret();
        return;
    }
    set_state(orb_read8(table + 5));
    const uint32_t attacker = kHigh | orb_read16(field(object_record::last_attacker));
    const uint32_t counter =
        var::tally_records + 32u * orb_read8(attacker + player_record::slot) +
        2u * orb_read8(rom::flyer_tally_categories + orb_read8(field(object_record::type)));
    orb_write16(counter, inc<uint16_t>(orb_read16(counter)));
    ret();
}
