#include "tests/support/romset_fixture.h"

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace romset_fixture {

namespace {

void put16(bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(bytes& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void put(bytes& out, std::span<const uint8_t> data) { out.insert(out.end(), data.begin(), data.end()); }
void put(bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace

bytes deflate_raw(std::span<const uint8_t> data, int level, int strategy) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    bytes out(deflateBound(&z, uLong(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    return out;
}

uint32_t reference_crc32(std::span<const uint8_t> data) {
    return uint32_t(crc32(0, data.data(), uInt(data.size())));
}

zip_layout make_zip(const std::vector<zip_member>& members, const std::string& comment) {
    zip_layout zip;
    bytes& out = zip.archive;
    std::vector<bytes> stored;
    for (const auto& m : members) {
        bytes data = m.payload ? *m.payload : m.method == 8 ? deflate_raw(m.data, m.level) : m.data;
        zip.local_offsets.push_back(out.size());
        put32(out, 0x04034B50);
        put16(out, 20);  // version needed
        put16(out, 0);   // flags
        put16(out, m.method);
        put32(out, 0);  // time and date
        put32(out, m.crc.value_or(reference_crc32(m.data)));
        put32(out, m.compressed_size.value_or(uint32_t(data.size())));
        put32(out, m.size.value_or(uint32_t(m.data.size())));
        put16(out, uint32_t(m.name.size()));
        put16(out, uint32_t(m.extra.size()));
        put(out, m.name);
        put(out, m.extra);
        put(out, data);
        stored.push_back(std::move(data));
    }
    const size_t directory = out.size();
    for (size_t i = 0; i < members.size(); ++i) {
        const auto& m = members[i];
        zip.central_offsets.push_back(out.size());
        put32(out, 0x02014B50);
        put16(out, 0x031E);  // made by: Unix, 3.0
        put16(out, 20);
        put16(out, 0);
        put16(out, m.method);
        put32(out, 0);
        put32(out, m.crc.value_or(reference_crc32(m.data)));
        put32(out, m.compressed_size.value_or(uint32_t(stored[i].size())));
        put32(out, m.size.value_or(uint32_t(m.data.size())));
        put16(out, uint32_t(m.name.size()));
        put16(out, uint32_t(m.extra.size()));
        put16(out, uint32_t(m.comment.size()));
        put16(out, 0);  // disk
        put16(out, 0);  // internal attributes
        put32(out, 0);  // external attributes
        put32(out, uint32_t(zip.local_offsets[i]));
        put(out, m.name);
        put(out, m.extra);
        put(out, m.comment);
    }
    zip.end_offset = out.size();
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, uint32_t(members.size()));
    put16(out, uint32_t(members.size()));
    put32(out, uint32_t(zip.end_offset - directory));
    put32(out, uint32_t(directory));
    put16(out, uint32_t(comment.size()));
    put(out, comment);
    return zip;
}

void write_file(const std::filesystem::path& path, std::span<const uint8_t> data) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

bytes member_bytes(int number, size_t size) {
    uint64_t state = 0x9E3779B97F4A7C15ull * uint64_t(number + 1);
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    uint8_t alphabet[16];
    for (auto& a : alphabet) a = uint8_t(next() >> 24);
    bytes out(size);
    for (size_t i = 0; i < size; i += 16) {
        const uint64_t r = next();
        for (size_t k = 0; k < 16 && i + k < size; ++k) out[i + k] = alphabet[(r >> (4 * k)) & 15];
    }
    return out;
}

bytes text_like(size_t size) {
    static const char* const words[] = {"the ", "sound ", "board ",   "answers ", "every ",  "tile ",
                                        "of ",  "a ",     "sprite\n", "and ",     "frame, ", "again "};
    bytes out;
    uint32_t r = 12345;
    while (out.size() < size) {
        r = r * 1103515245 + 12345;
        const std::string word = words[(r >> 16) % 12];
        out.insert(out.end(), word.begin(), word.end());
    }
    out.resize(size);
    return out;
}

bytes random_like(size_t size) {
    bytes out(size);
    uint32_t r = 99;
    for (auto& b : out) {
        r ^= r << 13;
        r ^= r >> 17;
        r ^= r << 5;
        b = uint8_t(r);
    }
    return out;
}

const member_set& standard_set() {
    static const member_set set = [] {
        member_set s;
        for (size_t i = 0; i < rom_member_count; ++i)
            s[i] = member_bytes(int(i + 1), game_rom_members[i].size);
        return s;
    }();
    return set;
}

rom_member_table table_with_crcs(const member_set& contents, const rom_member_table& files) {
    rom_member_table table = files;
    for (size_t i = 0; i < rom_member_count; ++i) {
        table[i].crc = reference_crc32(contents[i]);
        table[i].crc_known = true;
    }
    return table;
}

void write_folder(const std::filesystem::path& folder, const member_set& contents,
                  const rom_member_table& files) {
    std::filesystem::create_directories(folder);
    for (size_t i = 0; i < rom_member_count; ++i) write_file(folder / files[i].name, contents[i]);
}

const rom_member_table& tiny_table() {
    static const rom_member_table table = [] {
        rom_member_table t = game_rom_members;
        for (size_t i = 0; i < rom_member_count; ++i) {
            t[i].size = uint32_t(2 * (i + 1));
            t[i].crc = reference_crc32(tiny_set()[i]);
            t[i].crc_known = i % 2 == 0;
        }
        return t;
    }();
    return table;
}

const member_set& tiny_set() {
    static const member_set set = [] {
        member_set s;
        for (size_t i = 0; i < rom_member_count; ++i) s[i] = member_bytes(int(i + 101), 2 * (i + 1));
        return s;
    }();
    return set;
}

temp_dir::temp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ironbell-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

temp_dir::~temp_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace romset_fixture
