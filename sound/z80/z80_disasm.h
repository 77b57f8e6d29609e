// Z80 disassembler: one instruction to text in the standard assembler syntax,
// with its length and control-flow kind in the result word.
#pragma once

#include <cstdint>
#include <ostream>

#include "sound/z80/device.h"

namespace orbs {

class z80_disassembler : public util::disasm_interface {
public:
    struct mnemonic_entry {
        uint8_t mnemonic;
        const char* pattern;
    };

    z80_disassembler() = default;
    uint32_t opcode_alignment() const override { return 1; }
    uint32_t disassemble(std::ostream& out, uint32_t pc, const data_buffer& opcodes,
                         const data_buffer& params) override;
    virtual const mnemonic_entry* get_mnemonic_ed(uint8_t op);
};

}  // namespace orbs
