// Host tasks: stackful coroutines that carry the guest's tasks on one thread.
#pragma once
#include <ucontext.h>

struct host_task_record {
    ucontext_t context;
    void* stack;          // 16 MB, never freed; empty for the main task
    void (*entry)();
};

constexpr unsigned long HOST_TASK_STACK_SIZE = 0x1000000;

host_task_record* host_task_main();
host_task_record* host_task_create(void (*entry)());
void host_task_switch(host_task_record* task);
host_task_record* host_task_current();
