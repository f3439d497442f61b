#pragma once
// A real windowed Direct3D 8 device with its display system and device
// context, as the player builds them, for tests under Wine.

#include "app/device_context.h"
#include "app/display_system.h"

#include <memory>

struct TestStage {
    DisplaySystem display;
    std::unique_ptr<DeviceContext> context;

    // Opens a `width` x `height` window with an X8R8G8B8 back buffer and no sound.
    bool open(int width = 160, int height = 120);
    IDirect3DDevice8* device() const { return context ? context->device : nullptr; }
};
