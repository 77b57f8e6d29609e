// The sound board's link as the Z80 sees it: memory map, ports, ROM bank and
// the sound interrupt controller.
#include <cstring>
#include <memory>

#include "board/sound.h"
#include "tests/board/link_fixture.h"

namespace {

using Strings = std::vector<std::string>;

constexpr uint32_t kSoundRomSize = 0x400000;

// A byte pattern that differs between any two nearby offsets and between pages.
uint8_t rom_byte(uint32_t offset) {
    return static_cast<uint8_t>(offset ^ offset >> 8 ^ offset >> 13 ^ offset >> 21);
}

class SoundLink : public BoardLinkTest {
protected:
    static void SetUpTestSuite() {
        sound_rom = std::make_unique<uint8_t[]>(kSoundRomSize);
        for (uint32_t i = 0; i < kSoundRomSize; ++i) sound_rom[i] = rom_byte(i);
    }
    static void TearDownTestSuite() { sound_rom.reset(); }
    SoundLink() { sound_rom_region = sound_rom.get(); }
    // Everything the Z80 side can change, to check that a write changes nothing.
    struct Snapshot {
        uint16_t bank;
        orb_sound_irq_regs irq;
        uint8_t latch;
        uint8_t int_control[16];
        uint8_t shared_ram[0x2000];
    };
    static Snapshot snapshot() {
        Snapshot s{};
        s.bank = orb_board.z80_bank;
        s.irq = orb_board.sound_irq_regs;
        s.latch = orb_board.sound_latch;
        std::memcpy(s.int_control, orb_board.int_control, sizeof s.int_control);
        std::memcpy(s.shared_ram, orb_board.shared_ram, sizeof s.shared_ram);
        return s;
    }
    static bool same(const Snapshot& a, const Snapshot& b) {
        return a.bank == b.bank && std::memcmp(&a.irq, &b.irq, sizeof a.irq) == 0 && a.latch == b.latch &&
               std::memcmp(a.int_control, b.int_control, 16) == 0 &&
               std::memcmp(a.shared_ram, b.shared_ram, sizeof a.shared_ram) == 0;
    }

    static inline std::unique_ptr<uint8_t[]> sound_rom;
};

TEST_F(SoundLink, MemoryReads) {
    orb_board.shared_ram[0x0000] = 0x31;
    orb_board.shared_ram[0x1FFF] = 0x32;
    struct Case {
        uint16_t bank;
        uint16_t address;
        uint8_t expected;
        Strings calls;
    };
    const Case cases[] = {
        {0x000, 0x0000, rom_byte(0x0000), {}},
        {0x1FF, 0x9FFF, rom_byte(0x9FFF), {}},  // the fixed part ignores the bank
        {0x000, 0xA000, rom_byte(0x0000), {}},
        {0x001, 0xA123, rom_byte(0x2123), {}},
        {0x155, 0xB456, rom_byte(0x155 * 0x2000 + 0x1456), {}},
        {0x1FF, 0xBFFF, rom_byte(0x3FFFFF), {}},               // the last byte of the sound ROM
        {0x3FF, 0xA010, rom_byte(0x1FF * 0x2000 + 0x10), {}},  // wraps at 4 MB
        {0x000, 0xC000, 0x00, {}},
        {0x000, 0xCFFF, 0x00, {}},
        {0x000, 0xD000, 0x000 ^ 0x5A, {"pcm_memory_read 000"}},
        {0x000, 0xDABC, 0xBC ^ 0x5A, {"pcm_memory_read ABC"}},
        {0x000, 0xE000, 0x31, {}},
        {0x000, 0xFFFF, 0x32, {}},
    };
    for (const auto& c : cases) {
        orb_board.z80_bank = c.bank;
        EXPECT_EQ(orb_z80_read(c.address), c.expected) << std::hex << c.address << " bank " << c.bank;
        EXPECT_EQ(take_events(), c.calls) << std::hex << c.address;
    }
}

TEST_F(SoundLink, MemoryWrites) {
    struct Case {
        uint16_t address;
        Strings calls;
    };
    const Case cases[] = {
        {0x0000, {}},
        {0x9FFF, {}},
        {0xA000, {}},
        {0xBFFF, {}},  // ROM
        {0xC000, {"pcm_write 0 A5"}},
        {0xC008, {"pcm_write 8 A5"}},
        {0xC009, {}},
        {0xC00F, {}},
        {0xCFF3, {"pcm_write 3 A5"}},
        {0xD000, {"pcm_memory_write 000 A5"}},
        {0xDFFF, {"pcm_memory_write FFF A5"}},
    };
    for (const auto& c : cases) {
        const Snapshot before = snapshot();
        orb_z80_write(c.address, 0xA5);
        EXPECT_EQ(take_events(), c.calls) << std::hex << c.address;
        EXPECT_TRUE(same(before, snapshot())) << std::hex << c.address;
    }
}

TEST_F(SoundLink, SharedRamIsTheSameBytesFromBothProcessors) {
    orb_write8(0x700010, 0x5A);
    EXPECT_EQ(orb_z80_read(0xE010), 0x5A);
    orb_write16(0x7F3FFE, 0xBEEF);  // the V60 side repeats every 8 KB
    EXPECT_EQ(orb_z80_read(0xFFFE), 0xEF);
    EXPECT_EQ(orb_z80_read(0xFFFF), 0xBE);
    orb_z80_write(0xF234, 0xA5);
    EXPECT_EQ(orb_read8(0x701234), 0xA5);
    EXPECT_EQ(orb_read16(0x701F00), orb_z80_read(0xFF00) | orb_z80_read(0xFF01) << 8);
}

TEST_F(SoundLink, PortReads) {
    orb_board.sound_latch = 0x77;
    struct Case {
        uint8_t port;
        uint8_t expected;
        Strings calls;
    };
    const Case cases[] = {
        {0x80, 0x40, {"fm_read 0 0"}},
        {0x83, 0x43, {"fm_read 0 3"}},
        {0x8E, 0x42, {"fm_read 0 2"}},
        {0x91, 0x45, {"fm_read 1 1"}},
        {0x9F, 0x47, {"fm_read 1 3"}},
        {0xF1, 0x77, {}},
        {0x00, 0xFF, {}},
        {0x70, 0xFF, {}},
        {0x7F, 0xFF, {}},
        {0xA0, 0xFF, {}},
        {0xB0, 0xFF, {}},
        {0xC0, 0xFF, {}},
        {0xD3, 0xFF, {}},
        {0xE0, 0xFF, {}},
        {0xF0, 0xFF, {}},
        {0xF2, 0xFF, {}},
        {0xFF, 0xFF, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orb_z80_in(c.port), c.expected) << std::hex << int{c.port};
        EXPECT_EQ(take_events(), c.calls) << std::hex << int{c.port};
    }
}

TEST_F(SoundLink, FmWritesLatchAndUnmappedPorts) {
    orb_z80_out(0x81, 0x2B);
    orb_z80_out(0x9E, 0x80);
    EXPECT_EQ(take_events(), (Strings{"fm_write 0 1 2B", "fm_write 1 2 80"}));
    orb_z80_out(0xF1, 0x42);
    EXPECT_EQ(orb_board.sound_latch, 0x42);
    EXPECT_EQ(orb_z80_in(0xF1), 0x42);

    const uint8_t unmapped[] = {0x00, 0x70, 0x7F, 0xD8, 0xDB, 0xDF, 0xE0, 0xF0, 0xF2, 0xFF};
    for (uint8_t port : unmapped) {
        const Snapshot before = snapshot();
        orb_z80_out(port, 0x00);
        orb_z80_out(port, 0xFF);
        EXPECT_TRUE(same(before, snapshot())) << std::hex << int{port};
        EXPECT_TRUE(take_events().empty()) << std::hex << int{port};
    }
}

TEST_F(SoundLink, BankRegisterFormsANineBitPage) {
    struct Step {
        uint8_t port;
        uint8_t value;
        uint16_t bank;
    };
    const Step steps[] = {
        {0xB0, 0x07, 0x1C0},  // value bit 2 is bank bit 6, bits 0-1 are bits 7-8
        {0xA0, 0x3F, 0x1FF}, {0xB0, 0x00, 0x03F},
        {0xBF, 0x04, 0x07F}, {0xB5, 0xFB, 0x1BF},  // value bits above 2 are ignored
        {0xAC, 0xC0, 0x180},                       // value bits 6-7 are ignored; bank bits 6-8 kept
        {0xA3, 0x15, 0x195},
    };
    for (const auto& s : steps) {
        orb_z80_out(s.port, s.value);
        EXPECT_EQ(orb_board.z80_bank, s.bank) << std::hex << "OUT " << int{s.port} << "," << int{s.value};
    }
    EXPECT_EQ(orb_z80_read(0xA000), rom_byte(0x195 * 0x2000));
    EXPECT_TRUE(take_events().empty());
}

TEST_F(SoundLink, InterruptControllerReportsTheLowestUnmaskedLine) {
    // After orb_init every line follows source 0 and nothing is masked.
    orb_sound_signal_irq(0);
    EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, 7);
    EXPECT_EQ(take_events(), (Strings{"sound_irq 1 0"}));
    struct Case {
        uint8_t mask;
        const char* report;
    };
    const Case cases[] =
        {
            {0x00, "sound_irq 1 0"}, {0x01, "sound_irq 1 2"}, {0x03, "sound_irq 1 4"},
            {0x02, "sound_irq 1 0"}, {0x05, "sound_irq 1 2"}, {0x07, "sound_irq 0 0"},
            {0xF8, "sound_irq 1 0"},  // mask bits above 2 count for nothing
        };
    for (const auto& c : cases) {
        orb_z80_out(0xD3, c.mask);
        EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_mask, c.mask);
        EXPECT_EQ(take_events(), Strings{c.report}) << "mask " << std::hex << int{c.mask};
    }
    // Every write reports, even when nothing changed.
    orb_z80_out(0xD7, 0xF8);  // D4-D7 repeat D0-D3
    EXPECT_EQ(take_events(), Strings{"sound_irq 1 0"});
}

TEST_F(SoundLink, LinesFollowTheirSourceIds) {
    orb_z80_out(0xD1, 1);  // line 1 follows the V60's source
    orb_z80_out(0xD6, 1);  // line 2 too, through the repeat of D2
    EXPECT_EQ(take_events(), (Strings{"sound_irq 0 0", "sound_irq 0 0"}));

    orb_write8(0xD0000C, 0x00);  // the V60 interrupts the Z80
    EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, 0x06);
    EXPECT_EQ(take_events(), Strings{"sound_irq 1 2"});

    orb_sound_signal_irq(0);
    EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, 0x07);
    EXPECT_EQ(take_events(), Strings{"sound_irq 1 0"});

    orb_sound_clear_irq(0);
    EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, 0x06);
    EXPECT_EQ(take_events(), Strings{"sound_irq 1 2"});

    orb_sound_signal_irq(2);  // no line follows id 2: nothing set, still reported
    EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, 0x06);
    EXPECT_EQ(take_events(), Strings{"sound_irq 1 2"});
}

TEST_F(SoundLink, AcknowledgePortsAndTheV60Interrupt) {
    orb_write8(0xD00007, 0x00);  // clear the V60's pending bits
    orb_write8(0xD00006, 0x00);  // and unmask them
    take_events();
    struct Case {
        uint8_t port;
        uint8_t value;
        uint8_t pending_after;
        Strings calls;
    };
    const Case cases[] = {
        // Bit 0: AND into pending and report; then bit 2: raise V60 source 2.
        {0xC5, 0xFE, 0x06, {"sound_irq 1 2", "irq_changed 1"}},
        {0xC1, 0xFD, 0x05, {"sound_irq 1 0"}},
        {0xC4, 0x00, 0x07, {"irq_changed 1"}},
        {0xC0, 0x00, 0x07, {}},
        {0xCF, 0x03, 0x03, {"sound_irq 1 0", "irq_changed 1"}},
    };
    for (const auto& c : cases) {
        orb_board.sound_irq_regs.sound_irq_pending = 0x07;
        orb_board.int_control[7] = 0;
        orb_z80_out(c.port, c.value);
        EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending, c.pending_after) << std::hex << int{c.port};
        EXPECT_EQ(take_events(), c.calls) << std::hex << int{c.port};
        EXPECT_EQ(orb_board.int_control[7], (c.port & 4) ? 0x04 : 0x00) << std::hex << int{c.port};
    }
}

TEST_F(SoundLink, InitClearsTheLinkAndResetKeepsIt) {
    orb_z80_out(0xB0, 0x07);
    orb_z80_out(0xD3, 0x05);
    orb_z80_out(0xD0, 0x01);
    orb_z80_out(0xF1, 0x99);
    orb_sound_signal_irq(1);
    const Snapshot before = snapshot();
    orb_reset();
    Snapshot after = snapshot();
    std::memcpy(after.int_control, before.int_control, 16);  // reset does set these
    EXPECT_TRUE(same(before, after));

    orb_init(program_rom);
    EXPECT_EQ(orb_board.z80_bank, 0);
    EXPECT_EQ(orb_board.sound_latch, 0);
    const orb_sound_irq_regs zero{};
    EXPECT_EQ(std::memcmp(&orb_board.sound_irq_regs, &zero, sizeof zero), 0);
    EXPECT_EQ(orb_board.sound_rom, sound_rom.get());
}

}  // namespace
