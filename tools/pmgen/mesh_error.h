#pragma once
// How far a simplified mesh strays from the original: the symmetric
// Hausdorff distance, measured on samples of each surface (corners, edge
// midpoints and centres of every triangle) against the other surface.

#include "base/math3d.h"

#include <cstdint>
#include <vector>

struct TriangleMesh {
    std::vector<Vec3> positions;
    std::vector<uint32_t> indices; // three per triangle
};

// The larger of the two one-sided distances; the box diagonal of `a` when
// either mesh has no triangles.
double hausdorffDistance(const TriangleMesh& a, const TriangleMesh& b);

// The diagonal of the box around the mesh's positions.
double boxDiagonal(const TriangleMesh& mesh);
