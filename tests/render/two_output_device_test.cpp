// The renderer with two outputs (the setup's Stereo option, windowed: two
// windows side by side, each with a device of its own) on real devices under
// Wine. Each output must draw with render targets made on its own device: a
// scene drawn into a texture, a light's shadow map and a chrome surface's
// cube. With the eyes coinciding, both outputs show the same picture.

#include "scene_fixture.h"

#include "app/resource_count.h"
#include "demo/generators/shapes.h"
#include "images/texture.h"
#include "lightwave/surface.h"
#include "render/cube_reflections.h"
#include "render/output_targets.h"

namespace {

class TwoOutputTest : public SceneRendererTest {
protected:
    void SetUp() override {
        stage.display.settings.stereo = true;
        SceneRendererTest::SetUp();
        ASSERT_EQ(2u, context().devices.size());
        ASSERT_NE(context().devices[0], context().devices[1]);
    }

    void useOutput(int output) {
        context().currentOutput = output;
        context().device = context().devices[size_t(output)];
    }

    // Pixels whose channels differ by more than `tolerance` between the two.
    static size_t differing(const Readback& a, const Readback& b, int tolerance = 2) {
        EXPECT_EQ(a.pixels.size(), b.pixels.size());
        size_t count = 0;
        for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(channel(a.pixels[i], shift) - channel(b.pixels[i], shift)) >
                    tolerance) {
                    ++count;
                    break;
                }
        return count;
    }

    // Where a point of the scene lands in `r`.
    static uint32_t at(const Readback& r, LW6Scene& scene, Vec3 p) {
        int x, y;
        screenOf(*scene.currentCamera, p, x, y);
        return r.rgb(UINT(x), UINT(y));
    }

    static lws::Camera eyesTogether(lws::Camera c) {
        c.eyeSeparation = 0;
        return c;
    }
};

// A scene that draws into its texture draws into each output's own texture,
// through that device's surfaces, and leaves them for the other output's pass.
TEST_F(TwoOutputTest, ASceneDrawsIntoTheTextureOfEachOutput) {
    lwo::Layer square;
    lwo::addSquare(square, {0, 0, 0}, 1, 0);
    putObject("square.lwo", objectOf(square, glowing("Square", {1, 1, 1})));
    lws::Scene inside;
    inside.objects.push_back(objectAt("square.lwo", 0, 0, 0));
    inside.lights.push_back(lws::Light{});
    inside.cameras.push_back(eyesTogether(cameraAt(4)));
    const std::string text = lws::write(inside);
    (*files)["inside.lws"] = std::vector<uint8_t>(text.begin(), text.end());
    LW6Scene& scene = loadMetascript("inside.lws\n");
    scene.active = true;
    scene.clearFlags = 3;
    scene.clearColor[0] = 0; // green around the white square
    scene.clearColor[1] = 1;
    scene.clearColor[2] = 0;
    scene.clearColor[3] = 1;

    Texture* target = sceneRenderTarget(*meta, scene, context());
    ASSERT_TRUE(target && scene.renderSurface && scene.depthSurface);
    ASSERT_EQ(2u, target->deviceTextures.size());
    for (int output = 0; output < 2; ++output) {
        useOutput(output);
        applyDefaultStates(context());
        EXPECT_EQ(1, renderMetaScene(*meta, context(), 0, true, false, drawSceneWithRenderer));
        // The scene's surfaces are now the ones into this output's texture.
        IDirect3DDevice8* d = context().device;
        EXPECT_EQ(static_cast<const void*>(d), deviceOf(scene.renderSurface));
        EXPECT_EQ(static_cast<const void*>(d), deviceOf(scene.depthSurface));
        IDirect3DSurface8* level0 = target->renderSurface(size_t(output));
        ASSERT_TRUE(level0);
        EXPECT_EQ(level0, scene.renderSurface);
        Readback picture;
        const bool read = readSurface(d, level0, &picture);
        level0->Release();
        ASSERT_TRUE(read) << output;
        const uint32_t square = picture.rgb(picture.width / 2, picture.height / 2);
        EXPECT_GT(red(square), 200) << output << ": " << std::hex << square;
        EXPECT_GT(blue(square), 200) << output << ": " << std::hex << square;
        EXPECT_EQ(0x00FF00u, picture.rgb(4, 4)) << output;
    }
    useOutput(0);
    EXPECT_EQ(0u, messages.count());
}

// A cube over a floor lit by a spot with a shadow map, seen from above.
class TwoOutputShadowTest : public TwoOutputTest {
protected:
    LW6Scene& shadowScene() {
        lwo::Layer floor, box;
        addTerrain(floor, 12, 24, 0, 0, 0, 0);
        addCube(box, {0, 0, 0}, 2, 0);
        putObject("floor.lwo", objectOf(floor, surfaceOf("Floor", {1, 1, 1})));
        putObject("box.lwo", objectOf(box, surfaceOf("Box", {1, 1, 1})));
        lws::Scene s;
        s.objects.push_back(objectAt("floor.lwo", 0, 0, 0));
        s.objects.push_back(objectAt("box.lwo", 0, 2, 0));
        lws::Light spot;
        spot.name = "Spot";
        spot.type = 2;
        spot.shadowType = 2;
        spot.shadowMapSize = 256;
        spot.coneAngle = 35;
        spot.edgeAngle = 5;
        spot.motion[0].position[1] = 8;
        spot.motion[0].rotation[0] = 90 * DEG;
        spot.motion[0].rotation[1] = 90 * DEG; // straight down
        s.lights.push_back(spot);
        lws::Camera eye;
        eye.name = "Eye";
        eye.eyeSeparation = 0;
        eye.motion[0].position[1] = 10;
        eye.motion[0].position[2] = -10;
        eye.motion[0].rotation[1] = 45 * DEG;
        s.cameras.push_back(eye);
        s.ambientIntensity = 0.1f;
        return load(s);
    }
};

TEST_F(TwoOutputShadowTest, EachOutputDrawsTheShadowWithItsOwnTargets) {
    LW6Scene& scene = shadowScene();
    LWLight& light = *scene.lights[0];
    ASSERT_TRUE(light.shadowColourSurface && light.shadowDepth && light.shadowDepthSurface);
    Readback r[2];
    for (int output = 0; output < 2; ++output) {
        useOutput(output);
        r[output] = frame(scene, 0);
        // The pass drew into targets of the device that drew the frame.
        const void* d = context().device;
        EXPECT_EQ(d, deviceOf(light.shadowColourSurface)) << output;
        EXPECT_EQ(d, deviceOf(light.shadowDepthSurface)) << output;
    }
    useOutput(0);
    for (int output = 0; output < 2; ++output) {
        const uint32_t shadowed = at(r[output], scene, {0, 0, -1.3f});
        const uint32_t lit = at(r[output], scene, {0, 0, -3.2f});
        EXPECT_GT(brightness(lit), brightness(shadowed) + 60)
            << output << ": " << std::hex << lit << " " << shadowed;
    }
    EXPECT_EQ(0u, differing(r[0], r[1]));
    EXPECT_EQ(0u, messages.count());
}

// Without a depth-texture format the map is drawn as colour: each output's
// own colour target holds the cube.
TEST_F(TwoOutputShadowTest, TheColourEncodedMapIsDrawnOnEachOutput) {
    context().shadowMapFormat = D3DFMT_UNKNOWN;
    LW6Scene& scene = shadowScene();
    const LWLight& light = *scene.lights[0];
    for (int output = 0; output < 2; ++output) {
        useOutput(output);
        frame(scene, 0);
        ASSERT_TRUE(light.shadowColourSurface);
        EXPECT_FALSE(light.shadowDepth);
        Readback map;
        ASSERT_TRUE(readSurface(context().device, light.shadowColourSurface, &map)) << output;
        EXPECT_NE(0xFDFDFDu, map.rgb(128, 128)) << output; // the cube
        EXPECT_EQ(0xFDFDFDu, map.rgb(128, 40)) << output;  // the floor alone
    }
    useOutput(0);
}

// A chrome ball with a red wall behind the camera and a blue one on its left.
class TwoOutputCubeTest : public TwoOutputTest {
protected:
    LW6Scene& chromeScene() {
        lwo::Layer ball, square;
        addSphere(ball, {0, 0, 0}, 1.5f, 16, 24, 0);
        lwo::Surface chrome = surfaceOf("Chrome", {0, 0, 0});
        chrome.diffuse = 0;
        chrome.reflection = 1;
        chrome.reflectionOptions = 3;
        chrome.smoothingAngle = 89;
        putObject("ball.lwo", objectOf(ball, chrome));
        lwo::addSquare(square, {0, 0, 0}, 30, 0);
        auto wall = [&](const char* file, lwo::Vec3 colour) {
            lwo::Surface w = glowing(file, colour);
            w.doubleSided = true;
            putObject(file, objectOf(square, w));
        };
        wall("red.lwo", {1, 0, 0});
        wall("blue.lwo", {0, 0, 1});
        lws::Scene s;
        s.objects.push_back(objectAt("ball.lwo", 0, 0, 0));
        s.objects.push_back(objectAt("red.lwo", 0, 0, -12));
        lws::Item left = objectAt("blue.lwo", -8, 0, 0);
        left.motion[0].rotation[0] = 90 * DEG;
        s.objects.push_back(left);
        s.lights.push_back(lws::Light{});
        s.cameras.push_back(eyesTogether(cameraAt(6)));
        return load(s);
    }
    static constexpr float S = 1.06f; // 1.5 sin 45 deg
};

TEST_F(TwoOutputCubeTest, EachOutputDrawsAndShowsItsOwnCube) {
    LW6Scene& scene = chromeScene();
    LWSurface& chrome = *scene.objects[0]->layer->metamesh->srfs[0];
    SceneRenderer& renderer = sceneRenderer(context());
    Readback r[2];
    for (int output = 0; output < 2; ++output) {
        useOutput(output);
        r[output] = frame(scene, 0);
        // Each output's first frame draws all six faces of its own cube.
        EXPECT_EQ(6, renderer.levels[1].renders) << output;
        EXPECT_EQ(static_cast<const void*>(context().device), chrome.reflectionDevice);
        IDirect3DDevice8* owner = nullptr;
        ASSERT_TRUE(chrome.reflectionCube && SUCCEEDED(chrome.reflectionCube->GetDevice(&owner)));
        owner->Release();
        EXPECT_EQ(context().device, owner) << output;
        EXPECT_EQ(static_cast<const void*>(owner), deviceOf(chrome.reflectionDepth)) << output;
    }
    for (int output = 0; output < 2; ++output) {
        const uint32_t middle = at(r[output], scene, {0, 0, -1.5f});
        EXPECT_GT(red(middle), 150) << output << ": " << std::hex << middle;
        const uint32_t left = at(r[output], scene, {-S, 0, -S});
        EXPECT_GT(blue(left), 150) << output << ": " << std::hex << left;
    }
    EXPECT_EQ(0u, differing(r[0], r[1]));
    // The next frame on either output refreshes two faces of that output's
    // cube; drawn again at the same time it draws none.
    for (int output = 0; output < 2; ++output) {
        useOutput(output);
        frame(scene, 0.5);
        EXPECT_EQ(CUBE_FACES_PER_FRAME, renderer.levels[1].renders) << output;
        frame(scene, 0.5);
        EXPECT_EQ(0, renderer.levels[1].renders) << output;
    }
    useOutput(0);
    EXPECT_EQ(0u, messages.count());
}

// A device reset with every kind of target alive on both outputs: all go
// before it (the reset succeeds on both devices) and come back after it,
// with the same pictures.
class TwoOutputResetTest : public TwoOutputTest {
protected:
    // A chrome ball over a floor under a spot with a shadow map; the scene
    // also draws into its texture.
    LW6Scene& everything() {
        lwo::Layer ball, floor;
        addSphere(ball, {0, 0, 0}, 1, 12, 16, 0);
        lwo::Surface chrome = surfaceOf("Chrome", {0, 0, 0});
        chrome.diffuse = 0;
        chrome.reflection = 1;
        chrome.reflectionOptions = 3;
        putObject("ball.lwo", objectOf(ball, chrome));
        addTerrain(floor, 12, 12, 0, 0, 0, 0);
        putObject("floor.lwo", objectOf(floor, surfaceOf("Floor", {1, 1, 1})));
        lws::Scene s;
        s.objects.push_back(objectAt("floor.lwo", 0, 0, 0));
        s.objects.push_back(objectAt("ball.lwo", 0, 2, 0));
        lws::Light spot;
        spot.type = 2;
        spot.shadowType = 2;
        spot.shadowMapSize = 256;
        spot.coneAngle = 35;
        spot.motion[0].position[1] = 8;
        spot.motion[0].rotation[0] = 90 * DEG;
        spot.motion[0].rotation[1] = 90 * DEG;
        s.lights.push_back(spot);
        lws::Camera eye = eyesTogether(cameraAt(10));
        eye.motion[0].position[1] = 6;
        eye.motion[0].rotation[1] = 30 * DEG;
        s.cameras.push_back(eye);
        LW6Scene& scene = load(s);
        scene.active = true;
        return scene;
    }
    // Each output's frame, then the scene into that output's texture.
    void drawBoth(LW6Scene& scene, Texture& target, Readback frames[2], Readback textures[2]) {
        for (int output = 0; output < 2; ++output) {
            useOutput(output);
            frames[output] = frame(scene, 0);
            EXPECT_EQ(1, renderMetaScene(*meta, context(), 0, true, false, drawSceneWithRenderer));
            IDirect3DSurface8* level0 = target.renderSurface(size_t(output));
            ASSERT_TRUE(level0);
            EXPECT_TRUE(readSurface(context().device, level0, &textures[output]));
            level0->Release();
        }
        useOutput(0);
    }
};

TEST_F(TwoOutputResetTest, EveryOutputsTargetsGoBeforeAResetAndComeBackAfterIt) {
    LW6Scene& scene = everything();
    Texture* target = sceneRenderTarget(*meta, scene, context());
    ASSERT_TRUE(target && scene.renderSurface);
    Readback frames[2], textures[2];
    drawBoth(scene, *target, frames, textures);
    EXPECT_EQ(0u, differing(frames[0], frames[1]));
    EXPECT_EQ(0u, differing(textures[0], textures[1]));

    // As the player does: the stages let go of the textures first.
    unbindTextureStages(context());
    const long alive = liveResources();
    const std::vector<LW6Scene*> drawing = releaseDefaultPool(*meta);
    ASSERT_EQ(1u, drawing.size());
    EXPECT_FALSE(scene.renderSurface);
    EXPECT_FALSE(scene.lights[0]->shadowColour);
    stage.display.resetAll();
    // A default-pool resource left on either device would fail its reset.
    for (IDirect3DDevice8* d : context().devices) EXPECT_EQ(D3D_OK, d->TestCooperativeLevel());
    // Gone on each device (the reset lets go of what its state still held):
    // the scene's texture and depth surface, the light's colour and depth
    // targets, the chrome's cube and its depth.
    EXPECT_EQ(2 * 6, alive - liveResources());
    useOutput(1); // restored while the second output is current, as the player may
    restoreDefaultPool(*meta, context(), drawing);
    useOutput(0);
    EXPECT_TRUE(scene.renderSurface && scene.lights[0]->shadowColour);

    Readback framesAgain[2], texturesAgain[2];
    drawBoth(scene, *target, framesAgain, texturesAgain);
    unbindTextureStages(context());
    EXPECT_EQ(alive, liveResources());
    for (int output = 0; output < 2; ++output) {
        EXPECT_EQ(0u, differing(frames[output], framesAgain[output], 0)) << output;
        EXPECT_EQ(0u, differing(textures[output], texturesAgain[output], 0)) << output;
    }
    // What the frames show: a lit floor with the ball's shadow under it.
    const uint32_t shadowed = at(framesAgain[1], scene, {0, 0, 0});
    const uint32_t lit = at(framesAgain[1], scene, {0, 0, -2.5f});
    EXPECT_GT(brightness(lit), brightness(shadowed) + 60) << std::hex << lit << " " << shadowed;
    EXPECT_EQ(0u, messages.count());
}

} // namespace
