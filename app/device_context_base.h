#pragma once
// The part of the drawing context that needs no Direct3D header: screen
// size, the render switches that commands and keys change, the eye being
// drawn and the stereo settings, and the free camera. Portable code (scene
// items, loaders) holds this; DeviceContext adds the devices and their
// capabilities.

#include "free_camera.h"

#include <cstdint>

// Colour-write masks of the eye passes (D3DCOLORWRITEENABLE bits: red 1,
// green 2, blue 4, alpha 8).
constexpr int COLOR_WRITE_LEFT_EYE = 9;   // red and alpha
constexpr int COLOR_WRITE_RIGHT_EYE = 14; // green, blue and alpha
constexpr int COLOR_WRITE_ALL = 15;

class DeviceContextBase {
public:
    virtual ~DeviceContextBase() = default;

    int deviceCount = 0;
    int currentOutput = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    int fovMode = 0;
    uint8_t alternateCamera = 0;
    uint8_t lightFlash = 0;
    uint8_t lightFalloff = 0;
    uint8_t wireframe = 0;
    int stereoMode = 0;
    int stereoPasses = 2;
    int eye = -1; // 0 left, 1 right; -1 one picture; 2 + output in nightloom-prev
    float stereoParams[4] = {0.5f, 3.75f, 3.75f, 3.75f};
    int colorWriteMask = COLOR_WRITE_ALL;
    FreeCamera freeCamera;
    uint8_t freeFlight = 0;
    // D3DRS_STENCILENABLE while mirrored geometry draws; the X key toggles it.
    int32_t stencilEnable = 1;
    // Copies of the device capabilities that loaders consult.
    uint32_t textureAddressCaps = 0; // D3DPTADDRESSCAPS_* bits
};
