// The test guest program's routines and its table of translated routines.
#include "tests/support/test_guest.h"

#include <array>

#include "runtime/guest.h"

using namespace guest;
using namespace test_guest;

namespace {

void sub_000100();
void sub_001100();
void sub_001200();
void sub_001400();

// The idle loop: wait for the vblank handler's flag, taking interrupts, then
// count the frame and go round again.
void sub_000100() {
    for (;;) {
        while (!(orb_read8(kFrameFlags) & 1)) {
            v60_frame_wait(kFrameFlags);
            v60_take_interrupts(kPoll);
        }
        orb_write8(kFrameFlags, orb_read8(kFrameFlags) & 0xFE);
        v60_frame_end();
        orb_write32(kLoopPasses, orb_read32(kLoopPasses) + 1);
    }
}

// Vblank start: acknowledge source 0, count, flag the frame.
void sub_000200() {
    orb_write8(0xD00007, 0xFE);
    orb_write32(kVblankCount, orb_read32(kVblankCount) + 1);
    orb_write8(kFrameFlags, orb_read8(kFrameFlags) | 1);
    reti();
}

// Any source: acknowledge everything pending, count.
void sub_000240() {
    orb_write8(0xD00007, 0x00);
    orb_write32(kVblankCount, orb_read32(kVblankCount) + 1);
    reti();
}

// Like the vblank handler, but returns into a new guest context each time.
void sub_000280() {
    orb_write8(0xD00007, 0xFE);
    orb_write32(kVblankCount, orb_read32(kVblankCount) + 1);
    pop();
    const uint32_t psw = pop();
    sp() -= 0x40;  // a stack of its own, below the interrupted one
    v60_write_psw(psw);
    cpu.pc = kFreshContext;
}

void sub_000300() { sub_000100(); }

void sub_001000() {
    push(kLabel);
    sub_001100();
    if (!at_label(kLabel)) return;
    orb_write8(kMarks, orb_read8(kMarks) | 1);  // the label frame went on
    ret();
}

void sub_001100() {
    if (!call(sub_001200, 0x001108, 0x001104)) return;
    orb_write8(kMarks, orb_read8(kMarks) | 2);  // must not happen: its callee skipped it
    ret();
}

void sub_001200() {
    pop();  // drop the return address: the next return goes to the caller's caller
    ret();
}

void sub_001300() {
    if (!call(sub_001400, 0x001308, 0x001304)) return;
    ret();
}

void sub_001400() {
    pop();
    push(0x00ABCD);
    ret();
}

void sub_001500() {
    cpu.reg[0] += 1;
    ret();
}

// Fixed, so that a run allocates nothing a signal could interrupt.
std::array<const void*, 4096> restarter_frames;

// Each of the first runs notes its native stack address, then each enters
// itself again by a computed call as a guest would through a zero vector,
// until the limit.
void sub_001600() {
    v60_restart_task(kRestarter);
    const uint32_t run = orb_read32(kRestarts);
    if (run < restarter_frames.size()) restarter_frames[run] = __builtin_frame_address(0);
    orb_write32(kRestarts, run + 1);
    if (run + 1 >= orb_read32(kRestartLimit)) program_stop();
    if (!call_at(kRestarter, 0x001608, 0x001604)) return;
    ret();
}

void sub_001700() {
    v60_where = kNester;
    if (!call_at(kNester, 0x001708, 0x001704)) return;
    ret();
}

void sub_001800() {
    v60_where = kSpinner;
    for (;;)
        if (!call_at(kIncrementR0, 0x001808, 0x001804)) return;
}

// Reset: stacks, vector base and vectors, the interrupt controller, interrupts on.
void reset() {
    sp() = kInterruptStack;
    v60_load_privileged(V60_SBR, kVectorBase);
    v60_load_privileged(1, kMainStack);  // L0SP
    const bool fresh = orb_read8(kHandlerSelect) == 1;
    orb_write32(kVectorBase + 0x100, fresh ? kVblankFresh : kVblank);
    orb_write8(0xD00000, 0);     // vblank start uses vector 0
    orb_write8(0xD00007, 0x00);  // nothing pending
    orb_write8(0xD00006, 0xFE);  // only vblank start unmasked
    // A picture a person can recognise: display on, every layer off, the
    // mixer cleared, and every palette entry the same green, so the backdrop
    // fills the screen with it.
    orb_write8(0xC0001C, 0x02);
    orb_write16(0x31FF00, 0x0000);  // 320 pixels wide
    orb_write16(0x31FF02, 0x003F);
    for (uint32_t i = 0; i < 64; ++i) orb_write16(0x610000 + 2 * i, 0);
    for (uint32_t i = 0; i < 0x4000; ++i) orb_write16(0x600000 + 2 * i, kGreen);
    v60_write_psw(V60_PSW_IE);  // leave the interrupt stack, interrupts on
    sub_000100();
}

}  // namespace

// Strictly ascending by address.
extern const v60_code_entry v60_code_entries[] = {
    {kIdleLoop, sub_000100},    {kVblank, sub_000200},       {kAckAll, sub_000240},
    {kVblankFresh, sub_000280}, {kFreshContext, sub_000300}, {kLabelFrame, sub_001000},
    {kCaller, sub_001100},      {kSkipper, sub_001200},      {kLostCaller, sub_001300},
    {kStray, sub_001400},       {kIncrementR0, sub_001500},  {kRestarter, sub_001600},
    {kNester, sub_001700},      {kSpinner, sub_001800},      {kReset, reset},
};
extern const uint64_t v60_code_entry_count = sizeof v60_code_entries / sizeof v60_code_entries[0];

const void* test_guest::restarter_frame(uint32_t run) {
    return run < restarter_frames.size() ? restarter_frames[run] : nullptr;
}
