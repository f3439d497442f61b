#pragma once
// Building a polygon mesh layer into vertex and index arrays, one buffer set
// per surface program. Call order: the loader fills the layer, activation
// assigns each surface's texture-coordinate sets (assignTexcoords), then
// buildMeshArrays; the device layer copies each ready set into buffers and
// may then drop `vertices` and the sets' arrays.

#include "bounding_box.h"
#include "buffer_set.h"
#include "mesh_programs.h"
#include "progressive_mesh.h"
#include "weld.h"

#include <vector>

class LoadedLayer;

struct MeshArrays {
    MeshBoundingBox box;
    std::vector<MeshBufferSet> sets; // one per program, in program order
    std::vector<int> surfaceSet;     // per surface: the set of its own program, or -1
    int cornerCount = 0;             // welded vertices
    int triangleCount = 0;           // triangles kept
    std::vector<GenericVertex> vertices;
    std::vector<int> pointRepresentative; // per vertex, for progressive meshes
    // Progressive meshes only: per set, its reordering and levels, and how
    // the layer's file fits the mesh.
    std::vector<ProgressiveSet> progressive;
    ProgressiveFit fit;
};

// Every corner of the layer's polygons with its smoothed normal, colour and
// texture coordinates, and the triangles over them. Polygons with fewer than
// three points, without area, with an unknown surface or with a point beyond
// the layer's are left out. Raises the texture-channel assertion.
void buildCorners(const LoadedLayer& layer, MeshCorners& out);

// The whole build; a progressive layer's sets are reordered by its file
// (whose mismatches with the mesh are shown). False when some buffer set was refused (its message has
// been shown); the arrays are then incomplete and the build may be retried.
bool buildMeshArrays(const LoadedLayer& layer, const MeshPrograms& programs,
                     const MeshDeviceLimits& limits, MeshArrays& out);
