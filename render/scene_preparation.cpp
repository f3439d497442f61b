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
#include "output_targets.h"

namespace {

struct ShadowSet {
    IDirect3DTexture8* colour = nullptr;
    IDirect3DSurface8* colourSurface = nullptr;
    IDirect3DTexture8* depth = nullptr;
    IDirect3DSurface8* depthSurface = nullptr;
    bool empty() const { return !colour && !colourSurface && !depth && !depthSurface; }
};

// The shadow targets of the outputs not drawing now (see output_targets.h).
OutputTargets<ShadowSet> otherShadowTargets;

ShadowSet fieldsOf(const LWLight& light) {
    return {light.shadowColour, light.shadowColourSurface, light.shadowDepth,
            light.shadowDepthSurface};
}

void setFields(LWLight& light, const ShadowSet& set) {
    light.shadowColour = set.colour;
    light.shadowColourSurface = set.colourSurface;
    light.shadowDepth = set.depth;
    light.shadowDepthSurface = set.depthSurface;
}

void releaseSet(ShadowSet& set) {
    for (IUnknown* p : std::initializer_list<IUnknown*>{set.colourSurface, set.colour,
                                                        set.depthSurface, set.depth})
        if (p) p->Release();
    set = ShadowSet{};
}

void releaseShadowTargets(LWLight& light) {
    ShadowSet fields = fieldsOf(light);
    releaseSet(fields);
    setFields(light, fields);
    otherShadowTargets.releaseAll(&light, releaseSet);
}

// One device's colour target and depth; none when it refuses either.
ShadowSet makeShadowSet(const DeviceContext& context, IDirect3DDevice8* d, UINT size) {
    ShadowSet set;
    bool ok = D3D_CHECK(d->CreateTexture(size, size, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT, &set.colour)) &&
              D3D_CHECK(set.colour->GetSurfaceLevel(0, &set.colourSurface));
    if (ok && context.shadowMapFormat != D3DFMT_UNKNOWN)
        ok = D3D_CHECK(d->CreateTexture(size, size, 1, D3DUSAGE_DEPTHSTENCIL,
                                        context.shadowMapFormat, D3DPOOL_DEFAULT, &set.depth)) &&
             D3D_CHECK(set.depth->GetSurfaceLevel(0, &set.depthSurface));
    else if (ok)
        ok = D3D_CHECK(d->CreateDepthStencilSurface(size, size, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                                    &set.depthSurface));
    countResource(set.colour);
    countResource(set.depth);
    // Without a depth texture the depth surface stands alone.
    if (!set.depth) countResource(set.depthSurface);
    if (!ok) releaseSet(set);
    return set;
}

} // namespace

// The colour target and the depth the light's shadow map is drawn into, one
// set per device, as every output draws the shadow; on a refusal the light
// keeps none (and casts no shadow on any output).
void makeShadowTargets(DeviceContext& context, LWLight& light) {
    probeShadowComparison(context);
    const UINT size = UINT(light.shadowMapSize);
    light.releaseShadowTargets = releaseShadowTargets;
    otherShadowTargets.releaseAll(&light, releaseSet);
    const ShadowSet own = makeShadowSet(context, context.device, size);
    setFields(light, own);
    bool ok = !own.empty();
    for (IDirect3DDevice8* other : context.devices) {
        if (!ok || !other || other == context.device) continue;
        const ShadowSet set = makeShadowSet(context, other, size);
        ok = !set.empty();
        if (ok) otherShadowTargets.keep(&light, other, set);
    }
    if (!ok) releaseShadowTargets(light);
}

void useShadowTargets(DeviceContext& context, LWLight& light) {
    if (context.devices.size() < 2 || light.releaseShadowTargets != releaseShadowTargets) return;
    ShadowSet fields = fieldsOf(light);
    const void* from = deviceOf(fields.colourSurface ? fields.colourSurface : fields.depthSurface);
    otherShadowTargets.trade(&light, fields, from, context.device);
    setFields(light, fields);
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
