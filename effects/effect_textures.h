#pragma once
// Textures whose pictures the effects compute: the spot light's cone and the
// texture-coordinate map. Each factory runs its generator while the texture
// is created (GeneratedTexture), so the texture leaves it complete and its
// build() has nothing to do; which picture a texture holds is fixed by the
// factory that made it. The caller owns the result; neither goes into a
// metascene's texture list.

#include "spot_pictures.h"

#include <memory>

class DeviceContextBase;
class Texture;

constexpr const char* SPOT_TEXTURE_NAME = "(Spot)";
constexpr const char* TEXCOORD_MAP_NAME = "(texcoord 1D map)";

// SPOT_TEXTURE_SIZE square, flags colorLayer, one A8R8G8B8 level, managed.
std::unique_ptr<Texture> makeSpotTexture(DeviceContextBase* context, const SpotParameters& spot);
// TEXCOORD_MAP_WIDTH x 1, flags colorLayer.
std::unique_ptr<Texture> makeTexcoordMap(DeviceContextBase* context);
