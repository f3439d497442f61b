#pragma once
// Welding: polygon corners that land on one point of one surface and would
// look the same become one vertex, and triangles that collapse are dropped.

#include "generic_vertex.h"

#include <cstdint>
#include <vector>

// Every corner of every polygon, before welding.
struct MeshCorners {
    std::vector<GenericVertex> vertices; // one per corner
    std::vector<int> representative;     // per corner: the first corner placed on its point
    std::vector<int> triangles;          // corner numbers, three per triangle
    std::vector<int> triangleSurface;    // per triangle: its surface index
};

struct WeldedSurface {
    int surface = 0;
    int firstIndex = 0, indexCount = 0;
    int firstVertex = 0, vertexCount = 0;
};

struct WeldedMesh {
    std::vector<GenericVertex> vertices; // each surface's vertices contiguous
    // Per vertex: the first vertex made for its point in any surface, so
    // that all vertices of one point share one representative.
    std::vector<int> pointRepresentative;
    std::vector<uint32_t> indices;       // three per kept triangle, by surface
    std::vector<WeldedSurface> surfaces; // surfaces that kept triangles, in index order
    int droppedTriangles = 0;
};

// Welds surface by surface in index order (surfaces 0 .. surfaceCount - 1).
// Two corners of one point weld when their normals agree within 1e-6 per
// component, their channel-0 wrap ids match and their texture coordinates
// are equal; a triangle left with two equal indices is dropped.
WeldedMesh weldCorners(const MeshCorners& corners, int surfaceCount);
