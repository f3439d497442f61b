#pragma once
// The vertex formats of the four surface programs, and the passes over
// finished vertex arrays that the programs make before the device buffers
// exist. Formats (bytes per vertex):
//   0 fixed function (48): position, normal, texcoord 0 (u v w), texcoord 1 (u v w)
//   1, 3 flat shadow and shadow receiver (36): position, normal, diffuse, texcoord 0 (u v)
//   2 bump (80): position, normal, diffuse, texcoord 0 (u v), tangent S, tangent T,
//     S x T, texcoord 1 (u v)

#include "meshes/generic_vertex.h"

#include <cstdint>

constexpr int SURFACE_PROGRAM_COUNT = 4;
constexpr int VERTEX_STRIDE[SURFACE_PROGRAM_COUNT] = {48, 36, 80, 36};

// Offsets, in 32-bit words, of the bump format's fields.
namespace bump_format {
constexpr int POSITION = 0, NORMAL = 3, DIFFUSE = 6, TEXCOORD0 = 7, TANGENT_S = 9, TANGENT_T = 12,
              S_CROSS_T = 15, TEXCOORD1 = 18, WORDS = 20;
}

// Writes `v` in program `program`'s format at `dst` (VERTEX_STRIDE bytes).
void convertVertex(int program, const GenericVertex& v, void* dst);

// The bump program's tangent space over a finished buffer set (vertices in
// its format, triangles as index triples): S and T from the texture
// coordinates, S x T facing the normal's way. An index outside the vertices
// raises the non-fatal assertion and its triangle is skipped. Returns true.
bool prepareBumpVertices(float* vertices, const uint32_t* indices, uint32_t vertexCount,
                         uint32_t indexCount);
