#pragma once
// A window's Direct3D 8 device that does nothing but clear and present: the
// smallest proof that cross compiler, Wine, the display and llvmpipe work.

#include "app/direct3d.h"

struct ClearFrame {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
};

// Creates a windowed device with a `width` x `height` back buffer on `window`.
// On failure releases what was made and returns false.
bool openClearFrame(HWND window, UINT width, UINT height, ClearFrame* frame);

// Clears the back buffer to `color` (ARGB) inside a scene.
void drawClearFrame(ClearFrame& frame, D3DCOLOR color);

void closeClearFrame(ClearFrame& frame);
