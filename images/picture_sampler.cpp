// The bilinear sampler mirrors a packed-word SIMD routine: each channel is
// widened to 16 bits and shifted left by 7, a lerp step is
// ((b - a) * f) >> 16 with a 15-bit fraction f, doubled, with signed 16-bit
// saturation after every step, and added to a.

#include "picture_sampler.h"

#include <cstddef>

namespace {

int16_t saturate(int32_t v) {
    return int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

struct Wide {
    int16_t c[4]; // blue, green, red, alpha, each value << 7
};

Wide widen(uint32_t texel) {
    Wide w;
    for (int i = 0; i < 4; ++i) w.c[i] = int16_t(((texel >> (8 * i)) & 0xFF) << 7);
    return w;
}

// a + ((b - a) * f >> 16) << 1, every step saturated as a 16-bit lane would be.
Wide lerp(Wide a, Wide b, int32_t f) {
    Wide r;
    for (int i = 0; i < 4; ++i) {
        const int16_t diff = saturate(int32_t(b.c[i]) - a.c[i]);
        const int16_t high = int16_t((int32_t(diff) * f) >> 16);
        const int16_t step = saturate(int32_t(high) * 2);
        r.c[i] = saturate(int32_t(a.c[i]) + step);
    }
    return r;
}

uint32_t narrow(Wide w) {
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        int32_t v = w.c[i] >> 7;
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        out |= uint32_t(v) << (8 * i);
    }
    return out;
}

int clampIndex(float v, int size) {
    if (!(v > 0)) return 0; // negative and NaN
    const int i = v >= float(size) ? size - 1 : int(v);
    return i < size ? i : size - 1;
}

} // namespace

uint32_t sampleNearest(const uint32_t* pixels, float x, float y, int width, int height) {
    return pixels[size_t(clampIndex(y, height)) * size_t(width) + size_t(clampIndex(x, width))];
}

uint32_t sampleBilinear(const uint32_t* pixels, float x, float y, int width, int height) {
    const int xi = clampIndex(x, width), yi = clampIndex(y, height);
    float fx = x - float(xi), fy = y - float(yi);
    fx = fx < 0 ? 0 : fx >= 1 ? 0 : fx;
    fy = fy < 0 ? 0 : fy >= 1 ? 0 : fy;
    const uint32_t* row = pixels + size_t(yi) * size_t(width);
    if (fx == 0 && fy == 0) return row[xi];

    const int32_t ex = int32_t(fx * 32768.0f), ey = int32_t(fy * 32768.0f);
    const bool right = ex != 0 && xi < width - 1;
    Wide top = widen(row[xi]);
    if (right) top = lerp(top, widen(row[xi + 1]), ex);
    if (ey != 0 && yi < height - 1) {
        const uint32_t* below = row + width;
        Wide bottom = widen(below[xi]);
        if (right) bottom = lerp(bottom, widen(below[xi + 1]), ex);
        return narrow(lerp(top, bottom, ey));
    }
    return narrow(top);
}
