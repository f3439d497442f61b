#include "meshes/bounding_box.h"
#include "meshes/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using Triangles = std::vector<int>;

TEST(Triangulate, QuadAndHexagonGiveTheZigZagStrip) {
    Triangles quad;
    triangulatePolygon(0, 4, quad);
    EXPECT_EQ((Triangles{0, 1, 3, 1, 2, 3}), quad);

    Triangles hexagon;
    triangulatePolygon(0, 6, hexagon);
    EXPECT_EQ((Triangles{0, 1, 5, 1, 4, 5, 1, 2, 4, 2, 3, 4}), hexagon);

    // Corner numbers run on from the polygon's first corner.
    Triangles offset{7, 7, 7};
    triangulatePolygon(10, 3, offset);
    EXPECT_EQ((Triangles{7, 7, 7, 10, 11, 12}), offset);
}

TEST(Triangulate, FewerThanThreeCornersGiveNothing) {
    Triangles none;
    for (int n = 0; n < 3; ++n) triangulatePolygon(0, n, none);
    EXPECT_TRUE(none.empty());
}

TEST(Triangulate, EveryPolygonGivesNMinusTwoTrianglesCoveringItsCorners) {
    for (int n = 3; n <= 12; ++n) {
        Triangles t;
        triangulatePolygon(5, n, t);
        ASSERT_EQ(size_t(3 * (n - 2)), t.size()) << n;
        std::set<int> used(t.begin(), t.end());
        EXPECT_EQ(size_t(n), used.size()) << n;
        EXPECT_EQ(5, *used.begin());
        EXPECT_EQ(5 + n - 1, *used.rbegin());
        // Each triangle keeps the polygon's winding: corners in rising order
        // around the ring (a, b, c with a < b < c).
        for (size_t k = 0; k < t.size(); k += 3) {
            EXPECT_LT(t[k], t[k + 1]) << n;
            EXPECT_LT(t[k + 1], t[k + 2]) << n;
        }
    }
}

TEST(FaceNormal, IsTheNormalisedCrossProductOrZero) {
    const float p0[3] = {1, 1, 1}, p1[3] = {3, 1, 1}, p2[3] = {1, 1, 4};
    float n[3];
    faceNormal(p0, p1, p2, n); // (2,0,0) x (0,0,3) = (0,-6,0)
    EXPECT_FLOAT_EQ(0, n[0]);
    EXPECT_FLOAT_EQ(-1, n[1]);
    EXPECT_FLOAT_EQ(0, n[2]);

    const float q[3] = {2, 2, 2};
    faceNormal(q, q, p0, n);
    EXPECT_EQ(0, n[0]);
    EXPECT_EQ(0, n[1]);
    EXPECT_EQ(0, n[2]);
}

TEST(BoundingBox, CornersInOrderCentreAndRadius) {
    const float points[] = {1, -2, 3, -1, 4, 0, 0, 0, 5};
    MeshBoundingBox box;
    computeBoundingBox(points, 3, box);
    ASSERT_TRUE(box.used);
    const float expected[8][3] = {{-1, -2, 0}, {-1, -2, 5}, {-1, 4, 0}, {-1, 4, 5},
                                  {1, -2, 0},  {1, -2, 5},  {1, 4, 0},  {1, 4, 5}};
    for (int c = 0; c < 8; ++c)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(expected[c][k], box.corners[c][k]) << c;
    EXPECT_FLOAT_EQ(0, box.center[0]);
    EXPECT_FLOAT_EQ(1, box.center[1]);
    EXPECT_FLOAT_EQ(2.5f, box.center[2]);
    EXPECT_FLOAT_EQ(std::sqrt(1 + 9 + 6.25f), box.radius);
    // The lowest face: corners 0, 1, 4, 5 share min y.
    for (int c : {0, 1, 4, 5}) EXPECT_EQ(-2, box.corners[c][1]);
}

TEST(BoundingBox, NoPointsLeaveTheBoxUnset) {
    MeshBoundingBox box;
    computeBoundingBox(nullptr, 0, box);
    EXPECT_FALSE(box.used);
}

TEST(BoundingBox, TransformCornersKeepsW) {
    const float points[] = {0, 0, 0, 1, 2, 3};
    MeshBoundingBox box;
    computeBoundingBox(points, 2, box);
    // Scale x by 2, translate by (10, 20, 30), w = z + 1 (fourth column).
    const Matrix4 m = {{{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {10, 20, 30, 1}}};
    Vec4 out[8];
    transformCorners(box, m, out);
    EXPECT_FLOAT_EQ(10, out[0].x);
    EXPECT_FLOAT_EQ(1, out[0].w);
    EXPECT_FLOAT_EQ(12, out[7].x);
    EXPECT_FLOAT_EQ(22, out[7].y);
    EXPECT_FLOAT_EQ(33, out[7].z);
    EXPECT_FLOAT_EQ(4, out[7].w);
    EXPECT_FLOAT_EQ(33, out[1].z); // corner 1 is (x0, y0, z1)
}
