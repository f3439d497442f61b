// Lens flares natively: the five flare pictures texel by texel, and where a
// flare lies, how it fades and which quads it draws.

#include "effects/flare_layout.h"
#include "effects/flare_pictures.h"

#include <cmath>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int N = FLARE_TEXTURE_SIZE;

std::vector<uint32_t> picture(int type) {
    std::vector<uint32_t> p(size_t(N) * N, 0xDEADBEEF);
    generateFlare(p.data(), N, N, N, type);
    return p;
}

int greyAt(const std::vector<uint32_t>& p, int i, int j) {
    const uint32_t t = p[size_t(i) * N + size_t(j)];
    EXPECT_EQ(0xFF000000u, t & 0xFF000000u) << i << "," << j;
    EXPECT_EQ(t & 0xFF, (t >> 8) & 0xFF);
    EXPECT_EQ(t & 0xFF, (t >> 16) & 0xFF);
    return int(t & 0xFF);
}

// Texel (i, j) lies at x = j - 256.5, y = i - 256.5 from the centre.
double radius(int i, int j) {
    return std::hypot(j - N / 2 - 0.5, i - N / 2 - 0.5);
}

TEST(FlarePictures, TheRingIsBlackOutsideItsBand) {
    const std::vector<uint32_t> ring = picture(FLARE_RING);
    const double r0 = 43.2;
    for (int i = 0; i < N; i += 3)
        for (int j = 0; j < N; j += 3) {
            const double r = radius(i, j);
            if (r <= 0.93 * r0 || r >= 1.07 * r0) {
                EXPECT_EQ(0, greyAt(ring, i, j)) << i << "," << j;
            }
        }
    // On the ring: x = 43.5, y = 0.5 is 43.503 from the centre, a tenth of
    // the band's half width off the ring: (1 - 0.1) x 255.
    EXPECT_EQ(229, greyAt(ring, 257, 300));
}

TEST(FlarePictures, TheDiscIsEvenTheCentresFallOff) {
    const std::vector<uint32_t> disc = picture(FLARE_EVEN_DISC);
    // 255 less r^6 / 2^40, cut to an integer: even to far out, then a rim.
    EXPECT_EQ(254, greyAt(disc, 256, 256));
    EXPECT_EQ(254, greyAt(disc, 256, 256 + 80));  // r = 79.5: 255 - 0.23
    EXPECT_EQ(240, greyAt(disc, 256, 256 + 160)); // r = 159.5: 255 - 14.9
    EXPECT_EQ(197, greyAt(disc, 256, 256 + 200)); // r = 199.5: 255 - 57.3
    EXPECT_EQ(0, greyAt(disc, 0, 0));             // far corner: r > 256
    const std::vector<uint32_t> bright = picture(FLARE_BRIGHT_CENTRE);
    EXPECT_EQ(255, greyAt(bright, 256, 256));
    // x = 39.5, y = -0.5: ln(1560.5) = 7.353, (5.86 / 7.353 - 0.53) x 255 = 68.1
    EXPECT_EQ(68, greyAt(bright, 256, 256 + 40));
    EXPECT_EQ(0, greyAt(bright, 256, 511));
    const std::vector<uint32_t> dim = picture(FLARE_DIM_CENTRE);
    // r = 0.707: 255 - 16 x 0.841 = 241.5
    EXPECT_EQ(241, greyAt(dim, 256, 256));
    EXPECT_EQ(0, greyAt(dim, 256, 511)); // 16 sqrt(254.5) > 255
    EXPECT_LT(greyAt(dim, 256, 300), greyAt(dim, 256, 270));
}

TEST(FlarePictures, TheStreaksVaryAroundTheCentreAndFadeOutwards) {
    const std::vector<uint32_t> streaks = picture(FLARE_STREAKS);
    // Faint streaks: at most 255 x 0.165 / (0.2 trunc(r) + 1) grey. Around a
    // circle of radius 6 they come and go, up to 21.
    auto around = [&](double radius, std::set<int>& seen) {
        int brightest = 0;
        for (int k = 0; k < 720; ++k) {
            const double a = k * 3.14159265 / 360;
            const int g = greyAt(streaks, 256 + int(std::lround(radius * std::sin(a))),
                                 256 + int(std::lround(radius * std::cos(a))));
            seen.insert(g);
            brightest = std::max(brightest, g);
        }
        return brightest;
    };
    std::set<int> near, far;
    const int nearest = around(6, near);
    EXPECT_GT(near.size(), 8u);
    EXPECT_GT(nearest, 12);
    EXPECT_LE(nearest, 21);
    EXPECT_LE(around(250, far), 1); // 0.165 / 51 of 255, cut upwards to 1 at most
    EXPECT_EQ(std::string("(flare RING)"), FLARE_TEXTURE_NAMES[FLARE_RING]);
}

// A camera at the origin looking along +z with a 90-degree lens; a point
// light 10 ahead.
FlareInputs ahead(float x = 0, float y = 0) {
    FlareInputs in;
    in.intensity = 1;
    in.nominalDistance = 2;
    in.lightType = 1;
    in.lightPosition = {x, y, 10};
    in.lightDirection = {0, 0, 1};
    in.view = Matrix4::identity();
    in.projection = Matrix4::identity();
    in.projection.m[2][3] = 1;
    in.projection.m[3][3] = 0;
    in.nearDistance = 0.1f;
    in.viewDirection = {0, 0, 1};
    return in;
}

TEST(FlareVisibility, InViewWithItsSizeAndNoFadeInTheMiddle) {
    const FlareState s = flareVisibility(ahead(2, 1));
    ASSERT_TRUE(s.visible);
    EXPECT_FLOAT_EQ(10, s.size); // intensity x nominal distance x 5
    EXPECT_FLOAT_EQ(1, s.fade);
    EXPECT_FLOAT_EQ(2, s.viewPosition.x);
    EXPECT_FLOAT_EQ(10, s.viewPosition.z);
    FlareInputs none = ahead();
    none.intensity = 0;
    EXPECT_FALSE(flareVisibility(none).visible);
    EXPECT_FALSE(flareVisibility(ahead(11, 0)).visible); // beyond the right edge (w = 10)
    FlareInputs behind = ahead();
    behind.lightPosition.z = -10;
    EXPECT_FALSE(flareVisibility(behind).visible);
}

TEST(FlareVisibility, FadesOverTheLastTenthToTheBorder) {
    EXPECT_NEAR(0.5f, flareVisibility(ahead(9.5f, 0)).fade, 1e-5f); // 95 % of the half width
    EXPECT_NEAR(0.0f, flareVisibility(ahead(10, 0)).fade, 1e-5f);   // at the border
    EXPECT_NEAR(0.25f, flareVisibility(ahead(-9.5f, 9.5f)).fade, 1e-5f); // a corner: both
    EXPECT_FLOAT_EQ(1, flareVisibility(ahead(9, 0)).fade);
}

TEST(FlareVisibility, DistantAndSpotLightsMustFaceTheCamera) {
    FlareInputs spot = ahead();
    spot.lightType = 2;
    spot.lightDirection = {0, 0, -1}; // towards the camera
    FlareState s = flareVisibility(spot);
    ASSERT_TRUE(s.visible);
    EXPECT_FLOAT_EQ(10, s.size);
    spot.lightDirection = {0, 0, 1}; // away
    EXPECT_FALSE(flareVisibility(spot).visible);
    spot.lightDirection = {1, 0, -1}; // half turned: cos 45 of the size
    EXPECT_NEAR(7.071f, flareVisibility(spot).size, 1e-3f);
    FlareInputs point = ahead();
    point.lightDirection = {0, 0, 1}; // a point light shines every way
    EXPECT_TRUE(flareVisibility(point).visible);
}

TEST(FlareQuads, GlowsStreaksAndTheChainAlongTheLine) {
    FlareState s = flareVisibility(ahead(4, 2));
    s.rotation = 0;
    const float white[4] = {1, 0.5f, 0.25f, 1};
    const std::vector<FlareQuad> all =
        flareQuads(s, FLARE_CENTRAL_GLOW | FLARE_SECOND_GLOW | FLARE_ELEMENTS, white);
    ASSERT_EQ(19u, all.size());
    // The glow at the light in its colour, the streaks with it, the grey glow.
    EXPECT_EQ(1, all[0].texture);
    EXPECT_EQ(0xFFFF8040u, all[0].factor);
    EXPECT_FLOAT_EQ(4, all[0].view.m[3][0]);
    EXPECT_FLOAT_EQ(10, all[0].view.m[0][0]);
    EXPECT_EQ(0, all[1].texture);
    EXPECT_EQ(0xFF757575u, all[2].factor);
    // Element 7 (position 0.01) sits near the centre, element 15 beyond it.
    EXPECT_FLOAT_EQ(0.04f, all[3 + 7].view.m[3][0]);
    EXPECT_FLOAT_EQ(-1.31f * 2, all[3 + 15].view.m[3][1]);
    EXPECT_FLOAT_EQ(10, all[3 + 15].view.m[3][2]);
    EXPECT_EQ(5, all[3 + 15].texture);
    EXPECT_FLOAT_EQ(0.53f * 10, all[3 + 15].view.m[1][1]);
    EXPECT_EQ(0xFF0F0A00u, all[3 + 15].factor);
    // Only what the options ask for; nothing for an invisible flare.
    EXPECT_EQ(16u, flareQuads(s, FLARE_ELEMENTS, white).size());
    EXPECT_TRUE(flareQuads(FlareState{}, 0x19, white).empty());
    // Turned a quarter: the glow's axes turn with it.
    s.rotation = 3.14159265f / 2;
    const FlareQuad turned = flareQuads(s, FLARE_CENTRAL_GLOW, white)[0];
    EXPECT_NEAR(0, turned.view.m[0][0], 1e-5f);
    EXPECT_NEAR(10, turned.view.m[1][0], 1e-5f);
}

TEST(FlareQuads, EveryElementOfTheChain) {
    const FlareState s = flareVisibility(ahead(4, 2));
    const float white[4] = {1, 1, 1, 1};
    const std::vector<FlareQuad> chain = flareQuads(s, FLARE_ELEMENTS, white);
    ASSERT_EQ(16u, chain.size());
    struct Row {
        int texture;
        float position, size;
        uint32_t colour;
    };
    const Row rows[16] = {
        {2, 1.52f, 0.4f, 0xFF030303},    {2, 1.5f, 0.92f, 0xFF0A0500},   {4, 1.3f, 0.11f, 0xFF141414},
        {2, 0.505f, 0.055f, 0xFF03080F}, {2, 0.45f, 0.16f, 0xFF00030D},  {2, 0.41f, 0.085f, 0xFF030A0F},
        {2, 0.2f, 0.055f, 0xFF291400},   {1, 0.01f, 0.03f, 0xFF999999},  {1, -0.27f, 0.045f, 0xFF80B2CC},
        {2, -0.415f, 0.11f, 0xFF401200}, {3, -0.455f, 0.19f, 0xFF211403}, {2, -0.457f, 0.055f, 0xFF170F00},
        {2, -0.655f, 0.085f, 0xFF0A1F1C}, {1, -0.675f, 0.13f, 0xFF0A0A66}, {4, -1.005f, 0.27f, 0xFF171F00},
        {5, -1.31f, 0.53f, 0xFF0F0A00}};
    for (int i = 0; i < 16; ++i) {
        const FlareQuad& q = chain[size_t(i)];
        EXPECT_EQ(rows[i].texture, q.texture) << i;
        EXPECT_FLOAT_EQ(rows[i].position * 4, q.view.m[3][0]) << i;
        EXPECT_FLOAT_EQ(rows[i].position * 2, q.view.m[3][1]) << i;
        EXPECT_FLOAT_EQ(rows[i].size * 10, q.view.m[0][0]) << i;
        EXPECT_EQ(rows[i].colour, q.factor) << i;
    }
}

TEST(FlareQuads, AFlickeringLightsGlowsStayLit) {
    // A flickering light's colour comes without alpha: the glows still show.
    const FlareState s = flareVisibility(ahead(4, 2));
    const float flicker[4] = {1, 0.5f, 0, 0};
    const std::vector<FlareQuad> glows = flareQuads(s, FLARE_CENTRAL_GLOW | FLARE_SECOND_GLOW, flicker);
    ASSERT_EQ(3u, glows.size());
    for (const FlareQuad& q : glows) EXPECT_EQ(255u, q.factor >> 24);
    EXPECT_EQ(0xFFFF8000u, glows[0].factor);
}

TEST(FlareQuads, TheWholeFlareFadesAtTheBorder) {
    const FlareState s = flareVisibility(ahead(9.5f, 0));
    const float white[4] = {1, 1, 1, 1};
    for (const FlareQuad& q : flareQuads(s, 0x19, white))
        EXPECT_EQ(128u, q.factor >> 24) << q.texture;
}

} // namespace
