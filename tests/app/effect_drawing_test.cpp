// Screen effects and the loading screen drawn on a real device under Wine,
// read back from the back buffer.

#include "base/message_box.h"
#include "files/disk_file.h"
#include "app/readback.h"
#include "tests/support/test_stage.h"
#include "timeline/effect_drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

bool closeTo(uint32_t rgb, uint32_t want, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((rgb >> s) & 0xFF) - int((want >> s) & 0xFF)) > tolerance) return false;
    return true;
}

class EffectDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stage.open(160, 120));
        white = createWhiteTexture(stage.context.get());
    }
    // Clears to `background`, draws the effect at `time`, reads the centre.
    uint32_t frameAt(ScreenEffect& effect, double time, uint32_t background = 0xFF000000) {
        IDirect3DDevice8* d = stage.device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
        drawScreenEffect(*stage.context, effect, time, white->texture());
        Readback back;
        EXPECT_TRUE(readBackBuffer(d, &back));
        corner = back.rgb(back.width - 1, back.height - 1);
        return back.rgb(back.width / 2, back.height / 2);
    }
    TestStage stage;
    std::unique_ptr<Texture> white;
    uint32_t corner = 0;
};

TEST_F(EffectDrawing, FlashAtHalfItsDurationIsTheFlashColour) {
    ScreenEffect e;
    startEffect(e, EFFECT_FLASH_RISING, 0, 1.0, 0xFF3366);
    EXPECT_TRUE(closeTo(frameAt(e, 0.25), 0x801A33, 3)); // halfway up: half over black
    EXPECT_TRUE(closeTo(frameAt(e, 0.5), 0xFF3366, 1));
    EXPECT_TRUE(closeTo(corner, 0xFF3366, 1)); // the quad reaches the far corner
    // Past half its time the curve is drawn once more before it turns: full colour.
    EXPECT_TRUE(closeTo(frameAt(e, 0.6), 0xFF3366, 1));
    EXPECT_EQ(EFFECT_FLASH_FALLING, e.kind);
    EXPECT_TRUE(closeTo(frameAt(e, 0.75), 0x801A33, 3));
    frameAt(e, 1.01);
    EXPECT_TRUE(closeTo(frameAt(e, 1.02), 0x000000, 0)); // over: nothing drawn
}

TEST_F(EffectDrawing, FadeOutKeepsCovering) {
    ScreenEffect e;
    startEffect(e, EFFECT_FADE_OUT, 0, 0.5, 0xFF000000);
    EXPECT_TRUE(closeTo(frameAt(e, 0.25, 0xFFFFFFFF), 0x808080, 3));
    EXPECT_TRUE(closeTo(frameAt(e, 30, 0xFFFFFFFF), 0x000000, 1));
    ScreenEffect in;
    startEffect(in, EFFECT_FADE_IN, 0, 1.0, 0xFFFFFFFF);
    EXPECT_TRUE(closeTo(frameAt(in, 0.0), 0xFFFFFF, 1));
    EXPECT_TRUE(closeTo(frameAt(in, 0.75), 0x404040, 3));
}

TEST_F(EffectDrawing, TexturedBlurNeverDropsBelowItsMinimum) {
    GeneratedTexture red(
        stage.context.get(), 4, 4, 0, "red",
        [](uint32_t* level, int w, int h, int pitch, void*) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) level[y * pitch + x] = 0xFFFF0000;
        },
        nullptr);
    ScreenEffect e;
    startEffect(e, EFFECT_BLUR, 0, 1.0, 0xFF00FF00, &red);
    e.blurMinimum = 0.3f;
    // Textured effects show their texture: red, not the colour argument.
    EXPECT_TRUE(closeTo(frameAt(e, 0.0), 0xFF0000, 1));
    EXPECT_TRUE(closeTo(frameAt(e, 0.5), 0x800000, 3));
    EXPECT_TRUE(closeTo(frameAt(e, 50.0), 0x4D0000, 3)); // 0.3 of red
    EXPECT_EQ(EFFECT_BLUR, e.kind);
}

TEST_F(EffectDrawing, LoadingScreenWithoutPictureIsBlackWithTheGreyBar) {
    LoadingScreen screen;
    const float bar[4] = {0.0f, 0.91f, 1.0f, 0.935f};
    DiskFile disk;
    screen.setup(stage.context.get(), &disk, "", bar, 0xff606060, 0xff000000);
    EXPECT_EQ(nullptr, screen.picture);
    IDirect3DDevice8* d = stage.device();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0); // cleared again by the screen
    screen.drawFrame(0.5f, white->texture());
    Readback back;
    ASSERT_TRUE(readBackBuffer(d, &back));
    // The bar spans rows 0.91 h .. 0.935 h and half the width.
    const UINT w = back.width, h = back.height;
    const UINT barRow = UINT(0.9225f * float(h));
    EXPECT_EQ(0x606060u, back.rgb(w / 8, barRow));
    EXPECT_EQ(0x606060u, back.rgb(w / 2 - 2, barRow));
    EXPECT_EQ(0x000000u, back.rgb(w / 2 + 2, barRow));             // beyond the progress
    EXPECT_EQ(0x000000u, back.rgb(w / 8, UINT(0.88f * float(h)))); // above the bar
    EXPECT_EQ(0x000000u, back.rgb(w / 8, UINT(0.97f * float(h)))); // below it
    screen.draw(0.5f, white->texture()); // and the real thing presents without failing
}

TEST_F(EffectDrawing, LoadingPictureIsBuiltWithColourLayerFlagsOnly) {
    MessageRecorder messages;
    LoadingScreen screen;
    const float bar[4] = {0.0f, 0.91f, 1.0f, 0.935f};
    DiskFile disk;
    const std::string picture = std::string(NL_TESTDATA_DIR) + "/images/tga/imagers_top_left.tga";
    screen.setup(stage.context.get(), &disk, picture.c_str(), bar, 0xff606060, 0xff000000);
    ASSERT_NE(nullptr, screen.picture);
    EXPECT_EQ(uint32_t(TEXTURE_COLOR_LAYER), screen.picture->flags);
    ASSERT_NE(nullptr, screen.picture->texture());
    EXPECT_EQ(1, screen.picture->levelCount);
    EXPECT_EQ(0u, messages.count());
}

} // namespace
