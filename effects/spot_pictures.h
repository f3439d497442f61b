#pragma once
// The pixel work of two generated pictures the renderer projects and looks
// up: a spot light's cone as seen from the light, and the texture-coordinate
// ramp. Both fill a locked 32-bit ARGB level (`pitch` words a row) and need
// no device, so they are tested natively.

#include <cstdint>

constexpr int SPOT_TEXTURE_SIZE = 512;  // width and height
constexpr int TEXCOORD_MAP_WIDTH = 256; // one row

struct SpotParameters {
    float intensity = 0;            // the light's intensity (1 is nominal full strength)
    float edge = 0;                 // soft-edge width inside the rim, radians
    float cone = 0;                 // cone half-angle, radians: the picture's extent
    float colour[4] = {1, 1, 1, 1}; // RGBA, 0..1; alpha is not read
};

// The cone as the light sees it through a projection of half-angle `cone`:
// full strength (intensity x 256, times the colour, each channel clamped to
// 0..255) inside, a linear fall over 4 x `edge` radians up to the rim, and
// transparent black outside. Lit texels are opaque.
void generateSpot(uint32_t* level, int width, int height, int pitch, const SpotParameters& spot);

// Texel i of every row holds i in all four channels (i < 256).
void generateTexcoordMap(uint32_t* level, int width, int height, int pitch);
