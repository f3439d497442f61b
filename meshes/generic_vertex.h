#pragma once
// The vertex every mesh is built from, before a surface program writes it in
// its own format: 104 bytes, fields in this order.

#include <cstdint>

constexpr int GENERIC_CHANNELS = 4;

struct GenericVertex {
    float position[3];
    float normal[3];
    uint32_t diffuse;                    // A8R8G8B8
    float texcoord[GENERIC_CHANNELS][3]; // u, v, w per channel
    int32_t wrapId[GENERIC_CHANNELS];    // from the texture-coordinate generator
    float morphPosition[3];              // the morph target's offset; 0 without one
};

static_assert(sizeof(GenericVertex) == 104, "the generic vertex is 104 bytes");
