// The player's moves on the synthetic ROM set, played by the attract cycle's
// second demo (stage 1 area 1, the second character): a jump, a jump attack
// while rising, the arc special from the top of a jump, a grab of the
// stalker and a throw; then held by an enemy twice, struggling free of the
// first hold and let go above the screen by the second, from where the
// player drops back in (the re-entry).
//
// No control script can press button 2, and no run reaches the second demo
// but this one (the attract run ends during the first): its recorded inputs
// are the moves' own. No translated enemy routine starts a hold of the
// player, so the run stands in for the holding enemy with pokes of what
// such an enemy writes into the player's record when its hold starts: the
// x offset from it, the height, the energy taken every 8 frames, its own
// address as the last attacker, then the hold byte. The first holder is the
// stalker; the second is player 2's idle record, whose place (0, 0) lies
// above the playfield and whose type byte is set to 5, a holder that takes
// the second held animation and effect.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

constexpr uint32_t kCameraX = var::playfield_camera + camera_record::x;
// Slot 0's player record, the fields the moves change.
constexpr uint32_t kFlags = var::player_records + ob::flags, kState = var::player_records + ob::state,
                   kX = var::player_records + ob::world_x, kY = var::player_records + ob::world_y,
                   kHeight = var::player_records + ob::height,
                   kHoldTime = var::player_records + player_record::hold_time,
                   kEnergy = var::player_records + ob::energy,
                   kCharacter = var::player_records + player_record::character,
                   kHitPending = var::player_records + player_record::hit_pending,
                   kHeldObject = var::player_records + player_record::held_object,
                   kHolding = var::player_records + player_record::holding;
// The stalker, the enemy within the player's reach (its 128-byte object).
constexpr uint32_t kStalker = whole_run::kPool128.object(121);
constexpr uint32_t kStalkerFlags = kStalker + ob::flags, kStalkerX = kStalker + ob::world_x,
                   kStalkerY = kStalker + ob::world_y, kStalkerAttacker = kStalker + ob::last_attacker,
                   kStalkerEnergy = kStalker + ob::energy;
// Player 2's idle record, the second holder.
constexpr uint32_t kSecondHolder = var::player_records + player_record::size;

constexpr uint64_t kFrames = 5200;
// Where the two demos' recorded inputs start.
constexpr uint64_t kFirstStream = 0x13C000, kSecondStream = 0x13E000;
// The two holds start with these pokes (stream frames 420 and 560).
// The second demo starts at this frame of the attract cycle (it moves with
// the lengths of the attract scenes before it; TheSecondDemoPlaysItsOwnInputs
// checks it).
constexpr uint64_t kSecondDemoStart = 3855;
constexpr uint64_t kFirstHold = kSecondDemoStart + 422, kSecondHold = kSecondDemoStart + 562;
// Planted with the moves: the throw's strength and the energy costs of the
// second character.
constexpr uint64_t kThrowStrength = 16, kThrowCost = 4, kJumpAttackCost = 2, kArcCost = 6;

std::string poke16(uint64_t frame, uint32_t address, uint16_t value) {
    char line[96];
    std::snprintf(line, sizeof line, "%llu poke %06X %02X\n%llu poke %06X %02X\n",
                  static_cast<unsigned long long>(frame), address, value & 0xFF,
                  static_cast<unsigned long long>(frame), address + 1, value >> 8);
    return line;
}
std::string poke8(uint64_t frame, uint32_t address, uint8_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "%llu poke %06X %02X\n", static_cast<unsigned long long>(frame), address,
                  value);
    return line;
}

// A hold as the holding enemy starts it: offset, height and damage, the
// holder's address as the last attacker, then the hold byte.
std::string hold(uint64_t frame, uint16_t holder, uint16_t offset, uint16_t height, uint16_t damage) {
    return poke16(frame, var::player_records + player_record::hold_offset_x, offset) +
           poke16(frame, var::player_records + player_record::hold_height, height) +
           poke16(frame, var::player_records + player_record::hold_damage, damage) +
           poke16(frame, var::player_records + ob::last_attacker, holder) + poke8(frame, kHitPending, 1);
}

std::string script() {
    return hold(kFirstHold, kStalker & 0xFFFF, 64, 64, 16) + poke8(kSecondHold, kSecondHolder + 3, 5) +
           hold(kSecondHold, kSecondHolder & 0xFFFF, 0, 128, 2);
}

whole_run::options moves_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 400, slices, 240);
    o.watch = {{var::game_mode, 2},
               {var::demo_input_pointer, 4},
               {kCameraX, 2},
               {kFlags, 2},
               {kState, 1},
               {kX, 2},
               {kY, 2},
               {kHeight, 2},
               {kHoldTime, 2},
               {kEnergy, 2},
               {kCharacter, 1},
               {kHitPending, 1},
               {kHeldObject, 4},
               {kHolding, 1},
               {kStalkerFlags, 2},
               {kStalkerX, 2},
               {kStalkerY, 2},
               {kStalkerAttacker, 2},
               {kStalkerEnergy, 2}};
    return o;
}

const whole_reach::listed kReach("moves", [] { return moves_options(1); });

const whole_run::outcome& moves_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "moves", moves_options(1));
}

uint16_t mode(uint8_t m, uint8_t sub) { return static_cast<uint16_t>(sub << 8 | m); }

// The frame a watched address first took `value` after `from`; 0 if never.
uint64_t first(const whole_run::outcome& out, uint32_t address, uint64_t value, uint64_t from = 0) {
    return out.first_frame(address, value, from + 1);
}

// The controller states from `from` to `to`, each run of one state once.
std::vector<uint64_t> states(const whole_run::outcome& out, uint64_t from, uint64_t to) {
    std::vector<uint64_t> v;
    for (const auto& c : out.changes)
        if (c.address == kState && c.frame >= from && c.frame <= to && (v.empty() || v.back() != c.value))
            v.push_back(c.value);
    return v;
}

// The second demo: the frame it starts (mode 9, sub-mode 0, the second
// time) and the frame the ranking screen follows it.
uint64_t second_demo(const whole_run::outcome& out) {
    return first(out, var::game_mode, mode(9, 0), first(out, var::game_mode, mode(9, 0)));
}

TEST(MovesRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = moves_run();
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.checkpoints.size(), kFrames / 400) << out.err;
}

// The first demo reads the first stream with the first character; the
// second its own stream with the second character, one word a frame.
TEST(MovesRun, TheSecondDemoPlaysItsOwnInputs) {
    const auto& out = moves_run();
    const uint64_t demo1 = first(out, var::game_mode, mode(9, 0));
    const uint64_t demo2 = second_demo(out);
    ASSERT_GT(demo1, 0u);
    ASSERT_GT(demo2, demo1);
    EXPECT_EQ(demo2, kSecondDemoStart) << "the holds' pokes are timed from this frame";
    auto in_stream = [](uint64_t pointer, uint64_t stream) {
        return pointer >= stream && pointer < stream + 4 * 1400;
    };
    EXPECT_TRUE(in_stream(out.value_at(var::demo_input_pointer, demo1 + 50), kFirstStream));
    EXPECT_TRUE(in_stream(out.value_at(var::demo_input_pointer, demo2 + 50), kSecondStream));
    EXPECT_EQ(out.value_at(var::demo_input_pointer, demo2 + 150) -
                  out.value_at(var::demo_input_pointer, demo2 + 50),
              400u);
    EXPECT_EQ(out.value_at(kCharacter, demo1 + 10), 0u);
    EXPECT_EQ(out.value_at(kCharacter, demo2 + 10), 1u);
}

// Button 2 jumps: take-off, rising, the top, falling, the landing pause,
// then standing. The height rises by 26, 24, ... 2 to 182 and falls back
// the same way to the ground, with no steering on a still pad.
TEST(MovesRun, AJumpRisesAndFallsOnItsArc) {
    const auto& out = moves_run();
    const uint64_t demo2 = second_demo(out);
    const uint64_t take_off = first(out, kState, 4, demo2);
    ASSERT_GT(take_off, 0u);
    const uint64_t landed = first(out, kState, 0, take_off);
    EXPECT_EQ(states(out, take_off, landed), (std::vector<uint64_t>{4, 5, 6, 7, 8, 9, 10, 0}));
    std::vector<uint64_t> heights;
    for (const auto& c : out.changes)
        if (c.address == kHeight && c.frame > take_off && c.frame <= landed) heights.push_back(c.value);
    std::vector<uint64_t> arc;
    uint64_t h = 0;
    for (int rise = 26; rise >= 2; rise -= 2) arc.push_back(h += rise);
    for (int i = int(arc.size()) - 2; i >= 0; --i) arc.push_back(arc[size_t(i)]);
    arc.push_back(0);
    EXPECT_EQ(heights, arc);
    EXPECT_EQ(out.value_at(kX, landed), out.value_at(kX, take_off));
    // The landing pause: 6 frames.
    EXPECT_EQ(landed - first(out, kState, 10, take_off), 6u);
}

// Button 1 while rising turns the jump into the jump attack (its own
// states, drifting forward, paying its energy); button 1 at the top of a
// jump is the second character's air special, the arc: it swings the
// player along a circle (x changes every frame, the height follows the
// cosine), pays its cost and lands with the long landing pause.
TEST(MovesRun, JumpAttackAndTheArcFromTheAir) {
    const auto& out = moves_run();
    const uint64_t demo2 = second_demo(out);
    const uint64_t attack = first(out, kState, 32, demo2);
    ASSERT_GT(attack, 0u);
    EXPECT_TRUE(out.value_at(kState, attack - 1) == 5 || out.value_at(kState, attack - 1) == 6);  // rising
    const auto around_attack = states(out, attack, first(out, kState, 2, attack));
    EXPECT_EQ(around_attack, (std::vector<uint64_t>{32, 33, 34, 0, 2}));
    // Each cost is paid as the new state first runs, in the next frame.
    EXPECT_EQ(out.value_at(kEnergy, attack) - out.value_at(kEnergy, attack + 1), kJumpAttackCost);
    EXPECT_GT(out.value_at(kX, first(out, kState, 34, attack)), out.value_at(kX, attack));  // drifted forward

    const uint64_t arc = first(out, kState, 35, attack);
    ASSERT_GT(arc, 0u);
    EXPECT_EQ(out.value_at(kState, arc - 1), 7u);  // from the top of a jump
    EXPECT_EQ(out.value_at(kEnergy, arc) - out.value_at(kEnergy, arc + 1), kArcCost);
    const uint64_t arc_end = first(out, kState, 8, arc);
    ASSERT_GT(arc_end, arc);
    size_t x_changes = 0;
    for (const auto& c : out.changes)
        if (c.address == kX && c.frame > arc && c.frame < arc_end) ++x_changes;
    EXPECT_GE(x_changes, arc_end - arc - 12);
    // Facing decreasing x, the swing carries the player left, past 100 pixels.
    EXPECT_GT(out.value_at(kX, arc) - out.value_at(kX, arc_end), 400u);
    // The long landing pause after an air special: 16 frames.
    const uint64_t pause = first(out, kState, 10, arc);
    EXPECT_EQ(first(out, kState, 0, pause) - pause, 16u);
}

// Button 1 beside the stalker grabs it (the stalker marked as held, the
// player as its last attacker); button 1 again throws it: the throw's hit
// takes its strength from the stalker's energy and marks it hit, the
// player pays the throw and lets go, and stands again.
TEST(MovesRun, AGrabOfTheStalkerAndAThrow) {
    const auto& out = moves_run();
    const uint64_t demo2 = second_demo(out);
    const uint64_t grab = first(out, kState, 53, demo2);
    ASSERT_GT(grab, 0u);
    EXPECT_EQ(out.value_at(kHeldObject, grab), kStalker);
    EXPECT_EQ(out.value_at(kHolding, grab), 255u);
    EXPECT_EQ(out.value_at(kStalkerFlags, grab) & 0x10, 0x10u);
    EXPECT_EQ(out.value_at(kStalkerAttacker, grab), var::player_records & 0xFFFF);
    const uint64_t wind_up = first(out, kState, 54, grab);
    ASSERT_GT(wind_up, 0u);
    EXPECT_EQ(out.value_at(kEnergy, wind_up - 1) - out.value_at(kEnergy, wind_up), kThrowCost);
    const uint64_t thrown = first(out, kState, 55, wind_up);
    ASSERT_GT(thrown, 0u);
    EXPECT_EQ(out.value_at(kHolding, thrown), 0u);
    EXPECT_EQ(out.value_at(kStalkerEnergy, thrown - 1) - out.value_at(kStalkerEnergy, thrown),
              kThrowStrength);
    EXPECT_EQ(out.value_at(kStalkerFlags, thrown) & 0x100, 0x100u);
    EXPECT_EQ(states(out, thrown, first(out, kState, 2, thrown)), (std::vector<uint64_t>{55, 56, 57, 0, 2}));
}

// Held by the stalker: the player hangs beside it (64 units off, 4 up the
// ground line), loses the hold's damage once and a unit every 16 frames,
// and struggling (a new direction every other frame) breaks the hold long
// before its 240 frames; the controller then clears the hold byte, places
// the player free, and the release knocks it down and up again.
TEST(MovesRun, HeldByTheStalkerTheStruggleBreaksFree) {
    const auto& out = moves_run();
    const uint64_t held = first(out, kState, 41, kFirstHold);
    ASSERT_GT(held, 0u);
    EXPECT_LE(held, kFirstHold + 2);
    const uint64_t hanging = first(out, kState, 42, held);
    EXPECT_EQ(out.value_at(kY, hanging), out.value_at(kStalkerY, hanging) - 4);
    EXPECT_EQ(uint16_t(out.value_at(kX, hanging) - out.value_at(kStalkerX, hanging)), 64u);
    EXPECT_EQ(out.value_at(kHeight, hanging), 64u);
    const uint64_t struggle = first(out, kState, 43, hanging);
    EXPECT_EQ(struggle - hanging, 8u);
    EXPECT_EQ(out.value_at(kEnergy, hanging) - out.value_at(kEnergy, struggle), 16u);
    // Free placement (44) runs within the frame the hold ends and hands on
    // to the release (45) at once.
    const uint64_t free = first(out, kState, 45, struggle);
    ASSERT_GT(free, 0u);
    EXPECT_LT(free - held, 80u);
    EXPECT_EQ(out.value_at(kHitPending, free), 0u);
    EXPECT_EQ(states(out, free, first(out, kState, 2, free)), (std::vector<uint64_t>{45, 25, 26, 27, 0, 2}));
    EXPECT_EQ(out.value_at(kHeight, first(out, kState, 0, free)), 0u);
}

// Held by the second holder nobody struggles against: the hold runs its
// 240 frames from the first hold tick; the player is let go at the
// holder's place, above the playfield, and re-enters: it leaps off the top
// of the screen, comes down from 896 units up at the camera's x + 640 and
// the area's start line, lands, and stands, touchable.
TEST(MovesRun, LetGoAboveTheScreenThePlayerReEnters) {
    const auto& out = moves_run();
    const uint64_t held = first(out, kState, 41, kSecondHold);
    ASSERT_GT(held, 0u);
    const uint64_t ticking = first(out, kState, 43, held);
    const uint64_t free = first(out, kState, 45, ticking);
    ASSERT_GT(free, 0u);
    EXPECT_EQ(free - ticking, 240u);
    EXPECT_EQ(out.value_at(kY, free), 0u);
    const uint64_t reentry = first(out, kState, 47, free);
    ASSERT_GT(reentry, 0u);
    const uint64_t standing = first(out, kState, 2, reentry);
    EXPECT_EQ(states(out, reentry, standing), (std::vector<uint64_t>{47, 48, 49, 50, 51, 0, 2}));
    const uint64_t drop = first(out, kState, 50, reentry);
    EXPECT_EQ(out.value_at(kX, drop), out.value_at(kCameraX, drop) + 640);
    EXPECT_EQ(out.value_at(kY, drop), 600u);
    EXPECT_GE(out.value_at(kHeight, drop), 800u);
    EXPECT_EQ(out.value_at(kHeight, first(out, kState, 51, drop)), 0u);
    EXPECT_EQ(out.value_at(kFlags, standing) & 0x04, 0u);  // touchable
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
400 2BE7F8A8F3C5CF5D BC2A3B4D70591D7F 2452DF41D0BA1709 00785C22CF9F3893 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 BE1166105F977460 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 97BCAB45D408D9EF FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 7B81DF79E5002FF3
800 30405A31D28ECED5 0E117B8D6482BF95 D3948F956A975F4A 390865ED903182E1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 FDB1944E7930CF74 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 A5A28D309D3751EC
1200 5A33895E8B18C94D 5AD7E27177251370 61F4AD142494C850 C3C07577037F1CB1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 05CC01245C60B5E6 B93A0C83CE3B6325 B93A0C83CE3B6325 B57BC0093ACB6FEF A085A16231C6A72C FC7B8D42BBB8E6B3 D19B2C8B7744B874 B93A0C83CE3B6325 DF791E76C809DF36 B93A0C83CE3B6325 B93A0C83CE3B6325 14CA9D421B034B1C
1600 D89FE052659B6F25 6C6CA9E2ECEE75E3 EDE4C05172588B2D EA542C5211A9E0C4 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 DEABE177D66F9235 B93A0C83CE3B6325 B93A0C83CE3B6325 9BCD548D4C2045B4 56119A1D3B718566 FC7B8D42BBB8E6B3 AD2367C07FDA5E84 B93A0C83CE3B6325 AADEE06679631794 B93A0C83CE3B6325 B93A0C83CE3B6325 BAC609FB5A931876
2000 ACD563A61B565965 4A1EEC455E8A9438 38963084B05C29FE 69C9B24491559A5A B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9F058DF640F3A8D1 B93A0C83CE3B6325 B93A0C83CE3B6325 1EEF3628213688FF AB869A97CB81D3CF FC7B8D42BBB8E6B3 B0FB361B8F2E8CF1 B93A0C83CE3B6325 08F6EA9744AF1728 B93A0C83CE3B6325 B93A0C83CE3B6325 89C69C86F2DCC3D0
2400 B11AC151FF863955 5ABDD475A8858F70 849EE9AB15973F4C B4A037DA94AAAE02 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E7C2246B20BC46DE B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 1172EA467EA2E505 FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 B12C80FB0AB239E7
2800 317D699BB65C72F5 3BC2EB39A91DF9F5 0D6ABAE90D6C9DB5 1D6AED36E0B6B3EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 DF05276DA9D4A1EC B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 3CF72A712E3C2133 FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 EFD287817C65AF23
3200 938F656DE99C5675 0BC026FCD9026F1F 2FDC2084FCC3F702 3C846F8CB589DE35 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 6B462A82C1C10526 B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 018987169491E9E4 FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 6A36E0F2C8DD04DE
3600 119F1ED39469A0D5 9330EE7A16484446 6F5F3194004C2F61 69C866E5C83AA556 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 5E5D666C5DD1F6DE FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 3E59DCFD10FCCF3C
4000 86254691348DBA45 10B532F24D53518E 706AA3B0C051C1EF 9AA03F740284FDEA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9723A968B99BC290 B93A0C83CE3B6325 B93A0C83CE3B6325 2C383C9D7B0DF1BC 2FA6D7D27444C7E1 FC7B8D42BBB8E6B3 3D642522F2431F8B B93A0C83CE3B6325 E0A94F0676D66C18 B93A0C83CE3B6325 B93A0C83CE3B6325 A46507DBB3D9D514
4400 E78999553C713AFD B919198975E754D2 D73EAAE94268D508 B83875008845F96E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9690EE937089351F B93A0C83CE3B6325 B93A0C83CE3B6325 F7E2095B1C408501 0A520FE4CEDD7CD4 FC7B8D42BBB8E6B3 5A1B8D77AAA1689C B93A0C83CE3B6325 70667927431075DF B93A0C83CE3B6325 B93A0C83CE3B6325 BF57DD031F9121E3
4800 1A84A00D8454D9A5 8CDA2C196C3612D3 BD33D1201B101904 C67CF6CD14740B56 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8BA3C3890F89B5D6 B93A0C83CE3B6325 B93A0C83CE3B6325 8BE4A1A41D1AF1AB 3BBD8E8F627E8F15 FC7B8D42BBB8E6B3 21ACB6E4A8C6B260 B93A0C83CE3B6325 12B8FA1D3D11CDB9 B93A0C83CE3B6325 B93A0C83CE3B6325 6F608C866637F67E
5200 6CBE9C35EE24606D DD2C9ECC35231CA7 ACA55B341B1E7740 C0945C6D7DC73C23 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 04603C61FDDC6BEC B93A0C83CE3B6325 B93A0C83CE3B6325 8BE4A1A41D1AF1AB 7D2C9FF3BB708A7E FC7B8D42BBB8E6B3 F91938CC26D0EAB5 B93A0C83CE3B6325 800782A6681FFA40 B93A0C83CE3B6325 B93A0C83CE3B6325 0ED83509141F0D06
)";

TEST(MovesRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, moves_run(),
                                            [&](int slices) { return r.run(moves_options(slices)); }),
              "");
}

}  // namespace
