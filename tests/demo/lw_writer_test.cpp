// Objects written by the project's LWO2 writer and read back through the
// player's own loader: what comes out must be what was written, and the
// loader must have nothing to complain about.

#include "app/device_context_base.h"
#include "base/message_box.h"
#include "images/procedural_texture.h"
#include "images/texture.h"
#include "lightwave/surface.h"
#include "lightwave/wrap_mode.h"
#include "lw_writer_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using namespace lwtest;

constexpr double kPi = 3.14159265358979323846;

// The chunks of an LWO2 file by their own lengths, read without the loader.
std::vector<std::pair<std::string, std::vector<uint8_t>>> chunksOf(const std::vector<uint8_t>& d) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    size_t p = 12;
    while (p + 8 <= d.size()) {
        const uint32_t n = uint32_t(d[p + 4]) << 24 | uint32_t(d[p + 5]) << 16 |
                           uint32_t(d[p + 6]) << 8 | d[p + 7];
        chunks.emplace_back(
            std::string(d.begin() + long(p), d.begin() + long(p) + 4),
            std::vector<uint8_t>(d.begin() + long(p) + 8, d.begin() + long(p + 8 + n)));
        p += 8 + n;
    }
    return chunks;
}

float floatAt(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t v =
        uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

TEST(LwoWriter, LayersPointsPolygonsAndSurfaceTags) {
    MessageRecorder messages;
    lwo::Object o;
    o.surfaces = {named("Hull"), named("Fins")};
    lwo::Layer body = squareLayer();
    body.number = 0;
    body.name = "body";
    body.pivot = {1, 2, 3};
    body.polygons[1].surface = 1;
    lwo::Layer cloud;
    cloud.number = 2;
    cloud.name = "cloud";
    cloud.points = {{5, 6, 7}, {8, 9, 10}, {-1, -2, -3}};
    for (uint32_t i = 0; i < 3; ++i) cloud.polygons.push_back({{i}, 1});
    o.layers = {body, cloud};

    Stage stage;
    MetaMesh* mesh = stage.load("ship.lwo", o);
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(3u, mesh->layer.size());
    EXPECT_EQ(nullptr, mesh->layer[1]); // no layer 1 was written
    LoadedLayer* first = loaded(mesh, 0);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(LAYER_POLYGON_MESH, first->kind);
    EXPECT_EQ(4, first->numPositions);
    EXPECT_EQ(std::vector<float>({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}), first->positions);
    ASSERT_EQ(2u, first->polygons.size());
    EXPECT_EQ(2, first->numFaces);
    EXPECT_EQ(std::vector<uint32_t>({0, 2, 3}), first->polygons[1].vertices);
    EXPECT_EQ(0, first->polygons[0].srfId);
    EXPECT_EQ(1, first->polygons[1].srfId);
    LoadedLayer* points = loaded(mesh, 2);
    ASSERT_NE(nullptr, points);
    EXPECT_EQ(LAYER_POINT_CLOUD, points->kind);
    EXPECT_FLOAT_EQ(-3.0f, points->positions[8]);
    ASSERT_EQ(2, mesh->numTags);
    EXPECT_EQ("ship.lwo@Fins", mesh->srfs[1]->name);
    EXPECT_TRUE(mesh->srfs[1]->loaded);

    // The player passes over the layer's pivot and name; the file holds them.
    std::vector<std::vector<uint8_t>> layrs;
    for (const auto& c : chunksOf(lwo::write(o)))
        if (c.first == "LAYR") layrs.push_back(c.second);
    ASSERT_EQ(2u, layrs.size());
    EXPECT_FLOAT_EQ(2.0f, floatAt(layrs[0], 8));
    EXPECT_EQ("body", std::string(reinterpret_cast<const char*>(&layrs[0][16])));
    EXPECT_EQ(2, layrs[1][1]);
    EXPECT_EQ("cloud", std::string(reinterpret_cast<const char*>(&layrs[1][16])));
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, IndicesBeyondTwoBytesTakeFour) {
    MessageRecorder messages;
    lwo::Object o;
    o.surfaces = {named("Far")};
    o.clips = {"far.tga"};
    lwo::Layer l;
    for (uint32_t i = 0; i < 0xFF10; ++i) l.points.push_back({float(i), 0, 0});
    l.polygons = {{{0xFF05, 0xFF06, 0xFF07}, 0}, {{0, 1, 0xFF0F}, 0}};
    lwo::UVMap uv;
    uv.name = "far";
    uv.entries = {{0xFF06, 0.25f, 0.75f}, {1, 0.5f, 0.5f}};
    uv.discontinuous = {{0xFF07, 0, 0.125f, 0.375f}};
    l.uvMaps = {uv};
    o.layers = {l};
    lwo::TextureLayer t;
    t.projection = lwo::PROJECT_UV;
    t.uvMap = "far";
    t.clip = 1;
    o.surfaces[0].layers = {t};

    Stage stage;
    MetaMesh* mesh = stage.load("far.lwo", o);
    ASSERT_NE(nullptr, loaded(mesh, 0));
    const auto& polygons = loaded(mesh, 0)->polygons;
    ASSERT_EQ(2u, polygons.size());
    EXPECT_EQ(std::vector<uint32_t>({0xFF05, 0xFF06, 0xFF07}), polygons[0].vertices);
    EXPECT_EQ(std::vector<uint32_t>({0, 1, 0xFF0F}), polygons[1].vertices);
    LWUVMap* map = mesh->srfs[0]->textureLayers[0]->layerUVMaps[0];
    ASSERT_NE(nullptr, map);
    EXPECT_FLOAT_EQ(0.75f, map->v[0xFF06]);
    EXPECT_FLOAT_EQ(0.5f, map->u[1]);
    ASSERT_EQ(1u, map->vmadPoint.size());
    EXPECT_EQ(0xFF07, map->vmadPoint[0]);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, UvColourAndMorphMapsWithSeams) {
    MessageRecorder messages;
    lwo::Object o;
    o.clips = {"skin.tga"};
    lwo::Layer l = squareLayer();
    l.polygons[1].surface = 1;
    lwo::UVMap uv;
    uv.name = "paint uv";
    uv.entries = {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {3, 0, 1}};
    uv.discontinuous = {{2, 1, 0.9f, 0.1f}};
    lwo::ColourMap tint;
    tint.name = "tint";
    tint.entries = {{1, {0.1f, 0.2f, 0.3f, 0.5f}}, {3, {0.4f, 0.5f, 0.6f, 0.5f}}};
    lwo::ColourMap glow;
    glow.name = "glow";
    glow.alpha = true;
    glow.entries = {{2, {1, 0.5f, 0.25f, 0.125f}}};
    lwo::MorphMap bulge;
    bulge.name = "bulge";
    bulge.entries = {{0, {0.5f, -0.5f, 2}}};
    l.uvMaps = {uv};
    l.colourMaps = {tint, glow};
    l.morphMaps = {bulge};
    o.layers = {l};
    lwo::Surface skin = named("Skin");
    skin.vertexColours = "glow";
    lwo::TextureLayer picture;
    picture.projection = lwo::PROJECT_UV;
    picture.uvMap = "paint uv";
    picture.clip = 1;
    skin.layers = {picture};
    lwo::Surface shell = named("Shell");
    shell.vertexColours = "tint";
    o.surfaces = {skin, shell};

    Stage stage;
    LwoReport report;
    MetaMesh* mesh = stage.load("maps.lwo", o, &report);
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(4u, report.vertexMaps.size());
    const std::pair<std::string, int> expected[] = {
        {"TXUV paint uv", 4}, {"RGB  tint", 2}, {"RGBA glow", 1}, {"MORF bulge", 1}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(0, report.vertexMaps[i].layer);
        EXPECT_EQ(expected[i].first, report.vertexMaps[i].type + " " + report.vertexMaps[i].name);
        EXPECT_EQ(expected[i].second, report.vertexMaps[i].entries);
    }
    LWSurface* s = mesh->srfs[0];
    ASSERT_EQ(1u, s->textureLayers.size());
    ASSERT_EQ(1u, s->textureLayers[0]->layerUVMaps.size());
    LWUVMap* map = s->textureLayers[0]->layerUVMaps[0];
    EXPECT_EQ("paint uv", map->name);
    EXPECT_FLOAT_EQ(1.0f, map->u[2]);
    EXPECT_FLOAT_EQ(1.0f, map->v[3]);
    ASSERT_EQ(1u, map->vmadPoint.size());
    EXPECT_EQ(2, map->vmadPoint[0]);
    EXPECT_EQ(1, map->vmadPolygon[0]);
    EXPECT_FLOAT_EQ(0.9f, map->vmadU[0]);
    EXPECT_FLOAT_EQ(0.1f, map->vmadV[0]);
    ASSERT_EQ(1u, s->vertexColorMaps.size());
    const std::vector<float>& rgba = s->vertexColorMaps[0]->rgba;
    EXPECT_EQ(std::vector<float>({1, 0.5f, 0.25f, 0.125f}),
              std::vector<float>(rgba.begin() + 8, rgba.begin() + 12));
    const std::vector<float>& rgb = mesh->srfs[1]->vertexColorMaps[0]->rgba;
    EXPECT_EQ(std::vector<float>({0.4f, 0.5f, 0.6f, 1}), // RGB maps: alpha 1
              std::vector<float>(rgb.begin() + 12, rgb.begin() + 16));
    ASSERT_EQ(1u, loaded(mesh, 0)->morphMaps.size());
    const std::vector<float>& offsets = loaded(mesh, 0)->morphMaps[0]->offsets;
    EXPECT_EQ(std::vector<float>({0.5f, -0.5f, 2}),
              std::vector<float>(offsets.begin(), offsets.begin() + 3));
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, SurfaceValuesFollowTheirEnvelopes) {
    MessageRecorder messages;
    lwo::Object o;
    o.layers = {squareLayer()};
    o.clips = {"sky.tga"};
    lwo::Surface paint = named("Paint");
    paint.colour = {0.2f, 0.5f, 0.9f};
    // Red, green and blue in a row.
    paint.colourEnvelope = lwo::addEnvelope(o, envelope({key(0, 0.2f), key(2, 1)}));
    lwo::addEnvelope(o, envelope({key(0, 0.5f), key(1, 0.7f, lw::Span::Stepped)}));
    lwo::addEnvelope(o, envelope({eased(0, 0), eased(1, 1)}));
    lwo::Envelope pulse = envelope({key(0, 0.25f), key(1, 0.75f), key(3, 0.5f)},
                                   lw::Behaviour::Repeat, lw::Behaviour::Oscillate);
    pulse.name = "pulse";
    pulse.type = 0x0302;
    paint.diffuse = {0.6f, lwo::addEnvelope(o, pulse)};
    paint.luminosity = 0.1f;
    paint.specularity = 0.3f;
    paint.glossiness = 0.7f;
    paint.reflection = 0.25f;
    paint.transparency = {0.4f, paint.diffuse.envelope};
    paint.additiveTransparency = 0.15f;
    paint.refractiveIndex = 1.3f;
    paint.colourFilter = 0.2f;
    paint.bump = 0.5f;
    paint.colourHighlights = 1;
    paint.doubleSided = true;
    paint.smoothingAngle = 30;
    paint.reflectionOptions = 2;
    paint.reflectionImage = 1;
    o.surfaces = {paint, named("Plain")};

    Stage stage;
    LwoReport report;
    MetaMesh* mesh = stage.load("paint.lwo", o, &report);
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(4u, report.envelopes.size());
    EXPECT_EQ("pulse", report.envelopes[3].name);
    EXPECT_EQ(3, report.envelopes[3].keys);
    LWSurface* s = mesh->srfs[0];
    EXPECT_FLOAT_EQ(0.5f, s->color[1].value);
    ASSERT_NE(nullptr, s->color[0].envelope);
    ASSERT_NE(nullptr, s->color[1].envelope);
    ASSERT_NE(nullptr, s->color[2].envelope);
    EXPECT_NEAR(0.6, s->color[0].evaluate(1), 1e-6);   // halfway along a linear span
    EXPECT_NEAR(0.5, s->color[1].evaluate(0.9), 1e-6); // a stepped span holds its start
    EXPECT_NEAR(0.7, s->color[1].evaluate(1.5), 1e-6);
    // Tension 1 eases in and out: a quarter of the way is 3/16 - 2/64 up.
    EXPECT_NEAR(0.15625, s->color[2].evaluate(0.25), 1e-6);
    ASSERT_NE(nullptr, s->diffuse.envelope);
    LWEnvelope& d = *s->diffuse.envelope;
    EXPECT_EQ(BEHAVIOR_REPEAT, d.preBehavior);
    EXPECT_EQ(BEHAVIOR_OSCILLATE, d.postBehavior);
    EXPECT_EQ("pulse", d.name);
    EXPECT_EQ(0x0302, d.type);
    EXPECT_NEAR(0.5, d.evaluate(0.5), 1e-6);
    EXPECT_NEAR(d.evaluate(2.5), d.evaluate(3.5), 1e-6);  // mirrored after the end
    EXPECT_NEAR(d.evaluate(0.5), d.evaluate(-2.5), 1e-6); // repeated before the start
    EXPECT_NE(nullptr, s->transparency.envelope);         // its own copy of the same envelope
    EXPECT_NE(s->diffuse.envelope, s->transparency.envelope);
    EXPECT_FLOAT_EQ(0.1f, s->luminosity.value);
    EXPECT_FLOAT_EQ(0.3f, s->specularity.value);
    EXPECT_FLOAT_EQ(0.7f, s->glossiness.value);
    EXPECT_FLOAT_EQ(0.25f, s->reflection.value);
    EXPECT_FLOAT_EQ(0.15f, s->additiveTransparency.value);
    EXPECT_FLOAT_EQ(1.3f, s->refractiveIndex.value);
    EXPECT_FLOAT_EQ(0.2f, s->colorFilter.value);
    EXPECT_FLOAT_EQ(0.5f, s->bump.value);
    EXPECT_TRUE(s->colorHighlights);
    EXPECT_TRUE(s->doubleSided);
    EXPECT_TRUE(s->smoothing);
    EXPECT_NEAR(std::cos(30 * kPi / 180) - 1e-6, s->cosMaxSmoothAngle, 1e-6);
    EXPECT_EQ(2, s->reflectionOptions);
    ASSERT_NE(nullptr, s->reflectionImage);
    EXPECT_EQ("sky.tga", s->reflectionImage->name);
    EXPECT_TRUE(s->transparent);
    EXPECT_TRUE(loaded(mesh, 0)->hasTransparency);

    // Left at its defaults, a surface reads as one that wrote nothing more.
    LWSurface* plain = mesh->srfs[1];
    EXPECT_FLOAT_EQ(0.8f, plain->color[2].value);
    EXPECT_FLOAT_EQ(1.0f, plain->diffuse.value);
    EXPECT_FLOAT_EQ(0.4f, plain->glossiness.value);
    EXPECT_FLOAT_EQ(1.0f, plain->bump.value);
    EXPECT_FLOAT_EQ(0.0f, plain->specularity.value);
    EXPECT_EQ(nullptr, plain->diffuse.envelope);
    EXPECT_FALSE(plain->transparent);
    EXPECT_FALSE(plain->doubleSided);
    EXPECT_FALSE(plain->smoothing);
    EXPECT_FALSE(plain->colorHighlights);
    EXPECT_EQ(1, plain->reflectionOptions);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, ImageLayersKeepProjectionPlacementAndWrapping) {
    MessageRecorder messages;
    lwo::Object o;
    o.layers = {squareLayer()};
    lwo::UVMap uv;
    uv.name = "uv";
    uv.entries = {{0, 0, 0}};
    o.layers[0].uvMaps = {uv};
    o.clips = {"a.tga", "b.tga"};
    const uint32_t slide = lwo::addEnvelope(o, envelope({key(0, 0), key(4, 8)}));
    const uint32_t fade = lwo::addEnvelope(o, envelope({key(0, 1), key(1, 0)}));

    lwo::TextureLayer colour;
    colour.clip = 1;
    colour.axis = 1;
    colour.centre = {1, 2, 3};
    colour.size = {4, 5, 6};
    colour.rotation = {0.1f, 0.2f, 0.3f};
    colour.centreEnvelopes[1] = slide;
    colour.rotationEnvelopes[2] = fade;
    colour.wrapWidth = lwo::WRAP_MIRROR;
    colour.wrapHeight = lwo::WRAP_EDGE;
    colour.opacityType = 2;
    colour.opacity = {0.5f, fade};
    lwo::TextureLayer diffuse;
    diffuse.channel = "DIFF";
    diffuse.clip = 2;
    diffuse.projection = lwo::PROJECT_CYLINDRICAL;
    diffuse.axis = 0;
    diffuse.wrapWidth = lwo::WRAP_RESET;
    diffuse.wrapHeight = lwo::WRAP_RESET;
    diffuse.widthRepeat = 3;
    diffuse.heightRepeat = 2;
    diffuse.enabled = false;
    diffuse.negative = true;
    diffuse.antialiasStrength = 0.5f;
    diffuse.pixelBlending = false;
    lwo::TextureLayer transparency;
    transparency.channel = "TRAN";
    transparency.clip = 2;
    transparency.projection = lwo::PROJECT_UV;
    transparency.uvMap = "uv";
    lwo::TextureLayer bump;
    bump.channel = "BUMP";
    bump.clip = 1;
    bump.projection = lwo::PROJECT_FRONT;
    bump.amplitude = 2.5f;
    lwo::TextureLayer cubic;
    cubic.clip = 1;
    cubic.projection = lwo::PROJECT_CUBIC;
    lwo::TextureLayer sphere;
    sphere.clip = 2;
    sphere.projection = lwo::PROJECT_SPHERICAL;
    sphere.wrapHeight = lwo::WRAP_EDGE;
    lwo::Surface decal = named("Decal");
    decal.bump = 0.8f;
    decal.layers = {colour, diffuse, transparency, bump, cubic, sphere};
    o.surfaces = {decal};

    DeviceContextBase context;
    context.textureAddressCaps = ADDRESS_CAPS_WRAP | ADDRESS_CAPS_MIRROR | ADDRESS_CAPS_CLAMP |
                                 ADDRESS_CAPS_BORDER | ADDRESS_CAPS_INDEPENDENT_UV;
    Stage stage(&context);
    MetaMesh* mesh = stage.load("decal.lwo", o);
    ASSERT_NE(nullptr, mesh);
    const std::vector<LWTextureLayer*>& t = mesh->srfs[0]->textureLayers;
    ASSERT_EQ(6u, t.size());
    const int32_t channels[] = {fourCC("COLR"), fourCC("DIFF"), fourCC("TRAN"),
                                fourCC("BUMP"), fourCC("COLR"), fourCC("COLR")};
    const int32_t projections[] = {MAP_PLANAR, MAP_CYLINDRICAL, MAP_UV,
                                   MAP_FRONT,  MAP_CUBIC,       MAP_SPHERICAL};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(fourCC("IMAP"), t[i]->type) << i;
        EXPECT_EQ(channels[i], t[i]->channel) << i;
        EXPECT_EQ(projections[i], t[i]->maptype) << i;
        ASSERT_NE(nullptr, t[i]->texture) << i;
    }

    EXPECT_EQ("a.tga", t[0]->texture->name);
    EXPECT_EQ(1, t[0]->axis);
    EXPECT_FLOAT_EQ(3.0f, t[0]->center[2].value);
    EXPECT_FLOAT_EQ(5.0f, t[0]->size[1].value);
    EXPECT_FLOAT_EQ(0.3f, t[0]->rotation[2].value);
    EXPECT_EQ(nullptr, t[0]->center[0].envelope);
    ASSERT_NE(nullptr, t[0]->center[1].envelope);
    EXPECT_NEAR(2.0, t[0]->center[1].evaluate(1), 1e-6);
    ASSERT_NE(nullptr, t[0]->rotation[2].envelope);
    EXPECT_NEAR(0.75, t[0]->rotation[2].evaluate(0.25), 1e-6);
    EXPECT_EQ(nullptr, t[0]->size[0].envelope);
    EXPECT_EQ(ADDRESS_MIRROR, t[0]->addressU);
    EXPECT_EQ(ADDRESS_CLAMP, t[0]->addressV);
    EXPECT_EQ(2, t[0]->opacityType);
    EXPECT_FLOAT_EQ(0.5f, t[0]->opacity.value);
    ASSERT_NE(nullptr, t[0]->opacity.envelope);
    EXPECT_NEAR(0.5, t[0]->opacity.evaluate(0.5), 1e-6);
    EXPECT_TRUE(t[0]->enabled);
    EXPECT_FALSE(t[0]->negative);
    EXPECT_TRUE(t[0]->pixelBlending);
    EXPECT_FLOAT_EQ(1.0f, t[0]->widthRepeat);

    EXPECT_EQ("b.tga", t[1]->texture->name);
    EXPECT_EQ(0, t[1]->axis);
    EXPECT_EQ(ADDRESS_WRAP, t[1]->addressU); // cylindrical: wraps around
    EXPECT_EQ(ADDRESS_BORDER, t[1]->addressV);
    EXPECT_FLOAT_EQ(3.0f, t[1]->widthRepeat);
    EXPECT_FLOAT_EQ(2.0f, t[1]->heightRepeat);
    EXPECT_FALSE(t[1]->enabled);
    EXPECT_TRUE(t[1]->negative);
    EXPECT_FLOAT_EQ(0.5f, t[1]->antialiasStrength);
    EXPECT_FALSE(t[1]->pixelBlending);

    ASSERT_EQ(1u, t[2]->layerUVMaps.size());
    ASSERT_NE(nullptr, t[2]->layerUVMaps[0]);
    EXPECT_EQ("uv", t[2]->layerUVMaps[0]->name);
    EXPECT_TRUE(t[2]->texture->flags & TEXTURE_ALPHA_FROM_INTENSITY);

    EXPECT_FLOAT_EQ(2.5f, t[3]->amplitude.value);
    EXPECT_FLOAT_EQ(2.5f * 0.8f, t[3]->texture->bumpAmplitude);
    EXPECT_TRUE(t[3]->texture->flags & TEXTURE_NORMAL_MAP);
    EXPECT_EQ(ADDRESS_WRAP, t[5]->addressU); // spherical: wraps both ways
    EXPECT_EQ(ADDRESS_WRAP, t[5]->addressV);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, ProceduralAndGradientLayers) {
    MessageRecorder messages;
    lwo::Object o;
    o.layers = {squareLayer()};
    lwo::TextureLayer noise;
    noise.kind = lwo::TextureKind::Procedural;
    noise.procedure = "Turbulence";
    noise.parameters = {0, 1, 2, 3, 4};
    noise.size = {0.5f, 0.5f, 0.5f};
    noise.axis = 0;
    lwo::TextureLayer ramp;
    ramp.kind = lwo::TextureKind::Gradient;
    ramp.channel = "TRAN";
    ramp.gradientInput = lwo::INPUT_SLOPE;
    ramp.gradientStart = -1;
    ramp.gradientEnd = 3;
    ramp.gradientKeys = {{0, {1, 0, 0, 1}, 0}, {0.5f, {0, 1, 0, 0.5f}, 2}, {1, {0, 0, 1, 1}, 1}};
    lwo::TextureLayer crumple = noise;
    crumple.procedure = "Crumple";
    crumple.channel = "BUMP";
    crumple.amplitude = 0.75f;
    lwo::Surface s = named("Rough");
    s.layers = {noise, ramp, crumple};
    o.surfaces = {s};

    Stage stage;
    MetaMesh* mesh = stage.load("rough.lwo", o);
    ASSERT_NE(nullptr, mesh);
    const std::vector<LWTextureLayer*>& t = mesh->srfs[0]->textureLayers;
    ASSERT_EQ(3u, t.size());
    EXPECT_EQ(fourCC("PROC"), t[0]->type);
    EXPECT_EQ("Turbulence", t[0]->procName);
    // The parameters, padded to an even length as every sub-chunk is.
    EXPECT_EQ(std::vector<uint8_t>({0, 1, 2, 3, 4, 0}), t[0]->procData);
    EXPECT_EQ(MAP_PROCEDURAL, t[0]->maptype);
    EXPECT_EQ(0, t[0]->axis);
    EXPECT_FLOAT_EQ(0.5f, t[0]->size[2].value);
    EXPECT_NE(nullptr, dynamic_cast<ProceduralTexture*>(t[0]->texture));

    EXPECT_EQ(fourCC("GRAD"), t[1]->type);
    EXPECT_EQ(fourCC("TRAN"), t[1]->channel);
    EXPECT_EQ(2, t[1]->gradientInput);
    EXPECT_FLOAT_EQ(-1.0f, t[1]->gradientStart);
    EXPECT_FLOAT_EQ(3.0f, t[1]->gradientEnd);
    ASSERT_EQ(3u, t[1]->gradientKeys.size());
    EXPECT_FLOAT_EQ(0.5f, t[1]->gradientKeys[1].input);
    EXPECT_FLOAT_EQ(0.5f, t[1]->gradientKeys[1].alpha);
    EXPECT_FLOAT_EQ(1.0f, t[1]->gradientKeys[2].b);
    EXPECT_EQ(2, t[1]->gradientKeys[1].interpolation);
    EXPECT_EQ(1, t[1]->gradientKeys[2].interpolation);
    ASSERT_NE(nullptr, t[1]->gradient[1]);
    EXPECT_EQ(SHAPE_LINEAR, t[1]->gradient[1]->keys[0].shape);
    EXPECT_EQ(SHAPE_STEPPED, t[1]->gradient[1]->keys[1].shape);
    EXPECT_EQ(SHAPE_TCB, t[1]->gradient[1]->keys[2].shape);
    EXPECT_NE(nullptr, dynamic_cast<GradientTexture*>(t[1]->texture));

    EXPECT_EQ("Crumple", t[2]->procName);
    EXPECT_FLOAT_EQ(0.75f, t[2]->texture->bumpAmplitude); // the surface's bump is 1
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoWriter, StillAndSequenceClips) {
    MessageRecorder messages;
    lwo::Object o;
    o.layers = {squareLayer()};
    o.surfaces = {named("Screen")};
    lwo::Clip still("pic.tga");
    still.alphaMode = 1;
    lwo::Clip film;
    film.sequencePrefix = "film/f";
    film.sequenceSuffix = ".tga";
    film.digits = 3;
    film.firstFrame = 8;
    film.lastFrame = 10;
    film.frameOffset = 1;
    film.frameRate = 12.5f;
    o.clips = {still, film};
    o.surfaces[0].layers.resize(1);
    o.surfaces[0].layers[0].clip = 2;

    Stage stage;
    stage.scene->framesPerSecond = 25;
    LwoReport report;
    MetaMesh* mesh = stage.load("film.lwo", o, &report);
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(2u, report.clips.size());
    EXPECT_EQ(1, report.clips[0].index);
    EXPECT_EQ("pic.tga", report.clips[0].name);
    EXPECT_EQ(2, report.clips[1].index);
    Texture* picture = stage.meta.findTexture("pic.tga", 3);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(1, picture->alphaMode);
    auto* sequence = dynamic_cast<SequenceTexture*>(mesh->srfs[0]->textureLayers[0]->texture);
    ASSERT_NE(nullptr, sequence);
    EXPECT_EQ("film/f", sequence->name);
    EXPECT_EQ(8, sequence->firstFrame);
    EXPECT_EQ(10, sequence->lastFrame);
    EXPECT_EQ(1, sequence->frameOffset);
    EXPECT_FLOAT_EQ(12.5f, sequence->frameRate);
    ASSERT_EQ(3u, sequence->frames.size());
    EXPECT_EQ("film/f008.tga", sequence->frames[0]->name);
    EXPECT_EQ("film/f010.tga", sequence->frames[2]->name);
    EXPECT_EQ(30.0, stage.scene->framesPerSecond); // a sequence sets the scene's rate
    EXPECT_EQ(0u, messages.count());
}

} // namespace
