// Planar mirrors and cube-map reflections drawn on a real device under Wine:
// what the mirror and the chrome show, the portal's culling, mirrors in
// mirrors, and the cube targets across a device reset.

#include "scene_fixture.h"

#include "demo/generators/shapes.h"
#include "lightwave/surface.h"
#include "render/cube_reflections.h"
#include "render/planar_mirrors.h"

namespace {

int green(uint32_t c) {
    return channel(c, 8);
}

lwo::Surface mirrorSurface(float reflection = 1) {
    // Black and unlit: what the mirror shows is its reflection alone.
    lwo::Surface s = surfaceOf("Mirror", {0, 0, 0});
    s.diffuse = 0;
    s.reflection = reflection;
    s.reflectionOptions = 0;
    s.doubleSided = true;
    return s;
}

lwo::Object cubeObject(const char* surface, lwo::Vec3 colour) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 1, 0);
    return objectOf(layer, glowing(surface, colour));
}

class MirrorTest : public SceneRendererTest {
protected:
    // A 4 x 4 floor mirror at the origin, a red cube over it and a green one
    // beside it whose reflection would fall outside the mirror; the camera
    // looks down at the mirror from (0, 3, -7).
    LW6Scene& floorScene(float reflection = 1) {
        lwo::Layer floor;
        addTerrain(floor, 4, 4, 0, 0, 0, 0);
        putObject("mirror.lwo", objectOf(floor, mirrorSurface(reflection)));
        putObject("red.lwo", cubeObject("Red", {1, 0, 0}));
        putObject("green.lwo", cubeObject("Green", {0, 1, 0}));
        lws::Scene s;
        s.objects.push_back(objectAt("mirror.lwo", 0, 0, 0));
        s.objects.push_back(objectAt("red.lwo", 0, 1, 0));
        s.objects.push_back(objectAt("green.lwo", 3.6f, 0.6f, 2));
        s.lights.push_back(lws::Light{});
        lws::Camera eye;
        eye.name = "Eye";
        eye.motion[0].position[1] = 3;
        eye.motion[0].position[2] = -7;
        eye.motion[0].rotation[1] = std::atan(3.0f / 7.0f);
        s.cameras.push_back(eye);
        return load(s);
    }
    uint32_t at(const Readback& r, LW6Scene& scene, Vec3 p) {
        int x, y;
        screenOf(*scene.currentCamera, p, x, y);
        return r.rgb(UINT(x), UINT(y));
    }
};

TEST_F(MirrorTest, TheFloorShowsTheCubeMirroredAndNothingOutsideItsPortal) {
    ASSERT_TRUE(context().depthHasStencil);
    LW6Scene& scene = floorScene();
    const Readback r = frame(scene, 0);
    const uint32_t reflected = at(r, scene, {0, -1, 0});
    EXPECT_GT(red(reflected), 200) << std::hex << reflected;
    EXPECT_LT(blue(reflected), 30) << std::hex << reflected;
    // The cube itself still stands over the mirror.
    EXPECT_GT(red(at(r, scene, {0, 1, 0})), 200);
    SceneRenderer& renderer = sceneRenderer(context());
    EXPECT_EQ(3, renderer.objectsDrawn);
    // Through the mirror: the red cube; not the mirror itself, and not the
    // green cube, whose reflection lies outside the mirror's outline.
    EXPECT_EQ(1, renderer.reflectedObjectsDrawn);
    EXPECT_LT(green(at(r, scene, {3.6f, -0.6f, 2})), 30);
    EXPECT_GT(green(at(r, scene, {3.6f, 0.6f, 2})), 100) << "the green cube is in view";
    // Every state the mirror changed is back.
    EXPECT_EQ(0, renderer.nesting);
    EXPECT_EQ(0, renderer.mirrorDepth);
    EXPECT_EQ(uint32_t(D3DCULL_CCW), renderer.cullMode);
    EXPECT_EQ(0u, renderer.stencilEnableState);
    EXPECT_EQ(0u, messages.count());
}

TEST_F(MirrorTest, AHalfMirrorShowsHalfOfWhatItReflects) {
    LW6Scene& scene = floorScene(0.5f);
    const Readback r = frame(scene, 0, nullptr, 0xFF0000FF);
    // The black mirror over the reflection at half: half red where the cube
    // is reflected, half the blue background where nothing is.
    const uint32_t reflected = at(r, scene, {0, -1, 0});
    EXPECT_NEAR(red(reflected), 128, 12) << std::hex << reflected;
    EXPECT_LT(blue(reflected), 12) << std::hex << reflected;
    const uint32_t empty = at(r, scene, {-1.6f, 0, -1.6f});
    EXPECT_NEAR(blue(empty), 128, 12) << std::hex << empty;
    EXPECT_EQ(0, red(empty)) << std::hex << empty;
}

TEST_F(MirrorTest, AMirrorThatReflectsNothingNowIsAPlainSurface) {
    LW6Scene& scene = floorScene(0);
    const Readback r = frame(scene, 0);
    EXPECT_EQ(0u, at(r, scene, {0, -1, 0}) & 0xFFFFFF);
    EXPECT_EQ(0, sceneRenderer(context()).reflectedObjectsDrawn);
}

TEST_F(MirrorTest, TheStencilSwitchTurnedOffLeavesTheSurfaceWithoutItsReflection) {
    LW6Scene& scene = floorScene(0.5f);
    context().stencilEnable = 0;
    const Readback r = frame(scene, 0, nullptr, 0xFF0000FF);
    // The black half mirror over the blue background, drawn once.
    const uint32_t off = at(r, scene, {0, -1, 0});
    EXPECT_LT(red(off), 12) << std::hex << off;
    EXPECT_NEAR(blue(off), 128, 12) << std::hex << off;
    context().stencilEnable = 1;
    const Readback again = frame(scene, 0, nullptr, 0xFF0000FF);
    EXPECT_NEAR(red(at(again, scene, {0, -1, 0})), 128, 12);
}

// A mirror surface reached without its reflection scene: the assertion, and
// the reflection is still drawn (of the scene being drawn).
void mirrorWithoutScene(SceneRenderer& renderer, LoadedLayer& layer, int key, double time) {
    layer.metamesh->srfs[size_t(key)]->reflScene = nullptr;
    drawPlanarMirror(renderer, layer, key, time);
}

TEST_F(MirrorTest, AMirrorWithoutItsSceneIsReportedAndStillDrawn) {
    LW6Scene& scene = floorScene();
    SceneRenderer& renderer = sceneRenderer(context());
    renderer.hooks.planarMirror = mirrorWithoutScene;
    const Readback r = frame(scene, 0);
    renderer.hooks.planarMirror = drawPlanarMirror;
    EXPECT_TRUE(messages.saw("reflection Scene ist nicht zugeordnet!"));
    EXPECT_GT(red(at(r, scene, {0, -1, 0})), 200);
}

// Two mirrors facing each other with a cube between: each reflection holds
// the other mirror, four renders deep, the winding flipping at each level.
TEST_F(MirrorTest, FacingMirrorsNestToTheLimitFlippingTheCullMode) {
    lwo::Layer wall;
    addTerrain(wall, 4, 2, 0, 0, 0, 0);
    putObject("front.lwo", objectOf(wall, mirrorSurface()));
    putObject("back.lwo", objectOf(wall, mirrorSurface()));
    putObject("red.lwo", cubeObject("Red", {1, 0, 0}));
    lws::Scene s;
    lws::Item front = objectAt("front.lwo", 0, 0, 3);
    front.motion[0].rotation[1] = 90 * DEG; // stood up, facing along z
    lws::Item back = objectAt("back.lwo", 0, 0, -3);
    back.motion[0].rotation[1] = 90 * DEG;
    s.objects.push_back(front);
    s.objects.push_back(back);
    s.objects.push_back(objectAt("red.lwo", 0, 0, 0));
    s.lights.push_back(lws::Light{});
    s.cameras.push_back(cameraAt(2));
    LW6Scene& scene = load(s);
    frame(scene, 0);
    SceneRenderer& renderer = sceneRenderer(context());
    for (int level = 0; level < MAX_RENDER_NESTING; ++level) {
        EXPECT_EQ(1, renderer.levels[level].renders) << level;
        EXPECT_EQ(level % 2 ? uint32_t(D3DCULL_CW) : uint32_t(D3DCULL_CCW),
                  renderer.levels[level].cullMode)
            << level;
    }
    EXPECT_EQ(0, renderer.nesting);
    EXPECT_EQ(0, renderer.mirrorDepth);
    EXPECT_EQ(uint32_t(D3DCULL_CCW), renderer.cullMode);
    EXPECT_EQ(0u, messages.count());
}

// A chrome sphere with a red wall behind the camera, a blue one on its left
// and a magenta one on its right: each side of the sphere shows its wall.
class CubeReflectionTest : public SceneRendererTest {
protected:
    LW6Scene& chromeScene(bool withMirror = false) {
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
        wall("magenta.lwo", {1, 0, 1});
        lws::Scene s;
        s.objects.push_back(objectAt("ball.lwo", 0, 0, 0));
        s.objects.push_back(objectAt("red.lwo", 0, 0, -12));
        lws::Item left = objectAt("blue.lwo", -8, 0, 0);
        left.motion[0].rotation[0] = 90 * DEG;
        lws::Item right = objectAt("magenta.lwo", 8, 0, 0);
        right.motion[0].rotation[0] = 90 * DEG;
        s.objects.push_back(left);
        s.objects.push_back(right);
        if (withMirror) {
            // A glowing blue half mirror under the ball.
            putObject("floor.lwo", mirrorFloor(30, {0, 0, 1}, 0.5f));
            s.objects.push_back(objectAt("floor.lwo", 0, -3, 0));
        }
        s.lights.push_back(lws::Light{});
        s.cameras.push_back(cameraAt(6));
        return load(s);
    }
    uint32_t at(const Readback& r, LW6Scene& scene, Vec3 p) {
        int x, y;
        screenOf(*scene.currentCamera, p, x, y);
        return r.rgb(UINT(x), UINT(y));
    }
    static constexpr float S = 1.06f; // 1.5 sin 45 deg
};

TEST_F(CubeReflectionTest, EachSideOfTheSphereShowsTheWallItFaces) {
    LW6Scene& scene = chromeScene();
    const Readback r = frame(scene, 0);
    const LWSurface& chrome = *scene.objects[0]->layer->metamesh->srfs[0];
    ASSERT_TRUE(chrome.reflectionCube && chrome.reflectionDepth);
    // Straight back at the camera: the red wall behind it.
    const uint32_t middle = at(r, scene, {0, 0, -1.5f});
    EXPECT_GT(red(middle), 150) << std::hex << middle;
    EXPECT_LT(blue(middle), 60) << std::hex << middle;
    // Turned 45 degrees left: out to the left, the blue wall.
    const uint32_t left = at(r, scene, {-S, 0, -S});
    EXPECT_GT(blue(left), 150) << std::hex << left;
    EXPECT_LT(red(left), 60) << std::hex << left;
    // Right: the magenta wall.
    const uint32_t right = at(r, scene, {S, 0, -S});
    EXPECT_GT(blue(right), 150) << std::hex << right;
    EXPECT_GT(red(right), 150) << std::hex << right;
    // Up: nothing there but the scene's black background.
    const uint32_t top = at(r, scene, {0, S, -S});
    EXPECT_LT(red(top) + blue(top), 60) << std::hex << top;
    // The sphere's own faces are never in its cube: six renders of the three walls.
    EXPECT_EQ(6, sceneRenderer(context()).levels[1].renders);
    EXPECT_EQ(0u, messages.count());
}

// A mirror seen in the cube's faces is drawn there as in the frame: the
// ball's underside shows the blue floor.
TEST_F(CubeReflectionTest, AMirrorFloorShowsInTheCube) {
    LW6Scene& scene = chromeScene(true);
    const Readback r = frame(scene, 0);
    const uint32_t under = at(r, scene, {0, -S, -S});
    EXPECT_GT(blue(under), 100) << std::hex << under;
    EXPECT_EQ(0u, messages.count());
}

// Drawn again at the same time from the same place (the second eye pass),
// the cube is not drawn again; a new time or a turned camera draws the next
// two faces, so that three frames renew all six.
TEST_F(CubeReflectionTest, TheCubeIsDrawnOnceAFrameTwoFacesAtATime) {
    LW6Scene& scene = chromeScene();
    SceneRenderer& renderer = sceneRenderer(context());
    const uint32_t first = at(frame(scene, 0), scene, {-S, 0, -S});
    EXPECT_EQ(6, renderer.levels[1].renders);
    const uint32_t again = at(frame(scene, 0), scene, {-S, 0, -S});
    EXPECT_EQ(0, renderer.levels[1].renders);
    EXPECT_EQ(first & 0xFFFFFF, again & 0xFFFFFF);
    frame(scene, 0.5);
    EXPECT_EQ(CUBE_FACES_PER_FRAME, renderer.levels[1].renders);
    LWItem& turned = renderer.freeCameraItem();
    context().freeCamera.position[2] = -6;
    context().freeCamera.yaw = 0.1f;
    frame(scene, 0.5, &turned);
    EXPECT_EQ(CUBE_FACES_PER_FRAME, renderer.levels[1].renders);
    // Moved aside but not turned (a stereo camera's other eye): the same frame.
    context().freeCamera.position[0] = 0.2f;
    frame(scene, 0.5, &turned);
    EXPECT_EQ(0, renderer.levels[1].renders);
    // Turned back and drawn for three frames: every face renewed, the
    // picture as it was.
    for (double t : {1.0, 1.5, 2.0}) frame(scene, t);
    EXPECT_EQ(first & 0xFFFFFF, at(frame(scene, 0), scene, {-S, 0, -S}) & 0xFFFFFF);
}

// Stamps do not pile up for surfaces gone with their metascene: a cube not
// refreshed for a while is forgotten, and refreshed whole when next drawn.
TEST_F(CubeReflectionTest, StampsOfCubesNotRefreshedForLongAreForgotten) {
    LW6Scene& scene = chromeScene();
    SceneRenderer& renderer = sceneRenderer(context());
    frame(scene, 0);
    ASSERT_EQ(1u, renderer.cubeStamps.size());
    frame(scene, 0.5);
    EXPECT_EQ(CUBE_FACES_PER_FRAME, renderer.levels[1].renders);
    renderer.topLevelRenders += 100;
    renderer.forgetOldCubeStamps();
    EXPECT_EQ(1u, renderer.cubeStamps.size()); // recent enough
    renderer.topLevelRenders += 1000;
    renderer.forgetOldCubeStamps();
    EXPECT_TRUE(renderer.cubeStamps.empty());
    frame(scene, 1.0);
    EXPECT_EQ(6, renderer.levels[1].renders);
    EXPECT_EQ(1u, renderer.cubeStamps.size());
}

TEST_F(CubeReflectionTest, TheCubeIsMadeAgainAfterADeviceReset) {
    LW6Scene& scene = chromeScene();
    const uint32_t before = at(frame(scene, 0), scene, {-S, 0, -S});
    LWSurface& chrome = *scene.objects[0]->layer->metamesh->srfs[0];
    const std::vector<LW6Scene*> drawing = releaseDefaultPool(*meta);
    EXPECT_FALSE(chrome.reflectionCube);
    EXPECT_FALSE(chrome.reflectionDepth);
    stage.display.resetAll();
    EXPECT_EQ(D3D_OK, stage.device()->TestCooperativeLevel());
    restoreDefaultPool(*meta, context(), drawing);
    const uint32_t after = at(frame(scene, 0), scene, {-S, 0, -S});
    EXPECT_TRUE(chrome.reflectionCube);
    EXPECT_EQ(before & 0xFFFFFF, after & 0xFFFFFF) << std::hex << before << " " << after;
}

} // namespace

