#pragma once
// Scene lights as Direct3D lights: a record with the layout of D3DLIGHT8
// (checked against the real one in the Windows build) and the per-frame
// arithmetic that fills it from an LWLight at a scene time. Call order:
// prepareLightRecord once when the scene is prepared, then computeLight each
// frame after the light's matrices were invalidated; the renderer hands
// `d3dLight` to the device.

#include <cstdint>

class LWLight;

// D3DLIGHTTYPE values.
enum LightRecordType : int32_t {
    LIGHTRECORD_POINT = 1,
    LIGHTRECORD_SPOT = 2,
    LIGHTRECORD_DIRECTIONAL = 3,
};

struct LightColor {
    float r, g, b, a; // 0..1 for ordinary lights; doubled lights go above 1
};

struct LightVector {
    float x, y, z;
};

// Same layout as D3DLIGHT8.
struct LightRecord {
    int32_t type;
    LightColor diffuse;
    LightColor specular;
    LightColor ambient;
    LightVector position;
    LightVector direction; // unit length
    float range;           // scene units
    float falloff;
    float attenuation0;
    float attenuation1;
    float attenuation2;
    float theta; // inner cone, full angle in radians
    float phi;   // outer cone, full angle in radians
};

// The largest range handed to the device: lights without falloff reach this
// far (below D3DLIGHT_RANGE_MAX, the square root of the largest float).
constexpr float LIGHT_RANGE_UNLIMITED = 1e19f;

// Colour-flicker palette, 0x00RRGGBB.
constexpr int FLICKER_PALETTE_SIZE = 8;
extern const uint32_t FLICKER_PALETTE[FLICKER_PALETTE_SIZE];

// The light's colour at `time` (seconds) as RGBA. With the context's
// light-flash switch on, point lights cycle through the flicker palette
// instead, one random entry per flicker period (alpha 0).
LightColor getColor(LWLight& light, double time);

// Resets `d3dLight`: its type from the light type, black opaque colours, no
// attenuation and no range limit.
void prepareLightRecord(LWLight& light);

// Fills `d3dLight` for `time` (seconds): world matrix, colours, position,
// direction, attenuation, range and spot cone.
void computeLight(LWLight& light, double time);
