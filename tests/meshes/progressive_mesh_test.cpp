// Progressive meshes: the file, the reordering by point priority, the
// collapse chains of each level and the level a size on screen picks.
#include "base/message_box.h"
#include "mesh_test_support.h"
#include "meshes/mesh_builder.h"
#include "meshes/progressive_mesh.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint16_t NEVER = PM_NEVER_COLLAPSES;

ProgressiveFile pmFile(int minRes, std::vector<uint16_t> permutation,
                       std::vector<uint16_t> collapse) {
    ProgressiveFile f;
    f.minRes = minRes;
    f.basePermutation = std::move(permutation);
    f.baseCollapseMap = std::move(collapse);
    return f;
}

// One buffer set holding `triangles` over `vertexCount` vertices of one
// surface, cut at `maxPrimitives` triangles a batch.
MeshBufferSet oneSurface(const std::vector<uint32_t>& triangles, int vertexCount,
                         int maxPrimitives = 0xFFFF) {
    MeshDeviceLimits limits;
    limits.maxPrimitiveCount = maxPrimitives;
    MeshBufferSet set(0, 12, limits);
    set.addSurface(triangles.data(), int(triangles.size()), 0, 0, vertexCount);
    return set;
}

// A square of four corners around a centre, as four triangles.
const std::vector<uint32_t> fan = {0, 1, 4, 1, 2, 4, 2, 3, 4, 3, 0, 4};
const std::vector<int> ownPoints = {0, 1, 2, 3, 4};

std::vector<uint32_t> activeTriangles(ProgressiveSet& set, int r) {
    setResolution(set, r);
    return set.activeIndices;
}

} // namespace

TEST(ProgressiveFile, ReadsWhatItWritesAndRefusesEveryShortFile) {
    const ProgressiveFile f = pmFile(30, {2, 0, 1}, {NEVER, 0, 1, 0});
    const std::vector<uint8_t> bytes = writeProgressiveFile(f);
    ASSERT_EQ(2u + 2 + 6 + 2 + 8, bytes.size());
    EXPECT_EQ(30, bytes[0]);
    EXPECT_EQ(0xFF, bytes[12]); // little-endian 0xFFFF, the first collapse entry

    ProgressiveFile back;
    ASSERT_TRUE(readProgressiveFile(bytes.data(), bytes.size(), back));
    EXPECT_EQ(30, back.minRes);
    EXPECT_EQ(f.basePermutation, back.basePermutation);
    EXPECT_EQ(f.baseCollapseMap, back.baseCollapseMap);

    // Cut anywhere, the file is refused (and nothing past the cut is read).
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
        EXPECT_FALSE(readProgressiveFile(cut.data(), cut.size(), back)) << n;
        EXPECT_TRUE(back.basePermutation.empty());
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(7);
    EXPECT_TRUE(readProgressiveFile(longer.data(), longer.size(), back));
    EXPECT_EQ(f.baseCollapseMap, back.baseCollapseMap);
}

TEST(ProgressiveReorder, KeepsTheOrderWhenPrioritiesFollowItAndFollowsCollapseChains) {
    // The centre goes onto corner 0 first, then corner 3 onto corner 2.
    ProgressiveSet p;
    MessageRecorder messages;
    const ProgressiveFit fit = reorderByPriority(
        oneSurface(fan, 5), ownPoints, pmFile(0, {0, 1, 2, 3, 4}, {NEVER, NEVER, NEVER, 2, 0}), p);
    EXPECT_EQ(5, fit.maxRes);
    EXPECT_TRUE(fit.fits());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), p.permutation);
    EXPECT_EQ((std::vector<int>{-1, -1, -1, 2, 0}), p.collapseMap);
    ASSERT_EQ(1u, p.groupPRepMaps.size());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), p.groupPRepMaps[0]);

    // At full resolution the active lists are the base ones.
    EXPECT_EQ(fan, activeTriangles(p, 5));
    ASSERT_EQ(1u, p.activeBatches.size());
    EXPECT_EQ(4, p.activeBatches[0].primitiveCount);
    EXPECT_EQ(5, p.activeBatches[0].vertexCount);
    // Without the centre the square is two triangles over four vertices.
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 0, 2, 3, 0}), activeTriangles(p, 4));
    EXPECT_EQ(4, p.activeBatches[0].vertexCount);
    EXPECT_EQ(2, p.activeBatches[0].primitiveCount);
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 0}), activeTriangles(p, 3));
    // Corner 2 never collapses: once it goes, its triangles go, and a batch
    // that kept nothing is not drawn.
    EXPECT_TRUE(activeTriangles(p, 2).empty());
    EXPECT_TRUE(p.activeBatches.empty());
    EXPECT_EQ(2, p.currentResolution);
    EXPECT_EQ(0u, messages.count());
}

TEST(ProgressiveReorder, PlacesVerticesByPriorityAndRewritesIndicesAndTargets) {
    // Corner 0 goes first (onto the centre), then the centre (onto corner 1).
    ProgressiveSet p;
    MessageRecorder messages;
    reorderByPriority(oneSurface(fan, 5), ownPoints,
                      pmFile(0, {4, 0, 1, 2, 3}, {4, NEVER, NEVER, NEVER, 1}), p);
    EXPECT_EQ((std::vector<int>{4, 0, 1, 2, 3}), p.permutation);
    EXPECT_EQ((std::vector<int>{-1, -1, -1, 0, 3}), p.collapseMap);
    EXPECT_EQ((std::vector<uint32_t>{4, 0, 3, 0, 1, 3, 1, 2, 3, 2, 4, 3}), p.baseIndices);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 3, 1, 2, 3}), activeTriangles(p, 4));
    // Chains run through several collapses: corner 0, centre, corner 1.
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 0}), activeTriangles(p, 3));
    for (int j = 0; j < 5; ++j) EXPECT_LT(p.collapseMap[size_t(j)], j);
    EXPECT_EQ(0u, messages.count());
}

TEST(ProgressiveReorder, PointsSharedBySurfacesCollapseTogetherInEachSurfacesRange) {
    // Surface A: vertices 0-3; surface B: vertices 4-6, of which 4 and 5 lie
    // on A's points 2 and 3. Point 3 goes first, onto point 2.
    MeshBufferSet set(0, 12, MeshDeviceLimits());
    const std::vector<uint32_t> a = {0, 1, 2, 0, 2, 3}, b = {4, 6, 5};
    set.addSurface(a.data(), 6, 0, 0, 4);
    set.addSurface(b.data(), 3, 1, 4, 3);
    const std::vector<int> reps = {0, 1, 2, 3, 2, 3, 6};
    int points = 0;
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 2, 3, 4}), pointIdsOf(reps, &points));
    EXPECT_EQ(5, points);

    ProgressiveSet p;
    MessageRecorder messages;
    reorderByPriority(set, reps, pmFile(0, {0, 1, 2, 4, 3}, {NEVER, NEVER, NEVER, 2, NEVER, 4, NEVER}),
                      p);
    ASSERT_EQ(2u, p.groupPRepMaps.size());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 3, 4}), p.groupPRepMaps[0]);
    EXPECT_EQ((std::vector<int>{4, 4, 4, 5, 6, 7}), p.groupPRepMaps[1]);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 6, 5}), p.permutation);
    EXPECT_EQ(2, p.collapseMap[3]);
    EXPECT_EQ(4, p.collapseMap[6]);

    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6}), activeTriangles(p, 5));
    ASSERT_EQ(2u, p.activeBatches.size());
    EXPECT_EQ(4, p.activeBatches[1].minVertexIndex);
    // Without point 3, A keeps one triangle and B, left with a sliver, none.
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2}), activeTriangles(p, 4));
    ASSERT_EQ(1u, p.activeBatches.size());
    EXPECT_EQ(0, p.activeBatches[0].surfaceKey);
    EXPECT_EQ(3, p.activeBatches[0].vertexCount);
    EXPECT_EQ(0u, messages.count());
}

TEST(ProgressiveReorder, ASurfaceCutAtThePrimitiveLimitIsOrderedOnce) {
    ProgressiveSet whole, cut;
    const ProgressiveFile f = pmFile(0, {4, 0, 1, 2, 3}, {4, NEVER, NEVER, NEVER, 1});
    MessageRecorder messages;
    reorderByPriority(oneSurface(fan, 5), ownPoints, f, whole);
    reorderByPriority(oneSurface(fan, 5, 2), ownPoints, f, cut);
    EXPECT_EQ(0u, messages.count());
    ASSERT_EQ(2u, cut.baseBatches.size());
    EXPECT_EQ(cut.groupPRepMaps[0], cut.groupPRepMaps[1]);
    EXPECT_EQ(whole.permutation, cut.permutation);
    for (int r = 5; r >= 0; --r) EXPECT_EQ(activeTriangles(whole, r), activeTriangles(cut, r)) << r;
}

TEST(ProgressiveReorder, AMalformedMapRaisesItsAssertionsAndNeverLoops) {
    MessageRecorder messages;
    ProgressiveSet p;
    // Vertex 1 points up the order, vertex 2 past the vertices, vertex 3 at itself.
    reorderByPriority(oneSurface(fan, 5), ownPoints, pmFile(0, {0, 1, 2, 3, 4}, {NEVER, 3, 9, 3, 0}),
                      p);
    EXPECT_TRUE(messages.saw("basePermutation[bla1] <= basePermutation[bla2]"));
    EXPECT_TRUE(messages.saw("collapseMap[i] <= i"));
    EXPECT_TRUE(messages.saw("baseCollapseMap[i] < (uint) numVertices"));
    // Vertex 3 collapsing onto itself is reported once and never collapses.
    EXPECT_TRUE(messages.saw("false"));
    EXPECT_EQ((std::vector<int>{-1, -1, -1, -1, 0}), p.collapseMap);
    messages.clear();
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 0}), activeTriangles(p, 3));
    for (int r = 0; r <= 5; ++r) setResolution(p, r); // every level ends
    EXPECT_EQ(0u, messages.count());
    EXPECT_EQ(fan, p.activeIndices);

    // Priorities that do not fit the mesh: the map, which would fit, is not
    // followed (its targets were chosen for other points).
    messages.clear();
    reorderByPriority(oneSurface(fan, 5), ownPoints, pmFile(0, {0, 1, 2, 3, 4, 5}, {1, 2, 3, 4, NEVER}),
                      p);
    EXPECT_EQ(0u, messages.count());
    EXPECT_EQ((std::vector<int>{-1, -1, -1, -1, -1}), p.collapseMap);

    // A representative that comes after its vertex.
    messages.clear();
    pointIdsOf({0, 2, 2}, nullptr);
    EXPECT_TRUE(messages.saw("pReps[i] < (uint) i"));
}

TEST(ProgressiveBuild, EverySetIsPlacedByPriorityAndMismatchedFilesAreReported) {
    // A flat 3 x 3 grid: nine points, one welded vertex each.
    auto grid = [](HandLayer& h) {
        std::vector<float> xyz;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) xyz.insert(xyz.end(), {float(x), float(y), 0});
        h.points(xyz);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 2; ++x)
                h.polygon({y * 3 + x, y * 3 + x + 3, y * 3 + x + 4, y * 3 + x + 1});
    };
    std::vector<uint16_t> reversed, none(9, NEVER);
    for (int i = 8; i >= 0; --i) reversed.push_back(uint16_t(i));
    const ProgressiveFile good = pmFile(0, reversed, none);
    HandLayer h(1, &good);
    grid(h);
    MessageRecorder messages;
    MeshArrays arrays;
    ASSERT_TRUE(buildMeshArrays(*h.layer, PrefixPrograms(), MeshDeviceLimits(), arrays));
    EXPECT_EQ(0u, messages.count());
    EXPECT_EQ(9, arrays.fit.maxRes);
    ASSERT_EQ(arrays.sets.size(), arrays.progressive.size());
    for (size_t k = 0; k < arrays.sets.size(); ++k) {
        const MeshBufferSet& set = arrays.sets[k];
        const ProgressiveSet& p = arrays.progressive[k];
        // Reversed priorities reverse the vertices.
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(8 - i, p.permutation[size_t(i)]);
            float at[3];
            std::memcpy(at, set.vertexData.data() + size_t(p.permutation[size_t(i)]) * size_t(set.stride),
                        sizeof at);
            EXPECT_EQ(0, std::memcmp(at, arrays.vertices[size_t(i)].position, sizeof at)) << i;
        }
        EXPECT_EQ(p.baseIndices, set.indices);
    }

    const ProgressiveFile shortMap = pmFile(0, reversed, {NEVER, NEVER});
    HandLayer m(1, &shortMap);
    grid(m);
    ASSERT_TRUE(buildMeshArrays(*m.layer, PrefixPrograms(), MeshDeviceLimits(), arrays));
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("wrong collapse map for hand.lwo:1", messages.messages()[0].text);
    EXPECT_EQ("Error", messages.messages()[0].caption);
    EXPECT_FALSE(arrays.fit.fits());

    messages.clear();
    const ProgressiveFile fewPoints = pmFile(0, {0, 1, 2}, none);
    HandLayer f(1, &fewPoints);
    grid(f);
    ASSERT_TRUE(buildMeshArrays(*f.layer, PrefixPrograms(), MeshDeviceLimits(), arrays));
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("wrong permutation for hand.lwo:1", messages.messages()[0].text);
    // The vertices keep their order, so the whole mesh is drawn as built.
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}), arrays.progressive[0].permutation);
}

TEST(ProgressiveLevels, AQuarterStepOfTheProjectedSize) {
    EXPECT_EQ(1000, chooseResolution(0, 1000, 1.0f));
    EXPECT_EQ(1000, chooseResolution(0, 1000, 3.0f));
    EXPECT_EQ(750, chooseResolution(0, 1000, 0.8f));
    EXPECT_EQ(500, chooseResolution(0, 1000, 0.5f));
    EXPECT_EQ(250, chooseResolution(0, 1000, 0.49f));
    // Below a quarter: the minimum, never below 28.
    EXPECT_EQ(28, chooseResolution(0, 1000, 0.2f));
    EXPECT_EQ(28, chooseResolution(5, 1000, 0.0f));
    EXPECT_EQ(300, chooseResolution(300, 1000, 0.3f));
    EXPECT_EQ(28, chooseResolution(0, 1000, -1.0f));
    // A mesh of fewer than 28 points is always whole.
    EXPECT_EQ(20, chooseResolution(0, 20, 0.1f));
    EXPECT_EQ(1000, chooseResolution(2000, 1000, 0.1f));
}

TEST(ProgressiveLevels, TheLargestSizeSinceTheResetPicksTheLevelOncePerRender) {
    ProgressiveMeshLayer layer(nullptr, nullptr, pmFile(0, {}, {}));
    layer.box.used = true;
    for (int k = 0; k < 8; ++k) {
        layer.box.corners[k][0] = (k & 1) ? 0.5f : -0.5f;
        layer.box.corners[k][1] = (k & 2) ? 0.5f : -0.5f;
        layer.box.corners[k][2] = (k & 4) ? 0.5f : -0.5f;
    }
    layer.maxRes = 400;
    layer.resetFrame();
    EXPECT_EQ(FLT_MAX, layer.nearestW);
    // Seen by a light that sees it small: the level is chosen there ...
    Vec4 corners[8];
    Matrix4 far = Matrix4::identity();
    far.m[3][3] = 4; // w = 4: half-extents of 1/8
    layer.transformCorners(far, corners);
    EXPECT_FLOAT_EQ(0.125f, layer.projectedSize);
    EXPECT_FLOAT_EQ(4.0f, layer.nearestW);
    EXPECT_EQ(28, layer.levelToDraw());
    // ... and kept for a camera that sees it large in the same render.
    Matrix4 close = Matrix4::identity();
    close.m[3][3] = 0.5f;
    layer.transformCorners(close, corners);
    EXPECT_FLOAT_EQ(1.0f, layer.projectedSize);
    EXPECT_FLOAT_EQ(0.5f, layer.nearestW);
    EXPECT_EQ(-1, layer.levelToDraw());
    // The next render sees it large first.
    layer.resetFrame();
    EXPECT_EQ(0, layer.projectedSize);
    layer.transformCorners(far, corners);
    layer.transformCorners(close, corners);
    EXPECT_EQ(400, layer.levelToDraw());
    layer.resetFrame();
    layer.transformCorners(close, corners);
    EXPECT_EQ(-1, layer.levelToDraw()); // the level it has already
    EXPECT_EQ(400, layer.currentResolution);

    // A box reaching behind the eye fills the view.
    Vec4 behind[8];
    for (Vec4& c : behind) c = {0.1f, 0.1f, 0, 1};
    behind[3].w = -1;
    EXPECT_EQ(1.0f, projectedHalfExtent(behind));
    // A file that does not fit the mesh is drawn whole.
    layer.fileFits = false;
    layer.currentResolution = -1;
    layer.resetFrame();
    layer.transformCorners(far, corners);
    EXPECT_EQ(400, layer.levelToDraw());
}

TEST(ProgressiveExport, WritesPointsAndPolygonsAsSixteenBitRecords) {
    HandLayer h(2);
    h.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 2.5f});
    h.polygon({0, 1, 2, 3}, 1);
    h.polygon({0, 2, 1}, 0);
    std::vector<uint8_t> out;
    ASSERT_TRUE(exportGeometry(*h.layer, out));
    ASSERT_EQ(2u + 2 + 4 * 12 + 2 + (2 + 8 + 2) + (2 + 6 + 2), out.size());
    EXPECT_EQ('P', out[0]);
    EXPECT_EQ('M', out[1]);
    auto u16 = [&](size_t at) { return uint16_t(out[at] | (out[at + 1] << 8)); };
    EXPECT_EQ(4, u16(2));
    float z;
    std::memcpy(&z, &out[4 + 11 * 4], 4);
    EXPECT_EQ(2.5f, z);
    const size_t polys = 4 + 48;
    EXPECT_EQ(2, u16(polys));
    EXPECT_EQ(4, u16(polys + 2));
    EXPECT_EQ(3, u16(polys + 2 + 2 + 3 * 2));
    EXPECT_EQ(1, u16(polys + 2 + 2 + 4 * 2));
    EXPECT_EQ(3, u16(polys + 14));
    EXPECT_EQ(0, u16(polys + 14 + 2 + 3 * 2));

    HandLayer big;
    big.points(std::vector<float>(3 * 70000, 0.0f));
    EXPECT_FALSE(exportGeometry(*big.layer, out));
}
