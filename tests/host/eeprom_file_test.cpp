// The EEPROM file: exact length, low byte first, never left half-written,
// and anything but a 128-byte regular file ignored with the reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <vector>

#include "host/eeprom_file.h"
#include "temp_folder.h"
#include "tests/support/bad_files.h"

namespace fs = std::filesystem;

namespace {

class EepromFile : public TempFolder {
protected:
    std::string path;
    void SetUp() override {
        TempFolder::SetUp();
        path = file("irnbell.eeprom");
    }
    static void fill(uint16_t (&words)[64], uint16_t value) {
        for (auto& w : words) w = value;
    }
};

TEST_F(EepromFile, RoundTripLowByteFirst) {
    uint16_t words[64];
    for (int i = 0; i < 64; ++i) words[i] = uint16_t(0x1200 + i);
    std::string reason;
    ASSERT_TRUE(host_eeprom_save(path.c_str(), words, reason)) << reason;
    const std::string bytes = read(path);
    ASSERT_EQ(bytes.size(), 128u);
    EXPECT_EQ(uint8_t(bytes[0]), 0x00);
    EXPECT_EQ(uint8_t(bytes[1]), 0x12);
    EXPECT_EQ(uint8_t(bytes[127]), 0x12);
    uint16_t back[64] = {};
    std::string ignored;
    ASSERT_TRUE(host_eeprom_load(path.c_str(), back, ignored));
    EXPECT_EQ(back[63], 0x123F);
    EXPECT_TRUE(ignored.empty());
    EXPECT_FALSE(fs::exists(path + ".new"));
}

// Whatever sits at the path, it is read only when it is a regular file of
// exactly 128 bytes; otherwise it is named with the reason (a missing file
// is the first start and needs no word), and the next save replaces it
// whole, except a folder, which the save reports instead.
TEST_F(EepromFile, OnlyA128ByteFileIsReadAndAnythingElseIsReplacedAtTheSave) {
    struct bad_case {
        const char* what;
        std::function<void()> make;
        const char* ignored;
        bool replaced;
    };
    const bad_case cases[] = {
        {"missing", [] {}, "", true},
        {"empty", [&] { write(path, ""); }, "it is 0 bytes, 128 expected", true},
        {"127 bytes", [&] { write(path, std::string(127, 'U')); }, "it is 127 bytes, 128 expected", true},
        {"129 bytes", [&] { write(path, std::string(129, 'U')); }, "it is larger than 128 bytes", true},
        {"2 GB", [&] { ASSERT_TRUE(bad_files::make_sparse(path, 2ull << 30)); },
         "it is larger than 128 bytes", true},
        {"FIFO", [&] { ASSERT_TRUE(bad_files::make_fifo(path)); },
         "it is not a regular file (a FIFO, a socket or a device)", true},
        {"folder", [&] { fs::create_directory(path); }, "it is a folder, not a file", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        c.make();
        uint16_t words[64];
        fill(words, 0xFFFF);
        std::string ignored = "stale";
        EXPECT_FALSE(host_eeprom_load(path.c_str(), words, ignored));
        EXPECT_EQ(ignored, c.ignored);
        EXPECT_EQ(words[0], 0xFFFF);
        EXPECT_EQ(words[63], 0xFFFF);

        fill(words, 0x1234);
        std::string reason;
        EXPECT_EQ(host_eeprom_save(path.c_str(), words, reason), c.replaced) << reason;
        if (c.replaced) {
            EXPECT_TRUE(fs::is_regular_file(path));
            EXPECT_EQ(fs::file_size(path), 128u);
        } else {
            EXPECT_EQ(reason, "it is a folder, not a file");
            EXPECT_TRUE(fs::is_directory(path));
        }
        EXPECT_FALSE(fs::exists(path + ".new"));
    }
}

TEST_F(EepromFile, AFileThatCannotBeReadIsNamed) {
    const int result = bad_files::as_ordinary_user(folder, [&] {
        write(path, std::string(128, 'U'));
        fs::permissions(path, fs::perms::owner_write);
        uint16_t words[64] = {};
        std::string ignored;
        if (host_eeprom_load(path.c_str(), words, ignored)) return 1;
        return ignored == "Permission denied" ? 0 : 2;
    });
    EXPECT_EQ(result, 0) << "1: read, 2: another reason";
}

TEST_F(EepromFile, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    write(path, std::string(128, 'U'));
    // The temporary file's name is taken by a folder: the save cannot happen.
    fs::create_directories(path + ".new");
    uint16_t words[64] = {};
    std::string reason;
    EXPECT_FALSE(host_eeprom_save(path.c_str(), words, reason));
    EXPECT_EQ(reason, path + ".new: Is a directory");
    uint16_t back[64];
    std::string ignored;
    ASSERT_TRUE(host_eeprom_load(path.c_str(), back, ignored));
    EXPECT_EQ(back[0], 0x5555);
    const std::string nowhere = file("no/such/folder");
    EXPECT_FALSE(host_eeprom_save(nowhere.c_str(), words, reason));
    EXPECT_EQ(reason, nowhere + ".new: No such file or directory");
}

// A symbolic link keeps pointing at the file it names, which gets the bytes.
TEST_F(EepromFile, ASaveThroughALinkReplacesTheLinkedFile) {
    const std::string real = file("real.eeprom");
    write(real, std::string(128, 'U'));
    fs::create_symlink(real, path);
    uint16_t words[64];
    fill(words, 0x4142);
    std::string reason;
    ASSERT_TRUE(host_eeprom_save(path.c_str(), words, reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(path));
    std::string expected;
    for (int i = 0; i < 64; ++i) expected += "BA";  // 0x4142, low byte first
    EXPECT_EQ(read(real), expected);
}

// A process killed at any instant of a save leaves the old or the new 128
// bytes, never a torn or empty file.
TEST_F(EepromFile, AKilledSaveLeavesTheOldOrTheNewContents) {
    const std::string old_bytes(128, 'U'), new_bytes(128, '\x33');
    std::mt19937 random(17);
    for (int round = 0; round < 60; ++round) {
        write(path, old_bytes);
        const pid_t child = fork();
        if (child == 0) {
            uint16_t words[64];
            fill(words, 0x3333);
            std::string reason;
            for (;;) host_eeprom_save(path.c_str(), words, reason);
        }
        ASSERT_GT(child, 0);
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = read(path);
        ASSERT_TRUE(now == old_bytes || now == new_bytes)
            << "round " << round << ": " << now.size() << " bytes";
    }
}

}  // namespace
