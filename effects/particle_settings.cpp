#include "particle_settings.h"

#include "lightwave/surface.h"

VolumetricSettings::~VolumetricSettings() {
    if (destroyDrawable && drawable) destroyDrawable(drawable);
    for (LWTextureLayer* t : textures) delete t;
}
