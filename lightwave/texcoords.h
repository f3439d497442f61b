#pragma once
// Texture coordinates of surfaces: which texture layers become the
// coordinate sets (chosen once when a metascene is activated), the layers'
// placement transforms, and the coordinates of each polygon corner for a
// set, by projection.

#include "base/math3d.h"

#include <cstdint>

class LWSurface;
class LWTextureLayer;
struct LWPolygon;

// The n-th (1-based) enabled layer of the surface on `channel`, or null.
LWTextureLayer* findLayer(const LWSurface& surface, int n, int32_t channel);

// Drops disabled and textureless layers and fills texcoord / numTexcoords.
// A gradient texture of a dropped layer stays registered but no longer
// reads it.
void assignTexcoords(LWSurface& surface);

// T(-c) Ry(-r1) Rx(-r2) Rz(-r3) S(1/s) T(0.5, 0.5, 0.5) at `time`.
Matrix4 computeTransform(LWTextureLayer& layer, double time);
// The stored transform (computed on first use).
const Matrix4& layerTransform(LWTextureLayer& layer);

struct TexcoordCorner {
    float u = 0, v = 0, w = 0;
    int marker = 0; // seam and discontinuity marker, read by the vertex sharing
};

// Fills `out[0 .. numVertices)` with set `set` of the polygon's corners.
// `positions` holds 3 floats per point of the layer; `polygonIndex` is the
// polygon's place in its layer (for discontinuous UV entries).
void generateTexcoords(LWSurface& surface, int layerNumber, const LWPolygon& polygon,
                       int polygonIndex, const float* positions, int numPositions, int set,
                       bool seamFlag, TexcoordCorner* out);
