#include "scene_renderer.h"

#include "base/color.h"
#include "device_constants.h"
#include "shader_programs.h"
#include "base/message_box.h"
#include "layer_buffers.h"
#include "lens_flares.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "cube_reflections.h"
#include "mesh_buffers.h"
#include "particle_effects.h"
#include "planar_mirrors.h"
#include "progressive_buffers.h"
#include "scene_preparation.h"
#include "shadow_maps.h"
#include "surface_programs.h"
#include "timeline/profiler.h"


#include <algorithm>
#include <iterator>

namespace {

// Vertex-program constant registers every program shares.
using namespace shader;

LoadedLayer* drawableLayer(const LWObject& object) {
    return dynamic_cast<LoadedLayer*>(object.layer);
}

// Follows the author's free-flight camera: a camera whose channels take the
// free camera's place and angles (yaw as heading, pitch, roll as bank) each
// time a render resets it, so it sees, and splits into eyes, as any camera.
class FreeCameraItem : public LWCamera {
public:
    explicit FreeCameraItem(DeviceContext& context) : LWCamera(&context) { name = "(free camera)"; }
    bool invalidate() override {
        const FreeCamera& f = context->freeCamera;
        for (int i = 0; i < 3; ++i) channels[CHANNEL_X + i].value = f.position[i];
        channels[CHANNEL_HEADING].value = f.yaw;
        channels[CHANNEL_PITCH].value = f.pitch;
        channels[CHANNEL_BANK].value = f.roll;
        return LWCamera::invalidate();
    }
};

} // namespace

SceneRenderer::SceneRenderer(DeviceContext& context) : context(context) {
    hooks.shadowMaps = renderShadowMaps;
    hooks.shadowMatrix = writeShadowMatrix;
    hooks.planarMirror = drawPlanarMirror;
    hooks.cubeReflection = drawCubeReflection;
    hooks.flareDepth = flareVisibleAt;
    hooks.drawFlare = drawLightFlare;
    hooks.effects = updateParticles;
}
SceneRenderer::~SceneRenderer() = default;

LWItem& SceneRenderer::freeCameraItem() {
    if (!freeCamera) freeCamera = std::make_unique<FreeCameraItem>(context);
    return *freeCamera;
}

void SceneRenderer::renderScene(LW6Scene& scene, double time, LWItem& camera) {
    IDirect3DDevice8* d = context.device;
    if (!d || nesting >= MAX_RENDER_NESTING) return;
    ++nesting;
    const bool top = nesting == 1;
    const DrawState outer = drawing;
    drawing = {&scene, &camera, nullptr, time};
    // A nested render's cameras and lights fit their depth ranges too; the
    // stereo state keeps the frame camera's.
    float stereo[4];
    std::copy(std::begin(context.stereoParams), std::end(context.stereoParams), stereo);
    if (top) {
        reflectedObjectsDrawn = 0;
        for (Level& l : levels) l = Level{};
        ++topLevelRenders;
        forgetOldCubeStamps();
    }
    levels[nesting - 1].renders++;
    levels[nesting - 1].cullMode = cullMode;

    resetItems(scene, camera);

    if (scene.fogType == FOG_LINEAR) {
        const float* c = scene.fogColor;
        d->SetRenderState(D3DRS_FOGENABLE, TRUE);
        d->SetRenderState(D3DRS_FOGTABLEMODE, DWORD(scene.fogType));
        d->SetRenderState(D3DRS_FOGCOLOR, packColor(c[0], c[1], c[2], c[3]));
        d->SetRenderState(D3DRS_FOGSTART, floatBits(scene.fogMinDistance));
        d->SetRenderState(D3DRS_FOGEND, floatBits(scene.fogMaxDistance));
    } else {
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    }
    d->SetRenderState(D3DRS_FILLMODE, context.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);

    if (top && hooks.shadowMaps) hooks.shadowMaps(*this, scene, time);

    if (!camera.inverseValid) camera.getInvMatrix(time);
    d->SetTransform(D3DTS_VIEW, asD3D(camera.inverseWorld));
    setupLighting(scene, time, camera);
    writeFixedConstants(d);

    drawObjects(scene, time, camera);

    if (top) {
        moveEffects(scene, time);
        flarePass(scene, time);
        // What comes after the scene (screen effects, the loading screen)
        // draws without fog and through no pixel program.
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        d->SetPixelShader(0);
    }
    drawing = outer;
    if (!top) std::copy(std::begin(stereo), std::end(stereo), context.stereoParams);
    --nesting;
}

void SceneRenderer::forgetOldCubeStamps() {
    // A few seconds of frames: a cube that missed them is stale anyway.
    constexpr long KEPT_RENDERS = 240;
    for (auto it = cubeStamps.begin(); it != cubeStamps.end();)
        it = topLevelRenders - it->second.frame > KEPT_RENDERS ? cubeStamps.erase(it) : std::next(it);
}

void SceneRenderer::setupLighting(LW6Scene& scene, double time, LWItem& camera) {
    IDirect3DDevice8* d = context.device;
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));

    const float i = scene.ambientIntensity.evaluate(time);
    const float* a = scene.ambientColor;
    const Vec4 ambient = {a[0] * i, a[1] * i, a[2] * i, a[3]};
    d->SetRenderState(D3DRS_AMBIENT, packColor(ambient.x, ambient.y, ambient.z, ambient.w));
    setConstant(d, C_AMBIENT, ambient);

    // Lights another scene switched on beyond this scene's own would light
    // it too (the device keeps them on).
    for (int k = int(scene.lights.size()); k < lightsSwitchedOn; ++k)
        d->LightEnable(DWORD(k), FALSE);
    lightsSwitchedOn = int(scene.lights.size());
    for (size_t k = 0; k < scene.lights.size(); ++k) {
        LWLight& light = *scene.lights[k];
        computeLight(light, time);
        static_assert(sizeof(LightRecord) == sizeof(D3DLIGHT8), "one light layout");
        d->SetLight(DWORD(k), reinterpret_cast<const D3DLIGHT8*>(&light.d3dLight));
    }

    // Programs light with the first light; a scene without one is lit by
    // its ambient colour alone (a black light from nowhere).
    if (!scene.lights.empty()) {
        LWLight& first = *scene.lights[0];
        if (!first.worldValid) first.getMatrix(time);
        const Matrix4& m = first.world;
        setConstant(d, C_LIGHT_DIRECTION, -m.m[2][0], -m.m[2][1], -m.m[2][2], m.m[2][3]);
        setConstant(d, C_LIGHT_POSITION, m.row4(3));
        const LightColor c = getColor(first, time);
        setConstant(d, C_LIGHT_COLOUR, c.r, c.g, c.b, c.a);
    } else {
        setConstant(d, C_LIGHT_DIRECTION, 0, 0, 1, 0);
        setConstant(d, C_LIGHT_POSITION, 0, 0, 0, 1);
        setConstant(d, C_LIGHT_COLOUR, 0, 0, 0, 0);
    }
    if (!camera.worldValid) camera.getMatrix(time);
    setConstant(d, C_CAMERA_POSITION, camera.world.row4(3));
}

DepthRange SceneRenderer::collectVisible(LW6Scene& scene, double time, LWItem& camera,
                                         std::vector<DrawItem>& list, int& culled) {
    list.clear();
    list.reserve(1000);
    DepthRange range;
    culled = 0;
    for (LWObject* object : scene.objects) {
        LoadedLayer* layer = drawableLayer(*object);
        if (!layer || layer->currentObject == &camera) continue;
        // A single particle has no box and draws nothing.
        if (layer->kind == LAYER_PARTICLE) continue;
        layer->ensureBoundingBox();
        if (!layer->box.used)
            reportAssertion(
                "mesh->bboxused && \"objects without bounding boxes are not supported anymore\"");
        if (!camera.projectionValid) camera.computeProjection(time);
        if (!camera.inverseValid) camera.getInvMatrix(time);
        if (!object->worldValid) object->getMatrix(time);
        const Matrix4 m = object->world * camera.inverseWorld * camera.projection;
        Vec4 corners[8];
        layer->transformCorners(m, corners);
        if (!camera.boxInView(corners)) {
            ++culled;
            continue;
        }
        float zmin = corners[0].z, zmax = corners[0].z;
        for (const Vec4& c : corners) {
            zmin = std::min(zmin, c.z);
            zmax = std::max(zmax, c.z);
        }
        range.add(zmin, zmax);
        const uint8_t transparent = layer->hasTransparency ? 1 : 0;
        list.push_back({object, transparent ? -zmax : zmax, transparent});
    }
    sortDrawList(list);
    // Flares are drawn for the frame's camera alone: a shadow map's or a
    // reflection's view must not decide what they show.
    if (hooks.flareDepth && nesting == 1 && !drawingShadowMap)
        for (LWLight* light : scene.lights) {
            float depth = 0;
            if (light->lensFlare && hooks.flareDepth(*light, camera, time, depth))
                range.add(depth, depth);
        }
    return range;
}

void SceneRenderer::drawObjects(LW6Scene& scene, double time, LWItem& camera) {
    std::vector<DrawItem> list;
    int culled = 0;
    const DepthRange range = collectVisible(scene, time, camera, list, culled);
    float nearDistance, farDistance;
    fittedDepthRange(range, nearDistance, farDistance);
    if (shadowPassMode != 0 && !scene.lights.empty()) {
        scene.lights[0]->shadowNear = nearDistance;
        scene.lights[0]->shadowFar = farDistance;
    }
    camera.setupProjection(time, nearDistance, farDistance);
    // Every level sets its own: the fixed-function programs of a reflected
    // render must see the depth range the vertex programs are given.
    context.device->SetTransform(D3DTS_PROJECTION, asD3D(camera.projection));

    for (const DrawItem& item : list) drawObject(scene, *item.object, time, camera);
    if (nesting == 1) {
        objectsDrawn = int(list.size());
        objectsCulled = culled;
    } else {
        reflectedObjectsDrawn += int(list.size());
    }
}

void SceneRenderer::resetItems(LW6Scene& scene, LWItem& camera) {
    camera.invalidate();
    for (LWObject* o : scene.objects) {
        o->invalidate();
        if (LoadedLayer* layer = drawableLayer(*o)) layer->resetFrame();
    }
    for (LWLight* l : scene.lights) l->invalidate();
}

void SceneRenderer::moveEffects(LW6Scene& scene, double time) {
    // Each scene keeps its own previous time: scenes of one frame run at
    // different scene times, and a step must not cross from one to another.
    const double step = scene.renderTimeSet ? time - scene.renderTime : 0.0;
    if (hooks.effects) hooks.effects(*this, scene, time, step);
    scene.renderTime = time;
    scene.renderTimeSet = true;
}

void SceneRenderer::advanceScene(LW6Scene& scene, double time, LWItem& camera) {
    resetItems(scene, camera);
    // Lights: a flickering light picks its colours as the frame goes by.
    for (LWLight* light : scene.lights) computeLight(*light, time);
    if (!scene.lights.empty()) getColor(*scene.lights[0], time);
    // Objects: what is in view, and the streaks of point clouds in view.
    std::vector<DrawItem> list;
    int culled = 0;
    const DepthRange range = collectVisible(scene, time, camera, list, culled);
    float nearDistance, farDistance;
    fittedDepthRange(range, nearDistance, farDistance);
    camera.setupProjection(time, nearDistance, farDistance);
    for (const DrawItem& item : list) {
        LoadedLayer& layer = *drawableLayer(*item.object);
        if (layer.kind != LAYER_POINT_CLOUD) continue;
        if (!layer.built && (layer.buildFailed || !buildLayer(context, layer))) continue;
        placeCloudStreaks(context, layer,
                          item.object->world * camera.inverseWorld * camera.projection);
    }
    // Effects move on by the frame's step, as a drawn frame moves them.
    const bool wasDry = dry;
    dry = true;
    moveEffects(scene, time);
    dry = wasDry;
}

void SceneRenderer::drawObject(LW6Scene& scene, LWObject& object, double time, LWItem& camera) {
    LoadedLayer& layer = *drawableLayer(object);

    if (layer.metamesh) {
        LWLight* first = scene.lights.empty() ? nullptr : scene.lights[0];
        const bool receives = (object.shadowOptions & 4) != 0 && first &&
                              first->lightType == LIGHT_SPOT && first->shadowType == SHADOW_MAP;
        for (LWSurface* s : layer.metamesh->srfs) {
            if (!s) continue;
            if (s->reflection.evaluate(time) != 0) s->reflScene = &scene;
            if (shadowPassMode == 0) s->shadowLight = receives ? first : nullptr;
        }
    }

    applyObjectState(scene, object, time, camera);
    drawing.object = &object;
    layer.currentObject = &object;
    drawMesh(layer, time);
    layer.currentObject = nullptr;
    drawing.object = nullptr;
}

void SceneRenderer::applyObjectState(LW6Scene& scene, LWObject& object, double time,
                                     LWItem& camera) {
    IDirect3DDevice8* d = context.device;
    LoadedLayer& layer = *drawableLayer(object);

    if (!object.inverseValid) object.getInvMatrix(time);
    fillLightSlots(scene, object, slots);
    for (size_t j = 0; j < scene.lights.size(); ++j) d->LightEnable(DWORD(j), slots.on[j]);
    for (int k = 0; k < LIGHT_SLOTS; ++k) {
        setConstant(d, C_SLOT_COLOUR + k, slots.colour[k]);
        setConstant(d, C_SLOT_POSITION + k, slots.position[k]);
        setConstant(d, C_SLOT_ATTENUATION + k, slots.attenuation[k]);
    }

    if (!object.worldValid) object.getMatrix(time);
    if (!camera.inverseValid) camera.getInvMatrix(time);
    if (!camera.pmXYZWcalced) reportAssertion("pmXYZWcalced");
    const Matrix4 worldView = object.world * camera.inverseWorld;
    objectWorldViewProjection = worldView * camera.projection;
    setMatrixConstant(d, C_WORLD_VIEW_PROJ, objectWorldViewProjection);
    setMatrixConstant(d, C_WORLD_VIEW, worldView);
    setMatrixConstant(d, C_WORLD, object.world);
    d->SetTransform(D3DTS_WORLD, asD3D(object.world));

    if (shadowPassMode == 0 && (object.shadowOptions & 4) && hooks.shadowMatrix)
        hooks.shadowMatrix(*this, scene, object, time);

    if (layer.dissolve) {
        const float v = 1.0f - layer.dissolve->evaluate(time);
        setConstant(d, C_SLOT_POSITION, v, v, v, v);
    }
    if (scene.fogType == FOG_LINEAR) d->SetRenderState(D3DRS_FOGENABLE, !object.unaffectedByFog);
}

void SceneRenderer::resumeDrawing() {
    IDirect3DDevice8* d = context.device;
    if (!d || !drawing.scene || !drawing.camera) return;
    LW6Scene& scene = *drawing.scene;
    LWItem& camera = *drawing.camera;
    const double time = drawing.time;
    // The nested render reset the items' cached matrices; they come back the same.
    if (!camera.inverseValid) camera.getInvMatrix(time);
    d->SetTransform(D3DTS_VIEW, asD3D(camera.inverseWorld));
    d->SetTransform(D3DTS_PROJECTION, asD3D(camera.projection));
    if (!camera.worldValid) camera.getMatrix(time);
    setConstant(d, C_CAMERA_POSITION, camera.world.row4(3));
    if (scene.fogType == FOG_LINEAR) {
        d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    } else {
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    }
    if (drawing.object) {
        float stereo[4];
        std::copy(std::begin(context.stereoParams), std::end(context.stereoParams), stereo);
        applyObjectState(scene, *drawing.object, time, camera);
        std::copy(std::begin(stereo), std::end(stereo), context.stereoParams);
    }
    for (const std::unique_ptr<SurfaceProgram>& p : context.programs) p->cullMode = cullMode;
}

void SceneRenderer::drawMesh(LoadedLayer& layer, double time) {
    // The mirror depth counts meshes being drawn, nested through mirrors.
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(mirrorDepth);
    // A refused build (its message shown once) is not tried every frame.
    if (!layer.built && (layer.buildFailed || !buildLayer(context, layer))) return;
    if (layer.kind == LAYER_POINT_CLOUD) {
        drawPointCloud(context, layer, objectWorldViewProjection, time);
        return;
    }
    if (layer.kind == LAYER_PROGRESSIVE_MESH)
        chooseProgressiveLevel(context, static_cast<ProgressiveMeshLayer&>(layer));
    auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
    if (!buffers || !layer.metamesh) return;
    for (const std::unique_ptr<SurfaceProgram>& p : context.programs) p->cullMode = cullMode;
    const LWObject* object = dynamic_cast<const LWObject*>(layer.currentObject);
    const int options = object ? object->shadowOptions : 0;
    const std::vector<LWSurface*>& srfs = layer.metamesh->srfs;
    for (size_t i = 0; i < srfs.size(); ++i) {
        LWSurface* s = srfs[i];
        if (!s || !s->loaded) continue;
        const int key = int(i);
        if (shadowPassMode != 0 && (options & 2)) {
            if (DeviceBufferSet* set = buffers->setFor(1))
                MeshBuffers::drawSurface(context, *set, key, *s, time);
            continue;
        }
        // An object that does not cast shadows would still write the depth
        // the shadow test compares with: it stays out of the shadow map.
        if (drawingShadowMap) continue;
        const float reflection = s->reflection.evaluate(time);
        if (reflection != 0 && s->reflectionOptions == 3) {
            if (hooks.cubeReflection) hooks.cubeReflection(*this, layer, key, time);
            continue;
        }
        if (reflection == 0 || s->reflectionOptions != 0) {
            DeviceBufferSet* set = buffers->ownSet(key);
            // The depth map of this output's device (the light may belong to
            // a scene drawn last on the other output).
            if (s->shadowLight && (options & 4)) useShadowTargets(context, *s->shadowLight);
            // Hardware shadow maps, where the device compares depth at all.
            ShadowReceiverProgram* receiver = nullptr;
            if (s->shadowLight && (options & 4) && context.shadowMapFormat != D3DFMT_UNKNOWN &&
                context.shadowCompareWorks && s->shadowLight->shadowDepth) {
                set = buffers->setFor(3);
                receiver = &static_cast<ShadowReceiverProgram&>(*context.programs[3]);
                receiver->depthTexture = s->shadowLight->shadowDepth;
                receiver->spotTexture = s->shadowLight->spotTexture.get();
            }
            if (set) MeshBuffers::drawSurface(context, *set, key, *s, time);
            // The light's maps go with its metascene: the program keeps them
            // no longer than this draw.
            if (receiver) {
                receiver->depthTexture = nullptr;
                receiver->spotTexture = nullptr;
            }
            continue;
        }
        if (hooks.planarMirror) hooks.planarMirror(*this, layer, key, time);
    }
}

void SceneRenderer::flarePass(LW6Scene& scene, double time) {
    IDirect3DDevice8* d = context.device;
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    // Fog would tint the flares' black surroundings.
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    const Matrix4 identity = Matrix4::identity();
    d->SetTransform(D3DTS_TEXTURE0, asD3D(identity));
    d->SetTransform(D3DTS_WORLD, asD3D(identity));
    d->SetRenderState(D3DRS_POINTSIZE, floatBits(5.0f));
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    // The factor's alpha (the light's, faded towards the border) weighs the
    // flare in: the pictures themselves are opaque.
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetPixelShader(0);
    if (hooks.drawFlare)
        for (LWLight* light : scene.lights)
            if (light->lensFlare) hooks.drawFlare(*this, *light, time);
    // Each flare quad was placed through the view transform: the camera's again.
    if (drawing.camera) d->SetTransform(D3DTS_VIEW, asD3D(drawing.camera->inverseWorld));
}

SceneRenderer& sceneRenderer(DeviceContext& context) {
    if (!context.renderer) context.renderer = std::make_unique<SceneRenderer>(context);
    return *context.renderer;
}

void drawSceneWithRenderer(LW6Scene& scene, double time, LWItem* camera, DeviceContext& context) {
    SceneRenderer& renderer = sceneRenderer(context);
    LWItem& from = camera ? *camera : renderer.freeCameraItem();
    renderer.renderScene(scene, time, from);
}

void advanceSceneWithRenderer(LW6Scene& scene, double time, LWItem* camera,
                              DeviceContext& context) {
    SceneRenderer& renderer = sceneRenderer(context);
    LWItem& from = camera ? *camera : renderer.freeCameraItem();
    renderer.advanceScene(scene, time, from);
}
