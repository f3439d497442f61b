// SURF sub-chunks into an LWSurface, and BLOK sub-chunks into its texture
// layers; gradient and procedural layers get their textures here, and every
// layer's texture takes the use bit of its channel (a picture used as colour
// and as heights gets a texture for each).

#include "clip_textures.h"
#include "gradient_inputs.h"
#include "images/procedural_texture.h"
#include "images/texture.h"
#include "lwo_loader.h"
#include "meta_scene.h"
#include "scene.h"
#include "surface.h"
#include "wrap_mode.h"

#include "app/device_context_base.h"

#include <cmath>

namespace {

// A value and its envelope reference (a plain U2 index).
void valueAndEnvelope(LwoLoader& loader, LwoReader& r, LWAnimValue& v) {
    v.value = r.f4();
    loader.takeEnvelope(v, r.u2());
}

void readBlockHeader(LwoLoader& loader, LWTextureLayer& t, LwoReader& r) {
    r.s0(); // ordinal
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        if (id == lwoId("CHAN"))
            t.channel = int32_t(sub.id4());
        else if (id == lwoId("ENAB"))
            t.enabled = sub.u2() == 1;
        else if (id == lwoId("NEGA"))
            t.negative = sub.u2() == 1;
        else if (id == lwoId("OPAC")) {
            t.opacityType = sub.u2();
            valueAndEnvelope(loader, sub, t.opacity);
        }
    }
}

void readTextureMap(LwoLoader& loader, LWTextureLayer& t, LwoReader& r) {
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        LWAnimValue* target = id == lwoId("CNTR")   ? t.center
                              : id == lwoId("SIZE") ? t.size
                              : id == lwoId("ROTA") ? t.rotation
                                                    : nullptr;
        if (target) {
            for (int i = 0; i < 3; ++i) target[i].value = sub.f4();
            if (sub.u2() != 0)
                for (int i = 0; i < 3; ++i) loader.takeEnvelope(target[i], sub.u2());
        } else if (id == lwoId("OREF")) {
            sub.s0();
        }
    }
}

void readBlock(LwoLoader& loader, LWSurface& surface, LwoReader& r) {
    auto* t = new LWTextureLayer;
    LW6Scene& scene = loader.scene;
    const uint32_t caps = scene.context ? scene.context->textureAddressCaps : 0;
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        if (id == lwoId("IMAP") || id == lwoId("PROC") || id == lwoId("GRAD")) {
            t->type = int32_t(id);
            readBlockHeader(loader, *t, sub);
        } else if (id == lwoId("IMAG")) {
            t->texture = loader.clip(sub.vx());
        } else if (id == lwoId("PROJ")) {
            t->maptype = sub.u2();
        } else if (id == lwoId("AXIS")) {
            t->axis = sub.u2();
        } else if (id == lwoId("TMAP")) {
            readTextureMap(loader, *t, sub);
        } else if (id == lwoId("WRAP")) {
            const int width = sub.u2(), height = sub.u2();
            layerAddressModes(width, height, t->maptype, caps, &t->addressU, &t->addressV);
        } else if (id == lwoId("WRPW")) {
            t->widthRepeat = sub.f4();
        } else if (id == lwoId("WRPH")) {
            t->heightRepeat = sub.f4();
        } else if (id == lwoId("VMAP")) {
            const std::string name = sub.s0();
            for (auto& data : loader.layers)
                for (LWUVMap* m : data->uvMaps)
                    if (m->name == name) {
                        if (t->layerUVMaps.size() <= size_t(data->number))
                            t->layerUVMaps.resize(size_t(data->number) + 1, nullptr);
                        LWUVMap*& slot = t->layerUVMaps[size_t(data->number)];
                        if (slot) slot->release();
                        m->addRef();
                        slot = m;
                    }
        } else if (id == lwoId("AAST")) {
            if (sub.u2() != 0) t->antialiasStrength = sub.f4();
        } else if (id == lwoId("PIXB")) {
            t->pixelBlending = sub.u2() != 0;
        } else if (id == lwoId("TAMP")) {
            valueAndEnvelope(loader, sub, t->amplitude);
        } else if (id == lwoId("GRST")) {
            t->gradientStart = sub.f4();
        } else if (id == lwoId("GREN")) {
            t->gradientEnd = sub.f4();
        } else if (id == lwoId("PNAM")) {
            const std::string name = sub.s0();
            for (int i = 0; i < GRADIENT_INPUT_COUNT; ++i)
                if (name == GRADIENT_INPUT_NAMES[i]) t->gradientInput = i;
        } else if (id == lwoId("FUNC")) {
            t->procName = sub.s0();
            const size_t rest = sub.remaining();
            if (const uint8_t* bytes = sub.view(rest)) t->procData.assign(bytes, bytes + rest);
        } else if (id == lwoId("FKEY")) {
            while (sub.remaining() >= 20) {
                LWGradientKey k;
                k.input = sub.f4();
                k.r = sub.f4();
                k.g = sub.f4();
                k.b = sub.f4();
                k.alpha = sub.f4();
                t->gradientKeys.push_back(k);
            }
        } else if (id == lwoId("IKEY")) {
            for (LWGradientKey& k : t->gradientKeys) k.interpolation = sub.u2();
        }
    }

    MetaScene* meta = scene.metaScene;
    if (t->type == fourCC("GRAD") && !t->gradientKeys.empty()) {
        const int n = int(t->gradientKeys.size());
        for (int c = 0; c < 4; ++c) {
            auto* e = new LWEnvelope(n);
            for (int i = 0; i < n; ++i) {
                const LWGradientKey& k = t->gradientKeys[size_t(i)];
                const float value = c == 0 ? k.r : c == 1 ? k.g : c == 2 ? k.b : k.alpha;
                const int shape = k.interpolation == 0   ? SHAPE_LINEAR
                                  : k.interpolation == 2 ? SHAPE_STEPPED
                                                         : SHAPE_TCB;
                e->setKey(i, value, k.input, shape, 0, 0, 0);
            }
            e->finish(BEHAVIOR_CONSTANT, BEHAVIOR_CONSTANT);
            delete t->gradient[c];
            t->gradient[c] = e;
        }
        auto* gradient = new GradientTexture(scene.context, t);
        if (meta)
            meta->textures.addTexture(gradient);
        else
            delete gradient, gradient = nullptr;
        t->texture = gradient;
    }
    if (t->type == fourCC("PROC")) {
        auto* procedural = new ProceduralTexture(scene.context, t);
        if (meta)
            meta->textures.addTexture(procedural);
        else
            delete procedural, procedural = nullptr;
        t->texture = procedural;
        t->maptype = MAP_PROCEDURAL;
    }
    if (t->texture) {
        const uint32_t use = t->channel == fourCC("TRAN")   ? TEXTURE_ALPHA_FROM_INTENSITY
                             : t->channel == fourCC("BUMP") ? TEXTURE_NORMAL_MAP
                                                            : TEXTURE_COLOR_LAYER;
        Texture* texture = layerTexture(scene, loader.archive, t->texture, use);
        t->texture = texture;
        if (use == TEXTURE_NORMAL_MAP) {
            texture->bumpAmplitude = t->amplitude.evaluate(0) * surface.bump.evaluate(0);
            texture->flags = (texture->flags | use) & ~uint32_t(TEXTURE_COMPRESS);
        } else {
            texture->flags |= use;
        }
    }
    surface.textureLayers.push_back(t);
}

// A surface with transparency or additive transparency blends over what is
// behind it, so it and its layer are drawn after the opaque ones.
void markTransparency(LwoLoader& loader, LWSurface& s, const LWAnimValue& amount) {
    if (amount.value != 0 || amount.envelope) {
        s.transparent = 1;
        loader.transparency = true;
    }
}

} // namespace

void readSurface(LwoLoader& loader, LWSurface& s, LwoReader& r) {
    LW6Scene& scene = loader.scene;
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        if (id == lwoId("COLR")) {
            for (LWAnimValue& c : s.color) c.value = sub.f4();
            s.colorAlpha = 1.0f;
            const uint32_t e = sub.u2();
            if (e != 0)
                for (uint32_t i = 0; i < 3; ++i) loader.takeEnvelope(s.color[i], e + i);
        } else if (id == lwoId("LUMI"))
            valueAndEnvelope(loader, sub, s.luminosity);
        else if (id == lwoId("DIFF"))
            valueAndEnvelope(loader, sub, s.diffuse);
        else if (id == lwoId("SPEC"))
            valueAndEnvelope(loader, sub, s.specularity);
        else if (id == lwoId("GLOS"))
            valueAndEnvelope(loader, sub, s.glossiness);
        else if (id == lwoId("REFL"))
            valueAndEnvelope(loader, sub, s.reflection);
        else if (id == lwoId("RIND"))
            valueAndEnvelope(loader, sub, s.refractiveIndex);
        else if (id == lwoId("BUMP"))
            valueAndEnvelope(loader, sub, s.bump);
        else if (id == lwoId("CLRF"))
            valueAndEnvelope(loader, sub, s.colorFilter);
        else if (id == lwoId("TRAN")) {
            valueAndEnvelope(loader, sub, s.transparency);
            markTransparency(loader, s, s.transparency);
        } else if (id == lwoId("ADTR")) {
            valueAndEnvelope(loader, sub, s.additiveTransparency);
            markTransparency(loader, s, s.additiveTransparency);
        } else if (id == lwoId("CLRH")) {
            uint8_t b[4] = {sub.u1(), sub.u1(), sub.u1(), sub.u1()};
            s.colorHighlights = b[0] || b[1] || b[2] || b[3];
        } else if (id == lwoId("SIDE")) {
            s.doubleSided = sub.u2() == 3;
        } else if (id == lwoId("SMAN")) {
            const float angle = sub.f4();
            if (angle > 0.17453292519943295) {
                s.smoothing = true;
                s.cosMaxSmoothAngle = float(std::cos(double(angle)) - 1e-6);
            }
        } else if (id == lwoId("RFOP")) {
            s.reflectionOptions = sub.u2();
            if (s.reflectionOptions == 0) s.transparent = 1;
            // Option 3's cube render targets are made by the renderer.
        } else if (id == lwoId("RIMG")) {
            s.reflectionImage = loader.clip(sub.vx());
        } else if (id == lwoId("VCOL")) {
            sub.f4();
            sub.vx();
            const uint32_t type = sub.id4();
            const std::string name = sub.s0();
            if (type == lwoId("RGB ") || type == lwoId("RGBA")) {
                for (auto& data : loader.layers)
                    for (LWColorMap* m : data->colorMaps)
                        if (m->name == name) {
                            if (s.vertexColorMaps.size() <= size_t(data->number))
                                s.vertexColorMaps.resize(size_t(data->number) + 1, nullptr);
                            LWColorMap*& slot = s.vertexColorMaps[size_t(data->number)];
                            if (slot) slot->release();
                            m->addRef();
                            slot = m;
                        }
            }
        } else if (id == lwoId("BLOK")) {
            readBlock(loader, s, sub);
        }
    }
    (void)scene;
}
