#pragma once
// Reading back what a Direct3D 8 device drew (tests and the frame capture).
// GetFrontBuffer is black under Wine, so the back buffer is read before
// Present, through an image surface.

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <vector>

struct Readback {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, alpha forced to 255 for X formats

    uint32_t at(UINT x, UINT y) const { return pixels[y * width + x]; }
    uint32_t rgb(UINT x, UINT y) const { return at(x, y) & 0x00FFFFFFu; }
};

// Copies `surface` (a back buffer or render-target surface) into `out`.
// Handles the 32-bit and R5G6B5 formats a device here can have.
bool readSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface, Readback* out);

// Reads back buffer 0 of the device's swap chain.
bool readBackBuffer(IDirect3DDevice8* device, Readback* out);
