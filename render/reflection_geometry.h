#pragma once
// The geometry of reflections, apart from the device: the plane of a planar
// mirror and the matrix that reflects the world in it, the portal through
// which the reflected world is seen, the cameras of reflected renders, and
// the views of a cube map's six faces.

#include "base/math3d.h"
#include "lightwave/items.h"
#include "meshes/bounding_box.h"

// The plane n . x = c.
struct MirrorPlane {
    Vec3 normal = {0, 1, 0};
    float c = 0;
};

// The mirror's plane: through the lowest face of the mesh's box, facing along
// the object's own y axis, both in world space.
MirrorPlane mirrorPlane(const Matrix4& objectWorld, const MeshBoundingBox& box);
// The matrix that maps every point to its mirror image in `plane` (row
// vectors): x' = x - 2 (n . x - c) n.
Matrix4 reflectionMatrix(const MirrorPlane& plane);

// The four corners of the box's lowest face (corners 0, 1, 5, 4), in order
// around the face.
void lowestFace(const MeshBoundingBox& box, Vec3 out[4]);

// The pyramid from the eye through a mirror's outline, in the clip space of
// the mirrored camera (x, y, w; the eye is there the origin).
struct Portal {
    Vec3 normals[4] = {};
    // False when the outline gives no pyramid (seen edge on, or reaching
    // behind the eye): nothing is culled by it then.
    bool valid = false;
};
// `corners` are the outline's corners in clip space (x, y, z, w), in order.
Portal portalThrough(const Vec4 corners[4]);
// False when every corner of the box (clip space) lies outside one side.
bool portalHolds(const Portal& portal, const Vec4 corners[8]);

// A camera for one nested render: a fixed view matrix and a lens, fitted in
// depth like any camera's. Its depth fit does not touch the stereo state.
class ViewCamera : public LWItem {
public:
    ViewCamera(DeviceContextBase* context, const Matrix4& view, const Matrix4& lens);
    void getMatrix(double time) override;
    void getInvMatrix(double time) override;
    void computeProjection(double time) override;

    Matrix4 view;
    Matrix4 lens;
};

// The camera a planar mirror sees the world through: the mirrored view, the
// projection of the camera looking at the mirror, and culling to the portal.
// It keeps that projection's depth range rather than fitting its own: the
// reflection is drawn into the same depth buffer, and the mirror surface laid
// over it, and whatever is drawn after, must compare depths in one range.
class MirrorCamera : public ViewCamera {
public:
    MirrorCamera(DeviceContextBase* context, const Matrix4& mirroredView,
                 const Matrix4& projection, const Portal& portal);
    bool boxInView(const Vec4 corners[8]) override;
    void setupProjection(double time, float nearDistance, float farDistance) override;

    Portal portal;
};

// The lens of a cube-map face: 90 degrees each way.
Matrix4 cubeFaceLens();
// The view of cube face `face` (0..5: +x, -x, +y, -y, +z, -z) from `eye`,
// in the axes of `cameraView`: the surface looks its cube up by the camera-
// space reflection vector, so the faces follow the camera's axes.
Matrix4 cubeFaceView(const Matrix4& cameraView, Vec3 eye, int face);
