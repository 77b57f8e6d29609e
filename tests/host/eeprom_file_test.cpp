// The EEPROM file: exact length, low byte first, never left half-written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "host/eeprom_file.h"

namespace fs = std::filesystem;

namespace {

class EepromFile : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ironbell_eeprom_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const fs::path& p, size_t size, uint8_t fill) {
        std::ofstream(p, std::ios::binary) << std::string(size, char(fill));
    }
};

TEST_F(EepromFile, RoundTripLowByteFirst) {
    uint16_t words[64];
    for (int i = 0; i < 64; ++i) words[i] = uint16_t(0x1200 + i);
    const auto path = (dir / "irnbell.eeprom").string();
    ASSERT_TRUE(host_eeprom_save(path.c_str(), words));
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 128u);
    EXPECT_EQ(uint8_t(bytes[0]), 0x00);
    EXPECT_EQ(uint8_t(bytes[1]), 0x12);
    EXPECT_EQ(uint8_t(bytes[127]), 0x12);
    uint16_t back[64] = {};
    ASSERT_TRUE(host_eeprom_load(path.c_str(), back));
    EXPECT_EQ(back[63], 0x123F);
    EXPECT_FALSE(fs::exists(path + ".new"));
}

TEST_F(EepromFile, OnlyExactly128BytesAreRead) {
    for (size_t size : {0u, 127u, 129u, 1000u}) {
        const auto path = dir / "e";
        write(path, size, 0x55);
        uint16_t words[64];
        for (auto& w : words) w = 0xFFFF;
        EXPECT_FALSE(host_eeprom_load(path.c_str(), words)) << size;
        EXPECT_EQ(words[0], 0xFFFF) << size;
    }
    uint16_t words[64];
    EXPECT_FALSE(host_eeprom_load((dir / "missing").c_str(), words));
}

TEST_F(EepromFile, AWrongLengthFileIsReplacedWhole) {
    const auto path = dir / "e";
    write(path, 129, 0x55);
    uint16_t words[64] = {};
    ASSERT_TRUE(host_eeprom_save(path.c_str(), words));
    EXPECT_EQ(fs::file_size(path), 128u);
}

TEST_F(EepromFile, AFailedSaveLeavesTheOldFile) {
    const auto path = dir / "e";
    write(path, 128, 0x55);
    // The temporary file's name is taken by a folder: the save cannot happen.
    fs::create_directories(dir / "e.new");
    uint16_t words[64] = {};
    EXPECT_FALSE(host_eeprom_save(path.c_str(), words));
    uint16_t back[64];
    ASSERT_TRUE(host_eeprom_load(path.c_str(), back));
    EXPECT_EQ(back[0], 0x5555);
    EXPECT_FALSE(host_eeprom_save((dir / "no" / "such" / "folder").c_str(), words));
}

}  // namespace
