#pragma once
// Where a lens flare lies and what it draws, apart from the device: whether
// a light's flare is visible from a camera this frame (in view, facing the
// camera, how intense, how far faded towards the screen's border), and the
// quads it is drawn as - a central glow with its streaks at the light and a
// chain of sixteen elements along the line from the light through the
// screen's centre - each as a view transform, a flare picture and a colour.

#include "base/math3d.h"

#include <cstdint>
#include <vector>

// LensFlareOptions bits that choose what is drawn.
constexpr int32_t FLARE_SECOND_GLOW = 0x01; // a grey glow at the light
constexpr int32_t FLARE_CENTRAL_GLOW = 0x08; // the coloured glow and its streaks
constexpr int32_t FLARE_ELEMENTS = 0x10;     // the chain of sixteen elements

struct FlareElement {
    int texture; // slot: 0 streaks .. 4 ring, 5 the ring again
    float position; // along the line: 1 at the light, 0 at the screen's centre
    float size;
    uint32_t colour; // ARGB
};
extern const FlareElement FLARE_ELEMENT_TABLE[16];

struct FlareInputs {
    float intensity = 0;       // FlareIntensity at the time
    float nominalDistance = 1; // FlareNominalDistance
    float rotation = 0;        // radians
    int lightType = 1;         // 0 distant, 1 point, 2 spot, ...
    Vec3 lightPosition;        // world
    Vec3 lightDirection;       // world, where the light points
    Matrix4 view;              // the camera's
    Matrix4 projection;        // the camera's
    float nearDistance = 0;    // the camera's nearest w in view
    Vec3 viewDirection;        // world, where the camera looks
};

struct FlareState {
    bool visible = false;
    float size = 0;
    float rotation = 0;
    float fade = 1;
    Vec3 viewPosition; // the light in the camera's view space
};

FlareState flareVisibility(const FlareInputs& in);

struct FlareQuad {
    Matrix4 view; // set as the view transform for the flare's quad
    int texture;  // slot as in FlareElement
    uint32_t factor;
};

// The quads of a visible flare with `options`, the light's colour (RGB; its
// alpha is not read) at the time.
std::vector<FlareQuad> flareQuads(const FlareState& state, int32_t options, const float colour[4]);
