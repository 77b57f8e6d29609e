#include "host/script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "board/machine.h"
#include "temp_folder.h"
#include "tests/support/bad_files.h"

namespace {

std::vector<uint8_t> program_rom(0x200000, 0);

struct script_deleter {
    void operator()(script_record* script) const { orb_script_free(script); }
};
using script_ptr = std::unique_ptr<script_record, script_deleter>;

class ControlScript : public TempFolder {
protected:
    std::string path;
    char problem[256] = {};

    void SetUp() override {
        TempFolder::SetUp();
        path = file("run.script");
        orb_init(program_rom.data());
    }

    script_ptr load(const std::string& text) {
        write(path, text);
        problem[0] = '\0';
        return script_ptr(orb_script_load(path.c_str(), problem, sizeof problem));
    }
    // Loads text and expects it to fail with "path:line: message".
    void expect_fault(const std::string& text, int line, const std::string& message) {
        SCOPED_TRACE(text);
        script_ptr script = load(text);
        EXPECT_EQ(script, nullptr);
        EXPECT_EQ(std::string(problem), path + ":" + std::to_string(line) + ": " + message);
    }

    static uint8_t input(int index) { return orb_board.io.io_inputs[index]; }
    // Applies frames first to last, one call per frame.
    static void run(script_record* script, uint64_t first, uint64_t last) {
        for (uint64_t frame = first; frame <= last; ++frame) orb_script_apply(script, frame);
    }
};

struct fault_case {
    const char* line;
    const char* message;
};

TEST_F(ControlScript, LoadFaultsNameTheLineAndWhatIsWrong) {
    const std::string roll = "expected 'roll PLAYER DX DY' with PLAYER 1-4 and DX, DY in -2048..2048";
    const std::string dip = "expected 'dip SWITCH on|off' with SWITCH 1-4";
    const std::string poke = "expected 'poke ADDRESS VALUE' in hexadecimal, a 24-bit address and a byte";
    const fault_case cases[] = {
        {"5", "expected 'FRAME ACTION [ARGUMENTS]'"},
        {"1 press start1 4 5", "expected 'press INPUT [FRAMES]'"},
        {"1 2 3 4 5 6", "expected 'FRAME ACTION [ARGUMENTS]'"},
        {"x press start1", "bad frame 'x'"},
        {"-1 press start1", "bad frame '-1'"},
        {"18446744073709551616 end", "bad frame '18446744073709551616'"},
        {"+x end", "bad relative frame '+x'"},
        {"+ end", "bad relative frame '+'"},
        {"+-1 end", "bad relative frame '+-1'"},
        {"++1 end", "bad relative frame '++1'"},
        {"5 jump", "unknown action 'jump'"},
        {"5 Press start1", "unknown action 'Press'"},
        {"5 press fire", "unknown input 'fire'"},
        {"5 press Start1", "unknown input 'Start1'"},
        {"5 hold button5", "unknown input 'button5'"},
        {"5 press", "expected 'press INPUT [FRAMES]'"},
        {"5 hold", "expected 'hold INPUT'"},
        {"5 release start1 4", "expected 'release INPUT'"},
        {"5 press start1 0", "bad frame count '0'"},
        {"5 press start1 100001", "bad frame count '100001'"},
        {"5 press start1 +4", "bad frame count '+4'"},
        {"5 press start1 4x", "bad frame count '4x'"},
        {"5 roll 1 1", roll.c_str()},
        {"5 roll 0 1 1", roll.c_str()},
        {"5 roll 5 1 1", roll.c_str()},
        {"5 roll +1 1 1", roll.c_str()},
        {"5 roll 1 2049 0", roll.c_str()},
        {"5 roll 1 0 -2049", roll.c_str()},
        {"5 roll 1 - 0", roll.c_str()},
        {"5 roll 1 1.5 0", roll.c_str()},
        {"5 dip 1", dip.c_str()},
        {"5 dip 0 on", dip.c_str()},
        {"5 dip 5 off", dip.c_str()},
        {"5 dip 1 ON", dip.c_str()},
        {"5 dip 1 yes", dip.c_str()},
        {"5 poke 200000", poke.c_str()},
        {"5 poke 1000000 1", poke.c_str()},
        {"5 poke 200000 100", poke.c_str()},
        {"5 poke -1 1", poke.c_str()},
        {"5 poke 0x 1", poke.c_str()},
        {"5 poke 20000g 1", poke.c_str()},
        {"5 end now", "expected 'end' with no arguments"},
    };
    for (const auto& c : cases) expect_fault(std::string(c.line) + "\n", 1, c.message);
}

// What a message quotes shows every byte: control bytes and bytes of 0x80
// and above escaped, so a NUL does not cut the message short and nothing
// reaches the terminal as a command. A leading UTF-8 byte-order mark is not
// part of the first line.
TEST_F(ControlScript, MessagesShowEveryByteOfWhatTheyQuote) {
    const struct {
        std::string text;
        int line;
        const char* message;
    } cases[] = {
        {std::string("5 press coin1\0\n", 15), 1, "unknown input 'coin1\\x00'"},
        {"5 jump\x01\n", 1, "unknown action 'jump\\x01'"},
        {"5\x7F hold start1\n", 1, "bad frame '5\\x7F'"},
        {"5 press start1 4\x0B\n", 1, "bad frame count '4\\x0B'"},
        {"5 press coin1\xC3\xA9\n", 1, "unknown input 'coin1\\xC3\\xA9'"},
        {"5 jump\x80\xFF\n", 1, "unknown action 'jump\\x80\\xFF'"},
        {"\xEF\xBB\xBF"
         "10 hold start1\n5 jump\n",
         2, "unknown action 'jump'"},
        {"\xEF\xBB\xBF"
         "+x end\n",
         1, "bad relative frame '+x'"},
        {"+18446744073709551615 end\n+1 end\n", 2, "relative frame '+1' overflows the frame count"},
        {"18446744073709551614 end\n+2 end\n", 2, "relative frame '+2' overflows the frame count"},
    };
    for (const auto& c : cases) expect_fault(c.text, c.line, c.message);

    script_ptr script = load(
        "\xEF\xBB\xBF"
        "10 hold start1\n");
    ASSERT_NE(script, nullptr) << problem;
    ASSERT_EQ(script->items.size(), 1u);
    EXPECT_EQ(script->items[0].frame, 10u);
}

TEST_F(ControlScript, CommentsBlankAndLongLinesAreCountedAsTheFilesLines) {
    expect_fault("# a comment\n\n \t\r\n10 hold start1 # held\n5 jump\n", 5, "unknown action 'jump'");
    // Lines are read whole whatever their length: a long comment or a long
    // run of blanks is one line.
    expect_fault("1 hold start1 #" + std::string(5000, 'c') + " 2 jump\n3 jump\n", 2,
                 "unknown action 'jump'");
    expect_fault(std::string(300, ' ') + "\n3 jump\n", 2, "unknown action 'jump'");
    expect_fault("1 hold start1" + std::string(242, ' ') + "2 jump\n", 1, "expected 'hold INPUT'");
    script_ptr script = load("1 hold start1 # " + std::string(300, '#') + "\n2 release start1\n");
    ASSERT_NE(script, nullptr) << problem;
    ASSERT_EQ(script->items.size(), 2u);
    EXPECT_EQ(script->items[1].line, 2);
}

// A field has at most 31 characters: a longer one is reported as too long,
// with its start quoted, not as a line of the wrong shape.
TEST_F(ControlScript, AFieldOfMoreThan31CharactersIsTooLong) {
    const std::string x(300'000, 'x');
    const std::string limit = "' is too long (at most 31 characters)";
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {"10 press " + x, "input name '" + std::string(60, 'x') + "…" + limit},
        {"10 hold " + std::string(47, 'a'), "input name '" + std::string(47, 'a') + limit},
        {"10 release \x1B" + std::string(31, 'b'), "input name '\\x1B" + std::string(31, 'b') + limit},
        {std::string(32, '1') + " end", "frame '" + std::string(32, '1') + limit},
        {"+" + std::string(31, '1') + " end", "frame '+" + std::string(31, '1') + limit},
        {"5 " + std::string(32, 'p') + " start1", "action '" + std::string(32, 'p') + limit},
        {"1 press start1 " + std::string(32, '1'), "argument '" + std::string(32, '1') + limit},
        {"1 poke 0x" + std::string(30, '0') + " 1", "argument '0x" + std::string(30, '0') + limit},
        // The line's shape and the action word are checked first.
        {"5 jump " + x, "unknown action 'jump'"},
        {"5 hold " + x + " 1", "expected 'hold INPUT'"},
        {x, "expected 'FRAME ACTION [ARGUMENTS]'"},
        // 31 characters are a field like any other.
        {"10 hold " + std::string(31, 'a'), "unknown input '" + std::string(31, 'a') + "'"},
    };
    for (const auto& c : cases) expect_fault(c.line + "\n", 1, c.message);

    script_ptr script = load(std::string(30, '0') + "5 press start1 " + std::string(30, '0') + "3\n");
    ASSERT_NE(script, nullptr) << problem;
    ASSERT_EQ(script->items.size(), 1u);
    EXPECT_EQ(script->items[0].frame, 5u);
    EXPECT_EQ(script->items[0].frames, 3);
}

// Anything but a readable regular file of at most 16 MB is refused with its
// name and the reason, at once (a FIFO does not block the start).
TEST_F(ControlScript, FilesThatAreNotScriptsAreRefusedWithTheReason) {
    EXPECT_EQ(orb_script_load(path.c_str(), problem, sizeof problem), nullptr);
    EXPECT_EQ(std::string(problem), path + ": cannot be read\nthere is no such file");
    for (const auto& c : bad_files::text_file_refusals) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        ASSERT_TRUE(c.make(path));
        EXPECT_EQ(orb_script_load(path.c_str(), problem, sizeof problem), nullptr);
        EXPECT_EQ(std::string(problem), path + ": cannot be read\n" + c.reason);
    }
    const int result = bad_files::as_ordinary_user(folder, [&] {
        std::filesystem::remove_all(path);
        write(path, "1 hold start1\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_write);
        if (orb_script_load(path.c_str(), problem, sizeof problem)) return 1;
        return std::string(problem) == path + ": cannot be read\nPermission denied" ? 0 : 2;
    });
    EXPECT_EQ(result, 0) << "mode 0200: 1 loaded, 2 another problem text";

    // A script of exactly 16 MB is read (and fails on its first line).
    std::filesystem::remove_all(path);
    write(path, "1 jump" + std::string((16u << 20) - 6, ' '));
    EXPECT_EQ(orb_script_load(path.c_str(), problem, sizeof problem), nullptr);
    EXPECT_EQ(std::string(problem), path + ":1: unknown action 'jump'");
}

TEST_F(ControlScript, ShortProblemBuffer) {
    write(path, "5 jump\n");
    char small[8];
    EXPECT_EQ(orb_script_load(path.c_str(), small, sizeof small), nullptr);
    EXPECT_EQ(std::string(small), path.substr(0, 7));
    EXPECT_EQ(orb_script_load(path.c_str(), nullptr, 0), nullptr);
}

TEST_F(ControlScript, EventsOfOneFrameApplyInLineOrder) {
    script_ptr script = load(
        "20 poke 200000 1\n10 poke 0x200001 5\n20 poke 200000 2\n"
        "20 hold start1\n0 hold start1\n20 release start1\n");
    ASSERT_NE(script, nullptr) << problem;
    ASSERT_EQ(script->items.size(), 6u);
    for (size_t i = 1; i < script->items.size(); ++i)
        EXPECT_TRUE(compare_events(script->items[i - 1], script->items[i]));

    run(script.get(), 0, 19);
    EXPECT_EQ(orb_board.work_ram[1], 5);
    EXPECT_EQ(orb_board.work_ram[0], 0);
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xEF);
    run(script.get(), 20, 20);
    EXPECT_EQ(orb_board.work_ram[0], 2);
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xFF);
}

TEST_F(ControlScript, PressCountsFromTheCallThatAppliesIt) {
    script_ptr script = load("5 press start1 3\n100 press coin2 1\n");
    ASSERT_NE(script, nullptr) << problem;
    run(script.get(), 8, 8);  // due at 5, applied at 8
    for (uint64_t frame = 9; frame <= 10; ++frame) {
        EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xEF) << frame;
        orb_script_apply(script.get(), frame);
    }
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xEF);
    orb_script_apply(script.get(), 11);
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xFF);

    orb_script_apply(script.get(), 100);
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xF7);  // held during frame 100 only
    orb_script_apply(script.get(), 101);
    EXPECT_EQ(input(ORB_INPUT_SYSTEM), 0xFF);
}

TEST_F(ControlScript, AutoReleaseComesBeforeTheFramesEvents) {
    // A hold ended by a press ends released; a press due in the frame of the
    // previous press's release holds the input again.
    script_ptr script = load("0 hold up3\n2 press up3 2\n4 press button2 2\n6 press button2\n");
    ASSERT_NE(script, nullptr) << problem;
    run(script.get(), 0, 3);
    EXPECT_EQ(input(ORB_INPUT_P3), 0xDF);
    run(script.get(), 4, 4);
    EXPECT_EQ(input(ORB_INPUT_P3), 0xFF);
    EXPECT_EQ(input(ORB_INPUT_P2), 0xFE);  // button2 is player 2's button 1
    run(script.get(), 6, 6);
    EXPECT_EQ(input(ORB_INPUT_P2), 0xFE);
    run(script.get(), 7, 9);
    EXPECT_EQ(input(ORB_INPUT_P2), 0xFE);
    run(script.get(), 10, 10);
    EXPECT_EQ(input(ORB_INPUT_P2), 0xFF);
}

TEST_F(ControlScript, EveryInputNameReachesItsBit) {
    struct name_case {
        const char* name;
        int byte;
        uint8_t mask;
    };
    const name_case cases[] = {
        {"button1", ORB_INPUT_P1, 0x01},     {"button4", ORB_INPUT_P4, 0x01},
        {"up1", ORB_INPUT_P1, 0x20},         {"down2", ORB_INPUT_P2, 0x10},
        {"left3", ORB_INPUT_P3, 0x80},       {"right4", ORB_INPUT_P4, 0x40},
        {"service", ORB_INPUT_SYSTEM, 0x01}, {"test", ORB_INPUT_SYSTEM, 0x02},
        {"coin1", ORB_INPUT_SYSTEM, 0x04},   {"start2", ORB_INPUT_SYSTEM, 0x20},
        {"start3", ORB_INPUT_START34, 0x01}, {"start4", ORB_INPUT_START34, 0x02},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_init(program_rom.data());
        script_ptr script = load(std::string("0 hold ") + c.name + "\n");
        ASSERT_NE(script, nullptr) << problem;
        orb_script_apply(script.get(), 0);
        for (int byte = 0; byte < 8; ++byte)
            EXPECT_EQ(input(byte), byte == c.byte ? 0xFF & ~c.mask : 0xFF) << byte;
    }
}

TEST_F(ControlScript, RollMovesTheCountersEveryFrameUntilTheNextRoll) {
    script_ptr script = load("0 roll 2 5 -5\n0 roll 4 +2048 -2048\n3 roll 2 0 0\n");
    ASSERT_NE(script, nullptr) << problem;
    run(script.get(), 0, 2);
    EXPECT_EQ(orb_board.io.counter_x[1], 15);
    EXPECT_EQ(orb_board.io.counter_y[1], 0x10000 - 15);  // wraps at 16 bits
    EXPECT_EQ(orb_board.io.counter_x[0], 0);
    run(script.get(), 3, 40);
    EXPECT_EQ(orb_board.io.counter_x[1], 15);
    EXPECT_EQ(orb_board.io.counter_x[3], (41 * 2048) & 0xFFFF);
    EXPECT_EQ(orb_board.io.counter_y[3], (0x10000 - (41 * 2048) % 0x10000) & 0xFFFF);
}

TEST_F(ControlScript, DipOnClearsTheSwitchBitAndOffSetsIt) {
    script_ptr script = load("0 dip 1 on\n0 dip 4 on\n1 dip 1 off\n");
    ASSERT_NE(script, nullptr) << problem;
    orb_script_apply(script.get(), 0);
    EXPECT_EQ(input(ORB_INPUT_DIP), 0xF6);
    orb_script_apply(script.get(), 1);
    EXPECT_EQ(input(ORB_INPUT_DIP), 0xF7);
}

TEST_F(ControlScript, PokeIsAGuestWrite) {
    script_ptr script = load("0 poke 20FFFF ab\n0 poke 0x000010 12\n0 poke 700001 7F\n");
    ASSERT_NE(script, nullptr) << problem;
    orb_script_apply(script.get(), 0);
    EXPECT_EQ(orb_board.work_ram[0xFFFF], 0xAB);
    EXPECT_EQ(orb_board.shared_ram[1], 0x7F);
    EXPECT_EQ(program_rom[0x10], 0);  // ROM ignores writes
}

TEST_F(ControlScript, RelativeFramesChainThroughEveryLine) {
    script_ptr script = load(
        "+10 hold start1\r\n+5 end\r\n+5 release start1\r\n# note\n"
        "+0 hold coin1\n900 end\n+1 end");
    ASSERT_NE(script, nullptr) << problem;
    ASSERT_EQ(script->items.size(), 3u);
    EXPECT_EQ(script->items[0].frame, 10u);
    EXPECT_EQ(script->items[1].frame, 20u);
    EXPECT_EQ(script->items[2].frame, 20u);
    EXPECT_EQ(script->items[2].line, 5);
    EXPECT_EQ(orb_script_frames(script.get()), 16u);  // the smallest end + 1
}

TEST_F(ControlScript, ScriptWithoutEventsLeavesEveryInputReleased) {
    for (const char* text : {"# nothing to do\n\n", ""}) {  // an empty file is such a script too
        SCOPED_TRACE(text);
        script_ptr script = load(text);
        ASSERT_NE(script, nullptr) << problem;
        EXPECT_TRUE(script->items.empty());
        EXPECT_EQ(orb_script_frames(script.get()), 0u);
        run(script.get(), 0, 100);
        for (int byte = 0; byte < 8; ++byte) EXPECT_EQ(input(byte), 0xFF);
    }

    orb_script_apply(nullptr, 5);
    orb_script_free(nullptr);
    EXPECT_EQ(orb_script_frames(nullptr), 0u);
}

}  // namespace
