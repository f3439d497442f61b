#include "shadow_maps.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "app/readback.h"
#include "base/variant.h"
#include "device_constants.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "scene_preparation.h"
#include "scene_renderer.h"
#include "shader_tokens.h"
#include "surface_programs.h"
#include "timeline/profiler.h"


namespace {

bool hasStencil(D3DFORMAT f) {
    return f == D3DFMT_D24S8 || f == D3DFMT_D15S1 || f == D3DFMT_D24X4S4;
}

// Whether a pixel drawn with depth-texture coordinate z (in the depth
// texture's own scale) passes the comparison against depth 0.5.
bool passes(IDirect3DDevice8* d, IDirect3DTexture8* depth, IDirect3DSurface8* target, DWORD ps,
            float z, bool* ok) {
    struct V {
        float x, y, z, rhw, u, v, s, q;
    } quad[4] = {{0, 0, 0.5f, 1, 0.5f, 0.5f, z, 1},
                 {16, 0, 0.5f, 1, 0.5f, 0.5f, z, 1},
                 {0, 16, 0.5f, 1, 0.5f, 0.5f, z, 1},
                 {16, 16, 0.5f, 1, 0.5f, 0.5f, z, 1}};
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    d->SetTexture(0, depth);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE4(0));
    d->SetPixelShader(ps);
    d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    d->EndScene();
    d->SetPixelShader(0);
    d->SetTexture(0, nullptr);
    Readback r;
    *ok = readSurface(d, target, &r) && !r.pixels.empty();
    return *ok && (r.rgb(8, 8) & 0xFF) > 0x80;
}

} // namespace

Matrix4 shadowBias(int mapSize, bool unitDepth) {
    const float t = 0.5f / float(mapSize) + 0.5f;
    const float scale = unitDepth ? 1.0f : 16777215.0f;
    const float bias = unitDepth ? -1677.7214f / 16777215.0f : -1677.7214f;
    return {{{0.5f, 0, 0, 0}, {0, -0.5f, 0, 0}, {0, 0, scale, 0}, {t, t, bias, 1}}};
}

void probeShadowComparison(DeviceContext& context) {
    if (context.shadowProbed) return;
    context.shadowProbed = true;
    IDirect3DDevice8* d = context.device;
    if (!d || context.shadowMapFormat == D3DFMT_UNKNOWN) return;
    IDirect3DTexture8 *depth = nullptr, *colour = nullptr;
    IDirect3DSurface8 *depthSurface = nullptr, *colourSurface = nullptr;
    IDirect3DSurface8 *savedColour = nullptr, *savedDepth = nullptr;
    DWORD ps = 0;
    if (D3D_CHECK(d->CreateTexture(16, 16, 1, D3DUSAGE_DEPTHSTENCIL, context.shadowMapFormat,
                                   D3DPOOL_DEFAULT, &depth)) &&
        D3D_CHECK(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, &colour)) &&
        (countResource(depth), countResource(colour), true) &&
        D3D_CHECK(depth->GetSurfaceLevel(0, &depthSurface)) &&
        D3D_CHECK(colour->GetSurfaceLevel(0, &colourSurface))) {
        d->GetRenderTarget(&savedColour);
        d->GetDepthStencilSurface(&savedDepth);
        d->SetRenderTarget(colourSurface, depthSurface);
        D3DVIEWPORT8 viewport = {0, 0, 16, 16, 0, 1};
        d->SetViewport(&viewport);
        d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
        // Read as a texture from here on, so no longer the depth buffer.
        d->SetRenderTarget(colourSurface, nullptr);
        // Each way of comparing: the fixed stages, then a pixel program that
        // only samples; each depth range: a quarter passes, three quarters not.
        if (context.pixelShaders) {
            shader::ShaderBuilder b = shader::ShaderBuilder::ps(1, 1);
            b.tex(shader::t(0));
            b.mov(shader::r(0), shader::t(0));
            const std::vector<uint32_t> tokens = b.end();
            if (!D3D_CHECK(d->CreatePixelShader(reinterpret_cast<const DWORD*>(tokens.data()), &ps)))
                ps = 0;
        }
        for (int viaProgram = 0; viaProgram < 2 && !context.shadowCompareWorks; ++viaProgram) {
            if (viaProgram && !ps) break;
            const DWORD program = viaProgram ? ps : 0;
            for (int unit = 1; unit >= 0; --unit) {
                const float scale = unit ? 1.0f : 16777215.0f;
                bool ok1 = false, ok2 = false;
                const bool closer = passes(d, depth, colourSurface, program, 0.25f * scale, &ok1);
                const bool farther = passes(d, depth, colourSurface, program, 0.75f * scale, &ok2);
                if (ok1 && ok2 && closer && !farther) {
                    context.shadowCompareWorks = true;
                    context.shadowCompareInPixelProgram = viaProgram != 0;
                    context.shadowCompareUnitDepth = unit != 0;
                    break;
                }
            }
        }
        d->SetRenderTarget(savedColour, savedDepth);
    }
    if (ps) d->DeletePixelShader(ps);
    for (IUnknown* p : std::initializer_list<IUnknown*>{savedColour, savedDepth, depthSurface,
                                                        colourSurface, depth, colour})
        if (p) p->Release();
}

void renderShadowMaps(SceneRenderer& renderer, LW6Scene& scene, double time) {
    DeviceContext& context = renderer.context;
    IDirect3DDevice8* d = context.device;
    if (!d) return;
    ProfileScope scope(PROFILE_RENDER_SHADOW_MAP);
    IDirect3DSurface8 *savedColour = nullptr, *savedDepth = nullptr;
    d->GetRenderTarget(&savedColour);
    d->GetDepthStencilSurface(&savedDepth);
    auto* flat = static_cast<FlatShadowProgram*>(context.programs.size() > 1
                                                     ? context.programs[1].get()
                                                     : nullptr);
    // The map holds the faces turned away from the light: a lit face is then
    // never compared with its own depth, which at a slant differs from the
    // map's by more than any fixed bias (stripes of false shadow).
    const uint32_t keptCull = renderer.cullMode;
    renderer.cullMode = D3DCULL_CW;
    for (LWLight* light : scene.lights) {
        useShadowTargets(context, *light); // drawn into on this output's device
        if (light->shadowType != SHADOW_MAP || !light->shadowColourSurface ||
            !light->shadowDepthSurface)
            continue;
        d->SetRenderTarget(light->shadowColourSurface, light->shadowDepthSurface);
        writeFixedConstants(d);
        const DWORD stencil =
            hasStencil(light->shadowDepth ? context.shadowMapFormat : D3DFMT_D24S8)
                ? D3DCLEAR_STENCIL
                : 0;
        if (context.shadowMapFormat != D3DFMT_UNKNOWN && light->shadowDepth) {
            d->Clear(0, nullptr, D3DCLEAR_ZBUFFER | stencil, 0, 1.0f, 0);
            d->SetRenderState(D3DRS_LIGHTING, FALSE);
            d->SetRenderState(D3DRS_ZENABLE, TRUE);
            d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
            d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
            renderer.shadowPassMode = 1;
        } else {
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | stencil, 0xFDFDFDFD, 1.0f,
                     0);
            d->SetRenderState(D3DRS_LIGHTING, FALSE);
            d->SetRenderState(D3DRS_ZENABLE, TRUE);
            d->SetRenderState(D3DRS_COLORWRITEENABLE,
                              isPrevBuild() ? 15u : DWORD(context.colorWriteMask));
            renderer.shadowPassMode = 2;
            const float range = light->falloffType != 0 ? light->range.evaluate(time) : 64.0f;
            setConstant(d, shader::C_DEPTH_SCALE, range != 0 ? 1.0f / range : 0.0f, 0, 0, 1);
        }
        if (flat) flat->shadowPassMode = renderer.shadowPassMode;
        light->initViewport();
        const D3DVIEWPORT8 viewport = {DWORD(light->viewport.x), DWORD(light->viewport.y),
                                       DWORD(light->viewport.width),
                                       DWORD(light->viewport.height), light->viewport.minZ,
                                       light->viewport.maxZ};
        d->SetViewport(&viewport);
        if (!light->inverseValid) light->getInvMatrix(time);
        d->SetTransform(D3DTS_VIEW, asD3D(light->inverseWorld));
        renderer.drawingShadowMap = true;
        renderer.drawObjects(scene, time, *light);
        renderer.drawingShadowMap = false;
        renderer.shadowPassMode = 0;
        if (flat) flat->shadowPassMode = 0;
    }
    renderer.cullMode = keptCull;
    d->SetRenderTarget(savedColour, savedDepth);
    if (savedColour) savedColour->Release();
    if (savedDepth) savedDepth->Release();
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
}

void writeShadowMatrix(SceneRenderer& renderer, LW6Scene& scene, LWObject& object, double time) {
    if (scene.lights.empty()) return;
    LWLight& light = *scene.lights[0];
    if (light.shadowType != SHADOW_MAP) return;
    if (!light.inverseValid) light.getInvMatrix(time);
    // Fitted once per render to the shadow pass's depth range, not per object.
    if (!light.pmXYZWcalced) light.setupProjection(time, light.shadowNear, light.shadowFar);
    if (!object.worldValid) object.getMatrix(time);
    const bool unit = renderer.context.shadowCompareUnitDepth;
    const Matrix4 m = object.world * light.inverseWorld * light.projection *
                      shadowBias(light.shadowMapSize, unit);
    setMatrixConstant(renderer.context.device, shader::C_SHADOW_MATRIX, m);
}
