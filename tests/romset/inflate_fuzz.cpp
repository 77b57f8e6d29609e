// Feeds arbitrary streams to inflate_raw. The first three bytes choose the
// destination size (up to 256 KB); the buffer has exactly that size, so any
// write past it is caught. Where zlib decodes the stream to exactly that size,
// inflate_raw must too, with the same bytes.

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "romset/inflate.h"

namespace {

// zlib's raw inflate; true when the stream ended with exactly `size` bytes.
bool zlib_inflates(const uint8_t* source, size_t length, uint8_t* out, size_t size) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    uint8_t spare = 0;
    z.next_in = const_cast<Bytef*>(source);
    z.avail_in = uInt(length);
    z.next_out = size ? out : &spare;
    z.avail_out = uInt(size);
    const int result = inflate(&z, Z_FINISH);
    const bool ended = result == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    return ended;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t out_size = size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2] & 0x03) << 16;
    const std::unique_ptr<uint8_t[]> ours(new uint8_t[out_size]);
    const int result = inflate_raw(data + 3, size - 3, ours.get(), out_size);

    const std::unique_ptr<uint8_t[]> theirs(new uint8_t[out_size]);
    if (zlib_inflates(data + 3, size - 3, theirs.get(), out_size)) {
        if (result != 1 || std::memcmp(ours.get(), theirs.get(), out_size) != 0) __builtin_trap();
    }
    return 0;
}
