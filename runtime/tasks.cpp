// Host tasks on POSIX user contexts.
#include "runtime/tasks.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "runtime/v60.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define IRONBELL_ASAN_FIBERS 1
#endif

namespace {

host_task_record main_record;
host_task_record* current = nullptr;

host_task_record* previous = nullptr;  // the task that switched to the running one

#if IRONBELL_ASAN_FIBERS
// AddressSanitizer must be told when the native stack changes under it. The
// main task's stack bounds are learnt the first time another task starts.
void* fake_stack = nullptr;
const void* main_bottom = nullptr;
size_t main_size = 0;
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
        main_bottom = bottom;
        main_size = size;
    }
}
#else
void switch_begin(host_task_record*) {}
void switch_end() {}
#endif

void task_start() {
    switch_end();
    current->entry();
    v60_fatal("A task came to its end\n");
}

}  // namespace

host_task_record* host_task_main() {
    if (!current) current = &main_record;
    return &main_record;
}

host_task_record* host_task_current() { return current; }

host_task_record* host_task_create(void (*entry)()) {
    auto* task = new (std::nothrow) host_task_record{};
    void* stack = task ? std::calloc(1, HOST_TASK_STACK_SIZE) : nullptr;
    if (!task || !stack || getcontext(&task->context) != 0)
        v60_fatal("A task could not be created\n");
    task->stack = stack;
    task->entry = entry;
    task->context.uc_link = nullptr;
    task->context.uc_stack.ss_sp = stack;
    task->context.uc_stack.ss_size = HOST_TASK_STACK_SIZE;
    makecontext(&task->context, task_start, 0);
    return task;
}

void host_task_switch(host_task_record* task) {
    host_task_main();
    if (task == current) return;
    host_task_record* from = current;
    current = task;
    previous = from;
    switch_begin(task);
    swapcontext(&from->context, &task->context);
    switch_end();
}
