// A small device framework for the sound board's chips: a device base with
// lifecycle hooks, a CPU base with execution and register-state hooks, mixins
// for address spaces and sound output, and a disassembler interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace orbs {

// Carries nothing in this system; one global instance is passed everywhere.
struct machine_config {};
extern const machine_config g_machine_config;
struct validity_checker {};
struct address_map {};

using device_type = const char*;

// Formats by the printf rules into a 512-byte buffer (longer text is cut to
// 511 characters) and throws std::runtime_error carrying it.
[[noreturn]] void fatalerror(const char* format, ...) __attribute__((format(printf, 1, 2)));

class device_t {
public:
    device_t(const machine_config& config, const char* tag, device_t* owner, uint32_t clock)
        : device_t(config, "", tag, owner, clock) {}
    virtual ~device_t() = default;

    virtual void device_start() {}
    virtual void device_reset() {}
    virtual void device_clock_changed() {}
    virtual void device_validity_check(validity_checker&) const {}
    virtual void device_pre_save() {}
    virtual void device_post_load() {}

    uint32_t clock;

protected:
    // Type, tag and owner are accepted and dropped: only the clock is kept.
    device_t(const machine_config&, device_type, const char*, device_t*, uint32_t clk) : clock(clk) {}
};

// Marker for an address space a device has; nothing else is stored.
struct space_config {};

struct address_space_functions {
    std::function<uint8_t(uint32_t)> read;
    std::function<void(uint32_t, uint8_t)> write;
};

// An accessor bound to one address space, moving single bytes.
template <int AddrWidth, int AddrShift, int Level, int Endian>
struct memory_access {
    class specific {
    public:
        specific() = default;
        explicit specific(address_space_functions& space) : m_space(&space) {}
        uint8_t read_interruptible(uint32_t address) const { return m_space->read(address); }
        void write_interruptible(uint32_t address, uint8_t value) const { m_space->write(address, value); }
        address_space_functions* space() const { return m_space; }

    private:
        address_space_functions* m_space = nullptr;
    };
};

class device_memory_interface {
public:
    virtual ~device_memory_interface() = default;
    virtual std::vector<std::pair<int, const space_config*>> memory_space_config() const = 0;

    // Spaces 0 to 3; the owner installs the functions it needs.
    address_space_functions spaces[4];
};

class device_execute_interface {
public:
    std::function<int()> irq_acknowledge;
    std::function<void(uint32_t)> instruction_hook;
    int32_t fallback_cycles = 0;
    int32_t* cycles = &fallback_cycles;

    device_execute_interface() = default;
    device_execute_interface(const device_execute_interface&) = delete;
    device_execute_interface& operator=(const device_execute_interface&) = delete;
};

struct sound_stream {
    std::function<void()> update;
    int32_t sample_count = 0;
    std::vector<int32_t> left;
    std::vector<int32_t> right;
    uint32_t sample_rate = 0;
};

class device_sound_interface {
public:
    virtual ~device_sound_interface() = default;
    virtual void sound_stream_update(sound_stream& stream) = 0;

    sound_stream stream;
};

// Empty: no daisy-chain devices exist.
class z80_daisy_chain_interface {};

namespace util {
class disasm_interface {
public:
    struct data_buffer {
        const uint8_t* bytes = nullptr;
        uint32_t mask = 0;
        uint8_t r8(uint32_t address) const { return bytes[address & mask]; }
    };

    virtual ~disasm_interface() = default;
    virtual uint32_t opcode_alignment() const = 0;
    virtual uint32_t disassemble(std::ostream& out, uint32_t pc, const data_buffer& opcodes,
                                 const data_buffer& params) = 0;
};
}  // namespace util

struct device_state_entry {
    int index = 0;
};

class cpu_device : public device_t, public device_memory_interface, public device_execute_interface {
public:
    using device_t::device_t;

    virtual bool cpu_is_interruptible() const { return false; }
    virtual uint32_t execute_min_cycles() const { return 1; }
    virtual uint32_t execute_max_cycles() const { return 1; }
    virtual uint32_t execute_default_irq_vector(int) const { return 0; }
    virtual bool execute_input_edge_triggered(int) const { return false; }
    virtual void execute_run() = 0;
    virtual void execute_set_input(int, int) {}
    virtual void state_import(const device_state_entry&) {}
    virtual void state_export(const device_state_entry&) {}
    virtual void state_string_export(const device_state_entry&, std::string&) const {}
    virtual std::unique_ptr<util::disasm_interface> create_disassembler() { return {}; }

protected:
    cpu_device(const machine_config& config, device_type type, const char* tag, device_t* owner, uint32_t clk)
        : device_t(config, type, tag, owner, clk) {}
};

}  // namespace orbs
