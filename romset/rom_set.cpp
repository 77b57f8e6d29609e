// Finding, checking and assembling the ROM set.

#include "romset/rom_set.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "romset/inflate.h"

uint8_t game_program[game_program_size];
uint8_t game_tiles[game_tiles_size];
uint8_t game_sprites[game_sprites_size];
uint8_t game_sound[game_sound_size];

// The supported version's CRC-32 values are not known: every entry is
// matched by name and size until they are.
constexpr rom_member_table game_rom_members = {{
    {"part01.rom", 0, false, 0x20000},  {"part02.rom", 0, false, 0x20000},
    {"part03.rom", 0, false, 0x20000},  {"part04.rom", 0, false, 0x20000},
    {"part05.rom", 0, false, 0x40000},  {"part06.rom", 0, false, 0x80000},
    {"part07.rom", 0, false, 0x80000},  {"part08.rom", 0, false, 0x80000},
    {"part09.rom", 0, false, 0x100000}, {"part10.rom", 0, false, 0x100000},
    {"part11.rom", 0, false, 0x100000}, {"part12.rom", 0, false, 0x100000},
    {"part13.rom", 0, false, 0x100000}, {"part14.rom", 0, false, 0x100000},
    {"part15.rom", 0, false, 0x100000}, {"part16.rom", 0, false, 0x100000},
    {"part17.rom", 0, false, 0x100000}, {"part18.rom", 0, false, 0x100000},
    {"part19.rom", 0, false, 0x100000}, {"part20.rom", 0, false, 0x100000},
}};

namespace {

constexpr uint32_t end_signature = 0x06054B50;
constexpr uint32_t central_signature = 0x02014B50;
constexpr uint32_t local_signature = 0x04034B50;
constexpr size_t end_record_size = 22;
constexpr size_t central_header_size = 46;
constexpr size_t local_header_size = 30;
// The end record is looked for from 22 bytes before the end back to this
// many: room for the longest comment, and one byte more.
constexpr size_t end_search_reach = 65558;

const char not_a_zip[] = "not a .zip";

// The assembly below relies on these sizes.
constexpr uint32_t kb128 = 0x20000;
constexpr uint32_t mb1 = 0x100000;
constexpr bool layout_sizes_hold() {
    for (size_t i = 0; i < 4; ++i)
        if (game_rom_members[i].size != kb128) return false;
    if (game_rom_members[4].size != 2 * kb128) return false;
    for (size_t i = 5; i < 8; ++i)
        if (game_rom_members[i].size != 4 * kb128) return false;
    for (size_t i = 8; i < rom_member_count; ++i)
        if (game_rom_members[i].size != mb1) return false;
    return true;
}
static_assert(layout_sizes_hold());

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct central_entry {
    uint16_t method;
    uint32_t crc;
    uint32_t compressed_size;
    uint32_t size;
    uint32_t local_offset;
    const char* name;  // the part after the last '/'; null when it does not fit the archive
    size_t name_length;
};

bool name_matches(const central_entry& entry, const char* name) {
    return entry.name != nullptr && std::strlen(name) == entry.name_length &&
           std::memcmp(entry.name, name, entry.name_length) == 0;
}

// The first empty slot this entry may fill, or -1.
int choose_slot(const central_entry& entry, std::span<const rom_member> files, std::span<rom_slot> slots) {
    for (size_t i = 0; i < files.size(); ++i) {
        if (slots[i] || files[i].size != entry.size) continue;
        if (files[i].crc_known ? files[i].crc == entry.crc : name_matches(entry, files[i].name))
            return int(i);
    }
    return -1;
}

// "524,288": a count as a person reads it.
std::string with_commas(uint64_t n) {
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string wrong_size(const char* name, uint64_t size, uint64_t expected) {
    return std::string(name) + " is " + with_commas(size) + " bytes, " + with_commas(expected) + " expected";
}

std::string wrong_crc(const char* name, uint32_t crc, uint32_t expected) {
    return std::string(name) + " has the CRC-32 " + hex32(crc) + ", " + hex32(expected) +
           " expected (another version of it)";
}

// The member's verified bytes, or null when its local header, sizes, method,
// data or CRC-32 are wrong (or no memory is left for it); `why` then says
// which, naming the member `name`.
rom_slot extract(const uint8_t* archive, size_t size, const central_entry& entry, const char* name,
                 std::string& why) {
    const std::string member = name;
    if (entry.local_offset > size || size - entry.local_offset < local_header_size ||
        read32(archive + entry.local_offset) != local_signature) {
        why = member + "'s local header is damaged";
        return nullptr;
    }
    const uint8_t* local = archive + entry.local_offset;
    const size_t data =
        size_t(entry.local_offset) + local_header_size + read16(local + 26) + read16(local + 28);
    if (data > size || entry.compressed_size > size - data) {
        why = member + "'s data run past the end of the archive";
        return nullptr;
    }
    if (entry.method == 0 && entry.compressed_size != entry.size) {
        why = member + " is stored uncompressed with two different sizes";
        return nullptr;
    }
    if (entry.method != 0 && entry.method != 8) {
        why = member + " is compressed with method " + std::to_string(entry.method) +
              "; only stored and deflated members can be read";
        return nullptr;
    }

    rom_slot buffer(new (std::nothrow) uint8_t[entry.size]);
    if (!buffer) {
        why = "no memory is left for " + member;
        return nullptr;
    }
    if (entry.method == 0) {
        if (entry.size != 0) std::memcpy(buffer.get(), archive + data, entry.size);
    } else if (!inflate_raw(archive + data, entry.compressed_size, buffer.get(), entry.size)) {
        why = member + "'s compressed data are damaged";
        return nullptr;
    }
    if (rom_crc32(buffer.get(), entry.size) != entry.crc) {
        why = member + "'s data do not match the archive's CRC-32 for it (the archive is damaged)";
        return nullptr;
    }
    return buffer;
}

// Why an archive entry named like a member was not taken for it.
void note_refused_by_name(const central_entry& entry, std::span<const rom_member> files,
                          std::span<rom_slot> slots, rom_walk_notes& notes) {
    for (size_t i = 0; i < files.size(); ++i) {
        if (slots[i] || !name_matches(entry, files[i].name)) continue;
        if (entry.size != files[i].size)
            notes.members[i] = wrong_size(files[i].name, entry.size, files[i].size);
        else if (files[i].crc_known && entry.crc != files[i].crc)
            notes.members[i] = wrong_crc(files[i].name, entry.crc, files[i].crc);
    }
}

central_entry parse_central(const uint8_t* archive, size_t size, size_t position) {
    const uint8_t* h = archive + position;
    central_entry entry{
        read16(h + 10), read32(h + 16), read32(h + 20), read32(h + 24), read32(h + 42), nullptr, 0};
    // The name is only looked at for members without a known CRC-32; the last
    // entry's name may run past the archive without anything else noticing.
    const size_t name_length = read16(h + 28);
    if (size - position - central_header_size >= name_length) {
        const char* name = reinterpret_cast<const char*>(h + central_header_size);
        size_t start = name_length;
        while (start > 0 && name[start - 1] != '/') --start;
        entry.name = name + start;
        entry.name_length = name_length - start;
    }
    return entry;
}

// Reads exactly length bytes; false when the file ends or fails first.
bool read_fully(int fd, uint8_t* buffer, size_t length) {
    size_t got = 0;
    while (got < length) {
        const ssize_t n = ::read(fd, buffer + got, length - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += size_t(n);
    }
    return true;
}

// A member file of the folder, read only when it is a regular file of the
// expected size; otherwise null with the reason.
rom_slot read_member(const char* path, const rom_member& file, std::string& why) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        why = error == ENOENT ? "there is no " + std::string(file.name) + " in it"
                              : std::string(file.name) + " cannot be read (" + std::strerror(error) + ")";
        return nullptr;
    }
    rom_slot data;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = std::string(file.name) + " is not a regular file";
    } else if (uint64_t(status.st_size) != file.size) {
        why = wrong_size(file.name, uint64_t(status.st_size), file.size);
    } else {
        data.reset(new (std::nothrow) uint8_t[file.size]);
        if (!data) {
            why = "no memory is left for " + std::string(file.name);
        } else if (!read_fully(fd, data.get(), file.size)) {
            why = std::string(file.name) + " cannot be read whole";
            data.reset();
        } else if (file.crc_known && rom_crc32(data.get(), file.size) != file.crc) {
            why = wrong_crc(file.name, rom_crc32(data.get(), file.size), file.crc);
            data.reset();
        }
    }
    ::close(fd);
    return data;
}

void load_folder(const char* path, std::span<const rom_member> files, std::span<rom_slot> slots,
                 rom_walk_notes& notes) {
    char member_path[1024];
    for (size_t i = 0; i < files.size(); ++i) {
        const int length = std::snprintf(member_path, sizeof member_path, "%s/%s", path, files[i].name);
        // A cut-off path would name some other file.
        if (length < 0 || size_t(length) >= sizeof member_path) {
            notes.members[i] = "the path of " + std::string(files[i].name) + " in it is too long";
            continue;
        }
        slots[i] = read_member(member_path, files[i], notes.members[i]);
    }
}

// The archive's bytes, mapped rather than read: the walk touches only the
// end record, the directory and the members it takes.
class mapped_file {
public:
    mapped_file(int fd, size_t size) : size_(size) {
        void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (at != MAP_FAILED) data_ = static_cast<const uint8_t*>(at);
    }
    ~mapped_file() {
        if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
    }
    mapped_file(const mapped_file&) = delete;
    mapped_file& operator=(const mapped_file&) = delete;
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_;
};

void assemble(const std::array<rom_slot, rom_member_count>& slots) {
    auto part = [&](int number) { return slots[size_t(number - 1)].get(); };

    // Program: the two 128 KB halves of the lower megabyte repeat four times
    // each; parts 3 and 4 are the even and odd bytes of a 16-bit wide pair, and
    // that upper megabyte is mirrored with its empty top half.
    for (uint32_t k = 0; k < 4; ++k) {
        std::memcpy(game_program + k * kb128, part(1), kb128);
        std::memcpy(game_program + 0x080000 + k * kb128, part(2), kb128);
    }
    for (uint32_t i = 0; i < kb128; ++i) {
        game_program[0x100000 + 2 * i] = part(3)[i];
        game_program[0x100000 + 2 * i + 1] = part(4)[i];
    }
    std::memset(game_program + 0x140000, 0, 0x40000);
    std::memcpy(game_program + 0x180000, game_program + 0x100000, 0x80000);

    // Tiles and sprites: each member holds one byte lane of 32- and 64-bit
    // wide graphics words.
    for (uint32_t i = 0; i < mb1; ++i)
        for (int k = 0; k < 4; ++k) game_tiles[4 * i + uint32_t(k)] = part(9 + k)[i];
    for (uint32_t i = 0; i < mb1; ++i)
        for (int k = 0; k < 8; ++k) game_sprites[8 * i + uint32_t(k)] = part(13 + k)[i];

    // Sound: each megabyte is one bank, filled by repeating its member.
    for (uint32_t k = 0; k < 4; ++k) std::memcpy(game_sound + k * 0x40000, part(5), 0x40000);
    for (int bank = 1; bank < 4; ++bank) {
        const uint8_t* member = part(5 + bank);
        std::memcpy(game_sound + uint32_t(bank) * mb1, member, 0x80000);
        std::memcpy(game_sound + uint32_t(bank) * mb1 + 0x80000, member, 0x80000);
    }
}

}  // namespace

uint32_t rom_crc32(const uint8_t* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::unique_ptr<uint8_t[]> read_whole(const char* path, size_t& size) {
    // Opened without waiting: a FIFO would otherwise hold the open until a writer came.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    std::unique_ptr<uint8_t[]> buffer;
    // A directory opens for reading too; only a regular file is content.
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        const size_t length = size_t(status.st_size);
        buffer.reset(new (std::nothrow) uint8_t[length]);
        if (buffer && read_fully(fd, buffer.get(), length))
            size = length;
        else
            buffer.reset();
    }
    ::close(fd);
    return buffer;
}

const char* rom_zip_walk(const uint8_t* archive, size_t size, std::span<const rom_member> files,
                         std::span<rom_slot> slots, rom_walk_notes* notes) {
    auto structural = [&](std::string why) {
        if (notes) notes->stopped = "not a .zip: " + why;
        return not_a_zip;
    };
    // A member known by its name alone may appear once: of two copies neither
    // can be told for the right one. The directory entry (from 1) naming each.
    std::array<uint32_t, rom_member_count> named_at{};
    auto named_twice = [&](size_t member, uint32_t first, uint32_t second) {
        static char problem[96];
        if (notes)
            notes->stopped = "it holds " + std::string(files[member].name) + " twice (directory entries " +
                             std::to_string(first) + " and " + std::to_string(second) + ")";
        std::snprintf(problem, sizeof problem, "no %s (or not this version of it)", files[member].name);
        return problem;
    };
    if (size < end_record_size) return structural("it is " + with_commas(size) + " bytes, too short for one");
    const size_t lowest = size > end_search_reach ? size - end_search_reach : 0;
    size_t end = size - end_record_size;
    while (read32(archive + end) != end_signature) {
        if (end == lowest) return structural("it has no zip end record near its end");
        --end;
    }
    const uint16_t entries = read16(archive + end + 10);
    size_t position = read32(archive + end + 16);
    if (entries == 0) return nullptr;
    if (position > size || size - position < central_header_size)
        return structural("its directory lies outside the file");

    for (uint32_t n = 0;; ++n) {
        const uint8_t* header = archive + position;
        if (read32(header) != central_signature)
            return structural("directory entry " + std::to_string(n + 1) + " is damaged");
        const central_entry entry = parse_central(archive, size, position);
        for (size_t i = 0; i < files.size() && i < rom_member_count; ++i) {
            if (files[i].crc_known || !name_matches(entry, files[i].name)) continue;
            if (named_at[i]) return named_twice(i, named_at[i], n + 1);
            named_at[i] = n + 1;
        }
        const int slot = choose_slot(entry, files, slots);
        std::string why;
        if (slot >= 0) {
            slots[size_t(slot)] = extract(archive, size, entry, files[size_t(slot)].name, why);
            if (notes && !slots[size_t(slot)]) notes->members[size_t(slot)] = why;
        } else if (notes) {
            note_refused_by_name(entry, files, slots, *notes);
        }
        if (n + 1 == entries) return nullptr;
        position += central_header_size + read16(header + 28) + read16(header + 30) + read16(header + 32);
        if (position > size || size - position < central_header_size)
            return structural("directory entry " + std::to_string(n + 2) + " runs past the end");
    }
}

const char* game_rom_set_load(const char* path, const rom_member_table& files, std::string* reason) {
    static char problem[96];
    std::array<rom_slot, rom_member_count> slots;
    rom_walk_notes notes;
    bool archive = false;
    auto missing_first = [&](const std::string& why) {
        if (reason) *reason = why;
        std::snprintf(problem, sizeof problem, "no %s (or not this version of it)", files[0].name);
        return problem;
    };
    {
        // Opened without waiting: a FIFO would otherwise hold the start-up.
        const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            return missing_first(error == ENOENT
                                     ? "there is no such file or folder"
                                     : std::string("it cannot be read (") + std::strerror(error) + ")");
        }
        struct stat status;
        const bool known = ::fstat(fd, &status) == 0;
        if (known && S_ISREG(status.st_mode) && status.st_size > 0) {
            archive = true;
            const mapped_file map(fd, size_t(status.st_size));
            ::close(fd);
            if (!map.data()) return missing_first("it cannot be mapped into memory");
            if (const char* fault = rom_zip_walk(map.data(), map.size(), files, slots, &notes)) {
                if (reason) *reason = notes.stopped;
                return fault;
            }
        } else {
            ::close(fd);
            if (!known || !(S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)))
                return missing_first("it is neither a file nor a folder");
            if (S_ISREG(status.st_mode)) return missing_first("it is an empty file, not a .zip");
            load_folder(path, files, slots, notes);
        }
    }
    for (size_t i = 0; i < rom_member_count; ++i) {
        if (!slots[i] || files[i].size != game_rom_members[i].size) {
            if (reason) {
                *reason = notes.members[i];
                if (reason->empty() && archive)
                    *reason = files[i].crc_known
                                  ? "no member has the size and CRC-32 of " + std::string(files[i].name)
                                  : "there is no " + std::string(files[i].name) + " in it";
                if (files[i].size != game_rom_members[i].size)
                    *reason =
                        std::string(files[i].name) + " cannot have the size " + with_commas(files[i].size);
            }
            std::snprintf(problem, sizeof problem, "no %s (or not this version of it)", files[i].name);
            return problem;
        }
    }
    assemble(slots);
    return nullptr;
}
