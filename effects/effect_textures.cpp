#include "effect_textures.h"

#include "images/texture.h"

namespace {

void spotGenerator(uint32_t* level, int width, int height, int pitch, void* user) {
    generateSpot(level, width, height, pitch, *static_cast<const SpotParameters*>(user));
}

void texcoordMapGenerator(uint32_t* level, int width, int height, int pitch, void*) {
    generateTexcoordMap(level, width, height, pitch);
}

} // namespace

std::unique_ptr<Texture> makeSpotTexture(DeviceContextBase* context, const SpotParameters& spot) {
    SpotParameters copy = spot;
    return std::make_unique<GeneratedTexture>(context, SPOT_TEXTURE_SIZE, SPOT_TEXTURE_SIZE,
                                              TEXTURE_COLOR_LAYER, SPOT_TEXTURE_NAME, spotGenerator,
                                              &copy);
}

std::unique_ptr<Texture> makeTexcoordMap(DeviceContextBase* context) {
    return std::make_unique<GeneratedTexture>(context, TEXCOORD_MAP_WIDTH, 1, TEXTURE_COLOR_LAYER,
                                              TEXCOORD_MAP_NAME, texcoordMapGenerator, nullptr);
}
