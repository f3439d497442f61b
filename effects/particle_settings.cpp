#include "particle_settings.h"

#include "lightwave/surface.h"

VolumetricSettings::~VolumetricSettings() {
    for (LWTextureLayer* t : textures) delete t;
}
