// Point-cloud streaks on screen: each head where its point projects now,
// each tail where the head was at the previous frame, a pixel to the right.

#include "mesh_test_support.h"
#include "meshes/mesh_layers.h"
#include "meshes/point_cloud.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

struct Cloud {
    MetaMesh mesh;
    PointCloudArrays arrays;
    explicit Cloud(const std::vector<float>& xyz) {
        auto* layer = new PointCloudLayer(nullptr, &mesh);
        mesh.layer.push_back(layer);
        layer->positions = xyz;
        layer->numPositions = int(xyz.size() / 3);
        EXPECT_TRUE(buildPointCloud(*layer, MeshDeviceLimits(), arrays));
    }
};

// x scaled by 2, y by 3, z moved back by 1, w = z; then shifted by `dx`.
Matrix4 lens(float dx = 0) {
    return {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 1, 1}, {dx, 0, -1, 0}}};
}

struct Screen {
    double x, y, z, rhw;
};

// Where a point lands on a width x height screen through `lens(dx)`, worked
// out in doubles with the centre at the integer half of each size.
Screen project(float px, float py, float pz, float dx, int width, int height) {
    const double X = 2.0 * px + dx, Y = 3.0 * py, Z = pz - 1.0, W = pz;
    const double rhw = 1.0 / W;
    return {X * rhw * width * 0.5 + width / 2, height / 2 - Y * rhw * height * 0.5, Z * rhw, rhw};
}

void expectAt(const Screen& s, const StreakVertex& v, const char* what, int point) {
    EXPECT_NEAR(s.x, v.x, 1e-3) << what << " of point " << point;
    EXPECT_NEAR(s.y, v.y, 1e-3) << what << " of point " << point;
    EXPECT_NEAR(s.z, v.z, 1e-6) << what << " of point " << point;
    EXPECT_NEAR(s.rhw, v.rhw, 1e-6) << what << " of point " << point;
}

Screen nudged(Screen s) {
    s.x += 1;
    return s;
}

const std::vector<float> POINTS = {1, 2, 4, -3, -1, 2, 0.5f, 0, 10};

} // namespace

TEST(Streaks, HeadsProjectOntoAnOddSizedScreen) {
    Cloud c(POINTS);
    placeStreaks(c.arrays, lens(), 641, 479);
    // The first point by hand: clip (2, 6, 3, 4), rhw 0.25; the centre is
    // (320, 239), not (320.5, 239.5).
    const StreakVertex& head = c.arrays.vertices[0];
    EXPECT_FLOAT_EQ(2 * 0.25f * 641 * 0.5f + 320, head.x); // 480.25
    EXPECT_FLOAT_EQ(239 - 6 * 0.25f * 479 * 0.5f, head.y); // -120.25
    EXPECT_FLOAT_EQ(0.75f, head.z);
    EXPECT_FLOAT_EQ(0.25f, head.rhw);
    for (int j = 0; j < 3; ++j) {
        const float* p = &POINTS[size_t(j) * 3];
        expectAt(project(p[0], p[1], p[2], 0, 641, 479), c.arrays.vertices[size_t(j) * 2], "head",
                 j);
    }
}

TEST(Streaks, TheFirstFrameDrawsEachPointAsOnePixel) {
    Cloud c(POINTS);
    EXPECT_FALSE(c.arrays.previousValid[0]);
    placeStreaks(c.arrays, lens(), 640, 480);
    EXPECT_TRUE(c.arrays.previousValid[0]);
    EXPECT_FALSE(c.arrays.previousValid[1]);
    for (int j = 0; j < 3; ++j) {
        const float* p = &POINTS[size_t(j) * 3];
        const Screen now = project(p[0], p[1], p[2], 0, 640, 480);
        expectAt(now, c.arrays.vertices[size_t(j) * 2], "head", j);
        expectAt(nudged(now), c.arrays.vertices[size_t(j) * 2 + 1], "tail", j);
        EXPECT_FLOAT_EQ(c.arrays.vertices[size_t(j) * 2].x + 1,
                        c.arrays.vertices[size_t(j) * 2 + 1].x);
    }
}

TEST(Streaks, TailsTrailToThePreviousFrame) {
    Cloud c(POINTS);
    const int width = 801, height = 601;
    placeStreaks(c.arrays, lens(), width, height);
    placeStreaks(c.arrays, lens(0.5f), width, height);
    for (int j = 0; j < 3; ++j) {
        const float* p = &POINTS[size_t(j) * 3];
        const Screen before = project(p[0], p[1], p[2], 0, width, height);
        const Screen now = project(p[0], p[1], p[2], 0.5f, width, height);
        ASSERT_GT(now.x - before.x, 10) << "the second frame must move the point";
        expectAt(now, c.arrays.vertices[size_t(j) * 2], "head", j);
        expectAt(nudged(before), c.arrays.vertices[size_t(j) * 2 + 1], "tail", j);
    }
    // A third frame trails to the second, not the first.
    placeStreaks(c.arrays, lens(-1), width, height);
    for (int j = 0; j < 3; ++j) {
        const float* p = &POINTS[size_t(j) * 3];
        expectAt(project(p[0], p[1], p[2], -1, width, height), c.arrays.vertices[size_t(j) * 2],
                 "head", j);
        expectAt(nudged(project(p[0], p[1], p[2], 0.5f, width, height)),
                 c.arrays.vertices[size_t(j) * 2 + 1], "tail", j);
    }
}

// Each view (an eye of an output) trails to where it saw the points last:
// the other eye's pass in between does not shorten its streaks.
TEST(Streaks, EachViewTrailsToItsOwnLastPlace) {
    Cloud c(POINTS);
    const int width = 801, height = 601;
    placeStreaks(c.arrays, lens(), width, height, 0);
    placeStreaks(c.arrays, lens(), width, height, 1);
    placeStreaks(c.arrays, lens(0.5f), width, height, 0);
    placeStreaks(c.arrays, lens(0.5f), width, height, 1);
    for (int j = 0; j < 3; ++j) {
        const float* p = &POINTS[size_t(j) * 3];
        expectAt(project(p[0], p[1], p[2], 0.5f, width, height), c.arrays.vertices[size_t(j) * 2],
                 "head", j);
        expectAt(nudged(project(p[0], p[1], p[2], 0, width, height)),
                 c.arrays.vertices[size_t(j) * 2 + 1], "tail", j);
    }
    // A view outside the range is the first one.
    placeStreaks(c.arrays, lens(-1), width, height, 9);
    expectAt(nudged(project(POINTS[0], POINTS[1], POINTS[2], 0.5f, width, height)),
             c.arrays.vertices[1], "tail", 0);
}

TEST(Streaks, PlacingKeepsTheColoursAndIndices) {
    Cloud c(POINTS);
    placeStreaks(c.arrays, lens(), 640, 480);
    placeStreaks(c.arrays, lens(2), 640, 480);
    ASSERT_EQ(6u, c.arrays.vertices.size());
    for (size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(0xFFFFFFFFu, c.arrays.vertices[j * 2].diffuse);
        EXPECT_EQ(0x00000000u, c.arrays.vertices[j * 2 + 1].diffuse);
    }
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5}), c.arrays.indices);
}

// A point at or behind the eye has no screen place: its streak lies off the
// screen (finite, so nothing is drawn across it), and it starts afresh.
TEST(Streaks, APointAtOrBehindTheEyeIsLeftOffTheScreen) {
    MetaMesh mesh;
    auto* layer = new PointCloudLayer(nullptr, &mesh);
    mesh.layer.push_back(layer);
    layer->positions = {0, 0, 5, 0, 0, -5, 0, 0, 0};
    layer->numPositions = 3;
    PointCloudArrays a;
    ASSERT_TRUE(buildPointCloud(*layer, MeshDeviceLimits(), a));
    // w = z: the first point in front, the second behind, the third at the eye.
    const Matrix4 m = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}}};
    placeStreaks(a, m, 100, 100);
    EXPECT_FLOAT_EQ(50, a.vertices[0].x);
    for (int v : {2, 3, 4, 5}) {
        EXPECT_TRUE(std::isfinite(a.vertices[size_t(v)].x)) << v;
        EXPECT_TRUE(std::isfinite(a.vertices[size_t(v)].rhw)) << v;
        EXPECT_LT(a.vertices[size_t(v)].x, 0) << v;
    }
}
