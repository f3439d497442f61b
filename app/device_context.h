#pragma once
// The drawing context every drawing part receives: the devices, the current
// device, capabilities, screen size, and the render switches that script
// commands and keys change. Built over a DisplaySystem whose outputs exist;
// destroyed before it.

#include "device_context_base.h"
#include "display_system.h"

#include <cstdint>
#include <memory>
#include <vector>

class SceneRenderer;
class SurfaceProgram;
class Texture;

class DeviceContext : public DeviceContextBase {
public:
    explicit DeviceContext(DisplaySystem& display);
    ~DeviceContext() override;
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Presents the current device's back buffer; the frame capture reads the
    // buffer first through `beforePresent` (none in the programs).
    void present();
    void (*beforePresent)(IDirect3DDevice8* device, void* user) = nullptr;
    void* beforePresentUser = nullptr;

    void moveFreeCamera(float right, float forward) { freeCamera.move(right, forward); }
    void rotateFreeCamera(float yaw, float pitch, float roll) {
        freeCamera.rotate(yaw, pitch, roll);
    }

    std::vector<IDirect3DDevice8*> devices; // not owned
    IDirect3DDevice8* device = nullptr;
    D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
    D3DFORMAT shadowMapFormat = D3DFMT_UNKNOWN;
    D3DFORMAT depthFormat = D3DFMT_UNKNOWN; // of the outputs' depth buffers
    bool lockableDepth = false;
    bool depthHasStencil = false;
    D3DCAPS8 hardwareCaps = {};
    D3DCAPS8 softwareCaps = {};
    bool hardwareTnL = false;
    bool vertexShaders = false;
    bool pixelShaders = false;
    // The 1D texture-coordinate map, made with the context and owned by it
    // (ownedTexcoordMap); users hold it by this pointer.
    Texture* texcoordMap = nullptr;
    // The four surface programs (render/surface_programs.h), made once by
    // createSurfacePrograms when the demo starts; destroyed before the devices.
    std::vector<std::unique_ptr<SurfaceProgram>> programs;
    // How the devices compare depth textures (render/shadow_maps.h's probe):
    // at all, only in pixel programs, and in the 0..1 range (else 24-bit).
    bool shadowProbed = false;
    bool shadowCompareWorks = false;
    bool shadowCompareInPixelProgram = false;
    bool shadowCompareUnitDepth = false;
    // The texture the current scene draws into, while it does (none: the screen).
    Texture* drawingInto = nullptr;
    // The scene renderer's state (render/scene_renderer.h), made on first use.
    std::unique_ptr<SceneRenderer> renderer;

private:
    std::unique_ptr<Texture> ownedTexcoordMap;
};
