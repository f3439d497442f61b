#include "metascene_render.h"

#include "base/color.h"
#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "images/texture.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "output_targets.h"
#include "layer_buffers.h"
#include "particle_effects.h"
#include "effects/particle_settings.h"
#include "progressive_buffers.h"
#include "scene_preparation.h"

namespace {

struct SceneSurfaces {
    IDirect3DSurface8* colour = nullptr;
    IDirect3DSurface8* depth = nullptr;
    bool empty() const { return !colour && !depth; }
};

// The surfaces of the outputs not drawing now (see output_targets.h).
OutputTargets<SceneSurfaces> otherSceneSurfaces;

void releaseSurfaces(SceneSurfaces& surfaces) {
    if (surfaces.colour) surfaces.colour->Release();
    if (surfaces.depth) surfaces.depth->Release();
    surfaces = SceneSurfaces{};
}

void releaseSceneSurfaces(LW6Scene& scene) {
    if (scene.renderSurface) scene.renderSurface->Release();
    if (scene.depthSurface) scene.depthSurface->Release();
    scene.renderSurface = scene.depthSurface = nullptr;
    otherSceneSurfaces.releaseAll(&scene, releaseSurfaces);
}

// The scene's fields take the surfaces into the current output's texture.
void useOutputSurfaces(LW6Scene& scene, const DeviceContext& context) {
    if (context.devices.size() < 2 || scene.releaseTargets != releaseSceneSurfaces) return;
    SceneSurfaces fields = {scene.renderSurface, scene.depthSurface};
    otherSceneSurfaces.trade(&scene, fields, deviceOf(fields.colour), context.device);
    scene.renderSurface = fields.colour;
    scene.depthSurface = fields.depth;
}

DWORD stageCount(const DeviceContext& context) {
    const DWORD n = context.hardwareCaps.MaxTextureBlendStages;
    return n ? n : 1;
}

// The scene's own time: frozen while it is held.
double ownSceneTime(const LW6Scene& scene, double sceneTime) {
    return scene.hold ? scene.startTime : sceneTime - scene.startTime;
}

} // namespace

LWItem* viewingCamera(LW6Scene& scene, const DeviceContext& context) {
    if (context.freeFlight) return nullptr;
    if (context.alternateCamera && !scene.lights.empty()) return scene.lights[0];
    return scene.currentCamera;
}

void advanceMetaScene(MetaScene& meta, DeviceContext& context, double sceneTime,
                      DrawScene advance) {
    if (!advance) return;
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes)
        if (scene->active)
            advance(*scene, ownSceneTime(*scene, sceneTime), viewingCamera(*scene, context),
                    context);
}

namespace {

void applyStates(const DeviceContext& context, IDirect3DDevice8* d) {
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_CLIPPING, TRUE);
    d->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d->SetRenderState(D3DRS_ZBIAS, 0);
    for (DWORD stage = 0; stage < stageCount(context); ++stage) {
        d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
        d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
        d->SetTextureStageState(stage, D3DTSS_ADDRESSW, D3DTADDRESS_WRAP);
        d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        d->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
    }
}

} // namespace

void applyDefaultStates(DeviceContext& context) {
    // Every output draws the metascene.
    for (IDirect3DDevice8* d : context.devices)
        if (d) applyStates(context, d);
}

void clearAllChannels(DeviceContext& context, DWORD flags, D3DCOLOR colour, float depth) {
    IDirect3DDevice8* d = context.device;
    d->SetRenderState(D3DRS_COLORWRITEENABLE, COLOR_WRITE_ALL);
    d->Clear(0, nullptr, flags, colour, depth, 0);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
}

void unbindTextureStages(DeviceContext& context) {
    for (IDirect3DDevice8* d : context.devices) {
        if (!d) continue;
        for (DWORD stage = 0; stage < stageCount(context); ++stage) d->SetTexture(stage, nullptr);
    }
}

int renderMetaScene(MetaScene& meta, DeviceContext& context, double sceneTime, bool firstEye,
                    bool fullClears, DrawScene draw) {
    IDirect3DDevice8* d = context.device;
    if (!d || !D3D_CHECK(d->BeginScene())) return 0;
    const DWORD stencil = context.depthHasStencil ? D3DCLEAR_STENCIL : 0;
    int drawn = 0;
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes) {
        if (!scene->active) continue;
        LWItem* camera = viewingCamera(*scene, context);

        IDirect3DSurface8 *savedColour = nullptr, *savedDepth = nullptr;
        D3DVIEWPORT8 viewport = {0,    0,   DWORD(context.screenWidth), DWORD(context.screenHeight),
                                 0.0f, 1.0f};
        const bool intoTexture = scene->renderSurface != nullptr;
        if (intoTexture) {
            useOutputSurfaces(*scene, context);
            d->GetRenderTarget(&savedColour);
            d->GetDepthStencilSurface(&savedDepth);
            if (!scene->renderSurface ||
                !D3D_CHECK(d->SetRenderTarget(scene->renderSurface, scene->depthSurface))) {
                if (savedColour) savedColour->Release();
                if (savedDepth) savedDepth->Release();
                continue;
            }
            // The texture's own size (512 x 512 unless the device takes any size).
            viewport.Width = DWORD(scene->renderTexture->width);
            viewport.Height = DWORD(scene->renderTexture->height);
        }
        d->SetViewport(&viewport);

        DWORD flags = DWORD(scene->clearFlags) & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        if (!firstEye && !fullClears) flags &= D3DCLEAR_ZBUFFER;
        if (flags | stencil) {
            const float* c = scene->clearColor;
            clearAllChannels(context, flags | stencil, packColor(c[0], c[1], c[2], c[3]),
                             scene->clearDepth);
        }

        context.drawingInto = intoTexture ? scene->renderTexture : nullptr;
        if (draw) draw(*scene, ownSceneTime(*scene, sceneTime), camera, context);
        context.drawingInto = nullptr;
        ++drawn;

        if (intoTexture) {
            d->SetRenderTarget(savedColour, savedDepth);
            if (savedColour) savedColour->Release();
            if (savedDepth) savedDepth->Release();
            viewport.Width = DWORD(context.screenWidth);
            viewport.Height = DWORD(context.screenHeight);
            d->SetViewport(&viewport);
        }
    }
    if (drawn == 0) {
        const DWORD flags = (firstEye || fullClears ? D3DCLEAR_TARGET : 0) | D3DCLEAR_ZBUFFER;
        clearAllChannels(context, flags | stencil, 0, 1.0f);
    }
    d->EndScene();
    return drawn;
}

Texture* sceneRenderTarget(MetaScene& meta, LW6Scene& scene, DeviceContext& context) {
    Texture* target = meta.textures.findByName(scene.fileName.c_str());
    if (!target) {
        if (!context.device) return nullptr;
        target = new RenderTargetTexture(&context);
        target->name = scene.fileName;
        meta.textures.addTexture(target);
    }
    // Draw into it, again after a cross-fade handed the scene back to the screen.
    if (scene.renderSurface || !context.device) return target;
    const D3DFORMAT depthFormat =
        context.depthFormat != D3DFMT_UNKNOWN ? context.depthFormat : D3DFMT_D24S8;
    // A colour surface (level 0 of that output's texture) and a depth surface
    // per output, for all outputs or none: every output shows the scene.
    std::vector<SceneSurfaces> made(context.devices.size());
    bool ok = !made.empty();
    for (size_t i = 0; i < made.size() && ok; ++i) {
        IDirect3DDevice8* d = context.devices[i];
        if (!d) continue;
        made[i].colour = target->renderSurface(i);
        ok = made[i].colour != nullptr; // else not a render target: shown as it is
        if (ok && !D3D_CHECK(d->CreateDepthStencilSurface(UINT(target->width), UINT(target->height),
                                                          depthFormat, D3DMULTISAMPLE_NONE,
                                                          &made[i].depth))) {
            made[i].depth = nullptr;
            ok = false;
        }
        countResource(made[i].depth);
    }
    if (!ok) {
        for (SceneSurfaces& surfaces : made) releaseSurfaces(surfaces);
        return target;
    }
    if (scene.releaseTargets) scene.releaseTargets(scene);
    scene.renderTexture = target;
    scene.releaseTargets = releaseSceneSurfaces;
    for (size_t i = 0; i < made.size(); ++i) {
        if (context.devices[i] == context.device) {
            scene.renderSurface = made[i].colour;
            scene.depthSurface = made[i].depth;
        } else if (!made[i].empty()) {
            otherSceneSurfaces.keep(&scene, context.devices[i], made[i]);
        }
    }
    return target;
}

std::vector<LW6Scene*> releaseDefaultPool(MetaScene& meta) {
    std::vector<LW6Scene*> drawing;
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes) {
        if (scene->renderSurface) drawing.push_back(scene.get());
        if (scene->releaseTargets) scene->releaseTargets(*scene);
        for (LWLight* light : scene->lights)
            if (light->releaseShadowTargets) light->releaseShadowTargets(*light);
        releaseParticleBuffers(*scene);
        // Cube reflections are made again when next drawn.
        for (LWObject* object : scene->objects) {
            auto* layer = dynamic_cast<LoadedLayer*>(object->layer);
            if (layer) releaseProgressiveIndices(*layer);
            if (layer) releaseStreakBuffers(*layer);
            if (!layer || !layer->metamesh) continue;
            for (LWSurface* s : layer->metamesh->srfs)
                if (s && s->releaseReflectionTargets) s->releaseReflectionTargets(*s);
        }
    }
    for (Texture* t : meta.textures.all())
        if (auto* target = dynamic_cast<RenderTargetTexture*>(t)) target->releaseDeviceTextures();
    return drawing;
}

void restoreDefaultPool(MetaScene& meta, DeviceContext& context,
                        const std::vector<LW6Scene*>& drawingIntoTextures) {
    for (Texture* t : meta.textures.all())
        if (auto* target = dynamic_cast<RenderTargetTexture*>(t)) target->recreate();
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes)
        for (LWLight* light : scene->lights)
            if (light->shadowType == SHADOW_MAP && !light->shadowColour)
                makeShadowTargets(context, *light);
    for (LW6Scene* scene : drawingIntoTextures) sceneRenderTarget(meta, *scene, context);
}

void rewindMetaScene(MetaScene& meta) {
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes) {
        if (scene->releaseTargets) {
            scene->releaseTargets(*scene);
            scene->releaseTargets = nullptr;
        }
        scene->active = false;
        scene->hold = false;
        scene->startTime = 0;
        scene->clearFlags = 3;
        for (float& c : scene->clearColor) c = 0;
        scene->clearDepth = 1.0f;
        scene->currentCamera = scene->cameras.empty() ? nullptr : scene->cameras[0];
        for (FxEmitter* e : scene->fxEmitter) {
            if (!e) continue;
            e->birthCount = 0;
            e->birthsDue = 0;
            for (Particle& p : e->particles) p.live = 0;
        }
    }
    forgetSceneSteps(meta);
}

void forgetSceneSteps(MetaScene& meta) {
    for (const std::unique_ptr<LW6Scene>& scene : meta.scenes) {
        scene->renderTime = 0;
        scene->renderTimeSet = false;
        for (LWObject* object : scene->objects) {
            auto* layer = dynamic_cast<LoadedLayer*>(object->layer);
            auto* cloud = layer ? dynamic_cast<PointCloudBuffers*>(layer->device.get()) : nullptr;
            if (!cloud) continue;
            for (bool& valid : cloud->arrays.previousValid) valid = false;
            cloud->lastDrawTime = 0;
        }
    }
}
