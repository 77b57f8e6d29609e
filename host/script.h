// The control script: a text file of timed input actions that drives the
// game's inputs frame by frame in place of the keyboard and controllers, so a
// run can be repeated exactly.
//
//   FRAME ACTION [ARGUMENTS]     FRAME: a board frame number, or +N after the
//                                frame of the line before
//   press INPUT [FRAMES]  hold INPUT  release INPUT  roll PLAYER DX DY
//   dip SWITCH on|off     poke ADDRESS VALUE         end
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum script_event_kind : int32_t {
    SCRIPT_PRESS = 0,
    SCRIPT_HOLD = 1,
    SCRIPT_RELEASE = 2,
    SCRIPT_ROLL = 3,
    SCRIPT_DIP = 4,
    SCRIPT_POKE = 5,
};

struct script_event_record {
    uint64_t frame;
    int32_t line;      // source line number
    int32_t kind;      // script_event_kind
    int32_t argument;  // input index, player - 1 or switch - 1
    int32_t dx;
    int32_t dy;
    int32_t frames;  // press length
    uint32_t address;
    uint32_t value;  // the byte of a poke; 1 for a DIP switch on, 0 for off
};

// The script's inputs: button1-4, up/down/left/right 1-4, service, test,
// coin1, coin2, start1-4.
inline constexpr int SCRIPT_INPUT_COUNT = 28;
inline constexpr int SCRIPT_PLAYER_COUNT = 4;

struct script_record {
    std::vector<script_event_record> items;        // sorted by frame, then line
    uint64_t next = 0;                             // first event not yet applied
    uint64_t end_frame = 0;                        // smallest FRAME + 1 of the end lines; 0: none
    uint64_t release_at[SCRIPT_INPUT_COUNT] = {};  // 0: no release pending
    int32_t roll_dx[SCRIPT_PLAYER_COUNT] = {};
    int32_t roll_dy[SCRIPT_PLAYER_COUNT] = {};
};

// Loads a script; null with "file:line: what" (or "file: what") in problem
// when the file cannot be read or a line is wrong.
script_record* orb_script_load(const char* path, char* problem, size_t problem_size);

// Applies the script for the board's completed-frame count; null does nothing.
void orb_script_apply(script_record* script, uint64_t frame);

void orb_script_free(script_record* script);

// The end frame, 0 for a null script or one without an end line.
uint64_t orb_script_frames(const script_record* script);

// The order of events: by frame, then by source line.
bool compare_events(const script_event_record& a, const script_event_record& b);
