// Lens flares drawn on a real device under Wine: a flare at the light's place
// on the screen, its chain through the centre, its fading at the border, and
// additive quads saturating where they pile up.

#include "scene_fixture.h"

#include "effects/flare_layout.h"
#include "effects/flare_pictures.h"
#include "images/texture.h"

namespace {

class LensFlareTest : public SceneRendererTest {
protected:
    // An empty scene but for a point light with a flare, the camera at
    // (0, 0, -10) looking along +z.
    LW6Scene& flareScene(float x, float y, int options = 0x19, float intensity = 0.5f,
                         bool mirror = false) {
        lwo::Layer speck;
        lwo::addSquare(speck, {0, 0, 0}, 0.01f, 0);
        putObject("speck.lwo", objectOf(speck, glowing("Speck", {0, 0, 0})));
        lws::Scene s;
        s.objects.push_back(objectAt("speck.lwo", 0, 0, 40));
        if (mirror) {
            // A mirror floor under the view, which draws the scene again.
            putObject("floor.lwo", mirrorFloor(40, {0, 0, 0}, 1));
            s.objects.push_back(objectAt("floor.lwo", 0, -3, 10));
        }
        lws::Light lamp;
        lamp.name = "Lamp";
        lamp.type = 1;
        lamp.lensFlare = true;
        lamp.flareIntensity = intensity;
        lamp.lensFlareOptions = options;
        lamp.flareNominalDistance = 20; // the light's distance from the eye: a flare of nominal size
        lamp.motion[0].position[0] = x;
        lamp.motion[0].position[1] = y;
        lamp.motion[0].position[2] = 10;
        s.lights.push_back(lamp);
        s.cameras.push_back(cameraAt(10));
        return load(s);
    }
    int brightnessAt(const Readback& r, LW6Scene& scene, Vec3 p) {
        int x, y;
        screenOf(*scene.currentCamera, p, x, y);
        return brightness(r.rgb(UINT(std::clamp(x, 0, W - 1)), UINT(std::clamp(y, 0, H - 1))));
    }
};

TEST_F(LensFlareTest, AFlareGlowsAtTheLightAndItsChainCrossesTheCentre) {
    LW6Scene& scene = flareScene(2, 1);
    const Readback r = frame(scene, 0);
    EXPECT_GT(brightnessAt(r, scene, {2, 1, 10}), 300) << "the glow at the light";
    // Far from the light and off the line through the centre: dark.
    EXPECT_LT(brightnessAt(r, scene, {-6, 4, 10}), 20);
    // Element 8 (bright centre, position -0.27) lies beyond the centre.
    EXPECT_GT(brightnessAt(r, scene, {-0.27f * 2, -0.27f, 10}), 40);
    // The five pictures are the metascene's.
    EXPECT_TRUE(meta->textures.findByName(FLARE_TEXTURE_NAMES[FLARE_RING]));
    EXPECT_EQ(0u, messages.count());
}

// A reflection drawn during the frame sees the light from elsewhere; the
// flare stays where the frame's camera sees the light.
TEST_F(LensFlareTest, AReflectionDoesNotMoveTheFlare) {
    LW6Scene& scene = flareScene(2, 1, FLARE_CENTRAL_GLOW, 0.5f, true);
    const Readback r = frame(scene, 0);
    EXPECT_GT(sceneRenderer(context()).levels[1].renders, 0) << "the mirror drew";
    EXPECT_GT(brightnessAt(r, scene, {2, 1, 10}), 300);
}

TEST_F(LensFlareTest, NoFlareWithoutIntensityOrBeyondTheView) {
    LW6Scene& dim = flareScene(2, 1, 0x19, 0);
    const Readback r = frame(dim, 0);
    EXPECT_LT(brightnessAt(r, dim, {2, 1, 10}), 10);
    LW6Scene& outside = flareScene(20, 0);
    const Readback o = frame(outside, 0);
    int brightest = 0;
    for (UINT y = 0; y < UINT(H); y += 2)
        for (UINT x = 0; x < UINT(W); x += 2) brightest = std::max(brightest, brightness(o.rgb(x, y)));
    EXPECT_LT(brightest, 10);
}

TEST_F(LensFlareTest, TheGlowFadesTowardsTheBorder) {
    // The view's half width at the light's depth (20 from the eye, zoom 3.2,
    // aspect 0.75): 20 / 2.4.
    const float half = 20 / 2.4f;
    LW6Scene& inside = flareScene(0.5f * half, 0, FLARE_CENTRAL_GLOW);
    const int full = brightnessAt(frame(inside, 0), inside, {0.5f * half, 0, 10});
    LW6Scene& edge = flareScene(0.95f * half, 0, FLARE_CENTRAL_GLOW);
    const int faded = brightnessAt(frame(edge, 0), edge, {0.95f * half, 0, 10});
    EXPECT_GT(full, 300);
    EXPECT_NEAR(faded, full / 2, full / 6) << full;
}

TEST_F(LensFlareTest, PiledUpFlaresSaturateTowardsWhite) {
    // One light at the centre: all sixteen elements at the light, added up.
    LW6Scene& scene = flareScene(0, 0, FLARE_ELEMENTS | FLARE_CENTRAL_GLOW, 1);
    const Readback r = frame(scene, 0);
    const uint32_t c = r.rgb(UINT(W / 2), UINT(H / 2));
    EXPECT_EQ(255, red(c)) << std::hex << c;
    EXPECT_EQ(255, blue(c)) << std::hex << c;
}

} // namespace
