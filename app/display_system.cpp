#include "display_system.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "formats.h"

namespace {

const char* const kNoDirect3D =
    "Creation of Direct3D8 Object failed!\nThis program needs Microsoft DirectX 8.1";
const char* const kStereoNeedsTwo = "For fullscreen stereo two adapters are required.";
const char* const kNoDevice = "Error Creating Direct3d device...\nGuess something went wrong...";

void errorBox(const char* text) {
    showMessage(nullptr, text, "Error", MessageIcon::Error);
}

} // namespace

DWORD behaviourFlags(const SetupSettings& settings, const D3DCAPS8& caps) {
    if (settings.pureDevice) return D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING;
    if (settings.softwareVertexProcessing) return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        return caps.VertexShaderVersion < D3DVS_VERSION(1, 0) ? D3DCREATE_MIXED_VERTEXPROCESSING
                                                              : D3DCREATE_HARDWARE_VERTEXPROCESSING;
    }
    return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
}

DisplaySystem::~DisplaySystem() {
    adapters.clear();
    for (auto it = outputs.rbegin(); it != outputs.rend(); ++it) {
        if (it->device) it->device->Release();
        if (it->window) DestroyWindow(it->window);
    }
    outputs.clear();
    if (d3d) d3d->Release();
}

bool DisplaySystem::enumerateAdapters() {
    d3d = createDirect3D();
    if (!d3d) {
        errorBox(kNoDirect3D);
        return false;
    }
    adapterCount = int(d3d->GetAdapterCount());
    adapters.assign(size_t(adapterCount), AdapterInfo{});
    diagLog() << "Number of Adapters: " << adapterCount << "\n";
    for (int i = 0; i < adapterCount; ++i) {
        AdapterInfo& a = adapters[size_t(i)];
        d3d->GetAdapterIdentifier(UINT(i), D3DENUM_NO_WHQL_LEVEL, &a.identifier);
        diagLog() << "Adapter " << i << ": " << a.identifier.Description << "\n";
        a.monitor = d3d->GetAdapterMonitor(UINT(i));
        d3d->GetDeviceCaps(UINT(i), D3DDEVTYPE_HAL, &a.caps);
        a.modeCount = int(d3d->GetAdapterModeCount(UINT(i)));
        a.modes.resize(size_t(a.modeCount));
        for (int m = 0; m < a.modeCount; ++m)
            d3d->EnumAdapterModes(UINT(i), UINT(m), &a.modes[size_t(m)]);
        DWORD high = DWORD(a.identifier.DriverVersion.HighPart);
        DWORD low = a.identifier.DriverVersion.LowPart;
        diagLog() << "  Driver Version: " << HIWORD(high) << "." << LOWORD(high) << "."
                  << HIWORD(low) << "." << LOWORD(low) << "\n";
    }
    return true;
}

void DisplaySystem::fillFormatLists(RenderOutput& o) {
    const D3DFORMAT adapterFormat = D3DFMT_X8R8G8B8;
    const BOOL windowed = settings.windowed;
    const UINT a = UINT(o.adapter);
    for (int i = FIRST_BACKBUFFER_FORMAT; i < FIRST_BACKBUFFER_FORMAT + BACKBUFFER_FORMAT_COUNT;
         ++i) {
        D3DFORMAT f = kFormatTable[i].format;
        if (SUCCEEDED(d3d->CheckDeviceType(a, o.deviceType, adapterFormat, f, windowed)))
            o.backBufferFormats.push_back(f);
    }
    for (int i = FIRST_TEXTURE_FORMAT; i < FIRST_TEXTURE_FORMAT + TEXTURE_FORMAT_COUNT; ++i) {
        D3DFORMAT f = kFormatTable[i].format;
        auto check = [&](D3DRESOURCETYPE type) {
            return SUCCEEDED(d3d->CheckDeviceFormat(a, o.deviceType, adapterFormat, 0, type, f));
        };
        if (check(D3DRTYPE_TEXTURE)) o.textureFormats.push_back(f);
        if (check(D3DRTYPE_CUBETEXTURE)) o.cubeTextureFormats.push_back(f);
        if (check(D3DRTYPE_VOLUMETEXTURE)) o.volumeTextureFormats.push_back(f);
        if (check(D3DRTYPE_VOLUMETEXTURE)) o.volumeTextureFormats2.push_back(f);
    }
    for (int i = FIRST_DEPTH_FORMAT; i < FIRST_DEPTH_FORMAT + DEPTH_FORMAT_COUNT; ++i) {
        D3DFORMAT f = kFormatTable[i].format;
        if (SUCCEEDED(d3d->CheckDeviceFormat(a, o.deviceType, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_TEXTURE, f)))
            o.depthTextureFormats.push_back(f);
        if (SUCCEEDED(d3d->CheckDeviceFormat(a, o.deviceType, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_SURFACE, f)))
            o.depthSurfaceFormats.push_back(f);
    }
    for (int samples = 2; samples <= 16; ++samples) {
        auto type = D3DMULTISAMPLE_TYPE(samples);
        if (SUCCEEDED(
                d3d->CheckDeviceMultiSampleType(a, o.deviceType, D3DFMT_X8R8G8B8, windowed, type)))
            o.multiSampleTypes.push_back(type);
    }
}

bool DisplaySystem::createDevice(RenderOutput& o) {
    // Without a usable depth-stencil format there is no automatic depth buffer
    // to ask for: the device cannot be made as the player needs it.
    if (o.depthSurfaceFormats.empty()) return false;
    D3DPRESENT_PARAMETERS& pp = o.presentParameters;
    pp = D3DPRESENT_PARAMETERS{};
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.MultiSampleType = D3DMULTISAMPLE_TYPE(settings.multiSample);
    pp.BackBufferCount = 2;
    pp.hDeviceWindow = o.window;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = o.depthSurfaceFormats.front();
    pp.Flags = 0;
    pp.BackBufferFormat = settings.backBufferFormat;
    if (settings.windowed) {
        pp.Windowed = TRUE;
    } else {
        pp.Windowed = FALSE;
        pp.BackBufferWidth = UINT(settings.width);
        pp.BackBufferHeight = UINT(settings.height);
        pp.FullScreen_RefreshRateInHz = 0;
        pp.FullScreen_PresentationInterval = 0;
    }
    DWORD flags = behaviourFlags(settings, o.adapterInfo->caps);
    return SUCCEEDED(
        d3d->CreateDevice(UINT(o.adapter), o.deviceType, outputs[0].window, flags, &pp, &o.device));
}

bool DisplaySystem::createOutputs(const char* className, HINSTANCE instance) {
    if (!d3d || adapterCount == 0) {
        errorBox(kNoDevice);
        return false;
    }
    outputCount = settings.stereo ? 2 : 1;
    if (settings.stereo && !settings.windowed && adapterCount < 2) {
        errorBox(kStereoNeedsTwo);
        return false;
    }
    outputs.assign(size_t(outputCount), RenderOutput{});
    for (int i = 0; i < outputCount; ++i) {
        RenderOutput& o = outputs[size_t(i)];
        o.adapter = (settings.adapter + i) % adapterCount;
        o.adapterInfo = &adapters[size_t(o.adapter)];
        o.deviceType = settings.referenceRasterizer ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
        o.window = CreateWindowA(className, "Render Output", WS_OVERLAPPEDWINDOW,
                                 i * settings.windowWidth, 0, settings.windowWidth,
                                 settings.windowHeight, nullptr, nullptr, instance, nullptr);
    }
    for (RenderOutput& o : outputs) fillFormatLists(o);
    for (RenderOutput& o : outputs) {
        if (!o.window || !createDevice(o)) {
            errorBox(kNoDevice);
            return false;
        }
    }
    resetAll();
    return true;
}

void DisplaySystem::resetAll() {
    for (RenderOutput& o : outputs)
        if (o.device) o.device->Reset(&o.presentParameters);
}
