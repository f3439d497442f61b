#include "device_context.h"

#include "render/scene_renderer.h"
#include "render/surface_programs.h"

#include "effects/effect_textures.h"
#include "images/texture.h"

DeviceContext::DeviceContext(DisplaySystem& display) {
    deviceCount = display.outputCount;
    for (const RenderOutput& o : display.outputs) devices.push_back(o.device);
    currentOutput = 0;
    device = devices.empty() ? nullptr : devices[0];

    const SetupSettings& s = display.settings;
    displayFormat = s.displayFormat;
    if (!display.outputs.empty()) {
        const RenderOutput& first = display.outputs[0];
        shadowMapFormat =
            first.depthTextureFormats.empty() ? D3DFMT_UNKNOWN : first.depthTextureFormats.front();
        D3DFORMAT depth = first.presentParameters.AutoDepthStencilFormat;
        depthFormat = depth;
        lockableDepth = depth == D3DFMT_D16_LOCKABLE;
        depthHasStencil = depth == D3DFMT_D15S1 || depth == D3DFMT_D24S8 || depth == D3DFMT_D24X4S4;
    }
    if (device) {
        device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 0);
        device->GetDeviceCaps(&hardwareCaps);
        device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 1);
        device->GetDeviceCaps(&softwareCaps);
        textureAddressCaps = hardwareCaps.TextureAddressCaps;
    }
    bool hardware = !s.softwareVertexProcessing;
    hardwareTnL = hardware && (hardwareCaps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    vertexShaders = hardware && hardwareCaps.VertexShaderVersion >= D3DVS_VERSION(1, 0);
    pixelShaders = hardware && hardwareCaps.PixelShaderVersion >= D3DPS_VERSION(1, 0);

    if (s.windowed && !display.outputs.empty()) {
        RECT client = {};
        GetClientRect(display.outputs[0].window, &client);
        screenWidth = client.right - client.left;
        screenHeight = client.bottom - client.top;
    } else {
        screenWidth = s.width;
        screenHeight = s.height;
    }

    // Last: the texture reads the devices set above.
    ownedTexcoordMap = makeTexcoordMap(this);
    texcoordMap = ownedTexcoordMap.get();
}

DeviceContext::~DeviceContext() {
    renderer.reset();
    programs.clear(); // they delete their per-device programs
}

void DeviceContext::present() {
    if (!device) return;
    if (beforePresent) beforePresent(device, beforePresentUser);
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
