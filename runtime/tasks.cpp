// Host tasks on POSIX user contexts.
#include "runtime/tasks.h"

#include <signal.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "runtime/v60.h"

#if defined(__SANITIZE_ADDRESS__)
#define IRONBELL_ASAN_FIBERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IRONBELL_ASAN_FIBERS 1
#endif
#endif
#if IRONBELL_ASAN_FIBERS
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

host_task_record main_record;
host_task_record* current = nullptr;

host_task_record* previous = nullptr;  // the task that switched to the running one
// Above zero while a task is being made or switched to; what a signal handler
// asked for meanwhile waits in `pending` (see host_task_when_settled).
volatile sig_atomic_t busy = 0;
std::atomic<void (*)()> pending{nullptr};
// Every task ever made, chained through the records themselves: never freed,
// and reachable from here until the process has gone (a container would be
// destroyed among the exit handlers, before a leak check looks).
host_task_record* newest = nullptr;

#if IRONBELL_ASAN_FIBERS
// AddressSanitizer must be told when the native stack changes under it. The
// main task's stack bounds are learnt the first time another task starts.
// The leak check at exit scans the stack the thread stands on, which inside
// a task is that task's alone: a run that ends from a task (the runtime's
// fatal line exits there) would report whatever the host's own frames and
// the other tasks' hold. So every stack is also a root of its own.
void* fake_stack = nullptr;
const void* main_bottom = nullptr;
size_t main_size = 0;
void scan_at_exit(const void* stack, size_t size) { __lsan_register_root_region(stack, size); }
void switch_begin(host_task_record* to) {
    if (to->stack)
        __sanitizer_start_switch_fiber(&fake_stack, to->stack, HOST_TASK_STACK_SIZE);
    else
        __sanitizer_start_switch_fiber(&fake_stack, main_bottom, main_size);
}
void switch_end() {
    const void* bottom;
    size_t size;
    __sanitizer_finish_switch_fiber(fake_stack, &bottom, &size);
    if (previous == &main_record) {
        if (!main_bottom) scan_at_exit(bottom, size);
        main_bottom = bottom;
        main_size = size;
    }
}
#else
void switch_begin(host_task_record*) {}
void switch_end() {}
void scan_at_exit(const void*, size_t) {}
#endif

void enter() { busy = busy + 1; }

// Out of the last making or switch: runs what a handler left waiting.
void settle() {
    busy = busy - 1;
    if (busy == 0) {
        if (auto action = pending.exchange(nullptr)) action();
    }
}

void task_start() {
    switch_end();
    settle();
    current->entry();
    v60_fatal("A task came to its end\n");
}

// A zeroed stack with its guard region below it; null when memory is short.
void* new_stack() {
    void* block = mmap(nullptr, HOST_TASK_GUARD_SIZE + HOST_TASK_STACK_SIZE, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    if (mprotect(block, HOST_TASK_GUARD_SIZE, PROT_NONE) != 0) {
        munmap(block, HOST_TASK_GUARD_SIZE + HOST_TASK_STACK_SIZE);
        return nullptr;
    }
    scan_at_exit(static_cast<char*>(block) + HOST_TASK_GUARD_SIZE, HOST_TASK_STACK_SIZE);
    return static_cast<char*>(block) + HOST_TASK_GUARD_SIZE;
}

bool prepare(host_task_record* task, void (*entry)()) {
#if IRONBELL_ASAN_FIBERS
    // A renewed task's stack still carries the poisoned red zones of the
    // frames it was left in; the new frames start from a clean stack.
    __asan_unpoison_memory_region(task->stack, HOST_TASK_STACK_SIZE);
#endif
    if (getcontext(&task->context) != 0) return false;
    task->entry = entry;
    task->context.uc_link = nullptr;
    task->context.uc_stack.ss_sp = task->stack;
    task->context.uc_stack.ss_size = HOST_TASK_STACK_SIZE;
    makecontext(&task->context, task_start, 0);
    return true;
}

}  // namespace

host_task_record* host_task_main() {
    if (!current) current = &main_record;
    return &main_record;
}

host_task_record* host_task_current() { return current; }

unsigned host_task_count() {
    unsigned count = 0;
    for (const host_task_record* task = newest; task; task = task->made_before) ++count;
    return count;
}

host_task_record* host_task_create(void (*entry)()) {
    enter();
    auto* task = new (std::nothrow) host_task_record{};
    if (task) {
        task->made_before = newest;
        newest = task;
        task->stack = new_stack();
    }
    const bool made = task && task->stack && prepare(task, entry);
    settle();
    return made ? task : nullptr;
}

bool host_task_renew(host_task_record* task, void (*entry)()) {
    enter();
    const bool made = task != current && task->stack && prepare(task, entry);
    settle();
    return made;
}

void host_task_when_settled(void (*action)()) {
    if (busy == 0) {
        action();
        return;
    }
    pending.store(action);
}

void host_task_hold() { enter(); }
void host_task_release() { settle(); }

bool host_task_in_guard(const void* address) {
    if (!current || !current->stack) return false;
    const auto a = reinterpret_cast<uintptr_t>(address);
    const auto bottom = reinterpret_cast<uintptr_t>(current->stack);
    return a < bottom && a >= bottom - HOST_TASK_GUARD_SIZE;
}

void host_task_switch(host_task_record* task) {
    host_task_main();
    if (task == current) return;
    enter();  // settled by whichever task runs next, once it stands on its own stack
    host_task_record* from = current;
    current = task;
    previous = from;
    switch_begin(task);
    swapcontext(&from->context, &task->context);
    switch_end();
    settle();
}
