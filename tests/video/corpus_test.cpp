// A corpus of random video states, each rebuilt from its seed, with the hashes
// the renderer gave for it when the corpus was recorded: the frame hash, and
// a hash of everything else a frame leaves behind (the whole picture buffer,
// every layer's pixels and row_empty flags, both sprite frames and the
// observers' calls). Any change to the renderer must keep every entry.
//
// To record the table again (only after a deliberate change of the picture),
// from the source folder:
//   IRONBELL_VIDEO_CORPUS_OUT=tests/video/corpus_hashes.inc build/tests/video/video_test
//   --gtest_filter=VideoCorpus.*
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/video/video_fixture.h"

namespace {

struct corpus_entry {
    uint32_t seed;
    uint64_t frame_hash;
    uint64_t state_hash;
};

constexpr corpus_entry recorded[] = {
#include "tests/video/corpus_hashes.inc"
};

// Tile region: tile t is transparent when t % 4 is 0, fully opaque when 1,
// and a mix (about a third pen 0) otherwise, so maps built from tile numbers
// give empty, opaque and mixed rows on purpose.
std::vector<uint8_t> make_tiles() {
    std::mt19937 rng(0x711E5);
    std::vector<uint8_t> t(0x400000);
    for (size_t i = 0; i < t.size(); ++i) {
        const uint32_t tile = static_cast<uint32_t>(i / 128);
        uint8_t b = 0;
        for (int half = 0; half < 2; ++half) {
            uint32_t pen = rng() & 15;
            if (tile % 4 == 0) pen = 0;
            if (tile % 4 == 1 && pen == 0) pen = 1 + rng() % 15;
            if (tile % 4 >= 2 && rng() % 3 == 0) pen = 0;
            b = static_cast<uint8_t>(b << 4 | pen);
        }
        t[i] = b;
    }
    return t;
}

// Sprite region (two banks): runs of words of pen 0, of the all-ones pen and
// of random pens.
std::vector<uint8_t> make_sprites() {
    std::mt19937 rng(0x5B17E);
    std::vector<uint8_t> s(0x800000);
    for (size_t i = 0; i < s.size(); i += 64) {
        const uint32_t kind = rng() % 8;
        for (size_t k = i; k < i + 64; ++k) {
            uint8_t b = static_cast<uint8_t>(rng());
            if (kind == 0) b = 0;
            if (kind == 1 && rng() % 4 == 0) b |= 0x0F;
            if (kind >= 2 && (b & 0x0F) == 0x0F) b &= 0xFE;  // rows seldom end early
            s[k] = b;
        }
    }
    return s;
}

uint64_t observed_hash;
void observe_tile(int layer, uint16_t tile, uint16_t colour) {
    const uint32_t v[3] = {static_cast<uint32_t>(layer), tile, colour};
    observed_hash = orb_fnv1a(observed_hash, v, sizeof v);
}
void observe_sprite(uint32_t address, int width_words, int height, bool eight_bit, bool all_ones_is_pen,
                    const uint16_t* colours) {
    const uint32_t v[5] = {address, static_cast<uint32_t>(width_words), static_cast<uint32_t>(height),
                           eight_bit, all_ones_is_pen};
    observed_hash = orb_fnv1a(observed_hash, v, sizeof v);
    observed_hash = orb_fnv1a(observed_hash, colours, (eight_bit ? 256 : 16) * sizeof(uint16_t));
}

class VideoCorpus : public VideoTest {
public:
    static const std::vector<uint8_t>& big_tiles() {
        static const std::vector<uint8_t> t = make_tiles();
        return t;
    }
    static const std::vector<uint8_t>& big_sprites() {
        static const std::vector<uint8_t> s = make_sprites();
        return s;
    }

    void TearDown() override {
        orb_video_tile_observer = nullptr;
        orb_video_sprite_observer = nullptr;
        VideoTest::TearDown();
    }

    std::mt19937 rng;
    uint32_t below(uint32_t n) { return rng() % n; }
    bool chance(uint32_t percent) { return below(100) < percent; }
    uint16_t bits_each(int count, uint32_t percent) {
        uint16_t v = 0;
        for (int i = 0; i < count; ++i)
            if (chance(percent)) v = static_cast<uint16_t>(v | 1u << i);
        return v;
    }

    // Video RAM in 1 KB blocks (a tile page each), each zero, random bytes,
    // or map entries of transparent, opaque or mostly transparent tiles.
    void fill_video_ram() {
        const uint32_t weights[5] = {below(4), 1 + below(4), below(4), below(4), below(4)};
        const uint32_t total = weights[0] + weights[1] + weights[2] + weights[3] + weights[4];
        for (uint32_t block = 0; block < 128; ++block) {
            uint32_t pick = below(total), kind = 0;
            while (pick >= weights[kind]) pick -= weights[kind++];
            uint8_t* p = orb_board.video_ram + block * 1024;
            for (uint32_t i = 0; i < 1024; i += 2) {
                uint16_t w = static_cast<uint16_t>(rng());
                switch (kind) {
                case 0: w = 0; break;
                case 1: break;
                case 2: w &= 0xFFFC; break;
                case 3: w = static_cast<uint16_t>((w & 0xFFFC) | 1); break;
                default: w = static_cast<uint16_t>(chance(80) ? w & 0xFFFC : w); break;
                }
                p[i] = static_cast<uint8_t>(w);
                p[i + 1] = static_cast<uint8_t>(w >> 8);
            }
        }
    }

    uint16_t zoom() {
        switch (below(4)) {
        case 0: return 0x200;
        case 1: return static_cast<uint16_t>(0x80 + below(0x380));
        case 2: return static_cast<uint16_t>(below(0x80));
        default: return static_cast<uint16_t>(rng());
        }
    }

    void video_registers() {
        uint16_t control = static_cast<uint16_t>(rng() & 0x0D00);  // 8-bit bitmap, tile bank, own-flip axis
        if (chance(50)) control |= 0x8000;
        if (chance(40)) control |= 0x4000;
        if (chance(15)) control |= 0x2000;
        if (chance(15)) control |= 0x1000;
        if (chance(25)) control |= 0x0200;
        control |= bits_each(4, 20);
        vreg(0x00, control);
        // One draw a statement: operands of one expression have no set order.
        const uint16_t layer_off = bits_each(6, 20);
        const uint16_t outside = static_cast<uint16_t>(rng() & 0x07C0);
        vreg(0x02, static_cast<uint16_t>(layer_off | outside | bits_each(5, 40) << 11));
        const uint16_t line_scroll = bits_each(4, 40);
        const uint16_t line_windows = bits_each(2, 20);
        vreg(0x04, static_cast<uint16_t>(line_scroll | line_windows << 4 | (rng() & 0xFC00)));
        vreg(0x06, static_cast<uint16_t>(rng()));
        for (uint32_t r = 0x10; r < 0x40; r += 2) vreg(r, static_cast<uint16_t>(rng()));
        for (uint32_t r = 0x40; r < 0x50; r += 2) {
            const uint32_t mask = chance(80) ? 0x7F7F : 0xFFFF;
            vreg(r, static_cast<uint16_t>(rng() & mask));
        }
        vreg(0x50, zoom());
        vreg(0x52, zoom());
        vreg(0x54, zoom());
        vreg(0x56, zoom());
        vreg(0x5C, static_cast<uint16_t>(rng()));
        vreg(0x5E, static_cast<uint16_t>(rng()));
        for (uint32_t w = 0; w < 5; ++w) {
            const uint32_t base = 0x60 + 8 * w;
            const bool whole = chance(15);
            const uint32_t mask = chance(80) ? 0x1FF : 0xFFFF;
            const uint32_t v[4] = {below(0x10000), below(0x10000), below(0x10000), below(0x10000)};
            vreg(base + 0, static_cast<uint16_t>(whole ? 0 : v[0] & mask));
            vreg(base + 2, static_cast<uint16_t>(whole ? 0 : v[1] & 0xFF));
            vreg(base + 4, static_cast<uint16_t>(whole ? 511 : v[2] & mask));
            vreg(base + 6, static_cast<uint16_t>(whole ? 255 : v[3] & 0xFF));
        }
        for (uint32_t r = 0x88; r < 0x8E; r += 2) vreg(r, static_cast<uint16_t>(rng()));
        vreg(0x8E, bits_each(6, 10));
    }

    void mixer_registers() {
        for (auto& r : orb_board.mixer_regs) r = static_cast<uint16_t>(rng());
        for (int i = 0; i < 6; ++i) {
            uint16_t& layer = orb_board.mixer_regs[0x10 + i];
            if (chance(10)) layer &= 0xFFF0;                           // priority 0: not shown
            if (chance(40)) orb_board.mixer_regs[0x18 + i] &= 0xC03F;  // blends with nothing
        }
        if (chance(40)) orb_board.mixer_regs[0x27] &= ~0x0800;  // blending off
        if (chance(30))
            for (int r = 0x20; r < 0x26; ++r) orb_board.mixer_regs[r] = 0;  // no offsets
        if (chance(30)) orb_board.mixer_regs[0x26] &= ~0x0004;              // no bit-15 shadow
    }

    // Writes a sprite list of random draw entries with a few window and jump
    // commands, ending in an end entry.
    void sprite_list() {
        const uint32_t count = below(4) == 0 ? below(8) : below(120);
        uint32_t n = 0;
        for (uint32_t i = 0; i < count && n < 8000; ++i) {
            const uint32_t kind = below(100);
            if (kind < 4) {
                const uint16_t w0 = static_cast<uint16_t>(0x4000 | (rng() & 0x3FFF));
                sprite_entry(n, {w0, static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng()),
                                 static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng()),
                                 static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng()),
                                 static_cast<uint16_t>(rng())});
                ++n;
                continue;
            }
            if (kind < 7) {
                // Jump a few entries on, maybe setting the origin.
                const uint32_t to = n + 1 + below(3);
                sprite_entry(n, {static_cast<uint16_t>(0x8000 | (rng() & 0x2000) | to),
                                 static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng())});
                n = to;
                continue;
            }
            const bool eight_bit = chance(30);
            const bool inline_table = chance(10);
            uint16_t w0 = static_cast<uint16_t>(rng() & 0x00FF);
            if (chance(30)) w0 |= 0x0100;
            if (eight_bit) w0 |= 0x0200;
            if (chance(10)) w0 |= 0x0400;
            if (chance(10)) w0 |= 0x0800;
            if (inline_table) {
                w0 |= 0x3000;
            } else if (chance(25)) {
                w0 |= 0x2000;
            }
            const uint32_t words = chance(3) ? 0 : 1 + below(16);
            const uint32_t rows = chance(3) ? 0 : 1 + below(64);
            const uint32_t pens = eight_bit ? 4 : 8;
            const uint16_t w1 =
                static_cast<uint16_t>(rows << 8 | (eight_bit ? words : words << 1 | (rng() & 1)));
            const uint32_t height = chance(50) ? rows : below(160);
            const uint32_t width = chance(50) ? words * pens : below(200);
            const uint16_t y = static_cast<uint16_t>((static_cast<int32_t>(below(320)) - 64) & 0xFFF);
            const uint16_t x = static_cast<uint16_t>((static_cast<int32_t>(below(560)) - 64) & 0xFFF);
            sprite_entry(n, {w0, w1, static_cast<uint16_t>(height | (rng() & 0xF000)),
                             static_cast<uint16_t>(width | (rng() & 0x4800)), y, x,
                             static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng())});
            n += inline_table ? 3 : 1;
        }
        end_list(n & 0x1FFF);
    }

    // Builds the whole state of seed `seed`, runs two sprite updates and two
    // frames (the second after a few switches flip), and returns the hashes.
    corpus_entry run(uint32_t seed) {
        rng.seed(seed);
        const uint32_t regions = below(10);
        if (regions == 0) {
            orb_video_init(big_tiles().data(), 100 * 128 + 5, big_sprites().data(), 0x12344);
        } else if (regions == 1) {
            orb_video_init(big_tiles().data(), 100, big_sprites().data(), 3);
        } else {
            orb_video_init(big_tiles().data(), big_tiles().size(), big_sprites().data(),
                           big_sprites().size());
        }
        for (auto& p : orb_board.palette) p = static_cast<uint16_t>(rng());
        fill_video_ram();
        for (auto& b : orb_board.sprite_ram) b = static_cast<uint8_t>(rng());
        video_registers();
        mixer_registers();
        orb_board.io.cnt = static_cast<uint8_t>(chance(95) ? 2 : 0);
        orb_board.io.tile_bank = static_cast<uint8_t>(rng());
        for (auto& r : orb_board.sprite_latched) r = static_cast<uint8_t>(rng());
        if (chance(50)) orb_board.sprite_latched[5] &= 0xFE;  // shadow entries off

        observed_hash = ORB_FNV_OFFSET;
        if (chance(20)) {
            orb_video_tile_observer = observe_tile;
            orb_video_sprite_observer = observe_sprite;
        }
        if (chance(95)) {
            sprite_list();
            orb_video_sprites(true, true);
            sprite_list();
            const bool clear = chance(75);
            orb_video_sprites(clear, chance(90));
        }
        orb_video_draw_frame();
        const uint64_t first = orb_video_frame_hash();

        if (chance(30)) vreg(0x00, static_cast<uint16_t>(vreg_get(0x00) ^ 0x8000));
        if (chance(30)) vreg(0x02, static_cast<uint16_t>(vreg_get(0x02) ^ bits_each(6, 30)));
        if (chance(20)) vreg(0x00, static_cast<uint16_t>(vreg_get(0x00) ^ 0x0200));
        if (chance(5)) orb_board.io.cnt ^= 2;
        orb_video_draw_frame();

        corpus_entry e{seed, orb_video_frame_hash(), ORB_FNV_OFFSET};
        uint64_t& h = e.state_hash;
        h = orb_fnv1a(h, &first, sizeof first);
        h = orb_fnv1a(h, video.frame, sizeof video.frame);
        for (const layer_record& layer : video.layers) {
            h = orb_fnv1a(h, layer.pixels, sizeof layer.pixels);
            h = orb_fnv1a(h, layer.row_empty, sizeof layer.row_empty);
        }
        h = orb_fnv1a(h, video.sprite_frames, sizeof video.sprite_frames);
        h = orb_fnv1a(h, &video.sprite_frame_index, sizeof video.sprite_frame_index);
        h = orb_fnv1a(h, &observed_hash, sizeof observed_hash);
        orb_video_tile_observer = nullptr;
        orb_video_sprite_observer = nullptr;
        return e;
    }
};

TEST_F(VideoCorpus, EveryRecordedStateGivesItsHashes) {
    if (const char* out = std::getenv("IRONBELL_VIDEO_CORPUS_OUT")) {
        FILE* f = std::fopen(out, "w");
        ASSERT_NE(f, nullptr) << out;
        std::fprintf(f, "// seed, frame hash, state hash: written by VideoCorpus (corpus_test.cpp)\n");
        for (uint32_t seed = 1; seed <= 300; ++seed) {
            const corpus_entry e = run(seed);
            std::fprintf(f, "{%u, 0x%016llxull, 0x%016llxull},\n", e.seed,
                         static_cast<unsigned long long>(e.frame_hash),
                         static_cast<unsigned long long>(e.state_hash));
        }
        std::fclose(f);
        GTEST_SKIP() << "recorded the corpus into " << out;
    }
    ASSERT_GT(std::size(recorded), 1u) << "the corpus table is empty";
    int differing = 0;
    for (const corpus_entry& want : recorded) {
        const corpus_entry got = run(want.seed);
        if (got.frame_hash == want.frame_hash && got.state_hash == want.state_hash) continue;
        ADD_FAILURE() << "seed " << want.seed << ": frame hash " << std::hex << got.frame_hash
                      << " (recorded " << want.frame_hash << "), state hash " << got.state_hash
                      << " (recorded " << want.state_hash << ")";
        if (++differing == 10) break;
    }
}

}  // namespace
