// Metascenes in the player on a real device under Wine: scenes clear in
// their colours per eye, draw into 512 x 512 render targets, and the picture,
// cross-fade and blur effects show what their surfaces and scenes hold.

#include "app/readback.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "lightwave/lwo_builder.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stage.h"
#include "timeline/demo_player.h"
#include "timeline/effect_drawing.h"

#include <cstdlib>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "tests/app/show_folder.h"

namespace {
using B = LwoBuilder;
} // namespace

TEST(MetascenePlayer, ScenesClearInTheirColourAndTheSecondEyeKeepsTheFirstEyesChannels) {
    // A white fade-out that has run its course covers everything; each eye
    // draws its own channels of it, so the frame is white only if the second
    // eye's clear left the first eye's red channel alone.
    Show show("0 start screen\n0 clear screen 3 0xff2040c0\n1.0 fadeout 0.1 0xffffffff\n");
    ASSERT_TRUE(show.demo);
    IDirect3DDevice8* d = show.stage.device();
    ASSERT_TRUE(show.stage.context->depthHasStencil);
    d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 1);
    const uint32_t cleared = show.frameAt(0.5);
    EXPECT_TRUE(closeTo(cleared, 0x2040C0, 1)) << std::hex << cleared;
    // The scene's clear took the stencil to 0 as well: a quad drawn where the
    // stencil is 0 covers the frame.
    d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    d->SetRenderState(D3DRS_STENCILREF, 0);
    d->SetRenderState(D3DRS_STENCILMASK, 0xFF);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    drawQuad(d, 0, 0, 160, 120, nullptr, 0, 1, 0, 1);
    d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    Readback stencilled;
    ASSERT_TRUE(readBackBuffer(d, &stencilled));
    EXPECT_TRUE(closeTo(stencilled.rgb(80, 60), 0x00FF00, 1)) << std::hex << stencilled.rgb(80, 60);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    show.frameAt(1.5);
    const uint32_t covered = show.frameAt(2.0);
    EXPECT_TRUE(closeTo(covered, 0xFFFFFF, 1)) << std::hex << covered;
    // The earlier build clears in full on its one pass.
    setPrevBuild(true);
    const uint32_t prev = show.frameAt(2.5);
    setPrevBuild(false);
    EXPECT_TRUE(closeTo(prev, 0xFFFFFF, 1)) << std::hex << prev;
    EXPECT_EQ(0u, show.messages.count());
}

TEST(MetascenePlayer, ASceneWithARenderTargetDrawsIntoIt) {
    Show show("0 start screen\n0 clear screen 3 0xff000000\n0 start target\n"
              "0 clear target 3 0xff00ff00\n0 setrt target thing.lwo@Picture\n");
    ASSERT_TRUE(show.demo);
    const uint32_t screen = show.frameAt(0.2);
    EXPECT_TRUE(closeTo(screen, 0x000000, 1)) << std::hex << screen;
    LW6Scene* target = show.scene("target");
    ASSERT_TRUE(target && target->renderSurface && target->renderTexture);
    EXPECT_EQ(512, target->renderTexture->width);
    EXPECT_EQ(512, target->renderTexture->height);
    Readback texture;
    ASSERT_TRUE(readSurface(show.stage.device(), target->renderSurface, &texture));
    EXPECT_TRUE(closeTo(texture.rgb(256, 256), 0x00FF00, 1)) << std::hex << texture.rgb(256, 256);
    EXPECT_TRUE(closeTo(texture.rgb(511, 511), 0x00FF00, 1));
    // The surface now shows the scene's texture.
    LWSurface* surface = show.demo->findSurface("thing.lwo@Pic");
    ASSERT_TRUE(surface);
    EXPECT_EQ(target->renderTexture, surface->textureLayers[0]->texture);
    EXPECT_EQ(0u, show.messages.count());
}

TEST(MetascenePlayer, APictureFlashShowsThePictureOfTheSurface) {
    Show show("0 start screen\n0 clear screen 3 0xff000000\n1.0 picflash 1.0 thing.lwo@Pic\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(0.5);
    show.frameAt(1.0);
    show.frameAt(1.5); // the peak of the flash
    const Readback& f = show.frame.frame;
    ASSERT_FALSE(f.pixels.empty());
    std::set<uint32_t> colours;
    for (UINT y = 0; y < f.height; ++y)
        for (UINT x = 0; x < f.width; ++x) colours.insert(f.rgb(x, y));
    EXPECT_GT(colours.size(), 50u); // a picture, not a flat colour
    // Its mean colour is the picture's.
    DiskFile disk;
    Picture picture;
    MessageRecorder quiet;
    ASSERT_TRUE(loadPicture(disk, "planet.pcx", 0, picture));
    auto mean = [](const uint32_t* p, size_t n) {
        double sum[3] = {};
        for (size_t i = 0; i < n; ++i)
            for (int c = 0; c < 3; ++c) sum[c] += (p[i] >> (8 * c)) & 0xFF;
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c) rgb |= uint32_t(sum[c] / double(n) + 0.5) << (8 * c);
        return rgb;
    };
    const uint32_t shown = mean(f.pixels.data(), f.pixels.size());
    const uint32_t expected =
        mean(picture.pixels.get(), size_t(picture.width) * size_t(picture.height));
    EXPECT_TRUE(closeTo(shown, expected, 12)) << std::hex << shown << " " << expected;
    EXPECT_EQ(0u, show.messages.count());
}

TEST(MetascenePlayer, ACrossFadeHandsTheScreenToItsSceneAndABlurStaysOverIt) {
    Show show("0 start screen\n0 clear screen 3 0xffff0000\n0 start target\n"
              "0 clear target 3 0xff0000ff\n0 setrt target thing.lwo@Pic\n"
              "1.0 xfade target 1000\n3.0 blur target 1.0 0.3\n");
    ASSERT_TRUE(show.demo);
    const uint32_t before = show.frameAt(0.5);
    EXPECT_TRUE(closeTo(before, 0xFF0000, 1)) << std::hex << before; // "target" draws off-screen
    show.frameAt(1.0);                                               // the cross-fade starts
    const uint32_t half = show.frameAt(1.5);
    EXPECT_TRUE(closeTo(half, 0x800080, 3)) << std::hex << half;
    show.frameAt(2.1); // past the end: the target scene has the screen
    const uint32_t after = show.frameAt(2.5);
    EXPECT_TRUE(closeTo(after, 0x0000FF, 1)) << std::hex << after;
    EXPECT_FALSE(show.scene("screen")->active);
    EXPECT_EQ(nullptr, show.scene("target")->renderSurface);
    // The blur takes the scene into its texture again; its picture is the
    // scene, so the frame stays the scene's colour at any alpha.
    const uint32_t blurred = show.frameAt(3.5);
    EXPECT_TRUE(closeTo(blurred, 0x0000FF, 2)) << std::hex << blurred;
    EXPECT_NE(nullptr, show.scene("target")->renderSurface);
    EXPECT_EQ(0u, show.messages.count());
}

TEST(MetascenePlayer, CommandsOnScenesAndTheirMissingTargets) {
    Show show("0 cam screen 1\n0:00.500 hold screen\n0:01 continue screen\n"
              "0:01.100 setpos screen 250\n0:01.200 screenshot screen 4000\n"
              "0:01.300 stop screen\n0:01.400 cam nowhere 0\n0:01.500 picflash 1 nothing\n"
              "0:01.600 freemeta meta\n0:01.700 activemeta meta\n");
    ASSERT_TRUE(show.demo);
    for (const Message& m : show.messages.messages()) ADD_FAILURE() << m.text;
    ASSERT_TRUE(show.demo->current);
    LW6Scene* screen = show.scene("SCR");
    ASSERT_TRUE(screen);
    show.frameAt(0.0);
    EXPECT_EQ(screen->cameras[1], screen->currentCamera);
    EXPECT_EQ(0, show.demo->cameraBank);
    show.frameAt(0.75);
    EXPECT_TRUE(screen->hold);
    EXPECT_NEAR(0.75, screen->startTime, 0.01); // frozen at the time it ran
    show.frameAt(1.05);
    EXPECT_FALSE(screen->hold);
    EXPECT_NEAR(1.05 - 0.75, screen->startTime, 0.01); // goes on from where it stood
    show.frameAt(1.15);
    EXPECT_NEAR(1.15 - 0.25, screen->startTime, 0.01);
    show.frameAt(1.25);
    EXPECT_TRUE(screen->hold);
    EXPECT_DOUBLE_EQ(4.0, screen->startTime);
    show.frameAt(1.35);
    EXPECT_FALSE(screen->active);
    show.frameAt(1.55);
    ASSERT_EQ(2u, show.messages.count());
    EXPECT_EQ("scene != NULL && \"cam: Name nicht vorhanden\"", show.messages.messages()[0].text);
    EXPECT_EQ("surface != NULL && \"picture fader: Surface nicht vorhanden\"",
              show.messages.messages()[1].text);
    show.frameAt(1.65);
    EXPECT_EQ(nullptr, show.demo->current);
    ASSERT_EQ(1u, show.demo->mts.size()); // the entry stays, empty
    EXPECT_EQ(nullptr, show.demo->mts[0]);
    show.frameAt(1.75);
    ASSERT_EQ(3u, show.messages.count());
    EXPECT_EQ("m != mts.size() && \"activemeta: Name nicht vorhanden\"",
              show.messages.messages()[2].text);
}

TEST(MetascenePlayer, ActivationGivesShadowMapLightsTheirSpotTexture) {
    Show show("");
    ASSERT_TRUE(show.demo);
    LW6Scene* target = show.scene("target");
    ASSERT_TRUE(target);
    ASSERT_EQ(2u, target->lights.size());
    ASSERT_NE(nullptr, target->lights[0]->spotTexture);
    EXPECT_EQ("(Spot)", target->lights[0]->spotTexture->name);
    EXPECT_EQ(512, target->lights[0]->spotTexture->width);
    EXPECT_EQ(nullptr, target->lights[1]->spotTexture); // not a shadow-map light
    EXPECT_EQ(0u, show.messages.count());
}

TEST(MetascenePlayer, OnePassOnlyWhenBothEyesWouldDrawTheSamePicture) {
    Show show("0 start screen\n0 clear screen 3 0xff000000\n"
              "1.0 start target\n1.0 setrt target thing.lwo@Picture\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(0.5);
    // The camera's eyes stand apart (the default separation): the eye passes.
    EXPECT_EQ(0, show.demo->onePassFrames);
    for (const char* name : {"screen", "target"})
        for (LWCamera* c : show.scene(name)->cameras) c->eyeSeparation = 0;
    show.frameAt(0.6);
    EXPECT_EQ(1, show.demo->onePassFrames);
    // A scene drawing into a texture after the screen scene that shows it:
    // the second eye would see the first eye's half of it.
    show.frameAt(1.5);
    EXPECT_EQ(1, show.demo->onePassFrames);
    EXPECT_EQ(1, show.stage.context->eye); // the right eye's pass ran last
    EXPECT_EQ(COLOR_WRITE_RIGHT_EYE, show.stage.context->colorWriteMask);
    EXPECT_EQ(0u, show.messages.count());
}

// A device reset (alt-tab in full screen) with render targets and shadow
// maps alive: they go before the reset, which then succeeds, and come back
// after it; the same frame reads back the same pixels.
TEST(MetascenePlayer, AResetWithRenderTargetsAliveRestoresTheSameFrame) {
    Show show("0 start screen\n0 clear screen 3 0xff102030\n0 start target\n"
              "0 clear target 3 0xff00ff00\n0 setrt target thing.lwo@Picture\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(0.2);
    show.frameAt(0.2); // the screen scene shows the target's texture of a drawn frame
    const Readback before = show.frame.frame;
    LW6Scene* target = show.scene("target");
    ASSERT_TRUE(target && target->renderSurface);
    ASSERT_TRUE(target->lights[0]->shadowColour); // "Sun" has a shadow map

    IDirect3DDevice8* d = show.stage.device();
    show.demo->releaseDeviceResources();
    EXPECT_FALSE(target->renderSurface);
    EXPECT_FALSE(target->lights[0]->shadowColour);
    show.stage.display.resetAll();
    EXPECT_EQ(D3D_OK, d->TestCooperativeLevel());
    show.demo->restoreDeviceResources();
    EXPECT_TRUE(target->renderSurface);
    EXPECT_TRUE(target->lights[0]->shadowColour && target->lights[0]->shadowDepthSurface);

    show.frameAt(0.2);
    show.frameAt(0.2);
    const Readback& after = show.frame.frame;
    ASSERT_EQ(before.pixels.size(), after.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i)
        differing += (before.pixels[i] & 0xFFFFFF) != (after.pixels[i] & 0xFFFFFF);
    EXPECT_EQ(0u, differing);
    EXPECT_TRUE(closeTo(after.rgb(80, 60), 0x102030, 1)) << std::hex << after.rgb(80, 60);
    // The new texture was drawn into again: the target's clear colour.
    Readback texture;
    ASSERT_TRUE(readSurface(d, target->renderSurface, &texture));
    EXPECT_TRUE(closeTo(texture.rgb(256, 256), 0x00FF00, 1)) << std::hex << texture.rgb(256, 256);
    EXPECT_EQ(0u, show.messages.count());
}
