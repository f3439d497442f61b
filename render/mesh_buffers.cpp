#include "mesh_buffers.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "progressive_buffers.h"
#include "surface_programs.h"
#include "surface_setup.h"
#include "timeline/profiler.h"
#include "vertex_formats.h"

#include <algorithm>
#include <cstring>

static_assert(MESH_INDEX16 == D3DFMT_INDEX16 && MESH_INDEX32 == D3DFMT_INDEX32, "index formats");

int DeviceMeshPrograms::programCount() const {
    return int(context.programs.size());
}

int DeviceMeshPrograms::programIndex(const LWSurface& surface) const {
    return surfaceProgramIndex(surface);
}

int DeviceMeshPrograms::vertexStride(int program) const {
    return context.programs[size_t(program)]->vertexStride;
}

void DeviceMeshPrograms::convertVertex(int program, const GenericVertex& v, void* dst) const {
    context.programs[size_t(program)]->convertVertex(dst, v);
}

MeshDeviceLimits meshLimitsOf(const DeviceContext& context) {
    MeshDeviceLimits limits;
    limits.maxPrimitiveCount = int(context.hardwareCaps.MaxPrimitiveCount);
    limits.maxVertexIndex = context.hardwareCaps.MaxVertexIndex;
    if (limits.maxPrimitiveCount <= 0) limits.maxPrimitiveCount = 0xFFFF;
    if (limits.maxVertexIndex == 0) limits.maxVertexIndex = 0xFFFF;
    return limits;
}

namespace {

// Copies `bytes` into a freshly made buffer; false (and nothing kept) when
// the device refuses.
template <typename Buffer> bool fill(Buffer* buffer, const void* data, size_t bytes) {
    BYTE* target = nullptr;
    if (!D3D_CHECK(buffer->Lock(0, UINT(bytes), &target, 0))) return false;
    std::memcpy(target, data, bytes);
    buffer->Unlock();
    return true;
}

} // namespace

bool MeshBuffers::create(DeviceContext& context, const MeshArrays& arrays) {
    release();
    surfaceSet.assign(arrays.surfaceSet.size(), -1);
    std::vector<int> setOf(arrays.sets.size(), -1);
    for (size_t s = 0; s < arrays.sets.size(); ++s) {
        const MeshBufferSet& from = arrays.sets[s];
        if (from.batches.empty() || from.vertexData.empty()) continue;
        const SurfaceProgram& program = *context.programs[size_t(from.program)];
        DeviceBufferSet set;
        set.program = from.program;
        set.stride = from.stride;
        set.vertexCount = from.vertexCount();
        set.indexFormat = from.indexFormat;
        set.progressive = s < arrays.progressive.size();
        // A progressive set draws nothing until its first level is chosen.
        set.indexBatches(set.progressive ? std::vector<MeshBatch>() : from.batches);
        if (set.progressive) set.levels = arrays.progressive[s];
        std::vector<uint8_t> vertices = from.vertexData;
        if (!context.programs[size_t(from.program)]->prepareVertices(
                vertices.data(), from.indices.data(), uint32_t(set.vertexCount),
                uint32_t(from.indices.size()))) {
            release();
            return false;
        }
        const DWORD usage = D3DUSAGE_WRITEONLY |
                            (program.softwareVertexProcessing ? D3DUSAGE_SOFTWAREPROCESSING : 0);
        set.indexUsage = usage | (set.progressive ? D3DUSAGE_DYNAMIC : 0);
        const DWORD fvf = program.handlesAreFvf ? program.vertexHandles[0] : 0;
        const bool wide = from.indexFormat == MESH_INDEX32;
        // A progressive set's buffers take their indices level by level.
        std::vector<uint16_t> narrow;
        if (!wide && !set.progressive) narrow.assign(from.indices.begin(), from.indices.end());
        const void* indexData =
            wide ? static_cast<const void*>(from.indices.data()) : narrow.data();
        const size_t indexBytes = from.indices.size() * (wide ? 4 : 2);
        bool ok = true;
        for (IDirect3DDevice8* d : context.devices) {
            IDirect3DVertexBuffer8* vb = nullptr;
            IDirect3DIndexBuffer8* ib = nullptr;
            ok = ok && d &&
                 D3D_CHECK(d->CreateVertexBuffer(UINT(vertices.size()), usage, fvf, D3DPOOL_MANAGED,
                                                 &vb)) &&
                 fill(vb, vertices.data(), vertices.size()) &&
                 (set.progressive
                      ? createDynamicIndices(d, set, indexBytes, &ib)
                      : D3D_CHECK(d->CreateIndexBuffer(UINT(indexBytes), usage,
                                                       D3DFORMAT(from.indexFormat),
                                                       D3DPOOL_MANAGED, &ib)) &&
                            fill(ib, indexData, indexBytes));
            set.vertexBuffers.push_back(vb);
            set.indexBuffers.push_back(ib);
            countResource(vb);
            if (!set.progressive) countResource(ib); // the dynamic ones count themselves
        }
        sets.push_back(std::move(set));
        if (!ok) {
            release();
            return false;
        }
        setOf[s] = int(sets.size()) - 1;
    }
    for (size_t i = 0; i < arrays.surfaceSet.size(); ++i)
        if (arrays.surfaceSet[i] >= 0) surfaceSet[i] = setOf[size_t(arrays.surfaceSet[i])];
    return true;
}

void MeshBuffers::release() {
    for (DeviceBufferSet& set : sets) {
        for (IDirect3DVertexBuffer8* vb : set.vertexBuffers)
            if (vb) vb->Release();
        for (IDirect3DIndexBuffer8* ib : set.indexBuffers)
            if (ib) ib->Release();
    }
    sets.clear();
    surfaceSet.clear();
}

void DeviceBufferSet::indexBatches(std::vector<MeshBatch> list) {
    batches = std::move(list);
    // Each surface's batches side by side (they are drawn per surface).
    std::stable_sort(batches.begin(), batches.end(), [](const MeshBatch& a, const MeshBatch& b) {
        return a.surfaceKey < b.surfaceKey;
    });
    firstBatch.clear();
    batchCount.clear();
    for (size_t b = 0; b < batches.size(); ++b) {
        const size_t key = size_t(std::max(batches[b].surfaceKey, 0));
        if (key >= firstBatch.size()) {
            firstBatch.resize(key + 1, -1);
            batchCount.resize(key + 1, 0);
        }
        if (firstBatch[key] < 0) firstBatch[key] = int(b);
        ++batchCount[key];
    }
}

DeviceBufferSet* MeshBuffers::setFor(int program) {
    for (DeviceBufferSet& set : sets)
        if (set.program == program) return &set;
    return nullptr;
}

DeviceBufferSet* MeshBuffers::ownSet(int surfaceKey) {
    if (surfaceKey < 0 || size_t(surfaceKey) >= surfaceSet.size() ||
        surfaceSet[size_t(surfaceKey)] < 0)
        return nullptr;
    return &sets[size_t(surfaceSet[size_t(surfaceKey)])];
}

void MeshBuffers::drawSurface(DeviceContext& context, int surfaceKey, LWSurface& surface,
                              double time) {
    if (DeviceBufferSet* set = ownSet(surfaceKey))
        drawSurface(context, *set, surfaceKey, surface, time);
}

void MeshBuffers::drawSurface(DeviceContext& context, DeviceBufferSet& set, int surfaceKey,
                              LWSurface& surface, double time) {
    if (set.progressive) syncProgressiveLevel(set);
    SurfaceProgram& program = *context.programs[size_t(set.program)];
    IDirect3DDevice8* d = context.device;
    const size_t output = size_t(context.currentOutput);
    if (!d || output >= set.vertexBuffers.size() || !set.indexBuffers[output] || surfaceKey < 0 ||
        size_t(surfaceKey) >= set.firstBatch.size() || set.firstBatch[size_t(surfaceKey)] < 0)
        return;
    const bool switchProcessing = context.hardwareTnL && program.softwareVertexProcessing;
    if (switchProcessing) {
        ProfileScope scope(PROFILE_SVP_SWITCH);
        d->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, TRUE);
    }
    const int first = set.firstBatch[size_t(surfaceKey)];
    for (int i = first; i < first + set.batchCount[size_t(surfaceKey)]; ++i) {
        const MeshBatch& b = set.batches[size_t(i)];
        {
            ProfileScope scope(PROFILE_SET_STATES);
            program.setupSurface(surface, time);
        }
        {
            ProfileScope scope(PROFILE_SET_SOURCES);
            d->SetStreamSource(0, set.vertexBuffers[output], UINT(set.stride));
            d->SetVertexShader(program.vertexHandles[output]);
            d->SetPixelShader(program.pixelHandles[output]);
            d->SetIndices(set.indexBuffers[output], UINT(b.baseVertexIndex));
        }
        if (b.primitiveCount > 0 && b.vertexCount > 0) {
            ProfileScope scope(PROFILE_DRAW_INDEXED_PRIMITIVE);
            d->DrawIndexedPrimitive(D3DPRIMITIVETYPE(b.primitiveType), UINT(b.minVertexIndex),
                                    UINT(b.vertexCount), UINT(b.startIndex),
                                    UINT(b.primitiveCount));
        }
    }
    if (switchProcessing) {
        ProfileScope scope(PROFILE_SVP_SWITCH);
        d->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, FALSE);
    }
}
