#pragma once
#include <cstddef>
#include <cstdint>

/// The Adler-32 checksum of a zlib stream, continued from `adler` (1 for none yet) over `size`
/// bytes at `data`: the same value as zlib's adler32, in 32-byte steps where the processor
/// has AVX2. Never fails; `data` may be null when `size` is 0.
uint32_t Adler32(uint32_t adler, const unsigned char* data, size_t size);
