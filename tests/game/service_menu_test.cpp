#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/hardware.h"
#include "game/operator/tables.h"
#include "tests/game/service_fixture.h"

namespace {

using namespace service_test;

constexpr uint32_t cursor_cell(uint32_t line) { return 0x31F214 + 256 * line; }
constexpr uint32_t text_of(uint32_t line) { return cursor_cell(line) + 4; }

// The main menu on planted texts: line i reads "Li" from column 12; the
// auto-run state prints on row 2; the table names line 0 and 9's own routines
// and test entries for lines 1 to 8 (pages that go straight back).
class ServiceMenu : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        std::vector<std::pair<uint16_t, std::string>> lines;
        uint32_t a = rom::menu_text;
        for (uint32_t i = 0; i < 10; ++i) {
            plant16(a, static_cast<uint16_t>(text_of(i)));
            plant8(a + 2, 'L');
            plant8(a + 3, static_cast<uint8_t>('0' + i));
            plant8(a + 4, 0);
            a += 5;
        }
        plant16(a, 0);
        plant_text_at(rom::auto_run_texts, {{0xF100, "OFF"}});
        plant_text_at(0x08C8BC, {{0xF100, "ON "}});
        plant32(rom::menu_routines, entry::sub_08B129 /* auto run */);
        for (uint32_t line = 1; line <= 8; ++line) {
            plant32(rom::menu_routines + 4 * line, kTestEntry[line - 1]);
            fake(kTestEntry[line - 1], [] { orb_write32(var::service_screen, entry::sub_08B04A); });
        }
        plant32(rom::menu_routines + 36, entry::sub_08C35C /* exit */);
        orb_write8(var::service_menu_index, 9);
        screen(entry::sub_08B04A /* main menu */);
        // Auto run off, no switch pressed, unless a test says so.
        orb_write8(var::service_flags, 0);
        orb_write8(var::system_presses, 0);
        // The planted lists have no colour byte: they print in the attribute
        // R0 carries in (bits 8 to 15), here 0.
        cpu.reg[0] = 0;
    }
};

TEST_F(ServiceMenu, EntryResetsTheBoardStateAndInstallsTheMenu) {
    orb_write8(var::service_request, 0xFF);
    orb_write32(var::decomp_job, 0x123456);
    orb_write32(var::system_flags, 0xFFFFFFFF);
    orb_write32(var::game_flags, 0x0000F1FF);
    for (uint32_t a = 0x610040; a <= 0x61004A; a += 2) orb_write16(a, 0x5555);
    orb_write16(0x61004C, 0x5555);
    orb_write8(var::service_flags, 0xFF);
    orb_write8(var::service_menu_index, 3);
    orb_write8(hw::io_control, 0x86);
    guest::enable_interrupts();
    bool masked_inside = false, display_off_inside = false;
    fake(sub_0608A8 /* layers */, [&] {
        masked_inside = !(v60_read_psw() & V60_PSW_IE);
        display_off_inside = !(orb_read8(hw::io_control) & 2);
    });
    ASSERT_TRUE(run(sub_08AFB4));
    EXPECT_TRUE(masked_inside);
    EXPECT_TRUE(display_off_inside);
    EXPECT_TRUE(v60_read_psw() & V60_PSW_IE);
    EXPECT_EQ(orb_read8(hw::io_control), 0x86);
    EXPECT_EQ(calls(sub_0609AA /* sprite list reset */), 1);
    EXPECT_EQ(calls(sub_0896F1 /* palette block */), 1) << "the service palette";
    EXPECT_EQ(ram32(var::decomp_job), 0u);
    EXPECT_EQ(ram32(var::system_flags), 0xFFFFFFF7u) << "only the fade bit goes";
    for (uint32_t a = 0x610040; a <= 0x61004A; a += 2) EXPECT_EQ(orb_read16(a), 0) << std::hex << a;
    EXPECT_EQ(orb_read16(0x61004C), 0x5555);
    EXPECT_EQ(ram8(var::service_flags), 0);
    EXPECT_EQ(ram8(var::service_menu_index), 9);
    EXPECT_EQ(ram32(var::game_flags), 0x0000F0FFu);
    EXPECT_EQ(orb_read8(hw::music_level), 0xFF);
    EXPECT_EQ(ring_a, std::vector<uint8_t>{0});
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_EQ(ram8(var::service_request), 0xFF) << "only the exit clears it";
}

TEST_F(ServiceMenu, DispatchDrawsTheMenuAndComesBack) {
    frame();
    EXPECT_EQ(screen(), entry::sub_08B093 /* menu loop */);
    for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(text_at(text_of(i)), "L" + std::to_string(i));
    EXPECT_EQ(text_at(0x31F100), "OFF");
    EXPECT_EQ(ram32(var::service_blink_cell), cursor_cell(9));
    EXPECT_EQ(orb_read16(cursor_cell(9)), 0x0A7F) << "the mark shows in the frame it is set";
    EXPECT_EQ(colour(text_of(9)), 0x0A);
    EXPECT_EQ(colour(text_of(8)), 0x00);
}

// A service screen with no routine: the jump leaves its address in the PC and
// the frames unwind, here to the caller that pushed the sentinel.
TEST_F(ServiceMenu, DispatchToAnAddressWithoutCodeLeavesThePcThere) {
    screen(0x08B050);
    guest::push(kSentinel);
    sub_08B046();
    EXPECT_EQ(cpu.pc, 0x08B050u);
}

TEST_F(ServiceMenu, ServicePressesWalkTheTenLinesAndRecolourTheLineLeft) {
    frame();
    frame(kPressService);
    EXPECT_EQ(ram8(var::service_menu_index), 0);
    EXPECT_EQ(orb_read16(cursor_cell(9)), 0) << "the mark leaves line 9";
    EXPECT_EQ(colour(text_of(9)), 0x00);
    EXPECT_EQ(colour(text_of(0)), 0x0A);
    EXPECT_EQ(orb_read16(cursor_cell(0)), 0x0A7F);
    frame(kPressService);
    EXPECT_EQ(colour(text_of(0)), 0x02) << "line 0 keeps a colour of its own";
    EXPECT_EQ(colour(text_of(1)), 0x0A);
    for (int i = 0; i < 8; ++i) frame(kPressService);
    EXPECT_EQ(ram8(var::service_menu_index), 9) << "ten presses bring it back";
    EXPECT_EQ(colour(text_of(8)), 0x00);
    EXPECT_EQ(screen(), entry::sub_08B093 /* menu loop */);
}

TEST_F(ServiceMenu, TestPressStartsTheLinesPageOnTheNextFrame) {
    frame();
    frame(kPressService | kPressTest);  // both edges: move first, then select
    EXPECT_EQ(screen(), entry::sub_08B129 /* auto run */);
    EXPECT_EQ(ram8(var::service_flags), 0) << "the page has not run yet";
    frame();
    EXPECT_EQ(ram8(var::service_flags), 1);
    EXPECT_EQ(text_at(0x31F100), "ON ");
    EXPECT_EQ(colour(text_of(0)), 0x0A) << "the highlight comes back after the reprint";
    EXPECT_EQ(screen(), entry::sub_08B093 /* menu loop */);
}

TEST_F(ServiceMenu, MarkShowsElevenFramesAndHidesSix) {
    std::string shown;
    frame();
    shown += orb_read16(cursor_cell(9)) ? '#' : '.';
    for (int i = 1; i < 40; ++i) {
        frame();
        shown += orb_read16(cursor_cell(9)) ? '#' : '.';
    }
    EXPECT_EQ(shown, "###########......###########......######");
}

// Auto-run on line 1: every page from 1 to 8 runs in turn, each started by the
// menu entry after the previous one left, and the menu comes back on line 9.
TEST_F(ServiceMenu, AutoRunRunsLinesOneToEightThenShowsTheMenu) {
    frame();
    frame(kPressService | kPressTest);  // line 0: auto-run
    frame();
    frame(kPressService | kPressTest);  // line 1
    for (int i = 0; i < 16; ++i) frame();
    std::vector<uint32_t> pages;
    for (uint32_t a : call_log())
        if (a >= kTestEntry[0] && a <= kTestEntry[7]) pages.push_back(a);
    EXPECT_EQ(pages, std::vector<uint32_t>(std::begin(kTestEntry), std::end(kTestEntry)));
    EXPECT_EQ(ram8(var::service_menu_index), 9);
    EXPECT_EQ(screen(), entry::sub_08B093 /* menu loop */);
    EXPECT_EQ(ram8(var::service_flags) & 1, 1) << "auto-run stays on";
    EXPECT_EQ(text_at(0x31F100), "ON ");
    EXPECT_EQ(colour(text_of(9)), 0x0A);
    EXPECT_EQ(calls(sub_060942 /* text clear */), 2) << "drawn at the start and at line 9";
}

TEST_F(ServiceMenu, SaveCountShowsOnlyWhileTheServiceSwitchIsHeld) {
    plant_text_here(rom::save_count_label, {{0xFD10, "SAVES"}});
    const struct {
        uint8_t held;
        uint32_t count;
        std::vector<uint16_t> digits;  // ending at column 32 of row 26
    } cases[] = {
        {1, 0, {0, 0, 0x0430}},
        {1, 1234, {0x0431, 0x0432, 0x0433, 0x0434}},
        {0, 1234, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        orb_write8(var::system_inputs, c.held);
        orb_write32(kBackup + backup_record::save_count, c.count);
        screen(entry::sub_08B04A /* main menu */);
        frame();
        const int n = static_cast<int>(c.digits.size());
        EXPECT_EQ(cells(0x31FD40 - 2 * n, n), c.digits);
        EXPECT_EQ(text_at(0x31FD10), c.held ? "SAVES" : "");
    }
}

TEST_F(ServiceMenu, ExitSavesOnlyAfterASettingsChange) {
    for (const bool changed : {true, false}) {
        SCOPED_TRACE(changed);
        orb_write8(var::service_request, 0xFF);
        orb_write8(var::service_flags, changed ? 0x07 : 0x03);
        orb_write32(kBackup + backup_record::save_count, 41);
        orb_write8(hw::io_control, 0x86);
        const int saves = calls(sub_08946D /* save backup */);
        screen(entry::sub_08C35C /* exit */);
        frame();
        EXPECT_EQ(calls(sub_08946D /* save backup */) - saves, changed ? 1 : 0);
        EXPECT_EQ(ram32(kBackup + backup_record::save_count), changed ? 42u : 41u);
        EXPECT_EQ(ram8(var::service_flags), 0x03) << "the changed bit is cleared";
        EXPECT_EQ(ram8(var::service_request), 0);
        EXPECT_EQ(orb_read8(hw::io_control), 0x84) << "display off";
    }
}

using ServicePalette = ServiceTest;

TEST_F(ServicePalette, FillsRampsAfterTheBlockAndSolidCharacters) {
    fake(sub_0896F1 /* palette block */,
         [] { cpu.reg[27] = 0x608100; });  // an end seen through the alternate view
    orb_write16(0x61004E, 0);              // palette writes land in one half only
    ASSERT_TRUE(run(sub_08C37A));
    EXPECT_EQ(r(19), rom::service_palette);
    std::vector<bool> ramp(0x4000, false);
    for (uint32_t k = 0; k < 32; ++k) {
        const uint32_t at = 0x600102 + 32 * k;
        const uint16_t want[4] = {static_cast<uint16_t>(k), static_cast<uint16_t>(k << 5),
                                  static_cast<uint16_t>(k << 10),
                                  static_cast<uint16_t>(k + (k << 5) + (k << 10))};
        for (uint32_t c = 0; c < 4; ++c) {
            EXPECT_EQ(orb_read16(at + 2 * c), want[c]) << "ramp " << k << " colour " << c + 1;
            ramp[((at + 2 * c) >> 1) & 0x3FFF] = true;
        }
    }
    int others = 0;
    for (uint32_t e = 0; e < 0x4000; ++e) {
        if (ramp[e]) continue;
        if (orb_read16(hw::palette_alternate + 2 * e) != 0x0733) {
            ADD_FAILURE() << "entry " << std::hex << e << " reads "
                          << orb_read16(hw::palette_alternate + 2 * e);
            break;
        }
        ++others;
    }
    EXPECT_EQ(others, 0x4000 - 128);
    for (uint32_t n = 1; n <= 4; ++n)
        for (uint32_t i = 0; i < 32; i += 4)
            EXPECT_EQ(orb_read32(hw::text_patterns + 32 * n + i), n * 0x11111111u) << "pattern " << n;
    EXPECT_EQ(orb_read32(hw::text_patterns), 0u);
    EXPECT_EQ(orb_read32(0x31C0A0), 0u);
}

class ServiceMessage : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        plant_text_at(rom::message_texts, {{0xF400, "PRESS TEST"}, {0xF500, "BUTTON"}});
        plant_text_at(0x08DC23, {{0xF400, "AUTO"}});
        // Not in auto run unless a test says so: the message is the test one.
        orb_write8(var::service_flags, 0);
    }
};

TEST_F(ServiceMessage, ShowsTwentyOneFramesAndHidesEleven) {
    ASSERT_TRUE(run(sub_08C403));
    std::string shown;
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(run(sub_08C41D));
        shown += text_at(0x31F400) == "PRESS TEST" ? '#' : text_at(0x31F400).empty() ? '.' : '?';
    }
    EXPECT_EQ(shown, "#####################...........########");
    EXPECT_EQ(text_at(0x31F500), "BUTTON") << "only the first entry is erased";
}

TEST_F(ServiceMessage, AutoRunChoosesItsOwnMessage) {
    orb_write8(var::service_flags, 1);
    ASSERT_TRUE(run(sub_08C403));
    ASSERT_TRUE(run(sub_08B520));
    EXPECT_EQ(text_at(0x31F400), "AUTO");
}

TEST_F(ServiceMessage, SelfTestScreenGoesBackOnTheTestSwitch) {
    ASSERT_TRUE(run(sub_08C403));
    screen(entry::sub_08B416);
    frame();
    EXPECT_EQ(text_at(0x31F400), "PRESS TEST");
    EXPECT_EQ(screen(), entry::sub_08B416);
    frame(kPressTest);
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
}

TEST_F(ServiceTest, SelfTestPageShowsEveryResult) {
    const char* status[4] = {"    ", "TEST", "GOOD", "BAD "};
    for (uint32_t s = 0; s < 4; ++s) {
        plant8(rom::status_texts + 6 * s, static_cast<uint8_t>(0x10 + s));
        for (uint32_t i = 0; i < 4; ++i)
            plant8(rom::status_texts + 6 * s + 1 + i, static_cast<uint8_t>(status[s][i]));
    }
    plant_text_here(rom::self_test_text, {{0xF080, "SELF"}});
    for (uint32_t i = 0; i < 19; ++i) {
        plant16(rom::self_test_cells + 2 * i, static_cast<uint16_t>(cell(4 + i, 30)));
        orb_write8(var::self_test_results + i, static_cast<uint8_t>(i % 4));
    }
    ASSERT_TRUE(run(sub_08B429));
    EXPECT_EQ(text_at(0x31F080), "SELF");
    for (uint32_t i = 0; i < 19; ++i) {
        const uint32_t s = i % 4;
        std::vector<uint16_t> want;
        for (uint32_t c = 0; c < 4; ++c)
            want.push_back(static_cast<uint16_t>((0x10 + s) << 8 | status[s][c]));
        EXPECT_EQ(cells(cell(4 + i, 30), 4), want) << "item " << i;
    }
}

}  // namespace
