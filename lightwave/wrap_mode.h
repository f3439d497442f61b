#pragma once
// LightWave texture wrap codes to Direct3D address modes, by what the device
// supports (its texture address capability bits).

#include <cstdint>

enum AddressMode { ADDRESS_WRAP = 1, ADDRESS_MIRROR = 2, ADDRESS_CLAMP = 3, ADDRESS_BORDER = 4 };

// D3DPTADDRESSCAPS bits.
constexpr uint32_t ADDRESS_CAPS_WRAP = 0x01;
constexpr uint32_t ADDRESS_CAPS_MIRROR = 0x02;
constexpr uint32_t ADDRESS_CAPS_CLAMP = 0x04;
constexpr uint32_t ADDRESS_CAPS_BORDER = 0x08;
constexpr uint32_t ADDRESS_CAPS_INDEPENDENT_UV = 0x10;

// Code 0 reset, 1 repeat, 2 mirror, 3 edge.
int addressModeFor(int wrapCode, uint32_t caps);

// Both modes of a layer from its width and height codes, then the
// projection's own rule (spherical: wrap both; cylindrical: wrap U).
void layerAddressModes(int widthCode, int heightCode, int maptype, uint32_t caps, int32_t* u,
                       int32_t* v);
