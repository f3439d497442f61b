// Scenes written with the project's LightWave writers, loaded through a
// metascript, activated and drawn by the scene renderer on a real device
// under Wine; what must be on the screen is read back.

#include "scene_fixture.h"

#include "lightwave/surface.h"

namespace {

TEST_F(SceneRendererTest, ALitCubeIsBrighterOnItsLitFace) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 2, 0);
    putObject("cube.lwo", objectOf(layer, surfaceOf("White", {1, 1, 1})));
    lws::Scene s;
    lws::Item cube = objectAt("cube.lwo", 0, 0, 0);
    cube.motion[0].rotation[0] = 45 * DEG; // the -z face turns left, the +x face right
    s.objects.push_back(cube);
    lws::Light sun;
    sun.name = "Sun";
    sun.motion[0].rotation[0] = 45 * DEG; // shines straight onto the turned -z face
    s.lights.push_back(sun);
    s.cameras.push_back(cameraAt(6));
    s.ambientIntensity = 0.1f;
    LW6Scene& scene = load(s);
    const Readback r = frame(scene, 0);
    const uint32_t left = r.rgb(W / 2 - 12, H / 2), right = r.rgb(W / 2 + 12, H / 2);
    EXPECT_GT(brightness(left), 400) << std::hex << left;
    EXPECT_LT(brightness(right), 130) << std::hex << right;
    EXPECT_GT(brightness(right), 0) << "the ambient light still shows the unlit face";
    EXPECT_EQ(0u, r.rgb(4, 4)) << "the background stays clear";
    EXPECT_EQ(1, sceneRenderer(context()).objectsDrawn);
    EXPECT_EQ(0u, messages.count());
}

TEST_F(SceneRendererTest, ASpotLightsItsConeAndNotBeyond) {
    lwo::Layer layer;
    addGrid(layer, {0, 0, 0}, 12, 24, 0);
    putObject("wall.lwo", objectOf(layer, surfaceOf("Wall", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("wall.lwo", 0, 0, 0));
    lws::Light spot;
    spot.name = "Spot";
    spot.type = 2;
    spot.coneAngle = 12;
    spot.edgeAngle = 2;
    spot.motion[0].position[2] = -6; // pointing along +z at the wall's centre
    s.lights.push_back(spot);
    s.cameras.push_back(cameraAt(6));
    s.ambientIntensity = 0;
    LW6Scene& scene = load(s);
    const Readback r = frame(scene, 0);
    // The cone's radius on the wall is 6 tan 12 deg = 1.3 units; the wall fills
    // the view (12 units across at 6 units distance with zoom 3.2).
    EXPECT_GT(brightness(r.rgb(W / 2, H / 2)), 300) << std::hex << r.rgb(W / 2, H / 2);
    EXPECT_LT(brightness(r.rgb(W / 2 + 50, H / 2)), 20) << std::hex << r.rgb(W / 2 + 50, H / 2);
    EXPECT_LT(brightness(r.rgb(W / 2, 8)), 20);
}

TEST_F(SceneRendererTest, FogDarkensWithDistanceUnlessTheObjectIgnoresIt) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 1, 0);
    putObject("cube.lwo", objectOf(layer, glowing("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", -1.2f, 0, 0));  // near: 5.5 from the eye
    s.objects.push_back(objectAt("cube.lwo", 3.2f, 0, 14));  // far: 19.5
    lws::Item ignoring = objectAt("cube.lwo", 6, 0, 14);   // as far, but no fog
    ignoring.unaffectedByFog = true;
    s.objects.push_back(ignoring);
    s.lights.push_back(lws::Light{});
    s.cameras.push_back(cameraAt(6));
    s.fogMin = 4;
    s.fogMax = 24;
    s.fogColour[0] = 0; // fog black
    LW6Scene& scene = load(s);
    ASSERT_EQ(FOG_LINEAR, scene.fogType);
    const Readback r = frame(scene, 0);
    // Where each cube's centre lands: x = 2.4 X / Z of the half width.
    auto column = [](float x, float z) { return int(W / 2 + 2.4f * x / z * W / 2); };
    const uint32_t nearCube = r.rgb(column(-1.2f, 6), H / 2);
    const uint32_t farCube = r.rgb(column(3.2f, 20), H / 2);
    const uint32_t clearCube = r.rgb(column(6, 20), H / 2);
    EXPECT_GT(brightness(nearCube), brightness(farCube) + 100)
        << std::hex << nearCube << " " << farCube;
    EXPECT_GT(brightness(farCube), 0) << "fog at a fifth of its depth left";
    EXPECT_GT(brightness(clearCube), 450) << std::hex << clearCube;
}

TEST_F(SceneRendererTest, TransparentObjectsBlendOverOpaqueOnesBehindThem) {
    lwo::Surface glass = glowing("Glass", {1, 0, 0});
    glass.transparency = 0.5f;
    const Readback r = frontOverWall(glass);
    const uint32_t c = r.rgb(W / 2, H / 2);
    EXPECT_GT(red(c), 90) << std::hex << c;
    EXPECT_GT(blue(c), 90) << std::hex << c;
    const uint32_t wallOnly = r.rgb(W / 2 + 45, H / 2);
    EXPECT_GT(blue(wallOnly), 240) << std::hex << wallOnly;
    EXPECT_LT(red(wallOnly), 10) << std::hex << wallOnly;
}

TEST_F(SceneRendererTest, AdditiveTransparencyAloneAlsoBlends) {
    lwo::Surface glow = glowing("Glow", {1, 0, 0});
    glow.additiveTransparency = 0.5f;
    const Readback r = frontOverWall(glow);
    const uint32_t c = r.rgb(W / 2, H / 2);
    EXPECT_GT(red(c), 90) << std::hex << c;
    EXPECT_GT(blue(c), 90) << std::hex << c;
}

TEST_F(SceneRendererTest, ObjectsOutsideTheViewAreCulled) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 1, 0);
    putObject("cube.lwo", objectOf(layer, glowing("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    s.objects.push_back(objectAt("cube.lwo", 0, 0, -12)); // behind the eye
    s.objects.push_back(objectAt("cube.lwo", 40, 0, 0));  // far to the right
    s.lights.push_back(lws::Light{});
    s.cameras.push_back(cameraAt(6));
    LW6Scene& scene = load(s);
    const Readback r = frame(scene, 0);
    SceneRenderer& renderer = sceneRenderer(context());
    EXPECT_EQ(1, renderer.objectsDrawn);
    EXPECT_EQ(2, renderer.objectsCulled);
    EXPECT_GT(brightness(r.rgb(W / 2, H / 2)), 450);
    // The fitted depth range holds the one visible cube: 5.5 .. 6.5.
    EXPECT_NEAR(6.5f / (6.5f - 5.5f), scene.currentCamera->projection.m[2][2], 0.01f);
}

TEST_F(SceneRendererTest, WireframeDrawsOnlyTheEdges) {
    lwo::Layer layer;
    lwo::addSquare(layer, {0, 0, 0}, 4, 0);
    putObject("square.lwo", objectOf(layer, glowing("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("square.lwo", 0, 0, 0));
    s.lights.push_back(lws::Light{});
    s.cameras.push_back(cameraAt(6));
    LW6Scene& scene = load(s);
    auto lit = [](const Readback& r) {
        int n = 0;
        for (uint32_t p : r.pixels) n += (p & 0xFFFFFF) != 0;
        return n;
    };
    const int solid = lit(frame(scene, 0));
    context().wireframe = 1;
    const Readback wire = frame(scene, 0);
    context().wireframe = 0;
    EXPECT_GT(solid, 3000);
    EXPECT_GT(lit(wire), 100);
    EXPECT_LT(lit(wire), solid / 4);
    EXPECT_EQ(0u, wire.rgb(W / 2 + 5, H / 2 + 9)) << "inside a triangle";
}

TEST_F(SceneRendererTest, TheFreeCameraAndTheAlternateCameraSeeFromTheirOwnPlaces) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 1, 0);
    putObject("cube.lwo", objectOf(layer, glowing("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    lws::Light light;
    light.name = "Lamp";
    light.type = 2;
    light.coneAngle = 30;
    light.motion[0].position[2] = -5; // looks at the cube
    s.lights.push_back(light);
    lws::Camera away = cameraAt(6);
    away.motion[0].rotation[0] = 180 * DEG; // looks away from it
    s.cameras.push_back(away);
    LW6Scene& scene = load(s);
    EXPECT_EQ(0, brightness(frame(scene, 0).rgb(W / 2, H / 2)));

    // The free camera, placed by the author in front of the cube.
    context().freeCamera.position[2] = -4;
    LWItem& free = sceneRenderer(context()).freeCameraItem();
    EXPECT_GT(brightness(frame(scene, 0, &free).rgb(W / 2, H / 2)), 450);
    context().freeCamera.yaw = 3.14159265f;
    EXPECT_EQ(0, brightness(frame(scene, 0, &free).rgb(W / 2, H / 2)));

    // The alternate camera: the metascene pass draws from the first light.
    scene.active = true;
    context().alternateCamera = 1;
    IDirect3DDevice8* d = stage.device();
    applyDefaultStates(context());
    ASSERT_EQ(1, renderMetaScene(*meta, context(), 0, true, false, drawSceneWithRenderer));
    Readback r;
    ASSERT_TRUE(readBackBuffer(d, &r));
    context().alternateCamera = 0;
    EXPECT_GT(brightness(r.rgb(W / 2, H / 2)), 450);
}

TEST_F(SceneRendererTest, ASceneWithoutLightsShowsItsAmbientLight) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 2, 0);
    putObject("cube.lwo", objectOf(layer, surfaceOf("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    s.cameras.push_back(cameraAt(6));
    s.ambientIntensity = 0.5f;
    LW6Scene& scene = load(s);
    ASSERT_TRUE(scene.lights.empty());
    const uint32_t c = frame(scene, 0).rgb(W / 2, H / 2);
    EXPECT_NEAR(128, red(c), 8) << std::hex << c;
    EXPECT_EQ(red(c), blue(c));
    EXPECT_EQ(0u, messages.count());
}

TEST_F(SceneRendererTest, StereoEyesSeeTheSceneFromTwoPlaces) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 2, 0);
    putObject("cube.lwo", objectOf(layer, glowing("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    s.lights.push_back(lws::Light{});
    lws::Camera eye = cameraAt(12);
    s.cameras.push_back(eye);
    LW6Scene& scene = load(s);
    scene.currentCamera->eyeSeparation = 0.4f;
    // Two passes as the player makes them: red for the left eye, then green
    // and blue for the right, the depth cleared between them.
    IDirect3DDevice8* d = stage.device();
    applyDefaultStates(context());
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    for (int eye = 0; eye < 2; ++eye) {
        context().eye = eye;
        context().colorWriteMask = eye == 0 ? COLOR_WRITE_LEFT_EYE : COLOR_WRITE_RIGHT_EYE;
        d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        sceneRenderer(context()).renderScene(scene, 0, *scene.currentCamera);
    }
    d->EndScene();
    context().eye = -1;
    context().colorWriteMask = COLOR_WRITE_ALL;
    Readback r;
    ASSERT_TRUE(readBackBuffer(d, &r));
    // The cube's extent in each channel along the middle row.
    int redFirst = -1, redLast = -1, greenFirst = -1, greenLast = -1;
    for (int x = 0; x < W; ++x) {
        const uint32_t c = r.rgb(UINT(x), H / 2);
        if (red(c) > 128) {
            if (redFirst < 0) redFirst = x;
            redLast = x;
        }
        if (blue(c) > 128) {
            if (greenFirst < 0) greenFirst = x;
            greenLast = x;
        }
    }
    ASSERT_GE(redFirst, 0);
    ASSERT_GE(greenFirst, 0);
    // Same size, different places: the two eyes look from either side.
    EXPECT_NEAR(redLast - redFirst, greenLast - greenFirst, 2);
    EXPECT_GE(std::abs((redFirst + redLast) - (greenFirst + greenLast)) / 2, 3)
        << redFirst << ".." << redLast << " vs " << greenFirst << ".." << greenLast;
}

TEST_F(SceneRendererTest, AnotherScenesLightsDoNotLightThisOne) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 2, 0);
    putObject("cube.lwo", objectOf(layer, surfaceOf("White", {1, 1, 1})));
    // The first scene has a second, red light shining at the camera's side.
    lws::Scene lit;
    lit.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    lws::Light dim, redLamp;
    dim.name = "Dim";
    dim.intensity = 0;
    redLamp.name = "Red";
    redLamp.colour[1] = redLamp.colour[2] = 0;
    lit.lights = {dim, redLamp};
    lit.cameras.push_back(cameraAt(6));
    lit.ambientIntensity = 0;
    LW6Scene& first = load(lit);
    EXPECT_GT(red(frame(first, 0).rgb(W / 2, H / 2)), 200);
    std::unique_ptr<MetaScene> kept = std::move(meta);
    // The second has one light, switched off: its cube stays black.
    lws::Scene dark = lit;
    dark.lights = {dim};
    LW6Scene& second = load(dark);
    EXPECT_EQ(0u, frame(second, 0).rgb(W / 2, H / 2));
}

TEST_F(SceneRendererTest, AShadowMapLightGetsItsTargetsAndSpotWhenPrepared) {
    lwo::Layer layer;
    addCube(layer, {0, 0, 0}, 1, 0);
    putObject("cube.lwo", objectOf(layer, surfaceOf("White", {1, 1, 1})));
    lws::Scene s;
    s.objects.push_back(objectAt("cube.lwo", 0, 0, 0));
    lws::Light mapped, plain;
    mapped.name = "Mapped";
    mapped.type = 2;
    mapped.shadowType = 2;
    mapped.shadowMapSize = 256;
    plain.name = "Plain";
    s.lights = {mapped, plain};
    s.cameras.push_back(cameraAt(6));
    LW6Scene& scene = load(s);
    ASSERT_EQ(2u, scene.lights.size());
    const LWLight& light = *scene.lights[0];
    ASSERT_TRUE(light.shadowColour && light.shadowColourSurface && light.shadowDepthSurface);
    D3DSURFACE_DESC colour, depth;
    light.shadowColourSurface->GetDesc(&colour);
    light.shadowDepthSurface->GetDesc(&depth);
    EXPECT_EQ(256u, colour.Width);
    EXPECT_EQ(256u, depth.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, colour.Format);
    EXPECT_EQ(D3DUSAGE_DEPTHSTENCIL, int(depth.Usage));
    EXPECT_TRUE(light.spotTexture);
    EXPECT_FALSE(scene.lights[1]->shadowColour);
    EXPECT_FALSE(scene.lights[1]->spotTexture);
    EXPECT_EQ(0u, messages.count());
}

// A cube over a floor under a spot light with a shadow map, seen from above
// and in front; `casts` says whether the cube casts its shadow.
class ShadowTest : public SceneRendererTest {
protected:
    LW6Scene& shadowScene(bool casts, float lightPitch = 90 * DEG) {
        lwo::Layer floor, box;
        addTerrain(floor, 12, 24, 0, 0, 0, 0); // hills of no height: a floor
        addCube(box, {0, 0, 0}, 2, 0);
        putObject("floor.lwo", objectOf(floor, surfaceOf("Floor", {1, 1, 1})));
        putObject("box.lwo", objectOf(box, surfaceOf("Box", {1, 1, 1})));
        lws::Scene s;
        s.objects.push_back(objectAt("floor.lwo", 0, 0, 0));
        lws::Item cube = objectAt("box.lwo", 0, 2, 0);
        cube.shadowOptions = casts ? 7 : 4;
        s.objects.push_back(cube);
        lws::Light spot;
        spot.name = "Spot";
        spot.type = 2;
        spot.shadowType = 2;
        spot.shadowMapSize = 256;
        spot.coneAngle = 35;
        spot.edgeAngle = 5;
        // 8 up, aimed at the origin: from the left (-x) when not straight down.
        spot.motion[0].position[1] = 8;
        spot.motion[0].position[0] = -8 / std::tan(lightPitch);
        spot.motion[0].rotation[0] = 90 * DEG;
        spot.motion[0].rotation[1] = lightPitch;
        s.lights.push_back(spot);
        lws::Camera eye;
        eye.name = "Eye";
        eye.motion[0].position[1] = 10;
        eye.motion[0].position[2] = -10;
        eye.motion[0].rotation[1] = 45 * DEG;
        s.cameras.push_back(eye);
        s.ambientIntensity = 0.1f;
        return load(s);
    }
};

TEST_F(ShadowTest, TheDeviceComparesDepthInAKnownWay) {
    shadowScene(true);
    // Wine's device compares depth textures only in pixel programs, in the
    // 0..1 depth range.
    EXPECT_TRUE(context().shadowProbed);
    EXPECT_TRUE(context().shadowCompareWorks);
    EXPECT_TRUE(context().shadowCompareInPixelProgram);
    EXPECT_TRUE(context().shadowCompareUnitDepth);
}

TEST_F(ShadowTest, ACubeShadowsTheFloorUnderIt) {
    LW6Scene& scene = shadowScene(true);
    const Readback r = frame(scene, 0);
    int sx, sy, lx, ly;
    screenOf(*scene.currentCamera, {0, 0, -1.3f}, sx, sy); // under the cube's edge
    screenOf(*scene.currentCamera, {0, 0, -3.2f}, lx, ly); // in the cone, clear of it
    const uint32_t shadowed = r.rgb(UINT(sx), UINT(sy)), lit = r.rgb(UINT(lx), UINT(ly));
    EXPECT_GT(brightness(lit), brightness(shadowed) + 60)
        << std::hex << lit << " " << shadowed << std::dec << " at " << sx << "," << sy;
    EXPECT_GT(brightness(lit), 100) << std::hex << lit;
    EXPECT_EQ(0u, messages.count());
}

// A light at a slant: the lit floor in front of the cube is evenly lit, not
// striped by the floor's own depth compared with itself.
TEST_F(ShadowTest, ASlantedLightLeavesTheLitFloorEven) {
    LW6Scene& scene = shadowScene(true, 50 * DEG);
    const Readback r = frame(scene, 0);
    int lowest = 1000, highest = 0;
    for (float x = -2.6f; x <= -1.39f; x += 0.3f)
        for (float z = -1.2f; z <= 1.21f; z += 0.3f) {
            int sx, sy;
            screenOf(*scene.currentCamera, {x, 0, z}, sx, sy);
            const int b = brightness(r.rgb(UINT(sx), UINT(sy)));
            lowest = std::min(lowest, b);
            highest = std::max(highest, b);
        }
    EXPECT_GT(lowest, 100);
    EXPECT_LT(highest - lowest, 60) << lowest << ".." << highest;
    // The shadow still falls beyond the cube, away from the light.
    int sx, sy;
    screenOf(*scene.currentCamera, {2.4f, 0, -0.5f}, sx, sy);
    EXPECT_LT(brightness(r.rgb(UINT(sx), UINT(sy))) + 60, lowest);
}

TEST_F(ShadowTest, AnObjectThatDoesNotCastLeavesNoShadow) {
    LW6Scene& scene = shadowScene(false);
    const Readback r = frame(scene, 0);
    int sx, sy, lx, ly;
    screenOf(*scene.currentCamera, {0, 0, -1.3f}, sx, sy);
    screenOf(*scene.currentCamera, {0, 0, -3.2f}, lx, ly);
    const uint32_t under = r.rgb(UINT(sx), UINT(sy)), lit = r.rgb(UINT(lx), UINT(ly));
    EXPECT_NEAR(brightness(lit), brightness(under), 40) << std::hex << lit << " " << under;
}

// Without a depth-texture format the pass writes depth encoded in colour:
// the cube (its faces turned from the light) differs from the clear value,
// and the floor, which has no such faces, leaves it; receivers then draw
// with their own programs.
TEST_F(ShadowTest, TheColourEncodedKindWritesDepthAsColour) {
    context().shadowMapFormat = D3DFMT_UNKNOWN;
    LW6Scene& scene = shadowScene(true);
    const LWLight& light = *scene.lights[0];
    ASSERT_TRUE(light.shadowColourSurface && light.shadowDepthSurface);
    EXPECT_FALSE(light.shadowDepth);
    const Readback r = frame(scene, 0);
    Readback map;
    ASSERT_TRUE(readSurface(stage.device(), light.shadowColourSurface, &map));
    ASSERT_EQ(256u, map.width);
    const uint32_t top = map.rgb(128, 128), floor = map.rgb(128, 40);
    EXPECT_NE(0xFDFDFDu, top) << std::hex << top;
    EXPECT_EQ(0xFDFDFDu, floor) << std::hex << floor;
    // The camera's picture is still drawn, lit without the map.
    int x, y;
    screenOf(*scene.currentCamera, {0, 0, -3.2f}, x, y);
    EXPECT_GT(brightness(r.rgb(UINT(x), UINT(y))), 100);
    EXPECT_EQ(0u, messages.count());
}

// A real scene nobody on the project wrote, with its objects and procedural
// textures, through a metascript in its folder.
TEST_F(SceneRendererTest, TheSharedQuickDrawSceneDrawsItsVehicle) {
    // Every file under the names the scene and its objects use: objects
    // beside the scene's folder, the reflection picture where the objects
    // look for it.
    const std::filesystem::path root = std::string(NL_TESTDATA_DIR) + "/lws/quickdraw";
    auto put = [&](const std::string& name, const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        (*files)[name] = std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    const std::string sceneName = "QuickDraw v.2.2.lws";
    put(sceneName, root / "LWS" / sceneName);
    for (const auto& e : std::filesystem::directory_iterator(root / "LWO/LWO2/LWSReferences")) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".lwo") put("../LWO/LWO2/LWSReferences/" + name, e.path());
        if (e.path().extension() == ".JPG") put("Images/Reflections/" + name, e.path());
    }
    LW6Scene& scene = loadMetascript("\"" + sceneName + "\"");
    ASSERT_TRUE(meta);
    ASSERT_TRUE(scene.currentCamera);
    for (double t : {0.0, 0.5, 1.0}) {
        const Readback r = frame(scene, t, nullptr, 0xFF203040);
        SceneRenderer& renderer = sceneRenderer(context());
        EXPECT_GT(renderer.objectsDrawn, 5) << t;
        // The vehicle covers a good part of the frame in many shades.
        int covered = 0;
        std::set<uint32_t> shades;
        for (uint32_t p : r.pixels) {
            if ((p & 0xFFFFFF) == 0x203040) continue;
            ++covered;
            shades.insert(p & 0xFFFFFF);
        }
        EXPECT_GT(covered, W * H / 10) << t;
        EXPECT_GT(shades.size(), 50u) << t;
        // Where the chassis's box centre projects, the chassis is drawn: a
        // few pixels around it are not the background.
        const LWItem& camera = *scene.currentCamera;
        int chassis = 0;
        for (const LWObject* o : scene.objects) {
            if (o->name.find("Chasis") == std::string::npos || !o->layer) continue;
            ++chassis;
            const auto& box = static_cast<const LoadedLayer*>(o->layer)->box;
            const Vec4 c = transformHomogeneous(o->world * camera.inverseWorld * camera.projection,
                                                vec3(box.center));
            ASSERT_GT(c.w, 0) << t;
            const int x = int((c.x / c.w + 1) * 0.5f * float(W));
            const int y = int((1 - c.y / c.w) * 0.5f * float(H));
            ASSERT_TRUE(x > 2 && x < W - 2 && y > 2 && y < H - 2) << x << "," << y;
            int drawn = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    drawn += r.rgb(UINT(x + dx), UINT(y + dy)) != 0x203040;
            EXPECT_GE(drawn, 20) << t << " at " << x << "," << y;
        }
        EXPECT_EQ(1, chassis);
    }
    EXPECT_EQ(0u, messages.count());
}

} // namespace
