#include "pixel_ops.h"

#include <cstring>

#define STB_DXT_IMPLEMENTATION
#define STB_DXT_STATIC
#include <stb_dxt.h>

namespace {

uint32_t channel(uint32_t texel, int shift) {
    return (texel >> shift) & 0xFF;
}

} // namespace

void boxFilterLevel(const uint32_t* src, int w, int h, int srcPitch, uint32_t* dst, int dstPitch) {
    const int dw = mipExtent(w), dh = mipExtent(h);
    const int sx = w > 1 ? 1 : 0, sy = h > 1 ? 1 : 0;
    for (int y = 0; y < dh; ++y) {
        const uint32_t* row0 = src + size_t(y * (sy + 1)) * size_t(srcPitch);
        const uint32_t* row1 = row0 + size_t(sy) * size_t(srcPitch);
        uint32_t* out = dst + size_t(y) * size_t(dstPitch);
        for (int x = 0; x < dw; ++x) {
            const int x0 = x * (sx + 1), x1 = x0 + sx;
            const uint32_t texels[4] = {row0[x0], row0[x1], row1[x0], row1[x1]};
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                // With a dimension of 1 the duplicated reads are the same texel
                // twice: summing all four and dividing by four is still exact.
                uint32_t sum = 0;
                for (uint32_t t : texels) sum += channel(t, shift);
                result |= ((sum + 2) / 4) << shift;
            }
            out[x] = result;
        }
    }
}

void compressDxt(const uint32_t* src, int w, int h, int srcPitch, bool dxt5, uint8_t* dst,
                 int dstPitch) {
    unsigned char block[64];
    for (int by = 0; by < h; by += 4) {
        uint8_t* out = dst + size_t(by / 4) * size_t(dstPitch);
        for (int bx = 0; bx < w; bx += 4) {
            for (int y = 0; y < 4; ++y) {
                const int sy = by + y < h ? by + y : h - 1;
                for (int x = 0; x < 4; ++x) {
                    const int sx = bx + x < w ? bx + x : w - 1;
                    const uint32_t t = src[size_t(sy) * size_t(srcPitch) + size_t(sx)];
                    unsigned char* p = block + (y * 4 + x) * 4;
                    p[0] = uint8_t(channel(t, 16));
                    p[1] = uint8_t(channel(t, 8));
                    p[2] = uint8_t(channel(t, 0));
                    p[3] = uint8_t(channel(t, 24));
                }
            }
            stb_compress_dxt_block(out, block, dxt5 ? 1 : 0, STB_DXT_HIGHQUAL);
            out += dxtBlockBytes(dxt5);
        }
    }
}

namespace {

uint32_t expand565(uint16_t c) {
    const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return (r * 255 + 15) / 31 << 16 | (g * 255 + 31) / 63 << 8 | (b * 255 + 15) / 31;
}

uint32_t mix(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t div) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((channel(a, shift) * wa + channel(b, shift) * wb) / div) << shift;
    return out;
}

void decodeColorBlock(const uint8_t* b, bool forceFour, uint32_t colors[4], bool* transparent3) {
    const uint16_t c0 = uint16_t(b[0] | b[1] << 8), c1 = uint16_t(b[2] | b[3] << 8);
    colors[0] = expand565(c0);
    colors[1] = expand565(c1);
    *transparent3 = false;
    if (c0 > c1 || forceFour) {
        colors[2] = mix(colors[0], colors[1], 2, 1, 3);
        colors[3] = mix(colors[0], colors[1], 1, 2, 3);
    } else {
        colors[2] = mix(colors[0], colors[1], 1, 1, 2);
        colors[3] = 0;
        *transparent3 = true;
    }
}

} // namespace

void decompressDxt(const uint8_t* src, int srcPitch, int w, int h, bool dxt5, uint32_t* dst,
                   int dstPitch) {
    for (int by = 0; by < h; by += 4) {
        const uint8_t* in = src + size_t(by / 4) * size_t(srcPitch);
        for (int bx = 0; bx < w; bx += 4, in += dxtBlockBytes(dxt5)) {
            uint32_t alphas[16];
            const uint8_t* colorBlock = in;
            if (dxt5) {
                uint32_t a[8] = {in[0], in[1]};
                if (a[0] > a[1]) {
                    for (int i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
                } else {
                    for (int i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
                    a[6] = 0;
                    a[7] = 255;
                }
                uint64_t bits = 0;
                for (int i = 0; i < 6; ++i) bits |= uint64_t(in[2 + i]) << (8 * i);
                for (int i = 0; i < 16; ++i) alphas[i] = a[(bits >> (3 * i)) & 7];
                colorBlock = in + 8;
            }
            uint32_t colors[4];
            bool transparent3;
            decodeColorBlock(colorBlock, dxt5, colors, &transparent3);
            const uint32_t indices = uint32_t(colorBlock[4] | colorBlock[5] << 8 |
                                              colorBlock[6] << 16 | uint32_t(colorBlock[7]) << 24);
            for (int i = 0; i < 16; ++i) {
                const int x = bx + (i & 3), y = by + (i >> 2);
                if (x >= w || y >= h) continue;
                const uint32_t index = (indices >> (2 * i)) & 3;
                uint32_t alpha = dxt5 ? alphas[i] : (transparent3 && index == 3 ? 0 : 255);
                dst[size_t(y) * size_t(dstPitch) + size_t(x)] = alpha << 24 | colors[index];
            }
        }
    }
}
