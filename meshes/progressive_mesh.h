#pragma once
// Progressive meshes: a polygon mesh whose triangle count drops with its size
// on screen. The collapse order comes from a ".pm" file made offline: a
// priority per point (0 is kept longest) and, per welded vertex, the vertex
// it collapses onto. Building places each surface's vertices in priority
// order, so that the first r priorities are a prefix of every surface's
// vertex range; a level is then the base triangles with every vertex beyond
// that prefix followed down its collapse chain.

#include "buffer_set.h"
#include "progressive_file.h"

#include <cstdint>
#include <vector>

// One surface program's copy of a progressive mesh, beside its buffer set.
struct ProgressiveSet {
    std::vector<MeshBatch> baseBatches;
    std::vector<uint32_t> baseIndices;  // after the reordering
    std::vector<int> permutation;       // per welded vertex: its reordered position
    std::vector<int> collapseMap;       // per reordered position: a lower one, or -1
    std::vector<std::vector<int>> groupPRepMaps; // per base batch: point count + 1 ends
    std::vector<MeshBatch> activeBatches;
    std::vector<uint32_t> activeIndices;
    int currentResolution = -1;
};

// What building learnt about the file against the welded mesh.
struct ProgressiveFit {
    int maxRes = 0;              // distinct points of the welded mesh
    bool permutationFits = true; // one priority below maxRes per point
    bool collapseMapFits = true; // one entry per welded vertex
    bool fits() const { return permutationFits && collapseMapFits; }
};

// Point ids of the welded vertices: a vertex that is its own representative
// starts the next point, any other takes its representative's. Raises the
// representative-order assertion for a representative that comes later.
std::vector<int> pointIdsOf(const std::vector<int>& pointRepresentative, int* pointCount);

// Reorders one buffer set by the file's point priorities: fills `out` from
// the set's batches and indices (rewritten through the permutation) and
// returns the fit. A file that does not fit the mesh leaves the vertices in
// their own order with no collapses, so every level is the whole mesh.
ProgressiveFit reorderByPriority(const MeshBufferSet& set,
                                 const std::vector<int>& pointRepresentative,
                                 const ProgressiveFile& file, ProgressiveSet& out);

// The active batches and indices with r point priorities active.
void setResolution(ProgressiveSet& set, int r);

class LoadedLayer;
// The distinct points the weld keeps (points of triangles that keep their
// area): the highest resolution of the layer made progressive.
int weldedPointCount(const LoadedLayer& layer);

// The five levels a size on screen picks, from the smallest (below a
// quarter of the screen) to the whole mesh.
void levelResolutions(int minRes, int maxRes, int out[5]);

// The geometry export handed to an offline generator: "PM", the layer's
// points and its polygons (corner count, point indices, surface index), all
// counts and indices 16-bit, floats 32-bit, host order. False (nothing
// written) when a count does not fit in 16 bits.
bool exportGeometry(const LoadedLayer& layer, std::vector<uint8_t>& out);
