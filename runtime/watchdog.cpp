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

#include <cstdio>
#include <cstring>

#include "runtime/tasks.h"
#include "runtime/v60.h"

namespace {

// A hung frame is one that `limit_ticks` ticks in a row find unchanged; the
// line gives the limit as it was asked for.
unsigned limit_ticks = 0;
unsigned limit_shown = 0;
const char* limit_unit = "s";
uint64_t seen_frames = 0;
unsigned still_ticks = 0;
timer_t timer;
pid_t timer_thread = 0;  // the thread the timer watches; 0: none yet
struct sigaction previous_segv;
bool segv_installed = false;
alignas(16) char signal_stack[1 << 16];

// From a signal handler: the line goes out with write(2), then the host's
// save, then the exit without the process's exit handlers (the interrupted
// code may hold any lock).
[[noreturn]] void end_run(const char* line) {
    const ssize_t ignored = write(STDERR_FILENO, line, std::strlen(line));
    (void)ignored;
    if (program_fatal_hook) program_fatal_hook();
    _exit(3);
}

// The hung frame's line, kept for when the run can end.
char hung_line[160];
volatile sig_atomic_t ending = 0;  // the line is out: later ticks leave it be

void end_hung_run() { end_run(hung_line); }

void on_tick(int) {
    if (ending) return;
    if (cpu.frames != seen_frames) {
        seen_frames = cpu.frames;
        still_ticks = 0;
        return;
    }
    if (++still_ticks < limit_ticks) return;
    std::snprintf(hung_line, sizeof hung_line,
                  "Frame %llu has not ended after %u %s: the guest loops in the routine at %06X "
                  "(last seen at %06X)\n",
                  static_cast<unsigned long long>(cpu.frames + 1), limit_shown, limit_unit,
                  v60_routine_at(v60_where), v60_where & 0xFFFFFF);
    ending = 1;
    // A host whose save goes back to its own context switches tasks: not in
    // the middle of a switch the tick may have landed in.
    host_task_when_settled(end_hung_run);
}

void on_segv(int signal, siginfo_t* info, void* context) {
    if (host_task_in_guard(info->si_addr)) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "The guest's calls nest deeper than the native stack holds, in the routine "
                      "at %06X (last seen at %06X, frame %llu)\n",
                      v60_routine_at(v60_where), v60_where & 0xFFFFFF,
                      static_cast<unsigned long long>(cpu.frames));
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
// one frame end the run; 0 ticks stop the timer.
void arm(unsigned ticks, timespec period, unsigned shown, const char* unit) {
    limit_ticks = ticks;
    limit_shown = shown;
    limit_unit = unit;
    seen_frames = cpu.frames;
    still_ticks = 0;
    ending = 0;
    const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
    if (ticks == 0) {
        if (timer_thread == thread) {
            const itimerspec off{};
            timer_settime(timer, 0, &off, nullptr);
        }
        return;
    }

    // The fault of an exhausted task stack is handled on a stack of its own.
    // The handler goes in once: taken again, it would keep itself as the
    // handler before it, and a fault not of its stacks would go round it.
    stack_t alt{};
    alt.ss_sp = signal_stack;
    alt.ss_size = sizeof signal_stack;
    sigaltstack(&alt, nullptr);
    if (!segv_installed) {
        struct sigaction segv{};
        segv.sa_sigaction = on_segv;
        segv.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&segv.sa_mask);
        sigaction(SIGSEGV, &segv, &previous_segv);
        segv_installed = true;
    }

    struct sigaction tick{};
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
