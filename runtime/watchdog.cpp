// The runtime's watch over a run that stops making progress: a game frame
// that never ends (the guest loops inside it) and guest calls that nest
// deeper than a task's native stack (a guest loop made of calls or computed
// jumps, which grows the native stack where the guest's own does not). Both
// end the run with a fatal line naming the routine the guest is in, found from
// `v60_where`, after the host has saved what must survive.
//
// Nothing here runs on the guest's call path (which only stores `v60_where`
// and the routine's entered mark): a timer on the game thread's processor
// time ticks once a second (four times per limit, for a limit in
// milliseconds), and the stacks' guard regions fault only when they are
// reached.
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "runtime/tasks.h"
#include "runtime/v60.h"

namespace {

// A hung frame is one that `limit_ticks` ticks in a row find unchanged; the
// line gives the limit as it was asked for.
volatile unsigned limit_ticks = 0;
unsigned limit_shown = 0;
const char* limit_unit = "s";
uint64_t seen_frames = 0;
unsigned still_ticks = 0;
timer_t timer;
pid_t timer_thread = 0;  // the thread the timer watches; 0: none yet
struct sigaction previous_segv;
bool segv_installed = false;
alignas(16) char signal_stack[1 << 16];

// A fatal line put together inside a signal handler, where stdio's
// formatting may not run: text, decimal and six-digit guest addresses.
struct line_text {
    char text[192];
    size_t size = 0;

    line_text& operator<<(const char* part) {
        while (*part && size + 1 < sizeof text) text[size++] = *part++;
        text[size] = 0;
        return *this;
    }
    line_text& operator<<(uint64_t value) {
        char digits[20];
        int n = 0;
        do digits[n++] = static_cast<char>('0' + value % 10);
        while ((value /= 10) != 0);
        char part[21];
        for (int i = 0; i < n; ++i) part[i] = digits[n - 1 - i];
        part[n] = 0;
        return *this << static_cast<const char*>(part);
    }
    line_text& address(uint32_t value) {
        char part[7];
        for (int i = 0; i < 6; ++i) part[i] = "0123456789ABCDEF"[(value >> (20 - 4 * i)) & 0xF];
        part[6] = 0;
        return *this << static_cast<const char*>(part);
    }
};

// The host's own task: the thread outside any of the guest's tasks.
bool on_host_task() {
    const host_task_record* running = host_task_current();
    return !running || !running->stack;
}

// From a signal handler: the line goes out with write(2), then the host's
// save, then the exit without the process's exit handlers (the interrupted
// code may hold any lock).
[[noreturn]] void end_run(const line_text& line) {
    const ssize_t ignored = write(STDERR_FILENO, line.text, line.size);
    (void)ignored;
    if (program_fatal_hook) program_fatal_hook();
    _exit(3);
}

// What the tick found of the hung frame, kept for when the run can end.
uint64_t hung_frame = 0;
uint32_t hung_where = 0;
volatile sig_atomic_t ending = 0;  // an end is on its way: later ticks leave it be

void end_hung_run() {
    // The end waited for a task switch that went to the host's own task: the
    // run has stopped, nothing of the guest is running, and the host goes on.
    if (on_host_task()) {
        still_ticks = 0;
        ending = 0;
        return;
    }
    line_text line;
    line << "Frame " << hung_frame << " has not ended after " << uint64_t{limit_shown} << " " << limit_unit
         << ": the guest loops in the routine at ";
    line.address(v60_routine_at(hung_where)) << " (last seen at ";
    line.address(hung_where & 0xFFFFFF) << ")\n";
    end_run(line);
}

// Only the guest's time counts: a tick on the host's own task (its set-up
// before a run, its work after one) starts the count again, so a frame is
// hung only after `limit_ticks` ticks in a row of the guest's own time.
void on_tick(int) {
    if (ending || limit_ticks == 0) return;
    if (on_host_task() || cpu.frames != seen_frames) {
        seen_frames = cpu.frames;
        still_ticks = 0;
        return;
    }
    if (++still_ticks < limit_ticks) return;
    hung_frame = cpu.frames + 1;
    hung_where = v60_where;
    ending = 1;
    // A host whose save goes back to its own context switches tasks: not in
    // the middle of a switch the tick may have landed in.
    host_task_when_settled(end_hung_run);
}

void on_segv(int signal, siginfo_t* info, void* context) {
    if (host_task_in_guard(info->si_addr)) {
        line_text line;
        line << "The guest's calls nest deeper than the native stack holds, in the routine at ";
        line.address(v60_routine_at(v60_where)) << " (last seen at ";
        line.address(v60_where & 0xFFFFFF) << ", frame " << cpu.frames << ")\n";
        end_run(line);
    }
    // Any other fault is not ours: hand it to whoever had it before.
    if (previous_segv.sa_flags & SA_SIGINFO) {
        previous_segv.sa_sigaction(signal, info, context);
        return;
    }
    sigaction(SIGSEGV, &previous_segv, nullptr);  // the fault repeats under the old action
}

// Arms the watch: a tick every `period` of processor time, `ticks` of them in
// one frame end the run; 0 ticks stop the timer, before anything else changes,
// so that no tick finds a limit of 0.
void arm(unsigned ticks, timespec period, unsigned shown, const char* unit) {
    const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
    if (ticks == 0) {
        if (timer_thread == thread) {
            const itimerspec off{};
            timer_settime(timer, 0, &off, nullptr);
        }
        limit_ticks = 0;
        return;
    }
    limit_ticks = 0;  // a tick until the rest is set finds the watch off
    std::atomic_signal_fence(std::memory_order_seq_cst);
    limit_shown = shown;
    limit_unit = unit;
    seen_frames = cpu.frames;
    still_ticks = 0;
    ending = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    limit_ticks = ticks;

    // The fault of an exhausted task stack is handled on a stack of its own.
    // The handler goes in once: taken again, it would keep itself as the
    // handler before it, and a fault not of its stacks would go round it.
    stack_t alt{};
    alt.ss_sp = signal_stack;
    alt.ss_size = sizeof signal_stack;
    sigaltstack(&alt, nullptr);
    if (!segv_installed) {
        struct sigaction segv {};
        segv.sa_sigaction = on_segv;
        segv.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&segv.sa_mask);
        sigaction(SIGSEGV, &segv, &previous_segv);
        segv_installed = true;
    }

    struct sigaction tick {};
    tick.sa_handler = on_tick;
    tick.sa_flags = SA_RESTART | SA_ONSTACK;
    sigemptyset(&tick.sa_mask);
    sigaction(SIGXCPU, &tick, nullptr);
    // The game thread's own processor time: a paused or starved process never
    // counts as a hung frame. A forked process inherits no timer: it makes its own.
    if (timer_thread != thread) {
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGXCPU;
        event._sigev_un._tid = thread;
        if (timer_create(CLOCK_THREAD_CPUTIME_ID, &event, &timer) != 0) return;
        timer_thread = thread;
    }
    itimerspec every{};
    every.it_interval = period;
    every.it_value = period;
    timer_settime(timer, 0, &every, nullptr);
}

}  // namespace

void program_watchdog(unsigned seconds) { arm(seconds, timespec{1, 0}, seconds, "s"); }

void program_watchdog_ms(unsigned milliseconds) {
    // Four ticks a limit: the run ends between 1 and 1.25 limits into the frame.
    const uint64_t tick_ns = uint64_t{milliseconds} * 250'000;
    const timespec tick{static_cast<time_t>(tick_ns / 1'000'000'000),
                        static_cast<long>(tick_ns % 1'000'000'000)};
    arm(milliseconds ? 4 : 0, tick, milliseconds, "ms");
}
