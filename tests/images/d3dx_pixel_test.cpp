#include "d3dx/matrix_math.h"
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

TEST(Matrix, MultiplyIsRowVectorComposition) {
    float scale[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    float move[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    float m[16];
    multiplyMatrix(m, scale, move); // scale first, then translate
    EXPECT_FLOAT_EQ(2, m[0]);
    EXPECT_FLOAT_EQ(5, m[12]);
    multiplyMatrix(m, move, scale); // translation is scaled too
    EXPECT_FLOAT_EQ(10, m[12]);
    EXPECT_FLOAT_EQ(14, m[14]);
    multiplyMatrix(m, m, scale); // in place
    EXPECT_FLOAT_EQ(20, m[12]);
}

TEST(Matrix, LookAtMapsTheTargetOntoThePositiveZAxis) {
    const float eye[3] = {1, 2, 3}, at[3] = {1, 2, 10}, up[3] = {0, 1, 0};
    float m[16];
    lookAtLH(m, eye, at, up);
    // A point p maps to p * M.
    auto apply = [&](const float p[3], float out[3]) {
        for (int j = 0; j < 3; ++j)
            out[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
    };
    float e[3], t[3];
    apply(eye, e);
    apply(at, t);
    EXPECT_NEAR(0, e[0], 1e-5);
    EXPECT_NEAR(0, e[2], 1e-5);
    EXPECT_NEAR(0, t[0], 1e-5);
    EXPECT_NEAR(0, t[1], 1e-5);
    EXPECT_NEAR(7, t[2], 1e-5);
    // Looking along +x, the world's +z is on the viewer's left (-x in view).
    const float eye2[3] = {0, 0, 0}, at2[3] = {1, 0, 0};
    lookAtLH(m, eye2, at2, up);
    const float pz[3] = {0, 0, 1};
    float v[3];
    apply(pz, v);
    EXPECT_NEAR(-1, v[0], 1e-5);
}

} // namespace
