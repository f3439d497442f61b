#include "images/texture.h"
#include "lightwave/mesh_data.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

LW6Scene* addScene(MetaScene& meta, const char* name) {
    auto* s = new LW6Scene(nullptr, &meta);
    s->fileName = name;
    meta.scenes.emplace_back(s);
    return s;
}

TEST(MetaScene, SceneLookupByPrefixIgnoringCase) {
    MetaScene meta(nullptr);
    LW6Scene* tunnel = addScene(meta, "scenes\\Tunnel.lws");
    LW6Scene* tunnel2 = addScene(meta, "scenes\\tunnel2.lws");
    LW6Scene* city = addScene(meta, "scenes\\city.lws");
    EXPECT_EQ(tunnel, meta.findScene("SCENES\\TUN"));
    EXPECT_EQ(tunnel2, meta.findScene("scenes\\tunnel2"));
    EXPECT_EQ(city, meta.findScene("scenes\\c"));
    EXPECT_EQ(tunnel, meta.findScene("")); // the empty name: the first scene
    EXPECT_EQ(nullptr, meta.findScene("scenes\\tunnel.lws.bak"));
    EXPECT_EQ(nullptr, meta.findScene("tunnel"));
}

TEST(MetaScene, SurfacesAndMeshesByExactName) {
    MetaScene meta(nullptr);
    auto* s = new LWSurface;
    s->name = "ship.lwo@Hull";
    meta.surfaces.emplace_back(s);
    auto* m = new MetaMesh;
    m->name = "ship.lwo";
    meta.meshes.emplace_back(m);
    EXPECT_EQ(s, meta.findSurface("ship.lwo@Hull"));
    EXPECT_EQ(nullptr, meta.findSurface("ship.lwo@hull"));
    EXPECT_EQ(nullptr, meta.findSurface("ship.lwo@Hul"));
    EXPECT_EQ(m, meta.findMesh("ship.lwo"));
    EXPECT_EQ(nullptr, meta.findMesh("ship.lw"));
    EXPECT_EQ(nullptr, meta.findMesh("SHIP.lwo"));
}

TEST(MetaScene, TextureLookupIgnoresTheTwoLowBits) {
    MetaScene meta(nullptr);
    auto* t = new ImageTexture(nullptr);
    t->name = "wall.tga";
    t->flags = 3;
    meta.textures.addTexture(t);
    EXPECT_EQ(t, meta.findTexture("wall.tga", 2));
    EXPECT_EQ(3u, t->flags);
    EXPECT_EQ(nullptr, meta.findTexture("wall.tga", 4 | 3)); // a use bit: no match
    t->flags |= 4;
    EXPECT_EQ(t, meta.findTexture("wall.tga", 4));
    EXPECT_EQ(nullptr, meta.findTexture("wall.tga", 3)); // in use: a new clip gets its own
}

TEST(SurfaceDefaults, AsTheModelGivesThem) {
    LWSurface s;
    EXPECT_FLOAT_EQ(1.275f, s.color[0].value);
    EXPECT_FLOAT_EQ(1.0f, s.diffuse.value);
    EXPECT_FLOAT_EQ(0.4f, s.glossiness.value);
    EXPECT_FLOAT_EQ(1.0f, s.bump.value);
    EXPECT_NEAR(std::cos(0.17453292519943295) - 1e-6, s.cosMaxSmoothAngle, 1e-7);
    EXPECT_EQ(1, s.reflectionOptions);
    LWTextureLayer t;
    EXPECT_EQ(-1, t.type);
    EXPECT_EQ(-1, t.maptype);
    EXPECT_FLOAT_EQ(1.0f, t.size[1].value);
    EXPECT_EQ(1, t.addressU);
    EXPECT_TRUE(t.enabled);
}

TEST(VertexMaps, AreReleasedWithTheirLastReference) {
    auto* map = new LWUVMap("uv");
    {
        LWLayerData data;
        data.uvMaps.push_back(map);
        map->addRef(); // a texture layer's
        EXPECT_EQ(2, map->referenceCount());
    }
    EXPECT_EQ(1, map->referenceCount()); // the layer data let go
    map->release();                      // the last: deleted (the sanitizer would see a leak)
}

} // namespace
