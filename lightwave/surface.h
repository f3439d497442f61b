#pragma once
// Surfaces of LightWave objects and their texture layers (one per BLOK, or
// per HyperVoxel texture block). A surface is shared by every layer of its
// object file; its key is "<object file>@<surface name>".

#include "envelope.h"
#include "base/math3d.h"
#include "mesh_data.h"

#include <cstdint>
#include <string>
#include <vector>

class Texture;
struct IDirect3DCubeTexture8;
struct IDirect3DSurface8;
class LW6Scene;
class LWLight;

// Four-character codes as the LWO2 file writes them, big-endian packed.
constexpr int32_t fourCC(const char (&s)[5]) {
    return int32_t(uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
                   uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3])));
}

enum LWMapType {
    MAP_PLANAR = 0,
    MAP_CYLINDRICAL = 1,
    MAP_SPHERICAL = 2,
    MAP_CUBIC = 3,
    MAP_FRONT = 4,
    MAP_UV = 5,
    MAP_PROCEDURAL = 6,
};

struct LWGradientKey {
    float input = 0, r = 0, g = 0, b = 0, alpha = 0;
    int32_t interpolation = 0;
};

class LWTextureLayer {
public:
    LWTextureLayer();
    ~LWTextureLayer();
    LWTextureLayer(const LWTextureLayer&) = delete;
    LWTextureLayer& operator=(const LWTextureLayer&) = delete;

    int32_t type = -1;    // "IMAP", "PROC", "GRAD"
    int32_t channel = -1; // "COLR", "DIFF", "TRAN", "BUMP", ...
    int32_t opacityType = 0;
    LWAnimValue opacity;
    bool enabled = true;
    bool negative = false;
    Texture* texture = nullptr; // owned by the MetaScene's texture list
    LWEnvelope* gradient[4] = {nullptr, nullptr, nullptr, nullptr}; // owned: r, g, b, alpha
    float gradientValue[4] = {0, 0, 0, 0};                          // their current values
    std::vector<LWGradientKey> gradientKeys;
    float gradientStart = 0, gradientEnd = 1;
    int32_t gradientInput = -1;
    std::string procName;
    std::vector<uint8_t> procData;
    LWAnimValue center[3];
    LWAnimValue rotation[3]; // heading, pitch, bank (radians)
    LWAnimValue size[3];
    float widthRepeat = 1, heightRepeat = 1;
    int32_t axis = 0;
    int32_t maptype = -1;
    int32_t addressU = 1, addressV = 1; // Direct3D address modes, 1 wrap
    float antialiasStrength = 1;
    bool pixelBlending = true;
    LWAnimValue amplitude;
    Matrix4 transform = Matrix4::identity();
    uint8_t transformValid = 0;
    std::vector<LWUVMap*> layerUVMaps; // by layer number; referenced
};

class LWSurface {
public:
    LWSurface();
    ~LWSurface();
    LWSurface(const LWSurface&) = delete;
    LWSurface& operator=(const LWSurface&) = delete;

    std::vector<LWTextureLayer*> textureLayers; // owned, BLOK order
    std::vector<LWColorMap*> vertexColorMaps;   // by layer number; referenced
    LWTextureLayer* texcoord[8] = {};
    int numTexcoords = 0;
    int32_t materialMode = 0;
    LWAnimValue color[3];
    float colorAlpha = 1.0f;
    LWAnimValue luminosity, diffuse{1.0f}, specularity, transparency, additiveTransparency,
        glossiness{0.4f}, reflection, refractiveIndex, colorFilter;
    bool colorHighlights = false;
    LWAnimValue bump{1.0f};
    bool doubleSided = false;
    bool smoothing = false;
    float cosMaxSmoothAngle;
    uint8_t transparent = 0;
    int32_t reflectionOptions = 1;
    Texture* reflectionImage = nullptr;              // owned by the texture list
    // Reflection option 3's targets, made by the renderer when first drawn
    // and released through `releaseReflectionTargets`, which it sets.
    IDirect3DCubeTexture8* reflectionCube = nullptr;
    IDirect3DSurface8* reflectionDepth = nullptr;
    const void* reflectionDevice = nullptr; // the device they belong to
    void (*releaseReflectionTargets)(LWSurface& surface) = nullptr;
    LW6Scene* reflScene = nullptr;
    // The light whose shadow map this surface receives while it is drawn.
    LWLight* shadowLight = nullptr;
    std::string name;
    bool loaded = false;
};
