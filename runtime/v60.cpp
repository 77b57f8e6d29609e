// Processor state, control transfer, interrupt entry and the run API.
#include "runtime/v60.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/machine.h"
#include "runtime/tasks.h"

v60_state cpu;
void (*program_frame_done)() = nullptr;
void (*program_fatal_hook)() = nullptr;
uint32_t v60_where = 0;

namespace {

// Call trace: decided once, from the environment.
int trace_enabled = -1;
// The most recent check that found the guest elsewhere than expected.
uint32_t past_from, past_expected, past_to;

bool tracing() {
    if (trace_enabled < 0) trace_enabled = std::getenv("IRONBELL_TRACE_CALLS") != nullptr;
    return trace_enabled && cpu.frames >= 1000 && cpu.frames <= 1012;
}

uint32_t word_at_sp() { return orb_read32(cpu.reg[V60_SP] & 0xFFFFFF); }

// Guest tasks parked at an interrupt, waiting for a handler to return to them.
struct waiting_task {
    uint32_t pc;
    uint32_t sp;
    host_task_record* task;
};
constexpr uint64_t kMaxWaiting = 8;
waiting_task waiting[kMaxWaiting];
uint64_t waiting_count;

// The routine run_task is starting, until a reset entry takes it as its own.
constexpr uint32_t kNoStart = 0xFFFFFFFF;
uint32_t task_start = kNoStart;
// The task a restart left; its stack carries the next restart.
host_task_record* spare_task = nullptr;
// The task the game runs on; a later run starts afresh on its stack.
host_task_record* game_task = nullptr;

[[noreturn]] void no_task() { v60_fatal("A task could not be created\n"); }

void push(uint32_t value) {
    cpu.reg[V60_SP] -= 4;
    orb_write32(cpu.reg[V60_SP], value);
}

}  // namespace

void v60_fatal(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
    if (program_fatal_hook) program_fatal_hook();
    std::exit(3);
}

// ---- control transfer ----

const v60_code_entry* v60_lookup(uint32_t target) {
    const uint32_t t = target & 0xFFFFFF;
    uint64_t lo = 0, hi = v60_code_entry_count;
    while (lo < hi) {
        uint64_t mid = (lo + hi) / 2;
        if (v60_code_entries[mid].address < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < v60_code_entry_count && v60_code_entries[lo].address == t) return &v60_code_entries[lo];
    return nullptr;
}

void v60_call(uint32_t target) {
    const uint32_t t = target & 0xFFFFFF;
    const v60_code_entry* e = v60_lookup(t);
    if (tracing())
        std::fprintf(stderr, "call frame %llu target %06X sp %08X top %08X\n",
                     static_cast<unsigned long long>(cpu.frames), t, cpu.reg[V60_SP], word_at_sp());
    if (!e)
        v60_fatal("No translated code starts at %06X (frame %llu)\n", t,
                  static_cast<unsigned long long>(cpu.frames));
    e->function();
}

void v60_jump(uint32_t target) {
    const v60_code_entry* e = v60_lookup(target);
    if (e) {
        e->function();
        return;
    }
    if (tracing())
        std::fprintf(stderr, "jump frame %llu target %06X (no code) sp %08X top %08X\n",
                     static_cast<unsigned long long>(cpu.frames), target & 0xFFFFFF, cpu.reg[V60_SP],
                     word_at_sp());
    cpu.pc = target;  // all 32 bits: the frames unwind until one recognises it
}

int v60_returned_to(uint32_t expected, uint32_t from) {
    if (cpu.pc == expected) {
        v60_where = from;
        return 1;
    }
    if (tracing())
        std::fprintf(stderr, "return frame %llu from %06X expected %06X actual %06X sp %08X\n",
                     static_cast<unsigned long long>(cpu.frames), from & 0xFFFFFF, expected & 0xFFFFFF,
                     cpu.pc & 0xFFFFFF, cpu.reg[V60_SP]);
    past_from = from;
    past_expected = expected;
    past_to = cpu.pc;
    return 0;
}

void v60_unknown_jump(uint32_t target, uint32_t from) {
    v60_fatal("Jump from %06X to %06X has no translated target (frame %llu)\n", from & 0xFFFFFF,
              target & 0xFFFFFF, static_cast<unsigned long long>(cpu.frames));
}

uint32_t v60_routine_at(uint32_t address) {
    const uint32_t a = address & 0xFFFFFF;
    uint64_t lo = 0, hi = v60_code_entry_count;
    while (lo < hi) {
        const uint64_t mid = (lo + hi) / 2;
        if (v60_code_entries[mid].address <= a)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo ? v60_code_entries[lo - 1].address : v60_code_entries[0].address;
}

void v60_restart_task(uint32_t entry) {
    const bool first = task_start == (entry & 0xFFFFFF);
    task_start = kNoStart;
    host_task_record* running = host_task_current();
    // Called outside any task (a routine run directly on the host's own
    // context) there is no other stack to move to: run in place.
    if (first || !running || !running->stack) return;
    // The watch may end the run from a signal at any point here; held, its
    // end waits until the two tasks are named apart, so that a later run
    // never finds one task as both or a made one forgotten.
    host_task_hold();
    host_task_record* next = spare_task;
    const bool made = next ? host_task_renew(next, run_task) : (next = host_task_create(run_task)) != nullptr;
    if (made) {
        spare_task = running;
        if (game_task == running) game_task = next;
    }
    host_task_release();
    if (!made) no_task();
    cpu.pc = entry;
    host_task_switch(next);
    v60_fatal("A task came back after its reset\n");  // nothing switches to a left task
}

void run_task() {
    const uint32_t start = cpu.pc;
    task_start = start & 0xFFFFFF;
    v60_call(start);
    const unsigned long long frame = cpu.frames;
    if (past_to == 0)
        v60_fatal("The task started at %06X came to its end at %06X (frame %llu)\n", start & 0xFFFFFF,
                  cpu.pc & 0xFFFFFF, frame);
    std::fprintf(stderr, "The task started at %06X came to its end at %06X (frame %llu)\n", start & 0xFFFFFF,
                 cpu.pc & 0xFFFFFF, frame);
    v60_fatal("The last call that came back past its caller: from %06X, to %06X instead of %06X\n",
              past_from & 0xFFFFFF, past_to & 0xFFFFFF, past_expected & 0xFFFFFF);
}

// ---- processor state ----

void program_reset() {
    std::memset(&cpu, 0, sizeof cpu);
    cpu.privileged[7] = 0x70;
    cpu.privileged[8] = 0xE000;
    cpu.privileged[9] = 0x6000;
    cpu.privileged[15] = 0xF002;
    cpu.psw = V60_PSW_IS;
    cpu.pc = 0xFFFFFFF0;
}

void v60_reset() { program_reset(); }

uint32_t v60_read_psw() {
    cpu.psw = (cpu.psw & ~0xFu) | cpu.z | cpu.s << 1 | cpu.ov << 2 | cpu.cy << 3;
    return cpu.psw;
}

void v60_write_psw(uint32_t value) {
    const uint32_t old = cpu.psw;
    const bool old_is = old & V60_PSW_IS, new_is = value & V60_PSW_IS;
    const uint32_t old_el = (old >> 24) & 3, new_el = (value >> 24) & 3;
    const bool switch_stack = old_is != new_is || (!old_is && old_el != new_el);
    if (switch_stack) cpu.privileged[old_is ? V60_ISP : 1 + old_el] = cpu.reg[V60_SP];
    cpu.psw = value;
    cpu.z = value & 1;
    cpu.s = (value >> 1) & 1;
    cpu.ov = (value >> 2) & 1;
    cpu.cy = (value >> 3) & 1;
    if (switch_stack) cpu.reg[V60_SP] = cpu.privileged[new_is ? V60_ISP : 1 + new_el];
}

void v60_load_privileged(uint32_t index, uint32_t value) {
    if (index > 28)
        v60_fatal("LDPR to privileged register %u (frame %llu)\n", index,
                  static_cast<unsigned long long>(cpu.frames));
    cpu.privileged[index] = value;
}

uint32_t v60_read_privileged(uint32_t index) {
    if (index > 28)
        v60_fatal("STPR from privileged register %u (frame %llu)\n", index,
                  static_cast<unsigned long long>(cpu.frames));
    return cpu.privileged[index];
}

void program_irq_line(int level) { cpu.irq_line = static_cast<uint8_t>(level); }
uint64_t program_frames() { return cpu.frames; }
uint32_t program_interrupts() { return cpu.interrupts; }

// ---- interrupt entry and the run API ----

void program_run() {
    waiting_count = 0;
    task_start = kNoStart;
    host_task_main();
    // Runs one after another (tests, the fuzz target) reuse one stack instead
    // of leaving a new one behind each time.
    if (game_task && game_task != host_task_current()) {
        if (!host_task_renew(game_task, run_task)) no_task();
    } else if (!(game_task = host_task_create(run_task))) {
        no_task();
    }
    host_task_switch(game_task);
}

void program_stop() { host_task_switch(host_task_main()); }

void v60_frame_wait(uint32_t address) {
    if (!(orb_read8(address & 0xFFFFFF) & 1)) orb_wait();
}

void v60_frame_end() {
    ++cpu.frames;
    if (program_frame_done) program_frame_done();
}

void v60_take_interrupts(uint32_t poll) {
    while (cpu.irq_line && (cpu.psw & V60_PSW_IE)) {
        const uint8_t vector = orb_irq_acknowledge();
        const uint32_t sp0 = cpu.reg[V60_SP];
        const uint32_t old = v60_read_psw();
        v60_write_psw((old & 0xD4F8FFFF) | 0x90000000);
        ++cpu.interrupts;
        push(old);
        push(poll);
        const uint32_t table = (cpu.privileged[V60_SBR] & ~0xFFFu) + 0x100;
        v60_call(orb_read32((table + 4u * vector) & 0xFFFFFF));
        if (cpu.pc == poll && cpu.reg[V60_SP] == sp0) {
            v60_where = poll;
            continue;
        }

        // The handler returned into another guest context: park this one.
        host_task_record* next = nullptr;
        for (uint64_t g = 0; g < waiting_count; ++g) {
            if (waiting[g].pc == cpu.pc && waiting[g].sp == cpu.reg[V60_SP]) {
                next = waiting[g].task;
                waiting[g] = waiting[--waiting_count];
                break;
            }
        }
        if (!next && !(next = host_task_create(run_task))) no_task();
        if (waiting_count == kMaxWaiting)
            v60_fatal("More than %d tasks wait (frame %llu)\n", static_cast<int>(kMaxWaiting),
                      static_cast<unsigned long long>(cpu.frames));
        waiting[waiting_count++] = {poll, sp0, host_task_current()};
        host_task_switch(next);
    }
}
