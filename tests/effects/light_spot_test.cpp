// The textures the effects make for their owners, without a device: what
// they are called, their size and flags, and what a light hands its spot.

#include "tests/support/envelopes.h"
#include "effects/effect_textures.h"
#include "effects/light_spot.h"
#include "images/texture.h"
#include "lightwave/items.h"

#include <gtest/gtest.h>

namespace {} // namespace

TEST(EffectTextures, SpotTextureIsA512SquareColourLayer) {
    SpotParameters spot;
    spot.intensity = 1;
    spot.cone = 0.5f;
    spot.edge = 0.1f;
    std::unique_ptr<Texture> t = makeSpotTexture(nullptr, spot);
    ASSERT_TRUE(t);
    EXPECT_EQ("(Spot)", t->name);
    EXPECT_EQ(512, t->width);
    EXPECT_EQ(512, t->height);
    EXPECT_EQ(uint32_t(TEXTURE_COLOR_LAYER), t->flags);
    EXPECT_EQ(TEXTURE_FORMAT_ARGB, t->format);
    EXPECT_EQ(TEXTURE_POOL_MANAGED, t->pool);
}

TEST(EffectTextures, TexcoordMapIsOneRowOf256) {
    std::unique_ptr<Texture> t = makeTexcoordMap(nullptr);
    ASSERT_TRUE(t);
    EXPECT_EQ("(texcoord 1D map)", t->name);
    EXPECT_EQ(256, t->width);
    EXPECT_EQ(1, t->height);
    EXPECT_EQ(uint32_t(TEXTURE_COLOR_LAYER), t->flags);
    EXPECT_EQ(TEXTURE_POOL_MANAGED, t->pool);
}

TEST(LightSpot, OnlyShadowMapLightsGetASpotTexture) {
    for (int type : {int(SHADOW_OFF), int(SHADOW_RAYTRACE), int(SHADOW_MAP), 3}) {
        LWLight light(nullptr);
        light.lightType = LIGHT_SPOT;
        light.shadowType = type;
        light.spotTexture = makeLightSpotTexture(light);
        if (type != SHADOW_MAP) {
            EXPECT_FALSE(light.spotTexture) << type;
            continue;
        }
        ASSERT_TRUE(light.spotTexture);
        EXPECT_EQ("(Spot)", light.spotTexture->name);
        EXPECT_EQ(512, light.spotTexture->width);
        EXPECT_EQ(512, light.spotTexture->height);
        EXPECT_EQ(4u, light.spotTexture->flags);
    }
}

TEST(LightSpot, ConeIsTheConeAngleAndEdgeTheEdgeAngle) {
    LWLight light(nullptr);
    light.intensity.value = 0.8f;
    light.coneAngle.value = 0.6f;
    light.edgeAngle.value = 0.05f;
    light.color[0].value = 1;
    light.color[1].value = 0.5f;
    light.color[2].value = 0.25f;
    const SpotParameters spot = lightSpotParameters(light);
    EXPECT_FLOAT_EQ(0.8f, spot.intensity);
    EXPECT_FLOAT_EQ(0.6f, spot.cone);
    EXPECT_FLOAT_EQ(0.05f, spot.edge);
    EXPECT_FLOAT_EQ(1, spot.colour[0]);
    EXPECT_FLOAT_EQ(0.5f, spot.colour[1]);
    EXPECT_FLOAT_EQ(0.25f, spot.colour[2]);
}

TEST(LightSpot, EnvelopesAreEvaluatedAtTimeZeroAndKeepTheirValue) {
    LWLight light(nullptr);
    light.shadowType = SHADOW_MAP;
    light.intensity.value = 0;
    light.intensity.setEnvelope(linearRamp(0.75f, 0.25f));
    light.coneAngle.setEnvelope(linearRamp(0.4f, 0.9f));
    light.color[1].setEnvelope(linearRamp(0.3f, 1.0f));
    light.spotTexture = makeLightSpotTexture(light);
    EXPECT_TRUE(light.spotTexture);
    EXPECT_FLOAT_EQ(0.75f, light.intensity.value);
    EXPECT_FLOAT_EQ(0.4f, light.coneAngle.value);
    EXPECT_FLOAT_EQ(0.3f, light.color[1].value);
}
