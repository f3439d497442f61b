#include "app/device_context_base.h"
#include "lightwave/items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float PI = 3.14159265358979f;

void apply(const Matrix4& m, float x, float y, float z, float out[3]) {
    const float p[3] = {x, y, z};
    transformPoint(m, p, out);
}

LWEnvelope* line(float v0, float v1) {
    auto* e = new LWEnvelope(2);
    e->setKey(0, v0, 0, 3, 0, 0, 0);
    e->setKey(1, v1, 1, 3, 0, 0, 0);
    e->finish(BEHAVIOR_LINEAR, BEHAVIOR_LINEAR);
    return e;
}

TEST(ItemMotion, PivotIsSubtractedAndNotAddedBack) {
    LWObject o(nullptr);
    o.pivotPosition[0] = 1;
    o.getMatrix(0);
    float p[3];
    apply(o.world, 1, 0, 0, p);
    EXPECT_NEAR(0, p[0], 1e-6);
    EXPECT_NEAR(0, p[1], 1e-6);
    EXPECT_TRUE(o.worldValid);
}

TEST(ItemMotion, ScaleRotateTranslateInOrder) {
    LWObject o(nullptr);
    o.channels[CHANNEL_SCALE_X].value = 2;
    o.channels[CHANNEL_HEADING].value = PI / 2; // heading turns +Z toward +X
    o.channels[CHANNEL_X].value = 10;
    o.getMatrix(0);
    float p[3];
    apply(o.world, 1, 0, 0, p); // scaled to 2, turned to -Z, moved by 10 in X
    EXPECT_NEAR(10, p[0], 1e-5);
    EXPECT_NEAR(-2, p[2], 1e-5);
    apply(o.world, 0, 0, 1, p);
    EXPECT_NEAR(11, p[0], 1e-5);
    o.getInvMatrix(0);
    float back[3];
    transformPoint(o.inverseWorld, p, back);
    EXPECT_NEAR(0, back[0], 1e-5);
    EXPECT_NEAR(1, back[2], 1e-5);
}

TEST(ItemMotion, ParentChainsCompose) {
    LWObject root(nullptr), middle(nullptr), leaf(nullptr);
    root.channels[CHANNEL_X].value = 5;
    middle.parent = &root;
    middle.channels[CHANNEL_HEADING].value = PI;
    leaf.parent = &middle;
    leaf.channels[CHANNEL_Z].value = 2;
    leaf.getMatrix(0);
    EXPECT_TRUE(root.worldValid); // computed on the way
    float p[3];
    apply(leaf.world, 0, 0, 0, p);
    // The leaf sits 2 along the middle's Z, which the half turn points to -Z.
    EXPECT_NEAR(5, p[0], 1e-5);
    EXPECT_NEAR(-2, p[2], 1e-5);
    EXPECT_EQ(0.0f, leaf.world.m[0][3]);
    EXPECT_EQ(1.0f, leaf.world.m[3][3]);
}

TEST(ItemMotion, TargetControllerAimsAtTheTarget) {
    LWObject target(nullptr), looker(nullptr);
    target.channels[CHANNEL_X].value = 3;
    target.channels[CHANNEL_Y].value = 3;
    looker.target = &target;
    looker.headingController = CONTROLLER_TARGET;
    looker.pitchController = CONTROLLER_TARGET;
    float r[3];
    looker.getRotation(0, r);
    EXPECT_NEAR(PI / 2, r[1], 1e-5); // heading toward +X
    EXPECT_NEAR(PI / 4, r[0], 1e-5); // returned as -pitch: pitched up 45 degrees
    // Without a target the channel is used.
    LWObject alone(nullptr);
    alone.headingController = CONTROLLER_TARGET;
    alone.channels[CHANNEL_HEADING].value = 0.7f;
    alone.getRotation(0, r);
    EXPECT_NEAR(0.7f, r[1], 1e-6);
}

TEST(ItemMotion, PathControllerLooksAlongTheMotion) {
    LWObject o(nullptr);
    o.channels[CHANNEL_X].setEnvelope(line(0, 4));
    o.channels[CHANNEL_Z].setEnvelope(line(0, 4));
    o.headingController = CONTROLLER_PATH;
    o.pathAlignLookAhead = 0.1f;
    float r[3];
    o.getRotation(0.5, r);
    EXPECT_NEAR(PI / 4, r[1], 1e-5);
    EXPECT_NEAR(2.0f, o.channels[CHANNEL_X].value, 1e-5); // left at the asked time
}

TEST(ItemMotion, InvalidateClearsTheCache) {
    LWObject o(nullptr);
    o.getInvMatrix(0);
    EXPECT_TRUE(o.worldValid);
    EXPECT_TRUE(o.inverseValid);
    EXPECT_FALSE(o.invalidate());
    EXPECT_FALSE(o.worldValid);
    EXPECT_FALSE(o.inverseValid);
}

TEST(CameraMotion, HeadingQuarterTurnLooksAlongX) {
    LWCamera c(nullptr);
    c.channels[CHANNEL_HEADING].value = PI / 2;
    c.getInvMatrix(0);
    float p[3];
    apply(c.inverseWorld, 1, 0, 0, p);
    EXPECT_NEAR(0, p[0], 1e-5);
    EXPECT_NEAR(0, p[1], 1e-5);
    EXPECT_NEAR(1, p[2], 1e-5);
    c.getMatrix(0);
    apply(c.world, 0, 0, 1, p); // and back
    EXPECT_NEAR(1, p[0], 1e-5);
}

TEST(CameraMotion, PositionAndParent) {
    LWObject rig(nullptr);
    rig.channels[CHANNEL_Z].value = -5;
    LWCamera c(nullptr);
    c.parent = &rig;
    c.channels[CHANNEL_Y].value = 1;
    c.getInvMatrix(0);
    float p[3];
    apply(c.inverseWorld, 0, 1, 0, p); // the world origin + 1 up is 5 ahead of the camera
    EXPECT_NEAR(0, p[0], 1e-5);
    EXPECT_NEAR(0, p[1], 1e-5);
    EXPECT_NEAR(5, p[2], 1e-5);
}

TEST(CameraMotion, EyesAreOffsetSideways) {
    DeviceContextBase context;
    context.stereoParams[0] = 0.5f;
    LWCamera c(&context);
    c.eyeSeparation = 0.2f;
    float p[3];
    context.eye = -1;
    c.getInvMatrix(0);
    apply(c.inverseWorld, 0, 0, 0, p);
    EXPECT_NEAR(0, p[0], 1e-6);
    context.eye = 0;
    c.getInvMatrix(0);
    apply(c.inverseWorld, 0, 0, 0, p);
    EXPECT_NEAR(0.1, p[0], 1e-6);
    context.eye = 1;
    c.getInvMatrix(0);
    apply(c.inverseWorld, 0, 0, 0, p);
    EXPECT_NEAR(-0.1, p[0], 1e-6);
}

TEST(Items, DefaultsAndIdentifiers) {
    LWLight l(nullptr);
    EXPECT_EQ(ITEM_LIGHT, l.kind);
    EXPECT_FLOAT_EQ(1.0f / 256, l.minNear);
    EXPECT_FLOAT_EQ(0.5235988f, l.coneAngle.value);
    EXPECT_TRUE(l.flickerPeriod == 1.7391304f || l.flickerPeriod == 1.3043478f);
    LWCamera c(nullptr);
    EXPECT_FLOAT_EQ(3.2f, c.zoomFactor.value);
    LWObject a(nullptr), b(nullptr);
    EXPECT_EQ(a.id + 1, b.id);
    EXPECT_EQ(1.0f, a.channels[CHANNEL_SCALE_Y].value);
    EXPECT_EQ(7, a.shadowOptions);
}

} // namespace

#include "timeline/profiler.h"

namespace {

TEST(ItemMotion, MatrixCallsAreProfiledOnceThroughParents) {
    profiler().clear();
    profiler().registerDemoSections();
    LWObject parent(nullptr), child(nullptr);
    child.parent = &parent;
    child.getMatrix(0);
    child.getInvMatrix(0);
    EXPECT_EQ(1u, profiler().all()[PROFILE_GET_MATRIX].execs);
    EXPECT_EQ(1u, profiler().all()[PROFILE_GET_INV_MATRIX].execs);
    profiler().clear();
    child.invalidate();
    child.getMatrix(0); // nothing registered: nothing recorded, nothing breaks
    EXPECT_TRUE(profiler().all().empty());
}

} // namespace

namespace {

TEST(ItemMotion, CyclesThroughParentsAndTargetsEndInsteadOfRecursing) {
    LWObject a(nullptr), b(nullptr);
    a.target = &b;
    a.headingController = CONTROLLER_TARGET;
    b.parent = &a;
    b.channels[CHANNEL_Z].value = 1;
    a.getMatrix(0); // a needs b's world, which needs a's: a's current one is used
    EXPECT_TRUE(a.worldValid);
    EXPECT_TRUE(b.worldValid);
    LWCamera c(nullptr);
    LWObject d(nullptr);
    c.parent = &d;
    d.parent = &c;
    c.getMatrix(0);
    EXPECT_TRUE(c.worldValid);
}

} // namespace

// Projections: a lens for cameras and lights, identity for others; the depth
// range fitted to near and far; the viewport each kind renders into.
TEST(ItemProjection, CamerasZoomByTheFovModeAndShiftForEachEye) {
    DeviceContextBase context;
    LWCamera camera(&context);
    camera.zoomFactor.value = 3.2f;
    camera.computeProjection(0);
    EXPECT_TRUE(camera.projectionValid);
    EXPECT_FLOAT_EQ(0.75f * 3.2f, camera.projection.m[0][0]);
    EXPECT_FLOAT_EQ(3.2f, camera.projection.m[1][1]);
    EXPECT_FLOAT_EQ(1.0f, camera.projection.m[2][3]);
    EXPECT_FLOAT_EQ(0.0f, camera.projection.m[3][3]);
    EXPECT_FLOAT_EQ(0.0f, camera.projection.m[2][0]); // eye -1: one picture
    context.fovMode = 1;
    camera.computeProjection(0);
    EXPECT_FLOAT_EQ(2.0f, camera.projection.m[1][1]);
    context.fovMode = 2;
    camera.computeProjection(0);
    EXPECT_FLOAT_EQ(0.75f, camera.projection.m[0][0]);
    // Eyes: s0 x separation x 0.75 z / s1, left negative.
    context.fovMode = 0;
    context.eye = 0;
    camera.computeProjection(0);
    const float shift = 0.5f * 0.06f * 0.75f * 3.2f / 3.75f;
    EXPECT_NEAR(-shift, camera.projection.m[2][0], 1e-7);
    context.eye = 1;
    camera.computeProjection(0);
    EXPECT_NEAR(shift, camera.projection.m[2][0], 1e-7);
    context.eye = 3;
    camera.computeProjection(0);
    EXPECT_FLOAT_EQ(-1.0f, camera.projection.m[2][0]);
}

TEST(ItemProjection, LightsSeeTheirConeAndOtherItemsNothing) {
    DeviceContextBase context;
    LWLight light(&context);
    light.coneAngle.value = 0.5f;
    light.computeProjection(0);
    const float c = 1.0f / std::tan(0.5f);
    EXPECT_FLOAT_EQ(0.75f * c, light.projection.m[0][0]);
    EXPECT_FLOAT_EQ(c, light.projection.m[1][1]);
    LWObject object(&context);
    object.projection.m[0][1] = 5;
    object.computeProjection(0);
    EXPECT_FLOAT_EQ(0.0f, object.projection.m[0][1]);
    EXPECT_FLOAT_EQ(1.0f, object.projection.m[3][3]);
    EXPECT_TRUE(object.projectionValid);
}

TEST(ItemProjection, TheDepthRangeIsFittedAndHandedToTheStereoState) {
    DeviceContextBase context;
    LWCamera camera(&context);
    camera.minNear = 0.1f;
    camera.setupProjection(0, 2.0f, 50.0f); // computes the projection first
    EXPECT_TRUE(camera.projectionValid);
    EXPECT_TRUE(camera.pmXYZWcalced);
    const float n = 2.0f - 1e-6f, f = 50.0f + 1e-6f;
    EXPECT_NEAR(f / (f - n), camera.projection.m[2][2], 1e-5);
    EXPECT_NEAR(-n * f / (f - n), camera.projection.m[3][2], 1e-4);
    // A point at the near distance lands on depth 0, at the far one on 1.
    for (float z : {n, f}) {
        const float zc = z * camera.projection.m[2][2] + camera.projection.m[3][2];
        EXPECT_NEAR(z == n ? 0.0f : 1.0f, zc / z, 1e-4);
    }
    EXPECT_NEAR(std::max(3.75f, 1.0f * (f / 3 - 3.75f) + 3.75f), context.stereoParams[2], 1e-4);
    EXPECT_NEAR(n, context.stereoParams[3], 1e-6);

    // A near distance below the item's own is raised to it; far is kept beyond near.
    camera.setupProjection(0, -5.0f, -10.0f);
    EXPECT_TRUE(std::isfinite(camera.projection.m[2][2]));
    EXPECT_GT(camera.projection.m[2][2], 1.0f); // a range, however thin
    EXPECT_TRUE(std::isfinite(camera.projection.m[3][2]));
    EXPECT_NEAR(0.1f, context.stereoParams[3], 1e-6);
    EXPECT_FLOAT_EQ(3.75f, context.stereoParams[2]);

    // Objects fit their range too but leave the stereo state alone.
    LWObject object(&context);
    context.stereoParams[3] = 7;
    object.setupProjection(0, 1, 2);
    EXPECT_FLOAT_EQ(7.0f, context.stereoParams[3]);
}

TEST(ItemProjection, ViewportsByKind) {
    DeviceContextBase context;
    context.screenWidth = 800;
    context.screenHeight = 600;
    LWCamera camera(&context);
    camera.initViewport();
    EXPECT_EQ(800, camera.viewport.width);
    EXPECT_EQ(600, camera.viewport.height);
    EXPECT_FLOAT_EQ(1.0f, camera.viewport.maxZ);
    LWLight light(&context);
    light.shadowMapSize = 1024;
    light.initViewport();
    EXPECT_EQ(1024, light.viewport.width);
    LWObject object(&context);
    object.initViewport();
    EXPECT_EQ(256, object.viewport.height);
}
