#pragma once
// Fixture ROM sets for tests: zip archives and folders written from member
// contents the test chooses, with ways to damage them. zlib makes the
// reference DEFLATE streams and CRC-32 values, independent of the product's
// own decoder.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "romset/rom_set.h"

namespace romset_fixture {

using bytes = std::vector<uint8_t>;

// zlib's raw DEFLATE of `data` (no zlib or gzip wrapper).
bytes deflate_raw(std::span<const uint8_t> data, int level = 6, int strategy = 0);
// zlib's CRC-32.
uint32_t reference_crc32(std::span<const uint8_t> data);

struct zip_member {
    std::string name{};     // path inside the archive; may hold sub-folders
    bytes data{};           // the member's contents
    uint16_t method = 8;    // 0 stored, 8 deflated; any other number stores the data as is
    int level = 6;          // zlib level for method 8
    bytes extra{};          // extra field, written in both headers
    std::string comment{};  // the central header's comment
    // Damage, each written in place of the true value when set.
    std::optional<uint32_t> crc{};              // directory CRC-32
    std::optional<uint32_t> compressed_size{};  // directory compressed size
    std::optional<uint32_t> size{};             // directory uncompressed size
    std::optional<bytes> payload{};             // the stored member data
};

struct zip_layout {
    bytes archive;
    std::vector<size_t> central_offsets;  // each member's central header
    std::vector<size_t> local_offsets;    // each member's local header
    size_t end_offset = 0;                // the end-of-central-directory record
};

// A zip archive of `members`, in order, with `comment` after its end record.
zip_layout make_zip(const std::vector<zip_member>& members, const std::string& comment = {});

void write_file(const std::filesystem::path& path, std::span<const uint8_t> data);

// Deterministic contents: a member-specific alphabet of 16 byte values in a
// random-looking order, so they compress to about half and no two members
// (or two places of one member) look alike.
bytes member_bytes(int number, size_t size);

// 1 MB-style sample data for decoder tests: words of a small vocabulary in a
// random order, and random bytes.
bytes text_like(size_t size);
bytes random_like(size_t size);

using member_set = std::array<bytes, rom_member_count>;

// The 20 members at the sizes of the product's table.
const member_set& standard_set();
// `files` with every CRC-32 known, taken from `contents`.
rom_member_table table_with_crcs(const member_set& contents,
                                 const rom_member_table& files = game_rom_members);

// Writes `contents` into `folder` (created when missing), each member under
// its name in `files`.
void write_folder(const std::filesystem::path& folder, const member_set& contents,
                  const rom_member_table& files = game_rom_members);

// A tiny member table (sizes 1 to 40 bytes; odd entries with a known CRC-32)
// and its contents, for walking small archives.
const rom_member_table& tiny_table();
const member_set& tiny_set();

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace romset_fixture
