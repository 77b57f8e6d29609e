// Guest addresses inside routines that the game holds as data (an object's
// routine, a state table's entry, a register a routine leaves for its caller)
// but that start no row of the routine list, so they have no entry:: name.
// Each is named here once, for game code and tests alike.
#pragma once
#include <cstdint>

namespace continuation {

// A player record's routine while its slot is out of play; nothing stores it,
// but the in-play tests compare with it.
inline constexpr uint32_t out_of_play = 0x062D3A;
// Where a joining player's slot goes on once it is in play: no translated
// routine, the run ends there.
inline constexpr uint32_t join_in_play = 0x0635E5;
// The controller of placed-object areas that a player slot hands over to: no
// translated routine, the run ends there.
inline constexpr uint32_t placed_object_controller = 0x0651D1;
// The generic start code that several types' state tables reach (ai_start_code).
inline constexpr uint32_t start_code = 0x07A4F5;
// The countdown inside the generic stun action (ai_stun_countdown).
inline constexpr uint32_t stun_countdown = 0x07A6A0;

// The passers-by (types 49 to 53): their state table entries, in state order.
inline constexpr uint32_t type49_set_up = 0x069ABE;
inline constexpr uint32_t type49_walk_in = 0x069B0F;
inline constexpr uint32_t type49_wait = 0x069B28;
inline constexpr uint32_t type49_effect = 0x069B3E;
inline constexpr uint32_t type49_leave = 0x069B4C;
inline constexpr uint32_t type49_part_set_up = 0x069F46;  // type 49's part
inline constexpr uint32_t type49_part_follow = 0x069F5F;
inline constexpr uint32_t type50_set_up = 0x069B96;
inline constexpr uint32_t type50_wait = 0x069BD2;
inline constexpr uint32_t type50_effect = 0x069BFE;
inline constexpr uint32_t type50_leave = 0x069C19;
inline constexpr uint32_t type51_set_up = 0x069C56;
inline constexpr uint32_t type51_standing = 0x069C7D;
inline constexpr uint32_t type51_zoomed = 0x069CA7;
inline constexpr uint32_t type52_set_up = 0x069CE6;
inline constexpr uint32_t type52_wait = 0x069D25;
inline constexpr uint32_t type52_strike = 0x069D2E;
inline constexpr uint32_t type52_finish = 0x069D57;
inline constexpr uint32_t type52_pause = 0x069D6D;
inline constexpr uint32_t type52_leave = 0x069D87;
inline constexpr uint32_t type53_set_up = 0x069DCE;
inline constexpr uint32_t type53_slow = 0x069E29;
inline constexpr uint32_t type53_effect = 0x069E56;
inline constexpr uint32_t type53_leave = 0x069E6D;
inline constexpr uint32_t type53_gun_fired = 0x0728A9;  // the gun's state 1, once it has fired

// The shared enemy behaviours: the walk-around and approach sub-states, the
// grow-in step, the two attack patterns and their sub-states.
inline constexpr uint32_t walk_around_step = 0x06A3A6;
inline constexpr uint32_t walk_around_pause = 0x06A429;
inline constexpr uint32_t approach_step = 0x06A49D;
inline constexpr uint32_t approach_pause = 0x06A585;
inline constexpr uint32_t grow_in_step = 0x06B058;
inline constexpr uint32_t melee_pattern = 0x06A593;
inline constexpr uint32_t leap_pattern = 0x073762;
inline constexpr uint32_t melee_wind_up = 0x06A608;
inline constexpr uint32_t melee_swing = 0x06A61D;
inline constexpr uint32_t melee_follow_through = 0x06A65E;
inline constexpr uint32_t melee_recovery = 0x06A672;
inline constexpr uint32_t leap_airborne = 0x06DB16;
inline constexpr uint32_t leap_landing = 0x06DB6B;

// The vanish of a defeated enemy: its two steps.
inline constexpr uint32_t vanish_wait = 0x06A27A;
inline constexpr uint32_t vanish_shrink = 0x06A286;

// Enemy children: a kind-2 part's states, an entrance's commands in command
// order, then the entrance's running steps by sub-state.
inline constexpr uint32_t kind2_part_standing = 0x06C4CE;
inline constexpr uint32_t kind2_part_zoomed = 0x06C4F6;
inline constexpr uint32_t entrance_from_left = 0x06D972;
inline constexpr uint32_t entrance_from_right = 0x06D981;
inline constexpr uint32_t entrance_drop = 0x06D9A4;
inline constexpr uint32_t entrance_from_front = 0x06D9E8;
inline constexpr uint32_t entrance_camera_wait = 0x06DA2F;
inline constexpr uint32_t entrance_timed_wait = 0x06DA60;
inline constexpr uint32_t entrance_end = 0x06DA7B;  // ends the entrance at once
inline constexpr uint32_t entrance_height_step = 0x06DA18;
inline constexpr uint32_t entrance_camera_step = 0x06DA4A;
inline constexpr uint32_t entrance_timer_step = 0x06DA55;

// The camera-triggered enemy's states, and the routine of the four objects it
// makes (no translated code starts there).
inline constexpr uint32_t camera_enemy_set_up = 0x082BCC;
inline constexpr uint32_t camera_enemy_trigger = 0x082C19;
inline constexpr uint32_t camera_enemy_countdown = 0x082C4C;
inline constexpr uint32_t camera_enemy_defeat_signal = 0x082C60;
inline constexpr uint32_t camera_enemy_object = 0x082C72;

// A carrier's rider: its states.
inline constexpr uint32_t rider_appear = 0x0844FC;  // waits for the carrier, then appears
inline constexpr uint32_t rider_ride = 0x084555;
inline constexpr uint32_t rider_stun = 0x084581;
inline constexpr uint32_t rider_stun_count = 0x0845A1;
inline constexpr uint32_t rider_defeat = 0x0845C1;

// The prop routines without translated code: their first frame is all there is.
inline constexpr uint32_t controller_prop = 0x081654;  // only below the camera controller's state 5
inline constexpr uint32_t guarded_prop = 0x0816BA;
inline constexpr uint32_t plain_prop = 0x0816EB;

// The player attacks' type routines, entered only through the attack dispatcher.
inline constexpr uint32_t attack_beam = 0x077D29;
inline constexpr uint32_t attack_thrown = 0x077F14;
inline constexpr uint32_t attack_shot = 0x077FD1;
inline constexpr uint32_t attack_carried = 0x07807D;
inline constexpr uint32_t attack_sweep = 0x078179;
inline constexpr uint32_t attack_wave = 0x07820E;
inline constexpr uint32_t attack_projectile = 0x07836B;
inline constexpr uint32_t attack_double_sweep = 0x0783BF;

// The platform AI's condition tests, by the condition codes' table entries.
inline constexpr uint32_t ai_test_on_screen = 0x07A86E;
inline constexpr uint32_t ai_test_always = 0x07A892;
inline constexpr uint32_t ai_test_room_right = 0x07A89F;
inline constexpr uint32_t ai_test_room_left = 0x07A8C8;
inline constexpr uint32_t ai_test_previous_segment = 0x07A8F0;
inline constexpr uint32_t ai_test_next_segment = 0x07A921;

// The watch branches of AI types 1 and 4: the high jump (state 24), the
// ground strike (19), the jump back (15).
inline constexpr uint32_t watch_high_jump = 0x07BF03;
inline constexpr uint32_t watch_ground_strike = 0x07BEF9;
inline constexpr uint32_t watch_jump_back = 0x07BF0D;  // with room behind the enemy

// The volley boss's state table entries.
inline constexpr uint32_t volley_start = 0x07F47E;
inline constexpr uint32_t volley_pose = 0x07F4A1;
inline constexpr uint32_t volley_turn = 0x07F4D3;
inline constexpr uint32_t volley_aim = 0x07F513;
inline constexpr uint32_t volley_aimed_attack = 0x07F555;
inline constexpr uint32_t volley_round1_start = 0x07F5C8;
inline constexpr uint32_t volley_round1 = 0x07F5E1;
inline constexpr uint32_t volley_round2 = 0x07F638;
inline constexpr uint32_t volley_round3 = 0x07F6D0;
inline constexpr uint32_t volley_stun = 0x07F6F4;
inline constexpr uint32_t volley_defeat = 0x07F6FD;

}  // namespace continuation
