#include "d3dx/pixel_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(BoxFilter, AveragesTwoByTwoRounded) {
    const uint32_t src[4] = {0x00000000, 0x04040404, 0x01010101, 0x01010101};
    uint32_t dst = 0;
    boxFilterLevel(src, 2, 2, 2, &dst, 1);
    EXPECT_EQ(0x02020202u, dst); // (0 + 4 + 1 + 1 + 2) / 4 = 2
}

TEST(BoxFilter, OneDimensionalLevels) {
    const uint32_t row[4] = {0xFF000000, 0xFF0000FE, 0x10203040, 0x30405060};
    uint32_t out[2] = {};
    boxFilterLevel(row, 4, 1, 4, out, 2);
    EXPECT_EQ(0xFF00007Fu, out[0]);
    EXPECT_EQ(0x20304050u, out[1]);
    // A column of two.
    const uint32_t column[2] = {0x00000010, 0x00000020};
    uint32_t one = 0;
    boxFilterLevel(column, 1, 2, 1, &one, 1);
    EXPECT_EQ(0x18u, one);
}

TEST(BoxFilter, WholeChainOfAConstantStaysConstant) {
    int w = 128, h = 8;
    std::vector<uint32_t> level(size_t(w * h), 0x80402010);
    while (w > 1 || h > 1) {
        std::vector<uint32_t> next(size_t(mipExtent(w) * mipExtent(h)));
        boxFilterLevel(level.data(), w, h, w, next.data(), mipExtent(w));
        w = mipExtent(w);
        h = mipExtent(h);
        level.swap(next);
        for (uint32_t t : level) ASSERT_EQ(0x80402010u, t);
    }
}

double rmse(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, bool alpha) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int s = 0; s < (alpha ? 32 : 24); s += 8) {
            const double d = double((a[i] >> s) & 0xFF) - double((b[i] >> s) & 0xFF);
            sum += d * d;
        }
    return std::sqrt(sum / double(a.size() * (alpha ? 4 : 3)));
}

std::vector<uint32_t> gradient(int w, int h) {
    std::vector<uint32_t> p(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[size_t(y * w + x)] = uint32_t(255 * x / std::max(1, w - 1)) << 24 |
                                   uint32_t(4 * x) << 16 | uint32_t(4 * y) << 8 |
                                   uint32_t(128 + x - y);
    return p;
}

TEST(Dxt, SmoothPicturesSurviveCompression) {
    const int w = 64, h = 64;
    const auto src = gradient(w, h);
    for (bool dxt5 : {false, true}) {
        std::vector<uint8_t> blocks(size_t(w / 4 * h / 4 * dxtBlockBytes(dxt5)));
        compressDxt(src.data(), w, h, w, dxt5, blocks.data(), w / 4 * dxtBlockBytes(dxt5));
        std::vector<uint32_t> back(src.size());
        decompressDxt(blocks.data(), w / 4 * dxtBlockBytes(dxt5), w, h, dxt5, back.data(), w);
        EXPECT_LT(rmse(src, back, false), 4.0) << dxt5;
        if (dxt5) {
            EXPECT_LT(rmse(src, back, true), 3.0);
        } else {
            for (uint32_t t : back) ASSERT_EQ(255u, t >> 24); // DXT1 here is opaque
        }
    }
}

TEST(Dxt, SolidColoursAreExactAtBlockEdges) {
    // 6 x 3: partial blocks on the right and bottom repeat the edge texels.
    const int w = 6, h = 3;
    std::vector<uint32_t> src(size_t(w * h), 0xFF00FF00);
    std::vector<uint8_t> blocks(2 * 8);
    compressDxt(src.data(), w, h, w, false, blocks.data(), 16);
    std::vector<uint32_t> back(src.size());
    decompressDxt(blocks.data(), 16, w, h, false, back.data(), w);
    EXPECT_EQ(src, back);
}

TEST(Dxt, AlphaFromIntensityPicturesKeepTheirAlphaInDxt5) {
    const int w = 8, h = 8;
    std::vector<uint32_t> src(size_t(w * h));
    for (int i = 0; i < w * h; ++i) src[size_t(i)] = uint32_t(i * 4) << 24; // black, alpha ramp
    std::vector<uint8_t> blocks(4 * 16);
    compressDxt(src.data(), w, h, w, true, blocks.data(), 32);
    std::vector<uint32_t> back(src.size());
    decompressDxt(blocks.data(), 32, w, h, true, back.data(), w);
    for (size_t i = 0; i < src.size(); ++i) {
        EXPECT_EQ(0u, back[i] & 0xFFFFFF);
        // Eight levels over a block's range of 108: at most half a step off.
        EXPECT_NEAR(double(src[i] >> 24), double(back[i] >> 24), 8.0);
    }
}

} // namespace
