#pragma once
// The pixel work behind our D3DX stand-in, free of Windows headers so that it
// is built and tested natively: box-filtered mip levels and DXT block
// compression of 32-bit ARGB pictures (one word per texel, B, G, R, A in
// memory), and the DXT decoder the tests and the benchmark measure it with.

#include <cstdint>

// Size of the next mip level: halved, never below 1.
inline int mipExtent(int size) {
    return size > 1 ? size / 2 : 1;
}

// Fills `dst` (mipExtent(w) x mipExtent(h), `dstPitch` words a row) with the
// average of each 2x2 block of `src` (w x h, `srcPitch` words a row), each
// channel rounded to nearest. A dimension of 1 averages only along the other.
void boxFilterLevel(const uint32_t* src, int w, int h, int srcPitch, uint32_t* dst, int dstPitch);

// Bytes of one compressed block row: 8 bytes per block for DXT1, 16 for DXT5.
inline int dxtBlockBytes(bool dxt5) {
    return dxt5 ? 16 : 8;
}

// Compresses a w x h picture (`srcPitch` words a row) into DXT1 or DXT5
// blocks, `dstPitch` bytes per row of blocks. Partial blocks at the right and
// bottom edges repeat the last column and row. Uses stb_dxt's high-quality mode.
void compressDxt(const uint32_t* src, int w, int h, int srcPitch, bool dxt5, uint8_t* dst,
                 int dstPitch);

// Decodes DXT1 or DXT5 blocks back into ARGB words (for measuring quality).
void decompressDxt(const uint8_t* src, int srcPitch, int w, int h, bool dxt5, uint32_t* dst,
                   int dstPitch);
