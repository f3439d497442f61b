#include "surface_setup.h"

#include "base/color.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"

#include <algorithm>
#include <cmath>

using namespace d3d;

void StatePlan::clear() {
    changes.clear();
    matrices.clear();
    material = {};
    for (float& v : c33) v = 0;
    for (float& v : c35) v = 0;
    hasBump = false;
    hasMaterial = false;
}

void StatePlan::render(uint32_t state, uint32_t value) {
    StateChange c{StateChange::RENDER};
    c.state = state;
    c.value = value;
    changes.push_back(c);
}

void StatePlan::stage(int stage, uint32_t state, uint32_t value) {
    StateChange c{StateChange::STAGE};
    c.stage = uint8_t(stage);
    c.state = state;
    c.value = value;
    changes.push_back(c);
}

void StatePlan::texture(int stage, Texture* texture, double time) {
    StateChange c{StateChange::TEXTURE};
    c.stage = uint8_t(stage);
    c.texture = texture;
    c.time = time;
    changes.push_back(c);
}

void StatePlan::deviceTexture(int stage, const void* texture) {
    StateChange c{StateChange::TEXTURE};
    c.stage = uint8_t(stage);
    c.deviceTexture = texture;
    changes.push_back(c);
}

void StatePlan::transform(uint32_t slot, const Matrix4& m) {
    StateChange c{StateChange::TRANSFORM};
    c.state = slot;
    c.matrix = int(matrices.size());
    matrices.push_back(m);
    changes.push_back(c);
}

void StatePlan::setMaterial(const MaterialRecord& m) {
    material = m;
    hasMaterial = true;
    changes.push_back(StateChange{StateChange::MATERIAL});
}

bool StatePlan::renderState(uint32_t state, uint32_t* value) const {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        if (it->kind == StateChange::RENDER && it->state == state) {
            *value = it->value;
            return true;
        }
    return false;
}

bool StatePlan::stageState(int stage, uint32_t state, uint32_t* value) const {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        if (it->kind == StateChange::STAGE && it->stage == stage && it->state == state) {
            *value = it->value;
            return true;
        }
    return false;
}

const StateChange* StatePlan::textureChange(int stage) const {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        if (it->kind == StateChange::TEXTURE && it->stage == stage) return &*it;
    return nullptr;
}

LWTextureLayer* enabledLayer(const LWSurface& surface, const char (&channel)[5]) {
    return findLayer(surface, 1, fourCC(channel));
}

int surfaceProgramIndex(const LWSurface& surface) {
    return enabledLayer(surface, "TRNL") && enabledLayer(surface, "BUMP") ? 2 : 0;
}

namespace {

constexpr float TINY = 1e-6f;

void scale(float c[4]) {
    for (int i = 0; i < 4; ++i) c[i] *= MATERIAL_SCALE[i];
}

void set4(float out[4], float r, float g, float b, float a) {
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = a;
}

// The stage operations: colour op with its two arguments, alpha op with its two.
void ops(StatePlan& p, int stage, uint32_t colourOp, uint32_t colour1, uint32_t colour2,
         uint32_t alphaOp, uint32_t alpha1, uint32_t alpha2) {
    p.stage(stage, TSS_COLOROP, colourOp);
    p.stage(stage, TSS_COLORARG1, colour1);
    p.stage(stage, TSS_COLORARG2, colour2);
    p.stage(stage, TSS_ALPHAOP, alphaOp);
    p.stage(stage, TSS_ALPHAARG1, alpha1);
    p.stage(stage, TSS_ALPHAARG2, alpha2);
}

void disable(StatePlan& p, int stage) {
    p.stage(stage, TSS_COLOROP, TOP_DISABLE);
}

void filters(StatePlan& p, int stage, const LWTextureLayer& layer) {
    p.stage(stage, TSS_MIPFILTER, layer.antialiasStrength != 0 ? TEXF_LINEAR : TEXF_NONE);
    p.stage(stage, TSS_MAGFILTER, layer.pixelBlending ? TEXF_LINEAR : TEXF_POINT);
}

void address(StatePlan& p, int stage, const LWTextureLayer& layer) {
    p.stage(stage, TSS_ADDRESSU, uint32_t(layer.addressU));
    p.stage(stage, TSS_ADDRESSV, uint32_t(layer.addressV));
}

bool usesBorder(const LWTextureLayer& layer) {
    return layer.addressU == int32_t(TADDRESS_BORDER) || layer.addressV == int32_t(TADDRESS_BORDER);
}

uint32_t packedDiffuse(const StatePlan& p) {
    const float* d = p.material.diffuse;
    return packColor(d[0], d[1], d[2], d[3]);
}

Texture* textureOf(LWTextureLayer* layer) {
    return layer ? layer->texture : nullptr;
}

// The transparency layer's stage: its intensity as alpha (and colour),
// inverted for a negative layer.
void transparencyStage(StatePlan& p, int stage, const LWTextureLayer& tran) {
    const uint32_t complement = tran.negative ? TA_COMPLEMENT : 0;
    ops(p, stage, TOP_MODULATE, TA_TEXTURE | TA_ALPHAREPLICATE | complement, TA_CURRENT,
        TOP_MODULATE, TA_TEXTURE | complement, TA_CURRENT);
}

bool animatedPlacement(const LWTextureLayer& layer) {
    for (int i = 0; i < 3; ++i)
        if (layer.center[i].envelope || layer.size[i].envelope || layer.rotation[i].envelope)
            return true;
    return false;
}

// The layer's placement at `time` as a 2D texture transform of stage 0: the
// two columns of the layer matrix that the projection axis leaves.
Matrix4 stageTransform(LWTextureLayer& layer, double time) {
    const Matrix4 l = computeTransform(layer, time);
    int a = 0, b = 1; // Z axis
    if (layer.axis == 0) a = 2, b = 1;
    if (layer.axis == 1) a = 0, b = 2;
    Matrix4 m = {};
    for (int row = 0; row < 4; ++row) {
        m.m[row][0] = l.m[row][a];
        m.m[row][1] = l.m[row][b];
    }
    m.m[3][3] = 1;
    return m;
}

// The colour layer on stage 0 for the rows without special layers.
void colourStage(StatePlan& p, LWSurface& s, LWTextureLayer* colr, double time) {
    Texture* texture = textureOf(colr);
    if (!texture) {
        p.texture(0, nullptr, time);
        disable(p, 0);
        return;
    }
    // A colour-filter envelope scrubs an animated picture instead of the clock.
    const double textureTime =
        s.colorFilter.envelope ? s.colorFilter.evaluate(time) * 3.3333333 : time;
    p.texture(0, texture, textureTime);
    p.stage(0, TSS_TEXCOORDINDEX, 0);
    ops(p, 0, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE);
    address(p, 0, *colr);
    if (usesBorder(*colr)) p.stage(0, TSS_BORDERCOLOR, packedDiffuse(p));
    filters(p, 0, *colr);
    if (animatedPlacement(*colr)) {
        p.stage(0, TSS_TEXTURETRANSFORMFLAGS, TTFF_COUNT2);
        p.transform(TS_TEXTURE0, stageTransform(*colr, time));
    }
}

void sphericalReflection(StatePlan& p, LWSurface& s, double time) {
    if (!takesSphericalReflection(s)) {
        disable(p, 1);
        return;
    }
    p.texture(1, s.reflectionImage, time);
    const float r = std::clamp(s.reflection.value, 0.0f, 1.0f);
    p.render(RS_TEXTUREFACTOR, uint32_t(r * 255.0f) * 0x01010101u);
    p.stage(1, TSS_TEXCOORDINDEX, TCI_CAMERASPACEREFLECTIONVECTOR);
    p.stage(1, TSS_TEXTURETRANSFORMFLAGS, TTFF_COUNT2);
    p.stage(1, TSS_COLOROP, TOP_MULTIPLYADD);
    p.stage(1, TSS_COLORARG0, TA_CURRENT);
    p.stage(1, TSS_COLORARG1, TA_TEXTURE);
    p.stage(1, TSS_COLORARG2, TA_TFACTOR);
    p.stage(1, TSS_ALPHAOP, TOP_ADD);
    p.stage(1, TSS_ALPHAARG1, TA_TEXTURE);
    p.stage(1, TSS_ALPHAARG2, TA_CURRENT);
    p.stage(1, TSS_ADDRESSU, TADDRESS_WRAP);
    p.stage(1, TSS_ADDRESSV, TADDRESS_WRAP);
    // Camera-space reflection vectors (-1..1) onto the picture's 0..1.
    Matrix4 m = {};
    m.m[0][0] = -0.25f;
    m.m[1][1] = 0.25f;
    m.m[3][0] = 0.5f;
    m.m[3][1] = -0.5f;
    m.m[3][3] = 1;
    p.transform(TS_TEXTURE1, m);
    disable(p, 2);
}

} // namespace

FixedFunctionRow fixedFunctionRow(const LWSurface& s, bool multiplyAdd) {
    const bool colr = enabledLayer(s, "COLR") != nullptr;
    const bool tran = enabledLayer(s, "TRAN") != nullptr;
    if (tran) return colr ? ROW_COLOUR_TRANSPARENCY : ROW_TRANSPARENCY;
    if (enabledLayer(s, "DIFF")) return ROW_DIFFUSE;
    if (enabledLayer(s, "SPEC") && multiplyAdd) return ROW_SPECULAR;
    return s.reflectionOptions != 3 ? ROW_COLOUR : ROW_CUBE_REFLECTION;
}

bool takesSphericalReflection(const LWSurface& s) {
    return s.reflectionImage && s.reflectionOptions == 2;
}

void planMaterial(LWSurface& s, double time, uint32_t cullMode, StatePlan& p) {
    p.render(RS_ALPHATESTENABLE, 0);
    if (s.transparent) {
        p.render(RS_ZWRITEENABLE, 0);
        p.render(RS_ALPHABLENDENABLE, 1);
        p.render(RS_SRCBLEND, BLEND_SRCALPHA);
        p.render(RS_DESTBLEND, BLEND_INVSRCALPHA);
    } else {
        p.render(RS_ZWRITEENABLE, 1);
        p.render(RS_ALPHABLENDENABLE, 0);
    }

    float c[4] = {s.color[0].evaluate(time), s.color[1].evaluate(time), s.color[2].evaluate(time),
                  s.colorAlpha};
    const LWTextureLayer* colr = enabledLayer(s, "COLR");
    if (colr && colr->opacityType != 3) set4(c, 1, 1, 1, s.colorAlpha);
    const float diff = s.diffuse.evaluate(time), specularity = s.specularity.evaluate(time);
    const float lumi = s.luminosity.evaluate(time), glos = s.glossiness.evaluate(time);
    const float tran = s.transparency.evaluate(time);
    const float adtr = s.additiveTransparency.evaluate(time);
    const float refl = s.reflection.evaluate(time);
    const float bump = s.bump.evaluate(time);

    MaterialRecord m = {};
    set4(m.diffuse, diff * c[0], diff * c[1], diff * c[2], c[3]);
    set4(m.ambient, m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3]);
    if (s.colorHighlights)
        set4(m.specular, specularity * c[0], specularity * c[1], specularity * c[2], c[3]);
    else
        set4(m.specular, specularity, specularity, specularity, c[3]);
    set4(m.emissive, lumi * c[0], lumi * c[1], lumi * c[2], c[3]);
    m.power = specularity > TINY ? std::min(std::pow(2.0f, 10.0f * glos + 2.0f), 255.0f) : 0.0f;
    scale(m.diffuse);
    scale(m.ambient);
    scale(m.specular);
    scale(m.emissive);
    set4(p.c33, m.power, m.power, m.power, m.power);
    if (LWTextureLayer* b = enabledLayer(s, "BUMP")) {
        const float strength = b->amplitude.evaluate(time) * bump;
        set4(p.c35, strength, strength, strength, strength);
        p.hasBump = true;
    }
    m.diffuse[3] = 1.0f - tran;
    if (adtr != 0) {
        p.render(RS_SRCBLEND, BLEND_ONE);
        p.render(RS_DESTBLEND, BLEND_SRCALPHA);
        m.diffuse[3] = adtr;
    }
    if (refl != 0) {
        p.render(RS_SRCBLEND, BLEND_ONE);
        p.render(RS_DESTBLEND, BLEND_SRCALPHA);
        m.diffuse[3] = refl;
    }
    if (const LWTextureLayer* t = enabledLayer(s, "TRAN")) {
        p.render(RS_ALPHABLENDENABLE, 1);
        p.render(RS_SRCBLEND, BLEND_SRCALPHA);
        p.render(RS_DESTBLEND, BLEND_INVSRCALPHA);
        p.render(RS_ZWRITEENABLE, 0);
        if (t->opacityType == 3) {
            m.diffuse[3] = 1.0f - tran;
        } else {
            // A picture that is all the transparency there is: cut out, not
            // blended, so that it keeps writing depth.
            if (s.transparency.value == 0) {
                p.render(RS_ALPHATESTENABLE, 1);
                p.render(RS_ALPHAFUNC, CMP_GREATER);
                p.render(RS_ALPHAREF, 127);
                p.render(RS_ZWRITEENABLE, 1);
            }
            m.diffuse[3] = 1.0f;
        }
    }
    p.render(RS_CULLMODE, s.doubleSided ? CULL_NONE : cullMode);
    p.render(RS_SPECULARENABLE, !enabledLayer(s, "SPEC") && specularity > TINY ? 1 : 0);
    p.setMaterial(m);
}

void planFixedFunction(LWSurface& s, double time, uint32_t cullMode, bool multiplyAdd,
                       StatePlan& p) {
    planMaterial(s, time, cullMode, p);
    p.stage(0, TSS_TEXTURETRANSFORMFLAGS, TTFF_DISABLE);
    // Stage 1 too: a reflection or a shadow receiver drawn before leaves its
    // coordinates transformed, and the rows that only bind a texture there
    // would show it through the other surface's mapping.
    p.stage(1, TSS_TEXTURETRANSFORMFLAGS, TTFF_DISABLE);
    // The specular row reads its picture through the first channel, which a
    // diffuse-row surface drawn before would leave pointing at the second.
    p.stage(0, TSS_TEXCOORDINDEX, 0);
    LWTextureLayer* colr = enabledLayer(s, "COLR");
    LWTextureLayer* tran = enabledLayer(s, "TRAN");
    LWTextureLayer* diff = enabledLayer(s, "DIFF");
    LWTextureLayer* specularLayer = enabledLayer(s, "SPEC");

    switch (fixedFunctionRow(s, multiplyAdd)) {
    case ROW_TRANSPARENCY:
        p.texture(0, textureOf(tran), time);
        p.stage(0, TSS_TEXCOORDINDEX, 0);
        transparencyStage(p, 0, *tran);
        disable(p, 1);
        break;
    case ROW_COLOUR_TRANSPARENCY:
        p.texture(0, textureOf(colr), time);
        p.texture(1, textureOf(tran), time);
        p.stage(0, TSS_TEXCOORDINDEX, 0);
        ops(p, 0, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE);
        address(p, 0, *colr);
        if (usesBorder(*colr)) p.stage(0, TSS_BORDERCOLOR, packedDiffuse(p));
        filters(p, 0, *colr);
        p.stage(1, TSS_TEXCOORDINDEX, 1);
        transparencyStage(p, 1, *tran);
        address(p, 1, *tran);
        if (usesBorder(*tran)) p.stage(1, TSS_BORDERCOLOR, 0);
        filters(p, 1, *tran);
        disable(p, 2);
        break;
    case ROW_DIFFUSE: {
        // Without a colour layer the colour texture is none.
        Texture* colour = textureOf(colr);
        p.texture(0, textureOf(diff), time);
        p.texture(1, colour, time);
        p.stage(0, TSS_TEXCOORDINDEX, 1);
        ops(p, 0, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_DISABLE, TA_TEXTURE, TA_DIFFUSE);
        p.stage(1, TSS_TEXCOORDINDEX, 0);
        ops(p, 1, colour ? TOP_MODULATE : TOP_DISABLE, TA_TEXTURE, TA_CURRENT, TOP_DISABLE,
            TA_TEXTURE, TA_CURRENT);
        disable(p, 2);
        break;
    }
    case ROW_SPECULAR:
        p.texture(0, textureOf(specularLayer), time);
        p.texture(1, textureOf(colr), time);
        ops(p, 0, TOP_MODULATE, TA_SPECULAR, TA_TEXTURE, TOP_DISABLE, TA_DIFFUSE, TA_SPECULAR);
        p.stage(1, TSS_TEXCOORDINDEX, 0);
        // The highlight so far plus diffuse x colour picture.
        ops(p, 1, TOP_MULTIPLYADD, TA_DIFFUSE, TA_TEXTURE, TOP_DISABLE, TA_TEXTURE, TA_DIFFUSE);
        p.stage(1, TSS_COLORARG0, TA_CURRENT);
        disable(p, 2);
        break;
    case ROW_COLOUR:
        colourStage(p, s, colr, time);
        sphericalReflection(p, s, time);
        break;
    case ROW_CUBE_REFLECTION:
        // Cube-map reflection: the colour texture, then the reflected scene
        // added in by the reflection strength.
        p.texture(0, textureOf(colr), time);
        p.deviceTexture(1, s.reflectionCube);
        p.stage(0, TSS_TEXCOORDINDEX, 0);
        ops(p, 0, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_SELECTARG1, TA_TFACTOR, TA_DIFFUSE);
        p.stage(0, TSS_ADDRESSU, TADDRESS_MIRROR);
        p.stage(0, TSS_ADDRESSV, TADDRESS_MIRROR);
        const float strength = std::clamp(s.reflection.value, 0.0f, 1.0f); // one byte of alpha
        p.render(RS_TEXTUREFACTOR, uint32_t(strength * 255.0f) << 24);
        p.stage(1, TSS_TEXCOORDINDEX, TCI_CAMERASPACEREFLECTIONVECTOR);
        p.stage(1, TSS_TEXTURETRANSFORMFLAGS, TTFF_COUNT3);
        // The direction as it is: a spherical map's scale may be left in stage 1.
        p.transform(TS_TEXTURE1, Matrix4::identity());
        p.stage(1, TSS_MAGFILTER, TEXF_LINEAR);
        p.render(RS_NORMALIZENORMALS, 1);
        ops(p, 1, TOP_MODULATEALPHA_ADDCOLOR, TA_CURRENT, TA_TEXTURE, TOP_DISABLE, TA_CURRENT,
            TA_TEXTURE);
        disable(p, 2);
        break;
    }
}

void planFlatShadow(LWSurface& s, uint32_t cullMode, int shadowPassMode, Texture* texcoordMap,
                    StatePlan& p) {
    p.render(RS_ZWRITEENABLE, s.transparent ? 0 : 1);
    p.render(RS_ALPHATESTENABLE, 0);
    p.render(RS_ALPHABLENDENABLE, 0);
    p.render(RS_CULLMODE, s.doubleSided ? CULL_NONE : cullMode);
    p.render(RS_SPECULARENABLE, 0);
    if (shadowPassMode == 1) {
        disable(p, 0);
    } else if (shadowPassMode == 2) {
        p.texture(0, texcoordMap, 0);
        p.stage(0, TSS_TEXCOORDINDEX, 0);
        p.stage(0, TSS_TEXTURETRANSFORMFLAGS, TTFF_DISABLE);
        p.stage(0, TSS_ADDRESSU, TADDRESS_CLAMP);
        p.stage(0, TSS_COLOROP, TOP_SELECTARG1);
        p.stage(0, TSS_COLORARG1, TA_TEXTURE);
        p.stage(0, TSS_ALPHAOP, TOP_SELECTARG1);
        p.stage(0, TSS_ALPHAARG1, TA_TEXTURE);
        disable(p, 1);
    }
}

void planDot3(LWSurface& s, double time, uint32_t cullMode, StatePlan& p) {
    planMaterial(s, time, cullMode, p);
    p.texture(0, textureOf(enabledLayer(s, "COLR")), time);
    p.texture(1, textureOf(enabledLayer(s, "BUMP")), time);
    p.texture(2, nullptr, time);
    for (int k = 0; k < 4; ++k) p.stage(k, TSS_TEXCOORDINDEX, uint32_t(k));
    // The program hands its coordinates over as they are: a shadow receiver
    // drawn before leaves its stages projecting theirs.
    for (int k = 0; k < 4; ++k) p.stage(k, TSS_TEXTURETRANSFORMFLAGS, TTFF_DISABLE);
    for (int k = 0; k < 2; ++k) {
        p.stage(k, TSS_ADDRESSU, TADDRESS_WRAP);
        p.stage(k, TSS_ADDRESSV, TADDRESS_WRAP);
    }
    for (int k = 2; k < 4; ++k) {
        p.stage(k, TSS_ADDRESSU, TADDRESS_CLAMP);
        p.stage(k, TSS_ADDRESSV, TADDRESS_CLAMP);
        p.stage(k, TSS_ADDRESSW, TADDRESS_CLAMP);
    }
}

void planShadowReceiver(LWSurface& s, double time, uint32_t cullMode, const void* depthTexture,
                        Texture* spotTexture, StatePlan& p) {
    planMaterial(s, time, cullMode, p);
    p.deviceTexture(0, depthTexture);
    p.texture(1, spotTexture, time);
    p.texture(2, textureOf(enabledLayer(s, "COLR")), time);
    // Each stage reads its own coordinates untransformed and leaves alpha alone.
    const struct {
        uint32_t op, arg0, arg1, arg2, address;
    } stages[3] = {
        {TOP_MODULATE, TA_CURRENT, TA_TEXTURE, TA_SPECULAR, TADDRESS_CLAMP},   // shadow test
        {TOP_MULTIPLYADD, TA_DIFFUSE, TA_TEXTURE, TA_CURRENT, TADDRESS_CLAMP}, // ambient + spot
        {TOP_MODULATE, TA_CURRENT, TA_TEXTURE, TA_CURRENT, TADDRESS_WRAP},     // colour
    };
    for (int k = 0; k < 3; ++k) {
        p.stage(k, TSS_TEXCOORDINDEX, uint32_t(k));
        // The shadow map and the spot are projected from the light: their
        // coordinates are divided by w.
        p.stage(k, TSS_TEXTURETRANSFORMFLAGS, k < 2 ? TTFF_PROJECTED : TTFF_DISABLE);
        p.stage(k, TSS_COLOROP, stages[k].op);
        if (stages[k].op == TOP_MULTIPLYADD) p.stage(k, TSS_COLORARG0, stages[k].arg0);
        p.stage(k, TSS_COLORARG1, stages[k].arg1);
        p.stage(k, TSS_COLORARG2, stages[k].arg2);
        p.stage(k, TSS_ALPHAOP, TOP_DISABLE);
        p.stage(k, TSS_ADDRESSU, stages[k].address);
        p.stage(k, TSS_ADDRESSV, stages[k].address);
    }
    // The depth comparison filtered over neighbouring texels: where the
    // device does so, the shadow's outline is softened.
    p.stage(0, TSS_MINFILTER, TEXF_LINEAR);
    p.stage(0, TSS_MAGFILTER, TEXF_LINEAR);
    disable(p, 3);
}
