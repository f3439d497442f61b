#include "base/message_box.h"
#include "mesh_test_support.h"
#include "meshes/mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

MeshArrays build(HandLayer& h, const PrefixPrograms& programs = PrefixPrograms(),
                 MeshDeviceLimits limits = MeshDeviceLimits()) {
    MeshArrays out;
    EXPECT_TRUE(buildMeshArrays(*h.layer, programs, limits, out));
    return out;
}

bool isAxis(const float n[3]) {
    int ones = 0, zeros = 0;
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(std::fabs(n[k]) - 1) < 1e-6f) ++ones;
        if (n[k] == 0) ++zeros;
    }
    return ones == 1 && zeros == 2;
}

} // namespace

TEST(MeshBuilder, CubeGives24VerticesAnd12TrianglesInEverySet) {
    MessageRecorder messages;
    HandLayer h;
    h.cube();
    const MeshArrays m = build(h);
    EXPECT_EQ(24, m.cornerCount);
    EXPECT_EQ(12, m.triangleCount);
    ASSERT_EQ(4u, m.sets.size());
    const PrefixPrograms programs;
    for (int k = 0; k < 4; ++k) {
        const MeshBufferSet& set = m.sets[size_t(k)];
        EXPECT_EQ(k, set.program);
        EXPECT_EQ(24, set.vertexCount()) << k;
        EXPECT_EQ(size_t(24 * programs.strides[k]), set.vertexData.size());
        EXPECT_EQ(36u, set.indices.size());
        ASSERT_EQ(1u, set.batches.size());
        EXPECT_EQ(12, set.batches[0].primitiveCount);
        EXPECT_EQ(0, set.batches[0].minVertexIndex);
        EXPECT_EQ(24, set.batches[0].vertexCount);
        EXPECT_EQ(MESH_INDEX16, set.indexFormat);
    }
    for (const GenericVertex& v : m.vertices) {
        EXPECT_TRUE(isAxis(v.normal));
        EXPECT_EQ(0xFF000000u, v.diffuse); // no vertex-colour map
        // The normal points out of the cube: from its centre towards the corner.
        float out = 0;
        for (int k = 0; k < 3; ++k) out += v.normal[k] * (v.position[k] - 0.5f);
        EXPECT_GT(out, 0);
    }
    EXPECT_TRUE(m.box.used);
    EXPECT_FLOAT_EQ(std::sqrt(0.75f), m.box.radius);
    EXPECT_EQ(0u, messages.count());
}

TEST(MeshBuilder, SmoothingAngleDecidesWhetherCubeEdgesShareNormals) {
    MessageRecorder messages;
    HandLayer hard;
    hard.cube();
    hard.smoothingAngle(0, 89);
    const MeshArrays h = build(hard);
    EXPECT_EQ(24, h.cornerCount);
    for (const GenericVertex& v : h.vertices) EXPECT_TRUE(isAxis(v.normal));

    HandLayer soft;
    soft.cube();
    soft.smoothingAngle(0, 100);
    const MeshArrays s = build(soft);
    EXPECT_EQ(8, s.cornerCount);
    EXPECT_EQ(12, s.triangleCount);
    const float third = 1 / std::sqrt(3.0f);
    for (const GenericVertex& v : s.vertices)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(v.position[k] > 0.5f ? third : -third, v.normal[k], 1e-6f);
    EXPECT_EQ(0u, messages.count());
}

TEST(MeshBuilder, EverySurfaceSmoothsBelowTenDegrees) {
    // Two quads folded along x = 1 by `degrees`.
    auto folded = [](double degrees) {
        HandLayer* h = new HandLayer;
        const float a = float(degrees * 3.14159265358979323846 / 180);
        h->points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1 + std::cos(a), 0, std::sin(a),
                   1 + std::cos(a), 1, std::sin(a)});
        h->polygon({0, 1, 2, 3});
        h->polygon({1, 4, 5, 2});
        return std::unique_ptr<HandLayer>(h);
    };
    auto gentle = folded(5);
    EXPECT_EQ(6, build(*gentle).cornerCount);
    auto sharp = folded(20);
    EXPECT_EQ(8, build(*sharp).cornerCount);
    sharp->smoothingAngle(0, 25);
    EXPECT_EQ(6, build(*sharp).cornerCount);
}

TEST(MeshBuilder, WeldingKeepsSurfacesApart) {
    HandLayer one(2);
    one.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0, 2, 1, 0});
    one.polygon({0, 1, 2, 3});
    one.polygon({1, 4, 5, 2});
    const MeshArrays same = build(one);
    EXPECT_EQ(6, same.cornerCount);

    HandLayer two(2);
    two.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0, 2, 1, 0});
    two.polygon({0, 1, 2, 3}, 1);
    two.polygon({1, 4, 5, 2}, 0);
    const MeshArrays apart = build(two);
    EXPECT_EQ(8, apart.cornerCount);
    // Surface 0 first, each surface's vertices contiguous, one batch each.
    const MeshBufferSet& set = apart.sets[0];
    ASSERT_EQ(2u, set.batches.size());
    EXPECT_EQ(0, set.batches[0].surfaceKey);
    EXPECT_EQ(0, set.batches[0].minVertexIndex);
    EXPECT_EQ(4, set.batches[0].vertexCount);
    EXPECT_EQ(1, set.batches[1].surfaceKey);
    EXPECT_EQ(4, set.batches[1].minVertexIndex);
    EXPECT_EQ(4, set.batches[1].vertexCount);
    for (int i = 0; i < 4; ++i) EXPECT_GE(apart.vertices[size_t(i)].position[0], 1.0f);
    for (int i = 4; i < 8; ++i) EXPECT_LE(apart.vertices[size_t(i)].position[0], 1.0f);
    for (size_t i = 0; i < set.indices.size(); ++i) {
        const MeshBatch& b = set.batches[i < 6 ? 0 : 1];
        EXPECT_GE(int(set.indices[i]), b.minVertexIndex);
        EXPECT_LT(int(set.indices[i]), b.minVertexIndex + b.vertexCount);
    }
}

TEST(MeshBuilder, DegenerateTrianglesAreDropped) {
    MessageRecorder messages;
    HandLayer h;
    h.points({0, 0, 0, 1, 0, 0, 1, 1, 0});
    h.polygon({0, 1, 2, 2}); // (0,1,2) and (1,2,2)
    const MeshArrays m = build(h);
    EXPECT_EQ(1, m.triangleCount);
    EXPECT_EQ(3u, m.sets[0].indices.size());
    EXPECT_EQ(3, m.cornerCount);
    EXPECT_EQ(0u, messages.count());
}

TEST(MeshBuilder, PolygonsWithFewerThanThreePointsAreIgnored) {
    HandLayer h;
    h.points({0, 0, 0, 1, 0, 0, 1, 1, 0});
    h.polygon({0});
    h.polygon({0, 1});
    h.polygon({0, 1, 2});
    MeshCorners corners;
    buildCorners(*h.layer, corners);
    EXPECT_EQ(3u, corners.vertices.size());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), corners.triangles);
}

TEST(MeshBuilder, PolygonsOutsideTheLayerAreLeftOut) {
    MessageRecorder messages;
    HandLayer h;
    h.points({0, 0, 0, 1, 0, 0, 1, 1, 0});
    h.polygon({0, 1, 9});    // no point 9
    h.polygon({0, 1, 2}, 4); // no surface 4
    h.polygon({0, 2, 1});
    const MeshArrays m = build(h);
    EXPECT_EQ(1, m.triangleCount);
    EXPECT_EQ(3, m.cornerCount);
}

TEST(MeshBuilder, VertexColoursComeFromTheLayersColourMap) {
    HandLayer h(2);
    h.layer->number = 1;
    h.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 5, 5, 5});
    h.polygon({0, 1, 2}, 0);
    h.polygon({0, 2, 3}, 1);
    auto* map = new LWColorMap("paint");
    map->rgba = {1, 0, 0, 1, 0, 1, 0, 0.5f, 0, 0, 2, -1, 0.2f, 0.2f, 0.2f, 1};
    h.surfaces[0]->vertexColorMaps = {nullptr, map}; // the surface holds the reference
    const MeshArrays m = build(h);
    std::set<uint32_t> surface0, surface1;
    const MeshBatch& first = m.sets[0].batches[0];
    for (int i = 0; i < m.cornerCount; ++i)
        (i < first.vertexCount ? surface0 : surface1).insert(m.vertices[size_t(i)].diffuse);
    EXPECT_EQ((std::set<uint32_t>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu}), surface0);
    EXPECT_EQ((std::set<uint32_t>{0xFF000000u}), surface1);
}

TEST(MeshBuilder, SurfaceWithoutItsProgramRaisesTheAssertion) {
    MessageRecorder messages;
    HandLayer h(2);
    h.cube(1);
    PrefixPrograms programs;
    programs.programOf[h.surfaces[0].get()] = 2;
    programs.programOf[h.surfaces[1].get()] = 7;
    const MeshArrays m = build(h, programs);
    EXPECT_EQ((std::vector<int>{2, -1}), m.surfaceSet);
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("srfvb[s] != NULL", messages.messages()[0].text);
    // The surface is still built into every set.
    for (const MeshBufferSet& set : m.sets) EXPECT_EQ(36u, set.indices.size());
}

TEST(MeshBuilder, SurfaceSettingsOutOfRangeRaiseTheirAssertions) {
    MessageRecorder messages;
    HandLayer h;
    h.cube();
    h.surfaces[0]->cosMaxSmoothAngle = 0.995f;
    h.surfaces[0]->numTexcoords = 5; // more sets than a vertex holds
    const MeshArrays m = build(h);
    EXPECT_EQ(24, m.cornerCount);
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("metamesh->srfs[s]->cosMaxSmoothAngle <= 0.99", messages.messages()[0].text);
    EXPECT_EQ("metamesh->srfs[polys[i].srfId]->numTexcoords <= MAX_TEXCOORDS",
              messages.messages()[1].text);
}

TEST(MeshBuilder, BatchesRespectTheDevicesPrimitiveLimit) {
    HandLayer h;
    h.cube();
    MeshDeviceLimits limits;
    limits.maxPrimitiveCount = 5;
    const MeshArrays m = build(h, PrefixPrograms(), limits);
    for (const MeshBufferSet& set : m.sets) {
        ASSERT_EQ(3u, set.batches.size());
        EXPECT_EQ(5, set.batches[0].primitiveCount);
        EXPECT_EQ(5, set.batches[1].primitiveCount);
        EXPECT_EQ(2, set.batches[2].primitiveCount);
        EXPECT_EQ(15, set.batches[1].startIndex);
    }
}

TEST(MeshBuilder, TooManyVerticesForTheDeviceAreRefused) {
    MessageRecorder messages;
    HandLayer h;
    // 23334 separate triangles: 70002 vertices after welding.
    std::vector<float> xyz;
    for (int t = 0; t < 23334; ++t) {
        const float x = float(t);
        xyz.insert(xyz.end(), {x, 0, 0, x + 0.5f, 0, 0, x, 1, 0});
        h.layer->polygons.push_back(LWPolygon{});
        LWPolygon& p = h.layer->polygons.back();
        p.numVertices = 3;
        p.vertices = {uint32_t(t * 3), uint32_t(t * 3 + 1), uint32_t(t * 3 + 2)};
    }
    h.points(xyz);
    MeshArrays m;
    EXPECT_FALSE(buildMeshArrays(*h.layer, PrefixPrograms(), MeshDeviceLimits(), m));
    EXPECT_EQ(70002, m.cornerCount);
    ASSERT_EQ(4u, messages.count()); // one per buffer set
    for (const Message& message : messages.messages()) {
        EXPECT_EQ("multiple buffers are not yet supported...", message.text);
        EXPECT_EQ("Error", message.caption);
    }

    MessageRecorder again;
    MeshDeviceLimits wide;
    wide.maxVertexIndex = 0xFFFFFF;
    EXPECT_TRUE(buildMeshArrays(*h.layer, PrefixPrograms(), wide, m));
    EXPECT_EQ(MESH_INDEX32, m.sets[0].indexFormat);
    EXPECT_EQ(0u, again.count());
}

TEST(MeshBuilder, PolygonsWithoutAreaAreLeftOut) {
    MessageRecorder messages;
    HandLayer h;
    // A pentagon whose first three points lie in a line still faces +z; a
    // triangle whose points all sit in one spot draws nothing.
    h.points({0, 0, 0, 1, 0, 0, 2, 0, 0, 2, 1, 0, 0, 1, 0, 5, 5, 5, 5, 5, 5, 5, 5, 5});
    h.polygon({0, 1, 2, 3, 4});
    h.polygon({5, 6, 7});
    const MeshArrays m = build(h);
    EXPECT_EQ(3, m.triangleCount);
    EXPECT_EQ(5, m.cornerCount);
    for (const GenericVertex& v : m.vertices) {
        EXPECT_FLOAT_EQ(0, v.normal[0]);
        EXPECT_FLOAT_EQ(0, v.normal[1]);
        EXPECT_FLOAT_EQ(1, v.normal[2]);
    }
    EXPECT_EQ(0u, messages.count());
}
