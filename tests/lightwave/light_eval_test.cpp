#include "tests/support/envelopes.h"
#include "app/device_context_base.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

namespace {

constexpr float PI = 3.14159265358979f;

float degrees(float d) {
    return d * PI / 180;
}

void expectColor(const LightColor& c, float r, float g, float b, float a) {
    EXPECT_NEAR(r, c.r, 1e-6);
    EXPECT_NEAR(g, c.g, 1e-6);
    EXPECT_NEAR(b, c.b, 1e-6);
    EXPECT_NEAR(a, c.a, 1e-6);
}

void setColor(LWLight& light, float r, float g, float b) {
    light.color[0].value = r;
    light.color[1].value = g;
    light.color[2].value = b;
}

// A light with colour (0.5, 0.25, 1), intensity 0.8 and range 10.
struct FalloffCase : ::testing::Test {
    DeviceContextBase context;
    LWLight light{&context};
    static constexpr float I = 0.8f, R = 10;

    FalloffCase() {
        light.lightType = LIGHT_POINT;
        setColor(light, 0.5f, 0.25f, 1);
        light.intensity.value = I;
        light.range.value = R;
        prepareLightRecord(light);
    }
    float mean(float k) const { return k * I * (0.5f + 0.25f + 1) / 3; }
    void run(int falloffType, bool doubling) {
        light.falloffType = falloffType;
        context.lightFalloff = doubling;
        computeLight(light, 0);
    }
    void expectAttenuation(float a0, float a1, float a2) {
        EXPECT_FLOAT_EQ(a0, light.d3dLight.attenuation0);
        EXPECT_FLOAT_EQ(a1, light.d3dLight.attenuation1);
        EXPECT_FLOAT_EQ(a2, light.d3dLight.attenuation2);
    }
};

TEST(LightPrepare, TypeMappingAndNeutralRecord) {
    const struct {
        int lightType;
        int32_t recordType;
    } cases[] = {{LIGHT_DISTANT, LIGHTRECORD_DIRECTIONAL}, {LIGHT_POINT, LIGHTRECORD_POINT},
                 {LIGHT_SPOT, LIGHTRECORD_SPOT},           {LIGHT_LINEAR, LIGHTRECORD_POINT},
                 {LIGHT_AREA, LIGHTRECORD_POINT},          {17, LIGHTRECORD_POINT}};
    for (const auto& c : cases) {
        LWLight light(nullptr);
        light.lightType = c.lightType;
        light.d3dLight.range = 5;
        light.d3dLight.theta = light.d3dLight.phi = 1;
        prepareLightRecord(light);
        const LightRecord& r = light.d3dLight;
        EXPECT_EQ(c.recordType, r.type) << "light type " << c.lightType;
        expectColor(r.diffuse, 0, 0, 0, 1);
        expectColor(r.specular, 0, 0, 0, 1);
        expectColor(r.ambient, 0, 0, 0, 1);
        EXPECT_EQ(1.0f, r.falloff);
        EXPECT_EQ(1.0f, r.attenuation0);
        EXPECT_EQ(0.0f, r.attenuation1);
        EXPECT_EQ(0.0f, r.attenuation2);
        EXPECT_EQ(1e19f, r.range);
        EXPECT_EQ(0.0f, r.theta);
        EXPECT_EQ(0.0f, r.phi);
    }
}

TEST(LightColorAtTime, ChannelsAtTimeAndFourthValue) {
    DeviceContextBase context;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    light.color[0].envelope = linearRamp(0, 1);
    light.color[1].value = 0.5f;
    light.color[2].envelope = linearRamp(1, 0);
    light.colorAlpha = 0.75f;
    expectColor(getColor(light, 0.25), 0.25f, 0.5f, 0.75f, 0.75f);
    expectColor(getColor(light, 1), 1, 0.5f, 0, 0.75f);
}

TEST(LightColorAtTime, FlashLeavesOtherLightTypesAlone) {
    DeviceContextBase context;
    context.lightFlash = 1;
    for (int type : {LIGHT_DISTANT, LIGHT_SPOT, LIGHT_LINEAR, LIGHT_AREA}) {
        LWLight light(&context);
        light.lightType = type;
        setColor(light, 0.1f, 0.2f, 0.3f);
        for (double t : {0.0, 1.5, 7.0}) expectColor(getColor(light, t), 0.1f, 0.2f, 0.3f, 1);
        EXPECT_EQ(INT32_MIN, light.flickerCycle) << "type " << type;
    }
}

TEST(LightColorAtTime, FlashOffKeepsPointLightColour) {
    DeviceContextBase context;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    setColor(light, 0.1f, 0.2f, 0.3f);
    expectColor(getColor(light, 3), 0.1f, 0.2f, 0.3f, 1);
    LWLight orphan(nullptr); // no context: no switches
    orphan.lightType = LIGHT_POINT;
    setColor(orphan, 0.4f, 0.5f, 0.6f);
    expectColor(getColor(orphan, 3), 0.4f, 0.5f, 0.6f, 1);
}

TEST(LightFlicker, PaletteEntryBytesOverAlphaZero) {
    DeviceContextBase context;
    context.lightFlash = 1;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    light.flickerPeriod = 2;
    light.flickerCycle = 1; // entry 5 (0xFF4040) was picked for times 2..4
    light.flickerIndex = 5;
    expectColor(getColor(light, 3), 1, 64 / 255.0f, 64 / 255.0f, 0);
    light.flickerIndex = 7; // 0xFFFF00
    expectColor(getColor(light, 2.5), 1, 1, 0, 0);
}

TEST(LightFlicker, OneRandomEntryPerPeriod) {
    DeviceContextBase context;
    context.lightFlash = 1;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    const float p = light.flickerPeriod;
    EXPECT_TRUE(p == 1.7391304f || p == 1.3043478f);

    std::srand(1234);
    const int first = std::rand() % 8, second = std::rand() % 8, third = std::rand() % 8;
    std::srand(1234);
    const uint32_t e0 = FLICKER_PALETTE[first];
    for (double t : {0.0, 0.3 * p, 0.99 * p}) {
        expectColor(getColor(light, t), (e0 >> 16) / 255.0f, ((e0 >> 8) & 0xFF) / 255.0f,
                    (e0 & 0xFF) / 255.0f, 0);
        EXPECT_EQ(0, light.flickerCycle);
    }
    // The next period draws once more, however often it is asked.
    getColor(light, 1.01 * p);
    getColor(light, 1.5 * p);
    EXPECT_EQ(1, light.flickerCycle);
    EXPECT_EQ(second, light.flickerIndex);
    // Jumping ahead several periods draws once too.
    getColor(light, 5.2 * p);
    EXPECT_EQ(5, light.flickerCycle);
    EXPECT_EQ(third, light.flickerIndex);
}

TEST(LightFlicker, ColoursComeFromThePalette) {
    DeviceContextBase context;
    context.lightFlash = 1;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    std::srand(99);
    std::set<uint32_t> seen;
    for (int n = 0; n < 64; ++n) {
        const LightColor c = getColor(light, (n + 0.5) * light.flickerPeriod);
        const uint32_t packed = uint32_t(std::lround(c.r * 255)) << 16 |
                                uint32_t(std::lround(c.g * 255)) << 8 |
                                uint32_t(std::lround(c.b * 255));
        EXPECT_EQ(0.0f, c.a);
        bool inPalette = false;
        for (uint32_t e : FLICKER_PALETTE) inPalette |= e == packed;
        EXPECT_TRUE(inPalette) << std::hex << packed;
        seen.insert(packed);
    }
    EXPECT_GT(seen.size(), 1u); // it does change between periods
}

TEST(LightCompute, ColoursScaledByIntensityAndDoubling) {
    DeviceContextBase context;
    LWLight light(&context);
    light.lightType = LIGHT_POINT;
    setColor(light, 0.5f, 0.25f, 1);
    light.colorAlpha = 0.5f;
    light.intensity.value = 0.8f;
    prepareLightRecord(light);
    computeLight(light, 0);
    expectColor(light.d3dLight.diffuse, 0.4f, 0.2f, 0.8f, 0.5f);
    expectColor(light.d3dLight.specular, 0.4f, 0.2f, 0.8f, 0.5f);
    expectColor(light.d3dLight.ambient, 0, 0, 0, 1);
    context.lightFalloff = 1;
    computeLight(light, 0);
    expectColor(light.d3dLight.diffuse, 0.8f, 0.4f, 1.6f, 0.5f);
    expectColor(light.d3dLight.specular, 0.8f, 0.4f, 1.6f, 0.5f);
}

TEST_F(FalloffCase, NoDiffuseLightsThroughSpecularWithTheFullRange) {
    run(2, false);
    const float fullRange = light.d3dLight.range;
    light.noDiffuse = true;
    run(2, false);
    expectColor(light.d3dLight.diffuse, 0, 0, 0, 1);
    expectColor(light.d3dLight.specular, 0.4f, 0.2f, 0.8f, 1);
    EXPECT_FLOAT_EQ(fullRange, light.d3dLight.range);
    EXPECT_FLOAT_EQ(R * mean(1) * 36, light.d3dLight.range);
}

TEST_F(FalloffCase, NoSpecularKeepsDiffuse) {
    light.noSpecular = true;
    run(3, true);
    expectColor(light.d3dLight.diffuse, 0.8f, 0.4f, 1.6f, 1);
    expectColor(light.d3dLight.specular, 0, 0, 0, 1);
    EXPECT_FLOAT_EQ(std::sqrt(mean(2)) * R * 6, light.d3dLight.range);
}

TEST_F(FalloffCase, NoFalloff) {
    for (bool doubling : {false, true}) {
        run(0, doubling);
        expectAttenuation(1, 0, 0);
        EXPECT_EQ(1e19f, light.d3dLight.range);
    }
}

TEST_F(FalloffCase, DistantLightWithoutFalloffReachesEverywhere) {
    light.lightType = LIGHT_DISTANT;
    prepareLightRecord(light);
    light.d3dLight.range = 3; // left over from an earlier frame
    run(0, false);
    EXPECT_EQ(LIGHTRECORD_DIRECTIONAL, light.d3dLight.type);
    EXPECT_EQ(1e19f, light.d3dLight.range);
    expectAttenuation(1, 0, 0);
}

TEST_F(FalloffCase, Row1ConstantPlusQuadratic) {
    run(1, false);
    expectAttenuation(1, 0, 4 / (R * R));
    EXPECT_FLOAT_EQ(std::sqrt(mean(1)) * R * 3, light.d3dLight.range);
    run(1, true);
    expectAttenuation(1, 0, 4 / (R * R));
    EXPECT_FLOAT_EQ(std::sqrt(mean(2)) * R, light.d3dLight.range);
}

TEST_F(FalloffCase, Row2Linear) {
    run(2, false);
    expectAttenuation(0, 1 / R, 0);
    EXPECT_FLOAT_EQ(R * mean(1) * 36, light.d3dLight.range);
    run(2, true);
    expectAttenuation(0, 1 / R, 0);
    EXPECT_FLOAT_EQ(R * mean(2) * 36, light.d3dLight.range);
}

TEST_F(FalloffCase, Row3Quadratic) {
    run(3, false);
    expectAttenuation(0, 0, 1 / (R * R));
    EXPECT_FLOAT_EQ(std::sqrt(mean(1)) * R * 6, light.d3dLight.range);
    run(3, true);
    expectAttenuation(0, 0, 1 / (R * R));
    EXPECT_FLOAT_EQ(std::sqrt(mean(2)) * R * 6, light.d3dLight.range);
}

TEST_F(FalloffCase, OtherKindsKeepAttenuationAndRange) {
    for (int type : {4, 9, -1}) {
        for (bool doubling : {false, true}) {
            light.d3dLight.attenuation0 = 0.5f;
            light.d3dLight.attenuation1 = 0.25f;
            light.d3dLight.attenuation2 = 0.125f;
            light.d3dLight.range = 42;
            run(type, doubling);
            expectAttenuation(0.5f, 0.25f, 0.125f);
            EXPECT_EQ(42.0f, light.d3dLight.range);
            // The rest is still computed.
            EXPECT_GT(light.d3dLight.diffuse.r, 0);
        }
    }
}

TEST_F(FalloffCase, RangeFromEnvelopeAtTime) {
    light.range.envelope = linearRamp(10, 30);
    light.falloffType = 2;
    computeLight(light, 0.5);
    expectAttenuation(0, 1 / 20.0f, 0);
    EXPECT_FLOAT_EQ(20 * mean(1) * 36, light.d3dLight.range);
}

TEST_F(FalloffCase, ZeroRangeReachesNothing) {
    light.range.value = 0;
    for (int type : {1, 2, 3}) {
        run(type, false);
        expectAttenuation(1, 0, 0);
        EXPECT_EQ(0.0f, light.d3dLight.range) << "falloff " << type;
    }
}

TEST_F(FalloffCase, DarkeningLightGetsNoRangeRatherThanNaN) {
    light.intensity.value = -1;
    for (int type : {1, 2, 3}) {
        run(type, false);
        EXPECT_EQ(0.0f, light.d3dLight.range) << "falloff " << type;
    }
}

TEST(LightCompute, PositionAndDirectionFromWorld) {
    LWLight parent(nullptr);
    parent.channels[CHANNEL_X].value = 10;
    LWLight light(nullptr);
    light.parent = &parent;
    light.channels[CHANNEL_X].value = 1;
    light.channels[CHANNEL_Y].value = 2;
    light.channels[CHANNEL_Z].value = 3;
    light.channels[CHANNEL_HEADING].value = PI / 2; // +Z turns toward +X
    light.channels[CHANNEL_SCALE_Z].value = 4;      // the axis is normalised all the same
    prepareLightRecord(light);
    computeLight(light, 0);
    const LightRecord& r = light.d3dLight;
    EXPECT_NEAR(11, r.position.x, 1e-5);
    EXPECT_NEAR(2, r.position.y, 1e-5);
    EXPECT_NEAR(3, r.position.z, 1e-5);
    EXPECT_NEAR(1, r.direction.x, 1e-6);
    EXPECT_NEAR(0, r.direction.y, 1e-6);
    EXPECT_NEAR(0, r.direction.z, 1e-6);
}

TEST(LightCompute, PositionAndDirectionFollowEnvelopes) {
    LWLight light(nullptr);
    light.channels[CHANNEL_Y].envelope = linearRamp(0, 8);
    light.channels[CHANNEL_HEADING].envelope = linearRamp(0, PI);
    prepareLightRecord(light);
    computeLight(light, 0.5); // heading 90 degrees
    EXPECT_NEAR(4, light.d3dLight.position.y, 1e-5);
    EXPECT_NEAR(1, light.d3dLight.direction.x, 1e-5);
    EXPECT_NEAR(0, light.d3dLight.direction.z, 1e-5);
    computeLight(light, 1); // a new time without an explicit invalidate
    EXPECT_NEAR(8, light.d3dLight.position.y, 1e-5);
    EXPECT_NEAR(0, light.d3dLight.direction.x, 1e-5);
    EXPECT_NEAR(-1, light.d3dLight.direction.z, 1e-5);
}

TEST(LightCompute, FlatLightKeepsAnAxis) {
    LWLight light(nullptr);
    light.channels[CHANNEL_SCALE_Z].value = 0;
    computeLight(light, 0);
    EXPECT_EQ(0.0f, light.d3dLight.direction.x);
    EXPECT_EQ(0.0f, light.d3dLight.direction.y);
    EXPECT_EQ(1.0f, light.d3dLight.direction.z);
}

TEST(LightSpotCone, ThirtyAndFiveDegrees) {
    LWLight light(nullptr);
    light.lightType = LIGHT_SPOT;
    light.coneAngle.value = degrees(30);
    light.edgeAngle.value = degrees(5);
    prepareLightRecord(light);
    computeLight(light, 0);
    EXPECT_NEAR(degrees(50), light.d3dLight.theta, 1e-6);
    EXPECT_NEAR(degrees(60), light.d3dLight.phi, 1e-6);
}

TEST(LightSpotCone, AnglesAndIntensityAtTime) {
    DeviceContextBase context;
    LWLight light(&context);
    light.lightType = LIGHT_SPOT;
    setColor(light, 1, 1, 1);
    light.intensity.envelope = linearRamp(0, 1);
    light.coneAngle.envelope = linearRamp(degrees(20), degrees(40));
    light.edgeAngle.envelope = linearRamp(degrees(0), degrees(10));
    prepareLightRecord(light);
    computeLight(light, 0.25);
    EXPECT_NEAR(degrees(2 * (25 - 2.5f)), light.d3dLight.theta, 1e-6);
    EXPECT_NEAR(degrees(50), light.d3dLight.phi, 1e-6);
    expectColor(light.d3dLight.diffuse, 0.25f, 0.25f, 0.25f, 1);
}

TEST(LightSpotCone, AnglesTheDeviceRefusesAreClamped) {
    LWLight light(nullptr);
    light.lightType = LIGHT_SPOT;
    light.coneAngle.value = degrees(10);
    light.edgeAngle.value = degrees(15); // soft edge wider than the cone
    computeLight(light, 0);
    EXPECT_EQ(0.0f, light.d3dLight.theta);
    EXPECT_NEAR(degrees(20), light.d3dLight.phi, 1e-6);
    light.coneAngle.value = degrees(120); // wider than a half turn in all
    light.edgeAngle.value = degrees(10);
    computeLight(light, 0);
    EXPECT_NEAR(PI, light.d3dLight.phi, 1e-6);
    EXPECT_NEAR(PI, light.d3dLight.theta, 1e-6); // at most phi
}

} // namespace
