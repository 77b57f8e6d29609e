#pragma once
// Whole-program runs of the game on the synthetic ROM set: the probe
// executable (the game with an observer) started as a separate process with
// SDL's dummy drivers, its own preferences folder and a control script.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "game/engine/vars.h"
#include "romset/rom_set.h"
#include "tests/support/picture_text.h"
#include "tests/support/romset_fixture.h"

namespace whole_run {

// What the probe saw at one checkpoint.
struct checkpoint {
    uint64_t frame = 0;
    uint64_t video = 0, ram = 0, sound = 0;
    std::vector<uint64_t> pages;  // work RAM in 4 KB pages, 0x200000 upwards
    bool operator==(const checkpoint&) const = default;
};

// A watched guest value at the frame it took it.
struct change {
    uint64_t frame;
    uint32_t address;
    uint64_t value;
};

// A pool of game objects: `count` records of `size` bytes from `base`.
struct pool {
    uint32_t base, size, count;
    constexpr uint32_t object(uint32_t i) const { return base + size * i; }
};

// The game's three object pools.
inline constexpr pool kPool256{var::objects_256, 256, 12};
inline constexpr pool kPool128{var::objects_128, 128, 124};
inline constexpr pool kPool64{var::objects_64, 64, 200};

struct options {
    std::string script;                           // control script text; empty: none
    uint64_t frames = 0;                          // --frames; 0: no limit
    uint64_t every = 300;                         // checkpoint interval
    int slices = 1;                               // time slices per stretch of sound-board time
    std::vector<std::pair<uint32_t, int>> watch;  // address, bytes
    std::optional<std::vector<uint8_t>> eeprom;   // the EEPROM file before the run
    std::map<std::string, std::string> env;       // extra environment
    int seconds = 300;                            // stopped after this much processor time
    std::vector<uint64_t> pictures;               // frames whose picture the probe writes
    bool sound = false;  // the run dumps its sound: the output blocks and each frame's mix
    // Watches each of `fields` (offset, bytes) in every object of `p`, object
    // by object.
    void watch_pool(const pool& p, std::initializer_list<std::pair<uint32_t, int>> fields);
};

// What every run sets: the control script, the frames it lasts, the
// checkpoint interval, the time slices and the processor time it may take;
// the caller adds what it watches.
options run_options(std::string script, uint64_t frames, uint64_t every, int slices, int seconds);

struct outcome {
    int status = -1;               // exit status, or 128 + the signal
    double processor_seconds = 0;  // the processor time the run used
    std::string err;               // standard error
    std::vector<checkpoint> checkpoints;
    std::vector<change> changes;
    std::optional<std::vector<uint8_t>> eeprom;  // the EEPROM file after the run
    // Entry addresses of the routines the run entered, ascending; empty when
    // the probe ended without writing them (a signal).
    std::vector<uint32_t> entered;
    std::map<uint64_t, picture_text::picture> pictures;  // by frame, those asked for and written
    // With options.sound: the 800-frame blocks the host played (IRONBELL_SOUND_RAW)
    // and each game frame's mix they were made from, both stereo, left first.
    std::vector<int16_t> sound;
    std::vector<std::vector<int16_t>> mixes;
    std::vector<uint64_t> frames_of(uint32_t address) const;  // frames a value changed
    std::vector<uint64_t> values_of(uint32_t address) const;  // the values it took, in order
    // The value a watched address held at the end of `frame` (its last change
    // at or before it; 0 before the first, which the probe reports at frame 1).
    uint64_t value_at(uint32_t address, uint64_t frame) const;
    // The first frame at or after `from` in which `address` took `value`; 0 when
    // it never did.
    uint64_t first_frame(uint32_t address, uint64_t value, uint64_t from = 0) const;
    // The first frame in which `address` took `value` while `other` held
    // `other_value` (an area's start: the area byte's change within a stage).
    uint64_t first_frame_with(uint32_t address, uint64_t value, uint32_t other, uint64_t other_value) const;
    // The objects of `p` whose field at `offset` held `value` at the end of
    // `frame` (those running a routine, of a type), in pool order.
    std::vector<uint32_t> objects_with(const pool& p, uint32_t offset, uint64_t value, uint64_t frame) const;
    // The changes of `address` in frames `from` to `to`, both included.
    std::vector<change> changes_in(uint32_t address, uint64_t from, uint64_t to = UINT64_MAX) const;
    // The same for the field at `offset` of every object of `p`, in the order
    // the changes came (the object is the change's address less `offset`).
    std::vector<change> pool_changes(const pool& p, uint32_t offset, uint64_t from = 0,
                                     uint64_t to = UINT64_MAX) const;
    // The text of `count` watched 16-bit text cells from `first` at the end of
    // `frame` (each cell's low byte), up to the first empty cell.
    std::string cell_text(uint32_t first, int count, uint64_t frame) const;
};

// One folder per runner: the synthetic ROM set, a preferences folder, a
// working folder; each run starts from an empty preferences folder unless
// `options.eeprom` plants the EEPROM file.
class runner {
public:
    explicit runner(std::string probe_exe);
    // The same over a ROM set of the caller's: the 20 member files in the order
    // of the product's member table.
    runner(std::string probe_exe, const std::array<std::vector<uint8_t>, rom_member_count>& members);
    outcome run(const options& o);
    const std::filesystem::path& folder() const { return dir_.path(); }
    std::filesystem::path eeprom_file() const;

private:
    std::string exe_;
    romset_fixture::temp_dir dir_;
    int count_ = 0;
};

// Runs `o` on a runner of its own the first time `name` is asked for and
// keeps what it saw for the rest of the process, for tests that all read
// one run.
const outcome& run_once(const std::string& probe_exe, const std::string& name, const options& o);

// The text shown in `length` text cells from (row, column) in the picture the
// run wrote of `frame` (picture_text::text_at); a note saying so when the run
// wrote no picture of that frame.
std::string shown_text(const outcome& out, uint64_t frame, int row, int column, int length);
// Writes every picture of the run as NAME-FRAME.ppm into `folder`, for a
// person to look at.
void keep_pictures(const outcome& out, const std::string& name, const std::filesystem::path& folder);

// Expected checkpoints kept in a test, one line each: "FRAME VIDEO RAM SOUND"
// in hexadecimal (frame decimal) plus the 16 page hashes.
std::vector<checkpoint> parse_checkpoints(const std::string& text);
std::string format_checkpoints(const std::vector<checkpoint>& cps);
// Empty when equal; otherwise the first frame that differs and what differs
// there: the picture, the sound, or the first 4 KB page of work RAM.
std::string first_difference(const std::vector<checkpoint>& expected, const std::vector<checkpoint>& actual);
// Compares `first` (a run with one time slice) and the same run made with 7
// and 1,000 slices (`run_with(slices)`) with the expected table. Empty when
// every run ended with status 0 and matched; otherwise, for each run that did
// not, its slicing, the first difference and the table it saw.
std::string slicing_mismatches(const std::string& expected_table, const outcome& first,
                               const std::function<outcome(int slices)>& run_with);

// The codes queued on a sound ring (read index at `ring`, write index at
// `ring + 1`, 32 code slots from `ring + 2`, all watched), by frame: read
// from the slots between the write index before and after each of its moves.
std::multimap<uint64_t, uint8_t> queued(const outcome& out, uint32_t ring);
// The frames in which `code` was queued, from `from` on.
std::vector<uint64_t> frames_of(const std::multimap<uint64_t, uint8_t>& codes, uint8_t code, uint64_t from);

// How a run's sound (options.sound) joins across the host's 800-frame output
// blocks, from the second block on: the mean step (the change of a channel
// from one output frame to the next) inside the blocks and across the seams
// between them, and the game frames whose block ends in a flat run (four or
// more equal output frames) longer than any run of that value in the frame's
// mix and the one before it.
struct sound_seams {
    double inside = 0, across = 0;
    std::vector<uint64_t> held_ends;
};
sound_seams seams_of(const outcome& out);

// CRC of a settings record in the EEPROM image, over the 54 bytes from `p`
// (the record's +0x0A): a 32-bit register starts with the first four bytes,
// big-endian; each further byte replaces its low 8 bits and is shifted
// through with the polynomial 0x1021 in the top half; 8 shifts more; the top
// half is the CRC.
uint16_t backup_crc(const uint8_t* p);
// An EEPROM image the runs start from: both copies of a settings record
// with two slots on one coin chute, a coin a credit, one credit to start and
// to continue, button 1 joining, difficulty 3 and 300 energy, each copy with
// its CRC; `change` edits the record (its bytes from +0) before the CRC is
// worked out.
std::vector<uint8_t> settings_eeprom(const std::function<void(uint8_t* record)>& change = {});

}  // namespace whole_run
