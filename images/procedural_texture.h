#pragma once
// Textures for surface layers that are not image maps: a gradient rendered
// into a 1024 x 1 strip from its four envelopes, and the procedural layers
// the player knows by name ("Turbulence", "Crumple", "Value").

#include "texture.h"

#include <string>

class LWTextureLayer;

class GradientTexture : public Texture {
public:
    GradientTexture(DeviceContextBase* context, LWTextureLayer* layer)
        : Texture(context), layer(layer) {}
    void build() override;
    virtual void setGradient(LWTextureLayer* gradientLayer) { layer = gradientLayer; }

    // Not owned (the surface owns it); read by build(). Whoever deletes the
    // layer first sets null, which builds an all-zero table.
    LWTextureLayer* layer;
};

class ProceduralTexture : public Texture {
public:
    ProceduralTexture(DeviceContextBase* context, const LWTextureLayer* layer) : Texture(context) {
        setLayer(layer);
    }
    void build() override;
    // Keeps what the build uses of the layer: its procedure name.
    virtual void setLayer(const LWTextureLayer* layer);

    std::string procName;
};

// The gradient table: texel i is the gradient at start + (end - start) * i / 1024,
// each channel through its envelope when it has one (the value is stored back
// into the layer) or its current value.
void fillGradient(LWTextureLayer& layer, uint32_t* texels, int count);

// The pictures of the procedures: grey noise for "Crumple" (the C library's
// rand(), as the player draws it), smooth turbulence and value noise for the
// other two (deterministic).
void fillCrumple(uint32_t* texels, int count);
void fillTurbulence(uint32_t* texels, int width, int height);
void fillValueNoise(uint32_t* texels, int count);
