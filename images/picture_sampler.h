#pragma once
// Reading a picture at real texel coordinates. The bilinear sampler works on
// packed channels in 16-bit fixed point with 15-bit fractions (it runs once
// per texel of every resampled picture); the last column and row blend with
// nothing, and no coordinate reads outside the picture.

#include <cstdint>

// Nearest texel: pixels[(int)y * width + (int)x], coordinates clamped to the picture.
uint32_t sampleNearest(const uint32_t* pixels, float x, float y, int width, int height);

// Bilinear filter of all four channels; exact texels at integer coordinates.
uint32_t sampleBilinear(const uint32_t* pixels, float x, float y, int width, int height);
