#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "board/machine.h"
#include "game/flow/tables.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kJobList = 0x110000;
constexpr uint32_t kVideoRam = hw::video_ram;
constexpr uint32_t kState = var::decomp_job + decomp_field::state;

using bytes = std::vector<uint8_t>;

// A test-side encoder of the compressed stream, one call per token: a token's
// descriptor bits go first, then its bytes; a descriptor word is reserved in
// the stream the moment the previous one has used its 16th bit.
class encoder {
public:
    void literal(uint8_t b) {
        bit(1);
        out_.push_back(b);
    }
    // offset -256 to -1, count 2 to 5.
    void short_reference(int offset, int count) {
        bit(0);
        bit(0);
        bit((count - 2) >> 1);
        bit((count - 2) & 1);
        out_.push_back(static_cast<uint8_t>(offset + 256));
    }
    // offset -8,192 to -1, count 3 to 9 in the count field.
    void long_reference(int offset, int count) { long_token(offset, count - 2); }
    // offset -8,192 to -1, count 3 to 256 in the byte S.
    void long_reference_s(int offset, int count) {
        long_token(offset, 0);
        out_.push_back(static_cast<uint8_t>(count - 1));
    }
    void nothing() {
        long_token(-8192, 0);
        out_.push_back(1);
    }
    bytes end() {
        long_token(-8192, 0);
        out_.push_back(0);
        out_[at_] = static_cast<uint8_t>(bits_);
        out_[at_ + 1] = static_cast<uint8_t>(bits_ >> 8);
        return out_;
    }

private:
    void bit(int b) {
        bits_ |= (b & 1) << used_;
        if (++used_ < 16) return;
        out_[at_] = static_cast<uint8_t>(bits_);
        out_[at_ + 1] = static_cast<uint8_t>(bits_ >> 8);
        at_ = out_.size();
        out_.resize(at_ + 2);
        bits_ = used_ = 0;
    }
    void long_token(int offset, int field) {
        bit(0);
        bit(1);
        const int v = offset + 0x2000;
        out_.push_back(static_cast<uint8_t>(v));
        out_.push_back(static_cast<uint8_t>((v >> 8) << 3 | field));
    }
    bytes out_ = bytes(2);
    size_t at_ = 0;
    int bits_ = 0, used_ = 0;
};

// Encodes `in` greedily with every token kind, choosing among those that fit
// at random, with a token that outputs nothing now and then.
bytes encode(const bytes& in, std::mt19937& rng) {
    encoder e;
    auto chance = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng) == 0; };
    for (size_t pos = 0; pos < in.size();) {
        if (chance(40)) e.nothing();
        size_t best_len = 0, best_off = 0;
        for (size_t off = 1; off <= std::min<size_t>(pos, 8192); off += off < 300 ? 1 : 7) {
            size_t len = 0;
            while (len < 256 && pos + len < in.size() && in[pos + len] == in[pos + len - off]) ++len;
            if (len > best_len) best_len = len, best_off = off;
        }
        const int offset = -static_cast<int>(best_off);
        if (best_len >= 2 && best_off <= 256 && (best_len < 3 || chance(3))) {
            const size_t n = std::min<size_t>(best_len, 2 + rng() % 4);
            e.short_reference(offset, static_cast<int>(n));
            pos += n;
        } else if (best_len >= 3 && chance(2)) {
            const size_t n = std::min<size_t>(best_len, 3 + rng() % 7);
            e.long_reference(offset, static_cast<int>(n));
            pos += n;
        } else if (best_len >= 3 && !chance(4)) {
            e.long_reference_s(offset, static_cast<int>(best_len));
            pos += best_len;
        } else {
            e.literal(in[pos++]);
        }
    }
    return e.end();
}

// Input with repeats near and far, runs and noise.
bytes sample(size_t size, std::mt19937& rng) {
    bytes out;
    while (out.size() < size) {
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 0 || out.size() < 4) {
            for (int n = 1 + static_cast<int>(rng() % 12); n > 0; --n)
                out.push_back(static_cast<uint8_t>(rng()));
        } else if (kind == 1) {
            const uint8_t b = static_cast<uint8_t>(rng());
            for (int n = 2 + static_cast<int>(rng() % 300); n > 0; --n) out.push_back(b);
        } else {
            const size_t back = 1 + rng() % std::min<size_t>(out.size(), kind == 2 ? 256 : 8192);
            for (int n = 2 + static_cast<int>(rng() % 280); n > 0; --n) out.push_back(out[out.size() - back]);
        }
    }
    out.resize(size);
    return out;
}

class Decompressor : public GameRoutineTest {
protected:
    struct job {
        uint16_t offset, block;
        bytes stream;
    };
    // The job list at kJobList with its streams, and the job started.
    void plant_jobs(const std::vector<job>& jobs) {
        for (size_t i = 0; i < jobs.size(); ++i) {
            plant16(kJobList + 4 * static_cast<uint32_t>(i), jobs[i].offset);
            plant16(kJobList + 4 * static_cast<uint32_t>(i) + 2, jobs[i].block);
            for (size_t k = 0; k < jobs[i].stream.size(); ++k)
                plant8(rom::graphics_source + jobs[i].offset + static_cast<uint32_t>(k), jobs[i].stream[k]);
        }
        plant16(kJobList + 4 * static_cast<uint32_t>(jobs.size()), 0xFFFF);
    }
    static void start() {
        orb_write32(var::decomp_job, kJobList);
        orb_write32(var::decomp_job + decomp_field::source_base, rom::graphics_source);
    }
    // Calls until the job ends; returns the number of calls.
    int run_to_end(int limit = 1 << 20) {
        int n = 0;
        while (ram32(var::decomp_job) != 0 && n < limit) {
            EXPECT_TRUE(run(sub_087660));
            ++n;
        }
        return n;
    }
    static bytes video(uint32_t block, size_t count) {
        bytes v;
        for (size_t i = 0; i < count; ++i)
            v.push_back(ram8(kVideoRam + 1024 * block + static_cast<uint32_t>(i)));
        return v;
    }
    static void fill_video(uint8_t value) {
        for (uint32_t i = 0; i < 0x1F000; ++i) orb_write8(kVideoRam + i, value);
    }
};

TEST_F(Decompressor, ListHoldingOnlyTheEndEndsAtTheFirstCall) {
    plant_jobs({});
    start();
    orb_write32(var::decomp_job + decomp_field::destination, 0);  // untouched by the end
    fill_video(0xCC);
    ASSERT_TRUE(run(sub_087660));
    EXPECT_EQ(ram32(var::decomp_job), 0u);
    EXPECT_EQ(video(0, 4), bytes(4, 0xCC));
    EXPECT_EQ(ram32(var::decomp_job + decomp_field::destination), 0u);
}

// Streams from the token descriptions, each with the output expected.
TEST_F(Decompressor, TokensOfTheStream) {
    bytes refill = {0xFF, 0xFF};
    for (uint8_t i = 1; i <= 15; ++i) refill.push_back(i);
    for (const uint8_t b : {0x02, 0x00, 16, 0, 0, 0})
        refill.push_back(b);  // next word, then the 16th literal
    bytes q257(257, 'Q');
    const struct {
        const char* name;
        bytes stream, output;
    } cases[] = {
        {"literal, then the end", {0x05, 0x00, 'X', 0, 0, 0}, {'X'}},
        {"short reference 0 0 1 1, N 0xFF", {0x59, 0x00, 'A', 0xFF, 0, 0, 0}, bytes(6, 'A')},
        {"long reference B1 0xF9 B0 0xFF: offset -1, count 3",
         {0x2B, 0x00, 'A', 'B', 0xFF, 0xF9, 0, 0, 0},
         {'A', 'B', 'B', 'B', 'B'}},
        {"S 1 is nothing, S 255 copies 256",
         {0x55, 0x00, 'Q', 0xFF, 0xF8, 0x01, 0xFF, 0xF8, 0xFF, 0, 0, 0},
         q257},
        {"the 16th bit's token reads the next word first",
         refill,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fill_video(0xCC);
        plant_jobs({{0x0100, 3, c.stream}});
        start();
        EXPECT_EQ(run_to_end(), static_cast<int>(c.output.size()) + 1) << "one call a byte, one to end";
        bytes expected = c.output;
        expected.push_back(0xCC);
        EXPECT_EQ(video(3, c.output.size() + 1), expected);
        TearDown();
    }
}

TEST_F(Decompressor, ReferenceKeepsItsCopyStateBetweenCalls) {
    plant_jobs({{0, 0, {0x2B, 0x00, 'A', 'B', 0xFF, 0xF9, 0, 0, 0}}});
    start();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(run(sub_087660));
    EXPECT_EQ(ram8(kState), 0xFF);
    EXPECT_EQ(ram32(var::decomp_job + decomp_field::copy_offset), 0xFFFFFFFFu);
    EXPECT_EQ(ram8(var::decomp_job + decomp_field::copy_count), 2);
    EXPECT_EQ(ram32(var::decomp_job + decomp_field::destination), kVideoRam + 3);
    EXPECT_EQ(ram32(var::decomp_job + decomp_field::source), rom::graphics_source + 6);
    ASSERT_TRUE(run(sub_087660));
    ASSERT_TRUE(run(sub_087660));
    EXPECT_EQ(ram8(kState), 1) << "back to tokens after the last byte";
    EXPECT_EQ(ram32(var::decomp_job) & 0xFFFFFF, kJobList + 4);
}

// Random inputs through the encoder, several jobs in one list (one of them
// empty, so the job after it starts in the same call): every call but the
// last outputs one byte, the output is the input, and a job resumed on a
// fresh board from a snapshot of its 24 bytes of state (and the output so
// far) ends the same.
TEST_F(Decompressor, RoundTripThroughAnEncoderAndASnapshot) {
    std::mt19937 rng(2026);
    const std::vector<size_t> sizes = {12000, 0, 3000, 5000};
    const std::vector<uint16_t> blocks = {0, 20, 30, 40};
    std::vector<bytes> inputs;
    std::vector<job> jobs;
    uint32_t offset = 0x10;
    for (size_t i = 0; i < sizes.size(); ++i) {
        inputs.push_back(sample(sizes[i], rng));
        jobs.push_back({static_cast<uint16_t>(offset), blocks[i], encode(inputs.back(), rng)});
        offset += static_cast<uint32_t>(jobs.back().stream.size());
        ASSERT_LT(offset, 0x10000u);
    }
    size_t total = 0;
    for (const bytes& in : inputs) total += in.size();

    plant_jobs(jobs);
    start();
    // Output so far: the jobs before the current one and its own bytes.
    auto produced = [&] {
        const uint32_t done_jobs = ((ram32(var::decomp_job) & 0xFFFFFF) - kJobList) / 4 - 1;
        size_t n = 0;
        for (uint32_t j = 0; j < done_jobs; ++j) n += inputs[j].size();
        return n + ram32(var::decomp_job + decomp_field::destination) -
               (kVideoRam + 1024u * blocks[done_jobs]);
    };
    for (size_t call = 1; call <= total; ++call) {
        ASSERT_TRUE(run(sub_087660));
        ASSERT_EQ(produced(), call) << "call " << call;
    }
    ASSERT_TRUE(run(sub_087660));
    EXPECT_EQ(ram32(var::decomp_job), 0u);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(video(blocks[i], inputs[i].size()), inputs[i]) << "job " << i;

    for (const size_t at : {size_t{1}, size_t{5555}, size_t{12001}, total - 1}) {
        SCOPED_TRACE(testing::Message() << "snapshot after call " << at);
        SetUp();
        plant_jobs(jobs);
        start();
        for (size_t call = 0; call < at; ++call) ASSERT_TRUE(run(sub_087660));
        bytes state, vram;
        for (uint32_t i = 0; i < 24; ++i) state.push_back(ram8(var::decomp_job + i));
        for (uint32_t i = 0; i < 0x1F000; ++i) vram.push_back(ram8(kVideoRam + i));
        SetUp();
        plant_jobs(jobs);
        for (uint32_t i = 0; i < 24; ++i) orb_write8(var::decomp_job + i, state[i]);
        for (uint32_t i = 0; i < 0x1F000; ++i) orb_write8(kVideoRam + i, vram[i]);
        for (int r = 0; r < 24; ++r) cpu.reg[r] = static_cast<uint32_t>(rng());
        EXPECT_EQ(run_to_end(), static_cast<int>(total - at) + 1);
        for (size_t i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(video(blocks[i], inputs[i].size()), inputs[i]) << "job " << i;
        TearDown();
    }
}

TEST_F(Decompressor, RegistersAreKept) {
    plant_jobs({{0, 0, {0x2B, 0x00, 'A', 'B', 0xFF, 0xF9, 0, 0, 0}}});
    start();
    for (int r = 0; r < 25; ++r) cpu.reg[r] = 0x1000 * static_cast<uint32_t>(r) + 7;
    for (int call = 0; call < 6; ++call) ASSERT_TRUE(run(sub_087660));
    EXPECT_EQ(ram32(var::decomp_job), 0u);
    for (int r = 0; r < 25; ++r) EXPECT_EQ(cpu.reg[r], 0x1000 * static_cast<uint32_t>(r) + 7) << "R" << r;
}

}  // namespace
