#pragma once
// The Direct3D 8 interface, the adapters with their modes and capabilities,
// the settings, and the render outputs: one window titled "Render Output"
// with its own device each (two only for stereo).
//
// Order of use: construct, enumerateAdapters, resolve the settings (setup
// dialog), createOutputs; the DeviceContext is built over it afterwards and
// destroyed before it.

#include "direct3d.h"
#include "setup_settings.h"

#include <vector>

struct AdapterInfo {
    D3DADAPTER_IDENTIFIER8 identifier;
    HMONITOR monitor;
    D3DCAPS8 caps;
    int modeCount;
    int selectedMode;
    std::vector<D3DDISPLAYMODE> modes;
};

struct RenderOutput {
    D3DPRESENT_PARAMETERS presentParameters;
    IDirect3DDevice8* device;
    HWND window;
    AdapterInfo* adapterInfo;
    int adapter;
    D3DDEVTYPE deviceType;
    std::vector<D3DFORMAT> textureFormats;
    std::vector<D3DFORMAT> cubeTextureFormats;
    std::vector<D3DFORMAT> volumeTextureFormats;
    std::vector<D3DFORMAT> volumeTextureFormats2;
    std::vector<D3DFORMAT> depthTextureFormats;
    std::vector<D3DFORMAT> depthSurfaceFormats;
    std::vector<D3DFORMAT> backBufferFormats;
    std::vector<D3DMULTISAMPLE_TYPE> multiSampleTypes;
};

// Behaviour flags for CreateDevice from the settings and the adapter's caps.
DWORD behaviourFlags(const SetupSettings& settings, const D3DCAPS8& caps);

class DisplaySystem {
public:
    DisplaySystem() = default;
    ~DisplaySystem();
    DisplaySystem(const DisplaySystem&) = delete;
    DisplaySystem& operator=(const DisplaySystem&) = delete;

    // Creates the Direct3D interface and reads every adapter; writes the
    // adapter list to the diagnostic log. False (with an error box) when
    // Direct3D 8 is missing.
    bool enumerateAdapters();
    // Creates the windows and devices from the settings. False, with an
    // error box, when they cannot be made.
    bool createOutputs(const char* className, HINSTANCE instance);
    // Resets every device with its stored presentation parameters.
    void resetAll();

    IDirect3D8* d3d = nullptr;
    int adapterCount = 0;
    int outputCount = 0;
    std::vector<AdapterInfo> adapters;
    std::vector<RenderOutput> outputs;
    SetupSettings settings;

private:
    void fillFormatLists(RenderOutput& output);
    bool createDevice(RenderOutput& output);
};
