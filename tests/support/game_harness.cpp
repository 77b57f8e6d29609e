#include "tests/support/game_harness.h"

#include <cstring>

#include "board/machine.h"
#include "game/routines.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

GameRoutineTest* GameRoutineTest::current_ = nullptr;

void GameRoutineTest::SetUp() {
    rom_.assign(0x200000, 0);
    program_reset();
    // A clean board: no host, video or sound behind it, only the interrupt
    // line wired to the processor as the host wires it.
    orb_board.callbacks = {};
    orb_board.sound_rom = nullptr;
    orb_board.callbacks.irq_changed = program_irq_line;
    orb_init(rom_.data());
    // What a test does not plant is not zero: every work RAM byte (pools,
    // records, variables, both stacks) holds the pattern, and so does every
    // register but R25 and SP, each with its own low byte (R0 0xDEADBEC0 up
    // to R30 0xDEADBEDE). A routine that reads the wrong field or register
    // sees the pattern instead of a harmless 0.
    for (uint32_t i = 0; i < sizeof orb_board.work_ram; ++i) orb_board.work_ram[i] = kPattern[i & 3];
    for (int n = 0; n < V60_SP; ++n) cpu.reg[n] = pattern_register(n);
    // A fresh object is the allocator's template, 256 bytes of 0.
    for (uint32_t i = 0; i < 256; ++i) plant8(rom::object_template + i, 0);
    // Level 0 on the main stack, the interrupt stack ready for handlers.
    cpu.psw = 0;
    cpu.privileged[V60_ISP] = kInterruptStack;
    cpu.reg[V60_SP] = kMainStack;
    cpu.reg[25] = kWorkRamBase;
    cpu.pc = 0;
    program_frame_done = nullptr;
    fakes_.clear();
    calls_.clear();
    log_.clear();
    current_ = this;
    game_seam = stand_in;
}

void GameRoutineTest::TearDown() {
    game_seam = nullptr;
    program_frame_done = nullptr;
    current_ = nullptr;
    orb_board.callbacks.irq_changed = nullptr;
}

void GameRoutineTest::plant8(uint32_t address, uint8_t value) { rom_[address & 0x1FFFFF] = value; }

void GameRoutineTest::plant16(uint32_t address, uint16_t value) {
    plant8(address, static_cast<uint8_t>(value));
    plant8(address + 1, static_cast<uint8_t>(value >> 8));
}

void GameRoutineTest::plant32(uint32_t address, uint32_t value) {
    plant16(address, static_cast<uint16_t>(value));
    plant16(address + 2, static_cast<uint16_t>(value >> 16));
}

bool GameRoutineTest::run(v60_routine routine) {
    const uint32_t sp0 = cpu.reg[V60_SP];
    guest::push(kCanary);
    guest::push(kSentinel);
    routine();
    const uint32_t sp = cpu.reg[V60_SP];
    bool back = false;
    if (sp > sp0 - 4 || cpu.pc == kCanary)
        ADD_FAILURE() << "the routine unwound past its own frame: it popped the sentinel";
    else if (cpu.pc != kSentinel)
        ADD_FAILURE() << std::hex << "the routine returned to " << cpu.pc;
    else if (sp != sp0 - 4 || ram32(sp) != kCanary)
        ADD_FAILURE() << "the routine left the stack moved";
    else
        back = true;
    cpu.reg[V60_SP] = sp0;
    return back;
}

bool GameRoutineTest::run_handler(v60_routine handler) {
    const uint32_t sp0 = cpu.reg[V60_SP];
    const uint32_t old = v60_read_psw();
    v60_write_psw((old & 0xD4F8FFFF) | 0x90000000);
    guest::push(old);
    guest::push(kSentinel);
    handler();
    EXPECT_EQ(cpu.pc, kSentinel) << "the handler returned elsewhere";
    EXPECT_EQ(cpu.reg[V60_SP], sp0) << "the handler left the stack moved";
    EXPECT_EQ(cpu.psw & V60_PSW_IS, old & V60_PSW_IS) << "the handler stayed on the interrupt stack";
    return cpu.pc == kSentinel && cpu.reg[V60_SP] == sp0;
}

void GameRoutineTest::call_routine(v60_routine routine) {
    constexpr uint32_t kFakeReturn = 0xFEED10;
    EXPECT_TRUE(guest::call(routine, kFakeReturn, kFakeReturn))
        << "a routine called by a stand-in returned elsewhere";
}

bool GameRoutineTest::try_call(v60_routine routine) {
    constexpr uint32_t kFakeReturn = 0xFEED10;
    return guest::call(routine, kFakeReturn, kFakeReturn);
}

void GameRoutineTest::fake(uint32_t address, body_fn body) { fakes_[address & 0xFFFFFF] = std::move(body); }

void GameRoutineTest::fake_all(std::initializer_list<uint32_t> addresses) {
    for (uint32_t address : addresses) fake(address);
}

uint32_t GameRoutineTest::entry_of(v60_routine routine) {
    for (uint64_t i = 0; i < v60_code_entry_count; ++i)
        if (v60_code_entries[i].function == routine) return v60_code_entries[i].address;
    ADD_FAILURE() << "a stand-in names a routine that the table of translated routines does not hold";
    return kSentinel;
}

void GameRoutineTest::fake_all(std::initializer_list<v60_routine> routines) {
    for (v60_routine routine : routines) fake(routine);
}

int GameRoutineTest::calls(uint32_t address) const {
    auto it = calls_.find(address);
    return it == calls_.end() ? 0 : it->second;
}

bool GameRoutineTest::stand_in(uint32_t address) {
    if (!current_) return false;
    auto it = current_->fakes_.find(address);
    if (it == current_->fakes_.end()) return false;
    ++current_->calls_[address];
    current_->log_.push_back(address);
    const ended how = it->second ? it->second() : ended::by_return;
    if (how == ended::by_return) guest::ret();
    return true;
}

uint8_t GameRoutineTest::ram8(uint32_t address) { return orb_read8(address); }
uint16_t GameRoutineTest::ram16(uint32_t address) { return orb_read16(address); }
uint32_t GameRoutineTest::ram32(uint32_t address) { return orb_read32(address); }

void GameRoutineTest::init_objects() { ASSERT_TRUE(run(sub_088B7C)); }

uint32_t GameRoutineTest::spawn(uint32_t routine, v60_routine allocator) {
    call_routine(allocator);
    EXPECT_FALSE(cpu.z) << "the pool is empty";
    const uint32_t object = cpu.reg[21];
    orb_write32(object + object_record::routine, routine);
    call_routine(sub_088CA5);
    return object;
}

std::vector<uint32_t> GameRoutineTest::ring() {
    std::vector<uint32_t> objects;
    const uint16_t count = orb_read16(var::active_count);
    uint32_t object = 0x200000 | orb_read16(var::active_head);
    for (uint16_t i = 0; i < count; ++i) {
        objects.push_back(object);
        object = linked(object, object_record::next);
    }
    return objects;
}
