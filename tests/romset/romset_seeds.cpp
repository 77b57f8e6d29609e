// Writes the seed corpora of the ROM set fuzz targets from the fixture
// writer: <dir>/inflate (three size bytes, then a raw DEFLATE stream) and
// <dir>/zip (small archives over the tiny member table).

#include <zlib.h>

#include <cstdio>
#include <string>

#include "tests/support/romset_fixture.h"

namespace {

namespace fs = std::filesystem;
using romset_fixture::bytes;
using romset_fixture::zip_member;

void write_inflate_seed(const fs::path& dir, const std::string& name, const bytes& data, int level,
                        int strategy) {
    bytes seed = {uint8_t(data.size()), uint8_t(data.size() >> 8), uint8_t(data.size() >> 16)};
    const bytes stream = romset_fixture::deflate_raw(data, level, strategy);
    seed.insert(seed.end(), stream.begin(), stream.end());
    romset_fixture::write_file(dir / name, seed);
}

std::vector<zip_member> tiny_members(uint16_t method) {
    std::vector<zip_member> members;
    for (size_t i = 0; i < rom_member_count; ++i) {
        zip_member m;
        m.name = std::string(i % 2 ? "set/" : "") + game_rom_members[i].name;
        m.data = romset_fixture::tiny_set()[i];
        m.method = method;
        members.push_back(std::move(m));
    }
    return members;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const fs::path inflate_dir = fs::path(argv[1]) / "inflate";
    const fs::path zip_dir = fs::path(argv[1]) / "zip";
    fs::create_directories(inflate_dir);
    fs::create_directories(zip_dir);

    const bytes text = [] {
        const std::string s = "a tile, a sprite, a tile again; the sound board answers the tile. ";
        bytes b;
        for (int i = 0; i < 12; ++i) b.insert(b.end(), s.begin(), s.end());
        return b;
    }();
    write_inflate_seed(inflate_dir, "empty", {}, 6, Z_DEFAULT_STRATEGY);
    write_inflate_seed(inflate_dir, "stored", text, 0, Z_DEFAULT_STRATEGY);
    write_inflate_seed(inflate_dir, "fixed", text, 9, Z_FIXED);
    write_inflate_seed(inflate_dir, "dynamic", text, 9, Z_DEFAULT_STRATEGY);
    write_inflate_seed(inflate_dir, "huffman", romset_fixture::member_bytes(1, 600), 6, Z_HUFFMAN_ONLY);
    write_inflate_seed(inflate_dir, "rle", bytes(700, 7), 6, Z_RLE);

    romset_fixture::write_file(zip_dir / "deflated", romset_fixture::make_zip(tiny_members(8)).archive);
    romset_fixture::write_file(zip_dir / "stored", romset_fixture::make_zip(tiny_members(0)).archive);
    auto odd = tiny_members(8);
    odd[3].payload = bytes{1, 2, 3};
    odd[4].method = 0;
    odd[4].compressed_size = 1;
    odd.push_back({});
    odd.back().name = "extra";
    odd.back().data = {9, 9};
    odd.back().comment = "c";
    romset_fixture::write_file(zip_dir / "damaged", romset_fixture::make_zip(odd, "comment").archive);
    romset_fixture::write_file(zip_dir / "empty", romset_fixture::make_zip({}).archive);
    return 0;
}
