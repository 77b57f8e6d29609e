// A small guest program for tests, in the conventions of the translated game:
// a reset that sets up the stacks, the vector table and the interrupt
// controller, an idle loop that waits for frames and takes interrupts, a
// vblank handler, and a few routines that exercise control transfer. It links
// its own table of translated routines, so a test binary that uses it must not
// link the game's.
#pragma once
#include <cstdint>

namespace test_guest {

// Guest addresses of its routines and variables.
constexpr uint32_t kIdleLoop = 0x000100;
constexpr uint32_t kPoll = 0x000110;
constexpr uint32_t kVblank = 0x000200;
constexpr uint32_t kAckAll = 0x000240;        // acknowledges every source
constexpr uint32_t kVblankFresh = 0x000280;   // returns into a new context every time
constexpr uint32_t kFreshContext = 0x000300;  // where that handler sends the guest
constexpr uint32_t kReset = 0xFFFFF0;

constexpr uint32_t kFrameFlags = 0x208010;     // bit 0: the vblank handler saw a frame
constexpr uint32_t kLoopPasses = 0x208020;     // 32-bit: frames the idle loop finished
constexpr uint32_t kVblankCount = 0x208024;    // 32-bit: vblank interrupts handled
constexpr uint32_t kHandlerSelect = 0x208030;  // byte: 1 installs the fresh-context handler
constexpr uint32_t kVectorBase = 0x20F000;     // SBR; the vectors lie 0x100 above it
constexpr uint16_t kGreen = 0x03E0;            // the colour of its picture
constexpr uint32_t kMainStack = 0x20FF00;
constexpr uint32_t kInterruptStack = 0x210000;

// Control-transfer routines (each a row of the table).
constexpr uint32_t kLabelFrame = 0x001000;  // pushes return label 0x001010, transfers to kCaller
constexpr uint32_t kLabel = 0x001010;
constexpr uint32_t kCaller = 0x001100;       // calls kSkipper, expecting 0x001108
constexpr uint32_t kSkipper = 0x001200;      // drops its return address before returning
constexpr uint32_t kLostCaller = 0x001300;   // calls kStray, expecting 0x001308
constexpr uint32_t kStray = 0x001400;        // returns to 0x00ABCD
constexpr uint32_t kIncrementR0 = 0x001500;  // R0 += 1
constexpr uint32_t kMarks = 0x208040;        // byte marks the control-transfer routines set

// Routines for the runtime's watch over runs that stop making progress.
constexpr uint32_t kRestarter = 0x001600;     // a reset entry that enters itself again
constexpr uint32_t kRestarts = 0x208050;      // 32-bit: times kRestarter ran its body
constexpr uint32_t kRestartLimit = 0x208054;  // 32-bit: at this count it stops the run
constexpr uint32_t kNester = 0x001700;        // calls itself by address without end
constexpr uint32_t kSpinner = 0x001800;       // loops without end, calling kIncrementR0

// The native stack address kRestarter saw on each of its runs.
const void* restarter_frame(uint32_t run);

}  // namespace test_guest
