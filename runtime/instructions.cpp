// The V60 instructions that do not reduce to straight-line code: string
// moves, searches, bit-string moves and the 64/32-bit divisions.
#include <cstdint>

#include "board/machine.h"
#include "runtime/v60.h"

namespace {

uint32_t read_element(uint32_t address, uint32_t element) {
    return element == 2 ? orb_read16(address) : orb_read8(address);
}

void write_element(uint32_t address, uint32_t element, uint32_t value) {
    if (element == 2)
        orb_write16(address, static_cast<uint16_t>(value));
    else
        orb_write8(address, static_cast<uint8_t>(value));
}

void search(uint32_t addr, uint32_t count, uint32_t element, uint32_t value, uint32_t condition) {
    const uint32_t mask = element == 2 ? 0xFFFF : 0xFF;
    const bool want_equal = condition & 0xFF;
    uint32_t i = 0;
    for (; i != count; ++i)
        if ((read_element(addr + element * i, element) == (value & mask)) == want_equal) break;
    cpu.reg[27] = i;
    cpu.reg[28] = addr + element * i;
}

struct dividend_ref {
    int index;
    uint32_t addr;
    uint64_t load() const {
        if (index >= 0) return cpu.reg[index & 31] | uint64_t(cpu.reg[(index + 1) & 31]) << 32;
        return orb_read32(addr) | uint64_t(orb_read32(addr + 4)) << 32;
    }
    void store(uint32_t quotient, uint32_t remainder) const {
        if (index >= 0) {
            cpu.reg[index & 31] = quotient;
            cpu.reg[(index + 1) & 31] = remainder;
        } else {
            orb_write32(addr, quotient);
            orb_write32(addr + 4, remainder);
        }
        cpu.z = quotient == 0;
        cpu.s = quotient >> 31;
    }
};

void check_divisor(uint32_t divisor) {
    if (divisor == 0)
        v60_fatal("V60 division by zero (frame %llu)\n", static_cast<unsigned long long>(cpu.frames));
}

// Copies one bit at a time, keeping the destination byte being edited in hand
// and writing it back when the move leaves it, and once at the end.
void move_bits(uint32_t src, uint32_t src_bit, uint32_t dst, uint32_t dst_bit, uint32_t count, bool down) {
    if (count == 0) return;
    bool have = false;
    uint32_t held_addr = 0;
    uint8_t held = 0;
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t i = down ? count - 1 - k : k;
        const uint32_t s_off = src_bit + i, d_off = dst_bit + i;
        const uint32_t s_addr = src + (s_off >> 3), d_addr = dst + (d_off >> 3);
        cpu.reg[28] = s_addr;
        cpu.reg[27] = d_addr;
        if (!have || d_addr != held_addr) {
            if (have) orb_write8(held_addr, held);
            held_addr = d_addr;
            held = orb_read8(d_addr);
            have = true;
        }
        const uint8_t bit = (orb_read8(s_addr) >> (s_off & 7)) & 1;
        held = static_cast<uint8_t>((held & ~(1u << (d_off & 7))) | bit << (d_off & 7));
    }
    orb_write8(held_addr, held);
}

}  // namespace

void v60_move_string(uint32_t src, uint32_t src_len, uint32_t dst, uint32_t dst_len, uint32_t element,
                     uint32_t fill, uint32_t down) {
    const uint32_t e = element == 2 ? 2 : 1;
    const uint32_t n = src_len < dst_len ? src_len : dst_len;
    const bool filling = (fill & 0xFF) && src_len < dst_len;
    if (!(down & 0xFF)) {
        for (uint32_t k = 0; k < n; ++k) write_element(dst + e * k, e, read_element(src + e * k, e));
        cpu.reg[27] = dst + e * n;
        cpu.reg[28] = src + e * n;
        if (filling) {
            for (uint32_t k = n; k < dst_len; ++k) write_element(dst + e * k, e, cpu.reg[26]);
            cpu.reg[27] = dst + e * dst_len;
        }
        return;
    }
    if (filling)
        for (uint32_t k = dst_len; k-- > n;) write_element(dst + e * k, e, cpu.reg[26]);
    // Top element first, so a destination that overlaps above the source is safe.
    for (uint32_t k = n; k-- > 0;) write_element(dst + e * k, e, read_element(src + e * k, e));
    cpu.reg[28] = src + e * (src_len - n - 1);
    cpu.reg[27] = dst + e * (dst_len - n - 1);
}

void v60_search_bytes(uint32_t addr, uint32_t count, uint32_t value, uint32_t condition) {
    search(addr, count, 1, value, condition);
}

void v60_search_halfwords(uint32_t addr, uint32_t count, uint32_t value, uint32_t condition) {
    search(addr, count, 2, value, condition);
}

void v60_divux(uint32_t divisor, int index, uint32_t addr) {
    check_divisor(divisor);
    const dividend_ref d{index, addr};
    const uint64_t dividend = d.load();
    d.store(static_cast<uint32_t>(dividend / divisor), static_cast<uint32_t>(dividend % divisor));
}

void v60_divx(uint32_t divisor, int index, uint32_t addr) {
    check_divisor(divisor);
    const dividend_ref d{index, addr};
    const int64_t dividend = static_cast<int64_t>(d.load());
    const int64_t by = static_cast<int32_t>(divisor);
    // The most negative dividend over -1 has no 64-bit quotient (and traps a
    // native division): take the wrapped quotient, the dividend itself, and a
    // remainder of 0.
    if (dividend == INT64_MIN && by == -1) {
        d.store(static_cast<uint32_t>(dividend), 0);
        return;
    }
    d.store(static_cast<uint32_t>(dividend / by), static_cast<uint32_t>(dividend % by));
}

void v60_move_bits_up(uint32_t src, uint32_t src_bit, uint32_t dst, uint32_t dst_bit, uint32_t count) {
    move_bits(src, src_bit, dst, dst_bit, count, false);
}

void v60_move_bits_down(uint32_t src, uint32_t src_bit, uint32_t dst, uint32_t dst_bit, uint32_t count) {
    move_bits(src, src_bit, dst, dst_bit, count, true);
}
