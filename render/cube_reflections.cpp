#include "cube_reflections.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "base/color.h"
#include "device_constants.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "mesh_buffers.h"
#include "meshes/mesh_layers.h"
#include "output_targets.h"
#include "reflection_geometry.h"
#include "scene_renderer.h"
#include "timeline/profiler.h"

namespace {

struct CubeSet {
    IDirect3DCubeTexture8* cube = nullptr;
    IDirect3DSurface8* depth = nullptr;
    bool empty() const { return !cube && !depth; }
};

// The cubes of the outputs not drawing now (see output_targets.h).
OutputTargets<CubeSet> otherCubes;

void releaseSet(CubeSet& set) {
    if (set.cube) set.cube->Release();
    if (set.depth) set.depth->Release();
    set = CubeSet{};
}

// The surface's fields take the current device's cube (none yet: made
// when drawn).
void useOutputCube(DeviceContext& context, LWSurface& surface) {
    if (context.devices.size() < 2 || surface.reflectionDevice == context.device) return;
    CubeSet fields = {surface.reflectionCube, surface.reflectionDepth};
    otherCubes.trade(&surface, fields, surface.reflectionDevice, context.device);
    surface.reflectionCube = fields.cube;
    surface.reflectionDepth = fields.depth;
    surface.reflectionDevice = fields.empty() ? nullptr : context.device;
}

} // namespace

void releaseCubeTargets(LWSurface& surface) {
    if (surface.reflectionCube) surface.reflectionCube->Release();
    if (surface.reflectionDepth) surface.reflectionDepth->Release();
    surface.reflectionCube = nullptr;
    surface.reflectionDepth = nullptr;
    surface.reflectionDevice = nullptr;
    otherCubes.releaseAll(&surface, releaseSet);
}

namespace {

bool makeCubeTargets(DeviceContext& context, LWSurface& surface) {
    IDirect3DDevice8* d = context.device;
    surface.releaseReflectionTargets = releaseCubeTargets;
    const bool ok =
        D3D_CHECK(d->CreateCubeTexture(CUBE_REFLECTION_SIZE, 1, D3DUSAGE_RENDERTARGET,
                                       D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                       &surface.reflectionCube)) &&
        D3D_CHECK(d->CreateDepthStencilSurface(CUBE_REFLECTION_SIZE, CUBE_REFLECTION_SIZE,
                                               D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                               &surface.reflectionDepth));
    countResource(surface.reflectionCube);
    countResource(surface.reflectionDepth);
    if (!ok) releaseCubeTargets(surface);
    if (ok) surface.reflectionDevice = d;
    return ok;
}

// The same frame: the same time (which places the object) and the same
// camera axes (the faces keep only the view's rotation; the eyes of a
// stereo camera differ in its translation alone).
bool sameStamp(const SceneRenderer::CubeStamp& a, const SceneRenderer::CubeStamp& b) {
    if (a.time != b.time) return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (a.view.m[i][j] != b.view.m[i][j]) return false;
    return true;
}

void refreshCube(SceneRenderer& renderer, LoadedLayer& layer, LWSurface& surface,
                 LWObject& object, double time, bool fresh) {
    DeviceContext& context = renderer.context;
    IDirect3DDevice8* d = context.device;
    const SceneRenderer::DrawState state = renderer.current();
    LW6Scene* scene = surface.reflScene ? surface.reflScene : state.scene;
    if (!scene || !state.camera) return;
    LWItem& camera = *state.camera;
    if (!camera.inverseValid) camera.getInvMatrix(time);
    if (!object.worldValid) object.getMatrix(time);
    layer.ensureBoundingBox();
    const Vec3 eye = transformPoint(object.world, vec3(layer.box.center));
    // Once a frame: the second eye pass, and other objects sharing the
    // surface, see the cube as the first drawing of the frame left it.
    SceneRenderer::CubeStamp stamp = {time, camera.inverseWorld, 0, renderer.topLevelRenders};
    const SceneRenderer::CubeKey stampKey = {&surface, context.currentOutput};
    auto kept = renderer.cubeStamps.find(stampKey);
    const bool known = kept != renderer.cubeStamps.end();
    if (!fresh && known && sameStamp(kept->second, stamp)) return;

    IDirect3DSurface8 *savedColour = nullptr, *savedDepth = nullptr;
    if (!D3D_CHECK(d->GetRenderTarget(&savedColour))) return;
    d->GetDepthStencilSurface(&savedDepth);
    // A new cube gets all six faces; after that each frame draws the next
    // CUBE_FACES_PER_FRAME of them in turn, every face at most a few frames old.
    const int firstFace = fresh || !known ? 0 : kept->second.nextFace;
    const int faces = fresh || !known ? 6 : CUBE_FACES_PER_FRAME;
    stamp.nextFace = (firstFace + faces) % 6;
    renderer.cubeStamps[stampKey] = stamp;
    // The faces have stencils of their own: a mirror around the object
    // (its stencil test still on) must not mask them.
    const uint32_t keptStencil = renderer.stencilEnableState;
    const uint32_t keptRef = renderer.stencilRefState;
    d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    renderer.stencilEnableState = 0;
    renderer.stencilRefState = 0;
    // Not read from while it is drawn into.
    d->SetTexture(1, nullptr);
    // Mirrors in the faces count their depth from the faces' own stencil.
    const int mirrorDepth = renderer.mirrorDepth;
    renderer.mirrorDepth = 0;
    // Every channel: the eye passes' masks are for the screen, and the cube
    // serves both.
    const int eyeMask = context.colorWriteMask;
    context.colorWriteMask = COLOR_WRITE_ALL;
    D3DVIEWPORT8 savedViewport;
    const bool viewportKept = D3D_CHECK(d->GetViewport(&savedViewport));
    // What the surroundings show where nothing is: the scene's own background.
    const float* c = scene->clearColor;
    const D3DCOLOR background = packColor(c[0], c[1], c[2], c[3]);

    renderer.cubesBeingDrawn.push_back(&surface);
    for (int k = 0; k < faces; ++k) {
        const int face = (firstFace + k) % 6;
        IDirect3DSurface8* target = nullptr;
        {
            ProfileScope scope(PROFILE_GET_CUBE_MAP_SURFACE);
            if (!D3D_CHECK(surface.reflectionCube->GetCubeMapSurface(
                    D3DCUBEMAP_FACES(face), 0, &target)))
                continue;
        }
        if (D3D_CHECK(d->SetRenderTarget(target, surface.reflectionDepth))) {
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                     background, 1.0f, 0);
            ViewCamera faceCamera(&context, cubeFaceView(camera.inverseWorld, eye, face),
                                  cubeFaceLens());
            layer.currentObject = &faceCamera;
            renderer.renderScene(*scene, time, faceCamera);
            layer.currentObject = &object;
        }
        target->Release();
    }

    renderer.cubesBeingDrawn.pop_back();
    renderer.mirrorDepth = mirrorDepth;
    d->SetRenderState(D3DRS_STENCILENABLE, keptStencil);
    d->SetRenderState(D3DRS_STENCILREF, keptRef);
    renderer.stencilEnableState = keptStencil;
    renderer.stencilRefState = keptRef;
    context.colorWriteMask = eyeMask;
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(eyeMask));
    d->SetRenderTarget(savedColour, savedDepth);
    savedColour->Release();
    if (savedDepth) savedDepth->Release();
    if (viewportKept) d->SetViewport(&savedViewport);
    renderer.resumeDrawing();
}

} // namespace

void drawCubeReflection(SceneRenderer& renderer, LoadedLayer& layer, int key, double time) {
    DeviceContext& context = renderer.context;
    auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
    if (!context.device || !buffers || !layer.metamesh) return;
    LWSurface& surface = *layer.metamesh->srfs[size_t(key)];
    DeviceBufferSet* set = buffers->ownSet(key);
    if (!set) return;
    auto* object = dynamic_cast<LWObject*>(layer.currentObject);
    // Seen from inside its own cube (in a mirror there): not drawn.
    for (const LWSurface* s : renderer.cubesBeingDrawn)
        if (s == &surface) return;
    useOutputCube(context, surface);
    const bool fresh = !surface.reflectionCube;
    if (fresh && !makeCubeTargets(context, surface)) {
        MeshBuffers::drawSurface(context, *set, key, surface, time);
        return;
    }
    // A new cube is drawn into at once, even inside another reflection.
    if (object && (renderer.nesting == 1 || fresh))
        refreshCube(renderer, layer, surface, *object, time, fresh);
    MeshBuffers::drawSurface(context, *set, key, surface, time);
}
