#pragma once
// The box around a layer's points. Corner k has max x when bit 2 of k is set,
// max y for bit 1 and max z for bit 0, so corners 0, 1, 4 and 5 are the
// lowest face (the renderer's mirror plane).

#include "base/math3d.h"

struct MeshBoundingBox {
    float corners[8][3] = {};
    float center[3] = {};
    float radius = 0;
    bool used = false; // false until computed from at least one point
};

// Fills `box` from `count` points of 3 floats; with no points the box stays
// as it was.
void computeBoundingBox(const float* positions, int count, MeshBoundingBox& box);

// Each corner as the row vector (x, y, z, 1) times `m`, all four components kept.
void transformCorners(const MeshBoundingBox& box, const Matrix4& m, Vec4 out[8]);
