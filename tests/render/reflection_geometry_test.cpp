// The geometry of mirrors and cube maps, natively: the mirror's plane and
// reflection, the portal that culls the reflected world, the reflected
// cameras and the cube faces' views.

#include "render/reflection_geometry.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

namespace {

constexpr float DEG = 3.14159265f / 180;

void expectNear(Vec3 a, Vec3 b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// A flat box: a mirror tile `size` across at height `y` of its object.
MeshBoundingBox tile(float size, float y) {
    MeshBoundingBox box;
    const float points[] = {-size / 2, y, -size / 2, size / 2, y, size / 2};
    computeBoundingBox(points, 2, box);
    return box;
}

TEST(MirrorPlane, AFloorMirrorReflectsHeightsThroughItsPlane) {
    const MeshBoundingBox box = tile(4, 0.5f);
    const MirrorPlane plane = mirrorPlane(Matrix4::translation(3, 1, -2), box);
    // Through the box's lowest face in the world: y = 1.5.
    expectNear(plane.normal, {0, -1, 0});
    EXPECT_NEAR(plane.c, -1.5f, 1e-5f);
    const Matrix4 r = reflectionMatrix(plane);
    expectNear(transformPoint(r, {7, 4, 9}), {7, -1, 9});
    expectNear(transformPoint(r, {0, 1.5f, 0}), {0, 1.5f, 0}); // the plane stays
    // Reflecting twice gives back every point.
    expectNear(transformPoint(r * r, {2, -3, 5}), {2, -3, 5});
}

TEST(MirrorPlane, ATurnedMirrorFacesAlongItsObjectsAxis) {
    // A wall mirror: the object turned so its y axis points along -x.
    const Matrix4 world = Matrix4::rotationZ(90 * DEG) * Matrix4::translation(2, 0, 0);
    const MirrorPlane plane = mirrorPlane(world, tile(2, 0));
    EXPECT_NEAR(std::fabs(plane.normal.x), 1, 1e-5f);
    const Matrix4 r = reflectionMatrix(plane);
    expectNear(transformPoint(r, {5, 1, 1}), {-1, 1, 1});
}

TEST(MirrorPlane, TheLowestFaceGoesRoundInOrder) {
    MeshBoundingBox box;
    const float points[] = {-1, -2, -3, 1, 2, 3};
    computeBoundingBox(points, 2, box);
    Vec3 face[4];
    lowestFace(box, face);
    for (const Vec3& c : face) EXPECT_EQ(-2, c.y);
    // Neighbours differ in one coordinate, opposite corners in two.
    for (int i = 0; i < 4; ++i) {
        const Vec3 a = face[i], b = face[(i + 1) % 4];
        EXPECT_EQ(1, (a.x != b.x) + (a.z != b.z)) << i;
    }
}

// A camera at the origin looking along +z through a square portal 2 x 2
// at z = 4, in clip space of a 90-degree lens.
class PortalTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Vec3 outline[4] = {{-1, -1, 4}, {-1, 1, 4}, {1, 1, 4}, {1, -1, 4}};
        for (int i = 0; i < 4; ++i) corners[i] = transformHomogeneous(lens, outline[i]);
        portal = portalThrough(corners);
    }
    // The clip-space corners of a unit box centred at `c`.
    void boxAt(Vec3 c, Vec4 out[8]) const {
        for (int i = 0; i < 8; ++i)
            out[i] = transformHomogeneous(lens, {c.x + ((i & 4) ? 0.5f : -0.5f),
                                                 c.y + ((i & 2) ? 0.5f : -0.5f),
                                                 c.z + ((i & 1) ? 0.5f : -0.5f)});
    }
    const Matrix4 lens = cubeFaceLens();
    Vec4 corners[4];
    Portal portal;
};

TEST_F(PortalTest, BoxesSeenThroughThePortalAreKeptOthersCulled) {
    ASSERT_TRUE(portal.valid);
    Vec4 box[8];
    boxAt({0, 0, 10}, box); // straight through
    EXPECT_TRUE(portalHolds(portal, box));
    boxAt({1.8f, 0, 8}, box); // beyond the portal, its edge just inside the pyramid
    EXPECT_TRUE(portalHolds(portal, box));
    boxAt({8, 0, 10}, box); // inside the wide lens, outside the portal
    EXPECT_FALSE(portalHolds(portal, box));
    boxAt({0, -9, 10}, box);
    EXPECT_FALSE(portalHolds(portal, box));
    boxAt({0, 0, -10}, box); // behind the eye
    EXPECT_FALSE(portalHolds(portal, box));
}

TEST_F(PortalTest, EitherWindingOfTheOutlineGivesTheSamePortal) {
    const Vec4 reversed[4] = {corners[3], corners[2], corners[1], corners[0]};
    const Portal other = portalThrough(reversed);
    ASSERT_TRUE(other.valid);
    Vec4 box[8];
    boxAt({0, 0, 10}, box);
    EXPECT_TRUE(portalHolds(other, box));
    boxAt({8, 0, 10}, box);
    EXPECT_FALSE(portalHolds(other, box));
}

TEST_F(PortalTest, AnOutlineReachingBehindTheEyeCullsNothing) {
    Vec4 behind[4] = {corners[0], corners[1], corners[2], corners[3]};
    behind[2].w = -1;
    const Portal none = portalThrough(behind);
    EXPECT_FALSE(none.valid);
    Vec4 box[8];
    boxAt({8, 0, 10}, box);
    EXPECT_TRUE(portalHolds(none, box));
    // Seen edge on: the outline is a line through the eye.
    const Vec4 flat[4] = {{-1, 0, 0, 4}, {0, 0, 0, 4}, {1, 0, 0, 4}, {2, 0, 0, 4}};
    EXPECT_FALSE(portalThrough(flat).valid);
}

TEST(ReflectionCameras, AMirrorCameraSeesFromTheMirroredEye) {
    // Eye at (0, 2, -5) over a floor mirror at y = 0.
    const Matrix4 view = affineInverse(Matrix4::translation(0, 2, -5));
    const Matrix4 mirrored = reflectionMatrix({{0, -1, 0}, 0}) * view;
    Portal everything;
    MirrorCamera camera(nullptr, mirrored, cubeFaceLens(), everything);
    camera.invalidate();
    camera.getMatrix(0);
    expectNear(camera.world.row(3), {0, -2, -5});
    camera.getInvMatrix(0);
    EXPECT_EQ(0, std::memcmp(&mirrored, &camera.inverseWorld, sizeof mirrored));
    // It keeps the depth range of the projection it was given.
    camera.setupProjection(0, 1, 100);
    EXPECT_EQ(0, std::memcmp(&camera.lens, &camera.projection, sizeof camera.lens));
    EXPECT_TRUE(camera.pmXYZWcalced);
    // A cube face's camera fits its own.
    ViewCamera face(nullptr, view, cubeFaceLens());
    face.invalidate();
    face.setupProjection(0, 1, 100);
    EXPECT_NEAR(0, transformHomogeneous(face.projection, {0, 0, 1}).z, 1e-4f);
    EXPECT_NEAR(100, transformHomogeneous(face.projection, {0, 0, 100}).z, 1e-2f);
}

TEST(CubeFaces, EachFaceLooksAlongItsAxisWithTheCameraAxes) {
    const Vec3 eye = {1, 2, 3};
    const Vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    // An unturned camera: each face's axis lands straight ahead of it.
    for (int face = 0; face < 6; ++face) {
        const Matrix4 v = cubeFaceView(Matrix4::translation(-9, -9, -9), eye, face);
        expectNear(transformPoint(v, eye + 5.0f * axes[face]), {0, 0, 5});
        expectNear(transformPoint(v, eye), {0, 0, 0});
    }
    // Up on screen: +y for the side faces, -z for +y, +z for -y.
    expectNear(transformVector(cubeFaceView(Matrix4::identity(), eye, 0), {0, 1, 0}), {0, 1, 0});
    expectNear(transformVector(cubeFaceView(Matrix4::identity(), eye, 2), {0, 0, -1}), {0, 1, 0});
    expectNear(transformVector(cubeFaceView(Matrix4::identity(), eye, 3), {0, 0, 1}), {0, 1, 0});
    // +x face: right on screen is -z, as the device's cube faces are laid out.
    expectNear(transformVector(cubeFaceView(Matrix4::identity(), eye, 0), {0, 0, -1}), {1, 0, 0});
    // A camera turned 90 degrees: the faces follow the camera's axes, so the
    // +z face looks where the camera looks.
    const Matrix4 turned = affineInverse(Matrix4::rotationY(90 * DEG));
    const Vec3 ahead = transformVector(affineInverse(turned), {0, 0, 1});
    expectNear(transformPoint(cubeFaceView(turned, eye, 4), eye + 5.0f * ahead), {0, 0, 5});
}

} // namespace
