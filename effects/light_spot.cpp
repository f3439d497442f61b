#include "light_spot.h"

#include "effect_textures.h"
#include "images/texture.h"
#include "lightwave/items.h"

SpotParameters lightSpotParameters(LWLight& light) {
    SpotParameters spot;
    spot.intensity = light.intensity.evaluate(0);
    spot.cone = light.coneAngle.evaluate(0);
    spot.edge = light.edgeAngle.evaluate(0);
    for (int i = 0; i < 3; ++i) spot.colour[i] = light.color[i].evaluate(0);
    spot.colour[3] = light.colorAlpha;
    return spot;
}

std::unique_ptr<Texture> makeLightSpotTexture(LWLight& light) {
    if (light.shadowType != SHADOW_MAP) return nullptr;
    return makeSpotTexture(light.context, lightSpotParameters(light));
}
