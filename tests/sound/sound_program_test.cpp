// A hand-assembled sound program run for 300 video frames: FM notes, the FM
// timer interrupt in IM 2 and a looping PCM sample. Its output must not depend
// on how board time is cut into time_passes calls, nor differ between runs.
#include <algorithm>
#include <cstdlib>

#include "tests/sound/sound_fixture.h"

namespace {

using namespace orbsound;

constexpr int kFrames = 300;

struct program_run {
    std::vector<uint64_t> frame_hashes;
    std::vector<uint64_t> state_hashes;
    std::vector<uint64_t> fm_frames;
    std::vector<uint64_t> pcm_frames;
    std::vector<int16_t> last_mix;
    int64_t mix_energy = 0;
    std::string log;
};

class SoundProgram : public SoundBoardTest {
protected:
    // Runs the program from a fresh sound board, cutting each frame into
    // `calls` equal steps of board time before the frame end.
    program_run run(int calls) {
        TearDown();
        SetUp();
        sound_program().load(sound_rom.data());
        start_log();
        release();
        program_run r;
        for (uint64_t f = 0; f < kFrames; ++f) {
            const uint64_t t0 = orb_frame_start(f), t1 = orb_frame_start(f + 1);
            for (int k = 1; k <= calls; ++k) on_time_passes(t0 + (t1 - t0) * uint64_t(k) / uint64_t(calls));
            const uint64_t pcm_before = g_pcm_samples.taken;
            orbs_end_frame(t1);
            r.frame_hashes.push_back(orbs_frame_samples_hash());
            r.state_hashes.push_back(orbs_state_hash());
            r.fm_frames.push_back(mix_frames());
            r.pcm_frames.push_back(g_pcm_samples.taken - pcm_before);
            for (int16_t v : g_mix) r.mix_energy += std::abs(int32_t{v});
        }
        r.last_mix = g_mix;
        r.log = log_text();
        return r;
    }

    static size_t first_difference(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b) {
        return static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    }
};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(SoundProgram, PlaysAndTakesItsTimerInterrupt) {
    const program_run r = run(1);
    EXPECT_GT(r.mix_energy, 0);
    // One timer period is 200 × 288 ticks; the handler rewrites register 27
    // once per interrupt (the set-up wrote it once as well).
    const uint64_t expected = orb_frame_start(kFrames) / (200 * 288);
    const size_t handled = count(r.log, " fm0 1 15\n") - 1;
    EXPECT_NEAR(double(handled), double(expected), 1.0);
    EXPECT_EQ(orb_board.shared_ram[0], static_cast<uint8_t>(handled));
    EXPECT_GT(count(r.log, " pcm 3 05\n"), 30u) << "the handler moves channel 7's pitch";
    const z80_asm p = sound_program();
    EXPECT_TRUE(orbs_executed()[p.at("handler") >> 3] & (1 << (p.at("handler") & 7)));
}

TEST_F(SoundProgram, FramesTakeTheirShareOfEachChip) {
    const program_run r = run(1);
    EXPECT_EQ(r.fm_frames[0], 933u);
    EXPECT_EQ(r.fm_frames[1], 932u);
    EXPECT_EQ(std::vector<uint64_t>(r.pcm_frames.begin(), r.pcm_frames.begin() + 3),
              (std::vector<uint64_t>{543, 543, 542}));
    for (uint64_t f = 0; f < kFrames; ++f) {
        const uint64_t t0 = orb_frame_start(f), t1 = orb_frame_start(f + 1);
        ASSERT_EQ(r.fm_frames[f], fm_due(t1) - fm_due(t0)) << "frame " << f;
        ASSERT_EQ(r.pcm_frames[f], pcm_due(t1) - pcm_due(t0)) << "frame " << f;
    }
}

TEST_F(SoundProgram, OutputDoesNotDependOnHowTimeIsCut) {
    const program_run once = run(1);
    for (int calls : {1, 7, 1000}) {
        const program_run other = run(calls);
        const size_t f = first_difference(once.frame_hashes, other.frame_hashes);
        EXPECT_EQ(f, once.frame_hashes.size())
            << calls << " calls per frame: samples differ from frame " << f;
        const size_t s = first_difference(once.state_hashes, other.state_hashes);
        EXPECT_EQ(s, once.state_hashes.size())
            << calls << " calls per frame: memory differs from frame " << s;
        if (once.log != other.log) {
            const size_t at = static_cast<size_t>(
                std::mismatch(once.log.begin(), once.log.end(), other.log.begin(), other.log.end()).first -
                once.log.begin());
            const size_t line = once.log.rfind('\n', at) + 1;
            ADD_FAILURE() << calls << " calls per frame: write logs differ at \"" << once.log.substr(line, 40)
                          << "\" / \"" << other.log.substr(line, 40) << "\"";
        }
        EXPECT_EQ(once.last_mix, other.last_mix);
    }
}

}  // namespace
