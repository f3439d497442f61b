#pragma once
// The scene renderer's test stage: scenes written with the project's
// LightWave writers, loaded through a metascript, activated and drawn on a
// real device under Wine, and the frame read back. Shared by the renderer's
// device tests.

#include "app/readback.h"
#include "base/message_box.h"
#include "demo/lightwave/lwo_writer.h"
#include "demo/generators/shapes.h"
#include "demo/lightwave/lws_writer.h"
#include "lightwave/items.h"
#include "meshes/mesh_layers.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "render/metascene_render.h"
#include "render/scene_preparation.h"
#include "render/scene_renderer.h"
#include "render/surface_programs.h"
#include "tests/support/memory_file.h"
#include "tests/support/test_stage.h"
#include "timeline/metascene_loader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

namespace {

// The back buffer's size (the window's client area), read when the stage opens.
int W = 0, H = 0;
constexpr float DEG = 3.14159265f / 180;

inline int channel(uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}
inline int red(uint32_t c) {
    return channel(c, 16);
}
inline int blue(uint32_t c) {
    return channel(c, 0);
}
// Red and blue: every material halves its green (see surface_setup.h).
inline int brightness(uint32_t c) {
    return red(c) + blue(c);
}

// A cube of side `size` centred at `c`.
inline void addCube(lwo::Layer& layer, lwo::Vec3 c, float size, int surface) {
    addBox(layer, c, {size, size, size}, surface);
}

// A square of side `size` facing -z at `c`, cut into n x n quads so that
// per-vertex lighting can show a spot's cone.
inline void addGrid(lwo::Layer& layer, lwo::Vec3 c, float size, int n, int surface) {
    const uint32_t first = uint32_t(layer.points.size());
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
            layer.points.push_back({c.x - size / 2 + size * float(x) / float(n),
                                    c.y - size / 2 + size * float(y) / float(n), c.z});
    auto at = [&](int x, int y) { return first + uint32_t(y * (n + 1) + x); };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            layer.polygons.push_back(
                {{at(x, y), at(x, y + 1), at(x + 1, y + 1), at(x + 1, y)}, surface});
}

inline lwo::Object objectOf(lwo::Layer layer, lwo::Surface surface) {
    lwo::Object o;
    o.layers.push_back(std::move(layer));
    o.surfaces.push_back(std::move(surface));
    return o;
}

inline lwo::Surface surfaceOf(const char* name, lwo::Vec3 colour) {
    lwo::Surface s;
    s.name = name;
    s.colour = colour;
    return s;
}

// Glows in its own colour whatever the lights.
inline lwo::Surface glowing(const char* name, lwo::Vec3 colour) {
    lwo::Surface s = surfaceOf(name, colour);
    s.diffuse = 0;
    s.luminosity = 1;
    return s;
}

// A flat mirror `size` across facing up, glowing in `colour`, reflecting
// at `reflection`.
inline lwo::Object mirrorFloor(float size, lwo::Vec3 colour, float reflection) {
    lwo::Layer floor;
    addTerrain(floor, size, 4, 0, 0, 0, 0);
    lwo::Surface m = glowing("Mirror", colour);
    m.reflection = reflection;
    m.reflectionOptions = 0;
    return objectOf(floor, m);
}

inline lws::Item objectAt(const char* file, float x, float y, float z) {
    lws::Item o;
    o.name = file;
    o.motion[0].position[0] = x;
    o.motion[0].position[1] = y;
    o.motion[0].position[2] = z;
    return o;
}

// A camera at (0, 0, -distance) looking along +z.
inline lws::Camera cameraAt(float distance) {
    lws::Camera c;
    c.name = "Eye";
    c.motion[0].position[2] = -distance;
    return c;
}

class SceneRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stage.open(160, 120));
        IDirect3DSurface8* back = nullptr;
        ASSERT_TRUE(SUCCEEDED(stage.device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)));
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        back->Release();
        W = int(desc.Width);
        H = int(desc.Height);
        context().fovMode = 0;
        createSurfacePrograms(context());
        files = std::make_shared<MemoryFile::Files>();
    }
    void TearDown() override {
        meta.reset();
        if (stage.context) stage.context->programs.clear();
    }

    DeviceContext& context() { return *stage.context; }

    void putObject(const std::string& name, const lwo::Object& o) { (*files)[name] = lwo::write(o); }

    // Loads and activates the scene as the player would.
    LW6Scene& load(const lws::Scene& s) {
        const std::string text = lws::write(s);
        (*files)["scene.lws"] = std::vector<uint8_t>(text.begin(), text.end());
        return loadMetascript("scene.lws");
    }
    // Loads and activates the metascript `script` (its text) over `files`.
    LW6Scene& loadMetascript(const std::string& script) {
        (*files)["meta.txt"] = std::vector<uint8_t>(script.begin(), script.end());
        MemoryFile memory(files);
        meta = ::loadMetascript(&context(), &memory, "meta.txt");
        EXPECT_TRUE(meta);
        Activation a;
        a.prepareScene = prepareSceneForDrawing;
        activateMetaScene(*meta, a);
        return *meta->scenes[0];
    }

    // One frame of the scene at `time` from `camera` (its own when null),
    // over a clear to `background`.
    Readback frame(LW6Scene& scene, double time, LWItem* camera = nullptr,
                   D3DCOLOR background = 0xFF000000) {
        IDirect3DDevice8* d = stage.device();
        applyDefaultStates(context());
        d->BeginScene();
        D3DVIEWPORT8 viewport = {0, 0, DWORD(W), DWORD(H), 0, 1};
        d->SetViewport(&viewport);
        const DWORD stencil = context().depthHasStencil ? D3DCLEAR_STENCIL : 0;
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | stencil, background, 1.0f, 0);
        sceneRenderer(context()).renderScene(scene, time,
                                             camera ? *camera : *scene.currentCamera);
        d->EndScene();
        Readback r;
        EXPECT_TRUE(readBackBuffer(d, &r));
        return r;
    }

    // A red square in `front` (listed first, and nearer) before a blue wall: only
    // the order of drawing lets the front one blend over the wall.
    Readback frontOverWall(lwo::Surface front) {
        lwo::Layer inFront, back;
        lwo::addSquare(inFront, {0, 0, 0}, 2, 0);
        lwo::addSquare(back, {0, 0, 0}, 4, 0);
        putObject("front.lwo", objectOf(inFront, front));
        putObject("wall.lwo", objectOf(back, glowing("Wall", {0, 0, 1})));
        lws::Scene s;
        s.objects.push_back(objectAt("front.lwo", 0, 0, -1));
        s.objects.push_back(objectAt("wall.lwo", 0, 0, 1));
        s.lights.push_back(lws::Light{});
        s.cameras.push_back(cameraAt(6));
        return frame(load(s), 0);
    }

    // Where a point of the world lands on the screen of the last frame.
    static void screenOf(const LWItem& camera, Vec3 p, int& x, int& y) {
        const Vec4 c = transformHomogeneous(camera.inverseWorld * camera.projection, p);
        x = int((c.x / c.w + 1) * 0.5f * float(W));
        y = int((1 - c.y / c.w) * 0.5f * float(H));
    }

    TestStage stage;
    std::shared_ptr<MemoryFile::Files> files;
    std::unique_ptr<MetaScene> meta;
    MessageRecorder messages;
};

} // namespace
