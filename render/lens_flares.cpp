#include "lens_flares.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "app/device_context.h"
#include "effects/flare_layout.h"
#include "effects/flare_pictures.h"
#include "images/texture.h"
#include "images/texture_pixels.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "scene_renderer.h"

#include <cstring>
#include <vector>

namespace {

constexpr DWORD QUAD_FVF = D3DFVF_XYZ | D3DFVF_TEX1;
static_assert(QUAD_FVF == 0x102, "the quad's vertex format");
constexpr float DEG = 3.14159265f / 180;

struct QuadVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(QuadVertex) == 20, "the quad's stride");

void flareGenerator(uint32_t* level, int width, int height, int pitch, void* user) {
    generateFlare(level, width, height, pitch, *static_cast<const int*>(user));
}

class LensFlare {
public:
    LensFlare(DeviceContext& context, LWLight& light, MetaScene& meta)
        : context(context), light(light) {
        for (int type = 0; type < FLARE_TEXTURE_TYPES; ++type) {
            const char* name = FLARE_TEXTURE_NAMES[type];
            Texture* t = meta.findTexture(name, TEXTURE_COLOR_LAYER);
            if (!t) {
                int kind = type;
                t = new GeneratedTexture(&context, FLARE_TEXTURE_SIZE, FLARE_TEXTURE_SIZE,
                                         TEXTURE_COLOR_LAYER, name, flareGenerator, &kind);
                meta.textures.addTexture(t);
            }
            textures[type] = t;
        }
        textures[5] = textures[4];
        static const QuadVertex corners[5] = {{-0.1f, -0.1f, 0, 0, 0},
                                              {-0.1f, 0.1f, 0, 0, 1},
                                              {0.1f, 0.1f, 0, 1, 1},
                                              {0.1f, -0.1f, 0, 1, 0},
                                              {0, 0, 0, 0, 0}};
        for (IDirect3DDevice8* d : context.devices) {
            IDirect3DVertexBuffer8* quad = nullptr;
            if (d && D3D_CHECK(d->CreateVertexBuffer(sizeof corners, D3DUSAGE_WRITEONLY, QUAD_FVF,
                                                     D3DPOOL_MANAGED, &quad))) {
                countResource(quad);
                BYTE* data = nullptr;
                if (D3D_CHECK(quad->Lock(0, sizeof corners, &data, 0))) {
                    std::memcpy(data, corners, sizeof corners);
                    quad->Unlock();
                }
            }
            quads.push_back(quad);
        }
    }
    ~LensFlare() {
        for (IDirect3DVertexBuffer8* q : quads)
            if (q) q->Release();
    }

    bool updateVisibility(double time, LWItem& camera) {
        drawn = false;
        FlareInputs in;
        in.intensity = light.flareIntensity.evaluate(time);
        in.nominalDistance = light.flareNominalDistance;
        in.rotation = light.flareRotationAngle.evaluate(time) * DEG;
        in.lightType = light.lightType;
        if (!light.worldValid) light.getMatrix(time);
        if (!camera.worldValid) camera.getMatrix(time);
        if (!camera.inverseValid) camera.getInvMatrix(time);
        if (!camera.projectionValid) camera.computeProjection(time);
        in.lightPosition = light.world.row(3);
        in.lightDirection = light.world.row(2);
        in.view = camera.inverseWorld;
        in.projection = camera.projection;
        in.nearDistance = camera.minNear;
        in.viewDirection = camera.world.row(2);
        state = flareVisibility(in);
        if (!state.visible) return false;
        drawn = true;
        visible = 1;
        return true;
    }

    void draw(double time) {
        IDirect3DDevice8* d = context.device;
        const size_t output = size_t(context.currentOutput);
        if (!drawn || !d || output >= quads.size() || !quads[output]) return;
        const LightColor c = getColor(light, time);
        const float colour[4] = {c.r, c.g, c.b, c.a};
        FlareState shown = state;
        shown.size *= float(visible);
        d->SetStreamSource(0, quads[output], sizeof(QuadVertex));
        d->SetVertexShader(QUAD_FVF);
        for (const FlareQuad& q : flareQuads(shown, light.lensFlareOptions, colour)) {
            d->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&q.view));
            Texture* t = textures[q.texture];
            d->SetTexture(0, t ? t->textureAt(time) : nullptr);
            d->SetRenderState(D3DRS_TEXTUREFACTOR, q.factor);
            d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        }
    }

    DeviceContext& context;
    LWLight& light;
    Texture* textures[6] = {};
    std::vector<IDirect3DVertexBuffer8*> quads; // one per device, owned
    FlareState state;
    bool drawn = false;
    int visible = 0;
};

void destroyFlare(void* flare) {
    delete static_cast<LensFlare*>(flare);
}

LensFlare* flareOf(LWLight& light) {
    return light.destroyLensFlare == destroyFlare ? static_cast<LensFlare*>(light.lensFlareObject)
                                                  : nullptr;
}

} // namespace

void makeLightFlare(LWLight& light, LW6Scene& scene) {
    auto* context = dynamic_cast<DeviceContext*>(scene.context);
    if (!context || !scene.metaScene || light.lensFlareObject) return;
    light.lensFlareObject = new LensFlare(*context, light, *scene.metaScene);
    light.destroyLensFlare = destroyFlare;
}

bool flareVisibleAt(LWLight& light, LWItem& camera, double time, float& depth) {
    LensFlare* flare = flareOf(light);
    if (!flare || !flare->updateVisibility(time, camera)) return false;
    depth = flare->state.viewPosition.z;
    return true;
}

void drawLightFlare(SceneRenderer&, LWLight& light, double time) {
    if (LensFlare* flare = flareOf(light)) flare->draw(time);
}
