#pragma once
// The five grey pictures a lens flare is drawn from, computed from each
// texel's distance and angle to the picture's centre (which lies between the
// four middle texels). They fill a locked 32-bit ARGB level (`pitch` words a
// row) and need no device, so they are tested natively.

#include <cstdint>

constexpr int FLARE_TEXTURE_SIZE = 512; // width and height
constexpr int FLARE_TEXTURE_TYPES = 5;

enum FlarePicture {
    FLARE_STREAKS = 0,       // radial streaks
    FLARE_BRIGHT_CENTRE = 1, // a bright centre falling off
    FLARE_EVEN_DISC = 2,     // an even disc with a sharp rim
    FLARE_DIM_CENTRE = 3,    // a dim centre falling off slowly
    FLARE_RING = 4,          // a thin ring
};

// The texture names, by picture type.
extern const char* const FLARE_TEXTURE_NAMES[FLARE_TEXTURE_TYPES];

// Fills the level with picture `type`; every texel is opaque.
void generateFlare(uint32_t* level, int width, int height, int pitch, int type);
