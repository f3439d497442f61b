#include "images/picture_sampler.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// Channel-wise exact bilinear interpolation, for comparison.
double exactChannel(const uint32_t* p, int w, int h, float x, float y, int shift) {
    auto c = [&](int xi, int yi) {
        xi = std::min(xi, w - 1);
        yi = std::min(yi, h - 1);
        return double((p[yi * w + xi] >> shift) & 0xFF);
    };
    const int xi = int(x), yi = int(y);
    const double fx = x - xi, fy = y - yi;
    const double top = c(xi, yi) + (c(xi + 1, yi) - c(xi, yi)) * fx;
    const double bottom = c(xi, yi + 1) + (c(xi + 1, yi + 1) - c(xi, yi + 1)) * fx;
    return top + (bottom - top) * fy;
}

TEST(PictureSampler, IntegerCoordinatesGiveExactTexels) {
    const uint32_t p[6] = {0x01020304, 0xFFFFFFFF, 0x80808080, 0x00000000, 0x7F00FF01, 0x12345678};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(p[y * 3 + x], sampleBilinear(p, float(x), float(y), 3, 2));
            EXPECT_EQ(p[y * 3 + x], sampleNearest(p, float(x), float(y), 3, 2));
        }
}

TEST(PictureSampler, BlendsAllFourChannelsCloseToExact) {
    std::mt19937 rng(5);
    const int w = 9, h = 7;
    uint32_t p[w * h];
    for (uint32_t& t : p) t = uint32_t(rng());
    std::uniform_real_distribution<float> ux(0, float(w)), uy(0, float(h));
    for (int i = 0; i < 2000; ++i) {
        const float x = ux(rng), y = uy(rng);
        const uint32_t s = sampleBilinear(p, x, y, w, h);
        for (int shift = 0; shift < 32; shift += 8) {
            const double want = exactChannel(p, w, h, x, y, shift);
            EXPECT_NEAR(want, double((s >> shift) & 0xFF), 2.0) << x << "," << y;
        }
    }
}

TEST(PictureSampler, HalfwayBetweenBlackAndWhite) {
    const uint32_t p[2] = {0x00000000, 0xFFFFFFFF};
    const uint32_t s = sampleBilinear(p, 0.5f, 0, 2, 1);
    for (int shift = 0; shift < 32; shift += 8) {
        const int c = int((s >> shift) & 0xFF);
        EXPECT_GE(c, 126);
        EXPECT_LE(c, 128);
    }
}

TEST(PictureSampler, LastColumnAndRowBlendWithNothing) {
    // Exactly sized heap buffers: any read past them trips the address sanitizer.
    const int w = 3, h = 2;
    std::unique_ptr<uint32_t[]> p(new uint32_t[w * h]{1, 2, 0x00FF00FF, 4, 5, 0x0000FF00});
    EXPECT_EQ(0x00FF00FFu, sampleBilinear(p.get(), 2.75f, 0, w, h));
    EXPECT_EQ(0x0000FF00u, sampleBilinear(p.get(), 2.5f, 1.5f, w, h));
    // Coordinates at or beyond the edge clamp to the last texel.
    EXPECT_EQ(0x0000FF00u, sampleBilinear(p.get(), 3.0f, 2.0f, w, h));
    EXPECT_EQ(0x0000FF00u, sampleNearest(p.get(), 3.5f, 2.5f, w, h));
    std::unique_ptr<uint32_t[]> one(new uint32_t[1]{0xABCDEF01});
    EXPECT_EQ(0xABCDEF01u, sampleBilinear(one.get(), 0.9f, 0.9f, 1, 1));
}

TEST(PictureSampler, NearestTruncates) {
    const uint32_t p[4] = {1, 2, 3, 4};
    EXPECT_EQ(1u, sampleNearest(p, 0.99f, 0.99f, 2, 2));
    EXPECT_EQ(4u, sampleNearest(p, 1.2f, 1.7f, 2, 2));
}

} // namespace
