#include "scene_preparation.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "effects/light_spot.h"
#include "layer_buffers.h"
#include "lens_flares.h"
#include "shadow_maps.h"
#include "images/texture.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"
#include "lightwave/scene.h"

namespace {

void releaseShadowTargets(LWLight& light) {
    for (IUnknown* p : std::initializer_list<IUnknown*>{
             light.shadowColourSurface, light.shadowColour, light.shadowDepthSurface,
             light.shadowDepth})
        if (p) p->Release();
    light.shadowColourSurface = light.shadowDepthSurface = nullptr;
    light.shadowColour = light.shadowDepth = nullptr;
}

} // namespace

// The colour target and the depth the light's shadow map is drawn into; on a
// refusal the light keeps none (and casts no shadow).
void makeShadowTargets(DeviceContext& context, LWLight& light) {
    probeShadowComparison(context);
    IDirect3DDevice8* d = context.device;
    const UINT size = UINT(light.shadowMapSize);
    light.releaseShadowTargets = releaseShadowTargets;
    bool ok = D3D_CHECK(d->CreateTexture(size, size, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT, &light.shadowColour)) &&
              D3D_CHECK(light.shadowColour->GetSurfaceLevel(0, &light.shadowColourSurface));
    if (ok && context.shadowMapFormat != D3DFMT_UNKNOWN)
        ok = D3D_CHECK(d->CreateTexture(size, size, 1, D3DUSAGE_DEPTHSTENCIL,
                                        context.shadowMapFormat, D3DPOOL_DEFAULT,
                                        &light.shadowDepth)) &&
             D3D_CHECK(light.shadowDepth->GetSurfaceLevel(0, &light.shadowDepthSurface));
    else if (ok)
        ok = D3D_CHECK(d->CreateDepthStencilSurface(size, size, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                                    &light.shadowDepthSurface));
    countResource(light.shadowColour);
    countResource(light.shadowDepth);
    // Without a depth texture the depth surface stands alone.
    if (!light.shadowDepth) countResource(light.shadowDepthSurface);
    if (!ok) releaseShadowTargets(light);
}

void prepareSceneForDrawing(LW6Scene& scene, void*) {
    auto* context = dynamic_cast<DeviceContext*>(scene.context);
    for (LWLight* light : scene.lights) {
        prepareLightRecord(*light);
        if (light->lensFlare && !light->lensFlareObject) makeLightFlare(*light, scene);
        if (light->shadowType == SHADOW_MAP && context && context->device &&
            !light->shadowColour)
            makeShadowTargets(*context, *light);
        if (!light->spotTexture) light->spotTexture = makeLightSpotTexture(*light);
    }
    // Device geometry once, before the first frame draws it (a refused build
    // has shown its message; drawing leaves that layer out).
    if (!context || !context->device) return;
    for (LWObject* object : scene.objects)
        if (auto* layer = dynamic_cast<LoadedLayer*>(object->layer)) buildLayer(*context, *layer);
}
