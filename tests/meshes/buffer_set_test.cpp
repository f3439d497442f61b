#include "base/message_box.h"
#include "mesh_test_support.h"
#include "meshes/buffer_set.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

MeshDeviceLimits limits(int maxPrimitives, uint32_t maxIndex = 0xFFFF) {
    MeshDeviceLimits l;
    l.maxPrimitiveCount = maxPrimitives;
    l.maxVertexIndex = maxIndex;
    return l;
}

std::vector<uint32_t> triangles(int count, uint32_t base = 0) {
    std::vector<uint32_t> t(size_t(count) * 3);
    std::iota(t.begin(), t.end(), base);
    return t;
}

} // namespace

TEST(BufferSet, BatchesSplitAtTheMaximumPrimitiveCount) {
    MeshBufferSet set(0, 48, limits(4));
    const auto first = triangles(10);
    set.addSurface(first.data(), int(first.size()), 3, 0, 30);
    const auto second = triangles(2, 30);
    set.addSurface(second.data(), int(second.size()), 5, 30, 6);
    ASSERT_EQ(4u, set.batches.size());
    const int counts[] = {4, 4, 2, 2};
    const int starts[] = {0, 12, 24, 30};
    const int keys[] = {3, 3, 3, 5};
    for (size_t b = 0; b < 4; ++b) {
        const MeshBatch& batch = set.batches[b];
        EXPECT_EQ(counts[b], batch.primitiveCount) << b;
        EXPECT_EQ(starts[b], batch.startIndex) << b;
        EXPECT_EQ(keys[b], batch.surfaceKey) << b;
        EXPECT_EQ(0, batch.indexBuffer);
        EXPECT_EQ(0, batch.baseVertexIndex);
        EXPECT_EQ(0, batch.textureContext);
        EXPECT_EQ(4, batch.primitiveType);
    }
    EXPECT_EQ(0, set.batches[2].minVertexIndex);
    EXPECT_EQ(30, set.batches[2].vertexCount);
    EXPECT_EQ(30, set.batches[3].minVertexIndex);
    EXPECT_EQ(6, set.batches[3].vertexCount);
    EXPECT_EQ(36u, set.indices.size());
}

TEST(BufferSet, EmptySurfacesRaiseTheAssertionAndAddNothing) {
    MessageRecorder messages;
    MeshBufferSet set(0, 48, limits(100));
    const auto t = triangles(1);
    set.addSurface(t.data(), 0, 0, 0, 3);
    set.addSurface(t.data(), 3, 0, 0, 0);
    EXPECT_TRUE(set.batches.empty());
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("num > 0 && vertexCount > 0", messages.messages()[0].text);
    EXPECT_EQ("Assertion failed", messages.messages()[0].caption);
}

TEST(BufferSet, SurfaceRangeUsesTheSmallestAndLargestIndex) {
    MeshBufferSet set(0, 48, limits(100));
    const std::vector<uint32_t> t = {7, 9, 8, 12, 7, 9};
    set.addSurfaceRange(t.data(), int(t.size()), 2);
    ASSERT_EQ(1u, set.batches.size());
    EXPECT_EQ(7, set.batches[0].minVertexIndex);
    EXPECT_EQ(6, set.batches[0].vertexCount);
    EXPECT_EQ(2, set.batches[0].primitiveCount);
}

TEST(BufferSet, VerticesAreConvertedIntoTheProgramFormat) {
    PrefixPrograms programs;
    MeshBufferSet set(1, programs.strides[1], limits(100));
    GenericVertex v[2] = {};
    v[0].position[0] = 1;
    v[1].position[0] = 2;
    v[1].normal[2] = -1;
    set.setVertices(v, 2, 3, programs);
    ASSERT_EQ(5, set.vertexCount());
    ASSERT_EQ(size_t(5 * 36), set.vertexData.size());
    float f[9];
    std::memcpy(f, set.vertexData.data() + 4 * 36, sizeof f);
    EXPECT_EQ(2, f[0]);
    EXPECT_EQ(-1, f[5]);
}

TEST(BufferSet, PrepareChoosesTheIndexFormatAndRefusesTooManyVertices) {
    PrefixPrograms programs;
    std::vector<GenericVertex> many(70000, GenericVertex{});
    const auto t = triangles(1);
    {
        MessageRecorder messages;
        MeshBufferSet set(0, 48, limits(100, 0xFFFF));
        set.setVertices(many.data(), int(many.size()), 0, programs);
        set.addSurface(t.data(), 3, 0, 0, 70000);
        EXPECT_EQ(BufferSetState::Refused, set.prepare(0));
        ASSERT_EQ(1u, messages.count());
        EXPECT_EQ("multiple buffers are not yet supported...", messages.messages()[0].text);
        EXPECT_EQ("Error", messages.messages()[0].caption);
    }
    {
        MessageRecorder messages;
        MeshBufferSet set(0, 48, limits(100, 0xFFFFFF));
        set.setVertices(many.data(), int(many.size()), 0, programs);
        set.addSurface(t.data(), 3, 0, 0, 70000);
        EXPECT_EQ(BufferSetState::Ready, set.prepare(0));
        EXPECT_EQ(MESH_INDEX32, set.indexFormat);
        EXPECT_EQ(0u, messages.count());
    }
    {
        // Exactly 0x10000 vertices: the largest index, 0xFFFF, still fits.
        MessageRecorder messages;
        MeshBufferSet set(0, 48, limits(100, 0xFFFF));
        set.setVertices(many.data(), 0x10000, 0, programs);
        set.addSurface(t.data(), 3, 0, 0, 0x10000);
        EXPECT_EQ(BufferSetState::Ready, set.prepare(0));
        EXPECT_EQ(MESH_INDEX16, set.indexFormat);
        EXPECT_EQ(0u, messages.count());
    }
    {
        MeshBufferSet set(0, 48, limits(100, 0xFFFFFF));
        set.setVertices(many.data(), 3, 0, programs);
        set.addSurface(t.data(), 3, 0, 0, 3);
        EXPECT_EQ(BufferSetState::Ready, set.prepare(0));
        EXPECT_EQ(MESH_INDEX16, set.indexFormat);
    }
}

TEST(BufferSet, ASetWithoutDataIsEmpty) {
    PrefixPrograms programs;
    MeshBufferSet noIndices(0, 48, limits(100));
    GenericVertex v{};
    noIndices.setVertices(&v, 1, 0, programs);
    EXPECT_EQ(BufferSetState::Empty, noIndices.prepare(0));
    EXPECT_TRUE(noIndices.vertexData.empty());

    MeshBufferSet noVertices(0, 48, limits(100));
    const auto t = triangles(1);
    noVertices.addSurface(t.data(), 3, 0, 0, 3);
    EXPECT_EQ(BufferSetState::Empty, noVertices.prepare(0));
    EXPECT_TRUE(noVertices.indices.empty());
}

TEST(BufferSet, RegroupingMakesEachSurfaceContiguous) {
    PrefixPrograms programs;
    MeshBufferSet set(0, 48, limits(2));
    std::vector<GenericVertex> v(12, GenericVertex{});
    set.setVertices(v.data(), 12, 0, programs);
    const std::vector<uint32_t> a1 = {0, 1, 2}, b = {3, 4, 5, 6, 7, 8}, a2 = {9, 10, 11};
    set.addSurface(a1.data(), 3, 1, 0, 3);
    set.addSurface(b.data(), 6, 2, 3, 6);
    set.addSurface(a2.data(), 3, 1, 9, 3);
    ASSERT_EQ(BufferSetState::Ready, set.prepare(MESH_REGROUP_BATCHES));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 9, 10, 11, 3, 4, 5, 6, 7, 8}), set.indices);
    ASSERT_EQ(2u, set.batches.size());
    EXPECT_EQ(1, set.batches[0].surfaceKey);
    EXPECT_EQ(2, set.batches[0].primitiveCount);
    EXPECT_EQ(0, set.batches[0].minVertexIndex);
    EXPECT_EQ(12, set.batches[0].vertexCount);
    EXPECT_EQ(2, set.batches[1].surfaceKey);
    EXPECT_EQ(6, set.batches[1].startIndex);
}
