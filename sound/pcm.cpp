#include "sound/pcm.h"

#include <algorithm>

namespace orbs {

const char* const RF5C68 = "rf5c68";
const char* const RF5C164 = "rf5c164";

namespace {
constexpr uint8_t LOOP_MARKER = 0xFF;
// The chip divides its input clock by 384 per output sample.
constexpr uint32_t CLOCKS_PER_SAMPLE = 384;
}  // namespace

rf5c68_device::rf5c68_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock)
    : rf5c68_device(config, RF5C68, tag, owner, clock, 10) {}

rf5c68_device::rf5c68_device(const machine_config& config, device_type type, const char* tag, device_t* owner,
                             uint32_t clock, int bits)
    : device_t(config, type, tag, owner, clock), output_bits(bits) {}

rf5c164_device::rf5c164_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock)
    : rf5c68_device(config, RF5C164, tag, owner, clock, 16) {}

void rf5c68_device::device_start() {
    stream.sample_rate = clock / CLOCKS_PER_SAMPLE;
    data_space = &spaces[0];
    stream_ptr = &stream;
}

void rf5c68_device::device_clock_changed() { stream_ptr->sample_rate = clock / CLOCKS_PER_SAMPLE; }

std::vector<std::pair<int, const space_config*>> rf5c68_device::memory_space_config() const {
    return {{0, &wave_config}};
}

uint8_t rf5c68_device::rf5c68_r(uint32_t offset) {
    catch_up();
    const rf5c68_channel& ch = channels[(offset >> 1) & 7];
    return static_cast<uint8_t>(ch.address >> ((offset & 1) ? 19 : 11));
}

void rf5c68_device::rf5c68_w(uint32_t offset, uint8_t data) {
    catch_up();
    rf5c68_channel& ch = channels[channel_select];
    switch (offset) {
    case 0: ch.envelope = data; break;
    case 1: ch.pan = data; break;
    case 2: ch.step = static_cast<uint16_t>((ch.step & 0xFF00) | data); break;
    case 3: ch.step = static_cast<uint16_t>((ch.step & 0x00FF) | data << 8); break;
    case 4: ch.loop_start = static_cast<uint16_t>((ch.loop_start & 0xFF00) | data); break;
    case 5: ch.loop_start = static_cast<uint16_t>((ch.loop_start & 0x00FF) | data << 8); break;
    case 6:
        ch.start = data;
        // A running channel keeps its position; a stopped one follows its start page.
        if (!ch.enable) ch.address = static_cast<uint32_t>(data) << 19;
        break;
    case 7:
        chip_enable = (data >> 7) & 1;
        if (data & 0x40)
            channel_select = data & 7;
        else
            wave_bank = static_cast<uint16_t>((data & 0xF) << 12);
        break;
    case 8:
        // A set bit stops its channel and rewinds it to the start page.
        for (int i = 0; i < 8; ++i) {
            rf5c68_channel& c = channels[i];
            c.enable = (data >> i) & 1 ? 0 : 1;
            if (!c.enable) c.address = static_cast<uint32_t>(c.start) << 19;
        }
        break;
    default: break;
    }
}

uint8_t rf5c68_device::rf5c68_mem_r(uint32_t offset) { return wave(wave_bank | offset); }

void rf5c68_device::rf5c68_mem_w(uint32_t offset, uint8_t data) {
    catch_up();
    data_space->write(wave_bank | offset, data);
}

void rf5c68_device::sound_stream_update(sound_stream& out) {
    if (!chip_enable) return;
    const auto n = static_cast<size_t>(std::max(out.sample_count, 0));
    if (mix_left.size() < n) {
        mix_left.resize(n);
        mix_right.resize(n);
    }
    std::fill_n(mix_left.begin(), n, 0);
    std::fill_n(mix_right.begin(), n, 0);

    for (rf5c68_channel& ch : channels) {
        if (!ch.enable) continue;
        const int32_t lv = (ch.pan & 0x0F) * ch.envelope;
        const int32_t rv = (ch.pan >> 4) * ch.envelope;
        for (size_t j = 0; j < n; ++j) {
            uint8_t s = wave((ch.address >> 11) & 0xFFFF);
            if (s == LOOP_MARKER) {
                ch.address = static_cast<uint32_t>(ch.loop_start) << 11;
                s = wave(ch.loop_start);
                // A marker at the loop address silences the channel for the
                // rest of this update; it stays enabled.
                if (s == LOOP_MARKER) break;
            }
            ch.address += ch.step;
            // Sign and magnitude: the shift truncates the magnitude's product
            // before the sign goes on, so +m and -m cancel exactly.
            const int32_t m = s & 0x7F;
            const int32_t l = (m * lv) >> 5;
            const int32_t r = (m * rv) >> 5;
            if (s & 0x80) {
                mix_left[j] += l;
                mix_right[j] += r;
            } else {
                mix_left[j] -= l;
                mix_right[j] -= r;
            }
        }
    }

    // The converter drops the low bits before the output clamps.
    const int32_t mask = output_bits < 16 ? ~((1 << (16 - output_bits)) - 1) : ~0;
    const auto out_sample = [mask](int32_t v) { return std::clamp(v & mask, -32768, 32767); };
    for (size_t j = 0; j < n; ++j) {
        out.left[j] = out_sample(mix_left[j]);
        out.right[j] = out_sample(mix_right[j]);
    }
}

}  // namespace orbs
