#include "images/procedural_texture.h"
#include "lightwave/surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ProceduralTexture, NamesSizesAndFlagsByProcedure) {
    struct Case {
        const char* procedure;
        const char* name;
        int width, height;
        uint32_t flags;
    } cases[] = {{"Turbulence", "(Procedural Texture)", 256, 256, 1},
                 {"Crumple", "(Procedural Crumple)", 128, 128, 7},
                 {"Value", "(Procedural Value)", 128, 1, 1}};
    for (const Case& c : cases) {
        LWTextureLayer layer;
        layer.procName = c.procedure;
        ProceduralTexture t(nullptr, &layer);
        t.build();
        EXPECT_EQ(c.name, t.name);
        EXPECT_EQ(c.width, t.width);
        EXPECT_EQ(c.height, t.height);
        EXPECT_EQ(c.flags, t.flags);
    }
    LWTextureLayer other;
    other.procName = "crumple"; // names compare exactly
    ProceduralTexture none(nullptr, &other);
    none.build();
    EXPECT_EQ("", none.name);
    EXPECT_EQ(0, none.width);
}

TEST(ProceduralTexture, CrumpleNoiseAdvancesAndOtherPicturesAreReal) {
    std::vector<uint32_t> a(128 * 128), b(128 * 128);
    fillCrumple(a.data(), int(a.size()));
    fillCrumple(b.data(), int(b.size()));
    EXPECT_NE(a, b);
    for (uint32_t t : a) ASSERT_EQ(0xFF000000u, t & 0xFF000000u);
    std::vector<uint32_t> turbulence(256 * 256), again(256 * 256);
    fillTurbulence(turbulence.data(), 256, 256);
    fillTurbulence(again.data(), 256, 256);
    EXPECT_EQ(turbulence, again); // deterministic
    uint32_t lo = 255, hi = 0;
    for (uint32_t t : turbulence) {
        lo = std::min(lo, t & 0xFF);
        hi = std::max(hi, t & 0xFF);
    }
    EXPECT_GT(hi - lo, 100u); // a picture, not a flat grey
    std::vector<uint32_t> value(128);
    fillValueNoise(value.data(), 128);
    EXPECT_NE(value[0], value[40]);
}

TEST(GradientTexture, StartEqualToEndAndSaturation) {
    LWTextureLayer layer;
    layer.gradientStart = layer.gradientEnd = 0.3f;
    for (int c = 0; c < 4; ++c) {
        auto* e = new LWEnvelope(2);
        e->setKey(0, c == 0 ? -1.0f : 2.0f, 0, 3, 0, 0, 0);
        e->setKey(1, 1.0f, 1, 3, 0, 0, 0);
        e->finish(1, 1);
        layer.gradient[c] = e;
    }
    GradientTexture t(nullptr, &layer);
    t.build();
    EXPECT_EQ("(gradient Texture)", t.name);
    EXPECT_EQ(1024, t.width);
    ASSERT_TRUE(t.pixels); // the table stays
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(t.pixels[0], t.pixels[size_t(i)]);
    // At 0.3: red -1 + 0.6 = -0.4 -> 0; the others 2 - 0.3 = 1.7 -> 255.
    EXPECT_EQ(0xFF00FFFFu, t.pixels[0]);
    EXPECT_NEAR(1.7f, layer.gradientValue[1], 1e-5); // the last value is stored back
}

} // namespace
