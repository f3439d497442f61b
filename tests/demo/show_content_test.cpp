// The bundled show's LightWave content, as its generator wrote it into
// build/show/content, read back through the player's loaders: no message,
// and the objects, surfaces, layers, items and settings the show is made of.

#include "base/message_box.h"
#include "files/disk_file.h"
#include "lightwave/items.h"
#include "lightwave/mesh_data.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "meshes/mesh_builder.h"
#include "meshes/mesh_layers.h"
#include "meshes/mesh_test_support.h"
#include "effects/particle_settings.h"
#include "render/surface_setup.h"
#include "timeline/metascene_loader.h"

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

// Loads a metascript of the show's content folder.
std::unique_ptr<MetaScene> loadShow(const char* metascript) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(NL_SHOW_CONTENT);
    DiskFile disk;
    std::unique_ptr<MetaScene> meta = loadMetascript(nullptr, &disk, metascript);
    std::filesystem::current_path(previous);
    return meta;
}

const LoadedLayer* firstLayer(const MetaScene& meta, const char* file) {
    const MetaMesh* mesh = meta.findMesh(file);
    if (!mesh || mesh->layer.empty()) return nullptr;
    return dynamic_cast<const LoadedLayer*>(mesh->layer[0]);
}

const LWSurface* surface(const MetaScene& meta, const char* key) {
    return meta.findSurface(key);
}

TEST(ShowContent, NightAndDuskShareThePanelsAndTheRing) {
    MessageRecorder messages;
    std::unique_ptr<MetaScene> meta = loadShow("scenes.txt");
    ASSERT_TRUE(meta);
    EXPECT_EQ(0u, messages.count());
    ASSERT_EQ(2u, meta->scenes.size());
    EXPECT_EQ(2u, meta->meshes.size()); // shared by both scenes
    for (const auto& scene : meta->scenes) {
        EXPECT_EQ(2u, scene->objects.size()) << scene->fileName;
        ASSERT_EQ(1u, scene->cameras.size());
        EXPECT_EQ(0.0f, scene->cameras[0]->eyeSeparation) << "one view for both eyes";
    }
    const LW6Scene& night = *meta->findScene("night");
    ASSERT_EQ(3u, night.lights.size());
    EXPECT_EQ(LIGHT_DISTANT, night.lights[0]->lightType);
    EXPECT_EQ(LIGHT_POINT, night.lights[1]->lightType);
    EXPECT_EQ(2, night.lights[1]->falloffType);
    EXPECT_FLOAT_EQ(6, night.lights[1]->range.value);
    EXPECT_EQ(LIGHT_AREA, night.lights[2]->lightType);
    EXPECT_EQ(3, night.lights[2]->falloffType);

    const LoadedLayer* ring = firstLayer(*meta, "torus.lwo");
    ASSERT_TRUE(ring);
    EXPECT_EQ(64 * 32, ring->numPositions);
    EXPECT_EQ(64u * 32u, ring->polygons.size());
    const LWSurface* copper = surface(*meta, "torus.lwo@Copper");
    ASSERT_TRUE(copper);
    ASSERT_EQ(1u, copper->textureLayers.size());
    EXPECT_EQ(MAP_UV, copper->textureLayers[0]->maptype);
    EXPECT_FLOAT_EQ(0.6f, copper->specularity.value);
    const LoadedLayer* panels = firstLayer(*meta, "panel.lwo");
    ASSERT_TRUE(panels);
    EXPECT_EQ(5u, panels->polygons.size());
    for (const char* key : {"panel.lwo@Bands", "panel.lwo@Stripes", "panel.lwo@Flare",
                            "panel.lwo@Moons", "panel.lwo@Screen"}) {
        const LWSurface* s = surface(*meta, key);
        ASSERT_TRUE(s) << key;
        EXPECT_EQ(1u, s->textureLayers.size()) << key;
    }
}

TEST(ShowContent, TheRelicIsADenseProgressiveMeshThatFitsItsFile) {
    MessageRecorder messages;
    std::unique_ptr<MetaScene> meta = loadShow("dawn.txt");
    ASSERT_TRUE(meta);
    const MetaMesh* mesh = meta->findMesh("relic.lwo");
    ASSERT_TRUE(mesh);
    auto* relic = dynamic_cast<ProgressiveMeshLayer*>(mesh->layer.at(0));
    ASSERT_TRUE(relic);
    EXPECT_EQ(19200, relic->numPositions);
    MeshArrays arrays;
    ASSERT_TRUE(buildMeshArrays(*relic, PrefixPrograms(), MeshDeviceLimits(), arrays));
    EXPECT_EQ(38400, arrays.triangleCount);
    EXPECT_TRUE(arrays.fit.fits());
    EXPECT_EQ(19200, arrays.fit.maxRes);
    // The smallest level is a few hundred points.
    EXPECT_GT(relic->minRes, 100);
    EXPECT_LT(relic->minRes, 1000);
    EXPECT_EQ(0u, messages.count());
}

TEST(ShowContent, DawnFliesOverTheHillsInFog) {
    MessageRecorder messages;
    std::unique_ptr<MetaScene> meta = loadShow("dawn.txt");
    ASSERT_TRUE(meta);
    EXPECT_EQ(0u, messages.count());
    ASSERT_EQ(1u, meta->scenes.size());
    const LW6Scene& dawn = *meta->scenes[0];
    EXPECT_EQ(3u, dawn.objects.size());
    EXPECT_EQ(2u, dawn.cameras.size()); // the flight and the look back
    ASSERT_EQ(3u, dawn.lights.size());
    EXPECT_EQ(LIGHT_SPOT, dawn.lights[1]->lightType);
    EXPECT_EQ(LIGHT_LINEAR, dawn.lights[2]->lightType);
    EXPECT_EQ(1, dawn.lights[2]->falloffType);
    EXPECT_EQ(FOG_LINEAR, dawn.fogType);
    EXPECT_FLOAT_EQ(12, dawn.fogMinDistance);
    EXPECT_FLOAT_EQ(48, dawn.fogMaxDistance);

    const LoadedLayer* hills = firstLayer(*meta, "hills.lwo");
    ASSERT_TRUE(hills);
    EXPECT_EQ(73 * 73, hills->numPositions);
    EXPECT_EQ(72u * 72u, hills->polygons.size());
    const LWSurface* grass = surface(*meta, "hills.lwo@Grass");
    const LWSurface* tops = surface(*meta, "hills.lwo@Tops");
    ASSERT_TRUE(grass && tops && surface(*meta, "hills.lwo@Slope"));
    ASSERT_EQ(1u, grass->textureLayers.size());
    EXPECT_EQ(fourCC("PROC"), grass->textureLayers[0]->type);
    EXPECT_EQ("Turbulence", grass->textureLayers[0]->procName);
    ASSERT_EQ(1u, tops->textureLayers.size());
    EXPECT_EQ(fourCC("GRAD"), tops->textureLayers[0]->type);
    // Every quad has one of the three surfaces, and each is used.
    int used[3] = {0, 0, 0};
    for (const LWPolygon& p : hills->polygons) {
        ASSERT_TRUE(p.srfId >= 0 && p.srfId < 3);
        ++used[p.srfId];
    }
    for (int n : used) EXPECT_GT(n, 100);

    const LoadedLayer* beacons = firstLayer(*meta, "beacons.lwo");
    ASSERT_TRUE(beacons);
    EXPECT_EQ(25, beacons->numPositions); // five pyramids
    EXPECT_EQ(25u, beacons->polygons.size());
    EXPECT_TRUE(beacons->hasTransparency);
    const LWSurface* glass = surface(*meta, "beacons.lwo@Glass");
    ASSERT_TRUE(glass);
    EXPECT_TRUE(glass->doubleSided);
    ASSERT_FALSE(glass->vertexColorMaps.empty());
    ASSERT_TRUE(glass->vertexColorMaps[0]);
    EXPECT_EQ(25u * 4u, glass->vertexColorMaps[0]->rgba.size());
}

// The forge: the wall lit per pixel, and each tool taking another row of
// the fixed-function stages; the key light's shadows ray-traced, the
// embers point lights.
TEST(ShowContent, TheForgeShowsEachWayOfCombiningLayers) {
    MessageRecorder messages;
    std::unique_ptr<MetaScene> meta = loadShow("forge.txt");
    ASSERT_TRUE(meta);
    EXPECT_EQ(0u, messages.count());
    ASSERT_EQ(1u, meta->scenes.size());
    const LWSurface* iron = surface(*meta, "forge_wall.lwo@Iron");
    ASSERT_TRUE(iron);
    EXPECT_EQ(2, surfaceProgramIndex(*iron));
    const struct {
        const char* key;
        FixedFunctionRow row;
    } tools[] = {{"forge_grate.lwo@Grate", ROW_TRANSPARENCY},
                 {"forge_lattice.lwo@Lattice", ROW_COLOUR_TRANSPARENCY},
                 {"forge_stone.lwo@Stone", ROW_DIFFUSE},
                 {"forge_brass.lwo@Brass", ROW_SPECULAR},
                 {"forge_orb.lwo@Orb", ROW_COLOUR}};
    for (const auto& t : tools) {
        const LWSurface* s = surface(*meta, t.key);
        ASSERT_TRUE(s) << t.key;
        EXPECT_EQ(0, surfaceProgramIndex(*s)) << t.key;
        EXPECT_EQ(t.row, fixedFunctionRow(*s, true)) << t.key;
    }
    EXPECT_TRUE(takesSphericalReflection(*surface(*meta, "forge_orb.lwo@Orb")));
    const LW6Scene& forge = *meta->scenes[0];
    ASSERT_EQ(3u, forge.lights.size());
    EXPECT_EQ(LIGHT_DISTANT, forge.lights[0]->lightType);
    EXPECT_EQ(SHADOW_RAYTRACE, forge.lights[0]->shadowType);
    EXPECT_EQ(LIGHT_POINT, forge.lights[1]->lightType);
    EXPECT_EQ(LIGHT_POINT, forge.lights[2]->lightType);
}

// The storm: the rain's emitter under gravity, an attractor and two
// colliders; the smoke's drawn from the volume texture; the stars a point
// cloud; the cameras with two eyes. The pause after it is a binary
// metascene.
TEST(ShowContent, TheStormHasEveryEffectorKindAndStereoCameras) {
    MessageRecorder messages;
    std::unique_ptr<MetaScene> meta = loadShow("storm.txt");
    ASSERT_TRUE(meta);
    EXPECT_EQ(0u, messages.count());
    const LW6Scene& storm = *meta->scenes[0];
    ASSERT_EQ(2u, storm.fxEmitter.size());
    int collisions = 0, attractors = 0, winds = 0, gravities = 0;
    for (const FxEffector* e : storm.fxEffector) {
        ASSERT_TRUE(e);
        if (e->kind == EFFECTOR_COLLISION) ++collisions;
        else if (e->values[4] == 3) ++attractors;
        else if (e->kind == EFFECTOR_WIND) ++winds;
        else ++gravities;
    }
    EXPECT_EQ(2, collisions);
    EXPECT_EQ(1, attractors);
    EXPECT_EQ(1, winds);
    EXPECT_EQ(1, gravities);
    int sprites = 0, volumes = 0;
    for (const LWObject* o : storm.objects)
        if (o->volumetric) (o->volumetric->kind == 2 ? volumes : sprites) += 1;
    EXPECT_EQ(1, sprites);
    EXPECT_EQ(1, volumes);
    const LoadedLayer* stars = firstLayer(*meta, "storm_stars.lwo");
    ASSERT_TRUE(stars);
    EXPECT_EQ(LAYER_POINT_CLOUD, stars->kind);
    EXPECT_EQ(1500, stars->numPositions);
    ASSERT_EQ(2u, storm.cameras.size());
    for (const LWCamera* c : storm.cameras) EXPECT_GT(c->eyeSeparation, 0.1f);

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(NL_SHOW_CONTENT);
    DiskFile disk;
    std::unique_ptr<MetaScene> pause = loadBinaryMetascene(nullptr, &disk, "interlude.kpx");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(pause);
    EXPECT_TRUE(pause->scenes.empty());
}

} // namespace
