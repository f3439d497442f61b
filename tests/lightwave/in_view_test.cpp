// Which points and boxes an item sees, in clip space: first with corners
// written by hand against each bound of the view, then with object boxes
// seen through a real camera.

#include "lightwave/items.h"
#include "meshes/bounding_box.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Eight clip-space corners: the box x0..x1, y0..y1, w0..w1 (z follows w).
struct ClipBox {
    Vec4 c[8];
    ClipBox(float x0, float x1, float y0, float y1, float w0, float w1) {
        for (int i = 0; i < 8; ++i) {
            const float w = (i & 1) ? w1 : w0;
            c[i] = {(i & 4) ? x1 : x0, (i & 2) ? y1 : y0, w, w};
        }
    }
};

} // namespace

TEST(PointInView, InsideOnlyWhenEveryBoundHolds) {
    LWObject item(nullptr);
    item.minNear = 0.5f;
    EXPECT_TRUE(item.pointInView({0, 0, 1, 1}));
    EXPECT_TRUE(item.pointInView({0.9f, -0.9f, 1, 1}));
    // On the bounds themselves.
    EXPECT_TRUE(item.pointInView({2, -2, 2, 2}));
    EXPECT_TRUE(item.pointInView({0, 0, 0.5f, 0.5f}));
    // Each bound broken on its own.
    EXPECT_FALSE(item.pointInView({0, 0, 0.4f, 0.4f})); // nearer than minNear
    EXPECT_FALSE(item.pointInView({-2.1f, 0, 2, 2}));   // left
    EXPECT_FALSE(item.pointInView({2.1f, 0, 2, 2}));    // right
    EXPECT_FALSE(item.pointInView({0, -2.1f, 2, 2}));   // below
    EXPECT_FALSE(item.pointInView({0, 2.1f, 2, 2}));    // above
    EXPECT_FALSE(item.pointInView({0, 0, -1, -1}));     // behind the eye
}

TEST(BoxInView, ABoxWhollyBeyondOneBoundIsOut) {
    LWObject item(nullptr);
    item.minNear = 0.5f;
    EXPECT_TRUE(item.boxInView(ClipBox(-1, 1, -1, 1, 2, 3).c));
    struct Case {
        const char* name;
        ClipBox box;
    };
    const std::vector<Case> out = {
        // x and y well within the view: only w puts it out.
        {"nearer than minNear", ClipBox(0, 0.1f, 0, 0.1f, 0.2f, 0.45f)},
        {"behind the eye", ClipBox(-0.1f, 0.1f, -0.1f, 0.1f, -9, -1)},
        {"left", ClipBox(-9, -2.5f, -1, 1, 1, 2)},
        {"right", ClipBox(2.5f, 9, -1, 1, 1, 2)},
        {"below", ClipBox(-1, 1, -9, -2.5f, 1, 2)},
        {"above", ClipBox(-1, 1, 2.5f, 9, 1, 2)},
    };
    for (const Case& c : out) EXPECT_FALSE(item.boxInView(c.box.c)) << c.name;
}

TEST(BoxInView, ABoxAcrossABoundIsIn) {
    LWObject item(nullptr);
    item.minNear = 0.5f;
    struct Case {
        const char* name;
        ClipBox box;
    };
    const std::vector<Case> in = {
        {"across the near bound", ClipBox(0, 0.1f, 0, 0.1f, 0.2f, 0.5f)},
        {"across the left bound", ClipBox(-9, -1.5f, -1, 1, 1, 2)},
        {"across the right bound", ClipBox(1.5f, 9, -1, 1, 1, 2)},
        {"across the lower bound", ClipBox(-1, 1, -9, -1.5f, 1, 2)},
        {"across the upper bound", ClipBox(-1, 1, 1.5f, 9, 1, 2)},
        {"larger than the view", ClipBox(-50, 50, -50, 50, 1, 2)},
        // Corners behind and in front of the eye, spanning x and y: the
        // camera is inside the box.
        {"around the eye", ClipBox(-3, 3, -3, 3, -1, 1)},
    };
    for (const Case& c : in) EXPECT_TRUE(item.boxInView(c.box.c)) << c.name;
}

TEST(BoxInView, EachBoundNeedsOnlyOneCornerSoTheTestIsConservative) {
    // Some corners are left of the view, the others above it: every bound
    // holds some corner although no corner is in view, and the box counts
    // as in view.
    LWObject item(nullptr);
    const Vec4 corners[8] = {{-3, 0.5f, 1, 1},    {-3, 0.5f, 2, 2},   {-3, 3, 1, 1},
                             {-3, 3, 2, 2},       {-0.5f, 3, 1, 1},   {-0.5f, 3, 2, 2},
                             {-2.5f, 2.5f, 1, 1}, {-2.5f, 2.5f, 2, 2}};
    for (const Vec4& c : corners) EXPECT_FALSE(item.pointInView(c));
    EXPECT_TRUE(item.boxInView(corners));
}

namespace {

// The box of an object's points: a cube reaching `half` from the origin
// along each axis.
MeshBoundingBox cubeBox(float half = 1) {
    const float points[] = {-half, -half, -half, half, half, half, 0, 0, 0};
    MeshBoundingBox box;
    computeBoundingBox(points, 3, box);
    return box;
}

// A camera at `z` on the Z axis looking along +Z (or along +X with
// `headingQuarterTurn`), with the default zoom.
struct Viewer {
    LWCamera camera{nullptr};
    explicit Viewer(float z, bool headingQuarterTurn = false) {
        camera.channels[CHANNEL_Z].value = z;
        if (headingQuarterTurn) camera.channels[CHANNEL_HEADING].value = 1.5707963f;
        camera.computeProjection(0);
        camera.getInvMatrix(0);
    }
    // Whether the camera sees `box` on an object at (x, y, z).
    bool sees(const MeshBoundingBox& box, float x, float y, float z) {
        LWObject object(nullptr);
        object.channels[CHANNEL_X].value = x;
        object.channels[CHANNEL_Y].value = y;
        object.channels[CHANNEL_Z].value = z;
        object.getMatrix(0);
        Vec4 corners[8];
        transformCorners(box, object.world * camera.inverseWorld * camera.projection, corners);
        return camera.boxInView(corners);
    }
    bool seesPoint(float x, float y, float z) {
        const Matrix4 m = camera.inverseWorld * camera.projection;
        return camera.pointInView(transformHomogeneous(m, Vec3{x, y, z}));
    }
};

} // namespace

TEST(CameraView, TheDefaultLensIsFourByThreeWithDepthAsW) {
    LWCamera camera(nullptr);
    camera.computeProjection(0);
    EXPECT_FLOAT_EQ(2.4f, camera.projection.m[0][0]);
    EXPECT_FLOAT_EQ(3.2f, camera.projection.m[1][1]);
    EXPECT_FLOAT_EQ(1, camera.projection.m[2][3]);
}

TEST(CameraView, ObjectsInFrontBehindAndToTheSide) {
    Viewer v(-10);
    const MeshBoundingBox box = cubeBox();
    EXPECT_TRUE(v.sees(box, 0, 0, 0));     // straight ahead
    EXPECT_TRUE(v.sees(box, 0, 0, 500));   // far ahead
    EXPECT_FALSE(v.sees(box, 0, 0, -20));  // behind the camera
    EXPECT_FALSE(v.sees(box, 0, 0, -12));  // just behind
    EXPECT_FALSE(v.sees(box, 100, 0, 0));  // far to the right
    EXPECT_FALSE(v.sees(box, -100, 0, 0)); // far to the left
    EXPECT_FALSE(v.sees(box, 0, 100, 0));  // far above
    EXPECT_FALSE(v.sees(box, 0, -100, 0)); // far below
}

TEST(CameraView, TheEdgesOfTheViewFollowTheLens) {
    // A box ten units ahead has faces at depths 9 and 11; at 11 the view
    // reaches 11 / 2.4 = 4.58 units to each side and 11 / 3.2 = 3.44 up and
    // down, so a box whose inner edge is just inside that is still seen.
    Viewer v(-10);
    const MeshBoundingBox box = cubeBox();
    EXPECT_TRUE(v.sees(box, 5.5f, 0, 0)); // inner edge at 4.5
    EXPECT_FALSE(v.sees(box, 6, 0, 0));   // inner edge at 5
    EXPECT_TRUE(v.sees(box, -5.5f, 0, 0));
    EXPECT_FALSE(v.sees(box, -6, 0, 0));
    EXPECT_TRUE(v.sees(box, 0, 4.3f, 0));  // inner edge at 3.3
    EXPECT_FALSE(v.sees(box, 0, 4.5f, 0)); // inner edge at 3.5
    EXPECT_TRUE(v.sees(box, 0, -4.3f, 0));
    EXPECT_FALSE(v.sees(box, 0, -4.5f, 0));
}

TEST(CameraView, ABoxAroundTheCameraIsInView) {
    Viewer v(-10);
    EXPECT_TRUE(v.sees(cubeBox(3), 0, 0, -10)); // centred on the camera
    EXPECT_TRUE(v.sees(cubeBox(3), 1, -2, -9)); // off-centre, still around it
}

TEST(CameraView, TurningTheCameraTurnsWhatItSees) {
    Viewer v(0, true); // at the origin, looking along +X
    const MeshBoundingBox box = cubeBox();
    EXPECT_TRUE(v.sees(box, 20, 0, 0));
    EXPECT_FALSE(v.sees(box, -20, 0, 0));
    EXPECT_FALSE(v.sees(box, 0, 0, 20)); // straight ahead of an unturned camera
    EXPECT_TRUE(v.seesPoint(20, 0, 0));
    EXPECT_FALSE(v.seesPoint(0, 0, 20));
}

TEST(CameraView, PointsAheadAndBehind) {
    Viewer v(-10);
    EXPECT_TRUE(v.seesPoint(0, 0, 0));
    EXPECT_TRUE(v.seesPoint(4, 3, 0)); // 10 ahead: 4.17 across, 3.13 up
    EXPECT_FALSE(v.seesPoint(4.3f, 0, 0));
    EXPECT_FALSE(v.seesPoint(0, 3.2f, 0));
    EXPECT_FALSE(v.seesPoint(0, 0, -11));
}
