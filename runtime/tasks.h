// Host tasks: stackful coroutines that carry the guest's tasks on one thread.
#pragma once
#include <ucontext.h>

struct host_task_record {
    ucontext_t context;
    void* stack;  // 16 MB, never freed; empty for the main task
    void (*entry)();
    host_task_record* made_before;  // the chain of every task made, newest first
};

constexpr unsigned long HOST_TASK_STACK_SIZE = 0x1000000;
// Below each task's stack lies an inaccessible guard region: a native call
// chain that outgrows the stack faults there instead of running into other
// memory.
constexpr unsigned long HOST_TASK_GUARD_SIZE = 0x10000;

host_task_record* host_task_main();
// A new task that will start `entry`; null when memory is short.
host_task_record* host_task_create(void (*entry)());
void host_task_switch(host_task_record* task);
host_task_record* host_task_current();
// How many tasks have been made in this process (each is kept to its end).
unsigned host_task_count();
// Starts `task` afresh with `entry` on its own stack, dropping whatever native
// frames it held; false, changing nothing, for the running task.
bool host_task_renew(host_task_record* task, void (*entry)());
// True when `address` lies in the guard region below the running task's stack.
bool host_task_in_guard(const void* address);
// For a signal handler whose action may switch tasks: runs `action` at once,
// or, when the signal landed while a task was being made or switched to (a
// switch half done, an allocator's lock held) or inside a hold, as soon as
// that is over.
void host_task_when_settled(void (*action)());
// A hold makes the steps between it and its release one step for such an
// action: the caller's own bookkeeping of its tasks (which task is which) is
// never seen half done. Holds nest; the last release runs what waited.
void host_task_hold();
void host_task_release();
