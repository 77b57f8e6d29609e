#include "tests/support/whole_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "game/operator/vars.h"
#include "tests/support/synthetic_rom.h"

namespace fs = std::filesystem;

namespace whole_run {

namespace {

// Signed 16-bit samples in host byte order; a last odd byte is left out.
std::vector<int16_t> samples_of(const char* bytes, size_t size) {
    std::vector<int16_t> samples(size / sizeof(int16_t));
    if (!samples.empty()) std::memcpy(samples.data(), bytes, samples.size() * sizeof(int16_t));
    return samples;
}

// The processor time a running child has used so far, in clock ticks (its
// user and system time from /proc); 0 when it cannot be read.
uint64_t processor_ticks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name (field 2) is in parentheses and may hold spaces; the
    // fields after its closing one start with field 3.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    uint64_t utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return utime + stime;
}

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

checkpoint parse_checkpoint(std::istringstream& line) {
    checkpoint c;
    line >> std::dec >> c.frame >> std::hex >> c.video >> c.ram >> c.sound;
    uint64_t p;
    while (line >> p) c.pages.push_back(p);
    return c;
}

}  // namespace

std::vector<uint64_t> outcome::frames_of(uint32_t address) const {
    std::vector<uint64_t> out;
    for (const auto& c : changes)
        if (c.address == address) out.push_back(c.frame);
    return out;
}

std::vector<uint64_t> outcome::values_of(uint32_t address) const {
    std::vector<uint64_t> out;
    for (const auto& c : changes)
        if (c.address == address) out.push_back(c.value);
    return out;
}

uint64_t outcome::value_at(uint32_t address, uint64_t frame) const {
    uint64_t v = 0;
    for (const auto& c : changes)
        if (c.address == address && c.frame <= frame) v = c.value;
    return v;
}

uint64_t outcome::first_frame(uint32_t address, uint64_t value, uint64_t from) const {
    for (const auto& c : changes)
        if (c.address == address && c.value == value && c.frame >= from) return c.frame;
    return 0;
}

uint64_t outcome::first_frame_with(uint32_t address, uint64_t value, uint32_t other,
                                   uint64_t other_value) const {
    for (const auto& c : changes)
        if (c.address == address && c.value == value && value_at(other, c.frame) == other_value)
            return c.frame;
    return 0;
}

std::vector<uint32_t> outcome::objects_with(const pool& p, uint32_t offset, uint64_t value,
                                            uint64_t frame) const {
    std::vector<uint32_t> v;
    for (uint32_t i = 0; i < p.count; ++i)
        if (value_at(p.object(i) + offset, frame) == value) v.push_back(p.object(i));
    return v;
}

std::vector<change> outcome::changes_in(uint32_t address, uint64_t from, uint64_t to) const {
    std::vector<change> v;
    for (const auto& c : changes)
        if (c.address == address && c.frame >= from && c.frame <= to) v.push_back(c);
    return v;
}

std::vector<change> outcome::pool_changes(const pool& p, uint32_t offset, uint64_t from, uint64_t to) const {
    std::vector<change> v;
    for (const auto& c : changes)
        if (c.address >= p.base && c.address < p.base + p.size * p.count &&
            (c.address - p.base) % p.size == offset && c.frame >= from && c.frame <= to)
            v.push_back(c);
    return v;
}

std::string outcome::cell_text(uint32_t first, int count, uint64_t frame) const {
    std::string t;
    for (int c = 0; c < count; ++c) {
        const uint64_t v = value_at(first + 2 * uint32_t(c), frame);
        if (v == 0) break;
        t += char(v & 0xFF);
    }
    return t;
}

options run_options(std::string script, uint64_t frames, uint64_t every, int slices, int seconds) {
    options o;
    o.script = std::move(script);
    o.frames = frames;
    o.every = every;
    o.slices = slices;
    o.seconds = seconds;
    return o;
}

void options::watch_pool(const pool& p, std::initializer_list<std::pair<uint32_t, int>> fields) {
    for (uint32_t i = 0; i < p.count; ++i)
        for (const auto& [offset, bytes] : fields) watch.push_back({p.object(i) + offset, bytes});
}

runner::runner(std::string probe_exe) : exe_(std::move(probe_exe)) {
    synthetic::synthetic_set().write_folder(dir_ / "rom");
}

runner::runner(std::string probe_exe, const std::array<std::vector<uint8_t>, rom_member_count>& members)
    : exe_(std::move(probe_exe)) {
    fs::create_directories(dir_ / "rom");
    for (size_t i = 0; i < rom_member_count; ++i)
        romset_fixture::write_file(dir_ / "rom" / game_rom_members[i].name, members[i]);
}

fs::path runner::eeprom_file() const { return dir_ / "data" / "IronBell" / "irnbell.eeprom"; }

outcome runner::run(const options& o) {
    const fs::path run_dir = dir_ / ("run" + std::to_string(++count_));
    const fs::path work = run_dir / "work", home = run_dir / "home";
    fs::create_directories(work);
    fs::create_directories(home);
    fs::remove_all(dir_ / "data");
    fs::create_directories(eeprom_file().parent_path());
    if (o.eeprom) romset_fixture::write_file(eeprom_file(), *o.eeprom);

    std::vector<std::string> args;
    if (!o.script.empty()) {
        const fs::path script = run_dir / "script.txt";
        std::ofstream(script) << o.script;
        args.push_back("--script");
        args.push_back(script.string());
    }
    if (o.frames) {
        args.push_back("--frames");
        args.push_back(std::to_string(o.frames));
    }
    std::string watch;
    for (const auto& [address, size] : o.watch) {
        char item[32];
        std::snprintf(item, sizeof item, "%s%X:%d", watch.empty() ? "" : ",", address, size);
        watch += item;
    }
    std::map<std::string, std::string> env = {
        {"SDL_VIDEODRIVER", "dummy"},
        {"SDL_AUDIODRIVER", "dummy"},
        {"HOME", home.string()},
        {"XDG_DATA_HOME", (dir_ / "data").string()},
        {"PATH", "/usr/bin:/bin"},
        {"IRONBELL_ROM", (dir_ / "rom").string()},
        {"IRONBELL_PROBE_OUT", (run_dir / "probe.txt").string()},
        {"IRONBELL_PROBE_EVERY", std::to_string(o.every)},
        {"IRONBELL_PROBE_SLICES", std::to_string(o.slices)},
        {"IRONBELL_PROBE_WATCH", watch},
    };
    std::string pictures;
    for (uint64_t frame : o.pictures) pictures += (pictures.empty() ? "" : ",") + std::to_string(frame);
    env["IRONBELL_PROBE_PICTURES"] = pictures;
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* v = std::getenv(keep)) env[keep] = v;
    if (o.sound) {
        env["IRONBELL_SOUND_RAW"] = (run_dir / "sound.raw").string();
        env["IRONBELL_PROBE_MIX"] = (run_dir / "mix.raw").string();
    }
    for (const auto& [k, v] : o.env) env[k] = v;

    const fs::path err_path = run_dir / "stderr.txt";
    // Everything the child needs is made before the fork: the child only makes
    // calls that are safe after a fork, so runs may be started from several
    // threads at once.
    std::vector<std::string> env_text;
    for (const auto& [k, v] : env) env_text.push_back(k + "=" + v);
    std::vector<char*> envp, argv{exe_.data()};
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // The run's limit is its own processor time, not the time on the clock: a
    // busy machine (CI starts many sanitizer runs at once) may give a run a
    // small share of a processor for minutes, and that is no fault of the run.
    // The hard limit alone: the kernel sends SIGKILL when the run reaches it
    // (the game's watchdog takes SIGXCPU, the soft limit's signal, for its own).
    const rlim_t limit = static_cast<rlim_t>(std::max(o.seconds, 1));
    const rlimit cpu{limit, limit};
    const pid_t pid = fork();
    if (pid == 0) {
        if (setrlimit(RLIMIT_CPU, &cpu) != 0) _exit(123);
        if (chdir(work.c_str()) != 0) _exit(120);
        if (err_fd < 0 || dup2(err_fd, STDERR_FILENO) < 0) _exit(121);
        execve(exe_.c_str(), argv.data(), envp.data());
        _exit(122);
    }
    if (err_fd >= 0) close(err_fd);
    // A run that uses no processor time at all for this long is stuck waiting
    // (on nothing the probe should ever wait for), not slow: it is killed.
    constexpr auto kStuck = std::chrono::seconds(120);
    int status = 0;
    rusage usage{};
    bool stuck = false;
    uint64_t last_ticks = 0;
    auto last_progress = std::chrono::steady_clock::now();
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        const uint64_t ticks = processor_ticks(pid);
        const auto now = std::chrono::steady_clock::now();
        if (ticks != last_ticks) {
            last_ticks = ticks;
            last_progress = now;
        } else if (!stuck && now - last_progress > kStuck) {
            kill(pid, SIGKILL);
            stuck = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    outcome r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.processor_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.err = read_text(err_path);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && !stuck)
        r.err += "(the run was stopped after " + std::to_string(o.seconds) + " s of processor time)\n";
    if (stuck)
        r.err +=
            "(the run was killed: it used no processor time for " + std::to_string(kStuck.count()) + " s)\n";
    std::istringstream lines(read_text(run_dir / "probe.txt"));
    for (std::string text; std::getline(lines, text);) {
        std::istringstream line(text);
        std::string kind;
        line >> kind;
        if (kind == "C") {
            r.checkpoints.push_back(parse_checkpoint(line));
        } else if (kind == "W") {
            change c{};
            line >> std::dec >> c.frame >> std::hex >> c.address >> c.value;
            r.changes.push_back(c);
        } else if (kind == "E") {
            for (uint32_t address; line >> std::hex >> address;) r.entered.push_back(address);
        }
    }
    for (uint64_t frame : o.pictures)
        if (auto p = picture_text::read_ppm(run_dir / ("picture-" + std::to_string(frame) + ".ppm")))
            r.pictures[frame] = std::move(*p);
    if (o.sound) {
        const std::string played = read_text(run_dir / "sound.raw");
        r.sound = samples_of(played.data(), played.size());
        const std::string mixed = read_text(run_dir / "mix.raw");
        for (size_t at = 0; at + sizeof(uint32_t) <= mixed.size();) {
            uint32_t count = 0;
            std::memcpy(&count, mixed.data() + at, sizeof count);
            at += sizeof count;
            const size_t bytes = std::min<size_t>(count * 2 * sizeof(int16_t), mixed.size() - at);
            r.mixes.push_back(samples_of(mixed.data() + at, bytes));
            at += bytes;
        }
    }
    if (fs::exists(eeprom_file())) {
        const std::string bytes = read_text(eeprom_file());
        r.eeprom = std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    return r;
}

const outcome& run_once(const std::string& probe_exe, const std::string& name, const options& o) {
    static std::map<std::string, outcome> runs;
    auto it = runs.find(name);
    if (it == runs.end()) {
        runner r(probe_exe);
        it = runs.emplace(name, r.run(o)).first;
    }
    return it->second;
}

std::string shown_text(const outcome& out, uint64_t frame, int row, int column, int length) {
    const auto it = out.pictures.find(frame);
    if (it == out.pictures.end()) return "(no picture of frame " + std::to_string(frame) + ")";
    return picture_text::text_at(it->second, row, column, length);
}

void keep_pictures(const outcome& out, const std::string& name, const fs::path& folder) {
    for (const auto& [frame, p] : out.pictures)
        picture_text::write_ppm(p, folder / (name + "-" + std::to_string(frame) + ".ppm"));
}

std::vector<checkpoint> parse_checkpoints(const std::string& text) {
    std::vector<checkpoint> out;
    std::istringstream lines(text);
    for (std::string t; std::getline(lines, t);) {
        if (t.find_first_not_of(" \t") == std::string::npos) continue;
        std::istringstream line(t);
        out.push_back(parse_checkpoint(line));
    }
    return out;
}

std::string format_checkpoints(const std::vector<checkpoint>& cps) {
    std::string out;
    for (const auto& c : cps) {
        char head[80];
        std::snprintf(head, sizeof head, "%" PRIu64 " %016" PRIX64 " %016" PRIX64 " %016" PRIX64, c.frame,
                      c.video, c.ram, c.sound);
        out += head;
        for (uint64_t p : c.pages) {
            char page[20];
            std::snprintf(page, sizeof page, " %016" PRIX64, p);
            out += page;
        }
        out += '\n';
    }
    return out;
}

std::string first_difference(const std::vector<checkpoint>& expected, const std::vector<checkpoint>& actual) {
    char text[160];
    for (size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
        if (i >= expected.size() || i >= actual.size()) {
            std::snprintf(text, sizeof text, "%zu checkpoints expected, %zu seen", expected.size(),
                          actual.size());
            return text;
        }
        const checkpoint& e = expected[i];
        const checkpoint& a = actual[i];
        if (e == a) continue;
        if (e.frame != a.frame) {
            std::snprintf(text, sizeof text, "checkpoint %zu: frame %" PRIu64 " expected, %" PRIu64 " seen",
                          i, e.frame, a.frame);
            return text;
        }
        std::string what;
        if (e.video != a.video) what += " the picture;";
        if (e.sound != a.sound) what += " the sound;";
        for (size_t p = 0; p < e.pages.size() && p < a.pages.size(); ++p)
            if (e.pages[p] != a.pages[p]) {
                std::snprintf(text, sizeof text, " work RAM from 0x%06zX;", 0x200000 + p * 0x1000);
                what += text;
                break;
            }
        if (e.pages.size() != a.pages.size()) what += " the number of RAM pages;";
        std::snprintf(text, sizeof text, "first difference at frame %" PRIu64 ":", e.frame);
        return text + what;
    }
    return {};
}

sound_seams seams_of(const outcome& out) {
    constexpr size_t kBlock = 800;
    constexpr double kStep = 55930 / 48000.0;  // mix frames per output frame
    const auto& y = out.sound;
    const size_t blocks = std::min(y.size() / (2 * kBlock), out.mixes.size());
    // The mixes as one stream, and where each frame's mix ends in it.
    std::vector<int16_t> stream;
    std::vector<size_t> ends;
    for (const auto& mix : out.mixes) {
        stream.insert(stream.end(), mix.begin(), mix.end());
        ends.push_back(stream.size() / 2);
    }
    sound_seams seams;
    double inside = 0, across = 0;
    for (size_t b = 1; b < blocks; ++b) {
        const size_t first = b * kBlock, last = first + kBlock - 1;
        for (size_t ch = 0; ch < 2; ++ch) {
            across += std::abs(y[2 * first + ch] - y[2 * (first - 1) + ch]);
            for (size_t i = first + 1; i <= last; ++i)
                inside += std::abs(y[2 * i + ch] - y[2 * (i - 1) + ch]);
        }
        size_t flat = 1;
        while (flat < kBlock && y[2 * (last - flat)] == y[2 * last] &&
               y[2 * (last - flat) + 1] == y[2 * last + 1])
            ++flat;
        if (flat < 4) continue;
        // The longest run of mix frames within one of the held value (an output
        // frame is an interpolation truncated toward zero) in this frame's mix and
        // the one before: the resampler keeps less than a frame's mix unread.
        size_t still = 0, longest = 0;
        for (size_t f = b >= 2 ? ends[b - 2] : 0; f < ends[b]; ++f) {
            const bool near = std::abs(stream[2 * f] - y[2 * last]) <= 1 &&
                              std::abs(stream[2 * f + 1] - y[2 * last + 1]) <= 1;
            still = near ? still + 1 : 0;
            longest = std::max(longest, still);
        }
        if (double(longest) < double(flat - 2) * kStep) seams.held_ends.push_back(b + 1);
    }
    if (blocks > 1) {
        seams.inside = inside / double(2 * (blocks - 1) * (kBlock - 1));
        seams.across = across / double(2 * (blocks - 1));
    }
    return seams;
}

uint16_t backup_crc(const uint8_t* p) {
    uint32_t r = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    auto shift8 = [&r] {
        for (int i = 0; i < 8; ++i) r = (r & 0x80000000u) ? (r << 1) ^ 0x10210000u : r << 1;
    };
    for (int i = 3; i < 54; ++i) {
        r = (r & ~0xFFu) | p[i];
        shift8();
    }
    shift8();
    return uint16_t(r >> 16);
}

std::vector<uint8_t> settings_eeprom(const std::function<void(uint8_t* record)>& change) {
    std::vector<uint8_t> image(128, 0);
    const uint8_t head[] = {'K', 'O', 'T', 'A', 0x01, 0x81, 0x01, 0x00};
    std::copy(std::begin(head), std::end(head), image.begin());
    namespace br = backup_record;
    image[br::coins_per_credit] = 1;
    image[br::chute1_units] = 1;
    image[br::chute2_units] = 1;
    image[br::start_credits] = 1;
    image[br::continue_credits] = 1;
    image[br::coin_item] = 26;  // none
    image[br::difficulty] = 3;
    image[br::start_energy] = uint8_t(300 & 0xFF);
    image[br::start_energy + 1] = uint8_t(300 >> 8);
    if (change) change(image.data());
    const uint16_t crc = backup_crc(image.data() + br::flip_screen);
    image[br::crc] = uint8_t(crc);
    image[br::crc + 1] = uint8_t(crc >> 8);
    std::copy(image.begin(), image.begin() + br::size, image.begin() + br::spare);
    return image;
}

std::string slicing_mismatches(const std::string& expected_table, const outcome& first,
                               const std::function<outcome(int slices)>& run_with) {
    const auto expected = parse_checkpoints(expected_table);
    std::string report;
    auto check = [&](int slices, const outcome& out) {
        const std::string difference = first_difference(expected, out.checkpoints);
        if (out.status == 0 && difference.empty()) return;
        report += std::to_string(slices) + " slice(s): status " + std::to_string(out.status) + "; " +
                  difference + "\n" + out.err + "seen:\n" + format_checkpoints(out.checkpoints);
    };
    check(1, first);
    for (int slices : {7, 1000}) check(slices, run_with(slices));
    return report;
}

std::multimap<uint64_t, uint8_t> queued(const outcome& out, uint32_t ring) {
    std::multimap<uint64_t, uint8_t> codes;
    uint64_t before = 0;
    for (const auto& c : out.changes) {
        if (c.address != ring + 1) continue;
        for (uint64_t w = before; w != c.value; w = (w + 1) & 31)
            codes.emplace(c.frame, uint8_t(out.value_at(ring + 2 + uint32_t(w), c.frame)));
        before = c.value;
    }
    return codes;
}

std::vector<uint64_t> frames_of(const std::multimap<uint64_t, uint8_t>& codes, uint8_t code, uint64_t from) {
    std::vector<uint64_t> v;
    for (const auto& [frame, c] : codes)
        if (c == code && frame >= from) v.push_back(frame);
    return v;
}

}  // namespace whole_run
