#include "particle_effects.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
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
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "scene_renderer.h"
#include "surface_setup.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

static_assert(PARTICLE_FVF == (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), "sprite vertices");
constexpr DWORD SMOKE_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);

void particleGenerator(uint32_t* level, int width, int height, int pitch, void*) {
    generateParticle(level, width, height, pitch);
}

// What draws one object's particles: squares from a dynamic buffer per
// device (default pool) for up to PARTICLE_CAPACITY of them, with a picture
// of the kind's own.
class ParticleDrawable {
public:
    ParticleDrawable(DeviceContext& context, UINT vertexSize, DWORD fvf)
        : context(context), vertexSize(vertexSize), fvf(fvf),
          buffers(context.devices.size(), nullptr) {}
    virtual ~ParticleDrawable() { releaseBuffers(); }
    ParticleDrawable(const ParticleDrawable&) = delete;
    ParticleDrawable& operator=(const ParticleDrawable&) = delete;

    void releaseBuffers() {
        for (IDirect3DVertexBuffer8*& b : buffers) {
            if (b) b->Release();
            b = nullptr;
        }
    }

    // `layerTexture`: the emitter layer's surface picture, multiplied in; or none.
    void render(double time, const std::vector<Particle>& particles, LWItem& camera, float size,
                Texture* layerTexture) {
        IDirect3DDevice8* d = context.device;
        const size_t output = size_t(context.currentOutput);
        if (!d || output >= buffers.size()) return;
        IDirect3DVertexBuffer8*& buffer = buffers[output];
        const UINT bytes = UINT(PARTICLE_CAPACITY) * 6 * vertexSize;
        if (!buffer) {
            if (!D3D_CHECK(d->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, fvf,
                                                 D3DPOOL_DEFAULT, &buffer)))
                return;
            countResource(buffer);
        }
        if (!camera.pmXYZWcalced) reportAssertion("pmXYZWcalced");
        if (!camera.inverseValid) camera.getInvMatrix(time);
        // The pixels of what is drawn into now (the screen, an eye's half, a
        // scene's texture).
        D3DVIEWPORT8 viewport = {0, 0, DWORD(context.screenWidth), DWORD(context.screenHeight), 0, 1};
        d->GetViewport(&viewport);
        const size_t count = std::min(
            layOut(particles, camera.inverseWorld * camera.projection, viewport, size),
            size_t(PARTICLE_CAPACITY));
        BYTE* data = nullptr;
        if (!D3D_CHECK(buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD))) return;
        std::memcpy(data, vertexData(), count * 6 * vertexSize);
        buffer->Unlock();
        d->SetStreamSource(0, buffer, vertexSize);
        d->SetVertexShader(fvf);
        d->SetPixelShader(0);
        const Matrix4 identity = Matrix4::identity();
        d->SetTransform(D3DTS_WORLD, asD3D(identity));
        d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        // Fog would tint the squares' transparent rims; a cut-out test left
        // by a surface would cut their soft edges.
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        if (IDirect3DTexture8* second = layerTexture ? layerTexture->textureAt(time) : nullptr) {
            d->SetTexture(1, second);
            d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
            d->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
            d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
            d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
            d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            d->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
            d->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
        } else {
            d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        }
        setPicture(d, time);
        if (count > 0) d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, UINT(2 * count));
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }

protected:
    // The squares of the live particles; answers how many.
    virtual size_t layOut(const std::vector<Particle>& particles, const Matrix4& viewProjection,
                          const D3DVIEWPORT8& viewport, float size) = 0;
    virtual const void* vertexData() const = 0;
    // The picture on stage 0 and the blending.
    virtual void setPicture(IDirect3DDevice8* d, double time) = 0;

    template <typename Vertex>
    static size_t shifted(std::vector<Vertex>& vertices, const D3DVIEWPORT8& viewport) {
        for (Vertex& v : vertices) {
            v.x += float(viewport.X);
            v.y += float(viewport.Y);
        }
        return vertices.size() / 6;
    }

    DeviceContext& context;

private:
    UINT vertexSize;
    DWORD fvf;
    std::vector<IDirect3DVertexBuffer8*> buffers; // per device, default pool
};

// Sprites: the "(particle)" blob, added up.
class ParticleSprites : public ParticleDrawable {
public:
    explicit ParticleSprites(DeviceContext& context)
        : ParticleDrawable(context, sizeof(SpriteVertex), PARTICLE_FVF),
          sprite(std::make_unique<GeneratedTexture>(&context, PARTICLE_TEXTURE_SIZE,
                                                    PARTICLE_TEXTURE_SIZE, TEXTURE_COLOR_LAYER,
                                                    PARTICLE_TEXTURE_NAME, particleGenerator,
                                                    nullptr)) {}

protected:
    size_t layOut(const std::vector<Particle>& particles, const Matrix4& m,
                  const D3DVIEWPORT8& viewport, float size) override {
        particleSprites(particles, m, int(viewport.Width), int(viewport.Height), size, vertices);
        return shifted(vertices, viewport);
    }
    const void* vertexData() const override { return vertices.data(); }
    void setPicture(IDirect3DDevice8* d, double time) override {
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d->SetTexture(0, sprite->textureAt(time));
    }

private:
    std::unique_ptr<GeneratedTexture> sprite;
    std::vector<SpriteVertex> vertices;
};

// Smoke: puffs from the slices of a volume texture, laid over what is behind
// them by their density.
class ParticleSmoke : public ParticleDrawable {
public:
    explicit ParticleSmoke(DeviceContext& context)
        : ParticleDrawable(context, sizeof(SmokeVertex), SMOKE_FVF),
          volumes(context.devices.size(), nullptr) {
        std::vector<uint32_t> texels(size_t(SMOKE_VOLUME_SIZE) * SMOKE_VOLUME_SIZE * SMOKE_VOLUME_SIZE);
        generateSmokeVolume(texels.data(), SMOKE_VOLUME_SIZE);
        for (size_t i = 0; i < context.devices.size(); ++i) {
            IDirect3DDevice8* d = context.devices[i];
            if (!d || !D3D_CHECK(d->CreateVolumeTexture(SMOKE_VOLUME_SIZE, SMOKE_VOLUME_SIZE,
                                                        SMOKE_VOLUME_SIZE, 1, 0, D3DFMT_A8R8G8B8,
                                                        D3DPOOL_MANAGED, &volumes[i])))
                continue;
            countResource(volumes[i]);
            D3DLOCKED_BOX box;
            if (!D3D_CHECK(volumes[i]->LockBox(0, &box, nullptr, 0))) continue;
            for (int k = 0; k < SMOKE_VOLUME_SIZE; ++k)
                for (int row = 0; row < SMOKE_VOLUME_SIZE; ++row)
                    std::memcpy(static_cast<BYTE*>(box.pBits) + k * box.SlicePitch + row * box.RowPitch,
                                &texels[(size_t(k) * SMOKE_VOLUME_SIZE + size_t(row)) * SMOKE_VOLUME_SIZE],
                                SMOKE_VOLUME_SIZE * 4);
            volumes[i]->UnlockBox(0);
        }
    }
    ~ParticleSmoke() override {
        for (IDirect3DVolumeTexture8* v : volumes)
            if (v) v->Release();
    }

protected:
    size_t layOut(const std::vector<Particle>& particles, const Matrix4& m,
                  const D3DVIEWPORT8& viewport, float size) override {
        particleSmoke(particles, m, int(viewport.Width), int(viewport.Height), size, vertices);
        return shifted(vertices, viewport);
    }
    const void* vertexData() const override { return vertices.data(); }
    void setPicture(IDirect3DDevice8* d, double) override {
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        const size_t output = size_t(context.currentOutput);
        d->SetTexture(0, output < volumes.size() ? volumes[output] : nullptr);
        d->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_WRAP);
        d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    }

private:
    std::vector<IDirect3DVolumeTexture8*> volumes; // per device, managed
    std::vector<SmokeVertex> vertices;
};

void destroyDrawable(void* drawable) {
    delete static_cast<ParticleDrawable*>(drawable);
}

// Sprites for settings of kind 1, smoke for kind 2, made when first needed.
ParticleDrawable* drawableOf(LWObject* object, DeviceContext& context) {
    VolumetricSettings* v = object ? object->volumetric : nullptr;
    if (!v || (v->kind != 1 && v->kind != 2)) return nullptr;
    if (!v->drawable) {
        if (v->kind == 1)
            v->drawable = static_cast<ParticleDrawable*>(new ParticleSprites(context));
        else
            v->drawable = static_cast<ParticleDrawable*>(new ParticleSmoke(context));
        v->destroyDrawable = destroyDrawable;
    }
    return v->destroyDrawable == destroyDrawable ? static_cast<ParticleDrawable*>(v->drawable)
                                                 : nullptr;
}

// The picture of the first surface of the object's layer, if it has one.
Texture* layerPicture(LWObject* object) {
    auto* layer = object ? dynamic_cast<LoadedLayer*>(object->layer) : nullptr;
    if (!layer || !layer->metamesh || layer->metamesh->srfs.empty() || !layer->metamesh->srfs[0])
        return nullptr;
    const LWTextureLayer* colour = enabledLayer(*layer->metamesh->srfs[0], "COLR");
    return colour ? colour->texture : nullptr;
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

// A collision effector: value 1 its emitter, 2 the sphere's radius, 3 the
// bounce, 4 the shape (0 a plane through its item, 1 a sphere round it).
bool collisionOf(const FxEffector& e, double time, CollisionEffector& collider, int& emitter) {
    if (e.kind != EFFECTOR_COLLISION || !e.enabled) return false;
    const float* v = e.values;
    emitter = int(v[1]);
    collider.radius = v[2];
    collider.bounce = v[3];
    collider.shape = int(v[4]);
    collider.centre = placeOf(e.parent, time);
    return true;
}

} // namespace

void updateParticles(SceneRenderer& renderer, LW6Scene& scene, double time, double step) {
    if (scene.fxEmitter.empty()) return;
    const float dt = float(step);
    for (FxEmitter* e : scene.fxEmitter)
        if (e) birthStep(*e, placeOf(e->parent, time), time, dt, e->birthsDue);
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
    // Colliders last, once every force has had its say: a push after the
    // check would carry particles through the surface.
    for (FxEffector* effector : scene.fxEffector) {
        CollisionEffector collider;
        int target = 0;
        if (!effector || !collisionOf(*effector, time, collider, target)) continue;
        for (size_t i = 0; i < scene.fxEmitter.size(); ++i) {
            FxEmitter* e = scene.fxEmitter[i];
            if (e && (target == 0 || target == int(i) + 1))
                applyCollision(collider, e->particles, 0, size_t(particleLimitOf(*e)), dt);
        }
    }
    LWItem* camera = renderer.current().camera;
    for (FxEmitter* e : scene.fxEmitter) {
        if (!e) continue;
        moveParticles(*e, dt);
        if (renderer.dry || !camera) continue;
        auto* object = dynamic_cast<LWObject*>(e->parent);
        if (ParticleDrawable* drawable = drawableOf(object, renderer.context))
            drawable->render(time, e->particles, *camera,
                             object->volumetric->particleSize.evaluate(time),
                             layerPicture(object));
    }
}

void releaseParticleBuffers(LW6Scene& scene) {
    for (LWObject* object : scene.objects) {
        VolumetricSettings* v = object->volumetric;
        if (v && v->drawable && v->destroyDrawable == destroyDrawable)
            static_cast<ParticleDrawable*>(v->drawable)->releaseBuffers();
    }
}
