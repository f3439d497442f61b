// The surface programs on a real device under Wine: they are created with
// their programs, and the fixed-function program's material and stage rows
// give the colours their arithmetic says, read back from the back buffer.

#include "app/readback.h"
#include "images/texture.h"
#include "lightwave/surface.h"
#include "tests/render/test_layers.h"
#include "render/surface_programs.h"
#include "tests/support/test_stage.h"

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

namespace {

bool closeTo(uint32_t rgb, uint32_t want, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((rgb >> s) & 0xFF) - int((want >> s) & 0xFF)) > tolerance) return false;
    return true;
}

void fill(uint32_t* level, int w, int h, int pitch, void* user) {
    const uint32_t colour = *static_cast<uint32_t*>(user);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) level[y * pitch + x] = colour;
}

// A 4 x 4 texture of one colour, uncompressed.
std::unique_ptr<Texture> solid(DeviceContext& context, uint32_t argb) {
    return std::make_unique<GeneratedTexture>(&context, 4, 4, 0, "(solid)", fill, &argb);
}

struct FixedVertex {
    float x, y, z, nx, ny, nz, u0, v0, w0, u1, v1, w1;
};

class SurfaceProgramsOnDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stage.open(64, 48));
        createSurfacePrograms(*stage.context);
        ASSERT_EQ(4u, stage.context->programs.size());
    }
    // Draws a screen-filling quad facing the viewer through program 0 with
    // `surface` over a black frame and returns the centre.
    uint32_t draw(LWSurface& surface, bool lighting) {
        IDirect3DDevice8* d = stage.device();
        D3DMATRIX identity = {};
        identity._11 = identity._22 = identity._33 = identity._44 = 1;
        d->SetTransform(D3DTS_WORLD, &identity);
        d->SetTransform(D3DTS_VIEW, &identity);
        d->SetTransform(D3DTS_PROJECTION, &identity);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_LIGHTING, lighting);
        d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        SurfaceProgram& program = *stage.context->programs[0];
        program.setupSurface(surface, 0);
        d->SetVertexShader(program.vertexHandles[0]);
        const FixedVertex quad[4] = {{-1, -1, 0.5f, 0, 0, -1, 0, 1, 0, 0, 1, 0},
                                     {-1, 1, 0.5f, 0, 0, -1, 0, 0, 0, 0, 0, 0},
                                     {1, -1, 0.5f, 0, 0, -1, 1, 1, 0, 1, 1, 0},
                                     {1, 1, 0.5f, 0, 0, -1, 1, 0, 0, 1, 0, 0}};
        d->BeginScene();
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(FixedVertex));
        d->EndScene();
        Readback back;
        EXPECT_TRUE(readBackBuffer(d, &back));
        return back.rgb(back.width / 2, back.height / 2);
    }
    TestStage stage;
};

} // namespace

TEST_F(SurfaceProgramsOnDevice, TheFourProgramsAreMadeWithTheirVertexAndPixelPrograms) {
    const auto& programs = stage.context->programs;
    EXPECT_EQ(0x50212u, programs[0]->vertexHandles[0]);
    EXPECT_TRUE(programs[0]->handlesAreFvf);
    EXPECT_EQ(48, programs[0]->vertexStride);
    for (int i = 1; i < 4; ++i) EXPECT_NE(0u, programs[i]->vertexHandles[0]) << i;
    EXPECT_EQ(80, programs[2]->vertexStride);
    EXPECT_EQ(36, programs[3]->vertexStride);
    ASSERT_TRUE(stage.context->pixelShaders);
    EXPECT_NE(0u, programs[2]->pixelHandles[0]);
    auto* receiver = static_cast<ShadowReceiverProgram*>(programs[3].get());
    EXPECT_NE(0u, receiver->receiverPixelHandles[0][0]);
    EXPECT_NE(0u, receiver->receiverPixelHandles[1][0]);
    // The device has vertex shaders: the programs run in hardware.
    EXPECT_FALSE(programs[1]->softwareVertexProcessing);
}

TEST_F(SurfaceProgramsOnDevice, WithoutVertexShadersProgramsAreMadeForSoftwareProcessing) {
    stage.context->vertexShaders = false;
    BumpProgram program(*stage.context);
    EXPECT_TRUE(program.softwareVertexProcessing);
}

TEST_F(SurfaceProgramsOnDevice, TheMaterialAloneLightsASurfaceWithoutLayers) {
    // Ambient white light on the material only: ambient = colour x DIFF with
    // green at half strength.
    LWSurface s;
    s.color[0].value = s.color[1].value = s.color[2].value = 1;
    s.diffuse.value = 1;
    const uint32_t lit = draw(s, true);
    EXPECT_TRUE(closeTo(lit, 0xFF80FF, 2)) << std::hex << lit;
}

TEST_F(SurfaceProgramsOnDevice, TransparencyOverColourCutsOutByThePictures) {
    auto colour = solid(*stage.context, 0xFFC86432); // (200, 100, 50)
    // A transparency picture is built with its intensity as alpha (144 here,
    // clear of the alpha test's reference on either side).
    auto grey = solid(*stage.context, 0x90909090);
    LWSurface s;
    addLayer(s, "COLR", colour.get());
    addLayer(s, "TRAN", grey.get());
    // Unlit: the diffuse argument is white. Colour x intensity, blended by
    // the same intensity over black; alpha 144 passes the alpha test at 127.
    const uint32_t shown = draw(s, false);
    EXPECT_TRUE(closeTo(shown, 0x40200F, 3)) << std::hex << shown;
    // Alone, the picture's intensity over the white diffuse is the colour
    // (144), blended by the same alpha over black.
    LWSurface alone;
    addLayer(alone, "TRAN", grey.get());
    const uint32_t greyShown = draw(alone, false);
    EXPECT_TRUE(closeTo(greyShown, 0x515151, 3)) << std::hex << greyShown;
    // A negative layer takes the complement: alpha 111 is cut out by the
    // alpha test at 127, leaving the frame black.
    alone.textureLayers[0]->negative = true;
    const uint32_t cut = draw(alone, false);
    EXPECT_TRUE(closeTo(cut, 0x000000, 1)) << std::hex << cut;
}

TEST_F(SurfaceProgramsOnDevice, ADiffusePictureDimsTheColourPicture) {
    auto colour = solid(*stage.context, 0xFFC86432);
    auto half = solid(*stage.context, 0xFF808080);
    LWSurface s;
    addLayer(s, "COLR", colour.get());
    addLayer(s, "DIFF", half.get());
    const uint32_t shown = draw(s, false);
    EXPECT_TRUE(closeTo(shown, 0x643219, 3)) << std::hex << shown;
}

TEST_F(SurfaceProgramsOnDevice, ASpecularPictureAddsToTheDiffuseColourPicture) {
    // Lit by ambient white alone: the diffuse colour is the material's
    // (0.5, 0.25, 0.5); the specular term is black without lights, so the
    // result is 0 + diffuse x colour picture.
    auto colour = solid(*stage.context, 0xFFC86432);
    auto highlights = solid(*stage.context, 0xFF808080);
    LWSurface s;
    s.diffuse.value = 0.5f;
    addLayer(s, "COLR", colour.get());
    addLayer(s, "SPEC", highlights.get());
    const uint32_t shown = draw(s, true);
    EXPECT_TRUE(closeTo(shown, 0x641919, 3)) << std::hex << shown;
}

TEST_F(SurfaceProgramsOnDevice, ReflectionsAddTheReflectedPictureByTheReflectionStrength) {
    auto colour = solid(*stage.context, 0xFFC86432);
    auto sky = solid(*stage.context, 0xFF0000FF);
    LWSurface s;
    addLayer(s, "COLR", colour.get());
    s.reflectionOptions = 2; // spherical: colour + picture x REFL
    s.reflectionImage = sky.get();
    s.reflection.value = 0.5f;
    const uint32_t spherical = draw(s, false);
    EXPECT_TRUE(closeTo(spherical, 0xC864B1, 3)) << std::hex << spherical;

    // A cube map: colour + REFL (as the stage's alpha) x the cube's colour.
    IDirect3DCubeTexture8* cube = nullptr;
    ASSERT_EQ(D3D_OK,
              stage.device()->CreateCubeTexture(8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube));
    for (int face = 0; face < 6; ++face) {
        D3DLOCKED_RECT lock;
        ASSERT_EQ(D3D_OK, cube->LockRect(D3DCUBEMAP_FACES(face), 0, &lock, nullptr, 0));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                static_cast<uint32_t*>(lock.pBits)[y * lock.Pitch / 4 + x] = 0xFF00FF00;
        cube->UnlockRect(D3DCUBEMAP_FACES(face), 0);
    }
    s.reflectionOptions = 3;
    s.reflectionCube = cube;
    const uint32_t cubic = draw(s, false);
    EXPECT_TRUE(closeTo(cubic, 0xC8E332, 3)) << std::hex << cubic;
    stage.device()->SetTexture(1, nullptr);
    cube->Release();
}

TEST_F(SurfaceProgramsOnDevice, DoubleSidedSurfacesAreDrawnWhateverTheCullMode) {
    LWSurface s;
    s.color[0].value = s.color[1].value = s.color[2].value = 1;
    // The quad's winding is culled by the other mode.
    stage.context->programs[0]->cullMode = D3DCULL_CW;
    EXPECT_TRUE(closeTo(draw(s, true), 0x000000, 1));
    s.doubleSided = true;
    EXPECT_TRUE(closeTo(draw(s, true), 0xFF80FF, 2));
}
