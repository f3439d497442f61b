#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "files/disk_file.h"
#include "images/procedural_texture.h"
#include "images/texture.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/wrap_mode.h"
#include "lwo_builder.h"
#include "lwo_stage.h"
#include "meshes/mesh_layers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using Bytes = LwoBuilder::Bytes;
using B = LwoBuilder;

LoadedLayer* loaded(MetaMesh* m, size_t i) {
    return m && i < m->layer.size() ? dynamic_cast<LoadedLayer*>(m->layer[i]) : nullptr;
}

// An independent listing of an LWO2 file's chunks: what each layer holds,
// the tags, the vertex maps with their entry counts, clips, envelopes and
// surface names, read with the format's rules and nothing of the loader.
struct Listing {
    struct Layer {
        int number, points = 0, polygons = 0;
    };
    std::vector<Layer> layers;
    std::vector<std::string> tags, surfaces;
    std::vector<std::tuple<int, std::string, std::string, int>> maps; // layer, type, name, entries
    int clips = 0, envelopes = 0;
};

uint32_t be(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

Listing list(const std::vector<uint8_t>& d) {
    Listing l;
    size_t pos = 12;
    auto str = [&](size_t& p, size_t end) {
        std::string s;
        while (p < end && d[p]) s += char(d[p++]);
        p += 1;
        if (p % 2) ++p; // strings are padded to even offsets in these files
        return s;
    };
    auto vx = [&](size_t& p) {
        if (d[p] == 0xFF) {
            p += 4;
            return be(&d[p - 3], 3);
        }
        p += 2;
        return be(&d[p - 2], 2);
    };
    while (pos + 8 <= d.size()) {
        const std::string id(reinterpret_cast<const char*>(&d[pos]), 4);
        const uint32_t len = be(&d[pos + 4], 4);
        const size_t body = pos + 8, end = body + len;
        if (id == "LAYR") l.layers.push_back({int(be(&d[body], 2))});
        if (id == "PNTS") l.layers.back().points = int(len / 12);
        if (id == "POLS") {
            size_t p = body + 4;
            int n = 0;
            while (p < end) {
                const uint32_t count = be(&d[p], 2);
                p += 2;
                for (uint32_t i = 0; i < count; ++i) vx(p);
                ++n;
            }
            l.layers.back().polygons = n;
        }
        if (id == "TAGS") {
            size_t p = body;
            while (p < end) l.tags.push_back(str(p, end));
        }
        if (id == "VMAP") {
            const std::string type(reinterpret_cast<const char*>(&d[body]), 4);
            const uint32_t dim = be(&d[body + 4], 2);
            size_t p = body + 6;
            const std::string name = str(p, end);
            int entries = 0;
            while (p < end) {
                vx(p);
                p += 4 * dim;
                ++entries;
            }
            if (type == "TXUV" || type == "RGB " || type == "RGBA" || type == "MORF")
                l.maps.emplace_back(l.layers.back().number, type, name, entries);
        }
        if (id == "CLIP") ++l.clips;
        if (id == "ENVL") ++l.envelopes;
        if (id == "SURF") {
            size_t p = body;
            l.surfaces.push_back(str(p, end));
        }
        pos = end + (len & 1);
    }
    return l;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

std::vector<std::string> testObjects() {
    std::vector<std::string> files;
    const std::string root = NL_TESTDATA_DIR;
    for (const char* dir : {"/lwo2", "/lws/quickdraw/LWO/LWO2/LWSReferences", "/lws/move_x"})
        for (const auto& e : std::filesystem::directory_iterator(root + dir))
            if (e.path().extension() == ".lwo" && e.path().filename() != "QuickDraw--Laserbeam.lwo")
                files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(LwoLoader, EveryTestObjectMatchesAnIndependentListing) {
    const auto files = testObjects();
    ASSERT_GE(files.size(), 25u);
    for (const std::string& path : files) {
        MessageRecorder messages;
        std::ostringstream log;
        DiagLogRedirect redirect(log);
        Stage stage;
        const auto bytes = readFile(path);
        LwoReport report;
        MetaMesh* mesh = stage.load("obj.lwo", bytes, &report);
        ASSERT_NE(nullptr, mesh) << path;
        const Listing l = list(bytes);
        int highest = -1;
        for (const auto& layer : l.layers) highest = std::max(highest, layer.number);
        EXPECT_EQ(size_t(highest + 1), mesh->layer.size()) << path;
        for (const auto& layer : l.layers) {
            LoadedLayer* built = loaded(mesh, size_t(layer.number));
            if (layer.polygons == 0) continue;
            ASSERT_NE(nullptr, built) << path << " layer " << layer.number;
            EXPECT_EQ(layer.points, built->numPositions) << path;
            EXPECT_EQ(size_t(layer.polygons), built->polygons.size()) << path;
            EXPECT_EQ("obj.lwo:" + std::to_string(layer.number + 1), built->name);
        }
        EXPECT_EQ(int(l.tags.size()), mesh->numTags) << path;
        for (size_t t = 0; t < l.tags.size(); ++t)
            EXPECT_EQ("obj.lwo@" + l.tags[t], mesh->srfs[t]->name) << path;
        for (const std::string& s : l.surfaces) {
            LWSurface* surface = stage.meta.findSurface(("obj.lwo@" + s).c_str());
            ASSERT_NE(nullptr, surface) << path << " " << s;
            EXPECT_TRUE(surface->loaded);
        }
        ASSERT_EQ(l.maps.size(), report.vertexMaps.size()) << path;
        for (size_t m = 0; m < l.maps.size(); ++m) {
            EXPECT_EQ(std::get<0>(l.maps[m]), report.vertexMaps[m].layer);
            EXPECT_EQ(std::get<1>(l.maps[m]), report.vertexMaps[m].type);
            EXPECT_EQ(std::get<2>(l.maps[m]), report.vertexMaps[m].name);
            EXPECT_EQ(std::get<3>(l.maps[m]), report.vertexMaps[m].entries);
        }
        EXPECT_EQ(l.clips, int(report.clips.size())) << path;
        EXPECT_EQ(l.envelopes, int(report.envelopes.size())) << path;
        EXPECT_EQ(0u, messages.count()) << path << ": " << messages.messages()[0].text;
    }
}

TEST(LwoLoader, OtherFormsAreRefused) {
    MessageRecorder messages;
    Stage stage;
    EXPECT_EQ(nullptr, stage.load("old.lwo", readFile(std::string(NL_TESTDATA_DIR) +
                                                      "/lwo2/negative/LWOB_ConcavePolygon.lwo")));
    EXPECT_EQ(nullptr, stage.load("tiny.lwo", {'F', 'O', 'R', 'M'}));
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("0 && \"not an LWO2 file!!!\"", messages.messages()[0].text);
}

LwoBuilder oneQuad() {
    LwoBuilder b;
    b.tags({"Hull"});
    b.layer(0);
    b.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2, 3}, {0, 1, 2}});
    return b;
}

TEST(LwoLoader, LayerKindsAndProgressiveMeshes) {
    MessageRecorder messages;
    Stage stage;
    MetaMesh* mesh = stage.load("ship.lwo", oneQuad().file());
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(1u, mesh->layer.size());
    EXPECT_EQ(LAYER_POLYGON_MESH, loaded(mesh, 0)->kind);
    EXPECT_EQ("ship.lwo:1", mesh->layer[0]->name);
    EXPECT_EQ(2, loaded(mesh, 0)->numFaces);

    // minRes 28, priorities {1, 0}, collapse map {1, never}.
    (*stage.files)["pm.lwo.1.pm"] = {28, 0, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0, 0xFF, 0xFF};
    MetaMesh* pm = stage.load("pm.lwo", oneQuad().file());
    ASSERT_EQ(LAYER_PROGRESSIVE_MESH, loaded(pm, 0)->kind);
    const auto* progressive = static_cast<ProgressiveMeshLayer*>(pm->layer[0]);
    EXPECT_EQ(28, progressive->minRes);
    EXPECT_EQ((std::vector<uint16_t>{1, 0}), progressive->file.basePermutation);
    EXPECT_EQ((std::vector<uint16_t>{1, 0xFFFF}), progressive->file.baseCollapseMap);
    EXPECT_EQ(-1, progressive->currentResolution);
    EXPECT_EQ(0u, messages.count());

    // A file cut inside its collapse map: the layer is drawn whole instead.
    (*stage.files)["cut.lwo.1.pm"] = {28, 0, 2, 0, 1, 0, 0, 0, 2, 0, 1};
    MetaMesh* cut = stage.load("cut.lwo", oneQuad().file());
    EXPECT_EQ(LAYER_POLYGON_MESH, loaded(cut, 0)->kind);
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("wrong progressive mesh file cut.lwo.1.pm", messages.messages()[0].text);
    messages.clear();

    LwoBuilder cloud;
    cloud.layer(2);
    cloud.points({0, 0, 0, 1, 1, 1});
    cloud.polygons("FACE", {{0}, {1}});
    MetaMesh* points = stage.load("cloud.lwo", cloud.file());
    ASSERT_EQ(3u, points->layer.size());
    EXPECT_EQ(nullptr, points->layer[0]);
    EXPECT_EQ(LAYER_POINT_CLOUD, loaded(points, 2)->kind);

    LwoBuilder particle;
    particle.layer(0);
    particle.points({0, 0, 0});
    particle.polygons("PTCL", {{0}});
    EXPECT_EQ(LAYER_PARTICLE, loaded(stage.load("p.lwo", particle.file()), 0)->kind);
    EXPECT_EQ(0u, messages.count());

    LwoBuilder mixed;
    mixed.layer(0);
    mixed.points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    mixed.polygons("FACE", {{0, 1, 2}, {0}, {1, 2}});
    MetaMesh* m = stage.load("mixed.lwo", mixed.file());
    EXPECT_EQ(nullptr, m->layer[0]);
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("it->numLines == 0 && \"loadLWO2: lines not yet supported!\"",
              messages.messages()[0].text);
    EXPECT_EQ("mesh && \"loadLWO2: unsupported point/poly combination!\"",
              messages.messages()[1].text);
}

TEST(LwoLoader, MissingLayerAndMissingSurface) {
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    Stage stage;
    LwoBuilder noLayer;
    noLayer.points({0, 0, 0});
    EXPECT_NE(nullptr, stage.load("a.lwo", noLayer.file()));
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("0 && \"loadLWO2: missing LAYR chunk!\"", messages.messages()[0].text);

    LwoBuilder stray = oneQuad();
    stray.surface("NotATag", {});
    EXPECT_EQ(nullptr, stage.load("b.lwo", stray.file()));
    EXPECT_NE(std::string::npos, log.str().find("LoadLWO2: ERROR - surface not found!\n"));
}

TEST(LwoLoader, ClipsShareUntilUsedAndNameRules) {
    MessageRecorder messages;
    Stage stage;
    (*stage.files)["d:/tex.tga"] = {};
    LwoBuilder b = oneQuad();
    b.stillClip(1, "wall.tga");
    b.stillClip(2, "wall.tga");
    b.stillClip(3, "d:tex.tga");
    b.stillClip(4, "glow_nodxt.tga");
    // A colour layer on clip 1 marks the picture in use.
    Bytes imap, blok;
    B::s0(imap, "\x80");
    Bytes chan;
    B::id(chan, "COLR");
    imap = imap + B::sub("CHAN", chan);
    Bytes clipIndex;
    B::vx(clipIndex, 1);
    blok = B::sub("IMAP", imap) + B::sub("IMAG", clipIndex);
    b.surface("Hull", B::sub("BLOK", blok));
    LwoReport report;
    ASSERT_NE(nullptr, stage.load("o.lwo", b.file(), &report));
    ASSERT_EQ(4u, report.clips.size());
    const auto& textures = stage.meta.textures.all();
    ASSERT_EQ(3u, textures.size()); // clips 1 and 2 share
    EXPECT_EQ("wall.tga", textures[0]->name);
    EXPECT_EQ(7u, textures[0]->flags); // still (3) plus colour use (4)
    EXPECT_EQ("d:/tex.tga", textures[1]->name);
    EXPECT_EQ("glow_nodxt.tga", textures[2]->name);
    EXPECT_EQ(2u, textures[2]->flags);

    // A second object naming the image now in use gets its own texture.
    LwoBuilder again = oneQuad();
    again.stillClip(1, "wall.tga");
    ASSERT_NE(nullptr, stage.load("p.lwo", again.file()));
    ASSERT_EQ(4u, stage.meta.textures.all().size());
    EXPECT_EQ(3u, stage.meta.textures.all()[3]->flags);
}

TEST(LwoLoader, VertexMapsAndSurfacesPerFile) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = oneQuad();
    Bytes rgb;
    B::id(rgb, "RGB ");
    B::u2(rgb, 3);
    B::s0(rgb, "paint");
    B::vx(rgb, 2);
    for (float c : {0.5f, 0.25f, 1.0f}) B::f4(rgb, c);
    B::vx(rgb, 9); // beyond the points: ignored
    for (float c : {1.0f, 1.0f, 1.0f}) B::f4(rgb, c);
    b.chunk("VMAP", rgb);
    Bytes vcol;
    B::f4(vcol, 1);
    B::u2(vcol, 0);
    B::id(vcol, "RGB ");
    B::s0(vcol, "paint");
    b.surface("Hull", B::sub("VCOL", vcol));
    ASSERT_NE(nullptr, stage.load("one.lwo", b.file()));
    LWSurface* hull = stage.meta.findSurface("one.lwo@Hull");
    ASSERT_NE(nullptr, hull);
    ASSERT_EQ(1u, hull->vertexColorMaps.size());
    LWColorMap* paint = hull->vertexColorMaps[0];
    ASSERT_NE(nullptr, paint);
    EXPECT_EQ(1, paint->referenceCount()); // the layer's reference went with the load
    EXPECT_FLOAT_EQ(0.25f, paint->rgba[2 * 4 + 1]);
    EXPECT_FLOAT_EQ(1.0f, paint->rgba[2 * 4 + 3]); // RGB maps: alpha 1

    ASSERT_NE(nullptr, stage.load("two.lwo", oneQuad().file()));
    EXPECT_NE(stage.meta.findSurface("one.lwo@Hull"), stage.meta.findSurface("two.lwo@Hull"));
    EXPECT_EQ(2u, stage.meta.surfaces.size());
    EXPECT_EQ(0u, messages.count());
}

Bytes valueSub(const char* id, float v, uint32_t envelope = 0) {
    Bytes b;
    B::f4(b, v);
    B::u2(b, envelope);
    return B::sub(id, b);
}

Bytes envelopeChunk(uint32_t index, const std::vector<std::pair<float, float>>& keys,
                    const std::vector<const char*>& spans) {
    Bytes b;
    B::vx(b, index);
    Bytes pre;
    B::u2(pre, 2);
    b = b + B::sub("PRE ", pre);
    for (size_t i = 0; i < keys.size(); ++i) {
        Bytes key;
        B::f4(key, keys[i].first);
        B::f4(key, keys[i].second);
        b = b + B::sub("KEY ", key);
        Bytes span;
        B::id(span, spans[i]);
        if (!std::strcmp(spans[i], "TCB ")) {
            B::f4(span, 0.5f);
            B::f4(span, 0);
            B::f4(span, 0);
        }
        b = b + B::sub("SPAN", span);
    }
    return b;
}

TEST(LwoLoader, EnvelopesAndSurfaceValues) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = oneQuad();
    b.chunk("ENVL", envelopeChunk(1, {{0, 0}, {1, 5}, {2, 6}}, {"TCB ", "BEZ2", "STEP"}));
    b.chunk("ENVL", envelopeChunk(2, {{0, 1}, {1, 2}}, {"LINE", "LINE"}));
    b.chunk("ENVL", envelopeChunk(3, {{0, 3}, {1, 4}}, {"LINE", "LINE"}));
    Bytes colr;
    for (float c : {0.1f, 0.2f, 0.3f}) B::f4(colr, c);
    B::u2(colr, 1);
    Bytes sman;
    B::f4(sman, 0.2f);
    Bytes side;
    B::u2(side, 3);
    b.surface("Hull", B::sub("COLR", colr) + valueSub("TRAN", 0.5f) + valueSub("DIFF", 0.7f, 2) +
                          B::sub("SMAN", sman) + B::sub("SIDE", side));
    MetaMesh* mesh = stage.load("env.lwo", b.file());
    ASSERT_NE(nullptr, mesh);
    LWSurface* s = stage.meta.findSurface("env.lwo@Hull");
    ASSERT_NE(nullptr, s->color[0].envelope);
    const LWEnvelope& e = *s->color[0].envelope;
    ASSERT_EQ(3, e.numKeys);
    EXPECT_EQ(SHAPE_TCB, e.keys[0].shape);
    EXPECT_FLOAT_EQ(0.5f, e.keys[0].tension);
    EXPECT_EQ(SHAPE_TCB, e.keys[1].shape); // a Bezier span keeps the span before it
    EXPECT_FLOAT_EQ(0.5f, e.keys[1].tension);
    EXPECT_EQ(SHAPE_STEPPED, e.keys[2].shape);
    EXPECT_EQ(2, e.preBehavior);
    EXPECT_NEAR(1.5, s->color[1].envelope->evaluate(0.5), 1e-6); // envelope 2
    EXPECT_NEAR(3.5, s->color[2].envelope->evaluate(0.5), 1e-6); // envelope 3
    EXPECT_NEAR(1.5, s->diffuse.envelope->evaluate(0.5), 1e-6);  // its own copy of 2
    EXPECT_TRUE(s->transparent);
    EXPECT_TRUE(loaded(mesh, 0)->hasTransparency);
    EXPECT_TRUE(s->smoothing);
    EXPECT_NEAR(std::cos(0.2) - 1e-6, s->cosMaxSmoothAngle, 1e-6);
    EXPECT_TRUE(s->doubleSided);

    LwoBuilder narrow = oneQuad();
    Bytes small;
    B::f4(small, 0.1f);
    narrow.surface("Hull", B::sub("SMAN", small));
    ASSERT_NE(nullptr, stage.load("narrow.lwo", narrow.file()));
    EXPECT_FALSE(stage.meta.findSurface("narrow.lwo@Hull")->smoothing);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoLoader, GradientProceduralAndBumpLayers) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = oneQuad();
    auto header = [](const char* type, const char* channel) {
        Bytes h, chan;
        B::s0(h, "\x80");
        B::id(chan, channel);
        return B::sub(type, h + B::sub("CHAN", chan));
    };
    Bytes fkey;
    for (float v : {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.25f, 1.0f}) B::f4(fkey, v);
    Bytes ikey;
    B::u2(ikey, 0);
    B::u2(ikey, 0);
    Bytes grst, gren;
    B::f4(grst, 0);
    B::f4(gren, 1);
    Bytes func;
    B::s0(func, "Crumple");
    B::u2(func, 7);
    Bytes proj;
    B::u2(proj, 2);
    Bytes wrap;
    B::u2(wrap, 0);
    B::u2(wrap, 3);
    b.surface(
        "Hull",
        B::sub("BLOK", header("GRAD", "COLR") + B::sub("GRST", grst) + B::sub("GREN", gren) +
                           B::sub("FKEY", fkey) + B::sub("IKEY", ikey)) +
            B::sub("BLOK", header("PROC", "BUMP") + B::sub("FUNC", func) + valueSub("TAMP", 0.5f)) +
            B::sub("BLOK", header("IMAP", "TRAN") + B::sub("PROJ", proj) + B::sub("WRAP", wrap)) +
            valueSub("BUMP", 2.0f));
    ASSERT_NE(nullptr, stage.load("g.lwo", b.file()));
    LWSurface* s = stage.meta.findSurface("g.lwo@Hull");
    ASSERT_EQ(3u, s->textureLayers.size());
    LWTextureLayer* grad = s->textureLayers[0];
    auto* gradient = dynamic_cast<GradientTexture*>(grad->texture);
    ASSERT_NE(nullptr, gradient);
    EXPECT_EQ(4u, gradient->flags); // colour use
    std::vector<uint32_t> table(1024);
    fillGradient(*grad, table.data(), 1024);
    // Keys (0: black, alpha 1) and (1: 1, 0.5, 0.25, alpha 1), linear.
    EXPECT_EQ(0xFF000000u, table[0]);
    EXPECT_EQ(0xFF804020u, table[512]);
    EXPECT_EQ(0xFFFF7F40u, table[1023]); // the end value itself is never sampled
    LWTextureLayer* proc = s->textureLayers[1];
    auto* procedural = dynamic_cast<ProceduralTexture*>(proc->texture);
    ASSERT_NE(nullptr, procedural);
    EXPECT_EQ("Crumple", procedural->procName);
    EXPECT_EQ(MAP_PROCEDURAL, proc->maptype);
    EXPECT_EQ(16u, procedural->flags);                       // bump: never compressed
    EXPECT_FLOAT_EQ(0.5f * 1.0f, procedural->bumpAmplitude); // BUMP came after the block
    LWTextureLayer* tran = s->textureLayers[2];
    EXPECT_EQ(nullptr, tran->texture);
    EXPECT_EQ(ADDRESS_WRAP, tran->addressU); // spherical: wrap both
    EXPECT_EQ(ADDRESS_WRAP, tran->addressV);
    EXPECT_EQ(2u, stage.meta.textures.all().size());
    EXPECT_EQ(0u, messages.count());
}

TEST(LwoLoader, PrevBuildReadsOnlyUvMapsAndReportsEveryKind) {
    MessageRecorder messages;
    Stage stage;
    setPrevBuild(true);
    LwoBuilder b;
    b.layer(0);
    b.points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2}, {0, 1}});
    Bytes rgb;
    B::id(rgb, "RGB ");
    B::u2(rgb, 3);
    B::s0(rgb, "paint");
    b.chunk("VMAP", rgb);
    LwoReport report;
    MetaMesh* mesh = stage.load("old.lwo", b.file(), &report);
    setPrevBuild(false);
    ASSERT_NE(nullptr, mesh);
    EXPECT_TRUE(report.vertexMaps.empty());
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("numLines == 0", messages.messages()[0].text);
}

TEST(WrapModes, FollowTheDeviceCapabilities) {
    const uint32_t all = ADDRESS_CAPS_WRAP | ADDRESS_CAPS_MIRROR | ADDRESS_CAPS_CLAMP |
                         ADDRESS_CAPS_BORDER | ADDRESS_CAPS_INDEPENDENT_UV;
    EXPECT_EQ(ADDRESS_BORDER, addressModeFor(0, all));
    EXPECT_EQ(ADDRESS_CLAMP, addressModeFor(0, ADDRESS_CAPS_CLAMP));
    EXPECT_EQ(ADDRESS_WRAP, addressModeFor(0, 0));
    EXPECT_EQ(ADDRESS_WRAP, addressModeFor(1, all));
    EXPECT_EQ(ADDRESS_MIRROR, addressModeFor(2, all));
    EXPECT_EQ(ADDRESS_WRAP, addressModeFor(2, ADDRESS_CAPS_CLAMP));
    EXPECT_EQ(ADDRESS_CLAMP, addressModeFor(3, all));
    int32_t u, v;
    layerAddressModes(2, 3, MAP_PLANAR, all, &u, &v);
    EXPECT_EQ(ADDRESS_MIRROR, u);
    EXPECT_EQ(ADDRESS_CLAMP, v);
    layerAddressModes(2, 3, MAP_PLANAR, all & ~ADDRESS_CAPS_INDEPENDENT_UV, &u, &v);
    EXPECT_EQ(ADDRESS_CLAMP, u);
    layerAddressModes(3, 3, MAP_CYLINDRICAL, all, &u, &v);
    EXPECT_EQ(ADDRESS_WRAP, u);
    EXPECT_EQ(ADDRESS_CLAMP, v);
}

} // namespace
