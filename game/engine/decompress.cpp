// The graphics decompressor: stage graphics unpacked from program ROM into
// video RAM one output byte per call while the game waits for the next frame.
// All of its state lives in work RAM beside the job-list pointer, so a job
// survives everything between two calls.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kEndOfList = 0xFFFF;
constexpr uint32_t kBlock = 1024;       // bytes of video RAM per destination block
constexpr uint32_t kLongBias = 0x2000;  // long references reach back 1 to 8,192 bytes
constexpr uint32_t kShortBias = 0x100;  // short references 1 to 256
constexpr uint8_t kTakeJob = 0;
constexpr uint8_t kTokens = 1;
constexpr uint8_t kCopying = 0xFF;

uint32_t field(uint32_t offset) { return var::decomp_job + offset; }

// Registers while a call runs: R0 job-list pointer, R1 source, R2
// destination, R3 descriptor bits, R4 bits left, R5 copy offset, R6 copy
// count, R7 the byte in hand.

// Takes the next descriptor bit (bit 0 of R3). When the last one is used the
// next descriptor word is read at once, before any byte of the token that
// used it, so a descriptor word sits exactly where the previous one ran out.
uint32_t take_bit() {
    set16(cpu.reg[3], shl<uint16_t>(cpu.reg[3], 0xFF));  // right by one: CY = the bit
    const uint32_t taken = cpu.cy;
    set8(cpu.reg[4], dec<uint8_t>(cpu.reg[4]));
    if (eq()) {
        set16(cpu.reg[3], orb_read16(cpu.reg[1]));
        cpu.reg[1] += 2;
        set8(cpu.reg[4], 16);
    }
    return taken;
}

void store_bits_and_source() {
    orb_write16(field(decomp_field::bits), static_cast<uint16_t>(cpu.reg[3]));
    orb_write8(field(decomp_field::bit_count), static_cast<uint8_t>(cpu.reg[4]));
    orb_write32(field(decomp_field::source), cpu.reg[1]);
}

}  // namespace

// One step of the graphics decompression job at 0x20C000: outputs exactly one
// byte into video RAM, or, at the end of the job list, sets the job-list
// pointer to 0 (idle) without output. The pointer's top byte is the state: 0
// take the next job, 1 read tokens, 0xFF copy a reference. Registers are kept.
//
// Job list: {16-bit source offset from the source base, 16-bit 1 KB block of
// video RAM}, ended by source offset 0xFFFF. Stream tokens, by descriptor
// bits: 1 literal byte; 0 1 long reference (B0, B1: offset ((B1 >> 3) << 8 |
// B0) - 0x2000, count B1 & 7 plus 2, or with count field 0 a byte S: 0 ends
// the stream, 1 is nothing, else S + 1 bytes); 0 0 b1 b0 short reference
// (byte N: offset N - 256, (b1 b0) + 2 bytes).
void sub_087660() {
    ROUTINE_ENTRY(0x087660);
    push_range(0, 7);
    cmp<uint8_t>(orb_read8(field(decomp_field::state)), kTakeJob);
    if (eq()) goto L_take_job;
    cmp<uint8_t>(orb_read8(field(decomp_field::state)), kCopying);
    if (eq()) goto L_copy;
    cpu.reg[1] = orb_read32(field(decomp_field::source));
    cpu.reg[2] = orb_read32(field(decomp_field::destination));
    cpu.reg[3] = load_zx16(field(decomp_field::bits));
    cpu.reg[4] = load_zx8(field(decomp_field::bit_count));
    goto L_token;

L_take_job:
    cpu.reg[0] = orb_read32(var::decomp_job);
    cpu.reg[7] = load_zx16(cpu.reg[0]);
    cmp<uint16_t>(cpu.reg[7], kEndOfList);
    if (eq()) {
        orb_write32(var::decomp_job, 0);
        goto L_done;
    }
    cpu.reg[1] = orb_read32(field(decomp_field::source_base)) + cpu.reg[7];
    cpu.reg[2] = hw::video_ram + kBlock * load_zx16(cpu.reg[0] + 2);
    cpu.reg[0] += 4;
    orb_write32(var::decomp_job, cpu.reg[0]);
    cpu.reg[3] = load_zx16(cpu.reg[1]);
    cpu.reg[1] += 2;
    cpu.reg[4] = 16;
    orb_write8(field(decomp_field::state), kTokens);

L_token:
    if (!take_bit()) goto L_reference;
    orb_write8(cpu.reg[2], orb_read8(cpu.reg[1]));
    cpu.reg[1] += 1;
    cpu.reg[2] += 1;
    store_bits_and_source();
    orb_write32(field(decomp_field::destination), cpu.reg[2]);
    goto L_done;

L_reference:
    if (!take_bit()) goto L_short;
    cpu.reg[7] = load_zx16(cpu.reg[1]);  // B0, then B1 above it
    cpu.reg[1] += 2;
    cpu.reg[5] = (((cpu.reg[7] >> 11) << 8) | (cpu.reg[7] & 0xFF)) - kLongBias;
    cpu.reg[6] = (cpu.reg[7] >> 8) & 7;
    if (cpu.reg[6] != 0) {
        cpu.reg[6] += 2;
        goto L_start_copy;
    }
    cpu.reg[6] = load_zx8(cpu.reg[1]);
    cpu.reg[1] += 1;
    cmp<uint8_t>(cpu.reg[6], 1);
    if (carry()) goto L_take_job;  // S = 0: the stream ends, the next job follows
    if (eq()) goto L_token;        // S = 1: nothing
    cpu.reg[6] += 1;               // up to 256, kept as a byte: 0 counts down from 256
    goto L_start_copy;

L_short:
    cpu.reg[6] = take_bit() << 1;
    cpu.reg[6] |= take_bit();
    cpu.reg[6] += 2;
    cpu.reg[5] = load_zx8(cpu.reg[1]) - kShortBias;
    cpu.reg[1] += 1;

L_start_copy:
    orb_write8(field(decomp_field::copy_count), static_cast<uint8_t>(cpu.reg[6]));
    orb_write32(field(decomp_field::copy_offset), cpu.reg[5]);
    store_bits_and_source();
    orb_write8(field(decomp_field::state), kCopying);
    goto L_copy_next;

L_copy:
    cpu.reg[2] = orb_read32(field(decomp_field::destination));
    cpu.reg[5] = orb_read32(field(decomp_field::copy_offset));
    cpu.reg[6] = load_zx8(field(decomp_field::copy_count));
L_copy_next:
    // Byte by byte, so a copy may repeat the bytes it is producing.
    orb_write8(cpu.reg[2], orb_read8(cpu.reg[2] + cpu.reg[5]));
    cpu.reg[2] += 1;
    set8(cpu.reg[6], dec<uint8_t>(cpu.reg[6]));
    orb_write8(field(decomp_field::copy_count), static_cast<uint8_t>(cpu.reg[6]));
    if (eq()) orb_write8(field(decomp_field::state), kTokens);
    orb_write32(field(decomp_field::destination), cpu.reg[2]);

L_done:
    pop_range(0, 7);
    ret();
}
