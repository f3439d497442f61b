// The effects' generated textures on a real device under Wine: the device
// context's texture-coordinate map and a spot texture, read back.

#include "effects/effect_textures.h"
#include "images/texture.h"
#include "tests/support/test_stage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Readback {
    D3DSURFACE_DESC desc = {};
    std::vector<uint32_t> texels;
    uint32_t at(UINT row, UINT column) const { return texels[size_t(row) * desc.Width + column]; }
};

Readback readLevel0(IDirect3DTexture8* t) {
    Readback out;
    t->GetLevelDesc(0, &out.desc);
    D3DLOCKED_RECT lock;
    if (FAILED(t->LockRect(0, &lock, nullptr, D3DLOCK_READONLY))) return out;
    for (UINT y = 0; y < out.desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(lock.pBits) + size_t(y) * size_t(lock.Pitch));
        out.texels.insert(out.texels.end(), row, row + out.desc.Width);
    }
    t->UnlockRect(0);
    return out;
}

} // namespace

TEST(EffectDeviceTextures, ContextMakesTheTexcoordMap) {
    TestStage stage;
    ASSERT_TRUE(stage.open());
    Texture* map = stage.context->texcoordMap;
    ASSERT_NE(nullptr, map);
    ASSERT_NE(nullptr, map->texture());
    EXPECT_EQ(1, map->levelCount);
    const Readback level = readLevel0(map->texture());
    EXPECT_EQ(256u, level.desc.Width);
    EXPECT_EQ(1u, level.desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, level.desc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, level.desc.Pool);
    ASSERT_EQ(256u, level.texels.size());
    EXPECT_EQ(0x00000000u, level.at(0, 0));
    EXPECT_EQ(0x40404040u, level.at(0, 64));
    EXPECT_EQ(0xFFFFFFFFu, level.at(0, 255));
}

TEST(EffectDeviceTextures, SpotTextureHoldsTheConeOnTheDevice) {
    TestStage stage;
    ASSERT_TRUE(stage.open());
    SpotParameters spot;
    spot.intensity = 1;
    spot.cone = 0.5f;
    spot.edge = 0.05f;
    spot.colour[0] = 1;
    spot.colour[1] = 0;
    spot.colour[2] = 1;
    std::unique_ptr<Texture> t = makeSpotTexture(stage.context.get(), spot);
    ASSERT_NE(nullptr, t->texture());
    const Readback level = readLevel0(t->texture());
    EXPECT_EQ(512u, level.desc.Width);
    EXPECT_EQ(512u, level.desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, level.desc.Format);
    EXPECT_EQ(1, t->levelCount);
    ASSERT_EQ(512u * 512u, level.texels.size());
    EXPECT_EQ(0xFFFF00FFu, level.at(256, 256)); // saturated magenta
    EXPECT_EQ(0u, level.at(0, 0));              // outside the cone
    EXPECT_EQ(0u, level.at(511, 511));
}
