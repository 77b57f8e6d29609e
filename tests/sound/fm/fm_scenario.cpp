#include "tests/sound/fm/fm_scenario.h"

#include <cstdio>
#include <limits>
#include <sstream>

#include "sound/fm/ym3438.h"

namespace orbfm_test {

namespace {

bool parse_number(const std::string& text, int base, uint32_t max, uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        v = v * base + digit;
    }
    if (v > max) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

constexpr uint64_t kOff = std::numeric_limits<uint64_t>::max();

class recording_host : public orbfm::fm_interface {
public:
    uint64_t now = 0;
    uint64_t samples = 0;
    uint64_t timer_end[2] = {kOff, kOff};
    uint64_t busy_end = 0;
    std::vector<std::string> calls;

    void ymfm_set_timer(uint32_t tnum, int32_t clocks) override {
        log("set_timer " + std::to_string(tnum) + " " + std::to_string(clocks));
        timer_end[tnum & 1] = clocks < 0 ? kOff : now + static_cast<uint64_t>(clocks);
    }
    void ymfm_set_busy_end(uint32_t clocks) override {
        log("set_busy_end " + std::to_string(clocks));
        busy_end = now + clocks;
    }
    bool ymfm_is_busy() override { return now < busy_end; }
    void ymfm_update_irq(bool asserted) override { log(std::string("update_irq ") + (asserted ? "1" : "0")); }

    // Fires every timer whose end has come, earliest first, A before B on
    // a tie, with the clock set to its end during the expiry.
    void fire_due_timers() {
        for (;;) {
            uint32_t t = timer_end[0] <= timer_end[1] ? 0 : 1;
            if (timer_end[t] == kOff || timer_end[t] > now) return;
            uint64_t saved = now;
            now = timer_end[t];
            timer_end[t] = kOff;
            log("timer_expired " + std::to_string(t));
            engine()->engine_timer_expired(t);
            now = saved;
        }
    }

    void log(const std::string& event) { calls.push_back(std::to_string(samples) + " " + event); }
};

}  // namespace

std::string parse_scenario(std::istream& in, const std::string& name, std::vector<scenario_command>& out) {
    std::vector<scenario_command> parsed;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string text = line.substr(0, line.find('#'));
        std::istringstream fields(text);
        std::string op, a, b, extra;
        if (!(fields >> op)) continue;
        fields >> a >> b >> extra;
        auto fail = [&](const std::string& what) {
            return name + ":" + std::to_string(number) + ": " + what + ": \"" + line + "\"";
        };
        scenario_command cmd{scenario_command::generate, 0, 0, number};
        uint32_t data = 0;
        if (op == "S") {
            if (!b.empty() || !parse_number(a, 10, 100000000, cmd.value))
                return fail("expected S <sample count>");
        } else if (op == "W") {
            cmd.kind = scenario_command::write;
            if (!extra.empty() || !parse_number(a, 10, 3, cmd.value) || b.size() != 2 ||
                !parse_number(b, 16, 0xFF, data))
                return fail("expected W <port 0-3> <two hex digits>");
            cmd.data = static_cast<uint8_t>(data);
        } else if (op == "R") {
            cmd.kind = scenario_command::read;
            if (!b.empty() || !parse_number(a, 10, 3, cmd.value)) return fail("expected R <port 0-3>");
        } else {
            return fail("unknown command");
        }
        parsed.push_back(cmd);
    }
    if (in.bad()) return name + ": read error";
    out = std::move(parsed);
    return {};
}

scenario_result run_scenario(const std::vector<scenario_command>& commands) {
    recording_host host;
    orbfm::ym3438 chip(host);
    chip.reset();
    scenario_result result;
    for (const scenario_command& cmd : commands) {
        switch (cmd.kind) {
        case scenario_command::write: chip.write(cmd.value, cmd.data); break;
        case scenario_command::read:
            {
                char text[48];
                std::snprintf(text, sizeof text, "%llu %u %02X",
                              static_cast<unsigned long long>(host.samples), cmd.value, chip.read(cmd.value));
                result.reads.emplace_back(text);
                break;
            }
        case scenario_command::generate:
            for (uint32_t i = 0; i < cmd.value; ++i) {
                host.fire_due_timers();
                orbfm::fm_output out;
                chip.generate(&out, 1);
                result.samples.push_back(out.data[0]);
                result.samples.push_back(out.data[1]);
                result.sample_line.push_back(cmd.line);
                ++host.samples;
                host.now += orbfm::fm_engine::kClocksPerSample;
                host.fire_due_timers();
            }
            break;
        }
    }
    result.calls = std::move(host.calls);
    return result;
}

}  // namespace orbfm_test
