#pragma once
// The drawing context every drawing part receives: the devices, the current
// device, capabilities, screen size, and the render switches that script
// commands and keys change. Built over a DisplaySystem whose outputs exist;
// destroyed before it.

#include "display_system.h"
#include "free_camera.h"

#include <cstdint>
#include <vector>

class Texture;

class DeviceContext {
public:
    explicit DeviceContext(DisplaySystem& display);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Builds the standard vertex-shader set; called once by the demo's init.
    // Not built yet: the surface programs supply it.
    void createShaderSet();

    void moveFreeCamera(float right, float forward) { freeCamera.move(right, forward); }
    void rotateFreeCamera(float yaw, float pitch, float roll) {
        freeCamera.rotate(yaw, pitch, roll);
    }

    int deviceCount = 0;
    std::vector<IDirect3DDevice8*> devices; // not owned
    int currentOutput = 0;
    IDirect3DDevice8* device = nullptr;
    D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
    D3DFORMAT shadowMapFormat = D3DFMT_UNKNOWN;
    bool lockableDepth = false;
    bool depthHasStencil = false;
    D3DCAPS8 hardwareCaps = {};
    D3DCAPS8 softwareCaps = {};
    bool hardwareTnL = false;
    bool vertexShaders = false;
    bool pixelShaders = false;
    int screenWidth = 0;
    int screenHeight = 0;
    int fovMode = 0;
    uint8_t alternateCamera = 0;
    uint8_t lightFlash = 0;
    uint8_t lightFalloff = 0;
    uint8_t wireframe = 0;
    int stereoMode = 0;
    int stereoPasses = 2;
    int eye = -1;
    float stereoParams[4] = {0.5f, 3.75f, 3.75f, 3.75f};
    int colorWriteMask = 15; // 9 left eye, 14 right eye
    // The 1D texture-coordinate map; made by the texture-coordinate map
    // code once it exists (null until then).
    Texture* texcoordMap = nullptr;
    // The standard vertex shaders (handles); empty until createShaderSet builds them.
    std::vector<DWORD> shaders;
    FreeCamera freeCamera;
    uint8_t freeFlight = 0;
};
