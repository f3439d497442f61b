// What a scene render decides before it draws: the order of the draw list,
// the depth range the projection is fitted to, and the light constants an
// object's programs read, each checked against values worked out by hand.

#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "render/object_pass.h"

#include <cmath>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

// A draw-list entry as the renderer makes it from an object's fitted depth.
DrawItem item(LWObject* object, float zmax, bool transparent) {
    return {object, transparent ? -zmax : zmax, uint8_t(transparent ? 1 : 0)};
}

struct Objects {
    std::vector<std::unique_ptr<LWObject>> owned;
    LWObject* make() {
        owned.emplace_back(new LWObject(nullptr));
        return owned.back().get();
    }
};

} // namespace

TEST(DrawOrder, OpaqueNearestFirstThenTransparentFarthestFirst) {
    Objects o;
    LWObject* opaqueFar = o.make();
    LWObject* opaqueNear = o.make();
    LWObject* opaqueMid = o.make();
    LWObject* glassNearest = o.make();  // nearer than every opaque object
    LWObject* glassFarthest = o.make(); // farther than every opaque object
    LWObject* glassMid = o.make();
    std::vector<DrawItem> list = {
        item(glassNearest, 0.5f, true), item(opaqueFar, 90, false), item(glassFarthest, 200, true),
        item(opaqueNear, 2, false),     item(glassMid, 30, true),   item(opaqueMid, 40, false),
    };
    sortDrawList(list);
    const std::vector<LWObject*> expected = {opaqueNear,    opaqueMid, opaqueFar,
                                             glassFarthest, glassMid,  glassNearest};
    ASSERT_EQ(expected.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(expected[i], list[i].object) << i;
}

TEST(DrawOrder, RandomListsKeepEveryItemAndTheOrderRules) {
    Objects o;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> depth(-5, 500);
    for (int round = 0; round < 50; ++round) {
        std::vector<DrawItem> list;
        const int n = 1 + int(random() % 20);
        for (int i = 0; i < n; ++i)
            list.push_back(item(o.make(), depth(random), random() % 3 == 0));
        std::vector<LWObject*> before;
        for (const DrawItem& d : list) before.push_back(d.object);

        sortDrawList(list);

        std::vector<LWObject*> after;
        for (const DrawItem& d : list) after.push_back(d.object);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(before, after) << "round " << round;
        for (size_t i = 1; i < list.size(); ++i) {
            const DrawItem& a = list[i - 1];
            const DrawItem& b = list[i];
            EXPECT_LE(a.transparent, b.transparent) << "round " << round << " at " << i;
            if (a.transparent != b.transparent) continue;
            // Far-corner depths: rising among opaque items, falling among
            // transparent ones.
            const float za = a.transparent ? -a.sortKey : a.sortKey;
            const float zb = b.transparent ? -b.sortKey : b.sortKey;
            if (a.transparent) {
                EXPECT_GE(za, zb) << "round " << round << " at " << i;
            } else {
                EXPECT_LE(za, zb) << "round " << round << " at " << i;
            }
        }
    }
}

TEST(DepthFit, NothingVisibleGivesTheFixedRange) {
    DepthRange range;
    EXPECT_TRUE(range.empty());
    float nearDistance = -1, farDistance = -1;
    fittedDepthRange(range, nearDistance, farDistance);
    EXPECT_FLOAT_EQ(0.1f, nearDistance);
    EXPECT_FLOAT_EQ(1000.0f, farDistance);
}

TEST(DepthFit, TheRangeWidensToEveryBoxAdded) {
    DepthRange range;
    range.add(5, 20);
    EXPECT_FALSE(range.empty());
    EXPECT_FLOAT_EQ(5, range.nearest);
    EXPECT_FLOAT_EQ(20, range.farthest);
    range.add(8, 12); // inside: no change
    EXPECT_FLOAT_EQ(5, range.nearest);
    EXPECT_FLOAT_EQ(20, range.farthest);
    range.add(2, 9);
    range.add(10, 50);
    EXPECT_FLOAT_EQ(2, range.nearest);
    EXPECT_FLOAT_EQ(50, range.farthest);

    float nearDistance = 0, farDistance = 0;
    fittedDepthRange(range, nearDistance, farDistance);
    // The added extremes, with a margin of a hundred-thousandth of the far.
    EXPECT_FLOAT_EQ(2 - 50e-5f, nearDistance);
    EXPECT_FLOAT_EQ(50 + 50e-5f, farDistance);
}

// One quad facing the camera: near and far must not meet, or the
// projection divides by zero and the quad vanishes.
TEST(DepthFit, AFlatRangeStillHasDepth) {
    for (float depth : {1.0f, 100.0f, 5000.0f}) {
        DepthRange range;
        range.add(depth, depth);
        float nearDistance = 0, farDistance = 0;
        fittedDepthRange(range, nearDistance, farDistance);
        EXPECT_LT(nearDistance, depth) << depth;
        EXPECT_GT(farDistance, depth) << depth;
        // The camera's projection fitted to it has a finite depth scale.
        LWCamera camera(nullptr);
        camera.setupProjection(0, nearDistance, farDistance);
        EXPECT_TRUE(std::isfinite(camera.projection.m[2][2])) << depth;
        EXPECT_TRUE(std::isfinite(camera.projection.m[3][2])) << depth;
        EXPECT_GT(camera.projection.m[2][2], 1.0f) << depth;
    }
}

TEST(DepthFit, ANearPlaneAtOrBehindTheEyeMovesToAFarTenThousandth) {
    for (float behind : {0.0f, -0.001f, -3.0f}) {
        DepthRange range;
        range.add(4, 200);
        range.add(behind, 30); // a box around the camera
        float nearDistance = 0, farDistance = 0;
        fittedDepthRange(range, nearDistance, farDistance);
        EXPECT_FLOAT_EQ(200.0f / 10000, nearDistance) << behind;
        EXPECT_FLOAT_EQ(200 + 200e-5f, farDistance) << behind;
    }
}

// Depth precision: the near plane never comes closer than a ten-thousandth
// of the far distance, whether the nearest box reaches behind the eye or
// just very close to it.
TEST(DepthFit, ANearPlaneCloserThanAFarTenThousandthMovesOutToIt) {
    DepthRange close;
    close.add(0.01f, 1000);
    float nearDistance = 0, farDistance = 0;
    fittedDepthRange(close, nearDistance, farDistance);
    EXPECT_FLOAT_EQ(0.1f, nearDistance);
    EXPECT_FLOAT_EQ(1000.01f, farDistance);
    DepthRange farEnough;
    farEnough.add(0.5f, 1000);
    fittedDepthRange(farEnough, nearDistance, farDistance);
    EXPECT_FLOAT_EQ(0.49f, nearDistance);
}

namespace {

// Object space here is world space turned a quarter about Y (world x becomes
// object z, world z becomes object -x), doubled in size, and moved so the
// world point (10, 0, 0) is the object's origin.
Matrix4 objectFromWorld() {
    return {{{0, 0, 2, 0}, {0, 2, 0, 0}, {-2, 0, 0, 0}, {0, 0, -20, 1}}};
}

LWLight* addLight(LW6Scene& scene, int32_t type, float intensity) {
    auto* light = new LWLight(nullptr);
    scene.lights.push_back(light);
    light->lightType = type;
    light->intensity.value = intensity;
    light->d3dLight.type = type == LIGHT_DISTANT ? LIGHTRECORD_DIRECTIONAL
                           : type == LIGHT_SPOT  ? LIGHTRECORD_SPOT
                                                 : LIGHTRECORD_POINT;
    return light;
}

void place(LWLight* light, float x, float y, float z) {
    light->d3dLight.position = {x, y, z};
}

void aim(LWLight* light, float x, float y, float z) {
    light->d3dLight.direction = {x, y, z};
}

void colour(LWLight* light, float r, float g, float b, float a) {
    light->d3dLight.diffuse = {r, g, b, a};
}

void attenuate(LWLight* light, float a0, float a1, float a2) {
    light->d3dLight.attenuation0 = a0;
    light->d3dLight.attenuation1 = a1;
    light->d3dLight.attenuation2 = a2;
}

void expectVec4(float x, float y, float z, float w, const Vec4& v, const char* what, int slot) {
    EXPECT_NEAR(x, v.x, 1e-4f) << what << " of slot " << slot;
    EXPECT_NEAR(y, v.y, 1e-4f) << what << " of slot " << slot;
    EXPECT_NEAR(z, v.z, 1e-4f) << what << " of slot " << slot;
    EXPECT_NEAR(w, v.w, 1e-4f) << what << " of slot " << slot;
}

// Slots from an earlier object, so that leftovers would show.
LightSlots staleSlots(size_t lights) {
    LightSlots s;
    for (int k = 0; k < LIGHT_SLOTS; ++k)
        s.colour[k] = s.position[k] = s.attenuation[k] = {7, 7, 7, 7};
    s.on.assign(lights + 3, true);
    s.used = 5;
    return s;
}

} // namespace

TEST(LightSlots, LitLightsFillSlotsInObjectSpaceAndTheRestAreNeutral) {
    LW6Scene scene(nullptr, nullptr);
    LWLight* point = addLight(scene, LIGHT_POINT, 1);
    place(point, 10, 0, 0);
    colour(point, 1, 0.5f, 0.25f, 1);
    attenuate(point, 0.5f, 0.1f, 0.01f);

    LWLight* dark = addLight(scene, LIGHT_POINT, 0); // no intensity: off
    place(dark, 1, 2, 3);
    colour(dark, 0.9f, 0.9f, 0.9f, 1);

    LWLight* sun = addLight(scene, LIGHT_DISTANT, 0.8f);
    place(sun, 50, 60, 70); // a distant light's position does not matter
    aim(sun, 0, 0, 1);
    colour(sun, 0.2f, 0.3f, 0.4f, 0.5f);
    attenuate(sun, 1, 0, 0);

    LWLight* excluded = addLight(scene, LIGHT_POINT, 1);
    place(excluded, 0, 0, 0);
    colour(excluded, 0.6f, 0.6f, 0.6f, 1);

    LWLight* spot = addLight(scene, LIGHT_SPOT, 2);
    place(spot, 0, 5, 0);
    aim(spot, 1, 0, 0);
    colour(spot, 0, 1, 0, 1);
    attenuate(spot, 0, 0, 0.25f);

    LWLight* faint = addLight(scene, LIGHT_POINT, 9e-7f); // below the threshold: off
    colour(faint, 0.1f, 0.1f, 0.1f, 1);

    LWLight* justLit = addLight(scene, LIGHT_DISTANT, 1e-6f); // at the threshold: on
    aim(justLit, 0, -3, 0);
    colour(justLit, 0.7f, 0.8f, 0.9f, 1);
    attenuate(justLit, 2, 3, 4);

    LWObject object(nullptr);
    object.inverseWorld = objectFromWorld();
    object.excludedLights = {3};

    LightSlots slots = staleSlots(scene.lights.size());
    fillLightSlots(scene, object, slots);

    EXPECT_EQ((std::vector<bool>{true, false, true, false, true, false, true}), slots.on);
    EXPECT_EQ(4, slots.used);

    // Point light: at the object's origin.
    expectVec4(1, 0.5f, 0.25f, 1, slots.colour[0], "colour", 0);
    expectVec4(0, 0, 0, 1, slots.position[0], "position", 0);
    expectVec4(0.5f, 0.1f, 0.01f, 0, slots.attenuation[0], "attenuation", 0);
    // Distant light shining along world +z, which is object -x: it sits far
    // out on object +x.
    expectVec4(0.2f, 0.3f, 0.4f, 0.5f, slots.colour[1], "colour", 1);
    expectVec4(256, 0, 0, 1, slots.position[1], "position", 1);
    expectVec4(1, 0, 0, 0, slots.attenuation[1], "attenuation", 1);
    // Spot light: a point at world (0, 5, 0).
    expectVec4(0, 1, 0, 1, slots.colour[2], "colour", 2);
    expectVec4(0, 10, -20, 1, slots.position[2], "position", 2);
    expectVec4(0, 0, 0.25f, 0, slots.attenuation[2], "attenuation", 2);
    // Distant light shining down: above the object, at 256 whatever the
    // direction's length.
    expectVec4(0.7f, 0.8f, 0.9f, 1, slots.colour[3], "colour", 3);
    expectVec4(0, 256, 0, 1, slots.position[3], "position", 3);
    expectVec4(2, 3, 4, 0, slots.attenuation[3], "attenuation", 3);

    for (int k = 4; k < LIGHT_SLOTS; ++k) {
        expectVec4(0, 0, 0, 0, slots.colour[k], "colour", k);
        expectVec4(0, 0, 0, 1, slots.position[k], "position", k);
        expectVec4(1, 0, 0, 0, slots.attenuation[k], "attenuation", k);
    }
}

TEST(LightSlots, OnlyTheFirstEightLitLightsGetSlotsButAllAreSwitchedOn) {
    LW6Scene scene(nullptr, nullptr);
    for (int j = 0; j < 11; ++j) {
        LWLight* light = addLight(scene, LIGHT_POINT, 1);
        place(light, 10, float(j), 0); // object space (0, 2j, 0)
        colour(light, float(j) / 16, 0, 0, 1);
        attenuate(light, float(j), 0, 0);
    }
    LWObject object(nullptr);
    object.inverseWorld = objectFromWorld();
    object.excludedLights = {2};

    LightSlots slots = staleSlots(scene.lights.size());
    fillLightSlots(scene, object, slots);

    std::vector<bool> on(11, true);
    on[2] = false;
    EXPECT_EQ(on, slots.on);
    EXPECT_EQ(LIGHT_SLOTS, slots.used);
    const int lightOfSlot[LIGHT_SLOTS] = {0, 1, 3, 4, 5, 6, 7, 8};
    for (int k = 0; k < LIGHT_SLOTS; ++k) {
        const float j = float(lightOfSlot[k]);
        expectVec4(j / 16, 0, 0, 1, slots.colour[k], "colour", k);
        expectVec4(0, 2 * j, 0, 1, slots.position[k], "position", k);
        expectVec4(j, 0, 0, 0, slots.attenuation[k], "attenuation", k);
    }
}

TEST(LightSlots, ASceneWithoutLightsLeavesEverySlotNeutral) {
    LW6Scene scene(nullptr, nullptr);
    LWObject object(nullptr);
    LightSlots slots = staleSlots(0);
    fillLightSlots(scene, object, slots);
    EXPECT_TRUE(slots.on.empty());
    EXPECT_EQ(0, slots.used);
    for (int k = 0; k < LIGHT_SLOTS; ++k) {
        expectVec4(0, 0, 0, 0, slots.colour[k], "colour", k);
        expectVec4(0, 0, 0, 1, slots.position[k], "position", k);
        expectVec4(1, 0, 0, 0, slots.attenuation[k], "attenuation", k);
    }
}
