// What a loaded layer keeps for the renderer: its morph target (from a real
// LWO2 load through to the built vertices), its transparency when a surface
// only adds light, and the box it is culled with.

#include "base/message_box.h"
#include "lightwave/lwo_builder.h"
#include "lightwave/lwo_stage.h"
#include "lightwave/surface.h"
#include "mesh_test_support.h"
#include "meshes/mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Bytes = LwoBuilder::Bytes;
using B = LwoBuilder;

LoadedLayer* loadedLayer(MetaMesh* mesh, size_t i) {
    return mesh && i < mesh->layer.size() ? dynamic_cast<LoadedLayer*>(mesh->layer[i]) : nullptr;
}

// A unit square of two triangles in layer 0 on surface "Skin".
LwoBuilder square() {
    LwoBuilder b;
    b.tags({"Skin"});
    b.layer(0);
    b.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2}, {0, 2, 3}});
    return b;
}

// A VMAP MORF chunk: (point, dx, dy, dz) entries.
void morph(LwoBuilder& b, const std::string& name,
           const std::vector<std::pair<uint32_t, Vec3>>& entries) {
    Bytes body;
    B::id(body, "MORF");
    B::u2(body, 3);
    B::s0(body, name);
    for (const auto& e : entries) {
        B::vx(body, e.first);
        B::f4(body, e.second.x);
        B::f4(body, e.second.y);
        B::f4(body, e.second.z);
    }
    b.chunk("VMAP", body);
}

Bytes valueSub(const char* id, float v) {
    Bytes b;
    B::f4(b, v);
    B::u2(b, 0); // no envelope
    return B::sub(id, b);
}

// A morph map that says when it is destroyed.
struct WatchedMorph : LWMorphMap {
    bool* gone;
    explicit WatchedMorph(bool* gone) : LWMorphMap("watched"), gone(gone) {}
    ~WatchedMorph() override { *gone = true; }
};

} // namespace

TEST(MorphTarget, TheLayerKeepsItsMapsAndReleasesThemWithItself) {
    bool gone = false;
    auto* map = new WatchedMorph(&gone); // the loader's reference
    {
        MetaMesh mesh;
        auto* layer = new PolygonMeshLayer(nullptr, &mesh);
        mesh.layer.push_back(layer);
        layer->keepMorphMaps({map});
        EXPECT_EQ(1, layer->numMorf);
        ASSERT_EQ(1u, layer->morphMaps.size());
        EXPECT_EQ(map, layer->morphMaps[0]);
        EXPECT_EQ(2, map->referenceCount());
        map->release(); // the load ends
        EXPECT_FALSE(gone);
        EXPECT_EQ(1, map->referenceCount());
    }
    EXPECT_TRUE(gone);
}

TEST(MorphTarget, ALoadedMorphMapOutlivesTheLoadAndReachesEveryVertex) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = square();
    // Points 1 and 3 move; 0 and 2 have no entry.
    const Vec3 moveOne{0.25f, -0.5f, 2}, moveThree{-1, 0, 0.125f};
    morph(b, "bulge", {{1, moveOne}, {3, moveThree}});
    MetaMesh* mesh = stage.load("morph.lwo", b.file());
    ASSERT_NE(nullptr, mesh);
    LoadedLayer* layer = loadedLayer(mesh, 0);
    ASSERT_NE(nullptr, layer);
    EXPECT_EQ(1, layer->numMorf);
    ASSERT_EQ(1u, layer->morphMaps.size());
    const LWMorphMap* map = layer->morphMaps[0];
    EXPECT_EQ("bulge", map->name);
    EXPECT_EQ(1, map->referenceCount()); // the layer's own, the load's is gone
    ASSERT_EQ(12u, map->offsets.size());
    EXPECT_FLOAT_EQ(2, map->offsets[1 * 3 + 2]);
    EXPECT_FLOAT_EQ(-1, map->offsets[3 * 3 + 0]);

    PrefixPrograms programs;
    MeshArrays arrays;
    ASSERT_TRUE(buildMeshArrays(*layer, programs, MeshDeviceLimits(), arrays));
    ASSERT_FALSE(arrays.vertices.empty());
    // Each vertex carries the offset of the point it sits on.
    const float points[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const Vec3 offsets[4] = {{0, 0, 0}, moveOne, {0, 0, 0}, moveThree};
    int seen[4] = {0, 0, 0, 0};
    for (const GenericVertex& v : arrays.vertices) {
        int point = -1;
        for (int p = 0; p < 4; ++p)
            if (v.position[0] == points[p][0] && v.position[1] == points[p][1] &&
                v.position[2] == points[p][2])
                point = p;
        ASSERT_GE(point, 0) << "a vertex off the square";
        ++seen[point];
        EXPECT_FLOAT_EQ(offsets[point].x, v.morphPosition[0]) << "point " << point;
        EXPECT_FLOAT_EQ(offsets[point].y, v.morphPosition[1]) << "point " << point;
        EXPECT_FLOAT_EQ(offsets[point].z, v.morphPosition[2]) << "point " << point;
    }
    for (int p = 0; p < 4; ++p) EXPECT_GT(seen[p], 0) << "point " << p;
    EXPECT_EQ(0u, messages.count());
}

TEST(MorphTarget, AnObjectWithoutOneBuildsWithZeroOffsets) {
    MessageRecorder messages;
    Stage stage;
    MetaMesh* mesh = stage.load("plain.lwo", square().file());
    LoadedLayer* layer = loadedLayer(mesh, 0);
    ASSERT_NE(nullptr, layer);
    EXPECT_EQ(0, layer->numMorf);
    EXPECT_TRUE(layer->morphMaps.empty());
    MeshArrays arrays;
    ASSERT_TRUE(buildMeshArrays(*layer, PrefixPrograms(), MeshDeviceLimits(), arrays));
    ASSERT_FALSE(arrays.vertices.empty());
    for (const GenericVertex& v : arrays.vertices)
        for (float c : v.morphPosition) EXPECT_EQ(0, c);
}

TEST(Transparency, AdditiveTransparencyAloneMakesTheSurfaceAndLayerTransparent) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder glow = square();
    glow.surface("Skin", valueSub("ADTR", 0.6f));
    MetaMesh* mesh = stage.load("glow.lwo", glow.file());
    ASSERT_NE(nullptr, loadedLayer(mesh, 0));
    const LWSurface* surface = stage.meta.findSurface("glow.lwo@Skin");
    ASSERT_NE(nullptr, surface);
    EXPECT_FLOAT_EQ(0, surface->transparency.value);
    EXPECT_TRUE(surface->transparent);
    EXPECT_TRUE(loadedLayer(mesh, 0)->hasTransparency);

    // Without additive transparency (or with none of it) both stay opaque.
    for (const char* name : {"solid.lwo", "none.lwo"}) {
        LwoBuilder b = square();
        b.surface("Skin", std::string(name) == "none.lwo" ? valueSub("ADTR", 0) : Bytes{});
        MetaMesh* plain = stage.load(name, b.file());
        ASSERT_NE(nullptr, loadedLayer(plain, 0)) << name;
        const LWSurface* s = stage.meta.findSurface((std::string(name) + "@Skin").c_str());
        ASSERT_NE(nullptr, s) << name;
        EXPECT_FALSE(s->transparent) << name;
        EXPECT_FALSE(loadedLayer(plain, 0)->hasTransparency) << name;
    }
    EXPECT_EQ(0u, messages.count());
}

TEST(LayerBox, ComputedOnceFromThePoints) {
    HandLayer h;
    h.points({1, 2, 3, -4, 5, 0, 2, -1, 7});
    LoadedLayer& layer = *h.layer;
    EXPECT_FALSE(layer.box.used);
    layer.ensureBoundingBox();
    ASSERT_TRUE(layer.box.used);
    EXPECT_EQ(layer.positions.data(), layer.bboxSource);
    const float lo[3] = {-4, -1, 0}, hi[3] = {2, 5, 7};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ((c & 4) ? hi[0] : lo[0], layer.box.corners[c][0]) << c;
        EXPECT_EQ((c & 2) ? hi[1] : lo[1], layer.box.corners[c][1]) << c;
        EXPECT_EQ((c & 1) ? hi[2] : lo[2], layer.box.corners[c][2]) << c;
    }
    EXPECT_FLOAT_EQ(-1, layer.box.center[0]);
    EXPECT_FLOAT_EQ(std::sqrt(9.0f + 9.0f + 12.25f), layer.box.radius);

    // The same points again: the box is not recomputed, even if they moved
    // in place.
    layer.positions[0] = 100;
    layer.ensureBoundingBox();
    EXPECT_EQ(2, layer.box.corners[7][0]);

    // New points (a different array) give a new box.
    std::vector<float> other = {10, 10, 10, 11, 12, 13};
    layer.positions.swap(other); // `other` keeps the old array alive
    layer.numPositions = 2;
    layer.ensureBoundingBox();
    EXPECT_EQ(layer.positions.data(), layer.bboxSource);
    EXPECT_EQ(10, layer.box.corners[0][0]);
    EXPECT_EQ(13, layer.box.corners[7][2]);
}

TEST(LayerBox, LayersWithoutPointsAndParticlesHaveNone) {
    HandLayer empty;
    empty.layer->ensureBoundingBox();
    EXPECT_FALSE(empty.layer->box.used);

    MetaMesh mesh;
    auto* particle = new ParticleLayer(nullptr, &mesh);
    mesh.layer.push_back(particle);
    particle->positions = {1, 2, 3};
    particle->numPositions = 1;
    LoadedLayer* asLoaded = particle;
    asLoaded->ensureBoundingBox();
    EXPECT_FALSE(particle->box.used);
}

TEST(LayerBox, ALoadedLayerBoxesItsPoints) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b;
    b.tags({"Skin"});
    b.layer(0);
    b.points({-1, 0, 2, 3, 4, -5, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2}});
    LoadedLayer* layer = loadedLayer(stage.load("tri.lwo", b.file()), 0);
    ASSERT_NE(nullptr, layer);
    layer->ensureBoundingBox();
    ASSERT_TRUE(layer->box.used);
    EXPECT_EQ(-1, layer->box.corners[0][0]);
    EXPECT_EQ(0, layer->box.corners[0][1]);
    EXPECT_EQ(-5, layer->box.corners[0][2]);
    EXPECT_EQ(3, layer->box.corners[7][0]);
    EXPECT_EQ(4, layer->box.corners[7][1]);
    EXPECT_EQ(2, layer->box.corners[7][2]);
}

TEST(LayerBox, CornersTransformWithTheirW) {
    HandLayer h;
    h.points({0, 0, 0, 1, 2, 3});
    h.layer->ensureBoundingBox();
    // x doubled, then moved by (5, 6, 7); w = 2 z + 1.
    const Matrix4 m = {{{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 2}, {5, 6, 7, 1}}};
    Vec4 out[8];
    h.layer->transformCorners(m, out);
    for (int c = 0; c < 8; ++c) {
        const float x = (c & 4) ? 1 : 0, y = (c & 2) ? 2 : 0, z = (c & 1) ? 3 : 0;
        EXPECT_FLOAT_EQ(2 * x + 5, out[c].x) << c;
        EXPECT_FLOAT_EQ(y + 6, out[c].y) << c;
        EXPECT_FLOAT_EQ(z + 7, out[c].z) << c;
        EXPECT_FLOAT_EQ(2 * z + 1, out[c].w) << c;
    }
}
