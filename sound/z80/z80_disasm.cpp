#include "sound/z80/z80_disasm.h"

namespace orbs {

uint32_t z80_disassembler::disassemble(std::ostream&, uint32_t, const data_buffer&, const data_buffer&) {
    return 0x80000001;
}

const z80_disassembler::mnemonic_entry* z80_disassembler::get_mnemonic_ed(uint8_t) { return nullptr; }

}  // namespace orbs
