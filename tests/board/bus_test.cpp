// The guest bus: byte lanes, widths, the address map, the palette layouts, the
// random port, unmapped accesses and the state hash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/board_fixture.h"

namespace {

std::vector<std::string> log_lines;
void capture_log(const char* text) { log_lines.emplace_back(text); }

class Bus : public BoardFixture {
protected:
    void SetUp() override {
        for (size_t i = 0; i < program.size(); ++i) program[i] = uint8_t(i);
        BoardFixture::SetUp();
        log_lines.clear();
    }
};

TEST_F(Bus, LanesAndWidthsAreLittleEndian) {
    orb_write16(0x200001, 0x1234);
    EXPECT_EQ(orb_board.work_ram[1], 0x34);
    EXPECT_EQ(orb_board.work_ram[2], 0x12);
    EXPECT_EQ(orb_read16(0x200001), 0x1234);

    orb_write8(0x200010, 0x11);
    orb_write8(0x200011, 0x22);
    orb_write8(0x200012, 0x33);
    orb_write8(0x200013, 0x44);
    EXPECT_EQ(orb_read32(0x200010), 0x44332211u);
    EXPECT_EQ(orb_read32(0x200011), 0x00443322u);
    orb_write32(0x200021, 0xA1B2C3D4);
    EXPECT_EQ(orb_board.work_ram[0x21], 0xD4);
    EXPECT_EQ(orb_board.work_ram[0x24], 0xA1);
    EXPECT_EQ(orb_read32(0x200021), 0xA1B2C3D4u);
    EXPECT_EQ(orb_read16(0x200022), 0xB2C3);
}

TEST_F(Bus, RegionsMirrorThroughTheirMegabyte) {
    orb_write8(0x200010, 0x5A);
    EXPECT_EQ(orb_read8(0x210010), 0x5A);
    EXPECT_EQ(orb_read8(0x2F0010), 0x5A);
    EXPECT_EQ(orb_read8(0xFF200010), 0x5A) << "bits 24-31 of an address are ignored";
    orb_write8(0x700010, 0x77);
    EXPECT_EQ(orb_read8(0x702010), 0x77);
    orb_write16(0x300000, 0xBEEF);
    EXPECT_EQ(orb_read16(0x320000), 0xBEEF);
}

TEST_F(Bus, ProgramRomIsReadOnlyAndMirroredAtTheTop) {
    EXPECT_EQ(orb_read8(0xFFFFF0), 0xF0);
    EXPECT_EQ(orb_read16(0xFFFFF0), 0xF1F0);
    EXPECT_EQ(orb_read32(0x000100), 0x03020100u);
    EXPECT_EQ(orb_read8(0x1FFFFF), 0xFF);
    for (uint32_t a : {0x000000u, 0x123456u, 0x1FFFFEu, 0xF00000u, 0xFFFFFFu}) {
        orb_write32(a, 0xDEADBEEF);
        orb_write8(a, 0);
    }
    EXPECT_EQ(program[0x123456], 0x56);
    EXPECT_EQ(orb_read32(0x000000), 0x03020100u);
    EXPECT_EQ(orb_board.unmapped_writes, 0u);
    EXPECT_EQ(orb_board.unmapped_reads, 0u);
}

TEST_F(Bus, PaletteLayoutsAndMirror) {
    orb_board.mixer_regs[0x27] = 0;
    orb_write16(0x600000, 0x7FFF);
    EXPECT_EQ(orb_read16(0x608000), 0x7FFF);
    orb_write16(0x608000, 0x0001);
    EXPECT_EQ(orb_board.palette[0], 0x0002) << "alternate bits 3-0 are red bits 4-1";
    orb_write16(0x608000, 0x1000);
    EXPECT_EQ(orb_board.palette[0], 0x0001) << "alternate bit 12 is red bit 0";

    // Every stored word survives the trip through the alternate layout.
    for (uint32_t v = 0; v < 0x10000; ++v)
        ASSERT_EQ(orb_palette_from_alternate(orb_palette_to_alternate(uint16_t(v))), v);

    // Byte lanes merge in the layout of the write.
    orb_board.palette[3] = 0;
    orb_write8(0x608007, 0x80);  // alternate high byte: the flag
    EXPECT_EQ(orb_board.palette[3], 0x8000);

    // The mirror follows mixer register 0x27 (bits 7 or 11), both ways.
    orb_write16(0x61004E, 0x0080);
    orb_write16(0x60000A, 0x1234);
    EXPECT_EQ(orb_board.palette[5], 0x1234);
    EXPECT_EQ(orb_board.palette[0x2005], 0x1234);
    orb_write16(0x604014, 0x0777);  // entry 0x200A mirrors down to 0x000A
    EXPECT_EQ(orb_board.palette[0x000A], 0x0777);
    orb_write16(0x61004E, 0x0800);
    orb_write16(0x60000C, 0x0042);
    EXPECT_EQ(orb_board.palette[0x2006], 0x0042);
    orb_write16(0x61004E, 0x0000);
    orb_write16(0x60000E, 0x0055);
    EXPECT_EQ(orb_board.palette[7], 0x0055);
    EXPECT_EQ(orb_board.palette[0x2007], 0);
}

TEST_F(Bus, MixerMergesLanes) {
    EXPECT_EQ(orb_read16(0x610000), 0xFFFF) << "mixer registers start all ones";
    orb_write8(0x610001, 0x12);
    EXPECT_EQ(orb_board.mixer_regs[0], 0x12FF);
    orb_write8(0x610000, 0x34);
    EXPECT_EQ(orb_read16(0x610000), 0x1234);
    EXPECT_EQ(orb_read16(0x610080), 0x1234) << "64 registers repeat";
}

TEST_F(Bus, SpriteControlAndIoTakeTheLowLaneOnly) {
    orb_write8(0x500003, 0x55);
    EXPECT_EQ(orb_board.sprite_control[1], 0);
    orb_write16(0x500006, 0xAB03);
    EXPECT_EQ(orb_board.sprite_control[3], 0x03);
    struct Case {
        uint32_t reg;
        uint8_t latched;
        uint16_t expect;
    };
    orb_board.sprite_status = 1;
    for (Case c : {Case{0, 0, 0xFFFD}, Case{1, 0, 0xFFFD}, Case{2, 0xFE, 0xFFFE}, Case{5, 0x03, 0xFFFF},
                   Case{6, 0x02, 0xFFFC}, Case{6, 0x03, 0xFFFD}, Case{7, 0xFF, 0xFFFC}}) {
        orb_board.sprite_latched[c.reg] = c.latched;
        EXPECT_EQ(orb_read16(0x500000 + 2 * c.reg), c.expect) << "register " << c.reg;
        EXPECT_EQ(orb_read8(0x500001 + 2 * c.reg), 0xFF);
    }
    EXPECT_EQ(orb_read8(0xC00001), 0xFF);
    EXPECT_EQ(orb_read16(0xC00000) & 0xFF00, 0xFF00);
}

TEST_F(Bus, InterruptControllerReadsAllOnesAndTakesBothLanes) {
    EXPECT_EQ(orb_read16(0xD00000), 0xFFFF);
    orb_write16(0xD00000, 0x3412);
    EXPECT_EQ(orb_board.int_control[0], 0x12);
    EXPECT_EQ(orb_board.int_control[1], 0x34);
    orb_write8(0xD00013, 0x56);  // repeats every 16 bytes
    EXPECT_EQ(orb_board.int_control[3], 0x56);
}

TEST_F(Bus, RandomPortSteps) {
    auto step = [](uint32_t& s) {
        s = s * 1664525u + 1013904223u;
        return s ^ (s >> 15);
    };
    uint32_t s = 0x9D14ABD7;
    uint32_t r1 = step(s);
    EXPECT_EQ(orb_read16(0xD80000), r1 & 0xFFFF);
    uint32_t r2 = step(s);
    EXPECT_EQ(orb_read8(0xD80001), (r2 >> 8) & 0xFF);
    uint32_t r3 = step(s), r4 = step(s);
    EXPECT_EQ(orb_read32(0xDFFFF0), (r3 & 0xFFFF) | (r4 & 0xFFFF) << 16);
    orb_write16(0xD80000, 0);
    EXPECT_EQ(orb_board.rng_state, s) << "writes do not touch the generator";
    EXPECT_EQ(orb_board.unmapped_writes, 0u);
}

TEST_F(Bus, UnmappedAccessesAreLoggedSixtyFourTimes) {
    orb_board.callbacks.log = capture_log;
    EXPECT_EQ(orb_read8(0x800001), 0xFF);
    EXPECT_EQ(orb_read32(0xE00000), 0xFFFFFFFFu);
    ASSERT_EQ(log_lines.size(), 3u);
    EXPECT_EQ(log_lines[0], "unmapped read 800000 at PC 000000");
    EXPECT_EQ(log_lines[2], "unmapped read E00002 at PC 000000");
    for (int i = 0; i < 70; ++i) EXPECT_EQ(orb_read16(0x900000 + 2 * i), 0xFFFF);
    EXPECT_EQ(orb_board.unmapped_reads, 73u);
    EXPECT_EQ(log_lines.size(), 64u);

    log_lines.clear();
    orb_write8(0xA00003, 0x5A);
    orb_write8(0xA00004, 0x5A);
    orb_write16(0xB00000, 0x1234);
    ASSERT_EQ(log_lines.size(), 3u);
    EXPECT_EQ(log_lines[0], "unmapped write A00002 = 5A00 & FF00 at PC 000000");
    EXPECT_EQ(log_lines[1], "unmapped write A00004 = 005A & 00FF at PC 000000");
    EXPECT_EQ(log_lines[2], "unmapped write B00000 = 1234 & FFFF at PC 000000");
    for (int i = 0; i < 70; ++i) orb_write8(0xE00000, 1);
    EXPECT_EQ(orb_board.unmapped_writes, 73u);
    EXPECT_EQ(log_lines.size(), 64u);
}

// FNV-1a written out independently over the same bytes.
uint64_t reference_hash() {
    uint64_t h = 0xcbf29ce484222325ull;
    auto feed = [&](uint8_t b) { h = (h ^ b) * 0x100000001b3ull; };
    for (int i = 0; i < 0xFE00; ++i) feed(orb_read8(0x200000 + i));
    for (int i = 0; i < 0x20000; ++i) feed(orb_read8(0x300000 + i));
    for (int i = 0; i < 0x20000; ++i) feed(orb_read8(0x400000 + i));
    for (int i = 0; i < 0x4000; ++i) {
        uint16_t e = orb_read16(0x600000 + 2 * i);
        feed(uint8_t(e));
        feed(uint8_t(e >> 8));
    }
    for (int i = 0; i < 64; ++i) {
        uint16_t r = orb_read16(0x610000 + 2 * i);
        feed(uint8_t(r));
        feed(uint8_t(r >> 8));
    }
    return h;
}

TEST_F(Bus, StateHashCoversRamPaletteAndMixer) {
    orb_write16(0x600010, 0x1357);
    orb_write16(0x610010, 0x2468);
    orb_write8(0x41FFFF, 9);
    EXPECT_EQ(orb_state_hash(), reference_hash());
    const uint64_t before = orb_state_hash();
    orb_write8(0x20FE00, 1);  // the last 512 bytes of work RAM are left out
    EXPECT_EQ(orb_state_hash(), before);
    orb_write8(0x20FDFF, 1);
    EXPECT_NE(orb_state_hash(), before);
}

int irq_reports;
int last_level;
void count_irq(int level) {
    ++irq_reports;
    last_level = level;
}
void a_frame() {}

TEST_F(Bus, InitKeepsCallbacksAndResetsState) {
    static const uint8_t sound[16] = {};
    orb_board.callbacks.irq_changed = count_irq;
    orb_board.callbacks.frame = a_frame;
    orb_board.sound_rom = sound;
    orb_board.eeprom_instant = 1;
    orb_board.work_ram[5] = 9;
    irq_reports = 0;
    last_level = -1;
    orb_init(program.data());
    EXPECT_EQ(orb_board.callbacks.irq_changed, count_irq);
    EXPECT_EQ(orb_board.callbacks.frame, a_frame);
    EXPECT_EQ(orb_board.sound_rom, sound);
    EXPECT_EQ(orb_board.eeprom_instant, 1);
    EXPECT_EQ(orb_board.work_ram[5], 0);
    EXPECT_EQ(irq_reports, 1);
    EXPECT_EQ(last_level, 0);
    EXPECT_EQ(orb_board.video_ram[0x1FF01], 0x80);
    EXPECT_EQ(orb_board.eeprom[63], 0xFFFF);
    EXPECT_EQ(orb_board.pcm_ram[0xFFFF], 0xFF);
    EXPECT_EQ(orb_board.io.io_inputs[7], 0xFF);
    EXPECT_EQ(orb_board.next_deadline, ~0ull);
    EXPECT_EQ(orb_board.int_control[6], 0xFF);
}

}  // namespace
