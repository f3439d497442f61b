#pragma once
// Splitting a polygon into triangles and its face normal.

#include <cstdint>
#include <vector>

// Appends the n - 2 triangles of a polygon whose corners are numbered
// first .. first + n - 1, as a zig-zag strip from both ends towards the
// middle: a quad gives (0,1,3) (1,2,3), a hexagon (0,1,5) (1,4,5) (1,2,4)
// (2,3,4), relative to `first`. Nothing for n < 3.
void triangulatePolygon(int first, int n, std::vector<int>& triangles);

// (p1 - p0) x (p2 - p0), normalised unless its length is 0.
void faceNormal(const float p0[3], const float p1[3], const float p2[3], float out[3]);

// The normal of a polygon of n points (3 floats each, at `positions` by
// `indices`): from its first three points, or, when those are in a line, the
// normalised area vector of the whole outline. Zero only for a polygon
// without area.
void polygonNormal(const float* positions, const uint32_t* indices, int n, float out[3]);
