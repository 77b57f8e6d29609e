// The states of the game's state machines that more than one routine or a
// test compares or stores: the top-level mode, the player character's, the
// in-game flow's, the camera controller's, the enemy framework's, the generic
// enemy AI's (and AI type 0's own), the path-scripted enemies', the short
// effect's, the player's attack objects', the playfield objects', the enemy
// vanish sequence's and the passers-by's with their children's. The values
// are the guest's (the index of each machine's branch table), named by what
// the state does. A machine that only one file knows keeps its states in
// that file.
#pragma once
#include <cstdint>

// The top-level mode (game_mode), a multiple of 3: the place of its branch in
// the mode table. A change of mode writes the mode word, the mode with
// game_submode 0.
namespace game_mode {
constexpr uint8_t typed_notice = 0;  // nothing writes it
constexpr uint8_t title = 3;
constexpr uint8_t back_to_title = 6;  // nothing writes it
constexpr uint8_t demo = 9;           // the attract demo
constexpr uint8_t ranking_screen = 12;
constexpr uint8_t game = 15;
constexpr uint8_t slot_reset = 18;          // nothing writes it
constexpr uint8_t presentation = 21;        // the presentation scene
constexpr uint8_t typed_notice_again = 24;  // the typed notice's branch; nothing writes it
}  // namespace game_mode

// The player character controller's state byte (object_record.state of a
// player_record), 0-58.
namespace player_state {
constexpr uint8_t start = 0;          // checks the place, then as stand_check
constexpr uint8_t stand_check = 1;    // off the screen: re-entry; else standing by energy
constexpr uint8_t standing = 2;       // energy above 50
constexpr uint8_t standing_weak = 3;  // energy 50 or less
constexpr uint8_t jump = 4;
constexpr uint8_t jump_takeoff = 5;  // until the animation leaves frame 0
constexpr uint8_t rising = 6;
constexpr uint8_t jump_top = 7;  // hangs while the animation runs, then 6 frames
constexpr uint8_t fall = 8;
constexpr uint8_t falling = 9;
constexpr uint8_t landing = 10;          // the landing pause
constexpr uint8_t attack = 11;           // the grab probe, else an attack of the chain
constexpr uint8_t attack_swing = 12;     // until the strike frame
constexpr uint8_t attack_recovery = 13;  // buffered buttons until frame 0
constexpr uint8_t hurt = 14;
constexpr uint8_t hurt_knock = 15;
constexpr uint8_t hurt_recover = 16;
constexpr uint8_t defeated = 17;
constexpr uint8_t defeated_knock = 18;
constexpr uint8_t defeated_blink = 19;  // then out, unless the play is over
constexpr uint8_t special = 20;         // + the character's byte gives the special's state
constexpr uint8_t special_strike = 21;
constexpr uint8_t special_launch = 22;  // launches the projectile object
constexpr uint8_t special_end = 23;
constexpr uint8_t air_hurt = 24;
constexpr uint8_t air_hurt_knock = 25;
constexpr uint8_t air_hurt_fall = 26;
constexpr uint8_t air_hurt_recover = 27;
constexpr uint8_t air_defeated = 28;
constexpr uint8_t air_defeated_knock = 29;
constexpr uint8_t air_defeated_fall = 30;
constexpr uint8_t air_defeated_blink = 31;
constexpr uint8_t jump_attack = 32;
constexpr uint8_t jump_attack_swing = 33;
constexpr uint8_t jump_attack_end = 34;
constexpr uint8_t arc_special = 35;
constexpr uint8_t arc_swing = 36;
constexpr uint8_t arc_end = 37;
constexpr uint8_t dash_special = 38;
constexpr uint8_t dash = 39;
constexpr uint8_t dash_end = 40;
constexpr uint8_t held = 41;  // an enemy holds the player
constexpr uint8_t held_squeezed = 42;
constexpr uint8_t held_struggle = 43;
constexpr uint8_t hold_released = 44;  // a free place is found
constexpr uint8_t thrown_off = 45;     // falls as air_hurt
constexpr uint8_t hold_defeated = 46;
constexpr uint8_t reentry = 47;
constexpr uint8_t reentry_takeoff = 48;
constexpr uint8_t reentry_rise = 49;  // off the top of the screen
constexpr uint8_t reentry_drop = 50;
constexpr uint8_t reentry_landing = 51;
constexpr uint8_t grab = 52;
constexpr uint8_t grab_hold = 53;
constexpr uint8_t throw_swing = 54;
constexpr uint8_t throw_follow = 55;
constexpr uint8_t throw_pause = 56;
constexpr uint8_t grab_end = 57;
constexpr uint8_t start_again = 58;  // runs start's step; nothing stores it
constexpr uint8_t count = 59;
}  // namespace player_state

// The in-game flow's state (ingame_state), 0-58. "Fade" states start a fade;
// "wait" states wait for it to end.
namespace flow_state {
constexpr uint8_t select_start = 0;  // character select: scene, palette, music
constexpr uint8_t select_fade_in = 1;
constexpr uint8_t select_display_on = 2;
constexpr uint8_t select_wait_in = 3;
constexpr uint8_t select_choose = 4;  // the choices' 1200 frames
constexpr uint8_t select_pause = 5;
constexpr uint8_t select_fade_out = 6;
constexpr uint8_t select_wait_out = 7;
constexpr uint8_t first_stage = 8;
constexpr uint8_t next_stage = 9;
constexpr uint8_t stage_start = 10;  // the next stage, or past the last one the ending
constexpr uint8_t stage_fade_in = 11;
constexpr uint8_t stage_wait_in = 12;
constexpr uint8_t stage_intro = 13;  // the stage intro moves the flow on
constexpr uint8_t intro_fade_out = 14;
constexpr uint8_t intro_wait_out = 15;
constexpr uint8_t intro_done = 16;
constexpr uint8_t area_start = 17;
constexpr uint8_t area_fade_in = 18;
constexpr uint8_t area_wait_in = 19;
constexpr uint8_t play = 20;
constexpr uint8_t terrain_change = 21;   // area change by terrain: zoom out ...
constexpr uint8_t terrain_zoom_in = 22;  // ... and back in
constexpr uint8_t zoom_change = 23;      // area change by zoom
constexpr uint8_t zoom_change_out = 24;
constexpr uint8_t demo_setup = 25;
constexpr uint8_t fade_change = 26;  // area change with a fade
constexpr uint8_t fade_change_out = 27;
constexpr uint8_t fade_change_dark = 28;
constexpr uint8_t fade_change_area = 29;
constexpr uint8_t fade_change_in = 30;
constexpr uint8_t fade_change_wait = 31;
constexpr uint8_t stage_cleared = 32;
constexpr uint8_t results = 33;
constexpr uint8_t results_wait_in = 34;
constexpr uint8_t results_countdown = 35;
constexpr uint8_t results_end = 36;
// The branch table gives 37 to 42 the ending's own step (43's). Nothing
// stores them, so no scene of the game is known by them: they keep their
// numbers.
constexpr uint8_t ending_37 = 37;
constexpr uint8_t ending_38 = 38;
constexpr uint8_t ending_39 = 39;
constexpr uint8_t ending_40 = 40;
constexpr uint8_t ending_41 = 41;
constexpr uint8_t ending_42 = 42;
constexpr uint8_t ending = 43;
constexpr uint8_t ending_fade_in = 44;
constexpr uint8_t ending_wait_in = 45;
constexpr uint8_t ending_scene = 46;  // the ending scene moves the flow on
constexpr uint8_t ending_fade_out = 47;
constexpr uint8_t ending_wait_out = 48;
constexpr uint8_t ending_done = 49;
constexpr uint8_t game_over = 50;
constexpr uint8_t game_over_fade_in = 51;
constexpr uint8_t game_over_wait_in = 52;
constexpr uint8_t ranking = 53;  // until no slot runs the ranking any more
constexpr uint8_t game_over_countdown = 54;
constexpr uint8_t game_over_fade_out = 55;
constexpr uint8_t game_over_wait_out = 56;
constexpr uint8_t game_end = 57;
constexpr uint8_t select_again = 58;  // runs select_start's step
constexpr uint8_t count = 59;
}  // namespace flow_state

// The camera controller's state (the area controller's object_record.state);
// the playfield objects and the set pieces wait for it or move it on.
namespace camera_state {
constexpr uint8_t setup = 0;        // the script from its start, and the partner object
constexpr uint8_t leave_start = 1;  // the script until the camera has left the area's start
constexpr uint8_t layers_in = 2;    // layers 2 and 3 scroll in
constexpr uint8_t layered = 3;      // the script, layers 2 and 3 kept below the playfield
constexpr uint8_t last_gate = 4;    // behind the last gate until the area is won
constexpr uint8_t to_area_end = 5;
constexpr uint8_t ask_change = 6;   // waits, then asks for the area change
constexpr uint8_t wait_change = 7;  // waits for it, then frees the controller
constexpr uint8_t setup_again = 8;  // the table's ninth branch runs setup's step
}  // namespace camera_state

// The enemy states the framework gives a meaning to.
namespace enemy_state {
constexpr uint8_t first = 0;    // moves without terrain tests
constexpr uint8_t regroup = 1;  // where grow-in ends and a lost target sends walk and approach
constexpr uint8_t slot_chosen = 2;
constexpr uint8_t slot_granted = 3;
constexpr uint8_t attack = 4;  // claims distance 0
constexpr uint8_t held = 5;
constexpr uint8_t hit = 6;
constexpr uint8_t defeated = 7;
}  // namespace enemy_state

// The generic enemy AI's states, numbered as AI type 0's state table; the
// other types' tables keep the shared actions in the same groups and order.
namespace ai_state {
constexpr uint8_t setup = 0;  // the type's own set-up
constexpr uint8_t start = 1;
constexpr uint8_t wait = 2;
constexpr uint8_t walk_right_start = 3;
constexpr uint8_t walk_right = 4;
constexpr uint8_t walk_left_start = 5;
constexpr uint8_t walk_left = 6;
constexpr uint8_t high_jump = 7;
constexpr uint8_t high_jump_rise = 8;
constexpr uint8_t low_jump = 9;
constexpr uint8_t flight = 10;
// 11 to 18: the type's own attack states.
constexpr uint8_t stun = 19;
constexpr uint8_t stun_countdown = 20;
constexpr uint8_t knockback = 21;
constexpr uint8_t knockback_fall = 22;
constexpr uint8_t defeat = 23;
constexpr uint8_t defeat_rise = 24;
constexpr uint8_t defeat_fall = 25;
constexpr uint8_t shrink = 26;
constexpr uint8_t setup_again = 27;  // runs the set-up's step
}  // namespace ai_state

// AI type 0's own states in 11 to 18: the strike and the throw.
namespace ai_type0_state {
constexpr uint8_t strike = 11;
constexpr uint8_t strike_windup = 12;
constexpr uint8_t strike_blow = 13;  // the blow lands as the animation reaches frame 1
constexpr uint8_t strike_recover = 14;
constexpr uint8_t throw_start = 15;
constexpr uint8_t throw_windup = 16;
constexpr uint8_t throw_release = 17;  // the object leaves as the animation reaches frame 1
constexpr uint8_t throw_recover = 18;  // another throw when the random byte allows
}  // namespace ai_type0_state

// The path-scripted enemies' states (the scripted flyer, the pickup
// carrier): their hit reaction takes the stun and defeat states from ROM, and
// the path-script step leaves script_end when the script ends; what that
// state does belongs to each object type.
namespace path_state {
constexpr uint8_t setup = 0;
constexpr uint8_t flying = 1;
constexpr uint8_t stun = 2;
constexpr uint8_t stunned = 3;
constexpr uint8_t defeat = 4;
constexpr uint8_t defeated = 5;
constexpr uint8_t script_end = 6;
}  // namespace path_state

// The short effect at its owner (the explosions and flashes of the enemy
// kinds), set up in 0 and shown in 1; 2 runs the set-up's code.
namespace short_effect_state {
constexpr uint8_t setup = 0;
constexpr uint8_t shown = 1;
constexpr uint8_t setup_again = 2;
}  // namespace short_effect_state

// The player's attack objects' states by kind (game/flow/player_attacks.cpp);
// the shot, the carried box, the projectile and the double sweep are set up in
// 0 and run in 1.
namespace beam_state {
constexpr uint8_t setup = 0, growing = 1, pause = 2, shrinking = 3;
}  // namespace beam_state
// The beam's fragments.
namespace fragment_state {
constexpr uint8_t setup = 0, following = 1, following_too = 2;
}  // namespace fragment_state
namespace thrown_attack_state {
constexpr uint8_t setup = 0, flying = 1, playing_out = 2;
}  // namespace thrown_attack_state
namespace run_state {
constexpr uint8_t setup = 0, running = 1;
}  // namespace run_state
namespace sweep_state {
constexpr uint8_t setup = 0, waiting = 1, sweeping = 2, scored = 3;
}  // namespace sweep_state
namespace wave_state {
constexpr uint8_t setup = 0, growing = 1, rising = 2, full = 3, fading = 4;
}  // namespace wave_state

// The playfield objects' states (game/actors/playfield_objects.cpp), the
// places of their branch tables' entries: the camera indicator, the stage
// event and the two decorations.
namespace indicator_state {
constexpr uint8_t setup = 0, shown = 1, hidden = 2, no_icon = 3;
}  // namespace indicator_state
namespace event_state {
constexpr uint8_t setup = 0, wait_camera = 1, follow = 2, wipe = 3, switched_back = 4, done = 5;
}  // namespace event_state
namespace decoration_state {  // the area-change decoration
constexpr uint8_t setup = 0, in_playfield = 1, zoomed = 2;
}  // namespace decoration_state
namespace layer_decoration_state {
constexpr uint8_t setup = 0, in_layer = 1, wait_controller = 2, in_playfield = 3;
}  // namespace layer_decoration_state

// The enemy framework's vanish sequence (game/actors/enemy_framework.cpp), the
// places of its ROM table's entries.
namespace vanish_state {
constexpr uint8_t wait = 0, shrink = 1;
}  // namespace vanish_state

// The passers-by's states (game/actors/passers_by.cpp), the places of their ROM
// state tables' entries, each machine named by the scene its actor plays (the
// program knows the actors only by their type numbers, 49 to 53).
namespace walker_state {  // type 49: walks in, releases its effect, walks off
constexpr uint8_t setup = 0, walk_in = 1, wait = 2, effect = 3, walk_off = 4;
}  // namespace walker_state
namespace waiter_state {  // type 50: waits for its time or the camera, releases its effect, walks off
constexpr uint8_t setup = 0, wait = 1, effect = 2, walk_off = 3;
}  // namespace waiter_state
namespace perched_state {  // type 51, high above the ground, and its companion: zoomed in an area change
constexpr uint8_t setup = 0, standing = 1, zoomed = 2;
}  // namespace perched_state
namespace striker_state {  // type 52: strikes its partner, walks off
constexpr uint8_t setup = 0, wait = 1, strike = 2, finish = 3, pause = 4, walk_off = 5;
}  // namespace striker_state
namespace gun_carrier_state {  // type 53: flies in slowing down, releases its effect, flies off
constexpr uint8_t setup = 0, slow_down = 1, effect = 2, fly_off = 3;
}  // namespace gun_carrier_state
namespace gun_state {  // the gun carrier's gun
constexpr uint8_t ready = 0, fired = 1;
}  // namespace gun_state
namespace partner_state {  // the striker's partner
constexpr uint8_t setup = 0, standing = 1, waiting = 2, struck = 3, blinking = 4;
}  // namespace partner_state
