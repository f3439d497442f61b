#pragma once
// The arrays of one surface program's copy of a mesh: its vertices in the
// program's format, 32-bit indices, and the draw batches that cut each
// surface's triangles at the device's primitive limit. prepare() does the
// checks that come before device buffers are made; the device layer then
// copies the arrays into buffers and drops them.

#include "generic_vertex.h"
#include "mesh_programs.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One indexed triangle-list draw call, nine int32 as the renderer reads them.
struct MeshBatch {
    int32_t indexBuffer = 0; // always the first
    int32_t minVertexIndex = 0;
    int32_t vertexCount = 0;
    int32_t baseVertexIndex = 0;
    int32_t startIndex = 0;
    int32_t primitiveCount = 0;
    int32_t surfaceKey = 0; // the surface index
    int32_t textureContext = 0;
    int32_t primitiveType = 4; // D3DPT_TRIANGLELIST
};
static_assert(sizeof(MeshBatch) == 36, "a batch is nine int32");

// Values of D3DFMT_INDEX16 and D3DFMT_INDEX32.
enum MeshIndexFormat { MESH_INDEX16 = 101, MESH_INDEX32 = 102 };

// prepare() flag: regroup batches so each surface's triangles are contiguous.
constexpr int MESH_REGROUP_BATCHES = 4;

enum class BufferSetState {
    Empty,   // nothing to draw; the arrays were dropped
    Ready,   // arrays checked; indexFormat chosen
    Refused, // more vertices than one index range addresses; message shown
};

class MeshBufferSet {
public:
    MeshBufferSet(int program, int stride, const MeshDeviceLimits& limits)
        : program(program), stride(stride), limits(limits) {}

    // Converts `count` generic vertices into the vertex data from vertex
    // `first` on, growing the data to (first + count) vertices.
    void setVertices(const GenericVertex* vertices, int count, int first,
                     const MeshPrograms& programs);
    // Appends a surface's triangles (indexCount indices, whole triangles) as
    // batches of at most the device's primitive count.
    void addSurface(const uint32_t* surfaceIndices, int indexCount, int surfaceKey, int firstVertex,
                    int vertexCount);
    // addSurface over the range of vertices the indices actually use.
    void addSurfaceRange(const uint32_t* surfaceIndices, int indexCount, int surfaceKey);
    BufferSetState prepare(int flags);

    int vertexCount() const { return stride > 0 ? int(vertexData.size() / size_t(stride)) : 0; }

    int program;
    int stride; // bytes per vertex
    MeshDeviceLimits limits;
    std::vector<uint8_t> vertexData;
    std::vector<uint32_t> indices;
    std::vector<MeshBatch> batches;
    MeshIndexFormat indexFormat = MESH_INDEX16;

private:
    void regroupBatches();
};
