#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/operator/tables.h"
#include "game/routines.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"
#include "tests/game/operator_model.h"
#include "tests/support/game_harness.h"

namespace {

using namespace operator_model;
namespace br = backup_record;
using record = std::array<uint8_t, 64>;

constexpr uint32_t kPortD = hw::port_d;
constexpr uint32_t kIoDirection = hw::io_direction;

// CRC-16/XMODEM of the first 52 bytes, XORed with the last two read big-endian:
// the remainder of the 54 bytes with nothing appended.
uint16_t model_crc(const uint8_t* bytes) {
    uint16_t crc = 0;
    for (int i = 0; i < 52; ++i) {
        crc ^= static_cast<uint16_t>(bytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    }
    return static_cast<uint16_t>(crc ^ (bytes[52] << 8 | bytes[53]));
}

void put16(record& r, uint32_t at, uint16_t v) {
    r[at] = static_cast<uint8_t>(v);
    r[at + 1] = static_cast<uint8_t>(v >> 8);
}
uint16_t get16(const record& r, uint32_t at) { return static_cast<uint16_t>(r[at] | r[at + 1] << 8); }
uint32_t get32(const record& r, uint32_t at) {
    return get16(r, at) | static_cast<uint32_t>(get16(r, at + 2)) << 16;
}
void put32(record& r, uint32_t at, uint32_t v) {
    put16(r, at, static_cast<uint16_t>(v));
    put16(r, at + 2, static_cast<uint16_t>(v >> 16));
}

record sealed(record r) {
    put16(r, br::crc, model_crc(&r[br::flip_screen]));
    return r;
}
record counted(record r) {
    put32(r, br::save_count, get32(r, br::save_count) + 1);
    return r;
}
bool crc_valid(const record& r) { return get16(r, br::crc) == model_crc(&r[br::flip_screen]); }

// A settings record with every field in range; reserved bytes hold a pattern
// so that a copy of the wrong span shows.
record make_record(uint8_t difficulty, uint16_t energy, uint32_t saves) {
    record r{};
    for (uint32_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(0x90 + i);
    std::memcpy(&r[0], "KOTA", 4);
    put16(r, br::version, 0x8101);
    put16(r, br::revision, 1);
    r[br::flip_screen] = 0;
    r[br::player_count] = 1;
    r[br::chute_per_player] = 0;
    r[br::coins_per_credit] = 2;
    r[br::chute1_units] = 1;
    r[br::chute2_units] = 3;
    r[br::bonus_period] = 0;
    r[br::demo_sound] = 0xFF;
    r[br::start_credits] = 1;
    r[br::continue_credits] = 1;
    r[br::free_play] = 0;
    r[br::join_option] = 0;
    r[br::coin_item] = 4;
    r[br::difficulty] = difficulty;
    put16(r, br::start_energy, energy);
    put32(r, br::save_count, saves);
    return sealed(r);
}

// The ROM's default record: other settings than the files' own, a save count
// of 7, and a CRC field the load must not trust.
const record kDefault = [] {
    record r = make_record(5, 300, 7);
    r[br::coin_item] = 26;
    put16(r, br::crc, 0x0BAD);
    return r;
}();

record with_settings_default(record r) {
    std::memcpy(&r[br::settings], &kDefault[br::settings], 0x3C - br::settings);
    return r;
}

class Backup : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // As the host and start-up leave the board: writes finish at once,
        // port D drives the EEPROM lines; the part comes up write-disabled.
        orb_board.eeprom_instant = 1;
        orb_write8(kIoDirection, 0xC8);
        orb_board.eeprom_state.protect = 1;
        for (uint32_t i = 0; i < kDefault.size(); ++i) plant8(rom::backup_default_record + i, kDefault[i]);
    }
    void TearDown() override {
        orb_board.eeprom_instant = 0;
        GameRoutineTest::TearDown();
    }

    static void load_eeprom(const record& primary, const record& spare) {
        for (uint32_t k = 0; k < 32; ++k) {
            orb_board.eeprom[k] = get16(primary, 2 * k);
            orb_board.eeprom[32 + k] = get16(spare, 2 * k);
        }
    }
    static std::vector<uint8_t> eeprom_bytes() {
        std::vector<uint8_t> bytes;
        for (uint16_t word : orb_board.eeprom) {
            bytes.push_back(static_cast<uint8_t>(word));
            bytes.push_back(static_cast<uint8_t>(word >> 8));
        }
        return bytes;
    }
    static std::vector<uint8_t> image(const record& primary, const record& spare) {
        std::vector<uint8_t> bytes(primary.begin(), primary.end());
        bytes.insert(bytes.end(), spare.begin(), spare.end());
        return bytes;
    }

    // The power goes after `words` word writes have completed: from then on
    // the part takes no more writes (it stays write-protected, whatever the
    // routine sends), while the routine runs on as though nothing happened.
    // Every port write reaches the board as the real routine makes it.
    void cut_power_after(int words) {
        cut_after_ = words;
        written_ = 0;
        order_.clear();
        fake(sub_0895EE, [this] {
            auto& e = orb_board.eeprom_state;
            const bool was_busy = e.state == ORB_EEPROM_BUSY;
            orb_write8(r(13), static_cast<uint8_t>(r(2)));
            if (!was_busy && e.state == ORB_EEPROM_BUSY && e.kind == ORB_EEPROM_WRITE) {
                ++written_;
                order_.push_back(e.address);
            }
            if (written_ >= cut_after_) e.protect = 1;
        });
    }
    int cut_after_ = 0;
    int written_ = 0;
    std::vector<uint32_t> order_;  // the words written, in order
};

TEST_F(Backup, CrcIsTheRemainderOfTheFiftyFourBytes) {
    const struct {
        const char* name;
        uint8_t (*byte)(uint32_t i);
        uint16_t expected;
    } cases[] = {
        // Not 0x3EA6 (XMODEM over all 54) nor 0x58E1 (start value 0xFFFF).
        {"0x00 to 0x35", [](uint32_t i) { return static_cast<uint8_t>(i); }, 0x1342},
        {"zeros", [](uint32_t) -> uint8_t { return 0; }, 0x0000},
        {"0xFF", [](uint32_t) -> uint8_t { return 0xFF; }, 0x7AAB},
    };
    constexpr uint32_t kAt = 0x208301;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t bytes[54];
        for (uint32_t i = 0; i < 54; ++i) orb_write8(kAt + i, bytes[i] = c.byte(i));
        orb_write8(kAt + 54, 0x5A);  // the byte after the span counts for nothing
        cpu.reg[4] = kAt;
        ASSERT_TRUE(run(sub_08954D));
        EXPECT_EQ(r(0), c.expected);
        EXPECT_EQ(model_crc(bytes), c.expected) << "the tests' own model agrees";
    }
    // The primary's CRC: the same over +0x0A of 0x209100.
    for (uint32_t i = 0; i < 54; ++i) orb_write8(var::backup_primary + 0x0A + i, static_cast<uint8_t>(i));
    ASSERT_TRUE(run(sub_089548));
    EXPECT_EQ(r(0), 0x1342u);
    EXPECT_EQ(r(4), var::flip_screen);
}

// One word read over the port, every port write watched: the command, then 18
// clocked samples (the dummy 0 first, the last one dropped), then deselect.
TEST_F(Backup, ReadingAWordTakesEighteenSamples) {
    std::vector<uint8_t> writes;
    fake(sub_0895EE, [&] {
        writes.push_back(static_cast<uint8_t>(r(2)));
        orb_write8(r(13), static_cast<uint8_t>(r(2)));
    });
    for (uint16_t word : {0x0000, 0xFFFF, 0x8001, 0x1234}) {
        SCOPED_TRACE(::testing::Message() << std::hex << word);
        orb_board.eeprom[9] = word;
        orb_write8(kPortD, 0x03);  // coin meters on
        writes.clear();
        ASSERT_TRUE(run(sub_0895D7));
        cpu.reg[4] = 0x80 + 9;
        ASSERT_TRUE(run(sub_0894B1));
        EXPECT_EQ(r(0), word);
        ASSERT_EQ(writes.size(), 6u + 16 + 2 * 18 + 1);
        int rising = 0;
        for (size_t i = 22; i + 1 < writes.size(); ++i) rising += (writes[i] & 0x60) == 0x60;
        EXPECT_EQ(rising, 18) << "clocks with CS high after the command";
        EXPECT_EQ(writes.back(), 0x03) << "CS, CLK and DI low; the meter bits kept";
        for (uint8_t w : writes) EXPECT_EQ(w & 0x1F, 0x03);
    }
    EXPECT_FALSE(cpu.psw & V60_PSW_IE) << "opening the port masks interrupts";
}

// Start-up load on the board's own EEPROM, one image per case.
TEST_F(Backup, LoadKeepsRepairsOrDefaultsTheSettings) {
    const record good = make_record(3, 400, 20);
    const record spare = make_record(6, 450, 33);  // intact, and unlike the primary
    record blank;
    blank.fill(0xFF);
    auto changed = [](record r, std::function<void(record&)> edit, bool reseal) {
        edit(r);
        return reseal ? sealed(r) : r;
    };
    const record flipped_bit = changed(
        good, [](record& r) { r[br::difficulty] ^= 0x01; }, false);
    const record kotb = changed(
        good, [](record& r) { r[3] = 'B'; }, true);
    const record version_8100 = changed(
        good, [](record& r) { put16(r, br::version, 0x8100); }, true);
    const record revision_2 = changed(
        good, [](record& r) { put16(r, br::revision, 2); }, true);
    const record four_players_more = changed(
        good, [](record& r) { r[br::player_count] = 3; }, true);
    const record no_price = changed(
        good,
        [](record& r) {
            r[br::coins_per_credit] = 0;
            r[br::flip_screen] = 0xFF;
        },
        true);
    const record spare_no_price = changed(
        spare, [](record& r) { r[br::coins_per_credit] = 0; }, true);
    const record bad_spare = changed(
        spare, [](record& r) { r[0x30] ^= 0x40; }, false);

    const struct {
        const char* name;
        record primary, spare;
        record expected;  // both copies
        bool written;
    } cases[] = {
        {"blank EEPROM: default record, not counted", blank, blank, sealed(kDefault), true},
        {"both intact: nothing written", good, good, good, false},
        {"one flipped bit in the primary: the spare", flipped_bit, spare, sealed(counted(spare)), true},
        {"spare with a bad CRC: rewritten", good, bad_spare, sealed(counted(good)), true},
        {"primary signed KOTB: the spare", kotb, spare, sealed(counted(spare)), true},
        {"primary of version 0x8100: the spare", version_8100, spare, sealed(counted(spare)), true},
        {"primary of revision 2: the spare", revision_2, spare, sealed(counted(spare)), true},
        {"CRC-valid primary for 5 players: the spare", four_players_more, spare, sealed(counted(spare)),
         true},
        {"both CRC-valid without a price: settings default", no_price, spare_no_price,
         sealed(counted(with_settings_default(no_price))), true},
        {"KOTB with a damaged spare: default record", kotb, bad_spare, sealed(kDefault), true},
        {"version 0x8100 with a damaged spare: settings default", version_8100, bad_spare,
         sealed(counted(with_settings_default(good))), true},
        {"revision 2 with a damaged spare: settings default", revision_2, bad_spare,
         sealed(counted(with_settings_default(good))), true},
        {"both damaged: settings default", flipped_bit, bad_spare,
         sealed(counted(with_settings_default(flipped_bit))), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        load_eeprom(c.primary, c.spare);
        ASSERT_TRUE(run(sub_089389));
        const std::vector<uint8_t> expected =
            c.written ? image(c.expected, c.expected) : image(c.primary, c.spare);
        EXPECT_TRUE(same_bytes(bytes_at(var::backup_image, 128), expected)) << "backup image";
        EXPECT_TRUE(same_bytes(eeprom_bytes(), expected)) << "EEPROM";
        EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, c.written ? 1 : 0);
        record primary;
        for (uint32_t i = 0; i < 64; ++i) primary[i] = ram8(var::backup_primary + i);
        EXPECT_TRUE(crc_valid(primary));
        EXPECT_EQ(get16(primary, br::revision), 1);
        EXPECT_FALSE(cpu.psw & V60_PSW_IE);
        TearDown();
    }
}

// The bounds of an intact copy: a CRC-valid primary just outside them gives
// way to the spare; one on them is kept.
TEST_F(Backup, SettingsOutOfRangeMakeACopyUnusable) {
    const record spare = make_record(6, 450, 33);
    const struct {
        const char* name;
        uint32_t offset;
        uint16_t value;
        bool wide;
        bool in_range;
    } cases[] = {
        {"player_count 2", br::player_count, 2, false, true},
        {"player_count 3", br::player_count, 3, false, false},
        {"coins_per_credit 9", br::coins_per_credit, 9, false, true},
        {"coins_per_credit 0", br::coins_per_credit, 0, false, false},
        {"coin_item 26", br::coin_item, 26, false, true},
        {"coin_item 27", br::coin_item, 27, false, false},
        {"difficulty 7", br::difficulty, 7, false, true},
        {"difficulty 8", br::difficulty, 8, false, false},
        {"start_energy 200", br::start_energy, 200, true, true},
        {"start_energy 199", br::start_energy, 199, true, false},
        {"start_energy 600", br::start_energy, 600, true, true},
        {"start_energy 601", br::start_energy, 601, true, false},
        {"start_energy negative", br::start_energy, 0xFF38, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        record primary = make_record(3, 400, 20);
        if (c.wide)
            put16(primary, c.offset, c.value);
        else
            primary[c.offset] = static_cast<uint8_t>(c.value);
        primary = sealed(primary);
        load_eeprom(primary, spare);
        ASSERT_TRUE(run(sub_089389));
        const record expected = c.in_range ? primary : sealed(counted(spare));
        EXPECT_TRUE(same_bytes(bytes_at(var::backup_primary, 64),
                               std::vector<uint8_t>(expected.begin(), expected.end())));
        TearDown();
    }
}

// The service exit saves with counting, then write-disables the EEPROM and
// enables interrupts; the coin-meter bits of port D survive the transfer.
TEST_F(Backup, ServiceExitSavesCountedAndWriteDisables) {
    record edited = make_record(3, 400, 20);
    edited[br::difficulty] = 6;  // changed in the service mode; CRC not yet stored
    for (uint32_t i = 0; i < 64; ++i) orb_write8(var::backup_primary + i, edited[i]);
    orb_write8(kPortD, 0x02);
    guest::disable_interrupts();
    ASSERT_TRUE(run(sub_08946D));
    const record expected = sealed(counted(edited));
    EXPECT_TRUE(same_bytes(eeprom_bytes(), image(expected, expected)));
    EXPECT_TRUE(same_bytes(bytes_at(var::backup_image, 128), image(expected, expected)));
    EXPECT_EQ(orb_board.eeprom_state.protect, 1) << "write-disabled at the end";
    EXPECT_TRUE(cpu.psw & V60_PSW_IE);
    EXPECT_EQ(ram8(kPortD) & 0x1F, 0x02);

    // A save straight after finds the part write-disabled until it enables it.
    orb_board.eeprom[0] = 0;
    ASSERT_TRUE(run(sub_089478));
    EXPECT_EQ(orb_board.eeprom[0], get16(expected, 0));
}

// A power cut after any number of word writes of a save (0 to all 64), then a
// fresh board holding what the EEPROM kept and the start-up load on it: the
// settings that come up are those of one copy or the other, never the
// defaults where the operator's settings were being saved, and the start
// leaves two copies whose CRCs hold. The start-up repairs of either copy are
// cut as well as the service exit's save and the saves of defaults; a save
// count of 0xFFFF carries into its upper word, so the count takes two writes.
// A damaged spare is written before the primary, every other save in word
// order.
TEST_F(Backup, APowerCutDuringASaveKeepsTheOperatorsSettings) {
    auto settings = [](const record& r) {
        return std::vector<uint8_t>(r.begin() + br::flip_screen, r.begin() + br::save_count);
    };
    for (uint32_t saves : {20u, 0xFFFFu}) {
        const record operators = make_record(6, 550, saves);
        record edited = make_record(3, 400, saves);  // as the service mode leaves the primary
        edited[br::difficulty] = 6;
        put16(edited, br::start_energy, 550);
        const record earlier = make_record(3, 400, saves);
        record bad_spare = operators;
        bad_spare[0x30] ^= 0x40;
        record bad_primary = operators;
        bad_primary[br::difficulty] ^= 0x01;
        record blank;
        blank.fill(0xFF);

        const struct {
            const char* name;
            record primary, spare;
            bool service_exit;  // else the start-up load is cut
            bool spare_first;
            std::vector<record> accepted;  // the settings that may come up
        } cases[] = {
            {"start-up repair of a spare with a bad CRC", operators, bad_spare, false, true, {operators}},
            {"start-up repair of a primary with a bad CRC",
             bad_primary,
             operators,
             false,
             false,
             {operators}},
            {"service exit's save of changed settings", earlier, earlier, true, false, {earlier, edited}},
            {"both copies damaged: settings default",
             bad_primary,
             bad_spare,
             false,
             true,
             {with_settings_default(bad_primary)}},
            {"blank EEPROM: default record", blank, blank, false, true, {kDefault}},
        };
        for (const auto& c : cases) {
            for (int k = 0; k <= 64; ++k) {
                SCOPED_TRACE(::testing::Message()
                             << c.name << ", save count " << saves << ", cut after " << k << " words");
                SetUp();
                load_eeprom(c.primary, c.spare);
                if (c.service_exit) {
                    ASSERT_TRUE(run(sub_089389));
                    ASSERT_EQ(orb_board.eeprom_state.eeprom_dirty, 0) << "the start wrote nothing";
                    for (uint32_t i = 0; i < 64; ++i) orb_write8(var::backup_primary + i, edited[i]);
                    cut_power_after(k);
                    ASSERT_TRUE(run(sub_08946D));
                } else {
                    cut_power_after(k);
                    ASSERT_TRUE(run(sub_089389));
                }
                ASSERT_EQ(written_, k) << "every save writes all 64 words";
                if (k == 64 && !c.service_exit) {
                    // Whichever half went first, the save leaves the registers
                    // as one in word order does.
                    EXPECT_EQ(r(4), 0x7Fu);
                    EXPECT_EQ(r(5), var::sound_ring_a);
                    EXPECT_EQ(r(6), 0x80u);
                }
                std::vector<uint32_t> order;
                for (int n = 0; n < k; ++n) order.push_back((n + (c.spare_first ? 32u : 0u)) % 64);
                EXPECT_EQ(order_, order) << "the words in the order written";
                std::array<uint16_t, 64> kept;
                std::copy(std::begin(orb_board.eeprom), std::end(orb_board.eeprom), kept.begin());
                TearDown();

                SetUp();
                std::copy(kept.begin(), kept.end(), std::begin(orb_board.eeprom));
                ASSERT_TRUE(run(sub_089389));
                record loaded;
                for (uint32_t i = 0; i < 64; ++i) loaded[i] = ram8(var::backup_primary + i);
                bool accepted = false;
                for (const record& a : c.accepted) accepted = accepted || settings(loaded) == settings(a);
                EXPECT_TRUE(accepted) << "difficulty " << int{loaded[br::difficulty]} << ", start energy "
                                      << get16(loaded, br::start_energy);
                const std::vector<uint8_t> ee = eeprom_bytes();
                ASSERT_EQ(ee.size(), 128u);
                record primary, spare;
                std::copy(ee.begin(), ee.begin() + 64, primary.begin());
                std::copy(ee.begin() + 64, ee.end(), spare.begin());
                EXPECT_TRUE(crc_valid(primary) && crc_valid(spare)) << "both copies hold after the start";
                TearDown();
            }
        }
    }
}

}  // namespace
