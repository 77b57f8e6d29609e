// The whole program, headless: the host shell over the test guest program,
// started as a separate process with SDL's dummy drivers, a fresh preferences
// folder per run and no display, so no message box can block.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/bad_files.h"
#include "tests/support/romset_fixture.h"

namespace fs = std::filesystem;
using romset_fixture::temp_dir;

namespace {

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended the run
    std::string err;
    std::string out;
};

// How a run is started and watched.
struct RunOptions {
    std::function<void()> in_child;        // in the child, just before the program starts
    std::function<void(pid_t)> meanwhile;  // about every millisecond while it runs
    std::chrono::seconds limit{300};       // then it is killed (status 128 + 9)
};

// How many times text holds what.
size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class WholeProgram : public ::testing::Test {
protected:
    temp_dir dir;
    fs::path home() const { return dir / "home"; }
    fs::path prefs() const { return dir / "data" / "IronBell"; }
    fs::path work() const { return dir / "work"; }
    std::map<std::string, std::string> env;

    void SetUp() override {
        fs::create_directories(home());
        fs::create_directories(work());
        env = {{"SDL_VIDEODRIVER", "dummy"},
               {"SDL_AUDIODRIVER", "dummy"},
               {"HOME", home().string()},
               {"XDG_DATA_HOME", (dir / "data").string()},
               {"PATH", "/usr/bin:/bin"}};
    }

    // Writes the fixture ROM set as a folder of its 20 members.
    fs::path write_rom_folder(const fs::path& folder) {
        fs::create_directories(folder);
        const auto& set = romset_fixture::standard_set();
        for (size_t i = 0; i < rom_member_count; ++i)
            romset_fixture::write_file(folder / game_rom_members[i].name, set[i]);
        return folder;
    }

    Outcome run(const std::vector<std::string>& args, const RunOptions& options = {}) {
        const fs::path err_path = dir / "stderr.txt";
        const fs::path out_path = dir / "stdout.txt";
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(work().c_str()) != 0) _exit(120);
            if (options.in_child) options.in_child();
            if (!std::freopen(err_path.c_str(), "w", stderr) || !std::freopen(out_path.c_str(), "w", stdout))
                _exit(121);
            std::vector<std::string> env_text;
            for (const auto& [k, v] : env) env_text.push_back(k + "=" + v);
            std::vector<char*> envp, argv{const_cast<char*>(IRONBELL_GUEST_EXE)};
            for (auto& e : env_text) envp.push_back(e.data());
            envp.push_back(nullptr);
            std::vector<std::string> copies(args);
            for (auto& a : copies) argv.push_back(a.data());
            argv.push_back(nullptr);
            execve(IRONBELL_GUEST_EXE, argv.data(), envp.data());
            _exit(122);
        }
        int status = 0;
        const auto give_up = std::chrono::steady_clock::now() + options.limit;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > give_up) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            if (options.meanwhile) options.meanwhile(pid);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Outcome o;
        o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        o.err = read_text(err_path);
        o.out = read_text(out_path);
        return o;
    }

    static std::string read_text(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(WholeProgram, NoRomSetFailsWithoutTouchingThePreferences) {
    Outcome o = run({"--frames", "5"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("The ROM set is missing or incomplete.\nPut your own Kestrel irnbell.zip "
                         "beside the executable (or in rom/), or set IRONBELL_ROM.\n"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(fs::exists(prefs() / "irnbell.ini"));
    EXPECT_FALSE(fs::exists(prefs() / "irnbell.eeprom"));
}

TEST_F(WholeProgram, ARefusedRomSetNamesTheFileAndTheReason) {
    const std::string head =
        "The ROM set is missing or incomplete.\nPut your own Kestrel irnbell.zip beside the "
        "executable (or in rom/), or set IRONBELL_ROM.\n";
    // Nothing found anywhere: the third line says where it was looked for.
    Outcome o = run({});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(head + "no irnbell.zip beside the executable ("), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("), in " + prefs().string() + "/ or in rom/ of the working folder\n"),
              std::string::npos)
        << o.err;

    const fs::path set = write_rom_folder(dir / "set");
    fs::resize_file(set / "part07.rom", 524287);
    env["IRONBELL_ROM"] = set.string();
    o = run({});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(head + "IRONBELL_ROM=" + set.string() +
                         ": part07.rom is 524,287 bytes, 524,288 expected\n"),
              std::string::npos)
        << o.err;

    // A FIFO named as the set is refused at once instead of holding the start.
    ASSERT_TRUE(bad_files::make_fifo(dir / "fifo.zip"));
    env["IRONBELL_ROM"] = (dir / "fifo.zip").string();
    o = run({});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(head + "IRONBELL_ROM=" + (dir / "fifo.zip").string() +
                         ": it is neither a file nor a folder\n"),
              std::string::npos)
        << o.err;
}

// Malformed values and unknown arguments stop the program before SDL starts,
// with one line of usage.
TEST_F(WholeProgram, MalformedArgumentsAreRefusedWithTheUsage) {
    env["SDL_VIDEODRIVER"] = "no-such-driver";  // SDL would fail to start with another message
    struct argument_case {
        std::vector<std::string> args;
        std::string what;
    };
    const argument_case cases[] = {
        {{"--frames", "-1"}, "--frames takes a whole number of frames, not '-1'"},
        {{"--frames", "abc"}, "--frames takes a whole number of frames, not 'abc'"},
        {{"--frames", "1e3"}, "--frames takes a whole number of frames, not '1e3'"},
        {{"--frames", "+5"}, "--frames takes a whole number of frames, not '+5'"},
        {{"--frames", ""}, "--frames takes a whole number of frames, not ''"},
        {{"--frames", "18446744073709551616"},
         "--frames takes a whole number of frames, not '18446744073709551616'"},
        {{"--frames"}, "--frames needs a number of frames"},
        {{"--script"}, "--script needs a file name"},
        {{"--frames", "5", "extra"}, "unknown argument 'extra'"},
        {{"-frames", "5"}, "unknown argument '-frames'"},
        {{"--frames", "5", "--frames", "7"}, "--frames is given twice"},
        {{"--frames", "0", "--frames", "0"}, "--frames is given twice"},
        {{"--script", "A", "--frames", "1", "--script", "B"}, "--script is given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome o = run(c.args);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "ironbell: " + c.what + "; usage: ironbell [--script FILE] [--frames N]\n");
    }
}

TEST_F(WholeProgram, HelpPrintsTheUsageAndEndsWell) {
    env["SDL_VIDEODRIVER"] = "no-such-driver";  // SDL would fail to start with another message
    for (const char* help : {"--help", "-h"}) {
        SCOPED_TRACE(help);
        Outcome o = run({help});
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.out, "usage: ironbell [--script FILE] [--frames N]\n");
        EXPECT_EQ(o.err, "");
    }
    // As the value of an option it is that value.
    Outcome o = run({"--frames", "--help"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "ironbell: --frames takes a whole number of frames, not '--help'; usage: ironbell "
              "[--script FILE] [--frames N]\n");
}

// Without a display SDL would take a video driver that shows nothing and the
// game would run unseen: start-up fails at once instead, before any file is
// written. A driver the user asks for is used as asked.
TEST_F(WholeProgram, NoDisplayFailsAtOnceAndWritesNothing) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env.erase("SDL_VIDEODRIVER");
    env.erase("DISPLAY");
    env.erase("WAYLAND_DISPLAY");
    RunOptions quick;
    quick.limit = std::chrono::seconds(30);
    Outcome o = run({}, quick);
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_NE(o.err.find("No display was found.\nIronbell shows its picture in a window: start it in a "
                         "desktop session, or set DISPLAY to the display to use.\n"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(fs::exists(prefs() / "irnbell.ini"));
    EXPECT_FALSE(fs::exists(prefs() / "irnbell.eeprom"));

    env["SDL_VIDEODRIVER"] = "offscreen";
    o = run({"--frames", "3"}, quick);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::exists(prefs() / "irnbell.ini"));
}

// An empty IRONBELL_SOUND_RAW is no dump, as an empty IRONBELL_ROM is no set.
TEST_F(WholeProgram, AnEmptySoundDumpVariableIsUnset) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env["IRONBELL_SOUND_RAW"] = "";
    Outcome o = run({"--frames", "3"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err.find("IRONBELL_SOUND_RAW"), std::string::npos) << o.err;
    EXPECT_TRUE(fs::is_empty(work()));
}

// Whatever sits where the settings file or the EEPROM file belongs, the game
// runs, says what it did not use, and leaves it as it is.
TEST_F(WholeProgram, BadPreferenceFilesAreNamedAndLeftAsTheyAre) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    fs::create_directories(prefs());
    const fs::path ini = prefs() / "irnbell.ini";
    const fs::path eeprom = prefs() / "irnbell.eeprom";
    ASSERT_TRUE(bad_files::make_fifo(ini));
    ASSERT_TRUE(bad_files::make_sparse(eeprom, 2ull << 30));
    Outcome o = run({"--frames", "3"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find(ini.string() + ": cannot be read\nit is not a regular file"), std::string::npos)
        << o.err;
    EXPECT_NE(
        o.err.find(eeprom.string() + ": not used (it is larger than 128 bytes); the EEPROM starts blank\n"),
        std::string::npos)
        << o.err;
    EXPECT_EQ(fs::status(ini).type(), fs::file_type::fifo);
    EXPECT_EQ(fs::file_size(eeprom), 2ull << 30);

    fs::remove(ini);
    fs::create_directory(ini);
    fs::remove(eeprom);
    fs::create_directory(eeprom);
    o = run({"--frames", "3"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find(ini.string() + ": cannot be read\nit is a folder, not a file"), std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find(eeprom.string() + ": not used (it is a folder, not a file)"), std::string::npos)
        << o.err;
    EXPECT_TRUE(fs::is_directory(ini));
    EXPECT_TRUE(fs::is_directory(eeprom));
}

TEST_F(WholeProgram, AnEmptyRomVariableRunsTheNormalSearch) {
    write_rom_folder(work() / "rom" / "irnbell.zip");  // a folder by the archive's name
    env["IRONBELL_ROM"] = "";
    Outcome o = run({"--frames", "3"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::exists(prefs() / "irnbell.ini")) << "settings are written at the first start";
}

TEST_F(WholeProgram, ABadScriptFailsBeforeSdlStarts) {
    env["SDL_VIDEODRIVER"] = "no-such-driver";  // SDL would fail to start with another message
    Outcome o = run({"--script", (dir / "missing.txt").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("The control script cannot be read.\n"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("missing.txt: cannot be read"), std::string::npos) << o.err;
}

TEST_F(WholeProgram, RunsFramesDumpsSoundAndTraces) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env["IRONBELL_SOUND_RAW"] = (dir / "sound.raw").string();
    env["IRONBELL_SOUND_TRACE"] = "1";
    Outcome o = run({"--frames", "120"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(fs::file_size(dir / "sound.raw"), 120u * 3200);
    EXPECT_NE(o.err.find("sound: frame 60, "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("sound: frame 120, "), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("sound: frame 30, "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(" samples at 55930 Hz, peak "), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(prefs() / "irnbell.eeprom")) << "no EEPROM change, no file";
}

// The EEPROM protocol driven bit by bit through I/O port D, as script pokes.
struct EepromScript {
    std::ostringstream text;
    int frame = 1;
    void poke(int value) { text << frame << " poke C00006 " << std::hex << value << std::dec << "\n"; }
    void line_state(int cs, int clk, int di) { poke((di << 7) | (clk << 6) | (cs << 5)); }
    void clock_bit(int bit) {
        line_state(1, 0, bit);
        line_state(1, 1, bit);
    }
    void command(uint32_t bits, int count) {
        line_state(0, 0, 0);
        line_state(1, 0, 0);
        clock_bit(1);  // start bit
        for (int i = count - 1; i >= 0; --i) clock_bit((bits >> i) & 1);
        line_state(0, 0, 0);
        ++frame;
    }
    // Port D made an output, writes enabled (EWEN), then WRITE of one word.
    void write_word(int word, int value) {
        text << "1 poke C0001E 08\n";
        command(0x30, 8);
        command(uint32_t((0x40 | word) << 16 | value), 24);
    }
    void save(const fs::path& path) const { std::ofstream(path) << text.str(); }
};

TEST_F(WholeProgram, AScriptThatWritesTheEepromLeavesTheFile) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    EepromScript s;
    s.write_word(5, 0x1234);
    s.save(dir / "eeprom.script");
    Outcome o = run({"--script", (dir / "eeprom.script").string(), "--frames", "20"});
    ASSERT_EQ(o.status, 0) << o.err;
    const fs::path file = prefs() / "irnbell.eeprom";
    ASSERT_TRUE(fs::exists(file)) << o.err;
    ASSERT_EQ(fs::file_size(file), 128u);
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(uint8_t(bytes[10]), 0x34);
    EXPECT_EQ(uint8_t(bytes[11]), 0x12);
    EXPECT_EQ(uint8_t(bytes[0]), 0xFF);

    // A second run without changes reads the file and leaves it as it is.
    const auto written = fs::last_write_time(file);
    Outcome again = run({"--frames", "20"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(fs::last_write_time(file), written);
}

// A save that fails is reported at each save point and the run goes on; a
// FIFO in the file's place is replaced by the saved bytes.
TEST_F(WholeProgram, AnEepromSaveThatFailsIsReported) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    EepromScript s;
    s.write_word(5, 0x1234);
    s.save(dir / "eeprom.script");
    const fs::path eeprom = prefs() / "irnbell.eeprom";
    fs::create_directories(eeprom);
    Outcome o = run({"--script", (dir / "eeprom.script").string(), "--frames", "20"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(
        o.err.find(eeprom.string() + ": the EEPROM cannot be saved (it is a folder, not a file); it is tried "
                                     "again later\n"),
        std::string::npos)
        << o.err;
    EXPECT_TRUE(fs::is_directory(eeprom));

    fs::remove(eeprom);
    ASSERT_TRUE(bad_files::make_fifo(eeprom));
    o = run({"--script", (dir / "eeprom.script").string(), "--frames", "20"});
    EXPECT_EQ(o.status, 0) << o.err;
    ASSERT_TRUE(fs::is_regular_file(eeprom));
    EXPECT_EQ(fs::file_size(eeprom), 128u);
}

// Without a preferences folder nothing is written anywhere, and it is said once.
TEST_F(WholeProgram, NoPreferencesFolderKeepsNothingAndSaysSo) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env.erase("HOME");
    env.erase("XDG_DATA_HOME");
    EepromScript s;
    s.write_word(5, 0x1234);
    s.save(dir / "eeprom.script");
    Outcome o = run({"--script", (dir / "eeprom.script").string(), "--frames", "20"});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string said = "The preferences folder cannot be had (";
    ASSERT_NE(o.err.find(said), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find(said, o.err.find(said) + 1), std::string::npos) << "said once";
    EXPECT_TRUE(fs::is_empty(work())) << "nothing lands in the working folder";
}

TEST_F(WholeProgram, ASoundDumpThatCannotBeCreatedIsReported) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env["IRONBELL_SOUND_RAW"] = (dir / "no" / "sound.raw").string();
    Outcome o = run({"--frames", "3"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("IRONBELL_SOUND_RAW=" + (dir / "no" / "sound.raw").string() +
                         ": cannot be created (No such file or directory); no sound dump\n"),
              std::string::npos)
        << o.err;
}

// After an EEPROM write, the guest's vblank vector (in work RAM) is pointed
// where no routine starts, or at a routine that never returns (the host's
// watchdog ends that frame after five processor seconds): either way the run
// ends with status 3 and its line, and the EEPROM is saved first.
TEST_F(WholeProgram, AFatalGuestErrorOrAHungFrameStillSavesTheEeprom) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    const struct {
        const char* vector_low;
        const char* vector_high;
        const char* line;
    } cases[] = {
        {"02", "15", "No translated code starts at 001502"},
        {"00", "18", "has not ended after 5 s: the guest loops in the routine at 001800"},
    };
    for (const auto& c : cases) {
        fs::remove_all(prefs());
        EepromScript s;
        s.write_word(9, 0xBEEF);
        s.text << s.frame << " poke 20F100 " << c.vector_low << "\n"
               << s.frame << " poke 20F101 " << c.vector_high << "\n";
        std::ofstream(dir / "fatal.script") << s.text.str();
        Outcome o = run({"--script", (dir / "fatal.script").string(), "--frames", "500"});
        EXPECT_EQ(o.status, 3) << c.line;
        EXPECT_NE(o.err.find(c.line), std::string::npos) << o.err;
        const fs::path file = prefs() / "irnbell.eeprom";
        ASSERT_TRUE(fs::exists(file)) << c.line;
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_EQ(bytes.size(), 128u);
        EXPECT_EQ(uint8_t(bytes[18]), 0xEF);
        EXPECT_EQ(uint8_t(bytes[19]), 0xBE);
    }
}

TEST_F(WholeProgram, NoAudioBackEndRunsSilently) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env["SDL_AUDIODRIVER"] = "no-such-driver";
    env["IRONBELL_SOUND_RAW"] = (dir / "sound.raw").string();
    Outcome o = run({"--frames", "10"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(fs::file_size(dir / "sound.raw"), 10u * 3200) << "the dump works without a device";
}

// A relative XDG_DATA_HOME is not a place: the preferences go under HOME,
// as when it is not set, and nothing lands in the working folder.
TEST_F(WholeProgram, ARelativeDataHomeFallsBackToHome) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    for (const char* relative : {"data", "", "./data"}) {
        SCOPED_TRACE(relative);
        env["XDG_DATA_HOME"] = relative;
        fs::remove_all(home());
        fs::create_directories(home());
        Outcome o = run({"--frames", "3"});
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_TRUE(fs::exists(home() / ".local" / "share" / "IronBell" / "irnbell.ini")) << o.err;
        EXPECT_TRUE(fs::is_empty(work())) << "nothing lands in the working folder";
    }
}

// Closing the terminal (SIGHUP) ends the run as SIGTERM and SIGINT do: the
// frame ends, the changed EEPROM is saved, the exit status is 0.
TEST_F(WholeProgram, AHangUpSavesTheEepromAsATermDoes) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    const fs::path dump = dir / "sound.raw";
    env["IRONBELL_SOUND_RAW"] = dump.string();
    EepromScript s;
    s.write_word(5, 0x1234);
    s.save(dir / "eeprom.script");
    for (int signal : {SIGHUP, SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        fs::remove_all(prefs());
        fs::remove(dump);
        bool sent = false;
        RunOptions watch;
        watch.limit = std::chrono::seconds(60);
        // As a terminal's program gets them, whatever the test runner ignores.
        watch.in_child = [] {
            for (int s : {SIGHUP, SIGTERM, SIGINT}) std::signal(s, SIG_DFL);
        };
        watch.meanwhile = [&](pid_t pid) {
            // 30 frames of sound: the script's EEPROM write is long done.
            std::error_code error;
            if (!sent && fs::file_size(dump, error) >= 30 * 3200 && !error) {
                kill(pid, signal);
                sent = true;
            }
        };
        Outcome o = run({"--script", (dir / "eeprom.script").string()}, watch);
        EXPECT_TRUE(sent);
        EXPECT_EQ(o.status, 0) << o.err;
        const fs::path file = prefs() / "irnbell.eeprom";
        ASSERT_TRUE(fs::exists(file)) << o.err;
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_EQ(bytes.size(), 128u);
        EXPECT_EQ(uint8_t(bytes[10]), 0x34);
        EXPECT_EQ(uint8_t(bytes[11]), 0x12);
    }
}

// A dump that cannot be written is named once with the reason; the dump
// stops and the game runs its frames to the end.
TEST_F(WholeProgram, ASoundDumpThatCannotBeWrittenIsReportedOnce) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    env["IRONBELL_SOUND_RAW"] = "/dev/full";
    Outcome o = run({"--frames", "120"});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string line =
        "IRONBELL_SOUND_RAW=/dev/full: cannot be written (No space left on device); the sound "
        "dump ends after 0 bytes\n";
    EXPECT_EQ(count_of(o.err, line), 1u) << o.err;

    // A file that may grow to 10,000 bytes (a disk that fills up): the dump
    // holds every byte that fitted, and the frames go on.
    const fs::path dump = dir / "sound.raw";
    env["IRONBELL_SOUND_RAW"] = dump.string();
    RunOptions limited;
    limited.in_child = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10000, 10000};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    env["IRONBELL_SOUND_TRACE"] = "1";
    o = run({"--frames", "120"}, limited);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(fs::file_size(dump), 10000u);
    EXPECT_EQ(count_of(o.err, "IRONBELL_SOUND_RAW=" + dump.string() +
                                  ": cannot be written (File too large); the sound dump ends "
                                  "after 10000 bytes\n"),
              1u)
        << o.err;
    EXPECT_NE(o.err.find("sound: frame 120, "), std::string::npos) << o.err;
}

// A FIFO as the dump: without a reader the game starts at once without the
// dump; with one it gets the whole sound; a reader that goes away is a
// failed write, not the end of the game.
TEST_F(WholeProgram, ASoundDumpIntoAFifo) {
    env["IRONBELL_ROM"] = write_rom_folder(dir / "set").string();
    const fs::path fifo = dir / "sound.fifo";
    ASSERT_TRUE(bad_files::make_fifo(fifo));
    env["IRONBELL_SOUND_RAW"] = fifo.string();
    RunOptions quick;
    quick.limit = std::chrono::seconds(30);
    Outcome o = run({"--frames", "10"}, quick);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(count_of(o.err, "IRONBELL_SOUND_RAW=" + fifo.string() +
                                  ": no program reads this FIFO; no sound dump\n"),
              1u)
        << o.err;

    for (const bool reader_leaves : {false, true}) {
        SCOPED_TRACE(reader_leaves ? "the reader goes away" : "the reader stays");
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        bool open = true;
        size_t got = 0;
        auto drain = [&] {
            char buffer[65536];
            ssize_t n;
            while (open && (n = ::read(reader, buffer, sizeof buffer)) > 0) got += size_t(n);
            if (open && reader_leaves && got >= 10 * 3200) {
                ::close(reader);
                open = false;
            }
        };
        RunOptions watch;
        watch.limit = std::chrono::seconds(60);
        watch.meanwhile = [&](pid_t) { drain(); };
        o = run({"--frames", "120"}, watch);
        drain();
        if (open) ::close(reader);
        EXPECT_EQ(o.status, 0) << o.err;
        if (reader_leaves) {
            EXPECT_EQ(count_of(o.err, "IRONBELL_SOUND_RAW=" + fifo.string() +
                                          ": cannot be written (Broken pipe); the sound dump "
                                          "ends after "),
                      1u)
                << o.err;
        } else {
            EXPECT_EQ(got, 120u * 3200);
            EXPECT_EQ(o.err.find("IRONBELL_SOUND_RAW"), std::string::npos) << o.err;
        }
    }
}

}  // namespace
