// The serial EEPROM, driven bit by bit through port D and read through port F
// bit 7, the way the guest does it.
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "tests/board/link_fixture.h"

namespace {

using Bits = std::vector<int>;

class EepromProtocol : public BoardLinkTest {
protected:
    void SetUp() override {
        BoardLinkTest::SetUp();
        orb_board.eeprom_instant = 1;
        io_write(0x1E, 0xC8);  // ports D, G and H outputs, as the game sets them
    }

    // Port D: bit 7 DI, bit 6 CLK, bit 5 CS.
    static void lines(int cs, int clk, int di) {
        io_write(0x06, static_cast<uint8_t>(di << 7 | clk << 6 | cs << 5));
    }
    static int data_out() { return io_read(0x0A) >> 7; }
    static void select() { lines(1, 0, 0); }
    static void deselect() { lines(0, 0, 0); }
    static void clock(int di) {
        lines(1, 0, di);
        lines(1, 1, di);
    }
    static void send(uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) clock((bits >> i) & 1);
    }
    // Start bit, then opcode and address, most significant bit first.
    static void command(uint32_t opcode, uint32_t address) {
        clock(1);
        send(opcode << 6 | address, 8);
    }
    static void run(uint32_t opcode, uint32_t address) {
        select();
        command(opcode, address);
        deselect();
    }
    static void ewen() { run(0, 0x30); }
    static void ewds() { run(0, 0x00); }
    static void eral() { run(0, 0x20); }
    static void erase(uint32_t address) { run(3, address); }
    static void write_word(uint32_t address, uint16_t value) {
        select();
        command(1, address);
        send(value, 16);
        deselect();
    }
    static void wral(uint16_t value) {
        select();
        command(0, 0x10);
        send(value, 16);
        deselect();
    }
    // Sends a READ to an EEPROM that is already selected; returns the output
    // right after the command and after each of `clocks` clocks.
    static Bits read_selected(uint32_t address, int clocks) {
        command(2, address);
        Bits bits{data_out()};
        for (int i = 0; i < clocks; ++i) {
            clock(0);
            bits.push_back(data_out());
        }
        deselect();
        return bits;
    }
    static Bits read_bits(uint32_t address, int clocks) {
        select();
        return read_selected(address, clocks);
    }
    // The 16 data bits that follow the leading 0.
    static uint16_t word_of(const Bits& bits) {
        uint16_t value = 0;
        for (int i = 1; i <= 16; ++i) value = static_cast<uint16_t>(value << 1 | bits[i]);
        return value;
    }
    static uint16_t read_word(uint32_t address) { return word_of(read_bits(address, 16)); }
    static void fill_pattern() {
        for (int i = 0; i < 64; ++i) orb_board.eeprom[i] = static_cast<uint16_t>(i * 0x0101 ^ 0x5A3C);
    }
};

TEST_F(EepromProtocol, WriteStoresTheWordAndReadShiftsItOut) {
    ewen();
    write_word(5, 0x1234);
    EXPECT_EQ(orb_board.eeprom[5], 0x1234);
    EXPECT_EQ(orb_board.eeprom[4], 0xFFFF);
    EXPECT_EQ(orb_board.eeprom[6], 0xFFFF);
    EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 1);

    orb_board.eeprom_state.eeprom_dirty = 0;
    // A leading 0, the 16 bits from the top, then 1s: the address does not advance.
    EXPECT_EQ(read_bits(5, 20), (Bits{0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 0);
    EXPECT_EQ(read_word(0), 0xFFFF);
}

TEST_F(EepromProtocol, ZerosBeforeTheStartBitAreSkipped) {
    orb_board.eeprom[9] = 0xBEEF;
    select();
    for (int i = 0; i < 5; ++i) clock(0);
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED);
    const Bits bits = read_selected(9, 16);
    EXPECT_EQ(bits[0], 0);
    EXPECT_EQ(word_of(bits), 0xBEEF);
}

TEST_F(EepromProtocol, StartBitThatComesWithTheCsRiseIsRefused) {
    lines(1, 1, 1);  // CS and CLK rise in one port write, DI high
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED);
    lines(1, 1, 0);  // DI changing while CLK stays high is no clock
    lines(1, 1, 1);
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED);
    lines(1, 0, 1);  // a falling edge does nothing either
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED);
    lines(1, 1, 1);  // the next rising edge is the start bit
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_COMMAND);
}

TEST_F(EepromProtocol, ProtectionRefusesEveryChangeUntilEwen) {
    ewds();
    fill_pattern();
    const std::vector<std::pair<const char*, std::function<void()>>> refused = {
        {"WRITE", [] { write_word(5, 0x1234); }},
        {"ERASE", [] { erase(5); }},
        {"WRAL", [] { wral(0x0000); }},
        {"ERAL", [] { eral(); }},
    };
    for (const auto& [name, operation] : refused) {
        operation();
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(orb_board.eeprom[i], static_cast<uint16_t>(i * 0x0101 ^ 0x5A3C))
                << name << " changed word " << i;
        EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 0) << name;
    }
    // A refused WRITE still takes its 16 data bits, then leaves the part idle.
    select();
    command(1, 5);
    send(0x1234, 16);
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_IDLE);
    deselect();

    orb_reset();  // reset only drops the lines: protection is kept
    io_write(0x1E, 0xC8);
    write_word(5, 0x1234);
    EXPECT_EQ(orb_board.eeprom[5], static_cast<uint16_t>(5 * 0x0101 ^ 0x5A3C));

    ewen();
    write_word(5, 0x1234);
    EXPECT_EQ(orb_board.eeprom[5], 0x1234);
    EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 1);
}

TEST_F(EepromProtocol, EraseAndWholeArrayOperations) {
    struct Case {
        const char* name;
        std::function<void()> operation;
        std::function<uint16_t(int index, uint16_t before)> expected;
    };
    const Case cases[] = {
        {"WRAL 00FF", [] { wral(0x00FF); }, [](int, uint16_t w) -> uint16_t { return w & 0x00FF; }},
        {"ERAL", [] { eral(); }, [](int, uint16_t) -> uint16_t { return 0xFFFF; }},
        {"ERASE 7", [] { erase(7); }, [](int i, uint16_t w) -> uint16_t { return i == 7 ? 0xFFFF : w; }},
    };
    ewen();
    for (const auto& c : cases) {
        fill_pattern();
        orb_board.eeprom_state.eeprom_dirty = 0;
        c.operation();
        for (int i = 0; i < 64; ++i) {
            const auto before = static_cast<uint16_t>(i * 0x0101 ^ 0x5A3C);
            ASSERT_EQ(orb_board.eeprom[i], c.expected(i, before)) << c.name << " word " << i;
        }
        EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 1) << c.name;
    }
}

TEST_F(EepromProtocol, CsFallingAbandonsACommandOrWrite) {
    ewen();
    orb_board.eeprom_state.eeprom_dirty = 0;
    select();
    command(1, 5);
    send(0x12, 8);  // half the data
    deselect();
    EXPECT_EQ(orb_board.eeprom[5], 0xFFFF);
    EXPECT_EQ(orb_board.eeprom_state.eeprom_dirty, 0);

    select();
    clock(1);
    send(0x3, 2);  // half a command
    deselect();
    write_word(5, 0x4321);  // the next command starts afresh
    EXPECT_EQ(orb_board.eeprom[5], 0x4321);
}

TEST_F(EepromProtocol, BusyTimesHoldTheDataLineLowAfterReselection) {
    struct Case {
        const char* name;
        std::function<void()> operation;
        uint64_t ticks;
    };
    const Case cases[] = {
        {"ERASE", [] { erase(3); }, 16'107},
        {"WRITE", [] { write_word(3, 0x0F0F); }, 28'188},
        {"WRAL", [] { wral(0x0F0F); }, 128'863},
        {"ERAL", [] { eral(); }, 128'863},
    };
    for (const auto& c : cases) {
        orb_board.eeprom_instant = 0;
        ewen();
        orb_board.now += 1'000'000;  // time never goes back
        const uint64_t start = orb_board.now;
        c.operation();
        select();
        EXPECT_EQ(data_out(), 0) << c.name << " just after";
        orb_board.now += c.ticks - 1;
        EXPECT_EQ(data_out(), 0) << c.name << " one tick early";
        clock(1);  // a start bit is refused while busy
        EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED) << c.name;
        orb_board.now += 1;
        EXPECT_EQ(data_out(), 1) << c.name << " when ready";
        deselect();
        EXPECT_EQ(read_word(3), orb_board.eeprom[3]) << c.name;  // commands are taken again
        EXPECT_EQ(orb_board.eeprom_state.ready_at, start + c.ticks) << c.name;

        // With eeprom_instant the same operation is ready at once.
        orb_board.eeprom_instant = 1;
        c.operation();
        select();
        EXPECT_EQ(data_out(), 1) << c.name << " instant";
        deselect();
    }
}

TEST_F(EepromProtocol, DataLineIsHighWhileBusyBeforeDeselection) {
    orb_board.eeprom_instant = 0;
    ewen();
    select();
    command(1, 2);
    send(0xAAAA, 16);
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_BUSY);
    EXPECT_EQ(data_out(), 1);
    clock(1);  // clocks do nothing in the busy state
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_BUSY);
    deselect();
    EXPECT_EQ(orb_board.eeprom[2], 0xAAAA);
}

// Sends standard error into a scratch file until finish() hands back the text.
class StderrCapture {
public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    std::string finish() {
        std::fflush(stderr);
        dup2(saved_, 2);
        std::rewind(file_);
        char text[1024] = {};
        const size_t length = std::fread(text, 1, sizeof text - 1, file_);
        return std::string(text, length);
    }

private:
    std::FILE* file_;
    int saved_;
};

// The trace switch is read once per process, so the traced run happens in a
// fresh child that sets ORB_LOG_EEPROM before its first command and compares
// what reached standard error.
TEST_F(EepromProtocol, TraceLinesWhenSwitchedOn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto traced_session = [] {
        setenv("ORB_LOG_EEPROM", "1", 1);
        StderrCapture capture;
        orb_board.frame_count = 600;
        ewen();
        write_word(5, 0x1234);
        ewds();
        write_word(6, 0x5678);  // refused: no write line
        read_word(5);
        const std::string text = capture.finish();
        const std::string expected =
            "eeprom command 00 0004 frame 600\n"
            "eeprom command 05 0001 frame 600\n"
            "eeprom write 05 1234 frame 600\n"
            "eeprom command 00 0003 frame 600\n"
            "eeprom command 06 0001 frame 600\n"
            "eeprom command 05 0000 frame 600\n";
        if (text != expected) {
            std::fprintf(stderr, "trace was:\n%s", text.c_str());
            std::exit(1);
        }
        std::exit(0);
    };
    EXPECT_EXIT(traced_session(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
