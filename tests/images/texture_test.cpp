// Textures built on a real Direct3D 8 device under Wine.

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "d3dx/pixel_ops.h"
#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "images/texture.h"
#include "images/texture_list.h"
#include "tests/support/test_stage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

namespace {

struct Level {
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<uint32_t> texels; // decoded to ARGB when compressed
};

Level readLevel(IDirect3DTexture8* t, UINT level) {
    Level out;
    D3DSURFACE_DESC desc;
    t->GetLevelDesc(level, &desc);
    out.width = desc.Width;
    out.height = desc.Height;
    out.format = desc.Format;
    out.texels.resize(size_t(desc.Width) * desc.Height);
    D3DLOCKED_RECT lock;
    if (FAILED(t->LockRect(level, &lock, nullptr, D3DLOCK_READONLY))) return out;
    const auto* bytes = static_cast<const uint8_t*>(lock.pBits);
    if (desc.Format == D3DFMT_DXT1 || desc.Format == D3DFMT_DXT5) {
        decompressDxt(bytes, lock.Pitch, int(desc.Width), int(desc.Height),
                      desc.Format == D3DFMT_DXT5, out.texels.data(), int(desc.Width));
    } else {
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                out.texels[y * desc.Width + x] =
                    reinterpret_cast<const uint32_t*>(bytes + size_t(y) * size_t(lock.Pitch))[x];
    }
    t->UnlockRect(level);
    return out;
}

// A texture over `w` x `h` texels of colour `argb`.
ImageTexture* solidTexture(DeviceContext* context, int w, int h, uint32_t argb, uint32_t flags) {
    auto* t = new ImageTexture(context);
    t->name = "solid";
    t->flags = flags;
    t->width = w;
    t->height = h;
    t->pixels.reset(new uint32_t[size_t(w) * size_t(h)]);
    for (int i = 0; i < w * h; ++i) t->pixels[size_t(i)] = argb;
    return t;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(stage.open()); }
    DeviceContext* context() { return stage.context.get(); }
    TestStage stage;
    MessageRecorder messages;
};

TEST_F(TextureTest, SizesArePowersOfTwoWithAtLeast128Columns) {
    std::unique_ptr<Texture> one(solidTexture(context(), 1, 1, 0xFF336699, TEXTURE_MIPMAPS));
    one->build();
    ASSERT_NE(nullptr, one->texture());
    Level level = readLevel(one->texture(), 0);
    EXPECT_EQ(128u, level.width);
    EXPECT_EQ(1u, level.height);
    EXPECT_EQ(8, one->levelCount); // 128 x 1 down to 1 x 1
    for (uint32_t t : level.texels) EXPECT_EQ(0xFF336699u, t);
    EXPECT_FALSE(one->pixels); // the picture is freed by the build

    std::unique_ptr<Texture> wide(solidTexture(context(), 129, 3, 0xFF000000, 0));
    wide->build();
    level = readLevel(wide->texture(), 0);
    EXPECT_EQ(256u, level.width);
    EXPECT_EQ(4u, level.height);
    EXPECT_EQ(1, wide->levelCount);
    EXPECT_EQ(0u, messages.count());
}

TEST_F(TextureTest, LargerThanTheDeviceMaximumIsDownSampled) {
    context()->hardwareCaps.MaxTextureWidth = 256;
    context()->hardwareCaps.MaxTextureHeight = 64;
    std::unique_ptr<Texture> big(solidTexture(context(), 1000, 300, 0xFF808080, 0));
    // A bright last column: the down-sampled edge must still come from the picture.
    for (int y = 0; y < 300; ++y) big->pixels[size_t(y * 1000 + 999)] = 0xFFFFFFFF;
    big->build();
    Level level = readLevel(big->texture(), 0);
    EXPECT_EQ(256u, level.width);
    EXPECT_EQ(64u, level.height);
    EXPECT_EQ(0xFF808080u, level.texels[0]);
}

TEST_F(TextureTest, PicturesAreResampledFromTheirFile) {
    std::unique_ptr<ImageTexture> t(new ImageTexture(context()));
    DiskFile disk;
    const std::string path = std::string(NL_TESTDATA_DIR) + "/images/jpeg/pillow_hopper.jpg";
    ASSERT_TRUE(t->load(&disk, path.c_str(), 0));
    Picture reference;
    ASSERT_TRUE(loadPicture(disk, path.c_str(), 0, reference));
    EXPECT_EQ(path, t->name);
    t->flags = TEXTURE_MIPMAPS; // uncompressed, to compare texels
    t->build();
    Level level = readLevel(t->texture(), 0);
    ASSERT_EQ(128u, level.width);
    ASSERT_EQ(128u, level.height);
    // 128 x 128 maps one to one: every texel is the picture's.
    EXPECT_EQ(0, std::memcmp(level.texels.data(), reference.pixels.get(), 128 * 128 * 4));
    // The next level is the box-filtered one.
    Level half = readLevel(t->texture(), 1);
    EXPECT_EQ(64u, half.width);
    std::vector<uint32_t> expected(64 * 64);
    boxFilterLevel(reference.pixels.get(), 128, 128, 128, expected.data(), 64);
    EXPECT_EQ(expected, half.texels);
}

TEST_F(TextureTest, CompressedTexturesAreDxt1AndAlphaFromIntensityIsDxt5) {
    std::unique_ptr<Texture> plain(solidTexture(context(), 64, 64, 0xFF20C040, 3));
    plain->build();
    Level level = readLevel(plain->texture(), 0);
    EXPECT_EQ(D3DFMT_DXT1, level.format);
    EXPECT_EQ(D3DFMT_DXT1, plain->format);
    EXPECT_EQ(int(D3DPOOL_MANAGED), plain->pool);
    EXPECT_GT(plain->levelCount, 1);
    // A solid colour survives compression within the 5-6-5 grid.
    const uint32_t t = level.texels[100];
    EXPECT_NEAR(0x20, int((t >> 16) & 0xFF), 4);
    EXPECT_NEAR(0xC0, int((t >> 8) & 0xFF), 2);
    EXPECT_NEAR(0x40, int(t & 0xFF), 4);

    std::unique_ptr<Texture> glow(
        solidTexture(context(), 64, 64, 0xFF303030,
                     TEXTURE_COMPRESS | TEXTURE_MIPMAPS | TEXTURE_ALPHA_FROM_INTENSITY));
    glow->build();
    level = readLevel(glow->texture(), 0);
    EXPECT_EQ(D3DFMT_DXT5, level.format);
    for (uint32_t texel : level.texels) {
        EXPECT_EQ(0u, texel & 0xFFFFFF); // black everywhere
        EXPECT_NEAR(255 - 0x30, int(texel >> 24), 2);
    }
}

TEST_F(TextureTest, NormalMapsStayArgbOnEveryLevel) {
    std::unique_ptr<Texture> bump(
        solidTexture(context(), 32, 32, 0xFF202020, TEXTURE_MIPMAPS | TEXTURE_NORMAL_MAP));
    bump->build();
    ASSERT_GT(bump->levelCount, 1);
    for (int i = 0; i < bump->levelCount; ++i) {
        Level level = readLevel(bump->texture(), UINT(i));
        EXPECT_EQ(D3DFMT_A8R8G8B8, level.format) << i;
        EXPECT_EQ(0xFF7F7FFFu, level.texels[0]) << i; // flat: straight up
    }
    EXPECT_EQ(D3DFMT_A8R8G8B8, bump->format);
}

TEST_F(TextureTest, MissingPictureBuildsTheFallbackWithItsMessage) {
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    ImageTexture t(context());
    DiskFile disk;
    EXPECT_FALSE(t.load(&disk, "no-such-picture.tga", 0));
    t.build();
    EXPECT_EQ("no-such-picture.tga missing!\nmissing texture: no-such-picture.tga\n", log.str());
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("Texture pointer zero\n", messages.messages()[0].text);
    EXPECT_EQ("Error", messages.messages()[0].caption);
    EXPECT_EQ(MessageIcon::Warning, messages.messages()[0].icon);
    Level level = readLevel(t.texture(), 0);
    EXPECT_EQ(128u, level.width);
    EXPECT_EQ(8u, level.height);
    EXPECT_EQ(uint32_t(TEXTURE_COLOR_LAYER), t.flags);
    for (uint32_t i = 0; i < 128 * 8; ++i) ASSERT_EQ(i * i, level.texels[i]);
}

TEST_F(TextureTest, ReferencesBuildTheFallback) {
    std::unique_ptr<Texture> source(solidTexture(context(), 4, 4, 0xFFFFFFFF, 3));
    source->alphaMode = ALPHA_AS_GREY;
    std::unique_ptr<Texture> ref(source->createReference("other.tga"));
    EXPECT_EQ("other.tga", ref->name);
    EXPECT_EQ(3u, ref->flags);
    EXPECT_EQ(ALPHA_AS_GREY, ref->alphaMode);
    EXPECT_EQ(4, ref->width);
    ref->build();
    EXPECT_EQ(1u, messages.count());
    EXPECT_NE(nullptr, ref->texture());
}

TEST_F(TextureTest, AlphaModesAndAlphaSource) {
    std::unique_ptr<Texture> grey(solidTexture(context(), 2, 1, 0x80FF0000, TEXTURE_MIPMAPS));
    grey->alphaMode = ALPHA_AS_GREY;
    grey->build();
    EXPECT_EQ(0xFF808080u, readLevel(grey->texture(), 0).texels[5]);

    std::unique_ptr<Texture> mask(solidTexture(context(), 2, 1, 0xFF303030, 0));
    std::unique_ptr<Texture> masked(solidTexture(context(), 2, 1, 0xFF112233, 0));
    masked->alphaSource = mask.get();
    masked->alphaMode = ALPHA_OPAQUE;
    masked->build();
    EXPECT_EQ(0x30112233u, readLevel(masked->texture(), 0).texels[0]);
    EXPECT_EQ(int(ALPHA_KEEP), masked->alphaMode);
}

TEST_F(TextureTest, RegistrySharesByNameAndFlags) {
    TextureList list;
    Texture* first = solidTexture(context(), 1, 1, 0, 3);
    first->name = "wall.tga";
    list.addTexture(first);
    EXPECT_EQ(first, list.findTexture("wall.tga", 2));
    EXPECT_EQ(first, list.findTexture("wall.tga", 3));
    EXPECT_EQ(nullptr, list.findTexture("wall.tga", 7)); // colorLayer differs
    EXPECT_EQ(nullptr, list.findTexture("WALL.tga", 3)); // names are case-sensitive
    EXPECT_EQ(nullptr, list.findTexture("wall.tg", 3));
    Texture* second = solidTexture(context(), 1, 1, 0, 7);
    second->name = "wall.tga";
    list.addTexture(second);
    EXPECT_EQ(second, list.findTexture("wall.tga", 4));
    EXPECT_EQ(3u, first->flags); // the found texture keeps its own flags

    std::vector<float> progress;
    list.buildAll([](float p, void* user) { static_cast<std::vector<float>*>(user)->push_back(p); },
                  &progress);
    ASSERT_EQ(2u, progress.size());
    EXPECT_FLOAT_EQ(0.3f, progress[0]);
    EXPECT_FLOAT_EQ(0.55f, progress[1]);
    EXPECT_NE(nullptr, first->texture());
    EXPECT_NE(nullptr, second->texture());
}

TEST_F(TextureTest, SequencesPickTheirFrameByTime) {
    SequenceTexture sequence(context());
    for (int i = 0; i < 10; ++i)
        sequence.frames.push_back(solidTexture(context(), 1, 1, 0xFF000000u + uint32_t(i), 0));
    sequence.firstFrame = 1;
    sequence.lastFrame = 10;
    sequence.frameRate = 30;
    EXPECT_EQ(6, sequence.frameIndexAt(0.2));
    EXPECT_EQ(5, sequence.frameIndexAt(0.5)); // 15 mod 10
    EXPECT_EQ(0, sequence.frameIndexAt(0));
    EXPECT_EQ(7, sequence.frameIndexAt(-0.1)); // -3 wraps to 7
    sequence.frameOffset = 4;
    EXPECT_EQ(7, sequence.frameIndexAt(0.1)); // 3 + 4
    sequence.build();
    EXPECT_EQ(sequence.frames[7]->texture(), sequence.textureAt(0.1));
    EXPECT_EQ(0xFF000007u, readLevel(sequence.textureAt(0.1), 0).texels[0]);
}

TEST_F(TextureTest, RenderTargetsOfferTheirSurface) {
    RenderTargetTexture target(context());
    target.name = "tunnel";
    ASSERT_NE(nullptr, target.texture());
    EXPECT_EQ(int(D3DPOOL_DEFAULT), target.pool);
    const bool anySize = context()->hardwareCaps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    EXPECT_EQ(anySize ? context()->screenWidth : 512, target.width);
    IDirect3DSurface8* surface = target.renderSurface();
    ASSERT_NE(nullptr, surface);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(UINT(D3DUSAGE_RENDERTARGET), desc.Usage);
    surface->Release();

    std::unique_ptr<Texture> managed(solidTexture(context(), 1, 1, 0, 0));
    managed->build();
    EXPECT_EQ(nullptr, managed->renderSurface());
}

TEST_F(TextureTest, PrevBuildSamplesByNearestTexel) {
    auto make = [&]() {
        auto* t = new ImageTexture(context());
        t->flags = 0;
        t->width = 2;
        t->height = 1;
        t->pixels.reset(new uint32_t[2]{0xFF000000, 0xFFFEFEFE});
        return t;
    };
    std::unique_ptr<ImageTexture> smooth(make());
    smooth->build();
    setPrevBuild(true);
    std::unique_ptr<ImageTexture> blocky(make());
    blocky->build();
    setPrevBuild(false);
    // 2 texels over 128 columns: column 32 sits a quarter of the way across.
    const uint32_t s = readLevel(smooth->texture(), 0).texels[32];
    const uint32_t b = readLevel(blocky->texture(), 0).texels[32];
    EXPECT_NEAR(0x7F, int(s & 0xFF), 2);
    EXPECT_EQ(0xFF000000u, b);
}

} // namespace

#include "images/procedural_texture.h"
#include "lightwave/surface.h"

namespace {

TEST_F(TextureTest, ProceduralAndGradientTexturesOnTheDevice) {
    for (const char* procedure : {"Turbulence", "Crumple", "Value"}) {
        LWTextureLayer layer;
        layer.procName = procedure;
        ProceduralTexture t(context(), &layer);
        t.build();
        ASSERT_NE(nullptr, t.texture()) << procedure;
        Level level = readLevel(t.texture(), 0);
        EXPECT_EQ(UINT(t.width), level.width) << procedure;
        // Compressed where the device takes the size (a 128 x 1 strip may not
        // be: it then stays A8R8G8B8 in the managed pool).
        EXPECT_TRUE(level.format == D3DFMT_DXT1 || level.format == D3DFMT_A8R8G8B8) << procedure;
        EXPECT_EQ(int(D3DPOOL_MANAGED), t.pool);
        uint32_t lo = 255, hi = 0;
        for (uint32_t texel : level.texels) {
            lo = std::min(lo, texel & 0xFF);
            hi = std::max(hi, texel & 0xFF);
        }
        EXPECT_GT(hi, lo) << procedure; // a picture, not an empty texture
    }
    LWTextureLayer gradient;
    for (int c = 0; c < 4; ++c) gradient.gradientValue[c] = c == 1 ? 0.5f : 1.0f;
    GradientTexture g(context(), &gradient);
    g.build();
    Level level = readLevel(g.texture(), 0);
    EXPECT_EQ(1024u, level.width);
    EXPECT_EQ(D3DFMT_A8R8G8B8, level.format);
    EXPECT_EQ(0xFFFF80FFu, level.texels[500]);
    EXPECT_EQ(0u, messages.count());
}

} // namespace
