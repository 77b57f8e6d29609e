// inflate_raw against zlib's raw inflate on the same 1 MB members. The
// counter speed_vs_zlib is inflate_raw's throughput as a fraction of zlib's
// on the same stream (1.0 = as fast).

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "romset/inflate.h"
#include "tests/support/romset_fixture.h"

namespace {

using romset_fixture::bytes;

constexpr size_t member_size = 0x100000;

struct sample {
    bytes data;
    bytes stream;
};

sample deflated(bytes data) {
    sample s{std::move(data), {}};
    s.stream = romset_fixture::deflate_raw(s.data, 6);
    return s;
}

// Deflated at zlib's default level. 0: text-like (mostly matches); 1:
// random-like (zlib stores it); 2: bytes of a 16-value alphabet in random
// order (nearly all literals, the slowest case for bit-by-bit decoding).
const char* const sample_names[3] = {"text-like", "random-like", "literal-heavy"};
const sample& sample_of(int64_t kind) {
    static const sample samples[3] = {deflated(romset_fixture::text_like(member_size)),
                                      deflated(romset_fixture::random_like(member_size)),
                                      deflated(romset_fixture::member_bytes(9, member_size))};
    return samples[kind];
}

void zlib_inflate(const sample& s, bytes& out) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) throw std::runtime_error("inflateInit2 failed");
    z.next_in = const_cast<Bytef*>(s.stream.data());
    z.avail_in = uInt(s.stream.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib could not inflate the sample");
}

// Seconds zlib takes for one member: the best of a few runs.
double zlib_seconds(const sample& s) {
    bytes out(s.data.size());
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        zlib_inflate(s, out);
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void BM_inflate_raw(benchmark::State& state) {
    const sample& s = sample_of(state.range(0));
    const double reference = zlib_seconds(s);
    bytes out(s.data.size());
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int ok = inflate_raw(s.stream.data(), s.stream.size(), out.data(), out.size());
        if (!ok) state.SkipWithError("inflate_raw failed");
        benchmark::DoNotOptimize(out.data());
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (out != s.data) state.SkipWithError("inflate_raw decoded other bytes");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.data.size()));
    // zlib's time for as many members, over the time inflate_raw took.
    state.counters["speed_vs_zlib"] = reference * double(state.iterations()) / elapsed;
    state.SetLabel(sample_names[state.range(0)]);
}

void BM_zlib_raw_inflate(benchmark::State& state) {
    const sample& s = sample_of(state.range(0));
    bytes out(s.data.size());
    for (auto _ : state) {
        zlib_inflate(s, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.data.size()));
    state.SetLabel(sample_names[state.range(0)]);
}

}  // namespace

BENCHMARK(BM_inflate_raw)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zlib_raw_inflate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
