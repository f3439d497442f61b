// The shared math types against products, inverses and views worked out by
// hand. Row-vector convention: p maps to p * M, translation in the fourth row.
#include "base/math3d.h"

#include <gtest/gtest.h>

namespace {

void expectNear(Vec3 expected, Vec3 actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

void expectIdentity(const Matrix4& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(i == j ? 1.0f : 0.0f, m.m[i][j], 1e-5f) << "row " << i << " column " << j;
}

TEST(Matrix, MultiplyIsRowVectorComposition) {
    const Matrix4 scale = Matrix4::scaling(2, 2, 2);
    const Matrix4 move = Matrix4::translation(5, 6, 7);
    Matrix4 m = scale * move; // scale first, then translate
    EXPECT_FLOAT_EQ(2, m.m[0][0]);
    EXPECT_FLOAT_EQ(5, m.m[3][0]);
    m = move * scale; // translation is scaled too
    EXPECT_FLOAT_EQ(10, m.m[3][0]);
    EXPECT_FLOAT_EQ(14, m.m[3][2]);
    m = m * scale;
    EXPECT_FLOAT_EQ(20, m.m[3][0]);
}

TEST(Matrix, FullProductUsesTheFourthColumns) {
    const Matrix4 a = {{{1, 2, 0, 1}, {0, 1, 3, 0}, {2, 0, 1, 2}, {1, 1, 0, 1}}};
    const Matrix4 b = {{{0, 1, 0, 2}, {1, 0, 2, 0}, {3, 1, 0, 1}, {0, 2, 1, 0}}};
    // Row i of a times column j of b, e.g. (1, 2, 0, 1) . (1, 0, 1, 2) = 3.
    const float expected[4][4] = {{2, 3, 5, 2}, {10, 3, 2, 3}, {3, 7, 2, 5}, {1, 3, 3, 2}};
    const Matrix4 p = a * b;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ(expected[i][j], p.m[i][j]) << "row " << i << " column " << j;
}

TEST(Matrix, AffineProductMatchesTheFullOneOnAffineMatrices) {
    const Matrix4 a = Matrix4::rotationX(0.4f) * Matrix4::translation(1, -2, 3);
    const Matrix4 b = Matrix4::scaling(2, 0.5f, 3) * Matrix4::rotationZ(-1.1f) *
                      Matrix4::translation(-4, 0.25f, 8);
    const Matrix4 full = a * b, affine = affineMultiply(a, b);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(full.m[i][j], affine.m[i][j], 1e-5f) << "row " << i << " column " << j;
}

TEST(Matrix, AffineInverseUndoesRotationScaleAndTranslation) {
    const Matrix4 m = Matrix4::scaling(2, 3, 0.5f) * Matrix4::rotationY(0.7f) *
                      Matrix4::rotationX(-0.3f) * Matrix4::translation(4, -5, 6);
    const Matrix4 inverse = affineInverse(m);
    expectIdentity(inverse * m);
    expectIdentity(m * inverse);
    const Vec3 p = {1.5f, -2, 7};
    expectNear(p, transformPoint(inverse, transformPoint(m, p)));
}

TEST(Matrix, AffineInverseOfASingularMatrixIsTheIdentity) {
    expectIdentity(affineInverse(Matrix4::scaling(1, 0, 1) * Matrix4::translation(3, 4, 5)));
}

TEST(Matrix, TransposedSwapsRowsAndColumns) {
    const Matrix4 m = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
    const Matrix4 t = transposed(m);
    const float expected[4][4] = {{1, 5, 9, 13}, {2, 6, 10, 14}, {3, 7, 11, 15}, {4, 8, 12, 16}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(expected[i][j], t.m[i][j]);
}

TEST(Matrix, TransformHomogeneousTakesWFromTheFourthColumn) {
    const Matrix4 m = {{{1, 0, 0, 0.5f}, {0, 1, 0, 0.25f}, {0, 0, 1, 2}, {3, -1, 2, 1}}};
    const Vec3 p = {2, 4, 1};
    const Vec4 h = transformHomogeneous(m, p);
    EXPECT_FLOAT_EQ(5, h.x);
    EXPECT_FLOAT_EQ(3, h.y);
    EXPECT_FLOAT_EQ(3, h.z);
    EXPECT_FLOAT_EQ(5, h.w); // 2 * 0.5 + 4 * 0.25 + 1 * 2 + 1
    // transformPoint drops w without dividing by it.
    expectNear({5, 3, 3}, transformPoint(m, p));
    // Directions ignore the fourth row.
    expectNear({2, 4, 1}, transformVector(m, p));
}

TEST(Matrix, LookAtMapsTheTargetOntoThePositiveZAxis) {
    const Vec3 eye = {1, 2, 3}, at = {1, 2, 10}, up = {0, 1, 0};
    Matrix4 m = lookAtLH(eye, at, up);
    expectNear({0, 0, 0}, transformPoint(m, eye));
    expectNear({0, 0, 7}, transformPoint(m, at));
    // Looking along +x, the world's +z is on the viewer's left (-x in view).
    m = lookAtLH({0, 0, 0}, {1, 0, 0}, up);
    EXPECT_NEAR(-1, transformPoint(m, Vec3{0, 0, 1}).x, 1e-5f);
}

TEST(Matrix, LookAtFromAnObliqueEyeKeepsUpUpward) {
    const Vec3 eye = {3, 2, -4}, at = {0, 0, 0}, up = {0, 1, 0};
    const Matrix4 m = lookAtLH(eye, at, up);
    expectNear({0, 0, 0}, transformPoint(m, eye));
    expectNear({0, 0, length(at - eye)}, transformPoint(m, at));
    // The view's axes are orthonormal, and the world's up leans to view +y.
    const Vec3 x = {m.m[0][0], m.m[1][0], m.m[2][0]}, y = {m.m[0][1], m.m[1][1], m.m[2][1]},
               z = {m.m[0][2], m.m[1][2], m.m[2][2]};
    EXPECT_NEAR(1, length(x), 1e-5f);
    EXPECT_NEAR(1, length(y), 1e-5f);
    EXPECT_NEAR(1, length(z), 1e-5f);
    EXPECT_NEAR(0, dot(x, y), 1e-5f);
    EXPECT_NEAR(0, dot(y, z), 1e-5f);
    EXPECT_NEAR(0, dot(z, x), 1e-5f);
    EXPECT_GT(transformVector(m, up).y, 0);
    EXPECT_NEAR(0, transformVector(m, up).x, 1e-5f);
}

TEST(Vector, CrossDotAndNormalised) {
    expectNear({0, 0, 1}, cross({1, 0, 0}, {0, 1, 0}));
    expectNear({-3, 6, -3}, cross({1, 2, 3}, {4, 5, 6}));
    EXPECT_FLOAT_EQ(32, dot({1, 2, 3}, {4, 5, 6}));
    EXPECT_FLOAT_EQ(5, length({3, 0, 4}));
    expectNear({0.6f, 0, 0.8f}, normalised({3, 0, 4}));
    expectNear({0, 0, 0}, normalised({0, 0, 0})); // zero stays zero
}

TEST(Plane, DistanceIsPositiveOnTheNormalsSide) {
    const Vec3 point = {1, 2, 3}, normal = normalised({0, 1, 1});
    const Plane plane = Plane::fromPointNormal(point, normal);
    EXPECT_NEAR(0, plane.distance(point), 1e-5f);
    EXPECT_NEAR(0, plane.distance(point + Vec3{5, 1, -1}), 1e-5f); // along the plane
    EXPECT_NEAR(2, plane.distance(point + 2 * normal), 1e-5f);
    EXPECT_NEAR(-3, plane.distance(point - 3 * normal), 1e-5f);
}

TEST(Box, CornersPickMaxXThenMaxYThenMaxZ) {
    const Box3 box = {{-1, -2, -3}, {4, 5, 6}};
    const Vec3 expected[8] = {{-1, -2, -3}, {-1, -2, 6}, {-1, 5, -3}, {-1, 5, 6},
                              {4, -2, -3},  {4, -2, 6},  {4, 5, -3},  {4, 5, 6}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        expectNear(expected[i], box.corner(i), 0);
    }
    expectNear({1.5f, 1.5f, 1.5f}, box.centre());
}

} // namespace
