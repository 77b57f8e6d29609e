#pragma once
// Raw DEFLATE (RFC 1951) decoding of whole buffers, as zip's method 8 stores it.

#include <cstddef>
#include <cstdint>

// Decodes the raw DEFLATE stream in `source` into `destination`. Result 1 when
// every block decoded without fault and the final block ended with exactly
// `destination_size` bytes written; 0 otherwise, and the destination's
// contents are then unspecified. Bytes after the final block are not read.
int inflate_raw(const uint8_t* source, size_t source_length, uint8_t* destination, size_t destination_size);
