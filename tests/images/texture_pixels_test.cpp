#include "images/texture_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TexturePixels, DestinationSizes) {
    int w, h;
    textureDestinationSize(1, 1, 4096, 4096, &w, &h);
    EXPECT_EQ(128, w);
    EXPECT_EQ(1, h);
    textureDestinationSize(129, 129, 4096, 4096, &w, &h);
    EXPECT_EQ(256, w);
    EXPECT_EQ(256, h);
    textureDestinationSize(300, 20, 4096, 4096, &w, &h);
    EXPECT_EQ(512, w);
    EXPECT_EQ(32, h);
    textureDestinationSize(16, 16, 4096, 4096, &w, &h);
    EXPECT_EQ(128, w);
    EXPECT_EQ(16, h);
    textureDestinationSize(5000, 3000, 2048, 1024, &w, &h);
    EXPECT_EQ(2048, w);
    EXPECT_EQ(1024, h);
}

TEST(TexturePixels, FlagMatchingIgnoresCompressAndMipmaps) {
    EXPECT_TRUE(textureFlagsMatch(3, 2));
    EXPECT_TRUE(textureFlagsMatch(0, 3));
    EXPECT_FALSE(textureFlagsMatch(3, 7));
    EXPECT_FALSE(textureFlagsMatch(TEXTURE_NORMAL_MAP | 2, 2));
}

TEST(TexturePixels, TexelCasesInOrder) {
    const uint32_t s = 0x80306090; // intensity (0x30 + 0x60 + 0x90) / 3 = 0x60
    EXPECT_EQ(uint32_t(255 - 0x60) << 24, buildTexel(s, TEXTURE_ALPHA_FROM_INTENSITY, true, 0, 1));
    // Alpha source: its intensity (0x15) masks the alpha; the mode is not applied.
    EXPECT_EQ(0x15306090u, buildTexel(0xFF306090, 3, true, 0xFF102010, ALPHA_OPAQUE));
    EXPECT_EQ(0x00306090u, buildTexel(s, 3, true, 0xFF102010, ALPHA_OPAQUE));
    EXPECT_EQ(s, buildTexel(s, 3, false, 0, ALPHA_KEEP));
    EXPECT_EQ(0xFF306090u, buildTexel(s, 3, false, 0, ALPHA_OPAQUE));
    EXPECT_EQ(0xFF808080u, buildTexel(s, 3, false, 0, ALPHA_AS_GREY));
}

TEST(TexturePixels, ResampleStepsAcrossTheSource) {
    // A 2 x 1 source into 128 x 1: dx = 1/64; nearest sampling gives 64 of each.
    const uint32_t src[2] = {0xFF000001, 0xFF000002};
    std::vector<uint32_t> dst(128);
    auto nearest = [&](float x, float) { return src[int(x)]; };
    resampleLevel(dst.data(), 128, 1, 128, 2, 1, 3, ALPHA_KEEP, nearest, false, nearest);
    EXPECT_EQ(0xFF000001u, dst[0]);
    EXPECT_EQ(0xFF000001u, dst[63]);
    EXPECT_EQ(0xFF000002u, dst[64]);
    EXPECT_EQ(0xFF000002u, dst[127]);
}

TEST(TexturePixels, ResampleWritesEveryRowAtItsPitch) {
    std::vector<uint32_t> dst(4 * 8, 0xDEADBEEF);
    auto position = [](float x, float y) { return uint32_t(y * 16) << 8 | uint32_t(x * 16); };
    resampleLevel(dst.data(), 2, 4, 8, 1, 2, 0, ALPHA_KEEP, position, false, position);
    EXPECT_EQ(0u, dst[0]);
    EXPECT_EQ(8u, dst[1]);          // x = 0.5
    EXPECT_EQ(8u << 8, dst[8]);     // y = 0.5
    EXPECT_EQ(0xDEADBEEFu, dst[2]); // beyond the row's width: untouched
}

TEST(TexturePixels, MissingPatternIsIndexSquared) {
    std::vector<uint32_t> dst(128 * 8);
    fillMissingPattern(dst.data(), 128, 8, 128);
    EXPECT_EQ(0u, dst[0]);
    EXPECT_EQ(4u, dst[2]);
    EXPECT_EQ(uint32_t(1000u * 1000u), dst[1000]);
    EXPECT_EQ(uint32_t(1023u * 1023u), dst[1023]);
}

TEST(TexturePixels, FlatHeightsGiveAnUpwardNormal) {
    std::vector<uint32_t> level(8 * 4, 0xFF202020), scratch(8 * 4);
    convertToNormalMap(level.data(), 8, 4, 8, scratch.data());
    for (uint32_t t : level) EXPECT_EQ(0xFF7F7FFFu, t);
}

TEST(TexturePixels, HighTexelsLoseAlphaAndSlopesTilt) {
    // Heights rise to the right: the normal leans toward -x (red below 127).
    const int W = 8, H = 2;
    std::vector<uint32_t> level(W * H), scratch(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) level[size_t(y * W + x)] = uint32_t(x * 6) * 0x010101u;
    convertToNormalMap(level.data(), W, H, W, scratch.data());
    const uint32_t middle = level[3];
    EXPECT_LT((middle >> 16) & 0xFF, 127u);
    EXPECT_EQ(127u, (middle >> 8) & 0xFF);
    EXPECT_EQ(255u, middle >> 24);

    // Height 16 * 50 = 800 reaches the limit: alpha 0.
    std::vector<uint32_t> tall(4 * 2, 0xFF323232), s2(8);
    convertToNormalMap(tall.data(), 4, 2, 4, s2.data());
    EXPECT_EQ(0u, tall[0] >> 24);
    std::vector<uint32_t> low(4 * 2, 0xFF313131);
    convertToNormalMap(low.data(), 4, 2, 4, s2.data());
    EXPECT_EQ(255u, low[0] >> 24);
}

} // namespace
