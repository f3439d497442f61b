#include "reflection_geometry.h"

#include "timeline/profiler.h"

#include <cmath>

namespace {

constexpr float kTiny = 1e-12f;

Vec3 xyw(const Vec4& p) {
    return {p.x, p.y, p.w};
}

} // namespace

MirrorPlane mirrorPlane(const Matrix4& objectWorld, const MeshBoundingBox& box) {
    MirrorPlane plane;
    Vec3 n = transformVector(objectWorld, {0, -1, 0});
    if (length(n) > 0) n = normalised(n);
    const Vec3 onFace = {box.center[0], box.corners[0][1], box.center[2]};
    plane.normal = n;
    plane.c = dot(n, transformPoint(objectWorld, onFace));
    return plane;
}

Matrix4 reflectionMatrix(const MirrorPlane& p) {
    const Vec3 n = p.normal;
    const float c2 = 2 * p.c;
    return {{{1 - 2 * n.x * n.x, -2 * n.x * n.y, -2 * n.x * n.z, 0},
             {-2 * n.x * n.y, 1 - 2 * n.y * n.y, -2 * n.y * n.z, 0},
             {-2 * n.x * n.z, -2 * n.y * n.z, 1 - 2 * n.z * n.z, 0},
             {c2 * n.x, c2 * n.y, c2 * n.z, 1}}};
}

void lowestFace(const MeshBoundingBox& box, Vec3 out[4]) {
    static const int order[4] = {0, 1, 5, 4};
    for (int i = 0; i < 4; ++i) out[i] = vec3(box.corners[order[i]]);
}

Portal portalThrough(const Vec4 corners[4]) {
    Portal portal;
    Vec3 centre = {0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        // A corner at or behind the eye: the sides are no pyramid.
        if (corners[i].w <= 0) return portal;
        centre = centre + 0.25f * xyw(corners[i]);
    }
    for (int i = 0; i < 4; ++i) {
        Vec3 n = cross(xyw(corners[i]), xyw(corners[(i + 1) % 4]));
        const float len = length(n);
        if (len < kTiny) return portal;
        n = (1.0f / len) * n;
        // Either winding of the outline: the inside is where its centre is.
        const float side = dot(n, centre);
        if (std::fabs(side) < kTiny) return portal;
        portal.normals[i] = side > 0 ? n : -n;
    }
    portal.valid = true;
    return portal;
}

bool portalHolds(const Portal& portal, const Vec4 corners[8]) {
    if (!portal.valid) return true;
    for (const Vec3& n : portal.normals) {
        bool inside = false;
        for (int i = 0; i < 8 && !inside; ++i) inside = dot(n, xyw(corners[i])) >= 0;
        if (!inside) return false;
    }
    return true;
}

ViewCamera::ViewCamera(DeviceContextBase* context, const Matrix4& view, const Matrix4& lens)
    : LWItem(context), view(view), lens(lens) {
    name = "(reflection camera)";
    minNear = 1.0f / 256;
}

void ViewCamera::getMatrix(double) {
    ProfileScope scope(PROFILE_GET_MATRIX);
    world = affineInverse(view);
    worldValid = 1;
}

void ViewCamera::getInvMatrix(double) {
    inverseWorld = view;
    inverseValid = 1;
}

void ViewCamera::computeProjection(double) {
    projection = lens;
    projectionValid = 1;
}

MirrorCamera::MirrorCamera(DeviceContextBase* context, const Matrix4& mirroredView,
                           const Matrix4& projection, const Portal& portal)
    : ViewCamera(context, mirroredView, projection), portal(portal) {
    name = "(mirror camera)";
}

bool MirrorCamera::boxInView(const Vec4 corners[8]) {
    return LWItem::boxInView(corners) && portalHolds(portal, corners);
}

void MirrorCamera::setupProjection(double time, float, float) {
    if (!projectionValid) computeProjection(time);
    pmXYZWcalced = 1;
}

Matrix4 cubeFaceLens() {
    Matrix4 m = {};
    m.m[0][0] = 1;
    m.m[1][1] = 1;
    m.m[2][2] = 1;
    m.m[2][3] = 1;
    return m;
}

Matrix4 cubeFaceView(const Matrix4& cameraView, Vec3 eye, int face) {
    static const Vec3 directions[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                       {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    static const Vec3 ups[6] = {{0, 1, 0}, {0, 1, 0}, {0, 0, -1},
                                {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
    Matrix4 axes = cameraView;
    axes.m[3][0] = axes.m[3][1] = axes.m[3][2] = 0;
    const Matrix4 toEye = Matrix4::translation(-eye.x, -eye.y, -eye.z);
    return affineMultiply(affineMultiply(toEye, axes),
                          lookAtLH({0, 0, 0}, directions[face], ups[face]));
}
