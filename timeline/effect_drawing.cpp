#include "effect_drawing.h"

#include "app/device_context.h"
#include "base/color.h"

namespace {

struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 28, "transformed, coloured, one texture coordinate set");
constexpr DWORD QUAD_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1; // 0x144

void fillWhite(uint32_t* level, int width, int height, int pitch, void*) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) level[y * pitch + x] = 0xFFFFFFFF;
}

} // namespace

void drawQuad(IDirect3DDevice8* device, float x0, float y0, float x1, float y1,
              IDirect3DTexture8* texture, float red, float green, float blue, float alpha) {
    const D3DCOLOR c = packColor(red, green, blue, alpha);
    const QuadVertex quad[4] = {
        {x0, y0, 0.5f, 0.5f, c, 0, 0},
        {x1, y0, 0.5f, 0.5f, c, 1, 0},
        {x1, y1, 0.5f, 0.5f, c, 1, 1},
        {x0, y1, 0.5f, 0.5f, c, 0, 1},
    };
    device->SetTexture(0, texture);
    device->SetVertexShader(QUAD_FVF);
    device->BeginScene();
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex));
    device->EndScene();
}

std::unique_ptr<Texture> createWhiteTexture(DeviceContext* context) {
    return std::make_unique<GeneratedTexture>(context, 1, 1, 0, "(white)", fillWhite, nullptr);
}

EffectStep drawScreenEffect(DeviceContext& context, ScreenEffect& effect, double time,
                            IDirect3DTexture8* white) {
    const EffectStep step = stepEffect(effect, time);
    if (!step.draw) return step;
    IDirect3DDevice8* d = context.device;
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    IDirect3DTexture8* texture = effect.texture ? effect.texture->texture() : nullptr;
    if (texture) {
        // Pictures and render targets show as they are (their colour is white).
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    } else {
        // Colour effects: white texture times the vertex colour is the colour,
        // whatever an unbound stage would yield on this device.
        texture = white;
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    }
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    drawQuad(d, -1, -1, float(context.screenWidth), float(context.screenHeight), texture,
             effect.colour[0], effect.colour[1], effect.colour[2], step.alpha);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    return step;
}

std::unique_ptr<Texture> loadScreenPicture(DeviceContext* context, VirtualFile* archive,
                                           const char* name) {
    auto picture = std::make_unique<ImageTexture>(context);
    picture->load(archive, name, 0);
    picture->flags = TEXTURE_COLOR_LAYER;
    picture->build();
    return picture;
}

void LoadingScreen::setup(DeviceContext* deviceContext, VirtualFile* archive,
                          const char* pictureName, const float barRect[4], uint32_t barArgb,
                          uint32_t backgroundArgb) {
    context = deviceContext;
    for (int i = 0; i < 4; ++i) bar[i] = barRect[i];
    barColour = barArgb;
    backgroundColour = backgroundArgb;
    picture.reset();
    if (pictureName && *pictureName) picture = loadScreenPicture(context, archive, pictureName);
}

void LoadingScreen::draw(float progress, IDirect3DTexture8* white) {
    if (!context || !context->device) return;
    drawFrame(progress, white);
    context->present();
}

void LoadingScreen::drawFrame(float progress, IDirect3DTexture8* white) {
    if (!context || !context->device) return;
    IDirect3DDevice8* d = context->device;
    const float w = float(context->screenWidth), h = float(context->screenHeight);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    // Loading happens between frames, after an eye pass left its mask set.
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    if (picture && picture->texture())
        drawQuad(d, 0, 0, w, h, picture->texture(), 1, 1, 1, 1);
    else
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    float c[4];
    unpackColor(barColour, c);
    drawQuad(d, w * bar[0], h * bar[1], w * (bar[0] + (bar[2] - bar[0]) * progress), h * bar[3],
             white, c[0], c[1], c[2], c[3]);
}
