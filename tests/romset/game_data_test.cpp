#include "romset/game_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "romset/rom_set.h"
#include "tests/support/romset_fixture.h"

namespace {

using romset_fixture::bytes;

struct pack_record {
    uint8_t kind;
    uint8_t region;
    uint16_t skip;
    uint32_t offset;
    uint32_t length;
    bytes payload;  // written after `skip` filler bytes
};

struct pack_header {
    uint32_t magic = 0x50415353;
    uint16_t version = 1;
    uint16_t unchecked = 0;
    std::optional<uint32_t> count{};  // the number of records when unset
};

void put(bytes& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

bytes make_pack(const std::vector<pack_record>& records, const pack_header& header = {}) {
    bytes out;
    put(out, header.magic, 4);
    put(out, header.version, 2);
    put(out, header.unchecked, 2);
    put(out, header.count.value_or(uint32_t(records.size())), 4);
    for (const auto& r : records) {
        put(out, r.kind, 1);
        put(out, r.region, 1);
        put(out, r.skip, 2);
        put(out, r.offset, 4);
        put(out, r.length, 4);
        out.insert(out.end(), r.skip, 0xEE);
        out.insert(out.end(), r.payload.begin(), r.payload.end());
    }
    return out;
}

uint8_t* const regions[4] = {game_program, game_tiles, game_sprites, game_sound};
const size_t sizes[4] = {game_program_size, game_tiles_size, game_sprites_size, game_sound_size};

void fill_regions(uint8_t value) {
    for (int i = 0; i < 4; ++i) std::memset(regions[i], value, sizes[i]);
}

bool all_regions_are(uint8_t value) {
    for (int i = 0; i < 4; ++i)
        if (!std::all_of(regions[i], regions[i] + sizes[i], [value](uint8_t b) { return b == value; }))
            return false;
    return true;
}

bool holds(const uint8_t* at, const bytes& data) { return std::equal(data.begin(), data.end(), at); }

class GameDataLoad : public ::testing::Test {
protected:
    int load(const bytes& pack) {
        const auto path = dir / "game.pak";
        romset_fixture::write_file(path, pack);
        return game_data_load(path.c_str());
    }
    romset_fixture::temp_dir dir;
};

TEST_F(GameDataLoad, ZeroRecordsLeaveFourZeroedRegions) {
    fill_regions(0xA5);
    EXPECT_EQ(load(make_pack({})), 0);
    EXPECT_TRUE(all_regions_are(0));
}

TEST_F(GameDataLoad, RecordsFillTheRegionsAndTheCopiesRepeatThem) {
    const bytes abc = {'a', 'b', 'c'};
    fill_regions(0xA5);
    ASSERT_EQ(load(make_pack({
                  {0, 0, 0, 0x000010, 3, abc},
                  {1, 0, 0, 0x0A0000, 0x20000, {0x42}},
                  {1, 0, 2, 0x13FFFE, 2, {0x33}},
                  {0, 1, 0, 0x3FFFFD, 3, abc},
                  {0, 2, 5, 0x000100, 3, abc},
                  {0, 3, 0, 0x03FFFF, 1, {0x77}},
                  {0, 3, 0, 0x100000, 3, abc},
              })),
              0);
    for (uint32_t at : {0x000010u, 0x020010u, 0x040010u, 0x060010u})
        EXPECT_TRUE(holds(game_program + at, abc)) << std::hex << at;
    // 0x0A0000 is a copy destination: the copy of 0x080000 overwrites the record.
    EXPECT_EQ(game_program[0x0A0000], 0);
    EXPECT_EQ(game_program[0x0BFFFF], 0);
    EXPECT_TRUE(holds(game_program + 0x13FFFE, {0x33, 0x33, 0}));
    EXPECT_TRUE(holds(game_program + 0x1BFFFE, {0x33, 0x33, 0}));
    EXPECT_TRUE(holds(game_tiles + 0x3FFFFD, abc));
    EXPECT_TRUE(holds(game_sprites + 0x0FF, {0, 'a', 'b', 'c', 0}));  // the skip bytes stay out
    for (uint32_t at : {0x03FFFFu, 0x07FFFFu, 0x0BFFFFu, 0x0FFFFFu}) EXPECT_EQ(game_sound[at], 0x77);
    EXPECT_TRUE(holds(game_sound + 0x100000, abc));
    EXPECT_EQ(game_sound[0x180000], 0);  // the upper sound repetitions are not copied
}

TEST_F(GameDataLoad, RecordRangeLimits) {
    struct range {
        uint8_t region;
        uint32_t offset;
        uint32_t length;
        int result;
    };
    const range ranges[] = {
        {0, 0x1FFFFC, 4, 0},   {0, 0x1FFFFC, 5, 2}, {1, 0x3FFFFF, 1, 0}, {1, 0x3FFFFF, 2, 2},
        {2, 0, 0x800000, 0},   {2, 0, 0x800001, 2}, {3, 0x400000, 0, 0}, {3, 0x400001, 0, 2},
        {3, 0xFFFFFFFF, 2, 2}, {4, 0, 1, 2},
    };
    for (const auto& r : ranges) {
        EXPECT_EQ(load(make_pack({{1, r.region, 0, r.offset, r.length, {0x5A}}})), r.result)
            << "region " << int(r.region) << std::hex << " offset " << r.offset << " length " << r.length;
    }
    EXPECT_EQ(load(make_pack({{1, 2, 0, 0, 0x800000, {0x5A}}})), 0);
    EXPECT_EQ(game_sprites[0x7FFFFF], 0x5A);
}

TEST_F(GameDataLoad, FillOfLengthZeroStillReadsItsByte) {
    EXPECT_EQ(load(make_pack({{1, 0, 0, 0x1000, 0, {}}})), 2);
    EXPECT_EQ(load(make_pack({{1, 0, 0, 0x1000, 0, {0x11}}})), 0);
    EXPECT_EQ(game_program[0x1000], 0);
}

TEST_F(GameDataLoad, BadFiles) {
    struct bad {
        const char* what;
        bytes pack;
        int result;
    };
    bytes short_header = make_pack({});
    short_header.resize(11);
    bytes short_record = make_pack({{0, 0, 0, 0, 1, {9}}});
    short_record.resize(20);
    const bad cases[] = {
        {"wrong magic", make_pack({}, {.magic = 0x53534150}), 2},
        {"version 2", make_pack({}, {.version = 2}), 2},
        {"version 0", make_pack({}, {.version = 0}), 2},
        {"unchecked field set", make_pack({}, {.unchecked = 0xBEEF}), 0},
        {"short header", short_header, 2},
        {"short record", short_record, 2},
        {"fewer records than counted", make_pack({{0, 0, 0, 0, 1, {9}}}, {.count = 2}), 2},
        {"unknown kind", make_pack({{2, 0, 0, 0, 1, {9}}}), 2},
        {"data shorter than its length", make_pack({{0, 0, 0, 0, 4, {1, 2, 3}}}), 2},
        {"skip past the end", make_pack({{1, 0, 0, 0, 1, {}}}), 2},
    };
    for (const auto& c : cases) EXPECT_EQ(load(c.pack), c.result) << c.what;
}

TEST_F(GameDataLoad, FailureLeavesRegionsClearedWithoutTheCopies) {
    fill_regions(0xA5);
    EXPECT_EQ(load(make_pack({{1, 0, 0, 0, 4, {0x66}}, {9, 0, 0, 0, 0, {}}})), 2);
    EXPECT_TRUE(holds(game_program, {0x66, 0x66, 0x66, 0x66, 0}));
    EXPECT_EQ(game_program[0x020000], 0);
    EXPECT_EQ(game_tiles[0], 0);
}

TEST_F(GameDataLoad, MissingFileOrFolderLeavesRegionsUntouched) {
    fill_regions(0xA5);
    EXPECT_EQ(game_data_load((dir / "absent.pak").c_str()), 1);
    EXPECT_EQ(game_data_load(dir.path().c_str()), 1);
    EXPECT_TRUE(all_regions_are(0xA5));
}

TEST(GameDataMirror, CopiesWithinTheRegionsAsTheyAre) {
    fill_regions(0);
    game_program[0x000000] = 1;
    game_program[0x080001] = 2;
    game_program[0x17FFFF] = 3;
    game_sound[0x03FFFF] = 4;
    game_data_mirror();
    EXPECT_EQ(game_program[0x060000], 1);
    EXPECT_EQ(game_program[0x0E0001], 2);
    EXPECT_EQ(game_program[0x1FFFFF], 3);
    EXPECT_EQ(game_sound[0x0FFFFF], 4);
    EXPECT_EQ(game_program[0x080000], 0);
}

}  // namespace
