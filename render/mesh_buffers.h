#pragma once
// The device half of a mesh: each ready buffer set that mesh building made
// (meshes/mesh_builder.h) copied into a managed, write-only vertex buffer and
// index buffer per device, and drawn surface by surface, batch by batch,
// through the surface's program.

#include "app/device_context.h"
#include "meshes/mesh_builder.h"
#include "meshes/mesh_layers.h"

#include <vector>

class LWSurface;

// Mesh building's view of the device context's surface programs.
class DeviceMeshPrograms : public MeshPrograms {
public:
    explicit DeviceMeshPrograms(const DeviceContext& context) : context(context) {}
    int programCount() const override;
    int programIndex(const LWSurface& surface) const override;
    int vertexStride(int program) const override;
    void convertVertex(int program, const GenericVertex& v, void* dst) const override;

private:
    const DeviceContext& context;
};

// The device's limits for one draw call and one index range.
MeshDeviceLimits meshLimitsOf(const DeviceContext& context);

struct DeviceBufferSet {
    int program = 0;
    int stride = 0;
    int vertexCount = 0;
    MeshIndexFormat indexFormat = MESH_INDEX16;
    std::vector<MeshBatch> batches;
    // Per surface key: its batches are [first, first + count) of `batches`,
    // which are kept in surface order.
    std::vector<int> firstBatch, batchCount;
    std::vector<IDirect3DVertexBuffer8*> vertexBuffers; // per device, owned
    std::vector<IDirect3DIndexBuffer8*> indexBuffers;   // per device, owned
    // Progressive meshes: the levels, drawn from dynamic index buffers in
    // the default pool, whose batches are the current level's.
    bool progressive = false;
    ProgressiveSet levels;
    int wantedResolution = -1; // the level to show when next drawn
    DWORD indexUsage = 0;

    // Sorts the batches by surface and indexes them per surface key.
    void indexBatches(std::vector<MeshBatch> list);
};

class MeshBuffers : public LayerDeviceData {
public:
    MeshBuffers() = default;
    ~MeshBuffers() override { release(); }
    MeshBuffers(const MeshBuffers&) = delete;
    MeshBuffers& operator=(const MeshBuffers&) = delete;

    // Copies every ready set of `arrays` to the devices, after the set's
    // program has made its last pass over the vertices (the bump program's
    // tangents); false when a buffer could not be made or filled (what was
    // made is released).
    bool create(DeviceContext& context, const MeshArrays& arrays);
    void release();

    // The set in program `program`'s format, or null when it holds nothing.
    DeviceBufferSet* setFor(int program);
    // The set of the surface's own program, or null.
    DeviceBufferSet* ownSet(int surfaceKey);

    // Draws the triangles of surface `surfaceKey` from `set` on the current
    // device, batch by batch: the set's program sets the surface's states at
    // `time`, then the sources and the draw call, each under its profiler
    // section (with the software-processing switch around them where the
    // program needs it). A progressive set first takes the level it is due.
    static void drawSurface(DeviceContext& context, DeviceBufferSet& set, int surfaceKey,
                            LWSurface& surface, double time);
    // The same from the surface's own set.
    void drawSurface(DeviceContext& context, int surfaceKey, LWSurface& surface, double time);

    std::vector<DeviceBufferSet> sets;
    std::vector<int> surfaceSet; // per surface: index into `sets`, or -1
};
