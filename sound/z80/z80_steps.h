// Resume points inside the Z80's instruction handlers. A handler's body is a
// switch on the step it was entered with: step 0 starts the instruction, and
// every suspension point is also a case label, so a resumed call jumps to the
// work right after the access that spent the budget. Handlers keep every value
// that must survive a suspension in the device's latches (tmp, ea, port,
// vector), never in locals.
#pragma once

#define Z_BEGIN     \
    switch (step) { \
    case 0:

#define Z_END                   \
    return true;                \
    default: return bad_step(); \
        }

// The point just before an access (an access takes two step numbers: before
// it, then after it). No suspension stores it, but a state word that names it
// resumes by making the access.
#define Z_BEFORE(n)  \
    [[fallthrough]]; \
    case n:;

// Suspend with step n when the budget is spent; resume there.
#define Z_STOP(n)                                            \
    if (cycle_budget <= 0) {                                 \
        exec_state = (exec_state & 0xFFFF00u) | unsigned(n); \
        return false;                                        \
    }                                                        \
    [[fallthrough]];                                         \
    case n:;

#define Z_MEM(n)                   \
    cycle_budget -= cycles_memory; \
    Z_STOP(n)
#define Z_IO(n)                \
    cycle_budget -= cycles_io; \
    Z_STOP(n)
#define Z_INT(n)       \
    cycle_budget -= 1; \
    Z_STOP(n)
// An opcode fetch: two suspension points, after each half of its charge.
#define Z_FETCH(n)                     \
    cycle_budget -= cycles_opcode - 2; \
    Z_STOP(n)                          \
    cycle_budget -= 2;                 \
    Z_STOP(n + 1)

// The two operand bytes of nn into tmp (steps n and n + 2).
#define Z_READ_NN(n)     \
    Z_BEFORE(n - 1)      \
    tmp_lo() = rd_arg(); \
    Z_MEM(n)             \
    pc++;                \
    Z_BEFORE(n + 1)      \
    tmp_hi() = rd_arg(); \
    Z_MEM(n + 2)         \
    pc++;

// The two operand bytes of nn, latched into ea.
#define Z_READ_NN_TO_EA() \
    Z_READ_NN(2)          \
    ea = tmp;

// A taken relative jump: the displacement read (step n), five internal
// cycles, then the jump from the byte after the displacement.
#define Z_RELATIVE_JUMP(n) \
    Z_BEFORE(n - 1)        \
    tmp_lo() = rd_arg();   \
    Z_MEM(n)               \
    pc++;                  \
    Z_INT(n + 1)           \
    Z_INT(n + 2) Z_INT(n + 3) Z_INT(n + 4) Z_INT(n + 5) pc = wz = uint16_t(pc + int8_t(tmp_lo()));

// An operand byte read and passed over (step n).
#define Z_SKIP_ARG(n)    \
    Z_BEFORE(n - 1)      \
    tmp_lo() = rd_arg(); \
    Z_MEM(n)             \
    pc++;

// Two stack reads into tmp (steps n and n + 2).
#define Z_POP_TMP(n)         \
    Z_BEFORE(n - 1)          \
    tmp_lo() = rd_stack(sp); \
    Z_MEM(n)                 \
    sp++;                    \
    Z_BEFORE(n + 1)          \
    tmp_hi() = rd_stack(sp); \
    Z_MEM(n + 2)             \
    sp++;

// The displacement d of an (IX+d) or (IY+d) form (step 2), latched as the
// effective address in ea and WZ.
#define Z_DISPLACEMENT()                             \
    Z_BEFORE(1)                                      \
    tmp_lo() = rd_arg();                             \
    Z_MEM(2)                                         \
    ea = wz = uint16_t(idx<X>() + int8_t(tmp_lo())); \
    pc++;

// The displacement and the five internal cycles that add it (steps 2 to 7).
#define Z_INDEXED_ADDRESS() \
    Z_DISPLACEMENT()        \
    Z_INT(3) Z_INT(4) Z_INT(5) Z_INT(6) Z_INT(7)

// The last access of an instruction: when it spends the budget, the boundary
// that follows stores the between-instructions state.
#define Z_MEM_LAST() cycle_budget -= cycles_memory

// 256 case labels, each calling CALL(n) for one opcode.
#define Z_CASES_4(n, CALL) CALL(n) CALL(n + 1) CALL(n + 2) CALL(n + 3)
#define Z_CASES_16(n, CALL) \
    Z_CASES_4(n, CALL) Z_CASES_4(n + 4, CALL) Z_CASES_4(n + 8, CALL) Z_CASES_4(n + 12, CALL)
#define Z_CASES_64(n, CALL) \
    Z_CASES_16(n, CALL) Z_CASES_16(n + 16, CALL) Z_CASES_16(n + 32, CALL) Z_CASES_16(n + 48, CALL)
#define Z_CASES_256(CALL) Z_CASES_64(0, CALL) Z_CASES_64(64, CALL) Z_CASES_64(128, CALL) Z_CASES_64(192, CALL)
