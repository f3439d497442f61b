#pragma once
// The device side of progressive meshes: dynamic index buffers in the
// default pool that hold the current level's indices, rewritten (discarding
// the old contents) when a render picks another level.

#include "app/device_context.h"
#include "mesh_buffers.h"

// Makes one set's dynamic index buffer of `bytes` on a device, zero-filled;
// false (nothing kept) when the device refuses.
bool createDynamicIndices(IDirect3DDevice8* device, const DeviceBufferSet& set, size_t bytes,
                          IDirect3DIndexBuffer8** out);

// Before drawing a progressive layer: its index buffers made again after a
// device reset, then the level for this render chosen from the sizes its
// cameras saw, and the indices rewritten when the level changes.
void chooseProgressiveLevel(DeviceContext& context, ProgressiveMeshLayer& layer);

// The layer's levels at r priorities: every set shows them from its next
// draw on (a set that is never drawn, such as a shadow program's, never
// follows a chain).
void setProgressiveResolution(MeshBuffers& buffers, int r);

// Before a progressive set draws: its active lists and index buffers at
// the level it is due, when it is not there yet.
void syncProgressiveLevel(DeviceBufferSet& set);

// Before a device reset: the layer's dynamic index buffers go (made again
// when next drawn).
void releaseProgressiveIndices(LoadedLayer& layer);
