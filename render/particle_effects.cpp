#include "particle_effects.h"

#include "app/d3d_check.h"
#include "app/device_context.h"
#include "base/message_box.h"
#include "device_constants.h"
#include "effects/particle_motion.h"
#include "effects/particle_settings.h"
#include "effects/particle_sprites_layout.h"
#include "images/texture.h"
#include "images/texture_pixels.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "scene_renderer.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

static_assert(PARTICLE_FVF == (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), "sprite vertices");

void particleGenerator(uint32_t* level, int width, int height, int pitch, void*) {
    generateParticle(level, width, height, pitch);
}

// The sprites of one object's particles: the blob picture, and a dynamic
// buffer per device for up to PARTICLE_CAPACITY sprites.
class ParticleSprites {
public:
    explicit ParticleSprites(DeviceContext& context)
        : context(context),
          sprite(std::make_unique<GeneratedTexture>(&context, PARTICLE_TEXTURE_SIZE,
                                                    PARTICLE_TEXTURE_SIZE, TEXTURE_COLOR_LAYER,
                                                    PARTICLE_TEXTURE_NAME, particleGenerator,
                                                    nullptr)),
          buffers(context.devices.size(), nullptr) {}
    ~ParticleSprites() { releaseBuffers(); }

    void releaseBuffers() {
        for (IDirect3DVertexBuffer8*& b : buffers) {
            if (b) b->Release();
            b = nullptr;
        }
    }

    void render(double time, const std::vector<Particle>& particles, LWItem& camera, float size) {
        IDirect3DDevice8* d = context.device;
        const size_t output = size_t(context.currentOutput);
        if (!d || output >= buffers.size()) return;
        IDirect3DVertexBuffer8*& buffer = buffers[output];
        const UINT bytes = UINT(PARTICLE_CAPACITY) * 6 * sizeof(SpriteVertex);
        if (!buffer && !D3D_CHECK(d->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                        PARTICLE_FVF, D3DPOOL_DEFAULT, &buffer)))
            return;
        if (!camera.pmXYZWcalced) reportAssertion("pmXYZWcalced");
        if (!camera.inverseValid) camera.getInvMatrix(time);
        // The pixels of what is drawn into now (the screen, an eye's half, a
        // scene's texture).
        D3DVIEWPORT8 viewport = {0, 0, DWORD(context.screenWidth), DWORD(context.screenHeight), 0, 1};
        d->GetViewport(&viewport);
        particleSprites(particles, camera.inverseWorld * camera.projection, int(viewport.Width),
                        int(viewport.Height), size, vertices);
        for (SpriteVertex& v : vertices) {
            v.x += float(viewport.X);
            v.y += float(viewport.Y);
        }
        const size_t count = std::min(vertices.size() / 6, size_t(PARTICLE_CAPACITY));
        BYTE* data = nullptr;
        if (D3D_CHECK(buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD))) {
            std::memcpy(data, vertices.data(), count * 6 * sizeof(SpriteVertex));
            buffer->Unlock();
        } else {
            return;
        }
        d->SetStreamSource(0, buffer, sizeof(SpriteVertex));
        d->SetVertexShader(PARTICLE_FVF);
        d->SetPixelShader(0);
        const Matrix4 identity = Matrix4::identity();
        d->SetTransform(D3DTS_WORLD, asD3D(identity));
        d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        // Fog would tint the sprites' transparent rims; a cut-out test left by
        // a surface would cut their soft edges.
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d->SetTexture(0, sprite->textureAt(time));
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        if (count > 0) d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, UINT(2 * count));
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }

    DeviceContext& context;
    std::unique_ptr<GeneratedTexture> sprite;
    std::vector<IDirect3DVertexBuffer8*> buffers; // per device, default pool
    std::vector<SpriteVertex> vertices;
};

void destroySprites(void* sprites) {
    delete static_cast<ParticleSprites*>(sprites);
}

ParticleSprites* spritesOf(LWObject* object, DeviceContext& context) {
    VolumetricSettings* v = object ? object->volumetric : nullptr;
    if (!v || v->kind != 1) return nullptr;
    if (!v->drawable) {
        v->drawable = new ParticleSprites(context);
        v->destroyDrawable = destroySprites;
    }
    return v->destroyDrawable == destroySprites ? static_cast<ParticleSprites*>(v->drawable)
                                                : nullptr;
}

Vec3 placeOf(LWItem* item, double time) {
    if (!item) return {0, 0, 0};
    if (!item->worldValid) item->getMatrix(time);
    return item->world.row(3);
}

// A wind or gravity effector as a force effector; false for other kinds.
bool forceOf(const FxEffector& e, double time, ForceEffector& force, int& emitter) {
    const float* v = e.values;
    if (e.kind == EFFECTOR_GRAVITY)
        force.direction = {v[6], v[7], v[8]};
    else if (e.kind == EFFECTOR_WIND)
        force.direction = {v[7], v[8], v[9]};
    else
        return false;
    emitter = int(v[1]);
    force.radius = v[2];
    force.strength = v[3];
    force.mode = int(v[4]);
    force.falloff = int(v[5]);
    force.centre = placeOf(e.parent, time);
    return true;
}

} // namespace

void updateParticles(SceneRenderer& renderer, LW6Scene& scene, double time, double step) {
    if (scene.fxEmitter.empty()) return;
    const float dt = float(step);
    for (FxEmitter* e : scene.fxEmitter)
        if (e) birthStep(*e, placeOf(e->parent, time), time, dt, renderer.particleBirths);
    for (FxEmitter* e : scene.fxEmitter)
        if (e) ageParticles(*e, dt);
    for (FxEffector* effector : scene.fxEffector) {
        ForceEffector force;
        int target = 0;
        if (!effector || !forceOf(*effector, time, force, target)) continue;
        // Modes 2 and up are the second kind: a vortex about the direction,
        // or an attractor.
        SwirlEffector swirl;
        const bool swirls = force.mode >= SWIRL_VORTEX;
        if (swirls) {
            swirl.centre = force.centre;
            swirl.axis = force.direction;
            swirl.mode = force.mode;
            swirl.falloff = force.falloff;
            swirl.radius = force.radius;
            swirl.strength = force.strength;
        }
        for (size_t i = 0; i < scene.fxEmitter.size(); ++i) {
            FxEmitter* e = scene.fxEmitter[i];
            if (!e || (target != 0 && target != int(i) + 1)) continue;
            if (swirls)
                applySwirl(swirl, e->particles, 0, size_t(particleLimitOf(*e)), dt);
            else
                applyForce(force, e->particles, 0, size_t(particleLimitOf(*e)), dt);
        }
    }
    LWItem* camera = renderer.current().camera;
    for (FxEmitter* e : scene.fxEmitter) {
        if (!e) continue;
        moveParticles(*e, dt);
        if (renderer.dry || !camera) continue;
        auto* object = dynamic_cast<LWObject*>(e->parent);
        if (ParticleSprites* sprites = spritesOf(object, renderer.context))
            sprites->render(time, e->particles, *camera,
                            object->volumetric->particleSize.evaluate(time));
    }
}

void releaseParticleBuffers(LW6Scene& scene) {
    for (LWObject* object : scene.objects) {
        VolumetricSettings* v = object->volumetric;
        if (v && v->drawable && v->destroyDrawable == destroySprites)
            static_cast<ParticleSprites*>(v->drawable)->releaseBuffers();
    }
}
