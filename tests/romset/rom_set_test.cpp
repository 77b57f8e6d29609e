#include "romset/rom_set.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "tests/support/bad_files.h"
#include "tests/support/romset_fixture.h"

namespace {

namespace fs = std::filesystem;
using romset_fixture::bytes;
using romset_fixture::make_zip;
using romset_fixture::member_set;
using romset_fixture::zip_member;

std::string part_name(size_t index) { return game_rom_members[index].name; }

// What each region byte must hold after a load, by address.
uint8_t expected_program(const member_set& p, uint32_t a) {
    if (a < 0x080000) return p[0][a & 0x1FFFF];
    if (a < 0x100000) return p[1][a & 0x1FFFF];
    const uint32_t b = a & 0x7FFFF;  // 0x180000 mirrors 0x100000
    if (b >= 0x40000) return 0;
    return p[2 + (b & 1)][b >> 1];
}
uint8_t expected_tiles(const member_set& p, uint32_t a) { return p[8 + (a & 3)][a >> 2]; }
uint8_t expected_sprites(const member_set& p, uint32_t a) { return p[12 + (a & 7)][a >> 3]; }
uint8_t expected_sound(const member_set& p, uint32_t a) {
    const uint32_t bank = a >> 20;
    return bank == 0 ? p[4][a & 0x3FFFF] : p[4 + bank][a & 0x7FFFF];
}

// Compares a region with its expectation and names the first differing address.
template <typename Expect>
void expect_region(const char* name, const uint8_t* region, size_t size, Expect expect) {
    for (uint32_t a = 0; a < size; ++a) {
        if (region[a] != expect(a)) {
            ADD_FAILURE() << name << " differs first at " << std::hex << a << ": 0x" << int(region[a])
                          << " where 0x" << int(expect(a)) << " belongs";
            return;
        }
    }
}

void expect_assembled(const member_set& p) {
    expect_region("program", game_program, game_program_size,
                  [&](uint32_t a) { return expected_program(p, a); });
    expect_region("tiles", game_tiles, game_tiles_size, [&](uint32_t a) { return expected_tiles(p, a); });
    expect_region("sprites", game_sprites, game_sprites_size,
                  [&](uint32_t a) { return expected_sprites(p, a); });
    expect_region("sound", game_sound, game_sound_size, [&](uint32_t a) { return expected_sound(p, a); });
}

void fill_regions(uint8_t value) {
    std::memset(game_program, value, game_program_size);
    std::memset(game_tiles, value, game_tiles_size);
    std::memset(game_sprites, value, game_sprites_size);
    std::memset(game_sound, value, game_sound_size);
}

bool regions_hold_only(uint8_t value) {
    auto only = [value](const uint8_t* r, size_t n) {
        return std::all_of(r, r + n, [value](uint8_t b) { return b == value; });
    };
    return only(game_program, game_program_size) && only(game_tiles, game_tiles_size) &&
           only(game_sprites, game_sprites_size) && only(game_sound, game_sound_size);
}

// The standard members, named by `name`, deflating every other one (stored
// members keep the fixtures quick).
std::vector<zip_member> standard_members(std::string (*name)(size_t)) {
    std::vector<zip_member> members;
    for (size_t i = 0; i < rom_member_count; ++i) {
        zip_member m;
        m.name = name(i);
        m.data = romset_fixture::standard_set()[i];
        m.method = i % 2 == 0 ? 8 : 0;
        m.level = 1;
        members.push_back(std::move(m));
    }
    return members;
}

class RomSetLoad : public ::testing::Test {
protected:
    std::string write_zip(const std::vector<zip_member>& members, const std::string& comment = {}) {
        return write_bytes(make_zip(members, comment).archive);
    }
    std::string write_bytes(const bytes& data) {
        const fs::path path = dir / "set.zip";
        romset_fixture::write_file(path, data);
        return path.string();
    }
    // A folder of the standard members under their product names.
    std::string write_folder() {
        const fs::path folder = dir / "set";
        romset_fixture::write_folder(folder, romset_fixture::standard_set());
        return folder.string();
    }
    void expect_problem(const std::string& path, const rom_member_table& files, const std::string& text) {
        fill_regions(0xA5);
        const char* problem = game_rom_set_load(path.c_str(), files);
        ASSERT_NE(problem, nullptr);
        EXPECT_EQ(std::string(problem), text);
        EXPECT_TRUE(regions_hold_only(0xA5)) << "a failed load wrote the regions";
    }

    romset_fixture::temp_dir dir;
    const rom_member_table with_crcs = romset_fixture::table_with_crcs(romset_fixture::standard_set());
};

// By CRC-32 the names do not matter; sub-folders, both methods, extra
// members, a damaged first copy and the longest comment are all taken.
TEST_F(RomSetLoad, ArchiveByCrcLoadsAndAssembles) {
    auto members = standard_members(
        [](size_t i) { return "deep/folder " + std::to_string(i % 3) + "/m" + std::to_string(99 - i); });
    zip_member damaged = members[4];
    damaged.payload = damaged.data;
    damaged.payload->at(1000) ^= 0x40;
    damaged.method = 0;
    members.insert(members.begin(), damaged);
    zip_member readme{.name = "readme.txt", .data = {'h', 'i'}};
    readme.comment = "an unrelated member";
    readme.extra = {0x55, 0x54, 0x05, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
    members.insert(members.begin() + 7, readme);
    members.push_back({.name = "other.rom", .data = romset_fixture::member_bytes(77, 0x20000), .method = 0});
    const std::string path = write_zip(members, std::string(65535, 'c'));

    fill_regions(0xA5);
    ASSERT_EQ(game_rom_set_load(path.c_str(), with_crcs), nullptr);
    expect_assembled(romset_fixture::standard_set());
}

TEST_F(RomSetLoad, ProductTableFindsArchiveMembersByName) {
    auto members = standard_members([](size_t i) { return "set/" + part_name(i); });
    std::reverse(members.begin(), members.end());
    const std::string path = write_zip(members);
    ASSERT_EQ(game_rom_set_load(path.c_str(), game_rom_members), nullptr);
    expect_assembled(romset_fixture::standard_set());

    auto renamed = standard_members([](size_t i) { return part_name(i) + ".bak"; });
    expect_problem(write_zip(renamed), game_rom_members, "no part01.rom (or not this version of it)");
}

TEST_F(RomSetLoad, DamagedMemberIsReportedByName) {
    auto members = standard_members(part_name);
    members[4].payload = members[4].data;
    members[4].payload->back() ^= 1;
    members[4].method = 0;
    const std::string path = write_zip(members);
    expect_problem(path, with_crcs, "no part05.rom (or not this version of it)");
    expect_problem(path, game_rom_members, "no part05.rom (or not this version of it)");
}

TEST_F(RomSetLoad, StoredMemberWithUnequalSizesIsMissing) {
    auto members = standard_members(part_name);
    members[2].method = 0;
    members[2].payload = members[2].data;
    members[2].payload->push_back(0);
    members[2].compressed_size = 0x20001;
    expect_problem(write_zip(members), with_crcs, "no part03.rom (or not this version of it)");
}

TEST_F(RomSetLoad, StructuralFaultsAreNotAZip) {
    const bytes tiny(21, 0);
    expect_problem(write_bytes(tiny), with_crcs, "not a .zip");
    expect_problem(write_bytes(bytes(22, 0)), with_crcs, "not a .zip");

    // A broken central header ends the load even after every member was found.
    auto members = standard_members(part_name);
    members.push_back({.name = "last", .data = {1}});
    auto zip = make_zip(members);
    zip.archive[zip.central_offsets.back()] ^= 0xFF;
    expect_problem(write_bytes(zip.archive), with_crcs, "not a .zip");
}

TEST_F(RomSetLoad, EmptyArchiveMissesTheFirstMember) {
    expect_problem(write_zip({}), with_crcs, "no part01.rom (or not this version of it)");
}

TEST_F(RomSetLoad, DirectoryPathLoadsAsAFolder) {
    const std::string folder = write_folder();
    fill_regions(0xA5);
    ASSERT_EQ(game_rom_set_load(folder.c_str(), game_rom_members), nullptr);
    expect_assembled(romset_fixture::standard_set());
    fill_regions(0xA5);
    ASSERT_EQ(game_rom_set_load(folder.c_str(), with_crcs), nullptr);
    expect_assembled(romset_fixture::standard_set());
}

TEST_F(RomSetLoad, FolderMemberFaults) {
    const std::string folder = write_folder();
    const fs::path member = fs::path(folder) / "part07.rom";
    bytes changed = romset_fixture::standard_set()[6];
    changed[5] ^= 1;

    // Other contents of the right size: a known CRC-32 rejects them, an
    // unknown one cannot.
    romset_fixture::write_file(member, changed);
    expect_problem(folder, with_crcs, "no part07.rom (or not this version of it)");
    fill_regions(0xA5);
    EXPECT_EQ(game_rom_set_load(folder.c_str(), game_rom_members), nullptr);

    bytes longer = romset_fixture::standard_set()[6];
    longer.push_back(0);
    romset_fixture::write_file(member, longer);
    expect_problem(folder, game_rom_members, "no part07.rom (or not this version of it)");
    expect_problem(folder, with_crcs, "no part07.rom (or not this version of it)");

    fs::remove(member);
    fs::create_directory(member);
    expect_problem(folder, game_rom_members, "no part07.rom (or not this version of it)");
}

TEST_F(RomSetLoad, EmptyFileIsTakenAsAFolder) {
    expect_problem(write_bytes({}), game_rom_members, "no part01.rom (or not this version of it)");
}

// "<path>/<name>" must fit 1,023 characters. Here the path's first 1,023
// characters name part01.rom itself, so a cut-off path would find it (and
// take it for parts 2 to 4 as well).
TEST_F(RomSetLoad, OverlongFolderPathFindsNothing) {
    const std::string folder = write_folder();
    std::string path = folder;
    const size_t pad = 1023 - std::string("/part01.rom").size() - path.size();
    for (size_t i = 0; i < pad / 2; ++i) path += "/.";
    if (pad % 2) path += "/";
    path += "/part01.rom";
    ASSERT_EQ(path.size(), 1023u);
    ASSERT_TRUE(fs::is_regular_file(path));
    path += "x";
    expect_problem(path, game_rom_members, "no part01.rom (or not this version of it)");
}

TEST_F(RomSetLoad, TableEntryOfAnotherSizeIsNeverFilled) {
    rom_member_table odd = game_rom_members;
    odd[3].size = 0x20001;
    bytes longer = romset_fixture::standard_set()[3];
    longer.push_back(0);
    const std::string folder = write_folder();
    romset_fixture::write_file(fs::path(folder) / "part04.rom", longer);
    expect_problem(folder, odd, "no part04.rom (or not this version of it)");
}

// Every refusal comes with the reason the user needs: which file or member,
// and what is wrong with it.
struct reason_case {
    const char* what;
    std::function<std::string()> make;  // writes the set, returns its path
    const char* problem;
    std::string reason;
};

TEST_F(RomSetLoad, EveryRefusalSaysWhy) {
    const std::string no_07 = "no part07.rom (or not this version of it)";
    const std::string no_01 = "no part01.rom (or not this version of it)";
    auto zip_with = [&](std::function<void(std::vector<zip_member>&)> change) {
        auto members = standard_members(part_name);
        change(members);
        return write_zip(members);
    };
    auto folder_with = [&](std::function<void(const fs::path&)> change) {
        const std::string folder = write_folder();
        change(fs::path(folder) / "part07.rom");
        return folder;
    };
    auto member_replaced_by = [&](bool (*make)(const fs::path&)) {
        return folder_with([make](const fs::path& p) {
            fs::remove(p);
            make(p);
        });
    };
    bytes shorter = romset_fixture::standard_set()[6];
    shorter.pop_back();
    const reason_case cases[] = {
        {"no file", [&] { return (dir / "absent.zip").string(); }, no_01.c_str(),
         "there is no such file or folder"},
        {"a FIFO",
         [&] {
             bad_files::make_fifo(dir / "fifo.zip");
             return (dir / "fifo.zip").string();
         },
         no_01.c_str(), "it is neither a file nor a folder"},
        {"an empty file", [&] { return write_bytes({}); }, no_01.c_str(), "it is an empty file, not a .zip"},
        {"too short", [&] { return write_bytes(bytes(21, 0)); }, "not a .zip",
         "not a .zip: it is 21 bytes, too short for one"},
        {"no end record", [&] { return write_bytes(bytes(5000, 'x')); }, "not a .zip",
         "not a .zip: it has no zip end record near its end"},
        {"directory outside",
         [&] {
             auto zip = make_zip(standard_members(part_name));
             zip.archive[zip.end_offset + 19] = 0x7F;
             return write_bytes(zip.archive);
         },
         "not a .zip", "not a .zip: its directory lies outside the file"},
        {"damaged directory entry",
         [&] {
             auto zip = make_zip(standard_members(part_name));
             zip.archive[zip.central_offsets[3]] ^= 0xFF;
             return write_bytes(zip.archive);
         },
         "not a .zip", "not a .zip: directory entry 4 is damaged"},
        {"member one byte short", [&] { return zip_with([&](auto& m) { m[6].data = shorter; }); },
         no_07.c_str(), "part07.rom is 524,287 bytes, 524,288 expected"},
        {"member absent", [&] { return zip_with([](auto& m) { m.erase(m.begin() + 6); }); }, no_07.c_str(),
         "there is no part07.rom in it"},
        {"member damaged",
         [&] {
             return zip_with([](auto& m) {
                 m[6].method = 0;
                 m[6].payload = m[6].data;
                 m[6].payload->at(7) ^= 1;
             });
         },
         no_07.c_str(),
         "part07.rom's data do not match the archive's CRC-32 for it (the archive is damaged)"},
        {"compressed data damaged",
         [&] {
             return zip_with([](auto& m) {
                 m[6].method = 8;
                 m[6].payload = romset_fixture::deflate_raw(m[6].data, 1);
                 m[6].payload->resize(m[6].payload->size() / 2);
             });
         },
         no_07.c_str(), "part07.rom's compressed data are damaged"},
        {"unknown method", [&] { return zip_with([](auto& m) { m[6].method = 12; }); }, no_07.c_str(),
         "part07.rom is compressed with method 12; only stored and deflated members can be read"},
        {"folder member missing", [&] { return folder_with([](const fs::path& p) { fs::remove(p); }); },
         no_07.c_str(), "there is no part07.rom in it"},
        {"folder member one byte short",
         [&] { return folder_with([&](const fs::path& p) { romset_fixture::write_file(p, shorter); }); },
         no_07.c_str(), "part07.rom is 524,287 bytes, 524,288 expected"},
        {"folder member 1 GB",
         [&] { return folder_with([](const fs::path& p) { bad_files::make_sparse(p, 1u << 30); }); },
         no_07.c_str(), "part07.rom is 1,073,741,824 bytes, 524,288 expected"},
        {"folder member a folder", [&] { return member_replaced_by(bad_files::make_folder); }, no_07.c_str(),
         "part07.rom is not a regular file"},
        {"folder member a FIFO", [&] { return member_replaced_by(bad_files::make_fifo); }, no_07.c_str(),
         "part07.rom is not a regular file"},
        // Members are known by name: two of one name leave no way to tell
        // which is meant, whatever their sizes and wherever they sit.
        {"member twice", [&] { return zip_with([](auto& m) { m.push_back(m[6]); }); }, no_07.c_str(),
         "it holds part07.rom twice (directory entries 7 and 21)"},
        {"member twice, the second one byte short",
         [&] {
             return zip_with([&](auto& m) {
                 m.push_back(m[6]);
                 m.back().data = shorter;
             });
         },
         no_07.c_str(), "it holds part07.rom twice (directory entries 7 and 21)"},
        {"member twice, the first one byte short",
         [&] {
             return zip_with([&](auto& m) {
                 m.insert(m.begin(), m[6]);
                 m[0].data = shorter;
             });
         },
         no_07.c_str(), "it holds part07.rom twice (directory entries 1 and 8)"},
        {"member twice in two sub-folders",
         [&] {
             return zip_with([](auto& m) {
                 m.push_back(m[6]);
                 m[6].name = "a/part07.rom";
                 m.back().name = "b/part07.rom";
             });
         },
         no_07.c_str(), "it holds part07.rom twice (directory entries 7 and 21)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "set");
        fs::remove_all(dir / "set.zip");
        const std::string path = c.make();
        fill_regions(0xA5);
        std::string reason;
        const char* problem = game_rom_set_load(path.c_str(), game_rom_members, &reason);
        ASSERT_NE(problem, nullptr);
        EXPECT_EQ(std::string(problem), c.problem);
        EXPECT_EQ(reason, c.reason);
        EXPECT_TRUE(regions_hold_only(0xA5));
    }
}

TEST_F(RomSetLoad, AKnownCrcNamesTheOtherVersion) {
    auto members = standard_members(part_name);
    members[6].data[5] ^= 1;
    std::string reason;
    ASSERT_NE(game_rom_set_load(write_zip(members).c_str(), with_crcs, &reason), nullptr);
    const std::string want = "part07.rom has the CRC-32 " + [&] {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", romset_fixture::reference_crc32(members[6].data));
        return std::string(text);
    }();
    EXPECT_EQ(reason.rfind(want + ", ", 0), 0u) << reason;
    EXPECT_NE(reason.find(" expected (another version of it)"), std::string::npos) << reason;

    members.erase(members.begin() + 6);
    ASSERT_NE(game_rom_set_load(write_zip(members).c_str(), with_crcs, &reason), nullptr);
    EXPECT_EQ(reason, "no member has the size and CRC-32 of part07.rom");

    const std::string folder = write_folder();
    romset_fixture::write_file(fs::path(folder) / "part07.rom", members[6].data);  // part08's bytes
    ASSERT_NE(game_rom_set_load(folder.c_str(), with_crcs, &reason), nullptr);
    EXPECT_NE(reason.find(" expected (another version of it)"), std::string::npos) << reason;
}

TEST_F(RomSetLoad, AnUnreadableFolderMemberSaysSo) {
    const std::string folder = write_folder();
    fs::permissions(folder, fs::perms::all);
    const int result = bad_files::as_ordinary_user(dir.path(), [&] {
        const fs::path member = fs::path(folder) / "part07.rom";
        romset_fixture::write_file(member.string() + ".mine", romset_fixture::standard_set()[6]);
        fs::remove(member);
        fs::rename(member.string() + ".mine", member);
        fs::permissions(member, fs::perms::owner_write);
        std::string reason;
        if (!game_rom_set_load(folder.c_str(), game_rom_members, &reason)) return 1;
        return reason == "part07.rom cannot be read (Permission denied)" ? 0 : 2;
    });
    EXPECT_EQ(result, 0) << "1: loaded, 2: another reason";
}

// A huge file is mapped, not read: refusing it costs neither the time nor
// the memory of reading it.
TEST_F(RomSetLoad, AHugeFileIsRefusedWithoutReadingIt) {
    const fs::path huge = dir / "huge.zip";
    ASSERT_TRUE(bad_files::make_sparse(huge, 1ull << 30));
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    std::string reason;
    EXPECT_STREQ(game_rom_set_load(huge.c_str(), game_rom_members, &reason), "not a .zip");
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(reason, "not a .zip: it has no zip end record near its end");
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes more resident";
}

// The zip walk over small archives, with the tiny member table: odd entries
// by CRC-32, even ones by name.
class ZipWalk : public ::testing::Test {
protected:
    static std::vector<zip_member> tiny_members() {
        std::vector<zip_member> members;
        for (size_t i = 0; i < rom_member_count; ++i)
            members.push_back({.name = "t/" + part_name(i),
                               .data = romset_fixture::tiny_set()[i],
                               .method = uint16_t(i % 3 == 0 ? 0 : 8)});
        return members;
    }
    // Walks `archive`; returns the problem text ("" for none) and which slots filled.
    std::string walk(const bytes& archive) {
        for (auto& s : slots) s.reset();
        const char* problem =
            rom_zip_walk(archive.data(), archive.size(), romset_fixture::tiny_table(), slots);
        for (size_t i = 0; i < rom_member_count; ++i) {
            if (slots[i]) {
                const auto& want = romset_fixture::tiny_set()[i];
                EXPECT_TRUE(std::equal(want.begin(), want.end(), slots[i].get())) << "slot " << i;
            }
        }
        return problem ? problem : "";
    }
    std::string missing() const {
        std::string out;
        for (size_t i = 0; i < rom_member_count; ++i)
            if (!slots[i]) out += part_name(i) + " ";
        return out;
    }
    std::array<rom_slot, rom_member_count> slots;
};

TEST_F(ZipWalk, FindsEveryMember) {
    EXPECT_EQ(walk(make_zip(tiny_members()).archive), "");
    EXPECT_EQ(missing(), "");
}

// Each fault of one member's data leaves only that member missing.
TEST_F(ZipWalk, MemberFaultsLeaveTheMemberMissing) {
    struct fault {
        const char* what;
        size_t index;
        void (*damage)(zip_member&);
        void (*patch)(romset_fixture::zip_layout&, size_t index);
    };
    auto none = [](romset_fixture::zip_layout&, size_t) {};
    auto keep = [](zip_member&) {};
    const fault faults[] = {
        {"CRC-32 in the directory wrong", 4, [](zip_member& m) { m.crc = 0x12345678; }, none},
        {"data damaged, by CRC", 4,
         [](zip_member& m) {
             m.payload = m.data;
             m.payload->at(0) ^= 1;
             m.method = 0;
         },
         none},
        {"data damaged, by name", 5,
         [](zip_member& m) {
             m.payload = m.data;
             m.payload->at(0) ^= 1;
             m.method = 0;
         },
         none},
        {"stored with unequal sizes", 5,
         [](zip_member& m) {
             m.method = 0;
             m.payload = m.data;
             m.payload->push_back(9);
         },
         none},
        {"unknown method", 6, [](zip_member& m) { m.method = 12; }, none},
        {"method 8 over a broken stream", 7,
         [](zip_member& m) {
             m.payload = bytes{0x07, 0x00};
         },
         none},
        {"size in the directory wrong", 7, [](zip_member& m) { m.size = 99; }, none},
        {"local signature broken", 2, keep,
         [](romset_fixture::zip_layout& z, size_t i) { z.archive[z.local_offsets[i]] ^= 1; }},
        {"local offset beyond the archive", 3, keep,
         [](romset_fixture::zip_layout& z, size_t i) {
             const uint32_t beyond = uint32_t(z.archive.size() - 29);
             std::memcpy(&z.archive[z.central_offsets[i] + 42], &beyond, 4);
         }},
        {"local name running past the archive", 3, keep,
         [](romset_fixture::zip_layout& z, size_t i) {
             z.archive[z.local_offsets[i] + 26] = 0xFF;
             z.archive[z.local_offsets[i] + 27] = 0xFF;
         }},
        {"compressed size past the archive", 8, [](zip_member& m) { m.compressed_size = 0x7FFFFFFF; }, none},
    };
    for (const auto& f : faults) {
        auto members = tiny_members();
        f.damage(members[f.index]);
        auto zip = make_zip(members);
        f.patch(zip, f.index);
        EXPECT_EQ(walk(zip.archive), "") << f.what;
        EXPECT_EQ(missing(), part_name(f.index) + " ") << f.what;
    }
}

TEST_F(ZipWalk, FirstGoodCopyFillsTheSlot) {
    for (bool damaged_first : {false, true}) {
        auto members = tiny_members();
        zip_member bad = members[0];
        bad.payload = bad.data;
        bad.payload->at(1) ^= 1;
        bad.method = 0;
        members.insert(members.begin() + (damaged_first ? 0 : 1), bad);
        EXPECT_EQ(walk(make_zip(members).archive), "");
        EXPECT_EQ(missing(), "") << "damaged copy first: " << damaged_first;
    }
}

// A member known by its CRC-32 may come twice (the first good copy fills
// its slot); one known by name may not: the walk stops at the second copy.
TEST_F(ZipWalk, AMemberKnownByNameMayNotComeTwice) {
    auto members = tiny_members();
    members.insert(members.begin() + 3, members[1]);  // part02.rom, by name
    members.push_back(members[0]);                    // part01.rom, by CRC-32
    EXPECT_EQ(walk(make_zip(members).archive), "no part02.rom (or not this version of it)");
    EXPECT_EQ(missing(),
              "part04.rom part05.rom part06.rom part07.rom part08.rom part09.rom "
              "part10.rom part11.rom part12.rom part13.rom part14.rom part15.rom "
              "part16.rom part17.rom part18.rom part19.rom part20.rom ");

    members.erase(members.begin() + 3);
    EXPECT_EQ(walk(make_zip(members).archive), "");
    EXPECT_EQ(missing(), "");
}

TEST_F(ZipWalk, NamesCountFromTheLastSlash) {
    struct naming {
        std::string name;
        bool found;
    };
    const naming names[] = {{"part02.rom", true},   {"a/b/c/part02.rom", true}, {"part02.rom/", false},
                            {"xpart02.rom", false}, {"PART02.ROM", false},      {"a\\part02.rom", false}};
    for (const auto& n : names) {
        auto members = tiny_members();
        members[1].name = n.name;
        EXPECT_EQ(walk(make_zip(members).archive), "");
        EXPECT_EQ(missing(), n.found ? "" : "part02.rom ") << n.name;
    }
}

TEST_F(ZipWalk, EndRecordSearchWindow) {
    const auto zip = make_zip(tiny_members()).archive;
    // The lowest position examined is 65,558 bytes before the end: an end
    // record there is followed by 65,536 bytes, one more than a comment holds.
    for (size_t trailing : {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537)}) {
        bytes archive = zip;
        archive.resize(archive.size() + trailing, 0);
        EXPECT_EQ(walk(archive), trailing <= 65536 ? "" : "not a .zip") << trailing << " trailing bytes";
    }
    // The end record alone, at position 0 of a 22-byte archive.
    EXPECT_EQ(walk(make_zip({}).archive), "");
}

TEST_F(ZipWalk, StructuralFaults) {
    struct fault {
        const char* what;
        void (*patch)(romset_fixture::zip_layout&);
    };
    const fault faults[] = {
        {"directory beyond the archive",
         [](romset_fixture::zip_layout& z) {
             const uint32_t v = uint32_t(z.archive.size() + 1);
             std::memcpy(&z.archive[z.end_offset + 16], &v, 4);
         }},
        {"directory too close to the end",
         [](romset_fixture::zip_layout& z) {
             const uint32_t v = uint32_t(z.archive.size() - 45);
             std::memcpy(&z.archive[z.end_offset + 16], &v, 4);
         }},
        {"central signature broken",
         [](romset_fixture::zip_layout& z) { z.archive[z.central_offsets[3]] = 0; }},
        {"more entries counted than written",
         [](romset_fixture::zip_layout& z) { z.archive[z.end_offset + 10] = 21; }},
        {"comment length running past the archive",
         [](romset_fixture::zip_layout& z) { z.archive[z.central_offsets[2] + 33] = 0xFF; }},
    };
    for (const auto& f : faults) {
        auto zip = make_zip(tiny_members());
        f.patch(zip);
        EXPECT_EQ(walk(zip.archive), "not a .zip") << f.what;
    }
}

TEST_F(ZipWalk, LastNameRunningPastTheArchiveIsNotMatched) {
    auto members = tiny_members();
    auto zip = make_zip(members);
    const size_t last = zip.central_offsets.back();
    zip.archive[last + 28] = 0xFF;  // name length 0xFFxx: past the end record
    EXPECT_EQ(walk(zip.archive), "");
    EXPECT_EQ(missing(), part_name(rom_member_count - 1) + " ");
}

TEST(RomCrc32, MatchesTheZipCrc) {
    const bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(rom_crc32(check.data(), check.size()), 0xCBF43926u);
    EXPECT_EQ(rom_crc32(nullptr, 0), 0u);
    for (size_t size : {1, 255, 4096}) {
        const bytes data = romset_fixture::member_bytes(int(size), size);
        EXPECT_EQ(rom_crc32(data.data(), data.size()), romset_fixture::reference_crc32(data));
    }
}

TEST(ReadWhole, OnlyNonEmptyRegularFiles) {
    romset_fixture::temp_dir dir;
    const bytes data = {1, 2, 3};
    romset_fixture::write_file(dir / "file", data);
    romset_fixture::write_file(dir / "empty", {});
    size_t size = 0;
    auto buffer = read_whole((dir / "file").c_str(), size);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(size, 3u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.get()));
    EXPECT_FALSE(read_whole((dir / "empty").c_str(), size));
    EXPECT_FALSE(read_whole((dir / "absent").c_str(), size));
    EXPECT_FALSE(read_whole(dir.path().c_str(), size));
}

}  // namespace
