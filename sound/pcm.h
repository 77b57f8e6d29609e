// The RF5C68 eight-channel PCM chip: 8-bit sign-magnitude samples out of a
// 64 KB wave memory, each channel with its own pitch, envelope and pan, and a
// loop marker byte (0xFF) that sends a channel back to its loop address.
// The chip does not know the time: before every access that changes what it
// would play it calls its stream's `update`, and its owner decides how many
// samples that renders.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/z80/device.h"

namespace orbs {

extern const char* const RF5C68;
extern const char* const RF5C164;

struct rf5c68_channel {
    uint8_t enable = 0;
    uint8_t envelope = 0;
    uint8_t pan = 0;  // bits 0-3 left level, bits 4-7 right level
    uint8_t start = 0;
    uint32_t address = 0;  // 16.11 fixed point; bits 11-26 fetch
    uint16_t step = 0;
    uint16_t loop_start = 0;
};

class rf5c68_device : public device_t, public device_sound_interface, public device_memory_interface {
public:
    rf5c68_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock);
    ~rf5c68_device() override = default;

    void map(address_map&) {}

    uint8_t rf5c68_r(uint32_t offset);
    void rf5c68_w(uint32_t offset, uint8_t data);
    uint8_t rf5c68_mem_r(uint32_t offset);
    void rf5c68_mem_w(uint32_t offset, uint8_t data);

    void device_start() override;
    void device_clock_changed() override;
    std::vector<std::pair<int, const space_config*>> memory_space_config() const override;
    void sound_stream_update(sound_stream& stream) override;

    space_config wave_config;
    address_space_functions* data_space = nullptr;
    sound_stream* stream_ptr = nullptr;
    rf5c68_channel channels[8];
    uint8_t channel_select = 0;
    uint16_t wave_bank = 0;
    uint8_t chip_enable = 0;
    int32_t output_bits;
    std::vector<int32_t> mix_left;
    std::vector<int32_t> mix_right;

protected:
    rf5c68_device(const machine_config& config, device_type type, const char* tag, device_t* owner,
                  uint32_t clock, int output_bits);

private:
    void catch_up() {
        if (stream.update) stream.update();
    }
    uint8_t wave(uint32_t address) { return data_space->read(address); }
};

// The same chip with a 16-bit converter.
class rf5c164_device : public rf5c68_device {
public:
    rf5c164_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock);
    ~rf5c164_device() override = default;

    void rf5c164_map(address_map&) {}
};

}  // namespace orbs
