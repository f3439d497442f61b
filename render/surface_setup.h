#pragma once
// What a surface program sets on the device to draw a LightWave surface at a
// time, worked out without a device: the material (diffuse, ambient,
// specular, emissive, power, with the material scale), blending, alpha test,
// culling, and the texture stages of each program, as a plan of state
// changes in the order they are made. The Windows layer applies a plan to a
// device (surface_programs.cpp); tests read plans directly.

#include "d3d_values.h"
#include "base/math3d.h"

#include <cstdint>
#include <vector>

class LWSurface;
class LWTextureLayer;
class Texture;

// A material as Direct3D 8 takes it (D3DMATERIAL8's layout): colours as
// red, green, blue, alpha in 0..1.
struct MaterialRecord {
    float diffuse[4];
    float ambient[4];
    float specular[4];
    float emissive[4];
    float power;
};

// Direct3D's colour factors are applied to the material as LightWave content
// was tuned for: green at half strength.
constexpr float MATERIAL_SCALE[4] = {1.0f, 0.5f, 1.0f, 1.0f};

struct StateChange {
    enum Kind : uint8_t { RENDER, STAGE, TEXTURE, TRANSFORM, MATERIAL };
    Kind kind;
    uint8_t stage = 0;
    uint32_t state = 0;
    uint32_t value = 0;
    Texture* texture = nullptr; // TEXTURE: taken at `time`; none when null and no device object
    const void* deviceTexture = nullptr; // TEXTURE: a device texture (cube map, depth map) instead
    double time = 0;
    int matrix = -1; // TRANSFORM: index into the plan's matrices
};

class StatePlan {
public:
    void clear();
    void render(uint32_t state, uint32_t value);
    void stage(int stage, uint32_t state, uint32_t value);
    void texture(int stage, Texture* texture, double time);
    void deviceTexture(int stage, const void* texture);
    void transform(uint32_t slot, const Matrix4& m);
    void setMaterial(const MaterialRecord& m);

    // The last value the plan gives a state, or false when it sets none.
    bool renderState(uint32_t state, uint32_t* value) const;
    bool stageState(int stage, uint32_t state, uint32_t* value) const;
    // The last texture change of a stage (null when none is made).
    const StateChange* textureChange(int stage) const;

    std::vector<StateChange> changes;
    std::vector<Matrix4> matrices;
    MaterialRecord material = {};
    float c33[4] = {}; // specular power, for the vertex programs
    float c35[4] = {}; // bump strength, when the surface has a bump layer
    bool hasBump = false;
    bool hasMaterial = false; // the plan sets a material (all programs but the flat one)
};

// The first enabled layer of that channel ("COLR", "BUMP", ...), or null.
LWTextureLayer* enabledLayer(const LWSurface& surface, const char (&channel)[5]);

// 2 for a surface with enabled TRNL and BUMP layers (per-pixel bump
// mapping), else 0.
int surfaceProgramIndex(const LWSurface& surface);

// The material and the render states every program but the flat shadow one
// sets first. `cullMode` is the renderer's for single-sided surfaces.
void planMaterial(LWSurface& surface, double time, uint32_t cullMode, StatePlan& plan);

// The rows of the fixed-function program's texture-stage table, in the
// order they are tried.
enum FixedFunctionRow {
    ROW_TRANSPARENCY,        // a transparency layer and no colour layer
    ROW_COLOUR_TRANSPARENCY, // colour and transparency layers
    ROW_DIFFUSE,             // a diffuse layer (and the colour layer, if any)
    ROW_SPECULAR,            // a specular layer, where the device has MULTIPLYADD
    ROW_COLOUR,              // the colour layer, if any, then a spherical reflection, if any
    ROW_CUBE_REFLECTION,     // the colour layer and the surface's reflection cube
};

// The row planFixedFunction gives `surface`.
FixedFunctionRow fixedFunctionRow(const LWSurface& surface, bool multiplyAdd);
// In ROW_COLOUR: the surface's reflection picture is mapped on stage 1.
bool takesSphericalReflection(const LWSurface& surface);

// The fixed-function program: the material, then the first matching row of
// its texture-stage table. `multiplyAdd`: the device has D3DTOP_MULTIPLYADD.
void planFixedFunction(LWSurface& surface, double time, uint32_t cullMode, bool multiplyAdd,
                       StatePlan& plan);

// The flat program of the shadow pass: depth only (mode 1), or distance to
// the light through the texture-coordinate map (mode 2).
void planFlatShadow(LWSurface& surface, uint32_t cullMode, int shadowPassMode, Texture* texcoordMap,
                    StatePlan& plan);

// The per-pixel bump program: colour and normal map.
void planDot3(LWSurface& surface, double time, uint32_t cullMode, StatePlan& plan);

// The shadow receiver: the light's depth map and spot picture over the
// colour texture (`depthTexture` is the device's depth texture).
void planShadowReceiver(LWSurface& surface, double time, uint32_t cullMode,
                        const void* depthTexture, Texture* spotTexture, StatePlan& plan);
