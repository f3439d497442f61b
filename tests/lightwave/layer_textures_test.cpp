// The textures that surface layers and clips of LWO2 objects leave in the
// metascene, followed through activation: texture-coordinate sets chosen,
// then every texture built.

#include "base/message_box.h"
#include "images/procedural_texture.h"
#include "images/texture.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "lwo_builder.h"
#include "lwo_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

using Bytes = LwoBuilder::Bytes;
using B = LwoBuilder;

// One quad whose polygons carry the first tag; every tag becomes a surface.
LwoBuilder quadWithTags(const std::vector<std::string>& tags) {
    LwoBuilder b;
    b.tags(tags);
    b.layer(0);
    b.points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2, 3}});
    return b;
}

Bytes u2Sub(const char* id, uint32_t v) {
    Bytes b;
    B::u2(b, v);
    return B::sub(id, b);
}

Bytes f4Sub(const char* id, float v) {
    Bytes b;
    B::f4(b, v);
    return B::sub(id, b);
}

Bytes opacity(float value, uint32_t envelope) {
    Bytes b;
    B::u2(b, 0); // type: normal
    B::f4(b, value);
    B::u2(b, envelope);
    return B::sub("OPAC", b);
}

// A gradient block over 0..1 from black to (1, 0.5, 0.25), both keys opaque.
Bytes gradientBlock(const char* channel, bool enabled) {
    Bytes fkey, ikey;
    for (float v : {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.25f, 1.0f}) B::f4(fkey, v);
    B::u2(ikey, 0);
    B::u2(ikey, 0);
    return B::sub("BLOK", B::blockHeader("GRAD", channel, u2Sub("ENAB", enabled ? 1 : 0)) +
                              f4Sub("GRST", 0) + f4Sub("GREN", 1) + B::sub("FKEY", fkey) +
                              B::sub("IKEY", ikey));
}

Bytes imageBlock(const char* channel, uint32_t clip, const Bytes& more = {}) {
    Bytes index;
    B::vx(index, clip);
    return B::sub("BLOK", B::blockHeader("IMAP", channel) + B::sub("IMAG", index) + more);
}

TEST(LayerTextures, ADisabledGradientLayerLeavesNoTextureReadingIt) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = quadWithTags({"Hull"});
    b.surface("Hull", gradientBlock("COLR", false) + gradientBlock("DIFF", true));
    ASSERT_NE(nullptr, stage.load("g.lwo", b.file()));
    LWSurface* hull = stage.meta.findSurface("g.lwo@Hull");
    ASSERT_EQ(2u, hull->textureLayers.size());
    auto* dropped = dynamic_cast<GradientTexture*>(hull->textureLayers[0]->texture);
    auto* kept = dynamic_cast<GradientTexture*>(hull->textureLayers[1]->texture);
    ASSERT_TRUE(dropped && kept);

    // Activation's order: the disabled layer goes, then the textures build.
    for (const auto& s : stage.meta.surfaces) assignTexcoords(*s);
    ASSERT_EQ(1u, hull->textureLayers.size());
    EXPECT_EQ(kept, hull->textureLayers[0]->texture);
    EXPECT_EQ(hull->textureLayers[0], hull->texcoord[1]); // the diffuse layer
    for (Texture* t : stage.meta.textures.all()) {
        if (auto* g = dynamic_cast<GradientTexture*>(t)) {
            EXPECT_TRUE(g->layer == nullptr || g->layer == hull->textureLayers[0]);
        }
    }
    stage.meta.textures.buildAll(nullptr, nullptr);

    ASSERT_TRUE(kept->pixels);
    EXPECT_EQ(0xFF000000u, kept->pixels[0]);
    EXPECT_EQ(0xFF804020u, kept->pixels[512]);
    EXPECT_EQ(0u, messages.count());
}

// An ISEQ clip of frames first..last with the given offset and a TIME
// sub-chunk whose third value holds `rateBits`.
Bytes sequenceClip(uint32_t index, const std::string& prefix, int first, int last, int offset,
                   uint32_t rateBits) {
    Bytes clip, iseq, time;
    B::u4(clip, index);
    B::u1(iseq, 3); // digits
    B::u1(iseq, 0);
    B::u2(iseq, uint32_t(offset));
    B::u2(iseq, 0);
    B::u2(iseq, uint32_t(first));
    B::u2(iseq, uint32_t(last));
    B::s0(iseq, prefix);
    B::s0(iseq, ".tga");
    for (uint32_t v : {0u, 0u, rateBits, 0u, 0u}) B::u4(time, v);
    return clip + B::sub("ISEQ", iseq) + B::sub("TIME", time);
}

uint32_t bitsOf(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

SequenceTexture* loadSequence(Stage& stage, const std::string& name, int offset,
                              uint32_t rateBits) {
    LwoBuilder b = quadWithTags({"Hull"});
    b.chunk("CLIP", sequenceClip(1, name + "/f", 1, 60, offset, rateBits));
    if (!stage.load(name + ".lwo", b.file())) return nullptr;
    for (Texture* t : stage.meta.textures.all())
        if (t->name == name + "/f") return dynamic_cast<SequenceTexture*>(t);
    return nullptr;
}

TEST(LayerTextures, SequenceFrameRateIsTheFloatOfTheTimeChunk) {
    MessageRecorder messages;
    Stage stage;
    SequenceTexture* seq = loadSequence(stage, "thirty", 0, bitsOf(30.0f));
    ASSERT_NE(nullptr, seq);
    ASSERT_EQ(60u, seq->frames.size());
    EXPECT_EQ(30.0f, seq->frameRate);
    EXPECT_EQ(0, seq->frameIndexAt(0));
    EXPECT_EQ(15, seq->frameIndexAt(0.5));
    EXPECT_EQ(30, seq->frameIndexAt(1.0));
    EXPECT_EQ(15, seq->frameIndexAt(2.5)); // 75 frames: round again
    EXPECT_EQ(0, seq->frameIndexAt(20.0)); // 600 frames, well past the old overflow
    EXPECT_EQ(45, seq->frameIndexAt(-0.5));

    // Malformed rates: the index stays a frame, with defined values where
    // they can be worked out (offset 7 of 60 frames).
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float rate;
        double time;
        int expected; // -1: any frame
    } cases[] = {{"nan", nan, 1.0, 7},
                 {"inf", inf, 0.5, 7},
                 {"infzero", inf, 0.0, 7},
                 {"huge", 1e9f, 3.0, 7}, // 3e9 frames: a whole number of rounds
                 {"negative", -30.0f, 0.5, 52},
                 {"largest", std::numeric_limits<float>::max(), 1.0, -1},
                 {"lowest", std::numeric_limits<float>::lowest(), 123.25, -1}};
    for (const Case& c : cases) {
        SequenceTexture* s = loadSequence(stage, c.name, 7, bitsOf(c.rate));
        ASSERT_NE(nullptr, s) << c.name;
        EXPECT_EQ(bitsOf(c.rate), bitsOf(s->frameRate)) << c.name;
        const int index = s->frameIndexAt(c.time);
        EXPECT_GE(index, 0) << c.name;
        EXPECT_LT(index, 60) << c.name;
        if (c.expected >= 0) {
            EXPECT_EQ(c.expected, index) << c.name;
        }
        for (double t : {-1e300, 1e300, double(nan)}) {
            const int i = s->frameIndexAt(t);
            EXPECT_TRUE(i >= 0 && i < 60) << c.name << " at " << t;
        }
    }
}

TEST(LayerTextures, OpacityEnvelopeAnimatesTheLayer) {
    MessageRecorder messages;
    Stage stage;
    LwoBuilder b = quadWithTags({"Hull"});
    b.linearEnvelope(1, {{0, 0.25f}, {2, 1.0f}});
    Bytes animated = B::sub("BLOK", B::blockHeader("IMAP", "COLR", opacity(1.0f, 1)));
    Bytes steady = B::sub("BLOK", B::blockHeader("IMAP", "DIFF", opacity(0.5f, 0)));
    b.surface("Hull", animated + steady);
    ASSERT_NE(nullptr, stage.load("o.lwo", b.file()));
    LWSurface* hull = stage.meta.findSurface("o.lwo@Hull");
    ASSERT_EQ(2u, hull->textureLayers.size());
    LWTextureLayer& a = *hull->textureLayers[0];
    ASSERT_NE(nullptr, a.opacity.envelope);
    EXPECT_NEAR(0.25, a.opacity.evaluate(0), 1e-6);
    EXPECT_NEAR(0.625, a.opacity.evaluate(1), 1e-6);
    EXPECT_NEAR(1.0, a.opacity.evaluate(2), 1e-6);
    LWTextureLayer& s = *hull->textureLayers[1];
    EXPECT_EQ(nullptr, s.opacity.envelope);
    EXPECT_FLOAT_EQ(0.5f, s.opacity.evaluate(0));
    EXPECT_FLOAT_EQ(0.5f, s.opacity.evaluate(1));
    EXPECT_EQ(0u, messages.count());
}

std::vector<uint8_t> testPicture() {
    std::ifstream in(std::string(NL_TESTDATA_DIR) + "/images/tga/allegro_texture.tga",
                     std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

// Level 0 as the device build writes it: the picture resampled with the
// texture's flags and alpha mode, converted to a normal map when flagged.
std::vector<uint32_t> levelZero(Texture& t, int* levelWidth) {
    int W = 0, H = 0;
    textureDestinationSize(t.width, t.height, 0, 0, &W, &H);
    std::vector<uint32_t> level(size_t(W) * size_t(H));
    resampleLevel(
        level.data(), W, H, W, t.width, t.height, t.flags, t.alphaMode,
        [&](float x, float y) { return t.sample(x, y, t.width, t.height); }, false,
        [](float, float) { return 0u; });
    if (t.flags & TEXTURE_NORMAL_MAP) {
        std::vector<uint32_t> scratch(level.size());
        convertToNormalMap(level.data(), W, H, W, scratch.data());
    }
    *levelWidth = W;
    return level;
}

// Every texel of level 0 is the picture's own where the level samples a
// whole texel (the picture is 64 wide, the level 128).
void expectPictureColours(Texture& t) {
    ASSERT_EQ(64, t.width);
    int W = 0;
    const std::vector<uint32_t> level = levelZero(t, &W);
    ASSERT_EQ(128, W);
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            ASSERT_EQ(t.pixels[size_t(y * t.width + x)], level[size_t(y * W + 2 * x)])
                << x << "," << y;
}

void expectNormalMap(Texture& t) {
    int W = 0;
    const std::vector<uint32_t> level = levelZero(t, &W);
    for (uint32_t texel : level) {
        const double x = ((texel >> 16) & 0xFF) / 127.5 - 1, y = ((texel >> 8) & 0xFF) / 127.5 - 1,
                     z = (texel & 0xFF) / 127.5 - 1;
        ASSERT_NEAR(1.0, std::sqrt(x * x + y * y + z * z), 0.02);
        ASSERT_GT(z, 0.0);
    }
}

void expectAlphaFromIntensity(Texture& t) {
    int W = 0;
    const std::vector<uint32_t> level = levelZero(t, &W);
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            ASSERT_EQ((255 - intensityOf(t.pixels[size_t(y * t.width + x)])) << 24,
                      level[size_t(y * W + 2 * x)]);
}

TEST(LayerTextures, APictureUsedAsColourAndAsHeightsGetsATextureForEach) {
    const std::vector<uint8_t> picture = testPicture();
    ASSERT_FALSE(picture.empty());
#ifndef _WIN32
    constexpr uint32_t DXT1 = 0x31545844u, DXT5 = 0x35545844u;
#endif
    // Each height channel, asked for after the colour layers and before them.
    for (const char* channel : {"BUMP", "TRAN"}) {
        for (bool heightsFirst : {false, true}) {
            SCOPED_TRACE(std::string(channel) + (heightsFirst ? ", heights first" : ""));
            MessageRecorder messages;
            Stage stage;
            (*stage.files)["wall.tga"] = picture;
            LwoBuilder b = quadWithTags({"Hull", "Deck", "Rail"});
            Bytes clip, still, amod;
            B::u4(clip, 1);
            B::s0(still, "wall.tga");
            B::u2(amod, 1); // opaque
            b.chunk("CLIP", clip + B::sub("STIL", still) + B::sub("AMOD", amod));
            Bytes tamp;
            B::f4(tamp, 0.5f);
            B::u2(tamp, 0); // no envelope
            const Bytes heights = imageBlock(channel, 1, B::sub("TAMP", tamp));
            if (heightsFirst) b.surface("Deck", heights);
            b.surface("Hull", imageBlock("COLR", 1));
            b.surface("Rail", imageBlock("COLR", 1));
            if (!heightsFirst) b.surface("Deck", heights);
            ASSERT_NE(nullptr, stage.load("w.lwo", b.file()));

            Texture* colour = stage.meta.findSurface("w.lwo@Hull")->textureLayers[0]->texture;
            Texture* other = stage.meta.findSurface("w.lwo@Deck")->textureLayers[0]->texture;
            ASSERT_TRUE(colour && other);
            EXPECT_EQ(colour, stage.meta.findSurface("w.lwo@Rail")->textureLayers[0]->texture);
            ASSERT_NE(colour, other);
            EXPECT_EQ(2u, stage.meta.textures.all().size());
            EXPECT_EQ("wall.tga", colour->name);
            EXPECT_EQ("wall.tga", other->name);
            EXPECT_EQ(7u, colour->flags); // still, colour use only
            EXPECT_EQ(1, colour->alphaMode);
            EXPECT_EQ(1, other->alphaMode); // the clip's alpha mode for both
            ASSERT_TRUE(colour->pixels && other->pixels);
            ASSERT_EQ(colour->width * colour->height, other->width * other->height);
            EXPECT_TRUE(std::equal(colour->pixels.get(),
                                   colour->pixels.get() + colour->width * colour->height,
                                   other->pixels.get()));
            expectPictureColours(*colour);
            if (!std::strcmp(channel, "BUMP")) {
                EXPECT_EQ(2u | TEXTURE_NORMAL_MAP, other->flags);
                EXPECT_FLOAT_EQ(0.5f, other->bumpAmplitude);
                expectNormalMap(*other);
            } else {
                EXPECT_EQ(3u | TEXTURE_ALPHA_FROM_INTENSITY, other->flags);
                expectAlphaFromIntensity(*other);
            }

            stage.meta.textures.buildAll(nullptr, nullptr);
#ifndef _WIN32
            // Without a device only the portable half chooses the stored
            // format; on Windows a device decides it.
            EXPECT_EQ(DXT1, colour->format);
            EXPECT_EQ(!std::strcmp(channel, "BUMP") ? TEXTURE_FORMAT_ARGB : DXT5, other->format);
#endif
            EXPECT_EQ(0u, messages.count());
        }
    }
}

} // namespace
