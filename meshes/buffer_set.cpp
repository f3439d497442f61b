#include "buffer_set.h"

#include "base/message_box.h"

#include <algorithm>
#include <cstring>

void MeshBufferSet::setVertices(const GenericVertex* vertices, int count, int first,
                                const MeshPrograms& programs) {
    if (count <= 0 || first < 0 || stride <= 0) return;
    const size_t end = size_t(first + count) * size_t(stride);
    if (vertexData.size() < end) vertexData.resize(end);
    for (int i = 0; i < count; ++i)
        programs.convertVertex(program, vertices[i],
                               vertexData.data() + size_t(first + i) * size_t(stride));
}

void MeshBufferSet::addSurface(const uint32_t* surfaceIndices, int indexCount, int surfaceKey,
                               int firstVertex, int vertexCount) {
    if (indexCount <= 0 || vertexCount == 0) {
        reportAssertion("num > 0 && vertexCount > 0");
        return;
    }
    const int maxPrimitives = std::max(1, limits.maxPrimitiveCount);
    MeshBatch batch;
    batch.minVertexIndex = firstVertex;
    batch.vertexCount = vertexCount;
    batch.startIndex = int32_t(indices.size());
    batch.surfaceKey = surfaceKey;
    // Only whole triangles: a trailing partial one would read past the caller's array.
    const int triangles = indexCount / 3;
    for (int t = 0; t < triangles; ++t) {
        if (batch.primitiveCount == maxPrimitives) {
            batches.push_back(batch);
            batch.startIndex = int32_t(indices.size());
            batch.primitiveCount = 0;
        }
        indices.insert(indices.end(), surfaceIndices + t * 3, surfaceIndices + t * 3 + 3);
        ++batch.primitiveCount;
    }
    if (batch.primitiveCount > 0) batches.push_back(batch);
}

void MeshBufferSet::addSurfaceRange(const uint32_t* surfaceIndices, int indexCount,
                                    int surfaceKey) {
    if (indexCount <= 0) {
        addSurface(surfaceIndices, indexCount, surfaceKey, 0, 0);
        return;
    }
    const auto range = std::minmax_element(surfaceIndices, surfaceIndices + indexCount);
    addSurface(surfaceIndices, indexCount, surfaceKey, int(*range.first),
               int(*range.second - *range.first + 1));
}

BufferSetState MeshBufferSet::prepare(int flags) {
    const int count = vertexCount();
    if (indices.empty() || count == 0) {
        vertexData.clear();
        indices.clear();
        return BufferSetState::Empty;
    }
    indexFormat = limits.maxVertexIndex < 0x10000 || count < 0x10000 ? MESH_INDEX16 : MESH_INDEX32;
    // The largest index is count - 1: the device must address it.
    if (uint32_t(count - 1) > limits.maxVertexIndex) {
        showMessage(nullptr, "multiple buffers are not yet supported...", "Error",
                    MessageIcon::Error);
        return BufferSetState::Refused;
    }
    if (flags & MESH_REGROUP_BATCHES) regroupBatches();
    return BufferSetState::Ready;
}

// Each surface key, in order of first appearance, gets all its triangles in
// one contiguous run, cut again at the primitive limit.
void MeshBufferSet::regroupBatches() {
    std::vector<int32_t> keys;
    for (const MeshBatch& b : batches)
        if (std::find(keys.begin(), keys.end(), b.surfaceKey) == keys.end())
            keys.push_back(b.surfaceKey);
    std::vector<uint32_t> oldIndices;
    oldIndices.swap(indices);
    std::vector<MeshBatch> oldBatches;
    oldBatches.swap(batches);
    for (int32_t key : keys) {
        std::vector<uint32_t> run;
        int32_t lo = 0, hi = 0;
        bool first = true;
        for (const MeshBatch& b : oldBatches) {
            if (b.surfaceKey != key) continue;
            const auto from = oldIndices.begin() + b.startIndex;
            run.insert(run.end(), from, from + b.primitiveCount * 3);
            const int32_t end = b.minVertexIndex + b.vertexCount;
            lo = first ? b.minVertexIndex : std::min(lo, b.minVertexIndex);
            hi = first ? end : std::max(hi, end);
            first = false;
        }
        addSurface(run.data(), int(run.size()), key, lo, hi - lo);
    }
}
