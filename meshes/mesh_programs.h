#pragma once
// What mesh building needs to know about the surface programs, which live
// above this layer: how many there are, which one a surface is drawn with,
// and each one's vertex format. The renderer implements it over its program
// table; tests give their own.

#include "generic_vertex.h"

#include <cstdint>

class LWSurface;

class MeshPrograms {
public:
    virtual ~MeshPrograms() = default;
    // Programs are numbered 0 .. count - 1; a mesh keeps one buffer set each.
    virtual int programCount() const = 0;
    // The program a surface is drawn with; a number outside 0 .. count - 1
    // leaves the surface without its own buffer set.
    virtual int programIndex(const LWSurface& surface) const = 0;
    // Bytes per vertex in program `program`'s format.
    virtual int vertexStride(int program) const = 0;
    // Writes `v` in program `program`'s format at `dst` (vertexStride bytes).
    virtual void convertVertex(int program, const GenericVertex& v, void* dst) const = 0;
};

// The device limits building respects (copied from the device caps).
struct MeshDeviceLimits {
    int maxPrimitiveCount = 0xFFFF; // triangles per draw call
    uint32_t maxVertexIndex = 0xFFFF;
};
