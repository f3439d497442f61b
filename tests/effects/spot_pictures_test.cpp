// The spot and texture-coordinate pictures, checked against values worked
// out from the geometry: a texel's ray makes the angle acos(1 / |(uT, vT, 1)|)
// with the light's axis, and the picture ramps over 4 x edge inside the rim.

#include "effects/spot_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float DEG = float(PI / 180);

struct Picture {
    int width, height;
    std::vector<uint32_t> texels;
    uint32_t at(int row, int column) const { return texels[size_t(row * width + column)]; }
};

Picture spot(const SpotParameters& p, int width = SPOT_TEXTURE_SIZE,
             int height = SPOT_TEXTURE_SIZE) {
    Picture out{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0xDEADBEEF)};
    generateSpot(out.texels.data(), width, height, width, p);
    return out;
}

SpotParameters parameters(float intensity, float edge, float cone, float r, float g, float b) {
    SpotParameters p;
    p.intensity = intensity;
    p.edge = edge;
    p.cone = cone;
    p.colour[0] = r;
    p.colour[1] = g;
    p.colour[2] = b;
    p.colour[3] = 0.25f; // never read
    return p;
}

// The strength s at a texel, from the ray's direction rather than the
// picture's own arctangent mapping.
double expectedStrength(const SpotParameters& p, int row, int column, int size) {
    const double half = (size - 1) / 2.0;
    const double t = std::tan(double(p.cone));
    const double x = (column - half) / half * t, y = (row - half) / half * t;
    const double angle = std::acos(1 / std::sqrt(x * x + y * y + 1));
    const double toRim = double(p.cone) - angle, ramp = 4.0 * double(p.edge);
    const double full = 256.0 * double(p.intensity);
    if (toRim <= 0) return 0;
    return toRim >= ramp ? full : full * toRim / ramp;
}

uint8_t red(uint32_t t) {
    return uint8_t(t >> 16);
}
uint8_t green(uint32_t t) {
    return uint8_t(t >> 8);
}
uint8_t blue(uint32_t t) {
    return uint8_t(t);
}
uint8_t alpha(uint32_t t) {
    return uint8_t(t >> 24);
}

} // namespace

TEST(SpotPicture, CentreHasFullStrengthWhenTheConeIsWiderThanTheRamp) {
    // I = 1: each channel is the colour times 255, truncated.
    const Picture p = spot(parameters(1.0f / 256, 5 * DEG, 30 * DEG, 1.0f, 0.6f, 0.2f));
    for (int row : {255, 256})
        for (int column : {255, 256}) EXPECT_EQ(0xFFFF9933u, p.at(row, column));
    // I = 0.5.
    const Picture half = spot(parameters(0.5f / 256, 5 * DEG, 30 * DEG, 1.0f, 1.0f, 0.5f));
    EXPECT_EQ(0xFF7F7F3Fu, half.at(255, 256)); // 127.5, 127.5, 63.75
}

TEST(SpotPicture, CentreOfANarrowConeIsItsShareOfTheRamp) {
    // Cone 10 degrees, ramp 20: the exact centre of an odd picture lies
    // halfway up the ramp.
    const Picture p = spot(parameters(1.0f / 256, 5 * DEG, 10 * DEG, 1, 1, 1), 5, 5);
    EXPECT_EQ(0xFF7F7F7Fu, p.at(2, 2)); // 0.5 x 255 = 127.5
}

TEST(SpotPicture, StrengthOfOneOrMoreSaturatesTheCentre) {
    for (float intensity : {1.0f, 2.5f, 1e30f}) {
        const Picture p = spot(parameters(intensity, 5 * DEG, 30 * DEG, 1, 0, 1));
        EXPECT_EQ(0xFFFF00FFu, p.at(256, 255)) << intensity;
    }
    // 256 x intensity x 255 scales any channel above 1/65280 to full strength
    // at intensity 1, so a half-bright channel saturates as well.
    const Picture p = spot(parameters(1.0f, 5 * DEG, 30 * DEG, 0.5f, 0.01f, 0));
    EXPECT_EQ(0xFFFFFF00u, p.at(256, 256));
}

TEST(SpotPicture, CornersAndTheRimAreTransparentBlack) {
    const Picture p = spot(parameters(1.0f, 5 * DEG, 30 * DEG, 1, 1, 1));
    EXPECT_EQ(0u, p.at(0, 0));
    EXPECT_EQ(0u, p.at(0, 511));
    EXPECT_EQ(0u, p.at(511, 0));
    EXPECT_EQ(0u, p.at(511, 511));
    // Exactly on the rim (rho = 1 on the middle row of an odd picture).
    const Picture small = spot(parameters(1.0f, 5 * DEG, 30 * DEG, 1, 1, 1), 5, 5);
    EXPECT_EQ(0u, small.at(2, 0));
    EXPECT_EQ(0u, small.at(0, 2));
    EXPECT_EQ(0xFFFFFFFFu, small.at(2, 1));
}

TEST(SpotPicture, RedLightGivesOnlyRedAndAlpha) {
    const Picture p = spot(parameters(0.6f, 5 * DEG, 30 * DEG, 1, 0, 0));
    int lit = 0;
    for (uint32_t t : p.texels) {
        EXPECT_EQ(0u, t & 0x0000FFFFu);
        if (t) {
            EXPECT_EQ(0xFFu, alpha(t));
            ++lit;
        }
    }
    // The inscribed disc: about pi / 4 of the picture.
    EXPECT_NEAR(PI / 4, double(lit) / double(p.texels.size()), 0.01);
}

TEST(SpotPicture, RampFallsLinearlyInsideTheRim) {
    // On an odd picture's middle row with tan(cone) = 1: rho = 0.5 gives
    // d = pi/4 - atan(0.5) = 0.3217506 inside a ramp of 0.4.
    const Picture p = spot(parameters(1.0f / 256, 0.1f, float(PI / 4), 1, 0.5f, 0.25f), 5, 5);
    // 0.8043765 x (255, 127.5, 63.75) = (205.1, 102.6, 51.3)
    EXPECT_EQ(0xFFCD6633u, p.at(2, 1));
    EXPECT_EQ(0xFFCD6633u, p.at(2, 3));
    EXPECT_EQ(0xFFCD6633u, p.at(1, 2));
    // The centre is above the ramp: d = pi/4 >= 0.4.
    EXPECT_EQ(0xFFFF7F3Fu, p.at(2, 2));
}

TEST(SpotPicture, EveryTexelOfARowMatchesTheRayAngle) {
    const SpotParameters params = parameters(1.0f / 256, 5 * DEG, 30 * DEG, 1, 0.7f, 0.3f);
    const Picture p = spot(params);
    int inRamp = 0, faded = 0;
    for (int row : {255, 300, 400})
        for (int column = 0; column < SPOT_TEXTURE_SIZE; ++column) {
            const double s = expectedStrength(params, row, column, SPOT_TEXTURE_SIZE);
            if (s > 0 && s < 1) ++inRamp;
            uint32_t rgb = 0;
            bool nearInteger = false;
            for (int c = 0; c < 3; ++c) {
                const double v = s * double(params.colour[c]) * 255;
                nearInteger |= v > 0 && std::fabs(v - std::round(v)) < 1e-6;
                rgb |= uint32_t(std::min(255.0, std::floor(v))) << (16 - 8 * c);
            }
            if (nearInteger) continue; // either truncation would be right
            const uint32_t expected = rgb ? rgb | 0xFF000000u : 0;
            EXPECT_EQ(expected, p.at(row, column)) << row << ", " << column;
            if (rgb == 0 && s > 0) ++faded;
        }
    // The rows cross the ramp, including its faintest texels (black, no alpha).
    EXPECT_GT(inRamp, 100);
    EXPECT_GT(faded, 0);
}

TEST(SpotPicture, ANoEdgeConeHasAHardRim) {
    const Picture p = spot(parameters(1.0f / 256, 0, float(PI / 4), 1, 1, 1), 5, 5);
    EXPECT_EQ(0xFFFFFFFFu, p.at(2, 2));
    EXPECT_EQ(0xFFFFFFFFu, p.at(2, 1));
    EXPECT_EQ(0u, p.at(1, 0)); // rho = 1.118, just outside
}

TEST(SpotPicture, NegativeStrengthOrColourIsBlackNotSpilledIntoOtherChannels) {
    const Picture dark = spot(parameters(-1.0f, 5 * DEG, 30 * DEG, 1, 1, 1), 9, 9);
    for (uint32_t t : dark.texels) EXPECT_EQ(0u, t);
    const Picture mixed = spot(parameters(1.0f / 256, 5 * DEG, 30 * DEG, -0.5f, 1, -2), 9, 9);
    EXPECT_EQ(0xFF00FF00u, mixed.at(4, 4));
}

TEST(SpotPicture, RowsFollowThePitch) {
    const SpotParameters params = parameters(1.0f / 256, 5 * DEG, 30 * DEG, 1, 0.5f, 0.25f);
    const Picture packed = spot(params, 16, 8);
    const int pitch = 20;
    std::vector<uint32_t> padded(size_t(pitch) * 8, 0x12345678);
    generateSpot(padded.data(), 16, 8, pitch, params);
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < pitch; ++column) {
            const uint32_t t = padded[size_t(row * pitch + column)];
            EXPECT_EQ(column < 16 ? packed.at(row, column) : 0x12345678u, t);
        }
}

TEST(TexcoordMap, EachTexelRepeatsItsIndexInEveryChannel) {
    std::vector<uint32_t> map(TEXCOORD_MAP_WIDTH, 0xDEADBEEF);
    generateTexcoordMap(map.data(), TEXCOORD_MAP_WIDTH, 1, TEXCOORD_MAP_WIDTH);
    EXPECT_EQ(0x00000000u, map[0]);
    EXPECT_EQ(0x80808080u, map[128]);
    EXPECT_EQ(0xFFFFFFFFu, map[255]);
    for (int i = 0; i < TEXCOORD_MAP_WIDTH; ++i) {
        const uint32_t t = map[size_t(i)];
        EXPECT_EQ(uint32_t(i), blue(t));
        EXPECT_EQ(blue(t), green(t));
        EXPECT_EQ(blue(t), red(t));
        EXPECT_EQ(blue(t), alpha(t));
    }
}
