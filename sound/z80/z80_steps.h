// Resume points inside the Z80's instruction handlers. A handler's body is a
// switch on the step it was entered with: step 0 starts the instruction, and
// every suspension point is also a case label, so a resumed call jumps to the
// work right after the access that spent the budget. Handlers keep every value
// that must survive a suspension in the device's latches (tmp, ea, port,
// vector), never in locals.
#pragma once

#define Z_BEGIN      \
    switch (step) {  \
    case 0:

#define Z_END              \
    return true;           \
    default:               \
        return bad_step(); \
        }

// Suspend with step n when the budget is spent; resume there.
#define Z_STOP(n)                                              \
    if (cycle_budget <= 0) {                                   \
        exec_state = (exec_state & 0xFFFF00u) | unsigned(n);   \
        return false;                                          \
    }                                                          \
    [[fallthrough]];                                           \
    case n:;

#define Z_MEM(n)                      \
    cycle_budget -= cycles_memory;    \
    Z_STOP(n)
#define Z_IO(n)                   \
    cycle_budget -= cycles_io;    \
    Z_STOP(n)
#define Z_INT(n)          \
    cycle_budget -= 1;    \
    Z_STOP(n)
// An opcode fetch: two suspension points, after each half of its charge.
#define Z_FETCH(n)                        \
    cycle_budget -= cycles_opcode - 2;    \
    Z_STOP(n)                             \
    cycle_budget -= 2;                    \
    Z_STOP(n + 1)

// The two operand bytes of nn, latched into ea.
#define Z_READ_NN_TO_EA() \
    tmp_lo() = rd_arg();  \
    Z_MEM(2)              \
    pc++;                 \
    tmp_hi() = rd_arg();  \
    Z_MEM(4)              \
    pc++;                 \
    ea = tmp;

// The last access of an instruction: when it spends the budget, the boundary
// that follows stores the between-instructions state.
#define Z_MEM_LAST() cycle_budget -= cycles_memory

// 256 case labels, each calling CALL(n) for one opcode.
#define Z_CASES_4(n, CALL) CALL(n) CALL(n + 1) CALL(n + 2) CALL(n + 3)
#define Z_CASES_16(n, CALL) \
    Z_CASES_4(n, CALL) Z_CASES_4(n + 4, CALL) Z_CASES_4(n + 8, CALL) Z_CASES_4(n + 12, CALL)
#define Z_CASES_64(n, CALL) \
    Z_CASES_16(n, CALL) Z_CASES_16(n + 16, CALL) Z_CASES_16(n + 32, CALL) Z_CASES_16(n + 48, CALL)
#define Z_CASES_256(CALL) \
    Z_CASES_64(0, CALL) Z_CASES_64(64, CALL) Z_CASES_64(128, CALL) Z_CASES_64(192, CALL)
