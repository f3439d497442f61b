#pragma once
// Colours given as floats in 0..1 become 32-bit ARGB values the same way
// everywhere: a channel of 1 or more is 255, 0 or less is 0, anything else is
// the integer part of channel * 255 + 0.5.

#include <cstdint>

inline uint32_t packChannel(float c) {
    if (c >= 1.0f) return 255;
    if (c <= 0.0f) return 0;
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

// The other way: 0xAARRGGBB into red, green, blue, alpha in 0..1.
inline void unpackColor(uint32_t argb, float out[4]) {
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float(argb >> 24) / 255.0f;
}

inline uint32_t packColor(float r, float g, float b, float a) {
    return packChannel(a) << 24 | packChannel(r) << 16 | packChannel(g) << 8 | packChannel(b);
}
