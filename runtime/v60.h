// The V60 processor state, the table of translated routines, control
// transfer, interrupt entry, the run API and the instructions that need
// support routines.
#pragma once
#include <cstdint>

struct v60_state {
    uint32_t reg[32];         // R0-R31; R31 is SP
    uint32_t privileged[29];  // 0 ISP, 1-4 L0SP-L3SP, 5 SBR; the rest only stored
    uint32_t psw;             // bits 0-3 fresh only after v60_read_psw
    uint8_t z, s, ov, cy;     // the live condition flags, each 0 or 1
    uint32_t pc;              // set by guest returns and v60_jump, checked after calls
    uint8_t irq_line;
    uint64_t frames;
    uint32_t interrupts;
};
extern v60_state cpu;

constexpr int V60_SP = 31;
constexpr int V60_ISP = 0;
constexpr int V60_SBR = 5;
constexpr uint32_t V60_PSW_IE = 1u << 18;  // interrupt enable
constexpr uint32_t V60_PSW_IS = 1u << 28;  // interrupt stack in use

using v60_routine = void (*)();
struct v60_code_entry {
    uint32_t address;
    v60_routine function;
};
// The table of translated routines, strictly ascending by address. The product
// links the game's table; test binaries link tables of their own.
extern const v60_code_entry v60_code_entries[];
extern const uint64_t v60_code_entry_count;

// Control transfer.
const v60_code_entry* v60_lookup(uint32_t target);
int v60_returned_to(uint32_t expected, uint32_t from);
void v60_call(uint32_t target);
void v60_jump(uint32_t target);
[[noreturn]] void v60_unknown_jump(uint32_t target, uint32_t from);
void run_task();

// A guest address inside the routine that runs now, kept for the fatal lines
// of a run that stops making progress: a routine's entry as it is entered
// (ROUTINE_ENTRY), the call site when a call comes back to its caller, the
// poll address when an interrupt returns to the idle loop. One store each.
extern uint32_t v60_where;
// The entry of the translated routine whose range holds `address`: the last
// row of the table at or below it.
uint32_t v60_routine_at(uint32_t address);
// The first act of a reset entry. The guest's reset reloads every stack
// pointer, so whatever ran before it is gone: entered anywhere but at the
// start of a host task (from an interrupt vector, a computed call), it drops
// the running task's native frames and starts `entry` afresh on another task,
// and does not return. At the start of a task it returns at once.
void v60_restart_task(uint32_t entry);

// Processor state, PSW and privileged registers.
void program_reset();
void v60_reset();
uint32_t v60_read_psw();
void v60_write_psw(uint32_t value);
void v60_load_privileged(uint32_t index, uint32_t value);
uint32_t v60_read_privileged(uint32_t index);
void program_irq_line(int level);
uint64_t program_frames();
uint32_t program_interrupts();

// Interrupt entry, frame hooks and the run API.
extern void (*program_frame_done)();
void program_run();
void program_stop();
void v60_frame_wait(uint32_t address);
void v60_take_interrupts(uint32_t poll);
void v60_frame_end();
// Ends the run with a fatal line naming the routine it is in when one game
// frame has used `seconds` of the game thread's processor time, or when the
// guest's calls nest deeper than a task's native stack holds. The guest's
// call path pays only the stores of its entry hooks: the rest is a
// processor-time timer and the stacks' guard regions.
// 0 stops the timer.
void program_watchdog(unsigned seconds);
// The same with a limit in milliseconds and a line that gives it in ms, for a
// run that must give up on a hung frame much sooner than a person would (the
// fuzz target, which runs many short games one after another).
void program_watchdog_ms(unsigned milliseconds);

// String, search, bit-string and division instructions.
void v60_move_string(uint32_t src, uint32_t src_len, uint32_t dst, uint32_t dst_len, uint32_t element,
                     uint32_t fill, uint32_t down);
void v60_search_bytes(uint32_t addr, uint32_t count, uint32_t value, uint32_t condition);
void v60_search_halfwords(uint32_t addr, uint32_t count, uint32_t value, uint32_t condition);
void v60_divx(uint32_t divisor, int index, uint32_t addr);
void v60_divux(uint32_t divisor, int index, uint32_t addr);
void v60_move_bits_up(uint32_t src, uint32_t src_bit, uint32_t dst, uint32_t dst_bit, uint32_t count);
void v60_move_bits_down(uint32_t src, uint32_t src_bit, uint32_t dst, uint32_t dst_bit, uint32_t count);

// The one way out of a run that cannot go on: prints the line (the format ends
// with its own "\n"), lets the host save what must survive, exits with status 3.
[[noreturn]] void v60_fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Called by v60_fatal before it exits; the host saves its EEPROM file there.
extern void (*program_fatal_hook)();
