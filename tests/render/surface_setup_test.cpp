// What the surface programs set for a surface, worked out without a device:
// the material with its scale and edge cases, blending and alpha test, and
// each row of the fixed-function program's texture-stage table.

#include "images/texture.h"
#include "lightwave/envelope.h"
#include "lightwave/surface.h"
#include "tests/render/test_layers.h"
#include "tests/support/envelopes.h"
#include "render/surface_setup.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace d3d;

namespace {

uint32_t renderState(const StatePlan& p, uint32_t state) {
    uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(p.renderState(state, &v)) << "render state " << state << " not set";
    return v;
}

uint32_t stageState(const StatePlan& p, int stage, uint32_t state) {
    uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(p.stageState(stage, state, &v))
        << "stage " << stage << " state " << state << " not set";
    return v;
}

Texture* textureOn(const StatePlan& p, int stage) {
    const StateChange* c = p.textureChange(stage);
    return c ? c->texture : reinterpret_cast<Texture*>(uintptr_t(1));
}

struct Pictures {
    ImageTexture colour{nullptr}, other{nullptr}, third{nullptr};
};

} // namespace

TEST(SurfaceMaterial, ColoursAreScaledGreenByHalfAndLitFromTheSurfaceValues) {
    LWSurface s;
    s.color[0].value = s.color[1].value = s.color[2].value = 1;
    s.colorAlpha = 0.8f;
    s.diffuse.value = 0.5f;
    s.specularity.value = 0.25f;
    s.luminosity.value = 0.1f;
    StatePlan p;
    planMaterial(s, 0, CULL_CCW, p);
    const MaterialRecord& m = p.material;
    EXPECT_FLOAT_EQ(0.5f, m.diffuse[0]);
    EXPECT_FLOAT_EQ(0.25f, m.diffuse[1]); // green at half strength
    EXPECT_FLOAT_EQ(0.5f, m.diffuse[2]);
    EXPECT_FLOAT_EQ(1.0f, m.diffuse[3]); // 1 - TRAN
    EXPECT_FLOAT_EQ(m.diffuse[1], m.ambient[1]);
    EXPECT_FLOAT_EQ(0.8f, m.ambient[3]);
    EXPECT_FLOAT_EQ(0.25f, m.specular[0]);
    EXPECT_FLOAT_EQ(0.125f, m.specular[1]);
    EXPECT_FLOAT_EQ(0.1f, m.emissive[2]);
    EXPECT_FLOAT_EQ(0.05f, m.emissive[1]);

    // Colour highlights tint the highlight with the surface colour.
    s.color[0].value = 0.5f;
    s.colorHighlights = true;
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(0.125f, p.material.specular[0]);
    EXPECT_FLOAT_EQ(0.125f, p.material.specular[1]);

    // An enabled colour layer (opacity type not 3) lets its picture colour.
    Pictures pics;
    addLayer(s, "COLR", &pics.colour);
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(0.5f, p.material.diffuse[0]);
    EXPECT_FLOAT_EQ(0.25f, p.material.diffuse[1]);
    s.textureLayers[0]->opacityType = 3;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(0.25f, p.material.diffuse[0]); // the surface colour again
}

TEST(SurfaceMaterial, PowerFollowsGlossinessOnlyWithSpecularity) {
    LWSurface s;
    StatePlan p;
    s.glossiness.value = 1.0f;
    s.specularity.value = 0;
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(0.0f, p.material.power);
    EXPECT_EQ(0u, renderState(p, RS_SPECULARENABLE));
    s.specularity.value = 0.5f;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(255.0f, p.material.power); // 2^12 clamped
    EXPECT_EQ(255.0f, p.c33[2]);
    EXPECT_EQ(1u, renderState(p, RS_SPECULARENABLE));
    s.glossiness.value = 0.4f;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(64.0f, p.material.power); // 2^(4 + 2)
    // A specular layer takes the highlight over.
    addLayer(s, "SPEC");
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(0u, renderState(p, RS_SPECULARENABLE));
}

TEST(SurfaceMaterial, EnvelopesAreReadAtTheDrawTimeAndStoredBack) {
    LWSurface s;
    s.color[0].value = 1;
    s.diffuse.setEnvelope(linearRamp(0, 1));
    s.color[2].setEnvelope(linearRamp(1, 0));
    StatePlan p;
    planMaterial(s, 0.25, CULL_CCW, p);
    EXPECT_NEAR(0.25f, s.diffuse.value, 1e-5);
    EXPECT_NEAR(0.75f, s.color[2].value, 1e-5);
    EXPECT_NEAR(0.25f, p.material.diffuse[0], 1e-5);
    EXPECT_NEAR(0.25f * 0.75f, p.material.diffuse[2], 1e-5);
}

TEST(SurfaceMaterial, TransparencyBlendingAndAlphaTest) {
    LWSurface s;
    StatePlan p;
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(1u, renderState(p, RS_ZWRITEENABLE));
    EXPECT_EQ(0u, renderState(p, RS_ALPHABLENDENABLE));
    EXPECT_EQ(0u, renderState(p, RS_ALPHATESTENABLE));

    s.transparent = 1;
    s.transparency.value = 0.25f;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(0u, renderState(p, RS_ZWRITEENABLE));
    EXPECT_EQ(1u, renderState(p, RS_ALPHABLENDENABLE));
    EXPECT_EQ(BLEND_SRCALPHA, renderState(p, RS_SRCBLEND));
    EXPECT_EQ(BLEND_INVSRCALPHA, renderState(p, RS_DESTBLEND));
    EXPECT_FLOAT_EQ(0.75f, p.material.diffuse[3]);

    // Additive transparency, then reflection, blend one over source alpha.
    s.additiveTransparency.value = 0.4f;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_EQ(BLEND_ONE, renderState(p, RS_SRCBLEND));
    EXPECT_EQ(BLEND_SRCALPHA, renderState(p, RS_DESTBLEND));
    EXPECT_FLOAT_EQ(0.4f, p.material.diffuse[3]);
    s.reflection.value = 0.6f;
    p.clear();
    planMaterial(s, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(0.6f, p.material.diffuse[3]);

    // A transparency picture with no transparency value cuts out and writes depth...
    LWSurface cut;
    addLayer(cut, "TRAN");
    p.clear();
    planMaterial(cut, 0, CULL_CCW, p);
    EXPECT_EQ(1u, renderState(p, RS_ALPHATESTENABLE));
    EXPECT_EQ(CMP_GREATER, renderState(p, RS_ALPHAFUNC));
    EXPECT_EQ(127u, renderState(p, RS_ALPHAREF));
    EXPECT_EQ(1u, renderState(p, RS_ZWRITEENABLE));
    EXPECT_EQ(1u, renderState(p, RS_ALPHABLENDENABLE));
    EXPECT_FLOAT_EQ(1.0f, p.material.diffuse[3]);
    // ...and with one it blends without depth writes.
    cut.transparency.value = 0.5f;
    p.clear();
    planMaterial(cut, 0, CULL_CCW, p);
    EXPECT_EQ(0u, renderState(p, RS_ALPHATESTENABLE));
    EXPECT_EQ(0u, renderState(p, RS_ZWRITEENABLE));
    EXPECT_FLOAT_EQ(1.0f, p.material.diffuse[3]);
    cut.textureLayers[0]->opacityType = 3;
    p.clear();
    planMaterial(cut, 0, CULL_CCW, p);
    EXPECT_FLOAT_EQ(0.5f, p.material.diffuse[3]);
}

TEST(SurfaceMaterial, CullingAndBump) {
    LWSurface s;
    StatePlan p;
    planMaterial(s, 0, 2, p);
    EXPECT_EQ(2u, renderState(p, RS_CULLMODE)); // the renderer's mode
    s.doubleSided = true;
    p.clear();
    planMaterial(s, 0, 2, p);
    EXPECT_EQ(CULL_NONE, renderState(p, RS_CULLMODE));
    EXPECT_FALSE(p.hasBump);
    LWTextureLayer* bump = addLayer(s, "BUMP");
    bump->amplitude.value = 0.5f;
    s.bump.value = 0.8f;
    p.clear();
    planMaterial(s, 0, 2, p);
    EXPECT_TRUE(p.hasBump);
    EXPECT_FLOAT_EQ(0.4f, p.c35[3]);
}

TEST(SurfacePrograms, TheProgramIndexComesFromTheLayers) {
    LWSurface s;
    EXPECT_EQ(0, surfaceProgramIndex(s));
    addLayer(s, "BUMP");
    EXPECT_EQ(0, surfaceProgramIndex(s));
    LWTextureLayer* trnl = addLayer(s, "TRNL");
    EXPECT_EQ(2, surfaceProgramIndex(s));
    trnl->enabled = false;
    EXPECT_EQ(0, surfaceProgramIndex(s));
}

TEST(FixedFunctionStages, WithoutLayersTheMaterialAloneLights) {
    LWSurface s;
    StatePlan p;
    planFixedFunction(s, 0, CULL_CCW, true, p);
    EXPECT_EQ(TTFF_DISABLE, stageState(p, 0, TSS_TEXTURETRANSFORMFLAGS));
    EXPECT_EQ(nullptr, textureOn(p, 0));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 0, TSS_COLOROP));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 1, TSS_COLOROP));
}

TEST(FixedFunctionStages, TransparencyAloneAndWithColour) {
    Pictures pics;
    LWSurface alone;
    LWTextureLayer* tran = addLayer(alone, "TRAN", &pics.other);
    tran->negative = true;
    StatePlan p;
    planFixedFunction(alone, 0, CULL_CCW, true, p);
    EXPECT_EQ(&pics.other, textureOn(p, 0));
    EXPECT_EQ(0u, stageState(p, 0, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TOP_MODULATE, stageState(p, 0, TSS_COLOROP));
    EXPECT_EQ(TA_TEXTURE | TA_ALPHAREPLICATE | TA_COMPLEMENT, stageState(p, 0, TSS_COLORARG1));
    EXPECT_EQ(TA_CURRENT, stageState(p, 0, TSS_COLORARG2));
    EXPECT_EQ(TA_TEXTURE | TA_COMPLEMENT, stageState(p, 0, TSS_ALPHAARG1));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 1, TSS_COLOROP));

    LWSurface both;
    LWTextureLayer* colr = addLayer(both, "COLR", &pics.colour);
    colr->addressU = int32_t(TADDRESS_BORDER);
    colr->pixelBlending = false;
    colr->antialiasStrength = 0;
    LWTextureLayer* t2 = addLayer(both, "TRAN", &pics.other);
    t2->addressV = int32_t(TADDRESS_CLAMP);
    both.color[0].value = 1;
    p.clear();
    planFixedFunction(both, 0, CULL_CCW, true, p);
    EXPECT_EQ(&pics.colour, textureOn(p, 0));
    EXPECT_EQ(&pics.other, textureOn(p, 1));
    EXPECT_EQ(TA_DIFFUSE, stageState(p, 0, TSS_COLORARG2));
    EXPECT_EQ(TADDRESS_BORDER, stageState(p, 0, TSS_ADDRESSU));
    EXPECT_EQ(0xFF000000u | 0x00000000u, stageState(p, 0, TSS_BORDERCOLOR) & 0xFF000000u);
    EXPECT_EQ(TEXF_POINT, stageState(p, 0, TSS_MAGFILTER));
    EXPECT_EQ(TEXF_NONE, stageState(p, 0, TSS_MIPFILTER));
    EXPECT_EQ(1u, stageState(p, 1, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TA_TEXTURE | TA_ALPHAREPLICATE, stageState(p, 1, TSS_COLORARG1));
    EXPECT_EQ(TADDRESS_CLAMP, stageState(p, 1, TSS_ADDRESSV));
    EXPECT_EQ(TEXF_LINEAR, stageState(p, 1, TSS_MAGFILTER));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 2, TSS_COLOROP));
}

TEST(FixedFunctionStages, DiffuseAndSpecularLayers) {
    Pictures pics;
    LWSurface s;
    addLayer(s, "COLR", &pics.colour);
    addLayer(s, "DIFF", &pics.other);
    StatePlan p;
    planFixedFunction(s, 0, CULL_CCW, true, p);
    EXPECT_EQ(&pics.other, textureOn(p, 0));
    EXPECT_EQ(&pics.colour, textureOn(p, 1));
    EXPECT_EQ(1u, stageState(p, 0, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 0, TSS_ALPHAOP));
    EXPECT_EQ(0u, stageState(p, 1, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TOP_MODULATE, stageState(p, 1, TSS_COLOROP));
    EXPECT_EQ(TA_CURRENT, stageState(p, 1, TSS_COLORARG2));

    // Without a colour picture the second stage is off.
    LWSurface bare;
    addLayer(bare, "DIFF", &pics.other);
    p.clear();
    planFixedFunction(bare, 0, CULL_CCW, true, p);
    EXPECT_EQ(nullptr, textureOn(p, 1));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 1, TSS_COLOROP));

    LWSurface shiny;
    addLayer(shiny, "COLR", &pics.colour);
    addLayer(shiny, "SPEC", &pics.third);
    p.clear();
    planFixedFunction(shiny, 0, CULL_CCW, true, p);
    EXPECT_EQ(&pics.third, textureOn(p, 0));
    EXPECT_EQ(TA_SPECULAR, stageState(p, 0, TSS_COLORARG1));
    EXPECT_EQ(TOP_MULTIPLYADD, stageState(p, 1, TSS_COLOROP));
    EXPECT_EQ(TA_CURRENT, stageState(p, 1, TSS_COLORARG0));
    EXPECT_EQ(TA_DIFFUSE, stageState(p, 1, TSS_COLORARG1));
    EXPECT_EQ(TA_TEXTURE, stageState(p, 1, TSS_COLORARG2));
    // A device without MULTIPLYADD draws it as a plain coloured surface.
    p.clear();
    planFixedFunction(shiny, 0, CULL_CCW, false, p);
    EXPECT_EQ(&pics.colour, textureOn(p, 0));
    EXPECT_EQ(TOP_MODULATE, stageState(p, 0, TSS_COLOROP));
}

// Every row turns the second stage's coordinate transform off unless it
// uses one, and starts the first stage on the first channel: a sphere-mapped,
// shadow-receiving or diffuse-row surface drawn before must not change how
// the next surface maps its pictures.
TEST(FixedFunctionStages, TheSecondStageNeverInheritsATransform) {
    Pictures pics;
    LWSurface lattice, stone, brass, plain;
    addLayer(lattice, "COLR", &pics.colour);
    addLayer(lattice, "TRAN", &pics.other);
    addLayer(stone, "COLR", &pics.colour);
    addLayer(stone, "DIFF", &pics.other);
    addLayer(brass, "COLR", &pics.colour);
    addLayer(brass, "SPEC", &pics.other);
    for (LWSurface* s : {&lattice, &stone, &brass, &plain}) {
        StatePlan p;
        planFixedFunction(*s, 0, CULL_CCW, true, p);
        EXPECT_EQ(TTFF_DISABLE, stageState(p, 1, TSS_TEXTURETRANSFORMFLAGS));
        EXPECT_EQ(TTFF_DISABLE, stageState(p, 0, TSS_TEXTURETRANSFORMFLAGS));
    }
    // The specular row reads its picture through the first channel whatever
    // the diffuse row before it chose.
    StatePlan shiny;
    planFixedFunction(brass, 0, CULL_CCW, true, shiny);
    EXPECT_EQ(0u, stageState(shiny, 0, TSS_TEXCOORDINDEX));
    // The sphere-mapped row still transforms its second stage.
    LWSurface orb;
    ImageTexture reflection{nullptr};
    orb.reflection.value = 0.5f;
    orb.reflectionOptions = 2;
    orb.reflectionImage = &reflection;
    StatePlan mirrored;
    planFixedFunction(orb, 0, CULL_CCW, true, mirrored);
    EXPECT_EQ(TTFF_COUNT2, stageState(mirrored, 1, TSS_TEXTURETRANSFORMFLAGS));
    // The bump program's stages take its coordinates as they are.
    LWSurface bumpy;
    addLayer(bumpy, "COLR", &pics.colour);
    addLayer(bumpy, "BUMP", &pics.other);
    addLayer(bumpy, "TRNL", &pics.third);
    StatePlan dot3;
    planDot3(bumpy, 0, CULL_CCW, dot3);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(TTFF_DISABLE, stageState(dot3, k, TSS_TEXTURETRANSFORMFLAGS)) << k;
}

TEST(FixedFunctionStages, ColourLayerTimeAndAnimatedPlacement) {
    Pictures pics;
    LWSurface s;
    LWTextureLayer* colr = addLayer(s, "COLR", &pics.colour);
    StatePlan p;
    planFixedFunction(s, 2.0, CULL_CCW, true, p);
    ASSERT_NE(nullptr, p.textureChange(0));
    EXPECT_DOUBLE_EQ(2.0, p.textureChange(0)->time);
    EXPECT_TRUE(p.matrices.empty()); // a still placement sets no transform
    // A colour-filter envelope scrubs the picture: texture time = CLRF x 3.33.
    s.colorFilter.setEnvelope(linearRamp(0, 3));
    p.clear();
    planFixedFunction(s, 0.5, CULL_CCW, true, p);
    EXPECT_NEAR(1.5 * 3.3333333, p.textureChange(0)->time, 1e-5);

    // An enveloped size: stage 0 gets the placement's columns for its axis.
    colr->axis = 1; // Y: columns 0 and 2
    colr->size[0].value = colr->size[1].value = colr->size[2].value = 1;
    colr->size[2].setEnvelope(linearRamp(2, 4));
    p.clear();
    planFixedFunction(s, 0, CULL_CCW, true, p);
    EXPECT_EQ(TTFF_COUNT2, stageState(p, 0, TSS_TEXTURETRANSFORMFLAGS));
    ASSERT_EQ(1u, p.matrices.size());
    const Matrix4& m = p.matrices[0];
    // Z scaled by 1/2: the second column of the stage matrix carries it.
    EXPECT_FLOAT_EQ(0.5f, m.m[2][1]);
    EXPECT_FLOAT_EQ(1.0f, m.m[0][0]);
    EXPECT_FLOAT_EQ(0.0f, m.m[1][0]);
    EXPECT_FLOAT_EQ(1.0f, m.m[3][3]);
    EXPECT_FLOAT_EQ(0.0f, m.m[0][2]);
}

TEST(FixedFunctionStages, SphericalAndCubeReflections) {
    Pictures pics;
    LWSurface s;
    addLayer(s, "COLR", &pics.colour);
    s.reflectionOptions = 2;
    s.reflectionImage = &pics.third;
    s.reflection.value = 0.5f;
    StatePlan p;
    planFixedFunction(s, 0, CULL_CCW, true, p);
    EXPECT_EQ(&pics.third, textureOn(p, 1));
    EXPECT_EQ(127u * 0x01010101u, renderState(p, RS_TEXTUREFACTOR));
    EXPECT_EQ(TCI_CAMERASPACEREFLECTIONVECTOR, stageState(p, 1, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TOP_MULTIPLYADD, stageState(p, 1, TSS_COLOROP));
    EXPECT_EQ(TA_TFACTOR, stageState(p, 1, TSS_COLORARG2));
    EXPECT_EQ(TOP_ADD, stageState(p, 1, TSS_ALPHAOP));
    ASSERT_EQ(1u, p.matrices.size());
    EXPECT_FLOAT_EQ(-0.25f, p.matrices[0].m[0][0]);
    EXPECT_FLOAT_EQ(-0.5f, p.matrices[0].m[3][1]);
    EXPECT_EQ(TOP_DISABLE, stageState(p, 2, TSS_COLOROP));

    int cube = 0; // stands for the device's cube texture
    s.reflectionOptions = 3;
    s.reflectionCube = reinterpret_cast<IDirect3DCubeTexture8*>(&cube);
    s.reflection.value = 2.0f; // beyond 1: the strength saturates
    p.clear();
    planFixedFunction(s, 0, CULL_CCW, true, p);
    ASSERT_NE(nullptr, p.textureChange(1));
    EXPECT_EQ(&cube, p.textureChange(1)->deviceTexture);
    EXPECT_EQ(0xFF000000u, renderState(p, RS_TEXTUREFACTOR));
    EXPECT_EQ(TOP_SELECTARG1, stageState(p, 0, TSS_ALPHAOP));
    EXPECT_EQ(TADDRESS_MIRROR, stageState(p, 0, TSS_ADDRESSU));
    EXPECT_EQ(TTFF_COUNT3, stageState(p, 1, TSS_TEXTURETRANSFORMFLAGS));
    // The reflection direction reaches the cube unscaled, whatever matrix the
    // spherical map left in stage 1.
    ASSERT_EQ(1u, p.matrices.size());
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(i == j ? 1.0f : 0.0f, p.matrices[0].m[i][j]);
    EXPECT_EQ(TOP_MODULATEALPHA_ADDCOLOR, stageState(p, 1, TSS_COLOROP));
    EXPECT_EQ(1u, renderState(p, RS_NORMALIZENORMALS));
}

TEST(OtherPrograms, FlatShadowDot3AndReceiverStages) {
    Pictures pics;
    LWSurface s;
    addLayer(s, "COLR", &pics.colour);
    addLayer(s, "BUMP", &pics.other);
    StatePlan p;
    planFlatShadow(s, CULL_CCW, 1, &pics.third, p);
    EXPECT_EQ(TOP_DISABLE, stageState(p, 0, TSS_COLOROP));
    EXPECT_EQ(nullptr, p.textureChange(0));
    EXPECT_EQ(-1, [&] {
        for (const StateChange& c : p.changes)
            if (c.kind == StateChange::MATERIAL) return 0;
        return -1;
    }()); // the flat program sets no material
    p.clear();
    planFlatShadow(s, CULL_CCW, 2, &pics.third, p);
    EXPECT_EQ(&pics.third, textureOn(p, 0));
    EXPECT_EQ(TADDRESS_CLAMP, stageState(p, 0, TSS_ADDRESSU));
    EXPECT_EQ(TOP_SELECTARG1, stageState(p, 0, TSS_ALPHAOP));

    p.clear();
    planDot3(s, 0, CULL_CCW, p);
    EXPECT_EQ(&pics.colour, textureOn(p, 0));
    EXPECT_EQ(&pics.other, textureOn(p, 1));
    EXPECT_EQ(nullptr, textureOn(p, 2));
    EXPECT_EQ(3u, stageState(p, 3, TSS_TEXCOORDINDEX));
    EXPECT_EQ(TADDRESS_CLAMP, stageState(p, 2, TSS_ADDRESSW));

    int depth = 0;
    p.clear();
    planShadowReceiver(s, 0, CULL_CCW, &depth, &pics.third, p);
    EXPECT_EQ(&depth, p.textureChange(0)->deviceTexture);
    EXPECT_EQ(&pics.third, textureOn(p, 1));
    EXPECT_EQ(&pics.colour, textureOn(p, 2));
    EXPECT_EQ(TA_SPECULAR, stageState(p, 0, TSS_COLORARG2));
    EXPECT_EQ(TOP_MULTIPLYADD, stageState(p, 1, TSS_COLOROP));
    EXPECT_EQ(TA_DIFFUSE, stageState(p, 1, TSS_COLORARG0));
    // The depth comparison is filtered, whatever filter the last surface left.
    EXPECT_EQ(TEXF_LINEAR, stageState(p, 0, TSS_MINFILTER));
    EXPECT_EQ(TEXF_LINEAR, stageState(p, 0, TSS_MAGFILTER));
    EXPECT_EQ(TOP_DISABLE, stageState(p, 3, TSS_COLOROP));
}
