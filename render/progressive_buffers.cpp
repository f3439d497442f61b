#include "progressive_buffers.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"

#include <cstring>

namespace {

size_t fullIndexBytes(const DeviceBufferSet& set) {
    return set.levels.baseIndices.size() * (set.indexFormat == MESH_INDEX32 ? 4 : 2);
}

// Writes the active indices into one device's buffer, discarding what it held.
bool writeActive(IDirect3DIndexBuffer8* ib, const DeviceBufferSet& set) {
    const std::vector<uint32_t>& active = set.levels.activeIndices;
    if (active.empty()) return true;
    const bool wide = set.indexFormat == MESH_INDEX32;
    const UINT bytes = UINT(active.size() * (wide ? 4 : 2));
    BYTE* target = nullptr;
    if (!D3D_CHECK(ib->Lock(0, bytes, &target, D3DLOCK_DISCARD))) return false;
    if (wide) {
        std::memcpy(target, active.data(), bytes);
    } else {
        auto* narrow = reinterpret_cast<uint16_t*>(target);
        for (size_t i = 0; i < active.size(); ++i) narrow[i] = uint16_t(active[i]);
    }
    ib->Unlock();
    return true;
}

// Index buffers a device reset took are made again and hold the current level.
bool ensureIndexBuffers(DeviceContext& context, DeviceBufferSet& set) {
    for (size_t k = 0; k < set.indexBuffers.size() && k < context.devices.size(); ++k) {
        if (set.indexBuffers[k] || !context.devices[k]) continue;
        if (!createDynamicIndices(context.devices[k], set, fullIndexBytes(set),
                                  &set.indexBuffers[k]) ||
            !writeActive(set.indexBuffers[k], set))
            return false;
    }
    return true;
}

} // namespace

bool createDynamicIndices(IDirect3DDevice8* device, const DeviceBufferSet& set, size_t bytes,
                          IDirect3DIndexBuffer8** out) {
    *out = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    if (!D3D_CHECK(device->CreateIndexBuffer(UINT(bytes), set.indexUsage,
                                             D3DFORMAT(set.indexFormat), D3DPOOL_DEFAULT, &ib)))
        return false;
    countResource(ib);
    BYTE* target = nullptr;
    if (!D3D_CHECK(ib->Lock(0, UINT(bytes), &target, D3DLOCK_DISCARD))) {
        ib->Release();
        return false;
    }
    std::memset(target, 0, bytes);
    ib->Unlock();
    *out = ib;
    return true;
}

void setProgressiveResolution(MeshBuffers& buffers, int r) {
    for (DeviceBufferSet& set : buffers.sets)
        if (set.progressive) set.wantedResolution = r;
}

void syncProgressiveLevel(DeviceBufferSet& set) {
    if (set.wantedResolution < 0 || set.levels.currentResolution == set.wantedResolution) return;
    setResolution(set.levels, set.wantedResolution);
    // A buffer that would not take the new level must not be drawn with
    // the old one's indices: it is made again when next drawn.
    for (IDirect3DIndexBuffer8*& ib : set.indexBuffers)
        if (ib && !writeActive(ib, set)) {
            ib->Release();
            ib = nullptr;
        }
    set.indexBatches(set.levels.activeBatches);
}

void chooseProgressiveLevel(DeviceContext& context, ProgressiveMeshLayer& layer) {
    auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
    if (!buffers) return;
    for (DeviceBufferSet& set : buffers->sets)
        if (set.progressive) ensureIndexBuffers(context, set);
    const int r = layer.levelToDraw();
    if (r >= 0) setProgressiveResolution(*buffers, r);
}

void releaseProgressiveIndices(LoadedLayer& layer) {
    auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
    if (!buffers) return;
    for (DeviceBufferSet& set : buffers->sets) {
        if (!set.progressive) continue;
        for (IDirect3DIndexBuffer8*& ib : set.indexBuffers) {
            if (ib) ib->Release();
            ib = nullptr;
        }
    }
}
