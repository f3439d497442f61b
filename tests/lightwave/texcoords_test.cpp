#include "base/message_box.h"
#include "images/texture.h"
#include "lightwave/mesh_data.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A surface owning its layers, each with a texture of its own.
struct TestSurface {
    LWSurface surface;
    std::vector<std::unique_ptr<Texture>> textures;
    LWTextureLayer* add(const char* channel, bool enabled = true, bool textured = true) {
        auto* t = new LWTextureLayer;
        t->channel = fourCC(*reinterpret_cast<const char(*)[5]>(channel));
        t->enabled = enabled;
        if (textured) {
            textures.push_back(std::make_unique<Texture>(nullptr));
            t->texture = textures.back().get();
        }
        surface.textureLayers.push_back(t);
        return t;
    }
};

TEST(AssignTexcoords, ColourDiffuseTransparencyAndBump) {
    TestSurface a;
    LWTextureLayer* colour = a.add("COLR");
    LWTextureLayer* diffuse = a.add("DIFF");
    assignTexcoords(a.surface);
    EXPECT_EQ(colour, a.surface.texcoord[0]);
    EXPECT_EQ(diffuse, a.surface.texcoord[1]);
    EXPECT_EQ(2, a.surface.numTexcoords);

    TestSurface onlyTran;
    LWTextureLayer* tran = onlyTran.add("TRAN");
    assignTexcoords(onlyTran.surface);
    EXPECT_EQ(tran, onlyTran.surface.texcoord[0]);
    EXPECT_EQ(1, onlyTran.surface.numTexcoords);

    TestSurface disabled;
    disabled.add("COLR", false);
    LWTextureLayer* d = disabled.add("DIFF");
    disabled.add("SPEC", true, false); // no texture: removed too
    assignTexcoords(disabled.surface);
    EXPECT_EQ(1u, disabled.surface.textureLayers.size());
    EXPECT_EQ(nullptr, disabled.surface.texcoord[0]);
    EXPECT_EQ(d, disabled.surface.texcoord[1]);
    EXPECT_EQ(2, disabled.surface.numTexcoords);

    TestSurface translucent;
    LWTextureLayer* c = translucent.add("COLR");
    translucent.add("TRNL");
    LWTextureLayer* bump = translucent.add("BUMP");
    assignTexcoords(translucent.surface);
    EXPECT_EQ(c, translucent.surface.texcoord[0]);
    EXPECT_EQ(bump, translucent.surface.texcoord[1]);
    EXPECT_EQ(2, translucent.surface.materialMode);

    TestSurface three;
    three.add("COLR");
    three.add("DIFF");
    LWTextureLayer* t3 = three.add("TRAN");
    assignTexcoords(three.surface);
    EXPECT_EQ(t3, three.surface.texcoord[1]);
    EXPECT_EQ(2, three.surface.numTexcoords);

    TestSurface twoColours;
    twoColours.add("COLR");
    LWTextureLayer* second = twoColours.add("COLR");
    assignTexcoords(twoColours.surface);
    EXPECT_EQ(second, twoColours.surface.texcoord[1]);
    EXPECT_EQ(second, findLayer(twoColours.surface, 2, fourCC("COLR")));
    EXPECT_EQ(nullptr, findLayer(twoColours.surface, 3, fourCC("COLR")));
}

LWPolygon polygon(std::vector<uint32_t> v) {
    LWPolygon p;
    p.numVertices = int(v.size());
    p.vertices = std::move(v);
    return p;
}

struct Projection {
    TestSurface s;
    LWTextureLayer* layer;
    explicit Projection(int maptype, int axis) {
        layer = s.add("COLR");
        layer->maptype = maptype;
        layer->axis = axis;
        assignTexcoords(s.surface);
    }
    std::vector<TexcoordCorner> corners(const std::vector<float>& positions,
                                        std::vector<uint32_t> indices, bool seam = true) {
        LWPolygon p = polygon(indices);
        std::vector<TexcoordCorner> out(indices.size());
        generateTexcoords(s.surface, 0, p, 0, positions.data(), int(positions.size() / 3), 0, seam,
                          out.data());
        return out;
    }
};

TEST(GenerateTexcoords, PlanarOnEachAxis) {
    const std::vector<float> square = {-0.5f, -0.5f, 0.25f, 0.5f, 0.5f, 0.25f};
    for (int axis = 0; axis < 3; ++axis) {
        Projection pr(MAP_PLANAR, axis);
        const auto c = pr.corners(square, {0, 1});
        const float expectedU0 = axis == 0 ? 0.75f : 0.0f;
        EXPECT_NEAR(expectedU0, c[0].u, 1e-6) << axis;
        EXPECT_NEAR(axis == 1 ? 0.75f : 0.0f, c[0].v, 1e-6) << axis;
        EXPECT_EQ(axis, c[0].marker);
        EXPECT_NEAR(axis == 0 ? 0.75f : 1.0f, c[1].u, 1e-6);
    }
}

TEST(GenerateTexcoords, CylindricalSeamKeepsCornersTogether) {
    Projection pr(MAP_CYLINDRICAL, 1);
    // A square behind the Y axis (negative Z), straddling the back seam.
    const std::vector<float> square = {0.1f, 0, -1, -0.1f, 0, -1, -0.1f, 1, -1, 0.1f, 1, -1};
    const auto c = pr.corners(square, {0, 1, 2, 3});
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_LE(std::fabs(c[size_t(i)].u - c[size_t(j)].u), 0.5f);
    int moved = 0;
    for (const auto& k : c) moved += k.marker != 0;
    EXPECT_GT(moved, 0);
    EXPECT_NEAR(0.5f, c[0].v, 1e-6); // height 0 at the middle of a unit size
    EXPECT_NEAR(1.5f, c[2].v, 1e-6);
}

TEST(GenerateTexcoords, SphericalPoles) {
    Projection pr(MAP_SPHERICAL, 1);
    const auto c = pr.corners({0, 1, 0, 0, -1, 0, 1, 0, 0}, {0, 1, 2});
    EXPECT_NEAR(1.0f, c[0].v, 1e-6);
    EXPECT_NEAR(0.0f, c[1].v, 1e-6);
    EXPECT_NEAR(0.5f, c[2].v, 1e-6);
}

TEST(GenerateTexcoords, UvMapsWithDiscontinuousEntries) {
    Projection pr(MAP_UV, 0);
    auto* map = new LWUVMap("uv");
    map->u = {0.1f, 0.2f, 0.3f};
    map->v = {0.4f, 0.5f, 0.6f};
    map->vmadPoint = {2};
    map->vmadPolygon = {0};
    map->vmadU = {0.9f};
    map->vmadV = {0.8f};
    pr.layer->layerUVMaps.push_back(map);
    const auto c = pr.corners({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    EXPECT_FLOAT_EQ(0.1f, c[0].u);
    EXPECT_FLOAT_EQ(0.5f, c[1].v);
    EXPECT_FLOAT_EQ(0.9f, c[2].u);
    EXPECT_FLOAT_EQ(0.8f, c[2].v);
    EXPECT_EQ(-1, c[2].marker);
    EXPECT_EQ(0, c[0].marker);
}

TEST(GenerateTexcoords, EnvelopedPlacementGivesRawPositions) {
    MessageRecorder messages;
    Projection planar(MAP_PLANAR, 2);
    auto* e = new LWEnvelope(2);
    e->setKey(0, 1, 0, 3, 0, 0, 0);
    e->setKey(1, 2, 1, 3, 0, 0, 0);
    e->finish(1, 1);
    planar.layer->size[0].setEnvelope(e);
    auto c = planar.corners({3, 4, 5}, {0});
    EXPECT_FLOAT_EQ(3, c[0].u);
    EXPECT_FLOAT_EQ(5, c[0].w);
    EXPECT_EQ(0u, messages.count());

    Projection cylinder(MAP_CYLINDRICAL, 1);
    cylinder.layer->center[0].setEnvelope(new LWEnvelope(*e));
    c = cylinder.corners({3, 4, 5}, {0});
    EXPECT_FLOAT_EQ(4, c[0].v);
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("texcoord[b]->maptype == MAP_PLANAR && \"tex coord envelopes are supported only "
              "for planar mapping\"",
              messages.messages()[0].text);
}

TEST(GenerateTexcoords, SetsBeyondTheCountAreZero) {
    Projection pr(MAP_PLANAR, 2);
    LWPolygon p = polygon({0});
    const float pos[3] = {7, 7, 7};
    TexcoordCorner c;
    c.u = 5;
    generateTexcoords(pr.s.surface, 0, p, 0, pos, 1, 1, false, &c);
    EXPECT_EQ(0.0f, c.u);
    EXPECT_EQ(0, c.marker);
}

TEST(LayerTransform, CentreRotationAndSize) {
    LWTextureLayer t;
    t.center[0].value = 1;
    t.size[0].value = 2;
    t.size[1].value = 2;
    t.size[2].value = 2;
    const Matrix4 m = computeTransform(t, 0);
    const float p[3] = {1, 0, 0};
    float q[3];
    transformPoint(m, p, q);
    EXPECT_NEAR(0.5f, q[0], 1e-6); // the centre maps to the middle of the texture
    const float edge[3] = {2, 1, 0};
    transformPoint(m, edge, q);
    EXPECT_NEAR(1.0f, q[0], 1e-6);
    EXPECT_NEAR(1.0f, q[1], 1e-6);
}

} // namespace

namespace {

TEST(GenerateTexcoords, CylindricalAroundXAndZ) {
    // A point a quarter turn around each axis: u is a quarter of the repeat.
    Projection x(MAP_CYLINDRICAL, 0);
    auto c = x.corners({0.25f, 0, 1}, {0}); // around X: u = atan2(z, y) / 2 pi
    EXPECT_NEAR(0.25f, c[0].u, 1e-6);
    EXPECT_NEAR(0.75f, c[0].v, 1e-6); // x / size + 0.5
    Projection z(MAP_CYLINDRICAL, 2);
    c = z.corners({-1, 0, -0.5f}, {0}); // around Z: u = atan2(-x, y) / 2 pi
    EXPECT_NEAR(0.25f, c[0].u, 1e-6);
    EXPECT_NEAR(0.0f, c[0].v, 1e-6);
    z.layer->widthRepeat = 2;
    z.layer->transformValid = 0;
    c = z.corners({-1, 0, 0}, {0});
    EXPECT_NEAR(0.5f, c[0].u, 1e-6);
}

TEST(GenerateTexcoords, CubicProceduralAndFront) {
    Projection cubic(MAP_CUBIC, 1);
    auto c = cubic.corners({0.25f, 7, -0.25f}, {0});
    EXPECT_NEAR(0.75f, c[0].u, 1e-6);
    EXPECT_NEAR(0.25f, c[0].v, 1e-6);
    EXPECT_EQ(1, c[0].marker);
    Projection procedural(MAP_PROCEDURAL, 0);
    c = procedural.corners({1, 2, 3}, {0});
    EXPECT_NEAR(1.5f, c[0].u, 1e-6);
    EXPECT_NEAR(2.5f, c[0].v, 1e-6);
    EXPECT_NEAR(3.5f, c[0].w, 1e-6);
    Projection front(MAP_FRONT, 0);
    c = front.corners({1, 2, 3}, {0});
    EXPECT_EQ(0.0f, c[0].u);
    EXPECT_EQ(0.0f, c[0].w);
    // Point indices beyond the positions read as the origin, never past the array.
    Projection planar(MAP_PLANAR, 2);
    c = planar.corners({1, 1, 1}, {5});
    EXPECT_NEAR(0.5f, c[0].u, 1e-6);
}

} // namespace
